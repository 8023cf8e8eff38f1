// The size function, region coordinates and the drawing scale.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/bas_orvelo.h"
#include "orvelo/delaunay/kernel.h"
#include "orvelo/delaunay/marks.h"
#include "orvelo/delaunay/region_index.h"
#include "orvelo/delaunay/target_size.h"
#include "orvelo/delaunay/units.h"
#include "orvelo/model/declar.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/services.h"
#include "outside/drovik/plane_geometry.h"
#include "outside/drovik/region_test.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/rounding.h"

namespace orvelo {
namespace {

class SizeFieldTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetServices();
        resetBasDelaunay();
        resetBasOrvelo();
        resetDeclar();
        GeometryHelper().UnitFactor(1.0f);
        // Two triangles over the square 0..10 and a lone node at (20, 0).
        BasOrvelo& o = basOrvelo();
        o.OldNodeX = {0, 0, 10, 10, 0, 20};
        o.OldNodeY = {0, 0, 0, 10, 10, 0};
        declar().OldNodeCount = 5;
        declar().NodeTargetSize = {0, 1.0f, 2.0f, 3.0f, 4.0f, 7.0f};
        o.OldElementCount = 2;
        o.OldElementList.assign(3, NetElement{});
        o.OldElementList[1].CornerCount = 3;
        o.OldElementList[1].Node = {0, 1, 2, 3, 0};
        o.OldElementList[2].CornerCount = 3;
        o.OldElementList[2].Node = {0, 1, 3, 4, 0};
    }
    void TearDown() override { resetServices(); }
};

TEST_F(SizeFieldTest, RegionCoordinatesRoundHalvesToEven) {
    EXPECT_EQ(RegionCoordinate(0.125f, 1.0f), 12);
    EXPECT_EQ(RegionCoordinate(0.375f, 1.0f), 38);
    EXPECT_EQ(RegionCoordinate(-0.125f, 1.0f), -12);
    EXPECT_EQ(RegionCoordinate(2.5f, 0.2f), 50);
    EXPECT_THROW(RegionCoordinate(3e37f, 1.0f), rt::RuntimeError);
    // The same as the runtime's rounding: exact halves, any values, and
    // products near and beyond the Long range.
    std::mt19937 random(7);
    std::uniform_int_distribution<int> odd(-4000000, 4000000);
    std::uniform_real_distribution<float> any(-3e7f, 3e7f);
    std::uniform_real_distribution<float> factor(0.001f, 100.0f);
    // The coordinate, or the number of the error raised.
    auto outcome = [](auto&& round) -> std::pair<std::int32_t, int> {
        try {
            return {round(), 0};
        } catch (const rt::RuntimeError& error) {
            return {0, error.number()};
        }
    };
    auto same = [&](float value, float unitFactor) {
        const double product = static_cast<double>(value) * 100.0 * static_cast<double>(unitFactor);
        EXPECT_EQ(outcome([&] { return RegionCoordinate(value, unitFactor); }), outcome([&] { return rt::CLng(product); }))
            << value << " x " << unitFactor;
    };
    for (int i = 0; i < 20000; ++i) {
        same(static_cast<float>(2 * odd(random) + 1) / 4.0f, 0.5f);  // 12.5 x an odd number
        same(any(random), factor(random));
        same(any(random) / 30.0f, 0.001f);
    }
    for (float value : {2e9f / 100.0f, -2e9f / 100.0f, 2.1e9f / 100.0f, -2.1e9f / 100.0f, 21474836.0f, -21474836.0f})
        same(value, 1.0f);
}

TEST_F(SizeFieldTest, RegionsHoldTheirLeftAndTopEdgesOnly) {
    const halvex::POINTAPI corners[4] = {RegionPoint(0, 0, 1), RegionPoint(10, 0, 1), RegionPoint(10, 10, 1),
                                         RegionPoint(0, 10, 1)};
    const std::int32_t region = drovik::CreatePolygonRgn(corners, 4, drovik::ALTERNATE);
    auto holds = [&](float x, float y) {
        const auto p = RegionPoint(x, y, 1.0f);
        return drovik::PtInRegion(region, p.X, p.Y);
    };
    EXPECT_TRUE(holds(5, 5));
    EXPECT_TRUE(holds(0, 5));     // left edge
    EXPECT_TRUE(holds(5, 0));     // top edge (y grows downwards in region terms)
    EXPECT_FALSE(holds(10, 5));   // right edge
    EXPECT_FALSE(holds(5, 10));   // bottom edge
    EXPECT_TRUE(holds(0, 0));
    EXPECT_FALSE(holds(10, 10));
    drovik::DeleteObject(region);
}

TEST_F(SizeFieldTest, DrawingScaleFollowsTheStartRectangle) {
    BasDelaunay& m = basDelaunay();
    auto scaleOf = [&](float width, float height) {
        m.MeshExtentXMin = -width / 3, m.MeshExtentXMax = m.MeshExtentXMin + width;
        m.MeshExtentYMin = 1, m.MeshExtentYMax = 1 + height;
        ComputeDrawingScale();
        return declar().DrawingScale;
    };
    EXPECT_FLOAT_EQ(scaleOf(60, 45), 0.31f);
    EXPECT_FLOAT_EQ(m.MarkSize, 5.0f / 0.31f);
    EXPECT_FLOAT_EQ(UnitFactor(), 0.05f / 0.31f);
    EXPECT_NEAR(CoincidenceTolerance(), 0.02 * 0.31, 1e-7);
    EXPECT_NEAR(scaleOf(0.1f, 0.1f), 0.00065f, 1e-8);
    EXPECT_FLOAT_EQ(scaleOf(0, 0), 0.0001f);
    EXPECT_FLOAT_EQ(m.MarkSize, 50000.0f);
    EXPECT_FLOAT_EQ(UnitFactor(), 500.0f);
}

TEST_F(SizeFieldTest, NodesInsideAndOutsideTheOldNet) {
    // At a node, or within the tolerance of it: its own size.
    EXPECT_EQ(InterpolateTargetSize(10.0f, 0.0f), 2.0f);
    EXPECT_EQ(InterpolateTargetSize(10.0009f, 0.0f), 2.0f);
    EXPECT_EQ(InterpolateTargetSize(20.0f, 0.0f), 7.0f);
    // Inside element 1: inverse squared distances of its corners.
    const double w1 = 1.0 / (25 + 4), w2 = 1.0 / (25 + 4), w3 = 1.0 / (25 + 64);
    const double expected = (w1 * 1 + w2 * 2 + w3 * 3) / (w1 + w2 + w3);
    EXPECT_NEAR(InterpolateTargetSize(5.0f, 2.0f), expected, 1e-5);
    // Outside: the nearest node; between two at equal distance the lower.
    EXPECT_EQ(InterpolateTargetSize(30.0f, 1.0f), 7.0f);
    EXPECT_EQ(InterpolateTargetSize(15.0f, -5.0f), 2.0f);  // nodes 2 and 5 both sqrt(50) away
    // The triangle size is the smallest of its centroid's and corners' sizes.
    BasDelaunay& m = basDelaunay();
    m.MeshNodeCount = 3;
    m.MeshNodeX = {0, 9.0f, 9.5f, 20.0f};
    m.MeshNodeY = {0, 1.0f, 0.5f, 0.0f};
    const float centre = InterpolateTargetSize((9.0f + 9.5f + 20.0f) / 3.0f, (1.0f + 0.5f + 0.0f) / 3.0f);
    const float smallest = std::min({centre, InterpolateTargetSize(9.0f, 1.0f), InterpolateTargetSize(9.5f, 0.5f), 7.0f});
    EXPECT_EQ(GetTriangleTargetSize(1, 2, 3), smallest);
}

TEST_F(SizeFieldTest, MissingSizesAreAClearError) {
    declar().NodeTargetSize.resize(3);
    EXPECT_THROW(InterpolateTargetSize(9.0f, 9.5f), rt::RuntimeError);  // element 1 needs node 3
    declar().OldNodeCount = 0;
    basOrvelo().OldElementCount = 0;
    try {
        InterpolateTargetSize(1.0f, 1.0f);
        FAIL() << "no error";
    } catch (const rt::RuntimeError& error) {
        EXPECT_EQ(error.number(), 9);
    }
}

// A random old net: a jittered grid of triangles and quadrilaterals with a
// hole, and random sizes; in later rounds with random elements laid over it
// (overlaps, where the lower number wins, and flat ones), sizes missing for
// the last nodes, and a unit factor that puts the corners beyond 2^30.
TEST(SizeFieldIndex, AnswersAsThePlainScanOnRandomNets) {
    std::mt19937 random(31337);
    for (int round = 0; round < 6; ++round) {
        std::uniform_real_distribution<float> jitter(-0.3f, 0.3f);
        std::uniform_real_distribution<float> size(0.1f, 2.0f);
        const int columns = 12 + round * 3, rows = 9 + round * 2;
        std::vector<float> x{0}, y{0}, sizes{0};
        for (int j = 0; j <= rows; ++j)
            for (int i = 0; i <= columns; ++i) {
                x.push_back(static_cast<float>(i) + (i > 0 && i < columns ? jitter(random) : 0.0f));
                y.push_back(static_cast<float>(j) + (j > 0 && j < rows ? jitter(random) : 0.0f));
                sizes.push_back(size(random));
            }
        // Two coinciding nodes, to tie nearest distances.
        x.push_back(x[5]), y.push_back(y[5]), sizes.push_back(9.0f);
        std::vector<NetElement> elements(1);
        auto node = [&](int i, int j) { return static_cast<std::int16_t>(j * (columns + 1) + i + 1); };
        auto addElement = [&](std::vector<std::int16_t> corners) {
            NetElement e;
            e.CornerCount = static_cast<std::int16_t>(corners.size());
            e.Node = {0, 0, 0, 0, 0};
            std::copy(corners.begin(), corners.end(), e.Node.begin() + 1);
            elements.push_back(e);
        };
        std::uniform_int_distribution<int> anyNode(1, static_cast<int>(x.size()) - 1);
        auto addRandomElements = [&](int count) {
            for (int k = 0; k < count; ++k) {
                const auto a = static_cast<std::int16_t>(anyNode(random));
                const auto b = static_cast<std::int16_t>(anyNode(random));
                addElement({a, b, k % 4 == 0 ? a : static_cast<std::int16_t>(anyNode(random))});
            }
        };
        if (round % 2 == 1) addRandomElements(8);
        for (int j = 0; j < rows; ++j)
            for (int i = 0; i < columns; ++i) {
                if (i > 3 && i < 7 && j > 2 && j < 6) continue;  // a hole
                if ((i + j) % 3 == 0) {
                    addElement({node(i, j), node(i + 1, j), node(i + 1, j + 1), node(i, j + 1)});
                } else {
                    addElement({node(i, j), node(i + 1, j), node(i + 1, j + 1)});
                    addElement({node(i, j), node(i + 1, j + 1), node(i, j + 1)});
                }
            }
        if (round % 2 == 1) addRandomElements(8);
        if (round == 4) sizes.resize(sizes.size() - 3);
        const SizeField field{x, y, static_cast<std::int16_t>(x.size() - 1), elements,
                              static_cast<std::int16_t>(elements.size() - 1), sizes};
        // The size, or the number of the error raised.
        auto answer = [](auto&& lookUp) -> std::pair<float, int> {
            try {
                return {lookUp(), 0};
            } catch (const rt::RuntimeError& error) {
                return {0.0f, error.number()};
            }
        };
        SizeFieldIndex index(field);
        std::uniform_real_distribution<float> px(-3.0f, static_cast<float>(columns) + 3.0f);
        std::uniform_real_distribution<float> py(-3.0f, static_cast<float>(rows) + 3.0f);
        const std::vector<float> factors = round == 5 ? std::vector<float>{6e5f} : std::vector<float>{1.0f, 0.1f, 0.013f, 3.0f, 0.5f};
        for (float factor : factors) {
            for (int q = 0; q < 1000; ++q) {
                float qx = px(random), qy = py(random);
                if (q % 10 == 0) qx = x[1 + random() % (x.size() - 1)], qy = y[1 + random() % (y.size() - 1)];
                if (q % 10 == 1) qx = std::round(qx), qy = std::round(qy) + 0.5f;  // on grid lines
                if (q % 10 == 2) qx = std::round(qx * 2.0f) / 2.0f, qy = std::round(qy * 2.0f) / 2.0f;
                if (q % 10 == 3) qx = std::round(qx * 4.0f) / 4.0f, qy = -std::round(qy * 4.0f) / 4.0f;  // region halves at factor 0.5
                if (q % 10 == 4) qx = qx * 40.0f - 200.0f, qy = qy * 40.0f - 200.0f;  // far off
                ASSERT_EQ(answer([&] { return index.Interpolate(factor, qx, qy); }),
                          answer([&] { return InterpolateTargetSizeByScan(field, factor, qx, qy); }))
                    << "(" << qx << ", " << qy << ") at factor " << factor << " round " << round;
            }
        }
    }
}

}  // namespace
}  // namespace orvelo

namespace orvelo {
namespace {

// Star-shaped polygons with many corners on a coarse lattice (so that
// points fall on sides and corners), against the region test itself.
TEST(RegionIndexTest, AnswersAsTheRegionTestOnRandomPolygons) {
    std::mt19937 random(424242);
    for (int round = 0; round < 20; ++round) {
        const int count = 5 + round * 20;
        std::vector<halvex::POINTAPI> corners;
        std::uniform_real_distribution<double> radius(20.0, 100.0);
        for (int i = 0; i < count; ++i) {
            const double angle = 2.0 * 3.14159265358979 * i / count;
            const double r = radius(random);
            corners.push_back({static_cast<std::int32_t>(std::lround(r * std::cos(angle) / 4) * 4),
                               static_cast<std::int32_t>(std::lround(r * std::sin(angle) / 4) * 4)});
        }
        if (round % 2 == 0) corners.push_back(corners.front());  // closed by a repeated corner
        RegionIndex index(corners);
        std::uniform_int_distribution<std::int32_t> coordinate(-110, 110);
        for (int q = 0; q < 4000; ++q) {
            std::int32_t x = coordinate(random), y = coordinate(random);
            if (q % 4 == 0) {  // on a side
                const auto& a = corners[static_cast<std::size_t>(q / 4) % corners.size()];
                const auto& b = corners[(static_cast<std::size_t>(q / 4) + 1) % corners.size()];
                x = (a.X + b.X) / 2, y = (a.Y + b.Y) / 2;
            }
            ASSERT_EQ(index.Contains(x, y),
                      drovik::geometry::pointInIntegerRegion(corners.data(), static_cast<int>(corners.size()), x, y))
                << "(" << x << ", " << y << ") round " << round;
        }
    }
}

}  // namespace
}  // namespace orvelo
