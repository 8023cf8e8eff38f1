#include "orvelo/forces/slab_forces.h"

#include <utility>

#include "halvex/interface/enums.h"
#include "orvelo/forces/forces_data.h"
#include "orvelo/forces/forces_steps.h"
#include "orvelo/forces/node_order.h"
#include "orvelo/forces/result_readers.h"
#include "orvelo/forces/size_field.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/data_files.h"
#include "orvelo/project/services.h"
#include "outside/quillon/language_text.h"
#include "platform/runtime/datachannel.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/paths.h"

namespace orvelo {

std::int16_t ReadPreferences(bool& keepCornerValues) {
    halvex::ClsValmor& services = SharedServices();
    const std::string path = declar().ProgrDir + "Preferen.dat";
    services.Prod(path);
    if (services.FileNotExist(services.Prod(), true).toBool()) {
        keepCornerValues = true;
        return 0;
    }
    try {
        if (OpenDataFile(services.Prod(), halvex::InputMode, 1, 0) != 0) {
            keepCornerValues = true;
            return 0;
        }
        rt::TextReader& in = rt::dataChannel().reader();
        in.readSingle();
        in.readBool();
        in.readBool();
        const bool keep = in.readBool();
        CloseDataFile(1);
        keepCornerValues = keep;
    } catch (...) {
        HandleError();
        keepCornerValues = true;
    }
    return 0;
}

void CalcSlabInternalForces(const std::string& name) {
    Declar& d = declar();
    InternalForcesData& net = internalForces();

    // 1. Status line and the corner-value option.
    forces::ShowStatus(quillon::TextNo(120104));
    bool keepCornerValues = true;
    ReadPreferences(keepCornerValues);

    // 2. Slab groups. The all-zero group of the grid-beam method gives no
    // forces: the field is the user's size r everywhere.
    if (d.AnalysisMethod == halvex::MethodGridbeams) {
        d.NodeTargetSize = UniformTargetSize(net.CalcNodeCount, d.MaxElementSize);
        d.OldNodeCount = net.CalcNodeCount;
        forces::ProgressStep();
        return;
    }
    std::int16_t groupCount = 0;
    if (ReadSlabGroups(d.DataDir + name, groupCount, net.GroupThickness, net.GroupModulus,
                       net.GroupPoisson, 0) != 0) {
        // Without the slab groups there is no size field: stop the run with
        // a message naming the file.
        const std::string path = d.DataDir + name + ".P21";
        SharedServices().Prod(path);
        std::int16_t refused = 0;
        FileCheck().PrepareFile(path, halvex::GetRandomMode, 3, nullptr, refused);
        raiseReadError(refused == 53 || refused == 70 ? refused : 75, path);
    }
    // Every element's group must be one of them; a file of no group at all
    // is the fault of the group file (a damaged one reads as none).
    if (groupCount < 1 && net.CalcElementGroup.size() > 1) raiseReadError(9, d.DataDir + name + ".P21");
    for (std::size_t e = 1; e < net.CalcElementGroup.size(); ++e) {
        const std::int16_t g = net.CalcElementGroup[e];
        if (g < 1 || g > groupCount) raiseReadError(9, d.DataDir + name + ".PL9");
    }
    forces::ProgressStep();

    // 3. Corner values of every element.
    const CornerTable cornerQx = RecoverCornerValues(net, keepCornerValues);
    forces::ProgressStep();

    // 4.-5. Averaging at the nodes.
    forces::ShowStatus(quillon::TextNo(120090));
    std::vector<float> nodalQx = AverageAtNodes(net, cornerQx);
    forces::ProgressStep();

    // 6. Symmetry.
    if (d.SymmetryKind != 1) {
        ApplySymmetry(d.SymmetryKind, net, nodalQx);
        forces::ProgressStep();
    }

    // 7. Back to the project net's numbering.
    GatherToNetOrder(net.CalcNodeCount, nodalQx, net.CalcNodeMap);

    // 8. The target element size of every node.
    d.NodeTargetSize =
        TargetSizeField(nodalQx, net.CalcNodeCount, d.MaxElementSize, d.MinElementSize);
    d.OldNodeCount = net.CalcNodeCount;
    forces::ProgressStep();
}

}  // namespace orvelo
