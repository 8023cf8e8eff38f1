// The smallest angle the input's own geometry forces on a net.
#include "orvelo/wizard/input_angle.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "orvelo/model/declar.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
double radians(double degrees) { return degrees * kPi / 180.0; }

struct Case {
    std::string what;
    orvelo::Declar d;
    double expected;
};

void addOutline(orvelo::Declar& d, const orvelo::OutlinePiece& piece) {
    d.OutlinePieces.push_back(piece);
    d.OutlinePieceCount = static_cast<std::int16_t>(d.OutlinePieces.size() - 1);
}

void addLine(orvelo::Declar& d, double x1, double y1, double x2, double y2) {
    d.LineStart.push_back({static_cast<float>(x1), static_cast<float>(y1)});
    d.LineEnd.push_back({static_cast<float>(x2), static_cast<float>(y2)});
    d.LineCount = static_cast<std::int16_t>(d.LineStart.size() - 1);
}

orvelo::Declar square() {
    orvelo::Declar d;
    addOutline(d, orvelo::straightPiece(0, 0, 10, 0));
    addOutline(d, orvelo::straightPiece(10, 0, 10, 10));
    addOutline(d, orvelo::straightPiece(10, 10, 0, 10));
    addOutline(d, orvelo::straightPiece(0, 10, 0, 0));
    return d;
}

// A straight side from (0, 0) to (10, 0) closed by an arc back over the
// side (anticlockwise: the small arc, 20 degrees at the joints) or under it
// (clockwise: the large arc, 160 degrees).
orvelo::Declar lens(bool counterClockwise) {
    orvelo::Declar d;
    const float below = static_cast<float>(-5.0 / std::tan(radians(20)));
    addOutline(d, orvelo::straightPiece(0, 0, 10, 0));
    addOutline(d, orvelo::arcPiece(10, 0, 0, 0, 5, below, counterClockwise));
    return d;
}

std::vector<Case> cases() {
    std::vector<Case> all;
    all.push_back({"square", square(), 90.0});
    all.push_back({"small arc", lens(true), 20.0});
    all.push_back({"large arc", lens(false), 160.0});
    Case crossing{"lines crossing in their middles", square(), 25.0};
    addLine(crossing.d, 2, 5, 8, 5);
    addLine(crossing.d, 5 - 3 * std::cos(radians(25)), 5 - 3 * std::sin(radians(25)), 5 + 3 * std::cos(radians(25)),
            5 + 3 * std::sin(radians(25)));
    all.push_back(crossing);
    Case onSide{"a line ending in the middle of a side", square(), 40.0};
    addLine(onSide.d, 5, 0, 5 + 4 * std::cos(radians(140)), 4 * std::sin(radians(140)));
    all.push_back(onSide);
    Case throughOpening{"a line across an opening's arc", square(), 90.0 - 30.0};
    throughOpening.d.OpeningCount = 1;
    throughOpening.d.OpeningPieceCount.push_back(1);
    throughOpening.d.OpeningPieces.push_back(
        {orvelo::OutlinePiece{}, orvelo::arcPiece(7, 5, 7, 5, 5, 5, true)});  // a whole circle of radius 2
    addLine(throughOpening.d, 5 + 2 * std::cos(radians(30)) - 4, 5 + 2 * std::sin(radians(30)),
            5 + 2 * std::cos(radians(30)) + 1, 5 + 2 * std::sin(radians(30)));
    all.push_back(throughOpening);
    return all;
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
        place(p.X1, p.Y1);
        place(p.X2, p.Y2);
        place(p.XC, p.YC);
        if (mirror) p.Direction = !p.Direction;
    };
    for (auto& p : d.OutlinePieces) placePiece(p);
    for (auto& opening : d.OpeningPieces)
        for (auto& p : opening) placePiece(p);
    for (auto& p : d.LineStart) place(p.X, p.Y);
    for (auto& p : d.LineEnd) place(p.X, p.Y);
}

TEST(InputAngleTest, JointsArcTangentsAndCrossingsCountWhereverTheSlabLies) {
    std::mt19937 random(43);
    std::uniform_real_distribution<double> turn(0.0, 2.0 * kPi), shift(-500.0, 500.0);
    for (const Case& c : cases()) {
        EXPECT_NEAR(orvelo::SmallestInputAngle(c.d), c.expected, 1e-3) << c.what;
        for (int k = 0; k < 20; ++k) {
            orvelo::Declar moved = c.d;
            move(moved, turn(random), k % 2 == 1, shift(random), shift(random));
            EXPECT_NEAR(orvelo::SmallestInputAngle(moved), c.expected, 1e-2) << c.what << ", moved " << k;
        }
    }
}

}  // namespace
