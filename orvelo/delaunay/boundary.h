// Boundary discretisation: the nodes along a piece of the slab outline, of
// an opening or of an internal line, spaced by the target-size field
// (target_size.h).
//
// A straight piece is stepped from its start: each step is the mean of the
// target sizes at the current point and one step ahead; once less than half
// the target size at its end is left, the end point closes it, so the last
// gap lies between about half a step and one and a half. Every node is
// computed from the piece's own end points (in double precision), so it lies
// on the piece within the rounding of its coordinates. An arc (a radius below 10000; larger ones are stepped as straight
// pieces) is stepped likewise by arc length between the angles of its ends.
// A straight piece of length 0 gives no node; a step of size 0 or below ends
// the piece at its end point; no step is smaller than the coincidence
// tolerance. The stepping asks the wait window for a stop every 1024 steps
// and ends the piece early on one (TakeDivisionStop tells the caller).
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "halvex/interface/enums.h"
#include "orvelo/model/net.h"

namespace orvelo {

// The points of a piece from its start on, its end left out, as the input
// checks follow it: an arc (of a radius below 10000, as the division takes
// it) by steps of at most 5 degrees in its sense, a full circle when it ends
// where it starts.
void AppendPiecePoints(const OutlinePiece& piece, std::vector<std::pair<double, double>>& points);

// Appends the node numbers of one piece to chain, its start point first. The
// end point is appended when the stepping reaches it (always for arcs).
void AddPieceNodes(const OutlinePiece& piece, std::vector<std::int16_t>& chain);

// Whether a division ended early on a stop request since the last call.
bool TakeDivisionStop();

// How many points the piece needs at the target sizes (its ends included;
// as AddPieceNodes steps, but with no step raised to the tolerance),
// without making any node: counted up to limit + 1 at most, so that a piece
// of a very small target size costs no more than the limit.
std::int64_t CountPieceNodes(const OutlinePiece& piece, std::int64_t limit);

// The points of an arc piece from its start to its end, both included, in
// points(1..n) (entry 0 empty).
void DivideArcPiece(std::vector<halvex::SinglePoint>& points, const OutlinePiece& piece);

// The number of the node at (x, y): the highest-numbered node within the
// coincidence tolerance in both coordinates (nodes 1..4 left out when mode is
// not 0), else a new node appended there. Error 6 with a message past 32767
// nodes.
std::int16_t AddMeshNode(float x, float y, std::int16_t mode);

// The direction of the line from `from` to `to` in degrees, 0 <= angle < 360
// (0 along +x, 90 along +y; 270 for equal points).
float LineAngleDeg(const halvex::SinglePoint& from, const halvex::SinglePoint& to);

// While one lives, AddMeshNode finds coincident nodes through a hash of node
// positions instead of scanning every node (same answers). The mesher's node
// positions must change only by AddMeshNode, by appending or by removing the
// last nodes meanwhile. Scopes may nest.
class NodeIndexScope {
public:
    NodeIndexScope();
    ~NodeIndexScope();
    NodeIndexScope(const NodeIndexScope&) = delete;
    NodeIndexScope& operator=(const NodeIndexScope&) = delete;
};

}  // namespace orvelo
