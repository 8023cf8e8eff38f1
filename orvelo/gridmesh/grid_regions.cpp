#include "orvelo/gridmesh/grid_regions.h"

#include <algorithm>
#include <cmath>

#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/units.h"
#include "orvelo/gridmesh/key_points.h"
#include "orvelo/gridmesh/bas_grid_based.h"
#include "outside/drovik/region_test.h"
#include "platform/runtime/rounding.h"

namespace orvelo {

namespace {

// The process-wide region test, made on first use.
const drovik::ClsRegionTest& regionTest() {
    static const drovik::ClsRegionTest test;
    return test;
}

// Flips `inside` for every crossing of the ray from (x, y) towards +x with
// the piece.
void crossPiece(const OutlinePiece& piece, double x, double y, bool& inside) {
    const auto cross = [&](double ax, double ay, double bx, double by) {
        if ((ay > y) != (by > y) && x < ax + (y - ay) * (bx - ax) / (by - ay)) inside = !inside;
    };
    const double radius = std::hypot(static_cast<double>(piece.X1) - piece.XC, static_cast<double>(piece.Y1) - piece.YC);
    if (!piece.IsArc || !(radius <= 10000.0)) {
        cross(piece.X1, piece.Y1, piece.X2, piece.Y2);
        return;
    }
    float low = 0.0f;
    float high = 0.0f;
    ArcAngleRange(piece, low, high);
    const int steps = std::max(1, static_cast<int>(std::ceil((high - low) / (90.0f / 64.0f))));
    // From the start to the end along the arc.
    const double from = piece.Direction ? low : high;
    const double to = piece.Direction ? high : low;
    double ax = piece.X1;
    double ay = piece.Y1;
    for (int k = 1; k <= steps; ++k) {
        const double angle = (from + (to - from) * k / steps) * M_PI / 180.0;
        const double bx = k == steps ? piece.X2 : piece.XC + radius * std::cos(angle);
        const double by = k == steps ? piece.Y2 : piece.YC + radius * std::sin(angle);
        cross(ax, ay, bx, by);
        ax = bx;
        ay = by;
    }
}

}  // namespace

bool InsideSlabPieces(double x, double y) {
    const BasDelaunay& m = basDelaunay();
    if (m.MeshOutlineCount < 1) return true;  // no pieces: the regions alone judge
    // One parity over every loop: an opening flips it like an outline loop.
    bool inside = false;
    for (std::size_t p = 1; p <= static_cast<std::size_t>(m.MeshOutlineCount) && p < m.MeshOutline.size(); ++p)
        crossPiece(m.MeshOutline[p], x, y, inside);
    for (std::size_t o = 1; o <= static_cast<std::size_t>(m.MeshOpeningCount) && o < m.MeshOpenings.size(); ++o)
        for (std::size_t p = 1; p <= static_cast<std::size_t>(m.MeshOpeningPieceCount[o]) && p < m.MeshOpenings[o].size(); ++p)
            crossPiece(m.MeshOpenings[o][p], x, y, inside);
    return inside;
}

// Whether the test holds for some piece of the outline or of an opening.
template <class Test>
bool anyBorderPiece(const Test& test) {
    const BasDelaunay& m = basDelaunay();
    for (std::size_t p = 1; p <= static_cast<std::size_t>(m.MeshOutlineCount) && p < m.MeshOutline.size(); ++p)
        if (test(m.MeshOutline[p])) return true;
    for (std::size_t o = 1; o <= static_cast<std::size_t>(m.MeshOpeningCount) && o < m.MeshOpenings.size(); ++o)
        for (std::size_t p = 1; p <= static_cast<std::size_t>(m.MeshOpeningPieceCount[o]) && p < m.MeshOpenings[o].size(); ++p)
            if (test(m.MeshOpenings[o][p])) return true;
    return false;
}

bool InsideSlabOrOnBorder(double x, double y) {
    if (InsideSlabPieces(x, y)) return true;
    const double tol = CoincidenceTolerance();
    const auto near = [&](const OutlinePiece& p) {
        const double radius = std::hypot(static_cast<double>(p.X1) - p.XC, static_cast<double>(p.Y1) - p.YC);
        if (p.IsArc && radius <= 10000.0) {
            if (std::fabs(std::hypot(x - p.XC, y - p.YC) - radius) > tol) return false;
            // Near the arc itself, not near the rest of its circle (which
            // may run through the slab): within its sweep, or near an end.
            float low = 0.0f;
            float high = 0.0f;
            ArcAngleRange(p, low, high);
            if (!(high > low)) return true;
            double angle = std::atan2(y - p.YC, x - p.XC) * 180.0 / M_PI;
            while (angle < low) angle += 360.0;
            while (angle >= static_cast<double>(low) + 360.0) angle -= 360.0;
            return angle <= high || std::hypot(x - p.X1, y - p.Y1) <= tol || std::hypot(x - p.X2, y - p.Y2) <= tol;
        }
        const double dx = static_cast<double>(p.X2) - p.X1, dy = static_cast<double>(p.Y2) - p.Y1;
        const double squared = dx * dx + dy * dy;
        const double t = squared > 0.0 ? std::clamp(((x - p.X1) * dx + (y - p.Y1) * dy) / squared, 0.0, 1.0) : 0.0;
        return std::hypot(p.X1 + t * dx - x, p.Y1 + t * dy - y) <= tol;
    };
    return anyBorderPiece(near);
}

bool CrossesSlabBorder(double ax, double ay, double bx, double by) {
    const double tol = CoincidenceTolerance();
    // Each end of one segment clearly on its own side of the other.
    const auto apart = [tol](double px, double py, double qx, double qy, double rx, double ry, double sx, double sy) {
        const double length = std::hypot(qx - px, qy - py);
        const double r = ((qx - px) * (ry - py) - (qy - py) * (rx - px)) / length;
        const double s = ((qx - px) * (sy - py) - (qy - py) * (sx - px)) / length;
        return (r > tol && s < -tol) || (r < -tol && s > tol);
    };
    // The segment's point nearest an arc's centre, away from its ends, off
    // the slab: the segment reaches through the arc into an opening (or out
    // of an outline bent inwards).
    const double dx = bx - ax, dy = by - ay;
    const double squared = dx * dx + dy * dy;
    const auto throughArc = [&](const OutlinePiece& p) {
        const double t = squared > 0.0 ? ((p.XC - ax) * dx + (p.YC - ay) * dy) / squared : 0.0;
        const double margin = tol / std::sqrt(std::max(squared, tol * tol));
        return t > margin && t < 1.0 - margin && !InsideSlabOrOnBorder(ax + t * dx, ay + t * dy);
    };
    return anyBorderPiece([&](const OutlinePiece& p) {
        if (p.IsArc && std::hypot(static_cast<double>(p.X1) - p.XC, static_cast<double>(p.Y1) - p.YC) <= 10000.0) return throughArc(p);
        return !p.IsArc && apart(ax, ay, bx, by, p.X1, p.Y1, p.X2, p.Y2) && apart(p.X1, p.Y1, p.X2, p.Y2, ax, ay, bx, by);
    });
}

bool InsideSlabOutline(std::int32_t x, std::int32_t y) {
    bool inside = false;
    regionTest().PointInRegion(basGridBased().SlabRegion, x, y, inside);
    return inside;
}

bool InsideSlabRegions(std::int32_t x, std::int32_t y) {
    const BasGridBased& g = basGridBased();
    bool inside = InsideSlabOutline(x, y);
    const std::int32_t count = basDelaunay().MeshOpeningCount;
    for (std::int32_t o = 1; o <= count && static_cast<std::size_t>(o) < g.OpeningRegions.size(); ++o) {
        const std::int32_t region = g.OpeningRegions[static_cast<std::size_t>(o)];
        if (region != 0 && drovik::PtInRegion(region, x, y)) inside = !inside;
    }
    return inside;
}

namespace {

// How often the polygon of the corners holds the point (x, y) by the
// even-odd rule: 1 or 0, or -1 when the point lies on a side.
int holdsStrictly(const std::vector<halvex::POINTAPI>& corners, double x, double y) {
    const std::size_t n = corners.size();
    if (n < 3) return 0;
    bool inside = false;
    for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
        const double ax = corners[j].X, ay = corners[j].Y, bx = corners[i].X, by = corners[i].Y;
        const double cross = (bx - ax) * (y - ay) - (by - ay) * (x - ax);
        if (cross == 0.0 && x >= std::min(ax, bx) && x <= std::max(ax, bx) && y >= std::min(ay, by) &&
            y <= std::max(ay, by))
            return -1;
        if ((ay > y) != (by > y) && x < ax + (y - ay) * (bx - ax) / (by - ay)) inside = !inside;
    }
    return inside ? 1 : 0;
}

}  // namespace

bool InsideSlabRegionsAt(double x, double y) {
    if (InsideSlabRegions(rt::CLng(x), rt::CLng(y))) return true;
    const BasGridBased& g = basGridBased();
    if (g.TracedRegionCorners.empty() || g.TracedRegionCorners[0].empty()) return false;
    const std::size_t openings = std::min(g.TracedRegionCorners.size(), g.OpeningRegions.size());
    bool inside = false;
    for (std::size_t o = 0; o < openings; ++o) {
        if (o > 0 && (o > static_cast<std::size_t>(basDelaunay().MeshOpeningCount) || g.OpeningRegions[o] == 0)) continue;
        const int held = holdsStrictly(g.TracedRegionCorners[o], x, y);
        if (held < 0) return false;  // on a side: the rounded test stands
        if (held == 1) inside = !inside;
    }
    return inside;
}

void MakeTracedRegion(std::int32_t opening) {
    BasGridBased& g = basGridBased();
    const std::int32_t region = drovik::CreatePolygonRgn(g.RegionPoints.data() + 1, g.RegionPointCount, drovik::ALTERNATE);
    if (g.TracedRegionCorners.size() <= static_cast<std::size_t>(opening))
        g.TracedRegionCorners.resize(static_cast<std::size_t>(opening) + 1);
    g.TracedRegionCorners[static_cast<std::size_t>(opening)].assign(
        g.RegionPoints.begin() + 1, g.RegionPoints.begin() + 1 + std::max<std::int16_t>(g.RegionPointCount, 0));
    if (opening == 0) {
        g.SlabRegion = region;
        return;
    }
    if (g.OpeningRegions.size() <= static_cast<std::size_t>(opening))
        g.OpeningRegions.resize(static_cast<std::size_t>(opening) + 1, 0);
    g.OpeningRegions[static_cast<std::size_t>(opening)] = region;
}

void DeleteGridRegions() {
    BasGridBased& g = basGridBased();
    if (g.SlabRegion != 0) drovik::DeleteObject(g.SlabRegion);
    g.SlabRegion = 0;
    g.TracedRegionCorners.clear();
    for (std::size_t o = 1; o < g.OpeningRegions.size(); ++o) {
        if (g.OpeningRegions[o] != 0) drovik::DeleteObject(g.OpeningRegions[o]);
        g.OpeningRegions[o] = 0;
    }
}

}  // namespace orvelo
