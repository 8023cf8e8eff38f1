// The geometric predicates of the Delaunay mesher: orientation of three
// points and the in-circle test of four. Both give the sign of the exact
// determinant of their double inputs (every Single coordinate is a double
// exactly): a fast floating-point evaluation decides whenever its error
// bound allows, and an exact evaluation in floating-point expansions decides
// the rest. Nothing else in the mesher tests orientation or circles.
#pragma once

#include <cmath>

namespace orvelo::predicates {

namespace detail {

constexpr double kEpsilon = 1.1102230246251565e-16;  // 2^-53, half an ulp of 1
constexpr double kOrientBound = (3.0 + 16.0 * kEpsilon) * kEpsilon;
constexpr double kInCircleBound = (10.0 + 96.0 * kEpsilon) * kEpsilon;

// The exact evaluations, for the cases the error bound cannot decide.
double OrientExact(double ax, double ay, double bx, double by, double cx, double cy);
double InCircleExact(double ax, double ay, double bx, double by, double cx, double cy, double dx, double dy);

}  // namespace detail

// Twice the signed area of the triangle (a, b, c): positive when the points
// run counter-clockwise (y upwards), negative clockwise, 0 exactly when they
// lie on one line. The magnitude is approximate, the sign exact.
inline double Orient2d(double ax, double ay, double bx, double by, double cx, double cy) {
    const double left = (ax - cx) * (by - cy);
    const double right = (ay - cy) * (bx - cx);
    const double det = left - right;
    double magnitude = 0.0;
    if (left > 0.0) {
        if (right <= 0.0) return det;
        magnitude = left + right;
    } else if (left < 0.0) {
        if (right >= 0.0) return det;
        magnitude = -left - right;
    } else {
        return det;
    }
    const double bound = detail::kOrientBound * magnitude;
    if (det >= bound || -det >= bound) return det;
    return detail::OrientExact(ax, ay, bx, by, cx, cy);
}

// Positive when d lies inside the circle through a, b and c, negative
// outside, 0 on it, for counter-clockwise (a, b, c) (the sign flips for
// clockwise ones). The magnitude is approximate, the sign exact.
inline double InCircle(double ax, double ay, double bx, double by, double cx, double cy, double dx,
                       double dy) {
    const double adx = ax - dx;
    const double ady = ay - dy;
    const double bdx = bx - dx;
    const double bdy = by - dy;
    const double cdx = cx - dx;
    const double cdy = cy - dy;
    const double bdxcdy = bdx * cdy;
    const double cdxbdy = cdx * bdy;
    const double aLift = adx * adx + ady * ady;
    const double cdxady = cdx * ady;
    const double adxcdy = adx * cdy;
    const double bLift = bdx * bdx + bdy * bdy;
    const double adxbdy = adx * bdy;
    const double bdxady = bdx * ady;
    const double cLift = cdx * cdx + cdy * cdy;
    const double det =
        aLift * (bdxcdy - cdxbdy) + bLift * (cdxady - adxcdy) + cLift * (adxbdy - bdxady);
    const double permanent = (std::fabs(bdxcdy) + std::fabs(cdxbdy)) * aLift +
                             (std::fabs(cdxady) + std::fabs(adxcdy)) * bLift +
                             (std::fabs(adxbdy) + std::fabs(bdxady)) * cLift;
    const double bound = detail::kInCircleBound * permanent;
    if (det > bound || -det > bound) return det;
    return detail::InCircleExact(ax, ay, bx, by, cx, cy, dx, dy);
}

// Whether p lies on the closed segment from a to b: on its line exactly and
// within its extent.
bool OnSegment(double ax, double ay, double bx, double by, double px, double py);

}  // namespace orvelo::predicates
