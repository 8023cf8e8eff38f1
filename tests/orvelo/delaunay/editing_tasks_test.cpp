// The editing tasks: adding a node, refining inside a window (the division
// of constraint sides, the window's edges, quadrilaterals, the refinement,
// stops) and deleting nodes after them; every net valid with its marks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "halvex/interface/enums.h"
#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/delete_nodes.h"
#include "orvelo/delaunay/editing_tasks.h"
#include "orvelo/delaunay/element_shape.h"
#include "orvelo/delaunay/generate.h"
#include "orvelo/delaunay/mesh_fixture.h"
#include "orvelo/delaunay/mixed_net_check.h"
#include "orvelo/delaunay/target_size.h"
#include "orvelo/delaunay/units.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/services.h"
#include "outside/drovik/wait_window.h"
#include "platform/forms/msgbox.h"

namespace orvelo {
namespace {

constexpr double kDegree = 0.0174532;

// A wait window that keeps every status text it is given.
class RecordingWindow : public drovik::ClsWaitWindow {
public:
    void StatusText(const std::string& text) override {
        texts.push_back(text);
        drovik::ClsWaitWindow::StatusText(text);
    }
    std::vector<std::string> texts;
};

class EditingTasksTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetServices();
        drovik::ClsWaitWindow::stopAfterUpdates(0);
        window_ = std::make_shared<RecordingWindow>();
        auto window = window_;
        SetOperationWaitWindowSource([window] { return window.get(); });
    }
    void TearDown() override {
        drovik::ClsWaitWindow::stopAfterUpdates(0);
        SetOperationWaitWindowSource(nullptr);
        resetServices();
    }

    // theta, r, rmin and a size field of `field` everywhere over
    // (-10, -10)..(10, 10) (r when not given), and an empty mesher net.
    static void parameters(float theta, float r, float rmin, float field = 0.0f) {
        meshcheck::SlabFixture slab;
        slab.theta = theta;
        slab.r = r;
        slab.rmin = rmin;
        slab.outline = {straightPiece(-10, -10, 10, -10), straightPiece(10, -10, 10, 10), straightPiece(10, 10, -10, 10),
                        straightPiece(-10, 10, -10, -10)};
        const float size = field > 0.0f ? field : r;
        slab.field = [size](float, float) { return size; };
        meshcheck::InstallSlab(slab);
    }
    static void window(float xMin, float yMin, float xMax, float yMax) {
        BasDelaunay& m = basDelaunay();
        m.RefineWindowXMin = xMin;
        m.RefineWindowYMin = yMin;
        m.RefineWindowXMax = xMax;
        m.RefineWindowYMax = yMax;
    }
    static std::pair<float, float> node(std::int32_t n) {
        return {basDelaunay().MeshNodeX[static_cast<std::size_t>(n)], basDelaunay().MeshNodeY[static_cast<std::size_t>(n)]};
    }
    // Marks side a-b as a constraint side in every element that holds it.
    static void markSide(std::int16_t a, std::int16_t b) {
        BasDelaunay& m = basDelaunay();
        for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) {
            NetElement& t = m.MeshElementList[static_cast<std::size_t>(e)];
            for (int k = 1; k <= t.CornerCount; ++k) {
                const std::int16_t p = t.Node[static_cast<std::size_t>(k)];
                const std::int16_t q = t.Node[static_cast<std::size_t>(k == t.CornerCount ? 1 : k + 1)];
                if ((p == a && q == b) || (p == b && q == a)) t.Flag[static_cast<std::size_t>(k)] |= halvex::BoundarySide;
            }
        }
    }
    // Two rectangles 2.6 x 1 above and below the constraint side 1-2 from
    // (0, 0) to (2.6, 0).
    static void stripAroundALine() {
        meshcheck::UseNet({{0, 0}, {2.6f, 0}, {2.6f, 1}, {0, 1}, {0, -1}, {2.6f, -1}},
                          {{1, 2, 3}, {1, 3, 4}, {1, 5, 6}, {1, 6, 2}});
        markSide(1, 2);
    }
    static void expectValidWithFlags() {
        auto faults = meshcheck::CheckMixedNet(basDelaunay());
        for (const auto& f : meshcheck::CheckMixedSideFlags(basDelaunay())) faults.push_back(f);
        for (std::size_t i = 0; i < faults.size() && i < 5; ++i) ADD_FAILURE() << faults[i];
    }

    std::shared_ptr<RecordingWindow> window_;
    forms::ScopedMsgBox boxes_;
};

TEST_F(EditingTasksTest, AddingANodeInsertsTheScratchEntryAndKeepsTheMarks) {
    parameters(30, 1, 0.1f);
    stripAroundALine();
    BasDelaunay& m = basDelaunay();
    m.MeshElementList[2].Flag[3] |= halvex::BoundaryNode;  // node 4 fixed
    m.MeshNodeX[0] = 1.3f;
    m.MeshNodeY[0] = 0.0f;  // on the line
    AddNodeTask();
    ASSERT_EQ(m.MeshNodeCount, 7);
    EXPECT_EQ(node(7), (std::pair<float, float>{1.3f, 0.0f}));
    EXPECT_EQ(window_->texts.front(), LanguageTexts().GetText(rt::Variant(quillon::TextNo(100032))));
    expectValidWithFlags();
    EXPECT_TRUE(meshcheck::SideMarked(m, 1, 7));
    EXPECT_TRUE(meshcheck::SideMarked(m, 7, 2));
    for (std::int32_t e = 1; e <= m.MeshElementCount; ++e)
        for (int k = 1; k <= 3; ++k)
            if (m.MeshElementList[static_cast<std::size_t>(e)].Node[static_cast<std::size_t>(k)] == 4) {
                EXPECT_NE(m.MeshElementList[static_cast<std::size_t>(e)].Flag[static_cast<std::size_t>(k)] & halvex::BoundaryNode, 0);
            }
    EXPECT_EQ(m.ElementCircle.size(), 1u);
    EXPECT_EQ(m.FixedNodeCount, 0);
    EXPECT_EQ(m.ConstraintEdgeCount, 0);

    // A node outside the net is dropped again, and so is one the user
    // stopped before it was placed.
    m.MeshNodeX[0] = 9.0f;
    AddNodeTask();
    EXPECT_EQ(m.MeshNodeCount, 7);
    window_->requestStop();
    m.MeshNodeX[0] = 2.0f;
    m.MeshNodeY[0] = 0.5f;
    AddNodeTask();
    EXPECT_EQ(m.MeshNodeCount, 7);
    expectValidWithFlags();
}

TEST_F(EditingTasksTest, AddedNodesAndDeletedOnesLeaveAConformingNetNumberedInOrder) {
    parameters(30, 1, 0.1f);
    stripAroundALine();
    BasDelaunay& m = basDelaunay();
    for (const auto& [x, y] : std::vector<std::pair<float, float>>{{0.7f, 0.5f}, {1.9f, -0.4f}, {1.2f, 0.6f}}) {
        m.MeshNodeX[0] = x;
        m.MeshNodeY[0] = y;
        AddNodeTask();
        expectValidWithFlags();
    }
    ASSERT_EQ(m.MeshNodeCount, 9);
    // Delete node 8 (1.9, -0.4): its elements go, and with them every node
    // that only they used; the rest keep their order.
    std::vector<float> expected{0.0f};
    for (std::int16_t n = 1; n <= m.MeshNodeCount; ++n) {
        bool kept = false;
        for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) {
            const auto& corners = m.MeshElementList[static_cast<std::size_t>(e)].Node;
            const bool hasN = std::find(corners.begin() + 1, corners.end(), n) != corners.end();
            const bool has8 = std::find(corners.begin() + 1, corners.end(), 8) != corners.end();
            kept = kept || (hasN && !has8);
        }
        if (kept) expected.push_back(m.MeshNodeX[static_cast<std::size_t>(n)]);
    }
    m.DeleteNodeList = {0, 8};
    DeleteNodesTask(2);
    EXPECT_EQ(m.MeshNodeX, expected);
    EXPECT_GT(m.MeshElementCount, 4);
    expectValidWithFlags();
}

TEST_F(EditingTasksTest, AConstraintSideIsDividedByTheTargetSizeIntoAChainOfRows) {
    // Length 2.6 with r = 1: three pieces, two new nodes at a third and two
    // thirds, three rows; the row listed the other way round follows the
    // same nodes. (A coarse field: the refinement adds nothing.)
    parameters(5, 1, 0.1f, 100);
    stripAroundALine();
    window(-5, -5, 5, 5);
    RefineWindowTask();
    BasDelaunay& m = basDelaunay();
    ASSERT_GE(m.MeshNodeCount, 8);
    EXPECT_NEAR(node(7).first, 2.6f / 3.0f, 1e-6);
    EXPECT_EQ(node(7).second, 0.0f);
    EXPECT_NEAR(node(8).first, 5.2f / 3.0f, 1e-6);
    expectValidWithFlags();
    EXPECT_TRUE(meshcheck::SideMarked(m, 1, 7));
    EXPECT_TRUE(meshcheck::SideMarked(m, 7, 8));
    EXPECT_TRUE(meshcheck::SideMarked(m, 8, 2));
    EXPECT_EQ(meshcheck::MixedSidesOf(m).count({1, 2}), 0u);
    EXPECT_EQ(m.ConstraintEdgeCount, 0) << "the rows are spent by the restore";
    EXPECT_EQ(m.ElementCircle.size(), static_cast<std::size_t>(m.MeshElementCount) + 1) << "the circles are kept";

    // Length 1.4 with r = 1: one piece, not divided.
    parameters(5, 1, 0.1f, 100);
    meshcheck::UseNet({{0, 0}, {1.4f, 0}, {1.4f, 1}, {0, 1}, {0, -1}, {1.4f, -1}}, {{1, 2, 3}, {1, 3, 4}, {1, 5, 6}, {1, 6, 2}});
    markSide(1, 2);
    window(-5, -5, 5, 5);
    RefineWindowTask();
    EXPECT_TRUE(meshcheck::SideMarked(basDelaunay(), 1, 2));
}

TEST_F(EditingTasksTest, TheWindowHoldsItsLeftAndUpperEdgesButNotItsRightAndLowerOnes) {
    // A side from (0, 0) to (3, 0) with r = 1: dividing points (1, 0), (2, 0).
    auto run = [](float xMin, float yMin, float xMax, float yMax) {
        parameters(5, 1, 0.1f, 100);
        meshcheck::UseNet({{0, 0}, {3, 0}, {3, 1}, {0, 1}, {0, -1}, {3, -1}}, {{1, 2, 3}, {1, 3, 4}, {1, 5, 6}, {1, 6, 2}});
        markSide(1, 2);
        window(xMin, yMin, xMax, yMax);
        RefineWindowTask();
        std::vector<float> added;
        for (std::int32_t n = 7; n <= basDelaunay().MeshNodeCount; ++n)
            if (basDelaunay().MeshNodeY[static_cast<std::size_t>(n)] == 0.0f) added.push_back(basDelaunay().MeshNodeX[static_cast<std::size_t>(n)]);
        return added;
    };
    EXPECT_EQ(run(0, -1, 2, 0), (std::vector<float>{1.0f})) << "x = 0 and y = 0 in, x = 2 out";
    EXPECT_EQ(run(0, 0, 2, 1), (std::vector<float>{})) << "y = 0 on the lower edge is out";
    EXPECT_EQ(run(0.5f, -1, 2.5f, 0), (std::vector<float>{})) << "neither end in the window";
    expectValidWithFlags();
    EXPECT_TRUE(meshcheck::SideMarked(basDelaunay(), 1, 2));
}

TEST_F(EditingTasksTest, QuadrilateralsWithACornerInTheWindowAreSplitFirst) {
    parameters(5, 100, 0.1f);
    meshcheck::UseNet({{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1}, {2, 1}}, {{1, 2, 5, 4}, {2, 3, 6, 5}});
    window(-0.5f, -0.5f, 0.5f, 0.5f);
    RefineWindowTask();
    const BasDelaunay& m = basDelaunay();
    ASSERT_EQ(m.MeshElementCount, 3);
    EXPECT_EQ(m.MeshElementList[1].Node, (std::array<std::int16_t, 5>{0, 1, 2, 5, 0}));
    EXPECT_EQ(m.MeshElementList[2].Node, (std::array<std::int16_t, 5>{0, 2, 3, 6, 5})) << "no corner in the window";
    EXPECT_EQ(m.MeshElementList[3].Node, (std::array<std::int16_t, 5>{0, 1, 5, 4, 0}));
    expectValidWithFlags();

    // A quadrilateral whose diagonal q1-q3 runs outside it takes q2-q4.
    parameters(5, 100, 0.1f);
    meshcheck::UseNet({{0, 4}, {0, 0}, {4, 0}, {1, 1}}, {{1, 2, 3, 4}});
    window(-5, -5, 5, 5);
    RefineWindowTask();
    ASSERT_EQ(basDelaunay().MeshElementCount, 2);
    EXPECT_EQ(basDelaunay().MeshElementList[1].Node, (std::array<std::int16_t, 5>{0, 1, 2, 4, 0}));
    EXPECT_EQ(basDelaunay().MeshElementList[2].Node, (std::array<std::int16_t, 5>{0, 2, 3, 4, 0}));
    expectValidWithFlags();
}

// A generated net refined inside a window: new nodes only in the window,
// the lines still marked, and every triangle judged there either meets
// theta and its size or cannot take its circumcentre.
TEST_F(EditingTasksTest, RefiningAGeneratedNetInsideAWindow) {
    const meshcheck::SlabFixture slab = meshcheck::LoadSlabFixture("crossing.slab");
    meshcheck::InstallSlab(slab);
    GenerateDelaunayMesh();
    BasDelaunay& m = basDelaunay();
    const std::int32_t generated = m.MeshNodeCount;
    // A finer field now, inside (2, 2)..(8, 8).
    declar().NodeTargetSize.assign(declar().NodeTargetSize.size(), 0.4f);
    declar().NodeTargetSize[0] = 0.0f;
    window(2, 2, 8, 8);
    RefineWindowTask();
    EXPECT_GT(m.MeshNodeCount, generated + 50);
    for (std::int32_t n = generated + 1; n <= m.MeshNodeCount; ++n) {
        const auto [x, y] = node(n);
        EXPECT_TRUE(x >= 2 && x < 8 && y > 2 && y <= 8) << "node " << n << " at " << x << ", " << y;
    }
    expectValidWithFlags();
    // The line from (1, 1) to (7, 9) is still covered by marked sides.
    double covered = 0.0;
    for (const auto& [key, holders] : meshcheck::MixedSidesOf(m)) {
        const auto [ax, ay] = node(key.first);
        const auto [bx, by] = node(key.second);
        // (The generation may bend a line through a node within the
        // coincidence tolerance.)
        const double tol = CoincidenceTolerance() + 1e-5;
        const auto onLine = [tol](float x, float y) {
            return std::fabs(4.0 * (x - 1.0) - 3.0 * (y - 1.0)) / 5.0 < tol && y >= 1.0f - 1e-4f && y <= 9.0f + 1e-4f;
        };
        if (!onLine(ax, ay) || !onLine(bx, by)) continue;
        EXPECT_TRUE(meshcheck::SideMarked(m, key.first, key.second));
        covered += std::hypot(bx - ax, by - ay);
    }
    EXPECT_NEAR(covered, 10.0, 1e-3);
    // The quality inside the window.
    const double cosT = std::cos(static_cast<double>(declar().MinAngle) * kDegree);
    const float rmin = declar().MinElementSize;
    for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) {
        const auto& circle = m.ElementCircle[static_cast<std::size_t>(e)];
        if (!(circle[0] >= 2 && circle[0] < 8 && circle[1] > 2 && circle[1] <= 8) || !(circle[2] > rmin * rmin)) continue;
        const NetElement& t = m.MeshElementList[static_cast<std::size_t>(e)];
        double smallest = -1.0;
        for (int k = 1; k <= 3; ++k) {
            const auto p = node(t.Node[static_cast<std::size_t>(k)]);
            const auto q = node(t.Node[static_cast<std::size_t>(k % 3 + 1)]);
            const auto r = node(t.Node[static_cast<std::size_t>((k + 1) % 3 + 1)]);
            const double ux = q.first - p.first, uy = q.second - p.second, vx = r.first - p.first, vy = r.second - p.second;
            smallest = std::max(smallest, (ux * vx + uy * vy) / std::hypot(ux, uy) / std::hypot(vx, vy));
        }
        const double size = GetTriangleTargetSize(t.Node[1], t.Node[2], t.Node[3]);
        if (!(smallest > cosT + 1e-6) && !(circle[2] > size * size * 1.0001)) continue;
        // A bad one: its circumcentre lies outside the net, near a node, or
        // across a line it may not reach.
        bool inNet = false;
        for (std::int32_t f = 1; f <= m.MeshElementCount && !inNet; ++f)
            inNet = ElementHoldsPoint(m, m.MeshElementList[static_cast<std::size_t>(f)], circle[0], circle[1]);
        bool nearNode = false;
        for (std::int32_t n = 1; n <= m.MeshNodeCount && !nearNode; ++n)
            nearNode = std::hypot(node(n).first - circle[0], node(n).second - circle[1]) < 0.5 * rmin;
        EXPECT_TRUE(!inNet || nearNode) << "element " << e << " could still be refined";
    }
}

TEST_F(EditingTasksTest, AStopLeavesTheMarksAndFlagsWhole) {
    for (const int calls : {1, 3, 12, 30, 60, 200}) {
        SCOPED_TRACE(calls);
        parameters(30, 0.3f, 0.05f);
        stripAroundALine();
        window(-5, -5, 5, 5);
        drovik::ClsWaitWindow::stopAfterUpdates(calls);
        auto fresh = std::make_shared<drovik::ClsWaitWindow>();
        SetOperationWaitWindowSource([fresh] { return fresh.get(); });
        RefineWindowTask();
        drovik::ClsWaitWindow::stopAfterUpdates(0);
        expectValidWithFlags();
        if (calls > 1) {
            // The line is marked along its whole length, however it is
            // divided.
            double marked = 0.0;
            for (const auto& [key, holders] : meshcheck::MixedSidesOf(basDelaunay()))
                if (node(key.first).second == 0.0f && node(key.second).second == 0.0f) {
                    EXPECT_TRUE(meshcheck::SideMarked(basDelaunay(), key.first, key.second));
                    marked += std::fabs(node(key.first).first - node(key.second).first);
                }
            EXPECT_NEAR(marked, 2.6, 1e-5);
        }
        EXPECT_EQ(basDelaunay().ConstraintEdgeCount, 0);
    }
}

}  // namespace
}  // namespace orvelo
