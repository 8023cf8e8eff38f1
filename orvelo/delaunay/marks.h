// Fixed nodes and constraint sides across a change of the mesher net, and
// the drawing scale of a generated net.
//
// Fixed corner nodes (flag bit 2, BoundaryNode) and constraint sides (bit 4,
// BoundarySide) are carried across a change in four steps: SaveBoundaryFlags
// copies them from the element flags into FixedNodes and ConstraintEdges,
// the change builds new elements, ResetSideFlags clears the flags of every
// side, and RestoreBoundaryFlags writes the marks back from the lists and
// empties them. A side is marked when it joins the two nodes of a row in
// either order; a node when it is listed (-1 entries match no node).
//
// The three take the elements from MeshElementList (Save and Restore up to
// its upper bound, Reset up to MeshElementCount), advance the wait window
// once per element and, unless told to finish, return at once on a stop.
#pragma once

namespace orvelo {

// finishOnStop: run to the end even when the user asks to stop (a pass
// that must not be left half done).
void SaveBoundaryFlags(bool finishOnStop = false);
void ResetSideFlags(bool finishOnStop = false);
void RestoreBoundaryFlags(bool finishOnStop = false);

// ResetSideFlags(true) and then RestoreBoundaryFlags(true), in one pass over
// the elements; the wait window is advanced as by the two.
void ResetAndRestoreBoundaryFlags();

// `ComputeDrawingScale`: DrawingScale, MarkSize and the unit factor of the
// geometry service from the start rectangle (MeshExtent*): the larger of
// width x 4 and height x 5 gives the scale, rounded down to a multiple of
// 0.005 after x 1.3 / 1000 (its unrounded value below 0.005, 0.0001 at
// least); MarkSize = 5 / DrawingScale, unit factor = 0.05 / DrawingScale.
void ComputeDrawingScale();

// The mesher extents (the extent of the slab description: piece ends, the
// far points of arcs, line ends and single points, widened by its own width
// and height on each side) and ComputeDrawingScale from them. Every net
// generation starts with it, so the scale values it uses come from the
// current slab alone.
void SetScaleFromSlabDescription();

}  // namespace orvelo
