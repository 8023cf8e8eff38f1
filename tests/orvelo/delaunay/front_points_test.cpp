// Boundary front points: where the apex falls, which node is caught, what
// is held, the new points, stops and errors, and whole generated nets.
#include <gtest/gtest.h>

#include <cmath>

#include "halvex/interface/enums.h"
#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/front_points.h"
#include "orvelo/delaunay/generate.h"
#include "orvelo/delaunay/generated_net_check.h"
#include "orvelo/delaunay/mesh_fixture.h"
#include "orvelo/delaunay/mixed_net_check.h"
#include "orvelo/delaunay/smooth_mesh.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/services.h"
#include "outside/drovik/wait_window.h"
#include "platform/forms/msgbox.h"

namespace orvelo {
namespace {

constexpr float kApex = 3.4641016f;  // sqrt(3) / 2 x 4

class FrontPointsTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetServices();
        resetBasDelaunay();
        resetDeclar();
        declar().MinAngle = 30.0f;
        declar().MinElementSize = 0.25f;
        drovik::ClsWaitWindow::stopAfterUpdates(0);
    }
    void TearDown() override {
        drovik::ClsWaitWindow::stopAfterUpdates(0);
        SetOperationWaitWindowSource(nullptr);
        resetServices();
    }
    static std::pair<float, float> node(std::int32_t n) {
        return {basDelaunay().MeshNodeX[static_cast<std::size_t>(n)], basDelaunay().MeshNodeY[static_cast<std::size_t>(n)]};
    }
    // The number of the node at (x, y) (within 1e-5), 0 when none.
    static std::int32_t nodeAt(float x, float y) {
        for (std::int32_t n = 1; n <= basDelaunay().MeshNodeCount; ++n)
            if (std::fabs(node(n).first - x) < 1e-5f && std::fabs(node(n).second - y) < 1e-5f) return n;
        return 0;
    }
    static void expectValidWithFlags() {
        auto faults = meshcheck::CheckMixedNet(basDelaunay());
        for (const auto& f : meshcheck::CheckMixedSideFlags(basDelaunay())) faults.push_back(f);
        for (std::size_t i = 0; i < faults.size() && i < 5; ++i) ADD_FAILURE() << faults[i];
    }
    // A 4 x 8 rectangle with free nodes 5 (1, 5) and 6 (3, 5) as near to
    // the apex (2, 3.46) of the bottom side, where 5 would be better off.
    static void rectangleWithTwoFreeNodes() {
        meshcheck::UseNet({{0, 0}, {4, 0}, {4, 8}, {0, 8}, {1, 5}, {3, 5}},
                          {{1, 2, 5}, {2, 6, 5}, {2, 3, 6}, {3, 4, 6}, {4, 5, 6}, {4, 1, 5}});
    }
    forms::ScopedMsgBox boxes_;
};

TEST_F(FrontPointsTest, TheApexLiesOnTheElementsSideWhicheverWayItsCornersRun) {
    // A free node below the bottom side's apex, the elements either way
    // round: the apex on the elements' side catches it.
    for (const bool clockwise : {false, true}) {
        resetBasDelaunay();
        if (clockwise)
            meshcheck::UseNet({{0, 0}, {4, 0}, {4, 8}, {0, 8}, {2, 2.9f}}, {{1, 5, 2}, {2, 5, 3}, {3, 5, 4}, {4, 5, 1}});
        else
            meshcheck::UseNet({{0, 0}, {4, 0}, {4, 8}, {0, 8}, {2, 2.9f}}, {{1, 2, 5}, {2, 3, 5}, {3, 4, 5}, {4, 1, 5}});
        AddBoundaryFrontPoints();
        EXPECT_EQ(node(5), (std::pair<float, float>{2.0f, kApex})) << (clockwise ? "clockwise" : "counter-clockwise");
    }
}

TEST_F(FrontPointsTest, TheNearestFreeNodeIsCaughtTheLowerNumberAmongEqualsAndNoMoveFolds) {
    rectangleWithTwoFreeNodes();
    AddBoundaryFrontPoints();
    // The bottom side catches 5 (6 is as near); moving 6 onto the left
    // side's apex (6.93, 4) would fold its elements: it stays.
    EXPECT_EQ(node(5), (std::pair<float, float>{2.0f, kApex}));
    EXPECT_EQ(node(6), (std::pair<float, float>{3.0f, 5.0f}));
    expectValidWithFlags();
}

TEST_F(FrontPointsTest, TheCatchLimitIsOneAndAHalfTimesAQuarterOfTheSideSquared) {
    // Bottom side of length 1, rmin 0.25: the limit is 0.375 (a distance
    // of 0.612). Node 5 lies 0.6 below the bottom side's apex: caught there.
    meshcheck::UseNet({{0, 0}, {1, 0}, {1, 2}, {0, 2}, {0.5f, 0.8660254f - 0.6f}},
                      {{5, 1, 2}, {5, 2, 3}, {5, 3, 4}, {5, 4, 1}});
    AddBoundaryFrontPoints();
    EXPECT_FLOAT_EQ(node(5).second, 0.8660254f);
    // 0.62 below it is beyond every side's limit: it stays.
    resetBasDelaunay();
    meshcheck::UseNet({{0, 0}, {1, 0}, {1, 2}, {0, 2}, {0.5f, 0.8660254f - 0.62f}},
                      {{5, 1, 2}, {5, 2, 3}, {5, 3, 4}, {5, 4, 1}});
    AddBoundaryFrontPoints();
    EXPECT_EQ(node(5), (std::pair<float, float>{0.5f, 0.8660254f - 0.62f}));
    expectValidWithFlags();
}

TEST_F(FrontPointsTest, AMoveOrAnInsertionThatWouldLowerTheSmallestAngleIsNotTaken) {
    // Each apex of the square would leave a triangle of 15 degrees: none
    // is inserted, nor is the centre node moved onto one.
    meshcheck::UseNet({{0, 0}, {4, 0}, {4, 4}, {0, 4}}, {{1, 2, 3}, {1, 3, 4}});
    basDelaunay().MeshElementList[1].Flag[1] |= halvex::BoundarySide;  // side 1-2 marked
    declar().MinElementSize = 0.0f;
    AddBoundaryFrontPoints();
    EXPECT_EQ(declar().MinElementSize, 0.001f) << "rmin raised for the rest of the run";
    EXPECT_EQ(basDelaunay().MeshNodeCount, 4);
    expectValidWithFlags();
    EXPECT_TRUE(meshcheck::SideMarked(basDelaunay(), 1, 2)) << "the marks are restored";
    resetBasDelaunay();
    meshcheck::UseNet({{0, 0}, {4, 0}, {4, 4}, {0, 4}, {2, 2}}, {{1, 2, 5}, {2, 3, 5}, {3, 4, 5}, {4, 1, 5}});
    AddBoundaryFrontPoints();
    EXPECT_EQ(node(5), (std::pair<float, float>{2.0f, 2.0f}));
}

TEST_F(FrontPointsTest, AStopBeforeTheStartSkipsItAndOneDuringItDoesNotHaltTheSides) {
    rectangleWithTwoFreeNodes();
    const BasDelaunay before = basDelaunay();
    drovik::ClsWaitWindow window;
    SetOperationWaitWindowSource([&window] { return &window; });
    window.requestStop();
    AddBoundaryFrontPoints();
    EXPECT_EQ(basDelaunay().MeshNodeX, before.MeshNodeX);
    EXPECT_EQ(basDelaunay().MeshElementList, before.MeshElementList);
    EXPECT_EQ(window.statusText(), LanguageTexts().GetText(rt::Variant(quillon::TextNo(100026))) + "!");

    // Stopped after its first call: the sides still catch, the new points
    // are not inserted (and not left in the net), the flags are rebuilt.
    drovik::ClsWaitWindow second;
    SetOperationWaitWindowSource([&second] { return &second; });
    drovik::ClsWaitWindow::stopAfterUpdates(2);
    AddBoundaryFrontPoints();
    EXPECT_EQ(node(5), (std::pair<float, float>{2.0f, kApex}));
    EXPECT_EQ(basDelaunay().MeshNodeCount, 6);
    expectValidWithFlags();
}

TEST_F(FrontPointsTest, AnErrorIsReportedAndTheFlagsStillMatchTheNet) {
    rectangleWithTwoFreeNodes();
    BasDelaunay& m = basDelaunay();
    m.MeshElementList[3].Flag[1] |= halvex::BoundarySide;  // side 2-3 marked
    m.MeshElementList[5].CornerCount = 2;                  // no element: the insertion refuses the net
    boxes_->answer(forms::vbOK);
    AddBoundaryFrontPoints();
    ASSERT_EQ(boxes_->boxes().size(), 1u);
    EXPECT_EQ(forms::iconOf(boxes_->boxes()[0].style), forms::vbCritical);
    EXPECT_EQ(m.MeshNodeCount, 6) << "the point that failed is not left in the net";
    EXPECT_TRUE(meshcheck::SideMarked(m, 2, 3));
    EXPECT_EQ(m.MeshElementList[1].Flag[1] & (halvex::OuterSide | halvex::InnerSide | halvex::RepeatedSide), halvex::OuterSide);
}

// The same for random slabs (the generation's own random test).
TEST_F(FrontPointsTest, RandomSlabsSmoothedAndGivenFrontPointsKeepEveryCheck) {
    for (int seed = 0; seed < 25; ++seed) {
        const meshcheck::SlabFixture slab = meshcheck::RandomStarSlab(seed);
        meshcheck::InstallSlab(slab);
        GenerateDelaunayMesh();
        SmoothMesh(25);
        AddBoundaryFrontPoints();
        const auto faults = meshcheck::CheckGeneratedNet(slab, false);
        for (std::size_t i = 0; i < faults.size() && i < 3; ++i) ADD_FAILURE() << "seed " << seed << ": " << faults[i];
    }
    EXPECT_TRUE(boxes_->boxes().empty());
}

// Generated nets, smoothed and given their front points, still pass every
// check of a generated net but the quality of the refinement; neither step
// lowers their smallest angle.
class FrontPointsOnFixtures : public FrontPointsTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(FrontPointsOnFixtures, KeepEveryCheckOfTheGeneratedNet) {
    const meshcheck::SlabFixture slab = meshcheck::LoadSlabFixture(GetParam());
    meshcheck::InstallSlab(slab);
    GenerateDelaunayMesh();
    const double generated = meshcheck::SmallestAngleDeg(meshcheck::MeshView());
    SmoothMesh(25);
    AddBoundaryFrontPoints();
    EXPECT_EQ(RunControl().RunState(), 0);
    EXPECT_GE(meshcheck::SmallestAngleDeg(meshcheck::MeshView()), generated);
    const auto faults = meshcheck::CheckGeneratedNet(slab, false);
    for (std::size_t i = 0; i < faults.size() && i < 10; ++i) ADD_FAILURE() << faults[i];
    EXPECT_TRUE(boxes_->boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(Fixtures, FrontPointsOnFixtures,
                         ::testing::Values("rectangle.slab", "l_shape.slab", "openings.slab", "arcs.slab", "flat_arc.slab",
                                           "line.slab", "crossing.slab", "points.slab", "steep.slab"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             return name.substr(0, name.find('.'));
                         });

}  // namespace
}  // namespace orvelo
