#include "orvelo/gridmesh/trace_piece.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/boundary.h"
#include "orvelo/delaunay/progress.h"
#include "orvelo/delaunay/units.h"
#include "orvelo/gridmesh/bas_grid_based.h"
#include "orvelo/gridmesh/key_points.h"
#include "platform/runtime/errors.h"

namespace orvelo {

namespace {

struct Crossing {
    halvex::SinglePoint point;
    float key = 0.0f;  // how far along the piece: distance or swept angle
    std::int32_t gx = 0;
    std::int32_t gy = 0;
};

struct GridPoint {
    std::int32_t gx = 0;
    std::int32_t gy = 0;
    bool operator==(const GridPoint&) const = default;
};

GridPoint nearestGridPoint(const halvex::SinglePoint& p) {
    return GridPoint{static_cast<std::int32_t>(NearestGridLineX(p)), static_cast<std::int32_t>(NearestGridLineY(p))};
}

float distance(float ax, float ay, float bx, float by) {
    const double dx = static_cast<double>(ax - bx);
    const double dy = static_cast<double>(ay - by);
    return static_cast<float>(std::sqrt(dx * dx + dy * dy));
}

// The crossings of one piece, as the two sweeps find them.
class PieceTracer {
public:
    explicit PieceTracer(const OutlinePiece& piece) : piece_(piece) {
        if (piece.IsArc) {
            const double dx = static_cast<double>(piece.X1) - piece.XC;
            const double dy = static_cast<double>(piece.Y1) - piece.YC;
            radius_ = std::sqrt(dx * dx + dy * dy);
            ArcAngleRange(piece, low_, high_);
        }
        straight_ = radius_ > 10000.0;
    }

    // The sweep over the grid lines in y; false when the user asked to stop.
    bool sweepY() {
        const BasGridBased& g = basGridBased();
        const std::int32_t n = g.GridIntervalsY;
        const std::vector<float>& line = g.GridLineY;
        const std::vector<float>& spacing = g.GridSpacingY;
        float y = line[1];
        const float end = std::max({piece_.Y1, piece_.Y2, line[static_cast<std::size_t>(n) + 1]});
        for (;;) {
            crossingsAtY(y);
            const bool more = step(y, static_cast<std::int32_t>(FindGridIntervalY(y)), n, line, spacing, 0.05f);
            if (mesher::StopRequested(false)) return false;
            if (!more || end - y <= 0.05f * spacing[static_cast<std::size_t>(n)]) return true;
        }
    }

    // The sweep over the grid lines in x; false when the user asked to stop.
    bool sweepX() {
        const BasGridBased& g = basGridBased();
        const std::int32_t n = g.GridIntervalsX;
        const std::vector<float>& line = g.GridLineX;
        const std::vector<float>& spacing = g.GridSpacingX;
        float x = line[1];
        const float end = std::max({piece_.X1, piece_.X2, line[static_cast<std::size_t>(n) + 1]});
        for (;;) {
            crossingsAtX(x);
            const bool more = step(x, static_cast<std::int32_t>(FindGridIntervalX(x)), n, line, spacing, 0.01f);
            if (mesher::StopRequested(false)) return false;
            if (!more || end - x <= 0.05f * spacing[static_cast<std::size_t>(n)]) return true;
        }
    }

    std::vector<Crossing>& crossings() { return crossings_; }

private:
    // Moves v from its grid line to the next one: v already standing (within
    // threshold x the spacing) at the upper line of its interval i takes the
    // spacing of interval i + 1. At the last line there is none: false, the
    // sweep ends there.
    static bool step(float& v, std::int32_t i, std::int32_t n, const std::vector<float>& line,
                     const std::vector<float>& spacing, float threshold) {
        if (i < 1 || i > n) rt::raise(9, "The tracing of the slab left the grid of the net.");
        if (line[static_cast<std::size_t>(i) + 1] - v < threshold * spacing[static_cast<std::size_t>(i)]) {
            if (i + 1 > n) return false;
            v += spacing[static_cast<std::size_t>(i) + 1];
        } else {
            v += spacing[static_cast<std::size_t>(i)];
        }
        return true;
    }

    void crossingsAtY(float y) {
        const OutlinePiece& p = piece_;
        if (straight_) {
            if (p.Y1 == p.Y2) return;
            float x = p.X1;
            if (p.X1 != p.X2) {
                const float m = (p.Y2 - p.Y1) / (p.X2 - p.X1);
                const float b = p.Y1 - m * p.X1;
                x = (y - b) / m;
            }
            offerStraight(x, y);
        } else if (std::fabs(static_cast<double>(y) - p.YC) < radius_) {
            const double dy = static_cast<double>(y) - p.YC;
            const auto s = static_cast<float>(std::sqrt(radius_ * radius_ - dy * dy));
            offerArc(p.XC + s, y);
            offerArc(p.XC - s, y);
        }
    }

    void crossingsAtX(float x) {
        const OutlinePiece& p = piece_;
        if (straight_) {
            if (p.X1 == p.X2) return;
            float y = p.Y1;
            if (p.Y2 != p.Y1) {
                const float m = (p.Y2 - p.Y1) / (p.X2 - p.X1);
                const float b = p.Y1 - m * p.X1;
                y = m * x + b;
            }
            offerStraight(x, y);
        } else if (std::fabs(static_cast<double>(x) - p.XC) < radius_) {
            const double dx = static_cast<double>(x) - p.XC;
            const auto s = static_cast<float>(std::sqrt(radius_ * radius_ - dx * dx));
            offerArc(x, p.YC + s);
            offerArc(x, p.YC - s);
        }
    }

    void offerStraight(float x, float y) {
        const OutlinePiece& p = piece_;
        if (x < std::min(p.X1, p.X2) || x > std::max(p.X1, p.X2)) return;
        if (y < std::min(p.Y1, p.Y2) || y > std::max(p.Y1, p.Y2)) return;
        if ((x == p.X1 && y == p.Y1) || (x == p.X2 && y == p.Y2)) return;
        crossings_.push_back(Crossing{halvex::SinglePoint{x, y}, distance(p.X1, p.Y1, x, y)});
    }

    void offerArc(float x, float y) {
        const OutlinePiece& p = piece_;
        float a = LineAngleDeg(halvex::SinglePoint{p.XC, p.YC}, halvex::SinglePoint{x, y});
        if (p.Direction) {
            if (a > high_) a -= 360.0f;
        } else if (a < low_) {
            a += 360.0f;
        }
        if (a < low_ || a > high_) return;
        crossings_.push_back(Crossing{halvex::SinglePoint{x, y}, p.Direction ? a - low_ : high_ - a});
    }

    const OutlinePiece& piece_;
    double radius_ = 100000.0;  // a piece that is no arc
    float low_ = 0.0f;
    float high_ = 0.0f;
    bool straight_ = true;
    std::vector<Crossing> crossings_;
};

void appendRegionPoint(float x, float y) {
    BasGridBased& g = basGridBased();
    if (g.RegionPointCount >= kMaxNetCount) rt::raise(6, "A polygon of the slab would have more than 32767 points.");
    ++g.RegionPointCount;
    g.RegionPoints.resize(static_cast<std::size_t>(g.RegionPointCount) + 1);
    g.RegionPoints[static_cast<std::size_t>(g.RegionPointCount)] = RegionPoint(x, y, UnitFactor());
}

void appendConstraintEdge(const halvex::SinglePoint& from, const halvex::SinglePoint& to) {
    BasDelaunay& m = basDelaunay();
    BasGridBased& g = basGridBased();
    const std::int16_t first = FindOrAddKeyPoint(from);
    const std::int16_t second = FindOrAddKeyPoint(to);
    if (m.ConstraintEdgeCount >= kMaxNetCount) rt::raise(6, "The list of constraint sides would pass 32767 rows.");
    ++m.ConstraintEdgeCount;
    m.ConstraintEdges.resize(static_cast<std::size_t>(m.ConstraintEdgeCount) + 1);
    m.ConstraintEdges[static_cast<std::size_t>(m.ConstraintEdgeCount)] = {first, second};
    g.ConstraintKeys.resize(static_cast<std::size_t>(m.ConstraintEdgeCount) + 1);
    g.ConstraintKeys[static_cast<std::size_t>(m.ConstraintEdgeCount)] = {first, second};
}

}  // namespace

void TraceSlabPiece(const OutlinePiece& piece, std::int16_t mode) {
    if (mode != kTraceBoundaryPiece && mode != kTraceInternalLine)
        rt::raise(5, "A slab piece can only be traced as a boundary piece or as an internal line.");
    if (mode == kTraceBoundaryPiece) appendRegionPoint(piece.X1, piece.Y1);

    PieceTracer tracer(piece);
    if (!tracer.sweepY() || !tracer.sweepX()) return;
    std::vector<Crossing>& found = tracer.crossings();
    if (found.empty()) return;

    for (Crossing& c : found) {
        const GridPoint at = nearestGridPoint(c.point);
        c.gx = at.gx;
        c.gy = at.gy;
    }
    // The crossing found first stands for its grid point.
    std::vector<Crossing> kept;
    for (const Crossing& c : found) {
        const bool taken = std::any_of(kept.begin(), kept.end(),
                                       [&c](const Crossing& k) { return k.gx == c.gx && k.gy == c.gy; });
        if (!taken) kept.push_back(c);
    }
    std::stable_sort(kept.begin(), kept.end(), [](const Crossing& a, const Crossing& b) { return a.key < b.key; });
    const halvex::SinglePoint start{piece.X1, piece.Y1};
    const halvex::SinglePoint end{piece.X2, piece.Y2};
    if (!kept.empty() && GridPoint{kept.front().gx, kept.front().gy} == nearestGridPoint(start)) kept.erase(kept.begin());
    if (!kept.empty() && GridPoint{kept.back().gx, kept.back().gy} == nearestGridPoint(end)) kept.pop_back();

    if (mode == kTraceBoundaryPiece) {
        for (const Crossing& c : kept) {
            appendRegionPoint(c.point.X, c.point.Y);
            FindOrAddKeyPoint(c.point);
        }
        return;
    }
    halvex::SinglePoint previous = start;
    for (const Crossing& c : kept) {
        appendConstraintEdge(previous, c.point);
        previous = c.point;
    }
    appendConstraintEdge(previous, end);
}

}  // namespace orvelo
