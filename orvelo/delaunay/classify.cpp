#include "orvelo/delaunay/classify.h"

#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/kernel.h"
#include "orvelo/delaunay/links.h"
#include "orvelo/delaunay/predicates.h"
#include "orvelo/delaunay/progress.h"
#include "platform/runtime/errors.h"

namespace orvelo {

namespace {

std::uint64_t sideKey(std::int32_t a, std::int32_t b) {
    if (a > b) std::swap(a, b);
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(a)) << 32) | static_cast<std::uint32_t>(b);
}

// A run of element numbers.
using Span = std::pair<const std::int32_t*, const std::int32_t*>;

bool hasSide(const BasDelaunay& m, std::int32_t e, std::int16_t a, std::int16_t b) {
    const NetElement& element = m.MeshElementList[static_cast<std::size_t>(e)];
    for (int j = 0; j < 3; ++j) {
        const std::int16_t from = element.Node[static_cast<std::size_t>(j + 1)];
        const std::int16_t to = element.Node[static_cast<std::size_t>((j + 1) % 3 + 1)];
        if ((from == a && to == b) || (from == b && to == a)) return true;
    }
    return false;
}

bool onRow(const BasDelaunay& m, std::int16_t a, std::int16_t b, std::int16_t c) {
    const auto x = [&](std::int16_t n) { return static_cast<double>(m.MeshNodeX[static_cast<std::size_t>(n)]); };
    const auto y = [&](std::int16_t n) { return static_cast<double>(m.MeshNodeY[static_cast<std::size_t>(n)]); };
    return c != a && c != b && predicates::OnSegment(x(a), y(a), x(b), y(b), x(c), y(c));
}

// The elements at each node, asked of the links once per node: phase 1
// changes no element, so a node's answer stays what it was.
class ElementsAtNodes {
public:
    explicit ElementsAtNodes(const BasDelaunay& m)
        : m_(m), first_(static_cast<std::size_t>(m.MeshNodeCount) + 1, kUnknown),
          count_(static_cast<std::size_t>(m.MeshNodeCount) + 1, 0) {}

    // ElementsAtNode(a) and ElementsAtNode(b), a and b 1..MeshNodeCount.
    std::pair<Span, Span> of(std::int16_t a, std::int16_t b) {
        learn(a);
        learn(b);
        return {span(a), span(b)};
    }

private:
    static constexpr std::uint32_t kUnknown = ~std::uint32_t{0};

    void learn(std::int16_t node) {
        const auto n = static_cast<std::size_t>(node);
        if (first_[n] != kUnknown) return;
        const std::vector<std::int32_t> around = ElementsAtNode(m_, node);
        first_[n] = static_cast<std::uint32_t>(pool_.size());
        count_[n] = static_cast<std::uint32_t>(around.size());
        pool_.insert(pool_.end(), around.begin(), around.end());
    }

    Span span(std::int16_t node) const {
        const auto n = static_cast<std::size_t>(node);
        return {pool_.data() + first_[n], pool_.data() + first_[n] + count_[n]};
    }

    const BasDelaunay& m_;
    std::vector<std::uint32_t> first_;
    std::vector<std::uint32_t> count_;
    std::vector<std::int32_t> pool_;
};

// Phase 1 for row i: divides it at a node of an element at one of its ends
// that lies on it; false when the row stays as it is. The elements at both
// ends are taken in number order: the first that has the row as a side
// leaves the row as it is, the first with a node on the row (its first in
// corner order) divides it.
bool splitRowAtNode(BasDelaunay& m, std::int32_t i, ElementsAtNodes& atNodes) {
    const std::int16_t a = m.BoundaryEdges[static_cast<std::size_t>(i)][0];
    const std::int16_t b = m.BoundaryEdges[static_cast<std::size_t>(i)][1];
    if (a < 1 || b < 1 || a > m.MeshNodeCount || b > m.MeshNodeCount) return false;
    const auto [atA, atB] = atNodes.of(a, b);
    // The lowest element with the side a-b (it has both ends, so no element
    // below it is at both); then the lowest below it with a node on the row.
    std::int32_t sideElement = std::numeric_limits<std::int32_t>::max();
    for (const Span& span : {atA, atB})
        for (const std::int32_t* e = span.first; e != span.second; ++e)
            if (*e < sideElement && hasSide(m, *e, a, b)) sideElement = *e;
    std::int32_t found = sideElement;
    std::int16_t sharedNode = 0;
    std::int16_t onIt = 0;
    for (const Span& span : {atA, atB})
        for (const std::int32_t* at = span.first; at != span.second; ++at) {
            const std::int32_t e = *at;
            if (e >= found) continue;
            const NetElement& element = m.MeshElementList[static_cast<std::size_t>(e)];
            int shared = 0;
            if (element.Node[1] == a || element.Node[1] == b)
                shared = 1;
            else if (element.Node[2] == a || element.Node[2] == b)
                shared = 2;
            else if (element.Node[3] == a || element.Node[3] == b)
                shared = 3;
            if (shared == 0) continue;
            for (int candidateIndex = 1; candidateIndex <= 3; ++candidateIndex) {
                if (candidateIndex == shared) continue;
                const std::int16_t c = element.Node[static_cast<std::size_t>(candidateIndex)];
                if (!onRow(m, a, b, c)) continue;
                found = e;
                sharedNode = element.Node[static_cast<std::size_t>(shared)];
                onIt = c;
                break;
            }
        }
    if (found == sideElement) return false;
    if (m.BoundaryEdgeCount >= kMaxNetCount) rt::raise(6, "The list of boundary sides would pass 32767 rows.");
    const std::int16_t other = sharedNode == a ? b : a;
    ++m.BoundaryEdgeCount;
    m.BoundaryEdges.resize(static_cast<std::size_t>(m.BoundaryEdgeCount) + 1);
    m.BoundaryEdges[static_cast<std::size_t>(i)] = {sharedNode, onIt};
    m.BoundaryEdges[static_cast<std::size_t>(m.BoundaryEdgeCount)] = {onIt, other};
    return true;
}

}  // namespace

std::int16_t ClassifyInsideElements() {
    BasDelaunay& m = basDelaunay();
    EnsureLinks(m);

    // Phase 1: rows divided at nodes lying on them; the pieces are
    // constraint sides like the rows they came from.
    bool divided = false;
    {
        ElementsAtNodes atNodes(m);
        for (std::int32_t i = 1; i <= m.BoundaryEdgeCount; ++i) {
            if (splitRowAtNode(m, i, atNodes)) divided = true;
            if (mesher::StopRequested(true)) return 0;
        }
    }
    if (divided)
        for (std::size_t h = 1; h <= static_cast<std::size_t>(m.BoundaryEdgeCount); ++h)
            LockSide(m, m.BoundaryEdges[h][0], m.BoundaryEdges[h][1], true);

    // Phase 2: the boundary sides of every element; all marks cleared.
    const std::size_t count = static_cast<std::size_t>(m.MeshElementCount);
    // The rows sorted, and a mark on every node a row ends at (over the
    // range of those nodes): a side with an unmarked end is no row.
    const std::size_t rowCount = static_cast<std::size_t>(std::max<std::int16_t>(m.BoundaryEdgeCount, 0));
    std::vector<std::uint64_t> rows;
    rows.reserve(rowCount);
    std::int32_t lowest = 32767;
    std::int32_t highest = -32768;
    for (std::size_t h = 1; h <= rowCount; ++h) {
        rows.push_back(sideKey(m.BoundaryEdges[h][0], m.BoundaryEdges[h][1]));
        for (std::int32_t node : {m.BoundaryEdges[h][0], m.BoundaryEdges[h][1]}) {
            lowest = std::min(lowest, node);
            highest = std::max(highest, node);
        }
    }
    std::sort(rows.begin(), rows.end());
    std::vector<std::uint8_t> rowEnd(lowest <= highest ? static_cast<std::size_t>(highest - lowest) + 1 : 0, 0);
    for (std::size_t h = 1; h <= rowCount; ++h) {
        rowEnd[static_cast<std::size_t>(m.BoundaryEdges[h][0] - lowest)] = 1;
        rowEnd[static_cast<std::size_t>(m.BoundaryEdges[h][1] - lowest)] = 1;
    }
    auto endsRows = [&](std::int16_t node) {
        const auto index = static_cast<std::size_t>(static_cast<std::int64_t>(node) - lowest);
        return index < rowEnd.size() && rowEnd[index] != 0;
    };
    std::vector<std::uint8_t> boundarySide(count + 1, 0);
    for (std::size_t e = 1; e <= count; ++e) {
        NetElement& element = m.MeshElementList[e];
        element.CornerCount = 0;
        for (int j = 0; j < 3; ++j) {
            const std::int16_t from = element.Node[static_cast<std::size_t>(j + 1)];
            const std::int16_t to = element.Node[static_cast<std::size_t>((j + 1) % 3 + 1)];
            if (endsRows(from) && endsRows(to) && std::binary_search(rows.begin(), rows.end(), sideKey(from, to)))
                boundarySide[e] = static_cast<std::uint8_t>(boundarySide[e] | (1u << j));
        }
        if (mesher::StopRequested(true)) return 0;
    }
    auto across = [&](std::int32_t e, int j) {
        return m.Links.Elements[static_cast<std::size_t>(e)].Across[static_cast<std::size_t>(j)];
    };

    // Phase 3: the outside seed, the first element at auxiliary node 1.
    std::int32_t seed = 0;
    for (std::int32_t e : ElementsAtNode(m, 1))
        if (seed == 0 || e < seed) seed = e;

    // Phase 4: the even-odd rule over every loop of the outline and the
    // openings. Each part the boundary sides cut off is filled without
    // crossing one; the parts across its boundary sides lie on the other
    // side, taken part after part from the outside seed outwards. An element
    // reached by a fill keeps its side even where a boundary side (one that
    // does not close) also leads to it.
    std::vector<std::int8_t> sideOf(count + 1, -1);  // 0 outside, 1 inside
    std::vector<std::pair<std::int32_t, std::int8_t>> parts;
    if (seed != 0) parts.emplace_back(seed, 0);
    std::vector<std::int32_t> stack;
    for (std::size_t p = 0; p < parts.size(); ++p) {
        const auto [start, side] = parts[p];
        if (sideOf[static_cast<std::size_t>(start)] >= 0) continue;
        sideOf[static_cast<std::size_t>(start)] = side;
        stack.assign(1, start);
        while (!stack.empty()) {
            const std::int32_t e = stack.back();
            stack.pop_back();
            for (int j = 0; j < 3; ++j) {
                const std::int32_t next = across(e, j);
                if (next == 0 || sideOf[static_cast<std::size_t>(next)] >= 0) continue;
                if ((boundarySide[static_cast<std::size_t>(e)] & (1u << j)) != 0) {
                    parts.emplace_back(next, static_cast<std::int8_t>(1 - side));
                } else {
                    sideOf[static_cast<std::size_t>(next)] = side;
                    stack.push_back(next);
                }
            }
            if (mesher::StopRequested(false)) return 0;
        }
    }
    for (std::size_t e = 1; e <= count; ++e)
        if (sideOf[e] == 1) m.MeshElementList[e].CornerCount = 3;
    FreeElementStack(-1);

    // Phase 6: the result.
    for (std::size_t e = 1; e <= count; ++e)
        m.MeshElementList[e].CornerCount = m.MeshElementList[e].CornerCount != 0 ? 3 : -1;
    mesher::StopRequested(false);
    return 0;
}

}  // namespace orvelo
