// The grid-based generator as a whole: node numbering, the flags of the net
// it leaves, stops, and properties on random slabs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>

#include "grid_fixture.h"
#include "grid_net_checks.h"
#include "halvex/interface/enums.h"
#include "orvelo/delaunay/adaptive_refinement.h"
#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/gridmesh/bas_grid_based.h"
#include "orvelo/gridmesh/grid_based_mesh.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/services.h"
#include "outside/drovik/region_test.h"
#include "outside/drovik/wait_window.h"
#include "outside/quillon/language_text.h"
#include "platform/runtime/errors.h"

namespace orvelo {
namespace {

using gridtest::GridSlab;
using gridtest::Lines;
using gridtest::Polygon;
using Corners = std::vector<std::pair<float, float>>;

double polygonArea(const Corners& p) {
    double twice = 0.0;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const auto& a = p[i];
        const auto& b = p[(i + 1) % p.size()];
        twice += static_cast<double>(a.first) * b.second - static_cast<double>(b.first) * a.second;
    }
    return std::fabs(twice) / 2.0;
}

// Every side of every element carries OuterSide exactly when no other
// element holds it.
void expectBorderFlags(const BasDelaunay& m) {
    const auto border = gridcheck::borderSides(m);
    for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) {
        const NetElement& t = m.MeshElementList[static_cast<std::size_t>(e)];
        for (int k = 1; k <= t.CornerCount; ++k) {
            const bool outer = (t.Flag[static_cast<std::size_t>(k)] & halvex::OuterSide) != 0;
            ASSERT_EQ(outer, border.count(gridcheck::sideNodes(t, k)) == 1) << "element " << e << " corner " << k;
        }
    }
}

TEST(GridBasedMesh, RectangleNumbersCornersThenCrossingsThenGridRows) {
    GridSlab slab;
    slab.outline = Polygon({{0.3f, 0.2f}, {5.7f, 0.2f}, {5.7f, 3.8f}, {0.3f, 3.8f}});
    slab.gridX = Lines(0, 6, 1);
    slab.gridY = Lines(0, 4, 1);
    gridtest::InstallGridSlab(slab);
    GenerateGridBasedMesh();
    const BasDelaunay& m = basDelaunay();
    ASSERT_EQ(m.MeshNodeCount, 35);
    // The corners in outline order, with their own coordinates.
    const Corners corners{{0.3f, 0.2f}, {5.7f, 0.2f}, {5.7f, 3.8f}, {0.3f, 3.8f}};
    for (std::size_t k = 0; k < 4; ++k) {
        EXPECT_EQ(m.MeshNodeX[k + 1], corners[k].first);
        EXPECT_EQ(m.MeshNodeY[k + 1], corners[k].second);
    }
    // The crossings in outline order: bottom, right, top (right to left),
    // left (top down).
    EXPECT_EQ(m.MeshNodeX[5], 1.0f);
    EXPECT_EQ(m.MeshNodeY[5], 0.2f);
    EXPECT_EQ(m.MeshNodeX[10], 5.7f);
    EXPECT_EQ(m.MeshNodeY[10], 1.0f);
    EXPECT_EQ(m.MeshNodeX[13], 5.0f);
    EXPECT_EQ(m.MeshNodeY[13], 3.8f);
    EXPECT_EQ(m.MeshNodeX[18], 0.3f);
    EXPECT_EQ(m.MeshNodeY[18], 3.0f);
    EXPECT_EQ(basGridBased().KeyNodeCount, 20);
    // Then the grid nodes row by row from the lowest, on their grid points.
    for (std::int32_t n = 21; n <= 35; ++n) {
        EXPECT_EQ(m.MeshNodeX[static_cast<std::size_t>(n)], static_cast<float>((n - 21) % 5 + 1));
        EXPECT_EQ(m.MeshNodeY[static_cast<std::size_t>(n)], static_cast<float>((n - 21) / 5 + 1));
    }
    EXPECT_EQ(m.MeshElementCount, 48);
    EXPECT_EQ(gridcheck::numberFault(m), "");
    EXPECT_NEAR(gridcheck::totalArea(m), 5.4 * 3.6, 1e-4);
    EXPECT_EQ(gridcheck::conformityFault(m), "");
    expectBorderFlags(m);
    EXPECT_EQ(m.FixedNodeCount, 0);
    EXPECT_EQ(m.ConstraintEdgeCount, 0);
}

TEST(GridBasedMesh, SinglePointIsAFixedNodeAndTheFlagsAreCleared) {
    GridSlab slab;
    slab.outline = Polygon({{0, 0}, {6, 0}, {6, 4}, {0, 4}});
    slab.points = {{2.6f, 1.7f}};
    slab.gridX = Lines(0, 6, 1);
    slab.gridY = Lines(0, 4, 1);
    gridtest::InstallGridSlab(slab);
    declar().SmoothMeshFlag = true;
    declar().BoundaryFrontPointsFlag = true;
    GenerateGridBasedMesh();
    EXPECT_FALSE(declar().SmoothMeshFlag);
    EXPECT_FALSE(declar().BoundaryFrontPointsFlag);
    const BasDelaunay& m = basDelaunay();
    // Node 5 is the single point (after the four corners); every corner at
    // it is marked, no other. Its grid point (3, 2) has an odd index sum, so
    // no diagonal meets there: four triangles.
    EXPECT_EQ(m.MeshNodeX[5], 2.6f);
    int marked = 0;
    for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) {
        const NetElement& t = m.MeshElementList[static_cast<std::size_t>(e)];
        for (int k = 1; k <= t.CornerCount; ++k) {
            const bool fixed = (t.Flag[static_cast<std::size_t>(k)] & halvex::BoundaryNode) != 0;
            EXPECT_EQ(fixed, t.Node[static_cast<std::size_t>(k)] == 5);
            marked += fixed ? 1 : 0;
        }
    }
    EXPECT_EQ(marked, 4);
}

// A stop at any check ends the generation with the run aborted, and frees
// the regions.
TEST(GridBasedMesh, StopAbortsTheRunAndLeavesNoRegion) {
    GridSlab slab;
    slab.outline = Polygon({{0.3f, 0.2f}, {5.7f, 0.2f}, {5.7f, 3.8f}, {0.3f, 3.8f}});
    slab.openings = {Polygon({{2.2f, 1.2f}, {3.8f, 1.2f}, {3.8f, 2.8f}})};
    slab.gridX = Lines(0, 6, 1);
    slab.gridY = Lines(0, 4, 1);
    const int regionsBefore = drovik::liveRegionCount();
    for (const int updates : {1, 3, 40, 120, 140, 150}) {
        gridtest::InstallGridSlab(slab);
        auto window = std::make_shared<drovik::ClsWaitWindow>();
        SetOperationWaitWindowSource([window]() { return window.get(); });
        drovik::ClsWaitWindow::stopAfterUpdates(updates);
        GenerateGridBasedMesh();
        drovik::ClsWaitWindow::stopAfterUpdates(0);
        SetOperationWaitWindowSource({});
        EXPECT_EQ(RunControl().RunState(), halvex::ExitWithoutSaving) << updates;
        EXPECT_EQ(drovik::liveRegionCount(), regionsBefore) << updates;
        if (updates <= 40) {
            // Stopped before or during the tracing: no net at all.
            EXPECT_EQ(basDelaunay().MeshNodeCount, 0) << updates;
            EXPECT_EQ(basDelaunay().MeshElementCount, 0) << updates;
        }
    }
}

TEST(GridBasedMesh, MoreThan32767NodesIsAnOverflowWithAMessage) {
    GridSlab slab;
    slab.outline = Polygon({{0, 0}, {200, 0}, {200, 200}, {0, 200}});
    slab.gridX = Lines(0, 200, 1);
    slab.gridY = Lines(0, 200, 1);
    gridtest::InstallGridSlab(slab);
    try {
        GenerateGridBasedMesh();
        FAIL() << "accepted";
    } catch (const rt::RuntimeError& e) {
        EXPECT_EQ(e.number(), 6);
        EXPECT_EQ(e.description(), "The grid-based net would have more than 32767 nodes.");
    }
    EXPECT_EQ(basDelaunay().MeshNodeCount, 32767);
}

TEST(GridBasedMesh, NoElementInsideTheOutlineIsRefused) {
    GridSlab slab;
    // An outline that runs out and back encloses nothing.
    slab.outline = Polygon({{0.5f, 0.5f}, {3.5f, 0.5f}});
    slab.gridX = Lines(0, 4, 1);
    slab.gridY = Lines(0, 4, 1);
    gridtest::InstallGridSlab(slab);
    try {
        GenerateGridBasedMesh();
        FAIL() << "accepted";
    } catch (const rt::RuntimeError& e) {
        EXPECT_EQ(e.number(), 5);
        EXPECT_NE(e.description().find("No element"), std::string::npos);
    }
}

TEST(GridBasedMesh, ArcOutlinesFollowTheirCrossings) {
    // A disk of radius 4 from two half circles, and a three-quarter disk
    // whose arc reaches beyond the box of its ends.
    const double pi = 3.14159265358979;
    for (const bool whole : {true, false}) {
        GridSlab slab;
        if (whole)
            slab.outline = {arcPiece(14, 10, 6, 10, 10, 10, true), arcPiece(6, 10, 14, 10, 10, 10, true)};
        else
            slab.outline = {arcPiece(14, 10, 10, 6, 10, 10, true), straightPiece(10, 6, 10, 10),
                            straightPiece(10, 10, 14, 10)};
        slab.gridX = Lines(8, 12, 0.5f);
        slab.gridY = Lines(8, 12, 0.5f);
        gridtest::InstallGridSlab(slab);
        GenerateGridBasedMesh();
        const BasDelaunay& m = basDelaunay();
        ASSERT_EQ(gridcheck::numberFault(m), "");
        EXPECT_TRUE(gridcheck::unusedNodes(m).empty());
        EXPECT_TRUE(gridcheck::overlappingPairs(m).empty());
        EXPECT_EQ(gridcheck::conformityFault(m), "");
        const double area = (whole ? 1.0 : 0.75) * pi * 16.0;
        EXPECT_LT(gridcheck::totalArea(m), area);
        EXPECT_GT(gridcheck::totalArea(m), 0.95 * area);
        // The grid was extended to cover the whole arc.
        EXPECT_LE(basGridBased().GridLineX[1], 6.0f);
        EXPECT_GE(basGridBased().GridLineY[static_cast<std::size_t>(basGridBased().GridIntervalsY) + 1], 14.0f);
    }
}

// A star-shaped polygon about (10, 10): 4 to 12 corners at jittered angles
// (every gap below a half turn) and radii from 2 to 6.
Corners randomStar(std::mt19937& random) {
    const int n = std::uniform_int_distribution<int>(4, 12)(random);
    std::uniform_real_distribution<float> jitter(0.1f, 0.9f);
    std::uniform_real_distribution<float> radius(2.0f, 6.0f);
    Corners corners;
    for (int i = 0; i < n; ++i) {
        const float angle = (static_cast<float>(i) + jitter(random)) * 6.2831853f / static_cast<float>(n);
        const float r = radius(random);
        corners.emplace_back(10.0f + r * std::cos(angle), 10.0f + r * std::sin(angle));
    }
    return corners;
}

TEST(GridBasedMeshProperties, RandomSlabsGiveNetsWithoutOverlapOrLooseNodes) {
    const int regionsBefore = drovik::liveRegionCount();
    std::mt19937 random(20240611);
    for (int run = 0; run < 250; ++run) {
        GridSlab slab;
        const Corners outline = randomStar(random);
        slab.outline = Polygon(outline);
        double area = polygonArea(outline);
        if (run % 2 == 1) {
            const float h = std::uniform_real_distribution<float>(0.4f, 1.3f)(random);
            const Corners opening{{10 - h, 10 - h}, {10 + h, 10 - h}, {10 + h, 10 + h}, {10 - h, 10 + h}};
            slab.openings = {Polygon(opening)};
            area -= polygonArea(opening);
        }
        if (run % 3 == 0) slab.points = {{outline[0].first * 0.8f + 2.0f, outline[0].second * 0.8f + 2.0f}};
        slab.gridX = Lines(0, 20, 1);
        slab.gridY = Lines(0, 20, 1);
        slab.meshType = static_cast<std::int16_t>(run % 5);
        gridtest::InstallGridSlab(slab);
        GenerateGridBasedMesh();
        const BasDelaunay& m = basDelaunay();
        SCOPED_TRACE("run " + std::to_string(run) + " type " + std::to_string(slab.meshType));
        ASSERT_EQ(gridcheck::numberFault(m), "");
        ASSERT_TRUE(gridcheck::unusedNodes(m).empty());
        ASSERT_TRUE(gridcheck::overlappingPairs(m).empty());
        for (std::int32_t e = 1; e <= m.MeshElementCount; ++e)
            ASSERT_GT(gridcheck::signedArea(m, m.MeshElementList[static_cast<std::size_t>(e)]), 0.0) << "element " << e << " runs clockwise";
        if (slab.meshType >= 1 && slab.meshType <= 3) {
            ASSERT_EQ(gridcheck::conformityFault(m), "");
        }
        // The net never reaches beyond the slab; where the grid cannot
        // follow a corner of the outline a sliver stays uncovered. (The
        // bridging triangles of type 4 span two cells and may cut across a
        // bend of the outline.)
        const double covered = gridcheck::totalArea(m);
        if (slab.meshType != 4) {
            EXPECT_LE(covered, area * (1.0 + 1e-5));
            EXPECT_GE(covered, area * 0.9);
        } else {
            EXPECT_GE(covered, area * 0.7);
        }
        expectBorderFlags(m);
        EXPECT_EQ(drovik::liveRegionCount(), regionsBefore);
    }
}

TEST(GridBasedMeshProperties, RectilinearSlabsAreCoveredExactly) {
    // Columns of random widths and heights over a common base, corners off
    // the grid lines; neighbouring heights differ by a spacing or more.
    std::mt19937 random(99);
    for (int run = 0; run < 200; ++run) {
        std::uniform_real_distribution<float> width(1.5f, 4.0f);
        std::uniform_real_distribution<float> offset(0.05f, 0.95f);
        const int columns = std::uniform_int_distribution<int>(1, 6)(random);
        float x = 2.0f + offset(random);
        const float base = 2.0f + offset(random);
        std::vector<float> xs{x};
        std::vector<float> heights;
        for (int i = 0; i < columns; ++i) {
            x += width(random);
            xs.push_back(x);
            float h = 0.0f;
            do {
                h = base + 1.5f + static_cast<float>(std::uniform_int_distribution<int>(0, 4)(random)) + offset(random);
            } while (!heights.empty() && std::fabs(h - heights.back()) < 1.0f);
            heights.push_back(h);
        }
        Corners outline{{xs[0], base}, {xs.back(), base}};
        for (int i = columns - 1; i >= 0; --i) {
            outline.emplace_back(xs[static_cast<std::size_t>(i) + 1], heights[static_cast<std::size_t>(i)]);
            outline.emplace_back(xs[static_cast<std::size_t>(i)], heights[static_cast<std::size_t>(i)]);
        }
        GridSlab slab;
        slab.outline = Polygon(outline);
        slab.gridX = Lines(0, 30, 1);
        slab.gridY = Lines(0, 12, 1);
        slab.meshType = static_cast<std::int16_t>(run % 4);
        gridtest::InstallGridSlab(slab);
        GenerateGridBasedMesh();
        const BasDelaunay& m = basDelaunay();
        SCOPED_TRACE("run " + std::to_string(run));
        ASSERT_EQ(gridcheck::numberFault(m), "");
        ASSERT_TRUE(gridcheck::unusedNodes(m).empty());
        ASSERT_TRUE(gridcheck::overlappingPairs(m).empty());
        EXPECT_NEAR(gridcheck::totalArea(m), polygonArea(outline), 1e-5 * polygonArea(outline));
        if (slab.meshType != 0) {
            EXPECT_EQ(gridcheck::conformityFault(m), "");
        }
    }
}

TEST(GridBasedMeshProperties, SlabPartsApartAreEachCoveredWhateverTheirOrder) {
    // Three parts of slab, their loops one after the other in the outline in
    // every order: the steps between the loops bound no slab.
    std::vector<Corners> parts{{{0.1f, 0.1f}, {3.1f, 0.1f}, {3.1f, 3.1f}, {0.1f, 3.1f}},
                               {{5.1f, 0.1f}, {7.1f, 0.1f}, {7.1f, 4.1f}, {5.1f, 4.1f}},
                               {{0.1f, 6.1f}, {2.1f, 6.1f}, {2.1f, 8.1f}, {0.1f, 8.1f}}};
    std::sort(parts.begin(), parts.end());
    do {
        for (std::int16_t type = 0; type <= 3; ++type) {
            GridSlab slab;
            for (const Corners& part : parts) {
                const auto loop = Polygon(part);
                slab.outline.insert(slab.outline.end(), loop.begin(), loop.end());
            }
            slab.gridX = Lines(-1, 9, 0.37f);
            slab.gridY = Lines(-1, 9, 0.37f);
            slab.meshType = type;
            gridtest::InstallGridSlab(slab);
            GenerateGridBasedMesh();
            EXPECT_NEAR(gridcheck::totalArea(basDelaunay()), 21.0, 1e-4) << "type " << type;
        }
    } while (std::next_permutation(parts.begin(), parts.end()));
}

// A net of quadrilaterals refined to a finer field: every quadrilateral
// whose side is divided takes the midpoint, so no node hangs, and every
// element runs counter-clockwise.
TEST(GridBasedMeshRefinement, QuadrilateralNetsStayConforming) {
    GridSlab slab;
    // (The cut corner gives the triangles the refinement divides.)
    slab.outline = Polygon({{0.3f, 0.2f}, {9.6f, 0.2f}, {9.6f, 7.7f}, {2.6f, 7.7f}, {0.3f, 5.1f}});
    slab.openings = {Polygon({{3.4f, 3.3f}, {5.6f, 3.3f}, {5.6f, 5.4f}, {3.4f, 5.4f}})};
    slab.gridX = Lines(0, 10, 1);
    slab.gridY = Lines(0, 8, 1);
    slab.meshType = 0;
    gridtest::InstallGridSlab(slab);
    slabsetup::SetOldNet(10.0f, 8.0f, 10, 8, [](float x, float) { return x < 3.0f ? 0.35f : 1.5f; });
    declar().MinElementSize = 0.1f;
    GenerateGridBasedMesh();
    RefineMeshAdaptively();
    const BasDelaunay& m = basDelaunay();
    int quadrilaterals = 0;
    for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) {
        quadrilaterals += m.MeshElementList[static_cast<std::size_t>(e)].CornerCount == 4;
        EXPECT_GT(gridcheck::signedArea(m, m.MeshElementList[static_cast<std::size_t>(e)]), 0.0) << "element " << e;
    }
    EXPECT_GT(quadrilaterals, 10);  // away from the fine strip the quadrilaterals stay
    EXPECT_EQ(gridcheck::conformityFault(m, 1e-6, true), "");
    EXPECT_GT(m.MeshNodeCount, 150);
    EXPECT_NEAR(gridcheck::totalArea(m), 9.3 * 7.5 - 2.3 * 2.6 / 2.0 - 2.2 * 2.1, 1e-3);
}

// The grid-based generation and its refinement take their scale values
// from the slab: the same slab and field give the same net whatever unit
// factor an earlier run left.
TEST(GridBasedMeshRefinement, TheNetDoesNotDependOnEarlierRuns) {
    std::vector<std::pair<std::vector<float>, std::vector<NetElement>>> nets;
    for (const float left : {1.0f, 0.0f, 7.25f, 0.013f}) {
        GridSlab slab;
        slab.outline = Polygon({{0.3f, 0.2f}, {19.6f, 0.2f}, {19.6f, 13.7f}, {0.3f, 13.7f}});
        slab.gridX = Lines(0, 20, 1);
        slab.gridY = Lines(0, 14, 1);
        gridtest::InstallGridSlab(slab);
        slabsetup::SetOldNet(20.0f, 14.0f, 20, 14, [](float x, float y) { return 0.2f + 0.05f * std::hypot(x - 7.0f, y - 5.0f); });
        declar().MinElementSize = 0.05f;
        GeometryHelper().UnitFactor(left);
        GenerateGridBasedMesh();
        RefineMeshAdaptively();
        const BasDelaunay& m = basDelaunay();
        std::vector<float> coordinates(m.MeshNodeX.begin(), m.MeshNodeX.begin() + m.MeshNodeCount + 1);
        coordinates.insert(coordinates.end(), m.MeshNodeY.begin(), m.MeshNodeY.begin() + m.MeshNodeCount + 1);
        nets.emplace_back(coordinates, std::vector<NetElement>(m.MeshElementList.begin(), m.MeshElementList.begin() + m.MeshElementCount + 1));
    }
    EXPECT_GT(nets[0].second.size(), 1000u);
    for (std::size_t k = 1; k < nets.size(); ++k) {
        EXPECT_EQ(nets[k].first, nets[0].first) << "run " << k;
        EXPECT_TRUE(nets[k].second == nets[0].second) << "run " << k;
    }
}

}  // namespace
}  // namespace orvelo
