// Routines on point and segment lists: point in polygon, the orientation of
// a polygon, the relation of two segments, the end points of a line's piece
// inside an extent, and the member data derived from a net and its line
// members. Lists are 1-based (entry 0 unused) unless a routine says
// otherwise; a list shorter than the count it is given raises error 9.
// The predicates and their tolerances are those of plane_geometry.h.
#pragma once

#include <cstdint>
#include <vector>

namespace drovik {

class ClsPointListTools {
public:
    // inside -1 (True) when (x, y) lies in the polygon of corners 1..count
    // of xs, ys, a point on a side counting as inside; otherwise 0. Fewer
    // than three corners hold no point.
    void PointInPolygon(std::int16_t count, const std::vector<float>& xs,
                        const std::vector<float>& ys, float x, float y,
                        std::int16_t& inside) const;

    // The orientation of the polygon of corners 1..count: work(0) becomes 1
    // when the corners run anticlockwise (y upwards), -1 clockwise, 0 when
    // the polygon has no area; work(1..count) the corner numbers in
    // anticlockwise order (1, 2, ... when already anticlockwise). work is
    // grown to count + 1 entries when shorter.
    void LayoutLines(std::int16_t count, const std::vector<float>& xs, const std::vector<float>& ys,
                     std::vector<std::int16_t>& work) const;

    // The relation of segment CD to segment AB: code 0 no common point, 1
    // one common point (first, second = that point), 2 CD lies on AB, 3 CD
    // and AB are collinear and share a piece but CD does not lie wholly on
    // AB (for 2 and 3 first, second = the positions of C and D along AB, 0
    // at A and 1 at B). "On" and "collinear" allow a distance of 1e-5 times
    // the larger of |AB| and the largest coordinate magnitude of the four
    // points; AB of no length has no relation (0). A CD of no length is a
    // point: 1 when it lies on AB.
    void SegmentRelation(float ax, float ay, float bx, float by, float cx, float cy, float dx,
                         float dy, std::int16_t& code, float& first, float& second) const;

    // Points 1..count of xs, ys (count 3 or 4: the crossings of a line with
    // a rectangle, a corner possibly twice) reduced to the two end points of
    // the piece they span: the two points farthest apart, in their list
    // order, become entries 1 and 2 and count becomes 2. With fewer than
    // three points nothing changes. The lists are indexed 0..4 here.
    void ReducePointList(std::int16_t& count, std::vector<float>& xs,
                         std::vector<float>& ys) const;

    // The member data of the net-edge file. For every line member m =
    // 1..memberCount (from node memberStartNode(m) to memberEndNode(m)) and
    // every net edge k = 1..netEdgeCount (from netEdgeStart(k) to
    // netEdgeEnd(k)) that lies on it (SegmentRelation code 2), one pair (m,
    // k), in the order of m, then k: pairCount pairs in pairFirst (member)
    // and pairSecond (edge), 1-based. memberEdgeCount(m) is the number of
    // edges on member m; partlyCovered counts the members whose edges cover
    // less than their length (within the relative 1e-5). The node, member
    // and edge data are only read; propertySetCount, memberPropertySet and
    // netEdgeSection are not used. Error 9 for a node number outside
    // 1..nodeCount or a list shorter than its count, 6 for more than 32767
    // pairs.
    void DeriveMemberData(std::int16_t& pairCount, std::vector<std::int16_t>& pairFirst,
                          std::vector<std::int16_t>& pairSecond,
                          std::vector<std::int16_t>& memberEdgeCount, std::int16_t& partlyCovered,
                          std::int16_t nodeCount, const std::vector<float>& nodeX,
                          const std::vector<float>& nodeY, std::int16_t memberCount,
                          std::int16_t propertySetCount,
                          const std::vector<std::int16_t>& memberStartNode,
                          const std::vector<std::int16_t>& memberEndNode,
                          const std::vector<std::int16_t>& memberPropertySet,
                          std::int16_t netEdgeCount, const std::vector<std::int16_t>& netEdgeStart,
                          const std::vector<std::int16_t>& netEdgeEnd,
                          const std::vector<std::int16_t>& netEdgeSection) const;
};

}  // namespace drovik
