// The net-generation entry: what goes to the meshers, what comes back, and
// that only a whole generated net replaces the project's net.
#include "wizard_fixture.h"

#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/bas_orvelo.h"
#include "orvelo/wizard/mesh_generation.h"

namespace {

using orvelo::ClsRefineWaitMessage;
using orvelo::declar;
using orvelo::NetElement;
using orvelo::OutlinePiece;
using orvelo::straightPiece;

NetElement triangle(std::int16_t a, std::int16_t b, std::int16_t c) {
    NetElement e;
    e.CornerCount = 3;
    e.Node = {0, a, b, c, 0};
    e.Flag = {0, 1, 8, 1, 0};
    return e;
}

class GenerationTest : public WizardTest {
protected:
    void SetUp() override {
        WizardTest::SetUp();
        orvelo::Declar& d = declar();
        d.MeshType = 5;
        // The project's net: a unit square of two triangles, with sizes.
        d.NodeCount = 4;
        d.NodeX = {0, 0, 1, 1, 0};
        d.NodeY = {0, 0, 0, 1, 1};
        d.ElementCount = 2;
        d.ElementList = {NetElement{}, triangle(1, 2, 3), triangle(1, 3, 4)};
        d.NodeTargetSize = {0, 0.5f, 0.5f, 0.5f, 0.5f};
        d.OutlinePieceCount = 99;  // not read: the list decides
        d.OutlinePieces = {OutlinePiece{}, straightPiece(0, 0, 1, 0), straightPiece(1, 0, 1, 1),
                           straightPiece(1, 1, 0, 1), straightPiece(0, 1, 0, 0)};
        d.GridCountX = 2;
        d.GridX = {0, 0, 0.5f, 1};
        d.GridCountY = 1;
        d.GridY = {0, 0, 1};
        d.LineStart = {{}, {0.1f, 0.5f}};
        d.LineEnd = {{}, {0.9f, 0.5f}};
        d.SinglePoints = {{}, {0.25f, 0.25f}, {0.75f, 0.75f}};
        before = orvelo::projectNetOf(d);
    }

    std::int16_t generate() {
        orvelo::Declar& d = declar();
        return orvelo::GenerateFENet(d.OutlinePieceCount, d.OutlinePieces, d.NodeCount, d.NodeX, d.NodeY,
                                     d.ElementCount, d.ElementList, d.GridCountX, d.GridX, d.GridCountY, d.GridY,
                                     d.OpeningCount, d.OpeningPieceCount, d.OpeningPieces, d.LineCount,
                                     d.LineStart, d.LineEnd, d.SinglePointCount, d.SinglePoints, "[m]", 1.0, "");
    }

    // Operation 0 replaced: it records what the meshers were given and
    // leaves a net of `elements` triangles (or none), then ends with
    // `state`.
    void generatorLeaves(int elements, std::int16_t state = 0) {
        orvelo::operationRunner().Procedures[orvelo::OpGenerateMesh] = [=, this](ClsRefineWaitMessage&) {
            seen = orvelo::basDelaunay();
            oldSeen = orvelo::basOrvelo();
            orvelo::BasDelaunay& m = orvelo::basDelaunay();
            m.MeshNodeCount = elements > 0 ? 3 : 0;
            m.MeshNodeX = {5, 0, 2, 0};
            m.MeshNodeY = {5, 0, 0, 2};
            m.MeshElementCount = static_cast<std::int16_t>(elements);
            m.MeshElementList.assign(2, triangle(1, 2, 3));
            orvelo::RunControl().RunState(state);
        };
    }

    orvelo::ProjectNet before;
    orvelo::BasDelaunay seen;
    orvelo::BasOrvelo oldSeen;
};

TEST_F(GenerationTest, SlabAndOldNetGoToTheMeshersAndTheNewNetComesBack) {
    orvelo::Declar& d = declar();
    d.OpeningCount = 2;
    d.OpeningPieceCount = {0, 3, 5};
    d.OpeningPieces.assign(3, std::vector<OutlinePiece>(7));
    d.OpeningPieces[2][5] = straightPiece(4, 4, 5, 5);
    generatorLeaves(1);
    EXPECT_EQ(generate(), 0);
    EXPECT_EQ(seen.MeshOutlineCount, 4);
    EXPECT_EQ(seen.MeshOutline[3], straightPiece(1, 1, 0, 1));
    ASSERT_EQ(seen.MeshOpenings.size(), 3u);
    EXPECT_EQ(seen.MeshOpenings[1].size(), 6u) << "sized by the largest piece count";
    EXPECT_EQ(seen.MeshOpenings[2][5], straightPiece(4, 4, 5, 5));
    EXPECT_EQ(seen.MeshLineCount, 1);
    EXPECT_EQ(seen.MeshLineEnd[1].X, 0.9f);
    EXPECT_EQ(seen.MeshPointCount, 2);
    EXPECT_EQ(seen.MeshGridX, (std::vector<float>{0, 0, 0.5f, 1}));
    EXPECT_EQ(seen.MeshGridCountY, 1);
    EXPECT_EQ(declar().OldNodeCount, 4);
    EXPECT_EQ(oldSeen.OldNodeX, before.NodeX);
    EXPECT_EQ(oldSeen.OldElementCount, 2);
    EXPECT_EQ(oldSeen.OldElementList, before.ElementList);

    EXPECT_EQ(d.NodeCount, 3);
    EXPECT_EQ(d.NodeX, (std::vector<float>{0, 0, 2, 0})) << "entry 0, the mesher's scratch slot, is not copied";
    EXPECT_EQ(d.ElementCount, 1);
    EXPECT_EQ(d.ElementList.size(), 2u);
    EXPECT_EQ(d.GridX, (std::vector<float>{0, 0, 0.5f, 1}));
    EXPECT_EQ(orvelo::basDelaunay().MeshNodeCount, 0);
    EXPECT_EQ(orvelo::basDelaunay().MeshElementList.size(), 1u) << "the meshers' net is released";
    EXPECT_TRUE(box->boxes().empty());
}

TEST_F(GenerationTest, RunStateThreeOnEntryChangesNothing) {
    bool ran = false;
    orvelo::operationRunner().Procedures[orvelo::OpGenerateMesh] = [&](ClsRefineWaitMessage&) { ran = true; };
    orvelo::RunControl().RunState(halvex::ExitWithoutSaving);
    EXPECT_EQ(generate(), 0);
    EXPECT_FALSE(ran);
    EXPECT_EQ(orvelo::projectNetOf(declar()), before);
    EXPECT_EQ(declar().OldNodeCount, 0);
}

TEST_F(GenerationTest, OnlyAWholeGeneratedNetReplacesTheProjectsNet) {
    // Stopped or failed: the net the meshers held is dropped silently.
    generatorLeaves(1, halvex::ExitWithoutSaving);
    EXPECT_EQ(generate(), 0);
    EXPECT_EQ(orvelo::projectNetOf(declar()), before);
    EXPECT_EQ(orvelo::basDelaunay().MeshElementCount, 0);
    EXPECT_TRUE(box->boxes().empty());

    // No net at all (too few outline pieces): the user is told, the run stops.
    orvelo::RunControl().RunState(0);
    generatorLeaves(0);
    box->answer(forms::vbOK);
    EXPECT_EQ(generate(), 0);
    EXPECT_EQ(orvelo::projectNetOf(declar()), before);
    EXPECT_EQ(runState(), halvex::ExitWithoutSaving);
    ASSERT_EQ(prompts(), (std::vector<std::string>{text(190013)}));
}

TEST_F(GenerationTest, GridTypeRunsWithoutTheTriangleOptions) {
    orvelo::Declar& d = declar();
    d.MeshType = 3;
    // A grid fine enough for the line and the single points.
    d.GridCountX = 8;
    d.GridX = {0, 0, 0.125f, 0.25f, 0.375f, 0.5f, 0.625f, 0.75f, 0.875f, 1};
    d.GridCountY = 8;
    d.GridY = d.GridX;
    d.SmoothMeshFlag = true;
    d.BoundaryFrontPointsFlag = true;
    bool flagsAtGeneration = true;
    orvelo::operationRunner().Procedures[orvelo::OpGenerateMesh] = [&](ClsRefineWaitMessage&) {
        flagsAtGeneration = d.SmoothMeshFlag || d.BoundaryFrontPointsFlag;
        orvelo::GenerateMeshByType();
    };
    EXPECT_EQ(generate(), 0);
    EXPECT_FALSE(flagsAtGeneration);
    EXPECT_FALSE(d.SmoothMeshFlag);
    EXPECT_EQ(runState(), 0);
    EXPECT_GT(d.ElementCount, 2) << "the grid-based net refined by the size field";
    EXPECT_TRUE(box->boxes().empty());
    EXPECT_EQ(d.DrawingScale, 0.0f) << "no Delaunay generation ran: the transfer takes the nearest node";
}

TEST_F(GenerationTest, SmoothingAndFrontPointsFollowTheTriangulation) {
    // The same slab three times: triangulated only, then smoothed, then
    // smoothed and given its front points.
    orvelo::Declar& d = declar();
    d.MinAngle = 25.0f;
    d.MaxElementSize = 0.5f;
    d.MinElementSize = 0.0f;
    auto run = [&](bool smooth, bool frontPoints) {
        orvelo::RunControl().RunState(0);
        d.NodeCount = before.NodeCount;
        d.NodeX = before.NodeX;
        d.NodeY = before.NodeY;
        d.ElementCount = before.ElementCount;
        d.ElementList = before.ElementList;
        d.SmoothMeshFlag = smooth;
        d.BoundaryFrontPointsFlag = frontPoints;
        EXPECT_EQ(generate(), 0);
        EXPECT_EQ(runState(), 0);
        return orvelo::projectNetOf(d);
    };
    const orvelo::ProjectNet plain = run(false, false);
    EXPECT_EQ(d.MinElementSize, 0.0f);
    const orvelo::ProjectNet smoothed = run(true, false);
    EXPECT_EQ(smoothed.ElementList, plain.ElementList);
    EXPECT_NE(smoothed.NodeX, plain.NodeX) << "the free nodes moved";
    const orvelo::ProjectNet both = run(true, true);
    EXPECT_EQ(both.NodeX, smoothed.NodeX) << "every front point would lower the smallest angle";
    EXPECT_EQ(d.MinElementSize, 0.001f) << "rmin raised by the front points";
    EXPECT_TRUE(box->boxes().empty());
}

TEST_F(GenerationTest, AStoppedTriangulationIsNeitherSmoothedNorTaken) {
    orvelo::Declar& d = declar();
    d.MinAngle = 25.0f;
    d.MaxElementSize = 0.5f;
    d.MinElementSize = 0.1f;
    d.SmoothMeshFlag = true;
    d.BoundaryFrontPointsFlag = true;
    drovik::ClsWaitWindow::stopAfterUpdates(6);
    EXPECT_EQ(generate(), 0);
    drovik::ClsWaitWindow::stopAfterUpdates(0);
    EXPECT_EQ(runState(), halvex::ExitWithoutSaving) << "the smoothing did not set it back to 0";
    EXPECT_EQ(orvelo::projectNetOf(d), before);
    EXPECT_TRUE(box->boxes().empty());
}

TEST_F(GenerationTest, ListsThatDoNotAgreeEndTheRunWithAMessage) {
    generatorLeaves(1);
    orvelo::RunWaitOperation(orvelo::OpDeleteNodesQuiet);
    ASSERT_TRUE(orvelo::operationRunner().CurrentOperation);
    declar().LineEnd.resize(1);  // a line without its end
    box->answer(forms::vbOK);
    EXPECT_EQ(generate(), -1);
    EXPECT_EQ(runState(), halvex::ExitWithoutSaving);
    EXPECT_EQ(forms::iconOf(box->boxes().at(0).style), forms::vbCritical);
    EXPECT_FALSE(orvelo::operationRunner().CurrentOperation);
    EXPECT_EQ(orvelo::projectNetOf(declar()), before);

    // A grid of 32767 intervals has one line too many for a count.
    orvelo::RunControl().RunState(0);
    declar().LineEnd = declar().LineStart;
    declar().GridCountX = 32767;
    box->answer(forms::vbOK);
    EXPECT_EQ(generate(), -1);
    EXPECT_EQ(box->boxes().at(1).prompt, rt::errorDescription(6));
}

TEST_F(GenerationTest, SingularPointPassStepsOncePerOldNode) {
    auto window = std::make_shared<drovik::ClsWaitWindow>();
    orvelo::SetOperationWaitWindowSource([window] { return window.get(); });
    declar().OldNodeCount = 4;
    orvelo::FindSingularPoints();
    EXPECT_EQ(window->statusText(), "Determining singular points");
    EXPECT_EQ(window->progressMax(), 4);
    EXPECT_EQ(window->updateCount(), 4);
    EXPECT_EQ(window->progressValue(), 4);

    // A stop ends the pass and the run; a size field shorter than the old
    // net is reported and does not stop the run.
    drovik::ClsWaitWindow::stopAfterUpdates(2);
    orvelo::FindSingularPoints();
    EXPECT_EQ(window->updateCount(), 6);
    EXPECT_EQ(runState(), halvex::ExitWithoutSaving);
    orvelo::RunControl().RunState(0);
    drovik::ClsWaitWindow::stopAfterUpdates(0);
    auto fresh = std::make_shared<drovik::ClsWaitWindow>();
    window = fresh;
    orvelo::SetOperationWaitWindowSource([fresh] { return fresh.get(); });
    declar().NodeTargetSize.resize(3);
    box->answer(forms::vbOK);
    orvelo::FindSingularPoints();
    EXPECT_EQ(box->boxes().size(), 1u);
    EXPECT_EQ(runState(), 0);
}

}  // namespace
