// Adaptive edge refinement: the split of one side with its flags, the
// neighbour walk, and the refined net on random nets against the size
// field.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <string>
#include <memory>
#include <random>

#include "halvex/interface/enums.h"
#include "orvelo/delaunay/adaptive_refinement.h"
#include "orvelo/delaunay/angles.h"
#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/bas_orvelo.h"
#include "orvelo/delaunay/side_flags.h"
#include "orvelo/delaunay/target_size.h"
#include "orvelo/delaunay/units.h"
#include "orvelo/gridmesh/grid_net_checks.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/services.h"
#include "outside/drovik/wait_window.h"
#include "platform/forms/msgbox.h"
#include "platform/runtime/errors.h"

namespace orvelo {
namespace {

using Triangle = std::array<std::int16_t, 3>;

class AdaptiveRefinement : public ::testing::Test {
protected:
    void SetUp() override {
        resetServices();
        resetBasDelaunay();
        resetBasOrvelo();
        resetDeclar();
        declar().MinElementSize = 0.1f;
        useUniformField(100.0f);
    }
    void TearDown() override {
        drovik::ClsWaitWindow::stopAfterUpdates(0);
        resetServices();
    }

    // The size field as an old net: a grid of n x n squares, each two
    // triangles, over -20..40 in both directions, sized by the function.
    static void useField(const std::function<float(float, float)>& size, int n = 30) {
        BasOrvelo& o = basOrvelo();
        Declar& d = declar();
        o.OldNodeX.assign(1, 0.0f);
        o.OldNodeY.assign(1, 0.0f);
        d.NodeTargetSize.assign(1, 0.0f);
        const float step = 60.0f / static_cast<float>(n);
        for (int j = 0; j <= n; ++j) {
            for (int i = 0; i <= n; ++i) {
                const float x = -20.0f + step * static_cast<float>(i);
                const float y = -20.0f + step * static_cast<float>(j);
                o.OldNodeX.push_back(x);
                o.OldNodeY.push_back(y);
                d.NodeTargetSize.push_back(size(x, y));
            }
        }
        d.OldNodeCount = static_cast<std::int16_t>((n + 1) * (n + 1));
        o.OldElementList.assign(1, NetElement{});
        for (int j = 0; j < n; ++j) {
            for (int i = 0; i < n; ++i) {
                const auto at = [n](int a, int b) { return static_cast<std::int16_t>(b * (n + 1) + a + 1); };
                NetElement lower;
                lower.CornerCount = 3;
                lower.Node = {0, at(i, j), at(i + 1, j), at(i + 1, j + 1), 0};
                NetElement upper;
                upper.CornerCount = 3;
                upper.Node = {0, at(i, j), at(i + 1, j + 1), at(i, j + 1), 0};
                o.OldElementList.push_back(lower);
                o.OldElementList.push_back(upper);
            }
        }
        o.OldElementCount = static_cast<std::int16_t>(2 * n * n);
    }
    static void useUniformField(float size) {
        useField([size](float, float) { return size; }, 2);
    }

    // The mesher net: nodes 1..n and the triangles given.
    static void useNet(const std::vector<std::pair<float, float>>& nodes, const std::vector<Triangle>& triangles) {
        BasDelaunay& m = basDelaunay();
        m.MeshNodeCount = static_cast<std::int16_t>(nodes.size());
        m.MeshNodeX.assign(1, 0.0f);
        m.MeshNodeY.assign(1, 0.0f);
        for (const auto& p : nodes) {
            m.MeshNodeX.push_back(p.first);
            m.MeshNodeY.push_back(p.second);
        }
        m.MeshElementCount = static_cast<std::int16_t>(triangles.size());
        m.MeshElementList.assign(1, NetElement{});
        for (const Triangle& t : triangles) {
            NetElement e;
            e.CornerCount = 3;
            e.Node = {0, t[0], t[1], t[2], 0};
            m.MeshElementList.push_back(e);
        }
    }

    static Triangle cornersOf(std::int32_t e) {
        const NetElement& t = basDelaunay().MeshElementList[static_cast<std::size_t>(e)];
        return Triangle{t.Node[1], t.Node[2], t.Node[3]};
    }
    static std::pair<float, float> nodeAt(std::int32_t n) {
        const BasDelaunay& m = basDelaunay();
        return {m.MeshNodeX[static_cast<std::size_t>(n)], m.MeshNodeY[static_cast<std::size_t>(n)]};
    }
};

TEST_F(AdaptiveRefinement, SplitKeepsSideBitsAndTheCornerBitsOfEachNode) {
    useNet({{0, 0}, {2, 0}, {0, 1}}, {{1, 2, 3}});
    NetElement& e = basDelaunay().MeshElementList[1];
    e.Flag = {0, halvex::BoundaryNode | halvex::OuterSide, halvex::OuterSide | halvex::BoundarySide,
              halvex::BoundaryNode | halvex::OuterSide, 0};
    SplitElementEdge(1, 1, 2, 3);
    const BasDelaunay& m = basDelaunay();
    ASSERT_EQ(m.MeshNodeCount, 4);
    EXPECT_EQ(nodeAt(4), (std::pair<float, float>{1.0f, 0.0f}));
    ASSERT_EQ(m.MeshElementCount, 2);
    EXPECT_EQ(cornersOf(1), (Triangle{1, 4, 3}));
    EXPECT_EQ(m.MeshElementList[1].Flag, (std::array<std::int32_t, 5>{0, 3, halvex::InnerSide, 3, 0}));
    EXPECT_EQ(cornersOf(2), (Triangle{3, 4, 2}));
    // Corner 3 keeps its fixed bit; the midpoint has none; node 2 keeps its
    // side 2-3 with the constraint bit.
    EXPECT_EQ(m.MeshElementList[2].Flag,
              (std::array<std::int32_t, 5>{0, halvex::RepeatedSide | halvex::BoundaryNode, halvex::OuterSide,
                                           halvex::OuterSide | halvex::BoundarySide, 0}));
}

TEST_F(AdaptiveRefinement, SplitRefusesWhatIsNoTriangleSide) {
    useNet({{0, 0}, {2, 0}, {0, 1}}, {{1, 2, 3}});
    EXPECT_THROW(SplitElementEdge(2, 1, 2, 3), rt::RuntimeError);
    EXPECT_THROW(SplitElementEdge(1, 2, 1, 3), rt::RuntimeError);
    EXPECT_THROW(SplitElementEdge(1, 1, 2, 4), rt::RuntimeError);
    EXPECT_EQ(basDelaunay().MeshElementCount, 1);
}

TEST_F(AdaptiveRefinement, LongestSideOnTheBorderIsSplitAlone) {
    // Triangle 1's longest side 1-2 is on the border; triangle 2 shares its
    // short side 2-3.
    useNet({{0, 0}, {4, 0}, {2, 1}, {4, 2}}, {{1, 2, 3}, {2, 4, 3}});
    useUniformField(3.0f);
    RefineMeshAdaptively();
    const BasDelaunay& m = basDelaunay();
    EXPECT_EQ(m.MeshNodeCount, 5);
    EXPECT_EQ(nodeAt(5), (std::pair<float, float>{2.0f, 0.0f}));
    EXPECT_EQ(cornersOf(2), (Triangle{2, 4, 3}));
    EXPECT_EQ(m.MeshElementCount, 3);
}

TEST_F(AdaptiveRefinement, SharedLongestSideIsSplitOnceForBoth) {
    useNet({{0, 0}, {2, 0}, {2, 2}, {0, 2}}, {{1, 2, 3}, {1, 3, 4}});
    // Split alone, the diagonal would leave its midpoint hanging in the
    // other triangle.
    const BasDelaunay start = basDelaunay();
    SplitElementEdge(1, 3, 1, 2);
    EXPECT_EQ(gridcheck::conformityFault(basDelaunay()), "node 5 hangs on side 1-3");
    basDelaunay() = start;
    useUniformField(2.5f);
    RefineMeshAdaptively();
    const BasDelaunay& m = basDelaunay();
    EXPECT_EQ(m.MeshNodeCount, 5);
    EXPECT_EQ(nodeAt(5), (std::pair<float, float>{1.0f, 1.0f}));
    EXPECT_EQ(m.MeshElementCount, 4);
    EXPECT_EQ(gridcheck::conformityFault(m), "");
}

TEST_F(AdaptiveRefinement, NeighbourWithALongerSideIsSplitTwiceAndTheWalkGoesOn) {
    // Triangle 1 (largest angle at node 3) is split on side 1-2 at node 6;
    // its neighbour 2 has the longer sides 2-4 and 4-1 of equal length, so
    // its side from o' (4) to b' (1) is split first, at node 7; the walk
    // then crosses 4-1 to triangle 3, whose longest side that is: split at
    // node 7 too, and the walk ends.
    // Stopped after the first element: exactly the splits of its walk.
    useNet({{0, 0}, {2, 0}, {1, -0.5f}, {1, 3}, {-1.5f, 1.2f}}, {{1, 2, 3}, {1, 2, 4}, {1, 4, 5}});
    useUniformField(1.5f);
    declar().MinElementSize = 0.5f;
    auto window = std::make_shared<drovik::ClsWaitWindow>();
    SetOperationWaitWindowSource([window]() { return window.get(); });
    drovik::ClsWaitWindow::stopAfterUpdates(1);
    RefineMeshAdaptively();
    const BasDelaunay& m = basDelaunay();
    ASSERT_EQ(m.MeshNodeCount, 7);
    EXPECT_EQ(nodeAt(6), (std::pair<float, float>{1.0f, 0.0f}));
    EXPECT_EQ(nodeAt(7), (std::pair<float, float>{0.5f, 1.5f}));
    // One split of triangle 1, two of triangle 2 (which lost its corner 1 to
    // the midpoint of its side 4-1), one of triangle 3.
    EXPECT_EQ(m.MeshElementCount, 7);
    EXPECT_EQ(cornersOf(2), (Triangle{7, 2, 4}));
    EXPECT_EQ(gridcheck::conformityFault(m), "");
    EXPECT_TRUE(gridcheck::overlappingPairs(m).empty());
}

TEST_F(AdaptiveRefinement, EqualAnglesChooseTheLowerCorner) {
    // The base angles at corners 1 and 2 are equal and the largest.
    useNet({{0, 0}, {2, 0}, {1, 3}}, {{1, 2, 3}});
    useUniformField(3.0f);
    declar().MinElementSize = 1.0f;
    RefineMeshAdaptively();
    // Corner 1 wins: its opposite side 2-3 is split first.
    EXPECT_EQ(nodeAt(4), (std::pair<float, float>{1.5f, 1.5f}));
}

TEST_F(AdaptiveRefinement, NetWithinItsSizesOrAtTwiceRminIsLeftAsItIs) {
    useNet({{0, 0}, {2, 0}, {2, 2}, {0, 2}}, {{1, 2, 3}, {1, 3, 4}});
    useUniformField(3.0f);
    RefineMeshAdaptively();
    EXPECT_EQ(basDelaunay().MeshElementCount, 2);
    useUniformField(0.01f);
    declar().MinElementSize = 1.5f;  // half the diagonal 2.83 is below it
    RefineMeshAdaptively();
    EXPECT_EQ(basDelaunay().MeshElementCount, 2);
    EXPECT_EQ(basDelaunay().MeshNodeCount, 4);
}

// A quadrilateral across a bisected side takes the midpoint: it becomes
// three counter-clockwise triangles through it, and no node hangs.
TEST_F(AdaptiveRefinement, QuadrilateralNeighbourTakesTheMidpoint) {
    useNet({{0, 0}, {2, 0}, {2, 2}, {0, 2}, {1, -0.3f}}, {{1, 5, 2}});
    BasDelaunay& m = basDelaunay();
    // A quadrilateral above the long side 1-2 of the triangle.
    NetElement quadrilateral;
    quadrilateral.CornerCount = 4;
    quadrilateral.Node = {0, 1, 2, 3, 4};
    quadrilateral.Flag = {0, halvex::OuterSide | halvex::BoundaryNode, halvex::OuterSide, halvex::OuterSide, halvex::OuterSide};
    m.MeshElementList.push_back(quadrilateral);
    m.MeshElementCount = 2;
    useUniformField(1.5f);
    declar().MinElementSize = 0.6f;
    RefineMeshAdaptively();
    EXPECT_EQ(nodeAt(6), (std::pair<float, float>{1.0f, 0.0f}));
    ASSERT_GE(m.MeshElementCount, 5);
    EXPECT_EQ(m.MeshElementList[2].Node[1], 1);  // the quadrilateral's number goes to the triangle at its first corner
    EXPECT_EQ(m.MeshElementList[2].Flag[1], halvex::OuterSide | halvex::BoundaryNode);
    for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) {
        ASSERT_EQ(m.MeshElementList[static_cast<std::size_t>(e)].CornerCount, 3);
        EXPECT_GT(gridcheck::signedArea(m, m.MeshElementList[static_cast<std::size_t>(e)]), 0.0) << "element " << e;
    }
    EXPECT_EQ(gridcheck::conformityFault(m), "");
    EXPECT_NEAR(gridcheck::totalArea(m), 4.3, 1e-5);
}

TEST_F(AdaptiveRefinement, MidpointOnAnExistingNodeReusesIt) {
    useNet({{0, 0}, {2, 0}, {1, -0.5f}, {1.0004f, 0.0f}}, {{1, 2, 3}});
    useUniformField(1.5f);
    declar().MinElementSize = 0.6f;
    SplitElementEdge(1, 1, 2, 3);
    EXPECT_EQ(basDelaunay().MeshNodeCount, 4);
    EXPECT_EQ(cornersOf(1), (Triangle{1, 4, 3}));
}

TEST_F(AdaptiveRefinement, ZeroSideIsNoticedOncePerRefinement) {
    forms::ScopedMsgBox boxes;
    boxes->answer(forms::vbOK);
    // Two triangles with a side of no length (nodes 2 and 3 coincide).
    useNet({{0, 0}, {1, 0}, {1, 0}, {0, 1}, {2, 1}}, {{1, 2, 3}, {3, 2, 5}, {1, 3, 4}});
    useUniformField(100.0f);
    // The notice comes once; such a net is then never handed on.
    for (const std::size_t notices : {1u, 2u}) {
        try {
            RefineMeshAdaptively();
            ADD_FAILURE() << "a net with an element without area was handed on";
        } catch (const rt::RuntimeError& e) {
            EXPECT_EQ(e.number(), 5);
            EXPECT_NE(e.description().find("not whole near (0.6666667, 0)"), std::string::npos) << e.description();
        }
        EXPECT_EQ(boxes->boxes().size(), notices);
        boxes->answer(forms::vbOK);
    }
}

// Two border chains of the net meeting at a narrow angle (an uncovered
// notch running into the slab): their halving stops before a node of one
// comes within the tolerance of a side of the other, and a net that has
// such a node is refused, naming the node.
TEST_F(AdaptiveRefinement, BorderChainsAtANarrowAngleNeverTouch) {
    useNet({{0, 0}, {10, 0}, {10, 0.2f}, {5, -5}, {5, 5}}, {{1, 4, 2}, {1, 3, 5}});
    useField([](float x, float y) { return 0.01f + 0.5f * std::hypot(x, y); }, 60);
    declar().MinElementSize = 0.001f;
    RefineMeshAdaptively();
    const BasDelaunay& m = basDelaunay();
    EXPECT_GT(m.MeshNodeCount, 100);
    EXPECT_EQ(gridcheck::conformityFault(m, CoincidenceTolerance() / 10.0), "");

    useNet({{0, 0}, {10, 0}, {10, 0.2f}, {5, -5}, {5, 5}, {5, 0.0999f}}, {{1, 4, 2}, {1, 3, 5}, {2, 3, 6}});
    try {
        CheckNetIsWhole();
        ADD_FAILURE() << "a node inside a side of another element was handed on";
    } catch (const rt::RuntimeError& e) {
        EXPECT_NE(e.description().find("near (5, 0.0999): it would have a node inside a side"), std::string::npos) << e.description();
    }
}

TEST_F(AdaptiveRefinement, StopAbortsTheRunAfterAWholeSplit) {
    useNet({{0, 0}, {8, 0}, {8, 8}, {0, 8}}, {{1, 2, 3}, {1, 3, 4}});
    useUniformField(0.5f);
    auto window = std::make_shared<drovik::ClsWaitWindow>();
    SetOperationWaitWindowSource([window]() { return window.get(); });
    drovik::ClsWaitWindow::stopAfterUpdates(5);
    RefineMeshAdaptively();
    EXPECT_EQ(RunControl().RunState(), halvex::ExitWithoutSaving);
    EXPECT_EQ(gridcheck::conformityFault(basDelaunay()), "");
    EXPECT_LT(basDelaunay().MeshElementCount, 100);
}

// A conforming net of triangles over 0..w x 0..h: squares of side 1 with
// jittered inner nodes, each split on a random diagonal (or, with the given
// share, left a quadrilateral), with its side flags.
void randomNet(std::mt19937& random, int w, int h, double quadrilaterals = 0.0) {
    BasDelaunay& m = basDelaunay();
    std::uniform_real_distribution<float> jitter(-0.3f, 0.3f);
    m.MeshNodeCount = 0;
    m.MeshNodeX.assign(1, 0.0f);
    m.MeshNodeY.assign(1, 0.0f);
    for (int j = 0; j <= h; ++j) {
        for (int i = 0; i <= w; ++i) {
            const bool inner = i > 0 && j > 0 && i < w && j < h;
            m.MeshNodeX.push_back(static_cast<float>(i) + (inner ? jitter(random) : 0.0f));
            m.MeshNodeY.push_back(static_cast<float>(j) + (inner ? jitter(random) : 0.0f));
            ++m.MeshNodeCount;
        }
    }
    m.MeshElementCount = 0;
    m.MeshElementList.assign(1, NetElement{});
    const auto at = [w](int i, int j) { return static_cast<std::int16_t>(j * (w + 1) + i + 1); };
    std::bernoulli_distribution diagonal(0.5);
    std::bernoulli_distribution quadrilateral(quadrilaterals);
    for (int j = 0; j < h; ++j) {
        for (int i = 0; i < w; ++i) {
            if (quadrilateral(random)) {
                NetElement e;
                e.CornerCount = 4;
                e.Node = {0, at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1)};
                m.MeshElementList.push_back(e);
                ++m.MeshElementCount;
                continue;
            }
            std::array<Triangle, 2> pair{};
            if (diagonal(random))
                pair = {Triangle{at(i, j), at(i + 1, j), at(i + 1, j + 1)}, Triangle{at(i, j), at(i + 1, j + 1), at(i, j + 1)}};
            else
                pair = {Triangle{at(i, j), at(i + 1, j), at(i, j + 1)}, Triangle{at(i + 1, j), at(i + 1, j + 1), at(i, j + 1)}};
            for (const Triangle& t : pair) {
                NetElement e;
                e.CornerCount = 3;
                e.Node = {0, t[0], t[1], t[2], 0};
                m.MeshElementList.push_back(e);
                ++m.MeshElementCount;
            }
        }
    }
    BuildElementSideFlags(m.MeshElementList, nullptr);
}

// Every shared side carries InnerSide in one of its triangles and
// RepeatedSide in the other, every border side OuterSide.
std::string sideFlagFault(const BasDelaunay& m) {
    std::map<std::pair<std::int16_t, std::int16_t>, std::vector<std::int32_t>> flags;
    for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) {
        const NetElement& t = m.MeshElementList[static_cast<std::size_t>(e)];
        for (std::size_t k = 1; k <= 3; ++k) {
            std::int16_t a = t.Node[k];
            std::int16_t b = t.Node[k % 3 + 1];
            if (a > b) std::swap(a, b);
            flags[{a, b}].push_back(t.Flag[k] & (halvex::OuterSide | halvex::InnerSide | halvex::RepeatedSide));
        }
    }
    for (const auto& [side, list] : flags) {
        const bool border = list.size() == 1 && list[0] == halvex::OuterSide;
        const bool shared = list.size() == 2 && list[0] + list[1] == halvex::InnerSide + halvex::RepeatedSide &&
                            list[0] != list[1];
        if (!border && !shared) return "side " + std::to_string(side.first) + "-" + std::to_string(side.second);
    }
    return "";
}

TEST_F(AdaptiveRefinement, RandomNetsEndConformingWithinTheirSizes) {
    std::mt19937 random(5);
    for (int run = 0; run < 12; ++run) {
        SetUp();
        randomNet(random, 6, 5);
        // A size field from 0.1 at the origin to 1 and more far away.
        useField([](float x, float y) { return 0.1f + 0.15f * std::sqrt(x * x + y * y); });
        declar().MinElementSize = run % 2 == 0 ? 0.02f : 0.2f;
        RefineMeshAdaptively();
        const BasDelaunay& m = basDelaunay();
        SCOPED_TRACE("run " + std::to_string(run));
        ASSERT_EQ(gridcheck::numberFault(m), "");
        ASSERT_EQ(gridcheck::conformityFault(m), "");
        ASSERT_TRUE(gridcheck::overlappingPairs(m).empty());
        EXPECT_NEAR(gridcheck::totalArea(m), 30.0, 1e-3);
        EXPECT_EQ(sideFlagFault(m), "");
        // Every triangle's longest side is within its size, or at most twice
        // rmin.
        for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) {
            const Triangle t = cornersOf(e);
            float longest = 0.0f;
            for (std::size_t k = 0; k < 3; ++k) {
                const auto a = nodeAt(t[k]);
                const auto b = nodeAt(t[(k + 1) % 3]);
                longest = std::max(longest, static_cast<float>(std::hypot(b.first - a.first, b.second - a.second)));
            }
            const float target = GetTriangleTargetSize(t[0], t[1], t[2]);
            EXPECT_TRUE(longest <= target * 1.0001f || longest / 2.0f <= declar().MinElementSize * 1.0001f)
                << "element " << e << " longest " << longest << " target " << target;
        }
    }
}

TEST_F(AdaptiveRefinement, ConformingWheneverAStopIsHonoured) {
    std::mt19937 random(11);
    randomNet(random, 4, 4);
    const BasDelaunay saved = basDelaunay();
    useField([](float x, float y) { return 0.1f + 0.1f * std::fabs(x - y); });
    for (const int updates : {1, 2, 7, 20, 33, 60, 95}) {
        basDelaunay() = saved;
        auto window = std::make_shared<drovik::ClsWaitWindow>();
        SetOperationWaitWindowSource([window]() { return window.get(); });
        drovik::ClsWaitWindow::stopAfterUpdates(updates);
        RefineMeshAdaptively();
        drovik::ClsWaitWindow::stopAfterUpdates(0);
        EXPECT_EQ(gridcheck::conformityFault(basDelaunay()), "") << updates;
        EXPECT_EQ(sideFlagFault(basDelaunay()), "") << updates;
        RunControl().RunState(0);
    }
}

TEST_F(AdaptiveRefinement, SideIndexGivesTheNetOfThePlainScan) {
    std::mt19937 random(3);
    for (int run = 0; run < 6; ++run) {
        SetUp();
        randomNet(random, 5, 4, run % 2 == 0 ? 0.0 : 0.2);
        useField([run](float x, float y) { return 0.12f + 0.05f * static_cast<float>(run) + 0.1f * std::fabs(x - 2.0f * y); });
        const BasDelaunay start = basDelaunay();
        RefineMeshAdaptively();
        const BasDelaunay indexed = basDelaunay();
        basDelaunay() = start;
        RefineMeshAdaptivelyByScan();
        const BasDelaunay& scanned = basDelaunay();
        ASSERT_EQ(indexed.MeshNodeCount, scanned.MeshNodeCount);
        EXPECT_EQ(indexed.MeshNodeX, scanned.MeshNodeX);
        EXPECT_EQ(indexed.MeshNodeY, scanned.MeshNodeY);
        EXPECT_EQ(indexed.MeshElementList, scanned.MeshElementList);
    }
}

}  // namespace
}  // namespace orvelo
