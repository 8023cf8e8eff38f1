#include "orvelo/delaunay/links.h"

#include <algorithm>
#include <unordered_map>

#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/predicates.h"

namespace orvelo {

namespace {

std::uint64_t directedKey(std::int32_t a, std::int32_t b) {
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(a)) << 32) |
           static_cast<std::uint32_t>(b);
}

std::uint64_t undirectedKey(std::int32_t a, std::int32_t b) {
    return a < b ? directedKey(a, b) : directedKey(b, a);
}

bool isTriangleSlot(const NetElement& e) { return e.CornerCount <= 3; }

// A corner as the links keep it: within a generation the same as the
// element list's, in a far smaller list.
inline std::int16_t linkCorner(const BasDelaunay& m, std::int32_t e, int j) {
    return m.Links.Elements[static_cast<std::size_t>(e)].Corners[static_cast<std::size_t>(j)];
}

double nodeX(const BasDelaunay& m, std::int32_t n) { return m.MeshNodeX[static_cast<std::size_t>(n)]; }
double nodeY(const BasDelaunay& m, std::int32_t n) { return m.MeshNodeY[static_cast<std::size_t>(n)]; }

}  // namespace

void ClearLinks(TriangulationLinks& links) {
    links.Elements.clear();
    links.NodeElement.clear();
    links.Hint = 0;
    links.VisitStamp = 0;
    links.Made = nullptr;
    links.DeferCircles = false;
}

void RebuildLinks(BasDelaunay& m) {
    TriangulationLinks& links = m.Links;
    const std::size_t count = static_cast<std::size_t>(m.MeshElementCount);
    links.Elements.assign(count + 1, ElementLink{});
    links.NodeElement.assign(static_cast<std::size_t>(m.MeshNodeCount) + 1, 0);

    std::unordered_map<std::uint64_t, std::int32_t> sideOwner;
    sideOwner.reserve(count * 3);
    for (std::size_t e = 1; e <= count; ++e) {
        const NetElement& element = m.MeshElementList[e];
        if (!isTriangleSlot(element)) continue;
        for (int j = 0; j < 3; ++j) {
            links.Elements[e].Corners[static_cast<std::size_t>(j)] = element.Node[static_cast<std::size_t>(j + 1)];
            const std::int16_t node = element.Node[static_cast<std::size_t>(j + 1)];
            if (node > 0 && node <= m.MeshNodeCount) links.NodeElement[static_cast<std::size_t>(node)] = static_cast<std::int32_t>(e);
        }
        for (int j = 0; j < 3; ++j)
            sideOwner[directedKey(CornerOf(m, static_cast<std::int32_t>(e), j),
                                  CornerOf(m, static_cast<std::int32_t>(e), (j + 1) % 3))] =
                static_cast<std::int32_t>(e) * 4 + j;
    }
    for (std::size_t e = 1; e <= count; ++e) {
        if (!isTriangleSlot(m.MeshElementList[e])) continue;
        for (int j = 0; j < 3; ++j) {
            const auto found = sideOwner.find(directedKey(CornerOf(m, static_cast<std::int32_t>(e), (j + 1) % 3),
                                                          CornerOf(m, static_cast<std::int32_t>(e), j)));
            if (found != sideOwner.end()) links.Elements[e].Across[static_cast<std::size_t>(j)] = found->second / 4;
        }
    }
    // Constraint sides: the rows of both lists that are element sides.
    std::unordered_map<std::uint64_t, bool> listed;
    for (std::size_t k = 1; k < m.BoundaryEdges.size() && k <= static_cast<std::size_t>(m.BoundaryEdgeCount); ++k)
        listed[undirectedKey(m.BoundaryEdges[k][0], m.BoundaryEdges[k][1])] = true;
    for (std::size_t k = 1; k < m.ConstraintEdges.size() && k <= static_cast<std::size_t>(m.ConstraintEdgeCount); ++k)
        listed[undirectedKey(m.ConstraintEdges[k][0], m.ConstraintEdges[k][1])] = true;
    if (!listed.empty()) {
        for (std::size_t e = 1; e <= count; ++e) {
            if (!isTriangleSlot(m.MeshElementList[e])) continue;
            for (int j = 0; j < 3; ++j)
                if (listed.count(undirectedKey(CornerOf(m, static_cast<std::int32_t>(e), j),
                                               CornerOf(m, static_cast<std::int32_t>(e), (j + 1) % 3))) != 0)
                    links.Elements[e].Locked = static_cast<std::uint8_t>(links.Elements[e].Locked | (1u << j));
        }
    }
    if (links.Hint < 1 || links.Hint > static_cast<std::int32_t>(count)) links.Hint = count > 0 ? 1 : 0;
}

bool LinksMatchNet(const BasDelaunay& m) {
    const TriangulationLinks& links = m.Links;
    const std::size_t count = static_cast<std::size_t>(m.MeshElementCount);
    if (links.Elements.size() != count + 1 ||
        links.NodeElement.size() != static_cast<std::size_t>(m.MeshNodeCount) + 1)
        return false;
    for (std::size_t e = 1; e <= count; ++e) {
        const NetElement& element = m.MeshElementList[e];
        if (!isTriangleSlot(element)) return false;
        for (std::size_t j = 0; j < 3; ++j)
            if (links.Elements[e].Corners[j] != element.Node[j + 1]) return false;
    }
    return true;
}

void EnsureLinks(BasDelaunay& m) {
    if (!LinksMatchNet(m)) RebuildLinks(m);
}

void EnsureLinksSized(BasDelaunay& m) {
    const TriangulationLinks& links = m.Links;
    const std::size_t count = static_cast<std::size_t>(m.MeshElementCount);
    if (links.Elements.size() != count + 1) {
        RebuildLinks(m);
        return;
    }
    if (m.Links.NodeElement.size() < static_cast<std::size_t>(m.MeshNodeCount) + 1)
        m.Links.NodeElement.resize(static_cast<std::size_t>(m.MeshNodeCount) + 1, 0);
}

void SetElementCorners(BasDelaunay& m, std::int32_t e, std::int16_t a, std::int16_t b,
                       std::int16_t c) {
    NetElement& element = m.MeshElementList[static_cast<std::size_t>(e)];
    element.Node[1] = a;
    element.Node[2] = b;
    element.Node[3] = c;
    TriangulationLinks& links = m.Links;
    links.Elements[static_cast<std::size_t>(e)].Corners = {a, b, c};
    const std::size_t needed = static_cast<std::size_t>(std::max({a, b, c})) + 1;
    if (links.NodeElement.size() < needed) links.NodeElement.resize(needed, 0);
    links.NodeElement[static_cast<std::size_t>(a)] = e;
    links.NodeElement[static_cast<std::size_t>(b)] = e;
    links.NodeElement[static_cast<std::size_t>(c)] = e;
    if (links.Made != nullptr) links.Made->push_back(e);
}

std::uint32_t NextVisitStamp(BasDelaunay& m) {
    TriangulationLinks& links = m.Links;
    if (links.Elements.size() != static_cast<std::size_t>(m.MeshElementCount) + 1) RebuildLinks(m);
    if (++links.VisitStamp == 0) {
        for (ElementLink& element : links.Elements) element.Visit = 0;
        links.VisitStamp = 1;
    }
    return links.VisitStamp;
}

std::int16_t CornerOf(const BasDelaunay& m, std::int32_t e, int j) {
    return m.MeshElementList[static_cast<std::size_t>(e)].Node[static_cast<std::size_t>(j + 1)];
}

namespace {

// The elements at node in ElementsAtNode's order, handed to visit until it
// answers true; returns that element (0 when none did).
template <class Visit>
std::int32_t visitElementsAtNode(const BasDelaunay& m, std::int16_t node, std::vector<std::int32_t>& around,
                                 Visit&& visit) {
    around.clear();
    const TriangulationLinks& links = m.Links;
    auto cornerIndex = [&](std::int32_t e) {
        for (int j = 0; j < 3; ++j)
            if (CornerOf(m, e, j) == node) return j;
        return -1;
    };
    std::int32_t start = 0;
    if (node > 0 && static_cast<std::size_t>(node) < links.NodeElement.size())
        start = links.NodeElement[static_cast<std::size_t>(node)];
    if (start < 1 || start > m.MeshElementCount || cornerIndex(start) < 0) {
        // The node's element is not known: look for one.
        start = 0;
        for (std::int32_t e = 1; e <= m.MeshElementCount && start == 0; ++e)
            if (isTriangleSlot(m.MeshElementList[static_cast<std::size_t>(e)]) && cornerIndex(e) >= 0) start = e;
        if (start == 0) return 0;
    }
    // Counter-clockwise: across the side that arrives at the node.
    std::int32_t e = start;
    bool closed = false;
    const std::size_t limit = static_cast<std::size_t>(m.MeshElementCount) + 1;
    while (around.size() <= limit) {
        around.push_back(e);
        if (visit(e)) return e;
        const int i = cornerIndex(e);
        const std::int32_t next = links.Elements[static_cast<std::size_t>(e)].Across[static_cast<std::size_t>((i + 2) % 3)];
        if (next == start) {
            closed = true;
            break;
        }
        if (next == 0 || cornerIndex(next) < 0) break;
        e = next;
    }
    if (closed) return 0;
    // Clockwise from the start for the rest of a node on the border.
    e = start;
    while (around.size() <= limit) {
        const int i = cornerIndex(e);
        const std::int32_t next = links.Elements[static_cast<std::size_t>(e)].Across[static_cast<std::size_t>(i)];
        if (next == 0 || next == start || cornerIndex(next) < 0) break;
        if (std::find(around.begin(), around.end(), next) != around.end()) break;
        around.push_back(next);
        if (visit(next)) return next;
        e = next;
    }
    return 0;
}

}  // namespace

std::vector<std::int32_t> ElementsAtNode(const BasDelaunay& m, std::int16_t node) {
    std::vector<std::int32_t> around;
    visitElementsAtNode(m, node, around, [](std::int32_t) { return false; });
    return around;
}

std::int32_t ElementWithSide(const BasDelaunay& m, std::int16_t a, std::int16_t b, int& j) {
    static thread_local std::vector<std::int32_t> around;
    int found = -1;
    const std::int32_t e = visitElementsAtNode(m, a, around, [&](std::int32_t element) {
        for (int k = 0; k < 3; ++k)
            if (CornerOf(m, element, k) == a && CornerOf(m, element, (k + 1) % 3) == b) {
                found = k;
                return true;
            }
        return false;
    });
    j = e != 0 ? found : -1;
    return e;
}

bool IsElementSide(const BasDelaunay& m, std::int16_t a, std::int16_t b) {
    int j = 0;
    return ElementWithSide(m, a, b, j) != 0 || ElementWithSide(m, b, a, j) != 0;
}

void LockSide(BasDelaunay& m, std::int16_t a, std::int16_t b, bool locked) {
    for (int pass = 0; pass < 2; ++pass) {
        int j = 0;
        const std::int32_t e = pass == 0 ? ElementWithSide(m, a, b, j) : ElementWithSide(m, b, a, j);
        if (e == 0) continue;
        std::uint8_t& bits = m.Links.Elements[static_cast<std::size_t>(e)].Locked;
        bits = static_cast<std::uint8_t>(locked ? (bits | (1u << j)) : (bits & ~(1u << j)));
    }
}

double OrientNodes(const BasDelaunay& m, std::int16_t a, std::int16_t b, std::int16_t c) {
    return predicates::Orient2d(nodeX(m, a), nodeY(m, a), nodeX(m, b), nodeY(m, b), nodeX(m, c),
                                nodeY(m, c));
}

double OrientToPoint(const BasDelaunay& m, std::int16_t a, std::int16_t b, double x, double y) {
    return predicates::Orient2d(nodeX(m, a), nodeY(m, a), nodeX(m, b), nodeY(m, b), x, y);
}

WalkResult WalkAlongLine(const BasDelaunay& m, std::int32_t start, double fromX, double fromY,
                         double toX, double toY, bool stopAtConstraints) {
    const ElementLink* link = m.Links.Elements.data();
    const float* nodeXs = m.MeshNodeX.data();
    const float* nodeYs = m.MeshNodeY.data();
    std::int32_t e = start;
    const std::int64_t limit = 4 * static_cast<std::int64_t>(m.MeshElementCount) + 16;
    for (std::int64_t step = 0; step < limit; ++step) {
        const ElementLink& at = link[e];
        // Sides beyond which the target lies.
        double beyond[3];
        bool inside = true;
        for (int j = 0; j < 3; ++j) {
            const std::int16_t a = at.Corners[static_cast<std::size_t>(j)];
            const std::int16_t b = at.Corners[static_cast<std::size_t>((j + 1) % 3)];
            beyond[j] = predicates::Orient2d(nodeXs[a], nodeYs[a], nodeXs[b], nodeYs[b], toX, toY);
            if (beyond[j] < 0.0) inside = false;
        }
        if (inside) return {WalkEnd::Reached, e, -1};
        // The exit side: the target lies beyond it and the line from the
        // start to the target passes between its two ends.
        // (A side it entered by never qualifies: the target lies on this
        // element's side of it.) When the line runs through a corner, or the
        // start point is not exact, the first side the target lies beyond
        // does.
        int exit = -1;
        int fallback = -1;
        for (int j = 0; j < 3 && exit < 0; ++j) {
            if (beyond[j] >= 0.0) continue;
            if (fallback < 0) fallback = j;
            const std::int16_t a = at.Corners[static_cast<std::size_t>(j)];
            const std::int16_t b = at.Corners[static_cast<std::size_t>((j + 1) % 3)];
            const double sideA = predicates::Orient2d(fromX, fromY, toX, toY, nodeXs[a], nodeYs[a]);
            const double sideB = predicates::Orient2d(fromX, fromY, toX, toY, nodeXs[b], nodeYs[b]);
            if (sideA <= 0.0 && sideB >= 0.0) exit = j;
        }
        if (exit < 0) exit = fallback;
        if (stopAtConstraints && (at.Locked & (1u << exit)) != 0) return {WalkEnd::Blocked, e, exit};
        const std::int32_t next = at.Across[static_cast<std::size_t>(exit)];
        if (next == 0) return {WalkEnd::Outside, e, exit};
        e = next;
    }
    return {WalkEnd::Failed, e, -1};
}

std::int32_t LocatePoint(BasDelaunay& m, double x, double y, std::int32_t hint) {
    std::int32_t start = hint;
    if (start < 1 || start > m.MeshElementCount) start = m.Links.Hint;
    if (start < 1 || start > m.MeshElementCount) start = 1;
    if (m.MeshElementCount < 1) return 0;
    const std::int16_t a = linkCorner(m, start, 0);
    const std::int16_t b = linkCorner(m, start, 1);
    const std::int16_t c = linkCorner(m, start, 2);
    // The start element itself holds the point (the walk's first step).
    if (OrientToPoint(m, a, b, x, y) >= 0.0 && OrientToPoint(m, b, c, x, y) >= 0.0 && OrientToPoint(m, c, a, x, y) >= 0.0)
        return start;
    const double fromX = (nodeX(m, a) + nodeX(m, b) + nodeX(m, c)) / 3.0;
    const double fromY = (nodeY(m, a) + nodeY(m, b) + nodeY(m, c)) / 3.0;
    const WalkResult walk = WalkAlongLine(m, start, fromX, fromY, x, y, false);
    if (walk.end == WalkEnd::Reached) return walk.element;
    if (walk.end == WalkEnd::Outside) return 0;
    // The walk found no way (a flat start element): scan the triangles.
    for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) {
        if (!isTriangleSlot(m.MeshElementList[static_cast<std::size_t>(e)])) continue;
        bool inside = OrientNodes(m, linkCorner(m, e, 0), linkCorner(m, e, 1), linkCorner(m, e, 2)) > 0.0;
        for (int j = 0; j < 3 && inside; ++j)
            if (OrientToPoint(m, linkCorner(m, e, j), linkCorner(m, e, (j + 1) % 3), x, y) < 0.0) inside = false;
        if (inside) return e;
    }
    return 0;
}

}  // namespace orvelo
