#include "orvelo/wizard/input_angle.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "orvelo/model/declar.h"

namespace orvelo {

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Vec {
    double x = 0.0, y = 0.0;
};
Vec operator+(Vec p, Vec q) { return {p.x + q.x, p.y + q.y}; }
Vec operator-(Vec p, Vec q) { return {p.x - q.x, p.y - q.y}; }
Vec operator*(double s, Vec p) { return {s * p.x, s * p.y}; }
double dot(Vec p, Vec q) { return p.x * q.x + p.y * q.y; }
double cross(Vec p, Vec q) { return p.x * q.y - p.y * q.x; }
double length(Vec p) { return std::hypot(p.x, p.y); }

// A straight piece from a to b, or an arc from a to b about c (anticlockwise
// when ccw; a whole circle when a and b coincide).
struct Piece {
    Vec a, b;
    bool arc = false;
    Vec c;
    bool ccw = false;
    Vec low, high;  // bounding box
};

class Geometry {
public:
    explicit Geometry(double tolerance) : tol_(tolerance) {}

    // The smallest angle between a direction of p and one of q at the
    // points where they meet (180 when they do not).
    double smallestAngle(const Piece& p, const Piece& q) const {
        if (p.high.x < q.low.x - tol_ || q.high.x < p.low.x - tol_ || p.high.y < q.low.y - tol_ ||
            q.high.y < p.low.y - tol_)
            return 180.0;
        std::vector<Vec> points = {p.a, p.b, q.a, q.b};
        if (!p.arc && !q.arc) {
            const Vec dp = p.b - p.a, dq = q.b - q.a;
            const double denominator = cross(dp, dq);
            if (std::abs(denominator) > 1e-12 * length(dp) * length(dq))
                points.push_back(p.a + (cross(q.a - p.a, dq) / denominator) * dp);
        } else if (p.arc != q.arc) {
            lineCircle(p.arc ? q : p, p.arc ? p : q, points);
        } else {
            circleCircle(p, q, points);
        }
        double smallest = 180.0;
        for (const Vec& x : points) {
            if (!on(p, x) || !on(q, x)) continue;
            for (const Vec& u : directions(p, x))
                for (const Vec& v : directions(q, x))
                    smallest = std::min(smallest, std::atan2(std::abs(cross(u, v)), dot(u, v)) * 180.0 / kPi);
        }
        return smallest;
    }

private:
    bool near(Vec p, Vec q) const { return length(p - q) <= tol_; }
    bool whole(const Piece& p) const { return p.arc && near(p.a, p.b); }

    // The turn from a to x about the arc's centre in its direction, radians
    // in [0, 2 pi).
    static double turn(const Piece& p, Vec x) {
        const Vec ra = p.a - p.c, rx = x - p.c;
        double angle = std::atan2(cross(ra, rx), dot(ra, rx));
        if (!p.ccw) angle = -angle;
        return angle < 0.0 ? angle + 2.0 * kPi : angle;
    }

    bool on(const Piece& p, Vec x) const {
        if (near(x, p.a) || near(x, p.b)) return true;
        if (p.arc) {
            if (std::abs(length(x - p.c) - length(p.a - p.c)) > tol_) return false;
            return whole(p) || turn(p, x) < turn(p, p.b);
        }
        const Vec d = p.b - p.a;
        const double squared = dot(d, d);
        if (squared <= tol_ * tol_) return false;
        const double t = dot(x - p.a, d) / squared;
        return t > 0.0 && t < 1.0 && std::abs(cross(d, x - p.a)) <= tol_ * std::sqrt(squared);
    }

    // The directions in which the piece leaves x: forward unless x is its
    // end, backward unless x is its start (an arc by its tangent).
    std::vector<Vec> directions(const Piece& p, Vec x) const {
        Vec forward = p.b - x, backward = p.a - x;
        if (p.arc) {
            const Vec r = x - p.c;
            forward = p.ccw ? Vec{-r.y, r.x} : Vec{r.y, -r.x};
            backward = -1.0 * forward;
        }
        std::vector<Vec> result;
        if (!near(x, p.b) || whole(p)) result.push_back(forward);
        if (!near(x, p.a) || whole(p)) result.push_back(backward);
        return result;
    }

    static void lineCircle(const Piece& line, const Piece& arc, std::vector<Vec>& points) {
        const Vec d = line.b - line.a, f = line.a - arc.c;
        const double a = dot(d, d), b = 2.0 * dot(f, d), c = dot(f, f) - dot(arc.a - arc.c, arc.a - arc.c);
        const double discriminant = b * b - 4.0 * a * c;
        if (a <= 0.0 || discriminant < 0.0) return;
        for (const double sign : {-1.0, 1.0})
            points.push_back(line.a + ((-b + sign * std::sqrt(discriminant)) / (2.0 * a)) * d);
    }

    static void circleCircle(const Piece& p, const Piece& q, std::vector<Vec>& points) {
        const double rp = length(p.a - p.c), rq = length(q.a - q.c);
        const Vec between = q.c - p.c;
        const double d = length(between);
        if (d <= 0.0 || d > rp + rq || d < std::abs(rp - rq)) return;
        const double along = (rp * rp - rq * rq + d * d) / (2.0 * d);
        const double across = std::sqrt(std::max(0.0, rp * rp - along * along));
        const Vec unit = (1.0 / d) * between, normal{-unit.y, unit.x};
        points.push_back(p.c + along * unit + across * normal);
        points.push_back(p.c + along * unit - across * normal);
    }

    double tol_;
};

Piece pieceOf(const OutlinePiece& source) {
    Piece p;
    p.a = {source.X1, source.Y1};
    p.b = {source.X2, source.Y2};
    p.arc = source.IsArc;
    p.c = {source.XC, source.YC};
    p.ccw = source.Direction;
    return p;
}

}  // namespace

double SmallestInputAngle(const Declar& d) {
    std::vector<Piece> pieces;
    auto addPieces = [&](const std::vector<OutlinePiece>& source, std::int32_t count) {
        for (std::int32_t i = 1; i <= count && i < static_cast<std::int32_t>(source.size()); ++i)
            pieces.push_back(pieceOf(source[static_cast<std::size_t>(i)]));
    };
    addPieces(d.OutlinePieces, d.OutlinePieceCount);
    for (std::int32_t o = 1; o <= d.OpeningCount && o < static_cast<std::int32_t>(d.OpeningPieces.size()) &&
                             o < static_cast<std::int32_t>(d.OpeningPieceCount.size());
         ++o)
        addPieces(d.OpeningPieces[static_cast<std::size_t>(o)], d.OpeningPieceCount[static_cast<std::size_t>(o)]);
    for (std::int32_t l = 1;
         l <= d.LineCount && l < static_cast<std::int32_t>(std::min(d.LineStart.size(), d.LineEnd.size())); ++l) {
        const auto& start = d.LineStart[static_cast<std::size_t>(l)];
        const auto& end = d.LineEnd[static_cast<std::size_t>(l)];
        Piece line;
        line.a = {start.X, start.Y};
        line.b = {end.X, end.Y};
        pieces.push_back(line);
    }

    // Points closer than a millionth of the slab's extent are one point:
    // the input's coordinates are single precision.
    double extent = 0.0;
    for (Piece& p : pieces) {
        p.low = {std::min(p.a.x, p.b.x), std::min(p.a.y, p.b.y)};
        p.high = {std::max(p.a.x, p.b.x), std::max(p.a.y, p.b.y)};
        if (p.arc) {
            const double r = length(p.a - p.c);
            p.low = {p.c.x - r, p.c.y - r};
            p.high = {p.c.x + r, p.c.y + r};
        }
        extent = std::max({extent, std::abs(p.low.x), std::abs(p.low.y), std::abs(p.high.x), std::abs(p.high.y)});
    }
    const Geometry geometry(1e-6 * (1.0 + extent));
    double smallest = 180.0;
    for (std::size_t i = 0; i < pieces.size(); ++i)
        for (std::size_t j = i + 1; j < pieces.size(); ++j)
            smallest = std::min(smallest, geometry.smallestAngle(pieces[i], pieces[j]));
    return smallest;
}

}  // namespace orvelo
