// Constrained side recovery and the inside classification.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/classify.h"
#include "orvelo/delaunay/edge_recovery.h"
#include "orvelo/delaunay/kernel.h"
#include "orvelo/delaunay/links.h"
#include "orvelo/delaunay/marks.h"
#include "orvelo/delaunay/net_check.h"
#include "orvelo/delaunay/predicates.h"
#include "orvelo/project/services.h"

namespace orvelo {
namespace {

class RecoveryTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetServices();
        resetBasDelaunay();
        InitStartTriangulation();
    }
    void TearDown() override { resetServices(); }

    // Triangulates the given points (nodes 5, 6, ...).
    static void triangulate(const std::vector<std::pair<float, float>>& points) {
        for (const auto& [x, y] : points) AppendNode(x, y);
        StretchStartRectangle();
        ComputeDrawingScale();
        ComputeCircumcircle(1);
        ComputeCircumcircle(2);
        for (std::int16_t n = 5; n <= basDelaunay().MeshNodeCount; ++n) InsertNodeIntoTriangulation(n);
    }
    static std::set<std::int16_t> cornerSet(std::int32_t e) {
        const auto& node = basDelaunay().MeshElementList[static_cast<std::size_t>(e)].Node;
        return {node[1], node[2], node[3]};
    }
    static meshcheck::NetView view() {
        const BasDelaunay& m = basDelaunay();
        return {m.MeshNodeCount, &m.MeshNodeX, &m.MeshNodeY, m.MeshElementCount, &m.MeshElementList};
    }
};

TEST_F(RecoveryTest, OneCrossedSideIsSwappedInTheTwoElementsThatHeldIt) {
    // A flat rhombus: the triangulation takes the short diagonal 6-8.
    triangulate({{0, 0}, {4, -1}, {8, 0}, {4, 1}});
    BasDelaunay& m = basDelaunay();
    ASSERT_TRUE(IsElementSide(m, 6, 8));
    std::int32_t first = 0, second = 0;
    for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) {
        if (cornerSet(e) == std::set<std::int16_t>{5, 6, 8}) first = e;
        if (cornerSet(e) == std::set<std::int16_t>{7, 6, 8}) second = e;
    }
    ASSERT_NE(first, 0);
    ASSERT_NE(second, 0);
    std::int16_t p = 0;  // the first element's first corner other than node 5
    for (std::size_t k = 1; k <= 3 && p == 0; ++k)
        if (m.MeshElementList[static_cast<std::size_t>(first)].Node[k] != 5) p = m.MeshElementList[static_cast<std::size_t>(first)].Node[k];
    const std::int16_t q = p == 6 ? 8 : 6;
    EdgeList rows{{0, 0}, {5, 7}};
    std::int16_t count = 1;
    RecoverConstraintEdges(rows, count);
    EXPECT_EQ(count, 1);
    EXPECT_TRUE(IsElementSide(m, 5, 7));
    EXPECT_FALSE(IsElementSide(m, 6, 8));
    EXPECT_EQ(cornerSet(first), (std::set<std::int16_t>{5, 7, p}));
    EXPECT_EQ(cornerSet(second), (std::set<std::int16_t>{5, 7, q}));
    EXPECT_TRUE(meshcheck::CheckTopology(view()).empty());  // both still counter-clockwise
    // Circles follow the new corners: (5, 7, p) has its centre on x = 4.
    EXPECT_NEAR(m.ElementCircle[static_cast<std::size_t>(first)][0], 4.0f, 1e-4);
}

TEST_F(RecoveryTest, SidesCrossingManyElementsOrRunningThroughNodesAreRecovered) {
    std::mt19937 random(11);
    for (int round = 0; round < 8; ++round) {
        resetBasDelaunay();
        InitStartTriangulation();
        std::uniform_real_distribution<float> coordinate(0.0f, 20.0f);
        std::vector<std::pair<float, float>> points;
        for (int i = 0; i < 120; ++i) points.push_back({coordinate(random), coordinate(random)});
        // A row of points on one line, which a row must pass through.
        for (int i = 0; i <= 10; ++i) points.push_back({2.0f + 1.5f * static_cast<float>(i), 10.0f});
        triangulate(points);
        BasDelaunay& m = basDelaunay();
        EdgeList rows{{0, 0}};
        std::int16_t count = 0;
        std::set<std::int16_t> used;
        const std::int16_t lineStart = static_cast<std::int16_t>(5 + 120), lineEnd = static_cast<std::int16_t>(5 + 130);
        rows.push_back({lineStart, lineEnd});
        ++count;
        // Random chords that do not cross each other or the line; every
        // other one a side of the triangulation already.
        std::uniform_int_distribution<int> pick(5, 124);
        while (count < 6) {
            auto a = static_cast<std::int16_t>(pick(random)), b = static_cast<std::int16_t>(pick(random));
            if (count % 2 == 0) {
                const std::int32_t e = 1 + static_cast<std::int32_t>(random() % static_cast<unsigned>(m.MeshElementCount));
                const int j = static_cast<int>(random() % 3);
                a = CornerOf(m, e, j);
                b = CornerOf(m, e, (j + 1) % 3);
                if (a < 5 || b < 5 || a >= lineStart || b >= lineStart) continue;
            }
            if (a == b) continue;
            auto cross = [&](std::int16_t p, std::int16_t q) {
                auto o = [&](std::int16_t u, std::int16_t v, std::int16_t w) { return OrientNodes(m, u, v, w); };
                if (p == a || p == b || q == a || q == b) return true;
                return (o(a, b, p) > 0) != (o(a, b, q) > 0) && (o(p, q, a) > 0) != (o(p, q, b) > 0);
            };
            bool clear = !(used.count(a) || used.count(b));
            for (std::size_t k = 1; k < rows.size() && clear; ++k) clear = !cross(rows[k][0], rows[k][1]);
            // Nor through the points of the line.
            for (std::int16_t n = lineStart; n <= lineEnd && clear; ++n)
                clear = OrientNodes(m, a, b, n) != 0.0;
            if (!clear) continue;
            rows.push_back({a, b});
            used.insert(a), used.insert(b);
            ++count;
        }
        RecoverConstraintEdges(rows, count);
        EXPECT_GE(count, 15) << "the line is divided at its nine inner points";
        // Each row a side, locked in both elements that hold it.
        for (std::size_t k = 1; k <= static_cast<std::size_t>(count); ++k) {
            EXPECT_TRUE(IsElementSide(m, rows[k][0], rows[k][1])) << "row " << k << " of round " << round;
            for (const bool forward : {true, false}) {
                int j = 0;
                const std::int32_t e = forward ? ElementWithSide(m, rows[k][0], rows[k][1], j) : ElementWithSide(m, rows[k][1], rows[k][0], j);
                if (e != 0) {
                    EXPECT_NE(m.Links.Elements[static_cast<std::size_t>(e)].Locked & (1u << j), 0u)
                        << "row " << k << " of round " << round;
                }
            }
        }
        EXPECT_TRUE(meshcheck::CheckTopology(view()).empty());
    }
}

TEST_F(RecoveryTest, CrossingConstraintsAreDividedWhereTheyMeet) {
    triangulate({{0, 0}, {10, 0}, {5, -5}, {5, 5}});
    BasDelaunay& m = basDelaunay();
    m.ConstraintEdges = {{0, 0}, {5, 6}, {7, 8}};
    m.ConstraintEdgeCount = 2;
    RecoverConstraintEdges(m.ConstraintEdges, m.ConstraintEdgeCount);
    const EdgeList& rows = m.ConstraintEdges;
    const std::int16_t count = m.ConstraintEdgeCount;
    ASSERT_EQ(m.MeshNodeCount, 9);
    EXPECT_EQ(m.MeshNodeX[9], 5.0f);
    EXPECT_EQ(m.MeshNodeY[9], 0.0f);
    ASSERT_EQ(count, 4);
    EXPECT_EQ(rows[1], (std::array<std::int16_t, 2>{5, 9}));
    EXPECT_EQ(rows[2], (std::array<std::int16_t, 2>{7, 9}));
    EXPECT_EQ(rows[3], (std::array<std::int16_t, 2>{9, 6}));
    EXPECT_EQ(rows[4], (std::array<std::int16_t, 2>{9, 8}));
    for (std::size_t k = 1; k <= 4; ++k) EXPECT_TRUE(IsElementSide(m, rows[k][0], rows[k][1]));
    EXPECT_TRUE(meshcheck::CheckTopology(view()).empty());
}

TEST_F(RecoveryTest, InsideIsWhatTheOutlineHoldsOutsideTheOpenings) {
    // Outline 0..10 square (nodes 5-8), opening 4..6 square (9-12), a line
    // (13-14) across the slab, and some inner points.
    triangulate({{0, 0}, {10, 0}, {10, 10}, {0, 10}, {4, 4}, {6, 4}, {6, 6}, {4, 6}, {2, 0.5f}, {2, 9.5f},
                 {8, 2}, {8, 8}, {1.5f, 5}, {3, 7}});
    BasDelaunay& m = basDelaunay();
    m.BoundaryEdges = {{0, 0}, {5, 6}, {6, 7}, {7, 8}, {8, 5}, {9, 12}, {12, 11}, {11, 10}, {10, 9}};
    m.BoundaryEdgeCount = 8;
    m.ConstraintEdges = {{0, 0}, {13, 14}};
    m.ConstraintEdgeCount = 1;
    RecoverConstraintEdges(m.BoundaryEdges, m.BoundaryEdgeCount);
    RecoverConstraintEdges(m.ConstraintEdges, m.ConstraintEdgeCount);
    ClassifyInsideElements();
    double inside = 0.0;
    const auto net = view();
    std::set<std::int32_t> sidesOfLine;
    for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) {
        const auto mark = m.MeshElementList[static_cast<std::size_t>(e)].CornerCount;
        ASSERT_TRUE(mark == 3 || mark == -1);
        if (mark == 3) inside += meshcheck::TwiceArea(net, e) / 2;
        const auto s = cornerSet(e);
        if (mark == 3 && s.count(13) && s.count(14)) sidesOfLine.insert(e);
    }
    EXPECT_NEAR(inside, 100.0 - 4.0, 1e-6);
    EXPECT_EQ(sidesOfLine.size(), 2u);  // the line does not stop the fill
    EXPECT_EQ(m.FreeElementDepth, 0);
}

TEST_F(RecoveryTest, ClassificationEndsWithoutAnyBoundary) {
    triangulate({{0, 0}, {10, 0}, {10, 10}, {0, 10}, {3, 3}});
    ClassifyInsideElements();
    BasDelaunay& m = basDelaunay();
    for (std::int32_t e = 1; e <= m.MeshElementCount; ++e)
        EXPECT_EQ(m.MeshElementList[static_cast<std::size_t>(e)].CornerCount, -1);
}

// The division of boundary rows at the nodes on them, as the first element
// (in number order) at either end of a row decides it.
EdgeList plainDividedRows(const BasDelaunay& m) {
    EdgeList rows(m.BoundaryEdges.begin(), m.BoundaryEdges.begin() + m.BoundaryEdgeCount + 1);
    auto on = [&](std::int16_t a, std::int16_t b, std::int16_t c) {
        auto x = [&](std::int16_t n) { return static_cast<double>(m.MeshNodeX[static_cast<std::size_t>(n)]); };
        auto y = [&](std::int16_t n) { return static_cast<double>(m.MeshNodeY[static_cast<std::size_t>(n)]); };
        return c != a && c != b && predicates::OnSegment(x(a), y(a), x(b), y(b), x(c), y(c));
    };
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const std::int16_t a = rows[i][0], b = rows[i][1];
        std::set<std::int32_t> around;
        for (std::int32_t e : ElementsAtNode(m, a)) around.insert(e);
        for (std::int32_t e : ElementsAtNode(m, b)) around.insert(e);
        for (std::int32_t e : around) {
            const auto& node = m.MeshElementList[static_cast<std::size_t>(e)].Node;
            const std::set<std::int16_t> corners{node[1], node[2], node[3]};
            if (corners.count(a) != 0 && corners.count(b) != 0) break;
            int shared = 1;
            while (shared <= 3 && node[static_cast<std::size_t>(shared)] != a && node[static_cast<std::size_t>(shared)] != b) ++shared;
            if (shared > 3) continue;
            int hit = 1;
            while (hit <= 3 && (hit == shared || !on(a, b, node[static_cast<std::size_t>(hit)]))) ++hit;
            if (hit > 3) continue;
            const std::int16_t from = node[static_cast<std::size_t>(shared)], c = node[static_cast<std::size_t>(hit)];
            rows[i] = {from, c};
            rows.push_back({c, from == a ? b : a});
            break;
        }
    }
    return rows;
}

// Rows through nodes of a random triangulation (along a line of points, and
// between random nodes) are divided as the plain rule has it.
TEST_F(RecoveryTest, RowsAreDividedAtTheNodesOnThemAsThePlainRuleHasIt) {
    std::mt19937 random(31);
    for (int round = 0; round < 12; ++round) {
        resetBasDelaunay();
        InitStartTriangulation();
        std::uniform_int_distribution<int> coordinate(0, 20);
        std::vector<std::pair<float, float>> points;
        for (int i = 0; i < 60; ++i) points.push_back({static_cast<float>(coordinate(random)), static_cast<float>(coordinate(random))});
        for (int i = 0; i <= 8; ++i) points.push_back({1.0f + 2.0f * static_cast<float>(i), 7.0f + static_cast<float>(round % 3)});
        triangulate(points);
        BasDelaunay& m = basDelaunay();
        m.BoundaryEdges = {{0, 0}, {65, 73}, {73, 66}};
        std::uniform_int_distribution<int> pick(5, m.MeshNodeCount);
        while (m.BoundaryEdges.size() < 12) {
            const auto a = static_cast<std::int16_t>(pick(random)), b = static_cast<std::int16_t>(pick(random));
            if (a != b) m.BoundaryEdges.push_back({a, b});
        }
        m.BoundaryEdgeCount = static_cast<std::int16_t>(m.BoundaryEdges.size() - 1);
        const EdgeList expected = plainDividedRows(m);
        ClassifyInsideElements();
        ASSERT_EQ(static_cast<std::size_t>(m.BoundaryEdgeCount) + 1, expected.size()) << "round " << round;
        for (std::size_t i = 1; i < expected.size(); ++i) EXPECT_EQ(m.BoundaryEdges[i], expected[i]) << "row " << i << " of round " << round;
        EXPECT_GE(m.BoundaryEdgeCount, 18) << "round " << round;
    }
}

}  // namespace
}  // namespace orvelo
