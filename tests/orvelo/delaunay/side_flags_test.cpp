// Element side flags, and the carrying of fixed-node and constraint marks
// across a change of the net.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "halvex/interface/enums.h"
#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/marks.h"
#include "orvelo/delaunay/side_flags.h"
#include "orvelo/project/services.h"
#include "outside/drovik/wait_window.h"
#include "platform/forms/msgbox.h"
#include "platform/runtime/errors.h"

namespace orvelo {
namespace {

NetElement triangle(std::int16_t a, std::int16_t b, std::int16_t c, std::int32_t flags = 0) {
    NetElement e;
    e.CornerCount = 3;
    e.Node = {0, a, b, c, 0};
    e.Flag = {0, flags, flags, flags, 0};
    return e;
}

NetElement quadrilateral(std::int16_t a, std::int16_t b, std::int16_t c, std::int16_t d) {
    NetElement e;
    e.CornerCount = 4;
    e.Node = {0, a, b, c, d};
    return e;
}

// The pairwise comparison the flags must agree with.
void plainSideFlags(std::vector<NetElement>& elements) {
    const std::size_t n = elements.size() - 1;
    for (std::size_t e = 1; e <= n; ++e)
        for (int k = 1; k <= elements[e].CornerCount; ++k)
            elements[e].Flag[static_cast<std::size_t>(k)] = (elements[e].Flag[static_cast<std::size_t>(k)] & ~40) | 1;
    for (std::size_t a = 1; a <= n; ++a) {
        NetElement& first = elements[a];
        for (int b = 1; b <= first.CornerCount; ++b) {
            if ((first.Flag[static_cast<std::size_t>(b)] & 1) == 0) continue;
            const int b2 = b + 1 > first.CornerCount ? 1 : b + 1;
            for (std::size_t i = a + 1; i <= n; ++i) {
                NetElement& later = elements[i];
                for (int d = 1; d <= later.CornerCount; ++d) {
                    if ((later.Flag[static_cast<std::size_t>(d)] & 1) == 0) continue;
                    const int d2 = d + 1 > later.CornerCount ? 1 : d + 1;
                    const auto p = first.Node[static_cast<std::size_t>(b)], q = first.Node[static_cast<std::size_t>(b2)];
                    const auto r = later.Node[static_cast<std::size_t>(d)], s = later.Node[static_cast<std::size_t>(d2)];
                    if ((p == r && q == s) || (p == s && q == r)) {
                        later.Flag[static_cast<std::size_t>(d)] = (later.Flag[static_cast<std::size_t>(d)] & ~1) | 32;
                        first.Flag[static_cast<std::size_t>(b)] = (first.Flag[static_cast<std::size_t>(b)] & ~1) | 8;
                        break;
                    }
                }
            }
        }
    }
}

// A random list of triangles and quadrilaterals over the nodes lowest..highest
// with random flags; now and then an element with no corners.
std::vector<NetElement> randomNet(std::mt19937& random, int count, int lowest, int highest) {
    std::uniform_int_distribution<int> node(lowest, highest);
    auto pick = [&] { return static_cast<std::int16_t>(node(random)); };
    std::vector<NetElement> net(1);
    for (int e = 0; e < count; ++e) {
        NetElement element = random() % 4 == 0 ? quadrilateral(pick(), pick(), pick(), pick()) : triangle(pick(), pick(), pick());
        for (auto& flag : element.Flag) flag = static_cast<std::int32_t>(random() % 128);
        if (random() % 10 == 0) element.CornerCount = static_cast<std::int32_t>(random() % 2) - 1;
        net.push_back(element);
    }
    return net;
}

class SideFlagsTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetServices();
        resetBasDelaunay();
    }
    void TearDown() override { resetServices(); }
};

TEST_F(SideFlagsTest, SharedSidesGetInnerAndRepeatedBorderSidesOuter) {
    // Two triangles sharing 2-3; stale 8 and 32 on border sides; bits 2 and
    // 4 stay.
    std::vector<NetElement> net{NetElement{}, triangle(1, 2, 3, 8 | 2), triangle(3, 2, 4, 32 | 4)};
    BuildElementSideFlags(net, nullptr);
    EXPECT_EQ(net[1].Flag, (std::array<std::int32_t, 5>{0, 1 | 2, 8 | 2, 1 | 2, 0}));
    EXPECT_EQ(net[2].Flag, (std::array<std::int32_t, 5>{0, 32 | 4, 1 | 4, 1 | 4, 0}));
    // A side held three times: 8 in the lowest element, 32 in the others.
    std::vector<NetElement> three{NetElement{}, triangle(1, 2, 3), triangle(2, 1, 4), triangle(1, 2, 5)};
    BuildElementSideFlags(three, nullptr);
    EXPECT_EQ(three[1].Flag[1], 8);
    EXPECT_EQ(three[2].Flag[1], 32);
    EXPECT_EQ(three[3].Flag[1], 32);
    // Quadrilaterals close over their fourth side; empty lists are left alone.
    std::vector<NetElement> quads{NetElement{}, quadrilateral(1, 2, 3, 4), triangle(5, 1, 4)};
    BuildElementSideFlags(quads, nullptr);
    EXPECT_EQ(quads[1].Flag[4], 8);
    EXPECT_EQ(quads[2].Flag[2], 32);
    std::vector<NetElement> empty(1);
    BuildElementSideFlags(empty, nullptr);
}

TEST_F(SideFlagsTest, AStopIsNotHonouredBeforeTheFlagsAreComplete) {
    std::vector<NetElement> net{NetElement{}, triangle(1, 2, 3), triangle(3, 2, 4), triangle(3, 4, 5)};
    drovik::ClsWaitWindow window;
    window.requestStop();
    BuildElementSideFlags(net, &window);
    EXPECT_EQ(net[3].Flag[1], 32);
    EXPECT_EQ(window.progressValue(), 3);
}

TEST_F(SideFlagsTest, SideMapGivesThePairwiseFlagsOnRandomNets) {
    std::mt19937 random(5);
    for (int round = 0; round < 30; ++round) {
        std::uniform_int_distribution<int> node(1, 12);
        std::vector<NetElement> net(1);
        const int count = 5 + round * 3;
        for (int e = 0; e < count; ++e) {
            NetElement element = random() % 4 == 0
                                     ? quadrilateral(static_cast<std::int16_t>(node(random)), static_cast<std::int16_t>(node(random)),
                                                     static_cast<std::int16_t>(node(random)), static_cast<std::int16_t>(node(random)))
                                     : triangle(static_cast<std::int16_t>(node(random)), static_cast<std::int16_t>(node(random)),
                                                static_cast<std::int16_t>(node(random)));
            for (auto& flag : element.Flag) flag = static_cast<std::int32_t>(random() % 128);
            if (random() % 10 == 0) element.CornerCount = static_cast<std::int32_t>(random() % 2) - 1;
            net.push_back(element);
        }
        std::vector<NetElement> expected = net;
        plainSideFlags(expected);
        BuildElementSideFlags(net, nullptr);
        ASSERT_EQ(net, expected) << "round " << round;
    }
}

TEST_F(SideFlagsTest, MarksSurviveSaveResetAndRestore) {
    BasDelaunay& m = basDelaunay();
    // Node 3 fixed in one element only; side 2-3 a constraint in one only.
    m.MeshElementCount = 3;
    m.MeshElementList = {NetElement{}, triangle(1, 2, 3), triangle(3, 2, 4), triangle(3, 4, 5)};
    m.MeshElementList[1].Flag[2] = 1 | 4;       // side 2-3
    m.MeshElementList[3].Flag[1] = 1 | 2;       // node 3
    SaveBoundaryFlags();
    EXPECT_EQ(m.FixedNodeCount, 1);
    EXPECT_EQ(m.ConstraintEdgeCount, 1);
    ResetSideFlags();
    for (std::size_t e = 1; e <= 3; ++e)
        for (std::size_t k = 1; k <= 3; ++k) EXPECT_EQ(m.MeshElementList[e].Flag[k], 1);
    // Renumbered lists still mark the same places; a reversed row counts.
    m.ConstraintEdges[1] = {3, 2};
    RestoreBoundaryFlags();
    EXPECT_EQ(m.MeshElementList[1].Flag[2] & 4, 4);
    EXPECT_EQ(m.MeshElementList[2].Flag[1] & 4, 4);  // the other element at 2-3
    EXPECT_EQ(m.MeshElementList[1].Flag[3] & 2, 2);
    EXPECT_EQ(m.MeshElementList[2].Flag[1] & 2, 2);
    EXPECT_EQ(m.MeshElementList[3].Flag[1] & 2, 2);
    EXPECT_EQ(m.FixedNodeCount, 0);
    EXPECT_EQ(m.ConstraintEdgeCount, 0);
}

TEST_F(SideFlagsTest, AStoppedRestoreKeepsItsListsUnlessToldToFinish) {
    BasDelaunay& m = basDelaunay();
    m.MeshElementCount = 2;
    m.MeshElementList = {NetElement{}, triangle(1, 2, 3, 1), triangle(3, 2, 4, 1)};
    m.FixedNodeCount = 1;
    m.FixedNodes = {0, 4};
    drovik::ClsWaitWindow window;
    SetOperationWaitWindowSource([&window] { return &window; });
    window.requestStop();
    RestoreBoundaryFlags();
    EXPECT_EQ(m.FixedNodeCount, 1);
    EXPECT_EQ(m.MeshElementList[2].Flag[3] & 2, 0);  // the stop came after element 1
    RestoreBoundaryFlags(true);
    EXPECT_EQ(m.MeshElementList[2].Flag[3] & 2, 2);
    EXPECT_EQ(m.FixedNodeCount, 0);
    SetOperationWaitWindowSource(nullptr);
}

TEST_F(SideFlagsTest, CrowdedAndNegativeNodesGiveThePairwiseFlags) {
    // Few nodes and many elements: a node at the lower end of far more
    // sides than usual, sides held many times, and negative numbers.
    std::mt19937 random(11);
    for (int round = 0; round < 20; ++round) {
        std::vector<NetElement> net = randomNet(random, 20 + round * 10, round % 2 == 0 ? 1 : -3, 6);
        std::vector<NetElement> expected = net;
        plainSideFlags(expected);
        BuildElementSideFlags(net, nullptr);
        ASSERT_EQ(net, expected) << "round " << round;
    }
}

// Nets large enough to be matched in several parts: a grid of triangles
// and quadrilaterals (most sides held twice) with its nodes renumbered
// into a range that reaches -32768 or 32767, its elements shuffled and
// turned, and some elements repeated (sides held three times or more).
// An element of five corners stops the flags after the elements before it
// are reset.
TEST_F(SideFlagsTest, LargeNetsGiveThePairwiseFlags) {
    std::mt19937 random(29);
    const int lowest[] = {1, -32768, 32767 - 1300, -650};
    for (int round = 0; round < 8; ++round) {
        const int cells = 24 + round % 3 * 4;
        std::vector<int> number((cells + 1) * (cells + 1));
        for (std::size_t i = 0; i < number.size(); ++i) number[i] = lowest[round % 4] + static_cast<int>(i);
        std::shuffle(number.begin(), number.end(), random);
        auto node = [&](int i, int j) { return static_cast<std::int16_t>(number[static_cast<std::size_t>(j * (cells + 1) + i)]); };
        std::vector<NetElement> net;
        for (int j = 0; j < cells; ++j)
            for (int i = 0; i < cells; ++i) {
                if (random() % 5 == 0) {
                    net.push_back(quadrilateral(node(i, j), node(i + 1, j), node(i + 1, j + 1), node(i, j + 1)));
                } else {
                    net.push_back(triangle(node(i, j), node(i + 1, j), node(i + 1, j + 1)));
                    net.push_back(triangle(node(i, j), node(i + 1, j + 1), node(i, j + 1)));
                }
            }
        for (int extra = 0; extra < 40; ++extra) net.push_back(net[random() % net.size()]);
        for (NetElement& element : net) {
            std::rotate(element.Node.begin() + 1, element.Node.begin() + 1 + random() % static_cast<unsigned>(element.CornerCount),
                        element.Node.begin() + 1 + element.CornerCount);
            if (random() % 2 == 0) std::reverse(element.Node.begin() + 1, element.Node.begin() + 1 + element.CornerCount);
            for (auto& flag : element.Flag) flag = static_cast<std::int32_t>(random() % 128);
        }
        std::shuffle(net.begin(), net.end(), random);
        net.insert(net.begin(), NetElement{});
        std::vector<NetElement> expected = net;
        if (round % 4 == 3) {
            const std::size_t stop = net.size() * 2 / 3;
            net[stop].CornerCount = 5;
            expected = net;
            for (std::size_t e = 1; e < stop; ++e)
                for (int k = 1; k <= expected[e].CornerCount; ++k)
                    expected[e].Flag[static_cast<std::size_t>(k)] = (expected[e].Flag[static_cast<std::size_t>(k)] & ~40) | 1;
        } else {
            plainSideFlags(expected);
        }
        forms::ScopedMsgBox box;
        box->answer(forms::vbOK);
        BuildElementSideFlags(net, nullptr);
        ASSERT_EQ(net, expected) << "round " << round;
        EXPECT_EQ(box->boxes().size(), round % 4 == 3 ? 1u : 0u) << "round " << round;
    }
}

TEST_F(SideFlagsTest, RestoreMarksEveryListedNodeAndSideOnRandomNets) {
    BasDelaunay& m = basDelaunay();
    std::mt19937 random(17);
    std::uniform_int_distribution<int> node(-2, 14);
    auto pick = [&] { return static_cast<std::int16_t>(node(random)); };
    for (int round = 0; round < 40; ++round) {
        m.MeshElementList = randomNet(random, 10 + round * 2, -1, 12);
        m.MeshElementCount = static_cast<std::int16_t>(m.MeshElementList.size() - 1);
        m.FixedNodes.assign(1, 0);
        m.ConstraintEdges.assign(1, {0, 0});
        const int rows = static_cast<int>(random() % 8);
        for (int i = 0; i < rows; ++i) {
            m.FixedNodes.push_back(pick());
            m.ConstraintEdges.push_back({pick(), pick()});
        }
        // A count short of the list leaves the last rows out.
        m.FixedNodeCount = static_cast<std::int16_t>(rows - static_cast<int>(random() % 2 == 0 && rows > 0));
        m.ConstraintEdgeCount = static_cast<std::int16_t>(rows);

        std::vector<NetElement> expected = m.MeshElementList;
        for (std::size_t e = 1; e < expected.size(); ++e) {
            NetElement& element = expected[e];
            for (int k = 1; k <= element.CornerCount; ++k) {
                const std::int16_t a = element.Node[static_cast<std::size_t>(k)];
                const std::int16_t b = element.Node[static_cast<std::size_t>(k == element.CornerCount ? 1 : k + 1)];
                for (int i = 1; i <= m.FixedNodeCount; ++i)
                    if (a >= 1 && m.FixedNodes[static_cast<std::size_t>(i)] == a) element.Flag[static_cast<std::size_t>(k)] |= 2;
                for (int i = 1; i <= m.ConstraintEdgeCount; ++i) {
                    const auto& row = m.ConstraintEdges[static_cast<std::size_t>(i)];
                    if ((row[0] == a && row[1] == b) || (row[0] == b && row[1] == a)) element.Flag[static_cast<std::size_t>(k)] |= 4;
                }
            }
        }
        RestoreBoundaryFlags();
        ASSERT_EQ(m.MeshElementList, expected) << "round " << round;
        EXPECT_EQ(m.FixedNodes.size(), 1u);
        EXPECT_EQ(m.ConstraintEdges.size(), 1u);
    }
}

// ResetAndRestoreBoundaryFlags against ResetSideFlags(true) and
// RestoreBoundaryFlags(true) one after the other: the same elements, lists
// and wait window, also where an element has more than four corners.
TEST_F(SideFlagsTest, ResetAndRestoreInOnePassMatchesTheTwoSteps) {
    BasDelaunay& m = basDelaunay();
    std::mt19937 random(23);
    std::uniform_int_distribution<int> node(-2, 14);
    auto pick = [&] { return static_cast<std::int16_t>(node(random)); };
    for (int round = 0; round < 60; ++round) {
        std::vector<NetElement> net = randomNet(random, 10 + round, -1, 12);
        if (round % 10 == 9) net[net.size() / 2].CornerCount = 5;
        std::vector<std::int16_t> fixed(1, 0);
        EdgeList sides(1, {0, 0});
        const int rows = static_cast<int>(random() % 8);
        for (int i = 0; i < rows; ++i) {
            fixed.push_back(pick());
            sides.push_back({pick(), pick()});
        }
        const bool watched = round % 3 == 0;
        struct Outcome {
            std::vector<NetElement> elements;
            std::int16_t fixedCount = 0;
            std::int16_t sideCount = 0;
            int error = 0;
            std::int32_t progress = 0;
        };
        auto run = [&](bool together) {
            m.MeshElementList = net;
            m.MeshElementCount = static_cast<std::int16_t>(net.size() - 1);
            m.FixedNodes = fixed;
            m.FixedNodeCount = static_cast<std::int16_t>(rows);
            m.ConstraintEdges = sides;
            m.ConstraintEdgeCount = static_cast<std::int16_t>(rows);
            drovik::ClsWaitWindow window;
            if (watched) SetOperationWaitWindowSource([&window] { return &window; });
            Outcome outcome;
            try {
                if (together) {
                    ResetAndRestoreBoundaryFlags();
                } else {
                    ResetSideFlags(true);
                    RestoreBoundaryFlags(true);
                }
            } catch (const rt::RuntimeError& error) {
                outcome.error = error.number();
            }
            SetOperationWaitWindowSource(nullptr);
            outcome.elements = m.MeshElementList;
            outcome.fixedCount = m.FixedNodeCount;
            outcome.sideCount = m.ConstraintEdgeCount;
            outcome.progress = window.progressValue();
            return outcome;
        };
        const Outcome apart = run(false);
        const Outcome together = run(true);
        ASSERT_EQ(together.elements, apart.elements) << "round " << round;
        EXPECT_EQ(together.fixedCount, apart.fixedCount) << "round " << round;
        EXPECT_EQ(together.sideCount, apart.sideCount) << "round " << round;
        EXPECT_EQ(together.error, apart.error) << "round " << round;
        EXPECT_EQ(together.progress, apart.progress) << "round " << round;
    }
}

}  // namespace
}  // namespace orvelo
