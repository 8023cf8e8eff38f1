// The plane predicates of the outside stand-ins: point in a closed polygon,
// the relation of two segments, and the integer even-odd region rule. Every
// routine of this folder that tests points or segments goes through these,
// in double precision on the given Single values.
#pragma once

#include <cstdint>

#include "halvex/interface/enums.h"

namespace drovik::geometry {

// Relative tolerance of "on an edge" for points against polygons: a point
// counts as on a side when its distance from the side is at most this
// times the larger of the side's length and the largest coordinate
// magnitude of the side and the point (so a few units of the last place of
// a Single never decide).
inline constexpr double kOnEdgeTolerance = 1e-6;

// Relative tolerance of the segment relation, taken times the larger of the
// first segment's length and the largest coordinate magnitude of the four
// end points.
inline constexpr double kSegmentTolerance = 1e-5;

// Whether (px, py) lies in the closed polygon of n corners (xs[i], ys[i]),
// i = 0..n-1: inside by the even-odd rule, or on a side within
// kOnEdgeTolerance. Fewer than three corners hold no point.
bool pointInClosedPolygon(const double* xs, const double* ys, int n, double px, double py);

// The relation of segment CD to segment AB.
enum SegmentRelationCode : std::int16_t {
    kSegmentsApart = 0,      // no common point
    kSegmentsMeet = 1,       // one common point (crossing or touching)
    kSegmentOnSegment = 2,   // CD lies on AB
    kSegmentsOverlap = 3,    // collinear with a common piece, CD not wholly on AB
};

struct SegmentRelationResult {
    SegmentRelationCode code = kSegmentsApart;
    // kSegmentsMeet: the common point. kSegmentOnSegment and
    // kSegmentsOverlap: the positions of C and D along AB (0 at A, 1 at B).
    // kSegmentsApart: 0, 0.
    double first = 0.0;
    double second = 0.0;
};

SegmentRelationResult segmentRelation(double ax, double ay, double bx, double by, double cx,
                                      double cy, double dx, double dy);

// The integer region rule: whether the integer point (x, y) lies in the
// polygon of n integer corners under the even-odd rule, where a point on
// the boundary is inside exactly when it lies on a left or top edge (y
// grows downwards): the point is tested as if moved right by an
// infinitesimal step and down by a far smaller one. For an axis-parallel
// rectangle this keeps the left and top edges and drops the right and
// bottom ones, with the top-left corner the only corner inside.
bool pointInIntegerRegion(const halvex::POINTAPI* corners, int n, std::int32_t x, std::int32_t y);

// The step of pointInIntegerRegion for one side from a to b: whether the
// moved point's horizontal line crosses it right of the point (the parity
// flips). A side whose ends both lie above y, or both at or below it, never
// flips it.
bool sideFlipsParity(const halvex::POINTAPI& a, const halvex::POINTAPI& b, std::int32_t x, std::int32_t y);

}  // namespace drovik::geometry
