#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "halvex/interface/enums.h"
#include "halvex/services/library_state.h"
#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/bas_orvelo.h"
#include "orvelo/delaunay/mixed_net_check.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/copy_project.h"
#include "orvelo/project/data_files.h"
#include "orvelo/project/services.h"
#include "orvelo/program_fixture.h"
#include "orvelo/wizard/operation_runner.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/screen.h"
#include "platform/runtime/datachannel.h"
#include "platform/runtime/temp_folder.h"
#include "sample_project.h"

using orvelo::ClsRefineWaitMessage;
using orvelo::operationRunner;
using orvelo::RunWaitOperation;
using orvelotest::CountingWaitWindow;

namespace {

namespace fs = std::filesystem;

class RunnerTest : public ::testing::Test {
protected:
    void SetUp() override {
        orvelotest::ResetProgramState();
        orvelo::resetOperationRunner();
    }

    void TearDown() override {
        orvelo::resetOperationRunner();
        orvelotest::ReleaseProgramState();
    }

    std::int16_t runState() { return orvelo::RunControl().RunState(); }

    std::shared_ptr<drovik::ClsWaitWindow> lastWindow() {
        return operationRunner().CurrentOperation->ObjFENetGeneration();
    }

    // A copy of the committed sample project in the temporary folder, chosen
    // as the input project.
    void chooseSample() {
        ohtest::CopySampleProject(folder.path("raft"));
        orvelo::Declar& d = orvelo::declar();
        d.ProjectPath = folder.path("raft/RAFT.PO1");
        d.DataDir = folder.path("raft/");
        d.ProjectName = "RAFT";
    }

    forms::ScopedMsgBox box;
    TempFolder folder;
};

TEST_F(RunnerTest, EachOperationGetsAFreshObjectAndWindowThatCloseWhenDone) {
    RunWaitOperation(orvelo::OpDeleteNodesQuiet);
    const std::shared_ptr<ClsRefineWaitMessage> first = operationRunner().CurrentOperation;
    ASSERT_TRUE(first);
    EXPECT_EQ(operationRunner().OperationCode, orvelo::OpDeleteNodesQuiet);
    EXPECT_FALSE(lastWindow()->isShown());
    EXPECT_EQ(lastWindow()->updateCount(), 0);
    EXPECT_EQ(forms::screen().MousePointer(), 11) << "only the hourglass is set";

    RunWaitOperation(99);  // no such code: shown and closed, nothing runs
    EXPECT_NE(operationRunner().CurrentOperation, first);
    EXPECT_EQ(operationRunner().OperationCode, 99);
    EXPECT_FALSE(lastWindow()->isShown());
    EXPECT_TRUE(box->boxes().empty());
    EXPECT_EQ(runState(), 0);
    // Outside an operation's work the lower layers see the finished window.
    EXPECT_EQ(orvelo::OperationWaitWindow(), lastWindow().get());
}

TEST_F(RunnerTest, RunStateThreeBlocksEveryLaterOperation) {
    RunWaitOperation(orvelo::OpDeleteNodesQuiet);
    const std::shared_ptr<ClsRefineWaitMessage> previous = operationRunner().CurrentOperation;
    bool ran = false;
    operationRunner().Procedures[orvelo::OpCopyProjectFiles] = [&ran](ClsRefineWaitMessage&) { ran = true; };

    orvelo::RunControl().RunState(halvex::ExitWithoutSaving);
    RunWaitOperation(orvelo::OpCopyProjectFiles);
    EXPECT_FALSE(ran);
    EXPECT_EQ(operationRunner().OperationCode, orvelo::OpDeleteNodesQuiet);
    EXPECT_EQ(operationRunner().CurrentOperation, previous);

    orvelo::RunControl().RunState(0);
    RunWaitOperation(orvelo::OpCopyProjectFiles);
    EXPECT_TRUE(ran);
}

TEST_F(RunnerTest, ErrorInAnOperationIsReportedStopsTheRunAndClosesTheWindow) {
    std::shared_ptr<drovik::ClsWaitWindow> seen;
    operationRunner().Procedures[orvelo::OpInternalForces] = [&seen, this](ClsRefineWaitMessage& operation) {
        seen = operation.ObjFENetGeneration();
        EXPECT_EQ(orvelo::OperationWaitWindow(), seen.get()) << "the lower layers reach the window";
        EXPECT_TRUE(seen->isShown());
        rt::dataChannel().openOutput(folder.path("x"));  // a file left open
        seen->StatusText("Dividing the loads");
        rt::raise(11);
    };
    box->answer(forms::vbOK);
    RunWaitOperation(orvelo::OpInternalForces);
    ASSERT_EQ(box->boxes().size(), 1u);
    EXPECT_EQ(forms::iconOf(box->boxes()[0].style), forms::vbCritical);
    // The error is told with the step it stopped.
    const std::vector<rt::Variant> step = {rt::Variant("|1"), rt::Variant("Dividing the loads"), rt::Variant("|2"),
                                           rt::Variant(rt::errorDescription(11))};
    EXPECT_EQ(box->boxes()[0].prompt, orvelo::LanguageTexts().GetText(rt::Variant(190034), step));
    EXPECT_EQ(runState(), halvex::ExitWithoutSaving);
    EXPECT_FALSE(rt::dataChannel().isOpen());
    ASSERT_TRUE(seen);
    EXPECT_FALSE(seen->isShown());

    // The next operation of the run does nothing.
    RunWaitOperation(orvelo::OpDeleteNodesQuiet);
    EXPECT_EQ(operationRunner().OperationCode, orvelo::OpInternalForces);
}

TEST_F(RunnerTest, WindowWhoseReferenceTheWorkEmptiedStillCloses) {
    operationRunner().Procedures[orvelo::OpTransferData] = [](ClsRefineWaitMessage& operation) {
        operation.ObjFENetGeneration(nullptr);
        rt::raise(62);
    };
    auto operation = std::make_shared<ClsRefineWaitMessage>();
    auto window = std::make_shared<CountingWaitWindow>();
    operation->ObjFENetGeneration(window);
    operationRunner().OperationCode = orvelo::OpTransferData;
    box->answer(forms::vbOK);
    operation->ObjFENetGeneration_RunWaitMessage();
    EXPECT_EQ(window->closes, 1);
    EXPECT_EQ(runState(), halvex::ExitWithoutSaving);
    EXPECT_EQ(box->boxes().size(), 1u);

    // A window the work put in place of the first is closed as well; a
    // replaced window no longer reaches the operation.
    auto replacement = std::make_shared<CountingWaitWindow>();
    operationRunner().Procedures[orvelo::OpTransferData] = [&replacement](ClsRefineWaitMessage& op) {
        op.ObjFENetGeneration(replacement);
    };
    operation->ObjFENetGeneration(window);
    operation->ObjFENetGeneration_RunWaitMessage();
    EXPECT_EQ(window->closes, 2);
    EXPECT_EQ(replacement->closes, 1);
    EXPECT_FALSE(window->onRunWaitMessage);
    EXPECT_TRUE(replacement->onRunWaitMessage);
    operation.reset();
    EXPECT_FALSE(replacement->onRunWaitMessage) << "a dropped operation is not called";
}

TEST_F(RunnerTest, TheEditingOperationsRunTheirTasks) {
    orvelo::resetBasDelaunay();
    orvelo::resetBasOrvelo();
    orvelo::Declar& d = orvelo::declar();
    d.MinAngle = 30.0f;
    d.MaxElementSize = 1.0f;
    d.MinElementSize = 0.1f;
    // A size field of 1 over one old triangle.
    orvelo::BasOrvelo& old = orvelo::basOrvelo();
    old.OldNodeX = {0, -10, 30, -10};
    old.OldNodeY = {0, -10, -10, 30};
    old.OldElementCount = 1;
    old.OldElementList.assign(2, orvelo::NetElement{});
    old.OldElementList[1].CornerCount = 3;
    old.OldElementList[1].Node = {0, 1, 2, 3, 0};
    d.OldNodeCount = 3;
    d.NodeTargetSize = {0, 1, 1, 1};
    // A square of side 4 with a free node off its middle.
    orvelo::meshcheck::UseNet({{0, 0}, {4, 0}, {4, 4}, {0, 4}, {2.5f, 1.5f}}, {{5, 1, 2}, {5, 2, 3}, {5, 3, 4}, {5, 4, 1}});
    orvelo::BasDelaunay& m = orvelo::basDelaunay();
    auto valid = [&m] {
        auto faults = orvelo::meshcheck::CheckMixedNet(m);
        for (const auto& f : orvelo::meshcheck::CheckMixedSideFlags(m)) faults.push_back(f);
        return faults.empty();
    };

    RunWaitOperation(orvelo::OpSmoothMesh);
    EXPECT_EQ(m.MeshNodeX[5], 2.0f);
    EXPECT_EQ(m.MeshNodeY[5], 2.0f);

    m.MeshNodeX[0] = 1.0f;
    m.MeshNodeY[0] = 1.0f;
    RunWaitOperation(orvelo::OpAddNode);
    ASSERT_EQ(m.MeshNodeCount, 6);
    EXPECT_EQ(m.MeshNodeX[6], 1.0f);
    EXPECT_TRUE(valid());

    m.DeleteNodeList = {0, 6};
    RunWaitOperation(orvelo::OpDeleteNodes);
    EXPECT_LE(m.MeshNodeCount, 5);
    EXPECT_TRUE(valid());
    EXPECT_EQ(lastWindow()->statusText(), orvelo::LanguageTexts().GetText(rt::Variant(quillon::TextNo(100038))));

    // (The free node goes onto the apex of the bottom side.)
    orvelo::meshcheck::UseNet({{0, 0}, {4, 0}, {4, 8}, {0, 8}, {2, 2.9f}}, {{1, 2, 5}, {2, 3, 5}, {3, 4, 5}, {4, 1, 5}});
    RunWaitOperation(orvelo::OpBoundaryFrontPoints);
    EXPECT_FLOAT_EQ(m.MeshNodeY[5], 3.4641016f);
    EXPECT_TRUE(valid());

    // Refining inside a window, then the smoothing and the front points by
    // their flags.
    orvelo::meshcheck::UseNet({{0, 0}, {4, 0}, {4, 4}, {0, 4}}, {{1, 2, 3}, {1, 3, 4}});
    m.RefineWindowXMin = -1.0f;
    m.RefineWindowYMin = -1.0f;
    m.RefineWindowXMax = 5.0f;
    m.RefineWindowYMax = 5.0f;
    d.SmoothMeshFlag = true;
    d.BoundaryFrontPointsFlag = true;
    RunWaitOperation(orvelo::OpRefineWindow);
    EXPECT_GT(m.MeshNodeCount, 10);
    EXPECT_TRUE(valid());
    EXPECT_EQ(lastWindow()->statusText(), orvelo::LanguageTexts().GetText(rt::Variant(quillon::TextNo(100033))));
    EXPECT_EQ(runState(), 0);
    EXPECT_TRUE(box->boxes().empty());
}

TEST_F(RunnerTest, StatusTextsOfTheForceAndBoundaryOperations) {
    struct Case {
        std::int16_t systemKind;
        std::int32_t method;
        std::int32_t textNo;
    };
    for (const Case& c : {Case{0, 1, 120113}, Case{0, 7, 120112}, Case{12, 1, 120112},
                          Case{0, 15, 120114}, Case{0, 20, 120112}}) {
        orvelo::declar().SystemKind = c.systemKind;
        orvelo::declar().AnalysisMethod = c.method;
        RunWaitOperation(orvelo::OpInternalForces);
        EXPECT_EQ(orvelo::SharedServices().TextInf().toLong(), c.textNo);
        EXPECT_EQ(lastWindow()->statusText(), orvelo::LanguageTexts().GetText(c.textNo));
    }
    RunWaitOperation(orvelo::OpRecalculateBoundary);
    EXPECT_EQ(lastWindow()->statusText(), orvelo::LanguageTexts().GetText(190006));
    EXPECT_TRUE(box->boxes().empty());
}

TEST_F(RunnerTest, SampleProjectOpensAndCopiesToTheOutputProject) {
    chooseSample();
    RunWaitOperation(orvelo::OpOpenSourceProject);
    ASSERT_TRUE(box->boxes().empty());
    ASSERT_EQ(runState(), 0);
    const orvelo::Declar& d = orvelo::declar();
    EXPECT_EQ(d.NodeCount, 116);
    EXPECT_EQ(d.ElementCount, 184);
    EXPECT_EQ(d.OutlinePieceCount, 4);
    EXPECT_EQ(d.OpeningCount, 1);
    EXPECT_EQ(d.OpeningPieceCount[1], 4);
    EXPECT_EQ(d.GridCountX, 12);
    EXPECT_EQ(d.GridCountY, 8);
    EXPECT_EQ(d.SinglePointCount, 10) << "every point support";
    EXPECT_TRUE(d.SourceNetLoaded);
    for (int i = 1; i <= d.NodeCount; ++i)
        EXPECT_FALSE(d.NodeX[i] > 4 && d.NodeX[i] < 6 && d.NodeY[i] > 3 && d.NodeY[i] < 5)
            << "node " << i << " inside the opening";

    orvelo::declar().OutputDir = folder.path("raft/");
    orvelo::declar().OutputName = "RAFT_Adaptive";
    RunWaitOperation(orvelo::OpCopyProjectFiles);
    EXPECT_TRUE(box->boxes().empty());
    EXPECT_EQ(runState(), 0);
    for (const char* ext : {"PO1", "PL6", "PL8"}) {
        const std::string name = "raft/RAFT_Adaptive." + std::string(ext);
        EXPECT_EQ(folder.read(name), folder.read("raft/RAFT." + std::string(ext))) << name;
    }
    EXPECT_FALSE(lastWindow()->isShown());
}

TEST_F(RunnerTest, MissingInputProjectStopsTheRunSoNothingIsCopied) {
    chooseSample();
    orvelo::declar().ProjectPath = folder.path("raft/NONE.PO1");
    orvelo::declar().ProjectName = "NONE";
    box->answer(forms::vbOK);
    RunWaitOperation(orvelo::OpOpenSourceProject);
    EXPECT_EQ(runState(), halvex::ExitWithoutSaving);
    orvelo::declar().OutputDir = folder.path("out/");
    orvelo::declar().OutputName = "OUT";
    RunWaitOperation(orvelo::OpCopyProjectFiles);
    EXPECT_FALSE(fs::exists(folder.path("out")));
    EXPECT_EQ(box->boxes().size(), 1u);
}

}  // namespace
