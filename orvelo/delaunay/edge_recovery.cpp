#include "orvelo/delaunay/edge_recovery.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <utility>
#include <vector>

#include "orvelo/delaunay/boundary.h"
#include "orvelo/delaunay/kernel.h"
#include "orvelo/delaunay/links.h"
#include "orvelo/delaunay/predicates.h"
#include "orvelo/delaunay/progress.h"
#include "orvelo/delaunay/units.h"
#include "platform/runtime/errors.h"

namespace orvelo {

namespace {

// How the segment between two nodes runs through the triangulation.
struct SegmentTrace {
    bool blocked = false;           // it crosses a constraint side, leaves the net or an element outside
    std::int32_t crossingElement = 0;  // the constraint side it crosses: element and side
    int crossingSide = -1;
    std::int16_t throughNode = 0;   // a node lying on it, 0 none
    std::vector<std::pair<std::int16_t, std::int16_t>> crossed;  // the sides it crosses, in order
};

bool takesPart(const BasDelaunay& m, std::int32_t e) {
    return m.MeshElementList[static_cast<std::size_t>(e)].CornerCount >= 1;
}

int cornerIndex(const BasDelaunay& m, std::int32_t e, std::int16_t node) {
    for (int j = 0; j < 3; ++j)
        if (CornerOf(m, e, j) == node) return j;
    return -1;
}

bool lockedSide(const BasDelaunay& m, std::int32_t e, int j) {
    return (m.Links.Elements[static_cast<std::size_t>(e)].Locked & (1u << j)) != 0;
}

SegmentTrace traceSegment(const BasDelaunay& m, std::int16_t n1, std::int16_t n2) {
    SegmentTrace trace;
    const double x1 = m.MeshNodeX[static_cast<std::size_t>(n1)];
    const double y1 = m.MeshNodeY[static_cast<std::size_t>(n1)];
    const double x2 = m.MeshNodeX[static_cast<std::size_t>(n2)];
    const double y2 = m.MeshNodeY[static_cast<std::size_t>(n2)];
    auto side = [&](std::int16_t node) {
        return predicates::Orient2d(x1, y1, x2, y2, m.MeshNodeX[static_cast<std::size_t>(node)],
                                    m.MeshNodeY[static_cast<std::size_t>(node)]);
    };
    // A node on the row: on its line and between its ends, or off it by no
    // more than the rounding of Single coordinates (a point drawn on a piece
    // is rarely exactly on its nodes' line once both are Singles). A node
    // further off, even within the coincidence tolerance, is passed by: the
    // row does not bend through it.
    const double magnitude = std::max({std::fabs(x1), std::fabs(y1), std::fabs(x2), std::fabs(y2), 1.0});
    const double tol = std::min(CoincidenceTolerance(), 16.0 * magnitude * std::ldexp(1.0, -24));
    const double length = std::hypot(x2 - x1, y2 - y1);
    auto onRow = [&](std::int16_t node) {
        const double px = m.MeshNodeX[static_cast<std::size_t>(node)];
        const double py = m.MeshNodeY[static_cast<std::size_t>(node)];
        if (predicates::OnSegment(x1, y1, x2, y2, px, py)) return true;
        const double along = ((px - x1) * (x2 - x1) + (py - y1) * (y2 - y1)) / (length * length);
        const double off = std::fabs((x2 - x1) * (py - y1) - (y2 - y1) * (px - x1)) / length;
        return along > 0.0 && along < 1.0 && off < tol;
    };
    // The element at n1 whose angle holds the direction to n2.
    std::int32_t e = 0;
    std::int16_t right = 0;
    std::int16_t left = 0;
    for (std::int32_t candidate : ElementsAtNode(m, n1)) {
        const int i = cornerIndex(m, candidate, n1);
        const std::int16_t u = CornerOf(m, candidate, (i + 1) % 3);
        const std::int16_t v = CornerOf(m, candidate, (i + 2) % 3);
        const double su = side(u);
        const double sv = side(v);
        if (onRow(u)) {
            trace.throughNode = u;
            return trace;
        }
        if (onRow(v)) {
            trace.throughNode = v;
            return trace;
        }
        if (su < 0.0 && sv > 0.0) {
            e = candidate;
            right = u;
            left = v;
            break;
        }
    }
    if (e == 0 || !takesPart(m, e)) {
        trace.blocked = true;
        return trace;
    }
    const std::size_t limit = static_cast<std::size_t>(m.MeshElementCount) + 1;
    while (trace.crossed.size() <= limit) {
        // Cross the side right-left of e.
        const int i = cornerIndex(m, e, right);
        if (i < 0 || CornerOf(m, e, (i + 1) % 3) != left) {
            trace.blocked = true;
            return trace;
        }
        if (lockedSide(m, e, i)) {
            trace.blocked = true;
            trace.crossingElement = e;
            trace.crossingSide = i;
            return trace;
        }
        trace.crossed.emplace_back(right, left);
        const std::int32_t next = m.Links.Elements[static_cast<std::size_t>(e)].Across[static_cast<std::size_t>(i)];
        if (next == 0 || !takesPart(m, next)) {
            trace.blocked = true;
            return trace;
        }
        const int k = cornerIndex(m, next, left);
        const std::int16_t w = CornerOf(m, next, (k + 2) % 3);
        if (w == n2) return trace;
        const double sw = side(w);
        if (sw == 0.0 || onRow(w)) {
            trace.throughNode = w;
            trace.crossed.clear();
            return trace;
        }
        if (sw > 0.0)
            left = w;
        else
            right = w;
        e = next;
    }
    trace.blocked = true;
    return trace;
}

bool coincide(const BasDelaunay& m, std::int16_t a, std::int16_t b) {
    const double tol = CoincidenceTolerance();
    return CloserThan(m.MeshNodeX[static_cast<std::size_t>(a)], m.MeshNodeX[static_cast<std::size_t>(b)], tol) &&
           CloserThan(m.MeshNodeY[static_cast<std::size_t>(a)], m.MeshNodeY[static_cast<std::size_t>(b)], tol);
}

// A triangle the swap may make: not flat, no two corners together.
bool proper(const BasDelaunay& m, std::int16_t a, std::int16_t b, std::int16_t c) {
    return OrientNodes(m, a, b, c) != 0.0 && !coincide(m, a, b) && !coincide(m, a, c) && !coincide(m, b, c);
}

struct OuterSide {
    std::int16_t from = 0;
    std::int16_t to = 0;
    std::int32_t across = 0;
    bool locked = false;
};

// Swaps the diagonal a-b of the two elements that hold it, when their
// quadrilateral is strictly convex and both new triangles are proper.
// Element e (side a->b, third corner p) becomes the triangle of p, q and its
// first other corner in corner order, the other element (third corner q) the
// triangle of p, q and the remaining corner; each in counter-clockwise order
// with p before q where that order is counter-clockwise.
bool swapDiagonal(BasDelaunay& m, std::int16_t a, std::int16_t b, std::int16_t* newP = nullptr,
                  std::int16_t* newQ = nullptr) {
    int j = 0;
    const std::int32_t e = ElementWithSide(m, a, b, j);
    if (e == 0) return false;
    const std::int32_t f = m.Links.Elements[static_cast<std::size_t>(e)].Across[static_cast<std::size_t>(j)];
    if (f == 0 || !takesPart(m, e) || !takesPart(m, f) || lockedSide(m, e, j)) return false;
    const std::int16_t p = CornerOf(m, e, (j + 2) % 3);
    const int k = cornerIndex(m, f, b);
    if (k < 0 || CornerOf(m, f, (k + 1) % 3) != a) return false;
    const std::int16_t q = CornerOf(m, f, (k + 2) % 3);
    // Strictly convex: p and q on either side of a-b (they are) and a and b
    // on either side of p-q.
    const double sa = OrientNodes(m, p, q, a);
    const double sb = OrientNodes(m, p, q, b);
    if (!((sa > 0.0 && sb < 0.0) || (sa < 0.0 && sb > 0.0))) return false;
    if (!proper(m, p, q, a) || !proper(m, p, q, b)) return false;

    // The four outer sides keep their neighbours and marks.
    OuterSide outer[4];
    int n = 0;
    for (std::int32_t element : {e, f})
        for (int s = 0; s < 3; ++s) {
            const std::int16_t from = CornerOf(m, element, s);
            const std::int16_t to = CornerOf(m, element, (s + 1) % 3);
            if ((from == a && to == b) || (from == b && to == a)) continue;
            outer[n++] = {from, to, m.Links.Elements[static_cast<std::size_t>(element)].Across[static_cast<std::size_t>(s)],
                          lockedSide(m, element, s)};
        }
    // e's first corner other than p in corner order goes with e.
    std::int16_t first = 0;
    for (int s = 0; s < 3 && first == 0; ++s)
        if (CornerOf(m, e, s) != p) first = CornerOf(m, e, s);
    const std::int16_t second = first == a ? b : a;
    auto place = [&](std::int32_t element, std::int16_t third) {
        if (OrientNodes(m, p, q, third) > 0.0)
            SetElementCorners(m, element, p, q, third);
        else
            SetElementCorners(m, element, q, p, third);
    };
    place(e, first);
    place(f, second);
    for (std::int32_t element : {e, f}) {
        auto& across = m.Links.Elements[static_cast<std::size_t>(element)].Across;
        std::uint8_t bits = 0;
        for (int s = 0; s < 3; ++s) {
            const std::int16_t from = CornerOf(m, element, s);
            const std::int16_t to = CornerOf(m, element, (s + 1) % 3);
            if ((from == p && to == q) || (from == q && to == p)) {
                across[static_cast<std::size_t>(s)] = element == e ? f : e;
                continue;
            }
            for (const OuterSide& o : outer)
                if (o.from == from && o.to == to) {
                    across[static_cast<std::size_t>(s)] = o.across;
                    if (o.locked) bits = static_cast<std::uint8_t>(bits | (1u << s));
                    if (o.across != 0)
                        for (int t = 0; t < 3; ++t)
                            if (CornerOf(m, o.across, t) == to && CornerOf(m, o.across, (t + 1) % 3) == from)
                                m.Links.Elements[static_cast<std::size_t>(o.across)].Across[static_cast<std::size_t>(t)] = element;
                }
        }
        m.Links.Elements[static_cast<std::size_t>(element)].Locked = bits;
    }
    ComputeCircumcircle(static_cast<std::int16_t>(e));
    ComputeCircumcircle(static_cast<std::int16_t>(f));
    if (newP != nullptr) *newP = p;
    if (newQ != nullptr) *newQ = q;
    return true;
}

// Repeated swaps of the sides crossing n1-n2 (each swap whose quadrilateral
// is convex; a new diagonal that still crosses goes back into the queue).
bool swapUntilSide(BasDelaunay& m, std::int16_t n1, std::int16_t n2,
                   const std::vector<std::pair<std::int16_t, std::int16_t>>& crossed) {
    std::deque<std::pair<std::int16_t, std::int16_t>> queue(crossed.begin(), crossed.end());
    const double x1 = m.MeshNodeX[static_cast<std::size_t>(n1)];
    const double y1 = m.MeshNodeY[static_cast<std::size_t>(n1)];
    const double x2 = m.MeshNodeX[static_cast<std::size_t>(n2)];
    const double y2 = m.MeshNodeY[static_cast<std::size_t>(n2)];
    auto side = [&](std::int16_t node) {
        return predicates::Orient2d(x1, y1, x2, y2, m.MeshNodeX[static_cast<std::size_t>(node)],
                                    m.MeshNodeY[static_cast<std::size_t>(node)]);
    };
    const std::size_t limit = 64 * crossed.size() * crossed.size() + 256;
    std::size_t idle = 0;
    for (std::size_t round = 0; !queue.empty() && round < limit; ++round) {
        const auto [a, b] = queue.front();
        queue.pop_front();
        std::int16_t p = 0;
        std::int16_t q = 0;
        if (!swapDiagonal(m, a, b, &p, &q)) {
            queue.emplace_back(a, b);
            if (++idle > queue.size() * 2 + 2) return false;  // no swap possible any more
            continue;
        }
        idle = 0;
        if (p != n1 && p != n2 && q != n1 && q != n2) {
            const double sp = side(p);
            const double sq = side(q);
            if ((sp > 0.0 && sq < 0.0) || (sp < 0.0 && sq > 0.0)) queue.emplace_back(p, q);
        }
    }
    return IsElementSide(m, n1, n2);
}

// The node where the segment n1-n2 crosses constraint side `side` of
// element e: a new node there divides that side (both halves stay
// constraint sides, its rows are divided); a node already within the
// tolerance is taken as it is. 0 when none can be placed.
std::int16_t nodeAtCrossing(BasDelaunay& m, std::int16_t n1, std::int16_t n2, std::int32_t e, int side) {
    const std::int16_t p = CornerOf(m, e, side);
    const std::int16_t q = CornerOf(m, e, (side + 1) % 3);
    const double x1 = m.MeshNodeX[static_cast<std::size_t>(n1)], y1 = m.MeshNodeY[static_cast<std::size_t>(n1)];
    const double x2 = m.MeshNodeX[static_cast<std::size_t>(n2)], y2 = m.MeshNodeY[static_cast<std::size_t>(n2)];
    const double px = m.MeshNodeX[static_cast<std::size_t>(p)], py = m.MeshNodeY[static_cast<std::size_t>(p)];
    const double qx = m.MeshNodeX[static_cast<std::size_t>(q)], qy = m.MeshNodeY[static_cast<std::size_t>(q)];
    const double denominator = (x2 - x1) * (qy - py) - (y2 - y1) * (qx - px);
    if (denominator == 0.0) return 0;
    const double t = ((px - x1) * (qy - py) - (py - y1) * (qx - px)) / denominator;
    if (!(t > 0.0 && t < 1.0)) return 0;
    const std::int16_t before = m.MeshNodeCount;
    const std::int16_t node = AddMeshNode(static_cast<float>(x1 + t * (x2 - x1)), static_cast<float>(y1 + t * (y2 - y1)), -1);
    if (node > before && InsertNodeOnSide(node, e, side) != InsertOutcome::Inserted) {
        FreeElementStack(-1);
        if (node == m.MeshNodeCount) {
            --m.MeshNodeCount;
            m.MeshNodeX.resize(static_cast<std::size_t>(m.MeshNodeCount) + 1);
            m.MeshNodeY.resize(static_cast<std::size_t>(m.MeshNodeCount) + 1);
        }
        return 0;
    }
    return node;
}

// IsElementSide(a, b) followed, when true, by LockSide(a, b, true), with the
// two searches for the elements that hold the side made once. The element
// across a side from a to b holds it from b to a (the one element that
// does); only when there is none is that element searched for at b.
bool lockIfElementSide(BasDelaunay& m, std::int16_t a, std::int16_t b) {
    int forward = 0;
    int backward = -1;
    const std::int32_t e = ElementWithSide(m, a, b, forward);
    std::int32_t f = 0;
    if (e != 0) {
        f = m.Links.Elements[static_cast<std::size_t>(e)].Across[static_cast<std::size_t>(forward)];
        if (f != 0) backward = cornerIndex(m, f, b);
        if (backward < 0 || CornerOf(m, f, (backward + 1) % 3) != a) f = 0;
    }
    if (f == 0) f = ElementWithSide(m, b, a, backward);
    if (e == 0 && f == 0) return false;
    if (e != 0) m.Links.Elements[static_cast<std::size_t>(e)].Locked |= static_cast<std::uint8_t>(1u << forward);
    if (f != 0) m.Links.Elements[static_cast<std::size_t>(f)].Locked |= static_cast<std::uint8_t>(1u << backward);
    return true;
}

void appendRow(EdgeList& edges, std::int16_t& edgeCount, std::int16_t first, std::int16_t second) {
    if (edgeCount >= kMaxNetCount) rt::raise(6, "The list of constraint sides would pass 32767 rows.");
    ++edgeCount;
    edges.resize(static_cast<std::size_t>(edgeCount) + 1);
    edges[static_cast<std::size_t>(edgeCount)] = {first, second};
}

}  // namespace

bool DivideSideAtNode(std::int16_t first, std::int16_t second, std::int16_t node) {
    BasDelaunay& m = basDelaunay();
    EnsureLinksSized(m);
    int j = 0;
    std::int32_t holder = ElementWithSide(m, first, second, j);
    if (holder == 0 || CornerOf(m, holder, (j + 2) % 3) != node) {
        holder = ElementWithSide(m, second, first, j);
        if (holder == 0 || CornerOf(m, holder, (j + 2) % 3) != node) return false;
    }
    LockSide(m, first, second, false);
    if (!swapDiagonal(m, first, second)) {
        LockSide(m, first, second, true);
        return false;
    }
    LockSide(m, first, node, true);
    LockSide(m, node, second, true);
    DivideConstraintRows(first, second, node);
    return true;
}

void RecoverConstraintEdges(EdgeList& edges, std::int16_t& edgeCount) {
    BasDelaunay& m = basDelaunay();
    if (edgeCount < 1 || edges.size() < 2) return;
    EnsureLinks(m);
    auto valid = [&](std::int16_t n) { return n >= 1 && n <= m.MeshNodeCount; };
    // sideAtStart[k]: row k was an element side here and is locked now. As
    // long as no row has changed the net (locking changes no side), such a
    // row needs no second look below.
    std::vector<std::uint8_t> sideAtStart(static_cast<std::size_t>(std::max<std::int16_t>(edgeCount, 0)) + 1, 0);
    for (std::int32_t k = 1; k <= edgeCount && static_cast<std::size_t>(k) < edges.size(); ++k)
        if (valid(edges[static_cast<std::size_t>(k)][0]) && valid(edges[static_cast<std::size_t>(k)][1]) &&
            lockIfElementSide(m, edges[static_cast<std::size_t>(k)][0], edges[static_cast<std::size_t>(k)][1]))
            sideAtStart[static_cast<std::size_t>(k)] = 1;
    bool netChanged = false;

    // How often a row came from dividing at a midpoint (bounded).
    std::vector<std::uint8_t> divided(static_cast<std::size_t>(edgeCount) + 1, 0);
    for (std::int32_t k = 1; k <= edgeCount; ++k) {
        if (!netChanged && static_cast<std::size_t>(k) < sideAtStart.size() && sideAtStart[static_cast<std::size_t>(k)] != 0) {
            if (mesher::StopRequested(false)) return;
            continue;
        }
        for (int attempt = 0; attempt < 64; ++attempt) {
            // (Dividing another constraint side may have appended rows.)
            if (divided.size() < static_cast<std::size_t>(edgeCount) + 1) divided.resize(static_cast<std::size_t>(edgeCount) + 1, 0);
            const std::int16_t n1 = edges[static_cast<std::size_t>(k)][0];
            const std::int16_t n2 = edges[static_cast<std::size_t>(k)][1];
            if (n1 == n2 || !valid(n1) || !valid(n2)) break;
            if (lockIfElementSide(m, n1, n2)) break;
            // Whatever follows may swap sides or add nodes.
            netChanged = true;
            const SegmentTrace trace = traceSegment(m, n1, n2);
            if (trace.throughNode != 0) {
                // Divide the row at the node on it; the first part is
                // treated again at once, the rest when its row comes.
                edges[static_cast<std::size_t>(k)][1] = trace.throughNode;
                appendRow(edges, edgeCount, trace.throughNode, n2);
                divided.resize(static_cast<std::size_t>(edgeCount) + 1, divided[static_cast<std::size_t>(k)]);
                continue;
            }
            if (trace.crossingElement != 0) {
                // Two constraints cross: both are divided at a node where
                // they meet.
                const std::int16_t meeting = nodeAtCrossing(m, n1, n2, trace.crossingElement, trace.crossingSide);
                if (meeting == 0 || meeting == n1 || meeting == n2) break;
                edges[static_cast<std::size_t>(k)][1] = meeting;
                appendRow(edges, edgeCount, meeting, n2);
                divided.resize(static_cast<std::size_t>(edgeCount) + 1, divided[static_cast<std::size_t>(k)]);
                continue;
            }
            if (trace.blocked || trace.crossed.empty()) break;
            if (trace.crossed.size() == 1) {
                if (swapDiagonal(m, trace.crossed[0].first, trace.crossed[0].second)) {
                    LockSide(m, n1, n2, true);
                } 
                break;
            }
            if (swapUntilSide(m, n1, n2, trace.crossed)) {
                LockSide(m, n1, n2, true);
                break;
            }
            // Divide the row at its midpoint and recover both halves.
            if (divided[static_cast<std::size_t>(k)] >= 8) break;
            const float mx = (m.MeshNodeX[static_cast<std::size_t>(n1)] + m.MeshNodeX[static_cast<std::size_t>(n2)]) / 2.0f;
            const float my = (m.MeshNodeY[static_cast<std::size_t>(n1)] + m.MeshNodeY[static_cast<std::size_t>(n2)]) / 2.0f;
            const std::int16_t before = m.MeshNodeCount;
            const std::int16_t middle = AddMeshNode(mx, my, -1);
            if (middle == n1 || middle == n2) break;
            if (middle > before && InsertNodeNear(middle, 0) != InsertOutcome::Inserted) {
                if (middle == m.MeshNodeCount) {
                    --m.MeshNodeCount;
                    m.MeshNodeX.resize(static_cast<std::size_t>(m.MeshNodeCount) + 1);
                    m.MeshNodeY.resize(static_cast<std::size_t>(m.MeshNodeCount) + 1);
                }
                FreeElementStack(-1);
                break;
            }
            edges[static_cast<std::size_t>(k)][1] = middle;
            appendRow(edges, edgeCount, middle, n2);
            const std::uint8_t depth = static_cast<std::uint8_t>(divided[static_cast<std::size_t>(k)] + 1);
            divided.resize(static_cast<std::size_t>(edgeCount) + 1, depth);
            divided[static_cast<std::size_t>(k)] = depth;
        }
        if (mesher::StopRequested(false)) return;
    }
}

}  // namespace orvelo
