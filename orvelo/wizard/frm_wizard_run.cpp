// The navigation buttons of the wizard and the road of one run (Finish).
#include <string>

#include "halvex/interface/enums.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/services.h"
#include "orvelo/wizard/frm_wizard.h"
#include "orvelo/wizard/mesh_generation.h"
#include "orvelo/wizard/operation_runner.h"
#include "outside/quillon/language_text.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/screen.h"
#include "platform/forms/types.h"

namespace orvelo {

namespace {

using quillon::TextNo;

bool runStopped() { return RunControl().RunState() == halvex::ExitWithoutSaving; }

}  // namespace

void frmWizard::cmdNav_Click(std::int16_t Index) {
    switch (Index) {
        case 0: {
            std::int32_t window = hWnd();
            SharedServices().ShowHelp(window, "orvelo_titel", 0);
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
    ValidateOutputProject(failed);
    if (failed) return;

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
    RunWaitOperation(OpCopyProjectFiles);
    const bool outputWritten = !runStopped();
    RunWaitOperation(OpTransferData);
    const bool runComplete = !runStopped();

    std::int16_t packFailed = 0;
    ProjectPacker().PackProject(WithoutProjectExtension(TxtProject->Text()), d.CompressFlag, 0, packFailed);
    if (outputWritten) ProjectPacker().PackProject(d.OutputDir + d.OutputName, d.CompressFlag, 0, packFailed);
    forms::screen().MousePointer(forms::vbDefault);

    const quillon::ClsLanguageText& texts = LanguageTexts();
    const std::vector<rt::Variant> name = {rt::Variant("|1"), rt::Variant(d.OutputName)};
    if (!runComplete) {
        // A failed or stopped run is never reported as a written project.
        const std::string message =
            outputWritten ? texts.GetText(TextNo(190011), name) : texts.GetText(TextNo(190010));
        forms::MsgBox(message, forms::vbExclamation | texts.MessageBoxFlags(), forms::app().Title);
        ShowStep(0, 0);
        return;
    }
    std::vector<rt::Variant> question = {rt::Variant(16)};
    question.insert(question.end(), name.begin(), name.end());
    const std::int16_t answer = forms::MsgBox(texts.GetText(TextNo(190002), question),
                                              forms::vbYesNo | forms::vbQuestion | texts.MessageBoxFlags(),
                                              forms::app().Title);
    if (answer == forms::vbYes) {
        forms::endProgram();
        return;
    }
    ShowStep(0, 0);
}

}  // namespace orvelo
