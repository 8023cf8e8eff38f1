#include "orvelo/gridmesh/fill_leftover.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/classify.h"
#include "orvelo/delaunay/edge_recovery.h"
#include "orvelo/delaunay/kernel.h"
#include "orvelo/delaunay/links.h"
#include "orvelo/delaunay/progress.h"
#include "orvelo/delaunay/units.h"
#include "orvelo/gridmesh/bas_grid_based.h"
#include "orvelo/gridmesh/grid_regions.h"
#include "orvelo/gridmesh/key_points.h"
#include "orvelo/gridmesh/snapping.h"
#include "orvelo/project/services.h"
#include "outside/quillon/language_text.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/numbertext.h"

namespace orvelo {

namespace {

// Points along an arc of the border stand no more than this apart (degrees).
constexpr double kArcStepDeg = 90.0 / 8.0;

struct FillPoint {
    float x = 0.0f;
    float y = 0.0f;
    std::int16_t node = 0;  // the net node standing there, 0 for a new one
};

// The points of the fill, found again within a distance through square
// cells.
class FillPoints {
public:
    explicit FillPoints(double tol) : tol_(tol), cell_(std::max(4.0 * tol, 1e-12)) {}

    // The point nearest (x, y) within `within`, or -1.
    std::int64_t find(double x, double y, double within) const {
        std::int64_t best = -1;
        double bestDistance = within;
        const std::int64_t i = cellOf(x), j = cellOf(y);
        for (std::int64_t di = -1; di <= 1; ++di)
            for (std::int64_t dj = -1; dj <= 1; ++dj) {
                const auto found = cells_.find(key(i + di, j + dj));
                if (found == cells_.end()) continue;
                for (const std::size_t k : found->second) {
                    const double d = std::hypot(static_cast<double>(list[k].x) - x, static_cast<double>(list[k].y) - y);
                    if (d <= bestDistance) best = static_cast<std::int64_t>(k), bestDistance = d;
                }
            }
        return best;
    }

    // The point at (x, y): with merge, one within the tolerance is taken;
    // otherwise only one at the very same place.
    std::size_t add(float x, float y, std::int16_t node, bool merge) {
        const std::int64_t found = find(x, y, merge ? tol_ : 0.0);
        if (found >= 0) return static_cast<std::size_t>(found);
        list.push_back({x, y, node});
        cells_[key(cellOf(x), cellOf(y))].push_back(list.size() - 1);
        return list.size() - 1;
    }

    std::vector<FillPoint> list;

private:
    std::int64_t cellOf(double v) const { return static_cast<std::int64_t>(std::floor(v / cell_)); }
    static std::int64_t key(std::int64_t i, std::int64_t j) { return i * 2654435761LL + j; }

    double tol_;
    double cell_;
    std::unordered_map<std::int64_t, std::vector<std::size_t>> cells_;
};

bool isRoundArc(const OutlinePiece& p) {
    return p.IsArc && std::hypot(static_cast<double>(p.X1) - p.XC, static_cast<double>(p.Y1) - p.YC) <= 10000.0;
}

// Where (x, y) lies along the piece from its start: a share of a straight
// piece, degrees along an arc (its sweep from ArcAngleRange).
double alongPiece(const OutlinePiece& p, double x, double y) {
    if (!isRoundArc(p)) {
        const double dx = static_cast<double>(p.X2) - p.X1, dy = static_cast<double>(p.Y2) - p.Y1;
        const double squared = dx * dx + dy * dy;
        return squared > 0.0 ? std::clamp(((x - p.X1) * dx + (y - p.Y1) * dy) / squared, 0.0, 1.0) : 0.0;
    }
    float low = 0.0f;
    float high = 0.0f;
    ArcAngleRange(p, low, high);
    double angle = std::atan2(y - p.YC, x - p.XC) * 180.0 / M_PI;
    while (angle < low) angle += 360.0;
    while (angle >= static_cast<double>(low) + 360.0) angle -= 360.0;
    if (angle > high) angle = angle - high < static_cast<double>(low) + 360.0 - angle ? high : low;
    return p.Direction ? angle - low : high - angle;
}

// The border of the slab as segments between fill points: every piece from
// its start to its end through the points lying on it, an arc with further
// points where two are more than kArcStepDeg apart.
void borderSegments(FillPoints& points, const std::vector<std::size_t>& netPoints,
                    std::vector<std::pair<std::size_t, std::size_t>>& segments) {
    const double tol = CoincidenceTolerance();
    std::map<const OutlinePiece*, std::vector<std::size_t>> onPiece;
    for (const std::size_t k : netPoints)
        ForEachBorderPieceAt(points.list[k].x, points.list[k].y, [&](const OutlinePiece& p) { onPiece[&p].push_back(k); });
    const BasDelaunay& m = basDelaunay();
    const auto piece = [&](const OutlinePiece& p) {
        const std::size_t start = points.add(p.X1, p.Y1, 0, true);
        const std::size_t end = points.add(p.X2, p.Y2, 0, true);
        std::vector<std::pair<double, std::size_t>> chain;
        for (const std::size_t k : onPiece[&p])
            if (k != start && k != end) chain.emplace_back(alongPiece(p, points.list[k].x, points.list[k].y), k);
        std::sort(chain.begin(), chain.end());
        float low = 0.0f;
        float high = 0.0f;
        const bool arc = isRoundArc(p);
        if (arc) ArcAngleRange(p, low, high);
        chain.insert(chain.begin(), {0.0, start});
        chain.emplace_back(arc ? static_cast<double>(high) - low : 1.0, end);
        // Chords of an arc whose circle lies off the slab (an opening's, an
        // outline bent inwards) reach off it: their points stand so close
        // that a chord stays within half the tolerance of the arc.
        double arcStep = kArcStepDeg;
        const double radius = std::hypot(static_cast<double>(p.X1) - p.XC, static_cast<double>(p.Y1) - p.YC);
        if (arc) {
            const double middle = (p.Direction ? low + (high - low) / 2.0 : high - (high - low) / 2.0) * M_PI / 180.0;
            const double inwards = radius - std::min(0.25 * radius, std::max(8.0 * tol, 1e-3 * radius));
            if (!InsideSlabPieces(p.XC + inwards * std::cos(middle), p.YC + inwards * std::sin(middle)))
                arcStep = std::min(kArcStepDeg, 2.0 * std::acos(std::max(0.0, 1.0 - tol / 2.0 / radius)) * 180.0 / M_PI);
        }
        std::size_t previous = start;
        for (std::size_t c = 1; c < chain.size(); ++c) {
            if (arc) {
                const double from = chain[c - 1].first, to = chain[c].first;
                const int parts = std::min(512, static_cast<int>(std::ceil((to - from) / arcStep - 1e-9)));
                for (int q = 1; q < parts; ++q) {
                    const double at = from + (to - from) * q / parts;
                    const double angle = (p.Direction ? low + at : high - at) * M_PI / 180.0;
                    const std::size_t k = points.add(static_cast<float>(p.XC + radius * std::cos(angle)),
                                                     static_cast<float>(p.YC + radius * std::sin(angle)), 0, true);
                    if (k != previous) segments.emplace_back(previous, k);
                    previous = k;
                }
            }
            if (chain[c].second != previous) segments.emplace_back(previous, chain[c].second);
            previous = chain[c].second;
        }
    };
    for (std::size_t p = 1; p <= static_cast<std::size_t>(m.MeshOutlineCount) && p < m.MeshOutline.size(); ++p) piece(m.MeshOutline[p]);
    for (std::size_t o = 1; o <= static_cast<std::size_t>(m.MeshOpeningCount) && o < m.MeshOpenings.size(); ++o)
        for (std::size_t p = 1; p <= static_cast<std::size_t>(m.MeshOpeningPieceCount[o]) && p < m.MeshOpenings[o].size(); ++p)
            piece(m.MeshOpenings[o][p]);
}

// The border sides of the net as rows, each divided at the points of the
// fill that lie on it (within the tolerance, farther than it from its
// ends), which are added to `onSides`: an arc of the border running beside
// a side within the tolerance puts its points there. Each of them becomes
// a node, at which the net's elements are divided once the net is made
// whole (line_sides.h): the side then follows the arc through all its
// points, never by a chord past one of them (which would cut into an
// opening farther than the tolerance).
std::vector<std::pair<std::size_t, std::size_t>> dividedAtPoints(const FillPoints& points,
                                                                 const std::vector<std::pair<std::size_t, std::size_t>>& sides,
                                                                 double tol, std::vector<std::size_t>& onSides) {
    double total = 0.0;
    for (const auto& [a, b] : sides)
        total += std::hypot(static_cast<double>(points.list[b].x) - points.list[a].x, static_cast<double>(points.list[b].y) - points.list[a].y);
    const double cell = std::max({sides.empty() ? 0.0 : total / static_cast<double>(sides.size()), 4.0 * tol, 1e-9});
    const auto cellOf = [cell](double v) { return static_cast<std::int64_t>(std::floor(v / cell)); };
    const auto key = [](std::int64_t i, std::int64_t j) { return i * 2654435761LL + j; };
    std::unordered_map<std::int64_t, std::vector<std::size_t>> cells;
    for (std::size_t s = 0; s < sides.size(); ++s) {
        const FillPoint& a = points.list[sides[s].first];
        const FillPoint& b = points.list[sides[s].second];
        for (std::int64_t i = cellOf(std::min(a.x, b.x) - tol); i <= cellOf(std::max(a.x, b.x) + tol); ++i)
            for (std::int64_t j = cellOf(std::min(a.y, b.y) - tol); j <= cellOf(std::max(a.y, b.y) + tol); ++j) cells[key(i, j)].push_back(s);
    }
    std::vector<std::vector<std::pair<double, std::size_t>>> on(sides.size());
    for (std::size_t k = 0; k < points.list.size(); ++k) {
        const double px = points.list[k].x, py = points.list[k].y;
        const auto found = cells.find(key(cellOf(px), cellOf(py)));
        if (found == cells.end()) continue;
        for (const std::size_t s : found->second) {
            const auto [a, b] = sides[s];
            if (k == a || k == b) continue;
            const double ax = points.list[a].x, ay = points.list[a].y;
            const double dx = static_cast<double>(points.list[b].x) - ax, dy = static_cast<double>(points.list[b].y) - ay;
            const double length = std::hypot(dx, dy);
            if (!(length > 0.0)) continue;
            const double along = ((px - ax) * dx + (py - ay) * dy) / length;
            if (along > tol && along < length - tol && std::fabs((px - ax) * dy - (py - ay) * dx) / length <= tol) on[s].emplace_back(along, k);
        }
    }
    std::vector<std::pair<std::size_t, std::size_t>> rows;
    for (std::size_t s = 0; s < sides.size(); ++s) {
        std::sort(on[s].begin(), on[s].end());
        std::size_t previous = sides[s].first;
        for (const auto& [along, k] : on[s]) rows.emplace_back(previous, k), previous = k, onSides.push_back(k);
        rows.emplace_back(previous, sides[s].second);
    }
    return rows;
}

// The mesher's net set aside while the scratch triangulation runs in the
// module data, and put back on every way out. The scratch data keeps its
// room for the next scratch triangulation.
class ScratchMesher {
public:
    ScratchMesher() : saved_(std::move(basDelaunay())) {
        basDelaunay() = std::move(scratchRoom());
        ClearKeepingRoom(basDelaunay());
    }
    ~ScratchMesher() {
        scratchRoom() = std::move(basDelaunay());
        basDelaunay() = std::move(saved_);
    }
    ScratchMesher(const ScratchMesher&) = delete;
    ScratchMesher& operator=(const ScratchMesher&) = delete;

private:
    static BasDelaunay& scratchRoom() {
        static BasDelaunay room;
        return room;
    }
    BasDelaunay saved_;
};

struct ScratchResult {
    std::vector<std::array<std::int16_t, 3>> triangles;  // scratch node numbers
    std::vector<FillPoint> nodes;                        // scratch nodes 1.., index 0 unused
    bool stopped = false;
};

// The constrained triangulation of the points (scratch nodes 5..) with the
// rows, and its triangles inside by the even-odd rule over the rows.
ScratchResult triangulate(const std::vector<FillPoint>& points, const EdgeList& rows) {
    ScratchResult result;
    const ScratchMesher scratch;
    BasDelaunay& m = basDelaunay();
    InitStartTriangulation();
    for (const FillPoint& p : points) AppendNode(p.x, p.y);
    StretchStartRectangle();
    ComputeCircumcircle(1);
    ComputeCircumcircle(2);
    RebuildLinks(m);
    for (std::int32_t node = 5; node <= m.MeshNodeCount; ++node) InsertNodeNear(static_cast<std::int16_t>(node), 0);
    const double tol = CoincidenceTolerance();
    for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) ComputeElementCircle(m, e, tol);
    m.BoundaryEdges = rows;
    m.BoundaryEdgeCount = static_cast<std::int16_t>(rows.size() - 1);
    mesher::SetProgressMax(static_cast<std::int64_t>(m.BoundaryEdgeCount) * 2 + 2);
    RecoverConstraintEdges(m.BoundaryEdges, m.BoundaryEdgeCount);
    if (mesher::StopRequested(false)) {
        result.stopped = true;
        return result;
    }
    ClassifyInsideElements();
    if (mesher::StopRequested(false)) {
        result.stopped = true;
        return result;
    }
    for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) {
        const NetElement& t = m.MeshElementList[static_cast<std::size_t>(e)];
        if (t.CornerCount != 3 || t.Node[1] <= 4 || t.Node[2] <= 4 || t.Node[3] <= 4) continue;
        result.triangles.push_back({t.Node[1], t.Node[2], t.Node[3]});
    }
    result.nodes.resize(static_cast<std::size_t>(m.MeshNodeCount) + 1);
    for (std::int32_t n = 1; n <= m.MeshNodeCount; ++n)
        result.nodes[static_cast<std::size_t>(n)] = {m.MeshNodeX[static_cast<std::size_t>(n)], m.MeshNodeY[static_cast<std::size_t>(n)], 0};
    return result;
}

// The elements of the net by square cells, to tell whether a point lies
// clearly inside one of them.
class ElementCells {
public:
    explicit ElementCells(const BasDelaunay& m) : m_(m), count_(m.MeshElementCount) {
        double total = 0.0;
        for (std::int32_t e = 1; e <= count_; ++e) {
            const auto [x0, y0, x1, y1] = box(e);
            total += std::max(x1 - x0, y1 - y0);
        }
        cell_ = count_ > 0 ? std::max(total / count_, 1e-9) : 1.0;
        for (std::int32_t e = 1; e <= count_; ++e) {
            const auto [x0, y0, x1, y1] = box(e);
            for (std::int64_t i = cellOf(x0); i <= cellOf(x1); ++i)
                for (std::int64_t j = cellOf(y0); j <= cellOf(y1); ++j) cells_[key(i, j)].push_back(e);
        }
    }

    bool clearlyInside(double x, double y, double tol) const {
        const auto found = cells_.find(key(cellOf(x), cellOf(y)));
        if (found == cells_.end()) return false;
        for (const std::int32_t e : found->second) {
            const NetElement& t = m_.MeshElementList[static_cast<std::size_t>(e)];
            bool inside = true;
            for (std::int32_t k = 1; k <= t.CornerCount && inside; ++k) {
                const auto a = static_cast<std::size_t>(t.Node[static_cast<std::size_t>(k)]);
                const auto b = static_cast<std::size_t>(t.Node[static_cast<std::size_t>(k % t.CornerCount + 1)]);
                const double ax = m_.MeshNodeX[a], ay = m_.MeshNodeY[a], bx = m_.MeshNodeX[b], by = m_.MeshNodeY[b];
                inside = (bx - ax) * (y - ay) - (by - ay) * (x - ax) > tol * std::hypot(bx - ax, by - ay);
            }
            if (inside) return true;
        }
        return false;
    }

private:
    std::array<double, 4> box(std::int32_t e) const {
        const NetElement& t = m_.MeshElementList[static_cast<std::size_t>(e)];
        std::array<double, 4> b{INFINITY, INFINITY, -INFINITY, -INFINITY};
        for (std::int32_t k = 1; k <= t.CornerCount; ++k) {
            const auto n = static_cast<std::size_t>(t.Node[static_cast<std::size_t>(k)]);
            b = {std::min<double>(b[0], m_.MeshNodeX[n]), std::min<double>(b[1], m_.MeshNodeY[n]), std::max<double>(b[2], m_.MeshNodeX[n]),
                 std::max<double>(b[3], m_.MeshNodeY[n])};
        }
        return b;
    }
    std::int64_t cellOf(double v) const { return static_cast<std::int64_t>(std::floor(v / cell_)); }
    static std::int64_t key(std::int64_t i, std::int64_t j) { return i * 2654435761LL + j; }

    const BasDelaunay& m_;
    std::int32_t count_;
    double cell_ = 1.0;
    std::unordered_map<std::int64_t, std::vector<std::int32_t>> cells_;
};

double elementArea(const BasDelaunay& m, const NetElement& t) {
    double twice = 0.0;
    for (std::int32_t k = 1; k <= t.CornerCount; ++k) {
        const auto a = static_cast<std::size_t>(t.Node[static_cast<std::size_t>(k)]);
        const auto b = static_cast<std::size_t>(t.Node[static_cast<std::size_t>(k % t.CornerCount + 1)]);
        twice += static_cast<double>(m.MeshNodeX[a]) * m.MeshNodeY[b] - static_cast<double>(m.MeshNodeX[b]) * m.MeshNodeY[a];
    }
    return twice / 2.0;
}

}  // namespace

bool FillLeftoverParts() {
    BasDelaunay& m = basDelaunay();
    const double tol = CoincidenceTolerance();

    // The net's border sides (held by one element), as they run in it.
    std::unordered_map<std::uint32_t, std::int32_t> holders;
    std::vector<bool> used(static_cast<std::size_t>(m.MeshNodeCount) + 1, false);
    const auto sideKey = [](std::int16_t a, std::int16_t b) {
        return static_cast<std::uint32_t>(std::min(a, b)) << 16 | static_cast<std::uint32_t>(std::max(a, b));
    };
    for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) {
        const NetElement& t = m.MeshElementList[static_cast<std::size_t>(e)];
        for (std::int32_t k = 1; k <= t.CornerCount; ++k) {
            used[static_cast<std::size_t>(t.Node[static_cast<std::size_t>(k)])] = true;
            ++holders[sideKey(t.Node[static_cast<std::size_t>(k)], t.Node[static_cast<std::size_t>(k % t.CornerCount + 1)])];
        }
    }

    // The points: the ends of the border sides, the unused nodes in the
    // slab, then the border of the slab.
    FillPoints points(tol);
    std::vector<std::int64_t> pointOfNode(used.size(), -1);
    std::vector<std::size_t> netPoints;
    const auto takeNode = [&](std::int16_t n) {
        if (pointOfNode[static_cast<std::size_t>(n)] >= 0) return;
        const std::size_t k = points.add(m.MeshNodeX[static_cast<std::size_t>(n)], m.MeshNodeY[static_cast<std::size_t>(n)], n, false);
        pointOfNode[static_cast<std::size_t>(n)] = static_cast<std::int64_t>(k);
        netPoints.push_back(k);
    };
    std::vector<std::pair<std::int16_t, std::int16_t>> netBorder;
    for (const auto& [side, count] : holders) {
        if (count != 1) continue;
        netBorder.emplace_back(static_cast<std::int16_t>(side >> 16), static_cast<std::int16_t>(side & 0xffff));
    }
    std::sort(netBorder.begin(), netBorder.end());
    for (const auto& [a, b] : netBorder) takeNode(a), takeNode(b);
    for (std::int32_t n = 1; n <= m.MeshNodeCount; ++n)
        if (!used[static_cast<std::size_t>(n)] &&
            InsideSlabOrOnBorder(m.MeshNodeX[static_cast<std::size_t>(n)], m.MeshNodeY[static_cast<std::size_t>(n)]))
            takeNode(static_cast<std::int16_t>(n));
    std::vector<std::pair<std::size_t, std::size_t>> segments;
    borderSegments(points, netPoints, segments);

    // The rows: a segment met twice (a side of the net on the border) bounds
    // no bare part.
    std::map<std::pair<std::size_t, std::size_t>, int> rowCount;
    const auto toggle = [&rowCount](std::size_t a, std::size_t b) {
        if (a == b) return;
        ++rowCount[{std::min(a, b), std::max(a, b)}];
    };
    std::vector<std::pair<std::size_t, std::size_t>> netSides;
    for (const auto& [a, b] : netBorder)
        netSides.emplace_back(static_cast<std::size_t>(pointOfNode[static_cast<std::size_t>(a)]), static_cast<std::size_t>(pointOfNode[static_cast<std::size_t>(b)]));
    std::vector<std::size_t> onNetSides;
    for (const auto& [a, b] : dividedAtPoints(points, netSides, tol, onNetSides)) toggle(a, b);
    for (const auto& [a, b] : segments) toggle(a, b);
    EdgeList rows(1);
    for (const auto& [side, count] : rowCount)
        if (count % 2 == 1) rows.push_back({static_cast<std::int16_t>(side.first + 5), static_cast<std::int16_t>(side.second + 5)});
    if (rows.size() == 1) return true;  // the net covers the slab
    if (points.list.size() + 4 > static_cast<std::size_t>(kMaxNetCount) || rows.size() > static_cast<std::size_t>(kMaxNetCount))
        rt::raise(6, "The grid-based net would have more than 32767 nodes.");

    const ScratchResult scratch = triangulate(points.list, rows);
    if (scratch.stopped) return false;

    // The inside triangles in the slab and in no element become elements.
    const ElementCells elements(m);
    std::vector<std::int16_t> netNode(scratch.nodes.size(), 0);
    const auto nodeOf = [&](std::int16_t s) {
        std::int16_t& n = netNode[static_cast<std::size_t>(s)];
        if (n != 0) return n;
        const std::size_t k = static_cast<std::size_t>(s) - 5;
        if (k < points.list.size() && points.list[k].node != 0) return n = points.list[k].node;
        n = AppendMeshNode();
        m.MeshNodeX[static_cast<std::size_t>(n)] = scratch.nodes[static_cast<std::size_t>(s)].x;
        m.MeshNodeY[static_cast<std::size_t>(n)] = scratch.nodes[static_cast<std::size_t>(s)].y;
        return n;
    };
    double netArea = 0.0;
    for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) netArea += elementArea(m, m.MeshElementList[static_cast<std::size_t>(e)]);
    double filled = 0.0;
    double bare = 0.0;
    double largestBare = 0.0;
    std::pair<double, double> bareAt{0.0, 0.0};
    for (const auto& t : scratch.triangles) {
        const FillPoint& a = scratch.nodes[static_cast<std::size_t>(t[0])];
        const FillPoint& b = scratch.nodes[static_cast<std::size_t>(t[1])];
        const FillPoint& c = scratch.nodes[static_cast<std::size_t>(t[2])];
        const double twice = (static_cast<double>(b.x) - a.x) * (static_cast<double>(c.y) - a.y) -
                             (static_cast<double>(b.y) - a.y) * (static_cast<double>(c.x) - a.x);
        const double longest = std::max({std::hypot(static_cast<double>(b.x) - a.x, static_cast<double>(b.y) - a.y),
                                         std::hypot(static_cast<double>(c.x) - b.x, static_cast<double>(c.y) - b.y),
                                         std::hypot(static_cast<double>(a.x) - c.x, static_cast<double>(a.y) - c.y)});
        const double cx = (static_cast<double>(a.x) + b.x + c.x) / 3.0, cy = (static_cast<double>(a.y) + b.y + c.y) / 3.0;
        if (!InsideSlabPieces(cx, cy)) continue;
        const double area = std::fabs(twice) / 2.0;
        if (std::fabs(twice) <= tol * longest || elements.clearlyInside(cx, cy, tol)) {
            bare += area;
            if (area > largestBare) largestBare = area, bareAt = {cx, cy};
            continue;
        }
        if (m.MeshElementCount >= kMaxNetCount) rt::raise(6, "The grid-based net would have more than 32767 elements.");
        NetElement element;
        element.CornerCount = 3;
        element.Node[1] = nodeOf(t[0]);
        element.Node[2] = nodeOf(twice > 0.0 ? t[1] : t[2]);
        element.Node[3] = nodeOf(twice > 0.0 ? t[2] : t[1]);
        ++m.MeshElementCount;
        m.MeshElementList.resize(static_cast<std::size_t>(m.MeshElementCount) + 1);
        m.MeshElementList[static_cast<std::size_t>(m.MeshElementCount)] = element;
        filled += area;
    }
    for (const std::size_t k : onNetSides) nodeOf(static_cast<std::int16_t>(k + 5));
    if (bare > 1e-3 * (netArea + filled + bare))
        rt::raise(5, LanguageTexts().GetText(quillon::TextNo(190222),
                                             {rt::Variant("|1"), rt::Variant(rt::formatSingle(static_cast<float>(bareAt.first))),
                                              rt::Variant("|2"), rt::Variant(rt::formatSingle(static_cast<float>(bareAt.second))),
                                              rt::Variant("|3"), rt::Variant(rt::formatSingle(static_cast<float>(bare)))}));
    return true;
}

void RaiseGridNetFault(double x, double y, std::int32_t fault) {
    const BasGridBased& g = basGridBased();
    const auto spacing = [](const std::vector<float>& spacings, std::int16_t count, float at) {
        const auto i = static_cast<std::size_t>(std::clamp<float>(at, 1.0f, std::max<float>(count, 1.0f)));
        return i < spacings.size() ? static_cast<double>(spacings[i]) : 0.0;
    };
    const double step = std::max(spacing(g.GridSpacingX, g.GridIntervalsX, FindGridIntervalX(static_cast<float>(x))),
                                 spacing(g.GridSpacingY, g.GridIntervalsY, FindGridIntervalY(static_cast<float>(y))));
    const double detail = step > 0.0 ? ShortestBorderPieceNear(x, y, step) : INFINITY;
    const rt::Variant px(rt::formatSingle(static_cast<float>(x)));
    const rt::Variant py(rt::formatSingle(static_cast<float>(y)));
    if (detail < step)
        rt::raise(5, LanguageTexts().GetText(quillon::TextNo(190223),
                                             {rt::Variant("|1"), px, rt::Variant("|2"), py, rt::Variant("|3"),
                                              rt::Variant(rt::formatSingle(static_cast<float>(detail))), rt::Variant("|4"),
                                              rt::Variant(rt::formatSingle(static_cast<float>(step)))}));
    rt::raise(5, LanguageTexts().GetText(quillon::TextNo(190224),
                                         {rt::Variant("|1"), px, rt::Variant("|2"), py, rt::Variant("|3"),
                                          rt::Variant(LanguageTexts().GetText(quillon::TextNo(fault)))}));
}

}  // namespace orvelo
