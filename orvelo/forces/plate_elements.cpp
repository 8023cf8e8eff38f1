#include "orvelo/forces/plate_elements.h"

#include <cmath>

#include "orvelo/forces/float_checks.h"
#include "platform/runtime/errors.h"

namespace orvelo {

using forces::checkedDivide;
using forces::checkedSingle;
using forces::checkedValue;

namespace {

// The calculation-net index of a corner node; error 9 when the node lies
// outside the net or its nodal values.
std::size_t nodeIndex(const InternalForcesData& net, std::int16_t node) {
    const auto n = static_cast<std::size_t>(node);
    if (node < 1 || node > net.CalcNodeCount || n >= net.CalcNodeX.size() ||
        n >= net.CalcNodeY.size() || n >= net.NodalDeflection.size() ||
        n >= net.NodalRotationX.size() || n >= net.NodalRotationY.size()) {
        rt::raise(9);
    }
    return n;
}

// ---- triangle ----

// Third derivatives of the triangle's shape functions in the skew
// coordinates xi (along 1->2) and eta (along 1->3), per freedom
// (w, w,xi, w,eta of corners 1, 2, 3).
constexpr int kWxixixi[9] = {12, 6, 0, -12, 6, 0, 0, 0, 0};
constexpr int kWetaetaeta[9] = {12, 0, 6, 0, 0, 0, -12, 0, 6};
constexpr int kWxixieta[9] = {8, 3, 1, -4, 2, 1, -4, -1, 2};
constexpr int kWxietaeta[9] = {8, 1, 3, -4, 2, -1, -4, 1, 2};

float skewSum(const int (&table)[9], const std::array<float, 10>& dofs) {
    float sum = 0.0f;
    for (int i = 0; i < 9; ++i)
        sum = checkedSingle(sum + static_cast<float>(table[i]) * dofs[i + 1]);
    return sum;
}

// ---- rectangle ----

// Second derivatives (xi,xi / eta,eta / xi,eta) at the four corners of the
// unit square of the rectangle's field, per freedom in normalised form
// (w, w,xi, w,eta per corner). The field is
// w = a1 + a2 xi + a3 eta + a4 xi^2 + a5 xi eta + a6 eta^2 + a7 xi^3
//     + a8 xi^2 eta + a9 xi eta^2 + a10 eta^3 + a11 xi^3 eta + a12 xi eta^3,
// fitted to the twelve corner values once.
struct UnitSquareCurvatures {
    double xx[4][12];
    double yy[4][12];
    double xy[4][12];
};

constexpr int kPowX[12] = {0, 1, 0, 2, 1, 0, 3, 2, 1, 0, 3, 1};
constexpr int kPowY[12] = {0, 0, 1, 0, 1, 2, 0, 1, 2, 3, 1, 3};
constexpr double kCornerXi[4] = {0, 1, 1, 0};
constexpr double kCornerEta[4] = {0, 0, 1, 1};

double power(double x, int e) {
    if (e < 0) return 0.0;
    double r = 1.0;
    for (int i = 0; i < e; ++i) r *= x;
    return r;
}

// d^p/dxi^p d^q/deta^q of monomial m at (xi, eta).
double monomialDerivative(int m, int p, int q, double xi, double eta) {
    double c = 1.0;
    for (int i = 0; i < p; ++i) c *= kPowX[m] - i;
    for (int i = 0; i < q; ++i) c *= kPowY[m] - i;
    if (c == 0.0) return 0.0;
    return c * power(xi, kPowX[m] - p) * power(eta, kPowY[m] - q);
}

UnitSquareCurvatures makeUnitSquareCurvatures() {
    // A(row, m): freedom `row` of monomial m; inverted by Gauss-Jordan.
    double a[12][24] = {};
    for (int k = 0; k < 4; ++k) {
        for (int m = 0; m < 12; ++m) {
            a[3 * k][m] = monomialDerivative(m, 0, 0, kCornerXi[k], kCornerEta[k]);
            a[3 * k + 1][m] = monomialDerivative(m, 1, 0, kCornerXi[k], kCornerEta[k]);
            a[3 * k + 2][m] = monomialDerivative(m, 0, 1, kCornerXi[k], kCornerEta[k]);
        }
    }
    for (int i = 0; i < 12; ++i) a[i][12 + i] = 1.0;
    for (int col = 0; col < 12; ++col) {
        int pivot = col;
        for (int r = col + 1; r < 12; ++r)
            if (std::fabs(a[r][col]) > std::fabs(a[pivot][col])) pivot = r;
        for (int c = 0; c < 24; ++c) std::swap(a[col][c], a[pivot][c]);
        const double p = a[col][col];
        for (int c = 0; c < 24; ++c) a[col][c] /= p;
        for (int r = 0; r < 12; ++r) {
            if (r == col || a[r][col] == 0.0) continue;
            const double f = a[r][col];
            for (int c = 0; c < 24; ++c) a[r][c] -= f * a[col][c];
        }
    }
    // Coefficient m of the field for a unit freedom j is inverse(m, j).
    UnitSquareCurvatures k{};
    for (int corner = 0; corner < 4; ++corner) {
        for (int j = 0; j < 12; ++j) {
            double xx = 0.0, yy = 0.0, xy = 0.0;
            for (int m = 0; m < 12; ++m) {
                const double coef = a[m][12 + j];
                xx += coef * monomialDerivative(m, 2, 0, kCornerXi[corner], kCornerEta[corner]);
                yy += coef * monomialDerivative(m, 0, 2, kCornerXi[corner], kCornerEta[corner]);
                xy += coef * monomialDerivative(m, 1, 1, kCornerXi[corner], kCornerEta[corner]);
            }
            // The coefficients are whole numbers; drop the solver's rounding.
            k.xx[corner][j] = std::round(xx);
            k.yy[corner][j] = std::round(yy);
            k.xy[corner][j] = std::round(xy);
        }
    }
    return k;
}

const UnitSquareCurvatures& unitSquareCurvatures() {
    static const UnitSquareCurvatures k = makeUnitSquareCurvatures();
    return k;
}

}  // namespace

float FlexuralRigidity(float thickness, float modulus, float poisson) {
    const double d = thickness;
    const double nu = poisson;
    return checkedSingle(
        checkedDivide(d * d * d * static_cast<double>(modulus), (1.0 - nu * nu) * 12.0));
}

void TrianglePlateForces(float thickness, float modulus, float poisson,
                         const std::array<std::int16_t, 5>& cornerNodes,
                         std::vector<float>& cornerValues, const InternalForcesData& net) {
    const std::size_t n1 = nodeIndex(net, cornerNodes[1]);
    const std::size_t n2 = nodeIndex(net, cornerNodes[2]);
    const std::size_t n3 = nodeIndex(net, cornerNodes[3]);

    // 1. Flexural rigidity.
    const double d = FlexuralRigidity(thickness, modulus, poisson);

    // 2. Side vectors from corner 1 and twice the signed area.
    const double x21 = static_cast<double>(net.CalcNodeX[n2]) - net.CalcNodeX[n1];
    const double x31 = static_cast<double>(net.CalcNodeX[n3]) - net.CalcNodeX[n1];
    const double y21 = static_cast<double>(net.CalcNodeY[n2]) - net.CalcNodeY[n1];
    const double y31 = static_cast<double>(net.CalcNodeY[n3]) - net.CalcNodeY[n1];
    const double j = x21 * y31 - x31 * y21;

    // 3. Derivatives of the skew coordinates.
    const double xiX = checkedDivide(y31, j);
    const double xiY = checkedDivide(-x31, j);
    const double etaX = checkedDivide(-y21, j);
    const double etaY = checkedDivide(x21, j);

    // 4. Freedoms in skew form: w, slope along 1->2, slope along 1->3.
    std::array<float, 10> dofs{};
    const std::size_t corners[3] = {n1, n2, n3};
    for (int k = 0; k < 3; ++k) {
        const std::size_t n = corners[k];
        const double rx = net.NodalRotationX[n];
        const double ry = net.NodalRotationY[n];
        dofs[3 * k + 1] = net.NodalDeflection[n];
        dofs[3 * k + 2] = checkedSingle(x21 * rx + y21 * ry);
        dofs[3 * k + 3] = checkedSingle(x31 * rx + y31 * ry);
    }

    // 5. Third derivatives in skew coordinates.
    const double f1 = skewSum(kWxixixi, dofs);
    const double f2 = skewSum(kWetaetaeta, dofs);
    const double f3 = skewSum(kWxixieta, dofs);
    const double f4 = skewSum(kWxietaeta, dofs);

    // 6. Chain rule to x, y.
    const double a = xiX, b = etaX, c = xiY, e = etaY;
    const double wxxx = a * a * a * f1 + 3 * a * a * b * f3 + 3 * a * b * b * f4 + b * b * b * f2;
    const double wxyy = a * c * c * f1 + (2 * a * c * e + b * c * c) * f3 +
                        (a * e * e + 2 * b * c * e) * f4 + b * e * e * f2;

    // 7. Qx at every corner.
    const float qx = checkedSingle(-d * checkedValue(wxxx + wxyy));
    cornerValues.assign(4, 0.0f);
    cornerValues[1] = cornerValues[2] = cornerValues[3] = qx;
}

QuadMatrix QuadMomentMatrix(float a, float b, float poisson) {
    const UnitSquareCurvatures& k = unitSquareCurvatures();
    const double nu = poisson;
    const double rho = checkedDivide(a, b);
    const double invRho = checkedDivide(1.0, rho);
    const double scale[3] = {1.0, a, b};  // normalised slope = length x slope
    QuadMatrix s{};
    for (int corner = 0; corner < 4; ++corner) {
        for (int j = 0; j < 12; ++j) {
            const double kxx = k.xx[corner][j] * scale[j % 3];
            const double kyy = k.yy[corner][j] * scale[j % 3];
            const double kxy = k.xy[corner][j] * scale[j % 3];
            s[3 * corner + 1][j + 1] = checkedSingle(-(kxx * invRho + nu * rho * kyy));
            s[3 * corner + 2][j + 1] = checkedSingle(-(kyy * rho + nu * invRho * kxx));
            s[3 * corner + 3][j + 1] = checkedSingle((1.0 - nu) * kxy);
        }
    }
    return s;
}

std::array<float, 13> QuadCornerMoments(float a, float b, float rigidity, float poisson,
                                        const std::array<float, 13>& dofs) {
    QuadMatrix s = QuadMomentMatrix(a, b, poisson);
    for (int r = 1; r <= 12; ++r)
        for (int j = 1; j <= 12; ++j)
            if (s[r][j] != 0.0f)
                s[r][j] = checkedSingle(
                    checkedDivide(checkedDivide(static_cast<double>(rigidity) * s[r][j], a), b));
    std::array<float, 13> moments{};
    for (int r = 1; r <= 12; ++r) {
        float sum = 0.0f;
        for (int j = 1; j <= 12; ++j) sum = checkedSingle(sum + s[r][j] * dofs[j]);
        moments[r] = sum;
    }
    return moments;
}

float QuadEnergyIndicator(float thickness, float modulus, float poisson, float mx, float my,
                          float mxy) {
    const double d = thickness;
    const double nu = poisson;
    const double oneMinusNu2 = 1.0 - nu * nu;
    const double c = checkedDivide(d * d * d * 12.0 * oneMinusNu2, modulus);
    const double m[3][3] = {
        {checkedDivide(-1.0, oneMinusNu2) * c, checkedDivide(nu * nu, oneMinusNu2) * c, 0.0},
        {checkedDivide(-nu, oneMinusNu2) * c, checkedDivide(1.0, oneMinusNu2) * c, 0.0},
        {0.0, 0.0, checkedDivide(2.0, 1.0 - nu) * c}};
    const float moments[3] = {mx, my, mxy};
    double aj[3];
    for (int j = 0; j < 3; ++j) {
        float sum = 0.0f;
        for (int i = 0; i < 3; ++i)
            sum = checkedSingle(sum + static_cast<float>(m[j][i]) * moments[i]);
        aj[j] = sum;
    }
    return checkedSingle(500000.0 * checkedValue(-mx * aj[0] + my * aj[1] + mxy * aj[2]));
}

void QuadPlateForces(float thickness, float modulus, float poisson,
                     const std::array<std::int16_t, 5>& cornerNodes,
                     std::vector<float>& cornerValues, const InternalForcesData& net) {
    std::size_t n[5] = {};
    for (int k = 1; k <= 4; ++k) n[k] = nodeIndex(net, cornerNodes[k]);

    const float x1 = net.CalcNodeX[n[1]], y1 = net.CalcNodeY[n[1]];
    const float x2 = net.CalcNodeX[n[2]], y2 = net.CalcNodeY[n[2]];
    const float x4 = net.CalcNodeX[n[4]], y4 = net.CalcNodeY[n[4]];

    // The element's lengths and the turn of the slopes into its frame:
    // local x along (cosT, sinT), local y along (-sinT, cosT).
    float a, b;
    double cosT = 1.0, sinT = 0.0;
    if (y2 == y1 && x4 == x1) {
        a = checkedSingle(static_cast<double>(x2) - x1);
        b = checkedSingle(static_cast<double>(y4) - y1);
    } else {
        const double dx = static_cast<double>(x2) - x1;
        const double dy = static_cast<double>(y2) - y1;
        const double length = std::hypot(dx, dy);
        cosT = checkedDivide(dx, length);
        sinT = checkedDivide(dy, length);
        a = checkedSingle(length);
        b = checkedSingle(-sinT * (static_cast<double>(x4) - x1) +
                          cosT * (static_cast<double>(y4) - y1));
    }
    if (a == 0.0f || b == 0.0f) rt::raise(11);

    // 1. Freedoms: w, dw/dx, dw/dy per corner (in the element's frame).
    std::array<float, 13> dofs{};
    for (int k = 1; k <= 4; ++k) {
        const double rx = net.NodalRotationX[n[k]];
        const double ry = net.NodalRotationY[n[k]];
        dofs[3 * k - 2] = net.NodalDeflection[n[k]];
        if (cosT == 1.0 && sinT == 0.0) {
            dofs[3 * k - 1] = net.NodalRotationX[n[k]];
            dofs[3 * k] = net.NodalRotationY[n[k]];
        } else {
            dofs[3 * k - 1] = checkedSingle(cosT * rx + sinT * ry);
            dofs[3 * k] = checkedSingle(-sinT * rx + cosT * ry);
        }
    }

    // 2.-4. Corner moments.
    const float rigidity = FlexuralRigidity(thickness, modulus, poisson);
    const std::array<float, 13> r = QuadCornerMoments(a, b, rigidity, poisson, dofs);

    // 5.-6. The indicator per corner.
    cornerValues.assign(5, 0.0f);
    for (int k = 1; k <= 4; ++k)
        cornerValues[k] =
            QuadEnergyIndicator(thickness, modulus, poisson, r[3 * k - 2], r[3 * k - 1], r[3 * k]);
}

}  // namespace orvelo
