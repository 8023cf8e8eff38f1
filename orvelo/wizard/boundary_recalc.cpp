#include "orvelo/wizard/boundary_recalc.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <limits>
#include <map>
#include <string>
#include <utility>

#include "halvex/interface/enums.h"
#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/marks.h"
#include "orvelo/delaunay/units.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/services.h"
#include "outside/quillon/language_text.h"
#include "platform/runtime/errors.h"

namespace orvelo {

namespace {

// One free side: its place in element and corner order, its corner node
// and the next corner's node.
struct FreeSide {
    std::int16_t own = 0;
    std::int16_t far = 0;
};

// The unit factor of the current net: its drawing scale computed from the
// extent of its nodes widened as a generation widens it (by the extent's
// width and height on each side).
float CurrentNetUnitFactor(const ProjectNet& net) {
    float xMin = std::numeric_limits<float>::max();
    float yMin = xMin;
    float xMax = std::numeric_limits<float>::lowest();
    float yMax = xMax;
    for (std::int32_t n = 1; n <= net.NodeCount; ++n) {
        xMin = std::min(xMin, net.NodeX[n]);
        xMax = std::max(xMax, net.NodeX[n]);
        yMin = std::min(yMin, net.NodeY[n]);
        yMax = std::max(yMax, net.NodeY[n]);
    }
    BasDelaunay& m = basDelaunay();
    const float width = xMax - xMin;
    const float height = yMax - yMin;
    m.MeshExtentXMin = xMin - width;
    m.MeshExtentYMin = yMin - height;
    m.MeshExtentXMax = xMax + width;
    m.MeshExtentYMax = yMax + height;
    // The recalculation keeps its scale to itself: DrawingScale is written
    // by the Delaunay generation alone.
    const float drawingScale = declar().DrawingScale;
    ComputeDrawingScale();
    declar().DrawingScale = drawingScale;
    return GeometryHelper().UnitFactor();
}

double distanceToSegment(double px, double py, const OutlinePiece& piece) {
    const double dx = static_cast<double>(piece.X2) - piece.X1;
    const double dy = static_cast<double>(piece.Y2) - piece.Y1;
    const double lengthSquared = dx * dx + dy * dy;
    double t = 0.0;
    if (lengthSquared > 0.0) t = std::clamp(((px - piece.X1) * dx + (py - piece.Y1) * dy) / lengthSquared, 0.0, 1.0);
    return std::hypot(px - (piece.X1 + t * dx), py - (piece.Y1 + t * dy));
}

struct Box {
    double xMin, yMin, xMax, yMax;
};

Box boxOf(const BoundaryLoop& loop) {
    Box box{std::numeric_limits<double>::max(), std::numeric_limits<double>::max(),
            std::numeric_limits<double>::lowest(), std::numeric_limits<double>::lowest()};
    for (const OutlinePiece& p : loop.pieces) {
        box.xMin = std::min({box.xMin, static_cast<double>(p.X1), static_cast<double>(p.X2)});
        box.yMin = std::min({box.yMin, static_cast<double>(p.Y1), static_cast<double>(p.Y2)});
        box.xMax = std::max({box.xMax, static_cast<double>(p.X1), static_cast<double>(p.X2)});
        box.yMax = std::max({box.yMax, static_cast<double>(p.Y1), static_cast<double>(p.Y2)});
    }
    return box;
}

// Whether loop `inner` lies inside loop `outer`: its first vertex that is not
// on outer's boundary (within tol) lies in outer's polygon (the even-odd
// rule, on the coordinates themselves: a loop a few region units from
// another, as a graded net has them, is told apart as well). A loop all of
// whose vertices lie on outer's boundary is not inside it.
bool liesInside(const BoundaryLoop& inner, const Box& innerBox, const BoundaryLoop& outer, const Box& outerBox,
                double tol) {
    if (innerBox.xMin < outerBox.xMin - tol || innerBox.yMin < outerBox.yMin - tol ||
        innerBox.xMax > outerBox.xMax + tol || innerBox.yMax > outerBox.yMax + tol)
        return false;
    auto onBoundary = [&](float x, float y) {
        return std::any_of(outer.pieces.begin(), outer.pieces.end(),
                           [&](const OutlinePiece& p) { return distanceToSegment(x, y, p) <= tol; });
    };
    auto holds = [&](double x, double y) {
        bool in = false;
        for (const OutlinePiece& p : outer.pieces)
            if ((p.Y1 > y) != (p.Y2 > y) &&
                x < p.X1 + (y - p.Y1) * (static_cast<double>(p.X2) - p.X1) / (static_cast<double>(p.Y2) - p.Y1))
                in = !in;
        return in;
    };
    auto decides = [&](float x, float y, bool& inside) {
        if (onBoundary(x, y)) return false;
        inside = holds(x, y);
        return true;
    };
    for (const OutlinePiece& p : inner.pieces) {
        bool inside = false;
        if (decides(p.X1, p.Y1, inside) || decides(p.X2, p.Y2, inside)) return inside;
    }
    return false;
}

// The recalculated slab description, taken over whole at the end.
struct SlabBoundary {
    std::int16_t OutlinePieceCount = 0;
    std::vector<OutlinePiece> OutlinePieces;
    std::int16_t OpeningCount = 0;
    std::vector<std::int16_t> OpeningPieceCount;
    std::int16_t MaxOpeningPieces = 0;
    std::vector<std::vector<OutlinePiece>> OpeningPieces;
};

// The loops one after the other as 1-based outline pieces.
void makeOutline(SlabBoundary& b, const std::vector<const BoundaryLoop*>& loops) {
    std::size_t count = 0;
    for (const BoundaryLoop* loop : loops) count += loop->pieces.size();
    b.OutlinePieceCount = checkedNetCount(static_cast<long long>(count));
    b.OutlinePieces.assign(1, OutlinePiece{});
    for (const BoundaryLoop* loop : loops)
        b.OutlinePieces.insert(b.OutlinePieces.end(), loop->pieces.begin(), loop->pieces.end());
}

// The loops as openings, sized (0..count, 0..largest piece count).
void makeOpenings(SlabBoundary& b, const std::vector<const BoundaryLoop*>& loops) {
    std::size_t largest = 0;
    for (const BoundaryLoop* loop : loops) largest = std::max(largest, loop->pieces.size());
    b.OpeningCount = checkedNetCount(static_cast<long long>(loops.size()));
    b.MaxOpeningPieces = checkedNetCount(static_cast<long long>(largest));
    b.OpeningPieceCount.assign(loops.size() + 1, 0);
    b.OpeningPieces.assign(loops.size() + 1, std::vector<OutlinePiece>(largest + 1));
    for (std::size_t o = 0; o < loops.size(); ++o) {
        b.OpeningPieceCount[o + 1] = static_cast<std::int16_t>(loops[o]->pieces.size());
        std::copy(loops[o]->pieces.begin(), loops[o]->pieces.end(), b.OpeningPieces[o + 1].begin() + 1);
    }
}

// The recalculation refuses a net whose border it cannot describe: error 5
// with the message of text textNo.
[[noreturn]] void refuse(std::int32_t textNo, std::vector<rt::Variant> pairs) {
    rt::raise(5, LanguageTexts().GetText(rt::Variant(textNo), pairs));
}

// A chain of free sides that does not come back to its start: the side
// flags do not describe the border of the net.
void requireClosedLoops(const std::vector<BoundaryLoop>& loops) {
    for (const BoundaryLoop& loop : loops)
        if (!loop.closed)
            refuse(quillon::TextNo(190165), {rt::Variant("|1"), rt::Variant(loop.pieces.back().X2), rt::Variant("|2"),
                                              rt::Variant(loop.pieces.back().Y2)});
}

// A node of a free side that lies inside another free side (a net whose
// elements do not meet corner to corner there): the first such side in
// element and corner order, with the lowest such node, is named. A node
// counts when it lies within a millionth of the net's size of the side and
// farther than that from both its ends.
void requireNoNodeInsideFreeSides(const ProjectNet& net) {
    struct Side {
        std::int16_t own, far;
        std::int32_t element;
    };
    std::vector<Side> sides;
    std::vector<std::int16_t> nodes;
    for (std::int32_t k = 1; k <= net.ElementCount; ++k) {
        const NetElement& e = net.ElementList[k];
        for (std::int32_t l = 1; l <= e.CornerCount; ++l) {
            if ((e.Flag[l] & halvex::OuterSide) == 0) continue;
            const Side side{e.Node[l], e.Node[l == e.CornerCount ? 1 : l + 1], k};
            if (side.own == side.far) continue;
            sides.push_back(side);
            nodes.push_back(side.own);
            nodes.push_back(side.far);
        }
    }
    std::sort(nodes.begin(), nodes.end());
    nodes.erase(std::unique(nodes.begin(), nodes.end()), nodes.end());
    std::stable_sort(nodes.begin(), nodes.end(),
                     [&](std::int16_t a, std::int16_t b) { return net.NodeX[a] < net.NodeX[b]; });
    double xMin = HUGE_VAL, xMax = -HUGE_VAL, yMin = HUGE_VAL, yMax = -HUGE_VAL;
    for (std::int16_t n : nodes) {
        xMin = std::min<double>(xMin, net.NodeX[n]), xMax = std::max<double>(xMax, net.NodeX[n]);
        yMin = std::min<double>(yMin, net.NodeY[n]), yMax = std::max<double>(yMax, net.NodeY[n]);
    }
    const double tol = 1e-6 * std::max(xMax - xMin, yMax - yMin);
    for (const Side& side : sides) {
        const double ax = net.NodeX[side.own], ay = net.NodeY[side.own];
        const double bx = net.NodeX[side.far], by = net.NodeY[side.far];
        const double dx = bx - ax, dy = by - ay;
        const double length = std::hypot(dx, dy);
        if (!(length > 0.0)) continue;
        auto from = std::lower_bound(nodes.begin(), nodes.end(), std::min(ax, bx) - tol,
                                     [&](std::int16_t n, double x) { return net.NodeX[n] < x; });
        std::int16_t first = 0;
        for (auto it = from; it != nodes.end() && net.NodeX[*it] <= std::max(ax, bx) + tol; ++it) {
            const double px = net.NodeX[*it], py = net.NodeY[*it];
            if (py < std::min(ay, by) - tol || py > std::max(ay, by) + tol) continue;
            const double along = ((px - ax) * dx + (py - ay) * dy) / length;
            const double across = std::abs((px - ax) * dy - (py - ay) * dx) / length;
            if (across <= tol && along > tol && along < length - tol && (first == 0 || *it < first)) first = *it;
        }
        if (first != 0)
            refuse(quillon::TextNo(190166), {rt::Variant("|1"), rt::Variant(first), rt::Variant("|2"),
                                              rt::Variant(net.NodeX[first]), rt::Variant("|3"),
                                              rt::Variant(net.NodeY[first]), rt::Variant("|4"), rt::Variant(side.element)});
    }
}

// Whether a loop passes one point more than once (slab parts or openings
// that touch at a node, an opening touching the outline).
bool passesAPointTwice(const std::vector<BoundaryLoop>& loops) {
    std::map<std::pair<float, float>, int> seen;
    for (const BoundaryLoop& loop : loops)
        for (const OutlinePiece& p : loop.pieces)
            if (++seen[{p.X1, p.Y1}] > 1) return true;
    return false;
}

// The free sides traced again, each run as in its element (the slab on its
// left), for a net whose border passes a node more than once: the plain
// tracing may go on there into any side, and its loops then cross each
// other or themselves. A loop starts at the first free side not yet taken,
// in element and corner order, and goes on at each node with the side that
// keeps the same piece of slab on its left (of the sides leaving the node,
// the first one clockwise from the way back), until it is back at its start
// node. A chain that finds no side going on is refused: the side flags are
// not the border of the elements.
std::vector<BoundaryLoop> orientedLoops(const ProjectNet& net) {
    struct Side {
        std::int16_t own, far;
    };
    std::vector<Side> sides;
    for (std::int32_t k = 1; k <= net.ElementCount; ++k) {
        const NetElement& e = net.ElementList[k];
        for (std::int32_t l = 1; l <= e.CornerCount; ++l)
            if ((e.Flag[l] & halvex::OuterSide) != 0 && e.Node[l] != e.Node[l == e.CornerCount ? 1 : l + 1])
                sides.push_back({e.Node[l], e.Node[l == e.CornerCount ? 1 : l + 1]});
    }
    std::vector<std::vector<std::size_t>> leaving(static_cast<std::size_t>(net.NodeCount) + 1);
    for (std::size_t s = 0; s < sides.size(); ++s) leaving[sides[s].own].push_back(s);
    std::vector<bool> taken(sides.size(), false);
    auto angle = [&](std::int16_t from, std::int16_t to) {
        return std::atan2(static_cast<double>(net.NodeY[to]) - net.NodeY[from],
                          static_cast<double>(net.NodeX[to]) - net.NodeX[from]);
    };
    std::vector<BoundaryLoop> loops;
    for (std::size_t first = 0; first < sides.size(); ++first) {
        if (taken[first]) continue;
        BoundaryLoop loop;
        std::size_t s = first;
        for (;;) {
            taken[s] = true;
            const Side side = sides[s];
            loop.pieces.push_back(straightPiece(net.NodeX[side.own], net.NodeY[side.own], net.NodeX[side.far],
                                                net.NodeY[side.far]));
            if (side.far == sides[first].own) break;
            const double back = angle(side.far, side.own);
            std::size_t next = sides.size();
            double best = 0.0;
            for (std::size_t t : leaving[side.far]) {
                if (taken[t]) continue;
                double turn = back - angle(side.far, sides[t].far);  // clockwise from the way back
                while (turn <= 0.0) turn += 2.0 * M_PI;
                while (turn > 2.0 * M_PI) turn -= 2.0 * M_PI;
                if (next == sides.size() || turn < best) next = t, best = turn;
            }
            if (next == sides.size())
                refuse(quillon::TextNo(190165), {rt::Variant("|1"), rt::Variant(net.NodeX[side.far]), rt::Variant("|2"),
                                                  rt::Variant(net.NodeY[side.far])});
            s = next;
        }
        loop.closed = true;
        loops.push_back(std::move(loop));
    }
    return loops;
}

double loopArea(const BoundaryLoop& loop) {
    double twice = 0.0;
    for (const OutlinePiece& p : loop.pieces)
        twice += static_cast<double>(p.X1) * p.Y2 - static_cast<double>(p.X2) * p.Y1;
    return std::abs(twice) / 2.0;
}

}  // namespace

bool TraceFreeSideLoops(const ProjectNet& net, std::vector<BoundaryLoop>& loops,
                        const std::function<bool()>& sideTaken) {
    // The free sides in element and corner order, and per node the sides
    // that touch it (ascending, so the first untaken one is the one the
    // plain scan from the first element would find).
    std::vector<FreeSide> sides;
    for (std::int32_t k = 1; k <= net.ElementCount; ++k) {
        const NetElement& e = net.ElementList.at(k);
        if (e.CornerCount > 4) rt::raise(9);
        for (std::int32_t l = 1; l <= e.CornerCount; ++l) {
            if ((e.Flag[l] & halvex::OuterSide) == 0) continue;
            const std::int16_t own = e.Node[l];
            const std::int16_t far = e.Node[l == e.CornerCount ? 1 : l + 1];
            if (own == far) continue;
            if (own < 1 || own > net.NodeCount || far < 1 || far > net.NodeCount) rt::raise(9);
            sides.push_back({own, far});
        }
    }
    std::vector<std::vector<std::size_t>> touching(static_cast<std::size_t>(net.NodeCount) + 1);
    for (std::size_t s = 0; s < sides.size(); ++s) {
        touching[sides[s].own].push_back(s);
        touching[sides[s].far].push_back(s);
    }
    std::vector<std::size_t> cursor(touching.size(), 0);  // per node: entries before it are taken
    std::vector<bool> taken(sides.size(), false);
    auto firstUntakenAt = [&](std::int16_t node) -> std::size_t {
        std::vector<std::size_t>& list = touching[node];
        std::size_t& c = cursor[node];
        while (c < list.size() && taken[list[c]]) ++c;
        return c < list.size() ? list[c] : sides.size();
    };
    auto pieceBetween = [&](std::int16_t a, std::int16_t b) {
        return straightPiece(net.NodeX[a], net.NodeY[a], net.NodeX[b], net.NodeY[b]);
    };

    loops.clear();
    auto stop = [&] { return sideTaken && sideTaken(); };
    std::size_t next = 0;  // sides before it are taken
    for (;;) {
        while (next < sides.size() && taken[next]) ++next;
        if (next == sides.size()) break;
        BoundaryLoop loop;
        taken[next] = true;
        const std::int16_t start = sides[next].own;
        std::int16_t end = sides[next].far;
        loop.pieces.push_back(pieceBetween(start, end));
        bool stopped = stop();
        while (!stopped) {
            const std::size_t s = firstUntakenAt(end);
            if (s == sides.size()) break;  // the chain does not close
            taken[s] = true;
            // The side's far node is tested first, then its own node.
            const std::int16_t other = sides[s].far == end ? sides[s].own : sides[s].far;
            loop.pieces.push_back(pieceBetween(end, other));
            end = other;
            stopped = stop();
            if (end == start) {
                loop.closed = true;
                break;
            }
        }
        loops.push_back(std::move(loop));
        if (stopped) return false;
    }
    return true;
}

void JoinCollinearPieces(BoundaryLoop& loop, double tol) {
    std::vector<OutlinePiece>& pieces = loop.pieces;
    // Per piece, the points joined into it so far: each must stay within tol
    // of the piece's line, so that a finely divided curve is not walked off
    // one small step at a time.
    std::vector<std::vector<std::pair<double, double>>> joined(pieces.size());
    std::size_t j = 0;
    while (j < pieces.size() && pieces.size() > 1) {
        const bool last = j + 1 == pieces.size();
        if (last && !loop.closed) break;
        const std::size_t k = last ? 0 : j + 1;
        const double x1 = pieces[j].X1, y1 = pieces[j].Y1;
        const double x2 = pieces[j].X2, y2 = pieces[j].Y2;
        const double x3 = pieces[k].X2, y3 = pieces[k].Y2;
        // The distance of the common point from the line through the far
        // ends (a length, compared with a length), and both pieces running
        // on in the same direction.
        const double chord = std::hypot(x3 - x1, y3 - y1);
        const double twiceArea = std::abs(x1 * (y2 - y3) + x2 * (y3 - y1) + x3 * (y1 - y2));
        const bool sameDirection = (x2 - x1) * (x3 - x2) + (y2 - y1) * (y3 - y2) > 0.0;
        auto offLine = [&](const std::pair<double, double>& p) {
            return std::abs((x3 - x1) * (p.second - y1) - (y3 - y1) * (p.first - x1)) / chord > tol;
        };
        if (chord == 0.0 || !sameDirection || twiceArea / chord > tol ||
            std::any_of(joined[j].begin(), joined[j].end(), offLine) ||
            std::any_of(joined[k].begin(), joined[k].end(), offLine)) {
            ++j;
            continue;
        }
        std::vector<std::pair<double, double>> points = std::move(joined[j]);
        points.emplace_back(x2, y2);
        points.insert(points.end(), joined[k].begin(), joined[k].end());
        if (last) {
            // Across the seam: the first piece starts where the last began.
            pieces[0].X1 = pieces[j].X1;
            pieces[0].Y1 = pieces[j].Y1;
            joined[0] = std::move(points);
            pieces.pop_back();
            joined.pop_back();
        } else {
            pieces[j].X2 = pieces[k].X2;
            pieces[j].Y2 = pieces[k].Y2;
            joined[j] = std::move(points);
            pieces.erase(pieces.begin() + static_cast<std::ptrdiff_t>(k));
            joined.erase(joined.begin() + static_cast<std::ptrdiff_t>(k));
        }
    }
}

void RecalculateMeshBoundary() {
    Declar& d = declar();
    const ProjectNet net = projectNetOf(d);
    auto stopRun = [] { RunControl().RunState(static_cast<std::int16_t>(halvex::ExitWithoutSaving)); };

    std::vector<BoundaryLoop> loops;
    std::int64_t freeSides = 0;
    for (std::int32_t k = 1; k <= net.ElementCount; ++k)
        for (std::int32_t l = 1; l <= net.ElementList.at(k).CornerCount && l <= 4; ++l)
            if (net.ElementList[k].Flag[l] & halvex::OuterSide) ++freeSides;
    SetOperationProgressMax(freeSides);
    if (!TraceFreeSideLoops(net, loops, [] { return OperationStopRequested(true); })) return stopRun();
    if (loops.empty()) return;  // no free side: the slab stays as read
    requireClosedLoops(loops);
    requireNoNodeInsideFreeSides(net);
    if (passesAPointTwice(loops)) loops = orientedLoops(net);

    const float unitFactor = CurrentNetUnitFactor(net);
    const double tol = static_cast<float>(0.001 / unitFactor);
    SetOperationProgressMax(static_cast<std::int64_t>(loops.size()));
    for (BoundaryLoop& loop : loops) {
        JoinCollinearPieces(loop, tol);
        if (OperationStopRequested(true)) return stopRun();
    }

    // How many other loops enclose each loop.
    std::vector<Box> boxes;
    boxes.reserve(loops.size());
    for (const BoundaryLoop& loop : loops) boxes.push_back(boxOf(loop));
    std::vector<int> depth(loops.size(), 0);
    SetOperationProgressMax(static_cast<std::int64_t>(loops.size()));
    for (std::size_t i = 0; i < loops.size(); ++i) {
        for (std::size_t j = 0; j < loops.size(); ++j)
            if (j != i && liesInside(loops[j], boxes[j], loops[i], boxes[i], tol)) ++depth[j];
        if (OperationStopRequested(true)) return stopRun();
    }

    std::vector<const BoundaryLoop*> outline;
    std::vector<const BoundaryLoop*> openings;
    for (std::size_t i = 0; i < loops.size(); ++i) (depth[i] % 2 == 0 ? outline : openings).push_back(&loops[i]);

    // The slab the loops bound must be the net's: elements that overlap, or
    // side flags that are not the net's border, give another area. Joined
    // pieces may cut off up to tol along their length.
    double slab = 0.0;
    double border = 0.0;
    for (std::size_t i = 0; i < loops.size(); ++i) {
        slab += (depth[i] % 2 == 0 ? 1.0 : -1.0) * loopArea(loops[i]);
        for (const OutlinePiece& p : loops[i].pieces)
            border += std::hypot(static_cast<double>(p.X2) - p.X1, static_cast<double>(p.Y2) - p.Y1);
    }
    double elements = 0.0;
    for (std::int32_t k = 1; k <= net.ElementCount; ++k) {
        const NetElement& e = net.ElementList[k];
        for (std::int32_t l = 1; l <= e.CornerCount; ++l) {
            const std::int16_t a = e.Node[l], b = e.Node[l == e.CornerCount ? 1 : l + 1];
            if (a < 1 || a > net.NodeCount || b < 1 || b > net.NodeCount) rt::raise(9);
            elements += (static_cast<double>(net.NodeX[a]) * net.NodeY[b] - static_cast<double>(net.NodeX[b]) * net.NodeY[a]) / 2.0;
        }
    }
    if (!(std::abs(slab - elements) <= tol * border + 1e-9 * std::abs(elements))) {
        char bounded[32], covered[32], apart[32];
        std::snprintf(bounded, sizeof bounded, "%.6g", slab);
        std::snprintf(covered, sizeof covered, "%.6g", elements);
        std::snprintf(apart, sizeof apart, "%.4g", tol);
        refuse(quillon::TextNo(190167), {rt::Variant("|1"), rt::Variant(bounded), rt::Variant("|2"), rt::Variant(covered),
                                          rt::Variant("|3"), rt::Variant(apart)});
    }
    SlabBoundary b;
    b.OutlinePieceCount = d.OutlinePieceCount;  // kept when no loop bounds slab
    b.OutlinePieces = d.OutlinePieces;
    if (!outline.empty()) makeOutline(b, outline);
    makeOpenings(b, openings);
    d.OutlinePieceCount = b.OutlinePieceCount;
    d.OutlinePieces = std::move(b.OutlinePieces);
    d.OpeningCount = b.OpeningCount;
    d.OpeningPieceCount = std::move(b.OpeningPieceCount);
    d.MaxOpeningPieces = b.MaxOpeningPieces;
    d.OpeningPieces = std::move(b.OpeningPieces);
}

}  // namespace orvelo
