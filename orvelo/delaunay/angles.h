// Angles of a triangle for the quality tests of the meshers.
#pragma once

#include <cmath>
#include <cstdint>

namespace orvelo {

// `TriangleAngleCosines`: the cosines of the angles at the corners
// (x1, y1), (x2, y2), (x3, y3), and in longest the corner (1..3) opposite the
// longest side (the lower corner among equal sides). Side lengths are
// rounded to Single. A triangle with a side of length 0 counts as having an
// angle of 0 degrees opposite that side and 90 at the other two corners, and
// makes the notice "An element has a side of length zero." appear, once per
// operation (a plain OK box without icon or title).
void TriangleAngleCosines(float x1, float x2, float x3, float y1, float y2, float y3, double& cos1,
                          double& cos2, double& cos3, std::int16_t& longest);
// TriangleAngleCosines without the notice; true when the product of the
// side lengths rounds to 0 (a side of length zero, or sides too short).
bool TriangleAngleCosinesQuiet(float x1, float x2, float x3, float y1, float y2, float y3, double& cos1,
                               double& cos2, double& cos3, std::int16_t& longest);

namespace detail {

// A side length as the angle tests take it: in double precision, rounded to
// Single.
inline float SideLength(float xa, float ya, float xb, float yb) {
    const double dx = static_cast<double>(xb) - xa;
    const double dy = static_cast<double>(yb) - ya;
    return static_cast<float>(std::sqrt(dx * dx + dy * dy));
}

// The cosines of TriangleAngleCosines from the corners and the three side
// lengths (none of them 0).
inline void AngleCosines(double x1, double x2, double x3, double y1, double y2, double y3, float l23, float l31,
                         float l12, double& cos1, double& cos2, double& cos3) {
    cos1 = ((x2 - x1) * (x3 - x1) + (y2 - y1) * (y3 - y1)) / (static_cast<double>(l31) * l12);
    cos2 = ((x1 - x2) * (x3 - x2) + (y1 - y2) * (y3 - y2)) / (static_cast<double>(l12) * l23);
    cos3 = ((x1 - x3) * (x2 - x3) + (y1 - y3) * (y2 - y3)) / (static_cast<double>(l31) * l23);
}

}  // namespace detail

// Whether a cosine TriangleAngleCosines gives for the triangle exceeds cosT
// (an angle below the angle of cosT), with its notice for a side of length
// 0. Inline, for the tests made of every element a refinement looks at.
inline bool HasAngleCosineAbove(float x1, float x2, float x3, float y1, float y2, float y3, double cosT) {
    const float l23 = detail::SideLength(x2, y2, x3, y3);
    const float l31 = detail::SideLength(x3, y3, x1, y1);
    const float l12 = detail::SideLength(x1, y1, x2, y2);
    double cos1 = 0.0, cos2 = 0.0, cos3 = 0.0;
    if (l31 * l23 * l12 == 0.0f) {
        std::int16_t longest = 0;
        TriangleAngleCosines(x1, x2, x3, y1, y2, y3, cos1, cos2, cos3, longest);
    } else {
        detail::AngleCosines(x1, x2, x3, y1, y2, y3, l23, l31, l12, cos1, cos2, cos3);
    }
    return cos1 > cosT || cos2 > cosT || cos3 > cosT;
}

// `SmallAngleLongestSide`: for a triangle of the mesher net with an angle
// below MinAngle, the corner (1..3) opposite its longest side, with the
// cosine of its smallest angle in smallestCos; 0 otherwise (smallestCos is
// then left alone).
std::int16_t SmallAngleLongestSide(std::int16_t element, double& smallestCos);

// Lets the zero-length-side notice appear again (every operation that may
// call TriangleAngleCosines starts with this; a new wait window starts a
// new operation too).
void ResetZeroSideNotice();

}  // namespace orvelo
