#include "orvelo/gridmesh/grid_based_mesh.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "halvex/interface/enums.h"
#include "orvelo/delaunay/adaptive_refinement.h"
#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/boundary.h"
#include "orvelo/delaunay/marks.h"
#include "orvelo/delaunay/progress.h"
#include "orvelo/delaunay/side_flags.h"
#include "orvelo/delaunay/units.h"
#include "orvelo/gridmesh/bas_grid_based.h"
#include "orvelo/gridmesh/cell_flags.h"
#include "orvelo/gridmesh/cell_patterns.h"
#include "orvelo/gridmesh/fill_leftover.h"
#include "orvelo/gridmesh/grid_regions.h"
#include "orvelo/gridmesh/key_points.h"
#include "orvelo/gridmesh/line_sides.h"
#include "orvelo/gridmesh/snapping.h"
#include "orvelo/gridmesh/trace_piece.h"
#include "orvelo/model/declar.h"
#include "orvelo/model/net_scale.h"
#include "orvelo/project/services.h"
#include "orvelo/project/slab_shape.h"
#include "outside/quillon/language_text.h"
#include "platform/forms/screen.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/numbertext.h"

namespace orvelo {

namespace {

void checkGridLines(const std::vector<float>& lines, std::int16_t count, const char* axis) {
    if (count < 1 || lines.size() < static_cast<std::size_t>(count) + 2)
        rt::raise(5, std::string("The project grid needs at least two grid lines in ") + axis +
                         " for a grid-based net.");
    for (std::size_t k = 1; k <= static_cast<std::size_t>(count) + 1; ++k) {
        if (!std::isfinite(lines[k]) || (k > 1 && !(lines[k] > lines[k - 1])))
            rt::raise(5, std::string("The project grid lines in ") + axis +
                             " must be ascending, each line beyond the one before, for a grid-based net.");
    }
}

// The largest magnitude of a coordinate of the slab description: the ends
// of the outline and opening pieces, of the lines, and the single points.
float largestCoordinate(const BasDelaunay& m) {
    float largest = 0.0f;
    const auto take = [&largest](float x, float y) { largest = std::max({largest, std::fabs(x), std::fabs(y)}); };
    for (std::size_t p = 1; p <= static_cast<std::size_t>(m.MeshOutlineCount); ++p)
        take(m.MeshOutline[p].X1, m.MeshOutline[p].Y1), take(m.MeshOutline[p].X2, m.MeshOutline[p].Y2);
    for (std::size_t o = 1; o <= static_cast<std::size_t>(m.MeshOpeningCount); ++o)
        for (std::size_t p = 1; p <= static_cast<std::size_t>(m.MeshOpeningPieceCount[o]); ++p)
            take(m.MeshOpenings[o][p].X1, m.MeshOpenings[o][p].Y1), take(m.MeshOpenings[o][p].X2, m.MeshOpenings[o][p].Y2);
    for (std::size_t l = 1; l <= static_cast<std::size_t>(m.MeshLineCount); ++l)
        take(m.MeshLineStart[l].X, m.MeshLineStart[l].Y), take(m.MeshLineEnd[l].X, m.MeshLineEnd[l].Y);
    for (std::size_t k = 1; k <= static_cast<std::size_t>(m.MeshPointCount); ++k) take(m.MeshPoints[k].X, m.MeshPoints[k].Y);
    return largest;
}

// A grid of about `items` square-ish buckets over a box, each holding the
// items whose boxes reach it (a box beyond the grid is held by the buckets
// at its edge).
class BucketGrid {
public:
    BucketGrid(double x0, double y0, double x1, double y1, std::size_t items)
        : side_(static_cast<std::size_t>(std::clamp(std::sqrt(static_cast<double>(items)), 1.0, 1024.0))),
          x0_(x0),
          y0_(y0),
          w_(std::max(x1 - x0, 1e-9) / static_cast<double>(side_)),
          h_(std::max(y1 - y0, 1e-9) / static_cast<double>(side_)),
          buckets_(side_ * side_) {}

    void add(std::int32_t item, double bx0, double by0, double bx1, double by1) {
        for (std::size_t r = row(by0); r <= row(by1); ++r)
            for (std::size_t c = column(bx0); c <= column(bx1); ++c) buckets_[r * side_ + c].push_back(item);
    }
    // The items in the bucket of (x, y).
    const std::vector<std::int32_t>& at(double x, double y) const { return buckets_[row(y) * side_ + column(x)]; }
    const std::vector<std::vector<std::int32_t>>& buckets() const { return buckets_; }

private:
    std::size_t column(double x) const { return std::min(side_ - 1, static_cast<std::size_t>(std::max(0.0, (x - x0_) / w_))); }
    std::size_t row(double y) const { return std::min(side_ - 1, static_cast<std::size_t>(std::max(0.0, (y - y0_) / h_))); }

    std::size_t side_;
    double x0_, y0_, w_, h_;
    std::vector<std::vector<std::int32_t>> buckets_;
};

// Where two sides of a closed loop that do not follow each other cross,
// each running from one side of the other to its other side; false when
// none do. The sides are met through a grid of buckets of their boxes.
bool loopCrossesItself(const std::vector<std::pair<double, double>>& loop, double& x, double& y) {
    const std::size_t n = loop.size();
    if (n < 4) return false;
    double x0 = loop[0].first, x1 = x0, y0 = loop[0].second, y1 = y0;
    for (const auto& [px, py] : loop) x0 = std::min(x0, px), x1 = std::max(x1, px), y0 = std::min(y0, py), y1 = std::max(y1, py);
    BucketGrid grid(x0, y0, x1, y1, n);
    for (std::size_t i = 0; i < n; ++i) {
        const auto& [ax, ay] = loop[i];
        const auto& [bx, by] = loop[(i + 1) % n];
        grid.add(static_cast<std::int32_t>(i), std::min(ax, bx), std::min(ay, by), std::max(ax, bx), std::max(ay, by));
    }
    const auto turn = [](const std::pair<double, double>& a, const std::pair<double, double>& b, const std::pair<double, double>& c) {
        return (b.first - a.first) * (c.second - a.second) - (b.second - a.second) * (c.first - a.first);
    };
    for (const std::vector<std::int32_t>& bucket : grid.buckets())
        for (std::size_t u = 0; u < bucket.size(); ++u)
            for (std::size_t v = u + 1; v < bucket.size(); ++v) {
                const auto i = static_cast<std::size_t>(std::min(bucket[u], bucket[v]));
                const auto j = static_cast<std::size_t>(std::max(bucket[u], bucket[v]));
                if (j == i + 1 || (i == 0 && j == n - 1)) continue;
                const auto &a = loop[i], &b = loop[(i + 1) % n], &c = loop[j], &d = loop[(j + 1) % n];
                const double tc = turn(a, b, c), td = turn(a, b, d), ta = turn(c, d, a), tb = turn(c, d, b);
                if (!((tc < 0.0 && td > 0.0) || (tc > 0.0 && td < 0.0)) || !((ta < 0.0 && tb > 0.0) || (ta > 0.0 && tb < 0.0))) continue;
                const double t = ta / (ta - tb);
                x = a.first + t * (b.first - a.first), y = a.second + t * (b.second - a.second);
                return true;
            }
    return false;
}

// An outline loop or an opening that crosses itself bounds no slab the net
// could follow (the even-odd rule would take in the parts beyond the
// crossing, which its measure takes away): it is refused as the
// triangulated net refuses it.
void checkLoopsDoNotCross(const BasDelaunay& m, double tol) {
    const auto place = [](double value) {
        char text[32];
        std::snprintf(text, sizeof text, "%.4g", value);
        return rt::Variant(std::string(text));
    };
    std::vector<std::pair<double, double>> loop;
    double x = 0.0, y = 0.0;
    std::size_t first = 1;
    for (std::size_t p = 1; p <= static_cast<std::size_t>(m.MeshOutlineCount); ++p) {
        const OutlinePiece& piece = m.MeshOutline[p];
        AppendPiecePoints(piece, loop);
        if (!(CloserThan(piece.X2, m.MeshOutline[first].X1, tol) && CloserThan(piece.Y2, m.MeshOutline[first].Y1, tol))) continue;
        if (loopCrossesItself(loop, x, y))
            rt::raise(5, LanguageTexts().GetText(quillon::TextNo(190153), {rt::Variant("|1"), place(x), rt::Variant("|2"), place(y)}));
        loop.clear();
        first = p + 1;
    }
    for (std::size_t o = 1; o <= static_cast<std::size_t>(m.MeshOpeningCount); ++o) {
        loop.clear();
        for (std::size_t p = 1; p <= static_cast<std::size_t>(m.MeshOpeningPieceCount[o]); ++p) AppendPiecePoints(m.MeshOpenings[o][p], loop);
        if (loopCrossesItself(loop, x, y))
            rt::raise(5, LanguageTexts().GetText(quillon::TextNo(190154), {rt::Variant("|1"), rt::Variant(static_cast<std::int32_t>(o)),
                                                                           rt::Variant("|2"), place(x), rt::Variant("|3"), place(y)}));
    }
}

// What the generator cannot work with is refused before anything changes.
void checkInput() {
    const BasDelaunay& m = basDelaunay();
    if (m.MeshOutlineCount < 1)
        rt::raise(5, "The slab has no outline: a grid-based net cannot be generated.");
    const bool listsHoldCounts =
        m.MeshOutline.size() > static_cast<std::size_t>(m.MeshOutlineCount) && m.MeshOpeningCount >= 0 &&
        m.MeshOpeningPieceCount.size() > static_cast<std::size_t>(m.MeshOpeningCount) &&
        m.MeshOpenings.size() > static_cast<std::size_t>(m.MeshOpeningCount) && m.MeshLineCount >= 0 &&
        m.MeshLineStart.size() > static_cast<std::size_t>(m.MeshLineCount) &&
        m.MeshLineEnd.size() > static_cast<std::size_t>(m.MeshLineCount) && m.MeshPointCount >= 0 &&
        m.MeshPoints.size() > static_cast<std::size_t>(m.MeshPointCount);
    bool openingsHoldPieces = listsHoldCounts;
    for (std::int32_t o = 1; openingsHoldPieces && o <= m.MeshOpeningCount; ++o) {
        const std::int16_t pieces = m.MeshOpeningPieceCount[static_cast<std::size_t>(o)];
        openingsHoldPieces = pieces >= 0 && m.MeshOpenings[static_cast<std::size_t>(o)].size() > static_cast<std::size_t>(pieces);
    }
    if (!openingsHoldPieces) rt::raise(9, "The slab description holds fewer pieces or points than its counts say.");
    checkGridLines(m.MeshGridX, m.MeshGridCountX, "x");
    checkGridLines(m.MeshGridY, m.MeshGridCountY, "y");
    // The scale values the generation and the refinement after it use come
    // from this slab, whatever an earlier run left. DrawingScale is the
    // Delaunay generation's alone: it keeps what the last one set (0 while
    // none has run), so the transfer takes the nearest node.
    const float drawingScale = declar().DrawingScale;
    SetScaleFromSlabDescription();
    declar().DrawingScale = drawingScale;
    const float unitFactor = UnitFactor();
    if (!(unitFactor > 0.0f) || !std::isfinite(unitFactor))
        rt::raise(5, "The unit factor of the net must be above 0 for a grid-based net.");
    // Nodes are held in single precision: where the step between two
    // neighbouring coordinates is not well below the coincidence tolerance
    // (a slab far from the origin for its size), crossings, midpoints and
    // arc points cannot be placed on the lines and the border within it.
    const float largest = largestCoordinate(m);
    const double tol = CoincidenceTolerance();
    if (std::isfinite(largest) && 4.0 * (static_cast<double>(std::nextafter(largest, INFINITY)) - largest) > tol)
        rt::raise(5, "The slab lies too far from the origin for its size: at coordinates up to " + rt::formatSingle(largest) +
                         " single precision cannot hold the coincidence tolerance " + rt::formatSingle(static_cast<float>(tol)) +
                         " of a grid-based net. Move the slab nearer to the origin.");
    checkLoopsDoNotCross(m, tol);
}

// Ends the generation on a stop request: the run is aborted, so the partial
// net is never taken as the new net.
void abandonRun() { RunControl().RunState(static_cast<std::int16_t>(halvex::ExitWithoutSaving)); }

// Frees the regions and the key lists of the constraint edges, and restores
// the mouse pointer, on every way out.
struct GenerationCleanUp {
    GenerationCleanUp() = default;
    GenerationCleanUp(const GenerationCleanUp&) = delete;
    GenerationCleanUp& operator=(const GenerationCleanUp&) = delete;
    ~GenerationCleanUp() {
        ClearBorderIndex();
        DeleteGridRegions();
        basGridBased().ConstraintKeys.assign(1, {0, 0});
        forms::screen().MousePointer(0);
    }
};

// Traces the outline, the openings and the lines, making the regions of the
// outline and of each opening; false on a stop request.
bool traceSlab() {
    BasDelaunay& m = basDelaunay();
    BasGridBased& g = basGridBased();
    mesher::SetProgressMax(static_cast<std::int64_t>(m.MeshOutlineCount) + m.MeshOpeningCount + m.MeshLineCount);
    g.OpeningRegions.assign(static_cast<std::size_t>(m.MeshOpeningCount) + 1, 0);

    const auto closePolygon = [&g](const OutlinePiece& last, std::int32_t opening) {
        if (g.RegionPointCount >= kMaxNetCount) rt::raise(6, "A polygon of the slab would have more than 32767 points.");
        ++g.RegionPointCount;
        g.RegionPoints.resize(static_cast<std::size_t>(g.RegionPointCount) + 1);
        g.RegionPoints[static_cast<std::size_t>(g.RegionPointCount)] = RegionPoint(last.X2, last.Y2, UnitFactor());
        MakeTracedRegion(opening);
    };

    g.RegionPointCount = 0;
    g.RegionPoints.assign(1, halvex::POINTAPI{});
    // An outline of several loops is one polygon: each loop closed at its
    // start, then a step to the start of the next; after the last loop it
    // steps back through the starts of the others to the first, so that
    // every step is run both ways and bounds nothing (the even-odd rule).
    const auto addPoint = [&g](float x, float y) {
        if (g.RegionPointCount >= kMaxNetCount) rt::raise(6, "A polygon of the slab would have more than 32767 points.");
        ++g.RegionPointCount;
        g.RegionPoints.resize(static_cast<std::size_t>(g.RegionPointCount) + 1);
        g.RegionPoints[static_cast<std::size_t>(g.RegionPointCount)] = RegionPoint(x, y, UnitFactor());
    };
    const double tol = CoincidenceTolerance();
    std::vector<halvex::SinglePoint> loopStarts;
    std::size_t loopFirst = 1;
    for (std::int32_t p = 1; p <= m.MeshOutlineCount; ++p) {
        const OutlinePiece& piece = m.MeshOutline[static_cast<std::size_t>(p)];
        const OutlinePiece& first = m.MeshOutline[loopFirst];
        if (static_cast<std::size_t>(p) == loopFirst) loopStarts.push_back({piece.X1, piece.Y1});
        TraceSlabPiece(piece, kTraceBoundaryPiece);
        if (CloserThan(piece.X2, first.X1, tol) && CloserThan(piece.Y2, first.Y1, tol)) {
            loopFirst = static_cast<std::size_t>(p) + 1;
            if (p < m.MeshOutlineCount) addPoint(piece.X2, piece.Y2);
        }
        if (mesher::StopRequested(true)) return false;
    }
    if (loopStarts.size() > 1) {
        const OutlinePiece& last = m.MeshOutline[static_cast<std::size_t>(m.MeshOutlineCount)];
        addPoint(last.X2, last.Y2);
        for (std::size_t k = loopStarts.size() - 2; k >= 1; --k) addPoint(loopStarts[k].X, loopStarts[k].Y);
        MakeTracedRegion(0);  // closed back to the first loop's start
    } else {
        closePolygon(m.MeshOutline[static_cast<std::size_t>(m.MeshOutlineCount)], 0);
    }

    for (std::int32_t o = 1; o <= m.MeshOpeningCount; ++o) {
        g.RegionPointCount = 0;
        g.RegionPoints.assign(1, halvex::POINTAPI{});
        const std::vector<OutlinePiece>& pieces = m.MeshOpenings[static_cast<std::size_t>(o)];
        const std::int32_t count = m.MeshOpeningPieceCount[static_cast<std::size_t>(o)];
        for (std::int32_t p = 1; p <= count; ++p) TraceSlabPiece(pieces[static_cast<std::size_t>(p)], kTraceBoundaryPiece);
        closePolygon(pieces[static_cast<std::size_t>(count)], o);
        if (mesher::StopRequested(true)) return false;
    }

    for (std::int32_t l = 1; l <= m.MeshLineCount; ++l) {
        const halvex::SinglePoint& start = m.MeshLineStart[static_cast<std::size_t>(l)];
        const halvex::SinglePoint& end = m.MeshLineEnd[static_cast<std::size_t>(l)];
        TraceSlabPiece(straightPiece(start.X, start.Y, end.X, end.Y), kTraceInternalLine);
        if (mesher::StopRequested(true)) return false;
    }
    return true;
}

// Drops the nodes that no element uses and renumbers the others in their
// order, in the net and in the grid tables.
void dropUnusedNodes() {
    BasDelaunay& m = basDelaunay();
    BasGridBased& g = basGridBased();
    std::vector<bool> used(static_cast<std::size_t>(m.MeshNodeCount) + 1, false);
    for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) {
        const NetElement& element = m.MeshElementList[static_cast<std::size_t>(e)];
        for (std::int32_t k = 1; k <= element.CornerCount; ++k) used[static_cast<std::size_t>(element.Node[static_cast<std::size_t>(k)])] = true;
    }
    std::vector<std::int16_t> renumbered(used.size(), 0);
    std::int16_t count = 0;
    std::int16_t keyNodes = 0;
    for (std::int32_t n = 1; n <= m.MeshNodeCount; ++n) {
        if (!used[static_cast<std::size_t>(n)]) continue;
        ++count;
        renumbered[static_cast<std::size_t>(n)] = count;
        m.MeshNodeX[static_cast<std::size_t>(count)] = m.MeshNodeX[static_cast<std::size_t>(n)];
        m.MeshNodeY[static_cast<std::size_t>(count)] = m.MeshNodeY[static_cast<std::size_t>(n)];
        if (n <= g.KeyNodeCount) {
            ++keyNodes;
            g.KeyGridX[static_cast<std::size_t>(keyNodes)] = g.KeyGridX[static_cast<std::size_t>(n)];
            g.KeyGridY[static_cast<std::size_t>(keyNodes)] = g.KeyGridY[static_cast<std::size_t>(n)];
        }
    }
    if (count == m.MeshNodeCount) return;
    m.MeshNodeCount = count;
    m.MeshNodeX.resize(static_cast<std::size_t>(count) + 1);
    m.MeshNodeY.resize(static_cast<std::size_t>(count) + 1);
    for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) {
        NetElement& element = m.MeshElementList[static_cast<std::size_t>(e)];
        for (std::int32_t k = 1; k <= element.CornerCount; ++k)
            element.Node[static_cast<std::size_t>(k)] = renumbered[static_cast<std::size_t>(element.Node[static_cast<std::size_t>(k)])];
    }
    g.KeyNodeCount = keyNodes;
    g.KeyGridX.resize(static_cast<std::size_t>(keyNodes) + 1);
    g.KeyGridY.resize(static_cast<std::size_t>(keyNodes) + 1);
    for (std::int32_t iy = 0; iy <= g.GridNodeNumber.maxY(); ++iy) {
        for (std::int32_t ix = 0; ix <= g.GridNodeNumber.maxX(); ++ix) {
            std::int16_t& n = g.GridNodeNumber(ix, iy);
            if (n == 0) continue;
            n = renumbered[static_cast<std::size_t>(n)];
            g.GridPointUsed(ix, iy) = n != 0 ? 1 : 0;
        }
    }
}

// A net whose border leaves the slab is never handed on: a side of one
// element that crosses a piece of the outline or of an opening, reaches
// through an arc of them farther than the coincidence tolerance, has its
// middle off the slab or passes through an arc out of it
// (BorderSideLeavesSlab), refuses the net at its middle. Returns the nodes of
// the border (of the sides held by one element).
std::vector<std::size_t> checkBorderInSlab() {
    const BasDelaunay& m = basDelaunay();
    std::unordered_map<std::uint32_t, int> holders;
    const auto sideKey = [](std::int16_t a, std::int16_t b) {
        return static_cast<std::uint32_t>(std::min(a, b)) << 16 | static_cast<std::uint32_t>(std::max(a, b));
    };
    const auto eachSide = [&m](const auto& visit) {
        for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) {
            const NetElement& t = m.MeshElementList[static_cast<std::size_t>(e)];
            for (std::int32_t k = 1; k <= t.CornerCount; ++k)
                visit(t.Node[static_cast<std::size_t>(k)], t.Node[static_cast<std::size_t>(k % t.CornerCount + 1)]);
        }
    };
    eachSide([&](std::int16_t a, std::int16_t b) { ++holders[sideKey(a, b)]; });
    std::vector<bool> onBorder(static_cast<std::size_t>(m.MeshNodeCount) + 1, false);
    eachSide([&](std::int16_t a, std::int16_t b) {
        if (holders[sideKey(a, b)] != 1) return;
        onBorder[static_cast<std::size_t>(a)] = onBorder[static_cast<std::size_t>(b)] = true;
        const double ax = m.MeshNodeX[static_cast<std::size_t>(a)], ay = m.MeshNodeY[static_cast<std::size_t>(a)];
        const double bx = m.MeshNodeX[static_cast<std::size_t>(b)], by = m.MeshNodeY[static_cast<std::size_t>(b)];
        if (BorderSideLeavesSlab(ax, ay, bx, by)) RaiseGridNetFault((ax + bx) / 2.0, (ay + by) / 2.0, 190225);
    });
    std::vector<std::size_t> border;
    for (std::size_t n = 1; n < onBorder.size(); ++n)
        if (onBorder[n]) border.push_back(n);
    return border;
}

// The centroid and twice the signed area of an element.
struct ElementMeasure {
    double cx = 0.0, cy = 0.0, twice = 0.0;
};

ElementMeasure measureOf(const BasDelaunay& m, const NetElement& t) {
    ElementMeasure e;
    for (std::int32_t k = 1; k <= t.CornerCount; ++k) {
        const auto a = static_cast<std::size_t>(t.Node[static_cast<std::size_t>(k)]);
        const auto b = static_cast<std::size_t>(t.Node[static_cast<std::size_t>(k == t.CornerCount ? 1 : k + 1)]);
        e.cx += m.MeshNodeX[a] / static_cast<double>(t.CornerCount);
        e.cy += m.MeshNodeY[a] / static_cast<double>(t.CornerCount);
        e.twice += static_cast<double>(m.MeshNodeX[a]) * m.MeshNodeY[b] - static_cast<double>(m.MeshNodeX[b]) * m.MeshNodeY[a];
    }
    return e;
}

// Whether (x, y) lies inside element t (anticlockwise) farther than tol
// from each of its sides.
bool holdsWell(const BasDelaunay& m, const NetElement& t, double x, double y, double tol) {
    for (std::int32_t k = 1; k <= t.CornerCount; ++k) {
        const auto a = static_cast<std::size_t>(t.Node[static_cast<std::size_t>(k)]);
        const auto b = static_cast<std::size_t>(t.Node[static_cast<std::size_t>(k == t.CornerCount ? 1 : k + 1)]);
        const double ax = m.MeshNodeX[a], ay = m.MeshNodeY[a];
        const double dx = m.MeshNodeX[b] - ax, dy = m.MeshNodeY[b] - ay;
        if (!(dx * (y - ay) - dy * (x - ax) > tol * std::hypot(dx, dy))) return false;
    }
    return true;
}

// Where two elements lie over one another: the centroid of one that another
// holds, found through a grid of buckets of the elements' boxes; false when
// none is.
bool findOverlap(const BasDelaunay& m, double tol, double& x, double& y) {
    const auto count = static_cast<std::size_t>(m.MeshElementCount);
    float x0 = m.MeshNodeX[1], x1 = x0, y0 = m.MeshNodeY[1], y1 = y0;
    for (std::size_t n = 1; n <= static_cast<std::size_t>(m.MeshNodeCount); ++n) {
        x0 = std::min(x0, m.MeshNodeX[n]), x1 = std::max(x1, m.MeshNodeX[n]);
        y0 = std::min(y0, m.MeshNodeY[n]), y1 = std::max(y1, m.MeshNodeY[n]);
    }
    BucketGrid grid(x0, y0, x1, y1, count);
    for (std::size_t e = 1; e <= count; ++e) {
        const NetElement& t = m.MeshElementList[e];
        double bx0 = INFINITY, bx1 = -INFINITY, by0 = INFINITY, by1 = -INFINITY;
        for (std::int32_t k = 1; k <= t.CornerCount; ++k) {
            const auto n = static_cast<std::size_t>(t.Node[static_cast<std::size_t>(k)]);
            bx0 = std::min<double>(bx0, m.MeshNodeX[n]), bx1 = std::max<double>(bx1, m.MeshNodeX[n]);
            by0 = std::min<double>(by0, m.MeshNodeY[n]), by1 = std::max<double>(by1, m.MeshNodeY[n]);
        }
        grid.add(static_cast<std::int32_t>(e), bx0, by0, bx1, by1);
    }
    for (std::size_t e = 1; e <= count; ++e) {
        const ElementMeasure at = measureOf(m, m.MeshElementList[e]);
        for (const std::int32_t other : grid.at(at.cx, at.cy))
            if (static_cast<std::size_t>(other) != e && holdsWell(m, m.MeshElementList[static_cast<std::size_t>(other)], at.cx, at.cy, tol))
                return x = at.cx, y = at.cy, true;
    }
    return false;
}

// A net whose elements cover more of the slab than it has, beyond the
// allowance along its border, is never handed on: the project reader
// measures the slab so (SlabShape) and would refuse it. It is refused where
// two elements lie over one another, else at the first element outside
// the slab, else at the first element.
void checkCoverage(const std::vector<std::size_t>& border) {
    const BasDelaunay& m = basDelaunay();
    const double tol = NetCoincidenceTolerance(m.MeshNodeX, m.MeshNodeY, m.MeshNodeCount);
    const SlabShape slab(m.MeshOutline, m.MeshOutlineCount, m.MeshOpenings, m.MeshOpeningPieceCount, m.MeshOpeningCount, tol,
                         m.MeshNodeX, m.MeshNodeY, border);
    if (!slab.Closed()) return;
    double covered = 0.0;
    for (std::size_t e = 1; e <= static_cast<std::size_t>(m.MeshElementCount); ++e) covered += measureOf(m, m.MeshElementList[e]).twice / 2.0;
    if (!slab.CoveredBeyond(covered)) return;
    double x = 0.0, y = 0.0;
    if (findOverlap(m, tol, x, y)) RaiseGridNetFault(x, y, 190320);
    for (std::size_t e = 1; e <= static_cast<std::size_t>(m.MeshElementCount); ++e) {
        const ElementMeasure at = measureOf(m, m.MeshElementList[e]);
        if (slab.Outside(at.cx, at.cy)) RaiseGridNetFault(at.cx, at.cy, 190321);
    }
    const ElementMeasure first = measureOf(m, m.MeshElementList[1]);
    RaiseGridNetFault(first.cx, first.cy, 190322);
}

}  // namespace

void GenerateGridBasedMesh() {
    checkInput();
    Declar& d = declar();
    d.SmoothMeshFlag = false;
    d.BoundaryFrontPointsFlag = false;
    forms::screen().MousePointer(11);
    RunControl().RunState(0);
    const GenerationCleanUp cleanUp;
    BuildBorderIndex();

    mesher::ShowStatusText(quillon::TextNo(100036));
    if (mesher::StopRequested(false)) return abandonRun();

    CollectKeyPointsAndGrid();
    if (!traceSlab()) return abandonRun();
    SnapKeyNodes();
    if (!PlaceGridNodes()) return abandonRun();
    if (!SetCellTriangleFlags()) return abandonRun();
    const bool built = d.MeshType == 4 ? BuildGridPointElements() : BuildGridCellElements();
    if (!built) return abandonRun();
    // The parts of the slab the pattern left bare are triangulated.
    if (!FillLeftoverParts()) return abandonRun();
    if (basDelaunay().MeshElementCount == 0)
        rt::raise(5, "No element of the grid-based net lies inside the slab outline: the net cannot be generated.");
    FollowInternalLines();

    RestoreBoundaryFlags();
    if (mesher::StopRequested(false)) return abandonRun();
    BuildElementSideFlags(basDelaunay().MeshElementList, OperationWaitWindow());
    if (mesher::StopRequested(false)) return abandonRun();
    dropUnusedNodes();
    CheckNetIsWhole(RaiseGridNetFault);
    checkCoverage(checkBorderInSlab());
}

}  // namespace orvelo
