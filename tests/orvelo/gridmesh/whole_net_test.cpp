// Whole nets on random slabs: every grid type with and without the adaptive
// refinement, and the polar types on disks and annuli, each net judged
// against the slab itself (gridcheck::wholeNetFaults); a slab that cannot be
// meshed must be refused with a message.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "grid_fixture.h"
#include "grid_net_checks.h"
#include "orvelo/delaunay/generated_net_check.h"
#include "orvelo/delaunay/adaptive_refinement.h"
#include "orvelo/delaunay/marks.h"
#include "orvelo/delaunay/units.h"
#include "orvelo/gridmesh/grid_based_mesh.h"
#include "orvelo/gridmesh/grid_regions.h"
#include "orvelo/gridmesh/polar_mesh.h"
#include "orvelo/model/declar.h"
#include "platform/runtime/errors.h"

namespace orvelo {
namespace {

using Point = halvex::SinglePoint;

double turn(const Point& p, const Point& q, const Point& r) {
    return (static_cast<double>(q.X) - p.X) * (static_cast<double>(r.Y) - p.Y) - (static_cast<double>(q.Y) - p.Y) * (static_cast<double>(r.X) - p.X);
}

// Whether segment a-b stays in the slab: it crosses no piece of the border
// (an arc followed in short steps) and its middle lies inside.
bool staysInside(const gridcheck::SlabBorder& border, const Point& a, const Point& b) {
    const std::vector<gridcheck::Trace> loops = gridcheck::tracesOf(border);
    for (const gridcheck::Trace& loop : loops)
        for (std::size_t k = 0; k < loop.size(); ++k) {
            const Point c{static_cast<float>(loop[k][0]), static_cast<float>(loop[k][1])};
            const Point d{static_cast<float>(loop[(k + 1) % loop.size()][0]), static_cast<float>(loop[(k + 1) % loop.size()][1])};
            if (turn(a, b, c) * turn(a, b, d) <= 0.0 && turn(c, d, a) * turn(c, d, b) < 0.0) return false;
        }
    return gridcheck::inTraces(loops, (a.X + b.X) / 2.0, (a.Y + b.Y) / 2.0, 0.0);
}

// A circle of four counter-clockwise quarter arcs.
std::vector<OutlinePiece> circle(float cx, float cy, float r) {
    return {arcPiece(cx + r, cy, cx, cy + r, cx, cy, true), arcPiece(cx, cy + r, cx - r, cy, cx, cy, true),
            arcPiece(cx - r, cy, cx, cy - r, cx, cy, true), arcPiece(cx, cy - r, cx + r, cy, cx, cy, true)};
}

// Slab `run`: convex, star-shaped or orthogonal (run % 3) on a grid that
// fits its extent or not (run / 3 % 2), with or without an opening (a
// circle when run % 7 is 3), up to
// three internal lines (ending inside or on the outline, crossing or not)
// and a single point; the mesh type is run % 5. The grid step is the
// extent divided by a number from `fewest` to `most` cells.
gridtest::GridSlab randomSlab(std::mt19937& random, int run, gridcheck::SlabBorder& border, int fewest = 6, int most = 16) {
    const auto uniform = [&random](float from, float to) { return std::uniform_real_distribution<float>(from, to)(random); };
    const auto pick = [&random](int from, int to) { return std::uniform_int_distribution<int>(from, to)(random); };
    const bool fits = run / 3 % 2 == 0;
    std::vector<std::pair<float, float>> corners;
    if (run % 3 == 2) {
        // Columns over a common base, on whole numbers when the grid fits.
        const auto value = [&](float from, float to) { return fits ? std::round(uniform(from, to)) : uniform(from, to); };
        std::vector<float> xs{value(2.0f, 3.0f)};
        const float base = value(2.0f, 3.0f);
        corners.emplace_back(xs[0], base);
        for (int i = pick(1, 5); i > 0; --i) xs.push_back(xs.back() + std::max(value(1.5f, 4.0f), 1.0f));
        corners.emplace_back(xs.back(), base);
        for (std::size_t i = xs.size() - 1; i > 0; --i) {
            const float h = base + value(2.0f, 8.0f) + (i % 2 == 0 ? 0.0f : 1.0f);
            corners.emplace_back(xs[i], h);
            corners.emplace_back(xs[i - 1], h);
        }
    } else {
        const int n = pick(4, 11);
        const float a = uniform(4.0f, 8.0f), b = uniform(4.0f, 8.0f);
        for (int i = 0; i < n; ++i) {
            const float angle = (static_cast<float>(i) + uniform(0.1f, 0.9f)) * 6.2831853f / static_cast<float>(n);
            const float r = run % 3 == 0 ? 1.0f : uniform(0.35f, 1.0f);
            corners.emplace_back(10.0f + r * a * std::cos(angle), 10.0f + r * b * std::sin(angle));
        }
    }
    gridtest::GridSlab slab;
    slab.outline = gridtest::Polygon(corners);
    slab.meshType = static_cast<std::int16_t>(run % 5);
    float xMin = 1e9f, xMax = -1e9f, yMin = 1e9f, yMax = -1e9f;
    for (const auto& [cx, cy] : corners) xMin = std::min(xMin, cx), xMax = std::max(xMax, cx), yMin = std::min(yMin, cy), yMax = std::max(yMax, cy);
    const float step = run % 3 == 2 && fits ? 1.0f : (xMax - xMin) / static_cast<float>(pick(fewest, most));
    const float x0 = fits ? (run % 3 == 2 ? 0.0f : xMin) : xMin - uniform(0.1f, 0.9f) * step;
    const float y0 = fits ? (run % 3 == 2 ? 0.0f : yMin) : yMin - uniform(0.1f, 0.9f) * step;
    slab.gridX = gridtest::Lines(x0, x0 + step * std::ceil((xMax - x0) / step + 0.01f), step);
    slab.gridY = gridtest::Lines(y0, y0 + step * std::ceil((yMax - y0) / step + 0.01f), step);
    border = gridcheck::SlabBorder{slab.outline, {}, {}};
    const auto inside = [&]() {
        for (;;) {
            const Point p{uniform(xMin, xMax), uniform(yMin, yMax)};
            if (gridcheck::inTraces(gridcheck::tracesOf(border), p.X, p.Y, 0.0)) return p;
        }
    };
    if (pick(0, 1) == 1) {
        const Point c = inside();
        const float w = uniform(0.6f, 1.6f) * step, h = uniform(0.6f, 1.6f) * step;
        const std::vector<Point> box{{c.X - w, c.Y - h}, {c.X + w, c.Y - h}, {c.X + w, c.Y + h}, {c.X - w, c.Y + h}};
        bool fitsIn = true;
        for (std::size_t k = 0; k < 4; ++k) fitsIn = fitsIn && staysInside(border, box[k], box[(k + 1) % 4]);
        if (fitsIn) {
            if (run % 7 == 3)
                slab.openings.push_back(circle(c.X, c.Y, std::min(w, h)));
            else
                slab.openings.push_back(gridtest::Polygon({{box[0].X, box[0].Y}, {box[1].X, box[1].Y}, {box[2].X, box[2].Y}, {box[3].X, box[3].Y}}));
            border.openings = slab.openings;
        }
    }
    const int lines = pick(0, 3);
    for (int attempt = 0; attempt < 60 && static_cast<int>(slab.lines.size()) < lines; ++attempt) {
        const Point a = inside();
        Point b = inside();
        if (pick(0, 2) == 0) {  // one end on the outline
            const OutlinePiece& p = slab.outline[static_cast<std::size_t>(pick(0, static_cast<int>(slab.outline.size()) - 1))];
            const float t = uniform(0.2f, 0.8f);
            b = Point{p.X1 + t * (p.X2 - p.X1), p.Y1 + t * (p.Y2 - p.Y1)};
        }
        if (std::hypot(b.X - a.X, b.Y - a.Y) < step || !staysInside(border, a, b)) continue;
        slab.lines.emplace_back(a, b);
    }
    border.lines = slab.lines;
    if (pick(0, 2) == 0) slab.points.push_back(inside());
    return slab;
}

// Every grid type, unrefined and refined: a whole net inside the slab that
// follows its lines, or a refusal with a message (few of them). (Seed 77
// holds a notch of the net's border at a narrow angle, seed 101 a cell
// whose side cuts across a reflex corner of the outline.)
TEST(WholeNets, GridTypesWithAndWithoutRefinementOnRandomSlabs) {
    std::array<int, 5> refused{};
    std::mt19937 random(77);
    for (int run = 0; run < 300; ++run) {
        if (run == 150) random.seed(101);
        gridcheck::SlabBorder border;
        const gridtest::GridSlab slab = randomSlab(random, run, border);
        gridtest::InstallGridSlab(slab);
        const float step = slab.gridX[1] - slab.gridX[0];
        slabsetup::SetOldNet(32.0f, 32.0f, 16, 16, [step](float x, float) { return step * (0.15f + 0.85f * x / 32.0f); });
        declar().MinElementSize = step / 25.0f;
        SCOPED_TRACE("run " + std::to_string(run % 150) + " of seed " + (run < 150 ? "77" : "101") + " type " + std::to_string(slab.meshType));
        try {
            GenerateGridBasedMesh();
            const double tol = CoincidenceTolerance();
            ASSERT_EQ(gridcheck::wholeNetFaults(basDelaunay(), border, tol), std::vector<std::string>{}) << "generated";
            // (Bisection of a whole net cannot make an overlap: that is tested
            // on the generated net only.)
            RefineMeshAdaptively();
            ASSERT_EQ(gridcheck::wholeNetFaults(basDelaunay(), border, tol, false, false), std::vector<std::string>{}) << "refined";
            EXPECT_EQ(gridcheck::coverageFault(basDelaunay(), border, tol), "") << "refined";
            EXPECT_EQ(declar().DrawingScale, 0.0f) << "no Delaunay generation ran";
        } catch (const rt::RuntimeError& e) {
            EXPECT_FALSE(e.description().empty());
            // (A net refined past 32767 elements is no fault of the net.)
            if (e.number() != 6) ++refused[static_cast<std::size_t>(slab.meshType)];
        }
    }
    for (std::size_t type = 0; type < 5; ++type) EXPECT_LE(refused[type], 5) << "type " << type << " of 60 slabs";
}

// Nets cover the slab on coarse grids (3 to 5 cells) and fine (24 to 40), refused
// rarely and naming a line only if there is one. Pinned slabs (seed, run, fewest
// and most cells) are meshed whole: two with a small round opening beside a side
// of the pattern, one whose lines cross at a narrow angle (a sliver the cuts
// leave), one whose key nodes fold a triangle over a neighbouring cell's.
TEST(WholeNets, GridNetsCoverTheSlabAtCoarseAndFineSteps) {
    int refused = 0;
    std::mt19937 shared(40);
    const std::array<std::array<int, 4>, 4> pins{{{4000108, 108, 40, 40}, {2000437, 437, 20, 20}, {2000915, 915, 10, 20}, {1003292, 3292, 3, 5}}};
    for (int run = 0; run < 124; ++run) {
        gridcheck::SlabBorder border;
        const bool pinned = run >= 120, coarse = run % 2 == 0;
        const std::array<int, 4> pin = pins[static_cast<std::size_t>(std::max(run - 120, 0))];
        std::mt19937 own(static_cast<unsigned>(pin[0]));
        const gridtest::GridSlab slab = pinned ? randomSlab(own, pin[1], border, pin[2], pin[3])
                                               : randomSlab(shared, run / 2, border, coarse ? 3 : 24, coarse ? 5 : 40);
        ASSERT_TRUE(!pinned || run >= 122 || (slab.openings.size() == 1 && slab.openings[0][0].IsArc));
        gridtest::InstallGridSlab(slab);
        SCOPED_TRACE("run " + std::to_string(run) + " type " + std::to_string(slab.meshType));
        try {
            GenerateGridBasedMesh();
            const double tol = CoincidenceTolerance();
            ASSERT_EQ(gridcheck::wholeNetFaults(basDelaunay(), border, tol, pinned), std::vector<std::string>{});
            EXPECT_EQ(gridcheck::coverageFault(basDelaunay(), border, tol, 1500), "");
        } catch (const rt::RuntimeError& e) {
            ++refused;
            EXPECT_FALSE(pinned) << e.description();
            EXPECT_TRUE(!slab.lines.empty() || e.description().find("internal line") == std::string::npos) << e.description();
        }
    }
    EXPECT_LE(refused, 3);
}

// The border tests through the index answer as the scan, at random points and
// segments, on random slabs and (run 40) an outline of half-circle arcs.
TEST(WholeNets, BorderIndexAnswersAsTheScan) {
    std::mt19937 random(5);
    const auto uniform = [&random](double from, double to) { return std::uniform_real_distribution<double>(from, to)(random); };
    for (int run = 0; run < 41; ++run) {
        gridcheck::SlabBorder border;
        gridtest::GridSlab slab = randomSlab(random, run, border);
        if (run == 40) {
            const auto at = [](int i, bool sine) { return 10.0f + 8.0f * (sine ? std::sin(i * 0.39269908f) : std::cos(i * 0.39269908f)); };
            slab.outline.clear();
            for (int k = 0; k < 16; ++k) slab.outline.push_back(arcPiece(at(k, 0), at(k, 1), at(k + 1, 0), at(k + 1, 1), (at(k, 0) + at(k + 1, 0)) / 2.0f, (at(k, 1) + at(k + 1, 1)) / 2.0f, false));
        }
        gridtest::InstallGridSlab(slab);
        SetScaleFromSlabDescription();
        const double step = slab.gridX[1] - slab.gridX[0];
        for (int k = 0; k < 400; ++k) {
            const double x = uniform(0.0, 20.0), y = uniform(0.0, 20.0);
            const double bx = x + uniform(-2.0, 2.0) * step, by = y + uniform(-2.0, 2.0) * step;
            std::array<bool, 3> answers[2];
            for (int indexed = 0; indexed < 2; ++indexed) {  // (sides' ends lie in the slab)
                indexed ? BuildBorderIndex() : ClearBorderIndex();
                answers[indexed] = {InsideSlabPieces(x, y), InsideSlabOrOnBorder(x, y), InsideSlabPieces(x, y) && InsideSlabPieces(bx, by) && CrossesSlabBorder(x, y, bx, by)};
            }
            ASSERT_EQ(answers[1], answers[0]) << "run " << run << " at (" << x << ", " << y << ") to (" << bx << ", " << by << ")";
        }
        ClearBorderIndex();
    }
}

// Disks and annuli of every polar type, thin rings and tiny disks among
// them (the first a thin ring of type 8): a whole net on the ring, or a
// refusal with a message before any node is made. The smoothing of an
// annulus of type 8 never lowers the smallest angle of the same net
// unsmoothed (type 7).
TEST(WholeNets, PolarTypesOnDisksAndAnnuli) {
    std::mt19937 random(8);
    const std::array<float, 5> shares{1e-30f, 0.3f, 0.9f, 0.9999f, std::nextafter(1.0f, 0.0f)};
    int refused = 0;
    for (int run = -1; run < 90; ++run) {
        gridtest::ResetAll();
        Declar& d = declar();
        d.SlabShape = run % 2 == 0 ? 2 : 5;
        d.MeshType = static_cast<std::int16_t>(run < 0 ? 8 : 6 + run / 2 % 3);
        d.PolarDivisionCount = static_cast<std::int16_t>(run < 0 ? 30 : std::uniform_int_distribution<int>(1, 20)(random));
        d.SlabLength = run < 0 ? 10.0f : std::uniform_real_distribution<float>(0.002f, 20.0f)(random);
        d.SlabWidth = run < 0 ? 9.5f : d.SlabLength * shares[static_cast<std::size_t>(run / 6 % 5)];
        const float c = d.SlabLength / 2.0f;
        gridcheck::SlabBorder border{circle(c, c, c), {}, {}};
        if (d.SlabShape == 5) border.openings = {circle(c, c, d.SlabWidth / 2.0f)};
        slabsetup::SetMeshSlab(border.outline, border.openings);
        SetScaleFromSlabDescription();
        SCOPED_TRACE("run " + std::to_string(run));
        try {
            double unsmoothed = 0.0;
            if (d.SlabShape == 5 && d.MeshType == 8) {
                d.MeshType = 7;
                GeneratePolarMesh();
                unsmoothed = meshcheck::SmallestAngleDeg(meshcheck::MeshView());
                d.MeshType = 8;
            }
            GeneratePolarMesh();
            ASSERT_EQ(gridcheck::wholeNetFaults(basDelaunay(), border, CoincidenceTolerance(), true, false), std::vector<std::string>{});
            EXPECT_GE(meshcheck::SmallestAngleDeg(meshcheck::MeshView()), unsmoothed);
        } catch (const rt::RuntimeError& e) {
            EXPECT_NE(e.description().find("cannot be made"), std::string::npos) << e.description();
            EXPECT_EQ(basDelaunay().MeshNodeCount, 0) << "a node was made before the refusal";
            ++refused;
        }
    }
    EXPECT_GT(refused, 0);
}

// A disk with a round opening, every grid type: the refinement divides a
// chord of the outline's arc at the arc, so the refined net covers more of
// the disk than the generated one (plain bisection covers the same), and
// stays on it.
TEST(WholeNets, RefinedBorderFollowsTheArcs) {
    for (std::int16_t type = 0; type < 5; ++type) {
        gridtest::GridSlab slab;
        slab.outline = circle(10.1f, 10.2f, 9.3f);
        slab.openings.push_back(circle(10.53f, 10.07f, 3.1f));
        slab.meshType = type;
        slab.gridX = gridtest::Lines(-0.3f, 20.7f, 1.0f);
        slab.gridY = gridtest::Lines(-0.2f, 20.8f, 1.0f);
        gridtest::InstallGridSlab(slab);
        slabsetup::SetOldNet(32.0f, 32.0f, 16, 16, [](float x, float) { return 0.25f + 0.5f * x / 32.0f; });
        declar().MinElementSize = 0.05f;
        SCOPED_TRACE("type " + std::to_string(type));
        GenerateGridBasedMesh();
        const double generated = gridcheck::totalArea(basDelaunay());
        RefineMeshAdaptively();
        ASSERT_EQ(gridcheck::wholeNetFaults(basDelaunay(), {slab.outline, slab.openings, {}}, CoincidenceTolerance(), false, false),
                  std::vector<std::string>{});
        EXPECT_GT(gridcheck::totalArea(basDelaunay()), generated + 0.01);
    }
}

// A frame whose hole (an opening) holds an island of the outline, every grid
// type, generated and refined: the island is meshed as the triangulated nets
// mesh it (the even-odd rule over every loop), the hole is not.
TEST(WholeNets, AnIslandInAnOpeningIsMeshed) {
    for (std::int16_t type = 0; type < 5; ++type) {
        gridtest::GridSlab slab;
        slab.outline = gridtest::Polygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
        const auto island = gridtest::Polygon({{4, 4}, {6, 4}, {6, 6}, {4, 6}});
        slab.outline.insert(slab.outline.end(), island.begin(), island.end());
        slab.openings.push_back(gridtest::Polygon({{2, 2}, {8, 2}, {8, 8}, {2, 8}}));
        slab.meshType = type;
        slab.gridX = gridtest::Lines(0.0f, 10.0f, 0.5f);
        slab.gridY = gridtest::Lines(0.0f, 10.0f, 0.5f);
        gridtest::InstallGridSlab(slab);
        slabsetup::SetOldNet(32.0f, 32.0f, 16, 16, [](float x, float) { return 0.2f + 0.5f * x / 32.0f; });
        declar().MinElementSize = 0.05f;
        SCOPED_TRACE("type " + std::to_string(type));
        const gridcheck::SlabBorder border{slab.outline, slab.openings, {}};
        GenerateGridBasedMesh();
        for (const bool refined : {false, true}) {
            SCOPED_TRACE(refined ? "refined" : "generated");
            if (refined) RefineMeshAdaptively();
            EXPECT_EQ(gridcheck::wholeNetFaults(basDelaunay(), border, CoincidenceTolerance(), !refined, !refined), std::vector<std::string>{});
            // Short of the slab by at most a third of a cell (0.25) at each of its 12 corners.
            EXPECT_GT(gridcheck::totalArea(basDelaunay()), 68.0 - 12 * 0.25 / 3.0);
        }
    }
}

// The circle of the outline's top arc, continued below the arc, passes
// within the tolerance of the middle of a chord cutting 0.013 into the
// opening: that middle lies on no piece of the border, so no side is made.
TEST(WholeNets, ChordIntoAnOpeningNearTheCircleOfAnOutlineArc) {
    gridtest::GridSlab slab;
    slab.outline = gridtest::Polygon({{12.0949717f, 5.22291565f}, {2.78339672f, 5.22291565f}, {2.78339672f, 0.0354482532f}, {12.0949717f, 0.0354482532f}});
    slab.outline[0] = arcPiece(12.0949717f, 5.22291565f, 2.78339672f, 5.22291565f, 7.43918419f, 4.35669851f, true);
    slab.openings.push_back(circle(4.3969202f, 2.69636106f, 1.28276825f));
    slab.gridX = gridtest::Lines(2.78339672f, 2.78339672f + 31 * 0.304605f, 0.304605f);
    slab.gridY = gridtest::Lines(0.0354482532f, 0.0354482532f + 30 * 0.304605f, 0.304605f);
    gridtest::InstallGridSlab(slab);
    GenerateGridBasedMesh();
    EXPECT_EQ(gridcheck::wholeNetFaults(basDelaunay(), {slab.outline, slab.openings, {}}, CoincidenceTolerance()), std::vector<std::string>{});
}

// A ring of 16 arcs bulging inwards: as half circles each crosses its
// neighbours near the corners (the net covered the parts beyond the
// crossings, which the slab's measure takes away); as quarter circles it
// meshes whole. An opening reaching out of the slab leaves a net covering
// more than the slab's measure: refused too.
TEST(WholeNets, OutlinesCrossingThemselvesAndNetsCoveringMoreThanTheSlabAreRefused) {
    for (const bool half : {true, false}) {
        gridtest::GridSlab slab;
        for (int k = 0; k < 16; ++k) {
            const double a1 = M_PI * k / 8.0, a2 = M_PI * (k + 1) / 8.0, out = half ? 0.0 : std::tan(M_PI / 16.0);
            const auto at = [](double a, double r) { return static_cast<float>(9.0 + r * std::cos(a)); };
            const auto up = [](double a, double r) { return static_cast<float>(9.0 + r * std::sin(a)); };
            const double rc = 8.0 * std::cos(M_PI / 16.0) * (1.0 + out), ac = (a1 + a2) / 2.0;
            slab.outline.push_back(arcPiece(at(a1, 8), up(a1, 8), at(a2, 8), up(a2, 8), at(ac, rc), up(ac, rc), false));
        }
        slab.gridX = slab.gridY = gridtest::Lines(0.0f, 18.0f, 0.4f);
        gridtest::InstallGridSlab(slab);
        try {
            GenerateGridBasedMesh();
            EXPECT_FALSE(half);
            EXPECT_EQ(gridcheck::wholeNetFaults(basDelaunay(), {slab.outline, {}, {}}, CoincidenceTolerance()), std::vector<std::string>{});
            EXPECT_EQ(gridcheck::coverageFault(basDelaunay(), {slab.outline, {}, {}}, CoincidenceTolerance()), "");
        } catch (const rt::RuntimeError& e) {
            EXPECT_TRUE(half && e.description().find("crosses or touches itself") != std::string::npos) << e.description();
        }
    }
    gridtest::GridSlab slab;
    slab.outline = gridtest::Polygon({{0.0f, 0.0f}, {10.0f, 0.0f}, {10.0f, 10.0f}, {0.0f, 10.0f}});
    slab.openings.push_back(gridtest::Polygon({{8.0f, 4.0f}, {8.0f, 6.0f}, {12.0f, 6.0f}, {12.0f, 4.0f}}));
    slab.gridX = slab.gridY = gridtest::Lines(0.0f, 12.0f, 0.5f);
    gridtest::InstallGridSlab(slab);
    EXPECT_THROW(GenerateGridBasedMesh(), rt::RuntimeError);
}

// A ring of 12 half circles bulging outwards has a narrow notch at every
// corner: a border side reaching into it (or across an arc near its end) is
// refused, never handed on.
TEST(WholeNets, BorderSidesIntoTheNotchesOfARingOfArcsAreRefused) {
    gridtest::GridSlab slab;
    for (int k = 0; k < 12; ++k) {
        const auto at = [](int j, bool y) { return static_cast<float>(9.0 + 8.0 * (y ? std::sin(M_PI * j / 6.0) : std::cos(M_PI * j / 6.0))); };
        slab.outline.push_back(arcPiece(at(k, false), at(k, true), at(k + 1, false), at(k + 1, true), (at(k, false) + at(k + 1, false)) / 2.0f, (at(k, true) + at(k + 1, true)) / 2.0f, true));
    }
    slab.gridX = slab.gridY = gridtest::Lines(0.0f, 18.0f, 16.0f / 97.0f);
    gridtest::InstallGridSlab(slab);
    try {
        GenerateGridBasedMesh();
        EXPECT_EQ(gridcheck::wholeNetFaults(basDelaunay(), {slab.outline, {}, {}}, CoincidenceTolerance()), std::vector<std::string>{});
    } catch (const rt::RuntimeError& e) {
        EXPECT_NE(e.description().find("reaching out of the slab"), std::string::npos) << e.description();
    }
}

// Far from the origin for its size (5e4 for a slab 10 long) single
// precision cannot hold the tolerance: refused before any node is made (the
// refined net had nodes off the slab and left most of the line).
TEST(WholeNets, SlabTooFarFromTheOriginIsRefused) {
    for (const float at : {0.0f, 50000.0f}) {
        gridtest::GridSlab slab;
        slab.outline = gridtest::Polygon({{at + 0.3f, at + 0.2f}, {at + 9.7f, at + 1.1f}, {at + 10.1f, at + 7.9f}, {at + 4.9f, at + 10.3f}, {at - 0.2f, at + 6.1f}});
        slab.lines.emplace_back(Point{at + 1.13f, at + 2.21f}, Point{at + 8.71f, at + 6.37f});
        slab.gridX = slab.gridY = gridtest::Lines(at - 1.0f, at + 11.0f, 0.4f);
        gridtest::InstallGridSlab(slab);
        slabsetup::SetOldNet(32.0f, 32.0f, 2, 2, [](float, float) { return 0.15f; });
        declar().MinElementSize = 0.02f;
        try {
            GenerateGridBasedMesh();
            RefineMeshAdaptively();
            EXPECT_EQ(at, 0.0f);
            EXPECT_EQ(gridcheck::wholeNetFaults(basDelaunay(), {slab.outline, {}, slab.lines}, CoincidenceTolerance(), false, false), std::vector<std::string>{});
        } catch (const rt::RuntimeError& e) {
            EXPECT_NE(e.description().find("too far from the origin"), std::string::npos) << at << ": " << e.description();
            EXPECT_EQ(basDelaunay().MeshNodeCount, 0);
        }
    }
}

// A project grid whose cells are only a few region units (hundredths of
// the drawing scale) high or wide: the centroids of the cells' quarters on
// the top and right border lie less than a unit inside it and round onto
// the region's edge. Every cell is still meshed whole, so the net covers
// the rectangle and holds its corners (it lost half a row of cells and the
// corner nodes, at any place of the slab).
TEST(WholeNets, CellsOfAFewRegionUnitsAlongTheBorderAreMeshedWhole) {
    for (const float at : {0.0f, -238.441f, 137.145f, -1000.3f}) {
        for (const bool fineInY : {true, false}) {
            gridtest::GridSlab slab;
            const float w = fineInY ? 4.4684f : 6.68726f, h = fineInY ? 6.68726f : 4.4684f;
            slab.outline = gridtest::Polygon({{at, at}, {at + w, at}, {at + w, at + h}, {at, at + h}});
            for (int i = 0; i <= (fineInY ? 4 : 50); ++i) slab.gridX.push_back(at + w * static_cast<float>(i) / (fineInY ? 4.0f : 50.0f));
            for (int j = 0; j <= (fineInY ? 50 : 4); ++j) slab.gridY.push_back(at + h * static_cast<float>(j) / (fineInY ? 50.0f : 4.0f));
            slab.gridX.back() = at + w;
            slab.gridY.back() = at + h;
            gridtest::InstallGridSlab(slab);
            SCOPED_TRACE(std::to_string(at) + (fineInY ? " fine in y" : " fine in x"));
            GenerateGridBasedMesh();
            const double area = (static_cast<double>(at + w) - at) * (static_cast<double>(at + h) - at);
            EXPECT_NEAR(gridcheck::totalArea(basDelaunay()), area, 1e-4 * area);
            EXPECT_EQ(basDelaunay().MeshNodeCount, 5 * 51);
        }
    }
}

}  // namespace
}  // namespace orvelo
