#include "platform/runtime/rounding.h"

#include <cmath>

#include "platform/runtime/errors.h"

namespace rt {

double roundHalfEven(double value) {
    if (!std::isfinite(value)) return value;
    const double lower = std::floor(value);
    const double diff = value - lower;  // exact for doubles: 0 <= diff < 1
    if (diff < 0.5) return lower;
    if (diff > 0.5) return lower + 1;
    return std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
}

std::int16_t CInt(double value) {
    const double rounded = roundHalfEven(value);
    if (!(rounded >= -32768.0 && rounded <= 32767.0)) raise(6);
    return static_cast<std::int16_t>(rounded);
}

std::int32_t CLng(double value) {
    const double rounded = roundHalfEven(value);
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) raise(6);
    return static_cast<std::int32_t>(rounded);
}

double Fix(double value) { return std::trunc(value); }

double Int(double value) { return std::floor(value); }

}  // namespace rt
