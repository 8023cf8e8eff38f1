#include "orvelo/delaunay/editing_tasks.h"

#include <cmath>
#include <vector>

#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/element_shape.h"
#include "orvelo/delaunay/insert_point.h"
#include "orvelo/delaunay/kernel.h"
#include "orvelo/delaunay/marks.h"
#include "orvelo/delaunay/progress.h"
#include "orvelo/delaunay/refine.h"
#include "orvelo/delaunay/side_flags.h"
#include "orvelo/delaunay/units.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/services.h"
#include "platform/runtime/errors.h"

namespace orvelo {

namespace {

bool inWindow(const BasDelaunay& m, float x, float y) {
    return x >= m.RefineWindowXMin && x < m.RefineWindowXMax && y > m.RefineWindowYMin && y <= m.RefineWindowYMax;
}

bool nodeInWindow(const BasDelaunay& m, std::int16_t n) {
    if (n < 1 || n > m.MeshNodeCount) rt::raise(9, "An element of the net names a node that does not exist.");
    return inWindow(m, m.MeshNodeX[static_cast<std::size_t>(n)], m.MeshNodeY[static_cast<std::size_t>(n)]);
}

void removeLastNode(BasDelaunay& m) {
    --m.MeshNodeCount;
    m.MeshNodeX.resize(static_cast<std::size_t>(m.MeshNodeCount) + 1);
    m.MeshNodeY.resize(static_cast<std::size_t>(m.MeshNodeCount) + 1);
}

// The number of pieces a constraint side of this length is divided into.
std::int32_t piecesOf(double length, float size) {
    if (size == 0.0f) rt::raise(11, "The target element size is 0: the constraint sides cannot be divided.");
    const double pieces = std::floor(length / static_cast<double>(size) + 0.5);
    if (!(pieces < static_cast<double>(kMaxNetCount))) rt::raise(6, "A constraint side would be divided into more than 32767 pieces.");
    return pieces < 1.0 ? 1 : static_cast<std::int32_t>(pieces);
}

// Step 1 of the window refinement: the constraint sides with an end in the
// window divided by the target size; rows appended here are not visited.
void divideConstraintSides(BasDelaunay& m) {
    const float size = declar().MaxElementSize;
    const double tol = CoincidenceTolerance();
    const std::int32_t rows = m.ConstraintEdgeCount;
    NetEditScope index;
    for (std::int32_t c = 1; c <= rows; ++c) {
        const std::array<std::int16_t, 2> row = m.ConstraintEdges[static_cast<std::size_t>(c)];
        if (row[0] < 1 || row[0] > m.MeshNodeCount || row[1] < 1 || row[1] > m.MeshNodeCount) continue;
        const float x1 = m.MeshNodeX[static_cast<std::size_t>(row[0])];
        const float y1 = m.MeshNodeY[static_cast<std::size_t>(row[0])];
        const float x2 = m.MeshNodeX[static_cast<std::size_t>(row[1])];
        const float y2 = m.MeshNodeY[static_cast<std::size_t>(row[1])];
        if (!inWindow(m, x1, y1) && !inWindow(m, x2, y2)) continue;
        const double dx = static_cast<double>(x2) - x1;
        const double dy = static_cast<double>(y2) - y1;
        const std::int32_t pieces = piecesOf(std::sqrt(dx * dx + dy * dy), size);
        std::int32_t current = c;
        for (std::int32_t i = 1; i < pieces; ++i) {
            const float px = static_cast<float>(x1 + i * dx / pieces);
            const float py = static_cast<float>(y1 + i * dy / pieces);
            if (!inWindow(m, px, py)) continue;
            const std::array<std::int16_t, 2> side = m.ConstraintEdges[static_cast<std::size_t>(current)];
            AppendNode(px, py);
            const PointInsertionResult result = InsertPoint(false);
            std::int16_t at = 0;
            if (result.outcome == PointInsertion::Inserted) {
                at = m.MeshNodeCount;
            } else if (result.outcome == PointInsertion::NearNode) {
                // A node that stands on the side divides the row there; one
                // beside it does not (the side would lose its mark).
                const std::int16_t near = result.nearNode;
                if (near != side[0] && near != side[1] &&
                    PointOnSide(m, side[0], side[1], m.MeshNodeX[static_cast<std::size_t>(near)],
                                m.MeshNodeY[static_cast<std::size_t>(near)], tol))
                    at = near;
            }
            if (at == 0) continue;
            if (m.ConstraintEdgeCount >= kMaxNetCount) rt::raise(6, "The list of constraint sides would pass 32767 rows.");
            ++m.ConstraintEdgeCount;
            m.ConstraintEdges.resize(static_cast<std::size_t>(m.ConstraintEdgeCount) + 1);
            m.ConstraintEdges[static_cast<std::size_t>(m.ConstraintEdgeCount)] = {at, side[1]};
            m.ConstraintEdges[static_cast<std::size_t>(current)][1] = at;
            current = m.ConstraintEdgeCount;
        }
    }
}

// Step 2: the circles of the triangles, the quadrilaterals with a corner in
// the window split; false when a stop was asked for.
bool splitQuadrilaterals(BasDelaunay& m) {
    const std::int32_t count = m.MeshElementCount;
    for (std::int32_t e = 1; e <= count; ++e) {
        NetElement& element = m.MeshElementList[static_cast<std::size_t>(e)];
        if (element.CornerCount == 3) {
            ComputeCircumcircle(static_cast<std::int16_t>(e));
        } else if (element.CornerCount == 4) {
            const auto q = element.Node;
            if (nodeInWindow(m, q[1]) || nodeInWindow(m, q[2]) || nodeInWindow(m, q[3]) || nodeInWindow(m, q[4])) {
                const int turn = ElementTurn(m, element);
                NetElement first = element;
                first.CornerCount = 3;
                first.Node = {0, q[1], q[2], q[3], 0};
                first.Flag[4] = 0;
                NetElement second;
                second.CornerCount = 3;
                second.Node = {0, q[1], q[3], q[4], 0};
                if (ElementTurn(m, first) != turn || ElementTurn(m, second) != turn) {
                    // q1-q3 runs outside: the other diagonal.
                    first.Node = {0, q[1], q[2], q[4], 0};
                    second.Node = {0, q[2], q[3], q[4], 0};
                }
                const std::int32_t added = AppendElement();
                m.MeshElementList[static_cast<std::size_t>(e)] = first;
                m.MeshElementList[static_cast<std::size_t>(added)] = second;
                ComputeCircumcircle(static_cast<std::int16_t>(e));
                ComputeCircumcircle(static_cast<std::int16_t>(added));
            }
        }
        if (mesher::StopRequested(true)) return false;
    }
    return true;
}

void restoreFlags(BasDelaunay& m) {
    RestoreBoundaryFlags(true);
    BuildElementSideFlags(m.MeshElementList, OperationWaitWindow());
}

}  // namespace

void AddNodeTask() {
    BasDelaunay& m = basDelaunay();
    if (m.MeshNodeX.empty() || m.MeshNodeY.empty()) rt::raise(9, "The net has no scratch entry for the new node.");
    AppendNode(m.MeshNodeX[0], m.MeshNodeY[0]);
    RunControl().RunState(0);
    mesher::ShowStatusText(quillon::TextNo(100032));
    if (mesher::StopRequested(false)) {
        removeLastNode(m);
        return;
    }
    SaveBoundaryFlags(true);
    if (m.ElementCircle.size() < static_cast<std::size_t>(m.MeshElementCount) + 1)
        m.ElementCircle.resize(static_cast<std::size_t>(m.MeshElementCount) + 1, {0.0f, 0.0f, 0.0f});
    InsertPointIntoNet();
    m.ElementCircle.assign(1, {0.0f, 0.0f, 0.0f});
    ResetSideFlags(true);
    restoreFlags(m);
}

void RefineWindowTask() {
    BasDelaunay& m = basDelaunay();
    RunControl().RunState(0);
    mesher::ShowStatusText(quillon::TextNo(100037));
    mesher::SetProgressMax(2 * static_cast<std::int64_t>(m.MeshElementCount));
    if (mesher::StopRequested(false)) return;

    m.ElementCircle.assign(static_cast<std::size_t>(m.MeshElementCount) + 1, {0.0f, 0.0f, 0.0f});
    SaveBoundaryFlags(true);
    divideConstraintSides(m);
    ResetSideFlags(true);
    if (splitQuadrilaterals(m)) {
        RefineMeshQuality(-1);
        RunControl().RunState(0);
        mesher::ShowStatusText(quillon::TextNo(100036));
        mesher::StopRequested(false);
    }
    restoreFlags(m);
}

}  // namespace orvelo
