// Polar nets of disks and annuli: the counts of every shape and type, a
// conforming counter-clockwise net that covers the polygon of its outer
// ring less its inner one, the equal-area radii, the limits and the stops.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "grid_fixture.h"
#include "halvex/interface/enums.h"
#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/mixed_net_check.h"
#include "orvelo/gridmesh/polar_mesh.h"
#include "orvelo/model/declar.h"
#include "orvelo/program_fixture.h"
#include "orvelo/project/services.h"
#include "platform/runtime/errors.h"

namespace orvelo {
namespace {

// A wait window that keeps every progress maximum it was given.
class MaxRecordingWindow : public drovik::ClsWaitWindow {
public:
    void ProgressMax(std::int32_t steps) override {
        maxima.push_back(steps);
        drovik::ClsWaitWindow::ProgressMax(steps);
    }
    std::vector<std::int32_t> maxima;
};

class PolarMeshTest : public ::testing::Test {
protected:
    void SetUp() override {
        gridtest::ResetAll();
        orvelotest::ResetProgramState();
        window = std::make_shared<MaxRecordingWindow>();
        SetOperationWaitWindowSource([w = window] { return w.get(); });
    }
    void TearDown() override {
        drovik::ClsWaitWindow::stopAfterUpdates(0);
        gridtest::ResetAll();
    }

    static void setSlab(std::int16_t shape, float length, float width, std::int16_t n, std::int16_t type) {
        Declar& d = declar();
        std::tie(d.SlabShape, d.SlabLength, d.SlabWidth, d.PolarDivisionCount, d.MeshType, d.MinAngle) =
            std::make_tuple(shape, length, width, n, type, 30.0f);
    }

    std::shared_ptr<MaxRecordingWindow> window;
};

// The area of the regular 4n-gon of radius rho.
double polygonArea(double rho, int n) { return 2.0 * n * rho * rho * std::sin(M_PI / (2.0 * n)); }

TEST_F(PolarMeshTest, EveryShapeTypeAndSizeGivesAConformingNetOfItsCounts) {
    const double R = 4.0, r = 1.5;
    for (std::int16_t shape : {2, 5}) {
        for (std::int16_t type : {6, 7, 8}) {
            for (std::int16_t n : {1, 3}) {
                SCOPED_TRACE("shape " + std::to_string(shape) + " type " + std::to_string(type) + " n " + std::to_string(n));
                gridtest::ResetAll();
                setSlab(shape, 2 * R, 2 * r, n, type);
                GeneratePolarMesh();
                const BasDelaunay& m = basDelaunay();
                const bool ring = shape == 5;
                long long nodes = 0, triangles = 0, quads = 0;
                if (ring) {
                    nodes = 4 * n * (n + 1);
                    (type == 6 ? quads : triangles) = (type == 6 ? 4 : 8) * n * n;
                } else if (type == 8) {
                    std::tie(nodes, triangles) = std::make_tuple(1 + 2 * n * (n + 1), 4 * n * n);
                } else {
                    nodes = 4 * n * n + 1;
                    triangles = type == 6 ? 4 * n : 8 * n * n - 4 * n;
                    quads = type == 6 ? 4 * n * (n - 1) : 0;
                }
                EXPECT_TRUE(ring || type != 8 || n != 3 || (nodes == 25 && triangles == 36));
                ASSERT_EQ(m.MeshNodeCount, nodes);
                ASSERT_EQ(m.MeshElementCount, triangles + quads);
                EXPECT_EQ(meshcheck::CheckMixedNet(m), std::vector<std::string>{});
                EXPECT_EQ(meshcheck::CheckMixedSideFlags(m), std::vector<std::string>{});
                long long seenQuads = 0;
                double area = 0.0;
                auto radius = [&](std::int16_t node) {
                    return std::hypot(m.MeshNodeX[static_cast<std::size_t>(node)] - R, m.MeshNodeY[static_cast<std::size_t>(node)] - R);
                };
                for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) {
                    const NetElement& t = m.MeshElementList[static_cast<std::size_t>(e)];
                    seenQuads += t.CornerCount == 4;
                    const double twice = meshcheck::MixedTwiceArea(m, t);
                    EXPECT_GT(twice, 0.0) << "element " << e << " is not counter-clockwise";
                    area += twice / 2.0;
                    // Border sides join nodes of the outer or the inner circle.
                    for (std::size_t c = 1; c <= static_cast<std::size_t>(t.CornerCount); ++c) {
                        if ((t.Flag[c] & halvex::OuterSide) == 0) continue;
                        for (std::int16_t node : {t.Node[c], t.Node[c % static_cast<std::size_t>(t.CornerCount) + 1]})
                            EXPECT_TRUE(std::abs(radius(node) - R) < 1e-5 * R || (ring && std::abs(radius(node) - r) < 1e-5 * R))
                                << "element " << e << " node " << node << " radius " << radius(node);
                    }
                }
                EXPECT_EQ(seenQuads, quads);
                const double expected = polygonArea(R, n) - (ring ? polygonArea(r, n) : 0.0);
                EXPECT_NEAR(area, expected, 1e-5 * expected);
                for (std::int16_t k = 1; k <= m.MeshNodeCount; ++k) EXPECT_LE(radius(k), R * (1 + 1e-6)) << "node " << k;
                EXPECT_TRUE(declar().MeshType == 5 && declar().MinAngle == 0.0f && RunControl().RunState() == 0);
            }
        }
    }
}

TEST_F(PolarMeshTest, RingsHoldEqualAreas) {
    const int n = 4;
    const double R = 5.0, r = 2.0;
    const BasDelaunay& m = basDelaunay();
    // Spoke 0 lies on y = R: its nodes 1..n + 1 from the inside out.
    auto radiusOf = [&](std::int32_t node) { return m.MeshNodeX[static_cast<std::size_t>(node)] - R; };
    setSlab(5, 10.0f, 4.0f, n, 6);
    GeneratePolarMesh();
    EXPECT_NEAR(radiusOf(1), r, 1e-6);
    for (int k = 2; k <= n + 1; ++k)
        EXPECT_NEAR(radiusOf(k) * radiusOf(k) - radiusOf(k - 1) * radiusOf(k - 1), (R * R - r * r) / n,
                    1e-5 * (R * R - r * r) / n) << "ring " << k;

    // Position a of a spoke sits at the centroid radius of the ring between
    // rho(a - 1) and rho(a), where rho(k)^2 = k R^2 / (n + 1); the last at R.
    gridtest::ResetAll();
    setSlab(2, 10.0f, 0.0f, n, 6);
    GeneratePolarMesh();
    for (int a = 2; a <= n + 1; ++a) {
        const double outer = R * std::sqrt(a / (n + 1.0)), inner = R * std::sqrt((a - 1) / (n + 1.0));
        const double centroid = a == n + 1 ? R : 2.0 / 3.0 * (std::pow(outer, 3) - std::pow(inner, 3)) / (outer * outer - inner * inner);
        EXPECT_NEAR(radiusOf(a), centroid, 1e-5 * centroid) << "position " << a;
    }
}

TEST_F(PolarMeshTest, CountsUpToTheLimitAreBuiltAndInputBeyondIsRefusedUntouched) {
    setSlab(5, 10.0f, 4.0f, 63, 7);
    GeneratePolarMesh();
    EXPECT_EQ(basDelaunay().MeshElementCount, 8 * 63 * 63);
    EXPECT_NE(std::find(window->maxima.begin(), window->maxima.end(), 47628), window->maxima.end());
    EXPECT_EQ(meshcheck::CheckMixedNet(basDelaunay()), std::vector<std::string>{});

    using Case = std::tuple<std::int16_t, float, float, std::int16_t, std::int16_t>;  // shape, length, width, n, type
    const float nan = std::nanf("");
    const Case refused[] = {
        {5, 10, 4, 64, 7},  // 32,768 triangles
        {2, 10, 0, 65, 7},  // spoke disk past 32767 triangles
        {5, 10, 4, 91, 6},  // 33,488 nodes
        {5, 10, 4, 0, 6},   {2, 10, 0, -1, 8}, {5, 10, 0, 3, 6},   {5, 10, 10, 3, 7}, {5, 10, 12, 3, 8}, {0, 10, 4, 3, 6},
        {1, 10, 4, 3, 7},   {2, 0, 0, 3, 6},   {2, nan, 0, 3, 6},  {5, 10, nan, 3, 6}, {2, 10, 0, 3, 5},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(&c - refused);
        const auto& [shape, length, width, n, type] = c;
        setSlab(shape, length, width, n, type);
        const BasDelaunay before = basDelaunay();
        try {
            GeneratePolarMesh();
            ADD_FAILURE() << "not refused";
        } catch (const rt::RuntimeError& e) {
            EXPECT_EQ(e.number(), 5);
        }
        EXPECT_TRUE(basDelaunay().MeshNodeCount == before.MeshNodeCount && basDelaunay().MeshElementList == before.MeshElementList);
        EXPECT_TRUE(declar().MeshType == type && declar().MinAngle == 30.0f);
    }
    // A disc whose drawing scale overflows names its diameter, not an infinite tolerance.
    setSlab(2, 3e38f, 0.0f, 3, 7);
    const float unitFactor = GeometryHelper().UnitFactor();
    GeometryHelper().UnitFactor(0.05f / std::numeric_limits<float>::infinity());
    std::string told;
    try { GeneratePolarMesh(); } catch (const rt::RuntimeError& e) { told = e.description(); }
    EXPECT_TRUE(told.find("3E+38") != std::string::npos && told.find("tolerance") == std::string::npos) << told;
    GeometryHelper().UnitFactor(unitFactor);
    // The largest nets each shape and type allows.
    for (const auto& [shape, length, width, n, type] : {Case{5, 10, 4, 90, 6}, Case{2, 10, 0, 64, 7}, Case{2, 10, 0, 90, 8}})
        EXPECT_NO_THROW(CheckPolarInput(shape, length, width, n, type));
}

// A fan net too fine at the centre names the largest count: that is built, one more refused.
TEST_F(PolarMeshTest, AFanNetTooFineForItsDiameterNamesTheLargestCountThatWorks) {
    for (const float diameter : {1.0f, 2.5f}) {
        SCOPED_TRACE(diameter);
        setSlab(2, diameter, 0.0f, 90, 8);
        std::string refusal;
        try { GeneratePolarMesh(); } catch (const rt::RuntimeError& e) { refusal = e.description(); }
        const std::string named = "works for this diameter is ";
        ASSERT_TRUE(refusal.find("innermost ring") != std::string::npos && refusal.find(named) != std::string::npos) << refusal;
        const int largest = std::stoi(refusal.substr(refusal.find(named) + named.size()));
        setSlab(2, diameter, 0.0f, static_cast<std::int16_t>(largest), 8);
        EXPECT_NO_THROW(GeneratePolarMesh());
        setSlab(2, diameter, 0.0f, static_cast<std::int16_t>(largest + 1), 8);
        EXPECT_THROW(GeneratePolarMesh(), rt::RuntimeError);
    }
}

TEST_F(PolarMeshTest, AStopEndsTheGenerationWithRunState3AndNoHandOver) {
    for (int after : {1, 40, 130, 200, 265}) {
        SCOPED_TRACE(after);
        gridtest::ResetAll();
        RunControl().RunState(0);
        window = std::make_shared<MaxRecordingWindow>();
        SetOperationWaitWindowSource([w = window] { return w.get(); });
        setSlab(2, 10.0f, 0.0f, 5, 8);  // 61 nodes, 100 elements, then flags and smoothing
        drovik::ClsWaitWindow::stopAfterUpdates(after);
        GeneratePolarMesh();
        EXPECT_TRUE(RunControl().RunState() == halvex::ExitWithoutSaving && declar().MeshType == 8);
        drovik::ClsWaitWindow::stopAfterUpdates(0);
    }
}

}  // namespace
}  // namespace orvelo
