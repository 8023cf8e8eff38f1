#include "orvelo/project/open_project.h"

#include <utility>

#include "halvex/interface/enums.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/data_files.h"
#include "orvelo/project/net_files.h"
#include "orvelo/project/services.h"
#include "platform/forms/screen.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/paths.h"

namespace orvelo {

namespace {

void stopRun() { RunControl().RunState(static_cast<std::int16_t>(halvex::ExitWithoutSaving)); }

// The header of the file of the last successful check into the header
// globals; the reader's failure number, 0 when it was read.
std::int16_t readHeaderInto(Declar& d) {
    std::int16_t failed = 0;
    ProjectReader().ReadProjectHeader(
        d.SymmetryKind, d.AnalysisMethod, d.HeaderOption1, d.HeaderOption2, d.HeaderOption3,
        d.HeaderOption4, d.HeaderOption5, d.HeaderOption6, d.HeaderOption7, d.HeaderOption8,
        d.HeaderOption9, d.HeaderOption10, d.HeaderOption11, d.HeaderOption12,
        d.HeaderOption13, -1, failed);
    return failed;
}

}  // namespace

void OpenSourceProject() {
    Declar& d = declar();
    halvex::ClsValmor& services = SharedServices();
    try {
        std::int16_t failed = 0;
        ProjectReader().CheckProjectFile(d.ProjectPath, failed);
        if (failed != 0) {
            services.Prod(d.ProjectPath);
            raiseReadError(failed, d.ProjectPath);
        }
        services.Prod(rt::projectFilePath(d.DataDir, d.ProjectName, "PO1"));
        failed = readHeaderInto(d);
        if (failed != 0) {
            d.ProjectName.clear();
            raiseReadError(failed, services.Prod());
        }
        d.SystemKind = 0;
        forms::screen().MousePointer(11);
        d.CopyFilesFlag = !(d.SystemKind >= 10 && d.SystemKind <= 12);

        // Nothing of an earlier project stays: a project without a net (or
        // whose net does not load) has none.
        d.CurrentDataDir = d.DataDir;
        d.CurrentProjectName = d.ProjectName;
        clearNetAndBoundary(d);
        d.SourceNet = ProjectNet{};
        d.SourceNetLoaded = false;
        NetSettings() = drovik::ClsNetSettings{};

        services.Prod(d.DataDir + d.ProjectName + ".PL6");
        if (!rt::findFileCaseInsensitive(services.Prod()).empty()) {
            if (!LoadNet()) stopRun();
        }
    } catch (const rt::RuntimeError&) {
        HandleError();
        stopRun();
    }
}

bool LoadNet() {
    Declar& d = declar();
    halvex::ClsValmor& services = SharedServices();
    try {
        const std::string prefix = d.CurrentDataDir + d.CurrentProjectName;
        ProjectNet net;
        std::int16_t failed = 0;
        ProjectReader().ReadNetFile(prefix, net.ElementCount, net.ElementList, net.NodeCount,
                                    net.NodeX, net.NodeY, 0, nullptr, failed);
        if (failed != 0) {
            services.Prod(rt::projectFilePath(d.CurrentDataDir, d.CurrentProjectName, "PL6"));
            raiseReadError(failed, services.Prod());
        }
        if (!ReadNetBoundaryFile(prefix)) return false;
        d.SourceNet = net;
        d.SourceNetLoaded = true;
        setProjectNet(d, std::move(net));
        forms::screen().MousePointer(0);
        return true;
    } catch (const rt::RuntimeError&) {
        HandleError();
        return false;
    }
}

std::int16_t OpenProjectHeader(const std::string& name) {
    Declar& d = declar();
    const std::string path = d.DataDir + name + ".PO1";
    std::int16_t failed = 0;
    ProjectReader().CheckProjectFile(path, failed);
    if (failed != 0) return -1;
    SharedServices().Prod(path);
    if (readHeaderInto(d) != 0) return -1;
    d.HasPointSprings = d.HeaderOption5 == 1;
    d.HasPrescribedDofs = d.HeaderOption6 == 1;
    d.HasBeams = d.HeaderOption7 == 1;
    d.HasPiles = d.HeaderOption13 == 1;
    return 0;
}

}  // namespace orvelo
