#include "orvelo/delaunay/generate.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "orvelo/delaunay/angles.h"
#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/boundary.h"
#include "orvelo/delaunay/classify.h"
#include "orvelo/delaunay/delete_nodes.h"
#include "orvelo/delaunay/division_plan.h"
#include "orvelo/delaunay/edge_recovery.h"
#include "orvelo/delaunay/kernel.h"
#include "orvelo/delaunay/links.h"
#include "orvelo/delaunay/marks.h"
#include "orvelo/delaunay/predicates.h"
#include "orvelo/delaunay/progress.h"
#include "orvelo/delaunay/refine.h"
#include "orvelo/delaunay/target_size.h"
#include "orvelo/delaunay/units.h"
#include "orvelo/project/services.h"
#include "outside/drovik/region_test.h"
#include "outside/quillon/language_text.h"
#include "platform/runtime/errors.h"

namespace orvelo {

namespace {

constexpr std::int32_t kOpDeleteNodesQuiet = 3;

// Frees the slab region on every way out of the generation.
class SlabRegionGuard {
public:
    explicit SlabRegionGuard(BasDelaunay& m) : m_(m) {}
    ~SlabRegionGuard() { release(); }
    SlabRegionGuard(const SlabRegionGuard&) = delete;
    SlabRegionGuard& operator=(const SlabRegionGuard&) = delete;
    void release() {
        if (m_.SlabRegion != 0) drovik::DeleteObject(m_.SlabRegion);
        m_.SlabRegion = 0;
        m_.SlabRegionCorners.clear();
    }

private:
    BasDelaunay& m_;
};

std::string textOf(std::int32_t number, std::vector<rt::Variant> pairs = {}) {
    return LanguageTexts().GetText(rt::Variant(number), pairs);
}

// A place as the messages show it: each coordinate to four digits.
std::string placeText(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4g", value);
    return text;
}

// textNumber tells what the slab description lists (190254 outline pieces,
// 190255 openings, 190256 opening pieces, 190257 lines, 190258 single
// points).
void checkListed(std::size_t count, std::size_t size, std::int32_t textNumber) {
    if (count + 1 > size) rt::raise(9, textOf(quillon::TextNo(textNumber)));
}

// The consecutive pairs of a chain as rows (a pair of one node twice is no
// side and is left out); with close, a chain that does not end at its first
// node is closed by a row back to it.
void appendChainRows(EdgeList& rows, std::int16_t& count, const std::vector<std::int16_t>& chain, bool close) {
    auto append = [&](std::int16_t a, std::int16_t b) {
        if (count >= kMaxNetCount) rt::raise(6, textOf(quillon::TextNo(190253)));
        ++count;
        rows.resize(static_cast<std::size_t>(count) + 1);
        rows[static_cast<std::size_t>(count)] = {a, b};
    };
    for (std::size_t j = 0; j + 1 < chain.size(); ++j)
        if (chain[j] != chain[j + 1]) append(chain[j], chain[j + 1]);
    if (close && chain.size() >= 2 && chain.back() != chain.front()) append(chain.back(), chain.front());
}

// Whether the chain's nodes enclose an area: at least three of them not on
// one line.
bool enclosesArea(const BasDelaunay& m, const std::vector<std::int16_t>& chain) {
    if (chain.empty()) return false;
    const std::int16_t first = chain.front();
    std::int16_t second = 0;
    for (std::int16_t n : chain) {
        if (n == first) continue;
        if (second == 0) {
            second = n;
            continue;
        }
        if (OrientNodes(m, first, second, n) != 0.0) return true;
    }
    return false;
}

// A straight piece whose ends coincide within the tolerance: it adds no
// side and is merged into its neighbours, wherever it stands in its loop.
bool isShortPiece(const OutlinePiece& piece, double tol) {
    const bool arc = piece.IsArc && std::hypot(static_cast<double>(piece.X1) - piece.XC,
                                               static_cast<double>(piece.Y1) - piece.YC) < 10000.0;
    return !arc && CloserThan(piece.X1, piece.X2, tol) && CloserThan(piece.Y1, piece.Y2, tol);
}

// Refuses a loop whose nodes meet again away from its closing (two of its
// points coincide within the tolerance, so the loop pinches): a thin spike
// would lose its tip, a narrow gap would close, without either being told.
// opening: 0 for the slab outline, else the opening's number.
void checkLoopKeepsApart(const BasDelaunay& m, const std::vector<std::int16_t>& chain, std::size_t opening) {
    std::vector<std::int16_t> nodes;
    for (std::int16_t n : chain)
        if (nodes.empty() || nodes.back() != n) nodes.push_back(n);
    if (nodes.size() > 1 && nodes.front() == nodes.back()) nodes.pop_back();
    std::vector<std::int16_t> sorted = nodes;
    std::sort(sorted.begin(), sorted.end());
    const auto twice = std::adjacent_find(sorted.begin(), sorted.end());
    if (twice == sorted.end()) return;
    const std::size_t n = static_cast<std::size_t>(*twice);
    const rt::Variant x(placeText(m.MeshNodeX[n])), y(placeText(m.MeshNodeY[n]));
    rt::raise(5, opening == 0 ? textOf(quillon::TextNo(190249), {rt::Variant("|1"), x, rt::Variant("|2"), y})
                              : textOf(quillon::TextNo(190250), {rt::Variant("|1"), rt::Variant(static_cast<std::int32_t>(opening)),
                                                                  rt::Variant("|2"), x, rt::Variant("|3"), y}));
}

struct Point2 {
    double x, y;
};

std::vector<Point2> chainPoints(const BasDelaunay& m, const std::vector<std::int16_t>& chain) {
    std::vector<Point2> points;
    for (std::int16_t n : chain) {
        const Point2 p{m.MeshNodeX[static_cast<std::size_t>(n)], m.MeshNodeY[static_cast<std::size_t>(n)]};
        if (points.empty() || points.back().x != p.x || points.back().y != p.y) points.push_back(p);
    }
    if (points.size() > 1 && points.front().x == points.back().x && points.front().y == points.back().y) points.pop_back();
    return points;
}

double polygonArea(const std::vector<Point2>& polygon) {
    double twice = 0.0;
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const Point2& a = polygon[i];
        const Point2& b = polygon[(i + 1) % polygon.size()];
        twice += a.x * b.y - a.y * b.x;
    }
    return twice / 2.0;
}

bool polygonHolds(const std::vector<Point2>& polygon, double x, double y) {
    bool in = false;
    for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++)
        if ((polygon[i].y > y) != (polygon[j].y > y) &&
            x < polygon[j].x + (y - polygon[j].y) * (polygon[i].x - polygon[j].x) / (polygon[i].y - polygon[j].y))
            in = !in;
    return in;
}

double segmentPointDistance(const Point2& a, const Point2& b, const Point2& p) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double l2 = dx * dx + dy * dy;
    const double t = l2 > 0.0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / l2, 0.0, 1.0) : 0.0;
    return std::hypot(a.x + t * dx - p.x, a.y + t * dy - p.y);
}

// Whether two closed polylines come within tol of each other (touch or
// cross); boxes of the sides keep the pairs looked at few. Only the sides of
// each that reach the other's box (widened by tol) can meet a side of the
// other, so the pairs are made of those alone.
bool polygonsMeet(const std::vector<Point2>& p, const std::vector<Point2>& q, double tol) {
    auto box = [](const std::vector<Point2>& polygon) {
        std::array<double, 4> b{HUGE_VAL, HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
        for (const Point2& v : polygon) b = {std::min(b[0], v.x), std::min(b[1], v.y), std::max(b[2], v.x), std::max(b[3], v.y)};
        return b;
    };
    const auto pb = box(p), qb = box(q);
    if (pb[2] + tol < qb[0] || qb[2] + tol < pb[0] || pb[3] + tol < qb[1] || qb[3] + tol < pb[1]) return false;
    // A side of p is passed below for every side of q when its box, widened
    // by tol, misses q's box; a side of q likewise when it misses p's box
    // widened by tol (the rounding of "+ tol" and "- tol" keeps the order).
    // A NaN coordinate, which the boxes leave out, keeps every side.
    auto hasNaN = [](const std::vector<Point2>& polygon) {
        return std::any_of(polygon.begin(), polygon.end(), [](const Point2& v) { return v.x != v.x || v.y != v.y; });
    };
    const bool all = hasNaN(p) || hasNaN(q);
    std::vector<std::size_t> pSides, qSides;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const Point2& a = p[i];
        const Point2& b = p[(i + 1) % p.size()];
        if (all || !(qb[2] < std::min(a.x, b.x) - tol || qb[0] > std::max(a.x, b.x) + tol ||
                     qb[3] < std::min(a.y, b.y) - tol || qb[1] > std::max(a.y, b.y) + tol))
            pSides.push_back(i);
    }
    if (pSides.empty()) return false;
    for (std::size_t j = 0; j < q.size(); ++j) {
        const Point2& c = q[j];
        const Point2& d = q[(j + 1) % q.size()];
        if (all || !(std::max(c.x, d.x) < pb[0] - tol || std::min(c.x, d.x) > pb[2] + tol ||
                     std::max(c.y, d.y) < pb[1] - tol || std::min(c.y, d.y) > pb[3] + tol))
            qSides.push_back(j);
    }
    auto orient = [](const Point2& a, const Point2& b, const Point2& c) {
        return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
    };
    for (std::size_t i : pSides) {
        const Point2& a = p[i];
        const Point2& b = p[(i + 1) % p.size()];
        const double xLow = std::min(a.x, b.x) - tol, xHigh = std::max(a.x, b.x) + tol;
        const double yLow = std::min(a.y, b.y) - tol, yHigh = std::max(a.y, b.y) + tol;
        for (std::size_t j : qSides) {
            const Point2& c = q[j];
            const Point2& d = q[(j + 1) % q.size()];
            if (std::max(c.x, d.x) < xLow || std::min(c.x, d.x) > xHigh || std::max(c.y, d.y) < yLow ||
                std::min(c.y, d.y) > yHigh)
                continue;
            const double o1 = orient(a, b, c), o2 = orient(a, b, d), o3 = orient(c, d, a), o4 = orient(c, d, b);
            if (((o1 > 0) != (o2 > 0)) && ((o3 > 0) != (o4 > 0))) return true;
            if (segmentPointDistance(a, b, c) < tol || segmentPointDistance(a, b, d) < tol ||
                segmentPointDistance(c, d, a) < tol || segmentPointDistance(c, d, b) < tol)
                return true;
        }
    }
    return false;
}

// Refuses, before any triangle is made, an opening that comes within the
// coincidence tolerance of the outline or of another opening (touching or
// crossing it): no net could keep it apart.
void checkOpenings(const std::vector<std::vector<Point2>>& outline, const std::vector<std::vector<Point2>>& openings,
                   const std::vector<std::size_t>& numbers, double tol) {
    for (std::size_t s = 0; s < openings.size(); ++s) {
        for (const auto& loop : outline)
            if (polygonsMeet(openings[s], loop, tol))
                rt::raise(5, textOf(quillon::TextNo(190243), {rt::Variant("|1"), rt::Variant(static_cast<std::int32_t>(numbers[s]))}));
        for (std::size_t t = s + 1; t < openings.size(); ++t)
            if (polygonsMeet(openings[s], openings[t], tol))
                rt::raise(5, textOf(quillon::TextNo(190244), {rt::Variant("|1"), rt::Variant(static_cast<std::int32_t>(numbers[s])),
                                                               rt::Variant("|2"), rt::Variant(static_cast<std::int32_t>(numbers[t]))}));
    }
}

// The stretch of segment (ax, ay)-(bx, by) that lies within tol of the
// side (cx, cy)-(dx, dy), measured across the side and along it (the band
// of the side widened by tol, its ends by tol too): its length, 0 when none.
double stretchAlong(double ax, double ay, double bx, double by, const Point2& c, const Point2& d, double tol) {
    const double ux = d.x - c.x, uy = d.y - c.y;
    const double length = std::hypot(ux, uy);
    if (!(length > 0.0)) return 0.0;
    const double ex = ux / length, ey = uy / length;
    // Along the side (from c) and across it, at both ends of the segment.
    const double s0 = (ax - c.x) * ex + (ay - c.y) * ey, s1 = (bx - c.x) * ex + (by - c.y) * ey;
    const double n0 = (ay - c.y) * ex - (ax - c.x) * ey, n1 = (by - c.y) * ex - (bx - c.x) * ey;
    double t0 = 0.0, t1 = 1.0;
    auto clip = [&](double p0, double p1, double low, double high) {
        const double dp = p1 - p0;
        if (dp == 0.0) {
            if (p0 < low || p0 > high) t1 = -1.0;
            return;
        }
        double a = (low - p0) / dp, b = (high - p0) / dp;
        if (a > b) std::swap(a, b);
        t0 = std::max(t0, a);
        t1 = std::min(t1, b);
    };
    clip(s0, s1, -tol, length + tol);
    clip(n0, n1, -tol, tol);
    if (!(t1 > t0)) return 0.0;
    return (t1 - t0) * std::hypot(bx - ax, by - ay);
}

// Refuses an internal line that runs within the coincidence tolerance of a
// side of the outline, of an opening or of another line over more than a
// crossing or an end on it takes: its nodes would merge with the side's, or
// a strip of slivers a few millimetres wide would follow it.
void checkLinesKeepApart(const BasDelaunay& m, const std::vector<std::vector<Point2>>& outline,
                         const std::vector<std::vector<Point2>>& openings, const std::vector<std::size_t>& openingNumbers,
                         double tol) {
    // (A crossing at an angle under about 6 degrees is taken for running
    // along: its stretch within the tolerance is 20 tolerances long.)
    const double along = 20.0 * tol;
    // what: 0 the slab outline, else the number of the opening (190241)
    // or of the other line (190242) it runs along.
    auto refuse = [&](std::size_t k, std::int32_t textNumber, std::size_t what, double x, double y) {
        const rt::Variant line(static_cast<std::int32_t>(k)), atX(placeText(x)), atY(placeText(y));
        if (textNumber == 190240)
            rt::raise(5, textOf(quillon::TextNo(190240), {rt::Variant("|1"), line, rt::Variant("|2"), atX, rt::Variant("|3"), atY}));
        rt::raise(5, textOf(quillon::TextNo(textNumber), {rt::Variant("|1"), line, rt::Variant("|2"), rt::Variant(static_cast<std::int32_t>(what)),
                                                         rt::Variant("|3"), atX, rt::Variant("|4"), atY}));
    };
    for (std::size_t k = 1; k <= static_cast<std::size_t>(m.MeshLineCount); ++k) {
        const double ax = m.MeshLineStart[k].X, ay = m.MeshLineStart[k].Y;
        const double bx = m.MeshLineEnd[k].X, by = m.MeshLineEnd[k].Y;
        auto loops = [&](const std::vector<std::vector<Point2>>& list, std::int32_t textNumber, auto&& number) {
            for (std::size_t i = 0; i < list.size(); ++i)
                for (std::size_t j = 0; j < list[i].size(); ++j) {
                    const Point2& c = list[i][j];
                    const Point2& d = list[i][(j + 1) % list[i].size()];
                    if (stretchAlong(ax, ay, bx, by, c, d, tol) > along) refuse(k, textNumber, number(i), (c.x + d.x) / 2.0, (c.y + d.y) / 2.0);
                }
        };
        loops(outline, 190240, [](std::size_t) { return std::size_t{0}; });
        loops(openings, 190241, [&](std::size_t i) { return openingNumbers[i]; });
        for (std::size_t j = k + 1; j <= static_cast<std::size_t>(m.MeshLineCount); ++j) {
            const Point2 c{m.MeshLineStart[j].X, m.MeshLineStart[j].Y}, d{m.MeshLineEnd[j].X, m.MeshLineEnd[j].Y};
            if (stretchAlong(ax, ay, bx, by, c, d, tol) > along)
                refuse(k, 190242, j, (ax + bx) / 2.0, (ay + by) / 2.0);
        }
    }
}

// AppendPiecePoints as points of the checks here.
void appendPiecePoints(const OutlinePiece& piece, std::vector<Point2>& points) {
    std::vector<std::pair<double, double>> pairs;
    AppendPiecePoints(piece, pairs);
    for (const auto& [x, y] : pairs) points.push_back({x, y});
}

// Where two sides of a loop that do not follow each other cross or come
// within tol of each other; false when none do.
bool loopMeetsItself(const std::vector<Point2>& loop, double tol, Point2& where) {
    const std::size_t n = loop.size();
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = i + 2; j < n; ++j) {
            if (i == 0 && j == n - 1) continue;
            const std::vector<Point2> p{loop[i], loop[(i + 1) % n]}, q{loop[j], loop[(j + 1) % n]};
            if (polygonsMeet(p, q, tol)) return where = loop[j], true;
        }
    return false;
}

// The outline (opening 0) or opening s of the file as closed loops of
// points; error 5 for a loop that does not come back to its start, one
// whose piece does not start where the piece before it ends (a gap at a
// corner), or one that meets itself.
std::vector<std::vector<Point2>> checkedLoops(const std::vector<OutlinePiece>& pieces, std::size_t count, std::size_t s,
                                              double tol, const std::string& file) {
    const rt::Variant fileName(file), opening(static_cast<std::int32_t>(s));
    std::vector<std::vector<Point2>> loops(1);
    std::size_t first = 0;
    const OutlinePiece* before = nullptr;  // the piece before, within the loop begun
    for (std::size_t k = 1; k <= count && k < pieces.size(); ++k) {
        const OutlinePiece& piece = pieces[k];
        if (before != nullptr && !(CloserThan(piece.X1, before->X2, tol) && CloserThan(piece.Y1, before->Y2, tol))) {
            const rt::Variant x1(before->X2), y1(before->Y2), x2(piece.X1), y2(piece.Y1);
            rt::raise(5, s == 0 ? textOf(quillon::TextNo(190282), {rt::Variant("|1"), fileName, rt::Variant("|2"), x1, rt::Variant("|3"),
                                                                    y1, rt::Variant("|4"), x2, rt::Variant("|5"), y2})
                                : textOf(quillon::TextNo(190283), {rt::Variant("|1"), fileName, rt::Variant("|2"), opening, rt::Variant("|3"),
                                                                    x1, rt::Variant("|4"), y1, rt::Variant("|5"), x2, rt::Variant("|6"), y2}));
        }
        // A short piece before a loop's first piece belongs to no loop.
        if (isShortPiece(piece, tol) && loops.back().empty()) continue;
        before = &piece;
        if (isShortPiece(piece, tol)) continue;
        if (loops.back().empty()) first = k;
        appendPiecePoints(piece, loops.back());
        if (CloserThan(piece.X2, pieces[first].X1, tol) && CloserThan(piece.Y2, pieces[first].Y1, tol)) {
            loops.emplace_back();
            before = nullptr;
        } else if (k == count) {
            const rt::Variant x(piece.X2), y(piece.Y2);
            rt::raise(5, s == 0 ? textOf(quillon::TextNo(190280), {rt::Variant("|1"), fileName, rt::Variant("|2"), x, rt::Variant("|3"), y})
                                : textOf(quillon::TextNo(190281), {rt::Variant("|1"), fileName, rt::Variant("|2"), opening,
                                                                    rt::Variant("|3"), x, rt::Variant("|4"), y}));
        }
    }
    loops.pop_back();
    for (const auto& loop : loops) {
        Point2 where{};
        if (!loopMeetsItself(loop, tol, where)) continue;
        char x[32], y[32];
        std::snprintf(x, sizeof x, "%.4g", where.x);
        std::snprintf(y, sizeof y, "%.4g", where.y);
        rt::raise(5, s == 0 ? textOf(quillon::TextNo(190153), {rt::Variant("|1"), rt::Variant(x), rt::Variant("|2"), rt::Variant(y)})
                            : textOf(quillon::TextNo(190154), {rt::Variant("|1"), rt::Variant(static_cast<std::int32_t>(s)),
                                                                rt::Variant("|2"), rt::Variant(x), rt::Variant("|3"), rt::Variant(y)}));
    }
    return loops;
}

// The point by which a loop is told inside another: the middle of its
// first side, which lies on no other loop even where loops touch at a
// corner (parts of slab meeting at a node, as a recalculated border has
// them); a corner may be that very node.
Point2 probeOf(const std::vector<Point2>& loop) {
    if (loop.size() < 2) return loop.front();
    return {(loop[0].x + loop[1].x) / 2.0, (loop[0].y + loop[1].y) / 2.0};
}

// The area the net must cover: the outline loops' less the openings.
double slabArea(const std::vector<std::vector<Point2>>& outline, const std::vector<std::vector<Point2>>& openings) {
    // The even-odd rule over all loops, openings included: a loop adds its
    // area when an even number of other loops hold it and takes it away
    // otherwise.
    std::vector<const std::vector<Point2>*> loops;
    for (const auto& loop : outline) loops.push_back(&loop);
    for (const auto& opening : openings) loops.push_back(&opening);
    double area = 0.0;
    for (const auto* loop : loops) {
        int within = 0;
        for (const auto* other : loops)
            if (other != loop && polygonHolds(*other, probeOf(*loop).x, probeOf(*loop).y)) ++within;
        area += (within % 2 == 0 ? 1.0 : -1.0) * std::fabs(polygonArea(*loop));
    }
    return area;
}

// For every border piece, the outline's (1..count) and then each
// opening's, on which side of its course the slab lies: +1 left, -1 right,
// 0 for a short piece or one of a loop that does not close. The loops are
// cut as the division cuts them; the slab lies inside a loop that an even
// number of other loops hold (the even-odd rule), outside the others.
std::vector<int> slabSides(const BasDelaunay& m, double tol) {
    struct Loop {
        std::vector<std::size_t> pieces;  // indices into the result
        std::vector<Point2> polygon;
    };
    std::vector<Loop> loops;
    std::vector<int> sides;
    auto cut = [&](const std::vector<OutlinePiece>& list, std::size_t count) {
        Loop loop;
        std::size_t first = 0;
        for (std::size_t k = 1; k <= count && k < list.size(); ++k) {
            const OutlinePiece& piece = list[k];
            sides.push_back(0);
            if (isShortPiece(piece, tol)) continue;
            if (loop.pieces.empty()) first = k;
            loop.pieces.push_back(sides.size() - 1);
            appendPiecePoints(piece, loop.polygon);
            if (CloserThan(piece.X2, list[first].X1, tol) && CloserThan(piece.Y2, list[first].Y1, tol)) {
                loops.push_back(std::move(loop));
                loop = Loop{};
            }
        }
    };
    cut(m.MeshOutline, static_cast<std::size_t>(std::max<std::int16_t>(m.MeshOutlineCount, 0)));
    for (std::size_t s = 1; s <= static_cast<std::size_t>(std::max<std::int16_t>(m.MeshOpeningCount, 0)) &&
                            s < m.MeshOpenings.size() && s < m.MeshOpeningPieceCount.size();
         ++s)
        cut(m.MeshOpenings[s], static_cast<std::size_t>(std::max<std::int16_t>(m.MeshOpeningPieceCount[s], 0)));
    for (const Loop& loop : loops) {
        if (loop.polygon.size() < 3) continue;
        const double area = polygonArea(loop.polygon);
        if (!(area != 0.0)) continue;
        std::size_t holding = 0;
        for (const Loop& other : loops)
            if (&other != &loop && other.polygon.size() >= 3 && polygonHolds(other.polygon, probeOf(loop.polygon).x, probeOf(loop.polygon).y))
                ++holding;
        const int side = ((area > 0.0) == (holding % 2 == 0)) ? 1 : -1;
        for (std::size_t i : loop.pieces) sides[i] = side;
    }
    return sides;
}

double netArea(const BasDelaunay& m) {
    double area = 0.0;
    for (std::size_t e = 1; e <= static_cast<std::size_t>(m.MeshElementCount); ++e) {
        const NetElement& t = m.MeshElementList[e];
        if (t.CornerCount < 1) continue;
        const auto x = [&](int k) { return static_cast<double>(m.MeshNodeX[static_cast<std::size_t>(t.Node[static_cast<std::size_t>(k)])]); };
        const auto y = [&](int k) { return static_cast<double>(m.MeshNodeY[static_cast<std::size_t>(t.Node[static_cast<std::size_t>(k)])]); };
        area += std::fabs((x(2) - x(1)) * (y(3) - y(1)) - (y(2) - y(1)) * (x(3) - x(1))) / 2.0;
    }
    return area;
}

}  // namespace

void CheckSlabDescription(const std::string& file) {
    const BasDelaunay& m = basDelaunay();
    SetScaleFromSlabDescription();
    const double tol = CoincidenceTolerance();
    const auto outline = checkedLoops(m.MeshOutline, static_cast<std::size_t>(std::max<std::int16_t>(m.MeshOutlineCount, 0)), 0, tol, file);
    std::vector<std::vector<Point2>> openings;
    std::vector<std::size_t> numbers;
    for (std::size_t s = 1; s <= static_cast<std::size_t>(std::max<std::int16_t>(m.MeshOpeningCount, 0)) &&
                            s < m.MeshOpenings.size() && s < m.MeshOpeningPieceCount.size();
         ++s) {
        for (auto& loop : checkedLoops(m.MeshOpenings[s], static_cast<std::size_t>(std::max<std::int16_t>(m.MeshOpeningPieceCount[s], 0)), s, tol, file)) {
            // Inside the slab: within an odd number of the outline's loops.
            const auto holding = std::count_if(outline.begin(), outline.end(),
                                               [&](const auto& o) { return polygonHolds(o, loop.front().x, loop.front().y); });
            if (holding % 2 == 0)
                rt::raise(5, textOf(quillon::TextNo(190155), {rt::Variant("|1"), rt::Variant(static_cast<std::int32_t>(s))}));
            openings.push_back(std::move(loop));
            numbers.push_back(s);
        }
    }
    checkOpenings(outline, openings, numbers, tol);
}

void GenerateDelaunayMesh() {
    BasDelaunay& m = basDelaunay();
    RunControl().RunState(0);
    if (m.MeshOutlineCount < 3) return;
    checkListed(static_cast<std::size_t>(m.MeshOutlineCount), m.MeshOutline.size(), 190254);
    checkListed(static_cast<std::size_t>(m.MeshOpeningCount), std::min(m.MeshOpeningPieceCount.size(), m.MeshOpenings.size()), 190255);
    for (std::size_t s = 1; s <= static_cast<std::size_t>(m.MeshOpeningCount); ++s)
        checkListed(static_cast<std::size_t>(std::max<std::int16_t>(m.MeshOpeningPieceCount[s], 0)), m.MeshOpenings[s].size(), 190256);
    checkListed(static_cast<std::size_t>(m.MeshLineCount), std::min(m.MeshLineStart.size(), m.MeshLineEnd.size()), 190257);
    checkListed(static_cast<std::size_t>(m.MeshPointCount), m.MeshPoints.size(), 190258);

    ResetZeroSideNotice();
    NodeIndexScope nodeIndex;
    TargetSizeIndexScope sizeIndex;
    SlabRegionGuard region(m);
    auto stopped = [] {
        RunControl().RunState(3);
    };

    mesher::ShowStatusText(quillon::TextNo(100036));
    if (mesher::StopRequested(false)) return stopped();
    SetScaleFromSlabDescription();

    InitStartTriangulation();
    if (mesher::StopRequested(false)) return stopped();
    TakeDivisionStop();

    // The outline: one or more closed loops written one after the other
    // (separate slab parts each keep their own outline). A loop ends where
    // its last piece comes back to the start of its first piece; each loop
    // is closed by the end point of its last piece and gives its own rows.
    // Straight pieces whose ends coincide within the tolerance are merged
    // into their neighbours wherever they stand (they neither start nor
    // close a loop).
    std::vector<std::vector<std::int16_t>> outlineLoops;
    std::vector<std::int16_t> chain;
    // The straight border pieces and the lines, for the places where they
    // meet.
    std::vector<Segment> borderSegments;
    std::vector<Segment> lineSegments;
    for (std::size_t k = 1; k <= static_cast<std::size_t>(m.MeshOutlineCount); ++k)
        if (IsStraightPiece(m.MeshOutline[k])) borderSegments.push_back(SegmentOf(m.MeshOutline[k]));
    for (std::size_t s = 1; s <= static_cast<std::size_t>(m.MeshOpeningCount); ++s)
        for (std::size_t k = 1; k <= static_cast<std::size_t>(std::max<std::int16_t>(m.MeshOpeningPieceCount[s], 0)); ++k)
            if (IsStraightPiece(m.MeshOpenings[s][k])) borderSegments.push_back(SegmentOf(m.MeshOpenings[s][k]));
    for (std::size_t k = 1; k <= static_cast<std::size_t>(m.MeshLineCount); ++k)
        lineSegments.push_back({m.MeshLineStart[k].X, m.MeshLineStart[k].Y, m.MeshLineEnd[k].X, m.MeshLineEnd[k].Y});
    std::vector<const Segment*> lines;
    for (const Segment& line : lineSegments) lines.push_back(&line);
    // Every piece a single point may divide: the border's, arcs too, and
    // the lines.
    std::vector<OutlinePiece> pieces(m.MeshOutline.begin() + 1, m.MeshOutline.begin() + 1 + m.MeshOutlineCount);
    for (std::size_t s = 1; s <= static_cast<std::size_t>(m.MeshOpeningCount); ++s)
        pieces.insert(pieces.end(), m.MeshOpenings[s].begin() + 1,
                      m.MeshOpenings[s].begin() + 1 + std::max<std::int16_t>(m.MeshOpeningPieceCount[s], 0));
    for (const Segment& line : lineSegments) {
        OutlinePiece piece;
        piece.X1 = static_cast<float>(line.x1), piece.Y1 = static_cast<float>(line.y1);
        piece.X2 = static_cast<float>(line.x2), piece.Y2 = static_cast<float>(line.y2);
        pieces.push_back(piece);
    }
    const std::vector<SidePoint> sidePoints = SinglePointsOnSides(m, pieces, slabSides(m, CoincidenceTolerance()), CoincidenceTolerance());
    // Internal line k as a piece, and what divides it: the border and the
    // other lines (for the count and for the division alike).
    auto linePiece = [&m](std::size_t k) {
        OutlinePiece line;
        line.X1 = m.MeshLineStart[k].X;
        line.Y1 = m.MeshLineStart[k].Y;
        line.X2 = m.MeshLineEnd[k].X;
        line.Y2 = m.MeshLineEnd[k].Y;
        return line;
    };
    auto lineCrossers = [&](std::size_t k) {
        std::vector<const Segment*> others;
        for (const Segment& border : borderSegments) others.push_back(&border);
        for (std::size_t j = 0; j < lineSegments.size(); ++j)
            if (j + 1 != k) others.push_back(&lineSegments[j]);
        return others;
    };

    // How many nodes the pieces need at the target sizes, before any is
    // made, by the rule the division follows (the places where constraints
    // meet and where single points divide a piece included): a net that
    // would pass the limit ends here at once.
    {
        const double tol = CoincidenceTolerance();
        std::int64_t needed = 4 + std::max<std::int64_t>(m.MeshPointCount, 0);
        auto count = [&](const OutlinePiece& piece, const std::vector<const Segment*>& others, std::int64_t ends) {
            if (isShortPiece(piece, tol)) return;
            needed += CountDividedPieceNodes(piece, others, sidePoints, tol, kMaxNetCount - needed + 1) - 2 + ends;
            if (needed > kMaxNetCount) RaiseNetTooLarge();
        };
        for (std::size_t k = 1; k <= static_cast<std::size_t>(m.MeshOutlineCount); ++k) count(m.MeshOutline[k], lines, 1);
        for (std::size_t s = 1; s <= static_cast<std::size_t>(m.MeshOpeningCount); ++s)
            for (std::size_t k = 1; k <= static_cast<std::size_t>(std::max<std::int16_t>(m.MeshOpeningPieceCount[s], 0)); ++k)
                count(m.MeshOpenings[s][k], lines, 1);
        for (std::size_t k = 1; k <= static_cast<std::size_t>(m.MeshLineCount); ++k) count(linePiece(k), lineCrossers(k), 2);
        if (TakeDivisionStop()) return stopped();
    }
    {
        const double tol = CoincidenceTolerance();
        std::size_t loopStart = 1;
        const std::size_t count = static_cast<std::size_t>(m.MeshOutlineCount);
        for (std::size_t k = 1; k <= count; ++k) {
            const OutlinePiece& piece = m.MeshOutline[k];
            const bool isShort = isShortPiece(piece, tol);
            if (isShort && chain.empty()) {
                // A short piece at the start of a loop gives the loop's first
                // node (the next piece's start coincides with it), as the
                // end of the piece before does for one further on.
                chain.push_back(AddMeshNode(piece.X1, piece.Y1, -1));
                continue;
            }
            if (!isShort) AddDividedPieceNodes(piece, lines, sidePoints, chain, tol);
            if (TakeDivisionStop()) return stopped();
            const OutlinePiece& first = m.MeshOutline[loopStart];
            const bool closes = !isShort && CloserThan(piece.X2, first.X1, tol) && CloserThan(piece.Y2, first.Y1, tol);
            if (k < count && !closes) continue;
            // Short pieces that follow the closing one belong to this loop.
            while (k < count && isShortPiece(m.MeshOutline[k + 1], tol)) ++k;
            chain.push_back(AddMeshNode(piece.X2, piece.Y2, -1));
            appendChainRows(m.BoundaryEdges, m.BoundaryEdgeCount, chain, true);
            if (!enclosesArea(m, chain))
                rt::raise(5, textOf(quillon::TextNo(outlineLoops.empty() && k == count ? 190245 : 190246)));
            checkLoopKeepsApart(m, chain, 0);
            outlineLoops.push_back(chain);
            chain.clear();
            loopStart = k + 1;
        }
        if (outlineLoops.empty()) rt::raise(5, textOf(quillon::TextNo(190245)));
    }

    // The openings, kept apart from the outline and from each other.
    std::vector<std::vector<Point2>> outlinePolygons;
    for (const auto& loop : outlineLoops) outlinePolygons.push_back(chainPoints(m, loop));
    std::vector<std::vector<Point2>> openingPolygons;
    std::vector<std::size_t> openingNumbers;
    for (std::size_t s = 1; s <= static_cast<std::size_t>(m.MeshOpeningCount); ++s) {
        const std::size_t pieces = static_cast<std::size_t>(std::max<std::int16_t>(m.MeshOpeningPieceCount[s], 0));
        if (pieces == 0) continue;
        chain.clear();
        const double tol = CoincidenceTolerance();
        for (std::size_t k = 1; k <= pieces; ++k)
            if (!isShortPiece(m.MeshOpenings[s][k], tol)) AddDividedPieceNodes(m.MeshOpenings[s][k], lines, sidePoints, chain, tol);
        if (TakeDivisionStop()) return stopped();
        if (chain.empty()) {
            // Every piece shorter than the tolerance: the opening would
            // vanish from the net without a word.
            rt::raise(5, textOf(quillon::TextNo(190247), {rt::Variant("|1"), rt::Variant(static_cast<std::int32_t>(s)), rt::Variant("|2"),
                                                           rt::Variant(placeText(m.MeshOpenings[s][1].X1)), rt::Variant("|3"),
                                                           rt::Variant(placeText(m.MeshOpenings[s][1].Y1))}));
        }
        chain.push_back(AddMeshNode(m.MeshOpenings[s][pieces].X2, m.MeshOpenings[s][pieces].Y2, -1));
        appendChainRows(m.BoundaryEdges, m.BoundaryEdgeCount, chain, true);
        if (!enclosesArea(m, chain))
            rt::raise(5, textOf(quillon::TextNo(190248), {rt::Variant("|1"), rt::Variant(static_cast<std::int32_t>(s))}));
        checkLoopKeepsApart(m, chain, s);
        openingPolygons.push_back(chainPoints(m, chain));
        openingNumbers.push_back(s);
    }

    checkOpenings(outlinePolygons, openingPolygons, openingNumbers, CoincidenceTolerance());
    checkLinesKeepApart(m, outlinePolygons, openingPolygons, openingNumbers, CoincidenceTolerance());
    const double expectedArea = slabArea(outlinePolygons, openingPolygons);
    // What the rounding of the nodes on the border to Single can change: a
    // few units of the last place along every side.
    double areaRounding = 0.0;
    for (const auto* polygons : {&outlinePolygons, &openingPolygons})
        for (const auto& polygon : *polygons)
            for (std::size_t i = 0; i < polygon.size(); ++i) {
                const Point2& a = polygon[i];
                const Point2& b = polygon[(i + 1) % polygon.size()];
                const double magnitude = std::max({std::fabs(a.x), std::fabs(a.y), std::fabs(b.x), std::fabs(b.y), 1.0});
                areaRounding += std::hypot(b.x - a.x, b.y - a.y) * std::ldexp(magnitude, -22);
            }

    // The internal lines.
    for (std::size_t k = 1; k <= static_cast<std::size_t>(m.MeshLineCount); ++k) {
        chain.clear();
        AddDividedPieceNodes(linePiece(k), lineCrossers(k), sidePoints, chain, CoincidenceTolerance());
        if (TakeDivisionStop()) return stopped();
        appendChainRows(m.ConstraintEdges, m.ConstraintEdgeCount, chain, false);
    }

    // The single points.
    for (std::size_t k = 1; k <= static_cast<std::size_t>(m.MeshPointCount); ++k) {
        const std::int16_t node = AddMeshNode(m.MeshPoints[k].X, m.MeshPoints[k].Y, -1);
        if (m.FixedNodeCount >= kMaxNetCount) rt::raise(6, textOf(quillon::TextNo(190252)));
        ++m.FixedNodeCount;
        m.FixedNodes.push_back(node);
    }

    // The start rectangle around the nodes, the drawing scale of the net,
    // and the slab region with the unit factor it gives.
    StretchStartRectangle();
    ComputeDrawingScale();
    ComputeCircumcircle(1);
    ComputeCircumcircle(2);
    {
        const float unitFactor = UnitFactor();
        // Several loops make one polygon: after each further loop a way
        // back to the very first corner, so every joining side is passed
        // once there and once back and the even-odd test holds each loop.
        std::vector<halvex::POINTAPI> corners;
        for (const std::vector<std::int16_t>& loop : outlineLoops) {
            for (std::int16_t node : loop)
                corners.push_back(RegionPoint(m.MeshNodeX[static_cast<std::size_t>(node)], m.MeshNodeY[static_cast<std::size_t>(node)], unitFactor));
            if (outlineLoops.size() == 1) break;
            const halvex::POINTAPI loopFirst = RegionPoint(m.MeshNodeX[static_cast<std::size_t>(loop.front())],
                                                           m.MeshNodeY[static_cast<std::size_t>(loop.front())], unitFactor);
            const halvex::POINTAPI& last = corners.back();
            if (last.X != loopFirst.X || last.Y != loopFirst.Y) corners.push_back(loopFirst);
            if (&loop != &outlineLoops.front()) corners.push_back(corners.front());
        }
        m.SlabRegion = drovik::CreatePolygonRgn(corners.data(), static_cast<std::int32_t>(corners.size()), drovik::ALTERNATE);
        m.SlabRegionCorners = corners;
    }

    // Every node into the triangulation, in node order; each walk starts
    // at the element made last. The insertions decide by exact predicates
    // alone, so the circles are worked out once, for the elements that are
    // left (most elements made here are gone again before the end).
    mesher::SetProgressMax(static_cast<std::int64_t>(m.MeshNodeCount) - 4);
    RebuildLinks(m);
    {
        struct Deferred {
            TriangulationLinks& links;
            ~Deferred() { links.DeferCircles = false; }
        } deferred{m.Links};
        m.Links.DeferCircles = true;
        for (std::int32_t node = 5; node <= m.MeshNodeCount; ++node) {
            InsertNodeNear(static_cast<std::int16_t>(node), 0);
            if (mesher::StopRequested(true)) return stopped();
        }
    }
    {
        const double tol = CoincidenceTolerance();
        for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) ComputeElementCircle(m, e, tol);
    }

    // Outline, opening and line sides, the inside, the refinement.
    RecoverConstraintEdges(m.BoundaryEdges, m.BoundaryEdgeCount);
    if (mesher::StopRequested(false)) return stopped();
    RecoverConstraintEdges(m.ConstraintEdges, m.ConstraintEdgeCount);
    if (mesher::StopRequested(false)) return stopped();
    ClassifyInsideElements();
    if (mesher::StopRequested(false)) return stopped();
    RefineMeshQuality(0);
    if (mesher::StopRequested(false)) return stopped();
    RecoverConstraintEdges(m.ConstraintEdges, m.ConstraintEdgeCount);
    if (mesher::StopRequested(false)) return stopped();
    region.release();
    RunControl().RunState(0);

    // A net that does not cover the slab exactly (less the openings) is
    // never handed on.
    {
        const double area = netArea(m);
        if (!(std::fabs(area - expectedArea) <= 1e-6 * expectedArea + areaRounding))
            rt::raise(5, textOf(quillon::TextNo(190251), {rt::Variant("|1"), rt::Variant(std::to_string(area)), rt::Variant("|2"),
                                                           rt::Variant(std::to_string(expectedArea))}));
    }

    // Only the triangles inside the slab stay, in their order.
    mesher::ShowStatusText(quillon::TextNo(100036));
    mesher::SetProgressMax(2 * static_cast<std::int64_t>(m.MeshElementCount));
    if (mesher::StopRequested(false)) return stopped();
    std::size_t kept = 0;
    for (std::size_t e = 1; e <= static_cast<std::size_t>(m.MeshElementCount); ++e) {
        NetElement element = m.MeshElementList[e];
        if (element.CornerCount >= 1) {
            element.CornerCount = 3;
            element.Flag[1] = element.Flag[2] = element.Flag[3] = halvex::OuterSide;
            m.MeshElementList[++kept] = element;
        }
    }
    const bool stop = mesher::StepsDone(m.MeshElementCount);
    m.MeshElementCount = static_cast<std::int16_t>(kept);
    m.MeshElementList.resize(kept + 1);
    if (stop) return stopped();

    // The marks back on the elements, and the auxiliary corner nodes gone.
    RestoreBoundaryFlags(true);
    m.DeleteNodeList = {0, 1, 2, 3, 4};
    DeleteNodesTask(kOpDeleteNodesQuiet);
    m.DeleteNodeList.assign(1, 0);
    ClearLinks(m.Links);
    if (mesher::StopRequested(false)) return stopped();
}

}  // namespace orvelo
