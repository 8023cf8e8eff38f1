#include "outside/drovik/geometry_helper.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include "outside/drovik/plane_geometry.h"
#include "platform/runtime/errors.h"

namespace drovik {

void ClsGeometryHelper::TransformPoint(float x, float y, float& tx, float& ty) const {
    const double angle = static_cast<double>(layoutA_) * std::numbers::pi / 180.0;
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    tx = static_cast<float>(x * c - y * s + layoutB_);
    ty = static_cast<float>(x * s + y * c + layoutC_);
}

void ClsGeometryHelper::LocateElement(std::int16_t& element, float x, float y,
                                      const std::vector<float>& nodeX,
                                      const std::vector<float>& nodeY,
                                      const std::vector<orvelo::NetElement>& elements,
                                      std::int16_t& located) const {
    element = 0;
    located = 0;
    const std::size_t nodeLimit = std::min(nodeX.size(), nodeY.size());
    const std::size_t count = elements.empty() ? 0 : elements.size() - 1;
    if (count > static_cast<std::size_t>(orvelo::kMaxNetCount))
        rt::raise(6, "LocateElement: more than 32767 elements");
    for (std::size_t e = 1; e <= count; ++e) {
        const orvelo::NetElement& candidate = elements[e];
        if (candidate.CornerCount <= 0) continue;
        if (candidate.CornerCount > 4)
            rt::raise(9, "LocateElement: element " + std::to_string(e) + " has " +
                             std::to_string(candidate.CornerCount) + " corners");
        double xs[4];
        double ys[4];
        for (int k = 0; k < candidate.CornerCount; ++k) {
            const std::int16_t node = candidate.Node[k + 1];
            if (node < 1 || static_cast<std::size_t>(node) >= nodeLimit)
                rt::raise(9, "LocateElement: element " + std::to_string(e) + " names node " +
                                 std::to_string(node) + " outside the node list");
            xs[k] = nodeX[node];
            ys[k] = nodeY[node];
        }
        if (geometry::pointInClosedPolygon(xs, ys, candidate.CornerCount, x, y)) {
            element = static_cast<std::int16_t>(e);
            located = -1;
            return;
        }
    }
}

}  // namespace drovik
