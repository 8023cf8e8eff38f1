// The net verifier of the mesher tests: conformity, orientation, area and
// side flags of a net of triangles, as faults in words (empty: none).
// Header-only, for every suite that builds or changes a mesher net.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "halvex/interface/enums.h"
#include "orvelo/model/net.h"

namespace orvelo::meshcheck {

struct NetView {
    std::int32_t nodeCount = 0;
    const std::vector<float>* x = nullptr;
    const std::vector<float>* y = nullptr;
    std::int32_t elementCount = 0;
    const std::vector<NetElement>* elements = nullptr;

    double X(std::int32_t n) const { return (*x)[static_cast<std::size_t>(n)]; }
    double Y(std::int32_t n) const { return (*y)[static_cast<std::size_t>(n)]; }
    const NetElement& E(std::int32_t e) const { return (*elements)[static_cast<std::size_t>(e)]; }
    std::int32_t Corner(std::int32_t e, int k) const { return E(e).Node[static_cast<std::size_t>(k)]; }
};

inline double TwiceArea(const NetView& net, std::int32_t e) {
    const auto a = net.Corner(e, 1), b = net.Corner(e, 2), c = net.Corner(e, 3);
    return (net.X(b) - net.X(a)) * (net.Y(c) - net.Y(a)) - (net.Y(b) - net.Y(a)) * (net.X(c) - net.X(a));
}

inline std::pair<std::int32_t, std::int32_t> SideKey(std::int32_t a, std::int32_t b) {
    return a < b ? std::make_pair(a, b) : std::make_pair(b, a);
}

// Sides of the net with the elements (and corners) that hold them.
inline std::map<std::pair<std::int32_t, std::int32_t>, std::vector<std::pair<std::int32_t, int>>> SidesOf(
    const NetView& net) {
    std::map<std::pair<std::int32_t, std::int32_t>, std::vector<std::pair<std::int32_t, int>>> sides;
    for (std::int32_t e = 1; e <= net.elementCount; ++e)
        for (int k = 1; k <= 3; ++k) sides[SideKey(net.Corner(e, k), net.Corner(e, k % 3 + 1))].push_back({e, k});
    return sides;
}

// Triangles only, corners in range and distinct, counter-clockwise with an
// area, every side held by one or two triangles (two of them running
// opposite ways), every node used, no corner inside another side.
inline std::vector<std::string> CheckTopology(const NetView& net) {
    std::vector<std::string> faults;
    std::vector<bool> used(static_cast<std::size_t>(net.nodeCount) + 1, false);
    for (std::int32_t e = 1; e <= net.elementCount; ++e) {
        const NetElement& element = net.E(e);
        if (element.CornerCount != 3) faults.push_back("element " + std::to_string(e) + " is not a triangle");
        for (int k = 1; k <= 3; ++k) {
            const auto n = net.Corner(e, k);
            if (n < 1 || n > net.nodeCount) {
                faults.push_back("element " + std::to_string(e) + " names node " + std::to_string(n));
                return faults;
            }
            used[static_cast<std::size_t>(n)] = true;
        }
        if (net.Corner(e, 1) == net.Corner(e, 2) || net.Corner(e, 2) == net.Corner(e, 3) ||
            net.Corner(e, 1) == net.Corner(e, 3))
            faults.push_back("element " + std::to_string(e) + " repeats a corner");
        else if (!(TwiceArea(net, e) > 0.0))
            faults.push_back("element " + std::to_string(e) + " is not counter-clockwise");
    }
    for (std::int32_t n = 1; n <= net.nodeCount; ++n)
        if (!used[static_cast<std::size_t>(n)]) faults.push_back("node " + std::to_string(n) + " is in no element");
    for (const auto& [key, holders] : SidesOf(net)) {
        if (holders.size() > 2)
            faults.push_back("side " + std::to_string(key.first) + "-" + std::to_string(key.second) + " is held " +
                             std::to_string(holders.size()) + " times");
        if (holders.size() == 2 && net.Corner(holders[0].first, holders[0].second) ==
                                       net.Corner(holders[1].first, holders[1].second))
            faults.push_back("side " + std::to_string(key.first) + "-" + std::to_string(key.second) +
                             " runs the same way in both elements (overlap)");
    }
    return faults;
}

// Every side exactly one of bits 1, 8, 32, agreeing with how many elements
// hold it (8 in the lower-numbered, 32 in the higher).
inline std::vector<std::string> CheckSideFlags(const NetView& net) {
    std::vector<std::string> faults;
    for (const auto& [key, holders] : SidesOf(net)) {
        for (std::size_t i = 0; i < holders.size(); ++i) {
            const std::int32_t flag = net.E(holders[i].first).Flag[static_cast<std::size_t>(holders[i].second)];
            const std::int32_t kind = flag & (halvex::OuterSide | halvex::InnerSide | halvex::RepeatedSide);
            const std::int32_t expected =
                holders.size() == 1 ? halvex::OuterSide : (i == 0 ? halvex::InnerSide : halvex::RepeatedSide);
            if (kind != expected)
                faults.push_back("side " + std::to_string(key.first) + "-" + std::to_string(key.second) +
                                 " in element " + std::to_string(holders[i].first) + " has flags " +
                                 std::to_string(flag));
        }
    }
    return faults;
}

inline double NetArea(const NetView& net) {
    double sum = 0.0;
    for (std::int32_t e = 1; e <= net.elementCount; ++e) sum += TwiceArea(net, e) / 2.0;
    return sum;
}

// The border sides (held once) joined into closed loops; each loop as node
// numbers, in the direction the elements give them.
inline std::vector<std::vector<std::int32_t>> BorderLoops(const NetView& net, std::vector<std::string>& faults) {
    std::map<std::int32_t, std::vector<std::int32_t>> next;
    std::size_t count = 0;
    for (const auto& [key, holders] : SidesOf(net))
        if (holders.size() == 1) {
            const auto [e, k] = holders[0];
            next[net.Corner(e, k)].push_back(net.Corner(e, k % 3 + 1));
            ++count;
        }
    std::vector<std::vector<std::int32_t>> loops;
    std::size_t walked = 0;
    while (!next.empty()) {
        auto it = next.begin();
        const std::int32_t start = it->first;
        std::vector<std::int32_t> loop{start};
        std::int32_t at = start;
        for (;;) {
            auto found = next.find(at);
            if (found == next.end() || found->second.empty()) {
                faults.push_back("the border is not closed at node " + std::to_string(at));
                return loops;
            }
            const std::int32_t to = found->second.back();
            found->second.pop_back();
            if (found->second.empty()) next.erase(found);
            ++walked;
            if (to == start) break;
            loop.push_back(to);
            at = to;
        }
        loops.push_back(loop);
    }
    if (walked != count) faults.push_back("border sides left over");
    return loops;
}

inline double LoopArea(const NetView& net, const std::vector<std::int32_t>& loop) {
    double sum = 0.0;
    for (std::size_t i = 0; i < loop.size(); ++i) {
        const auto a = loop[i], b = loop[(i + 1) % loop.size()];
        sum += net.X(a) * net.Y(b) - net.X(b) * net.Y(a);
    }
    return sum / 2.0;
}

}  // namespace orvelo::meshcheck
