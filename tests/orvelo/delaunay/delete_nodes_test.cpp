// Deleting nodes: renumbering, orphans, marks, stops.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "halvex/interface/enums.h"
#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/delete_nodes.h"
#include "orvelo/delaunay/marks.h"
#include "orvelo/delaunay/net_check.h"
#include "orvelo/delaunay/side_flags.h"
#include "orvelo/project/services.h"
#include "outside/drovik/wait_window.h"

namespace orvelo {
namespace {

NetElement triangle(std::int16_t a, std::int16_t b, std::int16_t c) {
    NetElement e;
    e.CornerCount = 3;
    e.Node = {0, a, b, c, 0};
    e.Flag = {0, 1, 1, 1, 0};
    return e;
}

class DeleteNodesTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetServices();
        resetBasDelaunay();
        // Nodes 1-4 unused, then a fan of four triangles around node 9:
        // 5 (0,0), 6 (2,0), 7 (2,2), 8 (0,2), 9 (1,1), and 10 (3,1) beyond 6-7.
        BasDelaunay& m = basDelaunay();
        m.MeshNodeCount = 10;
        m.MeshNodeX = {0, -9, 9, 9, -9, 0, 2, 2, 0, 1, 3};
        m.MeshNodeY = {0, -9, -9, 9, 9, 0, 0, 2, 2, 1, 1};
        m.MeshElementCount = 5;
        m.MeshElementList = {NetElement{}, triangle(9, 5, 6), triangle(9, 6, 7), triangle(9, 7, 8), triangle(9, 8, 5),
                             triangle(6, 10, 7)};
        m.MeshElementList[3].Flag[2] |= halvex::BoundarySide;  // side 7-8
        m.MeshElementList[5].Flag[1] |= halvex::BoundaryNode;  // node 6
    }
    void TearDown() override { resetServices(); }

    static meshcheck::NetView view() {
        const BasDelaunay& m = basDelaunay();
        return {m.MeshNodeCount, &m.MeshNodeX, &m.MeshNodeY, m.MeshElementCount, &m.MeshElementList};
    }
};

TEST_F(DeleteNodesTest, UnusedNodesGoAndEverythingIsNumberedAfresh) {
    BasDelaunay& m = basDelaunay();
    m.DeleteNodeList = {0, 1, 2, 3, 4, 0, 99};  // 0 and 99 are no nodes
    m.MeshNodeX[0] = 5.0f;                       // the scratch entry
    DeleteNodesTask(3);
    ASSERT_EQ(m.MeshNodeCount, 6);
    EXPECT_EQ(m.MeshElementCount, 5);
    EXPECT_EQ(m.MeshElementList[1].Node, (std::array<std::int16_t, 5>{0, 5, 1, 2, 0}));
    EXPECT_EQ(m.MeshNodeX, (std::vector<float>{0, 0, 2, 2, 0, 1, 3}));
    EXPECT_EQ(m.MeshNodeX[0], 0.0f);
    EXPECT_EQ(m.DeleteNodeList.size(), 1u);
    // The marks come back on the same places, the side flags are rebuilt.
    EXPECT_EQ(m.MeshElementList[3].Flag[2] & halvex::BoundarySide, halvex::BoundarySide);
    EXPECT_EQ(m.MeshElementList[1].Flag[3] & halvex::BoundaryNode, halvex::BoundaryNode);  // node 6 -> 2 in element 1
    EXPECT_TRUE(meshcheck::CheckTopology(view()).empty());
    EXPECT_TRUE(meshcheck::CheckSideFlags(view()).empty());
    EXPECT_EQ(m.FixedNodeCount, 0);
    EXPECT_EQ(m.ConstraintEdgeCount, 0);
}

TEST_F(DeleteNodesTest, ElementsAtADeletedNodeGoAndOrphansFollow) {
    BasDelaunay& m = basDelaunay();
    // Node 7 is in elements 2, 3 and 5; afterwards node 10 is in none.
    m.DeleteNodeList = {0, 7};
    DeleteNodesTask(3);
    EXPECT_EQ(m.MeshElementCount, 2);
    // Nodes 1-4 are orphans too (no element uses them), and 10.
    EXPECT_EQ(m.MeshNodeCount, 4);
    EXPECT_EQ(m.MeshElementList[1].Node, (std::array<std::int16_t, 5>{0, 4, 1, 2, 0}));
    EXPECT_EQ(m.MeshElementList[2].Node, (std::array<std::int16_t, 5>{0, 4, 3, 1, 0}));
    // The fixed node 6 (now 2) keeps its mark although the element that
    // carried it is gone.
    EXPECT_EQ(m.MeshElementList[1].Flag[3] & halvex::BoundaryNode, halvex::BoundaryNode);
    EXPECT_TRUE(meshcheck::CheckTopology(view()).empty());
}

// One deletion pass done step by step as the task's description has it.
void plainDeletionPass(const std::vector<bool>& marked) {
    BasDelaunay& m = basDelaunay();
    SaveBoundaryFlags(true);
    const std::int32_t nodeCount = m.MeshNodeCount;
    auto renumbered = [&](std::int16_t node) -> std::int16_t {
        if (node < 1) return node;
        std::int32_t below = 0;
        for (std::int32_t n = 1; n < node && n <= nodeCount; ++n) below += marked[static_cast<std::size_t>(n)] ? 1 : 0;
        if (node <= nodeCount && marked[static_cast<std::size_t>(node)]) return -1;
        return static_cast<std::int16_t>(node - below);
    };
    std::vector<NetElement> kept(1);
    for (std::size_t e = 1; e <= static_cast<std::size_t>(m.MeshElementCount); ++e) {
        NetElement element = m.MeshElementList[e];
        bool goes = false;
        for (std::size_t k = 1; k <= 4; ++k) {
            if (element.Node[k] < 1) continue;
            element.Node[k] = renumbered(element.Node[k]);
            if (element.Node[k] < 0 && static_cast<int>(k) <= element.CornerCount) goes = true;
        }
        if (!goes) kept.push_back(element);
    }
    m.MeshElementList = kept;
    m.MeshElementCount = static_cast<std::int16_t>(kept.size() - 1);
    for (std::size_t i = 1; i <= static_cast<std::size_t>(m.FixedNodeCount); ++i) m.FixedNodes[i] = renumbered(m.FixedNodes[i]);
    for (std::size_t i = 1; i <= static_cast<std::size_t>(m.ConstraintEdgeCount); ++i)
        m.ConstraintEdges[i] = {renumbered(m.ConstraintEdges[i][0]), renumbered(m.ConstraintEdges[i][1])};
    ResetSideFlags(true);
    RestoreBoundaryFlags(true);
    BuildElementSideFlags(m.MeshElementList, nullptr);
    std::vector<float> x(1, 0.0f), y(1, 0.0f);
    for (std::int32_t n = 1; n <= nodeCount; ++n)
        if (!marked[static_cast<std::size_t>(n)]) x.push_back(m.MeshNodeX[static_cast<std::size_t>(n)]), y.push_back(m.MeshNodeY[static_cast<std::size_t>(n)]);
    m.MeshNodeCount = static_cast<std::int16_t>(x.size() - 1);
    m.MeshNodeX = x;
    m.MeshNodeY = y;
    m.DeleteNodeList.assign(1, 0);
}

// The task against the plain steps on random nets of triangles and
// quadrilaterals with marks, stray corner numbers (below 1, above the net,
// beyond the corner count) and random nodes to delete.
TEST_F(DeleteNodesTest, RandomNetsGiveWhatThePlainStepsGive) {
    BasDelaunay& m = basDelaunay();
    std::mt19937 random(29);
    for (int round = 0; round < 60; ++round) {
        const int nodeCount = 6 + static_cast<int>(random() % 20);
        std::uniform_int_distribution<int> node(1, nodeCount);
        BasDelaunay start;
        start.MeshNodeCount = static_cast<std::int16_t>(nodeCount);
        start.MeshNodeX.assign(1, 0.0f);
        start.MeshNodeY.assign(1, 0.0f);
        for (int n = 1; n <= nodeCount; ++n) {
            start.MeshNodeX.push_back(static_cast<float>(random() % 100));
            start.MeshNodeY.push_back(static_cast<float>(random() % 100));
        }
        start.MeshElementList.assign(1, NetElement{});
        const int elements = 1 + static_cast<int>(random() % 30);
        for (int e = 0; e < elements; ++e) {
            NetElement element;
            element.CornerCount = random() % 4 == 0 ? 4 : 3;
            for (std::size_t k = 1; k <= 4; ++k) element.Node[k] = static_cast<std::int16_t>(node(random));
            if (element.CornerCount == 3 && random() % 2 == 0) element.Node[4] = 0;
            if (random() % 8 == 0) element.Node[1 + random() % 4] = static_cast<std::int16_t>(random() % 3 == 0 ? -1 : nodeCount + 1 + static_cast<int>(random() % 3));
            for (auto& flag : element.Flag) flag = static_cast<std::int32_t>(random() % 8);
            start.MeshElementList.push_back(element);
        }
        start.MeshElementCount = static_cast<std::int16_t>(elements);
        start.DeleteNodeList.assign(1, 0);
        for (int i = static_cast<int>(random() % 4); i > 0; --i) start.DeleteNodeList.push_back(static_cast<std::int16_t>(random() % (nodeCount + 3)));

        m = start;
        DeleteNodesTask(3);
        const BasDelaunay task = m;

        m = start;
        std::vector<bool> marked(static_cast<std::size_t>(nodeCount) + 1, false);
        for (std::size_t i = 1; i < start.DeleteNodeList.size(); ++i)
            if (start.DeleteNodeList[i] >= 1 && start.DeleteNodeList[i] <= nodeCount) marked[static_cast<std::size_t>(start.DeleteNodeList[i])] = true;
        plainDeletionPass(marked);
        std::vector<bool> orphan(static_cast<std::size_t>(m.MeshNodeCount) + 1, true);
        orphan[0] = false;
        for (std::size_t e = 1; e <= static_cast<std::size_t>(m.MeshElementCount); ++e)
            for (int k = 1; k <= m.MeshElementList[e].CornerCount && k <= 4; ++k) {
                const std::int16_t corner = m.MeshElementList[e].Node[static_cast<std::size_t>(k)];
                if (corner >= 1 && corner <= m.MeshNodeCount) orphan[static_cast<std::size_t>(corner)] = false;
            }
        if (std::find(orphan.begin(), orphan.end(), true) != orphan.end()) plainDeletionPass(orphan);

        ASSERT_EQ(task.MeshNodeCount, m.MeshNodeCount) << "round " << round;
        EXPECT_EQ(task.MeshNodeX, m.MeshNodeX) << "round " << round;
        EXPECT_EQ(task.MeshNodeY, m.MeshNodeY) << "round " << round;
        ASSERT_EQ(task.MeshElementCount, m.MeshElementCount) << "round " << round;
        EXPECT_EQ(task.MeshElementList, m.MeshElementList) << "round " << round;
        EXPECT_EQ(task.FixedNodeCount, 0);
        EXPECT_EQ(task.ConstraintEdgeCount, 0);
    }
}

TEST_F(DeleteNodesTest, AStopIsHonouredOnlyAfterAWholePass) {
    BasDelaunay& m = basDelaunay();
    drovik::ClsWaitWindow window;
    SetOperationWaitWindowSource([&window] { return &window; });
    m.DeleteNodeList = {0, 7};
    drovik::ClsWaitWindow::stopAfterUpdates(3);
    DeleteNodesTask(3);
    drovik::ClsWaitWindow::stopAfterUpdates(0);
    SetOperationWaitWindowSource(nullptr);
    // The first pass is complete: node 7 gone, the rest numbered 1..9 and
    // every corner within them; the orphan pass did not run.
    EXPECT_EQ(m.MeshNodeCount, 9);
    EXPECT_EQ(m.MeshElementCount, 2);
    for (std::size_t e = 1; e <= 2; ++e)
        for (std::size_t k = 1; k <= 3; ++k) EXPECT_LE(m.MeshElementList[e].Node[k], 9);
    EXPECT_TRUE(meshcheck::CheckSideFlags(view()).empty());
}

TEST_F(DeleteNodesTest, TheDeleteOperationStartsWithItsOwnStopCheck) {
    BasDelaunay& m = basDelaunay();
    drovik::ClsWaitWindow window;
    SetOperationWaitWindowSource([&window] { return &window; });
    window.requestStop();
    m.DeleteNodeList = {0, 7};
    DeleteNodesTask(2);
    SetOperationWaitWindowSource(nullptr);
    EXPECT_EQ(m.MeshNodeCount, 10);
    EXPECT_EQ(window.statusText(), LanguageTexts().GetText(rt::Variant(quillon::TextNo(100038))));
}

}  // namespace
}  // namespace orvelo
