// The plate elements against deflection fields whose moments and shear
// forces are known in closed form.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>

#include "orvelo/forces/plate_elements.h"
#include "orvelo/forces/plate_test_support.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/temp_folder.h"

using forcestest::Field;
using forcestest::netWithField;
using orvelo::InternalForcesData;

namespace {

float triangleQx(const InternalForcesData& net, std::array<std::int16_t, 5> corners, float d = 0.3f,
                 float e = 3.0e7f, float nu = 0.2f) {
    std::vector<float> values;
    orvelo::TrianglePlateForces(d, e, nu, corners, values, net);
    EXPECT_EQ(values.size(), 4u);
    EXPECT_EQ(values[1], values[2]);
    EXPECT_EQ(values[1], values[3]);
    return values[1];
}

}  // namespace

// ---- triangle ----

TEST(TrianglePlate, QuadraticFieldsGiveNoShear) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> coef(-1.0, 1.0), coord(-3.0, 3.0);
    int tested = 0;
    while (tested < 50) {
        const std::vector<std::pair<double, double>> p = {
            {coord(rng), coord(rng)}, {coord(rng), coord(rng)}, {coord(rng), coord(rng)}};
        // Only reasonably shaped triangles: single-precision rounding of the
        // nodal values grows with the inverse cube of the element's height.
        double longest = 0.0;
        for (int i = 0; i < 3; ++i)
            longest = std::max(longest, std::hypot(p[i].first - p[(i + 1) % 3].first,
                                                   p[i].second - p[(i + 1) % 3].second));
        const double area = std::fabs((p[1].first - p[0].first) * (p[2].second - p[0].second) -
                                      (p[2].first - p[0].first) * (p[1].second - p[0].second)) /
                            2;
        const double height = 2 * area / longest;
        if (height < 0.3 * longest || longest < 1.0) continue;
        ++tested;
        Field f;
        for (int m = 0; m < 6; ++m) f.c[m] = coef(rng);
        const auto net = netWithField(p, f);
        double magnitude = 0.0;
        for (int k = 1; k <= 3; ++k)
            magnitude = std::max({magnitude, std::fabs(double{net.NodalDeflection[k]}),
                                  longest * std::fabs(net.NodalRotationX[k]),
                                  longest * std::fabs(net.NodalRotationY[k])});
        const float rigidity = orvelo::FlexuralRigidity(0.3f, 3.0e7f, 0.2f);
        EXPECT_NEAR(triangleQx(net, {0, 1, 2, 3, 0}) / rigidity, 0.0,
                    1e-4 * magnitude / std::pow(height, 3))
            << tested;
    }
}

TEST(TrianglePlate, CubicExamplesOnTheUnitTriangle) {
    const float d = 0.25f, e = 2.0e6f, nu = 0.3f;
    const double rigidity = orvelo::FlexuralRigidity(d, e, nu);
    EXPECT_NEAR(rigidity, d * d * d * e / (12.0 * (1.0 - nu * nu)), 1e-6 * rigidity);
    Field cube;  // w = x^3
    cube.c[6] = 1.0;
    Field xyy;  // w = x y^2
    xyy.c[8] = 1.0;
    const std::vector<std::pair<double, double>> unit = {{0, 0}, {1, 0}, {0, 1}};
    EXPECT_NEAR(triangleQx(netWithField(unit, cube), {0, 1, 2, 3, 0}, d, e, nu), -8.0 * rigidity,
                1e-5 * rigidity);
    EXPECT_NEAR(triangleQx(netWithField(unit, xyy), {0, 1, 2, 3, 0}, d, e, nu), -1.0 * rigidity,
                1e-5 * rigidity);
}

TEST(TrianglePlate, RenumberingTheCornersChangesNothing) {
    Field f;
    f.c = {0.1, -0.2, 0.3, 0.05, -0.4, 0.2, 0.7, -0.3, 0.9, 0.2, 0, 0};
    const auto net = netWithField({{0.3, -0.2}, {2.1, 0.4}, {0.9, 1.7}}, f);
    const float reference = triangleQx(net, {0, 1, 2, 3, 0});
    std::array<std::int16_t, 3> order = {1, 2, 3};
    do {
        EXPECT_NEAR(triangleQx(net, {0, order[0], order[1], order[2], 0}), reference,
                    1e-4 * std::fabs(reference))
            << order[0] << order[1] << order[2];
    } while (std::next_permutation(order.begin(), order.end()));
}

TEST(TrianglePlate, DegenerateElementsAndBadNodesRaise) {
    Field f;
    f.c[6] = 1.0;
    const auto line = netWithField({{0, 0}, {1, 1}, {2, 2}}, f);
    EXPECT_EQ(errorNumberOf([&] { triangleQx(line, {0, 1, 2, 3, 0}); }), 11);
    const auto good = netWithField({{0, 0}, {1, 0}, {0, 1}}, f);
    EXPECT_EQ(errorNumberOf([&] { triangleQx(good, {0, 1, 2, 4, 0}); }), 9);
    EXPECT_EQ(errorNumberOf([&] { triangleQx(good, {0, 1, 2, 3, 0}, 0.3f, 3e7f, 1.0f); }), 11);
}

// ---- rectangle ----

TEST(QuadPlate, MomentMatrixRowsOfCornerOne) {
    // a = 2, b = 3, nu = 0.2: the rows of corner 1 in closed form.
    const auto s = orvelo::QuadMomentMatrix(2.0f, 3.0f, 0.2f);
    const float mx[13] = {0, 9.8f, 12, 1.6f, -9, 6, 0, 0, 0, 0, -0.8f, 0, 0.8f};
    const float my[13] = {0, 5.8f, 2.4f, 8, -1.8f, 1.2f, 0, 0, 0, 0, -4, 0, 4};
    const float mxy[13] = {0, -0.8f, -1.6f, -2.4f, 0.8f, 0, 2.4f, -0.8f, 0, 0, 0.8f, 1.6f, 0};
    for (int j = 1; j <= 12; ++j) {
        EXPECT_NEAR(s[1][j], mx[j], 1e-5) << "mx column " << j;
        EXPECT_NEAR(s[2][j], my[j], 1e-5) << "my column " << j;
        EXPECT_NEAR(s[3][j], mxy[j], 1e-5) << "mxy column " << j;
    }
    int nonZero = 0;
    for (int r = 1; r <= 12; ++r)
        for (int j = 1; j <= 12; ++j) nonZero += s[r][j] != 0.0f;
    EXPECT_EQ(nonZero, 88);
}

TEST(QuadPlate, CornerMomentsAreExactForFieldsOfTheElement) {
    const float rigidity = 1.7e4f, nu = 0.25f;
    // Offset rectangles in both orientations of the sides.
    const struct {
        double x1, y1, a, b;
    } cases[] = {{1.5, -0.5, 2.0, 3.0}, {4.0, 2.0, -1.5, 2.5}, {0.0, 0.0, 1.0, -0.75}};
    for (const auto& r : cases) {
        for (int m = 0; m < 12; ++m) {
            Field f;
            f.c[m] = 1.0;
            f.c[0] = 0.5;  // a rigid lift never matters
            const double cx[5] = {0, r.x1, r.x1 + r.a, r.x1 + r.a, r.x1};
            const double cy[5] = {0, r.y1, r.y1, r.y1 + r.b, r.y1 + r.b};
            std::array<float, 13> dofs{};
            for (int k = 1; k <= 4; ++k) {
                dofs[3 * k - 2] = static_cast<float>(f.w(cx[k], cy[k]));
                dofs[3 * k - 1] = static_cast<float>(f.d(1, 0, cx[k], cy[k]));
                dofs[3 * k] = static_cast<float>(f.d(0, 1, cx[k], cy[k]));
            }
            const auto moments = orvelo::QuadCornerMoments(
                static_cast<float>(r.a), static_cast<float>(r.b), rigidity, nu, dofs);
            for (int k = 1; k <= 4; ++k) {
                const double wxx = f.d(2, 0, cx[k], cy[k]), wyy = f.d(0, 2, cx[k], cy[k]),
                             wxy = f.d(1, 1, cx[k], cy[k]);
                const double tol = 2e-4 * rigidity *
                                   (1.0 + std::fabs(f.d(2, 0, cx[k], cy[k])) + std::fabs(wyy) +
                                    std::fabs(wxy) + 10.0);
                EXPECT_NEAR(moments[3 * k - 2], -rigidity * (wxx + nu * wyy), tol)
                    << "monomial " << m << " corner " << k;
                EXPECT_NEAR(moments[3 * k - 1], -rigidity * (wyy + nu * wxx), tol)
                    << "monomial " << m << " corner " << k;
                EXPECT_NEAR(moments[3 * k], rigidity * (1 - nu) * wxy, tol)
                    << "monomial " << m << " corner " << k;
            }
        }
    }
}

TEST(QuadPlate, IndicatorOfLinearAndCurvedFields) {
    const float d = 0.4f, e = 3.0e7f, nu = 0.2f;
    const std::vector<std::pair<double, double>> rect = {{1, 1}, {3, 1}, {3, 2.5}, {1, 2.5}};
    Field linear;
    linear.c = {0.01, -0.002, 0.003};
    std::vector<float> values;
    orvelo::QuadPlateForces(d, e, nu, {0, 1, 2, 3, 4}, values, netWithField(rect, linear));
    ASSERT_EQ(values.size(), 5u);
    std::vector<float> linearValues = values;

    // A field of constant curvature: every corner carries the closed form.
    Field bowl;
    bowl.c[3] = 1e-3;
    bowl.c[4] = -4e-4;
    bowl.c[5] = 2e-3;
    orvelo::QuadPlateForces(d, e, nu, {0, 1, 2, 3, 4}, values, netWithField(rect, bowl));
    const double rigidity = orvelo::FlexuralRigidity(d, e, nu);
    const double mx = -rigidity * (2e-3 + nu * 4e-3), my = -rigidity * (4e-3 + nu * 2e-3),
                 mxy = rigidity * (1 - nu) * -4e-4;
    const double c = d * d * d * 12.0 * (1 - nu * nu) / e;
    const double expected =
        500000.0 * c *
        ((mx * mx + my * my - nu * (1 + nu) * mx * my) / (1 - nu * nu) + 2 * mxy * mxy / (1 - nu));
    for (int k = 1; k <= 4; ++k) EXPECT_NEAR(values[k], expected, 1e-3 * expected) << k;
    // The linear field leaves only the rounding of single precision.
    for (int k = 1; k <= 4; ++k) EXPECT_NEAR(linearValues[k], 0.0, 1e-6 * expected) << k;
}

TEST(QuadPlate, OwnFrameAndCornerThree) {
    // The same element and field, once axis-parallel, once turned and moved:
    // the indicators agree corner by corner.
    const float d = 0.3f, e = 2.5e7f, nu = 0.15f;
    Field local;
    local.c = {0.0, 1e-3, -2e-3, 3e-3, -1e-3, 2e-3, 5e-4, -7e-4, 4e-4, 6e-4, 2e-4, -3e-4};
    const std::vector<std::pair<double, double>> straight = {{0, 0}, {2, 0}, {2, 1.5}, {0, 1.5}};
    std::vector<float> reference;
    orvelo::QuadPlateForces(d, e, nu, {0, 1, 2, 3, 4}, reference, netWithField(straight, local));

    for (const double angle : {0.5, 1.5707963267948966, 2.6, -2.0}) {
        const double c = std::cos(angle), s = std::sin(angle), ox = 10.0, oy = -4.0;
        // Nodes turned by angle about the origin, then moved to (ox, oy).
        InternalForcesData net;
        net.CalcNodeCount = 4;
        net.CalcNodeX.assign(5, 0.0f);
        net.CalcNodeY.assign(5, 0.0f);
        net.NodalDeflection.assign(5, 0.0f);
        net.NodalRotationX.assign(5, 0.0f);
        net.NodalRotationY.assign(5, 0.0f);
        for (int k = 1; k <= 4; ++k) {
            const auto [lx, ly] = straight[k - 1];
            net.CalcNodeX[k] = static_cast<float>(ox + c * lx - s * ly);
            net.CalcNodeY[k] = static_cast<float>(oy + s * lx + c * ly);
            const double gx = local.d(1, 0, lx, ly), gy = local.d(0, 1, lx, ly);
            net.NodalDeflection[k] = static_cast<float>(local.w(lx, ly));
            net.NodalRotationX[k] = static_cast<float>(c * gx - s * gy);
            net.NodalRotationY[k] = static_cast<float>(s * gx + c * gy);
        }
        std::vector<float> turned;
        orvelo::QuadPlateForces(d, e, nu, {0, 1, 2, 3, 4}, turned, net);
        for (int k = 1; k <= 4; ++k)
            EXPECT_NEAR(turned[k], reference[k], 2e-3 * std::fabs(reference[k]) + 1e-6)
                << angle << " corner " << k;
    }

    // Corner 3 is never read.
    auto net = netWithField(straight, local);
    net.CalcNodeX[3] = 7.0f;
    net.CalcNodeY[3] = -3.0f;
    std::vector<float> moved;
    orvelo::QuadPlateForces(d, e, nu, {0, 1, 2, 3, 4}, moved, net);
    EXPECT_EQ(moved, reference);
}

TEST(QuadPlate, DegenerateInputsRaise) {
    Field f;
    f.c[3] = 1.0;
    std::vector<float> values;
    // Corners 1 and 2 coincide: no frame.
    const auto collapsed = netWithField({{0, 0}, {0, 0}, {1, 1}, {0, 1}}, f);
    EXPECT_EQ(errorNumberOf([&] {
                  orvelo::QuadPlateForces(0.3f, 3e7f, 0.2f, {0, 1, 2, 3, 4}, values, collapsed);
              }),
              11);
    // Corner 4 on the line of side 1->2.
    const auto flat = netWithField({{0, 0}, {1, 0}, {1, 1}, {2, 0}}, f);
    EXPECT_EQ(errorNumberOf([&] {
                  orvelo::QuadPlateForces(0.3f, 3e7f, 0.2f, {0, 1, 2, 3, 4}, values, flat);
              }),
              11);
    // An all-zero slab group.
    const auto rect = netWithField({{0, 0}, {1, 0}, {1, 1}, {0, 1}}, f);
    EXPECT_EQ(errorNumberOf([&] {
                  orvelo::QuadPlateForces(0.0f, 0.0f, 0.0f, {0, 1, 2, 3, 4}, values, rect);
              }),
              11);
    EXPECT_EQ(errorNumberOf([&] {
                  orvelo::QuadPlateForces(0.3f, 3e7f, 0.2f, {0, 1, 2, 3, 5}, values, rect);
              }),
              9);
}
