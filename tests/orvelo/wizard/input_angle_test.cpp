// The smallest angle the input's own geometry forces on a net.
#include "orvelo/wizard/input_angle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <string>

#include "orvelo/model/declar.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
double radians(double degrees) { return degrees * kPi / 180.0; }
double c(double degrees) { return std::cos(radians(degrees)); }
double s(double degrees) { return std::sin(radians(degrees)); }

// A 10 x 10 square, or (lens) a side from (0, 0) to (10, 0) closed by an arc
// over it (anticlockwise: 20 degrees at the joints) or under it (160); lines;
// a whole circle of radius 2 around (5, 5) as an opening.
orvelo::Declar input(int lens, const std::vector<std::array<double, 4>>& lines, bool opening) {
    orvelo::Declar d;
    if (lens != 0) {
        d.OutlinePieces.push_back(orvelo::straightPiece(0, 0, 10, 0));
        d.OutlinePieces.push_back(orvelo::arcPiece(10, 0, 0, 0, 5, static_cast<float>(-5.0 / std::tan(radians(20))), lens > 0));
    } else {
        const float x[4] = {0, 10, 10, 0}, y[4] = {0, 0, 10, 10};
        for (int k = 0; k < 4; ++k) d.OutlinePieces.push_back(orvelo::straightPiece(x[k], y[k], x[(k + 1) % 4], y[(k + 1) % 4]));
    }
    d.OutlinePieceCount = static_cast<std::int16_t>(d.OutlinePieces.size() - 1);
    for (const auto& l : lines)
        d.LineStart.push_back({static_cast<float>(l[0]), static_cast<float>(l[1])}),
            d.LineEnd.push_back({static_cast<float>(l[2]), static_cast<float>(l[3])});
    d.LineCount = static_cast<std::int16_t>(lines.size());
    if (opening) {
        d.OpeningCount = 1;
        d.OpeningPieceCount = {0, 1};
        d.OpeningPieces.push_back({orvelo::OutlinePiece{}, orvelo::arcPiece(7, 5, 7, 5, 5, 5, true)});
    }
    return d;
}

// Moved, turned or mirrored (the arcs' direction with it), the input forces
// the same angle.
void move(orvelo::Declar& d, double turn, bool mirror, double dx, double dy) {
    const auto place = [&](float& x, float& y) {
        const double mx = x, my = mirror ? -y : y;
        x = static_cast<float>(mx * std::cos(turn) - my * std::sin(turn) + dx);
        y = static_cast<float>(mx * std::sin(turn) + my * std::cos(turn) + dy);
    };
    const auto placePiece = [&](orvelo::OutlinePiece& p) {
        place(p.X1, p.Y1), place(p.X2, p.Y2), place(p.XC, p.YC), p.Direction = p.Direction != mirror;
    };
    for (auto& p : d.OutlinePieces) placePiece(p);
    for (auto& opening : d.OpeningPieces) std::for_each(opening.begin(), opening.end(), placePiece);
    for (std::size_t k = 0; k < d.LineStart.size(); ++k) place(d.LineStart[k].X, d.LineStart[k].Y), place(d.LineEnd[k].X, d.LineEnd[k].Y);
}

TEST(InputAngleTest, JointsArcTangentsAndCrossingsCountWhereverTheSlabLies) {
    const struct {
        const char* what;
        orvelo::Declar d;
        double expected;
    } cases[] = {
        {"square", input(0, {}, false), 90},
        {"small arc", input(1, {}, false), 20},
        {"large arc", input(-1, {}, false), 160},
        {"lines crossing in their middles", input(0, {{2, 5, 8, 5}, {5 - 3 * c(25), 5 - 3 * s(25), 5 + 3 * c(25), 5 + 3 * s(25)}}, false), 25},
        {"a line ending in the middle of a side", input(0, {{5, 0, 5 + 4 * c(140), 4 * s(140)}}, false), 40},
        {"a line across an opening's arc", input(0, {{1 + 2 * c(30), 5 + 2 * s(30), 6 + 2 * c(30), 5 + 2 * s(30)}}, true), 60},
    };
    std::mt19937 random(43);
    std::uniform_real_distribution<double> turn(0.0, 2.0 * kPi), shift(-500.0, 500.0);
    for (const auto& k : cases) {
        EXPECT_NEAR(orvelo::SmallestInputAngle(k.d), k.expected, 1e-3) << k.what;
        for (int n = 0; n < 20; ++n) {
            orvelo::Declar moved = k.d;
            move(moved, turn(random), n % 2 == 1, shift(random), shift(random));
            EXPECT_NEAR(orvelo::SmallestInputAngle(moved), k.expected, 1e-2) << k.what << ", moved " << n;
        }
    }
}

}  // namespace
