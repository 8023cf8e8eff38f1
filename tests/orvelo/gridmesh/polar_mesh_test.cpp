// Polar nets of disks and annuli: the counts of every shape and type, a
// conforming counter-clockwise net that covers the polygon of its outer
// ring less its inner one, the equal-area radii, the limits and the stops.
#include <gtest/gtest.h>

#include <cmath>
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

// Twice the area of the regular 4n-gon of radius rho.
double polygonArea(double rho, int n) { return 4.0 * n * 0.5 * rho * rho * std::sin(M_PI / (2.0 * n)); }

TEST_F(PolarMeshTest, EveryShapeTypeAndSizeGivesAConformingNetOfItsCounts) {
    const float length = 8.0f;  // R = 4
    const float width = 3.0f;   // r = 1.5
    for (std::int16_t shape : {2, 5}) {
        for (std::int16_t type : {6, 7, 8}) {
            for (std::int16_t n : {1, 3}) {
                SCOPED_TRACE("shape " + std::to_string(shape) + " type " + std::to_string(type) + " n " +
                             std::to_string(n));
                gridtest::ResetAll();
                setSlab(shape, length, width, n, type);
                GeneratePolarMesh();
                const BasDelaunay& m = basDelaunay();

                long long nodes = 0, triangles = 0, quads = 0;
                if (shape == 5) {
                    nodes = 4 * n * (n + 1);
                    (type == 6 ? quads : triangles) = (type == 6 ? 4 : 8) * n * n;
                } else if (type == 8) {
                    nodes = 1 + 2 * n * (n + 1);
                    triangles = 4 * n * n;
                } else {
                    nodes = 4 * n * n + 1;
                    triangles = type == 6 ? 4 * n : 8 * n * n - 4 * n;
                    quads = type == 6 ? 4 * n * (n - 1) : 0;
                }
                if (shape == 2 && type == 8 && n == 3) EXPECT_TRUE(nodes == 25 && triangles == 36);
                ASSERT_EQ(m.MeshNodeCount, nodes);
                ASSERT_EQ(m.MeshElementCount, triangles + quads);
                long long seenQuads = 0;
                double area = 0.0;
                for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) {
                    const NetElement& t = m.MeshElementList[static_cast<std::size_t>(e)];
                    seenQuads += t.CornerCount == 4;
                    const double twice = meshcheck::MixedTwiceArea(m, t);
                    EXPECT_GT(twice, 0.0) << "element " << e << " is not counter-clockwise";
                    area += twice / 2.0;
                }
                EXPECT_EQ(seenQuads, quads);
                EXPECT_EQ(meshcheck::CheckMixedNet(m), std::vector<std::string>{});
                EXPECT_EQ(meshcheck::CheckMixedSideFlags(m), std::vector<std::string>{});

                const double R = length / 2.0;
                const double r = shape == 5 ? width / 2.0 : 0.0;
                const double expected = polygonArea(R, n) - (shape == 5 ? polygonArea(r, n) : 0.0);
                EXPECT_NEAR(area, expected, 1e-5 * expected);

                for (std::int32_t k = 1; k <= m.MeshNodeCount; ++k) {
                    const float x = m.MeshNodeX[static_cast<std::size_t>(k)];
                    const float y = m.MeshNodeY[static_cast<std::size_t>(k)];
                    EXPECT_TRUE(x >= 0.0f && x <= 2.0f * R && y >= 0.0f && y <= 2.0f * R) << "node " << k;
                }
                // Border sides join nodes of the outer or the inner circle.
                for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) {
                    const NetElement& t = m.MeshElementList[static_cast<std::size_t>(e)];
                    for (int c = 1; c <= t.CornerCount; ++c) {
                        if ((t.Flag[static_cast<std::size_t>(c)] & halvex::OuterSide) == 0) continue;
                        for (int end : {c, c == t.CornerCount ? 1 : c + 1}) {
                            const auto node = static_cast<std::size_t>(t.Node[static_cast<std::size_t>(end)]);
                            const double radius = std::hypot(m.MeshNodeX[node] - R, m.MeshNodeY[node] - R);
                            const bool onBorder = std::abs(radius - R) < 1e-5 * R ||
                                                  (shape == 5 && std::abs(radius - r) < 1e-5 * R);
                            EXPECT_TRUE(onBorder) << "element " << e << " node " << node << " radius " << radius;
                        }
                    }
                }
                EXPECT_TRUE(declar().MeshType == 5 && declar().MinAngle == 0.0f && RunControl().RunState() == 0);
            }
        }
    }
}

TEST_F(PolarMeshTest, RingsHoldEqualAreas) {
    const int n = 4;
    const double R = 5.0, r = 2.0;
    setSlab(5, 10.0f, 4.0f, n, 6);
    GeneratePolarMesh();
    const BasDelaunay& m = basDelaunay();
    // Spoke 0 lies on y = R: its nodes 1..n + 1 from the inside out.
    auto radiusOf = [&](std::int32_t node) { return m.MeshNodeX[static_cast<std::size_t>(node)] - R; };
    EXPECT_NEAR(radiusOf(1), r, 1e-6);
    EXPECT_NEAR(radiusOf(n + 1), R, 1e-6);
    for (int k = 2; k <= n + 1; ++k) {
        const double step = radiusOf(k) * radiusOf(k) - radiusOf(k - 1) * radiusOf(k - 1);
        EXPECT_NEAR(step, (R * R - r * r) / n, 1e-5 * (R * R - r * r) / n) << "ring " << k;
    }

    gridtest::ResetAll();
    setSlab(2, 10.0f, 0.0f, n, 6);
    GeneratePolarMesh();
    // Position a of a spoke sits at the centroid radius of the ring between
    // rho(a - 1) and rho(a), where rho(k)^2 = k R^2 / (n + 1); the last at R.
    for (int a = 2; a <= n + 1; ++a) {
        const double outer = R * std::sqrt(static_cast<double>(a) / (n + 1));
        const double inner = R * std::sqrt(static_cast<double>(a - 1) / (n + 1));
        const double centroid = a == n + 1 ? R
                                           : 2.0 / 3.0 * (std::pow(outer, 3) - std::pow(inner, 3)) /
                                                 (outer * outer - inner * inner);
        EXPECT_NEAR(radiusOf(a), centroid, 1e-5 * centroid) << "position " << a;
    }
}

TEST_F(PolarMeshTest, CountsUpToTheLimitAreBuiltAndInputBeyondIsRefusedUntouched) {
    setSlab(5, 10.0f, 4.0f, 63, 7);
    GeneratePolarMesh();
    EXPECT_EQ(basDelaunay().MeshElementCount, 8 * 63 * 63);
    EXPECT_NE(std::find(window->maxima.begin(), window->maxima.end(), 47628), window->maxima.end());
    EXPECT_EQ(meshcheck::CheckMixedNet(basDelaunay()), std::vector<std::string>{});

    struct Case {
        std::int16_t shape;
        float length, width;
        std::int16_t n, type;
    };
    const float nan = std::nanf("");
    const Case refused[] = {
        {5, 10, 4, 64, 7},   // 32,768 triangles
        {2, 10, 0, 65, 7},   // spoke disk past 32767 triangles
        {5, 10, 4, 91, 6},   // 33,488 nodes
        {5, 10, 4, 0, 6},    {2, 10, 0, -1, 8}, {5, 10, 0, 3, 6},  {5, 10, 10, 3, 7},
        {5, 10, 12, 3, 8},   {0, 10, 4, 3, 6},  {1, 10, 4, 3, 7},  {2, 0, 0, 3, 6},
        {2, nan, 0, 3, 6},   {5, 10, nan, 3, 6}, {2, 10, 0, 3, 5},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(std::to_string(c.shape) + " " + std::to_string(c.length) + " " + std::to_string(c.width) + " " +
                     std::to_string(c.n) + " " + std::to_string(c.type));
        setSlab(c.shape, c.length, c.width, c.n, c.type);
        const std::int16_t nodesBefore = basDelaunay().MeshNodeCount;
        const std::vector<NetElement> elementsBefore = basDelaunay().MeshElementList;
        try {
            GeneratePolarMesh();
            ADD_FAILURE() << "not refused";
        } catch (const rt::RuntimeError& e) {
            EXPECT_EQ(e.number(), 5);
        }
        EXPECT_TRUE(basDelaunay().MeshNodeCount == nodesBefore && basDelaunay().MeshElementList == elementsBefore);
        EXPECT_TRUE(declar().MeshType == c.type && declar().MinAngle == 30.0f);
    }
    // The largest nets each shape and type allows.
    for (const Case& c : {Case{5, 10, 4, 90, 6}, Case{2, 10, 0, 64, 7}, Case{2, 10, 0, 90, 8}})
        EXPECT_NO_THROW(CheckPolarInput(c.shape, c.length, c.width, c.n, c.type));
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
