// Constrained side recovery: makes every row of an edge list (outline and
// opening sides, internal-line pieces) a side of the triangulation, and
// marks it as a constraint side so that no later insertion removes it.
//
// A row that is already a side stays as it is. A row that crosses exactly one
// side is restored by swapping that diagonal: the element at its first node
// becomes (first, second, P) and the other (first, second, Q), where P and Q
// are the first element's other corners in corner order, each element's
// corners put in counter-clockwise order. A row that crosses several sides
// is restored by repeated swaps of the crossed sides whose quadrilateral is
// convex; if that does not succeed, the row is divided at its midpoint and
// both halves are recovered. A row running through a node is divided at the
// node. A divided row becomes (first, dividing node) and a row (dividing
// node, second) is appended to the list, so consecutive rows keep following
// the piece. Where a row crosses another constraint side, a node at the
// crossing divides both. A row that passes through elements marked outside
// the slab stays missing, silently.
#pragma once

#include <cstdint>

#include "orvelo/delaunay/bas_delaunay.h"

namespace orvelo {

// `RecoverConstraintEdges`: rows 1..edgeCount of edges, in list order
// (rows appended on the way included). Polls the wait window after every
// row and returns at once on a stop.
void RecoverConstraintEdges(EdgeList& edges, std::int16_t& edgeCount);

// Divides the constraint side first-second at a node that is the third
// corner of an element on that side (a node within the tolerance of the
// side): the side is swapped away, so that the node's sides to first and
// second take its place as constraint sides, and the rows naming it are
// divided (DivideConstraintRows). False, nothing changed, when no element at
// the side has that corner or the swap is not possible.
bool DivideSideAtNode(std::int16_t first, std::int16_t second, std::int16_t node);

}  // namespace orvelo
