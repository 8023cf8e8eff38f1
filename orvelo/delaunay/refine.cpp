#include "orvelo/delaunay/refine.h"

#include <array>
#include <cmath>
#include <memory>
#include <unordered_set>
#include <vector>

#include "orvelo/delaunay/angles.h"
#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/boundary.h"
#include "orvelo/delaunay/edge_recovery.h"
#include "orvelo/delaunay/insert_point.h"
#include "orvelo/delaunay/kernel.h"
#include "orvelo/delaunay/links.h"
#include "orvelo/delaunay/progress.h"
#include "orvelo/delaunay/region_index.h"
#include "orvelo/delaunay/target_size.h"
#include "orvelo/delaunay/units.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/services.h"
#include "outside/drovik/region_test.h"
#include "platform/runtime/errors.h"

namespace orvelo {

namespace {

constexpr double kDegree = 0.0174532;

std::uint64_t sideKey(std::int32_t a, std::int32_t b) {
    if (a > b) std::swap(a, b);
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(a)) << 32) | static_cast<std::uint32_t>(b);
}

// What the sweeps ask of each element and keep while its corners stay the
// same (both answers depend on the corners only): its target size and
// whether its circumcentre lies in the slab region.
class ElementAnswers {
public:
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
    bool centreInSlab(const BasDelaunay& m, std::int32_t e, float unitFactor) {
        Entry& entry = entryOf(m, e);
        if (entry.inSlab < 0) {
            const auto& circle = m.ElementCircle[static_cast<std::size_t>(e)];
            const std::int32_t x = RegionCoordinate(circle[0], unitFactor);
            const std::int32_t y = RegionCoordinate(circle[1], unitFactor);
            bool inside = false;
            if (!m.SlabRegionCorners.empty()) {
                if (!slab_) slab_ = std::make_unique<RegionIndex>(m.SlabRegionCorners);
                inside = slab_->Contains(x, y);
            } else {
                regionTest_.PointInRegion(m.SlabRegion, x, y, inside);
            }
            entry.inSlab = inside ? 1 : 0;
        }
        return entry.inSlab == 1;
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
    std::vector<NodeSize> nodes_;
    struct Entry {
        std::array<std::int16_t, 3> corners{0, 0, 0};
        bool hasTarget = false;
        float target = 0.0f;
        int inSlab = -1;
    };
    Entry& entryOf(const BasDelaunay& m, std::int32_t e) {
        const std::size_t i = static_cast<std::size_t>(e);
        if (entries_.size() <= i) entries_.resize(i + 1);
        const NetElement& element = m.MeshElementList[i];
        const std::array<std::int16_t, 3> key{element.Node[1], element.Node[2], element.Node[3]};
        Entry& entry = entries_[i];
        if (entry.corners != key) entry = Entry{key};
        return entry;
    }
    std::vector<Entry> entries_;
    drovik::ClsRegionTest regionTest_;
    std::unique_ptr<RegionIndex> slab_;  // the slab region's answers, faster
};

void dropLastNode(BasDelaunay& m, std::int16_t node) {
    FreeElementStack(-1);
    if (node != m.MeshNodeCount) return;
    --m.MeshNodeCount;
    m.MeshNodeX.resize(static_cast<std::size_t>(m.MeshNodeCount) + 1);
    m.MeshNodeY.resize(static_cast<std::size_t>(m.MeshNodeCount) + 1);
}

// The internal-line side of element e that (x, y) lies on within the
// coincidence tolerance (between its ends); -1 when none.
int lineSideAt(const BasDelaunay& m, std::int32_t e, double x, double y,
               const std::unordered_set<std::uint64_t>& borderRows) {
    const std::uint8_t locked = m.Links.Locked[static_cast<std::size_t>(e)];
    if (locked == 0) return -1;
    const double tol = CoincidenceTolerance();
    for (int j = 0; j < 3; ++j) {
        if ((locked & (1u << j)) == 0) continue;
        const std::int16_t p = CornerOf(m, e, j);
        const std::int16_t q = CornerOf(m, e, (j + 1) % 3);
        if (borderRows.count(sideKey(p, q)) != 0) continue;
        const double px = m.MeshNodeX[static_cast<std::size_t>(p)], py = m.MeshNodeY[static_cast<std::size_t>(p)];
        const double dx = m.MeshNodeX[static_cast<std::size_t>(q)] - px, dy = m.MeshNodeY[static_cast<std::size_t>(q)] - py;
        const double length2 = dx * dx + dy * dy;
        const double along = ((x - px) * dx + (y - py) * dy) / length2;
        const double off = std::fabs(dx * (y - py) - dy * (x - px)) / std::sqrt(length2);
        if (along > 0.0 && along < 1.0 && off < tol) return j;
    }
    return -1;
}

// Refines bad triangle e with circumcentre (cx, cy).
void refineTriangle(BasDelaunay& m, std::int32_t e, float cx, float cy, float rmin,
                    const std::unordered_set<std::uint64_t>& borderRows) {
    const std::int16_t a = CornerOf(m, e, 0);
    const std::int16_t b = CornerOf(m, e, 1);
    const std::int16_t c = CornerOf(m, e, 2);
    const double fromX = (static_cast<double>(m.MeshNodeX[static_cast<std::size_t>(a)]) +
                          m.MeshNodeX[static_cast<std::size_t>(b)] + m.MeshNodeX[static_cast<std::size_t>(c)]) / 3.0;
    const double fromY = (static_cast<double>(m.MeshNodeY[static_cast<std::size_t>(a)]) +
                          m.MeshNodeY[static_cast<std::size_t>(b)] + m.MeshNodeY[static_cast<std::size_t>(c)]) / 3.0;
    const WalkResult way = WalkAlongLine(m, e, fromX, fromY, cx, cy, true);
    std::int32_t element = way.element;
    int side = way.side;
    if (way.end == WalkEnd::Reached) {
        // A circumcentre that falls on an internal-line side of its element
        // (within the coincidence tolerance) divides that side instead.
        side = lineSideAt(m, element, cx, cy, borderRows);
        if (side < 0) {
            const std::int16_t before = m.MeshNodeCount;
            const std::int16_t node = AddMeshNode(cx, cy, -1);
            if (node != before + 1) return;  // an existing node stands there
            if (InsertNodeNear(node, element) != InsertOutcome::Inserted) dropLastNode(m, node);
            return;
        }
    } else if (way.end != WalkEnd::Blocked) {
        return;
    }
    // The circumcentre lies beyond (or on) a constraint side: an outline or
    // opening side keeps it out of reach; an internal-line side longer than
    // rmin is divided at its midpoint.
    const std::int16_t p = CornerOf(m, element, side);
    const std::int16_t q = CornerOf(m, element, (side + 1) % 3);
    if (borderRows.count(sideKey(p, q)) != 0) return;
    const float px = m.MeshNodeX[static_cast<std::size_t>(p)];
    const float py = m.MeshNodeY[static_cast<std::size_t>(p)];
    const float qx = m.MeshNodeX[static_cast<std::size_t>(q)];
    const float qy = m.MeshNodeY[static_cast<std::size_t>(q)];
    const double length = std::hypot(static_cast<double>(qx) - px, static_cast<double>(qy) - py);
    if (!(length > rmin)) return;
    const std::int16_t before = m.MeshNodeCount;
    const std::int16_t node = AddMeshNode((px + qx) / 2.0f, (py + qy) / 2.0f, -1);
    if (node != before + 1) {
        // A node already stands at the midpoint: when it is the corner
        // across the side, the side is divided there.
        if (node != p && node != q) DivideSideAtNode(p, q, node);
        return;
    }
    if (InsertNodeOnSide(node, element, side) != InsertOutcome::Inserted) dropLastNode(m, node);
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
                    double cos1 = 0.0, cos2 = 0.0, cos3 = 0.0;
                    std::int16_t longest = 0;
                    const std::size_t n1 = static_cast<std::size_t>(element.Node[1]);
                    const std::size_t n2 = static_cast<std::size_t>(element.Node[2]);
                    const std::size_t n3 = static_cast<std::size_t>(element.Node[3]);
                    TriangleAngleCosines(m.MeshNodeX[n1], m.MeshNodeX[n2], m.MeshNodeX[n3], m.MeshNodeY[n1],
                                         m.MeshNodeY[n2], m.MeshNodeY[n3], cos1, cos2, cos3, longest);
                    const double t = GetTriangleTargetSize(element.Node[1], element.Node[2], element.Node[3]);
                    const auto circle = m.ElementCircle[static_cast<std::size_t>(e)];
                    // rmin as the insertions may have raised it.
                    const float rmin = declar().MinElementSize;
                    if (circle[2] > rmin * rmin &&
                        (static_cast<double>(circle[2]) > t * t || cos1 > cosT || cos2 > cosT || cos3 > cosT)) {
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

}  // namespace

void RefineMeshQuality(std::int16_t mode) {
    if (mode != 0) return refineInWindow(mode);
    BasDelaunay& m = basDelaunay();
    EnsureLinks(m);
    const double cosT = std::cos(static_cast<double>(declar().MinAngle) * kDegree);
    const float rmin = declar().MinElementSize;
    const float rminSquared = rmin * rmin;
    const float unitFactor = UnitFactor();

    std::unordered_set<std::uint64_t> borderRows;
    for (std::size_t h = 1; h <= static_cast<std::size_t>(m.BoundaryEdgeCount) && h < m.BoundaryEdges.size(); ++h)
        borderRows.insert(sideKey(m.BoundaryEdges[h][0], m.BoundaryEdges[h][1]));
    ElementAnswers answers;

    for (;;) {
        const std::int16_t start = m.MeshNodeCount;
        mesher::SetProgressMax(m.MeshElementCount);
        const std::int32_t bound = m.MeshElementCount;
        for (std::int32_t e = 1; e <= bound; ++e) {
            const NetElement& element = m.MeshElementList[static_cast<std::size_t>(e)];
            if (element.CornerCount == 3 && CircumcentreInWindow(static_cast<std::int16_t>(e), 0)) {
                double cos1 = 0.0, cos2 = 0.0, cos3 = 0.0;
                std::int16_t longest = 0;
                const std::size_t n1 = static_cast<std::size_t>(element.Node[1]);
                const std::size_t n2 = static_cast<std::size_t>(element.Node[2]);
                const std::size_t n3 = static_cast<std::size_t>(element.Node[3]);
                TriangleAngleCosines(m.MeshNodeX[n1], m.MeshNodeX[n2], m.MeshNodeX[n3], m.MeshNodeY[n1],
                                     m.MeshNodeY[n2], m.MeshNodeY[n3], cos1, cos2, cos3, longest);
                const auto circle = m.ElementCircle[static_cast<std::size_t>(e)];
                const float r2 = circle[2];
                if (r2 > rminSquared) {
                    bool bad = cos1 > cosT || cos2 > cosT || cos3 > cosT;
                    if (!bad) {
                        const double t = answers.targetSize(m, e);
                        bad = static_cast<double>(r2) > t * t;
                    }
                    if (bad && answers.centreInSlab(m, e, unitFactor))
                        refineTriangle(m, e, circle[0], circle[1], rmin, borderRows);
                }
            }
            if (mesher::StopRequested(true)) return;
        }
        if (mesher::StopRequested(false)) return;
        if (m.MeshNodeCount == start) break;
    }
}

}  // namespace orvelo
