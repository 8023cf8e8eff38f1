#include "orvelo/delaunay/generate.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "orvelo/delaunay/angles.h"
#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/boundary.h"
#include "orvelo/delaunay/classify.h"
#include "orvelo/delaunay/delete_nodes.h"
#include "orvelo/delaunay/edge_recovery.h"
#include "orvelo/delaunay/kernel.h"
#include "orvelo/delaunay/links.h"
#include "orvelo/delaunay/marks.h"
#include "orvelo/delaunay/predicates.h"
#include "orvelo/delaunay/progress.h"
#include "orvelo/delaunay/refine.h"
#include "orvelo/delaunay/target_size.h"
#include "orvelo/delaunay/units.h"
#include "orvelo/project/services.h"
#include "outside/drovik/region_test.h"
#include "platform/runtime/errors.h"

namespace orvelo {

namespace {

constexpr double kDegree = 0.0174532;
constexpr std::int32_t kOpDeleteNodesQuiet = 3;

// Frees the slab region on every way out of the generation.
class SlabRegionGuard {
public:
    explicit SlabRegionGuard(BasDelaunay& m) : m_(m) {}
    ~SlabRegionGuard() { release(); }
    SlabRegionGuard(const SlabRegionGuard&) = delete;
    SlabRegionGuard& operator=(const SlabRegionGuard&) = delete;
    void release() {
        if (m_.SlabRegion != 0) drovik::DeleteObject(m_.SlabRegion);
        m_.SlabRegion = 0;
        m_.SlabRegionCorners.clear();
    }

private:
    BasDelaunay& m_;
};

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
                include(static_cast<float>(piece.XC + radius * std::cos(angle * kDegree)),
                        static_cast<float>(piece.YC + radius * std::sin(angle * kDegree)));
        }
    }
};

void checkListed(std::size_t count, std::size_t size, const char* what) {
    if (count + 1 > size) rt::raise(9, std::string("The slab description lists more ") + what + " than it holds.");
}

}  // namespace

void setScaleFromDescription(BasDelaunay& m) {
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

namespace {

// The consecutive pairs of a chain as rows (a pair of one node twice is no
// side and is left out); with close, a chain that does not end at its first
// node is closed by a row back to it.
void appendChainRows(EdgeList& rows, std::int16_t& count, const std::vector<std::int16_t>& chain, bool close) {
    auto append = [&](std::int16_t a, std::int16_t b) {
        if (count >= kMaxNetCount) rt::raise(6, "The list of sides would pass 32767 rows.");
        ++count;
        rows.resize(static_cast<std::size_t>(count) + 1);
        rows[static_cast<std::size_t>(count)] = {a, b};
    };
    for (std::size_t j = 0; j + 1 < chain.size(); ++j)
        if (chain[j] != chain[j + 1]) append(chain[j], chain[j + 1]);
    if (close && chain.size() >= 2 && chain.back() != chain.front()) append(chain.back(), chain.front());
}

// Whether the chain's nodes enclose an area: at least three of them not on
// one line.
bool enclosesArea(const BasDelaunay& m, const std::vector<std::int16_t>& chain) {
    if (chain.empty()) return false;
    const std::int16_t first = chain.front();
    std::int16_t second = 0;
    for (std::int16_t n : chain) {
        if (n == first) continue;
        if (second == 0) {
            second = n;
            continue;
        }
        if (OrientNodes(m, first, second, n) != 0.0) return true;
    }
    return false;
}

}  // namespace

void GenerateDelaunayMesh() {
    BasDelaunay& m = basDelaunay();
    RunControl().RunState(0);
    if (m.MeshOutlineCount < 3) return;
    checkListed(static_cast<std::size_t>(m.MeshOutlineCount), m.MeshOutline.size(), "outline pieces");
    checkListed(static_cast<std::size_t>(m.MeshOpeningCount), std::min(m.MeshOpeningPieceCount.size(), m.MeshOpenings.size()), "openings");
    for (std::size_t s = 1; s <= static_cast<std::size_t>(m.MeshOpeningCount); ++s)
        checkListed(static_cast<std::size_t>(std::max<std::int16_t>(m.MeshOpeningPieceCount[s], 0)), m.MeshOpenings[s].size(), "opening pieces");
    checkListed(static_cast<std::size_t>(m.MeshLineCount), std::min(m.MeshLineStart.size(), m.MeshLineEnd.size()), "lines");
    checkListed(static_cast<std::size_t>(m.MeshPointCount), m.MeshPoints.size(), "single points");

    ResetZeroSideNotice();
    NodeIndexScope nodeIndex;
    TargetSizeIndexScope sizeIndex;
    SlabRegionGuard region(m);
    auto stopped = [] {
        RunControl().RunState(3);
    };

    mesher::ShowStatusText(quillon::TextNo(100036));
    if (mesher::StopRequested(false)) return stopped();
    setScaleFromDescription(m);

    InitStartTriangulation();
    if (mesher::StopRequested(false)) return stopped();

    // The outline: one or more closed loops written one after the other
    // (separate slab parts each keep their own outline). A loop ends where
    // its last piece comes back to the start of its first piece; each loop
    // is closed by the end point of its last piece and gives its own rows.
    std::vector<std::vector<std::int16_t>> outlineLoops;
    std::vector<std::int16_t> chain;
    {
        const double tol = CoincidenceTolerance();
        std::size_t loopStart = 1;
        const std::size_t count = static_cast<std::size_t>(m.MeshOutlineCount);
        for (std::size_t k = 1; k <= count; ++k) {
            const OutlinePiece& piece = m.MeshOutline[k];
            AddPieceNodes(piece, chain);
            const OutlinePiece& first = m.MeshOutline[loopStart];
            const bool closes = CloserThan(piece.X2, first.X1, tol) && CloserThan(piece.Y2, first.Y1, tol);
            if (k < count && !closes) continue;
            chain.push_back(AddMeshNode(piece.X2, piece.Y2, -1));
            appendChainRows(m.BoundaryEdges, m.BoundaryEdgeCount, chain, true);
            if (!enclosesArea(m, chain))
                rt::raise(5, outlineLoops.empty() && k == count
                                 ? "The slab outline encloses no area: no net can be generated for it."
                                 : "A loop of the slab outline encloses no area: no net can be generated for it.");
            outlineLoops.push_back(chain);
            chain.clear();
            loopStart = k + 1;
        }
    }

    // The openings.
    for (std::size_t s = 1; s <= static_cast<std::size_t>(m.MeshOpeningCount); ++s) {
        const std::size_t pieces = static_cast<std::size_t>(std::max<std::int16_t>(m.MeshOpeningPieceCount[s], 0));
        if (pieces == 0) continue;
        chain.clear();
        for (std::size_t k = 1; k <= pieces; ++k) AddPieceNodes(m.MeshOpenings[s][k], chain);
        chain.push_back(AddMeshNode(m.MeshOpenings[s][pieces].X2, m.MeshOpenings[s][pieces].Y2, -1));
        appendChainRows(m.BoundaryEdges, m.BoundaryEdgeCount, chain, true);
    }

    // The internal lines.
    for (std::size_t k = 1; k <= static_cast<std::size_t>(m.MeshLineCount); ++k) {
        chain.clear();
        OutlinePiece line;
        line.X1 = m.MeshLineStart[k].X;
        line.Y1 = m.MeshLineStart[k].Y;
        line.X2 = m.MeshLineEnd[k].X;
        line.Y2 = m.MeshLineEnd[k].Y;
        AddPieceNodes(line, chain);
        appendChainRows(m.ConstraintEdges, m.ConstraintEdgeCount, chain, false);
    }

    // The single points.
    for (std::size_t k = 1; k <= static_cast<std::size_t>(m.MeshPointCount); ++k) {
        const std::int16_t node = AddMeshNode(m.MeshPoints[k].X, m.MeshPoints[k].Y, -1);
        if (m.FixedNodeCount >= kMaxNetCount) rt::raise(6, "The list of fixed nodes would pass 32767 entries.");
        ++m.FixedNodeCount;
        m.FixedNodes.push_back(node);
    }

    // The start rectangle around the nodes, the drawing scale of the net,
    // and the slab region with the unit factor it gives.
    StretchStartRectangle();
    ComputeDrawingScale();
    ComputeCircumcircle(1);
    ComputeCircumcircle(2);
    {
        const float unitFactor = UnitFactor();
        // Several loops make one polygon: after each further loop a way
        // back to the very first corner, so every joining side is passed
        // once there and once back and the even-odd test holds each loop.
        std::vector<halvex::POINTAPI> corners;
        for (const std::vector<std::int16_t>& loop : outlineLoops) {
            for (std::int16_t node : loop)
                corners.push_back(RegionPoint(m.MeshNodeX[static_cast<std::size_t>(node)], m.MeshNodeY[static_cast<std::size_t>(node)], unitFactor));
            if (outlineLoops.size() == 1) break;
            const halvex::POINTAPI loopFirst = RegionPoint(m.MeshNodeX[static_cast<std::size_t>(loop.front())],
                                                           m.MeshNodeY[static_cast<std::size_t>(loop.front())], unitFactor);
            const halvex::POINTAPI& last = corners.back();
            if (last.X != loopFirst.X || last.Y != loopFirst.Y) corners.push_back(loopFirst);
            if (&loop != &outlineLoops.front()) corners.push_back(corners.front());
        }
        m.SlabRegion = drovik::CreatePolygonRgn(corners.data(), static_cast<std::int32_t>(corners.size()), drovik::ALTERNATE);
        m.SlabRegionCorners = corners;
    }

    // Every node into the triangulation.
    mesher::SetProgressMax(static_cast<std::int64_t>(m.MeshNodeCount) - 4);
    RebuildLinks(m);
    for (std::int32_t node = 5; node <= m.MeshNodeCount; ++node) {
        InsertNodeNear(static_cast<std::int16_t>(node), 0);
        if (mesher::StopRequested(true)) return stopped();
    }

    // Outline, opening and line sides, the inside, the refinement.
    RecoverConstraintEdges(m.BoundaryEdges, m.BoundaryEdgeCount);
    if (mesher::StopRequested(false)) return stopped();
    RecoverConstraintEdges(m.ConstraintEdges, m.ConstraintEdgeCount);
    if (mesher::StopRequested(false)) return stopped();
    ClassifyInsideElements();
    if (mesher::StopRequested(false)) return stopped();
    RefineMeshQuality(0);
    if (mesher::StopRequested(false)) return stopped();
    RecoverConstraintEdges(m.ConstraintEdges, m.ConstraintEdgeCount);
    if (mesher::StopRequested(false)) return stopped();
    region.release();
    RunControl().RunState(0);

    // Only the triangles inside the slab stay, in their order.
    mesher::ShowStatusText(quillon::TextNo(100036));
    mesher::SetProgressMax(2 * static_cast<std::int64_t>(m.MeshElementCount));
    if (mesher::StopRequested(false)) return stopped();
    bool stop = false;
    std::size_t kept = 0;
    for (std::size_t e = 1; e <= static_cast<std::size_t>(m.MeshElementCount); ++e) {
        NetElement element = m.MeshElementList[e];
        if (element.CornerCount >= 1) {
            element.CornerCount = 3;
            element.Flag[1] = element.Flag[2] = element.Flag[3] = halvex::OuterSide;
            m.MeshElementList[++kept] = element;
        }
        if (mesher::StopRequested(true)) stop = true;
    }
    m.MeshElementCount = static_cast<std::int16_t>(kept);
    m.MeshElementList.resize(kept + 1);
    if (stop) return stopped();

    // The marks back on the elements, and the auxiliary corner nodes gone.
    RestoreBoundaryFlags(true);
    m.DeleteNodeList = {0, 1, 2, 3, 4};
    DeleteNodesTask(kOpDeleteNodesQuiet);
    m.DeleteNodeList.assign(1, 0);
    m.Links = TriangulationLinks{};
    if (mesher::StopRequested(false)) return stopped();
}

}  // namespace orvelo
