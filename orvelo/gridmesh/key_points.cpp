#include "orvelo/gridmesh/key_points.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/boundary.h"
#include "orvelo/delaunay/units.h"
#include "orvelo/gridmesh/bas_grid_based.h"
#include "platform/runtime/errors.h"

namespace orvelo {

namespace {

// More grid points than this are refused before the tables are made: the
// net could never hold them, and the tables would take gigabytes.
constexpr long long kMaxGridPoints = 4'000'000;

std::int16_t nextCount(std::int16_t count, const char* what) {
    if (count >= kMaxNetCount) rt::raise(6, std::string("The ") + what + " of the grid-based net would pass 32767.");
    return static_cast<std::int16_t>(count + 1);
}

// Each candidate is rounded to a Single before it is compared.
void widenX(SlabExtent& e, double x) {
    const float fx = static_cast<float>(x);
    if (fx < e.XMin) e.XMin = fx;
    if (fx > e.XMax) e.XMax = fx;
}

void widenY(SlabExtent& e, double y) {
    const float fy = static_cast<float>(y);
    if (fy < e.YMin) e.YMin = fy;
    if (fy > e.YMax) e.YMax = fy;
}

void widen(SlabExtent& e, double x, double y) {
    widenX(e, x);
    widenY(e, y);
}

// The box of an arc piece: half the chord about both ends, and for an arc
// the tracing follows as an arc, the points of the arc where it runs
// parallel to an axis.
void widenByArc(SlabExtent& e, const OutlinePiece& piece) {
    if (!piece.IsArc) return;
    const double dx = static_cast<double>(piece.X2) - piece.X1;
    const double dy = static_cast<double>(piece.Y2) - piece.Y1;
    const double h = std::sqrt(dx * dx + dy * dy) / 2.0;
    for (const double x : {piece.X1 + h, piece.X1 - h, piece.X2 + h, piece.X2 - h}) widenX(e, x);
    for (const double y : {piece.Y1 + h, piece.Y1 - h, piece.Y2 + h, piece.Y2 - h}) widenY(e, y);
    const double rx = static_cast<double>(piece.X1) - piece.XC;
    const double ry = static_cast<double>(piece.Y1) - piece.YC;
    const double radius = std::sqrt(rx * rx + ry * ry);
    if (radius > 10000.0) return;
    float low = 0.0f;
    float high = 0.0f;
    ArcAngleRange(piece, low, high);
    // The axis directions 0, 90, 180, 270 and their turns by +-360 degrees.
    for (int quarter = -4; quarter <= 8; ++quarter) {
        const float angle = static_cast<float>(quarter * 90);
        if (angle < low || angle > high) continue;
        const int q = ((quarter % 4) + 4) % 4;
        const double cx = q == 0 ? 1.0 : (q == 2 ? -1.0 : 0.0);
        const double cy = q == 1 ? 1.0 : (q == 3 ? -1.0 : 0.0);
        widen(e, piece.XC + radius * cx, piece.YC + radius * cy);
    }
}

void appendLine(std::vector<float>& lines, double value) {
    if (lines.size() > static_cast<std::size_t>(kMaxNetCount))
        rt::raise(6, "The grid of the net would have more than 32768 lines in one direction.");
    lines.push_back(static_cast<float>(value));
}

std::vector<float> spacingsOf(const std::vector<float>& lines) {
    std::vector<float> spacing(lines.size() - 1, 0.0f);
    for (std::size_t i = 1; i + 1 < lines.size(); ++i) spacing[i] = lines[i + 1] - lines[i];
    return spacing;
}

float findInterval(const std::vector<float>& lines, std::int16_t intervals, float v) {
    if (std::isnan(v) || intervals < 1) return 0.0f;
    // The lines are ascending: the first line at or above v closes the first
    // interval that holds v.
    const auto begin = lines.begin() + 1;
    const auto end = lines.begin() + 1 + intervals + 1;
    const auto at = std::lower_bound(begin, end, v);
    if (at == begin) return 1.0f;  // at or below the first line
    if (at == end) return static_cast<float>(intervals);  // above the last line
    return static_cast<float>(at - begin);
}

float nearestLine(const std::vector<float>& lines, const std::vector<float>& spacing,
                  std::int16_t intervals, float v) {
    const auto i = static_cast<std::int32_t>(findInterval(lines, intervals, v));
    if (i < 1 || i > intervals) rt::raise(9, "A point of the slab lies outside the grid of the net.");
    const float s = spacing[static_cast<std::size_t>(i)];
    if (s == 0.0f) rt::raise(11);
    const float offset = (v - lines[static_cast<std::size_t>(i)]) / s;
    return static_cast<float>(i) + std::floor(offset + 0.5f);
}

}  // namespace

float KeyTolerance() { return static_cast<float>(rt::divideChecked(0.001, UnitFactor())); }

std::int16_t FindOrAddKeyPoint(const halvex::SinglePoint& point) {
    BasGridBased& g = basGridBased();
    for (std::int32_t k = 1; k <= g.KeyPointCount; ++k) {
        const halvex::SinglePoint& key = g.KeyPoints[static_cast<std::size_t>(k)];
        if (CloserThan(key.X, point.X, KeyTolerance()) && CloserThan(key.Y, point.Y, KeyTolerance()))
            return static_cast<std::int16_t>(k);
    }
    g.KeyPointCount = nextCount(g.KeyPointCount, "number of key points");
    g.KeyPoints.resize(static_cast<std::size_t>(g.KeyPointCount) + 1);
    g.KeyPoints[static_cast<std::size_t>(g.KeyPointCount)] = point;
    return g.KeyPointCount;
}

float FindGridIntervalX(float x) {
    const BasGridBased& g = basGridBased();
    return findInterval(g.GridLineX, g.GridIntervalsX, x);
}

float FindGridIntervalY(float y) {
    const BasGridBased& g = basGridBased();
    return findInterval(g.GridLineY, g.GridIntervalsY, y);
}

float NearestGridLineX(const halvex::SinglePoint& point) {
    const BasGridBased& g = basGridBased();
    return nearestLine(g.GridLineX, g.GridSpacingX, g.GridIntervalsX, point.X);
}

float NearestGridLineY(const halvex::SinglePoint& point) {
    const BasGridBased& g = basGridBased();
    return nearestLine(g.GridLineY, g.GridSpacingY, g.GridIntervalsY, point.Y);
}

void ArcAngleRange(const OutlinePiece& piece, float& low, float& high) {
    const halvex::SinglePoint centre{piece.XC, piece.YC};
    const float a1 = LineAngleDeg(centre, halvex::SinglePoint{piece.X1, piece.Y1});
    const float a2 = LineAngleDeg(centre, halvex::SinglePoint{piece.X2, piece.Y2});
    if (piece.Direction) {
        low = a1;
        high = a2;
        if (low > high) low -= 360.0f;
    } else {
        low = a2;
        high = a1;
        if (low > high) high += 360.0f;
    }
}

std::vector<float> ExtendGridLines(const std::vector<float>& g, std::int16_t n, float lo, float hi) {
    if (n < 1 || g.size() < static_cast<std::size_t>(n) + 2)
        rt::raise(9, "The project grid needs at least two lines in each direction.");
    const auto at = [&g](std::int32_t k) { return static_cast<double>(g[static_cast<std::size_t>(k)]); };
    const double d1 = at(2) - at(1);
    const double dn = at(n + 1) - at(n);
    std::vector<float> lines(1, 0.0f);
    std::int32_t first = 1;
    if (lo < g[1]) {
        const double below = -std::floor((static_cast<double>(lo) - at(1)) / d1 + 0.5);
        if (below > kMaxNetCount) rt::raise(6, "The grid of the net would have more than 32768 lines in one direction.");
        const auto count = static_cast<std::int32_t>(below);
        for (std::int32_t k = 1; k <= count; ++k) appendLine(lines, at(1) - (count + 1 - k) * d1);
    } else if (lo > g[2]) {
        for (std::int32_t k = 2; k <= n + 1; ++k) {
            if (g[static_cast<std::size_t>(k)] >= lo) {
                first = g[static_cast<std::size_t>(k)] == lo ? k : k - 1;
                break;
            }
        }
    }
    std::int32_t last = n + 1;
    if (hi < g[static_cast<std::size_t>(n) + 1]) {
        for (std::int32_t k = 1; k <= n + 1; ++k) {
            if (g[static_cast<std::size_t>(k)] > hi) {
                last = k;
                break;
            }
        }
    }
    for (std::int32_t k = first; k <= last; ++k) appendLine(lines, at(k));
    if (hi > g[static_cast<std::size_t>(n) + 1]) {
        double above = std::floor((static_cast<double>(hi) - at(n + 1)) / dn + 0.5);
        if (above < 1.0) above = 1.0;
        if (above > kMaxNetCount) rt::raise(6, "The grid of the net would have more than 32768 lines in one direction.");
        const auto count = static_cast<std::int32_t>(above);
        for (std::int32_t k = 1; k <= count; ++k) appendLine(lines, at(n + 1) + k * dn);
    }
    // A slab of no width below the first project line: one more line, so
    // the grid always has an interval.
    if (lines.size() < 3) appendLine(lines, static_cast<double>(lines.back()) + dn);
    // Lines that fall together in single precision (a spacing far below the
    // coordinates' resolution) would stall the tracing.
    for (std::size_t k = 2; k < lines.size(); ++k)
        if (!(lines[k] > lines[k - 1]))
            rt::raise(5, "The grid lines are too close together for the size of their coordinates.");
    return lines;
}

SlabExtent MeasureSlabExtent() {
    const BasGridBased& g = basGridBased();
    const BasDelaunay& m = basDelaunay();
    if (g.KeyPointCount < 1) rt::raise(9, "The slab has no point to build a grid-based net on.");
    SlabExtent e;
    e.XMin = e.XMax = g.KeyPoints[1].X;
    e.YMin = e.YMax = g.KeyPoints[1].Y;
    for (std::int32_t k = 2; k <= g.KeyPointCount; ++k)
        widen(e, g.KeyPoints[static_cast<std::size_t>(k)].X, g.KeyPoints[static_cast<std::size_t>(k)].Y);
    for (std::int32_t p = 1; p <= m.MeshOutlineCount; ++p) widenByArc(e, m.MeshOutline[static_cast<std::size_t>(p)]);
    for (std::int32_t o = 1; o <= m.MeshOpeningCount; ++o)
        for (std::int32_t p = 1; p <= m.MeshOpeningPieceCount[static_cast<std::size_t>(o)]; ++p)
            widenByArc(e, m.MeshOpenings[static_cast<std::size_t>(o)][static_cast<std::size_t>(p)]);
    return e;
}

void CollectKeyPointsAndGrid() {
    BasDelaunay& m = basDelaunay();
    BasGridBased& g = basGridBased();
    m.MeshElementCount = 0;
    m.MeshElementList.assign(1, NetElement{});
    m.MeshNodeCount = 0;
    m.MeshNodeX.assign(1, 0.0f);
    m.MeshNodeY.assign(1, 0.0f);
    m.FixedNodeCount = 0;
    m.FixedNodes.assign(1, 0);
    m.ConstraintEdgeCount = 0;
    m.ConstraintEdges.assign(1, {0, 0});
    g.ConstraintKeys.assign(1, {0, 0});
    g.KeyPointCount = 0;
    g.KeyPoints.assign(1, halvex::SinglePoint{});

    for (std::int32_t p = 1; p <= m.MeshOutlineCount; ++p) {
        const OutlinePiece& piece = m.MeshOutline[static_cast<std::size_t>(p)];
        FindOrAddKeyPoint(halvex::SinglePoint{piece.X1, piece.Y1});
    }
    for (std::int32_t o = 1; o <= m.MeshOpeningCount; ++o) {
        for (std::int32_t p = 1; p <= m.MeshOpeningPieceCount[static_cast<std::size_t>(o)]; ++p) {
            const OutlinePiece& piece = m.MeshOpenings[static_cast<std::size_t>(o)][static_cast<std::size_t>(p)];
            FindOrAddKeyPoint(halvex::SinglePoint{piece.X1, piece.Y1});
        }
    }
    for (std::int32_t l = 1; l <= m.MeshLineCount; ++l) {
        FindOrAddKeyPoint(m.MeshLineStart[static_cast<std::size_t>(l)]);
        FindOrAddKeyPoint(m.MeshLineEnd[static_cast<std::size_t>(l)]);
    }
    for (std::int32_t s = 1; s <= m.MeshPointCount; ++s) {
        const std::int16_t key = FindOrAddKeyPoint(m.MeshPoints[static_cast<std::size_t>(s)]);
        m.FixedNodeCount = nextCount(m.FixedNodeCount, "number of fixed nodes");
        m.FixedNodes.push_back(key);
    }
    g.InputKeyCount = g.KeyPointCount;

    const SlabExtent extent = MeasureSlabExtent();
    g.GridLineX = ExtendGridLines(m.MeshGridX, m.MeshGridCountX, extent.XMin, extent.XMax);
    g.GridLineY = ExtendGridLines(m.MeshGridY, m.MeshGridCountY, extent.YMin, extent.YMax);
    g.GridIntervalsX = static_cast<std::int16_t>(g.GridLineX.size() - 2);
    g.GridIntervalsY = static_cast<std::int16_t>(g.GridLineY.size() - 2);
    g.GridSpacingX = spacingsOf(g.GridLineX);
    g.GridSpacingY = spacingsOf(g.GridLineY);
    const long long points = (static_cast<long long>(g.GridIntervalsX) + 2) * (static_cast<long long>(g.GridIntervalsY) + 2);
    if (points > kMaxGridPoints)
        rt::raise(6, "The grid of the net would have " + std::to_string(points) +
                         " points; the grid lines are too dense for the size of the slab.");
    g.GridNodeNumber.create(g.GridIntervalsX + 1, g.GridIntervalsY + 1);
    g.GridPointUsed.create(g.GridIntervalsX + 1, g.GridIntervalsY + 1);
}

}  // namespace orvelo
