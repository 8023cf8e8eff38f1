#include "orvelo/gridmesh/grid_regions.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <memory>
#include <vector>

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

// The straight steps by which the inside test follows a piece: the piece
// itself, or an arc in steps of at most 1/64 of a quarter turn, from its
// start to its end.
template <class Take>
void pieceSteps(const OutlinePiece& piece, const Take& take) {
    const double radius = std::hypot(static_cast<double>(piece.X1) - piece.XC, static_cast<double>(piece.Y1) - piece.YC);
    if (!piece.IsArc || !(radius <= 10000.0)) {
        take(piece.X1, piece.Y1, piece.X2, piece.Y2);
        return;
    }
    float low = 0.0f;
    float high = 0.0f;
    ArcAngleRange(piece, low, high);
    const int steps = std::max(1, static_cast<int>(std::ceil((high - low) / (90.0f / 64.0f))));
    const double from = piece.Direction ? low : high;
    const double to = piece.Direction ? high : low;
    double ax = piece.X1;
    double ay = piece.Y1;
    for (int k = 1; k <= steps; ++k) {
        const double angle = (from + (to - from) * k / steps) * M_PI / 180.0;
        const double bx = k == steps ? piece.X2 : piece.XC + radius * std::cos(angle);
        const double by = k == steps ? piece.Y2 : piece.YC + radius * std::sin(angle);
        take(ax, ay, bx, by);
        ax = bx;
        ay = by;
    }
}

// Flips `inside` when the ray from (x, y) towards +x crosses the step.
void crossStep(double ax, double ay, double bx, double by, double x, double y, bool& inside) {
    if ((ay > y) != (by > y) && x < ax + (y - ay) * (bx - ax) / (by - ay)) inside = !inside;
}

// Every piece of the outline and of the openings, in order.
template <class Visit>
void eachBorderPiece(const BasDelaunay& m, const Visit& visit) {
    for (std::size_t p = 1; p <= static_cast<std::size_t>(m.MeshOutlineCount) && p < m.MeshOutline.size(); ++p) visit(m.MeshOutline[p]);
    for (std::size_t o = 1; o <= static_cast<std::size_t>(m.MeshOpeningCount) && o < m.MeshOpenings.size(); ++o)
        for (std::size_t p = 1; p <= static_cast<std::size_t>(m.MeshOpeningPieceCount[o]) && p < m.MeshOpenings[o].size(); ++p)
            visit(m.MeshOpenings[o][p]);
}

bool isRoundArc(const OutlinePiece& p) {
    return p.IsArc && std::hypot(static_cast<double>(p.X1) - p.XC, static_cast<double>(p.Y1) - p.YC) <= 10000.0;
}

}  // namespace

// The steps of the inside test in horizontal bands, and the pieces in
// square cells (a straight piece by its box, an arc by the box of its
// circle, each widened by the coincidence tolerance).
struct BorderIndex {
    struct Step {
        double ax, ay, bx, by;
    };
    std::vector<Step> steps;
    double bandFrom = 0.0, bandHeight = 1.0;
    std::int32_t bandCount = 0;
    std::vector<std::vector<std::int32_t>> bands;

    std::vector<const OutlinePiece*> pieces;
    double cellX0 = 0.0, cellY0 = 0.0, cellSize = 1.0;
    std::int32_t cellsX = 0, cellsY = 0;
    std::vector<std::vector<std::int32_t>> cells;
    mutable std::vector<std::uint32_t> seen;
    mutable std::uint32_t stamp = 0;

    std::int32_t band(double y) const {
        const double b = std::floor((y - bandFrom) / bandHeight);
        return static_cast<std::int32_t>(std::clamp(b, 0.0, static_cast<double>(bandCount - 1)));
    }
    std::int32_t cellX(double x) const {
        return static_cast<std::int32_t>(std::clamp(std::floor((x - cellX0) / cellSize), 0.0, static_cast<double>(cellsX - 1)));
    }
    std::int32_t cellY(double y) const {
        return static_cast<std::int32_t>(std::clamp(std::floor((y - cellY0) / cellSize), 0.0, static_cast<double>(cellsY - 1)));
    }
    bool outsideCells(double x0, double y0, double x1, double y1) const {
        return cellsX == 0 || x1 < cellX0 || y1 < cellY0 || x0 > cellX0 + cellSize * cellsX || y0 > cellY0 + cellSize * cellsY;
    }

    bool inside(double x, double y) const {
        bool in = false;
        if (bandCount == 0) return false;
        for (const std::int32_t k : bands[static_cast<std::size_t>(band(y))]) {
            const Step& s = steps[static_cast<std::size_t>(k)];
            crossStep(s.ax, s.ay, s.bx, s.by, x, y, in);
        }
        return in;
    }

    // Whether the test holds for a piece whose cell box meets the box.
    template <class Test>
    bool anyNear(double x0, double y0, double x1, double y1, const Test& test) const {
        if (outsideCells(x0, y0, x1, y1)) return false;
        if (++stamp == 0) {
            std::fill(seen.begin(), seen.end(), 0u);
            stamp = 1;
        }
        for (std::int32_t j = cellY(y0); j <= cellY(y1); ++j)
            for (std::int32_t i = cellX(x0); i <= cellX(x1); ++i)
                for (const std::int32_t k : cells[static_cast<std::size_t>(j) * static_cast<std::size_t>(cellsX) + static_cast<std::size_t>(i)]) {
                    if (seen[static_cast<std::size_t>(k)] == stamp) continue;
                    seen[static_cast<std::size_t>(k)] = stamp;
                    if (test(*pieces[static_cast<std::size_t>(k)])) return true;
                }
        return false;
    }
};

void BuildBorderIndex() {
    const BasDelaunay& m = basDelaunay();
    auto index = std::make_shared<BorderIndex>();
    const double tol = CoincidenceTolerance();
    double x0 = INFINITY, y0 = INFINITY, x1 = -INFINITY, y1 = -INFINITY;
    std::vector<std::array<double, 4>> boxes;
    eachBorderPiece(m, [&](const OutlinePiece& p) {
        pieceSteps(p, [&](double ax, double ay, double bx, double by) { index->steps.push_back({ax, ay, bx, by}); });
        std::array<double, 4> box{std::min<double>(p.X1, p.X2), std::min<double>(p.Y1, p.Y2), std::max<double>(p.X1, p.X2),
                                  std::max<double>(p.Y1, p.Y2)};
        if (isRoundArc(p)) {
            const double r = std::hypot(static_cast<double>(p.X1) - p.XC, static_cast<double>(p.Y1) - p.YC);
            box = {p.XC - r, p.YC - r, p.XC + r, p.YC + r};
        }
        box = {box[0] - tol, box[1] - tol, box[2] + tol, box[3] + tol};
        x0 = std::min(x0, box[0]), y0 = std::min(y0, box[1]), x1 = std::max(x1, box[2]), y1 = std::max(y1, box[3]);
        boxes.push_back(box);
        index->pieces.push_back(&p);
    });
    if (index->pieces.empty() || !std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1)) {
        basGridBased().BorderPieces.reset();
        return;
    }
    // Bands of the inside test: about one step in each.
    double sy0 = INFINITY, sy1 = -INFINITY;
    for (const BorderIndex::Step& s : index->steps) sy0 = std::min({sy0, s.ay, s.by}), sy1 = std::max({sy1, s.ay, s.by});
    index->bandCount = static_cast<std::int32_t>(std::clamp<std::size_t>(index->steps.size(), 1, 1 << 16));
    index->bandFrom = sy0;
    index->bandHeight = sy1 > sy0 ? (sy1 - sy0) / index->bandCount : 1.0;
    index->bands.resize(static_cast<std::size_t>(index->bandCount));
    for (std::size_t k = 0; k < index->steps.size(); ++k) {
        const BorderIndex::Step& s = index->steps[k];
        for (std::int32_t b = index->band(std::min(s.ay, s.by)); b <= index->band(std::max(s.ay, s.by)); ++b)
            index->bands[static_cast<std::size_t>(b)].push_back(static_cast<std::int32_t>(k));
    }
    // Cells of the piece tests: about four per piece, no finer than 1/2048
    // of the extent.
    const double width = x1 - x0, height = y1 - y0;
    const double cell = std::max({std::sqrt(width * height / (4.0 * static_cast<double>(index->pieces.size()))),
                                  std::max(width, height) / 2048.0, tol});
    index->cellX0 = x0;
    index->cellY0 = y0;
    index->cellSize = cell;
    index->cellsX = static_cast<std::int32_t>(std::floor(width / cell)) + 1;
    index->cellsY = static_cast<std::int32_t>(std::floor(height / cell)) + 1;
    index->cells.resize(static_cast<std::size_t>(index->cellsX) * static_cast<std::size_t>(index->cellsY));
    for (std::size_t k = 0; k < boxes.size(); ++k)
        for (std::int32_t j = index->cellY(boxes[k][1]); j <= index->cellY(boxes[k][3]); ++j)
            for (std::int32_t i = index->cellX(boxes[k][0]); i <= index->cellX(boxes[k][2]); ++i)
                index->cells[static_cast<std::size_t>(j) * static_cast<std::size_t>(index->cellsX) + static_cast<std::size_t>(i)].push_back(
                    static_cast<std::int32_t>(k));
    index->seen.assign(index->pieces.size(), 0u);
    basGridBased().BorderPieces = std::move(index);
}

void ClearBorderIndex() { basGridBased().BorderPieces.reset(); }

bool InsideSlabPieces(double x, double y) {
    const BasDelaunay& m = basDelaunay();
    if (m.MeshOutlineCount < 1) return true;  // no pieces: the regions alone judge
    if (const BorderIndex* index = basGridBased().BorderPieces.get()) return index->inside(x, y);
    // One parity over every loop: an opening flips it like an outline loop.
    bool inside = false;
    eachBorderPiece(m, [&](const OutlinePiece& piece) {
        pieceSteps(piece, [&](double ax, double ay, double bx, double by) { crossStep(ax, ay, bx, by, x, y, inside); });
    });
    return inside;
}

// Whether the test holds for some piece of the outline or of an opening
// (through the index: for a piece near the box).
template <class Test>
bool anyBorderPiece(double x0, double y0, double x1, double y1, const Test& test) {
    if (const BorderIndex* index = basGridBased().BorderPieces.get()) return index->anyNear(x0, y0, x1, y1, test);
    bool found = false;
    eachBorderPiece(basDelaunay(), [&](const OutlinePiece& p) { found = found || test(p); });
    return found;
}

namespace {

// Whether (x, y) lies within tol of the piece (an arc: of its circle within
// its sweep, or of an end; the rest of the circle may run through the slab).
bool onPiece(const OutlinePiece& p, double x, double y, double tol) {
    if (isRoundArc(p)) {
        const double radius = std::hypot(static_cast<double>(p.X1) - p.XC, static_cast<double>(p.Y1) - p.YC);
        if (std::fabs(std::hypot(x - p.XC, y - p.YC) - radius) > tol) return false;
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
}

}  // namespace

bool InsideSlabOrOnBorder(double x, double y) {
    if (InsideSlabPieces(x, y)) return true;
    const double tol = CoincidenceTolerance();
    return anyBorderPiece(x, y, x, y, [&](const OutlinePiece& p) { return onPiece(p, x, y, tol); });
}

void ForEachBorderPieceAt(double x, double y, const std::function<void(const OutlinePiece&)>& visit) {
    const double tol = CoincidenceTolerance();
    anyBorderPiece(x, y, x, y, [&](const OutlinePiece& p) {
        if (onPiece(p, x, y, tol)) visit(p);
        return false;
    });
}

double ShortestBorderPieceNear(double x, double y, double within) {
    double shortest = INFINITY;
    anyBorderPiece(x - within, y - within, x + within, y + within, [&](const OutlinePiece& p) {
        const double dx = static_cast<double>(p.X2) - p.X1, dy = static_cast<double>(p.Y2) - p.Y1;
        const double length = std::hypot(dx, dy);
        const double t = length > 0.0 ? std::clamp(((x - p.X1) * dx + (y - p.Y1) * dy) / (length * length), 0.0, 1.0) : 0.0;
        if (std::hypot(p.X1 + t * dx - x, p.Y1 + t * dy - y) <= within) shortest = std::min(shortest, length);
        return false;
    });
    return shortest;
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
    return anyBorderPiece(std::min(ax, bx), std::min(ay, by), std::max(ax, bx), std::max(ay, by), [&](const OutlinePiece& p) {
        if (isRoundArc(p)) return throughArc(p);
        return !p.IsArc && apart(ax, ay, bx, by, p.X1, p.Y1, p.X2, p.Y2) && apart(p.X1, p.Y1, p.X2, p.Y2, ax, ay, bx, by);
    });
}

bool BorderSideLeavesSlab(double ax, double ay, double bx, double by) {
    if (CrossesSlabBorder(ax, ay, bx, by) || !InsideSlabOrOnBorder((ax + bx) / 2.0, (ay + by) / 2.0)) return true;
    const double tol = CoincidenceTolerance();
    const double dx = bx - ax, dy = by - ay;
    const double squared = dx * dx + dy * dy;
    // The segment meeting an arc's circle away from its own ends at a point of
    // the arc (clear of the arc's ends), with the part on either side of that
    // point, tested at its middle, off the slab: the segment passes through
    // the arc out of the slab (a convex arc, or into the notch between two).
    const auto acrossArc = [&](const OutlinePiece& p) {
        if (!(squared > 0.0)) return false;
        const double fx = ax - p.XC, fy = ay - p.YC;
        const double radius = std::hypot(static_cast<double>(p.X1) - p.XC, static_cast<double>(p.Y1) - p.YC);
        const double b = fx * dx + fy * dy, c = fx * fx + fy * fy - radius * radius;
        const double disc = b * b - squared * c;
        if (!(disc > 0.0)) return false;
        const double margin = tol / std::sqrt(squared);
        for (const double t : {(-b - std::sqrt(disc)) / squared, (-b + std::sqrt(disc)) / squared}) {
            if (!(t > margin && t < 1.0 - margin)) continue;
            const double x = ax + t * dx, y = ay + t * dy;
            if (std::hypot(x - p.X1, y - p.Y1) <= tol || std::hypot(x - p.X2, y - p.Y2) <= tol) continue;
            if (!onPiece(p, x, y, tol)) continue;
            if (!InsideSlabOrOnBorder(ax + t / 2.0 * dx, ay + t / 2.0 * dy) ||
                !InsideSlabOrOnBorder(ax + (1.0 + t) / 2.0 * dx, ay + (1.0 + t) / 2.0 * dy))
                return true;
        }
        return false;
    };
    return anyBorderPiece(std::min(ax, bx), std::min(ay, by), std::max(ax, bx), std::max(ay, by),
                          [&](const OutlinePiece& p) { return isRoundArc(p) && acrossArc(p); });
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
