// Tracing of slab pieces across the grid: crossings, their order, the ends,
// arcs and the constraint chain of an internal line.
#include <gtest/gtest.h>

#include <memory>

#include "grid_fixture.h"
#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/gridmesh/bas_grid_based.h"
#include "orvelo/gridmesh/trace_piece.h"
#include "orvelo/project/services.h"
#include "outside/drovik/wait_window.h"

namespace orvelo {
namespace {

// The grid lines given in both directions, nothing else.
void useGrid(const std::vector<float>& lines) {
    gridtest::ResetAll();
    BasGridBased& g = basGridBased();
    g.GridLineX.assign(1, 0.0f);
    g.GridLineX.insert(g.GridLineX.end(), lines.begin(), lines.end());
    g.GridSpacingX.assign(1, 0.0f);
    for (std::size_t i = 1; i + 1 < g.GridLineX.size(); ++i) g.GridSpacingX.push_back(g.GridLineX[i + 1] - g.GridLineX[i]);
    g.GridIntervalsX = static_cast<std::int16_t>(lines.size() - 1);
    g.GridLineY = g.GridLineX;
    g.GridSpacingY = g.GridSpacingX;
    g.GridIntervalsY = g.GridIntervalsX;
}

// The key points after the tracing (the pieces' own starts are not keys here).
std::vector<std::pair<float, float>> keys() {
    std::vector<std::pair<float, float>> list;
    const BasGridBased& g = basGridBased();
    for (std::int32_t k = 1; k <= g.KeyPointCount; ++k)
        list.emplace_back(g.KeyPoints[static_cast<std::size_t>(k)].X, g.KeyPoints[static_cast<std::size_t>(k)].Y);
    return list;
}

using Points = std::vector<std::pair<float, float>>;

TEST(TraceSlabPiece, StraightPieceCrossesTheLinesBetweenItsEnds) {
    useGrid({0, 1, 2, 3});
    TraceSlabPiece(straightPiece(0.2f, 0.3f, 2.7f, 0.3f), kTraceBoundaryPiece);
    EXPECT_EQ(keys(), (Points{{1.0f, 0.3f}, {2.0f, 0.3f}}));
    const BasGridBased& g = basGridBased();
    ASSERT_EQ(g.RegionPointCount, 3);
    EXPECT_EQ(g.RegionPoints[1].X, 20);  // the start, in region coordinates
    EXPECT_EQ(g.RegionPoints[1].Y, 30);
    EXPECT_EQ(g.RegionPoints[2].X, 100);
    EXPECT_EQ(g.RegionPoints[3].X, 200);
}

TEST(TraceSlabPiece, RegionCoordinatesRoundHalvesToEven) {
    useGrid({-1, 0, 1});
    TraceSlabPiece(straightPiece(0.125f, 0.375f, 0.625f, 0.375f), kTraceBoundaryPiece);
    TraceSlabPiece(straightPiece(-0.125f, -0.625f, 0.625f, -0.625f), kTraceBoundaryPiece);
    const BasGridBased& g = basGridBased();
    ASSERT_EQ(g.RegionPointCount, 2);
    EXPECT_EQ(g.RegionPoints[1].X, 12);  // 12.5
    EXPECT_EQ(g.RegionPoints[1].Y, 38);  // 37.5
    EXPECT_EQ(g.RegionPoints[2].X, -12);  // -12.5
    EXPECT_EQ(g.RegionPoints[2].Y, -62);  // -62.5
    // With a unit factor of 2 the same point is (25, 75).
    useGrid({-1, 0, 1});
    GeometryHelper().UnitFactor(2.0f);
    TraceSlabPiece(straightPiece(0.125f, 0.375f, 0.625f, 0.375f), kTraceBoundaryPiece);
    EXPECT_EQ(basGridBased().RegionPoints[1].X, 25);
    EXPECT_EQ(basGridBased().RegionPoints[1].Y, 75);
}

TEST(TraceSlabPiece, CrossingSharingTheStartsGridPointIsDropped) {
    useGrid({0, 1, 2, 3});
    // (1, 0.5) and the start (0.5, 0.5) both round to the grid point (1, 1).
    TraceSlabPiece(straightPiece(0.5f, 0.5f, 2.5f, 0.5f), kTraceBoundaryPiece);
    EXPECT_EQ(keys(), (Points{{2.0f, 0.5f}}));
}

TEST(TraceSlabPiece, NoCrossingKeptAtAnEndOnAGridLine) {
    useGrid({0, 1, 2, 3});
    TraceSlabPiece(straightPiece(0.2f, 0.2f, 2.0f, 0.2f), kTraceBoundaryPiece);
    EXPECT_EQ(keys(), (Points{{1.0f, 0.2f}}));
    useGrid({0, 1, 2, 3});
    TraceSlabPiece(straightPiece(0.2f, 0.2f, 1.98f, 0.2f), kTraceBoundaryPiece);
    EXPECT_EQ(keys(), (Points{{1.0f, 0.2f}}));
}

TEST(TraceSlabPiece, PieceThroughAGridPointCrossesThereOnce) {
    useGrid({0, 1, 2, 3});
    // Both sweeps find (1, 1) and (2, 2); the y sweep's crossings stay.
    TraceSlabPiece(straightPiece(0.2f, 0.2f, 2.6f, 2.6f), kTraceBoundaryPiece);
    EXPECT_EQ(keys(), (Points{{1.0f, 1.0f}, {2.0f, 2.0f}}));
    EXPECT_EQ(basGridBased().RegionPointCount, 3);
}

TEST(TraceSlabPiece, HorizontalPieceOnAGridLineCrossesOnlyTheLinesInX) {
    useGrid({0, 1, 2, 3});
    TraceSlabPiece(straightPiece(0.3f, 1.0f, 2.8f, 1.0f), kTraceBoundaryPiece);
    EXPECT_EQ(keys(), (Points{{1.0f, 1.0f}, {2.0f, 1.0f}}));
}

TEST(TraceSlabPiece, QuarterCircleKeepsItsInnerCrossingsInSweepOrder) {
    useGrid({0, 0.5f, 1});
    TraceSlabPiece(arcPiece(1, 0, 0, 1, 0, 0, true), kTraceBoundaryPiece);
    Points found = keys();
    ASSERT_EQ(found.size(), 2u);
    EXPECT_NEAR(found[0].first, 0.8660254f, 1e-5);
    EXPECT_FLOAT_EQ(found[0].second, 0.5f);
    EXPECT_FLOAT_EQ(found[1].first, 0.5f);
    EXPECT_NEAR(found[1].second, 0.8660254f, 1e-5);
    // Clockwise from (0, 1) to (1, 0): the same points in the other order.
    useGrid({0, 0.5f, 1});
    TraceSlabPiece(arcPiece(0, 1, 1, 0, 0, 0, false), kTraceBoundaryPiece);
    found = keys();
    ASSERT_EQ(found.size(), 2u);
    EXPECT_FLOAT_EQ(found[0].first, 0.5f);
    EXPECT_FLOAT_EQ(found[1].second, 0.5f);
}

TEST(TraceSlabPiece, ArcOfAVeryLargeRadiusCrossesLikeItsChord) {
    useGrid({0, 1, 2, 3});
    OutlinePiece arc = arcPiece(0.2f, 0.3f, 2.7f, 1.3f, 1.45f, -20000.0f, true);
    TraceSlabPiece(arc, kTraceBoundaryPiece);
    const Points viaArc = keys();
    useGrid({0, 1, 2, 3});
    TraceSlabPiece(straightPiece(0.2f, 0.3f, 2.7f, 1.3f), kTraceBoundaryPiece);
    EXPECT_EQ(viaArc, keys());
    EXPECT_FALSE(viaArc.empty());
}

TEST(TraceSlabPiece, SweepEndsAtTheLastLineWhenThePieceReachesBeyondIt) {
    // The piece ends 0.4 beyond the last line 3: the sweeps stop there (the
    // crossing on it shares the end's grid point and is dropped).
    useGrid({0, 1, 2, 3});
    TraceSlabPiece(straightPiece(0.5f, 0.2f, 0.5f, 3.4f), kTraceBoundaryPiece);
    EXPECT_EQ(keys(), (Points{{0.5f, 1.0f}, {0.5f, 2.0f}}));
    useGrid({0, 1, 2, 3});
    TraceSlabPiece(straightPiece(0.2f, 0.5f, 3.4f, 0.5f), kTraceBoundaryPiece);
    EXPECT_EQ(keys(), (Points{{1.0f, 0.5f}, {2.0f, 0.5f}}));
    // An internal line leaving the grid keeps its chain to its end.
    useGrid({0, 1, 2, 3});
    TraceSlabPiece(straightPiece(0.2f, 0.5f, 3.4f, 0.5f), kTraceInternalLine);
    EXPECT_EQ(basDelaunay().ConstraintEdgeCount, 3);
}

TEST(TraceSlabPiece, InternalLineBecomesAChainOfConstraintEdges) {
    useGrid({0, 1, 2, 3});
    // Inside one cell: no crossing, no constraint edge.
    TraceSlabPiece(straightPiece(0.2f, 0.2f, 0.8f, 0.7f), kTraceInternalLine);
    EXPECT_EQ(basDelaunay().ConstraintEdgeCount, 0);
    // One crossing: start-crossing and crossing-end.
    useGrid({0, 1, 2, 3});
    TraceSlabPiece(straightPiece(0.2f, 0.3f, 1.7f, 0.3f), kTraceInternalLine);
    const BasDelaunay& m = basDelaunay();
    ASSERT_EQ(m.ConstraintEdgeCount, 2);
    EXPECT_EQ(keys(), (Points{{0.2f, 0.3f}, {1.0f, 0.3f}, {1.7f, 0.3f}}));
    const EdgeList expected{{0, 0}, {1, 2}, {2, 3}};
    EXPECT_EQ(m.ConstraintEdges, expected);
    EXPECT_EQ(basGridBased().ConstraintKeys, expected);
    EXPECT_EQ(basGridBased().RegionPointCount, 0);
}

TEST(TraceSlabPiece, StopDuringTheSweepAddsNothingMore) {
    useGrid({0, 1, 2, 3});
    auto window = std::make_shared<drovik::ClsWaitWindow>();
    SetOperationWaitWindowSource([window]() { return window.get(); });
    window->requestStop();
    TraceSlabPiece(straightPiece(0.2f, 0.3f, 2.7f, 1.3f), kTraceBoundaryPiece);
    EXPECT_TRUE(keys().empty());
    EXPECT_EQ(basGridBased().RegionPointCount, 1);  // the start only
    EXPECT_EQ(window->updateCount(), 1);
    SetOperationWaitWindowSource({});
}

}  // namespace
}  // namespace orvelo
