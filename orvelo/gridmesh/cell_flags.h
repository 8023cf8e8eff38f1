// Grid cell triangle flags of the grid-based mesher: which of the four
// corner triangles of each cell may become an element.
//
// The centre point P of a cell (where its diagonals cross, the mean of its
// corners where they are nearly vertical or parallel) and its sides divide
// it into four quarter pieces (right, upper, left, lower). A quarter piece
// counts as inside when its centroid, in region coordinates, lies inside the
// slab outline and outside every opening; a triangle is flagged when both
// its quarter pieces are inside. A cell that lacks a corner node flags only
// the triangle that leaves out its first missing corner (lower right, upper
// right, upper left, lower left), without a region test.
#pragma once

namespace orvelo {

// `SetCellTriangleFlags`: CellTriangleInside made afresh (all false) and
// filled for the cells ix = 2..GridIntervalsX + 1, iy = 1..GridIntervalsY,
// one progress step per column ix; false when the user asked to stop (later
// columns stay all false).
bool SetCellTriangleFlags();

}  // namespace orvelo
