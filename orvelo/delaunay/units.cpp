#include "orvelo/delaunay/units.h"

#include "orvelo/project/services.h"
#include "platform/runtime/rounding.h"

namespace orvelo {

float UnitFactor() { return GeometryHelper().UnitFactor(); }

double CoincidenceTolerance() { return 0.001 / static_cast<double>(UnitFactor()); }

std::int32_t detail::RegionCoordinateChecked(float value, float unitFactor) {
    return rt::CLng(static_cast<double>(value) * 100.0 * static_cast<double>(unitFactor));
}

halvex::POINTAPI RegionPoint(float x, float y, float unitFactor) {
    return halvex::POINTAPI{RegionCoordinate(x, unitFactor), RegionCoordinate(y, unitFactor)};
}

}  // namespace orvelo
