// Inside classification of a Delaunay generation: which triangles of the
// start rectangle belong to the slab.
//
// 1. Every boundary row with a node lying exactly on it is divided there, so
//    that each row is one element side (the row becomes (shared corner,
//    node) and the rest is appended and treated in its turn).
// 2. From the first element at auxiliary node 1 (outside the slab) a fill
//    marks every element it reaches without crossing a boundary side
//    (internal lines do not stop it) as outside.
// 3. The elements across the boundary sides of a filled part start the
//    parts of the other side, filled likewise, part after part: the even-odd
//    rule over every loop of the outline and every opening, so separate slab
//    parts are all inside. An element keeps the side of the first fill that
//    reaches it.
// Inside elements get corner count 3, all others -1. A stop request ends
// the procedure at once and leaves the marks as they are.
#pragma once

#include <cstdint>

namespace orvelo {

// `ClassifyInsideElements`: works on MeshElementList and BoundaryEdges;
// returns 0.
std::int16_t ClassifyInsideElements();

}  // namespace orvelo
