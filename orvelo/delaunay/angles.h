// Angles of a triangle for the quality tests of the meshers.
#pragma once

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
