// The end-to-end checks of a net generated for a slab fixture (the mesher
// net as it stands): conforming triangles with their side flags, no overlap,
// the slab's area, border sides on the outline and the openings, internal
// lines covered by marked sides, single points on marked nodes, no node off
// the slab, and the quality the refinement promises.
#pragma once

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "halvex/interface/enums.h"
#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/mesh_fixture.h"
#include "orvelo/delaunay/net_check.h"
#include "orvelo/delaunay/target_size.h"
#include "orvelo/delaunay/units.h"

namespace orvelo::meshcheck {

inline NetView MeshView() {
    const BasDelaunay& m = basDelaunay();
    return NetView{m.MeshNodeCount, &m.MeshNodeX, &m.MeshNodeY, m.MeshElementCount, &m.MeshElementList};
}

struct Circle {
    double x, y, r;
};

inline Circle Circumcircle(const NetView& net, std::int32_t e) {
    const double ax = net.X(net.Corner(e, 1)), ay = net.Y(net.Corner(e, 1));
    const double bx = net.X(net.Corner(e, 2)) - ax, by = net.Y(net.Corner(e, 2)) - ay;
    const double cx = net.X(net.Corner(e, 3)) - ax, cy = net.Y(net.Corner(e, 3)) - ay;
    const double d = 2.0 * (bx * cy - by * cx);
    const double ux = (cy * (bx * bx + by * by) - by * (cx * cx + cy * cy)) / d;
    const double uy = (bx * (cx * cx + cy * cy) - cx * (bx * bx + by * by)) / d;
    return {ax + ux, ay + uy, std::hypot(ux, uy)};
}

inline double SmallestAngleDeg(const NetView& net, std::int32_t e) {
    double smallest = 180.0;
    for (int k = 1; k <= 3; ++k) {
        const auto p = net.Corner(e, k), q = net.Corner(e, k % 3 + 1), s = net.Corner(e, (k + 1) % 3 + 1);
        const double ux = net.X(q) - net.X(p), uy = net.Y(q) - net.Y(p);
        const double vx = net.X(s) - net.X(p), vy = net.Y(s) - net.Y(p);
        const double angle = std::atan2(std::fabs(ux * vy - uy * vx), ux * vx + uy * vy) * 180.0 / 3.14159265358979;
        smallest = std::min(smallest, angle);
    }
    return smallest;
}

inline double SmallestAngleDeg(const NetView& net) {
    double smallest = 180.0;
    for (std::int32_t e = 1; e <= net.elementCount; ++e) smallest = std::min(smallest, SmallestAngleDeg(net, e));
    return smallest;
}

inline bool SegmentsCross(double ax, double ay, double bx, double by, double cx, double cy, double dx, double dy) {
    auto orient = [](double px, double py, double qx, double qy, double rx, double ry) {
        return (qx - px) * (ry - py) - (qy - py) * (rx - px);
    };
    const double o1 = orient(ax, ay, bx, by, cx, cy), o2 = orient(ax, ay, bx, by, dx, dy);
    const double o3 = orient(cx, cy, dx, dy, ax, ay), o4 = orient(cx, cy, dx, dy, bx, by);
    return ((o1 > 0) != (o2 > 0)) && ((o3 > 0) != (o4 > 0));
}

inline double PointSegmentDistance(double px, double py, double ax, double ay, double bx, double by) {
    const double dx = bx - ax, dy = by - ay;
    const double l2 = dx * dx + dy * dy;
    const double t = l2 > 0 ? std::clamp(((px - ax) * dx + (py - ay) * dy) / l2, 0.0, 1.0) : 0.0;
    return std::hypot(ax + t * dx - px, ay + t * dy - py);
}

// Everything a generated net must satisfy; the faults in words. Without
// quality, the angles and sizes of the triangles are not judged (a net that
// was smoothed or given front points after its generation).
inline std::vector<std::string> CheckGeneratedNet(const SlabFixture& slab, bool quality = true) {
    const NetView net = MeshView();
    std::vector<std::string> faults = CheckTopology(net);
    if (!faults.empty()) return faults;
    for (const auto& f : CheckSideFlags(net)) faults.push_back(f);
    if (net.elementCount == 0) faults.push_back("no elements");

    // No overlap, and the border loops enclose the slab.
    const auto loops = BorderLoops(net, faults);
    double loopSum = 0.0;
    for (const auto& loop : loops) loopSum += LoopArea(net, loop);
    const double area = NetArea(net);
    if (std::fabs(area - loopSum) > 1e-6 * area) faults.push_back("the elements overlap: area " + std::to_string(area) + " against the border's " + std::to_string(loopSum));
    const double expected = SlabArea(slab);
    bool hasArc = false;
    for (const auto& p : slab.outline) hasArc |= p.IsArc;
    for (const auto& o : slab.openings)
        for (const auto& p : o) hasArc |= p.IsArc;
    if (std::fabs(area - expected) > (hasArc ? 0.02 : 1e-5) * expected)
        faults.push_back("net area " + std::to_string(area) + " is not the slab's " + std::to_string(expected));

    // Border sides: on the outline and the openings, nothing else.
    std::vector<OutlinePiece> pieces = slab.outline;
    for (const auto& o : slab.openings) pieces.insert(pieces.end(), o.begin(), o.end());
    double extent = 0.0;
    for (std::int32_t n = 1; n <= net.nodeCount; ++n) extent = std::max({extent, std::fabs(net.X(n)), std::fabs(net.Y(n))});
    const double tol = 1e-5 * std::max(extent, 1.0);
    struct Side {
        std::int32_t a, b;
    };
    std::vector<Side> border;
    for (const auto& [key, holders] : SidesOf(net)) {
        if (holders.size() != 1) continue;
        border.push_back({key.first, key.second});
        const double ax = net.X(key.first), ay = net.Y(key.first), bx = net.X(key.second), by = net.Y(key.second);
        const double length = std::hypot(bx - ax, by - ay);
        bool onBoundary = false;
        for (const auto& p : pieces) {
            const double radius = p.IsArc ? std::hypot(p.X1 - p.XC, p.Y1 - p.YC) : 1e30;
            auto sagittaOf = [radius](double chord) {
                return radius - std::sqrt(std::max(0.0, radius * radius - chord * chord / 4));
            };
            const double sagitta = p.IsArc && radius < 10000 ? sagittaOf(length) : 0.0;
            // A chord of an arc divided by the refinement keeps its midpoint
            // on the chord: its ends lie within the sagitta of the arc's
            // steps (at most two target sizes: the last gap of an arc lies
            // between one and two) from the arc.
            const double chordBand = p.IsArc && radius < 10000 ? sagittaOf(2.0 * slab.r) * 1.01 : 0.0;
            if (OnPiece(p, ax, ay, tol + chordBand) && OnPiece(p, bx, by, tol + chordBand) &&
                OnPiece(p, (ax + bx) / 2, (ay + by) / 2, tol + std::max(sagitta * 1.01, chordBand)))
                onBoundary = true;
        }
        if (!onBoundary)
            faults.push_back("border side " + std::to_string(key.first) + "-" + std::to_string(key.second) + " is not on the outline or an opening");
    }

    // Internal lines: covered by sides that carry the constraint mark (a
    // line may bend through a node within the coincidence tolerance).
    const double lineTol = tol + CoincidenceTolerance();
    for (const auto& [a, b] : slab.lines) {
        OutlinePiece line;
        line.X1 = a.X, line.Y1 = a.Y, line.X2 = b.X, line.Y2 = b.Y;
        double covered = 0.0;
        for (const auto& [key, holders] : SidesOf(net)) {
            const double ax = net.X(key.first), ay = net.Y(key.first), bx = net.X(key.second), by = net.Y(key.second);
            if (!OnPiece(line, ax, ay, lineTol) || !OnPiece(line, bx, by, lineTol)) continue;
            covered += std::hypot(bx - ax, by - ay);
            for (const auto& [e, k] : holders)
                if ((net.E(e).Flag[static_cast<std::size_t>(k)] & halvex::BoundarySide) == 0)
                    faults.push_back("line side " + std::to_string(key.first) + "-" + std::to_string(key.second) + " lacks the constraint mark");
        }
        // The part of the line outside the openings.
        double length = std::hypot(b.X - a.X, b.Y - a.Y);
        int inOpening = 0;
        const int samples = 20000;
        for (int i = 0; i < samples; ++i) {
            const double t = (i + 0.5) / samples, px = a.X + t * (b.X - a.X), py = a.Y + t * (b.Y - a.Y);
            for (const auto& opening : slab.openings) {
                bool in = false;
                for (const auto& p : opening)
                    if ((p.Y1 > py) != (p.Y2 > py) && px < p.X1 + (py - p.Y1) * (p.X2 - p.X1) / (p.Y2 - p.Y1)) in = !in;
                inOpening += in;
            }
        }
        length *= 1.0 - static_cast<double>(inOpening) / samples;
        if (std::fabs(covered - length) > 1e-3 * length)
            faults.push_back("a line of length " + std::to_string(length) + " is covered by sides of length " + std::to_string(covered));
    }

    // Single points inside the slab: a node with the fixed-node mark.
    for (const auto& point : slab.points) {
        // On the outline or an opening, or inside the outline's polygon
        // and outside the openings'.
        // (An arc as a chain of 256 chords.)
        auto within = [&](const std::vector<OutlinePiece>& loop) {
            bool in = false;
            auto cross = [&](double x1, double y1, double x2, double y2) {
                if ((y1 > point.Y) != (y2 > point.Y) && point.X < x1 + (point.Y - y1) * (x2 - x1) / (y2 - y1)) in = !in;
            };
            for (const auto& p : loop) {
                const double radius = std::hypot(p.X1 - p.XC, p.Y1 - p.YC);
                if (!p.IsArc || !(radius < 10000)) {
                    cross(p.X1, p.Y1, p.X2, p.Y2);
                    continue;
                }
                const double start = std::atan2(p.Y1 - p.YC, p.X1 - p.XC), sense = p.Direction ? 1.0 : -1.0;
                double sweep = std::fmod(sense * (std::atan2(p.Y2 - p.YC, p.X2 - p.XC) - start) + 4.0 * M_PI, 2.0 * M_PI);
                if (sweep == 0.0) sweep = 2.0 * M_PI;
                double x = p.X1, y = p.Y1;
                for (int k = 1; k <= 256; ++k) {
                    const double angle = start + sense * sweep * k / 256.0;
                    const double nx = k == 256 ? p.X2 : p.XC + radius * std::cos(angle), ny = k == 256 ? p.Y2 : p.YC + radius * std::sin(angle);
                    cross(x, y, nx, ny);
                    x = nx, y = ny;
                }
            }
            return in;
        };
        bool inside = within(slab.outline);
        for (const auto& opening : slab.openings) inside = inside && !within(opening);
        for (const auto& p : pieces) inside = inside || OnPiece(p, point.X, point.Y, tol);
        std::int32_t found = 0;
        for (std::int32_t n = 1; n <= net.nodeCount; ++n)
            if (std::fabs(net.X(n) - point.X) < tol && std::fabs(net.Y(n) - point.Y) < tol) found = n;
        if (!inside) {
            if (found != 0) faults.push_back("a point outside the slab has a node");
            continue;
        }
        if (found == 0) {
            faults.push_back("no node at a single point");
            continue;
        }
        for (std::int32_t e = 1; e <= net.elementCount; ++e)
            for (int k = 1; k <= 3; ++k)
                if (net.Corner(e, k) == found && (net.E(e).Flag[static_cast<std::size_t>(k)] & halvex::BoundaryNode) == 0)
                    faults.push_back("a single point's node lacks the fixed-node mark");
    }

    // Auxiliary nodes gone: every node lies on the slab's extent.
    double xMin = 1e30, xMax = -1e30, yMin = 1e30, yMax = -1e30;
    for (const auto& p : slab.outline) {
        const double radius = p.IsArc && std::hypot(p.X1 - p.XC, p.Y1 - p.YC) < 10000 ? std::hypot(p.X1 - p.XC, p.Y1 - p.YC) : 0.0;
        xMin = std::min<double>({xMin, p.X1, p.X2, p.IsArc && radius > 0 ? p.XC - radius : 1e30});
        xMax = std::max<double>({xMax, p.X1, p.X2, p.IsArc && radius > 0 ? p.XC + radius : -1e30});
        yMin = std::min<double>({yMin, p.Y1, p.Y2, p.IsArc && radius > 0 ? p.YC - radius : 1e30});
        yMax = std::max<double>({yMax, p.Y1, p.Y2, p.IsArc && radius > 0 ? p.YC + radius : -1e30});
    }
    for (std::int32_t n = 1; n <= net.nodeCount; ++n)
        if (net.X(n) < xMin - tol || net.X(n) > xMax + tol || net.Y(n) < yMin - tol || net.Y(n) > yMax + tol)
            faults.push_back("node " + std::to_string(n) + " lies outside the slab");

    if (!quality) return faults;
    // Quality: every triangle the refinement may still divide (its
    // circumcentre inside the slab and reachable from it without crossing
    // the border, its circumradius above rmin) meets theta and its size.
    const double regionGrid = 1.0 / (100.0 * UnitFactor());
    std::vector<Side> lineSides;
    for (const auto& [key, holders] : SidesOf(net))
        if ((net.E(holders[0].first).Flag[static_cast<std::size_t>(holders[0].second)] & halvex::BoundarySide) != 0)
            lineSides.push_back({key.first, key.second});
    int checked = 0;
    for (std::int32_t e = 1; e <= net.elementCount; ++e) {
        const Circle c = Circumcircle(net, e);
        if (!(c.r > slab.rmin * 1.001)) continue;
        bool inside = false;
        double nearest = 1e30;
        for (const auto& loop : loops)
            for (std::size_t i = 0; i < loop.size(); ++i) {
                const auto a = loop[i], b = loop[(i + 1) % loop.size()];
                if ((net.Y(a) > c.y) != (net.Y(b) > c.y) &&
                    c.x < net.X(a) + (c.y - net.Y(a)) * (net.X(b) - net.X(a)) / (net.Y(b) - net.Y(a)))
                    inside = !inside;
                nearest = std::min(nearest, PointSegmentDistance(c.x, c.y, net.X(a), net.Y(a), net.X(b), net.Y(b)));
            }
        if (!inside || nearest < 2.0 * regionGrid) continue;
        const double gx = (net.X(net.Corner(e, 1)) + net.X(net.Corner(e, 2)) + net.X(net.Corner(e, 3))) / 3.0;
        const double gy = (net.Y(net.Corner(e, 1)) + net.Y(net.Corner(e, 2)) + net.Y(net.Corner(e, 3))) / 3.0;
        bool reachable = true;
        for (const Side& s : border)
            if (SegmentsCross(gx, gy, c.x, c.y, net.X(s.a), net.Y(s.a), net.X(s.b), net.Y(s.b))) reachable = false;
        for (const Side& s : lineSides)
            if (SegmentsCross(gx, gy, c.x, c.y, net.X(s.a), net.Y(s.a), net.X(s.b), net.Y(s.b)) &&
                std::hypot(net.X(s.b) - net.X(s.a), net.Y(s.b) - net.Y(s.a)) <= slab.rmin)
                reachable = false;
        if (!reachable) continue;
        ++checked;
        const double angle = SmallestAngleDeg(net, e);
        if (angle < slab.theta - 0.01)
            faults.push_back("element " + std::to_string(e) + " has an angle of " + std::to_string(angle) + " degrees");
        const double target = GetTriangleTargetSize(static_cast<std::int16_t>(net.Corner(e, 1)),
                                                    static_cast<std::int16_t>(net.Corner(e, 2)),
                                                    static_cast<std::int16_t>(net.Corner(e, 3)));
        if (c.r > target * 1.0001)
            faults.push_back("element " + std::to_string(e) + " has a circumradius of " + std::to_string(c.r) +
                             " above its target size " + std::to_string(target));
    }
    if (checked == 0) faults.push_back("no element was checked for quality");
    return faults;
}

// A random star-shaped outline of 5 to 14 corners (either way round), with
// or without an opening, an internal line and a single point, random
// parameters and a graded field: the same slab for the same seed.
inline SlabFixture RandomStarSlab(int seed) {
    std::mt19937 random(static_cast<unsigned>(seed));
    std::uniform_real_distribution<float> u(0.0f, 1.0f);
    SlabFixture slab;
    slab.theta = 20.0f + 14.0f * u(random);
    const float base = 0.4f + 2.0f * u(random);
    slab.r = base;
    slab.rmin = base * (0.1f + 0.3f * u(random));
    const float cx = 10.0f * u(random), cy = 10.0f * u(random);
    const int corners = 5 + static_cast<int>(random() % 10);  // the opening stays inside
    std::vector<halvex::SinglePoint> points;
    for (int i = 0; i < corners; ++i) {
        const float angle = 6.2831853f * (static_cast<float>(i) + 0.8f * u(random)) / static_cast<float>(corners);
        const float radius = 7.0f + 8.0f * u(random);
        points.push_back({cx + radius * std::cos(angle), cy + radius * std::sin(angle)});
    }
    if (random() % 2) std::reverse(points.begin(), points.end());
    auto piece = [](float x1, float y1, float x2, float y2) {
        OutlinePiece p;
        p.X1 = x1, p.Y1 = y1, p.X2 = x2, p.Y2 = y2;
        return p;
    };
    for (int i = 0; i < corners; ++i) {
        const auto& a = points[static_cast<std::size_t>(i)];
        const auto& b = points[static_cast<std::size_t>((i + 1) % corners)];
        slab.outline.push_back(piece(a.X, a.Y, b.X, b.Y));
    }
    if (random() % 2) {
        const float h = 0.5f + u(random);
        slab.openings.push_back({piece(cx - h, cy - h, cx + h, cy - h), piece(cx + h, cy - h, cx + h, cy + h),
                                 piece(cx + h, cy + h, cx - h, cy + h), piece(cx - h, cy + h, cx - h, cy - h)});
    }
    if (random() % 2) slab.lines.push_back({{cx + 2.0f, cy - 3.0f}, {cx + 3.0f, cy + 3.0f}});
    if (random() % 2) slab.points.push_back({cx - 2.5f, cy + 1.3f});
    const float grade = 0.2f + u(random);
    slab.field = [=](float x, float y) {
        return base * (grade + (1.0f - grade) * std::min(1.0f, std::hypot(x - cx, y - cy) / 8.0f));
    };
    return slab;
}

}  // namespace orvelo::meshcheck
