// The net verifier for nets of triangles and quadrilaterals (what the
// editing tasks change): conformity, orientation, no overlap, no element
// twice, side flags. The faults in words (empty: none). Header-only.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "halvex/interface/enums.h"
#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/side_flags.h"
#include "orvelo/model/net.h"

namespace orvelo::meshcheck {

struct MixedSide {
    std::int32_t element;
    int corner;
};

inline std::map<std::pair<std::int32_t, std::int32_t>, std::vector<MixedSide>> MixedSidesOf(const BasDelaunay& m) {
    std::map<std::pair<std::int32_t, std::int32_t>, std::vector<MixedSide>> sides;
    for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) {
        const NetElement& t = m.MeshElementList[static_cast<std::size_t>(e)];
        for (int k = 1; k <= t.CornerCount; ++k) {
            const std::int32_t a = t.Node[static_cast<std::size_t>(k)];
            const std::int32_t b = t.Node[static_cast<std::size_t>(k == t.CornerCount ? 1 : k + 1)];
            sides[{std::min(a, b), std::max(a, b)}].push_back({e, k});
        }
    }
    return sides;
}

// Twice the signed area of an element (shoelace).
inline double MixedTwiceArea(const BasDelaunay& m, const NetElement& t) {
    double sum = 0.0;
    for (int k = 1; k <= t.CornerCount; ++k) {
        const auto a = static_cast<std::size_t>(t.Node[static_cast<std::size_t>(k)]);
        const auto b = static_cast<std::size_t>(t.Node[static_cast<std::size_t>(k == t.CornerCount ? 1 : k + 1)]);
        sum += static_cast<double>(m.MeshNodeX[a]) * m.MeshNodeY[b] - static_cast<double>(m.MeshNodeX[b]) * m.MeshNodeY[a];
    }
    return sum;
}

// Triangles and quadrilaterals of existing, distinct nodes, all turning
// the same way with an area (quadrilaterals convex), no element twice,
// every side held once or by two elements running opposite ways, every node
// used, and the elements' area equal to the area the border encloses (no
// overlap).
inline std::vector<std::string> CheckMixedNet(const BasDelaunay& m) {
    std::vector<std::string> faults;
    std::vector<bool> used(static_cast<std::size_t>(m.MeshNodeCount) + 1, false);
    std::set<std::vector<std::int16_t>> seen;
    int turn = 0;
    double area = 0.0;
    for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) {
        const NetElement& t = m.MeshElementList[static_cast<std::size_t>(e)];
        const std::string name = "element " + std::to_string(e);
        if (t.CornerCount != 3 && t.CornerCount != 4) {
            faults.push_back(name + " has " + std::to_string(t.CornerCount) + " corners");
            return faults;
        }
        std::vector<std::int16_t> corners(t.Node.begin() + 1, t.Node.begin() + 1 + t.CornerCount);
        for (std::int16_t n : corners) {
            if (n < 1 || n > m.MeshNodeCount) {
                faults.push_back(name + " names node " + std::to_string(n));
                return faults;
            }
            used[static_cast<std::size_t>(n)] = true;
        }
        std::vector<std::int16_t> sorted = corners;
        std::sort(sorted.begin(), sorted.end());
        if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end()) faults.push_back(name + " repeats a corner");
        if (!seen.insert(sorted).second) faults.push_back(name + " is there twice");
        for (int k = 1; k <= t.CornerCount; ++k) {
            const auto a = static_cast<std::size_t>(t.Node[static_cast<std::size_t>(k == 1 ? t.CornerCount : k - 1)]);
            const auto b = static_cast<std::size_t>(t.Node[static_cast<std::size_t>(k)]);
            const auto c = static_cast<std::size_t>(t.Node[static_cast<std::size_t>(k == t.CornerCount ? 1 : k + 1)]);
            const double cross = (static_cast<double>(m.MeshNodeX[b]) - m.MeshNodeX[a]) * (static_cast<double>(m.MeshNodeY[c]) - m.MeshNodeY[a]) -
                                 (static_cast<double>(m.MeshNodeY[b]) - m.MeshNodeY[a]) * (static_cast<double>(m.MeshNodeX[c]) - m.MeshNodeX[a]);
            const int s = cross > 0.0 ? 1 : (cross < 0.0 ? -1 : 0);
            if (turn == 0) turn = s;
            if (s == 0 || s != turn) faults.push_back(name + " turns against the net at corner " + std::to_string(k));
        }
        area += MixedTwiceArea(m, t) / 2.0;
    }
    for (std::int32_t n = 1; n <= m.MeshNodeCount; ++n)
        if (!used[static_cast<std::size_t>(n)]) faults.push_back("node " + std::to_string(n) + " is in no element");
    double border = 0.0;
    for (const auto& [key, holders] : MixedSidesOf(m)) {
        const std::string name = "side " + std::to_string(key.first) + "-" + std::to_string(key.second);
        if (holders.size() > 2) faults.push_back(name + " is held " + std::to_string(holders.size()) + " times");
        auto from = [&](const MixedSide& s) {
            return m.MeshElementList[static_cast<std::size_t>(s.element)].Node[static_cast<std::size_t>(s.corner)];
        };
        if (holders.size() == 2 && from(holders[0]) == from(holders[1]))
            faults.push_back(name + " runs the same way in both elements");
        if (holders.size() == 1) {
            const NetElement& t = m.MeshElementList[static_cast<std::size_t>(holders[0].element)];
            const auto a = static_cast<std::size_t>(t.Node[static_cast<std::size_t>(holders[0].corner)]);
            const auto b = static_cast<std::size_t>(
                t.Node[static_cast<std::size_t>(holders[0].corner == t.CornerCount ? 1 : holders[0].corner + 1)]);
            border += (static_cast<double>(m.MeshNodeX[a]) * m.MeshNodeY[b] - static_cast<double>(m.MeshNodeX[b]) * m.MeshNodeY[a]) / 2.0;
        }
    }
    if (std::abs(area - border) > 1e-6 * std::max(1.0, std::abs(area)))
        faults.push_back("the elements overlap: area " + std::to_string(area) + " against the border's " + std::to_string(border));
    return faults;
}

// Every side exactly one of bits 1, 8, 32, agreeing with how many elements
// hold it (8 in the lower-numbered, 32 in the higher).
inline std::vector<std::string> CheckMixedSideFlags(const BasDelaunay& m) {
    std::vector<std::string> faults;
    for (const auto& [key, holders] : MixedSidesOf(m))
        for (std::size_t i = 0; i < holders.size(); ++i) {
            const std::int32_t flag =
                m.MeshElementList[static_cast<std::size_t>(holders[i].element)].Flag[static_cast<std::size_t>(holders[i].corner)];
            const std::int32_t kind = flag & (halvex::OuterSide | halvex::InnerSide | halvex::RepeatedSide);
            const std::int32_t expected =
                holders.size() == 1 ? halvex::OuterSide : (i == 0 ? halvex::InnerSide : halvex::RepeatedSide);
            if (kind != expected)
                faults.push_back("side " + std::to_string(key.first) + "-" + std::to_string(key.second) + " in element " +
                                 std::to_string(holders[i].element) + " has flags " + std::to_string(flag));
        }
    return faults;
}

// Whether the side a-b (either direction) carries BoundarySide in every
// element that holds it, and some element holds it.
inline bool SideMarked(const BasDelaunay& m, std::int32_t a, std::int32_t b) {
    const auto sides = MixedSidesOf(m);
    const auto found = sides.find({std::min(a, b), std::max(a, b)});
    if (found == sides.end()) return false;
    for (const MixedSide& s : found->second)
        if ((m.MeshElementList[static_cast<std::size_t>(s.element)].Flag[static_cast<std::size_t>(s.corner)] &
             halvex::BoundarySide) == 0)
            return false;
    return true;
}

// Puts a net into the mesher: nodes 1..n, elements of 3 or 4 corners, with
// their side flags.
inline void UseNet(const std::vector<std::pair<float, float>>& nodes,
                   const std::vector<std::vector<std::int16_t>>& elements) {
    BasDelaunay& m = basDelaunay();
    m.MeshNodeCount = static_cast<std::int16_t>(nodes.size());
    m.MeshNodeX.assign(1, 0.0f);
    m.MeshNodeY.assign(1, 0.0f);
    for (const auto& p : nodes) {
        m.MeshNodeX.push_back(p.first);
        m.MeshNodeY.push_back(p.second);
    }
    m.MeshElementCount = static_cast<std::int16_t>(elements.size());
    m.MeshElementList.assign(1, NetElement{});
    for (const auto& corners : elements) {
        NetElement e;
        e.CornerCount = static_cast<std::int32_t>(corners.size());
        for (std::size_t k = 0; k < corners.size(); ++k) e.Node[k + 1] = corners[k];
        m.MeshElementList.push_back(e);
    }
    BuildElementSideFlags(m.MeshElementList, nullptr);
}

// A net over a grid of columns x rows cells of size 1 with jittered inner
// nodes: each cell a quadrilateral (with the share given) or two triangles,
// counter-clockwise. Inner nodes move by up to `shift` in each direction
// (below 0.5 no cell folds; a cell that is not convex is never a
// quadrilateral and gets the diagonal inside it).
inline void UseJitteredNet(unsigned seed, int columns, int rows, double quadShare, float shift = 0.25f) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> jitter(-shift, shift);
    std::uniform_real_distribution<double> pick(0.0, 1.0);
    std::vector<std::pair<float, float>> nodes;
    for (int j = 0; j <= rows; ++j)
        for (int i = 0; i <= columns; ++i) {
            const bool inner = i > 0 && i < columns && j > 0 && j < rows;
            nodes.push_back({static_cast<float>(i) + (inner ? jitter(random) : 0.0f),
                             static_cast<float>(j) + (inner ? jitter(random) : 0.0f)});
        }
    auto node = [&](int i, int j) { return static_cast<std::int16_t>(j * (columns + 1) + i + 1); };
    auto left = [&](std::int16_t p, std::int16_t q, std::int16_t r) {
        const auto& [px, py] = nodes[static_cast<std::size_t>(p - 1)];
        const auto& [qx, qy] = nodes[static_cast<std::size_t>(q - 1)];
        const auto& [rx, ry] = nodes[static_cast<std::size_t>(r - 1)];
        return (static_cast<double>(qx) - px) * (static_cast<double>(ry) - py) -
                   (static_cast<double>(qy) - py) * (static_cast<double>(rx) - px) > 0.0;
    };
    std::vector<std::vector<std::int16_t>> elements;
    for (int j = 0; j < rows; ++j)
        for (int i = 0; i < columns; ++i) {
            const auto a = node(i, j), b = node(i + 1, j), c = node(i + 1, j + 1), d = node(i, j + 1);
            // A cell that is not convex gets the diagonal that lies inside it.
            const bool convex = left(d, a, b) && left(a, b, c) && left(b, c, d) && left(c, d, a);
            const bool firstDiagonal = left(a, b, c) && left(a, c, d);
            const double quad = pick(random);
            const double diagonal = pick(random);
            if (convex && quad < quadShare)
                elements.push_back({a, b, c, d});
            else if (firstDiagonal && (diagonal < 0.5 || !(left(a, b, d) && left(b, c, d))))
                elements.insert(elements.end(), {{a, b, c}, {a, c, d}});
            else
                elements.insert(elements.end(), {{a, b, d}, {b, c, d}});
        }
    UseNet(nodes, elements);
}

}  // namespace orvelo::meshcheck
