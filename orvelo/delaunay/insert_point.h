// Point insertion into an existing net of triangles and quadrilaterals (the
// mesher net), without meshing it again: the boundary front points, the
// editing tasks that add a node and refine inside a window, and the quality
// refinement inside a window put their nodes in with it.
//
// The caller appends the new node as the last node (MeshNodeCount already
// counts it). The node is refused, and removed again, when it lies closer
// than half of MinElementSize to an existing node (the lowest-numbered such
// node is the answer) or in no element. Otherwise the lowest-numbered element
// that holds it (inside or on a side, exact tests) is rebuilt locally:
//
// - A triangle T: T and the triangles across its sides whose circumcircles
//   hold the node (within 0.001 / unit factor in squared length; the circles
//   are recomputed into ElementCircle) form a cavity, which is replaced by a
//   fan of triangles from the node over its open sides. The cavity never
//   crosses a constraint side (a row of ConstraintEdges); a neighbour is
//   left out where the fan over it would fold or leave a node inside. The
//   cavity elements go on the free-number stack in ascending order, and each
//   open side in list order becomes (node, a, b) under the number last
//   freed, or a new number.
// - A quadrilateral Q = (q1, q2, q3, q4): it becomes four triangles (N, q1,
//   q2) = M, (N, q2, q3) = M-1, (N, q3, q4) = M-2 (appended, M the new
//   count) and (N, q4, q1) = Q. A new triangle with an angle below MinAngle
//   is then mended across its longest side: a neighbouring triangle is
//   merged with it into a convex quadrilateral under the smaller of the two
//   numbers (the larger one goes, the later elements move down by one); a
//   neighbouring quadrilateral gives the triangle's far corner to the
//   quadrilateral and takes one of its corners, when that does not make the
//   smallest angle smaller, fold anything or leave the quadrilateral
//   concave. A quadrilateral that the node cannot see whole is refused.
//
// A node on a side (exactly, or within the coincidence tolerance across it)
// divides that side: the element across it joins the cavity whatever it is,
// and the rows of ConstraintEdges naming the side become (first, node) with
// (node, second) appended. A side of the border is divided only by a node
// exactly on it (it is left out of the fan); a node merely near it is
// refused, so the border keeps its place. New and changed elements keep orientation; every triangle made
// gets its circle. Side flags are not set (the callers rebuild them); a new
// element starts with flags 0, a reused number keeps those it had.
//
// Each call raises MinAngle below 5 to 5 and a MinElementSize not above 0 to
// 0.001, in the project globals themselves. A stop request, asked once before
// the node is placed, refuses it (the node is removed again; nothing else
// changes). Error 9 when the net holds an element that is no triangle or
// quadrilateral of its nodes, error 6 when the net would pass 32767
// elements or rows; the node is removed again before either is raised.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "orvelo/model/net.h"

namespace orvelo {

// `InsertPointIntoNet`: inserts the last node of the mesher net. Result: the
// existing node that made it refuse the point for nearness; 0 otherwise
// (inserted, refused for another reason, or stopped).
std::int16_t InsertPointIntoNet();

enum class PointInsertion {
    Inserted,  // the node is a corner of the new elements
    NearNode,  // refused: an existing node lies closer than rmin / 2
    Outside,   // refused: no element holds the node
    Refused,   // refused: the net cannot take the node there without folding
    Stopped,   // the user asked to stop before the node was placed
};

struct PointInsertionResult {
    PointInsertion outcome = PointInsertion::Refused;
    std::int16_t nearNode = 0;  // with NearNode
};

// What one insertion wrote into the mesher net, for the caller to see
// which elements it replaced and made, and to take it back: every element
// record, circle and constraint row it overwrote or removed, with what it
// held before and in the order written, and the counts and list lengths
// (with what lay beyond the counts) before it.
struct InsertionLog {
    enum class Kind : std::uint8_t { Element, Circle, Row, ElementRemoved };
    struct Entry {
        Kind kind = Kind::Element;
        std::int32_t at = 0;  // the record, circle or row number
        NetElement element{};  // Element, ElementRemoved
        std::array<float, 3> circle{};  // Circle, ElementRemoved (with circleRemoved)
        std::array<std::int16_t, 2> row{};  // Row
        bool circleRemoved = false;
    };
    std::vector<Entry> entries;
    std::int16_t nodeCount = 0;  // counting the node to insert
    std::int16_t elementCount = 0;
    std::int16_t rowCount = 0;
    std::size_t elementLength = 0, circleLength = 0, rowLength = 0;
    std::vector<NetElement> elementTail;  // the records after the count
    std::vector<std::array<float, 3>> circleTail;
    std::vector<std::array<std::int16_t, 2>> rowTail;

    // Whether the insertion removed element records (the later ones moved
    // down).
    bool RemovedElements() const;
    // The element list as it was before, from the list as it is now.
    void ElementsBefore(const std::vector<NetElement>& now, std::vector<NetElement>& before) const;
};

// The insertion with its outcome. With divideConstraintRows false the rows
// of ConstraintEdges that name a side the node divides are left for the
// caller to divide. With a log, what it writes is recorded there (the log
// is cleared first).
PointInsertionResult InsertPoint(bool divideConstraintRows, InsertionLog* log = nullptr);

// Takes back an insertion that placed its node, recorded in log: the net
// as it was before (the node removed), and an index of a NetEditScope that
// followed the insertion told of the records that change back.
void TakeBackInsertion(const InsertionLog& log);

// While one lives, the insertion finds sides, elements and nodes through an
// index of the mesher net (net_lookup.h), built on first use and kept up to
// date by the insertion itself: meanwhile the net must change only by
// appending the node to insert and through the insertion. Outside a scope
// every call scans the net. Scopes may nest.
class NetEditScope {
public:
    NetEditScope();
    ~NetEditScope();
    NetEditScope(const NetEditScope&) = delete;
    NetEditScope& operator=(const NetEditScope&) = delete;
};

}  // namespace orvelo
