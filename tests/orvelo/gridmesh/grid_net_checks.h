// Checks of a mesher net for the grid-based mesher and refinement tests:
// numbers in range, every node used, element areas, overlap, conformity
// among triangles. Header-only, used by the grid-based and the refinement
// suites.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "orvelo/delaunay/bas_delaunay.h"

namespace orvelo::gridcheck {

// Side k of an element (from corner k to the next corner) as a node pair,
// the smaller number first.
inline std::pair<std::int16_t, std::int16_t> sideNodes(const NetElement& t, int k) {
    const std::int16_t a = t.Node[static_cast<std::size_t>(k)];
    const std::int16_t b = t.Node[static_cast<std::size_t>(k % t.CornerCount + 1)];
    return {std::min(a, b), std::max(a, b)};
}

inline double signedArea(const BasDelaunay& m, const NetElement& e) {
    double twice = 0.0;
    for (int k = 1; k <= e.CornerCount; ++k) {
        const auto a = static_cast<std::size_t>(e.Node[static_cast<std::size_t>(k)]);
        const auto b = static_cast<std::size_t>(e.Node[static_cast<std::size_t>(k % e.CornerCount + 1)]);
        twice += static_cast<double>(m.MeshNodeX[a]) * m.MeshNodeY[b] - static_cast<double>(m.MeshNodeX[b]) * m.MeshNodeY[a];
    }
    return twice / 2.0;
}

inline double totalArea(const BasDelaunay& m) {
    double sum = 0.0;
    for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) sum += std::fabs(signedArea(m, m.MeshElementList[static_cast<std::size_t>(e)]));
    return sum;
}

// Empty when every element has 3 or 4 distinct corners among the nodes
// 1..MeshNodeCount, the lists hold their counts, the counts stay within
// 32767 and every element has an area; else the first fault found.
inline std::string numberFault(const BasDelaunay& m) {
    std::ostringstream out;
    if (m.MeshNodeCount < 0 || m.MeshElementCount < 0) return "negative count";
    if (m.MeshNodeX.size() != static_cast<std::size_t>(m.MeshNodeCount) + 1 ||
        m.MeshNodeY.size() != static_cast<std::size_t>(m.MeshNodeCount) + 1)
        return "node lists do not hold the node count";
    if (m.MeshElementList.size() != static_cast<std::size_t>(m.MeshElementCount) + 1)
        return "element list does not hold the element count";
    for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) {
        const NetElement& t = m.MeshElementList[static_cast<std::size_t>(e)];
        if (t.CornerCount != 3 && t.CornerCount != 4) {
            out << "element " << e << " has " << t.CornerCount << " corners";
            return out.str();
        }
        std::set<std::int16_t> corners;
        for (int k = 1; k <= t.CornerCount; ++k) {
            const std::int16_t n = t.Node[static_cast<std::size_t>(k)];
            if (n < 1 || n > m.MeshNodeCount) {
                out << "element " << e << " names node " << n;
                return out.str();
            }
            corners.insert(n);
        }
        if (corners.size() != static_cast<std::size_t>(t.CornerCount)) {
            out << "element " << e << " repeats a corner";
            return out.str();
        }
        if (std::fabs(signedArea(m, t)) < 1e-9) {
            out << "element " << e << " has no area";
            return out.str();
        }
    }
    return "";
}

// The nodes no element uses.
inline std::vector<std::int16_t> unusedNodes(const BasDelaunay& m) {
    std::vector<bool> used(static_cast<std::size_t>(m.MeshNodeCount) + 1, false);
    for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) {
        const NetElement& t = m.MeshElementList[static_cast<std::size_t>(e)];
        for (int k = 1; k <= t.CornerCount; ++k) used[static_cast<std::size_t>(t.Node[static_cast<std::size_t>(k)])] = true;
    }
    std::vector<std::int16_t> unused;
    for (std::int32_t n = 1; n <= m.MeshNodeCount; ++n)
        if (!used[static_cast<std::size_t>(n)]) unused.push_back(static_cast<std::int16_t>(n));
    return unused;
}

struct Polygon {
    std::vector<std::array<double, 2>> p;
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
};

inline Polygon polygonOf(const BasDelaunay& m, const NetElement& t) {
    Polygon poly;
    for (int k = 1; k <= t.CornerCount; ++k) {
        const auto n = static_cast<std::size_t>(t.Node[static_cast<std::size_t>(k)]);
        poly.p.push_back({m.MeshNodeX[n], m.MeshNodeY[n]});
    }
    poly.minX = poly.maxX = poly.p[0][0];
    poly.minY = poly.maxY = poly.p[0][1];
    for (const auto& q : poly.p) {
        poly.minX = std::min(poly.minX, q[0]);
        poly.maxX = std::max(poly.maxX, q[0]);
        poly.minY = std::min(poly.minY, q[1]);
        poly.maxY = std::max(poly.maxY, q[1]);
    }
    return poly;
}

// Whether the interiors of two convex polygons overlap by more than eps
// (separating axes; touching along a side or at a corner is no overlap).
inline bool interiorsOverlap(const Polygon& a, const Polygon& b, double eps) {
    const auto separated = [eps](const Polygon& s, const Polygon& u) {
        const std::size_t n = s.p.size();
        for (std::size_t k = 0; k < n; ++k) {
            const auto& p0 = s.p[k];
            const auto& p1 = s.p[(k + 1) % n];
            double nx = p1[1] - p0[1];
            double ny = p0[0] - p1[0];
            const double len = std::hypot(nx, ny);
            if (len == 0.0) continue;
            nx /= len;
            ny /= len;
            double sMin = 1e300, sMax = -1e300, uMin = 1e300, uMax = -1e300;
            for (const auto& q : s.p) {
                const double d = q[0] * nx + q[1] * ny;
                sMin = std::min(sMin, d);
                sMax = std::max(sMax, d);
            }
            for (const auto& q : u.p) {
                const double d = q[0] * nx + q[1] * ny;
                uMin = std::min(uMin, d);
                uMax = std::max(uMax, d);
            }
            if (sMax <= uMin + eps || uMax <= sMin + eps) return true;
        }
        return false;
    };
    return !separated(a, b) && !separated(b, a);
}

// Pairs of elements whose interiors overlap (elements assumed convex).
inline std::vector<std::pair<std::int32_t, std::int32_t>> overlappingPairs(const BasDelaunay& m, double eps = 1e-6) {
    std::vector<Polygon> polys(static_cast<std::size_t>(m.MeshElementCount) + 1);
    double cell = 0.0;
    for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) {
        polys[static_cast<std::size_t>(e)] = polygonOf(m, m.MeshElementList[static_cast<std::size_t>(e)]);
        const Polygon& p = polys[static_cast<std::size_t>(e)];
        cell = std::max({cell, p.maxX - p.minX, p.maxY - p.minY});
    }
    std::vector<std::pair<std::int32_t, std::int32_t>> found;
    if (m.MeshElementCount == 0 || cell <= 0.0) return found;
    std::map<std::pair<long long, long long>, std::vector<std::int32_t>> buckets;
    for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) {
        const Polygon& p = polys[static_cast<std::size_t>(e)];
        for (long long i = static_cast<long long>(std::floor(p.minX / cell)); i <= static_cast<long long>(std::floor(p.maxX / cell)); ++i)
            for (long long j = static_cast<long long>(std::floor(p.minY / cell)); j <= static_cast<long long>(std::floor(p.maxY / cell)); ++j)
                buckets[{i, j}].push_back(e);
    }
    std::set<std::pair<std::int32_t, std::int32_t>> tested;
    for (const auto& [where, list] : buckets) {
        for (std::size_t x = 0; x < list.size(); ++x) {
            for (std::size_t y = x + 1; y < list.size(); ++y) {
                const std::pair<std::int32_t, std::int32_t> key{list[x], list[y]};
                if (!tested.insert(key).second) continue;
                const Polygon& a = polys[static_cast<std::size_t>(key.first)];
                const Polygon& b = polys[static_cast<std::size_t>(key.second)];
                if (a.maxX < b.minX || b.maxX < a.minX || a.maxY < b.minY || b.maxY < a.minY) continue;
                if (interiorsOverlap(a, b, eps)) found.push_back(key);
            }
        }
    }
    return found;
}

// Empty when the triangles form a conforming net: every side is held by
// one or two triangles and no node lies inside a side of a triangle
// (no hanging node). Quadrilaterals are left out unless asked for.
inline std::string conformityFault(const BasDelaunay& m, double tol = 1e-6, bool withQuadrilaterals = false) {
    std::map<std::pair<std::int16_t, std::int16_t>, int> holders;
    for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) {
        const NetElement& t = m.MeshElementList[static_cast<std::size_t>(e)];
        if (t.CornerCount != 3 && !(withQuadrilaterals && t.CornerCount == 4)) continue;
        for (int k = 1; k <= t.CornerCount; ++k) {
            const auto [a, b] = sideNodes(t, k);
            if (++holders[{a, b}] > 2) {
                std::ostringstream out;
                out << "side " << a << "-" << b << " is held by more than two triangles";
                return out.str();
            }
        }
    }
    // A node strictly inside a side, within tol of it (relative to the
    // net's extent).
    double extent = 1.0;
    for (std::int32_t n = 1; n <= m.MeshNodeCount; ++n)
        extent = std::max({extent, std::fabs(static_cast<double>(m.MeshNodeX[static_cast<std::size_t>(n)])),
                           std::fabs(static_cast<double>(m.MeshNodeY[static_cast<std::size_t>(n)]))});
    for (const auto& [side, count] : holders) {
        const double ax = m.MeshNodeX[static_cast<std::size_t>(side.first)], ay = m.MeshNodeY[static_cast<std::size_t>(side.first)];
        const double bx = m.MeshNodeX[static_cast<std::size_t>(side.second)], by = m.MeshNodeY[static_cast<std::size_t>(side.second)];
        const double len = std::hypot(bx - ax, by - ay);
        if (len == 0.0) continue;
        for (std::int32_t n = 1; n <= m.MeshNodeCount; ++n) {
            const double px = m.MeshNodeX[static_cast<std::size_t>(n)], py = m.MeshNodeY[static_cast<std::size_t>(n)];
            if (px < std::min(ax, bx) - 1e-6 || px > std::max(ax, bx) + 1e-6 || py < std::min(ay, by) - 1e-6 ||
                py > std::max(ay, by) + 1e-6 || n == side.first || n == side.second)
                continue;
            const double along = ((px - ax) * (bx - ax) + (py - ay) * (by - ay)) / (len * len);
            const double off = std::fabs((px - ax) * (by - ay) - (py - ay) * (bx - ax)) / len;
            if (along > 1e-9 && along < 1.0 - 1e-9 && off <= tol * extent)
                return "node " + std::to_string(n) + " hangs on side " + std::to_string(side.first) + "-" +
                       std::to_string(side.second);
        }
    }
    return "";
}

// The sides held by one element only, as node pairs (smaller first).
inline std::set<std::pair<std::int16_t, std::int16_t>> borderSides(const BasDelaunay& m) {
    std::map<std::pair<std::int16_t, std::int16_t>, int> holders;
    for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) {
        const NetElement& t = m.MeshElementList[static_cast<std::size_t>(e)];
        for (int k = 1; k <= t.CornerCount; ++k) ++holders[sideNodes(t, k)];
    }
    std::set<std::pair<std::int16_t, std::int16_t>> border;
    for (const auto& [side, count] : holders)
        if (count == 1) border.insert(side);
    return border;
}

}  // namespace orvelo::gridcheck

namespace orvelo::gridcheck {

using Trace = std::vector<std::array<double, 2>>;

// What a net is judged against: the slab's outline and openings (straight
// pieces and arcs, each as the points along it) and its internal lines.
struct SlabBorder {
    std::vector<OutlinePiece> outline;
    std::vector<std::vector<OutlinePiece>> openings;
    std::vector<std::pair<halvex::SinglePoint, halvex::SinglePoint>> lines;

    // The points of a loop from piece to piece: an arc in steps of at most
    // 1/128 of a half turn.
    static Trace trace(const std::vector<OutlinePiece>& loop) {
        Trace points;
        for (const OutlinePiece& p : loop) {
            const double radius = std::hypot(static_cast<double>(p.X1) - p.XC, static_cast<double>(p.Y1) - p.YC);
            points.push_back({p.X1, p.Y1});
            if (!p.IsArc || radius > 10000.0) continue;
            const double a1 = std::atan2(static_cast<double>(p.Y1) - p.YC, static_cast<double>(p.X1) - p.XC);
            double a2 = std::atan2(static_cast<double>(p.Y2) - p.YC, static_cast<double>(p.X2) - p.XC);
            if (p.Direction && a2 <= a1) a2 += 2.0 * M_PI;
            if (!p.Direction && a2 >= a1) a2 -= 2.0 * M_PI;
            const int steps = std::max(1, static_cast<int>(std::ceil(std::fabs(a2 - a1) / (M_PI / 128.0))));
            for (int k = 1; k < steps; ++k)
                points.push_back({p.XC + radius * std::cos(a1 + (a2 - a1) * k / steps), p.YC + radius * std::sin(a1 + (a2 - a1) * k / steps)});
        }
        return points;
    }
};

inline double segmentDistance(double px, double py, double ax, double ay, double bx, double by) {
    const double dx = bx - ax, dy = by - ay;
    const double l2 = dx * dx + dy * dy;
    const double t = l2 > 0.0 ? std::clamp(((px - ax) * dx + (py - ay) * dy) / l2, 0.0, 1.0) : 0.0;
    return std::hypot(ax + t * dx - px, ay + t * dy - py);
}

// Whether (x, y) lies in the slab (the traced loops) or within tol of its
// border.
inline bool inTraces(const std::vector<Trace>& loops, double x, double y, double tol) {
    bool in = false;
    for (std::size_t l = 0; l < loops.size(); ++l) {
        bool inLoop = false;
        const Trace& t = loops[l];
        for (std::size_t k = 0; k < t.size(); ++k) {
            const auto& a = t[k];
            const auto& b = t[(k + 1) % t.size()];
            if (segmentDistance(x, y, a[0], a[1], b[0], b[1]) <= tol) return true;
            if ((a[1] > y) != (b[1] > y) && x < a[0] + (y - a[1]) * (b[0] - a[0]) / (b[1] - a[1])) inLoop = !inLoop;
        }
        if (inLoop) in = !in;  // the even-odd rule over every loop
    }
    return in;
}

inline std::vector<Trace> tracesOf(const SlabBorder& slab) {
    // The outline's loops one by one: a loop ends where the next piece does
    // not start at its last piece's end.
    std::vector<Trace> loops;
    for (std::size_t first = 0, k = 1; k <= slab.outline.size(); ++k)
        if (k == slab.outline.size() || slab.outline[k].X1 != slab.outline[k - 1].X2 || slab.outline[k].Y1 != slab.outline[k - 1].Y2) {
            loops.push_back(SlabBorder::trace({slab.outline.begin() + static_cast<std::ptrdiff_t>(first), slab.outline.begin() + static_cast<std::ptrdiff_t>(k)}));
            first = k;
        }
    for (const auto& opening : slab.openings) loops.push_back(SlabBorder::trace(opening));
    return loops;
}

// Everything a whole net must be, the faults in words (empty: none):
// elements of 3 or 4 distinct existing corners, counter-clockwise with an
// area at every corner; no side held by more than two elements, the two
// running opposite ways; no overlap; no node inside a side of an element
// (within tol); every node in the slab or on its border (within tol);
// every internal line covered end to end by sides whose ends lie on it.
// (The overlap test, the slowest, may be left out; so may the test that
// every side of one element runs in the slab, checked at its quarters: a
// polar net follows its rings by chords.)
inline std::vector<std::string> wholeNetFaults(const BasDelaunay& m, const SlabBorder& slab, double tol, bool overlap = true,
                                               bool bordersInside = true) {
    const std::string numbers = numberFault(m);
    if (!numbers.empty() && numbers.find("no area") == std::string::npos) return {numbers};
    std::vector<std::string> faults;
    const auto x = [&m](std::int32_t n) { return static_cast<double>(m.MeshNodeX[static_cast<std::size_t>(n)]); };
    const auto y = [&m](std::int32_t n) { return static_cast<double>(m.MeshNodeY[static_cast<std::size_t>(n)]); };
    const auto name = [&](std::int32_t n) { return std::to_string(n) + " (" + std::to_string(x(n)) + ", " + std::to_string(y(n)) + ")"; };
    std::unordered_map<std::uint32_t, std::vector<std::int16_t>> sides;  // side -> its first node in each element
    for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) {
        const NetElement& t = m.MeshElementList[static_cast<std::size_t>(e)];
        for (int k = 1; k <= t.CornerCount; ++k) {
            const std::int32_t a = t.Node[static_cast<std::size_t>(k == 1 ? t.CornerCount : k - 1)];
            const std::int32_t b = t.Node[static_cast<std::size_t>(k)], c = t.Node[static_cast<std::size_t>(k % t.CornerCount + 1)];
            if (!((x(b) - x(a)) * (y(c) - y(a)) - (y(b) - y(a)) * (x(c) - x(a)) > 0.0))
                faults.push_back("element " + std::to_string(e) + " turns clockwise or flat at " + name(b));
            const auto [p, q] = sideNodes(t, k);
            sides[static_cast<std::uint32_t>(p) << 16 | static_cast<std::uint32_t>(q)].push_back(static_cast<std::int16_t>(b));
        }
    }
    for (const auto& [side, firsts] : sides)
        if (firsts.size() > 2 || (firsts.size() == 2 && firsts[0] == firsts[1]))
            faults.push_back("side " + name(static_cast<std::int32_t>(side >> 16)) + "-" + name(static_cast<std::int32_t>(side & 0xffff)) +
                             " is held by " + std::to_string(firsts.size()) + " elements");
    if (overlap)
        for (const auto& [e, f] : overlappingPairs(m, tol)) faults.push_back("elements " + std::to_string(e) + " and " + std::to_string(f) + " overlap");
    // A side of one element runs in the slab (not through an opening's arc).
    const std::vector<Trace> loops = tracesOf(slab);
    for (const auto& [side, firsts] : sides) {
        const auto a = static_cast<std::int32_t>(side >> 16), b = static_cast<std::int32_t>(side & 0xffff);
        for (const double t : {0.25, 0.5, 0.75})
            if (bordersInside && firsts.size() == 1 && !inTraces(loops, x(a) + t * (x(b) - x(a)), y(a) + t * (y(b) - y(a)), tol)) {
                faults.push_back("side " + name(a) + "-" + name(b) + " leaves the slab");
                break;
            }
    }
    // Nodes by cells of the longest side, to find those near a side.
    double cell = tol;
    for (const auto& [side, firsts] : sides)
        cell = std::max(cell, std::hypot(x(static_cast<std::int32_t>(side >> 16)) - x(static_cast<std::int32_t>(side & 0xffff)),
                                         y(static_cast<std::int32_t>(side >> 16)) - y(static_cast<std::int32_t>(side & 0xffff))));
    std::unordered_map<std::int64_t, std::vector<std::int32_t>> cells;
    const auto key = [cell](double px, double py) {
        return static_cast<std::int64_t>(std::floor(px / cell)) * 1000003 + static_cast<std::int64_t>(std::floor(py / cell));
    };
    for (std::int32_t n = 1; n <= m.MeshNodeCount; ++n) {
        cells[key(x(n), y(n))].push_back(n);
        if (!inTraces(loops, x(n), y(n), tol)) faults.push_back("node " + name(n) + " lies outside the slab");
    }
    for (const auto& [side, firsts] : sides) {
        const auto a = static_cast<std::int32_t>(side >> 16), b = static_cast<std::int32_t>(side & 0xffff);
        const double len = std::hypot(x(b) - x(a), y(b) - y(a));
        for (int di = -1; di <= 1; ++di)
            for (int dj = -1; dj <= 1; ++dj) {
                const auto found = cells.find(key(x(a) + di * cell, y(a) + dj * cell));
                if (found == cells.end()) continue;
                for (const std::int32_t n : found->second) {
                    const double along = ((x(n) - x(a)) * (x(b) - x(a)) + (y(n) - y(a)) * (y(b) - y(a))) / len;
                    const double off = std::fabs((x(n) - x(a)) * (y(b) - y(a)) - (y(n) - y(a)) * (x(b) - x(a))) / len;
                    if (n != a && n != b && along > tol && along < len - tol && off <= tol)
                        faults.push_back("node " + name(n) + " lies inside side " + name(a) + "-" + name(b));
                }
            }
    }
    for (const auto& [start, end] : slab.lines) {
        const double len = std::hypot(static_cast<double>(end.X) - start.X, static_cast<double>(end.Y) - start.Y);
        const auto along = [&](std::int32_t n) { return ((x(n) - start.X) * (end.X - start.X) + (y(n) - start.Y) * (end.Y - start.Y)) / len; };
        const auto on = [&](std::int32_t n) { return segmentDistance(x(n), y(n), start.X, start.Y, end.X, end.Y) <= tol; };
        std::vector<std::pair<double, double>> covered;
        for (const auto& [side, firsts] : sides) {
            const auto a = static_cast<std::int32_t>(side >> 16), b = static_cast<std::int32_t>(side & 0xffff);
            if (on(a) && on(b)) covered.emplace_back(std::min(along(a), along(b)), std::max(along(a), along(b)));
        }
        std::sort(covered.begin(), covered.end());
        double reached = 0.0;
        for (const auto& [from, to] : covered)
            if (from <= reached + tol) reached = std::max(reached, to);
        if (reached < len - tol)
            faults.push_back("the line from (" + std::to_string(start.X) + ", " + std::to_string(start.Y) + ") is a chain of sides only up to " +
                             std::to_string(reached) + " of " + std::to_string(len));
    }
    return faults;
}

// Whether the net covers the slab, in words (empty: it does): the area is the
// slab's within 0.1 % (less arcs' segments off the net's chords), and random
// points of the slab, 2 tol off its border and those segments, lie in an element.
inline std::string coverageFault(const BasDelaunay& m, const SlabBorder& slab, double tol, int samples = 400) {
    const std::vector<Trace> loops = tracesOf(slab);
    double slabArea = 0.0, x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
    for (std::size_t l = 0; l < loops.size(); ++l) {
        double twice = 0.0;
        for (std::size_t k = 0; k < loops[l].size(); ++k) {
            const auto &a = loops[l][k], &b = loops[l][(k + 1) % loops[l].size()];
            twice += a[0] * b[1] - b[0] * a[1];
            x0 = std::min(x0, a[0]), y0 = std::min(y0, a[1]), x1 = std::max(x1, a[0]), y1 = std::max(y1, a[1]);
        }
        slabArea += (l < loops.size() - slab.openings.size() ? 0.5 : -0.5) * std::fabs(twice);
    }
    struct Chord { double cx, cy, r, mx, my; };  // the arc's centre and radius, the chord's middle
    std::vector<Chord> chords;
    std::vector<OutlinePiece> arcs = slab.outline;
    for (const auto& opening : slab.openings) arcs.insert(arcs.end(), opening.begin(), opening.end());
    const auto x = [&m](std::int32_t n) { return static_cast<double>(m.MeshNodeX[static_cast<std::size_t>(n)]); };
    const auto y = [&m](std::int32_t n) { return static_cast<double>(m.MeshNodeY[static_cast<std::size_t>(n)]); };
    double allowance = 0.0;
    for (const auto& [a, b] : borderSides(m))
        for (const OutlinePiece& p : arcs) {
            const double r = std::hypot(static_cast<double>(p.X1) - p.XC, static_cast<double>(p.Y1) - p.YC);
            if (!p.IsArc || r > 10000.0 || std::fabs(std::hypot(x(a) - p.XC, y(a) - p.YC) - r) > tol || std::fabs(std::hypot(x(b) - p.XC, y(b) - p.YC) - r) > tol)
                continue;
            const double theta = 2.0 * std::asin(std::min(1.0, std::hypot(x(b) - x(a), y(b) - y(a)) / (2.0 * r)));
            // The segment off the chord: in the slab the net misses it, in an opening it covers it.
            const double mx = (x(a) + x(b)) / 2.0, my = (y(a) + y(b)) / 2.0, d = std::hypot(mx - p.XC, my - p.YC);
            const double f = d > 0.0 ? (r + d) / (2.0 * d) : 1.0;
            const bool inSlab = inTraces(loops, d > 0.0 ? p.XC + (mx - p.XC) * f : mx, d > 0.0 ? p.YC + (my - p.YC) * f : my, 0.0);
            allowance += (inSlab ? 1.0 : -1.0) * r * r / 2.0 * (theta - std::sin(theta));
            if (inSlab) chords.push_back({p.XC, p.YC, r, mx, my});
            break;
        }
    const double netArea = totalArea(m);
    if (!(std::fabs(netArea - (slabArea - allowance)) <= 1e-3 * slabArea))
        return "the net covers " + std::to_string(netArea) + " of the slab's " + std::to_string(slabArea) + " (chords' segments " + std::to_string(allowance) + ")";
    std::vector<Polygon> polygons;
    for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) polygons.push_back(polygonOf(m, m.MeshElementList[static_cast<std::size_t>(e)]));
    const auto nearSide = [](const std::vector<std::array<double, 2>>& loop, double px, double py, double within, bool& inside) {
        for (std::size_t k = 0; k < loop.size(); ++k) {
            const auto &a = loop[k], &b = loop[(k + 1) % loop.size()];
            if (segmentDistance(px, py, a[0], a[1], b[0], b[1]) <= within) return true;
            inside = inside && (b[0] - a[0]) * (py - a[1]) - (b[1] - a[1]) * (px - a[0]) > 0.0;
        }
        return false;
    };
    std::mt19937 random(1);
    std::uniform_real_distribution<double> ux(x0, x1), uy(y0, y1);
    for (int s = 0; s < samples; ++s) {
        const double px = ux(random), py = uy(random);
        bool ignored = !inTraces(loops, px, py, 0.0), inside = true;
        for (const Trace& loop : loops) ignored = ignored || nearSide(loop, px, py, 2.0 * tol, inside);
        for (const Chord& c : chords)
            ignored = ignored || (std::hypot(px - c.cx, py - c.cy) <= c.r + tol && (px - c.mx) * (c.mx - c.cx) + (py - c.my) * (c.my - c.cy) >= -tol * c.r);
        for (std::size_t k = 0; !ignored && k < polygons.size(); ++k) {
            const Polygon& q = polygons[k];
            inside = true;  // covered: within tol of a side or inside
            ignored = px >= q.minX - tol && px <= q.maxX + tol && py >= q.minY - tol && py <= q.maxY + tol && (nearSide(q.p, px, py, tol, inside) || inside);
        }
        if (!ignored) return "the point (" + std::to_string(px) + ", " + std::to_string(py) + ") of the slab lies in no element";
    }
    return "";
}

}  // namespace orvelo::gridcheck
