// End-to-end checks of the Delaunay generation on the slab fixtures.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <algorithm>

#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/generate.h"
#include "orvelo/delaunay/generated_net_check.h"
#include "orvelo/delaunay/marks.h"
#include "orvelo/delaunay/mesh_fixture.h"
#include "orvelo/delaunay/net_check.h"
#include "orvelo/delaunay/target_size.h"
#include "orvelo/delaunay/units.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/services.h"
#include "outside/drovik/region_test.h"
#include "outside/drovik/wait_window.h"
#include "outside/quillon/language_text.h"
#include "platform/forms/msgbox.h"
#include "platform/runtime/errors.h"

namespace orvelo {
namespace {

using meshcheck::NetView;
using meshcheck::MeshView;

class GenerationTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetServices();
        drovik::ClsWaitWindow::stopAfterUpdates(0);
    }
    void TearDown() override {
        drovik::ClsWaitWindow::stopAfterUpdates(0);
        resetServices();
    }
    forms::ScopedMsgBox boxes_;
};

class FixtureGeneration : public GenerationTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(FixtureGeneration, GivesAConformingRefinedNetOfTheSlab) {
    const meshcheck::SlabFixture slab = meshcheck::LoadSlabFixture(GetParam());
    meshcheck::InstallSlab(slab);
    GenerateDelaunayMesh();
    EXPECT_EQ(RunControl().RunState(), 0);
    const auto faults = meshcheck::CheckGeneratedNet(slab);
    for (std::size_t i = 0; i < faults.size() && i < 20; ++i) ADD_FAILURE() << faults[i];
    EXPECT_TRUE(boxes_->boxes().empty());
    EXPECT_EQ(drovik::liveRegionCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, FixtureGeneration,
                         ::testing::Values("rectangle.slab", "l_shape.slab", "openings.slab", "arcs.slab",
                                           "flat_arc.slab", "line.slab", "crossing.slab", "points.slab",
                                           "steep.slab"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             return name.substr(0, name.find('.'));
                         });

// Random star-shaped outlines, some with an opening, a line or a point,
// under random parameters and graded fields: every run ends with a
// conforming net that covers the slab exactly and meets every check above.
TEST_F(GenerationTest, RandomSlabsGiveConformingNets) {
    for (int seed = 0; seed < 25; ++seed) {
        const meshcheck::SlabFixture slab = meshcheck::RandomStarSlab(seed);
        meshcheck::InstallSlab(slab);
        GenerateDelaunayMesh();
        const NetView net = MeshView();
        const auto faults = meshcheck::CheckTopology(net);
        ASSERT_TRUE(faults.empty()) << "seed " << seed << ": " << faults.front();
        std::vector<std::string> loopFaults;
        double loops = 0.0;
        for (const auto& loop : meshcheck::BorderLoops(net, loopFaults)) loops += meshcheck::LoopArea(net, loop);
        EXPECT_TRUE(loopFaults.empty()) << "seed " << seed;
        const double area = meshcheck::NetArea(net);
        EXPECT_NEAR(area, loops, 1e-6 * area) << "seed " << seed;
        EXPECT_NEAR(area, meshcheck::SlabArea(slab), 1e-4 * area) << "seed " << seed;
        const auto all = meshcheck::CheckGeneratedNet(slab);
        for (std::size_t i = 0; i < all.size() && i < 3; ++i) ADD_FAILURE() << "seed " << seed << ": " << all[i];
    }
}

struct NetCopy {
    std::vector<float> x, y;
    std::vector<NetElement> elements;
    bool operator==(const NetCopy&) const = default;
};

NetCopy copyOfMesh() {
    const BasDelaunay& m = basDelaunay();
    return {m.MeshNodeX, m.MeshNodeY, m.MeshElementList};
}

TEST_F(GenerationTest, EveryRunOverTheSameSlabGivesTheSameNet) {
    const meshcheck::SlabFixture slab = meshcheck::LoadSlabFixture("line.slab");
    GeometryHelper().UnitFactor(1.0f);
    meshcheck::InstallSlab(slab);
    GenerateDelaunayMesh();
    const NetCopy first = copyOfMesh();
    EXPECT_GT(basDelaunay().MeshElementCount, 300);
    const float factor = UnitFactor();
    EXPECT_NE(factor, 1.0f);
    // The second run starts with the factor the first one left, a third
    // with another one. The reset of the module data keeps the room of the
    // lists, which a run would otherwise take from the system page by page.
    meshcheck::InstallSlab(slab);
    EXPECT_GT(basDelaunay().MeshElementList.capacity(), 32767u);
    EXPECT_GT(basDelaunay().Links.Elements.capacity(), 32767u);
    GenerateDelaunayMesh();
    EXPECT_TRUE(copyOfMesh() == first);
    GeometryHelper().UnitFactor(7.25f);
    meshcheck::InstallSlab(slab);
    GenerateDelaunayMesh();
    EXPECT_TRUE(copyOfMesh() == first);
    EXPECT_EQ(UnitFactor(), factor);
}

TEST_F(GenerationTest, FewerThanThreeOutlinePiecesChangeNothing) {
    meshcheck::SlabFixture slab = meshcheck::LoadSlabFixture("rectangle.slab");
    slab.outline.resize(2);
    meshcheck::InstallSlab(slab);
    BasDelaunay& m = basDelaunay();
    m.MeshNodeCount = 1;
    m.MeshNodeX = {0.0f, 4.0f};
    m.MeshNodeY = {0.0f, 2.0f};
    GenerateDelaunayMesh();
    EXPECT_EQ(m.MeshNodeCount, 1);
    EXPECT_EQ(m.MeshElementCount, 0);
}

TEST_F(GenerationTest, AnOutlineWithoutAreaIsRefusedWithAMessage) {
    meshcheck::SlabFixture slab = meshcheck::LoadSlabFixture("rectangle.slab");
    for (auto& piece : slab.outline) {
        piece.Y1 = 0.0f;
        piece.Y2 = 0.0f;
    }
    meshcheck::InstallSlab(slab);
    try {
        GenerateDelaunayMesh();
        FAIL() << "no error";
    } catch (const rt::RuntimeError& error) {
        EXPECT_EQ(error.number(), 5);
        EXPECT_NE(error.description().find("encloses no area"), std::string::npos);
    }
    EXPECT_EQ(drovik::liveRegionCount(), 0);
}

// In German, refusals of the slab are the table's texts.
TEST_F(GenerationTest, RefusalsOfTheSlabAreTextsOfTheTables) {
    const auto german = [] { useLanguageTexts(std::make_unique<quillon::ClsLanguageText>(std::string(OH_PROGDIR) + "/language", "German")); };
    german();
    const auto text = [](std::int32_t n) { return LanguageTexts().GetText(rt::Variant(n), {"|1", 1, "|2", "X", "|3", "X"}); };
    const std::vector<std::pair<std::function<void(meshcheck::SlabFixture&)>, std::string>> cases{
        {[](meshcheck::SlabFixture& s) { s.lines.push_back({{0.0005f, 1.0f}, {0.0005f, 5.0f}}); }, text(190240)},
        {[](meshcheck::SlabFixture& s) { s.openings.push_back({straightPiece(5, 3, 5.0005f, 3), straightPiece(5.0005f, 3, 5.0005f, 3.0004f), straightPiece(5.0005f, 3.0004f, 5, 3.0004f), straightPiece(5, 3.0004f, 5, 3)}); }, text(190247)},
        {[](meshcheck::SlabFixture& s) { for (auto& piece : s.outline) piece.Y1 = piece.Y2 = 0.0f; }, LanguageTexts().GetText(rt::Variant(190245))}};
    for (const auto& [change, full] : cases) {
        const std::string told = full.substr(0, full.find('X'));
        meshcheck::SlabFixture slab = meshcheck::LoadSlabFixture("rectangle.slab");
        change(slab);
        meshcheck::InstallSlab(slab);
        german();
        try {
            GenerateDelaunayMesh();
            ADD_FAILURE() << "no error: " << told;
        } catch (const rt::RuntimeError& error) {
            EXPECT_EQ(error.number(), 5);
            EXPECT_EQ(error.description().substr(0, told.size()), told);
        }
    }
}

TEST_F(GenerationTest, ANetBeyond32767ElementsStopsWithAMessage) {
    meshcheck::SlabFixture slab = meshcheck::LoadSlabFixture("rectangle.slab");
    slab.rmin = 0.005f;
    slab.field = [](float, float) { return 0.02f; };
    meshcheck::InstallSlab(slab);
    try {
        GenerateDelaunayMesh();
        FAIL() << "no error";
    } catch (const rt::RuntimeError& error) {
        EXPECT_EQ(error.number(), 6);
        EXPECT_NE(error.description().find("32767"), std::string::npos);
    }
    EXPECT_EQ(drovik::liveRegionCount(), 0);
}

// Single points on sides between the steps: no node within half a step.
TEST_F(GenerationTest, ASinglePointOnASideDividesIt) {
    meshcheck::SlabFixture slab = meshcheck::LoadSlabFixture("rectangle.slab");
    slab.lines.push_back({{2.0f, 3.0f}, {8.0f, 3.0f}});
    slab.points = {{3.55f, 0.0f}, {10.0f, 2.3f}, {5.45f, 3.0f}, {7.0f, 6.0f}};
    meshcheck::InstallSlab(slab);
    GenerateDelaunayMesh();
    const NetView net = MeshView();
    for (const halvex::SinglePoint& p : slab.points)
        for (std::int32_t n = 1; n <= net.nodeCount; ++n) {
            const double d = std::hypot(net.X(n) - p.X, net.Y(n) - p.Y);
            EXPECT_TRUE(d == 0.0 || d > 0.45) << p.X << ", " << p.Y << ": node " << n << " at " << d;
        }
    EXPECT_GE(meshcheck::SmallestAngleDeg(net), 30.0);
    const auto faults = meshcheck::CheckGeneratedNet(slab, true);
    for (std::size_t i = 0; i < faults.size() && i < 5; ++i) ADD_FAILURE() << faults[i];
}

// Past the node limit, or on a stop while stepping: no node is made.
// Single points beside outline sides, a line and an arc, from twice the
// tolerance to half the target size away: the sides stay where they are, no
// node of their division stands closer to a point than the side does, and
// every triangle at a point meets theta unless the refinement's floor (rmin)
// holds it.
TEST_F(GenerationTest, APointBesideASideGetsItsDivisionAroundItsFoot) {
    for (int seed = 0; seed < 50; ++seed) {
        meshcheck::SlabFixture slab = meshcheck::RandomStarSlab(seed);
        slab.points.clear();
        const bool arc = seed >= 40;  // a slab with a round end
        if (arc) {
            slab.outline = {straightPiece(0, 0, 10, 0), arcPiece(10, 0, 10, 6, 10, 3, true), straightPiece(10, 6, 0, 6),
                            straightPiece(0, 6, 0, 0)};
            slab.openings.clear();
            slab.lines.clear();
            const float r = 0.4f + 0.06f * static_cast<float>(seed - 40);
            slab.r = r, slab.rmin = 0.25f * r;
            slab.field = [r](float, float) { return r; };
        }
        std::mt19937 random(static_cast<unsigned>(seed));
        std::uniform_real_distribution<double> u(0.0, 1.0);
        meshcheck::InstallSlab(slab);
        SetScaleFromSlabDescription();
        const double tol = CoincidenceTolerance();
        double turn = 0.0;
        for (const OutlinePiece& p : slab.outline) turn += p.X1 * p.Y2 - p.X2 * p.Y1;
        std::vector<OutlinePiece> sides{slab.outline[random() % slab.outline.size()], slab.outline[random() % slab.outline.size()]};
        if (arc) sides = {slab.outline[1], slab.outline[1]};
        for (const auto& [a, b] : slab.lines) sides.push_back(straightPiece(a.X, a.Y, b.X, b.Y));
        std::vector<double> apart;
        for (const OutlinePiece& p : sides) {
            if (p.IsArc) {
                const double angle = 1.2 * (2.0 * u(random) - 1.0);
                const double d = 2.0 * tol * std::pow(0.24 * slab.field(13.0f, 3.0f) / tol, u(random));
                slab.points.push_back({static_cast<float>(10.0 + (3.0 - d) * std::cos(angle)), static_cast<float>(3.0 + (3.0 - d) * std::sin(angle))});
                apart.push_back(0.99 * d);
                continue;
            }
            const double along = 0.2 + 0.6 * u(random), fx = p.X1 + (p.X2 - p.X1) * along, fy = p.Y1 + (p.Y2 - p.Y1) * along;
            const double d = 2.0 * tol * std::pow(0.24 * slab.field(static_cast<float>(fx), static_cast<float>(fy)) / tol, u(random));
            const double inward = (turn > 0.0 ? d : -d) / std::hypot(p.X2 - p.X1, p.Y2 - p.Y1);
            slab.points.push_back({static_cast<float>(fx - (p.Y2 - p.Y1) * inward), static_cast<float>(fy + (p.X2 - p.X1) * inward)});
            apart.push_back(0.99 * d);
        }
        meshcheck::InstallSlab(slab);
        GenerateDelaunayMesh();
        const auto faults = meshcheck::CheckGeneratedNet(slab, true);
        for (std::size_t i = 0; i < faults.size() && i < 3; ++i) ADD_FAILURE() << "seed " << seed << ": " << faults[i];
        const NetView net = MeshView();
        for (std::size_t q = 0; q < slab.points.size(); ++q) {
            const halvex::SinglePoint& p = slab.points[q];
            for (std::int32_t n = 1; n <= net.nodeCount; ++n) {
                const double d = std::hypot(net.X(n) - p.X, net.Y(n) - p.Y);
                if (meshcheck::OnPiece(sides[q], net.X(n), net.Y(n), tol)) {
                    EXPECT_GT(d, apart[q]) << "seed " << seed << ": node " << n;
                }
            }
            for (std::int32_t e = 1; e <= net.elementCount; ++e) {
                bool at = false;
                for (int k = 1; k <= 3; ++k) at |= net.X(net.Corner(e, k)) == p.X && net.Y(net.Corner(e, k)) == p.Y;
                if (at && meshcheck::Circumcircle(net, e).r > slab.rmin) {
                    EXPECT_GE(meshcheck::SmallestAngleDeg(net, e), slab.theta - 0.01) << "seed " << seed << ", point " << q;
                }
            }
        }
    }
}

// Points beside a side whose divisions meet: two points near each other,
// a point near a support on the side, a point near a corner, and points
// just outside the slab (which get no node). Every point keeps at least
// rmin from the side and from the others, so every triangle meets theta.
TEST_F(GenerationTest, PointsBesideASideNearOtherPointsCornersOrOutsideGiveNoSliver) {
    const std::vector<std::vector<halvex::SinglePoint>> cases{
        {{5.0f, 0.3f}, {5.4f, 0.3f}}, {{5.0f, 0.4f}, {5.3f, 0.4f}}, {{5.0f, 0.0f}, {5.4f, 0.3f}},
        {{5.0f, 0.0f}, {5.25f, -0.3f}}, {{0.4f, 0.3f}}, {{5.0f, -0.01f}}};
    for (const auto& points : cases) {
        meshcheck::SlabFixture slab;
        slab.outline = {straightPiece(0, 0, 10, 0), straightPiece(10, 0, 10, 6), straightPiece(10, 6, 0, 6), straightPiece(0, 6, 0, 0)};
        slab.points = points;
        meshcheck::InstallSlab(slab);
        GenerateDelaunayMesh();
        const auto faults = meshcheck::CheckGeneratedNet(slab, true);
        for (std::size_t i = 0; i < faults.size() && i < 3; ++i) ADD_FAILURE() << points[0].X << ", " << points[0].Y << ": " << faults[i];
        EXPECT_GE(meshcheck::SmallestAngleDeg(MeshView()), slab.theta) << points.size() << " points from " << points[0].X << ", " << points[0].Y;
    }
}

// Arcs: a round opening and a round end of a radius well below the target
// size keep their shape (the opening is not refused as enclosing no area,
// the end keeps its half disc); supports on an arc, below and above its
// centre, are nodes at their own coordinates.
TEST_F(GenerationTest, ArcsKeepTheirShapeAndSupportsOnThemTheirPlace) {
    meshcheck::SlabFixture opening, end, supports;
    opening.outline = {straightPiece(0, 0, 10, 0), straightPiece(10, 0, 10, 6), straightPiece(10, 6, 0, 6), straightPiece(0, 6, 0, 0)};
    opening.openings = {{arcPiece(5.3f, 3, 4.7f, 3, 5, 3, true), arcPiece(4.7f, 3, 5.3f, 3, 5, 3, true)}};
    end.outline = {straightPiece(0, 0, 10, 0), arcPiece(10, 0, 10, 0.9f, 10, 0.45f, true), straightPiece(10, 0.9f, 0, 0.9f), straightPiece(0, 0.9f, 0, 0)};
    supports.outline = {straightPiece(0, 0, 10, 0), arcPiece(10, 0, 10, 6, 10, 3, true), straightPiece(10, 6, 0, 6), straightPiece(0, 6, 0, 0)};
    for (const double degrees : {-60.0, -25.0, 10.0, 50.0})
        supports.points.push_back({static_cast<float>(10.0 + 3.0 * std::cos(degrees * M_PI / 180.0)),
                                   static_cast<float>(3.0 + 3.0 * std::sin(degrees * M_PI / 180.0))});
    for (const meshcheck::SlabFixture& slab : {opening, end, supports}) {
        meshcheck::InstallSlab(slab);
        GenerateDelaunayMesh();
        const NetView net = MeshView();
        for (const halvex::SinglePoint& p : slab.points) {
            bool found = false;
            for (std::int32_t n = 1; n <= net.nodeCount; ++n) found = found || (net.X(n) == p.X && net.Y(n) == p.Y);
            EXPECT_TRUE(found) << p.X << ", " << p.Y;
        }
        const auto faults = meshcheck::CheckGeneratedNet(slab, true);
        for (std::size_t i = 0; i < faults.size() && i < 3; ++i) ADD_FAILURE() << faults[i];
    }
}

// A target size far beyond the slab's extent: the stepping looks no further
// ahead than the size field can answer, and the net is the slab's corners.
TEST_F(GenerationTest, ATargetSizeFarBeyondTheSlabGivesANetOfItsCorners) {
    meshcheck::SlabFixture slab = meshcheck::LoadSlabFixture("rectangle.slab");
    slab.r = 1e10f, slab.rmin = 2.5e9f;
    slab.field = [](float, float) { return 1e10f; };
    meshcheck::InstallSlab(slab);
    GenerateDelaunayMesh();
    EXPECT_EQ(basDelaunay().MeshElementCount, 2);
    EXPECT_TRUE(meshcheck::CheckGeneratedNet(slab, false).empty());
}

TEST_F(GenerationTest, ADivisionBeyondTheNodeLimitEndsBeforeAnyNodeIsMade) {
    for (float size : {1e-7f, 5e-4f}) {
        meshcheck::SlabFixture slab = meshcheck::LoadSlabFixture("rectangle.slab");
        slab.r = slab.rmin = size;
        slab.field = [size](float, float) { return size; };
        meshcheck::InstallSlab(slab);
        EXPECT_THROW(GenerateDelaunayMesh(), rt::RuntimeError);
        EXPECT_EQ(basDelaunay().MeshNodeCount, 4) << size;
    }
    meshcheck::SlabFixture slab = meshcheck::LoadSlabFixture("rectangle.slab");
    slab.field = [](float, float) { return 0.002f; };  // some 16,000 nodes
    meshcheck::InstallSlab(slab);
    drovik::ClsWaitWindow window;
    SetOperationWaitWindowSource([&window] { return &window; });
    drovik::ClsWaitWindow::stopAfterUpdates(3);  // while stepping: before any node is made
    GenerateDelaunayMesh();
    SetOperationWaitWindowSource(nullptr);
    EXPECT_EQ(RunControl().RunState(), 3);
    EXPECT_EQ(basDelaunay().MeshNodeCount, 4);
}

// A wait window that keeps every progress maximum it is given.
class RecordingWindow : public drovik::ClsWaitWindow {
public:
    void ProgressMax(std::int32_t steps) override {
        maxima.push_back(steps);
        drovik::ClsWaitWindow::ProgressMax(steps);
    }
    std::vector<std::int32_t> maxima;
};

TEST_F(GenerationTest, AStopEndsTheRunWithoutAPartialNetAndFreesTheRegion) {
    const meshcheck::SlabFixture slab = meshcheck::LoadSlabFixture("openings.slab");
    for (int calls : {1, 3, 40, 400, 1500, 3000}) {
        meshcheck::InstallSlab(slab);
        RecordingWindow window;
        SetOperationWaitWindowSource([&window] { return &window; });
        drovik::ClsWaitWindow::stopAfterUpdates(calls);
        GenerateDelaunayMesh();
        drovik::ClsWaitWindow::stopAfterUpdates(0);
        SetOperationWaitWindowSource(nullptr);
        EXPECT_EQ(RunControl().RunState(), 3) << "stop after " << calls << " updates";
        EXPECT_LE(window.updateCount(), calls + 1);  // the stop was honoured at once
        EXPECT_EQ(drovik::liveRegionCount(), 0);
        RunControl().RunState(0);
    }
}

TEST_F(GenerationTest, ProgressMaximaOfLargeNetsDoNotOverflow) {
    meshcheck::SlabFixture slab = meshcheck::LoadSlabFixture("openings.slab");
    slab.r = 0.2f;
    slab.rmin = 0.08f;
    slab.field = [](float, float) { return 0.2f; };
    meshcheck::InstallSlab(slab);
    RecordingWindow window;
    SetOperationWaitWindowSource([&window] { return &window; });
    GenerateDelaunayMesh();
    SetOperationWaitWindowSource(nullptr);
    EXPECT_EQ(RunControl().RunState(), 0);
    const BasDelaunay& m = basDelaunay();
    EXPECT_GT(m.MeshElementCount, 16383);
    EXPECT_GT(*std::max_element(window.maxima.begin(), window.maxima.end()), 32767);
    for (std::int32_t maximum : window.maxima) EXPECT_GE(maximum, 0);
    EXPECT_EQ(window.statusText(), LanguageTexts().GetText(rt::Variant(quillon::TextNo(100038))));
}

}  // namespace
}  // namespace orvelo
