// Deflection fields and small calculation nets for the plate-element tests.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "orvelo/forces/forces_data.h"

namespace forcestest {

// w = sum of c[m] x^px[m] y^py[m] over the monomials of the rectangle's
// field (1, x, y, x^2, xy, y^2, x^3, x^2y, xy^2, y^3, x^3y, xy^3).
struct Field {
    std::array<double, 12> c{};
    static constexpr int px[12] = {0, 1, 0, 2, 1, 0, 3, 2, 1, 0, 3, 1};
    static constexpr int py[12] = {0, 0, 1, 0, 1, 2, 0, 1, 2, 3, 1, 3};

    static double pw(double v, int e) { return e < 0 ? 0.0 : std::pow(v, e); }
    // d^p/dx^p d^q/dy^q of w at (x, y).
    double d(int p, int q, double x, double y) const {
        double sum = 0.0;
        for (int m = 0; m < 12; ++m) {
            double f = c[m];
            for (int i = 0; i < p; ++i) f *= px[m] - i;
            for (int i = 0; i < q; ++i) f *= py[m] - i;
            if (f != 0.0) sum += f * pw(x, px[m] - p) * pw(y, py[m] - q);
        }
        return sum;
    }
    double w(double x, double y) const { return d(0, 0, x, y); }
};

// A calculation net whose nodes carry a field's w and slopes.
inline orvelo::InternalForcesData netWithField(const std::vector<std::pair<double, double>>& points,
                                               const Field& f) {
    orvelo::InternalForcesData net;
    const auto n = static_cast<std::int16_t>(points.size());
    net.CalcNodeCount = n;
    net.CalcNodeX.assign(n + 1, 0.0f);
    net.CalcNodeY.assign(n + 1, 0.0f);
    net.NodalDeflection.assign(n + 1, 0.0f);
    net.NodalRotationX.assign(n + 1, 0.0f);
    net.NodalRotationY.assign(n + 1, 0.0f);
    for (int i = 1; i <= n; ++i) {
        const auto [x, y] = points[i - 1];
        net.CalcNodeX[i] = static_cast<float>(x);
        net.CalcNodeY[i] = static_cast<float>(y);
        const double xs = net.CalcNodeX[i], ys = net.CalcNodeY[i];
        net.NodalDeflection[i] = static_cast<float>(f.w(xs, ys));
        net.NodalRotationX[i] = static_cast<float>(f.d(1, 0, xs, ys));
        net.NodalRotationY[i] = static_cast<float>(f.d(0, 1, xs, ys));
    }
    return net;
}

}  // namespace forcestest
