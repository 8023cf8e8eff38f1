// The parts of the slab that the element pattern leaves bare, filled.
//
// Where the grid is coarse for the slab's details (a corner or a bend of the
// outline finer than the grid, an opening or an internal line that competes
// with the outline for the grid points, a thin opening), cells stay empty
// and the net's border runs into the slab. These parts are triangulated by
// the Delaunay kernel (kernel.h, edge_recovery.h, classify.h) on a scratch
// mesher, away from the net:
//  - the points are the ends of the net's border sides (sides of one
//    element), the nodes that no element uses inside the slab (single
//    points, grid nodes of empty cells), and the border of the slab: the
//    ends of every outline and opening piece, the nodes lying on a piece
//    (within the coincidence tolerance), and points along an arc no more
//    than 1/8 of a quarter turn apart where no node is nearer;
//  - the rows are the net's border sides and the border's segments between
//    those points, a side that is both (the net reaches the border there)
//    left out, so that by the even-odd rule the parts between the two
//    borders, and the holes of the net, are inside;
//  - the inside triangles whose centre lies in the slab and in no element
//    become elements of the net; a triangle flat within the tolerance is
//    left out.
// New nodes follow all others. A node that the triangulation puts on a side
// of the net hangs there until the net is made whole (line_sides.h); so
// does every point of the fill lying on a border side of the net (an arc
// running beside it within the tolerance), which divides the side's row
// and becomes a node even where no triangle takes it.
#pragma once

#include <cstdint>

namespace orvelo {

// `FillLeftoverParts`: fills the bare parts of the slab with triangles
// (counter-clockwise, flags 0). False when the user asked to stop.
// Run-time error 5 (text 190222) naming the place when a part larger than
// a thousandth of the slab stays bare; error 6 past 32767 nodes or
// elements.
bool FillLeftoverParts();

// Refuses the grid-based net at (x, y) as run-time error 5, naming the
// cause: a piece of the outline or of an opening shorter than the grid
// step within a step of the place (text 190223, with its length and the
// step), else a fault of the generator (text 190224 with the fault's text
// `fault`, e.g. 190094).
[[noreturn]] void RaiseGridNetFault(double x, double y, std::int32_t fault);

}  // namespace orvelo
