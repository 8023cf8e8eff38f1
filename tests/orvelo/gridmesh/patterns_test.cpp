// Element patterns of the grid cells by mesh type.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "grid_fixture.h"
#include "grid_net_checks.h"
#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/gridmesh/bas_grid_based.h"
#include "orvelo/gridmesh/cell_flags.h"
#include "orvelo/gridmesh/cell_patterns.h"

namespace orvelo {
namespace {

const std::vector<std::pair<float, float>> kEverywhere{{-10, -10}, {10, -10}, {10, 10}, {-10, 10}};

// A 2 x 2-cell grid over 0..2 with every node, every flag set, and the
// pass of the mesh type run.
void buildTwoByTwo(std::int16_t meshType) {
    gridtest::InstallGridPoints({0, 1, 2}, {0, 1, 2}, meshType);
    gridtest::SetSlabRegion(kEverywhere);
    SetCellTriangleFlags();
    BuildGridCellElements();
}

std::int16_t node(std::int32_t ix, std::int32_t iy) { return basGridBased().GridNodeNumber(ix, iy); }

// The grid indices of a node standing on its grid point.
std::pair<int, int> indexOf(std::int16_t n) {
    const BasDelaunay& m = basDelaunay();
    return {static_cast<int>(m.MeshNodeX[static_cast<std::size_t>(n)]) + 1,
            static_cast<int>(m.MeshNodeY[static_cast<std::size_t>(n)]) + 1};
}

// The diagonal sides of the triangles as pairs of grid indices.
std::vector<std::pair<std::pair<int, int>, std::pair<int, int>>> diagonals() {
    std::vector<std::pair<std::pair<int, int>, std::pair<int, int>>> found;
    const BasDelaunay& m = basDelaunay();
    for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) {
        const NetElement& t = m.MeshElementList[static_cast<std::size_t>(e)];
        for (int k = 1; k <= t.CornerCount; ++k) {
            const auto a = indexOf(t.Node[static_cast<std::size_t>(k)]);
            const auto b = indexOf(t.Node[static_cast<std::size_t>(k % t.CornerCount + 1)]);
            if (a.first != b.first && a.second != b.second) found.emplace_back(a, b);
        }
    }
    return found;
}

TEST(GridCellPatterns, Type1And2SplitEveryCellOnOneDiagonal) {
    for (const std::int16_t type : {1, 2}) {
        buildTwoByTwo(type);
        EXPECT_EQ(basDelaunay().MeshElementCount, 8) << type;
        for (const auto& [a, b] : diagonals()) {
            // Type 1: bottom-left to top-right (x and y grow together).
            const bool rising = (b.first - a.first) * (b.second - a.second) > 0;
            EXPECT_EQ(rising, type == 1);
        }
        EXPECT_TRUE(gridcheck::overlappingPairs(basDelaunay()).empty());
    }
}

TEST(GridCellPatterns, Type3DiagonalsMeetAtGridPointsOfEvenIndexSum) {
    buildTwoByTwo(3);
    EXPECT_EQ(basDelaunay().MeshElementCount, 8);
    const auto found = diagonals();
    EXPECT_EQ(found.size(), 8u);  // each of the four diagonals seen from both sides
    std::set<std::pair<int, int>> ends;
    for (const auto& [a, b] : found) {
        EXPECT_EQ((a.first + a.second) % 2, 0);
        EXPECT_EQ((b.first + b.second) % 2, 0);
        ends.insert(a);
    }
    EXPECT_TRUE(ends.count({2, 2}) == 1);  // the centre joins all four
    EXPECT_EQ(gridcheck::conformityFault(basDelaunay()), "");
}

TEST(GridCellPatterns, Type0MakesQuadrilateralsCornersBrTrTlBl) {
    buildTwoByTwo(0);
    const BasDelaunay& m = basDelaunay();
    ASSERT_EQ(m.MeshElementCount, 4);
    const NetElement& first = m.MeshElementList[1];  // cell (2, 1)
    EXPECT_EQ(first.CornerCount, 4);
    EXPECT_EQ(first.Node[1], node(2, 1));
    EXPECT_EQ(first.Node[2], node(2, 2));
    EXPECT_EQ(first.Node[3], node(1, 2));
    EXPECT_EQ(first.Node[4], node(1, 1));
    EXPECT_EQ(first.Flag, (std::array<std::int32_t, 5>{}));
}

TEST(GridCellPatterns, Type0ConstrainedDiagonalAndSingleCornerTriangle) {
    gridtest::InstallGridPoints({0, 1, 2}, {0, 1}, 0);
    gridtest::SetSlabRegion(kEverywhere);
    SetCellTriangleFlags();
    BasDelaunay& m = basDelaunay();
    m.ConstraintEdgeCount = 1;
    m.ConstraintEdges = {{0, 0}, {node(1, 2), node(2, 1)}};  // TL-BR of cell (2, 1)
    basGridBased().CellTriangleInside(3, 1) = {false, true, false, true, false};
    BuildGridCellElements();
    ASSERT_EQ(m.MeshElementCount, 3);
    const NetElement& a = m.MeshElementList[1];
    const NetElement& b = m.MeshElementList[2];
    EXPECT_EQ((std::array<std::int16_t, 3>{a.Node[1], a.Node[2], a.Node[3]}),
              (std::array<std::int16_t, 3>{node(2, 1), node(1, 2), node(1, 1)}));
    // (made as BR, TL, TR, turned counter-clockwise)
    EXPECT_EQ((std::array<std::int16_t, 3>{b.Node[1], b.Node[2], b.Node[3]}),
              (std::array<std::int16_t, 3>{node(2, 1), node(2, 2), node(1, 2)}));
    // Flags 1 and 3 set: triangle 3 (TL, BL, BR) alone.
    const NetElement& c = m.MeshElementList[3];
    EXPECT_EQ((std::array<std::int16_t, 3>{c.Node[1], c.Node[2], c.Node[3]}),
              (std::array<std::int16_t, 3>{node(2, 2), node(2, 1), node(3, 1)}));
}

TEST(GridCellPatterns, TriangleWithItsCentroidInAnOpeningFallsBackToTheOtherDiagonal) {
    // Type 1 starts cell (2, 1) with triangle 4 (BR, TR, BL), whose centroid
    // (0.67, 0.33) lies in a small opening that no quarter centroid reaches.
    gridtest::InstallGridPoints({0, 1}, {0, 1}, 1);
    gridtest::SetSlabRegion(kEverywhere);
    gridtest::AddOpeningRegion({{0.62f, 0.3f}, {0.7f, 0.3f}, {0.7f, 0.37f}, {0.62f, 0.37f}});
    SetCellTriangleFlags();
    ASSERT_EQ(basGridBased().CellTriangleInside(2, 1), (std::array<bool, 5>{false, true, true, true, true}));
    BuildGridCellElements();
    const BasDelaunay& m = basDelaunay();
    ASSERT_EQ(m.MeshElementCount, 2);
    // Both halves on the diagonal BR-TL: no overlap.
    for (const auto& [a, b] : diagonals()) EXPECT_LT((b.first - a.first) * (b.second - a.second), 0);
    EXPECT_TRUE(gridcheck::overlappingPairs(m).empty());
    EXPECT_NEAR(gridcheck::totalArea(m), 1.0, 1e-6);
}

TEST(GridCellPatterns, RivalDiagonalBetweenKeyNodesIsBuiltFirst) {
    // Type 1 would split the cell on TR-BL; BR (node 2) and TL (node 3) are
    // key nodes, so the cell is split on BR-TL instead.
    gridtest::InstallGridPoints({0, 1}, {0, 1}, 1);
    ASSERT_EQ(node(2, 1), 2);
    ASSERT_EQ(node(1, 2), 3);
    basGridBased().KeyNodeCount = 3;
    gridtest::SetSlabRegion(kEverywhere);
    SetCellTriangleFlags();
    BuildGridCellElements();
    ASSERT_EQ(basDelaunay().MeshElementCount, 2);
    for (const auto& [a, b] : diagonals()) EXPECT_LT((b.first - a.first) * (b.second - a.second), 0);
    // Without key nodes the type's own diagonal.
    gridtest::InstallGridPoints({0, 1}, {0, 1}, 1);
    gridtest::SetSlabRegion(kEverywhere);
    SetCellTriangleFlags();
    BuildGridCellElements();
    for (const auto& [a, b] : diagonals()) EXPECT_GT((b.first - a.first) * (b.second - a.second), 0);
}

TEST(GridCellPatterns, CellWithOneSideQuarterOutsideGetsNoOverlappingHalves) {
    // Left quarter outside (slab x > 0.3): triangles 1 and 4 are flagged,
    // which lie on different diagonals; right quarter outside (x < 0.7):
    // triangles 2 and 3.
    for (const auto& slab : {std::vector<std::pair<float, float>>{{0.3f, -10}, {10, -10}, {10, 10}, {0.3f, 10}},
                             std::vector<std::pair<float, float>>{{-10, -10}, {0.7f, -10}, {0.7f, 10}, {-10, 10}}}) {
        for (const std::int16_t type : {1, 2, 3}) {
            gridtest::InstallGridPoints({0, 1}, {0, 1}, type);
            gridtest::SetSlabRegion(slab);
            SetCellTriangleFlags();
            BuildGridCellElements();
            const BasDelaunay& m = basDelaunay();
            EXPECT_EQ(m.MeshElementCount, 1) << type;
            EXPECT_TRUE(gridcheck::overlappingPairs(m).empty()) << type;
        }
    }
}

TEST(GridCellPatterns, Type4BridgesAMissingGridPoint) {
    gridtest::InstallGridPoints({0, 1, 2}, {0, 1}, 4);
    gridtest::SetSlabRegion(kEverywhere);
    gridtest::RemoveGridPoint(2, 1);
    gridtest::RemoveGridPoint(1, 2);
    gridtest::RemoveGridPoint(3, 2);
    SetCellTriangleFlags();
    BuildGridPointElements();
    const BasDelaunay& m = basDelaunay();
    ASSERT_EQ(m.MeshElementCount, 1);
    const NetElement& t = m.MeshElementList[1];
    EXPECT_EQ((std::array<std::int16_t, 3>{t.Node[1], t.Node[2], t.Node[3]}),
              (std::array<std::int16_t, 3>{node(3, 1), node(2, 2), node(1, 1)}));
}

TEST(GridCellPatterns, TopRowOnlyStepsDownAndRowZeroMakesNothing) {
    gridtest::InstallGridPoints({0, 1}, {0, 1}, 3);
    gridtest::SetSlabRegion(kEverywhere);
    SetCellTriangleFlags();
    BasGridBased& g = basGridBased();
    // A node in row 0 must not be reached by the downward step at iy = 1.
    g.GridPointUsed(1, 0) = 1;
    g.GridPointUsed(2, 0) = 1;
    g.GridNodeNumber(1, 0) = 1;
    g.GridNodeNumber(2, 0) = 2;
    BuildGridCellElements();
    EXPECT_EQ(basDelaunay().MeshElementCount, 2);
}

}  // namespace
}  // namespace orvelo
