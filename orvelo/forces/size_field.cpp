#include "orvelo/forces/size_field.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "orvelo/forces/float_checks.h"
#include "orvelo/forces/plate_elements.h"
#include "platform/runtime/errors.h"

namespace orvelo {

using forces::checkedDivide;
using forces::checkedSingle;

namespace {

// An element whose forces cannot be computed (a degenerate element, values
// that overflow) is named with its corners and group, so that the message
// says where the fault lies; the error number is kept.
[[noreturn]] void raiseElementFault(const rt::RuntimeError& error, std::size_t element, int corners,
                                    const std::array<std::int16_t, 5>& nodes, std::int16_t group) {
    std::string text = "Element " + std::to_string(element) + " of the calculation net (nodes ";
    for (int k = 1; k <= corners; ++k) text += (k > 1 ? ", " : "") + std::to_string(nodes[static_cast<std::size_t>(k)]);
    text += ", slab group " + std::to_string(group) + ") gives no internal forces: " + error.description();
    rt::raise(error.number(), text);
}

}  // namespace

CornerTable RecoverCornerValues(const InternalForcesData& net, bool keepCornerValues) {
    const auto elementCount =
        static_cast<std::size_t>(std::max<std::int16_t>(net.CalcElementCount, 0));
    if (net.CalcCornerCount.size() <= elementCount ||
        net.CalcElementCorners.size() <= elementCount ||
        net.CalcElementGroup.size() <= elementCount) {
        rt::raise(9);
    }
    CornerTable cornerQx(elementCount + 1, std::array<float, 5>{});
    std::vector<float> values;
    for (std::size_t e = 1; e <= elementCount; ++e) {
        const std::int16_t g = net.CalcElementGroup[e];
        if (g < 1 || static_cast<std::size_t>(g) >= net.GroupThickness.size() ||
            static_cast<std::size_t>(g) >= net.GroupModulus.size() ||
            static_cast<std::size_t>(g) >= net.GroupPoisson.size()) {
            rt::raise(9);
        }
        const int corners = net.CalcCornerCount[e];
        if (corners != 3 && corners != 4) rt::raise(9);
        try {
            if (corners == 4) {
                QuadPlateForces(net.GroupThickness[g], net.GroupModulus[g], net.GroupPoisson[g],
                                net.CalcElementCorners[e], values, net);
            } else {
                TrianglePlateForces(net.GroupThickness[g], net.GroupModulus[g], net.GroupPoisson[g],
                                    net.CalcElementCorners[e], values, net);
            }
            if (keepCornerValues) {
                for (int k = 1; k <= corners; ++k) cornerQx[e][k] = values[k];
            } else {
                float sum = 0.0f;
                for (int k = 1; k <= corners; ++k) sum = checkedSingle(sum + values[k]);
                const float mean = checkedSingle(checkedDivide(sum, corners));
                for (int k = 1; k <= corners; ++k) cornerQx[e][k] = mean;
            }
        } catch (const rt::RuntimeError& error) {
            raiseElementFault(error, e, corners, net.CalcElementCorners[e], g);
        }
    }
    return cornerQx;
}

std::vector<float> AverageAtNodes(const InternalForcesData& net, const CornerTable& cornerQx) {
    const auto nodeCount = static_cast<std::size_t>(std::max<std::int16_t>(net.CalcNodeCount, 0));
    const auto elementCount =
        static_cast<std::size_t>(std::max<std::int16_t>(net.CalcElementCount, 0));
    if (cornerQx.size() <= elementCount || net.CalcCornerCount.size() <= elementCount ||
        net.CalcElementCorners.size() <= elementCount) {
        rt::raise(9);
    }
    std::vector<float> sum(nodeCount + 1, 0.0f);
    std::vector<std::int16_t> hits(nodeCount + 1, 0);
    for (std::size_t e = 1; e <= elementCount; ++e) {
        const int corners = net.CalcCornerCount[e];
        if (corners < 0 || corners > 4) rt::raise(9);
        for (int k = 1; k <= corners; ++k) {
            const std::int16_t n = net.CalcElementCorners[e][k];
            if (n < 1 || static_cast<std::size_t>(n) > nodeCount) rt::raise(9);
            try {
                sum[n] = checkedSingle(sum[n] + cornerQx[e][k]);
            } catch (const rt::RuntimeError& error) {
                rt::raise(error.number(), "The values at node " + std::to_string(n) +
                                              " of the calculation net are too large to add: " +
                                              error.description());
            }
            if (hits[n] == 32767) rt::raise(6);
            ++hits[n];
        }
    }
    std::vector<float> nodalQx(nodeCount + 1, 0.0f);
    for (std::size_t n = 1; n <= nodeCount; ++n)
        if (hits[n] > 0) nodalQx[n] = checkedSingle(static_cast<double>(sum[n]) / hits[n]);
    return nodalQx;
}

void ApplySymmetry(std::int32_t symmetryKind, const InternalForcesData& net,
                   std::vector<float>& nodalQx) {
    if (symmetryKind != 3 && symmetryKind != 4) return;
    const auto nodeCount = static_cast<std::size_t>(std::max<std::int16_t>(net.CalcNodeCount, 0));
    if (nodeCount == 0) return;
    if (net.CalcNodeX.size() <= nodeCount || nodalQx.size() <= nodeCount) rt::raise(9);
    float xMax = net.CalcNodeX[1];
    for (std::size_t n = 2; n <= nodeCount; ++n) xMax = std::max(xMax, net.CalcNodeX[n]);
    for (std::size_t n = 1; n <= nodeCount; ++n)
        if (std::fabs(static_cast<double>(net.CalcNodeX[n]) - xMax) < 0.001) nodalQx[n] = 0.0f;
}

std::vector<float> TargetSizeField(const std::vector<float>& nodalQx, std::int16_t count,
                                   float maxElementSize, float minElementSize) {
    const auto n = static_cast<std::size_t>(std::max<std::int16_t>(count, 0));
    if (nodalQx.size() <= n) rt::raise(9);
    double qMax = 0.0;
    for (std::size_t i = 1; i <= n; ++i)
        qMax = std::max(qMax, std::fabs(static_cast<double>(nodalQx[i])));
    std::vector<float> sizes(n + 1, 0.0f);
    const double r = maxElementSize;
    const double span = static_cast<double>(minElementSize) - r;
    const double low = std::min<double>(maxElementSize, minElementSize);
    const double high = std::max<double>(maxElementSize, minElementSize);
    for (std::size_t i = 1; i <= n; ++i) {
        if (qMax == 0.0) {
            sizes[i] = maxElementSize;
            continue;
        }
        const double ratio = std::fabs(static_cast<double>(nodalQx[i])) / qMax;
        sizes[i] = checkedSingle(std::clamp(r + span * ratio, low, high));
    }
    return sizes;
}

std::vector<float> UniformTargetSize(std::int16_t count, float maxElementSize) {
    const auto n = static_cast<std::size_t>(std::max<std::int16_t>(count, 0));
    std::vector<float> sizes(n + 1, maxElementSize);
    sizes[0] = 0.0f;
    return sizes;
}

}  // namespace orvelo
