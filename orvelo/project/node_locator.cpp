#include "orvelo/project/node_locator.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "platform/runtime/errors.h"

namespace orvelo {

namespace {

void checkNodes(const std::vector<float>& nodeX, const std::vector<float>& nodeY,
                std::int16_t nodeCount) {
    if (nodeCount < 1) rt::raise(9);
    const auto needed = static_cast<std::size_t>(nodeCount) + 1;
    if (nodeX.size() < needed || nodeY.size() < needed) rt::raise(9);
}

// A coordinate difference as a Single.
float difference(float a, float b) { return a - b; }

double squaredDistance(float dx, float dy) {
    return static_cast<double>(dx) * dx + static_cast<double>(dy) * dy;
}

bool inBox(float dx, float dy, float tolerance) {
    return std::fabs(dx) < tolerance && std::fabs(dy) < tolerance;
}

}  // namespace

std::int16_t NearestNodeByScan(float x, float y, float tolerance, const std::vector<float>& nodeX,
                               const std::vector<float>& nodeY, std::int16_t nodeCount) {
    checkNodes(nodeX, nodeY, nodeCount);
    std::int16_t best = 1;
    double bestDistance =
        squaredDistance(difference(x, nodeX[1]), difference(y, nodeY[1]));
    for (std::int32_t a = 1; a <= nodeCount; ++a) {
        const float dx = difference(x, nodeX[a]);
        const float dy = difference(y, nodeY[a]);
        if (inBox(dx, dy, tolerance)) return static_cast<std::int16_t>(a);
        const double d = squaredDistance(dx, dy);
        if (d < bestDistance) {
            best = static_cast<std::int16_t>(a);
            bestDistance = d;
        }
    }
    return best;
}

NodeLocator::NodeLocator(const std::vector<float>& nodeX, const std::vector<float>& nodeY,
                         std::int16_t nodeCount) {
    checkNodes(nodeX, nodeY, nodeCount);
    byX_.reserve(static_cast<std::size_t>(nodeCount));
    for (std::int32_t a = 1; a <= nodeCount; ++a) byX_.push_back({nodeX[a], nodeY[a], static_cast<std::int16_t>(a)});
    std::sort(byX_.begin(), byX_.end(), [](const Node& p, const Node& q) {
        return p.x < q.x || (p.x == q.x && p.number < q.number);
    });
}

std::int16_t NodeLocator::Find(float x, float y, float tolerance) const {
    // The difference x - node x, rounded to a Single, falls as the node's x
    // grows: the nodes whose difference lies inside (-tolerance, tolerance)
    // form one run of the sorted list, and the further a node lies from x
    // in either direction, the larger its difference's square.
    if (tolerance > 0.0f) {
        const auto first = std::partition_point(byX_.begin(), byX_.end(), [&](const Node& n) {
            return !(difference(x, n.x) < tolerance);
        });
        const auto last = std::partition_point(first, byX_.end(), [&](const Node& n) {
            return difference(x, n.x) > -tolerance;
        });
        std::int16_t found = 0;
        for (auto it = first; it != last; ++it)
            if (inBox(difference(x, it->x), difference(y, it->y), tolerance) &&
                (found == 0 || it->number < found))
                found = it->number;
        if (found != 0) return found;
    }

    std::int16_t best = 0;
    double bestDistance = 0.0;
    const auto consider = [&](const Node& n) {
        const double d = squaredDistance(difference(x, n.x), difference(y, n.y));
        if (best == 0 || d < bestDistance || (d == bestDistance && n.number < best)) {
            best = n.number;
            bestDistance = d;
        }
    };
    const auto start = std::partition_point(byX_.begin(), byX_.end(),
                                            [&](const Node& n) { return n.x < x; });
    // Outward to the right, then to the left, each until the x difference
    // alone exceeds the best distance (equal could still tie on number).
    for (auto it = start; it != byX_.end(); ++it) {
        const float dx = difference(x, it->x);
        if (best != 0 && static_cast<double>(dx) * dx > bestDistance) break;
        consider(*it);
    }
    for (auto it = start; it != byX_.begin();) {
        --it;
        const float dx = difference(x, it->x);
        if (best != 0 && static_cast<double>(dx) * dx > bestDistance) break;
        consider(*it);
    }
    return best;
}

}  // namespace orvelo
