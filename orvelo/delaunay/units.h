// The unit factor and the integer region coordinates of the meshers.
//
// The geometry service keeps the unit factor of the current net
// (ClsGeometryHelper.UnitFactor, set by ComputeDrawingScale during a Delaunay
// generation). Two derived values rest on it: the coincidence tolerance,
// 0.001 divided by the factor, within which two points count as one (per
// coordinate, strictly), and the region coordinates of a point, net units
// times 100 times the factor, each rounded to the nearest integer with
// halves to the even one. Every caller reads the factor afresh.
#pragma once

#include <cstdint>

#include "halvex/interface/enums.h"

namespace orvelo {

// The unit factor of the current net.
float UnitFactor();

// 0.001 / UnitFactor().
double CoincidenceTolerance();

// Whether two Single coordinates differ by less than tol (strictly), the
// difference taken in single precision.
inline bool CloserThan(float a, float b, double tol) {
    const float difference = a - b;
    return (difference < 0.0f ? -difference : difference) < tol;
}

// RegionCoordinate where the product is plainly within a Long (false, and
// coordinate left alone, otherwise): adding 1.5 x 2^52 leaves a sum without
// fraction bits, rounded by the floating-point unit to the nearest integer,
// halves to the even one (its default mode, which this program never
// changes); taking the constant away again is exact.
inline bool RegionCoordinateInRange(float value, float unitFactor, std::int32_t& coordinate) {
    constexpr double kRounder = 6755399441055744.0;
    const double product = static_cast<double>(value) * 100.0 * static_cast<double>(unitFactor);
    if (!(product > -2e9 && product < 2e9)) return false;
    coordinate = static_cast<std::int32_t>((product + kRounder) - kRounder);
    return true;
}

namespace detail {
// RegionCoordinate beyond RegionCoordinateInRange: the runtime's rounding
// and its error.
std::int32_t RegionCoordinateChecked(float value, float unitFactor);
}  // namespace detail

// The region coordinate of one net coordinate: the nearest integer to
// value x 100 x unitFactor (computed in double precision), halves to even.
// Error 6 when it does not fit a Long.
inline std::int32_t RegionCoordinate(float value, float unitFactor) {
    std::int32_t coordinate = 0;
    if (RegionCoordinateInRange(value, unitFactor, coordinate)) return coordinate;
    return detail::RegionCoordinateChecked(value, unitFactor);
}

halvex::POINTAPI RegionPoint(float x, float y, float unitFactor);

}  // namespace orvelo
