// Grid cell triangle flags: the corner rule and the quarter-piece tests.
#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "grid_fixture.h"
#include "orvelo/gridmesh/bas_grid_based.h"
#include "orvelo/gridmesh/cell_flags.h"
#include "orvelo/project/services.h"
#include "outside/drovik/wait_window.h"

namespace orvelo {
namespace {

using Flags = std::array<bool, 4>;

Flags flagsOf(std::int32_t ix, std::int32_t iy) {
    const std::array<bool, 5>& f = basGridBased().CellTriangleInside(ix, iy);
    return Flags{f[1], f[2], f[3], f[4]};
}

const std::vector<std::pair<float, float>> kEverywhere{{-10, -10}, {10, -10}, {10, 10}, {-10, 10}};

// Cells (2, 1), (3, 1), (2, 2), (3, 2) over the unit squares of 0..2.
void twoByTwo() { gridtest::InstallGridPoints({0, 1, 2}, {0, 1, 2}); }

TEST(CellTriangleFlags, CellWellInsideFlagsAllFour) {
    twoByTwo();
    gridtest::SetSlabRegion(kEverywhere);
    EXPECT_TRUE(SetCellTriangleFlags());
    for (std::int32_t ix = 2; ix <= 3; ++ix)
        for (std::int32_t iy = 1; iy <= 2; ++iy) EXPECT_EQ(flagsOf(ix, iy), (Flags{true, true, true, true}));
    // Outside the cell range nothing is flagged.
    const BasGridBased& g = basGridBased();
    for (std::int32_t iy = 0; iy <= 3; ++iy) {
        EXPECT_EQ(flagsOf(0, iy), (Flags{}));
        EXPECT_EQ(flagsOf(1, iy), (Flags{}));
    }
    for (std::int32_t ix = 0; ix <= 3; ++ix) {
        EXPECT_EQ(flagsOf(ix, 0), (Flags{}));
        EXPECT_EQ(flagsOf(ix, g.GridIntervalsY + 1), (Flags{}));
    }
}

TEST(CellTriangleFlags, FirstMissingCornerDecidesWithoutRegionTest) {
    twoByTwo();
    // No slab around the cell at all: the corner rule needs no region test.
    gridtest::SetSlabRegion({{50, 50}, {60, 50}, {60, 60}});
    gridtest::RemoveGridPoint(2, 1);  // lower right of cell (2, 1)
    SetCellTriangleFlags();
    EXPECT_EQ(flagsOf(2, 1), (Flags{false, true, false, false}));
    gridtest::RemoveGridPoint(1, 1);  // and its lower left
    SetCellTriangleFlags();
    EXPECT_EQ(flagsOf(2, 1), (Flags{false, true, false, false}));
    // Upper right missing of cell (3, 2) leaves triangle 3, upper left of
    // cell (2, 2) triangle 4.
    gridtest::RemoveGridPoint(3, 3);
    gridtest::RemoveGridPoint(1, 3);
    SetCellTriangleFlags();
    EXPECT_EQ(flagsOf(3, 2), (Flags{false, false, true, false}));
    EXPECT_EQ(flagsOf(2, 2), (Flags{false, false, false, true}));
}

TEST(CellTriangleFlags, QuarterPiecesOutsideTheSlabOrInAnOpening) {
    // Cell (2, 1) is the unit square; its quarter centroids are right
    // (0.83, 0.5), upper (0.5, 0.83), left (0.17, 0.5), lower (0.5, 0.17).
    twoByTwo();
    gridtest::SetSlabRegion({{-10, -10}, {10, 10}, {-10, 10}});  // above y = x
    SetCellTriangleFlags();
    EXPECT_EQ(flagsOf(2, 1), (Flags{false, true, false, false}));

    twoByTwo();
    gridtest::SetSlabRegion(kEverywhere);
    gridtest::AddOpeningRegion({{0.4f, 0.75f}, {0.6f, 0.75f}, {0.6f, 0.9f}, {0.4f, 0.9f}});
    SetCellTriangleFlags();
    EXPECT_EQ(flagsOf(2, 1), (Flags{false, false, true, true}));
    EXPECT_EQ(flagsOf(3, 1), (Flags{true, true, true, true}));

    twoByTwo();
    gridtest::SetSlabRegion(kEverywhere);
    gridtest::AddOpeningRegion({{0.05f, 0.05f}, {0.95f, 0.05f}, {0.95f, 0.95f}, {0.05f, 0.95f}});
    SetCellTriangleFlags();
    EXPECT_EQ(flagsOf(2, 1), (Flags{}));
}

TEST(CellTriangleFlags, CentreIsWhereTheDiagonalsOfASkewCellCross) {
    // The upper right corner pulled out to (1.8, 1.8): the diagonals x + y = 1
    // and y = x cross at (0.5, 0.5), while the corners' mean is (0.7, 0.7).
    // The lower quarter's centroid is then (0.5, 0.167), not (0.567, 0.233).
    gridtest::InstallGridPoints({0, 1}, {0, 1});
    BasDelaunay& m = basDelaunay();
    const auto upperRight = static_cast<std::size_t>(basGridBased().GridNodeNumber(2, 2));
    m.MeshNodeX[upperRight] = 1.8f;
    m.MeshNodeY[upperRight] = 1.8f;
    gridtest::SetSlabRegion({{-10, 0.2f}, {10, 0.2f}, {10, 10}, {-10, 10}});
    SetCellTriangleFlags();
    EXPECT_EQ(flagsOf(2, 1), (Flags{true, true, false, false}));
    gridtest::SetSlabRegion({{-10, 0.15f}, {10, 0.15f}, {10, 10}, {-10, 10}});
    SetCellTriangleFlags();
    EXPECT_EQ(flagsOf(2, 1), (Flags{true, true, true, true}));
}

TEST(CellTriangleFlags, StopAfterTheFirstColumnLeavesTheRestClear) {
    twoByTwo();
    gridtest::SetSlabRegion(kEverywhere);
    auto window = std::make_shared<drovik::ClsWaitWindow>();
    SetOperationWaitWindowSource([window]() { return window.get(); });
    drovik::ClsWaitWindow::stopAfterUpdates(1);
    EXPECT_FALSE(SetCellTriangleFlags());
    drovik::ClsWaitWindow::stopAfterUpdates(0);
    SetOperationWaitWindowSource({});
    EXPECT_EQ(flagsOf(2, 1), (Flags{true, true, true, true}));
    EXPECT_EQ(flagsOf(3, 1), (Flags{}));
    EXPECT_EQ(window->progressMax(), 3);
}

}  // namespace
}  // namespace orvelo
