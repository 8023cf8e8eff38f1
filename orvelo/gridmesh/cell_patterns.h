// Element patterns of the grid-based net: the passes that turn the grid
// cells into elements by MeshType.
//
//   0  one quadrilateral per cell (corners BR, TR, TL, BL); two triangles on
//      a diagonal that is a constraint side; one corner triangle in a cell
//      the slab boundary cuts
//   1  two triangles per cell on the diagonal TR-BL, the other where that
//      is impossible
//   2  the same on the diagonal BR-TL
//   3  the diagonal alternating from cell to cell (TR-BL where ix + iy is
//      odd, BR-TL where it is even): the wizard's grid-based type
//   4  as 1, grid nodes on every other grid point only, with bridging
//      triangles over the missing ones
//
// Each cell is served twice: its lower half from its bottom-right grid point
// (upward step), its upper half from its top-right grid point (downward
// step). A triangle is kept only when its three corners carry nodes, its
// cell flag is set (cell_flags.h) and its centroid lies in the slab and in
// no opening. Where both diagonal ends of the rival triangle are key nodes
// the rival is built first, so the net follows the slab's edges. The second
// half of a cell is always on the diagonal of the first, so no two
// triangles of one cell overlap; an element that would overlap one made
// before (a key node folding a triangle over a neighbouring cell's) is not
// made.
//
// The passes only append to MeshElementList (flags 0); the generator sets
// the side and node flags afterwards.
#pragma once

#include <cstdint>

namespace orvelo {

// `AddGridTriangle`: the keep test and append of the triangle of nodes a,
// b, c (in this order); true when it was appended. Error 6 past 32767
// elements.
bool AddGridTriangle(std::int16_t a, std::int16_t b, std::int16_t c);

// The triangle producers of one grid point (ix, iy) towards the cell above
// (s = +1) or below (s = -1).
// `AddPointCornerTriangle`: corners (ix, iy), (ix, iy + s), (ix - 1, iy).
void AddPointCornerTriangle(std::int16_t ix, std::int16_t iy, std::int16_t s);
// `AddNeighbourCornerTriangle`: corners (ix, iy), (ix - 1, iy + s), (ix - 1, iy).
void AddNeighbourCornerTriangle(std::int16_t ix, std::int16_t iy, std::int16_t s);
// `AddBridgingTriangle`: (ix, iy), (ix - 1, iy + s), (ix - 2, iy) over a
// missing grid point (ix - 1, iy).
void AddBridgingTriangle(std::int16_t ix, std::int16_t iy, std::int16_t s);
// `AddCellQuadrilateral`: the elements of cell (ix, iy) for MeshType 0.
void AddCellQuadrilateral(std::int16_t ix, std::int16_t iy);

// `BuildGridCellElements`: the pass for MeshType 0 to 3 (any other value
// makes nothing); `BuildGridPointElements`: the pass for MeshType 4. One
// progress step per column ix; false when the user asked to stop (the
// elements made so far stay).
bool BuildGridCellElements();
bool BuildGridPointElements();

}  // namespace orvelo
