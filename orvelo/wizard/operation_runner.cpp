#include "orvelo/wizard/operation_runner.h"

#include <exception>
#include <utility>

#include "halvex/interface/enums.h"
#include "orvelo/delaunay/delete_nodes.h"
#include "orvelo/delaunay/editing_tasks.h"
#include "orvelo/delaunay/front_points.h"
#include "orvelo/delaunay/smooth_mesh.h"
#include "orvelo/forces/internal_forces.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/copy_project.h"
#include "orvelo/project/data_files.h"
#include "orvelo/project/open_project.h"
#include "orvelo/project/services.h"
#include "orvelo/wizard/boundary_recalc.h"
#include "orvelo/wizard/mesh_generation.h"
#include "orvelo/wizard/regenerate_mesh.h"
#include "outside/quillon/language_text.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/screen.h"
#include "platform/runtime/errors.h"

namespace orvelo {

namespace {

void setStatusText(const std::string& text) {
    if (drovik::ClsWaitWindow* window = OperationWaitWindow()) window->StatusText(text);
}

// The status text of code 9: the reading of the results only, the floor
// system, or the internal forces and element sizes.
void internalForcesStatus() {
    const Declar& d = declar();
    const bool resultsOnly = d.SystemKind == 11 || d.SystemKind == 12 || d.AnalysisMethod == 7 ||
                             d.AnalysisMethod == 13 || d.AnalysisMethod == 19 ||
                             d.AnalysisMethod == 20;
    std::int32_t textNo = quillon::TextNo(120113);
    if (resultsOnly)
        textNo = quillon::TextNo(120112);
    else if (d.AnalysisMethod == 15 || d.AnalysisMethod == 16)
        textNo = quillon::TextNo(120114);
    halvex::ClsValmor& services = SharedServices();
    services.TextInf(rt::Variant(textNo));
    setStatusText(LanguageTexts().GetText(services.TextInf()));
}

// The status text of code 10: the caption of the wizard's recalculation
// option.
void recalculateBoundaryStatus() { setStatusText(LanguageTexts().GetText(quillon::TextNo(190006))); }

// Closes the operation's window: the one the handler started with and, when
// the work put another in its place, that one too. Closing twice is
// harmless.
void closeWindows(const std::shared_ptr<drovik::ClsWaitWindow>& started,
                  const std::shared_ptr<drovik::ClsWaitWindow>& current) {
    if (started) started->Close();
    if (current && current != started) current->Close();
}

}  // namespace

// An empty procedure stands for work that is not part of the program yet:
// its window closes at once, as for code 3.
std::array<OperationProcedure, 13> OperationRunner::builtInProcedures() {
    return {
        // 0 OpGenerateMesh: MeshType 5: GenerateDelaunayMesh, then SmoothMesh
        // (25 passes) when SmoothMeshFlag, then AddBoundaryFrontPoints when
        // BoundaryFrontPointsFlag; any other MeshType: GenerateGridBasedMesh,
        // then RefineMeshAdaptively.
        [](ClsRefineWaitMessage&) { GenerateMeshByType(); },
        // 1 OpAddNode
        [](ClsRefineWaitMessage&) { AddNodeTask(); },
        // 2 OpDeleteNodes
        [](ClsRefineWaitMessage&) { DeleteNodesTask(OpDeleteNodes); },
        // 3 OpDeleteNodesQuiet: nothing.
        OperationProcedure{},
        // 4 OpRefineWindow: RefineWindowTask, then SmoothMesh (25 passes)
        // when SmoothMeshFlag, then AddBoundaryFrontPoints when
        // BoundaryFrontPointsFlag.
        [](ClsRefineWaitMessage&) {
            RefineWindowTask();
            if (declar().SmoothMeshFlag) SmoothMesh(25);
            if (declar().BoundaryFrontPointsFlag) AddBoundaryFrontPoints();
        },
        // 5 OpSmoothMesh
        [](ClsRefineWaitMessage&) { SmoothMesh(25); },
        // 6 OpRegenerateMesh: RegenerateMesh, then the smoothing and the
        // boundary front points as asked unless the slab is an annulus;
        // MeshType and MinAngle are the caller's again afterwards.
        [](ClsRefineWaitMessage&) { RegenerateMeshOperation(); },
        // 7 OpBoundaryFrontPoints
        [](ClsRefineWaitMessage&) { AddBoundaryFrontPoints(); },
        // 8 OpOpenSourceProject
        [](ClsRefineWaitMessage&) { OpenSourceProject(); },
        // 9 OpInternalForces: the status text, then ComputeInternalForces.
        [](ClsRefineWaitMessage&) {
            internalForcesStatus();
            ComputeInternalForces();
        },
        // 10 OpRecalculateBoundary: the status text, then
        // RecalculateMeshBoundary when RecalculateBoundaryFlag.
        [](ClsRefineWaitMessage&) {
            recalculateBoundaryStatus();
            if (declar().RecalculateBoundaryFlag) RecalculateMeshBoundary();
        },
        // 11 OpTransferData: ListDataToTransfer of the running operation,
        // given an Integer 0 that is not read back.
        [](ClsRefineWaitMessage& operation) { operation.ListDataToTransfer(); },
        // 12 OpCopyProjectFiles
        [](ClsRefineWaitMessage&) { CopyProjectFiles(); },
    };
}

ClsRefineWaitMessage::~ClsRefineWaitMessage() {
    if (objFENetGeneration_) objFENetGeneration_->onRunWaitMessage = nullptr;
    if (objCheckFENet_) objCheckFENet_->onRunWaitMessage = nullptr;
}

void ClsRefineWaitMessage::ObjCheckFENet(std::shared_ptr<drovik::ClsWaitWindow> window) {
    if (objCheckFENet_ == window) return;
    if (objCheckFENet_) objCheckFENet_->onRunWaitMessage = nullptr;
    objCheckFENet_ = std::move(window);
    if (objCheckFENet_) objCheckFENet_->onRunWaitMessage = [this] { ObjCheckFENet_RunWaitMessage(); };
}

void ClsRefineWaitMessage::ObjFENetGeneration(std::shared_ptr<drovik::ClsWaitWindow> window) {
    if (objFENetGeneration_ == window) return;
    if (objFENetGeneration_) objFENetGeneration_->onRunWaitMessage = nullptr;
    objFENetGeneration_ = std::move(window);
    if (objFENetGeneration_)
        objFENetGeneration_->onRunWaitMessage = [this] { ObjFENetGeneration_RunWaitMessage(); };
}

void ClsRefineWaitMessage::ObjFENetGeneration_RunWaitMessage() {
    // Held here as well: the work may empty ObjFENetGeneration (the transfer
    // does after an error of its own), and the window must close anyway.
    const std::shared_ptr<drovik::ClsWaitWindow> window = objFENetGeneration_;
    try {
        forms::screen().MousePointer(11);
        const OperationRunner& runner = operationRunner();
        const std::int32_t code = runner.OperationCode;
        if (code >= 0 && code < static_cast<std::int32_t>(runner.Procedures.size())) {
            const OperationProcedure procedure = runner.Procedures[code];
            if (procedure) procedure(*this);
        }
    } catch (const forms::MsgBoxError&) {
        // A message box nobody answers is a fault of a test, not of the run.
        closeWindows(window, objFENetGeneration_);
        throw;
    } catch (const std::exception&) {
        HandleError();
        RunControl().RunState(static_cast<std::int16_t>(halvex::ExitWithoutSaving));
    }
    closeWindows(window, objFENetGeneration_);
}

OperationRunner& operationRunner() {
    static OperationRunner runner;
    return runner;
}

void resetOperationRunner() { operationRunner() = OperationRunner{}; }

void RunWaitOperation(std::int32_t code) {
    if (RunControl().RunState() == halvex::ExitWithoutSaving) return;
    OperationRunner& runner = operationRunner();
    runner.OperationCode = static_cast<WaitOperation>(code);
    runner.CurrentOperation.reset();
    runner.CurrentOperation = std::make_shared<ClsRefineWaitMessage>();
    // The lower layers find the running operation's window here.
    SetOperationWaitWindowSource([]() -> drovik::ClsWaitWindow* {
        const std::shared_ptr<ClsRefineWaitMessage>& operation = operationRunner().CurrentOperation;
        return operation ? operation->ObjFENetGeneration().get() : nullptr;
    });
    // Kept alive until its window has closed, whatever replaces it.
    const std::shared_ptr<ClsRefineWaitMessage> operation = runner.CurrentOperation;
    const auto window = std::make_shared<drovik::ClsWaitWindow>();
    operation->ObjFENetGeneration(window);
    window->Show();
}

}  // namespace orvelo
