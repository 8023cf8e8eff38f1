// Module data of the grid-based mesher (the module `BasGridBased`): what
// the steps of one grid-based generation hand on to each other. Every run
// rebuilds it from empty; it lives as long as the process.
//
// The extended grid has the lines GridLineX(1..GridIntervalsX + 1) and
// GridLineY(1..GridIntervalsY + 1), ascending; grid point (i, j) is
// (GridLineX(i), GridLineY(j)). The per-grid-point tables are indexed
// 0..GridIntervalsX + 1 by 0..GridIntervalsY + 1 (row 0 and column 0 never
// carry a node); an index outside them is run-time error 9. Lists are
// 1-based (entry 0 unused); counts are 16-bit and stop at kMaxNetCount with
// run-time error 6.
//
// Cell (ix, iy), ix = 2..GridIntervalsX + 1, iy = 1..GridIntervalsY, spans
// grid lines ix - 1..ix in x and iy..iy + 1 in y. Its corners are BR (ix,
// iy), TR (ix, iy + 1), TL (ix - 1, iy + 1) and BL (ix - 1, iy); its corner
// triangles t = 1..4 have their right angle at TR, TL, BL and BR.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "halvex/interface/enums.h"
#include "orvelo/delaunay/bas_delaunay.h"

namespace orvelo {

// A table over the grid points: indices 0..maxX by 0..maxY (first x, then
// y). Access outside the table is run-time error 9.
template <typename T>
class GridTable {
public:
    // Indices 0..maxX by 0..maxY, every entry T{}.
    void create(std::int32_t maxX, std::int32_t maxY) {
        maxX_ = maxX;
        maxY_ = maxY;
        cells_.assign(static_cast<std::size_t>(maxX + 1) * static_cast<std::size_t>(maxY + 1), T{});
    }
    // No entries at all.
    void erase() {
        maxX_ = -1;
        maxY_ = -1;
        cells_.clear();
    }
    std::int32_t maxX() const { return maxX_; }
    std::int32_t maxY() const { return maxY_; }
    bool holds(std::int32_t ix, std::int32_t iy) const {
        return ix >= 0 && iy >= 0 && ix <= maxX_ && iy <= maxY_;
    }
    T& operator()(std::int32_t ix, std::int32_t iy) { return cells_[offset(ix, iy)]; }
    const T& operator()(std::int32_t ix, std::int32_t iy) const { return cells_[offset(ix, iy)]; }

private:
    std::size_t offset(std::int32_t ix, std::int32_t iy) const;

    std::int32_t maxX_ = -1;
    std::int32_t maxY_ = -1;
    std::vector<T> cells_;
};

// Raises run-time error 9 for a grid index outside a table.
[[noreturn]] void RaiseGridSubscript(std::int32_t ix, std::int32_t iy);

template <typename T>
std::size_t GridTable<T>::offset(std::int32_t ix, std::int32_t iy) const {
    if (!holds(ix, iy)) RaiseGridSubscript(ix, iy);
    return static_cast<std::size_t>(iy) * static_cast<std::size_t>(maxX_ + 1) + static_cast<std::size_t>(ix);
}

// Which diagonal the triangles of a cell lie on, once the element pass has
// made one there: none yet, BR-TL (triangles 1 and 3) or TR-BL (2 and 4).
enum class CellDiagonal : std::int8_t { None = 0, RightDown = 1, RightUp = 2 };

// The index of the outline and opening pieces through which the border and
// inside tests of a generation find the pieces near a point or a segment
// (grid_regions.h).
struct BorderIndex;

struct BasGridBased {
    // ---- regions (handles of drovik::CreatePolygonRgn; 0: none) ----
    std::int32_t SlabRegion = 0;
    // 0..MeshOpeningCount, entry 0 unused.
    std::vector<std::int32_t> OpeningRegions = std::vector<std::int32_t>(1);
    // The border pieces of the running generation, indexed (none: the
    // tests scan every piece).
    std::shared_ptr<const BorderIndex> BorderPieces;
    // The corners each traced region was made of: entry 0 the outline's,
    // entry o opening o's (empty: none traced).
    std::vector<std::vector<halvex::POINTAPI>> TracedRegionCorners;

    // ---- key points ----
    std::int16_t KeyPointCount = 0;
    std::vector<halvex::SinglePoint> KeyPoints = std::vector<halvex::SinglePoint>(1);
    // Keys 1..InputKeyCount come from the input; the tracing adds crossings.
    std::int16_t InputKeyCount = 0;
    // Grid line indices of each key point during the snapping, of each key
    // node afterwards.
    std::vector<std::int16_t> KeyGridX = std::vector<std::int16_t>(1);
    std::vector<std::int16_t> KeyGridY = std::vector<std::int16_t>(1);
    // Nodes 1..KeyNodeCount are key nodes.
    std::int16_t KeyNodeCount = 0;

    // ---- the polygon being traced (outline or one opening) ----
    std::int16_t RegionPointCount = 0;
    std::vector<halvex::POINTAPI> RegionPoints = std::vector<halvex::POINTAPI>(1);

    // ---- the extended grid ----
    std::int16_t GridIntervalsX = 0;
    std::int16_t GridIntervalsY = 0;
    std::vector<float> GridLineX = std::vector<float>(1);
    std::vector<float> GridLineY = std::vector<float>(1);
    // Spacing i = line i + 1 - line i, i = 1..GridIntervals.
    std::vector<float> GridSpacingX = std::vector<float>(1);
    std::vector<float> GridSpacingY = std::vector<float>(1);
    // The node standing at grid point (i, j), 0 where none.
    GridTable<std::int16_t> GridNodeNumber;
    // 1 where a node stands at grid point (i, j).
    GridTable<std::int16_t> GridPointUsed;

    // ---- constraint edges of the internal lines, as key numbers ----
    // Row e holds the key numbers of the two ends of ConstraintEdges row e.
    EdgeList ConstraintKeys = EdgeList(1);

    // ---- cell triangle flags: CellTriangleInside(ix, iy)[t], t = 1..4 ----
    GridTable<std::array<bool, 5>> CellTriangleInside;

    // ---- state of the element pass ----
    bool TriangleMissing = false;
    bool DiagonalSwitched = false;
    bool ProposedAbove = false;
    bool ProposedBelow = false;
    // Per cell: the diagonal of the triangle the pass has made in it, so that
    // the second half of a cell never crosses the first.
    GridTable<CellDiagonal> CellDiagonalMade;
};

// The one process-wide instance.
BasGridBased& basGridBased();

// Tests only: start again from a fresh instance.
void resetBasGridBased();

}  // namespace orvelo
