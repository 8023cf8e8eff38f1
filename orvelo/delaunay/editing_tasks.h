// The editing tasks that add to an existing mesher net of triangles and
// quadrilaterals: one node (operation 1) and a refinement inside a window
// (operation 4). Deleting nodes (operation 2) is DeleteNodesTask
// (delete_nodes.h). Each task saves the fixed-node and constraint marks
// before it changes the net and ends with them restored and the element
// side flags rebuilt, stopped or not, so the net it leaves is consistent.
// Neither traps its errors: they reach the running operation's handler.
#pragma once

namespace orvelo {

// `AddNodeTask`: the node at the scratch entry 0 of MeshNodeX / MeshNodeY
// (set by the issuer) is appended and inserted into the net
// (InsertPointIntoNet, which drops it again when it lies too close to a
// node or outside the net). Status text 100032; a stop request before the
// insertion removes the node again and changes nothing. ElementCircle is
// released at the end.
void AddNodeTask();

// `RefineWindowTask`: refines the net inside the window RefineWindow*
// (x from XMin inclusive to XMax exclusive, y from YMin exclusive to YMax
// inclusive). Status text 100037.
// 1. Every constraint side with an end in the window is divided into
//    m = Int(length / MaxElementSize + 0.5) pieces (at least 1); each
//    dividing point in the window is inserted, and the side's row of
//    ConstraintEdges becomes a chain of rows through the inserted points
//    (or through the node that stands on the side at that point).
// 2. Every quadrilateral with a corner in the window is split into two
//    triangles, along q1-q3 (the quadrilateral becomes (q1, q2, q3) and
//    (q1, q3, q4) is appended), or along q2-q4 where q1-q3 lies outside it.
// 3. The triangles are refined by RefineMeshQuality in window mode.
// A stop request before the start changes nothing; one later skips the rest
// of the work, and the marks and flags are still restored.
void RefineWindowTask();

}  // namespace orvelo
