#include "orvelo/delaunay/adaptive_refinement.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_map>
#include <vector>

#include "halvex/interface/enums.h"
#include "orvelo/delaunay/angles.h"
#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/boundary.h"
#include "orvelo/delaunay/progress.h"
#include "orvelo/delaunay/target_size.h"
#include "orvelo/delaunay/units.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/services.h"
#include "outside/quillon/language_text.h"
#include "platform/forms/screen.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/numbertext.h"

namespace orvelo {

namespace {

// The bits of a corner flag that belong to the corner's node, not to the
// side leaving it.
constexpr std::int32_t kCornerBits = halvex::BoundaryNode | halvex::FreeNode;

// The triangles of the mesher net by their sides: for every side (a pair
// of nodes in either order) the triangles that hold it.
class SideIndex {
public:
    explicit SideIndex(const BasDelaunay& m) {
        for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) addTriangle(m, e);
    }

    void addTriangle(const BasDelaunay& m, std::int32_t e) { change(m, e, true); }
    void removeTriangle(const BasDelaunay& m, std::int32_t e) { change(m, e, false); }

    // The lowest-numbered triangle other than excluded that holds the side.
    std::int32_t lowestHolding(std::int16_t a, std::int16_t b, std::int32_t excluded) const {
        const auto found = sides_.find(key(a, b));
        if (found == sides_.end()) return 0;
        std::int32_t best = 0;
        for (const std::int32_t e : found->second)
            if (e != excluded && (best == 0 || e < best)) best = e;
        return best;
    }

    static std::uint32_t key(std::int16_t a, std::int16_t b) {
        if (a > b) std::swap(a, b);
        return (static_cast<std::uint32_t>(static_cast<std::uint16_t>(a)) << 16) | static_cast<std::uint16_t>(b);
    }

    // The lowest-numbered quadrilateral that holds the side, 0 when none.
    std::int32_t quadrilateralHolding(std::int16_t a, std::int16_t b) const {
        const auto found = quadrilateralSides_.find(key(a, b));
        if (found == quadrilateralSides_.end() || found->second.empty()) return 0;
        return *std::min_element(found->second.begin(), found->second.end());
    }

private:
    void change(const BasDelaunay& m, std::int32_t e, bool add) {
        const NetElement& t = m.MeshElementList[static_cast<std::size_t>(e)];
        if (t.CornerCount != 3 && t.CornerCount != 4) return;
        auto& sides = t.CornerCount == 3 ? sides_ : quadrilateralSides_;
        const std::size_t n = static_cast<std::size_t>(t.CornerCount);
        for (std::size_t k = 1; k <= n; ++k) {
            std::vector<std::int32_t>& holders = sides[key(t.Node[k], t.Node[k % n + 1])];
            if (add)
                holders.push_back(e);
            else
                holders.erase(std::remove(holders.begin(), holders.end(), e), holders.end());
        }
    }

    std::unordered_map<std::uint32_t, std::vector<std::int32_t>> sides_;
    std::unordered_map<std::uint32_t, std::vector<std::int32_t>> quadrilateralSides_;
};

// The side index of the refinement that runs now (nullptr: none, or the
// refinement scans).
SideIndex*& activeSideIndex() {
    static SideIndex* index = nullptr;
    return index;
}

class ActiveSideIndex {
public:
    explicit ActiveSideIndex(SideIndex* index) : previous_(activeSideIndex()) { activeSideIndex() = index; }
    ~ActiveSideIndex() { activeSideIndex() = previous_; }
    ActiveSideIndex(const ActiveSideIndex&) = delete;
    ActiveSideIndex& operator=(const ActiveSideIndex&) = delete;

private:
    SideIndex* previous_;
};

float nodeX(const BasDelaunay& m, std::int16_t n) { return m.MeshNodeX[static_cast<std::size_t>(n)]; }
float nodeY(const BasDelaunay& m, std::int16_t n) { return m.MeshNodeY[static_cast<std::size_t>(n)]; }

float sideLength(const BasDelaunay& m, std::int16_t a, std::int16_t b) {
    const double dx = static_cast<double>(nodeX(m, b)) - nodeX(m, a);
    const double dy = static_cast<double>(nodeY(m, b)) - nodeY(m, a);
    return static_cast<float>(std::sqrt(dx * dx + dy * dy));
}

void checkNodeNumber(const BasDelaunay& m, std::int16_t n) {
    if (n < 1 || n > m.MeshNodeCount || static_cast<std::size_t>(n) >= m.MeshNodeX.size() ||
        static_cast<std::size_t>(n) >= m.MeshNodeY.size())
        rt::raise(9, "An element of the net names a node that does not exist.");
}

// Corner positions of one side of a triangle: b where it starts, i where it
// ends, o opposite.
struct SidePositions {
    std::int16_t b = 0;
    std::int16_t i = 0;
    std::int16_t o = 0;
};

// The triangle across the side (a, b), not `excluded`, with the side's
// positions in it; element 0 when the side lies on the border.
struct Neighbour {
    std::int32_t element = 0;
    SidePositions side;
};

bool sideIs(const NetElement& t, std::size_t from, std::size_t to, std::int16_t a, std::int16_t b) {
    return (t.Node[from] == a && t.Node[to] == b) || (t.Node[from] == b && t.Node[to] == a);
}

// The side positions of (a, b) in triangle t, tested in the order (1, 2),
// (2, 3), (3, 1); b == 0 when t does not hold it.
SidePositions positionsOf(const NetElement& t, std::int16_t a, std::int16_t b) {
    if (sideIs(t, 1, 2, a, b)) return SidePositions{1, 2, 3};
    if (sideIs(t, 2, 3, a, b)) return SidePositions{2, 3, 1};
    if (sideIs(t, 3, 1, a, b)) return SidePositions{3, 1, 2};
    return SidePositions{};
}

Neighbour findNeighbour(const BasDelaunay& m, std::int16_t a, std::int16_t b, std::int32_t excluded) {
    if (const SideIndex* index = activeSideIndex()) {
        const std::int32_t e = index->lowestHolding(a, b, excluded);
        if (e == 0) return Neighbour{};
        return Neighbour{e, positionsOf(m.MeshElementList[static_cast<std::size_t>(e)], a, b)};
    }
    for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) {
        if (e == excluded) continue;
        const NetElement& t = m.MeshElementList[static_cast<std::size_t>(e)];
        if (t.CornerCount != 3) continue;
        const SidePositions side = positionsOf(t, a, b);
        if (side.b != 0) return Neighbour{e, side};
    }
    return Neighbour{};
}

// The corners of a neighbour found across a side, and its sides' lengths:
// the shared one (b to i), L1 (i to o), L2 (o to b).
struct NeighbourCorners {
    std::int16_t nb, ni, no;
    float shared, l1, l2;
};

NeighbourCorners cornersOf(const BasDelaunay& m, const Neighbour& f) {
    const NetElement& t = m.MeshElementList[static_cast<std::size_t>(f.element)];
    const std::int16_t nb = t.Node[static_cast<std::size_t>(f.side.b)];
    const std::int16_t ni = t.Node[static_cast<std::size_t>(f.side.i)];
    const std::int16_t no = t.Node[static_cast<std::size_t>(f.side.o)];
    return NeighbourCorners{nb, ni, no, sideLength(m, nb, ni), sideLength(m, ni, no), sideLength(m, no, nb)};
}

// The node SplitElementEdge made at the middle of the side (a, b).
std::int16_t midpointOf(const BasDelaunay& m, std::int16_t a, std::int16_t b) {
    return AddMeshNode((nodeX(m, a) + nodeX(m, b)) / 2.0f, (nodeY(m, a) + nodeY(m, b)) / 2.0f, 0);
}

// The quadrilateral that holds the side (a, b), 0 when none.
std::int32_t quadrilateralWithSide(const BasDelaunay& m, std::int16_t a, std::int16_t b) {
    if (const SideIndex* index = activeSideIndex()) return index->quadrilateralHolding(a, b);
    for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) {
        const NetElement& q = m.MeshElementList[static_cast<std::size_t>(e)];
        if (q.CornerCount != 4) continue;
        for (std::size_t k = 1; k <= 4; ++k)
            if (sideIs(q, k, k % 4 + 1, a, b)) return e;
    }
    return 0;
}

void appendElement(BasDelaunay& m, const NetElement& element) {
    if (m.MeshElementCount >= kMaxNetCount) rt::raise(6, "The net would have more than 32767 elements.");
    ++m.MeshElementCount;
    m.MeshElementList.resize(static_cast<std::size_t>(m.MeshElementCount) + 1);
    m.MeshElementList[static_cast<std::size_t>(m.MeshElementCount)] = element;
}

// A quadrilateral whose side (a, b) was bisected at node `midpoint` takes
// the midpoint as a corner: it becomes three triangles through it (the one
// at the side's first corner keeps its number, two are appended), so the net
// keeps no hanging node. The halves of the side keep its bits, the
// new inner sides are InnerSide in the lower and RepeatedSide in the higher
// number, every corner keeps its node's corner bits.
void splitQuadrilateral(std::int32_t quad, std::int16_t a, std::int16_t b, std::int16_t midpoint) {
    BasDelaunay& m = basDelaunay();
    const NetElement q = m.MeshElementList[static_cast<std::size_t>(quad)];
    std::size_t k = 1;
    while (k <= 4 && !sideIs(q, k, k % 4 + 1, a, b)) ++k;
    if (k > 4) return;
    auto at = [&](std::size_t offset) { return (k - 1 + offset) % 4 + 1; };  // positions k, k+1, ...
    const std::size_t p0 = at(0), p1 = at(1), p2 = at(2), p3 = at(3);
    SideIndex* index = activeSideIndex();
    if (index != nullptr) index->removeTriangle(m, quad);
    NetElement first;  // (corner k, M, corner k+3)
    first.CornerCount = 3;
    first.Node[1] = q.Node[p0];
    first.Node[2] = midpoint;
    first.Node[3] = q.Node[p3];
    first.Flag[1] = q.Flag[p0];
    first.Flag[2] = halvex::InnerSide;
    first.Flag[3] = q.Flag[p3];
    NetElement second;  // (M, corner k+1, corner k+2)
    second.CornerCount = 3;
    second.Node[1] = midpoint;
    second.Node[2] = q.Node[p1];
    second.Node[3] = q.Node[p2];
    second.Flag[1] = q.Flag[p0] & ~kCornerBits;
    second.Flag[2] = q.Flag[p1];
    second.Flag[3] = halvex::InnerSide | (q.Flag[p2] & kCornerBits);
    NetElement third;  // (M, corner k+2, corner k+3)
    third.CornerCount = 3;
    third.Node[1] = midpoint;
    third.Node[2] = q.Node[p2];
    third.Node[3] = q.Node[p3];
    third.Flag[1] = halvex::RepeatedSide;
    third.Flag[2] = q.Flag[p2];
    third.Flag[3] = halvex::RepeatedSide | (q.Flag[p3] & kCornerBits);
    m.MeshElementList[static_cast<std::size_t>(quad)] = first;
    appendElement(m, second);
    const std::int32_t secondNumber = m.MeshElementCount;
    appendElement(m, third);
    if (index != nullptr) {
        index->addTriangle(m, quad);
        index->addTriangle(m, secondNumber);
        index->addTriangle(m, m.MeshElementCount);
    }
}

// The walk across a side (a, b) that was just bisected, from the triangle
// `excluded` on: splits the neighbour so the net stays conforming, and goes
// on across the neighbour's longest side while that was not the shared one.
void walkNeighbours(std::int16_t a, std::int16_t b, std::int32_t excluded) {
    BasDelaunay& m = basDelaunay();
    for (;;) {
        const Neighbour f = findNeighbour(m, a, b, excluded);
        forms::doEvents();
        if (f.element == 0) {
            // A quadrilateral across the side takes its midpoint.
            const std::int32_t quad = quadrilateralWithSide(m, a, b);
            if (quad != 0) splitQuadrilateral(quad, a, b, midpointOf(m, a, b));
            return;
        }
        const auto [nb, ni, no, shared, l1, l2] = cornersOf(m, f);
        const auto element = static_cast<std::int16_t>(f.element);
        if (shared > l1 && shared > l2) {
            SplitElementEdge(element, f.side.b, f.side.i, f.side.o);
            return;
        }
        if (l1 > l2) {
            SplitElementEdge(element, f.side.i, f.side.o, f.side.b);
            SplitElementEdge(element, f.side.b, f.side.i, f.side.o);
            a = ni;
            b = no;
        } else {
            SplitElementEdge(element, f.side.o, f.side.b, f.side.i);
            SplitElementEdge(m.MeshElementCount, 3, 1, 2);
            a = no;
            b = nb;
        }
        excluded = f.element;
    }
}

// The side of a triangle to bisect: the one opposite its largest angle
// (the smallest cosine, compared as Singles; the lower corner on ties).
SidePositions sideOppositeLargestAngle(const BasDelaunay& m, const NetElement& t) {
    double cos1 = 0.0;
    double cos2 = 0.0;
    double cos3 = 0.0;
    std::int16_t longest = 0;
    TriangleAngleCosines(nodeX(m, t.Node[1]), nodeX(m, t.Node[2]), nodeX(m, t.Node[3]), nodeY(m, t.Node[1]),
                         nodeY(m, t.Node[2]), nodeY(m, t.Node[3]), cos1, cos2, cos3, longest);
    int corner = 1;
    float smallest = static_cast<float>(cos1);
    if (static_cast<float>(cos2) < smallest) {
        corner = 2;
        smallest = static_cast<float>(cos2);
    }
    if (static_cast<float>(cos3) < smallest) corner = 3;
    if (corner == 1) return SidePositions{2, 3, 1};
    if (corner == 2) return SidePositions{3, 1, 2};
    return SidePositions{1, 2, 3};
}

// How a -> b -> c turns: 1 counter-clockwise, -1 clockwise, 0 in line (the
// Single coordinates, compared in double precision).
int turnOf(const BasDelaunay& m, std::int16_t a, std::int16_t b, std::int16_t c) {
    const double abx = static_cast<double>(nodeX(m, b)) - nodeX(m, a);
    const double aby = static_cast<double>(nodeY(m, b)) - nodeY(m, a);
    const double acx = static_cast<double>(nodeX(m, c)) - nodeX(m, a);
    const double acy = static_cast<double>(nodeY(m, c)) - nodeY(m, a);
    const double cross = abx * acy - aby * acx;
    return cross > 0.0 ? 1 : (cross < 0.0 ? -1 : 0);
}

// Whether triangle (p, q, r) turns as `turn` says and stands clear of
// flat: its height over its longest side above the coincidence tolerance.
bool clearTriangle(const BasDelaunay& m, std::int16_t p, std::int16_t q, std::int16_t r, int turn) {
    if (turn == 0 || turnOf(m, p, q, r) != turn) return false;
    const double px = nodeX(m, p), py = nodeY(m, p), qx = nodeX(m, q), qy = nodeY(m, q), rx = nodeX(m, r), ry = nodeY(m, r);
    const double twiceArea = std::fabs((qx - px) * (ry - py) - (qy - py) * (rx - px));
    const double longest = std::max({std::hypot(qx - px, qy - py), std::hypot(rx - qx, ry - qy), std::hypot(px - rx, py - ry)});
    return twiceArea > CoincidenceTolerance() * longest;
}

// Whether the triangle (p, q, r), split on its side p-q at node mid, gives
// two triangles that turn as it does and stand clear of flat (a midpoint
// within the tolerance of a side would hang on it).
bool splitKeepsArea(const BasDelaunay& m, std::int16_t p, std::int16_t q, std::int16_t r, std::int16_t mid) {
    const int turn = turnOf(m, p, q, r);
    return clearTriangle(m, p, mid, r, turn) && clearTriangle(m, r, mid, q, turn);
}

// While a planned split runs: the node each of its sides is split at (by
// side key), where that is not the side's midpoint (a corner of the slab).
std::unordered_map<std::uint32_t, std::int16_t>*& plannedNodes() {
    static std::unordered_map<std::uint32_t, std::int16_t>* nodes = nullptr;
    return nodes;
}

// The corners of the outline and of the openings, while a refinement runs.
std::vector<halvex::SinglePoint>& slabCorners() {
    static std::vector<halvex::SinglePoint> corners;
    return corners;
}

// The arcs of the outline and of the openings, while a refinement runs.
std::vector<OutlinePiece>& slabArcs() {
    static std::vector<OutlinePiece> arcs;
    return arcs;
}

// The point of an arc piece halfway between two of its points a and b (its
// circle's point on the perpendicular bisector of a-b, on the piece's
// sweep); false when a or b lies off the circle (beyond the tolerance) or
// the point off the piece.
bool arcMiddle(const OutlinePiece& arc, double ax, double ay, double bx, double by, double tol, double& x, double& y) {
    const double radius = std::hypot(static_cast<double>(arc.X1) - arc.XC, static_cast<double>(arc.Y1) - arc.YC);
    if (std::fabs(std::hypot(ax - arc.XC, ay - arc.YC) - radius) > tol || std::fabs(std::hypot(bx - arc.XC, by - arc.YC) - radius) > tol)
        return false;
    const double dx = (ax + bx) / 2.0 - arc.XC, dy = (ay + by) / 2.0 - arc.YC;
    const double length = std::hypot(dx, dy);
    if (length <= tol) return false;
    x = arc.XC + radius * dx / length;
    y = arc.YC + radius * dy / length;
    // The turn from the sweep's start to the point and to its end, both
    // counted counter-clockwise from the start of a counter-clockwise sweep
    // (from the end of a clockwise one).
    const auto angle = [&arc](double px, double py) { return std::atan2(py - arc.YC, px - arc.XC); };
    const auto counterClockwise = [](double from, double to) { return std::fmod(to - from + 4.0 * M_PI, 2.0 * M_PI); };
    const double from = arc.Direction ? angle(arc.X1, arc.Y1) : angle(arc.X2, arc.Y2);
    const double to = arc.Direction ? angle(arc.X2, arc.Y2) : angle(arc.X1, arc.Y1);
    double sweep = counterClockwise(from, to);
    if (sweep <= 0.0) sweep = 2.0 * M_PI;
    return counterClockwise(from, angle(x, y)) <= sweep;
}

// Whether node n lies within the coincidence tolerance of side (a, b),
// away from its ends by more than the tolerance.
bool liesInsideSide(const BasDelaunay& m, std::int16_t n, std::int16_t a, std::int16_t b, double tol) {
    const double ax = nodeX(m, a), ay = nodeY(m, a);
    const double dx = static_cast<double>(nodeX(m, b)) - ax, dy = static_cast<double>(nodeY(m, b)) - ay;
    const double length = std::hypot(dx, dy);
    if (n == a || n == b || length == 0.0) return false;
    const double px = static_cast<double>(nodeX(m, n)) - ax, py = static_cast<double>(nodeY(m, n)) - ay;
    const double along = (px * dx + py * dy) / length;
    return along > tol && along < length - tol && std::fabs(px * dy - py * dx) / length <= tol;
}

// Square cells of the plane, each with the things (sides or nodes) whose
// box, widened by the tolerance, reaches into it.
class PlaneCells {
public:
    PlaneCells(double size, double tol) : size_(size), tol_(tol) {}

    template <typename Visit>
    void eachCell(double x0, double y0, double x1, double y1, Visit visit) const {
        const auto first = [this](double v) { return static_cast<std::int64_t>(std::floor((v - tol_) / size_)); };
        const auto last = [this](double v) { return static_cast<std::int64_t>(std::floor((v + tol_) / size_)); };
        for (std::int64_t i = first(std::min(x0, x1)); i <= last(std::max(x0, x1)); ++i)
            for (std::int64_t j = first(std::min(y0, y1)); j <= last(std::max(y0, y1)); ++j) visit(i * 2654435761LL + j);
    }

    std::unordered_map<std::int64_t, std::vector<std::uint32_t>>& cells() { return cells_; }
    const std::unordered_map<std::int64_t, std::vector<std::uint32_t>>& cells() const { return cells_; }

private:
    double size_;
    double tol_;
    std::unordered_map<std::int64_t, std::vector<std::uint32_t>> cells_;
};

// The sides on the border of the net (held by one element) while a
// refinement runs, to find a border side that a new node would lie on:
// where the net's border runs into the slab and back (a corner cut off by
// the outline trace, a cell left empty), two border chains meet at a
// narrow angle, and their halving would bring a node of one within the
// tolerance of a side of the other.
class BorderSides {
public:
    explicit BorderSides(const BasDelaunay& m) : m_(m), cells_(1.0, CoincidenceTolerance()) {
        std::unordered_map<std::uint32_t, int> holders;
        for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) {
            const NetElement& t = m.MeshElementList[static_cast<std::size_t>(e)];
            if (t.CornerCount != 3 && t.CornerCount != 4) continue;
            const auto n = static_cast<std::size_t>(t.CornerCount);
            for (std::size_t k = 1; k <= n; ++k) ++holders[SideIndex::key(t.Node[k], t.Node[k % n + 1])];
        }
        double total = 0.0;
        std::vector<std::uint32_t> border;
        for (const auto& [side, count] : holders)
            if (count == 1) {
                border.push_back(side);
                total += sideLength(m, static_cast<std::int16_t>(side >> 16), static_cast<std::int16_t>(side & 0xffff));
            }
        if (!border.empty() && total > 0.0) cells_ = PlaneCells(total / static_cast<double>(border.size()), CoincidenceTolerance());
        for (const std::uint32_t side : border) change(side, true);
    }

    // Side (a, b) on the border divided at node n.
    void divided(std::int16_t a, std::int16_t b, std::int16_t n) {
        change(SideIndex::key(a, b), false);
        change(SideIndex::key(a, n), true);
        change(SideIndex::key(n, b), true);
    }

    // Whether node n lies within the tolerance of a border side other than
    // (a, b).
    bool onOtherSide(std::int16_t n, std::int16_t a, std::int16_t b) const {
        const double x = nodeX(m_, n), y = nodeY(m_, n);
        const std::uint32_t own = SideIndex::key(a, b);
        bool found = false;
        cells_.eachCell(x, y, x, y, [&](std::int64_t cell) {
            const auto sides = cells_.cells().find(cell);
            if (sides == cells_.cells().end()) return;
            for (const std::uint32_t side : sides->second)
                found = found || (side != own && liesInsideSide(m_, n, static_cast<std::int16_t>(side >> 16),
                                                                static_cast<std::int16_t>(side & 0xffff), CoincidenceTolerance()));
        });
        return found;
    }

private:
    void change(std::uint32_t side, bool add) {
        const auto a = static_cast<std::int16_t>(side >> 16), b = static_cast<std::int16_t>(side & 0xffff);
        cells_.eachCell(nodeX(m_, a), nodeY(m_, a), nodeX(m_, b), nodeY(m_, b), [&](std::int64_t cell) {
            std::vector<std::uint32_t>& sides = cells_.cells()[cell];
            if (add)
                sides.push_back(side);
            else
                sides.erase(std::remove(sides.begin(), sides.end(), side), sides.end());
        });
    }

    const BasDelaunay& m_;
    PlaneCells cells_;
};

// The midpoints of one split and its walk, as nodes made before any element
// changes, in the order the splits make them. A midpoint may be a new node
// or a node standing exactly at the middle of its side (one the walk made
// before, from the other side); one within the coincidence tolerance of any
// other node gives the split up, and so does a split that would leave an
// element without area. Given up, the nodes it made are removed again.
class SplitPlan {
public:
    SplitPlan(BasDelaunay& m, const BorderSides& borderSides) : m_(m), borderSides_(borderSides), nodesBefore_(m.MeshNodeCount) {}

    // The node side (a, b) of triangle (a, b, o) is split at; false when
    // there may be none. On the border of the net (border true), a corner
    // of the slab inside the triangle (the side is a chord across it) is
    // taken, the one nearest the side's middle, else for a chord of an arc
    // the arc's point halfway along it, else the side's middle; none where
    // that node would lie on another side on the border.
    bool nodeFor(std::int16_t a, std::int16_t b, std::int16_t o, bool border, std::int16_t& node) {
        if (!border) return midpoint(a, b, node);
        if (!cornerOrMidpoint(a, b, o, node) || borderSides_.onOtherSide(node, a, b)) return false;
        borderSplits_.push_back({a, b, node});
        return true;
    }

    // The border sides the plan divides, each with its node.
    const std::vector<std::array<std::int16_t, 3>>& borderSplits() const { return borderSplits_; }

    // The nodes the plan takes instead of midpoints, by side.
    std::unordered_map<std::uint32_t, std::int16_t>& cornerNodes() { return nodes_; }

    // The node at the middle of side (a, b); false when there may be none.
    bool midpoint(std::int16_t a, std::int16_t b, std::int16_t& node) const {
        const float x = (nodeX(m_, a) + nodeX(m_, b)) / 2.0f;
        const float y = (nodeY(m_, a) + nodeY(m_, b)) / 2.0f;
        const std::int16_t count = m_.MeshNodeCount;
        node = AddMeshNode(x, y, 0);
        if (m_.MeshNodeCount != count) return true;
        return node != a && node != b && nodeX(m_, node) == x && nodeY(m_, node) == y;
    }

    // Removes the nodes the plan made; false, for the caller to return.
    bool giveUp() {
        nodes_.clear();
        borderSplits_.clear();
        m_.MeshNodeCount = nodesBefore_;
        m_.MeshNodeX.resize(static_cast<std::size_t>(nodesBefore_) + 1);
        m_.MeshNodeY.resize(static_cast<std::size_t>(nodesBefore_) + 1);
        return false;
    }

private:
    // The node of a border side (a, b) of triangle (a, b, o): a corner of
    // the slab, the middle of an arc, or the side's middle.
    bool cornerOrMidpoint(std::int16_t a, std::int16_t b, std::int16_t o, std::int16_t& node) {
        const int turn = turnOf(m_, a, b, o);
        const double mx = (static_cast<double>(nodeX(m_, a)) + nodeX(m_, b)) / 2.0;
        const double my = (static_cast<double>(nodeY(m_, a)) + nodeY(m_, b)) / 2.0;
        const halvex::SinglePoint* nearest = nullptr;
        double nearestDistance = 0.0;
        for (const halvex::SinglePoint& c : slabCorners()) {
            if (!strictlyInside(a, b, o, turn, c)) continue;
            const double distance = std::hypot(c.X - mx, c.Y - my);
            if (nearest == nullptr || distance < nearestDistance) {
                nearest = &c;
                nearestDistance = distance;
            }
        }
        // A chord of an arc: the arc's point halfway along it.
        double arcX = 0.0;
        double arcY = 0.0;
        for (std::size_t k = 0; k < slabArcs().size() && nearest == nullptr; ++k) {
            if (arcMiddle(slabArcs()[k], nodeX(m_, a), nodeY(m_, a), nodeX(m_, b), nodeY(m_, b), CoincidenceTolerance(), arcX, arcY)) {
                arcPoint_ = {static_cast<float>(arcX), static_cast<float>(arcY)};
                nearest = &arcPoint_;
            }
        }
        if (nearest != nullptr) {
            const std::int16_t count = m_.MeshNodeCount;
            node = AddMeshNode(nearest->X, nearest->Y, 0);
            if (m_.MeshNodeCount == count) return false;
            nodes_[SideIndex::key(a, b)] = node;
            return true;
        }
        return midpoint(a, b, node);
    }

    // Whether point c lies inside triangle (a, b, o) (turning as `turn`
    // says), farther than the coincidence tolerance from its sides.
    bool strictlyInside(std::int16_t a, std::int16_t b, std::int16_t o, int turn, const halvex::SinglePoint& c) const {
        const double tol = CoincidenceTolerance();
        const std::array<std::int16_t, 3> corners{a, b, o};
        for (std::size_t k = 0; k < 3; ++k) {
            const std::int16_t p = corners[k], q = corners[(k + 1) % 3];
            const double px = nodeX(m_, p), py = nodeY(m_, p), qx = nodeX(m_, q), qy = nodeY(m_, q);
            const double cross = ((qx - px) * (c.Y - py) - (qy - py) * (c.X - px)) * turn;
            if (!(cross > tol * std::hypot(qx - px, qy - py))) return false;
        }
        return true;
    }

    BasDelaunay& m_;
    const BorderSides& borderSides_;
    std::int16_t nodesBefore_;
    std::unordered_map<std::uint32_t, std::int16_t> nodes_;
    std::vector<std::array<std::int16_t, 3>> borderSplits_;
    halvex::SinglePoint arcPoint_{};
};

// Plans the split of triangle e on the side from corner b to corner i and
// the walk that follows it, as walkNeighbours will run them: true when every
// midpoint may be made and every element keeps an area (the midpoints are
// then nodes already), false when the side must stay as it is.
bool planSplit(SplitPlan& plan, std::int32_t e, const SidePositions& side) {
    BasDelaunay& m = basDelaunay();
    const NetElement& t = m.MeshElementList[static_cast<std::size_t>(e)];
    std::int16_t a = t.Node[static_cast<std::size_t>(side.b)];
    std::int16_t b = t.Node[static_cast<std::size_t>(side.i)];
    const std::int16_t o = t.Node[static_cast<std::size_t>(side.o)];
    const auto onBorder = [&m](std::int16_t p, std::int16_t q, std::int32_t holder) {
        return findNeighbour(m, p, q, holder).element == 0 && quadrilateralWithSide(m, p, q) == 0;
    };
    std::int16_t mid = 0;
    if (!plan.nodeFor(a, b, o, onBorder(a, b, e), mid) || !splitKeepsArea(m, a, b, o, mid)) return plan.giveUp();
    std::vector<std::int32_t> visited{e};
    std::int32_t excluded = e;
    for (;;) {
        const Neighbour f = findNeighbour(m, a, b, excluded);
        if (f.element == 0) {
            const std::int32_t quad = quadrilateralWithSide(m, a, b);
            if (quad == 0) return true;
            const NetElement& q = m.MeshElementList[static_cast<std::size_t>(quad)];
            std::size_t k = 1;
            while (k <= 4 && !sideIs(q, k, k % 4 + 1, a, b)) ++k;
            if (k > 4) return true;
            const auto at = [&](std::size_t offset) { return q.Node[(k - 1 + offset) % 4 + 1]; };
            const int turn = turnOf(m, at(0), at(1), at(2));
            const bool whole = clearTriangle(m, at(0), mid, at(3), turn) && clearTriangle(m, mid, at(1), at(2), turn) &&
                               clearTriangle(m, mid, at(2), at(3), turn);
            return whole ? true : plan.giveUp();
        }
        // A walk that came back to a triangle it split is not planned.
        if (std::find(visited.begin(), visited.end(), f.element) != visited.end()) return plan.giveUp();
        visited.push_back(f.element);
        const auto [nb, ni, no, shared, l1, l2] = cornersOf(m, f);
        if (shared > l1 && shared > l2) return splitKeepsArea(m, nb, ni, no, mid) ? true : plan.giveUp();
        const bool first = l1 > l2;
        const std::int16_t na = first ? ni : no;
        const std::int16_t nn = first ? no : nb;
        std::int16_t next = 0;
        if (!plan.nodeFor(na, nn, first ? nb : ni, onBorder(na, nn, f.element), next) ||
            !splitKeepsArea(m, na, nn, first ? nb : ni, next) ||
            !splitKeepsArea(m, nb, ni, next, mid))
            return plan.giveUp();
        a = na;
        b = nn;
        mid = next;
        excluded = f.element;
    }
}

void abandonRun() { RunControl().RunState(static_cast<std::int16_t>(halvex::ExitWithoutSaving)); }

}  // namespace

void CheckNetIsWhole() {
    const quillon::ClsLanguageText& texts = LanguageTexts();
    CheckNetIsWhole([&texts](double x, double y, std::int32_t fault) {
        rt::raise(5, texts.GetText(quillon::TextNo(190091),
                                   {rt::Variant("|1"), rt::Variant(rt::formatSingle(static_cast<float>(x))),
                                    rt::Variant("|2"), rt::Variant(rt::formatSingle(static_cast<float>(y))),
                                    rt::Variant("|3"), rt::Variant(texts.GetText(quillon::TextNo(fault)))}));
    });
}

void CheckNetIsWhole(const std::function<void(double x, double y, std::int32_t fault)>& refuse) {
    const BasDelaunay& m = basDelaunay();
    std::unordered_map<std::uint32_t, int> holders;
    holders.reserve(3 * static_cast<std::size_t>(std::max<std::int16_t>(m.MeshElementCount, 0)));
    for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) {
        const NetElement& t = m.MeshElementList[static_cast<std::size_t>(e)];
        const auto corners = static_cast<std::size_t>(t.CornerCount);
        std::int32_t fault = 0;
        const int turn = turnOf(m, t.Node[1], t.Node[2], t.Node[3]);
        for (std::size_t k = 1; k <= corners && fault == 0; ++k) {
            const std::int16_t p = t.Node[k == 1 ? corners : k - 1];
            const std::int16_t q = t.Node[k];
            const std::int16_t r = t.Node[k % corners + 1];
            if (q == r || (corners == 4 && t.Node[k] == t.Node[(k + 1) % corners + 1]))
                fault = 190092;
            else if (turn == 0 || turnOf(m, p, q, r) != turn)
                fault = 190093;
            else if (++holders[SideIndex::key(q, r)] > 2)
                fault = 190094;
        }
        if (fault == 0) continue;
        double x = 0.0;
        double y = 0.0;
        for (std::size_t k = 1; k <= corners; ++k) {
            x += nodeX(m, t.Node[k]) / static_cast<double>(corners);
            y += nodeY(m, t.Node[k]) / static_cast<double>(corners);
        }
        refuse(x, y, fault);
    }
    // A node inside a side of one element that it is no end of: a hanging
    // node, or two chains of border sides that came within the tolerance of
    // each other. (A node inside a side of two elements would lie in one of
    // them: an overlap, which no step of the generation or the refinement
    // makes.)
    std::vector<std::uint32_t> border;
    double total = 0.0;
    for (const auto& [side, count] : holders)
        if (count == 1) {
            border.push_back(side);
            total += sideLength(m, static_cast<std::int16_t>(side >> 16), static_cast<std::int16_t>(side & 0xffff));
        }
    if (border.empty()) return;
    const double tol = CoincidenceTolerance();
    PlaneCells nodes(total > 0.0 ? total / static_cast<double>(border.size()) : 1.0, tol);
    for (std::int16_t n = 1; n <= m.MeshNodeCount; ++n)
        nodes.eachCell(nodeX(m, n), nodeY(m, n), nodeX(m, n), nodeY(m, n),
                       [&nodes, n](std::int64_t cell) { nodes.cells()[cell].push_back(static_cast<std::uint32_t>(n)); });
    for (const std::uint32_t side : border) {
        const auto a = static_cast<std::int16_t>(side >> 16), b = static_cast<std::int16_t>(side & 0xffff);
        nodes.eachCell(nodeX(m, a), nodeY(m, a), nodeX(m, b), nodeY(m, b), [&](std::int64_t cell) {
            const auto found = nodes.cells().find(cell);
            if (found == nodes.cells().end()) return;
            for (const std::uint32_t n : found->second)
                if (liesInsideSide(m, static_cast<std::int16_t>(n), a, b, tol))
                    refuse(nodeX(m, static_cast<std::int16_t>(n)), nodeY(m, static_cast<std::int16_t>(n)), 190096);
        });
    }
}

namespace {

// The slab's corners for the refinement, from the meshers' copy of the
// slab, while it lives.
class SlabCornersScope {
public:
    explicit SlabCornersScope(const BasDelaunay& m) {
        std::vector<halvex::SinglePoint>& corners = slabCorners();
        corners.clear();
        slabArcs().clear();
        const auto take = [&corners](const OutlinePiece& piece) {
            corners.push_back({piece.X1, piece.Y1});
            if (piece.IsArc && std::hypot(piece.X1 - piece.XC, piece.Y1 - piece.YC) < 10000.0f) slabArcs().push_back(piece);
        };
        for (std::size_t p = 1; p <= static_cast<std::size_t>(std::max(m.MeshOutlineCount, 0)) && p < m.MeshOutline.size(); ++p)
            take(m.MeshOutline[p]);
        for (std::size_t o = 1; o <= static_cast<std::size_t>(std::max<std::int32_t>(m.MeshOpeningCount, 0)) && o < m.MeshOpenings.size() &&
                                o < m.MeshOpeningPieceCount.size();
             ++o)
            for (std::size_t p = 1; p <= static_cast<std::size_t>(std::max<std::int32_t>(m.MeshOpeningPieceCount[o], 0)) &&
                                    p < m.MeshOpenings[o].size();
                 ++p)
                take(m.MeshOpenings[o][p]);
    }
    ~SlabCornersScope() {
        slabCorners().clear();
        slabArcs().clear();
        plannedNodes() = nullptr;
    }
    SlabCornersScope(const SlabCornersScope&) = delete;
    SlabCornersScope& operator=(const SlabCornersScope&) = delete;
};

void refine(bool useIndex) {
    BasDelaunay& m = basDelaunay();
    const float minElementSize = declar().MinElementSize;
    ResetZeroSideNotice();
    const NodeIndexScope nodeIndex;
    const TargetSizeIndexScope sizeIndex;
    SideIndex index(m);
    const ActiveSideIndex active(useIndex ? &index : nullptr);
    const SlabCornersScope corners(m);
    BorderSides borderSides(m);

    for (;;) {
        const std::int16_t nodesBefore = m.MeshNodeCount;
        const std::int16_t elementsBefore = m.MeshElementCount;
        mesher::SetProgressMax(m.MeshElementCount);
        for (std::int32_t e = 1; e <= elementsBefore; ++e) {
            const NetElement& t = m.MeshElementList[static_cast<std::size_t>(e)];
            if (t.CornerCount == 3) {
                for (std::size_t k = 1; k <= 3; ++k) checkNodeNumber(m, t.Node[k]);
                const SidePositions side = sideOppositeLargestAngle(m, t);
                const std::int16_t a = t.Node[static_cast<std::size_t>(side.b)];
                const std::int16_t b = t.Node[static_cast<std::size_t>(side.i)];
                const float length = sideLength(m, a, b);
                const float target = GetTriangleTargetSize(t.Node[1], t.Node[2], t.Node[3]);
                if (length / 2.0f > minElementSize && length > target) {
                    SplitPlan plan(m, borderSides);
                    if (planSplit(plan, e, side)) {
                        plannedNodes() = &plan.cornerNodes();
                        SplitElementEdge(static_cast<std::int16_t>(e), side.b, side.i, side.o);
                        walkNeighbours(a, b, e);
                        plannedNodes() = nullptr;
                        for (const auto& [from, to, node] : plan.borderSplits()) borderSides.divided(from, to, node);
                    }
                }
            }
            if (mesher::StopRequested(true)) return abandonRun();
        }
        if (mesher::StopRequested(false)) return abandonRun();
        // A split whose midpoint fell on an existing node adds elements but
        // no node; its triangles are looked at in another sweep as well.
        if (m.MeshNodeCount == nodesBefore && m.MeshElementCount == elementsBefore) break;
    }
    CheckNetIsWhole();
}

}  // namespace

void SplitElementEdge(std::int16_t element, std::int16_t b, std::int16_t i, std::int16_t o) {
    BasDelaunay& m = basDelaunay();
    if (element < 1 || element > m.MeshElementCount || static_cast<std::size_t>(element) >= m.MeshElementList.size() ||
        m.MeshElementList[static_cast<std::size_t>(element)].CornerCount != 3)
        rt::raise(9, "Only a triangle of the net can have a side split.");
    const std::array<std::int16_t, 3> positions{b, i, o};
    for (const std::int16_t p : positions)
        if (p < 1 || p > 3) rt::raise(9, "A triangle's corners are numbered 1 to 3.");
    if (b == i || b == o || i == o || i != b % 3 + 1)
        rt::raise(9, "The corners of a split side must follow each other in the triangle.");

    NetElement& e = m.MeshElementList[static_cast<std::size_t>(element)];
    const auto bb = static_cast<std::size_t>(b);
    const auto ii = static_cast<std::size_t>(i);
    const auto oo = static_cast<std::size_t>(o);
    checkNodeNumber(m, e.Node[bb]);
    checkNodeNumber(m, e.Node[ii]);
    const float x = (nodeX(m, e.Node[bb]) + nodeX(m, e.Node[ii])) / 2.0f;
    const float y = (nodeY(m, e.Node[bb]) + nodeY(m, e.Node[ii])) / 2.0f;
    std::int16_t midpoint = 0;
    const auto* planned = plannedNodes();
    const auto found = planned != nullptr ? planned->find(SideIndex::key(e.Node[bb], e.Node[ii])) : decltype(planned->end()){};
    if (planned != nullptr && found != planned->end())
        midpoint = found->second;
    else
        midpoint = AddMeshNode(x, y, 0);
    if (m.MeshElementCount >= kMaxNetCount) rt::raise(6, "The net would have more than 32767 elements.");

    SideIndex* index = activeSideIndex();
    if (index != nullptr) index->removeTriangle(m, element);
    NetElement added;
    added.CornerCount = 3;
    added.Node[1] = e.Node[oo];
    added.Node[2] = midpoint;
    added.Node[3] = e.Node[ii];
    // The new inner side seen from its second element, with the corner bits
    // of the opposite node; the second half of the split side without the
    // corner bits of its first end (the midpoint is a new, free node); the
    // side from the old end node to the opposite one, moved over whole.
    added.Flag[1] = halvex::RepeatedSide | (e.Flag[oo] & kCornerBits);
    added.Flag[2] = e.Flag[bb] & ~kCornerBits;
    added.Flag[3] = e.Flag[ii];
    e.Node[ii] = midpoint;
    e.Flag[ii] = halvex::InnerSide;

    ++m.MeshElementCount;
    m.MeshElementList.resize(static_cast<std::size_t>(m.MeshElementCount) + 1);
    m.MeshElementList[static_cast<std::size_t>(m.MeshElementCount)] = added;
    if (index != nullptr) {
        index->addTriangle(m, element);
        index->addTriangle(m, m.MeshElementCount);
    }
}

void RefineMeshAdaptively() { refine(true); }

void RefineMeshAdaptivelyByScan() { refine(false); }

}  // namespace orvelo
