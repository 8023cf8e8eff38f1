// Inside classification of a Delaunay generation: which triangles of the
// start rectangle belong to the slab.
//
// 1. Every boundary row with a node lying exactly on it is divided there, so
//    that each row is one element side (the row becomes (shared corner,
//    node) and the rest is appended and treated in its turn).
// 2. From the first element at auxiliary node 1 (outside the slab) a walk
//    goes from neighbour to neighbour, each element taken once, to the first
//    element with a boundary side; the element across that side is inside.
// 3. From there a fill marks every element it reaches without crossing a
//    boundary side (internal lines do not stop it).
// Reached elements get corner count 3, all others -1. A stop request ends
// the procedure at once and leaves the marks as they are.
#pragma once

#include <cstdint>

namespace orvelo {

// `ClassifyInsideElements`: works on MeshElementList and BoundaryEdges;
// returns 0.
std::int16_t ClassifyInsideElements();

}  // namespace orvelo
