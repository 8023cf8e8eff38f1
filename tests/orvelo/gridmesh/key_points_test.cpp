// Key points, the slab extent and the extended grid of the grid-based
// mesher, with its lookups.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>

#include "grid_fixture.h"
#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/gridmesh/bas_grid_based.h"
#include "orvelo/gridmesh/grid_based_mesh.h"
#include "orvelo/gridmesh/key_points.h"
#include "orvelo/project/services.h"
#include "platform/runtime/errors.h"

namespace orvelo {
namespace {

using gridtest::GridSlab;
using gridtest::Lines;
using gridtest::Polygon;

// 1-based project lines from a plain list.
std::vector<float> projectLines(std::vector<float> lines) {
    lines.insert(lines.begin(), 0.0f);
    return lines;
}

std::vector<float> extended(const std::vector<float>& lines, float lo, float hi) {
    std::vector<float> result = ExtendGridLines(projectLines(lines), static_cast<std::int16_t>(lines.size() - 1), lo, hi);
    result.erase(result.begin());
    return result;
}

TEST(ExtendedGrid, AddsRoundedSpacingsBelowAndAtLeastOneAbove) {
    // 0.4 of a spacing below rounds to none more, 2.4 to two; 0.2 above is
    // raised to one line.
    EXPECT_EQ(extended(Lines(0, 10, 1), -2.4f, 10.2f),
              (std::vector<float>{-2, -1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
    EXPECT_EQ(extended(Lines(0, 10, 1), -0.4f, 10.0f), Lines(0, 10, 1));
}

TEST(ExtendedGrid, KeepsOnlyTheProjectLinesEnclosingTheSlab) {
    EXPECT_EQ(extended({0, 5, 10}, 6.0f, 10.0f), (std::vector<float>{5, 10}));
    // An extent starting exactly on a line starts there; one ending inside
    // an interval ends at the first line above it.
    EXPECT_EQ(extended({0, 5, 10, 15, 20}, 10.0f, 12.0f), (std::vector<float>{10, 15}));
    EXPECT_EQ(extended({0, 5, 10, 15, 20}, 7.0f, 8.0f), (std::vector<float>{5, 10}));
}

class GridLookups : public ::testing::Test {
protected:
    void SetUp() override {
        gridtest::ResetAll();
        BasGridBased& g = basGridBased();
        g.GridLineX = projectLines({0, 1, 2, 4});
        g.GridSpacingX = {0, 1, 1, 2};
        g.GridIntervalsX = 3;
        g.GridLineY = projectLines({0, 0.5f, 1});
        g.GridSpacingY = {0, 0.5f, 0.5f};
        g.GridIntervalsY = 2;
    }
};

TEST_F(GridLookups, IntervalOfAnInnerLineIsTheOneToItsLeft) {
    EXPECT_EQ(FindGridIntervalX(1.0f), 1.0f);
    EXPECT_EQ(FindGridIntervalX(2.0f), 2.0f);
    EXPECT_EQ(FindGridIntervalX(0.0f), 1.0f);
    EXPECT_EQ(FindGridIntervalX(4.0f), 3.0f);
    EXPECT_EQ(FindGridIntervalX(-3.0f), 1.0f);
    EXPECT_EQ(FindGridIntervalX(9.0f), 3.0f);
    EXPECT_EQ(FindGridIntervalY(0.75f), 2.0f);
}

TEST_F(GridLookups, IntervalSearchAnswersAsTheScanOverTheLines) {
    const BasGridBased& g = basGridBased();
    std::mt19937 random(7);
    std::uniform_real_distribution<float> value(-2.0f, 6.0f);
    for (int run = 0; run < 2000; ++run) {
        const float x = run % 3 == 0 ? g.GridLineX[static_cast<std::size_t>(1 + run % 4)] : value(random);
        float expected = 0.0f;
        for (int i = 1; i <= g.GridIntervalsX; ++i) {
            if (g.GridLineX[static_cast<std::size_t>(i)] <= x && x <= g.GridLineX[static_cast<std::size_t>(i) + 1]) {
                expected = static_cast<float>(i);
                break;
            }
        }
        if (expected == 0.0f) expected = x < g.GridLineX[1] ? 1.0f : static_cast<float>(g.GridIntervalsX);
        ASSERT_EQ(FindGridIntervalX(x), expected) << x;
    }
}

TEST_F(GridLookups, NearestLineTakesTheUpperOneOnATieAndCountsSpacingsOutside) {
    EXPECT_EQ(NearestGridLineX({0.5f, 0.0f}), 2.0f);
    EXPECT_EQ(NearestGridLineX({0.49f, 0.0f}), 1.0f);
    EXPECT_EQ(NearestGridLineX({3.0f, 0.0f}), 4.0f);
    EXPECT_EQ(NearestGridLineX({2.9f, 0.0f}), 3.0f);
    EXPECT_EQ(NearestGridLineX({-1.2f, 0.0f}), 0.0f);
    EXPECT_EQ(NearestGridLineX({6.5f, 0.0f}), 5.0f);
    EXPECT_EQ(NearestGridLineY({0.0f, 0.25f}), 2.0f);
}

TEST(KeyPoints, CoincidentPointsShareOneKeyWithinTheTolerance) {
    gridtest::ResetAll();
    EXPECT_EQ(FindOrAddKeyPoint({1.0f, 1.0f}), 1);
    EXPECT_EQ(FindOrAddKeyPoint({1.0005f, 0.9995f}), 1);
    EXPECT_EQ(FindOrAddKeyPoint({1.0015f, 1.0f}), 2);
    EXPECT_EQ(FindOrAddKeyPoint({1.0f, 1.0015f}), 3);
    // A larger unit factor makes the tolerance smaller.
    GeometryHelper().UnitFactor(10.0f);
    EXPECT_EQ(FindOrAddKeyPoint({1.0005f, 1.0f}), 4);
    EXPECT_EQ(basGridBased().KeyPointCount, 4);
}

TEST(SlabExtent, HalfCircleReachesItsRadiusBelowTheChord) {
    GridSlab slab;
    slab.outline = {arcPiece(0, 0, 4, 0, 2, 0, true), straightPiece(4, 0, 4, 3),
                    straightPiece(4, 3, 0, 3), straightPiece(0, 3, 0, 0)};
    slab.gridX = Lines(0, 4, 1);
    slab.gridY = Lines(0, 3, 1);
    gridtest::InstallGridSlab(slab);
    CollectKeyPointsAndGrid();
    EXPECT_FLOAT_EQ(MeasureSlabExtent().YMin, -2.0f);
}

TEST(SlabExtent, ArcOverAHalfCircleWidensByItsTrueBox) {
    // Three quarters of a circle of radius 2 about the origin, from (2, 0)
    // counter-clockwise to (0, -2), closed by two straight pieces.
    GridSlab slab;
    slab.outline = {arcPiece(2, 0, 0, -2, 0, 0, true), straightPiece(0, -2, 0, 0),
                    straightPiece(0, 0, 2, 0)};
    slab.gridX = Lines(-2, 2, 1);
    slab.gridY = Lines(-2, 2, 1);
    gridtest::InstallGridSlab(slab);
    CollectKeyPointsAndGrid();
    const SlabExtent e = MeasureSlabExtent();
    EXPECT_FLOAT_EQ(e.XMin, -2.0f);
    EXPECT_FLOAT_EQ(e.YMax, 2.0f);
    EXPECT_GE(e.XMax, 2.0f);
    EXPECT_LE(e.YMin, -2.0f);
}

// What the generator cannot use is refused with its message before it
// changes anything.
TEST(GridBasedMeshInput, RefusedBeforeAnyWork) {
    struct Case {
        std::function<void(GridSlab&)> spoil;
        float unitFactor;
        std::string message;
    };
    const std::vector<Case> cases{
        {[](GridSlab& s) { s.outline.clear(); }, 1.0f, "5 The slab has no outline: a grid-based net cannot be generated."},
        {[](GridSlab& s) { s.gridX = {0.0f}; }, 1.0f, "5 The project grid needs at least two grid lines in x"},
        {[](GridSlab& s) { s.gridX = {0, 2, 1, 4}; }, 1.0f, "5 The project grid lines in x must be ascending"},
        {[](GridSlab& s) { s.gridY = {0, 1, 1, 4}; }, 1.0f, "5 The project grid lines in y must be ascending"},
        // (A unit factor an earlier run left does not matter: the generation
        // takes its own from the slab.)
    };
    for (const Case& c : cases) {
        GridSlab slab;
        slab.outline = Polygon({{0, 0}, {4, 0}, {4, 4}, {0, 4}});
        slab.gridX = Lines(0, 4, 1);
        slab.gridY = Lines(0, 4, 1);
        c.spoil(slab);
        gridtest::InstallGridSlab(slab);
        GeometryHelper().UnitFactor(c.unitFactor);
        BasDelaunay& m = basDelaunay();
        m.MeshNodeCount = 1;
        m.MeshNodeX = {0.0f, 7.0f};
        m.MeshNodeY = {0.0f, 7.0f};
        try {
            GenerateGridBasedMesh();
            ADD_FAILURE() << "accepted: " << c.message;
        } catch (const rt::RuntimeError& e) {
            EXPECT_EQ((std::to_string(e.number()) + " " + e.description()).rfind(c.message, 0), 0u) << e.description();
        }
        EXPECT_EQ(m.MeshNodeCount, 1);
        EXPECT_EQ(m.MeshNodeX[1], 7.0f);
    }
}

}  // namespace
}  // namespace orvelo
