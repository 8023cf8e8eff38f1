// The navigation buttons of the wizard and the road of one run (Finish).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "halvex/interface/enums.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/data_files.h"
#include "orvelo/project/output_folder.h"
#include "orvelo/project/services.h"
#include "orvelo/project/transfer.h"
#include "orvelo/wizard/frm_wizard.h"
#include "orvelo/wizard/input_angle.h"
#include "orvelo/wizard/mesh_generation.h"
#include "orvelo/wizard/operation_runner.h"
#include "outside/quillon/language_text.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/screen.h"
#include "platform/forms/types.h"
#include "platform/runtime/errors.h"

namespace orvelo {

namespace {

using quillon::TextNo;

bool runStopped() { return RunControl().RunState() == halvex::ExitWithoutSaving; }

void stopRun() { RunControl().RunState(static_cast<std::int16_t>(halvex::ExitWithoutSaving)); }

constexpr double kPi = 3.14159265358979323846;
constexpr double kDegrees = 180.0 / kPi;
constexpr double kAngleSlack = 0.05;  // degrees a net may miss theta by unnoticed

// The smallest angle, degrees, of the triangles of the project's net (180
// when it has none).
double SmallestNetAngle(const Declar& d) {
    double smallest = 180.0;
    for (std::int32_t e = 1; e <= d.ElementCount; ++e) {
        const NetElement& element = d.ElementList[static_cast<std::size_t>(e)];
        if (element.CornerCount != 3) continue;
        for (int k = 0; k < 3; ++k) {
            const auto at = static_cast<std::size_t>(element.Node[static_cast<std::size_t>(k + 1)]);
            const auto a = static_cast<std::size_t>(element.Node[static_cast<std::size_t>((k + 1) % 3 + 1)]);
            const auto b = static_cast<std::size_t>(element.Node[static_cast<std::size_t>((k + 2) % 3 + 1)]);
            const double ax = double(d.NodeX[a]) - d.NodeX[at], ay = double(d.NodeY[a]) - d.NodeY[at];
            const double bx = double(d.NodeX[b]) - d.NodeX[at], by = double(d.NodeY[b]) - d.NodeY[at];
            const double angle = std::atan2(std::abs(ax * by - ay * bx), ax * bx + ay * by) * kDegrees;
            smallest = std::min(smallest, angle);
        }
    }
    return smallest;
}

}  // namespace

void frmWizard::cmdNav_Click(std::int16_t Index) {
    switch (Index) {
        case 0: {
            // The page of the step shown (orvelo_titel_1 ... _4).
            std::int32_t window = hWnd();
            SharedServices().ShowHelp(window, "orvelo_titel_" + std::to_string(CurrentStep_ + 1), 0);
            break;
        }
        case 1: {
            std::int16_t cancel = 0;
            if (SharedServices().ExitMessage(cancel, 0)) Unload();
            break;
        }
        case 2:
            if (CurrentStep_ > 0) ShowStep(CurrentStep_ - 1, 1);
            break;
        case 3:
            if (CurrentStep_ < 3) ShowStep(CurrentStep_ + 1, 2);
            break;
        case 4:
            RunRefinement();
            break;
        default:
            break;
    }
}

void frmWizard::RunRefinement() {
    Declar& d = declar();
    bool failed = true;
    ValidateStep(failed);
    if (failed) return;
    // Net parameters typed and left by Back are checked on their step
    // before the run takes them.
    if (parametersTyped_) {
        ShowStep(2, 0);
        ValidateStep(failed);
        if (failed) return;
    }
    ValidateOutputProject(failed);
    if (failed) return;
    // One run per output: from here to the end of the commit no other run
    // writes this output name (in any case); a second one is refused before
    // it touches anything.
    OutputLock outputLock;
    try {
        const std::string busy = outputLock.Acquire(d.OutputDir, d.OutputName);
        if (!busy.empty()) {
            const quillon::ClsLanguageText& texts = LanguageTexts();
            forms::screen().MousePointer(forms::vbDefault);
            forms::MsgBox(busy, forms::vbExclamation | texts.MessageBoxFlags(), forms::app().Title);
            ShowStep(3, 0);
            return;
        }
        // An interrupted earlier run of this output is put right first, so
        // that the question below sees the output as it is.
        ResolveLeftoverOutput(d.OutputDir, d.OutputName);
    } catch (const rt::RuntimeError&) {
        HandleError();
        return;
    }
    if (!ConfirmReplaceOutput()) {
        ShowStep(3, 0);
        return;
    }

    // The project whose solver results the internal forces read.
    d.ProjectCount = 1;
    d.ProjectList = {std::string(), d.ProjectName};
    RunControl().RunState(static_cast<std::int16_t>(halvex::StartSolving));

    RunWaitOperation(OpOpenSourceProject);
    RunWaitOperation(OpRecalculateBoundary);
    RunWaitOperation(OpInternalForces);
    GenerateFENet(d.OutlinePieceCount, d.OutlinePieces, d.NodeCount, d.NodeX, d.NodeY, d.ElementCount,
                  d.ElementList, d.GridCountX, d.GridX, d.GridCountY, d.GridY, d.OpeningCount,
                  d.OpeningPieceCount, d.OpeningPieces, d.LineCount, d.LineStart, d.LineEnd, d.SinglePointCount,
                  d.SinglePoints, d.LengthUnit, d.LengthFactor, d.NumberFormat);
    NetSettings().SavedMeshType(d.MeshType);
    const bool runComplete = WriteOutputProject();
    outputLock.Release();
    // What the transfer of node-related data had to leave out is told with
    // the closing message.
    const std::string lossNote = TakeTransferLossNote();

    std::int16_t packFailed = 0;
    ProjectPacker().PackProject(WithoutProjectExtension(TxtProject->Text()), d.CompressFlag, 0, packFailed);
    if (runComplete) ProjectPacker().PackProject(d.OutputDir + d.OutputName, d.CompressFlag, 0, packFailed);
    forms::screen().MousePointer(forms::vbDefault);

    const quillon::ClsLanguageText& texts = LanguageTexts();
    const std::vector<rt::Variant> name = {rt::Variant("|1"), rt::Variant(d.OutputName)};
    if (!runComplete) {
        // A failed or stopped run is never reported as a written project,
        // and it leaves no output project behind.
        forms::MsgBox(texts.GetText(TextNo(190010)), forms::vbExclamation | texts.MessageBoxFlags(), forms::app().Title);
        ShowStep(0, 0);
        return;
    }
    std::vector<rt::Variant> question = {rt::Variant(16)};
    question.insert(question.end(), name.begin(), name.end());
    question.insert(question.end(), {rt::Variant("|2"), rt::Variant(d.OutputDir)});
    std::string closing = texts.GetText(TextNo(190002), question);
    // A Delaunay net whose smallest angle stayed below theta, where no
    // angle of the slab's outline, openings or lines (joints, arcs by their
    // tangents, crossings) forces it: the angle reached is told.
    if (d.MeshType == 5) {
        const double reached = SmallestNetAngle(d);
        if (reached < d.MinAngle - kAngleSlack && reached < SmallestInputAngle(d) - kAngleSlack) {
            char shown[2][32];
            std::snprintf(shown[0], sizeof shown[0], "%.1f", reached);
            std::snprintf(shown[1], sizeof shown[1], "%g", static_cast<double>(d.MinAngle));
            closing = texts.GetText(TextNo(190303), {rt::Variant("|1"), rt::Variant(std::string(shown[0])),
                                                     rt::Variant("|2"), rt::Variant(std::string(shown[1]))}) +
                      "\n" + closing;
        }
    }
    if (!lossNote.empty()) closing = lossNote + "\n\n" + closing;
    const std::int16_t answer = forms::MsgBox(closing,
                                              forms::vbYesNo | forms::vbQuestion | texts.MessageBoxFlags(),
                                              forms::app().Title);
    if (answer == forms::vbYes) {
        forms::endProgram();
        return;
    }
    ShowStep(0, 0);
}

bool frmWizard::ConfirmReplaceOutput() {
    const Declar& d = declar();
    if (ProjectFileSet(d.OutputDir, d.OutputName).empty()) return true;
    const quillon::ClsLanguageText& texts = LanguageTexts();
    forms::screen().MousePointer(forms::vbDefault);
    const std::int16_t answer = forms::MsgBox(
        texts.GetText(TextNo(190060), {rt::Variant("|1"), rt::Variant(d.OutputName), rt::Variant("|2"),
                                       rt::Variant(d.OutputDir)}),
        forms::vbYesNo | forms::vbQuestion | forms::vbDefaultButton2 | texts.MessageBoxFlags(),
        forms::app().Title);
    return answer == forms::vbYes;
}

bool frmWizard::WriteOutputProject() {
    Declar& d = declar();
    // Operations 12 and 11 make the output project in a temporary folder
    // beside its place; it takes the place of an earlier output only when
    // both succeeded, and is removed otherwise.
    StagedOutput staging;
    if (!runStopped()) {
        try {
            staging.Begin(d.OutputDir, d.OutputName, d.DataDir, d.ProjectName);
        } catch (const rt::RuntimeError&) {
            HandleError();
            stopRun();
        }
    }
    if (runStopped()) return false;
    {
        // The output folder is the temporary one while the operations run,
        // whichever way they end; the transfer makes the output project
        // current, which is current at its own place afterwards.
        struct OutputAtItsPlace {
            Declar& d;
            const std::string place;
            const std::string staged;
            ~OutputAtItsPlace() {
                for (std::string* dir : {&d.OutputDir, &d.DataDir, &d.CurrentDataDir})
                    if (*dir == staged) *dir = place;
            }
        } outputAtItsPlace{d, d.OutputDir, staging.Folder()};
        d.OutputDir = staging.Folder();
        RunWaitOperation(OpCopyProjectFiles);
        RunWaitOperation(OpTransferData);
    }
    if (runStopped()) return false;
    try {
        staging.Commit();
    } catch (const rt::RuntimeError&) {
        HandleError();
        stopRun();
        return false;
    }
    return true;
}

}  // namespace orvelo
