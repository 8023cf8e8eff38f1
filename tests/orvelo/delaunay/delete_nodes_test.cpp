// Deleting nodes: renumbering, orphans, marks, stops.
#include <gtest/gtest.h>

#include "halvex/interface/enums.h"
#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/delete_nodes.h"
#include "orvelo/delaunay/net_check.h"
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
