#include "orvelo/forces/internal_forces.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "halvex/interface/enums.h"
#include "orvelo/forces/beam_forces.h"
#include "orvelo/forces/forces_data.h"
#include "orvelo/forces/forces_steps.h"
#include "orvelo/forces/reactions.h"
#include "orvelo/forces/result_readers.h"
#include "orvelo/forces/size_field.h"
#include "orvelo/forces/slab_forces.h"
#include "orvelo/model/declar.h"
#include "orvelo/model/net_scale.h"
#include "orvelo/project/data_files.h"
#include "orvelo/project/open_project.h"
#include "orvelo/project/services.h"
#include "outside/quillon/language_text.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/screen.h"
#include "platform/forms/types.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/paths.h"

namespace orvelo {

namespace {

// Context of the solver files: a missing file stops the run.
constexpr std::int16_t kContext = 4;

// The methods whose slab forces are not computed.
bool skipsSlabForces(std::int32_t method) {
    return method == halvex::RigidSlab || method == halvex::FlexibleFoundation ||
           method == halvex::RigidSlab_HalfSpace || method == halvex::FlexibleFoundation_HalfSpace;
}

// The methods whose solver leaves no nodal displacements.
bool withoutDisplacements(std::int32_t method) {
    return method == halvex::FlexibleFoundation || method == halvex::FlexibleFoundation_HalfSpace;
}

// The methods whose point springs are those of .P35: a project of method 13
// holds none, and methods 21 and 22 keep theirs in files of their own. The
// transfer of node-related data leaves the .P35 of those methods as it was
// copied, so there it may name the nodes of another net.
bool springsInP35(std::int32_t method) { return method != 13 && method != 21 && method != 22; }

// A project whose solver results are missing (or belong to another net: the
// calculation net exists but does not match): the missing-file message of
// its calculation net when it is missing, and that the analysis must run
// first. The run stops.
void reportMissingResults(const std::string& path, const std::string& project, bool fileMissing = true) {
    halvex::ClsValmor& services = SharedServices();
    services.Prod(path);
    services.GetTextInf(path);
    const quillon::ClsLanguageText& texts = LanguageTexts();
    std::string title = texts.GetText(services.TextInf());
    if (title.empty()) title = texts.GetText(rt::Variant(quillon::TextNo(5)));
    std::string prompt =
        texts.GetText(rt::Variant(quillon::TextNo(190033)), {rt::Variant("|1"), rt::Variant(project)});
    if (fileMissing)
        prompt = texts.GetText(rt::Variant(quillon::TextNo(140160)), {rt::Variant("|1"), rt::Variant(path)}) +
                 "\r\r" + prompt;
    forms::screen().MousePointer(forms::vbDefault);
    forms::MsgBox(prompt, forms::vbExclamation | texts.MessageBoxFlags(), title);
    RunControl().RunState(static_cast<std::int16_t>(halvex::ExitWithoutSaving));
}

// Whether node i of the project net and node CalcNodeMap(i) of the
// calculation net lie at one place, within the project net's coincidence
// tolerance in both coordinates, for every node of the project net. A
// project without a net has nothing to compare.
bool calculationNetMatches(const Declar& d, const InternalForcesData& net) {
    const std::int32_t count = std::min<std::int32_t>(d.NodeCount, net.CalcNodeCount);
    if (count < 1) return true;
    const double tol = NetCoincidenceTolerance(d.NodeX, d.NodeY, d.NodeCount);
    auto apart = [tol](float a, float b) { return !(std::fabs(a - b) < tol); };
    for (std::size_t i = 1; i <= static_cast<std::size_t>(count); ++i) {
        const std::size_t c = static_cast<std::size_t>(net.CalcNodeMap.at(i));
        if (apart(d.NodeX.at(i), net.CalcNodeX.at(c)) || apart(d.NodeY.at(i), net.CalcNodeY.at(c))) return false;
    }
    return true;
}

}  // namespace

std::int16_t ReadCalculationNet(const std::string& p) {
    Declar& d = declar();
    InternalForcesData& net = internalForces();

    // 1. The header. One that cannot be read stops the run with a message.
    if (OpenProjectHeader(p) != 0) {
        const std::string path = d.DataDir + p + ".PO1";
        SharedServices().Prod(path);
        raiseReadError(rt::findFileCaseInsensitive(path).empty() ? 53 : 13, path);
    }
    // 2. A run state left by an earlier project of the list starts again.
    RunControl().RunState(0);

    // Displacements of an earlier project or run are never used.
    net.SolverDisplacements.clear();
    net.NodalDeflection.clear();
    net.NodalRotationX.clear();
    net.NodalRotationY.clear();

    // 3.-4. The calculation net; without it the project has not been
    // analysed.
    if (rt::findFileCaseInsensitive(d.DataDir + p + ".PL9").empty()) {
        reportMissingResults(d.DataDir + p + ".PL9", p);
        return -1;
    }
    if (ReadCalculationNetFile(p + ".PL9", net, kContext) != 0) return -1;
    // The size field is one per node of the project net: a calculation net
    // of another node count belongs to another net (a refined project that
    // carries the results of the net it was made from), whose analysis is
    // not this net's.
    if (d.NodeCount > 0 && net.CalcNodeCount != d.NodeCount) {
        reportMissingResults(d.DataDir + p + ".PL9", p, false);
        return -1;
    }
    forces::ProgressStep();

    // 5. The node order. Without it the results are not whole: a refined
    // project carries its old net's .PL9 but no node order, so the analysis
    // has to run on this net first whatever the node counts.
    if (rt::findFileCaseInsensitive(d.DataDir + p + ".PL3").empty()) {
        reportMissingResults(d.DataDir + p + ".PL3", p);
        return -1;
    }
    if (ReadNodeOrder(p + ".PL3", net.CalcNodeCount, net.CalcNodeMap, kContext) != 0) return -1;
    // Results of another geometry (a moved, mirrored or renumbered net of
    // the same node count) are not this net's either: each project node
    // must lie where its calculation node does.
    if (!calculationNetMatches(d, net)) {
        reportMissingResults(d.DataDir + p + ".PL9", p, false);
        return -1;
    }

    // 6.-7. Two solver files that are read and not used.
    if (ReadUnusedValues(p + ".PC7", 4, kContext) != 0) return -1;
    forces::ProgressStep();
    if (ReadUnusedValues(p + ".PC8", 3, kContext) != 0) return -1;
    forces::ProgressStep();

    // 8. The node values of .PL4 and .PH2, unless the method has none.
    const std::int32_t method = d.AnalysisMethod;
    if (!(method == halvex::MethodSlabFloor || method == halvex::MethodGridbeams ||
          (method == halvex::ConventionalMethod && d.HasPiles))) {
        std::vector<float> values;
        if (ReadValueList(p + ".PL4", net.CalcNodeCount, values, kContext, true) != 0) return -1;
        if (ReadValuesToCalcOrder(p + ".PH2", net.CalcNodeCount, values, net.CalcNodeMap,
                                  kContext) != 0)
            return -1;
        forces::ProgressStep();
    }

    // 9. The flexible foundations end here: they have no displacements.
    if (withoutDisplacements(method)) return 0;

    // 10.-11. The nodal displacements.
    if (ReadNodalDisplacements(p + ".PG1", net, kContext) != 0) return -1;
    forces::ProgressStep();
    return 0;
}

void ComputeInternalForces() {
    Declar& d = declar();
    try {
        RunControl().RunState(0);
        // A size field of an earlier run is never used.
        d.OldNodeCount = 0;
        d.NodeTargetSize.assign(1, 0.0f);

        for (int i = 1; i <= d.ProjectCount; ++i) {
            if (static_cast<std::size_t>(i) >= d.ProjectList.size()) rt::raise(9);
            const std::string p = d.ProjectList[static_cast<std::size_t>(i)];
            if (ReadCalculationNet(p) != 0) return;

            if (skipsSlabForces(d.AnalysisMethod)) {
                // No slab forces: the user's size r everywhere.
                d.NodeTargetSize =
                    UniformTargetSize(internalForces().CalcNodeCount, d.MaxElementSize);
                d.OldNodeCount = internalForces().CalcNodeCount;
            } else {
                CalcSlabInternalForces(p);
            }
            // Beam end forces need the nodal displacements.
            if (d.HasBeams && !withoutDisplacements(d.AnalysisMethod)) CalcBeamForces(p);

            // The reaction lists live only while the operation runs.
            std::int16_t springCount = 0, pileCount = 0, supportCount = 0;
            std::vector<std::int16_t> springNodes, pileNodes, dofNumbers;
            std::vector<float> springValues, pileValues, supportValues;
            if (d.HasPointSprings && springsInP35(d.AnalysisMethod))
                CalcSpringReactions(p, springCount, springNodes, springValues);
            if (d.HasPiles) CalcPileForces(p, pileCount, pileNodes, pileValues);
            if (d.HasPrescribedDofs)
                CalcSupportReactions(p, springCount, springNodes, springValues, pileCount,
                                     pileNodes, pileValues, supportCount, dofNumbers,
                                     supportValues);
        }
    } catch (const forces::OperationStopped&) {
        // The user stopped the operation: the run does not go on without a
        // size field.
        RunControl().RunState(static_cast<std::int16_t>(halvex::ExitWithoutSaving));
    } catch (...) {
        HandleError();
        RunControl().RunState(static_cast<std::int16_t>(halvex::ExitWithoutSaving));
    }
}

}  // namespace orvelo
