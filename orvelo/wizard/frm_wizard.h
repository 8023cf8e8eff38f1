// The program's only window: the four-step wizard "Tessaro".
//
// Step 0 takes the input project (its .PO1, typed, chosen with Browse or
// given on the command line) and whether the net boundary is recalculated
// from the current net; step 1 the element type (Delaunay triangles or a
// grid-based net) with the smoothing and boundary front-point options; step
// 2 the net parameters (theta, r and rmin, lengths shown in the length unit
// of the Units file); step 3 the output project's name and directory
// (default: the input's name followed by "_Adaptive", beside the input).
// Back and Next move between the steps, each step checked before Next takes
// its values into the project globals (declar()): the input path must name
// a project file with its net, theta lie above 0 and up to 60 degrees, rmin
// (a/bmin) not exceed r (a/b), and the output name be a plain file name.
// Numbers typed and left by Back stay in their boxes and are checked by
// Finish on any step. Finish checks the current step and the output
// project and runs the whole refinement (see
// RunRefinement in frm_wizard_run.cpp), then asks whether to end the program
// or to start again with every value kept.
//
// The window is a model of the forms layer (docs/forms.md): the program
// shows it with the Qt view, tests drive it headless.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "orvelo/wizard/open_project_dialog.h"
#include "platform/forms/form.h"

namespace orvelo {

// Whether a path or name ends in the project extension ".PO1", in any case.
bool HasProjectExtension(const std::string& path);
// The path or name without a trailing project extension (any case).
std::string WithoutProjectExtension(const std::string& path);

class frmWizard : public forms::Form {
public:
    // commandLine: the whole command line, the path of the input project's
    // .PO1 when not empty.
    explicit frmWizard(std::string commandLine = "");

    // The dialog Browse shows (the library's open dialog until replaced).
    void setOpenProjectDialog(OpenProjectDialog dialog) { openDialog_ = std::move(dialog); }

    // The step now shown (0..3) and whether Finish may be enabled.
    std::int32_t CurrentStep() const { return CurrentStep_; }
    bool FinishAllowed() const { return FinishAllowed_; }

    forms::ControlArrayRef fraStep{this, "fraStep"};
    forms::ControlRef Lblproject{this, "Lblproject"};
    forms::ControlRef TxtProject{this, "TxtProject"};
    forms::ControlRef Cmdbrowse{this, "Cmdbrowse"};
    forms::ControlRef ChkRecalculateMeshBoundary{this, "ChkRecalculateMeshBoundary"};
    forms::ControlRef FraOptimization{this, "FraOptimization"};
    forms::ControlRef chkSmoothMesh{this, "chkSmoothMesh"};
    forms::ControlRef chkBoundaryFrontPoint{this, "chkBoundaryFrontPoint"};
    forms::ControlRef fraElementType{this, "fraElementType"};
    forms::ControlArrayRef OptElementType{this, "OptElementType"};
    forms::ControlArrayRef fraGererationParameter{this, "fraGererationParameter"};
    forms::ControlArrayRef LblInputData{this, "LblInputData"};
    forms::ControlArrayRef TxtInputData{this, "TxtInputData"};
    forms::ControlArrayRef LblInputUnit{this, "LblInputUnit"};
    forms::ControlRef FraSaveProjectAs{this, "FraSaveProjectAs"};
    forms::ControlRef LblSaveProjectAs{this, "LblSaveProjectAs"};
    forms::ControlRef TxtSaveProjectAs{this, "TxtSaveProjectAs"};
    forms::ControlRef LblDataDir{this, "LblDataDir"};
    forms::ControlRef txtDataDir{this, "txtDataDir"};
    forms::ControlRef CmdBrowseFolder{this, "CmdBrowseFolder"};
    forms::ControlRef picNav{this, "picNav"};
    forms::ControlArrayRef cmdNav{this, "cmdNav"};

protected:
    void design() override;

private:
    // Event handlers.
    void Form_Load();
    void Form_KeyDown(std::int16_t KeyCode, std::int16_t Shift);
    void cmdNav_Click(std::int16_t Index);
    void Cmdbrowse_Click();
    void CmdBrowseFolder_Click();
    void OptElementType_Click(std::int16_t Index);
    void TxtProject_Change();
    void OutputField_Change();
    void TxtInputData_Change();
    void TxtProject_KeyPress(std::int16_t& KeyAscii);
    void Form_QueryUnload(std::int16_t& Cancel, std::int16_t UnloadMode);
    void TxtInputData_KeyPress(std::int16_t Index, std::int16_t& KeyAscii);

    // Steps, buttons and values.
    void ShowStep(std::int32_t step, std::int32_t mode);
    void FocusFirstBox(std::int32_t step);
    // Finish: true when no output project of the chosen name exists, or the
    // user agrees to replace it (the question's default answer is No).
    bool ConfirmReplaceOutput();
    // Operations 12 and 11 into a temporary folder, moved into place when
    // both succeeded; false when the run stopped or failed (no output
    // project is left then).
    bool WriteOutputProject();
    void SetNavButtons(std::int32_t step);
    void LayoutParameterRows(std::int32_t step);
    void FillStepFields(std::int32_t step);
    void SetDefaults();
    void ValidateStep(bool& failed);
    // Step 2's checks: each shown number, then the smallest size against
    // the largest; takes the values when all pass.
    void ValidateParameters(bool& failed);
    // A parameter box left empty: asks for a value (focus in the box).
    bool ReportEmptyParameter(std::int16_t row);
    // The Browse buttons as wide as their caption needs, the boxes beside
    // them narrower by as much.
    void FitBrowseButtons();
    // The parameter labels as wide as the longest caption of either element
    // type, as far as the unit column can spare: the boxes and units move
    // away from the labels by as much.
    void FitParameterLabels();
    void ValidateOutputProject(bool& failed);
    // Takes the input path of TxtProject as typed: the project reader's
    // check, then the split into ProjectPath, DataDir and ProjectName.
    // Returns 0, or the number of the error that refused the path (53: no
    // such file).
    std::int16_t TakeInputProject(std::string path);
    // TakeInputProject with the refusal told to the user: why the path is
    // no project (empty, a folder, a file of another kind, a project
    // without its net, or the file message naming it), then step 0 with
    // the focus in TxtProject.
    bool TakeInputProjectOrReport(const std::string& path);
    // Refuses, with its message, a typed input path that cannot name a
    // project file; true when it may.
    bool InputPathUsable(const std::string& path);
    // Step 0 shown with the message of a refused input path.
    void RefuseInputPath(const std::string& message);
    // The output fields filled for the input project just taken.
    void ProposeOutputProject();
    // The output fields proposed for the input path as it is typed.
    void FollowInputPath();
    // The proposal for an input project in folder named inputName: the
    // name followed by "_Adaptive", in the same folder; nothing once the
    // user has edited an output field.
    void ProposeOutput(const std::string& folder, const std::string& inputName);

    // Finish: the road of one run (frm_wizard_run.cpp).
    void RunRefinement();

    std::string commandLine_;
    OpenProjectDialog openDialog_;
    std::int32_t CurrentStep_ = 0;
    bool FinishAllowed_ = false;
    // The user has changed the output name or folder: the proposal no longer
    // follows the input path.
    bool outputEdited_ = false;
    // Set while the program itself fills the output fields or the command
    // line's path.
    bool fillingFields_ = false;
    // The user has typed into a parameter box since its values were last
    // taken: a later Next keeps what was typed, and Finish checks it.
    bool parametersTyped_ = false;
};

}  // namespace orvelo
