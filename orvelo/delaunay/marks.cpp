#include "orvelo/delaunay/marks.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "halvex/interface/enums.h"
#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/boundary.h"
#include "orvelo/delaunay/progress.h"
#include "orvelo/model/declar.h"
#include "orvelo/model/net_scale.h"
#include "orvelo/project/services.h"
#include "platform/runtime/errors.h"

namespace orvelo {

namespace {

std::uint64_t sideKey(std::int32_t a, std::int32_t b) {
    if (a > b) std::swap(a, b);
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(a)) << 32) | static_cast<std::uint32_t>(b);
}

int cornersOf(const NetElement& element) {
    if (element.CornerCount > 4) rt::raise(9, "An element of the net has more than four corners.");
    return element.CornerCount;
}

int nextCorner(int k, int count) { return k + 1 > count ? 1 : k + 1; }

// The rows 1..count of a list of `size` entries that exist (a count below
// zero, read unsigned, takes them all).
std::size_t rowsListed(std::int16_t count, std::size_t size) {
    return size == 0 ? 0 : std::min(static_cast<std::size_t>(count), size - 1);
}

}  // namespace

void SaveBoundaryFlags(bool finishOnStop) {
    BasDelaunay& m = basDelaunay();
    m.FixedNodeCount = 0;
    m.FixedNodes.assign(1, 0);
    m.ConstraintEdgeCount = 0;
    m.ConstraintEdges.assign(1, {0, 0});
    const bool watched = mesher::HasWaitWindow();
    const std::size_t n = m.MeshElementList.size() - 1;
    for (std::size_t e = 1; e <= n; ++e) {
        const NetElement& element = m.MeshElementList[e];
        const int count = cornersOf(element);
        // (Most triangles carry neither mark.)
        constexpr std::int32_t kMarks = halvex::BoundaryNode | halvex::BoundarySide;
        const bool unmarkedTriangle = count == 3 && ((element.Flag[1] | element.Flag[2] | element.Flag[3]) & kMarks) == 0;
        for (int k = 1; k <= count && !unmarkedTriangle; ++k) {
            const std::int32_t flag = element.Flag[static_cast<std::size_t>(k)];
            if ((flag & (halvex::BoundaryNode | halvex::BoundarySide)) == 0) continue;
            if ((flag & halvex::BoundaryNode) != 0) {
                if (m.FixedNodeCount >= kMaxNetCount) rt::raise(6, "The list of fixed nodes would pass 32767 entries.");
                ++m.FixedNodeCount;
                m.FixedNodes.push_back(element.Node[static_cast<std::size_t>(k)]);
            }
            if ((flag & halvex::BoundarySide) != 0) {
                if (m.ConstraintEdgeCount >= kMaxNetCount) rt::raise(6, "The list of constraint sides would pass 32767 rows.");
                ++m.ConstraintEdgeCount;
                m.ConstraintEdges.push_back({element.Node[static_cast<std::size_t>(k)],
                                             element.Node[static_cast<std::size_t>(nextCorner(k, count))]});
            }
        }
        if (watched && mesher::StopRequested(true) && !finishOnStop) return;
    }
}

void ResetSideFlags(bool finishOnStop) {
    BasDelaunay& m = basDelaunay();
    const bool watched = mesher::HasWaitWindow();
    constexpr std::int32_t kCleared = halvex::BoundaryNode | halvex::BoundarySide | halvex::InnerSide | halvex::RepeatedSide;
    for (std::size_t e = 1; e <= static_cast<std::size_t>(m.MeshElementCount); ++e) {
        NetElement& element = m.MeshElementList[e];
        const int count = cornersOf(element);
        for (int k = 1; k <= count; ++k) {
            std::int32_t& flag = element.Flag[static_cast<std::size_t>(k)];
            flag = (flag & ~kCleared) | halvex::OuterSide;
        }
        if (watched && mesher::StopRequested(false) && !finishOnStop) return;
    }
}

namespace {

// The marks of FixedNodes and ConstraintEdges, to be written on elements.
class ListedMarks {
public:
    explicit ListedMarks(const BasDelaunay& m) {
        // The rows that count, and the sides among them sorted.
        const std::size_t fixedRows = rowsListed(m.FixedNodeCount, m.FixedNodes.size());
        const std::size_t sideRows = rowsListed(m.ConstraintEdgeCount, m.ConstraintEdges.size());
        constrained_.reserve(sideRows);
        for (std::size_t i = 1; i <= sideRows; ++i) constrained_.push_back(sideKey(m.ConstraintEdges[i][0], m.ConstraintEdges[i][1]));
        std::sort(constrained_.begin(), constrained_.end());
        // role_[node - lowest_]: kFixed for a listed fixed node (1 or more),
        // kOnSide for an end of a listed side, over the nodes the rows name;
        // a side with a corner off every listed side needs no search.
        std::int32_t highest = -32768;
        auto extend = [&](std::int32_t node) {
            lowest_ = std::min(lowest_, node);
            highest = std::max(highest, node);
        };
        for (std::size_t i = 1; i <= fixedRows; ++i)
            if (m.FixedNodes[i] >= 1) extend(m.FixedNodes[i]);
        for (std::size_t i = 1; i <= sideRows; ++i) {
            extend(m.ConstraintEdges[i][0]);
            extend(m.ConstraintEdges[i][1]);
        }
        role_.assign(lowest_ <= highest ? static_cast<std::size_t>(highest - lowest_) + 1 : 0, 0);
        for (std::size_t i = 1; i <= fixedRows; ++i)
            if (m.FixedNodes[i] >= 1) role_[static_cast<std::size_t>(m.FixedNodes[i] - lowest_)] |= kFixed;
        for (std::size_t i = 1; i <= sideRows; ++i) {
            role_[static_cast<std::size_t>(m.ConstraintEdges[i][0] - lowest_)] |= kOnSide;
            role_[static_cast<std::size_t>(m.ConstraintEdges[i][1] - lowest_)] |= kOnSide;
        }
    }

    // Whether apply leaves the element as it is: a triangle none of whose
    // corners is a listed node or the end of a listed side (a quick look
    // that spares most elements the loop of apply).
    bool passesBy(const NetElement& element, int count) const {
        return count == 3 && (roleOf(element.Node[1]) | roleOf(element.Node[2]) | roleOf(element.Node[3])) == 0;
    }

    // Sets BoundaryNode at the listed nodes and BoundarySide on the listed
    // sides of an element of `count` corners.
    void apply(NetElement& element, int count) const {
        for (int k = 1; k <= count; ++k) {
            const std::int16_t node = element.Node[static_cast<std::size_t>(k)];
            const unsigned char nodeRole = roleOf(node);
            if (nodeRole == 0) continue;
            const std::int16_t next = element.Node[static_cast<std::size_t>(nextCorner(k, count))];
            if ((nodeRole & kFixed) != 0) element.Flag[static_cast<std::size_t>(k)] |= halvex::BoundaryNode;
            if ((nodeRole & kOnSide) != 0 && (roleOf(next) & kOnSide) != 0 &&
                std::binary_search(constrained_.begin(), constrained_.end(), sideKey(node, next)))
                element.Flag[static_cast<std::size_t>(k)] |= halvex::BoundarySide;
        }
    }

private:
    static constexpr unsigned char kFixed = 1;
    static constexpr unsigned char kOnSide = 2;

    unsigned char roleOf(std::int16_t node) const {
        const auto index = static_cast<std::size_t>(static_cast<std::int64_t>(node) - lowest_);
        return index < role_.size() ? role_[index] : 0;
    }

    std::vector<std::uint64_t> constrained_;
    std::vector<unsigned char> role_;
    std::int32_t lowest_ = 32767;
};

void emptyLists(BasDelaunay& m) {
    m.FixedNodeCount = 0;
    m.FixedNodes.assign(1, 0);
    m.ConstraintEdgeCount = 0;
    m.ConstraintEdges.assign(1, {0, 0});
}

}  // namespace

void RestoreBoundaryFlags(bool finishOnStop) {
    BasDelaunay& m = basDelaunay();
    const ListedMarks marks(m);
    const bool watched = mesher::HasWaitWindow();
    const std::size_t n = m.MeshElementList.size() - 1;
    for (std::size_t e = 1; e <= n; ++e) {
        NetElement& element = m.MeshElementList[e];
        const int count = cornersOf(element);
        if (!marks.passesBy(element, count)) marks.apply(element, count);
        if (watched && mesher::StopRequested(true) && !finishOnStop) return;
    }
    emptyLists(m);
}

void ResetAndRestoreBoundaryFlags() {
    BasDelaunay& m = basDelaunay();
    const std::size_t n = m.MeshElementList.size() - 1;
    // (The reset covers MeshElementCount elements, the restore the whole
    // list: where the two differ, the two steps.)
    if (n != static_cast<std::size_t>(std::max<std::int16_t>(m.MeshElementCount, 0))) {
        ResetSideFlags(true);
        RestoreBoundaryFlags(true);
        return;
    }
    const ListedMarks marks(m);
    constexpr std::int32_t kCleared = halvex::BoundaryNode | halvex::BoundarySide | halvex::InnerSide | halvex::RepeatedSide;
    const bool watched = mesher::HasWaitWindow();
    for (std::size_t e = 1; e <= n; ++e) {
        NetElement& element = m.MeshElementList[e];
        if (element.CornerCount > 4) {
            // ResetSideFlags stops here with error 9, the elements before
            // reset only (the marks taken off again) and the wait window
            // told of each.
            for (std::size_t done = 1; done < e; ++done) {
                NetElement& before = m.MeshElementList[done];
                for (int k = 1; k <= before.CornerCount; ++k)
                    before.Flag[static_cast<std::size_t>(k)] &= ~(halvex::BoundaryNode | halvex::BoundarySide);
                if (watched) mesher::StopRequested(false);
            }
            cornersOf(element);
        }
        const int count = element.CornerCount;
        for (int k = 1; k <= count; ++k) {
            std::int32_t& flag = element.Flag[static_cast<std::size_t>(k)];
            flag = (flag & ~kCleared) | halvex::OuterSide;
        }
        if (!marks.passesBy(element, count)) marks.apply(element, count);
    }
    // The wait window's calls of the reset, then those of the restore.
    if (watched) {
        for (std::size_t e = 1; e <= n; ++e) mesher::StopRequested(false);
        for (std::size_t e = 1; e <= n; ++e) mesher::StopRequested(true);
    }
    emptyLists(m);
}

namespace {

constexpr double kDegreeOfArc = 0.0174532;

// The extent of the slab description: piece ends, the far points of arcs,
// line ends and single points.
struct Extent {
    bool any = false;
    float xMin = 0.0f, yMin = 0.0f, xMax = 0.0f, yMax = 0.0f;
    void include(float x, float y) {
        if (!any) {
            any = true;
            xMin = xMax = x;
            yMin = yMax = y;
            return;
        }
        xMin = std::min(xMin, x);
        xMax = std::max(xMax, x);
        yMin = std::min(yMin, y);
        yMax = std::max(yMax, y);
    }
    void include(const OutlinePiece& piece) {
        include(piece.X1, piece.Y1);
        include(piece.X2, piece.Y2);
        const double radius = std::hypot(static_cast<double>(piece.X1) - piece.XC, static_cast<double>(piece.Y1) - piece.YC);
        if (!piece.IsArc || !(radius < 10000.0)) return;
        const halvex::SinglePoint centre{piece.XC, piece.YC};
        double a = 0.0;
        double b = 0.0;
        if (piece.Direction) {
            a = LineAngleDeg(centre, {piece.X1, piece.Y1});
            b = LineAngleDeg(centre, {piece.X2, piece.Y2});
            if (a > b) a -= 360.0;
        } else {
            a = LineAngleDeg(centre, {piece.X2, piece.Y2});
            b = LineAngleDeg(centre, {piece.X1, piece.Y1});
            if (a > b) b += 360.0;
        }
        for (int quarter = -4; quarter <= 8; ++quarter) {
            const double angle = quarter * 90.0;
            if (angle >= a && angle <= b)
                include(static_cast<float>(piece.XC + radius * std::cos(angle * kDegreeOfArc)),
                        static_cast<float>(piece.YC + radius * std::sin(angle * kDegreeOfArc)));
        }
    }
};

}  // namespace

void SetScaleFromSlabDescription() {
    BasDelaunay& m = basDelaunay();
    Extent extent;
    for (std::size_t k = 1; k <= static_cast<std::size_t>(m.MeshOutlineCount); ++k) extent.include(m.MeshOutline[k]);
    for (std::size_t s = 1; s <= static_cast<std::size_t>(m.MeshOpeningCount); ++s)
        for (std::size_t k = 1; k <= static_cast<std::size_t>(m.MeshOpeningPieceCount[s]); ++k)
            extent.include(m.MeshOpenings[s][k]);
    for (std::size_t k = 1; k <= static_cast<std::size_t>(m.MeshLineCount); ++k) {
        extent.include(m.MeshLineStart[k].X, m.MeshLineStart[k].Y);
        extent.include(m.MeshLineEnd[k].X, m.MeshLineEnd[k].Y);
    }
    for (std::size_t k = 1; k <= static_cast<std::size_t>(m.MeshPointCount); ++k)
        extent.include(m.MeshPoints[k].X, m.MeshPoints[k].Y);
    const float width = extent.xMax - extent.xMin;
    const float height = extent.yMax - extent.yMin;
    m.MeshExtentXMin = extent.xMin - width;
    m.MeshExtentYMin = extent.yMin - height;
    m.MeshExtentXMax = extent.xMax + width;
    m.MeshExtentYMax = extent.yMax + height;
    ComputeDrawingScale();
}

void ComputeDrawingScale() {
    BasDelaunay& m = basDelaunay();
    float& drawingScale = declar().DrawingScale;
    drawingScale = DrawingScaleOfExtent(m.MeshExtentXMin, m.MeshExtentYMin, m.MeshExtentXMax, m.MeshExtentYMax);
    m.MarkSize = 5.0f / drawingScale;
    GeometryHelper().UnitFactor(0.05f / drawingScale);
}

}  // namespace orvelo
