#include "orvelo/delaunay/delete_nodes.h"

#include <algorithm>
#include <array>
#include <vector>

#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/marks.h"
#include "orvelo/delaunay/progress.h"
#include "orvelo/delaunay/side_flags.h"
#include "orvelo/project/services.h"
#include "platform/runtime/errors.h"

namespace orvelo {

namespace {

constexpr std::int32_t kOpDeleteNodes = 2;

// One deletion pass over the marked nodes; true when a stop was asked for
// during it (it is finished all the same). orphan[n] (n = 1..new node count)
// is 1 for the nodes that no element uses afterwards.
bool deletionPass(BasDelaunay& m, const std::vector<unsigned char>& marked, std::vector<unsigned char>& orphan) {
    bool stop = false;
    SaveBoundaryFlags(true);
    const std::int32_t nodeCount = m.MeshNodeCount;
    mesher::SetProgressMax(nodeCount);

    // below[n]: marked nodes with a lower number than n, so n becomes
    // n - below[n]; every number above the net counts all marked nodes.
    // number[n]: what node n becomes (-1 when it goes).
    std::vector<std::int32_t> below(static_cast<std::size_t>(nodeCount) + 2, 0);
    for (std::int32_t n = 1; n <= nodeCount + 1; ++n)
        below[static_cast<std::size_t>(n)] = below[static_cast<std::size_t>(n - 1)] + (marked[static_cast<std::size_t>(n - 1)] ? 1 : 0);
    std::vector<std::int16_t> number(static_cast<std::size_t>(nodeCount) + 1, 0);
    for (std::int32_t n = 1; n <= nodeCount; ++n)
        number[static_cast<std::size_t>(n)] =
            marked[static_cast<std::size_t>(n)] ? std::int16_t{-1} : static_cast<std::int16_t>(n - below[static_cast<std::size_t>(n)]);
    const std::int32_t markedInNet = below[static_cast<std::size_t>(nodeCount) + 1];
    const std::int32_t keptNodes = nodeCount - markedInNet;
    // used[node]: a kept element has the (new) node as a corner; indexed by
    // the 16 bits of the number, so that no number needs a range check
    // (only 1..keptNodes are read).
    std::vector<unsigned char> used(65536, 0);
    auto renumbered = [&](std::int16_t node) -> std::int16_t {
        if (node < 1) return node;
        if (node <= nodeCount) return number[static_cast<std::size_t>(node)];
        return static_cast<std::int16_t>(node - markedInNet);
    };

    // Elements at a marked node go; the others keep their order.
    std::size_t kept = 0;
    for (std::size_t e = 1; e <= static_cast<std::size_t>(m.MeshElementCount); ++e) {
        const NetElement& element = m.MeshElementList[e];
        const int corners = std::min(element.CornerCount, 4);
        std::array<std::int16_t, 5> nodes = element.Node;
        bool atMarked = false;
        for (std::size_t k = 1; k <= 4; ++k) {
            if (nodes[k] < 1) continue;
            nodes[k] = renumbered(nodes[k]);
            if (nodes[k] < 0 && static_cast<int>(k) <= corners) atMarked = true;
        }
        if (atMarked) continue;
        for (int k = 1; k <= corners; ++k) used[static_cast<std::uint16_t>(nodes[static_cast<std::size_t>(k)])] = 1;
        NetElement& target = m.MeshElementList[++kept];
        if (kept != e) target = element;
        target.Node = nodes;
    }
    m.MeshElementCount = static_cast<std::int16_t>(kept);
    m.MeshElementList.resize(kept + 1);
    orphan.assign(static_cast<std::size_t>(keptNodes) + 1, 0);
    for (std::int32_t n = 1; n <= keptNodes; ++n) orphan[static_cast<std::size_t>(n)] = used[static_cast<std::size_t>(n)] == 0 ? 1 : 0;
    for (std::size_t i = 1; i <= static_cast<std::size_t>(m.FixedNodeCount); ++i) m.FixedNodes[i] = renumbered(m.FixedNodes[i]);
    for (std::size_t i = 1; i <= static_cast<std::size_t>(m.ConstraintEdgeCount); ++i) {
        m.ConstraintEdges[i][0] = renumbered(m.ConstraintEdges[i][0]);
        m.ConstraintEdges[i][1] = renumbered(m.ConstraintEdges[i][1]);
    }
    if (mesher::StepsDone(nodeCount)) stop = true;

    ResetAndRestoreBoundaryFlags();
    BuildElementSideFlags(m.MeshElementList, OperationWaitWindow());
    mesher::ShowStatusText(quillon::TextNo(100038));
    if (mesher::StopRequested(false)) stop = true;

    // The unmarked nodes, in order, become nodes 1..k.
    // (Moved down in place: the lists keep their room for the next net.)
    std::size_t last = 0;
    for (std::int32_t n = 1; n <= nodeCount; ++n) {
        if (marked[static_cast<std::size_t>(n)]) continue;
        ++last;
        m.MeshNodeX[last] = m.MeshNodeX[static_cast<std::size_t>(n)];
        m.MeshNodeY[last] = m.MeshNodeY[static_cast<std::size_t>(n)];
    }
    m.MeshNodeX[0] = 0.0f;  // (the scratch entry starts empty, as a new list's)
    m.MeshNodeY[0] = 0.0f;
    m.MeshNodeCount = static_cast<std::int16_t>(last);
    m.MeshNodeX.resize(last + 1);
    m.MeshNodeY.resize(last + 1);
    m.DeleteNodeList.assign(1, 0);
    return stop;
}

}  // namespace

void DeleteNodesTask(std::int32_t operationCode) {
    BasDelaunay& m = basDelaunay();
    if (operationCode == kOpDeleteNodes) {
        RunControl().RunState(0);
        mesher::ShowStatusText(quillon::TextNo(100038));
        if (mesher::StopRequested(false)) return;
    }
    std::vector<unsigned char> marked(static_cast<std::size_t>(m.MeshNodeCount) + 1, 0);
    for (std::size_t i = 1; i < m.DeleteNodeList.size(); ++i) {
        const std::int16_t node = m.DeleteNodeList[i];
        if (node >= 1 && node <= m.MeshNodeCount) marked[static_cast<std::size_t>(node)] = 1;
    }
    std::vector<unsigned char> orphan;
    if (deletionPass(m, marked, orphan)) return;

    // Nodes that no element uses any more go in a second pass.
    mesher::SetProgressMax(m.MeshNodeCount);
    const bool watched = mesher::HasWaitWindow();
    bool any = false;
    for (std::int32_t n = 1; n <= m.MeshNodeCount; ++n) {
        if (orphan[static_cast<std::size_t>(n)]) any = true;
        if (watched && mesher::StopRequested(true)) return;
    }
    if (any) deletionPass(m, orphan, marked);
}

}  // namespace orvelo
