// Deleting nodes of the mesher net (the editing task of operation 2, and the
// last step of every Delaunay generation, which removes the four auxiliary
// corner nodes of its start rectangle).
#pragma once

#include <cstdint>

namespace orvelo {

// `DeleteNodesTask`: removes the nodes listed in DeleteNodeList (entries
// that are no node of the net are ignored) and every element that has one
// of them as a corner, then, in a second pass, every node no element uses
// any more. Nodes keep their order and are numbered 1..k again; corners,
// FixedNodes and ConstraintEdges are renumbered with them (a deleted node's
// entry becomes -1). Each pass saves the fixed-node and constraint marks,
// and ends with the side flags reset, the marks restored and the element
// side flags rebuilt. The hole left by removed elements is not meshed
// again. DeleteNodeList is emptied.
//
// operationCode is the code of the running operation: for 2 (delete nodes)
// the task first sets the run state to 0, shows its status text and returns
// at once on a stop. Later stop requests are honoured only between whole
// passes, so the net is never left half renumbered.
void DeleteNodesTask(std::int32_t operationCode);

}  // namespace orvelo
