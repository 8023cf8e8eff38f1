#include "orvelo/delaunay/units.h"

#include "orvelo/project/services.h"
#include "platform/runtime/rounding.h"

namespace orvelo {

float UnitFactor() { return GeometryHelper().UnitFactor(); }

double CoincidenceTolerance() { return 0.001 / static_cast<double>(UnitFactor()); }

std::int32_t RegionCoordinate(float value, float unitFactor) {
    const double product = static_cast<double>(value) * 100.0 * static_cast<double>(unitFactor);
    // Plainly within a Long: adding 1.5 x 2^52 leaves no fraction bits, so
    // the sum is rounded to the nearest integer, halves to the even one (the
    // floating-point unit's default mode, which this program never changes);
    // taking the constant away again is exact. Else the runtime's checks.
    constexpr double kRounder = 6755399441055744.0;
    if (product > -2e9 && product < 2e9) return static_cast<std::int32_t>((product + kRounder) - kRounder);
    return rt::CLng(product);
}

halvex::POINTAPI RegionPoint(float x, float y, float unitFactor) {
    return halvex::POINTAPI{RegionCoordinate(x, unitFactor), RegionCoordinate(y, unitFactor)};
}

}  // namespace orvelo
