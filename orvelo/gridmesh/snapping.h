// Snapping of the key points onto the extended grid and the placement of
// the nodes of the grid-based net.
//
// Every key point stands in for its nearest grid point: it becomes a key
// node with its own exact coordinates, and the grid point's cells are
// built on it. Where two keys share a grid point:
// - two input keys (piece starts, line ends, single points): the one
//   farther from the grid point moves to the neighbouring grid point on its
//   side of the other (along the axis in which they lie farther apart, else
//   along the other) when no input key stands there, so both get elements;
// - two crossing keys: the farther one moves one grid point along its grid
//   line, away from the shared point, when that point lies in the grid and
//   no crossing key stands there;
// - a single point off its grid point and a crossing key on it: the single
//   point moves to the neighbouring grid point on its side when no key
//   stands there, so the crossing keeps the slab's border whole;
// - otherwise an input key takes the grid point from every crossing key,
//   and of two crossing keys the nearer one stays (the earlier on a tie).
// A constraint edge whose end key lost its grid point ends at the node that
// took it. Then every other grid point inside the outline and outside the
// openings gets a grid node (with MeshType 4 only every other one, in a
// checkerboard).
//
// Node numbers: the input keys 1..InputKeyCount keep their key numbers, the
// surviving crossing keys follow in key order (nodes 1..KeyNodeCount), then
// the grid nodes row by row (y ascending), x ascending within a row.
#pragma once

#include <cstdint>

namespace orvelo {

// `AppendMeshNode`: one node more at the end of the mesher net (0, 0 until
// the caller places it); its number. Error 6 past 32767 nodes.
std::int16_t AppendMeshNode();

// Grid indices of the key points, separation of keys that share a grid
// point, the key nodes (KeyNodeCount, KeyGridX/Y per key node, their grid
// tables) and the node numbers of the constraint edges.
void SnapKeyNodes();

// A grid node on every free grid point inside the slab, row by row, with one
// progress step per row; false when the user asked to stop (the rows made so
// far stay).
bool PlaceGridNodes();

}  // namespace orvelo
