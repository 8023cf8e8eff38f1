#include "outside/drovik/plane_geometry.h"

#include <algorithm>
#include <cmath>

namespace drovik::geometry {

namespace {

double distanceToSegment(double ax, double ay, double bx, double by, double px, double py) {
    const double dx = bx - ax;
    const double dy = by - ay;
    const double lengthSquared = dx * dx + dy * dy;
    double t = 0.0;
    if (lengthSquared > 0.0) t = std::clamp(((px - ax) * dx + (py - ay) * dy) / lengthSquared, 0.0, 1.0);
    return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

double largestMagnitude(std::initializer_list<double> values) {
    double largest = 0.0;
    for (double v : values) largest = std::max(largest, std::fabs(v));
    return largest;
}

}  // namespace

bool pointInClosedPolygon(const double* xs, const double* ys, int n, double px, double py) {
    if (n < 3) return false;
    bool inside = false;
    for (int i = 0, j = n - 1; i < n; j = i++) {
        const double sideLength = std::hypot(xs[i] - xs[j], ys[i] - ys[j]);
        const double scale = std::max(sideLength, largestMagnitude({xs[i], ys[i], xs[j], ys[j], px, py}));
        if (distanceToSegment(xs[j], ys[j], xs[i], ys[i], px, py) <= kOnEdgeTolerance * scale) return true;
        if ((ys[i] > py) != (ys[j] > py) &&
            px < (xs[j] - xs[i]) * (py - ys[i]) / (ys[j] - ys[i]) + xs[i])
            inside = !inside;
    }
    return inside;
}

SegmentRelationResult segmentRelation(double ax, double ay, double bx, double by, double cx,
                                      double cy, double dx, double dy) {
    SegmentRelationResult result;
    const double length = std::hypot(bx - ax, by - ay);
    if (length == 0.0) return result;  // a segment AB of no length has no relation
    const double tol =
        kSegmentTolerance * std::max(length, largestMagnitude({ax, ay, bx, by, cx, cy, dx, dy}));
    const double tolT = tol / length;
    const double ux = (bx - ax) / length;
    const double uy = (by - ay) / length;
    // Signed distances of C and D from the line AB, and their positions along AB.
    const double distC = ux * (cy - ay) - uy * (cx - ax);
    const double distD = ux * (dy - ay) - uy * (dx - ax);
    const double tC = (ux * (cx - ax) + uy * (cy - ay)) / length;
    const double tD = (ux * (dx - ax) + uy * (dy - ay)) / length;
    const auto onAB = [&](double t) { return t >= -tolT && t <= 1.0 + tolT; };
    const auto meetAt = [&](double x, double y) {
        result.code = kSegmentsMeet;
        result.first = x;
        result.second = y;
        return result;
    };

    if (std::fabs(distC) <= tol && std::fabs(distD) <= tol) {
        // Collinear within the tolerance.
        const double lo = std::min(tC, tD);
        const double hi = std::max(tC, tD);
        if (std::hypot(dx - cx, dy - cy) <= tol) return onAB(tC) ? meetAt(cx, cy) : result;
        if (onAB(lo) && onAB(hi)) {
            result.code = kSegmentOnSegment;
        } else {
            const double common = std::min(hi, 1.0) - std::max(lo, 0.0);
            if (common < -tolT) return result;
            if (common <= tolT) {
                const double t = std::clamp(std::max(lo, 0.0), 0.0, 1.0);
                return meetAt(ax + t * (bx - ax), ay + t * (by - ay));
            }
            result.code = kSegmentsOverlap;
        }
        result.first = tC;
        result.second = tD;
        return result;
    }
    if (std::fabs(distC) <= tol) return onAB(tC) ? meetAt(cx, cy) : result;
    if (std::fabs(distD) <= tol) return onAB(tD) ? meetAt(dx, dy) : result;
    if ((distC < 0.0) == (distD < 0.0)) return result;  // both on one side of AB
    const double w = distC / (distC - distD);
    const double px = cx + w * (dx - cx);
    const double py = cy + w * (dy - cy);
    const double t = (ux * (px - ax) + uy * (py - ay)) / length;
    return onAB(t) ? meetAt(px, py) : result;
}

bool pointInIntegerRegion(const halvex::POINTAPI* corners, int n, std::int32_t x, std::int32_t y) {
    if (n < 3) return false;
    bool inside = false;
    for (int i = 0, j = n - 1; i < n; j = i++)
        if (sideFlipsParity(corners[j], corners[i], x, y)) inside = !inside;
    return inside;
}

bool sideFlipsParity(const halvex::POINTAPI& a, const halvex::POINTAPI& b, std::int32_t x, std::int32_t y) {
    // The moved point's horizontal line crosses the side exactly when the
    // integer line y does by this half-open rule; the crossing lies right
    // of the moved point exactly when it lies strictly right of x.
    if ((a.Y > y) == (b.Y > y)) return false;
    const __int128 rise = static_cast<__int128>(b.Y) - a.Y;
    const __int128 across = (static_cast<__int128>(a.X) - x) * rise +
                            (static_cast<__int128>(y) - a.Y) * (static_cast<__int128>(b.X) - a.X);
    return rise > 0 ? across > 0 : across < 0;
}

}  // namespace drovik::geometry
