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

// OrientToPoint without the call.
inline double orientToPoint(const BasDelaunay& m, std::int16_t a, std::int16_t b, double x, double y) {
    return predicates::Orient2d(xOf(m, a), yOf(m, a), xOf(m, b), yOf(m, b), x, y);
}

// Whether (x, y) lies strictly inside the circumcircle of the
// counter-clockwise element e.
bool circleHolds(const BasDelaunay& m, std::int32_t e, double x, double y) {
    const auto& corner = m.Links.Elements[static_cast<std::size_t>(e)].Corners;
    const std::int16_t a = corner[0];
    const std::int16_t b = corner[1];
    const std::int16_t c = corner[2];
    return predicates::InCircle(xOf(m, a), yOf(m, a), xOf(m, b), yOf(m, b), xOf(m, c), yOf(m, c), x,
                                y) > 0.0;
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
    bool shared = false;
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
    const float x1 = m.MeshNodeX[static_cast<std::size_t>(e.Node[1])];
    const float y1 = m.MeshNodeY[static_cast<std::size_t>(e.Node[1])];
    const float x2 = m.MeshNodeX[static_cast<std::size_t>(e.Node[2])];
    const float y2 = m.MeshNodeY[static_cast<std::size_t>(e.Node[2])];
    const float x3 = m.MeshNodeX[static_cast<std::size_t>(e.Node[3])];
    const float y3 = m.MeshNodeY[static_cast<std::size_t>(e.Node[3])];
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

// The insertion of node at (x, y): seeds are the elements that must be in
// the cavity (the element holding the node, and the elements across sides
// the node lies on); splitSides are the constraint sides the node divides,
// as (element, side), at most two.
InsertOutcome insertWithSeeds(BasDelaunay& m, std::int16_t node, const std::int32_t* seeds, int seedCount,
                              const std::pair<std::int32_t, int>* splitSides, int splitCount,
                              bool outsideSeedKept = false, std::pair<std::int32_t, int>* encroached = nullptr) {
    const double x = xOf(m, node);
    const double y = yOf(m, node);
    TriangulationLinks& links = m.Links;
    InsertionBuffers& work = buffers();

    auto isSplitSide = [&](std::int32_t e, int j) {
        for (int s = 0; s < splitCount; ++s) {
            const auto [se, sj] = splitSides[s];
            if (se == e && sj == j) return true;
            if (acrossOf(m, se, sj) == e && acrossOf(m, e, j) == se) return true;
        }
        return false;
    };
    auto isSeed = [&](std::int32_t e) {
        for (int s = 0; s < seedCount; ++s)
            if (seeds[s] == e) return true;
        return false;
    };
    // An outside seed is allowed only where a border side is divided: it is
    // split in two outside elements and the cavity does not grow from it.
    auto isOutside = [&](std::int32_t e) { return m.MeshElementList[static_cast<std::size_t>(e)].CornerCount < 0; };
    for (int s = 0; s < seedCount; ++s)
        if (isOutside(seeds[s]) && !(outsideSeedKept && s > 0)) return InsertOutcome::Refused;

    // Grow the cavity from the seeds.
    std::uint32_t stamp = NextVisitStamp(m);
    std::vector<std::int32_t>& cavity = work.cavity;
    cavity.assign(seeds, seeds + seedCount);
    for (std::int32_t s : cavity) links.Elements[static_cast<std::size_t>(s)].Visit = stamp;
    bool reachesOutside = false;
    for (std::size_t q = 0; q < cavity.size(); ++q) {
        const std::int32_t e = cavity[q];
        if (isOutside(e)) continue;
        for (int j = 0; j < 3; ++j) {
            if (isLocked(m, e, j) && !isSplitSide(e, j)) {
                // A constraint side the node encroaches (it lies inside the
                // side's diametral circle) stops the insertion when asked.
                if (encroached != nullptr && encroached->first == 0) {
                    const std::int16_t a = cornerAt(m, e, j);
                    const std::int16_t b = cornerAt(m, e, (j + 1) % 3);
                    if ((xOf(m, a) - x) * (xOf(m, b) - x) + (yOf(m, a) - y) * (yOf(m, b) - y) < 0.0) *encroached = {e, j};
                }
                continue;
            }
            const std::int32_t nb = acrossOf(m, e, j);
            if (nb == 0 || links.Elements[static_cast<std::size_t>(nb)].Visit == stamp) continue;
            if (!circleHolds(m, nb, x, y)) continue;
            if (m.MeshElementList[static_cast<std::size_t>(nb)].CornerCount < 0) {
                if (encroached == nullptr) return InsertOutcome::Refused;
                reachesOutside = true;  // the encroachment is looked for all the same
                continue;
            }
            links.Elements[static_cast<std::size_t>(nb)].Visit = stamp;
            cavity.push_back(nb);
        }
    }
    if (encroached != nullptr && encroached->first != 0) return InsertOutcome::Encroaching;
    if (reachesOutside) return InsertOutcome::Refused;

    // Reduce it until the node sees every side of its border and the cavity
    // is one piece without nodes inside (k elements, k + 2 border sides).
    auto borderSide = [&](std::int32_t e, int j, std::uint32_t inStamp) {
        const std::int32_t nb = acrossOf(m, e, j);
        if (nb == 0 || links.Elements[static_cast<std::size_t>(nb)].Visit != inStamp) return true;
        return isLocked(m, e, j) && !isSplitSide(e, j);
    };
    for (int round = 0;; ++round) {
        std::vector<std::int32_t>& unseen = work.unseen;
        unseen.clear();
        std::size_t borderCount = 0;
        for (std::int32_t e : cavity)
            for (int j = 0; j < 3; ++j) {
                if (!borderSide(e, j, stamp)) continue;
                ++borderCount;
                if (orientToPoint(m, cornerAt(m, e, j), cornerAt(m, e, (j + 1) % 3), x, y) <= 0.0)
                    unseen.push_back(e);
            }
        if (unseen.empty() && borderCount == cavity.size() + 2) break;
        bool seedsOnly = round > 64 || unseen.empty();  // unseen empty: a hole or a pinch
        for (std::int32_t e : unseen)
            if (isSeed(e)) seedsOnly = true;
        if (seedsOnly && cavity.size() == static_cast<std::size_t>(seedCount)) return InsertOutcome::Unplaced;
        // Keep the seeds and what stays connected to them.
        const std::uint32_t old = stamp;
        stamp = NextVisitStamp(m);
        std::vector<std::int32_t>& kept = work.kept;
        kept.assign(seeds, seeds + seedCount);
        for (std::int32_t s : kept) links.Elements[static_cast<std::size_t>(s)].Visit = stamp;
        if (!seedsOnly) {
            for (std::size_t q = 0; q < kept.size(); ++q) {
                const std::int32_t e = kept[q];
                if (isOutside(e)) continue;
                for (int j = 0; j < 3; ++j) {
                    const std::int32_t nb = acrossOf(m, e, j);
                    if (nb == 0 || links.Elements[static_cast<std::size_t>(nb)].Visit != old) continue;
                    if (isLocked(m, e, j) && !isSplitSide(e, j)) continue;
                    if (std::find(unseen.begin(), unseen.end(), nb) != unseen.end()) continue;
                    links.Elements[static_cast<std::size_t>(nb)].Visit = stamp;
                    kept.push_back(nb);
                }
            }
        }
        cavity.swap(kept);
    }

    // The side list and the new elements: cavity elements in ascending order
    // onto the free-number stack, their open sides in the order met.
    std::sort(cavity.begin(), cavity.end());
    // A side met twice (its element across is in the cavity too) lies
    // inside it; the others, in the order met, are the open sides.
    std::vector<CavitySide>& sides = work.sides;
    sides.clear();
    for (std::int32_t e : cavity) {
        pushFree(m, static_cast<std::int16_t>(e));
        for (int j = 0; j < 3; ++j)
            if (borderSide(e, j, stamp))
                sides.push_back({false, isOutside(e), cornerAt(m, e, j), cornerAt(m, e, (j + 1) % 3), acrossOf(m, e, j),
                                 isLocked(m, e, j)});
    }
    std::vector<std::int16_t>& splitEnds = work.splitEnds;
    splitEnds.clear();
    for (int s = 0; s < splitCount; ++s) {
        splitEnds.push_back(cornerAt(m, splitSides[s].first, splitSides[s].second));
        splitEnds.push_back(cornerAt(m, splitSides[s].first, (splitSides[s].second + 1) % 3));
    }
    std::vector<std::int32_t>& made = work.made;
    made.clear();
    for (const CavitySide& side : sides) {
        if (side.shared) continue;
        std::int32_t number = popFree(m);
        if (number == 0) number = AppendElement();
        NetElement& element = m.MeshElementList[static_cast<std::size_t>(number)];
        element.CornerCount = side.outside ? -1 : 3;
        SetElementCorners(m, number, node, side.a, side.b);
        links.Elements[static_cast<std::size_t>(number)].Across = {0, side.beyond, 0};
        links.Elements[static_cast<std::size_t>(number)].Locked = side.locked ? 2u : 0u;
        if (side.beyond != 0)
            for (int k = 0; k < 3; ++k)
                if (cornerAt(m, side.beyond, k) == side.b && cornerAt(m, side.beyond, (k + 1) % 3) == side.a)
                    links.Elements[static_cast<std::size_t>(side.beyond)].Across[static_cast<std::size_t>(k)] = number;
        made.push_back(number);
    }
    // The spokes from the node: the new element whose side 0 runs from the
    // node to a corner meets the one whose side 2 runs from that corner back.
    // (The lowest such number, should a corner end two of them.)
    std::vector<std::int32_t>& byEnd = work.byEnd;
    if (byEnd.size() < static_cast<std::size_t>(m.MeshNodeCount) + 1) byEnd.resize(static_cast<std::size_t>(m.MeshNodeCount) + 1, 0);
    for (std::int32_t number : made) {
        std::int32_t& slot = byEnd[static_cast<std::size_t>(cornerAt(m, number, 2))];
        if (slot == 0 || number < slot) slot = number;
    }
    for (std::int32_t number : made) {
        const std::int16_t a = cornerAt(m, number, 1);
        const std::int16_t b = cornerAt(m, number, 2);
        auto& across = links.Elements[static_cast<std::size_t>(number)].Across;
        const std::int32_t before = a >= 0 && static_cast<std::size_t>(a) < byEnd.size() ? byEnd[static_cast<std::size_t>(a)] : 0;
        if (before != 0) {
            across[0] = before;
            links.Elements[static_cast<std::size_t>(before)].Across[2] = number;
        }
        std::uint8_t& bits = links.Elements[static_cast<std::size_t>(number)].Locked;
        if (std::find(splitEnds.begin(), splitEnds.end(), a) != splitEnds.end()) bits |= 1u;
        if (std::find(splitEnds.begin(), splitEnds.end(), b) != splitEnds.end()) bits |= 4u;
    }
    for (std::int32_t number : made) byEnd[static_cast<std::size_t>(cornerAt(m, number, 2))] = 0;
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

std::int32_t AppendElement() {
    BasDelaunay& m = basDelaunay();
    if (m.MeshElementCount >= kMaxNetCount)
        rt::raise(6,
                  "The net would need more than 32767 elements. Choose a larger target element "
                  "size or minimum element size.");
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
    if (links.Elements.size() != size - 1) return m.MeshElementCount;
    links.Elements.push_back(ElementLink{});
    return m.MeshElementCount;
}

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
    m.Links = TriangulationLinks{};
    RebuildLinks(m);
    m.Links.Hint = 2;
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
        if (OrientToPoint(m, cornerAt(m, holder, j), cornerAt(m, holder, (j + 1) % 3), x, y) != 0.0) continue;
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
