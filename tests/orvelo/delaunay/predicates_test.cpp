// The orientation and in-circle predicates against exact integer arithmetic.
#include <gtest/gtest.h>

#include <random>

#include "orvelo/delaunay/predicates.h"

namespace orvelo {
namespace {

using Wide = __int128;

int sign(Wide v) { return v > 0 ? 1 : (v < 0 ? -1 : 0); }
int sign(double v) { return v > 0 ? 1 : (v < 0 ? -1 : 0); }

Wide orientExact(std::int64_t ax, std::int64_t ay, std::int64_t bx, std::int64_t by, std::int64_t cx, std::int64_t cy) {
    return static_cast<Wide>(ax - cx) * (by - cy) - static_cast<Wide>(ay - cy) * (bx - cx);
}

Wide inCircleExact(std::int64_t ax, std::int64_t ay, std::int64_t bx, std::int64_t by, std::int64_t cx,
                   std::int64_t cy, std::int64_t dx, std::int64_t dy) {
    const Wide adx = ax - dx, ady = ay - dy, bdx = bx - dx, bdy = by - dy, cdx = cx - dx, cdy = cy - dy;
    return (adx * adx + ady * ady) * (bdx * cdy - bdy * cdx) + (bdx * bdx + bdy * bdy) * (cdx * ady - cdy * adx) +
           (cdx * cdx + cdy * cdy) * (adx * bdy - ady * bdx);
}

// Integer points of up to 2^26 (exact in double, the exact determinants fit
// 128 bits) placed on and next to lines and circles, where rounding decides
// a plain evaluation.
TEST(Predicates, SignsAreExactOnNearlyDegenerateInput) {
    std::mt19937_64 random(7);
    std::uniform_int_distribution<std::int64_t> coordinate(-(1 << 26), 1 << 26);
    std::uniform_int_distribution<std::int64_t> nudge(-2, 2);
    int zeroOrient = 0, zeroCircle = 0, plainWrong = 0;
    for (int i = 0; i < 20000; ++i) {
        const std::int64_t ax = coordinate(random), ay = coordinate(random);
        const std::int64_t ux = coordinate(random) / 4096, uy = coordinate(random) / 4096;
        const std::int64_t s = nudge(random) + 5, t = nudge(random) + 9;
        // c on the line through a and b, or one unit off it.
        const std::int64_t bx = ax + s * ux, by = ay + s * uy;
        const std::int64_t cx = ax + t * ux + (i % 3 == 0 ? nudge(random) : 0), cy = ay + t * uy;
        const Wide o = orientExact(ax, ay, bx, by, cx, cy);
        zeroOrient += o == 0;
        ASSERT_EQ(sign(predicates::Orient2d(static_cast<double>(ax), static_cast<double>(ay), static_cast<double>(bx),
                                            static_cast<double>(by), static_cast<double>(cx), static_cast<double>(cy))),
                  sign(o));
        // d on the circle through three lattice points of a circle x^2 + y^2
        // = 5^2 k^2 (scaled Pythagorean triples), or one unit off.
        const std::int64_t k = coordinate(random) / 16 / 5 + 1, mx = coordinate(random) / 8, my = coordinate(random) / 8;
        const std::int64_t points[8][2] = {{3, 4}, {-3, 4}, {-4, -3}, {5, 0}, {0, -5}, {4, -3}, {-5, 0}, {3, -4}};
        const auto& p = points[i % 8];
        const auto& q = points[(i + 3) % 8];
        const auto& r = points[(i + 5) % 8];
        const auto& d = points[(i + 1) % 8];
        const std::int64_t off = i % 4 == 0 ? nudge(random) : 0;
        const std::int64_t v[8] = {mx + p[0] * k, my + p[1] * k, mx + q[0] * k, my + q[1] * k,
                                   mx + r[0] * k, my + r[1] * k, mx + d[0] * k + off, my + d[1] * k};
        const Wide c = inCircleExact(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]);
        zeroCircle += c == 0;
        {
            // What a plain double evaluation would say.
            const double adx = double(v[0] - v[6]), ady = double(v[1] - v[7]), bdx = double(v[2] - v[6]),
                         bdy = double(v[3] - v[7]), cdx = double(v[4] - v[6]), cdy = double(v[5] - v[7]);
            const double plain = (adx * adx + ady * ady) * (bdx * cdy - bdy * cdx) +
                                 (bdx * bdx + bdy * bdy) * (cdx * ady - cdy * adx) +
                                 (cdx * cdx + cdy * cdy) * (adx * bdy - ady * bdx);
            plainWrong += sign(plain) != sign(c);
        }
        ASSERT_EQ(sign(predicates::InCircle(static_cast<double>(v[0]), static_cast<double>(v[1]), static_cast<double>(v[2]),
                                            static_cast<double>(v[3]), static_cast<double>(v[4]), static_cast<double>(v[5]),
                                            static_cast<double>(v[6]), static_cast<double>(v[7]))),
                  sign(c))
            << "case " << i;
    }
    EXPECT_GT(zeroOrient, 1000);
    EXPECT_GT(zeroCircle, 1000);
    EXPECT_GT(plainWrong, 100);  // the cases are hard ones
}

TEST(Predicates, OnSegmentNeedsTheLineAndTheExtent) {
    EXPECT_TRUE(predicates::OnSegment(0, 0, 3, 3, 1, 1));
    EXPECT_TRUE(predicates::OnSegment(0, 0, 3, 3, 3, 3));
    EXPECT_FALSE(predicates::OnSegment(0, 0, 3, 3, 4, 4));
    EXPECT_FALSE(predicates::OnSegment(0, 0, 3, 3, 1, 1.0000001));
    EXPECT_TRUE(predicates::OnSegment(0.1, 0.1, 0.3, 0.3, 0.2, 0.2) ==
                (predicates::Orient2d(0.1, 0.1, 0.3, 0.3, 0.2, 0.2) == 0.0));
}

}  // namespace
}  // namespace orvelo
