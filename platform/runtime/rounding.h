// Rounding and truncation of the original language: conversions to whole
// numbers round half to even ("banker's rounding"), Fix truncates towards
// zero, Int rounds down.
#pragma once

#include <cstdint>

namespace rt {

// The nearest whole number; a value exactly halfway goes to the even one
// (0.5 -> 0, 1.5 -> 2, 2.5 -> 2, -2.5 -> -2). NaN and infinities come back
// unchanged.
double roundHalfEven(double value);

// Conversion to Integer (int16) with half-to-even rounding; error 6 when the
// rounded value is outside -32768..32767 or the value is not finite.
std::int16_t CInt(double value);

// Conversion to Long (int32) with half-to-even rounding; error 6 out of range.
std::int32_t CLng(double value);

// The whole part, truncated towards zero (Fix(-2.7) = -2).
double Fix(double value);

// The largest whole number not above the value (Int(-2.7) = -3).
double Int(double value);

}  // namespace rt
