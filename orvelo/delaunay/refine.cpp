#include "orvelo/delaunay/refine.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_set>
#include <vector>

#include "orvelo/delaunay/angles.h"
#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/bas_orvelo.h"
#include "orvelo/delaunay/boundary.h"
#include "orvelo/delaunay/edge_recovery.h"
#include "orvelo/delaunay/insert_point.h"
#include "orvelo/delaunay/kept_room.h"
#include "orvelo/delaunay/kernel.h"
#include "orvelo/delaunay/links.h"
#include "orvelo/delaunay/progress.h"
#include "orvelo/delaunay/target_size.h"
#include "orvelo/delaunay/units.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/services.h"
#include "platform/runtime/errors.h"

namespace orvelo {

namespace {

constexpr double kDegree = 0.0174532;

std::uint64_t sideKey(std::int32_t a, std::int32_t b) {
    if (a > b) std::swap(a, b);
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(a)) << 32) | static_cast<std::uint32_t>(b);
}

// Whether triangle `element` has an angle below theta (its cosine above
// cosT), by TriangleAngleCosines.
bool hasAngleBelow(const BasDelaunay& m, const NetElement& element, double cosT) {
    const std::size_t n1 = static_cast<std::size_t>(element.Node[1]);
    const std::size_t n2 = static_cast<std::size_t>(element.Node[2]);
    const std::size_t n3 = static_cast<std::size_t>(element.Node[3]);
    return HasAngleCosineAbove(m.MeshNodeX[n1], m.MeshNodeX[n2], m.MeshNodeX[n3], m.MeshNodeY[n1], m.MeshNodeY[n2],
                               m.MeshNodeY[n3], cosT);
}

// What the sweeps ask of each element and keep while its corners stay the
// same (the answers depend on the corners only): its target size and
// whether it is bad.
class ElementAnswers {
public:
    // sizesNonNegative: no size of the field is negative (or not a
    // number), so no interpolated size is.
    // smallestSize: the smallest size of the field's nodes.
    ElementAnswers(bool sizesNonNegative, double smallestSize)
        : nodes_(KeptList<NodeSize, 0>()), sizesNonNegative_(sizesNonNegative), smallestSize_(smallestSize),
          entries_(KeptList<Entry, 0>()) {
        nodes_.clear();
        entries_.clear();
    }
    ElementAnswers(const ElementAnswers&) = delete;
    ElementAnswers& operator=(const ElementAnswers&) = delete;
    // GetTriangleTargetSize, with the sizes at the nodes kept as well.
    float targetSize(const BasDelaunay& m, std::int32_t e) {
        Entry& entry = entryOf(m, e);
        if (!entry.hasTarget) {
            const auto [a, b, c] = entry.corners;
            const float centreX = (m.MeshNodeX[static_cast<std::size_t>(a)] + m.MeshNodeX[static_cast<std::size_t>(b)] +
                                   m.MeshNodeX[static_cast<std::size_t>(c)]) / 3.0f;
            const float centreY = (m.MeshNodeY[static_cast<std::size_t>(a)] + m.MeshNodeY[static_cast<std::size_t>(b)] +
                                   m.MeshNodeY[static_cast<std::size_t>(c)]) / 3.0f;
            float size = InterpolateTargetSize(centreX, centreY);
            for (std::int16_t corner : {a, b, c}) {
                const float atCorner = nodeSize(m, corner);
                if (size > atCorner) size = atCorner;
            }
            entry.target = size;
            entry.hasTarget = true;
        }
        return entry.target;
    }
    // Whether triangle e is bad: its circumradius above rmin and an angle
    // below theta or the circumradius above its target size. Worked out
    // once while the corners stay the same.
    bool isBad(const BasDelaunay& m, std::int32_t e, double cosT, float rminSquared) {
        Entry& entry = entryOf(m, e);
        if (entry.bad < 0) {
            const NetElement& element = m.MeshElementList[static_cast<std::size_t>(e)];
            const float r2 = m.ElementCircle[static_cast<std::size_t>(e)][2];
            bool bad = false;
            if (r2 > rminSquared) {
                bad = hasAngleBelow(m, element, cosT);
                if (!bad && sizesNonNegative_) {
                    // The target is the smaller of the sizes at the centroid
                    // and at the corners, none negative: a circle too big
                    // for the corners' is too big for the target too.
                    const auto [a, b, c] = entry.corners;
                    float corners = nodeSize(m, a);
                    for (std::int16_t corner : {b, c}) {
                        const float atCorner = nodeSize(m, corner);
                        if (corners > atCorner) corners = atCorner;
                    }
                    bad = static_cast<double>(r2) > static_cast<double>(corners) * corners;
                    // Nor is the centroid's size below the field's smallest
                    // (less the rounding of the weighting): a circle within
                    // both is within the target.
                    const double floor = std::min(static_cast<double>(corners), smallestSize_ * (1.0 - 1e-6));
                    if (!bad && static_cast<double>(r2) <= floor * floor) {
                        entry.bad = 0;
                        return false;
                    }
                }
                if (!bad) {
                    const double t = targetSize(m, e);
                    bad = static_cast<double>(r2) > t * t;
                }
            }
            entry.bad = bad ? 1 : 0;
        }
        return entry.bad == 1;
    }

private:
    float nodeSize(const BasDelaunay& m, std::int16_t node) {
        const std::size_t i = static_cast<std::size_t>(node);
        if (nodes_.size() <= i) nodes_.resize(i + 1);
        NodeSize& known = nodes_[i];
        const float x = m.MeshNodeX[i];
        const float y = m.MeshNodeY[i];
        if (!known.valid || known.x != x || known.y != y) known = {true, x, y, InterpolateTargetSize(x, y)};
        return known.size;
    }
    struct NodeSize {
        bool valid = false;
        float x = 0.0f, y = 0.0f, size = 0.0f;
    };
    // (Lists whose room is kept for the next run.)
    std::vector<NodeSize>& nodes_;
    bool sizesNonNegative_ = false;
    double smallestSize_ = 0.0;
    // (Twelve bytes: one list entry per element, read at every look.)
    struct Entry {
        std::array<std::int16_t, 3> corners{0, 0, 0};
        std::int8_t bad = -1;
        bool hasTarget = false;
        float target = 0.0f;
    };
    Entry& entryOf(const BasDelaunay& m, std::int32_t e) {
        const std::size_t i = static_cast<std::size_t>(e);
        if (entries_.size() <= i) entries_.resize(i + 1);
        const NetElement& element = m.MeshElementList[i];
        const std::array<std::int16_t, 3> key{element.Node[1], element.Node[2], element.Node[3]};
        Entry& entry = entries_[i];
        if (entry.corners[0] != key[0] || entry.corners[1] != key[1] || entry.corners[2] != key[2]) entry = Entry{key};
        return entry;
    }
    std::vector<Entry>& entries_;
};

// The floor of the refinement near single points that stand closer to a
// constraint side (outline, opening or internal line) than the floor's
// reach. There the triangles at the point and at its foot are smaller than
// rmin, so rmin would leave them as the division made them (slivers a few
// degrees wide). Near such a point the floor follows the local feature
// size instead: kGrading times the point's gap to the side plus the
// distance from it, never above rmin; so the net is graded from the gap at
// the point up to rmin, on both sides of a line, and the refinement still
// ends (the floor stays above kGrading times the gap, at least the
// coincidence tolerance).
class LocalFloor {
public:
    static constexpr double kGrading = 0.35;

    LocalFloor(const BasDelaunay& m, float rmin, double tol) : rmin_(rmin) {
        const double reach = rmin / kGrading;
        auto rows = [&](const EdgeList& list, std::int16_t count, std::size_t node, double x, double y, double& gap) {
            for (std::size_t h = 1; h <= static_cast<std::size_t>(std::max<std::int16_t>(count, 0)) && h < list.size(); ++h) {
                const std::size_t a = static_cast<std::size_t>(list[h][0]), b = static_cast<std::size_t>(list[h][1]);
                if (a == node || b == node) continue;
                const double ax = m.MeshNodeX[a], ay = m.MeshNodeY[a], bx = m.MeshNodeX[b], by = m.MeshNodeY[b];
                if (std::min(ax, bx) - gap > x || std::max(ax, bx) + gap < x || std::min(ay, by) - gap > y ||
                    std::max(ay, by) + gap < y)
                    continue;
                const double dx = bx - ax, dy = by - ay, l2 = dx * dx + dy * dy;
                const double t = l2 > 0.0 ? std::clamp(((x - ax) * dx + (y - ay) * dy) / l2, 0.0, 1.0) : 0.0;
                gap = std::min(gap, std::hypot(ax + t * dx - x, ay + t * dy - y));
            }
        };
        for (std::size_t k = 1; k <= static_cast<std::size_t>(std::max<std::int16_t>(m.FixedNodeCount, 0)) && k < m.FixedNodes.size(); ++k) {
            const std::size_t node = static_cast<std::size_t>(m.FixedNodes[k]);
            if (node < 5 || node >= m.MeshNodeX.size()) continue;
            const double x = m.MeshNodeX[node], y = m.MeshNodeY[node];
            double gap = reach;
            rows(m.BoundaryEdges, m.BoundaryEdgeCount, node, x, y, gap);
            rows(m.ConstraintEdges, m.ConstraintEdgeCount, node, x, y, gap);
            if (gap < reach) spots_.push_back({x, y, std::max(gap, tol)});
        }
        std::sort(spots_.begin(), spots_.end(), [](const Spot& a, const Spot& b) { return a.x < b.x; });
    }
    bool empty() const { return spots_.empty(); }
    // The floor of the triangle with corners a, b, c.
    float of(const BasDelaunay& m, std::int16_t a, std::int16_t b, std::int16_t c) const {
        double floor = rmin_;
        const double reach = rmin_ / kGrading;
        for (std::int16_t corner : {a, b, c}) {
            const double x = m.MeshNodeX[static_cast<std::size_t>(corner)], y = m.MeshNodeY[static_cast<std::size_t>(corner)];
            auto it = std::lower_bound(spots_.begin(), spots_.end(), x - reach, [](const Spot& s, double v) { return s.x < v; });
            for (; it != spots_.end() && it->x <= x + reach; ++it)
                floor = std::min(floor, kGrading * (it->gap + std::hypot(x - it->x, y - it->y)));
        }
        return static_cast<float>(floor);
    }

private:
    struct Spot {
        double x, y, gap;
    };
    double rmin_;
    std::vector<Spot> spots_;
};

void dropLastNode(BasDelaunay& m, std::int16_t node) {
    FreeElementStack(-1);
    if (node != m.MeshNodeCount) return;
    --m.MeshNodeCount;
    m.MeshNodeX.resize(static_cast<std::size_t>(m.MeshNodeCount) + 1);
    m.MeshNodeY.resize(static_cast<std::size_t>(m.MeshNodeCount) + 1);
}

// Divides the constraint side `side` of `element` at its midpoint when it is
// longer than rmin: an outline or opening side (its element beyond stays
// outside) as well as an internal-line side. The midpoint is taken in double
// precision from the side's ends, which lie on the input segment, so it lies
// there too. A node already standing within the tolerance of the midpoint
// leaves the side as it is (the side would bend through it).
void divideConstraintSide(BasDelaunay& m, std::int32_t element, int side, float rmin,
                          std::unordered_set<std::uint64_t>& borderRows) {
    const std::int16_t p = CornerOf(m, element, side);
    const std::int16_t q = CornerOf(m, element, (side + 1) % 3);
    const double px = m.MeshNodeX[static_cast<std::size_t>(p)];
    const double py = m.MeshNodeY[static_cast<std::size_t>(p)];
    const double qx = m.MeshNodeX[static_cast<std::size_t>(q)];
    const double qy = m.MeshNodeY[static_cast<std::size_t>(q)];
    const double length = std::hypot(qx - px, qy - py);
    if (!(length > rmin)) return;
    const std::int16_t before = m.MeshNodeCount;
    const std::int16_t node = AddMeshNode(static_cast<float>((px + qx) / 2.0), static_cast<float>((py + qy) / 2.0), -1);
    if (node != before + 1) return;
    const bool border = borderRows.count(sideKey(p, q)) != 0;
    if (InsertNodeOnSide(node, element, side, border) != InsertOutcome::Inserted) return dropLastNode(m, node);
    if (border) {
        borderRows.insert(sideKey(p, node));
        borderRows.insert(sideKey(node, q));
    }
}

// Refines bad triangle e with circumcentre (cx, cy): the circumcentre goes
// in, unless it lies beyond a constraint side (outline, opening or internal
// line) as seen from the triangle, or encroaches one that its insertion
// would face; that side is divided at its midpoint instead (while it is
// longer than rmin, the floor that ends the refinement near small input
// angles), and the triangle is looked at again in a later sweep.
void refineTriangle(BasDelaunay& m, std::int32_t e, float cx, float cy, float rmin,
                    std::unordered_set<std::uint64_t>& borderRows) {
    const std::int16_t a = CornerOf(m, e, 0);
    const std::int16_t b = CornerOf(m, e, 1);
    const std::int16_t c = CornerOf(m, e, 2);
    const double fromX = (static_cast<double>(m.MeshNodeX[static_cast<std::size_t>(a)]) +
                          m.MeshNodeX[static_cast<std::size_t>(b)] + m.MeshNodeX[static_cast<std::size_t>(c)]) / 3.0;
    const double fromY = (static_cast<double>(m.MeshNodeY[static_cast<std::size_t>(a)]) +
                          m.MeshNodeY[static_cast<std::size_t>(b)] + m.MeshNodeY[static_cast<std::size_t>(c)]) / 3.0;
    const WalkResult way = WalkAlongLine(m, e, fromX, fromY, cx, cy, true);
    if (way.end == WalkEnd::Blocked) return divideConstraintSide(m, way.element, way.side, rmin, borderRows);
    if (way.end != WalkEnd::Reached) return;
    if (m.MeshElementList[static_cast<std::size_t>(way.element)].CornerCount < 0) return;
    const std::int16_t before = m.MeshNodeCount;
    const std::int16_t node = AddMeshNode(cx, cy, -1);
    if (node != before + 1) return;  // an existing node stands there
    std::pair<std::int32_t, int> encroached{0, -1};
    const InsertOutcome outcome = InsertNodeNear(node, way.element, &encroached);
    if (outcome == InsertOutcome::Inserted) return;
    dropLastNode(m, node);
    if (outcome == InsertOutcome::Encroaching) divideConstraintSide(m, encroached.first, encroached.second, rmin, borderRows);
}

// Window mode: the circumcentres of the bad triangles whose circumcentres
// lie in the refinement window go into the net by InsertPointIntoNet.
void refineInWindow(std::int16_t mode) {
    BasDelaunay& m = basDelaunay();
    const double cosT = std::cos(static_cast<double>(declar().MinAngle) * kDegree);
    NetEditScope editIndex;
    TargetSizeIndexScope sizeIndex;
    if (m.ElementCircle.size() < static_cast<std::size_t>(m.MeshElementCount) + 1)
        m.ElementCircle.resize(static_cast<std::size_t>(m.MeshElementCount) + 1, {0.0f, 0.0f, 0.0f});
    for (;;) {
        const std::int16_t start = m.MeshNodeCount;
        mesher::SetProgressMax(m.MeshElementCount);
        const std::int32_t bound = m.MeshElementCount;
        for (std::int32_t e = 1; e <= bound; ++e) {
            // (A merge of new triangles into a quadrilateral may have taken
            // the last numbers away.)
            if (e <= m.MeshElementCount) {
                const NetElement element = m.MeshElementList[static_cast<std::size_t>(e)];
                if (element.CornerCount == 3 && CircumcentreInWindow(static_cast<std::int16_t>(e), mode)) {
                    const bool smallAngle = hasAngleBelow(m, element, cosT);
                    const double t = GetTriangleTargetSize(element.Node[1], element.Node[2], element.Node[3]);
                    const auto circle = m.ElementCircle[static_cast<std::size_t>(e)];
                    // rmin as the insertions may have raised it.
                    const float rmin = declar().MinElementSize;
                    if (circle[2] > rmin * rmin &&
                        (static_cast<double>(circle[2]) > t * t || smallAngle)) {
                        AppendNode(circle[0], circle[1]);
                        InsertPointIntoNet();
                    }
                }
            }
            if (mesher::StopRequested(true)) return;
        }
        if (mesher::StopRequested(false)) return;
        if (m.MeshNodeCount == start) break;
    }
}

// The sweeps of RefineMeshQuality (returns on a stop).
template <class Unsettle>
void sweepUntilSettled(BasDelaunay& m, ElementAnswers& answers, const LocalFloor& localFloor, double cosT, float rminSquared, float rmin,
                       std::unordered_set<std::uint64_t>& borderRows, std::vector<std::uint8_t>& unsettled,
                       std::vector<std::uint8_t>& circleDue, Unsettle&& unsettle, double tol) {
    for (;;) {
        const std::int16_t start = m.MeshNodeCount;
        mesher::SetProgressMax(m.MeshElementCount);
        const std::int32_t bound = m.MeshElementCount;
        if (unsettled.size() < static_cast<std::size_t>(bound) + 1) {
            unsettled.resize(static_cast<std::size_t>(bound) + 1, 1);
            circleDue.resize(unsettled.size(), 0);
        }
        // (The progress steps of the elements passed over are counted
        // before the next one is looked at.)
        std::int64_t passed = 0;
        for (std::int32_t e = 1; e <= bound; ++e) {
            if (!unsettled[static_cast<std::size_t>(e)]) {
                ++passed;
                continue;
            }
            if (mesher::StepsDone(passed)) return;
            passed = 0;
            if (circleDue[static_cast<std::size_t>(e)]) {
                circleDue[static_cast<std::size_t>(e)] = 0;
                ComputeElementCircle(m, e, tol);
            }
            const NetElement& element = m.MeshElementList[static_cast<std::size_t>(e)];
            // The floor of this triangle: rmin, or less near a single point
            // close to a constraint side.
            float floor = rmin, floorSquared = rminSquared;
            if (!localFloor.empty() && element.CornerCount == 3) {
                floor = localFloor.of(m, element.Node[1], element.Node[2], element.Node[3]);
                if (floor < rmin) floorSquared = floor * floor;
                else floor = rmin;
            }
            // (A circle of radius 0 is never refined.)
            if (element.CornerCount == 3 && m.ElementCircle.at(static_cast<std::size_t>(e))[2] != 0.0f &&
                answers.isBad(m, e, cosT, floorSquared)) {
                const auto circle = m.ElementCircle[static_cast<std::size_t>(e)];
                refineTriangle(m, e, circle[0], circle[1], floor, borderRows);
                unsettle();
            } else {
                unsettled[static_cast<std::size_t>(e)] = 0;
            }
            if (mesher::StopRequested(true)) return;
        }
        if (mesher::StepsDone(passed)) return;
        if (mesher::StopRequested(false)) return;
        if (m.MeshNodeCount == start) break;
    }
}

}  // namespace

void RefineMeshQuality(std::int16_t mode) {
    if (mode != 0) return refineInWindow(mode);
    BasDelaunay& m = basDelaunay();
    EnsureLinks(m);
    const double cosT = std::cos(static_cast<double>(declar().MinAngle) * kDegree);
    const float rmin = declar().MinElementSize;
    const float rminSquared = rmin * rmin;

    std::unordered_set<std::uint64_t> borderRows;
    for (std::size_t h = 1; h <= static_cast<std::size_t>(m.BoundaryEdgeCount) && h < m.BoundaryEdges.size(); ++h)
        borderRows.insert(sideKey(m.BoundaryEdges[h][0], m.BoundaryEdges[h][1]));
    // The sizes of the old nodes (entry 0 is none).
    const std::vector<float>& sizes = declar().NodeTargetSize;
    const bool sizesNonNegative = std::all_of(sizes.begin(), sizes.end(), [](float size) { return size >= 0.0f; });
    const float smallestSize = sizes.size() > 1 ? *std::min_element(sizes.begin() + 1, sizes.end()) : 0.0f;
    // (Only where every old node has its size, so no look-up left out
    // would have failed.)
    const BasOrvelo& old = basOrvelo();
    const bool everySize = sizes.size() >= old.OldNodeX.size() && sizes.size() >= old.OldNodeY.size();
    ElementAnswers answers(sizesNonNegative, sizesNonNegative && everySize ? smallestSize : 0.0);

    // The elements that may be bad: every one at first; one found good
    // leaves the set until the kernel makes it again (its verdict depends on
    // its corners only), so a sweep looks at exactly the elements it would
    // find bad, in the same order.
    // The circle of a new element is worked out when a sweep first looks at
    // it (many are gone again before), and for the rest at the end.
    std::vector<std::uint8_t>& unsettled = KeptList<std::uint8_t, 0>();
    std::vector<std::uint8_t>& circleDue = KeptList<std::uint8_t, 1>();
    std::vector<std::int32_t>& made = KeptList<std::int32_t, 0>();
    unsettled.assign(static_cast<std::size_t>(m.MeshElementCount) + 1, 1);
    circleDue.assign(unsettled.size(), 0);
    made.clear();
    struct MadeRecorder {
        TriangulationLinks& links;
        ~MadeRecorder() {
            links.Made = nullptr;
            links.DeferCircles = false;
        }
    } recorder{m.Links};
    m.Links.Made = &made;
    m.Links.DeferCircles = true;
    const double tol = CoincidenceTolerance();
    auto unsettle = [&]() {
        for (std::int32_t e : made) {
            if (unsettled.size() <= static_cast<std::size_t>(e)) {
                unsettled.resize(std::max(static_cast<std::size_t>(e) + 1, 2 * unsettled.size()), 1);
                circleDue.resize(unsettled.size(), 0);
            }
            unsettled[static_cast<std::size_t>(e)] = 1;
            circleDue[static_cast<std::size_t>(e)] = 1;
        }
        made.clear();
    };
    const LocalFloor localFloor(m, rmin, tol);
    sweepUntilSettled(m, answers, localFloor, cosT, rminSquared, rmin, borderRows, unsettled, circleDue, unsettle, tol);
    unsettle();
    m.Links.DeferCircles = false;
    for (std::size_t e = 1; e < circleDue.size() && e <= static_cast<std::size_t>(m.MeshElementCount); ++e)
        if (circleDue[e]) ComputeElementCircle(m, static_cast<std::int32_t>(e), tol);
}

}  // namespace orvelo
