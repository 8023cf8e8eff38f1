#include "orvelo/model/net_scale.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace orvelo {

float DrawingScaleOfExtent(float xMin, float yMin, float xMax, float yMax) {
    const double qx = (static_cast<double>(xMax) - xMin) * 1000.0 / 250.0;
    const double qy = (static_cast<double>(yMax) - yMin) * 1000.0 / 200.0;
    const double s = qy > qx ? qy : qx;
    double scale = std::floor(s * 1.3 / 5.0) * 5.0 / 1000.0;
    if (scale == 0.0) scale = s * 1.3 / 1000.0;
    if (scale == 0.0) scale = 0.0001;
    return static_cast<float>(scale);
}

double NetCoincidenceTolerance(const std::vector<float>& x, const std::vector<float>& y, std::int32_t count) {
    float xMin = std::numeric_limits<float>::max();
    float yMin = xMin;
    float xMax = std::numeric_limits<float>::lowest();
    float yMax = xMax;
    const std::size_t last = std::min({static_cast<std::size_t>(std::max(count, 0)) + 1, x.size(), y.size()});
    for (std::size_t n = 1; n < last; ++n) {
        xMin = std::min(xMin, x[n]);
        xMax = std::max(xMax, x[n]);
        yMin = std::min(yMin, y[n]);
        yMax = std::max(yMax, y[n]);
    }
    if (last <= 1) return 0.001;
    const float width = xMax - xMin;
    const float height = yMax - yMin;
    const float scale = DrawingScaleOfExtent(xMin - width, yMin - height, xMax + width, yMax + height);
    return 0.001 / static_cast<double>(0.05f / scale);
}

}  // namespace orvelo
