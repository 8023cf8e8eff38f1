// Laplacian smoothing: which nodes move, where to, how many passes, and no
// folded element.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "halvex/interface/enums.h"
#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/element_shape.h"
#include "orvelo/delaunay/generate.h"
#include "orvelo/delaunay/generated_net_check.h"
#include "orvelo/delaunay/mesh_fixture.h"
#include "orvelo/delaunay/mixed_net_check.h"
#include "orvelo/delaunay/side_flags.h"
#include "orvelo/delaunay/smooth_mesh.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/services.h"
#include "outside/drovik/wait_window.h"
#include "outside/quillon/language_text.h"
#include "platform/forms/msgbox.h"

namespace orvelo {
namespace {

class Smoothing : public ::testing::Test {
protected:
    void SetUp() override {
        resetServices();
        resetBasDelaunay();
        resetDeclar();
    }
    void TearDown() override {
        drovik::ClsWaitWindow::stopAfterUpdates(0);
        resetServices();
    }

    // Nodes 1..n and elements of 3 or 4 corners, with their side flags.
    static void useNet(const std::vector<std::pair<float, float>>& nodes,
                       const std::vector<std::vector<std::int16_t>>& elements) {
        meshcheck::UseNet(nodes, elements);
    }
    static std::pair<float, float> node(std::int32_t n) {
        return {basDelaunay().MeshNodeX[static_cast<std::size_t>(n)], basDelaunay().MeshNodeY[static_cast<std::size_t>(n)]};
    }

    // A hexagon of six border nodes around node 7 at p, in six triangles.
    static void hexagonAround(std::pair<float, float> p) {
        useNet({{2, 0}, {1, 1.7320508f}, {-1, 1.7320508f}, {-2, 0}, {-1, -1.7320508f}, {1, -1.7320508f}, p},
               {{7, 1, 2}, {7, 2, 3}, {7, 3, 4}, {7, 4, 5}, {7, 5, 6}, {7, 6, 1}});
    }
};

TEST_F(Smoothing, InnerNodeMovesToTheMeanOfItsNeighbours) {
    hexagonAround({0.5f, 0.3f});
    SmoothMesh(1);
    EXPECT_NEAR(node(7).first, 0.0f, 1e-6);
    EXPECT_NEAR(node(7).second, 0.0f, 1e-6);
    EXPECT_EQ(node(1), (std::pair<float, float>{2.0f, 0.0f}));
}

TEST_F(Smoothing, NetOfBorderNodesOnlyStaysAsItIs) {
    useNet({{0, 0}, {1, 0}, {1, 1}, {0, 1}}, {{1, 2, 3}, {1, 3, 4}});
    const BasDelaunay before = basDelaunay();
    SmoothMesh(25);
    EXPECT_EQ(basDelaunay().MeshNodeX, before.MeshNodeX);
    EXPECT_EQ(basDelaunay().MeshNodeY, before.MeshNodeY);
}

TEST_F(Smoothing, QuadrilateralsAverageTheirAdjacentCornersOnly) {
    // Node 5 at the centre of four quadrilaterals: its neighbours are the
    // side midpoints 2, 4, 6, 8, not the corners 1, 3, 7, 9.
    useNet({{0, 0}, {1, 0}, {2, 0}, {0, 1}, {0.7f, 1.2f}, {2, 1}, {0, 2}, {1, 2}, {2, 3}},
           {{1, 2, 5, 4}, {2, 3, 6, 5}, {4, 5, 8, 7}, {5, 6, 9, 8}});
    SmoothMesh(1);
    EXPECT_NEAR(node(5).first, 1.0f, 1e-6);
    EXPECT_NEAR(node(5).second, 1.0f, 1e-6);
}

TEST_F(Smoothing, FixedNodesAndConstraintSidesHoldTheirNodes) {
    hexagonAround({0.5f, 0.3f});
    basDelaunay().MeshElementList[3].Flag[1] |= halvex::BoundaryNode;  // node 7 as corner 1
    SmoothMesh(5);
    EXPECT_EQ(node(7), (std::pair<float, float>{0.5f, 0.3f}));
    // A constraint side leaving node 7 (element 1: side 7 -> 1), or arriving
    // at it (element 5: corner 3's side 6 -> 7).
    hexagonAround({0.5f, 0.3f});
    basDelaunay().MeshElementList[1].Flag[1] |= halvex::BoundarySide;
    SmoothMesh(5);
    EXPECT_EQ(node(7), (std::pair<float, float>{0.5f, 0.3f}));
    hexagonAround({0.5f, 0.3f});
    basDelaunay().MeshElementList[5].Flag[3] |= halvex::BoundarySide;
    SmoothMesh(5);
    EXPECT_EQ(node(7), (std::pair<float, float>{0.5f, 0.3f}));
    // The fixed bit of the previous corner belongs to that node only.
    hexagonAround({0.5f, 0.3f});
    basDelaunay().MeshElementList[5].Flag[3] |= halvex::BoundaryNode;  // corner 3: node 6
    SmoothMesh(1);
    EXPECT_NEAR(node(7).first, 0.0f, 1e-6);
}

TEST_F(Smoothing, PassesUntilTheNetSettlesOrTheLimit) {
    // A strip of three inner nodes between border nodes converges over
    // several passes; a limit of 0 or 1 runs one.
    auto strip = [this] {
        useNet({{0, 0}, {4, 0}, {4, 2}, {0, 2}, {1, 1.9f}, {2, 0.1f}, {3, 1.9f}, {1, 0}, {2, 2}, {3, 0}, {0, 1}, {4, 1}},
               {{1, 8, 5}, {8, 6, 5}, {8, 10, 6}, {10, 7, 6}, {10, 2, 7}, {2, 12, 7}, {12, 3, 7}, {3, 9, 7},
                {9, 6, 7}, {9, 5, 6}, {9, 4, 5}, {4, 11, 5}, {11, 1, 5}});
    };
    auto window = std::make_shared<drovik::ClsWaitWindow>();
    SetOperationWaitWindowSource([window]() { return window.get(); });
    const std::string passText = LanguageTexts().GetText(rt::Variant(quillon::TextNo(100034))) + " ( 1" +
                                 LanguageTexts().GetText(rt::Variant(quillon::TextNo(100039))) + " )!";
    for (const std::int16_t limit : {0, 1}) {
        strip();
        SmoothMesh(limit);
        EXPECT_EQ(window->statusText(), passText);
    }
    strip();
    SmoothMesh(100);
    EXPECT_NE(window->statusText(), passText);
    const auto settled = node(6);
    SmoothMesh(1);
    EXPECT_NEAR(node(6).second, settled.second, 0.002);
    EXPECT_EQ(RunControl().RunState(), 0);
}

TEST_F(Smoothing, StopBeforeTheStartSkipsItButNotDuringThePasses) {
    hexagonAround({0.5f, 0.3f});
    auto window = std::make_shared<drovik::ClsWaitWindow>();
    SetOperationWaitWindowSource([window]() { return window.get(); });
    drovik::ClsWaitWindow::stopAfterUpdates(1);
    SmoothMesh(5);
    EXPECT_EQ(node(7), (std::pair<float, float>{0.5f, 0.3f}));
    drovik::ClsWaitWindow::stopAfterUpdates(0);
    auto second = std::make_shared<drovik::ClsWaitWindow>();
    SetOperationWaitWindowSource([second]() { return second.get(); });
    drovik::ClsWaitWindow::stopAfterUpdates(3);
    SmoothMesh(5);
    EXPECT_NEAR(node(7).first, 0.0f, 1e-6);
}

TEST_F(Smoothing, MoveThatWouldFoldAnElementIsNotMade) {
    // Node 7 near the re-entrant corner 4 of an L-shaped ring of border
    // nodes: the mean of its neighbours (1.67, 1.67) lies in the notch.
    useNet({{0, 0}, {4, 0}, {4, 1}, {1, 1}, {1, 4}, {0, 4}, {0.5f, 0.5f}},
           {{7, 1, 2}, {7, 2, 3}, {7, 3, 4}, {7, 4, 5}, {7, 5, 6}, {7, 6, 1}});
    SmoothMesh(25);
    EXPECT_EQ(node(7), (std::pair<float, float>{0.5f, 0.5f}));
    const BasDelaunay& m = basDelaunay();
    for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) {
        const NetElement& t = m.MeshElementList[static_cast<std::size_t>(e)];
        const auto p = node(t.Node[1]), q = node(t.Node[2]), r = node(t.Node[3]);
        EXPECT_GT((q.first - p.first) * (r.second - p.second) - (q.second - p.second) * (r.first - p.first), 0.0f) << e;
    }
}

TEST_F(Smoothing, MoveThatWouldLowerTheSmallestAngleIsNotMade) {
    // At the mean of its neighbours node 6's smallest angle would fall to 17.7.
    useNet({{0, 0}, {4, 0}, {4, 1.4f}, {1.9f, 2.8f}, {0, 4}, {1.3f, 1.4f}},
           {{1, 2, 6}, {2, 3, 6}, {3, 4, 6}, {4, 5, 6}, {5, 1, 6}});
    SmoothMesh(25);
    EXPECT_EQ(node(6), (std::pair<float, float>{1.3f, 1.4f}));
}

TEST_F(Smoothing, TheOrderOfTheNodesDoesNotMatter) {
    // The strip of three inner nodes, once as numbered and once with the
    // numbers reversed: every node ends at the same place.
    const std::vector<std::pair<float, float>> nodes{{0, 0}, {4, 0}, {4, 2}, {0, 2}, {1, 1.9f}, {2, 0.1f},
                                                     {3, 1.9f}, {1, 0}, {2, 2}, {3, 0}, {0, 1}, {4, 1}};
    const std::vector<std::vector<std::int16_t>> elements{{1, 8, 5}, {8, 6, 5}, {8, 10, 6}, {10, 7, 6}, {10, 2, 7},
                                                          {2, 12, 7}, {12, 3, 7}, {3, 9, 7}, {9, 6, 7}, {9, 5, 6},
                                                          {9, 4, 5}, {4, 11, 5}, {11, 1, 5}};
    useNet(nodes, elements);
    SmoothMesh(3);
    const BasDelaunay forward = basDelaunay();
    const auto count = static_cast<std::int16_t>(nodes.size());
    auto reversed = [count](std::int16_t n) { return static_cast<std::int16_t>(count + 1 - n); };
    std::vector<std::pair<float, float>> backNodes(nodes.rbegin(), nodes.rend());
    std::vector<std::vector<std::int16_t>> backElements;
    for (auto it = elements.rbegin(); it != elements.rend(); ++it) {
        std::vector<std::int16_t> corners;
        for (std::int16_t n : *it) corners.push_back(reversed(n));
        backElements.push_back(corners);
    }
    useNet(backNodes, backElements);
    SmoothMesh(3);
    for (std::int16_t n = 1; n <= count; ++n) {
        EXPECT_NEAR(node(reversed(n)).first, forward.MeshNodeX[static_cast<std::size_t>(n)], 1e-6) << n;
        EXPECT_NEAR(node(reversed(n)).second, forward.MeshNodeY[static_cast<std::size_t>(n)], 1e-6) << n;
    }
}

TEST_F(Smoothing, AnLShapedSlabStaysAValidNet) {
    forms::ScopedMsgBox boxes;
    const meshcheck::SlabFixture slab = meshcheck::LoadSlabFixture("l_shape.slab");
    meshcheck::InstallSlab(slab);
    GenerateDelaunayMesh();
    const std::vector<float> generatedX = basDelaunay().MeshNodeX;
    SmoothMesh(25);
    EXPECT_NE(basDelaunay().MeshNodeX, generatedX);
    const auto faults = meshcheck::CheckGeneratedNet(slab, false);
    for (std::size_t i = 0; i < faults.size() && i < 10; ++i) ADD_FAILURE() << faults[i];
}

// From 34 to 60 degrees the smoothing leaves the count of elements under
// theta it started from, for the front points that follow on the net it
// left, and for no other net.
TEST_F(Smoothing, TheCountBeforeItIsGivenOnlyForTheNetItLeft) {
    forms::ScopedMsgBox boxes;
    for (const float theta : {40.0f, 30.0f}) {
        meshcheck::InstallSlab(meshcheck::LoadSlabFixture("l_shape.slab"));
        declar().MinAngle = theta;
        GenerateDelaunayMesh();
        const auto net = meshcheck::MeshView();
        std::int64_t under = 0;
        for (std::int32_t e = 1; e <= net.elementCount; ++e) under += meshcheck::SmallestAngleDeg(net, e) < theta ? 1 : 0;
        SmoothMesh(25);
        const double cosine = UnderThetaGuard(theta).cosine;
        EXPECT_EQ(UnderThetaBeforeSmoothing(cosine), theta > 34.0f ? under : -1) << theta;
        basDelaunay().MeshNodeX[static_cast<std::size_t>(basDelaunay().MeshNodeCount)] += 1e-3f;
        EXPECT_EQ(UnderThetaBeforeSmoothing(cosine), -1) << "a net changed since";
    }
}

}  // namespace
}  // namespace orvelo
