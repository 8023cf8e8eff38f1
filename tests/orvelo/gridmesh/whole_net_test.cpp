// Whole nets on random slabs: every grid type with and without the adaptive
// refinement, and the polar types on disks and annuli. Each net is judged
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
#include "orvelo/delaunay/adaptive_refinement.h"
#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/marks.h"
#include "orvelo/delaunay/units.h"
#include "orvelo/gridmesh/grid_based_mesh.h"
#include "orvelo/gridmesh/polar_mesh.h"
#include "orvelo/model/declar.h"
#include "platform/runtime/errors.h"

namespace orvelo {
namespace {

using gridtest::GridSlab;
using Corners = std::vector<std::pair<float, float>>;
using Point = halvex::SinglePoint;

bool properlyCross(const Point& a, const Point& b, const Point& c, const Point& d) {
    const auto turn = [](const Point& p, const Point& q, const Point& r) {
        return (static_cast<double>(q.X) - p.X) * (static_cast<double>(r.Y) - p.Y) -
               (static_cast<double>(q.Y) - p.Y) * (static_cast<double>(r.X) - p.X);
    };
    const double d1 = turn(a, b, c), d2 = turn(a, b, d), d3 = turn(c, d, a), d4 = turn(c, d, b);
    return ((d1 > 0) != (d2 > 0)) && ((d3 > 0) != (d4 > 0)) && d1 != 0 && d2 != 0 && d3 != 0 && d4 != 0;
}

class RandomSlabs {
public:
    explicit RandomSlabs(unsigned seed) : random_(seed) {}

    // Slab `run`: convex, star-shaped or orthogonal by run % 3, on a grid
    // that fits its extent or not by run / 3 % 2, with or without an
    // opening, up to three internal lines (ending inside or on the outline,
    // crossing or not) and a single point.
    GridSlab next(int run, gridcheck::SlabBorder& border) {
        GridSlab slab;
        const bool fits = run / 3 % 2 == 0;
        const int cells = pick(6, 16);
        Corners outline;
        if (run % 3 == 2) {
            outline = orthogonal(fits ? 1.0f : 0.0f);
        } else {
            const int n = pick(4, 11);
            const float a = uniform(4.0f, 8.0f), b = uniform(4.0f, 8.0f);
            std::vector<float> angles;
            for (int i = 0; i < n; ++i) angles.push_back((static_cast<float>(i) + uniform(0.1f, 0.9f)) * 6.2831853f / n);
            for (const float angle : angles) {
                const float r = run % 3 == 0 ? 1.0f : uniform(0.35f, 1.0f);
                outline.emplace_back(10.0f + r * a * std::cos(angle), 10.0f + r * b * std::sin(angle));
            }
        }
        slab.outline = gridtest::Polygon(outline);
        float xMin = 1e9f, xMax = -1e9f, yMin = 1e9f, yMax = -1e9f;
        for (const auto& [x, y] : outline) {
            xMin = std::min(xMin, x), xMax = std::max(xMax, x), yMin = std::min(yMin, y), yMax = std::max(yMax, y);
        }
        const float step = run % 3 == 2 && fits ? 1.0f : (xMax - xMin) / static_cast<float>(cells);
        const float originX = fits ? (run % 3 == 2 ? 0.0f : xMin) : xMin - uniform(0.1f, 0.9f) * step;
        const float originY = fits ? (run % 3 == 2 ? 0.0f : yMin) : yMin - uniform(0.1f, 0.9f) * step;
        const float stepY = fits && run % 3 != 2 ? (yMax - yMin) / static_cast<float>(cells) : step;
        slab.gridX = gridtest::Lines(originX, originX + step * std::ceil((xMax - originX) / step + 0.01f), step);
        slab.gridY = gridtest::Lines(originY, originY + stepY * std::ceil((yMax - originY) / stepY + 0.01f), stepY);
        border.outline = slab.outline;
        border.openings.clear();
        border.lines.clear();

        if (pick(0, 1) == 1) {
            for (int attempt = 0; attempt < 20; ++attempt) {
                const float cx = uniform(xMin, xMax), cy = uniform(yMin, yMax);
                const float h = uniform(0.6f, 1.6f) * step, w = uniform(0.6f, 1.6f) * step;
                const auto opening = gridtest::Polygon({{cx - w, cy - h}, {cx + w, cy - h}, {cx + w, cy + h}, {cx - w, cy + h}});
                if (!insideWithMargin(border, opening, 0.3f * step)) continue;
                slab.openings.push_back(opening);
                border.openings.push_back(opening);
                break;
            }
        }
        const int lines = pick(0, 3);
        for (int attempt = 0; attempt < 60 && static_cast<int>(slab.lines.size()) < lines; ++attempt) {
            Point a = inside(border, xMin, xMax, yMin, yMax);
            Point b = inside(border, xMin, xMax, yMin, yMax);
            if (pick(0, 2) == 0) {
                // One end on the outline.
                const OutlinePiece& p = slab.outline[static_cast<std::size_t>(pick(0, static_cast<int>(slab.outline.size()) - 1))];
                const float t = uniform(0.2f, 0.8f);
                b = Point{p.X1 + t * (p.X2 - p.X1), p.Y1 + t * (p.Y2 - p.Y1)};
            }
            if (std::hypot(b.X - a.X, b.Y - a.Y) < step || !lineInside(border, a, b, step)) continue;
            slab.lines.emplace_back(a, b);
            border.lines.emplace_back(a, b);
        }
        if (pick(0, 2) == 0) {
            const Point p = inside(border, xMin, xMax, yMin, yMax);
            if (gridcheck::inSlab(border, p.X, p.Y, 0.0)) slab.points.push_back(p);
        }
        slab.meshType = static_cast<std::int16_t>(run % 5);
        return slab;
    }

private:
    int pick(int from, int to) { return std::uniform_int_distribution<int>(from, to)(random_); }
    float uniform(float from, float to) { return std::uniform_real_distribution<float>(from, to)(random_); }

    // Columns of random widths and heights over a common base (corners on
    // whole numbers when `grain` is 1), turned upside down at random.
    Corners orthogonal(float grain) {
        const auto value = [&](float from, float to) {
            const float v = uniform(from, to);
            return grain > 0.0f ? std::round(v) : v;
        };
        const int columns = pick(1, 5);
        float x = value(2.0f, 3.0f);
        const float base = value(2.0f, 3.0f);
        std::vector<float> xs{x};
        std::vector<float> heights;
        for (int i = 0; i < columns; ++i) {
            x += std::max(value(1.5f, 4.0f), 1.0f);
            xs.push_back(x);
            float h = 0.0f;
            do {
                h = base + value(2.0f, 8.0f);
            } while (!heights.empty() && std::fabs(h - heights.back()) < 1.0f);
            heights.push_back(h);
        }
        Corners corners{{xs[0], base}, {xs.back(), base}};
        for (int i = columns - 1; i >= 0; --i) {
            corners.emplace_back(xs[static_cast<std::size_t>(i) + 1], heights[static_cast<std::size_t>(i)]);
            corners.emplace_back(xs[static_cast<std::size_t>(i)], heights[static_cast<std::size_t>(i)]);
        }
        if (pick(0, 1) == 1) {
            for (auto& [cx, cy] : corners) cy = 20.0f - cy;
            std::reverse(corners.begin(), corners.end());
        }
        return corners;
    }

    Point inside(const gridcheck::SlabBorder& border, float xMin, float xMax, float yMin, float yMax) {
        Point p{};
        for (int attempt = 0; attempt < 50; ++attempt) {
            p = Point{uniform(xMin, xMax), uniform(yMin, yMax)};
            if (gridcheck::inSlab(border, p.X, p.Y, 0.0)) break;
        }
        return p;
    }

    static std::vector<std::pair<Point, Point>> edges(const gridcheck::SlabBorder& border) {
        std::vector<std::pair<Point, Point>> all;
        for (const auto& p : border.outline) all.push_back({{p.X1, p.Y1}, {p.X2, p.Y2}});
        for (const auto& opening : border.openings)
            for (const auto& p : opening) all.push_back({{p.X1, p.Y1}, {p.X2, p.Y2}});
        return all;
    }

    // A segment inside the slab, at least `margin` from every corner of
    // the border it does not end on.
    static bool lineInside(const gridcheck::SlabBorder& border, const Point& a, const Point& b, float margin) {
        for (const auto& [p, q] : edges(border)) {
            if (properlyCross(a, b, p, q)) return false;
            for (const Point& corner : {p, q}) {
                const double d = gridcheck::segmentDistance(corner.X, corner.Y, a.X, a.Y, b.X, b.Y);
                if (d < 0.1 * margin) return false;
            }
        }
        return gridcheck::inSlab(border, (a.X + b.X) / 2.0, (a.Y + b.Y) / 2.0, 0.0);
    }

    static bool insideWithMargin(const gridcheck::SlabBorder& border, const std::vector<OutlinePiece>& opening, float margin) {
        for (const auto& p : opening) {
            if (!gridcheck::inSlab(border, p.X1, p.Y1, 0.0)) return false;
            for (const auto& q : border.outline)
                if (gridcheck::pieceDistance(q, p.X1, p.Y1) < margin || properlyCross({p.X1, p.Y1}, {p.X2, p.Y2}, {q.X1, q.Y1}, {q.X2, q.Y2}))
                    return false;
        }
        return true;
    }

    std::mt19937 random_;
};

std::string faultsText(const std::vector<std::string>& faults) {
    std::string text;
    for (std::size_t k = 0; k < faults.size() && k < 5; ++k) text += faults[k] + "; ";
    return text;
}

// Every grid type, unrefined and refined, on convex, star-shaped and
// orthogonal slabs: a whole net inside the slab that follows its lines, or a
// refusal with a message.
TEST(WholeNets, GridTypesWithAndWithoutRefinementOnRandomSlabs) {
    RandomSlabs slabs(31);
    std::array<int, 5> refused{};
    std::array<int, 5> runs{};
    for (int run = 0; run < 300; ++run) {
        gridcheck::SlabBorder border;
        const GridSlab slab = slabs.next(run, border);
        gridtest::InstallGridSlab(slab);
        const float step = slab.gridX[1] - slab.gridX[0];
        slabsetup::SetOldNet(32.0f, 32.0f, 16, 16, [step](float x, float) { return step * (0.2f + 0.8f * x / 32.0f); });
        declar().MinElementSize = step / 25.0f;
        SCOPED_TRACE("run " + std::to_string(run) + " type " + std::to_string(slab.meshType));
        ++runs[static_cast<std::size_t>(slab.meshType)];
        try {
            GenerateGridBasedMesh();
            const double tol = CoincidenceTolerance();
            ASSERT_EQ(faultsText(gridcheck::wholeNetFaults(basDelaunay(), border, tol)), "") << "generated";
            RefineMeshAdaptively();
            ASSERT_EQ(faultsText(gridcheck::wholeNetFaults(basDelaunay(), border, tol)), "") << "refined";
        } catch (const rt::RuntimeError& e) {
            EXPECT_FALSE(e.description().empty());
            ++refused[static_cast<std::size_t>(slab.meshType)];
        }
    }
    for (std::size_t type = 0; type < 5; ++type) {
        std::printf("type %zu: %d of %d slabs refused\n", type, refused[type], runs[type]);
        EXPECT_LE(refused[type] * 10, runs[type]) << "type " << type;
    }
}

// Disks and annuli of every polar type, thin rings and tiny disks among
// them: a whole net on the ring, or a refusal with a message before any node
// is made.
TEST(WholeNets, PolarTypesOnDisksAndAnnuli) {
    std::mt19937 random(8);
    std::array<int, 3> refused{};
    for (int run = 0; run < 120; ++run) {
        gridtest::ResetAll();
        Declar& d = declar();
        const bool disk = run % 2 == 0;
        d.SlabShape = disk ? 2 : 5;
        d.MeshType = static_cast<std::int16_t>(6 + run / 2 % 3);
        d.PolarDivisionCount = static_cast<std::int16_t>(std::uniform_int_distribution<int>(1, 30)(random));
        d.SlabLength = std::uniform_real_distribution<float>(0.002f, 20.0f)(random);
        const std::array<float, 5> shares{1e-30f, 0.3f, 0.9f, 0.9999f, std::nextafter(1.0f, 0.0f)};
        d.SlabWidth = d.SlabLength * shares[static_cast<std::size_t>(run / 6 % 5)];
        if (run % 4 == 3) d.SlabWidth = std::nextafter(d.SlabLength, 0.0f);
        const float c = d.SlabLength / 2.0f;
        const auto circle = [c](float r) {
            return std::vector<OutlinePiece>{arcPiece(c + r, c, c, c + r, c, c, true), arcPiece(c, c + r, c - r, c, c, c, true),
                                             arcPiece(c - r, c, c, c - r, c, c, true), arcPiece(c, c - r, c + r, c, c, c, true)};
        };
        gridcheck::SlabBorder border;
        border.outline = circle(c);
        if (!disk) border.openings = {circle(d.SlabWidth / 2.0f)};
        slabsetup::SetMeshSlab(border.outline, border.openings);
        SetScaleFromSlabDescription();
        SCOPED_TRACE("run " + std::to_string(run) + " type " + std::to_string(d.MeshType) + " n " +
                     std::to_string(d.PolarDivisionCount) + " R " + std::to_string(c));
        const std::int16_t type = d.MeshType;
        try {
            GeneratePolarMesh();
            ASSERT_EQ(faultsText(gridcheck::wholeNetFaults(basDelaunay(), border, CoincidenceTolerance())), "");
        } catch (const rt::RuntimeError& e) {
            EXPECT_FALSE(e.description().empty());
            EXPECT_EQ(basDelaunay().MeshNodeCount, 0) << "a node was made before the refusal";
            ++refused[static_cast<std::size_t>(type - 6)];
        }
    }
    for (std::size_t type = 0; type < 3; ++type) std::printf("polar type %zu: %d of 40 slabs refused\n", type + 6, refused[type]);
}

}  // namespace
}  // namespace orvelo
