// The recalculation of the slab outline and openings from the project's
// current net (operation 10, when RecalculateBoundaryFlag is set): the
// outline stored with a project may not match the net the solver used.
//
// The free sides of the net (bit 1, OuterSide, on the side's flag) are
// traced into loops, consecutive collinear pieces are joined, and each loop
// is told outline or opening by how many other loops enclose it: a loop
// enclosed by none (or by an even number) bounds slab, a loop enclosed by an
// odd number bounds a hole. Every written piece is straight.
#pragma once

#include <functional>
#include <vector>

#include "orvelo/model/declar.h"
#include "orvelo/model/net.h"

namespace orvelo {

// One loop of boundary pieces, in tracing order (a 0-based list). closed:
// the last piece ends where the first begins; a chain of free sides that
// does not close stays an open loop of its own.
struct BoundaryLoop {
    std::vector<OutlinePiece> pieces;
    bool closed = false;
};

// Phase 1: the free sides of the net traced into loops. A loop starts at
// the first free side not yet taken, in element and corner order, running
// from the side's corner node to the next corner's node; it goes on with
// the first untaken free side (in the same order) that touches its end node,
// until it comes back to its start node or no side goes on. The net is not
// changed. Sides whose two nodes are the same node are left out.
// sideTaken (may be empty) is called once per side taken into a loop; when it
// answers true the tracing ends there and false is returned (the loops
// traced so far are in loops). Error 9 for a corner node outside the net.
bool TraceFreeSideLoops(const ProjectNet& net, std::vector<BoundaryLoop>& loops,
                        const std::function<bool()>& sideTaken = {});

// Phase 2: consecutive pieces of the loop that run on in the same direction
// with their common point, and every point joined into either before, within
// tol of the straight line joining their far ends are joined into one piece;
// a closed loop is also joined across its seam (the last piece with the
// first). A finely divided curve thus keeps its pieces within tol of every
// node.
void JoinCollinearPieces(BoundaryLoop& loop, double tol);

// Operation 10: the outline and openings of declar() recalculated from its
// net. Outline: the loops enclosed by an even number of other loops, in
// tracing order, one after the other; openings: the others. When a traced
// loop passes a point more than once (parts of slab or holes meeting at a
// node), the loops are traced again with every side run as in its element,
// going on at such a node with the side that keeps the same piece of slab on
// its left, so that no loop crosses another or itself. A net whose border
// cannot be described is refused with a message (error 5) before anything
// changes: a chain of free sides that does not close, a node lying inside a
// free side it does not end (elements that do not meet corner to corner),
// or loops that bound another area than the elements cover (overlapping
// elements, side flags that are not the border, parts of the border closer
// together than tol), allowing tol along the border's length. A loop is
// inside another when its first vertex off the other's pieces (by more than
// tol) is, by the even-odd rule on the coordinates. The coincidence
// tolerance tol uses the unit factor of the current net (its drawing scale
// is computed from the net's extent first). When the net has no free side
// the slab description is left as read. A stop
// request leaves the slab description as it was and stops the run (run
// state 3). Progress: one step per side taken, then one per loop joined
// and per loop classified. No error exit of its own: a refusal is reported
// by the running operation, which stops the run.
void RecalculateMeshBoundary();

}  // namespace orvelo
