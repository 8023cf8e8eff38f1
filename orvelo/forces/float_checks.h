// Checked floating-point steps of the force recovery: every result is tested
// for overflow, division by zero and invalid operands, and a failure raises
// the run-time error of the original arithmetic (6 overflow, 11 division by
// zero), which ends the internal-forces operation through its error exit.
#pragma once

#include <cmath>

#include "platform/runtime/errors.h"

namespace orvelo::forces {

// The value itself; error 6 when it is infinite or not a number.
inline double checkedValue(double value) {
    if (!std::isfinite(value)) rt::raise(6);
    return value;
}

// a / b; error 11 when b is 0, error 6 when the quotient is not finite.
inline double checkedDivide(double a, double b) { return checkedValue(rt::divideChecked(a, b)); }

// A result stored as a Single; error 6 when it is not finite or too large.
inline float checkedSingle(double value) { return rt::toSingleChecked(checkedValue(value)); }

}  // namespace orvelo::forces
