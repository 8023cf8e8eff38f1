// Finish: the operations of one run in their order, the end question, a
// failed run, and a second run after No.
#include "wizard_fixture.h"

#include <algorithm>

#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/project/output_folder.h"

namespace {

using orvelo::ClsRefineWaitMessage;
using orvelo::declar;

// A generated net the stand-in of operation 0 leaves: two triangles.
void makeTwoTriangles() {
    orvelo::BasDelaunay& m = orvelo::basDelaunay();
    m.MeshNodeCount = 4;
    m.MeshNodeX = {9, 0, 1, 1, 0};  // entry 0: the scratch slot
    m.MeshNodeY = {9, 0, 0, 1, 1};
    m.MeshElementCount = 2;
    m.MeshElementList.assign(3, orvelo::NetElement{});
    m.MeshElementList[1].CornerCount = 3;
    m.MeshElementList[1].Node = {0, 1, 2, 3, 0};
    m.MeshElementList[2].CornerCount = 3;
    m.MeshElementList[2].Node = {0, 1, 3, 4, 0};
}

class RunTest : public WizardTest {
protected:
    // Every operation of the run replaced by a recorder; `failAt` (when not
    // -1) ends with run state 3 in that operation.
    void recordOperations(int failAt = -1) {
        for (int code : {8, 10, 9, 0, 12, 11}) {
            orvelo::operationRunner().Procedures[code] = [this, code, failAt](ClsRefineWaitMessage&) {
                ran.push_back(code);
                if (code == 9) declar().NodeTargetSize.assign(declar().NodeCount + 1, 1.0f);
                if (code == 0) {
                    valuesAtGeneration = {declar().MinAngle, declar().MaxElementSize, declar().MinElementSize};
                    flagsAtGeneration = {declar().SmoothMeshFlag, declar().BoundaryFrontPointsFlag,
                                         declar().RecalculateBoundaryFlag};
                    makeTwoTriangles();
                }
                if (code == failAt) orvelo::RunControl().RunState(halvex::ExitWithoutSaving);
            };
        }
    }

    std::vector<int> ran;
    std::vector<float> valuesAtGeneration;
    std::vector<bool> flagsAtGeneration;
};

TEST_F(RunTest, FinishRunsTheOperationsInOrderWithTheValuesOfTheSteps) {
    orvelo::frmWizard& w = open(copySample());
    recordOperations();
    ASSERT_TRUE(forms::click(*w.ChkRecalculateMeshBoundary));  // off
    ASSERT_TRUE(forms::click(next()));
    ASSERT_TRUE(forms::click(*w.chkSmoothMesh));
    ASSERT_TRUE(forms::click(next()));
    ASSERT_TRUE(forms::editText(w.TxtInputData(0), "25"));
    ASSERT_TRUE(forms::editText(w.TxtInputData(1), "0.5"));
    ASSERT_TRUE(forms::editText(w.TxtInputData(2), "0.125"));
    box->answer(forms::vbNo);
    ASSERT_TRUE(forms::click(finish()));

    EXPECT_EQ(ran, (std::vector<int>{8, 10, 9, 0, 12, 11}));
    EXPECT_EQ(valuesAtGeneration, (std::vector<float>{25.0f, 0.5f, 0.125f}));
    EXPECT_EQ(flagsAtGeneration, (std::vector<bool>{true, false, false}));
    const orvelo::Declar& d = declar();
    EXPECT_EQ(d.ProjectCount, 1);
    EXPECT_EQ(d.ProjectList, (std::vector<std::string>{"", "RAFT"}));
    EXPECT_EQ(orvelo::NetSettings().SavedMeshType(), 5);
    EXPECT_EQ(d.ElementCount, 2) << "the generated net is the project's net";
    EXPECT_EQ(d.NodeX, (std::vector<float>{0, 0, 1, 1, 0}));

    ASSERT_EQ(box->boxes().size(), 1u);
    const forms::MessageBoxRequest& question = box->boxes()[0];
    EXPECT_EQ(question.prompt, text(190002, {16, "|1", "RAFT_Adaptive", "|2", folder.path("raft/")}));
    EXPECT_EQ(question.style, forms::vbYesNo | forms::vbQuestion);
    EXPECT_EQ(question.title, "Tessaro") << "the program's name";
    EXPECT_EQ(forms::screen().MousePointer(), 0);

    // No: back to the first step with every value kept, and a second
    // Finish runs the whole road again.
    EXPECT_EQ(w.CurrentStep(), 0);
    EXPECT_TRUE(w.fraStep(0).Visible());
    EXPECT_FALSE(w.fraStep(2).Visible());
    EXPECT_EQ(w.TxtInputData(1).Text(), "0.5");
    EXPECT_EQ(w.ChkRecalculateMeshBoundary->Value(), 0);
    EXPECT_TRUE(finish().Enabled());
    box->answer(forms::vbNo);
    ASSERT_TRUE(forms::click(finish()));
    EXPECT_EQ(ran.size(), 12u);
    EXPECT_EQ(valuesAtGeneration, (std::vector<float>{25.0f, 0.5f, 0.125f}));
    EXPECT_EQ(flagsAtGeneration, (std::vector<bool>{true, false, false}));
}

TEST_F(RunTest, FinishOnStepOneTakesTheBoxesAsTickedThere) {
    orvelo::frmWizard& w = open(copySample());
    recordOperations();
    ASSERT_TRUE(forms::click(next()));
    ASSERT_TRUE(forms::click(*w.chkSmoothMesh));
    ASSERT_TRUE(forms::click(*w.chkBoundaryFrontPoint));
    box->answer(forms::vbNo);
    ASSERT_TRUE(forms::click(finish()));
    EXPECT_EQ(flagsAtGeneration, (std::vector<bool>{true, true, true}));
    EXPECT_EQ(valuesAtGeneration, (std::vector<float>{30.0f, 1.0f, 0.25f})) << "the defaults";
}

TEST_F(RunTest, AFailedOperationSkipsTheRestAndShowsThatTheRunDidNotComplete) {
    const std::vector<int> order = {8, 10, 9, 0, 12, 11};
    for (std::size_t k = 0; k < order.size(); ++k) {
        SCOPED_TRACE(order[k]);
        orvelo::frmWizard& w = open(copySample("raft" + std::to_string(k)));
        ran.clear();
        recordOperations(order[k]);
        const std::size_t shown = box->boxes().size();
        box->answer(forms::vbOK);
        ASSERT_TRUE(forms::click(next()));
        ASSERT_TRUE(forms::click(finish()));
        EXPECT_EQ(ran, std::vector<int>(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(k) + 1));
        ASSERT_EQ(box->boxes().size(), shown + 1);
        const forms::MessageBoxRequest& shownBox = box->boxes().back();
        // However late the run fails, no output project is left.
        EXPECT_EQ(shownBox.prompt, text(190010));
        EXPECT_TRUE(orvelo::ProjectFileSet(folder.path("raft" + std::to_string(k)), "RAFT_Adaptive").empty());
        EXPECT_EQ(forms::iconOf(shownBox.style), forms::vbExclamation);
        EXPECT_EQ(w.CurrentStep(), 0);
        if (order[k] != 11 && order[k] != 12) {
            EXPECT_EQ(declar().ElementCount, 0) << "a failed generation never replaces the net";
        }
        EXPECT_EQ(orvelo::basDelaunay().MeshElementCount, 0);
        w.unloadWithoutEvents();
    }
}

TEST_F(RunTest, YesEndsTheProgram) {
    orvelo::frmWizard& w = open(copySample());
    recordOperations();
    ASSERT_TRUE(forms::click(next()));
    box->answer(forms::vbYes);
    ASSERT_TRUE(forms::click(finish()));
    EXPECT_FALSE(w.loaded());
    EXPECT_TRUE(forms::programEnded());
}

}  // namespace
