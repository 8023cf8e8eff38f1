// Point insertion into a net of triangles and quadrilaterals: refusals, the
// clamps, the cavity and its numbering, constraint sides, the split of a
// quadrilateral with its small-angle repair, and a valid net after every
// insertion.
#include <gtest/gtest.h>

#include <random>

#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/generate.h"
#include "orvelo/delaunay/insert_point.h"
#include "orvelo/delaunay/kernel.h"
#include "orvelo/delaunay/marks.h"
#include "orvelo/delaunay/mesh_fixture.h"
#include "orvelo/delaunay/mixed_net_check.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/services.h"
#include "outside/drovik/wait_window.h"
#include "platform/forms/msgbox.h"
#include "platform/runtime/errors.h"

namespace orvelo {
namespace {

using Corners = std::array<std::int16_t, 5>;

class InsertPointTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetServices();
        resetBasDelaunay();
        resetDeclar();
        declar().MinAngle = 30.0f;
        declar().MinElementSize = 0.1f;
    }
    void TearDown() override {
        drovik::ClsWaitWindow::stopAfterUpdates(0);
        resetServices();
    }

    // A square of side 4 in two triangles, (1, 2, 3) and (1, 3, 4).
    static void square() { meshcheck::UseNet({{0, 0}, {4, 0}, {4, 4}, {0, 4}}, {{1, 2, 3}, {1, 3, 4}}); }
    // The square with node 5 in its middle and four triangles around it.
    static void fan() {
        meshcheck::UseNet({{0, 0}, {4, 0}, {4, 4}, {0, 4}, {2, 2}}, {{5, 1, 2}, {5, 2, 3}, {5, 3, 4}, {5, 4, 1}});
    }
    static std::int16_t insertAt(float x, float y) {
        AppendNode(x, y);
        return InsertPointIntoNet();
    }
    static Corners corners(std::int32_t e) { return basDelaunay().MeshElementList[static_cast<std::size_t>(e)].Node; }
    static void expectValid() {
        const auto faults = meshcheck::CheckMixedNet(basDelaunay());
        for (std::size_t i = 0; i < faults.size() && i < 5; ++i) ADD_FAILURE() << faults[i];
    }
    forms::ScopedMsgBox boxes_;
};

TEST_F(InsertPointTest, APointCloserThanHalfOfRminIsRefusedAndOneAtExactlyHalfIsInserted) {
    declar().MinElementSize = 1.0f;
    fan();
    EXPECT_EQ(insertAt(2.49f, 2.0f), 5) << "the node that refused it";
    EXPECT_EQ(basDelaunay().MeshNodeCount, 5);
    EXPECT_EQ(basDelaunay().MeshNodeX.size(), 6u);
    EXPECT_EQ(basDelaunay().MeshElementCount, 4);
    EXPECT_EQ(insertAt(2.5f, 2.0f), 0);
    EXPECT_EQ(basDelaunay().MeshNodeCount, 6);
    EXPECT_GT(basDelaunay().MeshElementCount, 4);
    expectValid();
}

TEST_F(InsertPointTest, APointInNoElementGoesAgain) {
    fan();
    const BasDelaunay before = basDelaunay();
    EXPECT_EQ(insertAt(5.0f, 1.0f), 0);
    EXPECT_EQ(basDelaunay().MeshNodeCount, 5);
    EXPECT_EQ(basDelaunay().MeshNodeX, before.MeshNodeX);
    EXPECT_EQ(basDelaunay().MeshElementList, before.MeshElementList);
}

TEST_F(InsertPointTest, ThetaAndRminAreClampedForTheRestOfTheRun) {
    declar().MinAngle = 3.0f;
    declar().MinElementSize = 0.0f;
    fan();
    insertAt(3.0f, 1.0f);
    EXPECT_EQ(declar().MinAngle, 5.0f);
    EXPECT_EQ(declar().MinElementSize, 0.001f);
    declar().MinElementSize = -2.0f;
    insertAt(1.0f, 3.0f);
    EXPECT_EQ(declar().MinElementSize, 0.001f);
    declar().MinAngle = 7.5f;
    insertAt(1.0f, 1.0f);
    EXPECT_EQ(declar().MinAngle, 7.5f) << "a theta of 5 or more stays";
    expectValid();
}

TEST_F(InsertPointTest, ALoneTriangleBecomesThreeUnderItsOwnNumberAndTwoNewOnes) {
    meshcheck::UseNet({{0, 0}, {4, 0}, {0, 4}}, {{1, 2, 3}});
    insertAt(1.0f, 1.0f);
    const BasDelaunay& m = basDelaunay();
    ASSERT_EQ(m.MeshElementCount, 3);
    EXPECT_EQ(corners(1), (Corners{0, 4, 1, 2, 0}));
    EXPECT_EQ(corners(2), (Corners{0, 4, 2, 3, 0}));
    EXPECT_EQ(corners(3), (Corners{0, 4, 3, 1, 0}));
    // Every triangle made has its circle: (4, 1, 2) through (0,0), (4,0), (1,1).
    EXPECT_FLOAT_EQ(m.ElementCircle[1][0], 2.0f);
    EXPECT_FLOAT_EQ(m.ElementCircle[1][1], -1.0f);
    EXPECT_FLOAT_EQ(m.ElementCircle[1][2], 5.0f);
    EXPECT_EQ(m.FreeElementDepth, 0);
}

TEST_F(InsertPointTest, NeighboursWhoseCirclesHoldThePointJoinAndTheNumbersComeBackLastFreedFirst) {
    square();
    insertAt(3.0f, 1.0f);
    // Both triangles share one circle: the cavity is the whole square; its
    // open sides (1,2), (2,3), (3,4), (4,1) take 2, 1, then 3 and 4.
    ASSERT_EQ(basDelaunay().MeshElementCount, 4);
    EXPECT_EQ(corners(2), (Corners{0, 5, 1, 2, 0}));
    EXPECT_EQ(corners(1), (Corners{0, 5, 2, 3, 0}));
    EXPECT_EQ(corners(3), (Corners{0, 5, 3, 4, 0}));
    EXPECT_EQ(corners(4), (Corners{0, 5, 4, 1, 0}));
    expectValid();
}

TEST_F(InsertPointTest, TheCavityDoesNotCrossAConstraintSide) {
    square();
    BasDelaunay& m = basDelaunay();
    m.ConstraintEdgeCount = 1;
    m.ConstraintEdges = {{0, 0}, {3, 1}};
    insertAt(3.0f, 1.0f);
    ASSERT_EQ(m.MeshElementCount, 4);
    EXPECT_EQ(corners(2), (Corners{0, 1, 3, 4, 0})) << "the triangle beyond the diagonal stays";
    EXPECT_EQ(meshcheck::MixedSidesOf(m).count({1, 3}), 1u);
    expectValid();
}

TEST_F(InsertPointTest, APointOnAConstraintSideDividesItAndItsRows) {
    square();
    BasDelaunay& m = basDelaunay();
    m.ConstraintEdgeCount = 2;
    m.ConstraintEdges = {{0, 0}, {1, 3}, {3, 1}};
    insertAt(2.0f, 2.0f);
    EXPECT_EQ(m.MeshElementCount, 4);
    EXPECT_EQ(m.ConstraintEdgeCount, 4);
    EXPECT_EQ(m.ConstraintEdges, (EdgeList{{0, 0}, {1, 5}, {3, 5}, {5, 3}, {5, 1}}));
    expectValid();
    // After the marks are restored both halves carry them.
    ResetSideFlags(true);
    RestoreBoundaryFlags(true);
    EXPECT_TRUE(meshcheck::SideMarked(m, 1, 5));
    EXPECT_TRUE(meshcheck::SideMarked(m, 5, 3));

    // A point within the coincidence tolerance beside such a side divides it
    // as well instead of leaving a sliver along it.
    square();
    m.ConstraintEdgeCount = 1;
    m.ConstraintEdges = {{0, 0}, {1, 3}};
    insertAt(2.0f, 1.9995f);
    EXPECT_EQ(m.MeshElementCount, 4);
    EXPECT_EQ(m.ConstraintEdges, (EdgeList{{0, 0}, {1, 5}, {5, 3}}));
    expectValid();
}

TEST_F(InsertPointTest, APointOnTheBorderDividesTheBorderSide) {
    square();
    insertAt(2.0f, 0.0f);
    const BasDelaunay& m = basDelaunay();
    // Both triangles in the cavity; the fan over side 1-2 is left out.
    ASSERT_EQ(m.MeshElementCount, 3);
    EXPECT_EQ(corners(2), (Corners{0, 5, 2, 3, 0}));
    EXPECT_EQ(corners(1), (Corners{0, 5, 3, 4, 0}));
    EXPECT_EQ(corners(3), (Corners{0, 5, 4, 1, 0}));
    expectValid();
    // One only within the coincidence tolerance of the border is refused:
    // the border stays where it is, and no sliver lies along it.
    square();
    EXPECT_EQ(insertAt(2.0f, 0.0005f), 0);
    EXPECT_EQ(basDelaunay().MeshNodeCount, 4);
    EXPECT_EQ(basDelaunay().MeshElementCount, 2);
}

TEST_F(InsertPointTest, AQuadrilateralWithoutSmallAnglesIsSplitIntoFour) {
    meshcheck::UseNet({{0, 0}, {2, 0}, {2, 2}, {0, 2}}, {{1, 2, 3, 4}});
    insertAt(1.0f, 1.0f);
    ASSERT_EQ(basDelaunay().MeshElementCount, 4);
    EXPECT_EQ(corners(4), (Corners{0, 5, 1, 2, 0}));
    EXPECT_EQ(corners(3), (Corners{0, 5, 2, 3, 0}));
    EXPECT_EQ(corners(2), (Corners{0, 5, 3, 4, 0}));
    EXPECT_EQ(corners(1), (Corners{0, 5, 4, 1, 0}));
    for (std::int32_t e = 1; e <= 4; ++e) EXPECT_EQ(basDelaunay().MeshElementList[static_cast<std::size_t>(e)].CornerCount, 3);
    expectValid();
}

TEST_F(InsertPointTest, ASmallAngleIsMendedByMergingIntoOneQuadrilateralUnderTheSmallerNumber) {
    // A flat rectangle split at (3, 0.5): the triangle (N, 4, 1) has an
    // angle of 19 degrees and its longest side N-1 borders (N, 1, 2).
    meshcheck::UseNet({{0, 0}, {4, 0}, {4, 1}, {0, 1}, {9, 9}}, {{1, 2, 3, 4}, {2, 5, 3}});
    insertAt(3.0f, 0.5f);
    const BasDelaunay& m = basDelaunay();
    ASSERT_EQ(m.MeshElementCount, 4) << "the larger number of the merge is gone";
    EXPECT_EQ(m.MeshElementList[1].CornerCount, 4);
    EXPECT_EQ(corners(1), (Corners{0, 6, 4, 1, 2}));
    EXPECT_EQ(corners(2), (Corners{0, 2, 5, 3, 0})) << "the other elements keep their order";
    EXPECT_EQ(corners(3), (Corners{0, 6, 3, 4, 0}));
    EXPECT_EQ(corners(4), (Corners{0, 6, 2, 3, 0}));
    expectValid();
}

TEST_F(InsertPointTest, AQuadrilateralTheNodeCannotSeeWholeIsNotSplit) {
    // A dart: its corner 3 turns the other way; from (0.3, 2.5) the side
    // 2-3 is seen from behind.
    meshcheck::UseNet({{0, 0}, {4, 0}, {1, 1}, {0, 4}}, {{1, 2, 3, 4}});
    const BasDelaunay before = basDelaunay();
    EXPECT_EQ(insertAt(0.3f, 2.5f), 0);
    EXPECT_EQ(basDelaunay().MeshNodeCount, 4);
    EXPECT_EQ(basDelaunay().MeshElementList, before.MeshElementList);
}

TEST_F(InsertPointTest, AStopBeforeThePointIsPlacedTakesItOutAgain) {
    fan();
    drovik::ClsWaitWindow window;
    SetOperationWaitWindowSource([&window] { return &window; });
    window.requestStop();
    AppendNode(3.0f, 1.0f);
    EXPECT_EQ(InsertPoint(true).outcome, PointInsertion::Stopped);
    SetOperationWaitWindowSource(nullptr);
    EXPECT_EQ(basDelaunay().MeshNodeCount, 5);
    EXPECT_EQ(basDelaunay().MeshElementCount, 4);
}

TEST_F(InsertPointTest, AnElementThatIsNoTriangleOrQuadrilateralIsAnErrorAndTheNodeGoes) {
    fan();
    basDelaunay().MeshElementList[2].CornerCount = 0;
    AppendNode(3.0f, 1.0f);
    try {
        InsertPointIntoNet();
        FAIL() << "no error";
    } catch (const rt::RuntimeError& error) {
        EXPECT_EQ(error.number(), 9);
    }
    EXPECT_EQ(basDelaunay().MeshNodeCount, 5);
}

// Many points into nets of triangles and quadrilaterals (small angles
// common, so the repairs run): the net is valid after every insertion.
TEST_F(InsertPointTest, RandomPointsKeepMixedNetsValid) {
    for (unsigned seed = 1; seed <= 9; ++seed) {
        resetBasDelaunay();
        declar().MinAngle = seed % 2 == 0 ? 35.0f : 20.0f;
        declar().MinElementSize = 0.05f;
        meshcheck::UseJitteredNet(seed, 6, 5, seed <= 3 ? 1.0 : (seed <= 6 ? 0.5 : 0.0), seed > 6 ? 0.45f : 0.25f);
        ASSERT_TRUE(meshcheck::CheckMixedNet(basDelaunay()).empty()) << "seed " << seed;
        std::mt19937 random(seed);
        std::uniform_real_distribution<float> x(-0.5f, 6.5f), y(-0.5f, 5.5f);
        for (int i = 0; i < 150; ++i) {
            insertAt(x(random), y(random));
            const auto faults = meshcheck::CheckMixedNet(basDelaunay());
            ASSERT_TRUE(faults.empty()) << "seed " << seed << ", point " << i << ": " << faults.front();
        }
    }
}

// Points into a generated net with internal lines: valid after every
// insertion, and every constraint row stays a side of the net.
TEST_F(InsertPointTest, RandomPointsKeepGeneratedNetsValidAndTheirLines) {
    meshcheck::InstallSlab(meshcheck::LoadSlabFixture("crossing.slab"));
    GenerateDelaunayMesh();
    BasDelaunay& m = basDelaunay();
    SaveBoundaryFlags(true);
    ASSERT_GT(m.ConstraintEdgeCount, 0);
    std::mt19937 random(7);
    float xMin = 1e30f, xMax = -1e30f, yMin = 1e30f, yMax = -1e30f;
    for (std::size_t n = 1; n <= static_cast<std::size_t>(m.MeshNodeCount); ++n) {
        xMin = std::min(xMin, m.MeshNodeX[n]);
        xMax = std::max(xMax, m.MeshNodeX[n]);
        yMin = std::min(yMin, m.MeshNodeY[n]);
        yMax = std::max(yMax, m.MeshNodeY[n]);
    }
    std::uniform_real_distribution<float> x(xMin, xMax), y(yMin, yMax);
    NetEditScope index;
    for (int i = 0; i < 300; ++i) {
        insertAt(x(random), y(random));
        if (i % 25 != 24) continue;
        const auto faults = meshcheck::CheckMixedNet(m);
        ASSERT_TRUE(faults.empty()) << "point " << i << ": " << faults.front();
        const auto sides = meshcheck::MixedSidesOf(m);
        for (std::size_t r = 1; r <= static_cast<std::size_t>(m.ConstraintEdgeCount); ++r) {
            const std::int32_t a = m.ConstraintEdges[r][0], b = m.ConstraintEdges[r][1];
            EXPECT_EQ(sides.count({std::min(a, b), std::max(a, b)}), 1u) << "row " << r << " is no side";
        }
    }
}

}  // namespace
}  // namespace orvelo
