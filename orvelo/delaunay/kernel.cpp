#include "orvelo/delaunay/kernel.h"

#include <algorithm>
#include <cmath>
#include <type_traits>
#include <vector>

#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/predicates.h"
#include "orvelo/delaunay/units.h"
#include "platform/runtime/errors.h"

namespace orvelo {

namespace {

double xOf(const BasDelaunay& m, std::int32_t n) { return m.MeshNodeX[static_cast<std::size_t>(n)]; }
double yOf(const BasDelaunay& m, std::int32_t n) { return m.MeshNodeY[static_cast<std::size_t>(n)]; }

// rt::toSingleChecked without the call where the value is plainly in range.
inline float toSingle(double value) {
    if (std::fabs(value) < 1e38) return static_cast<float>(value);
    return rt::toSingleChecked(value);
}

bool isLocked(const BasDelaunay& m, std::int32_t e, int j) {
    return (m.Links.Elements[static_cast<std::size_t>(e)].Locked & (1u << j)) != 0;
}

std::int32_t acrossOf(const BasDelaunay& m, std::int32_t e, int j) {
    return m.Links.Elements[static_cast<std::size_t>(e)].Across[static_cast<std::size_t>(j)];
}

// Splits every row naming the side first-second (either order) at node:
// the row becomes (its first node, node) and (node, its second node) is
// appended.
void splitRows(EdgeList& rows, std::int16_t& count, std::int16_t first, std::int16_t second,
               std::int16_t node) {
    const std::int32_t n = count;
    for (std::int32_t k = 1; k <= n; ++k) {
        auto& row = rows[static_cast<std::size_t>(k)];
        if (!((row[0] == first && row[1] == second) || (row[0] == second && row[1] == first))) continue;
        if (count >= kMaxNetCount) rt::raise(6, "The list of constraint sides would pass 32767 rows.");
        const std::int16_t rowEnd = row[1];
        row[1] = node;
        rows.resize(static_cast<std::size_t>(count) + 2);
        rows[static_cast<std::size_t>(count) + 1] = {node, rowEnd};
        ++count;
    }
}

struct CavitySide {
    bool outside = false;  // a side of an outside element: its new element stays outside
    std::int16_t a = 0;
    std::int16_t b = 0;
    std::int32_t beyond = 0;  // the element across the side, 0 none
    bool locked = false;
};

// Working lists of one insertion, kept between insertions so that an
// insertion allocates nothing once they have grown.
struct InsertionBuffers {
    std::vector<std::int32_t> cavity;
    std::vector<std::int32_t> unseen;
    std::vector<std::int32_t> kept;
    std::vector<CavitySide> sides;
    std::vector<std::int16_t> splitEnds;
    std::vector<std::int32_t> made;
    std::vector<std::int32_t> byEnd;  // by node: the new element whose side 1 ends there
};

InsertionBuffers& buffers() {
    static InsertionBuffers lists;
    return lists;
}

// The corners as the links keep them (the same as the element list's
// within a generation, in a list a tenth of its size).
inline std::int16_t cornerAt(const BasDelaunay& m, std::int32_t e, int j) {
    return m.Links.Elements[static_cast<std::size_t>(e)].Corners[static_cast<std::size_t>(j)];
}

// FreeElementStack's push and pop on the mesher data at hand.
inline void pushFree(BasDelaunay& m, std::int16_t value) {
    if (m.FreeElementDepth >= kMaxNetCount) rt::raise(6, "The stack of free element numbers would pass 32767 entries.");
    ++m.FreeElementDepth;
    if (m.FreeElements.size() < static_cast<std::size_t>(m.FreeElementDepth) + 1)
        m.FreeElements.resize(static_cast<std::size_t>(m.FreeElementDepth) + 1, 0);
    m.FreeElements[static_cast<std::size_t>(m.FreeElementDepth)] = value;
}

inline std::int16_t popFree(BasDelaunay& m) {
    if (m.FreeElementDepth == 0) return 0;
    return m.FreeElements[static_cast<std::size_t>(m.FreeElementDepth--)];
}

// The circle of element e (see ComputeCircumcircle), with the coincidence
// tolerance of the running insertion.
void computeCircle(BasDelaunay& m, std::int32_t element, double tol) {
    const NetElement& e = m.MeshElementList[static_cast<std::size_t>(element)];
    const float* nodeX = m.MeshNodeX.data();
    const float* nodeY = m.MeshNodeY.data();
    const std::size_t n1 = static_cast<std::size_t>(e.Node[1]);
    const std::size_t n2 = static_cast<std::size_t>(e.Node[2]);
    const std::size_t n3 = static_cast<std::size_t>(e.Node[3]);
    const float x1 = nodeX[n1], y1 = nodeY[n1];
    const float x2 = nodeX[n2], y2 = nodeY[n2];
    const float x3 = nodeX[n3], y3 = nodeY[n3];
    const double dx1 = x1, dy1 = y1, dx2 = x2, dy2 = y2, dx3 = x3, dy3 = y3;
    const float det = static_cast<float>(dx1 * dy2 - dx1 * dy3 - dy1 * dx2 + dy1 * dx3 - dy2 * dx3 + dy3 * dx2);
    auto& circle = m.ElementCircle[static_cast<std::size_t>(element)];
    const bool coincide = (CloserThan(x1, x2, tol) && CloserThan(y1, y2, tol)) ||
                          (CloserThan(x1, x3, tol) && CloserThan(y1, y3, tol)) ||
                          (CloserThan(x3, x2, tol) && CloserThan(y3, y2, tol));
    if (det == 0.0f || coincide) {
        circle = {static_cast<float>((dx1 + dx2 + dx3) / 3.0), static_cast<float>((dy1 + dy2 + dy3) / 3.0), 0.0f};
        return;
    }
    const double s1 = dx1 * dx1 + dy1 * dy1;
    const double s2 = dx2 * dx2 + dy2 * dy2;
    const double s3 = dx3 * dx3 + dy3 * dy3;
    const float cx = toSingle(0.5 * (s1 * (dy2 - dy3) + s2 * (dy3 - dy1) + s3 * (dy1 - dy2)) / det);
    const float cy = toSingle(0.5 * (s1 * (dx3 - dx2) + s2 * (dx1 - dx3) + s3 * (dx2 - dx1)) / det);
    const double ccx = cx;
    const double ccy = cy;
    const double r2 = ((ccx - dx1) * (ccx - dx1) + (ccy - dy1) * (ccy - dy1) + (ccx - dx2) * (ccx - dx2) +
                       (ccy - dy2) * (ccy - dy2) + (ccx - dx3) * (ccx - dx3) + (ccy - dy3) * (ccy - dy3)) /
                      3.0;
    circle = {cx, cy, toSingle(r2)};
}

// AppendElement on the mesher data at hand.
std::int32_t appendElement(BasDelaunay& m) {
    if (m.MeshElementCount >= kMaxNetCount) RaiseNetTooLarge();
    ++m.MeshElementCount;
    const std::size_t size = static_cast<std::size_t>(m.MeshElementCount) + 1;
    // One more entry on a list that ends where it should (the usual case)
    // is appended; any other is sized to the count.
    auto grow = [size](auto& list, const auto& empty) {
        using Entry = typename std::decay_t<decltype(list)>::value_type;
        if (list.size() == size - 1) list.push_back(Entry(empty));
        else list.resize(size, Entry(empty));
    };
    grow(m.MeshElementList, NetElement{});
    m.MeshElementList[size - 1] = NetElement{};
    grow(m.ElementCircle, std::array<float, 3>{0.0f, 0.0f, 0.0f});
    // The links grow with the net only while they describe it (during a
    // generation); the editing tasks work without them.
    TriangulationLinks& links = m.Links;
    if (links.Elements.size() == size - 1) links.Elements.push_back(ElementLink{});
    return m.MeshElementCount;
}

// The insertion of node at (x, y): seeds are the elements that must be in
// the cavity (the element holding the node, and the elements across sides
// the node lies on); splitSides are the constraint sides the node divides,
// as (element, side), at most two.
// (The lists are read through plain pointers, taken again wherever a list
// may grow.)
InsertOutcome insertWithSeeds(BasDelaunay& m, std::int16_t node, const std::int32_t* seeds, int seedCount,
                              const std::pair<std::int32_t, int>* splitSides, int splitCount,
                              bool outsideSeedKept = false, std::pair<std::int32_t, int>* encroached = nullptr) {
    const float* nodeX = m.MeshNodeX.data();
    const float* nodeY = m.MeshNodeY.data();
    const double x = nodeX[node];
    const double y = nodeY[node];
    TriangulationLinks& links = m.Links;
    InsertionBuffers& work = buffers();

    // An outside seed is allowed only where a border side is divided: it is
    // split in two outside elements and the cavity does not grow from it.
    const NetElement* elements = m.MeshElementList.data();
    auto isOutside = [elements](std::int32_t e) { return elements[e].CornerCount < 0; };
    for (int s = 0; s < seedCount; ++s)
        if (isOutside(seeds[s]) && !(outsideSeedKept && s > 0)) return InsertOutcome::Refused;

    std::uint32_t stamp = NextVisitStamp(m);
    ElementLink* link = links.Elements.data();
    auto isSplitSide = [&](std::int32_t e, int j) {
        for (int s = 0; s < splitCount; ++s) {
            const auto [se, sj] = splitSides[s];
            if (se == e && sj == j) return true;
            if (link[se].Across[static_cast<std::size_t>(sj)] == e && link[e].Across[static_cast<std::size_t>(j)] == se)
                return true;
        }
        return false;
    };
    auto isSeed = [&](std::int32_t e) {
        for (int s = 0; s < seedCount; ++s)
            if (seeds[s] == e) return true;
        return false;
    };
    // Whether (x, y) lies strictly inside the circumcircle of the
    // counter-clockwise element e.
    auto circleHolds = [&](std::int32_t e) {
        const auto& c = link[e].Corners;
        return predicates::InCircle(nodeX[c[0]], nodeY[c[0]], nodeX[c[1]], nodeY[c[1]], nodeX[c[2]], nodeY[c[2]], x,
                                    y) > 0.0;
    };

    // Grow the cavity from the seeds.
    std::vector<std::int32_t>& cavity = work.cavity;
    cavity.assign(seeds, seeds + seedCount);
    for (std::int32_t s : cavity) link[s].Visit = stamp;
    bool reachesOutside = false;
    for (std::size_t q = 0; q < cavity.size(); ++q) {
        const std::int32_t e = cavity[q];
        if (isOutside(e)) continue;
        const ElementLink& at = link[e];
        // The neighbours' records are asked for together, before the
        // first of them is looked at.
        for (int j = 0; j < 3; ++j) {
            const std::int32_t nb = at.Across[static_cast<std::size_t>(j)];
            __builtin_prefetch(&link[nb]);
            __builtin_prefetch(&elements[nb]);
        }
        for (int j = 0; j < 3; ++j) {
            if ((at.Locked & (1u << j)) != 0 && !isSplitSide(e, j)) {
                // A constraint side the node encroaches (it lies inside the
                // side's diametral circle) stops the insertion when asked.
                if (encroached != nullptr && encroached->first == 0) {
                    const std::int16_t a = at.Corners[static_cast<std::size_t>(j)];
                    const std::int16_t b = at.Corners[static_cast<std::size_t>((j + 1) % 3)];
                    if ((nodeX[a] - x) * (nodeX[b] - x) + (nodeY[a] - y) * (nodeY[b] - y) < 0.0) *encroached = {e, j};
                }
                continue;
            }
            const std::int32_t nb = at.Across[static_cast<std::size_t>(j)];
            if (nb == 0 || link[nb].Visit == stamp) continue;
            if (!circleHolds(nb)) continue;
            if (isOutside(nb)) {
                if (encroached == nullptr) return InsertOutcome::Refused;
                reachesOutside = true;  // the encroachment is looked for all the same
                continue;
            }
            link[nb].Visit = stamp;
            cavity.push_back(nb);
        }
    }
    if (encroached != nullptr && encroached->first != 0) return InsertOutcome::Encroaching;
    if (reachesOutside) return InsertOutcome::Refused;

    // Reduce it until the node sees every side of its border and the cavity
    // is one piece without nodes inside (k elements, k + 2 border sides).
    // The border sides, of the cavity elements in ascending order and in the
    // order met, are the sides of the new elements.
    auto borderSide = [&](std::int32_t e, int j, std::uint32_t inStamp) {
        const std::int32_t nb = link[e].Across[static_cast<std::size_t>(j)];
        if (nb == 0 || link[nb].Visit != inStamp) return true;
        return (link[e].Locked & (1u << j)) != 0 && !isSplitSide(e, j);
    };
    std::vector<CavitySide>& sides = work.sides;
    for (int round = 0;; ++round) {
        std::sort(cavity.begin(), cavity.end());
        std::vector<std::int32_t>& unseen = work.unseen;
        unseen.clear();
        sides.clear();
        for (std::int32_t e : cavity) {
            const ElementLink& at = link[e];
            for (int j = 0; j < 3; ++j) {
                if (!borderSide(e, j, stamp)) continue;
                const std::int16_t a = at.Corners[static_cast<std::size_t>(j)];
                const std::int16_t b = at.Corners[static_cast<std::size_t>((j + 1) % 3)];
                sides.push_back({isOutside(e), a, b, at.Across[static_cast<std::size_t>(j)],
                                 (at.Locked & (1u << j)) != 0});
                if (predicates::Orient2d(nodeX[a], nodeY[a], nodeX[b], nodeY[b], x, y) <= 0.0) unseen.push_back(e);
            }
        }
        if (unseen.empty() && sides.size() == cavity.size() + 2) break;
        bool seedsOnly = round > 64 || unseen.empty();  // unseen empty: a hole or a pinch
        for (std::int32_t e : unseen)
            if (isSeed(e)) seedsOnly = true;
        if (seedsOnly && cavity.size() == static_cast<std::size_t>(seedCount)) return InsertOutcome::Unplaced;
        // Keep the seeds and what stays connected to them.
        const std::uint32_t old = stamp;
        stamp = NextVisitStamp(m);
        link = links.Elements.data();
        std::vector<std::int32_t>& kept = work.kept;
        kept.assign(seeds, seeds + seedCount);
        for (std::int32_t s : kept) link[s].Visit = stamp;
        if (!seedsOnly) {
            for (std::size_t q = 0; q < kept.size(); ++q) {
                const std::int32_t e = kept[q];
                if (isOutside(e)) continue;
                for (int j = 0; j < 3; ++j) {
                    const std::int32_t nb = link[e].Across[static_cast<std::size_t>(j)];
                    if (nb == 0 || link[nb].Visit != old) continue;
                    if ((link[e].Locked & (1u << j)) != 0 && !isSplitSide(e, j)) continue;
                    if (std::find(unseen.begin(), unseen.end(), nb) != unseen.end()) continue;
                    link[nb].Visit = stamp;
                    kept.push_back(nb);
                }
            }
        }
        cavity.swap(kept);
    }

    // The cavity elements in ascending order onto the free-number stack.
    for (std::int32_t e : cavity) pushFree(m, static_cast<std::int16_t>(e));
    std::vector<std::int16_t>& splitEnds = work.splitEnds;
    splitEnds.clear();
    for (int s = 0; s < splitCount; ++s) {
        const auto& corners = link[splitSides[s].first].Corners;
        splitEnds.push_back(corners[static_cast<std::size_t>(splitSides[s].second)]);
        splitEnds.push_back(corners[static_cast<std::size_t>((splitSides[s].second + 1) % 3)]);
    }
    if (links.NodeElement.size() < static_cast<std::size_t>(m.MeshNodeCount) + 1)
        links.NodeElement.resize(static_cast<std::size_t>(m.MeshNodeCount) + 1, 0);
    std::vector<std::int32_t>& made = work.made;
    made.clear();
    for (const CavitySide& side : sides) {
        std::int32_t number = popFree(m);
        if (number == 0) number = appendElement(m);
        link = links.Elements.data();
        // SetElementCorners(m, number, node, side.a, side.b), in place.
        NetElement& element = m.MeshElementList[static_cast<std::size_t>(number)];
        element.CornerCount = side.outside ? -1 : 3;
        element.Node[1] = node;
        element.Node[2] = side.a;
        element.Node[3] = side.b;
        ElementLink& made1 = link[number];
        made1.Corners = {node, side.a, side.b};
        std::int32_t* nodeElement = links.NodeElement.data();
        nodeElement[node] = number;
        nodeElement[side.a] = number;
        nodeElement[side.b] = number;
        if (links.Made != nullptr) links.Made->push_back(number);
        made1.Across = {0, side.beyond, 0};
        made1.Locked = side.locked ? 2u : 0u;
        if (side.beyond != 0) {
            ElementLink& beyond = link[side.beyond];
            for (int k = 0; k < 3; ++k)
                if (beyond.Corners[static_cast<std::size_t>(k)] == side.b &&
                    beyond.Corners[static_cast<std::size_t>((k + 1) % 3)] == side.a)
                    beyond.Across[static_cast<std::size_t>(k)] = number;
        }
        made.push_back(number);
    }
    // The spokes from the node: the new element whose side 0 runs from the
    // node to a corner meets the one whose side 2 runs from that corner back.
    // (The lowest such number, should a corner end two of them.)
    std::vector<std::int32_t>& byEndList = work.byEnd;
    if (byEndList.size() < static_cast<std::size_t>(m.MeshNodeCount) + 1)
        byEndList.resize(static_cast<std::size_t>(m.MeshNodeCount) + 1, 0);
    std::int32_t* byEnd = byEndList.data();
    for (std::int32_t number : made) {
        std::int32_t& slot = byEnd[link[number].Corners[2]];
        if (slot == 0 || number < slot) slot = number;
    }
    for (std::int32_t number : made) {
        ElementLink& at = link[number];
        const std::int16_t a = at.Corners[1];
        const std::int16_t b = at.Corners[2];
        const std::int32_t before = a >= 0 ? byEnd[a] : 0;
        if (before != 0) {
            at.Across[0] = before;
            link[before].Across[2] = number;
        }
        if (std::find(splitEnds.begin(), splitEnds.end(), a) != splitEnds.end()) at.Locked |= 1u;
        if (std::find(splitEnds.begin(), splitEnds.end(), b) != splitEnds.end()) at.Locked |= 4u;
    }
    for (std::int32_t number : made) byEnd[link[number].Corners[2]] = 0;
    if (!links.DeferCircles) {
        const double tol = CoincidenceTolerance();
        for (std::int32_t number : made) computeCircle(m, number, tol);
    }
    if (!made.empty()) links.Hint = made.back();

    for (std::size_t s = 0; s < splitEnds.size(); s += 2) {
        splitRows(m.BoundaryEdges, m.BoundaryEdgeCount, splitEnds[s], splitEnds[s + 1], node);
        splitRows(m.ConstraintEdges, m.ConstraintEdgeCount, splitEnds[s], splitEnds[s + 1], node);
    }
    return InsertOutcome::Inserted;
}

}  // namespace

void RaiseNetTooLarge() {
    rt::raise(6, "The net would need more than 32767 elements. Choose a larger target element size or minimum "
                 "element size.");
}

std::int32_t AppendElement() { return appendElement(basDelaunay()); }

std::int16_t AppendNode(float x, float y) {
    BasDelaunay& m = basDelaunay();
    if (m.MeshNodeCount >= kMaxNetCount)
        rt::raise(6,
                  "The net would need more than 32767 nodes. Choose a larger target element size "
                  "or minimum element size.");
    ++m.MeshNodeCount;
    const std::size_t size = static_cast<std::size_t>(m.MeshNodeCount) + 1;
    if (m.MeshNodeX.size() == size - 1 && m.MeshNodeY.size() == size - 1) {
        m.MeshNodeX.push_back(x);
        m.MeshNodeY.push_back(y);
        return m.MeshNodeCount;
    }
    m.MeshNodeX.resize(size);
    m.MeshNodeY.resize(size);
    m.MeshNodeX[size - 1] = x;
    m.MeshNodeY[size - 1] = y;
    return m.MeshNodeCount;
}

std::int16_t InitStartTriangulation() {
    BasDelaunay& m = basDelaunay();
    m.BoundaryEdgeCount = 0;
    m.MeshNodeCount = 4;
    m.MeshElementCount = 2;
    m.ElementCircle.assign(3, {0.0f, 0.0f, 0.0f});
    m.MeshElementList.assign(3, NetElement{});
    m.MeshNodeX.assign(5, 0.0f);
    m.MeshNodeY.assign(5, 0.0f);
    m.BoundaryEdges.assign(2, {0, 0});
    m.MeshElementList[1].Node = {0, 1, 2, 3, 0};
    m.MeshElementList[2].Node = {0, 1, 3, 4, 0};
    m.MeshNodeX[2] = 10.0f;
    m.MeshNodeX[3] = 10.0f;
    m.MeshNodeY[3] = 10.0f;
    m.MeshNodeY[4] = 10.0f;
    m.FixedNodeCount = 0;
    m.FixedNodes.assign(1, 0);
    m.ConstraintEdgeCount = 0;
    m.ConstraintEdges.assign(1, {0, 0});
    ClearLinks(m.Links);
    RebuildLinks(m);
    m.Links.Hint = 2;
    // Room for the largest net from the start: the lists grow without
    // being moved, and their pages are taken only as they are used.
    constexpr std::size_t kRoom = static_cast<std::size_t>(kMaxNetCount) + 1;
    m.MeshElementList.reserve(kRoom);
    m.ElementCircle.reserve(kRoom);
    m.MeshNodeX.reserve(kRoom);
    m.MeshNodeY.reserve(kRoom);
    m.Links.Elements.reserve(kRoom);
    m.Links.NodeElement.reserve(kRoom);
    return FreeElementStack(-1);
}

void StretchStartRectangle() {
    BasDelaunay& m = basDelaunay();
    if (m.MeshNodeCount < 5) return;
    float xMin = m.MeshNodeX[5];
    float xMax = xMin;
    float yMin = m.MeshNodeY[5];
    float yMax = yMin;
    for (std::size_t n = 6; n <= static_cast<std::size_t>(m.MeshNodeCount); ++n) {
        xMax = std::max(xMax, m.MeshNodeX[n]);
        xMin = std::min(xMin, m.MeshNodeX[n]);
        yMax = std::max(yMax, m.MeshNodeY[n]);
        yMin = std::min(yMin, m.MeshNodeY[n]);
    }
    const float width = xMax - xMin;
    const float height = yMax - yMin;
    m.MeshExtentXMin = xMin - width;
    m.MeshExtentYMin = yMin - height;
    m.MeshExtentXMax = xMax + width;
    m.MeshExtentYMax = yMax + height;
    m.MeshNodeX[1] = m.MeshExtentXMin;
    m.MeshNodeY[1] = m.MeshExtentYMin;
    m.MeshNodeX[2] = m.MeshExtentXMax;
    m.MeshNodeY[2] = m.MeshExtentYMin;
    m.MeshNodeX[3] = m.MeshExtentXMax;
    m.MeshNodeY[3] = m.MeshExtentYMax;
    m.MeshNodeX[4] = m.MeshExtentXMin;
    m.MeshNodeY[4] = m.MeshExtentYMax;
}

void ComputeElementCircle(BasDelaunay& m, std::int32_t element, double tol) { computeCircle(m, element, tol); }

void ComputeCircumcircle(std::int16_t element) {
    BasDelaunay& m = basDelaunay();
    (void)m.MeshElementList.at(static_cast<std::size_t>(element));
    (void)m.ElementCircle.at(static_cast<std::size_t>(element));
    const NetElement& e = m.MeshElementList[static_cast<std::size_t>(element)];
    for (int k = 1; k <= 3; ++k) {
        (void)m.MeshNodeX.at(static_cast<std::size_t>(e.Node[static_cast<std::size_t>(k)]));
        (void)m.MeshNodeY.at(static_cast<std::size_t>(e.Node[static_cast<std::size_t>(k)]));
    }
    computeCircle(m, element, CoincidenceTolerance());
}

std::int16_t FreeElementStack(std::int16_t value) {
    BasDelaunay& m = basDelaunay();
    if (value == -1) {
        m.FreeElements.assign(2, 0);
        m.FreeElementDepth = 0;
        return 0;
    }
    if (value == 0) {
        if (m.FreeElementDepth == 0) return 0;
        const std::int16_t top = m.FreeElements[static_cast<std::size_t>(m.FreeElementDepth)];
        --m.FreeElementDepth;
        return top;
    }
    if (m.FreeElementDepth >= kMaxNetCount) rt::raise(6, "The stack of free element numbers would pass 32767 entries.");
    ++m.FreeElementDepth;
    if (m.FreeElements.size() < static_cast<std::size_t>(m.FreeElementDepth) + 1)
        m.FreeElements.resize(static_cast<std::size_t>(m.FreeElementDepth) + 1, 0);
    m.FreeElements[static_cast<std::size_t>(m.FreeElementDepth)] = value;
    return value;
}

bool CircumcentreInWindow(std::int16_t element, std::int16_t windowSwitch) {
    const BasDelaunay& m = basDelaunay();
    const auto& circle = m.ElementCircle.at(static_cast<std::size_t>(element));
    if (circle[2] == 0.0f) return false;
    if (windowSwitch == 0) return true;
    return m.RefineWindowXMin <= circle[0] && circle[0] < m.RefineWindowXMax &&
           m.RefineWindowYMin < circle[1] && circle[1] <= m.RefineWindowYMax;
}

InsertOutcome InsertNodeNear(std::int16_t node, std::int32_t hint, std::pair<std::int32_t, int>* encroached) {
    BasDelaunay& m = basDelaunay();
    EnsureLinksSized(m);
    const double x = m.MeshNodeX.at(static_cast<std::size_t>(node));
    const double y = m.MeshNodeY.at(static_cast<std::size_t>(node));
    const std::int32_t holder = LocatePoint(m, x, y, hint);
    if (holder == 0) return InsertOutcome::Unplaced;
    std::int32_t seeds[3] = {holder, 0, 0};
    int seedCount = 1;
    std::pair<std::int32_t, int> splitSides[2];
    int splitCount = 0;
    for (int j = 0; j < 3; ++j) {
        const std::int16_t a = cornerAt(m, holder, j);
        if (xOf(m, a) == x && yOf(m, a) == y) return InsertOutcome::Unplaced;
    }
    for (int j = 0; j < 3; ++j) {
        const std::int16_t a = cornerAt(m, holder, j);
        const std::int16_t b = cornerAt(m, holder, (j + 1) % 3);
        if (predicates::Orient2d(xOf(m, a), yOf(m, a), xOf(m, b), yOf(m, b), x, y) != 0.0) continue;
        // The node lies on side j: the element beyond belongs to the cavity,
        // and a constraint side there is divided.
        if (encroached != nullptr && isLocked(m, holder, j)) {
            *encroached = {holder, j};  // on a constraint side: it is divided at its middle instead
            return InsertOutcome::Encroaching;
        }
        const std::int32_t beyond = acrossOf(m, holder, j);
        if (beyond == 0 || seedCount == 3) return InsertOutcome::Unplaced;
        seeds[seedCount++] = beyond;
        if (isLocked(m, holder, j) && splitCount < 2) splitSides[splitCount++] = {holder, j};
    }
    if (encroached != nullptr) *encroached = {0, -1};
    return insertWithSeeds(m, node, seeds, seedCount, splitSides, splitCount, false, encroached);
}

InsertOutcome InsertNodeOnSide(std::int16_t node, std::int32_t element, int side, bool outsideKept) {
    BasDelaunay& m = basDelaunay();
    EnsureLinksSized(m);
    const std::int32_t beyond = acrossOf(m, element, side);
    const std::int32_t seeds[2] = {element, beyond};
    const std::pair<std::int32_t, int> splitSide{element, side};
    return insertWithSeeds(m, node, seeds, beyond != 0 ? 2 : 1, &splitSide, 1, outsideKept);
}

void DivideConstraintRows(std::int16_t first, std::int16_t second, std::int16_t node) {
    BasDelaunay& m = basDelaunay();
    splitRows(m.BoundaryEdges, m.BoundaryEdgeCount, first, second, node);
    splitRows(m.ConstraintEdges, m.ConstraintEdgeCount, first, second, node);
}

std::int16_t InsertNodeIntoTriangulation(std::int16_t node) {
    BasDelaunay& m = basDelaunay();
    if (InsertNodeNear(node, 0) == InsertOutcome::Refused) {
        FreeElementStack(-1);
        if (node == m.MeshNodeCount) {
            --m.MeshNodeCount;
            m.MeshNodeX.resize(static_cast<std::size_t>(m.MeshNodeCount) + 1);
            m.MeshNodeY.resize(static_cast<std::size_t>(m.MeshNodeCount) + 1);
        }
    }
    return 0;
}

}  // namespace orvelo
