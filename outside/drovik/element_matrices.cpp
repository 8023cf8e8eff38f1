#include "outside/drovik/element_matrices.h"

#include <cmath>

#include "platform/runtime/errors.h"

namespace drovik {

namespace {
float entryOf(const std::vector<float>& list, std::int16_t index) {
    if (index < 1 || static_cast<std::size_t>(index) >= list.size()) rt::raise(9);
    return list[static_cast<std::size_t>(index)];
}

float single(double value) {
    if (!std::isfinite(value)) rt::raise(6);
    return rt::toSingleChecked(value);
}
}  // namespace

void ClsElementMatrices::BeamGeometry(std::int16_t startNode, std::int16_t endNode,
                                      std::int16_t beam, const std::vector<float>& modulus,
                                      const std::vector<float>& inertia,
                                      const std::vector<float>& shearModulus,
                                      const std::vector<float>& torsion,
                                      const std::vector<float>& nodeX,
                                      const std::vector<float>& nodeY, float& axisX, float& axisY,
                                      float& bendingStiffness, float& torsionalStiffness,
                                      std::int16_t& beamStart, std::int16_t& beamEnd) const {
    const double x1 = entryOf(nodeX, startNode), y1 = entryOf(nodeY, startNode);
    const double x2 = entryOf(nodeX, endNode), y2 = entryOf(nodeY, endNode);
    const double e = entryOf(modulus, beam), i = entryOf(inertia, beam);
    const double g = entryOf(shearModulus, beam), j = entryOf(torsion, beam);
    axisX = single(x2 - x1);
    axisY = single(y2 - y1);
    bendingStiffness = single(e * i);
    torsionalStiffness = single(g * j);
    beamStart = startNode;
    beamEnd = endNode;
}

void ClsElementMatrices::BeamMatrices(BeamTransform& r, float bendingStiffness,
                                      float torsionalStiffness, float axisX, float axisY,
                                      float& bendingFactor, float& torsionFactor, float& length,
                                      float& shearTerm, float& couplingTerm, float& nearTerm,
                                      float& farTerm, float& axisAngle) const {
    const double l = std::hypot(static_cast<double>(axisX), static_cast<double>(axisY));
    const double c = rt::divideChecked(axisX, l);
    const double s = rt::divideChecked(axisY, l);
    r = BeamTransform{};
    for (int node = 0; node < 2; ++node) {
        const int o = 3 * node;
        r[o + 1][o + 1] = 1.0f;        // w
        r[o + 2][o + 2] = single(-s);  // dw/dn = -s dw/dx + c dw/dy
        r[o + 3][o + 2] = single(c);
        r[o + 2][o + 3] = single(c);  // dw/ds =  c dw/dx + s dw/dy
        r[o + 3][o + 3] = single(s);
    }
    const double ei = bendingStiffness;
    bendingFactor = single(ei / l);
    torsionFactor = single(torsionalStiffness / l);
    length = single(l);
    shearTerm = single(12.0 * ei / (l * l * l));
    couplingTerm = single(6.0 * ei / (l * l));
    nearTerm = single(4.0 * ei / l);
    farTerm = single(2.0 * ei / l);
    axisAngle = single(std::atan2(static_cast<double>(axisY), static_cast<double>(axisX)));
}

}  // namespace drovik
