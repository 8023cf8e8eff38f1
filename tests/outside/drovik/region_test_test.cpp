#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "outside/drovik/plane_geometry.h"
#include "outside/drovik/region_test.h"
#include "platform/runtime/temp_folder.h"

namespace {

using halvex::POINTAPI;

TEST(RegionTest, SquareKeepsLeftAndTopEdgesOnly) {
    const std::vector<POINTAPI> square{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    const std::int32_t region = drovik::CreatePolygonRgn(square.data(), 4, drovik::ALTERNATE);
    drovik::ClsRegionTest test;
    const auto inside = [&](std::int32_t x, std::int32_t y) {
        bool viaClass = false;
        test.PointInRegion(region, x, y, viaClass);
        EXPECT_EQ(viaClass, drovik::PtInRegion(region, x, y)) << x << "," << y;
        return viaClass;
    };
    EXPECT_TRUE(inside(5, 5));
    EXPECT_TRUE(inside(0, 5));    // left edge
    EXPECT_TRUE(inside(5, 0));    // top edge
    EXPECT_FALSE(inside(10, 5));  // right edge
    EXPECT_FALSE(inside(5, 10));  // bottom edge
    EXPECT_TRUE(inside(0, 0));    // top-left corner
    EXPECT_FALSE(inside(10, 0));
    EXPECT_FALSE(inside(0, 10));
    EXPECT_FALSE(inside(10, 10));
    EXPECT_TRUE(inside(9, 9));
    EXPECT_FALSE(inside(-1, 5));
    EXPECT_FALSE(inside(5, -1));

    // The same square given the other way round answers the same.
    const std::vector<POINTAPI> reversed{{0, 10}, {10, 10}, {10, 0}, {0, 0}};
    const drovik::PolygonRegion other(reversed);
    for (std::int32_t y = -1; y <= 11; ++y)
        for (std::int32_t x = -1; x <= 11; ++x)
            EXPECT_EQ(other.contains(x, y), inside(x, y)) << x << "," << y;
    EXPECT_TRUE(drovik::DeleteObject(region));
}

TEST(RegionTest, SlantedSidesAndTheEvenOddRule) {
    // A right triangle: its slanted side is a right-hand side.
    const drovik::PolygonRegion triangle(std::vector<POINTAPI>{{0, 0}, {10, 0}, {0, 10}});
    EXPECT_TRUE(triangle.contains(0, 5));
    EXPECT_TRUE(triangle.contains(4, 5));
    EXPECT_FALSE(triangle.contains(5, 5));  // on the slanted side
    // A pentagram's centre is covered twice: outside by the even-odd rule.
    const drovik::PolygonRegion star(
        std::vector<POINTAPI>{{0, -100}, {59, 81}, {-95, -31}, {95, -31}, {-59, 81}});
    EXPECT_FALSE(star.contains(0, 0));
    EXPECT_TRUE(star.contains(0, -80));
    // Fewer than three corners hold nothing; large coordinates do not overflow.
    EXPECT_FALSE(drovik::PolygonRegion(std::vector<POINTAPI>{{0, 0}, {5, 5}}).contains(0, 0));
    const drovik::PolygonRegion huge(std::vector<POINTAPI>{
        {-2000000000, -2000000000}, {2000000000, -2000000000}, {2000000000, 2000000000}});
    EXPECT_TRUE(huge.contains(1999999999, 1999999990));
    EXPECT_FALSE(huge.contains(-1999999999, 1999999990));
}

// Many corners (through bands) answer as the scan, on and off corners, crossing or not.
TEST(RegionTest, BandsOfManyCornersAnswerAsTheScan) {
    std::mt19937 random(3);
    std::uniform_int_distribution<std::int32_t> coordinate(-5, 205);
    for (int run = 0, n = 64; run < 20; ++run, n += 40) {
        std::vector<POINTAPI> c;
        for (int k = 0; k < n; ++k) {  // a star, or random corners crossing
            const double angle = 6.283185307 * k / n, r = 40.0 + (k % 7) * 8.0;
            c.push_back(run % 2 ? POINTAPI{coordinate(random), coordinate(random)} : POINTAPI{static_cast<std::int32_t>(100 + r * std::cos(angle)), static_cast<std::int32_t>(100 + r * std::sin(angle))});
        }
        const drovik::PolygonRegion region(c);
        for (int k = 0; k < 3000; ++k) {
            const POINTAPI p = k % 3 == 0 ? c[static_cast<std::size_t>(k % n)] : POINTAPI{coordinate(random), coordinate(random)};
            ASSERT_EQ(region.contains(p.X, p.Y), drovik::geometry::pointInIntegerRegion(c.data(), n, p.X, p.Y)) << "run " << run << " at " << p.X << "," << p.Y;
        }
    }
}

TEST(RegionTest, HandlesAreFreedOnce) {
    const std::int32_t before = drovik::liveRegionCount();
    const std::vector<POINTAPI> square{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    const std::int32_t a = drovik::CreatePolygonRgn(square.data(), 4, drovik::ALTERNATE);
    const std::int32_t b = drovik::CreatePolygonRgn(square.data(), 3, drovik::ALTERNATE);
    EXPECT_NE(a, 0);
    EXPECT_NE(a, b);
    EXPECT_EQ(drovik::liveRegionCount(), before + 2);
    EXPECT_TRUE(drovik::DeleteObject(a));
    EXPECT_FALSE(drovik::DeleteObject(a));
    EXPECT_EQ(errorNumberOf([&] { drovik::PtInRegion(a, 1, 1); }), 5);
    bool inside = true;
    EXPECT_EQ(errorNumberOf([&] { drovik::ClsRegionTest().PointInRegion(a, 1, 1, inside); }), 5);
    EXPECT_TRUE(drovik::DeleteObject(b));
    EXPECT_EQ(drovik::liveRegionCount(), before);
    EXPECT_EQ(errorNumberOf([&] { drovik::CreatePolygonRgn(square.data(), 4, drovik::WINDING); }), 5);
}

}  // namespace
