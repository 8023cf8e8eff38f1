// The Bowyer-Watson kernel: start configuration, circles, insertion and the
// free-number stack, and the cavity search against the plain scan.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/kernel.h"
#include "orvelo/delaunay/net_check.h"
#include "orvelo/delaunay/predicates.h"
#include "orvelo/project/services.h"
#include "platform/runtime/errors.h"

namespace orvelo {
namespace {

class KernelTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetServices();
        resetBasDelaunay();
        GeometryHelper().UnitFactor(1.0f);
    }
    void TearDown() override { resetServices(); }

    static std::array<std::int16_t, 3> corners(std::int32_t e) {
        const NetElement& element = basDelaunay().MeshElementList[static_cast<std::size_t>(e)];
        return {element.Node[1], element.Node[2], element.Node[3]};
    }
};

TEST_F(KernelTest, FirstInsertionNumbersTheNewElementsAsTheStackGivesThem) {
    InitStartTriangulation();
    BasDelaunay& m = basDelaunay();
    EXPECT_EQ(m.MeshNodeCount, 4);
    EXPECT_EQ(m.MeshElementCount, 2);
    AppendNode(5.0f, 5.0f);
    ComputeCircumcircle(1);
    ComputeCircumcircle(2);
    InsertNodeIntoTriangulation(5);
    ASSERT_EQ(m.MeshElementCount, 4);
    EXPECT_EQ(corners(2), (std::array<std::int16_t, 3>{5, 1, 2}));
    EXPECT_EQ(corners(1), (std::array<std::int16_t, 3>{5, 2, 3}));
    EXPECT_EQ(corners(3), (std::array<std::int16_t, 3>{5, 3, 4}));
    EXPECT_EQ(corners(4), (std::array<std::int16_t, 3>{5, 4, 1}));
    EXPECT_EQ(m.FreeElementDepth, 0);
    for (std::int32_t e = 1; e <= 4; ++e) EXPECT_EQ(m.MeshElementList[static_cast<std::size_t>(e)].CornerCount, 3);
    // The circle of (5, 1, 2): centre (5, 0), radius 5.
    EXPECT_FLOAT_EQ(m.ElementCircle[2][0], 5.0f);
    EXPECT_FLOAT_EQ(m.ElementCircle[2][1], 0.0f);
    EXPECT_FLOAT_EQ(m.ElementCircle[2][2], 25.0f);
}

TEST_F(KernelTest, FlatOrCollapsedElementsGetTheirCentroidAndNoRadius) {
    InitStartTriangulation();
    BasDelaunay& m = basDelaunay();
    // Three corners on a line.
    m.MeshNodeX = {0, 0, 3, 6, 0};
    m.MeshNodeY = {0, 0, 3, 6, 5};
    ComputeCircumcircle(1);
    EXPECT_FLOAT_EQ(m.ElementCircle[1][0], 3.0f);
    EXPECT_FLOAT_EQ(m.ElementCircle[1][1], 3.0f);
    EXPECT_EQ(m.ElementCircle[1][2], 0.0f);
    EXPECT_FALSE(CircumcentreInWindow(1, 0));
    // Two corners closer than the tolerance (0.001 at unit factor 1).
    m.MeshNodeX = {0, 0, 0.0005f, 1, 0};
    m.MeshNodeY = {0, 0, 0.0009f, 0, 5};
    ComputeCircumcircle(1);
    EXPECT_EQ(m.ElementCircle[1][2], 0.0f);
    // A proper one, and the window rule: left and upper edges in.
    m.MeshNodeX = {0, 0, 2, 0, 0};
    m.MeshNodeY = {0, 0, 0, 2, 5};
    ComputeCircumcircle(1);
    EXPECT_FLOAT_EQ(m.ElementCircle[1][2], 2.0f);
    EXPECT_TRUE(CircumcentreInWindow(1, 0));
    m.RefineWindowXMin = 1.0f, m.RefineWindowXMax = 2.0f, m.RefineWindowYMin = 0.0f, m.RefineWindowYMax = 1.0f;
    EXPECT_TRUE(CircumcentreInWindow(1, -1));
    m.RefineWindowXMin = 0.0f, m.RefineWindowXMax = 1.0f;
    EXPECT_FALSE(CircumcentreInWindow(1, -1));
    m.RefineWindowXMin = 1.0f, m.RefineWindowXMax = 2.0f, m.RefineWindowYMin = 1.0f, m.RefineWindowYMax = 2.0f;
    EXPECT_FALSE(CircumcentreInWindow(1, -1));
}

TEST_F(KernelTest, AnInsertionWhoseCavityReachesAnOutsideElementIsRefused) {
    InitStartTriangulation();
    BasDelaunay& m = basDelaunay();
    AppendNode(5.0f, 5.0f);
    ComputeCircumcircle(1);
    ComputeCircumcircle(2);
    InsertNodeIntoTriangulation(5);
    const auto before = m.MeshElementList;
    m.MeshElementList[3].CornerCount = -1;  // (5, 3, 4): the upper quarter
    // A point in the right quarter that the upper quarter's circle (centre
    // (5, 10), radius 5) holds.
    AppendNode(8.5f, 8.0f);
    InsertNodeIntoTriangulation(6);
    EXPECT_EQ(m.MeshNodeCount, 5);
    EXPECT_EQ(m.MeshNodeX.size(), 6u);
    EXPECT_EQ(m.FreeElementDepth, 0);
    for (std::size_t e = 1; e <= 4; ++e) {
        EXPECT_EQ(m.MeshElementList[e].Node, before[e].Node);
    }
    // A point whose cavity stays clear of it goes in.
    AppendNode(5.0f, 1.0f);
    InsertNodeIntoTriangulation(6);
    EXPECT_EQ(m.MeshNodeCount, 6);
    EXPECT_EQ(m.MeshElementCount, 6);
}

TEST_F(KernelTest, FreeElementStackIsLastInFirstOut) {
    EXPECT_EQ(FreeElementStack(-1), 0);
    EXPECT_EQ(FreeElementStack(0), 0);
    EXPECT_EQ(FreeElementStack(7), 7);
    EXPECT_EQ(FreeElementStack(9), 9);
    EXPECT_EQ(basDelaunay().FreeElementDepth, 2);
    EXPECT_EQ(FreeElementStack(0), 9);
    EXPECT_EQ(FreeElementStack(0), 7);
    EXPECT_EQ(FreeElementStack(0), 0);
}

TEST_F(KernelTest, ElementAndNodeCountsStopAt32767WithAMessage) {
    BasDelaunay& m = basDelaunay();
    m.MeshNodeCount = 32767;
    m.MeshNodeX.assign(32768, 0.0f);
    m.MeshNodeY.assign(32768, 0.0f);
    try {
        AppendNode(1.0f, 1.0f);
        FAIL() << "no error";
    } catch (const rt::RuntimeError& error) {
        EXPECT_EQ(error.number(), 6);
        EXPECT_NE(error.description().find("32767 nodes"), std::string::npos);
    }
    EXPECT_EQ(m.MeshNodeCount, 32767);
    m.MeshElementCount = 32767;
    m.MeshElementList.assign(32768, NetElement{});
    EXPECT_THROW(AppendElement(), rt::RuntimeError);
    EXPECT_EQ(m.MeshElementCount, 32767);
}

// The plain scan the cavity search must agree with: every element whose
// circle holds the node, in number order, closed again as the kernel does.
struct ScanNet {
    std::vector<std::array<std::int16_t, 3>> elements{{0, 0, 0}};
    std::vector<std::int16_t> freed;
    void insert(std::int16_t node, const std::vector<float>& x, const std::vector<float>& y) {
        struct Side {
            bool shared;
            std::int16_t a, b;
        };
        std::vector<Side> sides;
        for (std::size_t e = 1; e < elements.size(); ++e) {
            const auto& c = elements[e];
            if (!(predicates::InCircle(x[c[0]], y[c[0]], x[c[1]], y[c[1]], x[c[2]], y[c[2]], x[node], y[node]) > 0)) continue;
            freed.push_back(static_cast<std::int16_t>(e));
            for (int j = 0; j < 3; ++j) {
                const std::int16_t a = c[j], b = c[(j + 1) % 3];
                bool matched = false;
                for (Side& s : sides)
                    if ((s.a == a && s.b == b) || (s.a == b && s.b == a)) s.shared = matched = true;
                if (!matched) sides.push_back({false, a, b});
            }
        }
        for (const Side& s : sides) {
            if (s.shared) continue;
            std::size_t number = elements.size();
            if (!freed.empty()) {
                number = static_cast<std::size_t>(freed.back());
                freed.pop_back();
            } else {
                elements.push_back({});
            }
            elements[number] = {node, s.a, s.b};
        }
    }
};

TEST_F(KernelTest, CavitySearchGivesThePlainScansTriangulationOnRandomPoints) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 6; ++round) {
        resetBasDelaunay();
        InitStartTriangulation();
        BasDelaunay& m = basDelaunay();
        std::uniform_real_distribution<float> coordinate(0.0f, 100.0f);
        const int count = 150 + 50 * round;
        for (int i = 0; i < count; ++i) {
            // Some points on a coarse grid, for cocircular and collinear cases.
            const bool grid = i % 3 == 0;
            const float x = grid ? std::floor(coordinate(random) / 10.0f) * 10.0f + 5.0f : coordinate(random);
            const float y = grid ? std::floor(coordinate(random) / 10.0f) * 10.0f + 5.0f : coordinate(random);
            bool taken = false;
            for (std::int32_t n = 5; n <= m.MeshNodeCount; ++n)
                if (m.MeshNodeX[static_cast<std::size_t>(n)] == x && m.MeshNodeY[static_cast<std::size_t>(n)] == y) taken = true;
            if (!taken) AppendNode(x, y);
        }
        StretchStartRectangle();
        ComputeCircumcircle(1);
        ComputeCircumcircle(2);
        ScanNet scan;
        scan.elements = {{0, 0, 0}, {1, 2, 3}, {1, 3, 4}};
        for (std::int16_t node = 5; node <= m.MeshNodeCount; ++node) {
            InsertNodeIntoTriangulation(node);
            scan.insert(node, m.MeshNodeX, m.MeshNodeY);
            ASSERT_EQ(static_cast<std::size_t>(m.MeshElementCount) + 1, scan.elements.size()) << "after node " << node;
            for (std::int32_t e = 1; e <= m.MeshElementCount; ++e)
                ASSERT_EQ(corners(e), scan.elements[static_cast<std::size_t>(e)]) << "element " << e << " after node " << node;
            ASSERT_EQ(m.FreeElementDepth, 0);
        }
        const meshcheck::NetView net{m.MeshNodeCount, &m.MeshNodeX, &m.MeshNodeY, m.MeshElementCount, &m.MeshElementList};
        EXPECT_TRUE(meshcheck::CheckTopology(net).empty());
        EXPECT_NEAR(meshcheck::NetArea(net),
                    (static_cast<double>(m.MeshExtentXMax) - m.MeshExtentXMin) * (static_cast<double>(m.MeshExtentYMax) - m.MeshExtentYMin),
                    1e-6 * meshcheck::NetArea(net));
    }
}

}  // namespace
}  // namespace orvelo
