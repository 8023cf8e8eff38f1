// The wizard window driven headless: start-up, defaults, the steps and
// their buttons, the checks of each step and of the output project.
#include "wizard_fixture.h"

#include <unistd.h>

#include "halvex/services/private_settings.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/output_folder.h"
#include "platform/forms/desktop.h"
#include "platform/forms/settings.h"
#include "unprivileged.h"

namespace {

using orvelo::declar;

TEST_F(WizardTest, StartUpShowsTheInputStepWithCaptionsFromTheTexts) {
    orvelo::frmWizard& w = open();
    EXPECT_EQ(w.Caption(), text(190001));
    EXPECT_EQ(forms::app().Title, "Tessaro");
    EXPECT_EQ(forms::screen().MousePointer(), 0);
    EXPECT_TRUE(w.fraStep(0).Visible());
    for (std::int16_t i = 1; i < 4; ++i) EXPECT_FALSE(w.fraStep(i).Visible()) << i;
    EXPECT_EQ(w.fraStep(3).Caption(), text(10339));
    EXPECT_EQ(w.cmdNav(2).Caption(), "< " + text(40000));
    EXPECT_EQ(w.cmdNav(3).Caption(), text(40001) + " >");
    EXPECT_EQ(w.ChkRecalculateMeshBoundary->Value(), 1);
    EXPECT_EQ(w.OptElementType(0).Value(), -1);
    // The element-type pictures are named by their tooltips.
    EXPECT_EQ(w.OptElementType(0).ToolTipText(), text(190036));
    EXPECT_EQ(w.OptElementType(1).ToolTipText(), text(190037));
    EXPECT_EQ(navState(), (std::vector<bool>{false, false, false}));
    EXPECT_EQ(declar().ProgrDir, folder.path("prog/"));
    EXPECT_TRUE(box->boxes().empty());
}

TEST_F(WizardTest, DefaultsAreShownAndReadInTheLengthUnit) {
    writeUnits("\"[cm]\",100");
    orvelo::frmWizard& w = open(copySample());
    const orvelo::Declar& d = declar();
    EXPECT_FLOAT_EQ(d.MaxElementSize, 0.01f);
    EXPECT_FLOAT_EQ(d.MinElementSize, 0.0025f);
    ASSERT_TRUE(forms::click(next()));
    ASSERT_TRUE(forms::click(next()));
    ASSERT_EQ(w.CurrentStep(), 2);
    EXPECT_EQ(w.TxtInputData(0).Text(), "30");
    EXPECT_EQ(w.TxtInputData(1).Text(), "1");
    EXPECT_EQ(w.TxtInputData(2).Text(), "0.25");
    EXPECT_EQ(w.LblInputUnit(0).Caption(), "theta [°]");
    EXPECT_EQ(w.LblInputUnit(1).Caption(), "r " + d.LengthUnit);
    EXPECT_EQ(w.LblInputUnit(2).Caption(), "rmin " + d.LengthUnit);
    EXPECT_EQ(w.LblInputData(1).Caption(), text(100022));
    for (std::int16_t i = 0; i < 3; ++i) EXPECT_EQ(w.TxtInputData(i).Top(), (i + 1) * 360);

    ASSERT_TRUE(forms::editText(w.TxtInputData(0), "25"));
    ASSERT_TRUE(forms::editText(w.TxtInputData(1), "50"));
    ASSERT_TRUE(forms::editText(w.TxtInputData(2), "10"));
    ASSERT_TRUE(forms::click(next()));
    EXPECT_EQ(w.CurrentStep(), 3);
    EXPECT_FLOAT_EQ(d.MinAngle, 25.0f);
    EXPECT_FLOAT_EQ(d.MaxElementSize, 0.5f);
    EXPECT_FLOAT_EQ(d.MinElementSize, 0.1f);

    // With a comma locale the lengths are shown with a comma.
    halvex::libraryState().DecimalSystem = halvex::SystemComma;
    ASSERT_TRUE(forms::click(back()));
    ASSERT_TRUE(forms::click(back()));
    ASSERT_TRUE(forms::click(next()));
    EXPECT_EQ(w.TxtInputData(1).Text(), "50");
    EXPECT_EQ(w.TxtInputData(2).Text(), "10");
    declar().MinElementSize = 0.0012f;
    ASSERT_TRUE(forms::click(back()));
    ASSERT_TRUE(forms::click(next()));
    EXPECT_EQ(w.TxtInputData(2).Text(), "0,12");
}

// What is typed on the parameter step survives Back, and Finish on another
// step runs with it.
TEST_F(WizardTest, TypedParametersSurviveBackAndReachFinish) {
    orvelo::frmWizard& w = open(copySample());
    orvelo::operationRunner().Procedures[orvelo::OpOpenSourceProject] = [](orvelo::ClsRefineWaitMessage&) {
        orvelo::RunControl().RunState(halvex::ExitWithoutSaving);
    };
    for (int i = 0; i < 2; ++i) ASSERT_TRUE(forms::click(next()));
    ASSERT_TRUE(forms::editText(w.TxtInputData(1), "2"));
    ASSERT_TRUE(forms::click(back()));
    ASSERT_TRUE(forms::click(next()));
    EXPECT_EQ(w.TxtInputData(1).Text(), "2");
    ASSERT_TRUE(forms::click(back()));
    box->answer(forms::vbOK);  // the stopped run
    ASSERT_TRUE(forms::click(finish()));
    EXPECT_FLOAT_EQ(declar().MaxElementSize, 2.0f);
}

TEST_F(WizardTest, NavigationButtonsFollowTheStep) {
    const std::string project = copySample();
    orvelo::frmWizard& w = open();
    EXPECT_EQ(navState(), (std::vector<bool>{false, false, false}));
    ASSERT_TRUE(forms::typeText(*w.TxtProject, "x"));
    EXPECT_EQ(navState(), (std::vector<bool>{false, true, false}));
    // Clearing the path does not disable Next; the path is refused then.
    ASSERT_TRUE(forms::editText(*w.TxtProject, ""));
    EXPECT_TRUE(next().Enabled());

    ASSERT_TRUE(forms::editText(*w.TxtProject, project));
    ASSERT_TRUE(forms::click(next()));
    EXPECT_EQ(w.CurrentStep(), 1);
    EXPECT_EQ(navState(), (std::vector<bool>{true, true, true}));
    EXPECT_TRUE(w.fraStep(1).Visible());
    EXPECT_FALSE(w.fraStep(0).Visible());
    ASSERT_TRUE(forms::click(next()));
    EXPECT_EQ(navState(), (std::vector<bool>{true, true, true}));
    ASSERT_TRUE(forms::click(next()));
    EXPECT_EQ(w.CurrentStep(), 3);
    EXPECT_EQ(navState(), (std::vector<bool>{true, false, true}));
    ASSERT_TRUE(forms::click(back()));
    ASSERT_TRUE(forms::click(back()));
    ASSERT_TRUE(forms::click(back()));
    EXPECT_EQ(w.CurrentStep(), 0);
    EXPECT_EQ(navState(), (std::vector<bool>{false, true, true})) << "once allowed, Finish stays enabled";
    EXPECT_FALSE(forms::click(back()));
}

TEST_F(WizardTest, GridTypeHidesThetaAndDisablesTheOptions) {
    orvelo::frmWizard& w = open(copySample());
    ASSERT_TRUE(forms::click(next()));
    ASSERT_TRUE(forms::click(*w.chkSmoothMesh));
    ASSERT_TRUE(forms::click(w.OptElementType(1)));
    EXPECT_EQ(declar().MeshType, 3);
    EXPECT_FALSE(w.chkSmoothMesh->Enabled());
    EXPECT_FALSE(w.chkBoundaryFrontPoint->Enabled());
    EXPECT_FALSE(w.TxtInputData(0).Enabled());
    ASSERT_TRUE(forms::click(next()));
    EXPECT_FALSE(w.TxtInputData(0).Visible());
    EXPECT_FALSE(w.LblInputData(0).Visible());
    EXPECT_FALSE(w.LblInputUnit(0).Visible());
    for (std::int16_t i = 1; i < 3; ++i) EXPECT_EQ(w.TxtInputData(i).Top(), i * 360);
    EXPECT_EQ(w.LblInputData(1).Caption(), text(100010));
    EXPECT_EQ(w.LblInputData(2).Caption(), text(190003));
    EXPECT_EQ(w.LblInputUnit(1).Caption(), "a/b " + declar().LengthUnit);
    ASSERT_TRUE(forms::click(next()));
    EXPECT_FALSE(declar().SmoothMeshFlag) << "the boxes are not read for the grid-based type";

    // Back to triangles: theta and the options come back.
    ASSERT_TRUE(forms::click(back()));
    ASSERT_TRUE(forms::click(back()));
    ASSERT_TRUE(forms::click(w.OptElementType(0)));
    EXPECT_TRUE(w.chkSmoothMesh->Enabled());
    ASSERT_TRUE(forms::click(next()));
    EXPECT_TRUE(w.TxtInputData(0).Visible());
    EXPECT_EQ(w.TxtInputData(0).Top(), 360);
    EXPECT_TRUE(declar().SmoothMeshFlag);
}

TEST_F(WizardTest, InvalidNumbersAreRefusedRowByRow) {
    orvelo::frmWizard& w = open(copySample());
    ASSERT_TRUE(forms::click(next()));
    ASSERT_TRUE(forms::click(next()));
    // The first invalid row ends the check; later rows are not read.
    ASSERT_TRUE(forms::editText(w.TxtInputData(1), "abc"));
    ASSERT_TRUE(forms::editText(w.TxtInputData(2), "-1"));
    box->answer(forms::vbOK);
    ASSERT_TRUE(forms::click(next()));
    EXPECT_EQ(w.CurrentStep(), 2);
    ASSERT_EQ(box->boxes().size(), 1u);
    EXPECT_EQ(box->boxes()[0].title, w.LblInputData(1).Caption());
    EXPECT_FLOAT_EQ(declar().MinElementSize, 0.25f);
    EXPECT_EQ(w.ActiveControl(), &w.TxtInputData(1));

    ASSERT_TRUE(forms::editText(w.TxtInputData(1), "2"));
    box->answer(forms::vbOK);
    ASSERT_TRUE(forms::click(next()));
    EXPECT_EQ(w.CurrentStep(), 2);
    ASSERT_EQ(box->boxes().size(), 2u);
    EXPECT_EQ(box->boxes()[1].title, w.LblInputData(2).Caption());
    EXPECT_FLOAT_EQ(declar().MaxElementSize, 2.0f);

    // Theta, checked first, lies above 0 and up to 60 degrees; an empty box
    // asks for a value.
    const std::string theta = w.LblInputData(0).Caption();
    for (const char* typed : {"0", "61", " "}) {
        ASSERT_TRUE(forms::editText(w.TxtInputData(0), typed));
        box->answer(forms::vbOK);
        ASSERT_TRUE(forms::click(next()));
        EXPECT_EQ(box->boxes().back().prompt, *typed == ' ' ? text(190063, {"|1", theta})
                                                            : text(140370, {"|1", "0", "|2", "60"}));
    }
    // rmin may not exceed r: both values are named, the focus is on rmin.
    ASSERT_TRUE(forms::editText(w.TxtInputData(0), "60"));
    ASSERT_TRUE(forms::editText(w.TxtInputData(2), "3"));
    box->answer(forms::vbOK);
    ASSERT_TRUE(forms::click(next()));
    EXPECT_EQ(box->boxes().back().prompt, text(190062, {"|1", w.LblInputData(2).Caption(), "|2", "3", "|3",
                                                        w.LblInputData(1).Caption(), "|4", "2"}));
    EXPECT_EQ(w.ActiveControl(), &w.TxtInputData(2));
    ASSERT_TRUE(forms::editText(w.TxtInputData(2), "2"));
    ASSERT_TRUE(forms::click(next()));
    EXPECT_FLOAT_EQ(declar().MinElementSize, 2.0f);
}

// A length factor outside the real length units is refused naming the file,
// and the sizes are labelled and read in metres.
TEST_F(WizardTest, ARefusedLengthFactorGivesTheStandardUnitWhole) {
    for (const char* factor : {"1E-07", "0", "1E+300"}) {
        writeUnits(std::string("\"[cm]\",") + factor);
        box->answer(forms::vbOK);
        orvelo::frmWizard& w = open(copySample(std::string("raft") + factor));
        ASSERT_FALSE(box->boxes().empty());
        EXPECT_NE(box->boxes().back().prompt.find(folder.path("prog/Units")), std::string::npos) << box->boxes().back().prompt;
        ASSERT_TRUE(forms::click(next()));
        ASSERT_TRUE(forms::click(next()));
        EXPECT_EQ(w.LblInputUnit(1).Caption(), "r " + text(28)) << factor;
        EXPECT_EQ(w.TxtInputData(1).Text(), "1") << factor;
        ASSERT_TRUE(forms::editText(w.TxtInputData(1), "5"));
        ASSERT_TRUE(forms::click(next()));
        EXPECT_FLOAT_EQ(declar().MaxElementSize, 5.0f) << factor;
        w.unloadWithoutEvents();
        wizard.reset();
    }
}

// The sizes stop where the generation stops: ten times the slab's extent
// (the sample is 12 x 8), shown in the message, in the length unit.
TEST_F(WizardTest, ElementSizesAreLimitedByTheSlabsExtent) {
    writeUnits("\"[cm]\",100");
    orvelo::frmWizard& w = open(copySample());
    ASSERT_TRUE(forms::click(next()));
    ASSERT_TRUE(forms::click(next()));
    // r up to that limit; rmin above 0 up to r as typed.
    const struct { const char *r, *rmin, *limit; } refused[] = {{"1E+10", "1", "12000"}, {"12000", "-1", "12000"}, {"0.7", "0", "0.7"}};
    for (const auto& c : refused) {
        ASSERT_TRUE(forms::editText(w.TxtInputData(1), c.r));
        ASSERT_TRUE(forms::editText(w.TxtInputData(2), c.rmin));
        box->answer(forms::vbOK);
        ASSERT_TRUE(forms::click(next()));
        EXPECT_EQ(w.CurrentStep(), 2);
        EXPECT_EQ(box->boxes().back().prompt, text(140370, {"|1", "0", "|2", c.limit})) << c.r << ", " << c.rmin;
    }
    ASSERT_TRUE(forms::editText(w.TxtInputData(1), "12000"));
    ASSERT_TRUE(forms::editText(w.TxtInputData(2), "12000"));
    ASSERT_TRUE(forms::click(next()));
    EXPECT_EQ(w.CurrentStep(), 3);
    EXPECT_FLOAT_EQ(declar().MaxElementSize, 120.0f);
}

// Each step shows with the focus on its first box; Enter moves row by row
// and from the last row to the next step, never onto a button. Tab follows
// the button bar from left to right.
TEST_F(WizardTest, EnterLeadsThroughTheStepsWithTheFocusOnTheirFirstBoxes) {
    const std::string project = copySample();
    orvelo::frmWizard& w = open();
    EXPECT_EQ(w.ActiveControl(), &w.TxtProject.get());
    // The path is taken without the blanks around it.
    ASSERT_TRUE(forms::editText(w.TxtProject.get(), "  " + project + " "));
    ASSERT_TRUE(forms::typeText(w.TxtProject.get(), "\r"));
    EXPECT_EQ(w.CurrentStep(), 1);
    EXPECT_EQ(w.ActiveControl(), &w.OptElementType(0));
    ASSERT_TRUE(forms::typeText(w.OptElementType(0), "\r"));
    EXPECT_EQ(w.CurrentStep(), 2);
    EXPECT_EQ(w.ActiveControl(), &w.TxtInputData(0));
    ASSERT_TRUE(forms::typeText(w.TxtInputData(0), "\r"));
    EXPECT_EQ(w.ActiveControl(), &w.TxtInputData(1));
    EXPECT_EQ(w.TxtInputData(0).Text(), "30") << "Enter is swallowed";
    ASSERT_TRUE(forms::typeText(w.TxtInputData(1), "\r"));
    ASSERT_TRUE(forms::typeText(w.TxtInputData(2), "\r"));
    EXPECT_EQ(w.CurrentStep(), 3);
    EXPECT_EQ(w.ActiveControl(), &w.TxtSaveProjectAs.get()) << "not Finish";
    EXPECT_TRUE(box->boxes().empty());
    ASSERT_TRUE(forms::click(back()));
    EXPECT_EQ(w.ActiveControl(), &w.TxtInputData(0));

    std::vector<std::int16_t> tabOrder;
    for (forms::Control* c : w.Controls())
        if (c->Name() == "cmdNav") tabOrder.push_back(c->Index());
    EXPECT_EQ(tabOrder, (std::vector<std::int16_t>{0, 2, 3, 4, 1})) << "Help, Back, Next, Finish, Cancel";
}

TEST_F(WizardTest, CommandLineIsTakenWholeAndFillsTheOutput) {
    std::filesystem::create_directories(folder.path("my projects"));
    ohtest::CopySampleProject(folder.path("my projects/raft 2"));
    const std::string path = folder.path("my projects/raft 2/RAFT.PO1");
    orvelo::frmWizard& w = open(path);
    const orvelo::Declar& d = declar();
    EXPECT_EQ(w.TxtProject->Text(), path);
    EXPECT_EQ(d.ProjectPath, path);
    EXPECT_EQ(d.DataDir, folder.path("my projects/raft 2/"));
    EXPECT_EQ(d.ProjectName, "RAFT");
    EXPECT_EQ(d.OutputName, "RAFT_Adaptive");
    EXPECT_EQ(w.TxtSaveProjectAs->Text(), "RAFT_Adaptive.PO1");
    EXPECT_EQ(w.txtDataDir->Text(), d.DataDir);
    EXPECT_TRUE(next().Enabled());
    w.unloadWithoutEvents();

    // A path the reader rejects stays in the box, and only there.
    orvelo::resetDeclar();
    const std::string missing = folder.path("none/NONE.PO1");
    orvelo::frmWizard& rejected = open(missing);
    EXPECT_EQ(rejected.TxtProject->Text(), missing);
    EXPECT_TRUE(declar().OutputName.empty());
    EXPECT_TRUE(rejected.TxtSaveProjectAs->Text().empty());
    EXPECT_TRUE(next().Enabled());
    EXPECT_TRUE(box->boxes().empty());
}

TEST_F(WizardTest, BrowseTakesTheChosenProjectAndProposesTheOutput) {
    const std::string project = copySample();
    orvelo::frmWizard& w = open();
    int calls = 0;
    w.setOpenProjectDialog([&](std::int32_t, std::string& file, const std::string& dataDir, std::string& dir,
                               std::string& name) {
        ++calls;
        EXPECT_EQ(dataDir, declar().DataDir);
        if (calls == 1) return true;  // cancelled: nothing changes
        file = project;
        dir = folder.path("raft/");
        name = "RAFT";
        return false;
    });
    ASSERT_TRUE(forms::click(*w.Cmdbrowse));
    EXPECT_TRUE(w.TxtProject->Text().empty());
    EXPECT_FALSE(next().Enabled());
    ASSERT_TRUE(forms::click(*w.Cmdbrowse));
    EXPECT_EQ(w.TxtProject->Text(), project);
    EXPECT_EQ(declar().OutputDir, folder.path("raft/"));
    EXPECT_EQ(w.TxtSaveProjectAs->Text(), "RAFT_Adaptive.PO1");
    EXPECT_TRUE(next().Enabled());

    // The folder browser opens at the output folder in the box.
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(forms::click(next()));
    ASSERT_TRUE(forms::click(*w.CmdBrowseFolder));
    ASSERT_EQ(folderDialog->requests().size(), 1u);
    EXPECT_EQ(folderDialog->requests()[0].startFolder, folder.path("raft/"));
}

TEST_F(WizardTest, F1ShowsHelpAndCancelAsksFirst) {
    std::filesystem::create_directories(folder.path("prog/help/Orvelo_en"));
    folder.write("prog/help/Orvelo_en/orvelo_titel_1.htm", "<html></html>");
    auto desktop = std::make_shared<forms::RecordingDesktop>();
    const auto previous = forms::setDesktop(desktop);
    orvelo::frmWizard& w = open();
    ASSERT_TRUE(forms::pressKey(*w.TxtProject, forms::vbKeyF1));
    ASSERT_EQ(desktop->openedUrls.size(), 1u);
    EXPECT_NE(desktop->openedUrls[0].find("/help/Orvelo_en/orvelo_titel_1.htm"), std::string::npos)
        << desktop->openedUrls[0];
    forms::setDesktop(previous);

    // Escape presses Cancel; Cancel in the close question keeps the window.
    box->answer(forms::vbCancel);
    ASSERT_TRUE(forms::pressKey(*w.TxtProject, forms::vbKeyEscape));
    ASSERT_EQ(box->boxes().size(), 1u);
    EXPECT_EQ(box->boxes()[0].prompt, text(140172));
    EXPECT_TRUE(w.loaded());
    box->answer(forms::vbOK);
    ASSERT_TRUE(forms::click(w.cmdNav(1)));
    EXPECT_FALSE(w.loaded());
}

// The checks of Finish on the input path and the output project.
TEST_F(WizardTest, FinishChecksTheInputPathAndTheOutputProject) {
    const std::string project = copySample();
    orvelo::frmWizard& w = open(project);
    int runs = 0;
    orvelo::operationRunner().Procedures[orvelo::OpOpenSourceProject] = [&](orvelo::ClsRefineWaitMessage&) {
        ++runs;
        orvelo::RunControl().RunState(halvex::ExitWithoutSaving);
    };
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(forms::click(next()));

    // A missing output directory is named.
    ASSERT_TRUE(forms::editText(*w.txtDataDir, folder.path("missing")));
    box->answer(forms::vbOK);
    ASSERT_TRUE(forms::click(finish()));
    ASSERT_EQ(box->boxes().size(), 1u);
    EXPECT_EQ(box->boxes()[0].prompt, text(190031, {"|1", folder.path("missing/")}));
    EXPECT_EQ(forms::iconOf(box->boxes()[0].style), forms::vbInformation);
    EXPECT_EQ(box->boxes()[0].title, "Tessaro");
    EXPECT_EQ(w.CurrentStep(), 3);
    EXPECT_EQ(w.ActiveControl(), &w.txtDataDir.get());

    // The input project itself, in any spelling of its folder and name.
    ASSERT_TRUE(forms::editText(*w.txtDataDir, folder.path("raft/../raft")));
    ASSERT_TRUE(forms::editText(*w.TxtSaveProjectAs, "raft.PO1"));
    box->answer(forms::vbOK);
    ASSERT_TRUE(forms::click(finish()));
    ASSERT_EQ(box->boxes().size(), 2u);
    EXPECT_EQ(box->boxes()[1].prompt, text(190009, {"|1", "raft"}));
    EXPECT_EQ(w.ActiveControl(), &w.TxtSaveProjectAs.get());

    // No name, blanks or dots only, a folder; characters no file name should
    // hold, each named; one too long for the run's temporary folder beside it.
    const std::string longName(242, 'n');
    const std::vector<std::pair<std::string, std::string>> badNames{
        {".PO1", text(190014)}, {"   ", text(190014)}, {".", text(190014)}, {"...PO1", text(190014)}, {"sub/OUT", text(190014)},
        {"a*b?", text(190300, {"|1", "a*b?", "|2", "*"})}, {"a\tb", text(190300, {"|1", "a\tb", "|2", "U+0009"})},
        {"x<y>|z", text(190300, {"|1", "x<y>|z", "|2", "<"})},
        {longName, text(190301, {"|1", longName, "|2", "242", "|3", std::to_string(orvelo::LongestOutputName())})}};
    for (const auto& [name, told] : badNames) {
        ASSERT_TRUE(forms::editText(*w.TxtSaveProjectAs, name));
        box->answer(forms::vbOK);
        ASSERT_TRUE(forms::click(finish()));
        EXPECT_EQ(box->boxes().back().prompt, told) << name;
    }
    EXPECT_EQ(runs, 0);

    // The project extension counts in any case, in the input path and in
    // the output name; a path written without it gets it at Finish. (A
    // failed run returns to step 0; toOutputStep goes back to step 3.)
    auto toOutputStep = [&] {
        ASSERT_TRUE(forms::editText(*w.TxtProject, project));
        for (int i = 0; i < 3; ++i) ASSERT_TRUE(forms::click(next()));
    };
    ASSERT_TRUE(forms::editText(*w.TxtSaveProjectAs, " out .po1 "));
    w.TxtProject->Text(folder.path("raft/raft.po1"));
    box->answer(forms::vbOK);  // the run's failure
    ASSERT_TRUE(forms::click(finish()));
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(declar().OutputName, "out");
    EXPECT_EQ(declar().OutputDir, folder.path("raft/../raft/"));
    toOutputStep();
    ASSERT_TRUE(forms::editText(*w.TxtSaveProjectAs, "OUT"));
    w.TxtProject->Text(folder.path("raft/RAFT"));
    box->answer(forms::vbOK);
    ASSERT_TRUE(forms::click(finish()));
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(declar().OutputName, "OUT") << "a name without .PO1 is taken whole";

    // An existing empty directory takes the new project.
    std::filesystem::create_directories(folder.path("empty"));
    toOutputStep();
    ASSERT_TRUE(forms::editText(*w.txtDataDir, folder.path("empty")));
    box->answer(forms::vbOK);
    ASSERT_TRUE(forms::click(finish()));
    EXPECT_EQ(runs, 3);
    EXPECT_EQ(declar().OutputDir, folder.path("empty/"));

    // An input path that names no project: its message, then step 0 with
    // the focus on the path.
    toOutputStep();
    const std::size_t shown = box->boxes().size();
    w.TxtProject->Text(folder.path("raft/NONE"));
    box->answer(forms::vbOK);
    ASSERT_TRUE(forms::click(finish()));
    EXPECT_EQ(runs, 3);
    ASSERT_EQ(box->boxes().size(), shown + 1);
    EXPECT_EQ(box->boxes().back().prompt, text(140160, {"|1", folder.path("raft/NONE.PO1")}));
    EXPECT_EQ(w.CurrentStep(), 0);
    EXPECT_EQ(w.ActiveControl(), &w.TxtProject.get());

    // A file that is no project, after runs: its message names it, and no
    // step of the earlier run heads it.
    folder.write("raft/BROKEN.PO1", "not a header\r\n");
    toOutputStep();
    w.TxtProject->Text(folder.path("raft/BROKEN.PO1"));
    box->answer(forms::vbOK);
    ASSERT_TRUE(forms::click(finish()));
    EXPECT_EQ(runs, 3);
    const std::string& refused = box->boxes().back().prompt;
    EXPECT_EQ(refused.rfind(text(140000, {"|1", folder.path("raft/BROKEN.PO1")}), 0), 0u) << refused;
}

TEST_F(WizardTest, NextNamesAnInputPathThatIsNoProject) {
    orvelo::frmWizard& w = open();
    const std::string missing = folder.path("none/NONE.PO1");
    ASSERT_TRUE(forms::editText(*w.TxtProject, missing));
    box->answer(forms::vbOK);
    ASSERT_TRUE(forms::click(next()));
    EXPECT_EQ(w.CurrentStep(), 0);
    EXPECT_EQ(prompts(), (std::vector<std::string>{text(140160, {"|1", missing})}));
    EXPECT_EQ(w.ActiveControl(), &w.TxtProject.get());

    // A file that is no project: the read message, naming it as well.
    std::filesystem::create_directories(folder.path("none"));
    folder.write("none/BROKEN.PO1", "not a header\r\n");
    ASSERT_TRUE(forms::editText(*w.TxtProject, folder.path("none/BROKEN.PO1")));
    box->answer(forms::vbOK);
    ASSERT_TRUE(forms::click(next()));
    EXPECT_EQ(w.CurrentStep(), 0);
    ASSERT_EQ(box->boxes().size(), 2u);
    EXPECT_NE(box->boxes()[1].prompt.find(folder.path("none/BROKEN.PO1")), std::string::npos)
        << box->boxes()[1].prompt;

    // Each path that names no project gets the message of its cause (Enter
    // in the box acts as Next).
    const std::string project = copySample();
    std::filesystem::copy_file(project, folder.path("none/BARE.PO1"));
    const std::vector<std::pair<std::string, std::string>> causes = {
        {"", text(190064)},
        {folder.path("raft"), text(190065, {"|1", folder.path("raft")})},
        {folder.path("raft/RAFT.PL6"), text(190066, {"|1", folder.path("raft/RAFT.PL6")})},
        {folder.path("none/BARE.PO1"), text(190067, {"|1", "BARE", "|2", folder.path("none/BARE.PL6")})}};
    for (const auto& [path, message] : causes) {
        ASSERT_TRUE(forms::editText(*w.TxtProject, path));
        box->answer(forms::vbOK);
        ASSERT_TRUE(forms::typeText(*w.TxtProject, "\r"));
        EXPECT_EQ(w.CurrentStep(), 0);
        EXPECT_EQ(box->boxes().back().prompt, message) << path;
    }
}

TEST_F(WizardTest, ProposedOutputFollowsTheInputPathUntilTheUserEditsIt) {
    const std::string first = copySample("noresults");
    orvelo::frmWizard& w = open();
    std::string chosen = first;
    w.setOpenProjectDialog([&](std::int32_t, std::string& file, const std::string&, std::string& dir,
                               std::string& name) {
        file = chosen;
        dir = chosen.substr(0, chosen.rfind('/') + 1);
        name = "RAFT";
        return false;
    });
    ASSERT_TRUE(forms::click(*w.Cmdbrowse));
    EXPECT_EQ(w.TxtSaveProjectAs->Text(), "RAFT_Adaptive.PO1");
    EXPECT_EQ(w.txtDataDir->Text(), folder.path("noresults/"));

    // A typed path moves the proposal along.
    std::filesystem::create_directories(folder.path("plate"));
    std::filesystem::copy_file(first, folder.path("plate/PLATE.PO1"));
    std::filesystem::copy_file(folder.path("noresults/RAFT.PL6"), folder.path("plate/PLATE.PL6"));
    ASSERT_TRUE(forms::editText(*w.TxtProject, folder.path("plate/PLATE.PO1")));
    EXPECT_EQ(w.TxtSaveProjectAs->Text(), "PLATE_Adaptive.PO1");
    EXPECT_EQ(w.txtDataDir->Text(), folder.path("plate/"));
    EXPECT_EQ(declar().OutputName, "PLATE_Adaptive");

    // Once the user has edited an output field, neither typing nor
    // browsing replaces it.
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(forms::click(next()));
    ASSERT_TRUE(forms::editText(*w.TxtSaveProjectAs, "MINE.PO1"));
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(forms::click(back()));
    ASSERT_TRUE(forms::editText(*w.TxtProject, folder.path("other/SLAB.PO1")));
    chosen = copySample("third");
    ASSERT_TRUE(forms::click(*w.Cmdbrowse));
    EXPECT_EQ(w.TxtSaveProjectAs->Text(), "MINE.PO1");
    EXPECT_EQ(w.txtDataDir->Text(), folder.path("plate/"));
    EXPECT_EQ(w.TxtProject->Text(), chosen);
}

TEST_F(WizardTest, TheCloseBoxAsksWhatCancelAsks) {
    orvelo::frmWizard& w = open();
    box->answer(forms::vbCancel);
    ASSERT_TRUE(forms::closeWindow(w));
    EXPECT_TRUE(w.loaded());
    EXPECT_EQ(prompts(), (std::vector<std::string>{text(140172)}));
    // Not while an operation runs (the window disabled under its wait
    // window).
    w.Enabled(false);
    forms::closeWindow(w);
    EXPECT_TRUE(w.loaded());
    EXPECT_EQ(box->boxes().size(), 1u);
    w.Enabled(true);
    box->answer(forms::vbOK);
    forms::closeWindow(w);
    EXPECT_FALSE(w.loaded());
}

// In every language the Browse buttons and the parameter labels of either
// element type hold their caption; Arabic mirrors.
TEST_F(WizardTest, BrowseButtonsAndParameterLabelsFitTheirCaptionsAndArabicMirrorsTheWindow) {
    quillon::ClsLanguageText::setLanguageSource([] { return halvex::StoredInterfaceLanguage(); });
    for (const char* language : {"English", "German", "Arabic"}) {
        forms::settings().save("valmor", "Interface Language setting", "Language", language);
        orvelo::resetServices();
        halvex::libraryState().TextLib.reset();
        if (wizard) wizard->unloadWithoutEvents();
        orvelo::frmWizard& w = open();
        const bool mirrored = std::string(language) == "Arabic";
        EXPECT_EQ(w.TxtProject->RightToLeft(), mirrored) << language;
        for (auto [button, box] : {std::pair{&w.Cmdbrowse.get(), &w.TxtProject.get()},
                                   std::pair{&w.CmdBrowseFolder.get(), &w.txtDataDir.get()}}) {
            EXPECT_GE(button->Width(), w.TextWidth(button->Caption()) + 480) << language;
            const auto [first, second] = mirrored ? std::pair{button, box} : std::pair{box, button};
            EXPECT_LT(first->Left() + first->Width(), second->Left()) << language;
        }
        const std::vector<std::vector<int>> captions = {{100021}, {100022, 100010}, {100023, 190003}};
        for (std::int16_t i = 0; i < 3; ++i) {
            forms::Control& label = w.LblInputData(i);
            forms::Control& box = w.TxtInputData(i);
            for (int number : captions[static_cast<std::size_t>(i)])
                EXPECT_GE(label.Width(), w.TextWidth(orvelo::LanguageTexts().GetText(number))) << language << number;
            const auto [first, second] = mirrored ? std::pair{&box, &label} : std::pair{&label, &box};
            EXPECT_LT(first->Left() + first->Width(), second->Left()) << language;
        }
    }
    quillon::ClsLanguageText::setLanguageSource({});
    forms::settings().remove("valmor", "Interface Language setting", "Language");
    orvelo::resetServices();
    halvex::libraryState().TextLib.reset();
}

}  // namespace

// A project in a folder the user may not write to is refused at once (taken
// as the user nobody, since root may write anywhere).
TEST_F(WizardTest, AnInputFolderThatCannotBeWrittenToIsTold) {
    const std::string project = copySample();
    using std::filesystem::perms, std::filesystem::perm_options;
    std::filesystem::permissions(folder.dir(), perms::others_read | perms::others_exec, perm_options::add);
    std::filesystem::permissions(folder.path("raft"), perms::owner_write, perm_options::remove);
    orvelo::frmWizard& w = open(project);
    box->answer(forms::vbOK);
    {
        const ohtest::Unprivileged asNobody;
        forms::click(next());
    }
    std::filesystem::permissions(folder.path("raft"), perms::owner_write, perm_options::add);
    ASSERT_EQ(box->boxes().size(), 1u);
    EXPECT_EQ(box->boxes()[0].prompt, text(190302, {"|1", folder.path("raft/")}));
    EXPECT_EQ(w.CurrentStep(), 0);
}
