// Snapping of key points onto the grid, key nodes and grid nodes.
#include <gtest/gtest.h>

#include <algorithm>

#include <cmath>

#include "grid_fixture.h"
#include "grid_net_checks.h"
#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/gridmesh/bas_grid_based.h"
#include "orvelo/gridmesh/grid_based_mesh.h"
#include "orvelo/gridmesh/key_points.h"
#include "orvelo/gridmesh/snapping.h"

namespace orvelo {
namespace {

using gridtest::GridSlab;
using gridtest::Lines;
using gridtest::Polygon;

// Grid lines 0..4 step 1 in both directions (indices 1..5) and the given
// keys, the first inputKeys of them input keys; no regions.
void useKeys(const std::vector<std::pair<float, float>>& points, std::int16_t inputKeys) {
    gridtest::ResetAll();
    BasGridBased& g = basGridBased();
    g.GridLineX = {0, 0, 1, 2, 3, 4};
    g.GridSpacingX = {0, 1, 1, 1, 1};
    g.GridIntervalsX = 4;
    g.GridLineY = g.GridLineX;
    g.GridSpacingY = g.GridSpacingX;
    g.GridIntervalsY = 4;
    g.GridNodeNumber.create(5, 5);
    g.GridPointUsed.create(5, 5);
    for (const auto& p : points) FindOrAddKeyPoint({p.first, p.second});
    g.InputKeyCount = inputKeys;
}

std::pair<int, int> gridOfNode(std::int32_t n) {
    const BasGridBased& g = basGridBased();
    return {g.KeyGridX[static_cast<std::size_t>(n)], g.KeyGridY[static_cast<std::size_t>(n)]};
}

// The node at (x, y), 0 when none.
std::int16_t nodeAt(float x, float y) {
    const BasDelaunay& m = basDelaunay();
    for (std::int32_t n = 1; n <= m.MeshNodeCount; ++n)
        if (m.MeshNodeX[static_cast<std::size_t>(n)] == x && m.MeshNodeY[static_cast<std::size_t>(n)] == y)
            return static_cast<std::int16_t>(n);
    return 0;
}

TEST(Snapping, FartherOfTwoCrossingsOnOneLineMovesAwayAlongIt) {
    useKeys({{1.7f, 2.0f}, {2.4f, 2.0f}}, 0);
    SnapKeyNodes();
    ASSERT_EQ(basGridBased().KeyNodeCount, 2);
    EXPECT_EQ(gridOfNode(1), (std::pair<int, int>{3, 3}));
    EXPECT_EQ(gridOfNode(2), (std::pair<int, int>{4, 3}));
    // Key nodes keep their own coordinates.
    EXPECT_EQ(basDelaunay().MeshNodeX[2], 2.4f);
}

TEST(Snapping, CrossingThatCannotMoveLosesToTheNearerOne) {
    // A crossing already stands where the farther one would go.
    useKeys({{1.7f, 2.0f}, {2.4f, 2.0f}, {3.1f, 2.0f}}, 0);
    SnapKeyNodes();
    EXPECT_EQ(basGridBased().KeyNodeCount, 2);
    EXPECT_EQ(nodeAt(2.4f, 2.0f), 0);
    EXPECT_EQ(basGridBased().GridNodeNumber(3, 3), nodeAt(1.7f, 2.0f));
}

TEST(Snapping, CrossingIsNeverMovedOffTheGrid) {
    // The farther crossing would move to index 0 left of the grid.
    useKeys({{0.2f, 2.0f}, {-0.35f, 2.0f}}, 0);
    SnapKeyNodes();
    const BasGridBased& g = basGridBased();
    EXPECT_EQ(g.KeyNodeCount, 1);
    EXPECT_EQ(basDelaunay().MeshNodeCount, 1);
    EXPECT_EQ(g.GridNodeNumber(0, 3), 0);
    EXPECT_EQ(g.GridNodeNumber(1, 3), 1);
    EXPECT_EQ(basDelaunay().MeshNodeX[1], 0.2f);
}

TEST(Snapping, TwoInputKeysOnOneGridPointBothBecomeNodesOnTheirOwnPoints) {
    useKeys({{2.1f, 2.0f}, {2.3f, 2.05f}}, 2);
    SnapKeyNodes();
    const BasGridBased& g = basGridBased();
    ASSERT_EQ(g.KeyNodeCount, 2);
    EXPECT_EQ(g.GridNodeNumber(3, 3), 1);
    EXPECT_EQ(g.GridNodeNumber(4, 3), 2);
    // Farther apart in y: the move goes along y.
    useKeys({{2.0f, 2.1f}, {2.05f, 1.8f}}, 2);
    SnapKeyNodes();
    EXPECT_EQ(basGridBased().GridNodeNumber(3, 3), 1);
    EXPECT_EQ(basGridBased().GridNodeNumber(3, 2), 2);
}

TEST(Snapping, LineWhoseCrossingLostItsGridPointStaysStraight) {
    GridSlab slab;
    slab.outline = Polygon({{0, 0}, {4, 0}, {4, 4}, {0, 4}});
    slab.lines = {{{0.3f, 1.8f}, {3.7f, 1.8f}}};
    slab.points = {{2.1f, 2.1f}};
    slab.gridX = Lines(0, 4, 1);
    slab.gridY = Lines(0, 4, 1);
    gridtest::InstallGridSlab(slab);
    GenerateGridBasedMesh();
    const BasDelaunay& m = basDelaunay();
    // The crossing (2, 1.8) lost its grid point to the single point, which
    // keeps its node; the line is still followed straight through (2, 1.8):
    // its marked sides lie on it and cover it end to end.
    ASSERT_NE(nodeAt(2.1f, 2.1f), 0);
    std::vector<std::pair<float, float>> covered;
    for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) {
        const NetElement& t = m.MeshElementList[static_cast<std::size_t>(e)];
        for (int c = 1; c <= t.CornerCount; ++c) {
            if ((t.Flag[static_cast<std::size_t>(c)] & halvex::BoundarySide) == 0) continue;
            const auto p = static_cast<std::size_t>(t.Node[static_cast<std::size_t>(c)]);
            const auto q = static_cast<std::size_t>(t.Node[static_cast<std::size_t>(c % t.CornerCount + 1)]);
            EXPECT_NEAR(m.MeshNodeY[p], 1.8f, 1e-6f);
            EXPECT_NEAR(m.MeshNodeY[q], 1.8f, 1e-6f);
            covered.emplace_back(std::min(m.MeshNodeX[p], m.MeshNodeX[q]), std::max(m.MeshNodeX[p], m.MeshNodeX[q]));
        }
    }
    std::sort(covered.begin(), covered.end());
    float reached = 0.3f;
    for (const auto& [from, to] : covered) {
        EXPECT_LE(from, reached + 1e-6f);
        reached = std::max(reached, to);
    }
    EXPECT_NEAR(reached, 3.7f, 1e-6f);
    EXPECT_EQ(m.ConstraintEdgeCount, 0);
}

// A single point halfway between a grid point inside and one where the
// outline crosses: the crossing keeps its grid point, so the slab stays
// covered, and the single point is a node on its own position.
TEST(Snapping, SinglePointNextToTheBorderLeavesTheBorderCrossingItsGridPoint) {
    for (const float y : {1.0f, 7.0f}) {
        GridSlab slab;
        slab.outline = Polygon({{0, 0}, {12, 0}, {12, 8}, {0, 8}});
        slab.points = {{6.0f, y}};
        slab.gridX = Lines(0, 12, 2);
        slab.gridY = Lines(0, 8, 2);
        gridtest::InstallGridSlab(slab);
        GenerateGridBasedMesh();
        const BasDelaunay& m = basDelaunay();
        EXPECT_NEAR(gridcheck::totalArea(m), 96.0, 1e-4) << y;
        EXPECT_NE(nodeAt(6.0f, y), 0) << y;
        EXPECT_NE(nodeAt(6.0f, y < 4.0f ? 0.0f : 8.0f), 0) << y;
        EXPECT_EQ(gridcheck::conformityFault(m), "") << y;
    }
}

TEST(GridNodes, CheckerboardForMeshType4) {
    GridSlab slab;
    slab.outline = Polygon({{0, 0}, {6, 0}, {6, 6}, {0, 6}});
    slab.gridX = Lines(0, 6, 1);
    slab.gridY = Lines(0, 6, 1);
    slab.meshType = 4;
    gridtest::InstallGridSlab(slab);
    GenerateGridBasedMesh();
    const BasGridBased& g = basGridBased();
    const BasDelaunay& m = basDelaunay();
    for (std::int32_t n = g.KeyNodeCount + 1; n <= m.MeshNodeCount; ++n) {
        const int i = static_cast<int>(std::lround(m.MeshNodeX[static_cast<std::size_t>(n)])) + 1;
        const int j = static_cast<int>(std::lround(m.MeshNodeY[static_cast<std::size_t>(n)])) + 1;
        EXPECT_EQ(i % 2, j % 2) << "grid node at (" << i << ", " << j << ")";
    }
    EXPECT_EQ(g.GridNodeNumber(2, 3), 0);
    EXPECT_NE(g.GridNodeNumber(2, 4), 0);
    EXPECT_NE(g.GridNodeNumber(3, 3), 0);
}

TEST(GridNodes, NoneInsideAnOpening) {
    GridSlab slab;
    slab.outline = Polygon({{0, 0}, {6, 0}, {6, 6}, {0, 6}});
    slab.openings = {Polygon({{1.5f, 1.5f}, {4.5f, 1.5f}, {4.5f, 4.5f}, {1.5f, 4.5f}})};
    slab.gridX = Lines(0, 6, 1);
    slab.gridY = Lines(0, 6, 1);
    gridtest::InstallGridSlab(slab);
    GenerateGridBasedMesh();
    const BasDelaunay& m = basDelaunay();
    for (std::int32_t n = 1; n <= m.MeshNodeCount; ++n) {
        const float x = m.MeshNodeX[static_cast<std::size_t>(n)];
        const float y = m.MeshNodeY[static_cast<std::size_t>(n)];
        EXPECT_FALSE(x > 1.5f && x < 4.5f && y > 1.5f && y < 4.5f) << n;
    }
    EXPECT_NEAR(gridcheck::totalArea(m), 36.0 - 9.0, 1e-4);
    EXPECT_TRUE(gridcheck::overlappingPairs(m).empty());
}

}  // namespace
}  // namespace orvelo
