// The internal lines of a grid-based net as chains of element sides, and a
// net without hanging nodes.
//
// First, a node that lies on a side of an element it does not belong to
// (within the coincidence tolerance, away from the side's ends) becomes a
// corner of the elements on both sides of it: they are divided into
// triangles with it (each ear the one with the largest smallest angle);
// again on the sides those divisions make, until no node hangs. A triangle
// whose own corner lies so on its opposite side (a sliver) is merged into
// the element across that side. Pieces are divided without slivers where
// a division can do without.
//
// The cell patterns follow a line through its grid crossings, which stand
// in for their grid points; where two crossings compete for one grid point,
// where two lines cross, or where a cell's diagonal runs the other way, the
// elements alone would not hold the line. So each line, in order, is cut
// into the net once the elements are made:
//  1. an end of the line inside an element, not within the coincidence
//     tolerance of a node, becomes a node (the element is divided through
//     it);
//  2. every side the line crosses gets a node at the crossing, unless the
//     crossing lies within the tolerance of an end of the side or of the
//     line;
//  3. every element that took such a node, or a quadrilateral whose
//     opposite corners lie on the line, is divided along the line, and the
//     two pieces into triangles (each ear the one with the largest smallest
//     angle). Both elements of a side get its node, so the net stays
//     conforming, and two crossing lines meet at a node at their crossing.
// The new nodes follow all others. The constraint sides become the sides
// whose both ends lie on a line within the tolerance.
#pragma once

namespace orvelo {

// Joins the hanging nodes, then cuts every internal line (MeshLineStart/End of basDelaunay()) into the
// mesher net and rebuilds ConstraintEdges from the sides along the lines.
// Error 5 naming the place where a piece cannot be divided into triangles
// with an area, error 6 past 32767 nodes or elements.
void FollowInternalLines();

}  // namespace orvelo
