// The quality promise of the Delaunay generation over a few hundred random
// slabs: convex, star-shaped and orthogonal outlines, openings near the
// outline, internal lines ending on the outline and crossing, short and
// collinear pieces, loops starting anywhere, origins far from 0. Every slab
// gives a net or is refused with a message; every net conforms, covers the
// slab less its openings, keeps every constraint node on its input segment,
// runs counter-clockwise, and every triangle whose circumradius is above
// rmin meets theta and its target size, except near input angles under 60
// degrees and where a constraint side has reached the rmin floor.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "halvex/interface/enums.h"
#include "orvelo/delaunay/generate.h"
#include "orvelo/delaunay/generated_net_check.h"
#include "orvelo/delaunay/marks.h"
#include "orvelo/delaunay/mesh_fixture.h"
#include "orvelo/delaunay/net_check.h"
#include "orvelo/delaunay/target_size.h"
#include "orvelo/delaunay/units.h"
#include "orvelo/project/services.h"
#include "outside/drovik/wait_window.h"
#include "platform/forms/msgbox.h"
#include "platform/runtime/errors.h"

namespace orvelo {
namespace {

using meshcheck::NetView;
using meshcheck::SlabFixture;

constexpr double kPi = 3.14159265358979323846;

struct Segment {
    double ax, ay, bx, by;
};

OutlinePiece straight(double x1, double y1, double x2, double y2) {
    OutlinePiece p;
    p.X1 = static_cast<float>(x1), p.Y1 = static_cast<float>(y1), p.X2 = static_cast<float>(x2), p.Y2 = static_cast<float>(y2);
    return p;
}

std::vector<OutlinePiece> closedLoop(const std::vector<std::pair<double, double>>& corners) {
    std::vector<OutlinePiece> pieces;
    for (std::size_t k = 0; k < corners.size(); ++k) {
        const auto& a = corners[k];
        const auto& b = corners[(k + 1) % corners.size()];
        pieces.push_back(straight(a.first, a.second, b.first, b.second));
    }
    return pieces;
}

// One random slab (in local coordinates, shifted to its origin at the end)
// and what the checks need to know of it.
struct RandomSlab {
    SlabFixture slab;
    std::vector<std::pair<double, double>> smallAngles;  // input vertices with an angle under 60 degrees
    bool openingWithinTolerance = false;  // must be refused
    bool openingNearOutline = false;      // may be refused (a strip a few tolerances wide)
};

RandomSlab makeSlab(int seed, double tol) {
    std::mt19937 random(static_cast<unsigned>(seed) * 7919u + 17u);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    RandomSlab result;
    SlabFixture& slab = result.slab;
    slab.name = "random " + std::to_string(seed);
    slab.theta = static_cast<float>(20.0 + 13.0 * u(random));
    slab.r = static_cast<float>(0.6 + 0.9 * u(random));
    slab.rmin = slab.r * static_cast<float>(0.1 + 0.35 * u(random));
    const double originChoices[][2] = {{0, 0}, {400, -250}, {-1200, 900}, {37.5, 12.25}};
    const auto& origin = originChoices[random() % 4];
    const double ox = origin[0], oy = origin[1];

    std::vector<std::pair<double, double>> corners;
    std::vector<std::vector<std::pair<double, double>>> openings;
    std::vector<Segment> lines;
    const int kind = seed % 3;
    double width = 0.0, height = 0.0;
    if (kind == 0) {  // convex
        const double a = 8.0 + 8.0 * u(random), b = 6.0 + 6.0 * u(random);
        const int n = 5 + static_cast<int>(random() % 6);
        for (int i = 0; i < n; ++i) {
            const double t = 2.0 * kPi * (i + 0.35 * u(random)) / n;
            corners.push_back({a * std::cos(t), b * std::sin(t)});
        }
        if (random() % 2) openings.push_back({{-1.5, -1.0}, {1.0, -1.0}, {1.0, 1.5}, {-1.5, 1.5}});
        if (random() % 2) lines.push_back({-0.5 * a, -0.3 * b, 0.6 * a, 0.2 * b});  // crosses the opening's side or not
    } else if (kind == 1) {  // star-shaped
        const int n = 5 + static_cast<int>(random() % 9);
        for (int i = 0; i < n; ++i) {
            const double t = 2.0 * kPi * (i + 0.8 * u(random)) / n;
            const double radius = 7.0 + 8.0 * u(random);
            corners.push_back({radius * std::cos(t), radius * std::sin(t)});
        }
        if (random() % 2) {
            const double h = 0.5 + u(random);
            openings.push_back({{-h, -h}, {h, -h}, {h, h}, {-h, h}});
        }
        if (random() % 2) lines.push_back({2.0, -3.0, 3.0, 3.0});
        if (random() % 3 == 0) lines.push_back({-4.0, 2.0, 4.5, 2.5});  // crosses the first or runs free
    } else {  // orthogonal: a rectangle with a notch, openings near the outline
        width = 14.0 + 12.0 * u(random);
        height = 10.0 + 8.0 * u(random);
        const double nx = width * (0.3 + 0.3 * u(random)), nw = width * 0.25, nh = height * (0.2 + 0.3 * u(random));
        corners = {{0, 0}, {width, 0}, {width, height}, {nx + nw, height}, {nx + nw, height - nh}, {nx, height - nh}, {nx, height}, {0, height}};
        // An opening whose left side lies a random multiple of the
        // tolerance from the outline's left side.
        const double factors[] = {0.3, 0.8, 1.5, 4.0, 40.0, 400.0};
        const double gap = tol * factors[random() % 6];
        result.openingWithinTolerance = gap < tol;
        result.openingNearOutline = gap < 10.0 * tol;
        const double oy0 = height * 0.2, oy1 = height * 0.45;
        openings.push_back({{gap, oy0}, {gap + 2.5, oy0}, {gap + 2.5, oy1}, {gap, oy1}});
        if (random() % 2) {
            // A line from the bottom side up, and one across it.
            const double lx = width * (0.6 + 0.2 * u(random));
            const bool belowNotch = lx > nx - 0.5 && lx < nx + nw + 0.5;
            lines.push_back({lx, 0.0, lx, belowNotch ? height - nh - 1.0 : height * 0.7});
            if (random() % 2) lines.push_back({lx - 3.0, height * 0.3, lx + 3.5, height * 0.5});
        }
    }
    if (random() % 3 == 0) slab.points.push_back({static_cast<float>(ox + 0.5), static_cast<float>(oy + 4.5)});

    // Collinear points: the first side divided in two.
    std::vector<OutlinePiece> outline;
    for (std::size_t k = 0; k < corners.size(); ++k) {
        const auto& a = corners[k];
        const auto& b = corners[(k + 1) % corners.size()];
        if (k == 0 && random() % 3 == 0) {
            const double t = 0.3 + 0.4 * u(random);
            const double mx = a.first + t * (b.first - a.first), my = a.second + t * (b.second - a.second);
            outline.push_back(straight(a.first + ox, a.second + oy, mx + ox, my + oy));
            outline.push_back(straight(mx + ox, my + oy, b.first + ox, b.second + oy));
        } else {
            outline.push_back(straight(a.first + ox, a.second + oy, b.first + ox, b.second + oy));
        }
    }
    // A piece shorter than the tolerance somewhere in the loop: a side
    // divided at a point and a third of the tolerance beyond it.
    if (random() % 3 == 0) {
        const std::size_t k = random() % outline.size();
        const OutlinePiece at = outline[k];
        const double length = std::hypot(at.X2 - at.X1, at.Y2 - at.Y1);
        const double t = 0.3 + 0.4 * u(random), t2 = t + tol / 3.0 / length;
        const double px = at.X1 + t * (at.X2 - at.X1), py = at.Y1 + t * (at.Y2 - at.Y1);
        const double qx = at.X1 + t2 * (at.X2 - at.X1), qy = at.Y1 + t2 * (at.Y2 - at.Y1);
        outline[k] = straight(at.X1, at.Y1, px, py);
        outline.insert(outline.begin() + static_cast<std::ptrdiff_t>(k) + 1,
                       {straight(px, py, qx, qy), straight(qx, qy, at.X2, at.Y2)});
    }
    // The loop starts anywhere, and runs either way round.
    std::rotate(outline.begin(), outline.begin() + static_cast<std::ptrdiff_t>(random() % outline.size()), outline.end());
    if (random() % 2) {
        std::reverse(outline.begin(), outline.end());
        for (auto& p : outline) {
            std::swap(p.X1, p.X2);
            std::swap(p.Y1, p.Y2);
        }
    }
    slab.outline = outline;
    for (auto opening : openings) {
        for (auto& c : opening) c = {c.first + ox, c.second + oy};
        slab.openings.push_back(closedLoop(opening));
    }
    // A line that passes within a few tolerances of a corner of the border
    // meets it there by the coincidence rule (and bends by up to the
    // tolerance): such slabs are moved apart, the rule is not the subject.
    for (Segment& l : lines) {
        for (int attempt = 0; attempt < 20; ++attempt) {
            bool near = false;
            for (const auto& corner : corners)
                near = near || meshcheck::PointSegmentDistance(corner.first, corner.second, l.ax, l.ay, l.bx, l.by) < 10.0 * tol;
            for (const auto& opening : openings)
                for (const auto& corner : opening)
                    near = near || meshcheck::PointSegmentDistance(corner.first, corner.second, l.ax, l.ay, l.bx, l.by) < 10.0 * tol;
            if (!near) break;
            l.ax += 0.05, l.bx += 0.05;
        }
    }
    for (const Segment& l : lines)
        slab.lines.push_back({{static_cast<float>(l.ax + ox), static_cast<float>(l.ay + oy)},
                              {static_cast<float>(l.bx + ox), static_cast<float>(l.by + oy)}});

    const double grade = u(random) < 0.5 ? 1.0 : 0.3 + 0.5 * u(random);
    const float r = slab.r;
    slab.field = [=](float x, float y) {
        const double d = std::hypot(x - ox, y - oy);
        return static_cast<float>(r * (grade + (1.0 - grade) * std::min(1.0, d / 10.0)));
    };

    // The input vertices with a small angle between two constraint
    // segments that meet there (corners, line ends on other segments, line
    // crossings).
    std::vector<Segment> segments;
    for (const auto& p : slab.outline) segments.push_back({p.X1, p.Y1, p.X2, p.Y2});
    for (const auto& o : slab.openings)
        for (const auto& p : o) segments.push_back({p.X1, p.Y1, p.X2, p.Y2});
    for (const auto& [a, b] : slab.lines) segments.push_back({a.X, a.Y, b.X, b.Y});
    auto directionsAt = [&](double x, double y) {
        std::vector<double> directions;
        for (const Segment& s : segments) {
            const double len = std::hypot(s.bx - s.ax, s.by - s.ay);
            if (len < 10 * tol) continue;
            const double da = std::hypot(s.ax - x, s.ay - y), db = std::hypot(s.bx - x, s.by - y);
            const double off = meshcheck::PointSegmentDistance(x, y, s.ax, s.ay, s.bx, s.by);
            if (da < 2 * tol) directions.push_back(std::atan2(s.by - s.ay, s.bx - s.ax));
            else if (db < 2 * tol) directions.push_back(std::atan2(s.ay - s.by, s.ax - s.bx));
            else if (off < 2 * tol) {
                directions.push_back(std::atan2(s.by - s.ay, s.bx - s.ax));
                directions.push_back(std::atan2(s.ay - s.by, s.ax - s.bx));
            }
        }
        return directions;
    };
    std::vector<std::pair<double, double>> vertices;
    for (const Segment& s : segments) {
        vertices.push_back({s.ax, s.ay});
        vertices.push_back({s.bx, s.by});
    }
    for (std::size_t i = 0; i < segments.size(); ++i)
        for (std::size_t j = i + 1; j < segments.size(); ++j) {
            const Segment& s = segments[i];
            const Segment& t = segments[j];
            const double d = (s.bx - s.ax) * (t.by - t.ay) - (s.by - s.ay) * (t.bx - t.ax);
            if (d == 0.0) continue;
            const double a = ((t.ax - s.ax) * (t.by - t.ay) - (t.ay - s.ay) * (t.bx - t.ax)) / d;
            const double b = ((t.ax - s.ax) * (s.by - s.ay) - (t.ay - s.ay) * (s.bx - s.ax)) / d;
            if (a > 0 && a < 1 && b > 0 && b < 1) vertices.push_back({s.ax + a * (s.bx - s.ax), s.ay + a * (s.by - s.ay)});
        }
    for (const auto& [x, y] : vertices) {
        const auto directions = directionsAt(x, y);
        for (std::size_t i = 0; i < directions.size(); ++i)
            for (std::size_t j = i + 1; j < directions.size(); ++j) {
                double angle = std::fabs(directions[i] - directions[j]);
                if (angle > kPi) angle = 2 * kPi - angle;
                if (angle > 1e-6 && angle < kPi / 3.0) result.smallAngles.push_back({x, y});
            }
    }
    return result;
}

double ulpAt(double magnitude) { return std::max(magnitude, 1.0) * std::ldexp(1.0, -23); }

// The faults of the generated net against the promises above.
std::vector<std::string> checkNet(const RandomSlab& input) {
    const SlabFixture& slab = input.slab;
    const NetView net = meshcheck::MeshView();
    std::vector<std::string> faults = meshcheck::CheckTopology(net);
    if (!faults.empty()) return faults;
    for (const auto& f : meshcheck::CheckSideFlags(net)) faults.push_back(f);
    double extent = 0.0;
    for (std::int32_t n = 1; n <= net.nodeCount; ++n) extent = std::max({extent, std::fabs(net.X(n)), std::fabs(net.Y(n))});
    const double rounding = 4.0 * ulpAt(extent);

    // Counter-clockwise elements, and the slab's area.
    for (std::int32_t e = 1; e <= net.elementCount; ++e)
        if (!(meshcheck::TwiceArea(net, e) > 0.0)) faults.push_back("element " + std::to_string(e) + " runs clockwise");
    double perimeter = 0.0;
    for (const auto& p : slab.outline) perimeter += std::hypot(p.X2 - p.X1, p.Y2 - p.Y1);
    for (const auto& o : slab.openings)
        for (const auto& p : o) perimeter += std::hypot(p.X2 - p.X1, p.Y2 - p.Y1);
    const double area = meshcheck::NetArea(net), expected = meshcheck::SlabArea(slab);
    if (std::fabs(area - expected) > perimeter * rounding + 1e-9 * expected)
        faults.push_back("net area " + std::to_string(area) + " is not the slab's " + std::to_string(expected));

    // Border sides lie on the outline or an opening, line sides on their
    // line: every node of them on its input segment within the rounding.
    std::vector<OutlinePiece> borderPieces = slab.outline;
    for (const auto& o : slab.openings) borderPieces.insert(borderPieces.end(), o.begin(), o.end());
    std::vector<OutlinePiece> linePieces;
    for (const auto& [a, b] : slab.lines) linePieces.push_back(straight(a.X, a.Y, b.X, b.Y));
    auto offBy = [&](const std::vector<OutlinePiece>& pieces, double x, double y) {
        double best = 1e30;
        for (const auto& p : pieces) best = std::min(best, meshcheck::PointSegmentDistance(x, y, p.X1, p.Y1, p.X2, p.Y2));
        return best;
    };
    std::vector<std::pair<std::int32_t, std::int32_t>> constraintSides;
    for (const auto& [key, holders] : meshcheck::SidesOf(net)) {
        const bool border = holders.size() == 1;
        const bool line = (net.E(holders[0].first).Flag[static_cast<std::size_t>(holders[0].second)] & halvex::BoundarySide) != 0;
        if (!border && !line) continue;
        constraintSides.push_back(key);
        for (const std::int32_t n : {key.first, key.second}) {
            const double off = offBy(border ? borderPieces : linePieces, net.X(n), net.Y(n));
            if (off > rounding)
                faults.push_back(std::string(border ? "border" : "line") + " node " + std::to_string(n) + " (" +
                                 std::to_string(net.X(n)) + ", " + std::to_string(net.Y(n)) + ") lies " +
                                 std::to_string(off) + " off its input segment");
        }
    }

    // Quality.
    for (std::int32_t e = 1; e <= net.elementCount; ++e) {
        const meshcheck::Circle c = meshcheck::Circumcircle(net, e);
        if (!(c.r > slab.rmin * 1.001)) continue;
        double cx = 0.0, cy = 0.0;
        for (int k = 1; k <= 3; ++k) {
            cx += net.X(net.Corner(e, k)) / 3.0;
            cy += net.Y(net.Corner(e, k)) / 3.0;
        }
        bool excused = false;
        for (const auto& [vx, vy] : input.smallAngles)
            for (int k = 1; k <= 3 && !excused; ++k)
                excused = std::hypot(net.X(net.Corner(e, k)) - vx, net.Y(net.Corner(e, k)) - vy) <
                          3.0 * slab.field(static_cast<float>(vx), static_cast<float>(vy));
        // A constraint side at the rmin floor that the circumcentre lies
        // beyond or encroaches.
        for (const auto& [a, b] : constraintSides) {
            if (excused) break;
            const double ax = net.X(a), ay = net.Y(a), bx = net.X(b), by = net.Y(b);
            if (std::hypot(bx - ax, by - ay) > slab.rmin) continue;
            excused = meshcheck::SegmentsCross(cx, cy, c.x, c.y, ax, ay, bx, by) ||
                      (ax - c.x) * (bx - c.x) + (ay - c.y) * (by - c.y) < 0.0;
        }
        if (excused) continue;
        const double angle = meshcheck::SmallestAngleDeg(net, e);
        if (angle < slab.theta - 0.01)
            faults.push_back("element " + std::to_string(e) + " has an angle of " + std::to_string(angle) + " degrees (theta " +
                             std::to_string(slab.theta) + ")");
        const double target = GetTriangleTargetSize(static_cast<std::int16_t>(net.Corner(e, 1)), static_cast<std::int16_t>(net.Corner(e, 2)),
                                                    static_cast<std::int16_t>(net.Corner(e, 3)));
        if (c.r > target * 1.0001)
            faults.push_back("element " + std::to_string(e) + " has a circumradius of " + std::to_string(c.r) +
                             " above its target size " + std::to_string(target));
    }
    return faults;
}

class QualityProperty : public ::testing::Test {
protected:
    void SetUp() override {
        resetServices();
        drovik::ClsWaitWindow::stopAfterUpdates(0);
    }
    void TearDown() override { resetServices(); }
    forms::ScopedMsgBox boxes_;
};

TEST_F(QualityProperty, RandomSlabsGiveSoundNetsOrAreRefusedWithAMessage) {
    int meshed = 0;
    int refused = 0;
    const char* only = std::getenv("QUALITY_SEED");  // one seed alone, to look into it
    const char* more = std::getenv("QUALITY_SEEDS");  // a longer soak
    const int seeds = more != nullptr ? std::atoi(more) : 300;
    for (int seed = 0; seed < seeds; ++seed) {
        if (only != nullptr && std::atoi(only) != seed) continue;
        // The tolerance the slab will be meshed with comes from its extent.
        RandomSlab input = makeSlab(seed, 0.0);
        meshcheck::InstallSlab(input.slab);
        SetScaleFromSlabDescription();
        input = makeSlab(seed, CoincidenceTolerance());
        meshcheck::InstallSlab(input.slab);
        try {
            GenerateDelaunayMesh();
        } catch (const rt::RuntimeError& error) {
            ++refused;
            EXPECT_FALSE(error.description().empty()) << "seed " << seed;
            // Only an opening within a few tolerances of the outline may be
            // refused.
            EXPECT_TRUE(input.openingNearOutline) << "seed " << seed << " refused: " << error.description();
            continue;
        }
        ++meshed;
        EXPECT_EQ(RunControl().RunState(), 0) << "seed " << seed;
        EXPECT_FALSE(input.openingWithinTolerance) << "seed " << seed << ": an opening within the tolerance was meshed";
        const auto faults = checkNet(input);
        for (std::size_t i = 0; i < faults.size() && i < 3; ++i) ADD_FAILURE() << "seed " << seed << ": " << faults[i];
    }
    if (only == nullptr) {
        EXPECT_GT(meshed, seeds * 5 / 6);
    }
}

// A slab of one outline loop under a uniform size.
SlabFixture polygonSlab(const std::vector<std::pair<double, double>>& corners, float theta, float r, float rmin) {
    SlabFixture slab;
    slab.theta = theta, slab.r = r, slab.rmin = rmin;
    slab.outline = closedLoop(corners);
    slab.field = [r](float, float) { return r; };
    return slab;
}

// The 30 m x 20 m slab with two openings and an internal line (every input
// angle 90 degrees): every triangle meets theta; with a small rmin the line
// costs at most 1.3 times the slab without it plus two triangles per target
// size of line.
TEST_F(QualityProperty, TheBenchmarkSlabMeetsThetaAndItsLineDoesNotOverRefine) {
    auto mesh = [](float theta, float r, float rmin, bool withLine) {
        SlabFixture slab = polygonSlab({{0, 0}, {30, 0}, {30, 20}, {0, 20}}, theta, r, rmin);
        slab.openings = {closedLoop({{5, 5}, {9, 5}, {9, 8}, {5, 8}}), closedLoop({{18, 12}, {24, 12}, {24, 16}, {18, 16}})};
        if (withLine) slab.lines = {{{12.0f, 2.0f}, {12.0f, 18.0f}}};
        meshcheck::InstallSlab(slab);
        GenerateDelaunayMesh();
        return meshcheck::MeshView();
    };
    for (const float r : {0.3f, 0.45f}) {
        for (const float theta : {30.0f, 33.0f}) {
            const NetView net = mesh(theta, r, 0.4f * r, true);
            ASSERT_TRUE(meshcheck::CheckTopology(net).empty());
            for (std::int32_t e = 1; e <= net.elementCount; ++e)
                ASSERT_GE(meshcheck::SmallestAngleDeg(net, e), theta - 0.01) << "theta " << theta << ", r " << r;
        }
        const int without = mesh(30.0f, r, 0.1f * r, false).elementCount;
        const int with = mesh(30.0f, r, 0.1f * r, true).elementCount;
        EXPECT_LE(with, 1.3 * without + 2.0 * 16.0 / r) << "r " << r << ": " << with << " against " << without;
    }
}

// A thin spike (an input angle under 1 degree) is meshed to its tip, or the
// slab is refused with a message; never cut off silently.
TEST_F(QualityProperty, AThinSpikeIsMeshedToItsTipOrRefused) {
    for (const float half : {0.2f, 0.05f}) {
        const SlabFixture slab =
            polygonSlab({{0, 0}, {10, 0}, {10, 5.0 - half}, {30, 5}, {10, 5.0 + half}, {10, 10}, {0, 10}}, 30.0f, 0.8f, 0.2f);
        meshcheck::InstallSlab(slab);
        try {
            GenerateDelaunayMesh();
        } catch (const rt::RuntimeError& error) {
            EXPECT_FALSE(error.description().empty());
            continue;
        }
        const NetView net = meshcheck::MeshView();
        EXPECT_TRUE(meshcheck::CheckTopology(net).empty());
        EXPECT_NEAR(meshcheck::NetArea(net), meshcheck::SlabArea(slab), 1e-6 * meshcheck::SlabArea(slab)) << "half width " << half;
        double reach = 0.0;
        for (std::int32_t n = 1; n <= net.nodeCount; ++n) reach = std::max(reach, net.X(n));
        EXPECT_EQ(reach, 30.0);
    }
}

}  // namespace
}  // namespace orvelo
