// The boring-region layout: the side test, the straight-line and polygon
// layouts, the dividing-line cells, the stored triangles and strips, and the
// failure paths that leave the default layout.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "orvelo/model/boring_data.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/boring_layout.h"
#include "orvelo/project/services.h"
#include "project_fixture.h"

namespace {

using orvelo::BoringData;
using orvelo::boringData;
using orvelo::declar;

const std::string kConstant(orvelo::kRegionConstant);
const std::string kLinear(orvelo::kRegionLinear);
const std::string kTriangle(orvelo::kRegionTriangle);

class BoringLayoutTest : public ProjectTest {
protected:
    void SetUp() override {
        ProjectTest::SetUp();
        orvelo::resetBoringData();
    }

    // Borings, their extent and the net nodes (the transform is the
    // identity), with the per-node arrays sized and filled as the transfer
    // leaves them: every node a constant node of boring 1.
    void setUpLayout(std::vector<std::pair<float, float>> borings,
                     std::vector<std::pair<float, float>> nodes, float extentMin = -5.0f,
                     float extentMax = 15.0f) {
        BoringData& b = boringData();
        b.BoringCount = static_cast<std::int16_t>(borings.size());
        b.BoringX.assign(1, 0.0f);
        b.BoringY.assign(1, 0.0f);
        for (const auto& [x, y] : borings) {
            b.BoringX.push_back(x);
            b.BoringY.push_back(y);
        }
        b.ExtentMinX = b.ExtentMinY = extentMin;
        b.ExtentMaxX = b.ExtentMaxY = extentMax;
        orvelo::Declar& d = declar();
        d.NodeCount = static_cast<std::int16_t>(nodes.size());
        d.NodeX.assign(1, 0.0f);
        d.NodeY.assign(1, 0.0f);
        for (const auto& [x, y] : nodes) {
            d.NodeX.push_back(x);
            d.NodeY.push_back(y);
        }
        const std::size_t n = nodes.size() + 1;
        b.NodeLayoutRegion.assign(n, 0);
        b.NodeLayoutKind.assign(n, std::string());
        b.NodeCellBoring.assign(n, 0);
        b.NodeRegion.assign(n, 0);
        b.NodeRegionKind.assign(n, kConstant);
        b.ConstantNodeCount = static_cast<std::int16_t>(nodes.size());
        b.ConstantNodes.assign(n, 0);
        b.ConstantNodeBoring.assign(n, 1);
        for (std::size_t i = 1; i < n; ++i) b.ConstantNodes[i] = static_cast<std::int16_t>(i);
    }

    // (region, kind) of the edge layout / of the stored regions at node i.
    static std::pair<int, std::string> layoutOf(int i) {
        return {boringData().NodeLayoutRegion[i], boringData().NodeLayoutKind[i]};
    }
    static std::pair<int, std::string> regionOf(int i) {
        return {boringData().NodeRegion[i], boringData().NodeRegionKind[i]};
    }

    // The default layout for n nodes: boring 1 everywhere.
    static void expectDefaultLayout(int n) {
        const BoringData& b = boringData();
        EXPECT_EQ(b.ConstantNodeCount, n);
        EXPECT_EQ(b.BoringTriangleCount, 0);
        EXPECT_EQ(b.BoringStripCount, 0);
        EXPECT_EQ(b.DividingLineCount, 0);
        for (int i = 1; i <= n; ++i) {
            EXPECT_EQ(layoutOf(i), std::make_pair(1, kConstant)) << "node " << i;
            EXPECT_EQ(regionOf(i), std::make_pair(1, kConstant)) << "node " << i;
            EXPECT_EQ(b.NodeCellBoring[i], 1);
            EXPECT_EQ(b.ConstantNodes[i], i);
            EXPECT_EQ(b.ConstantNodeBoring[i], 1);
        }
    }

    std::vector<std::string> boxTexts() const {
        std::vector<std::string> texts;
        for (const forms::MessageBoxRequest& r : box->boxes()) texts.push_back(r.prompt);
        return texts;
    }

    static std::string text(int number) { return orvelo::LanguageTexts().GetText(number); }
};

// ---- the side test ----

TEST_F(BoringLayoutTest, OppositeSideTestSeparatesStrictlyWithItsTolerance) {
    using orvelo::OppositeSideTest;
    // The x axis, direction (1, 0): above and below are opposite.
    EXPECT_EQ(OppositeSideTest(0, 0, 1, 0, 3, -2, 5, 4, 0), -1);
    EXPECT_EQ(OppositeSideTest(0, 0, 1, 0, 3, 2, 5, 4, 0), 0);
    // A point within 1e-6 of the line and a reference on the line are never
    // opposite.
    EXPECT_EQ(OppositeSideTest(0, 0, 1, 0, 3, -9e-7f, 5, 4, 0), 0);
    EXPECT_EQ(OppositeSideTest(0, 0, 1, 0, 3, -2e-6f, 5, 4, 0), -1);
    EXPECT_EQ(OppositeSideTest(0, 0, 1, 0, 3, -2, 5, 0, 0), 0);
    // Another mode takes the direction from (a) towards (c, d): the line
    // x = 1 here; two coincident points give the direction (1, 0).
    EXPECT_EQ(OppositeSideTest(1, 0, 1, 5, 0, 3, 2, 3, 1), -1);
    EXPECT_EQ(OppositeSideTest(1, 0, 1, 5, 0, 3, 0.5f, 3, 1), 0);
    EXPECT_EQ(OppositeSideTest(1, 1, 1, 1, 0, 0, 0, 2, 1), -1);
}

TEST_F(BoringLayoutTest, UnitDirectionReportsCoincidentPointsAndKeepsItsOutputs) {
    float dirY = 7.0f, dirX = 7.0f;
    EXPECT_EQ(orvelo::UnitDirection(1, 1, 4, 5, dirY, dirX), 0);
    EXPECT_FLOAT_EQ(dirY, 0.8f);
    EXPECT_FLOAT_EQ(dirX, 0.6f);
    box->answer(forms::vbOK);
    EXPECT_EQ(orvelo::UnitDirection(2, 3, 2, 3, dirY, dirX), -1);
    EXPECT_FLOAT_EQ(dirY, 0.8f);
    ASSERT_EQ(box->boxes().size(), 1u);
    EXPECT_EQ(box->boxes()[0].prompt, text(80089));
    EXPECT_EQ(box->boxes()[0].title, text(80069));
    EXPECT_EQ(forms::iconOf(box->boxes()[0].style), forms::vbCritical);
}

// ---- straight line ----

TEST_F(BoringLayoutTest, TwoBoringsGiveBandsEndsAndOneVerticalDividingLine) {
    setUpLayout({{0, 0}, {10, 0}},
                {{-3, 2}, {0, 4}, {-9e-7f, 1}, {-2e-5f, 1}, {4, -3}, {5, 0}, {10, 3}, {13, 1}});
    orvelo::ComputeBoringLayout();
    EXPECT_TRUE(box->boxes().empty());
    EXPECT_EQ(layoutOf(1), std::make_pair(1, kConstant));
    // On the perpendicular through boring 1, and within 1e-6 of it: still
    // between the borings.
    EXPECT_EQ(layoutOf(2), std::make_pair(1, kLinear));
    EXPECT_EQ(layoutOf(3), std::make_pair(1, kLinear));
    EXPECT_EQ(layoutOf(4), std::make_pair(1, kConstant));
    EXPECT_EQ(layoutOf(5), std::make_pair(1, kLinear));
    EXPECT_EQ(layoutOf(7), std::make_pair(1, kLinear));
    EXPECT_EQ(layoutOf(8), std::make_pair(2, kConstant));

    const BoringData& b = boringData();
    EXPECT_EQ(b.DividingLineCount, 1);
    EXPECT_EQ(b.BoringLineCount[1], 1);
    EXPECT_EQ(b.BoringLineCount[2], 1);
    EXPECT_FLOAT_EQ(b.DividingMidX[1], 5.0f);
    EXPECT_FLOAT_EQ(b.DividingNormalX[1], -1.0f);
    EXPECT_FLOAT_EQ(b.DividingNormalY[1], 0.0f);
    // Cells split at x = 5; a node on the dividing line is on side 2, so it
    // belongs to boring 2.
    EXPECT_EQ(b.NodeCellBoring[1], 1);
    EXPECT_EQ(b.NodeCellBoring[5], 1);
    EXPECT_EQ(b.NodeCellBoring[6], 2);
    EXPECT_EQ(b.NodeCellBoring[7], 2);
    EXPECT_EQ(b.StripDirX.size(), 1u);
}

TEST_F(BoringLayoutTest, ThreeBoringsInOrderLieOnOneLine) {
    setUpLayout({{0, 0}, {5, 0}, {10, 0}}, {{-1, 1}, {2, 1}, {5, 2}, {7, -1}, {11, 0}});
    orvelo::ComputeBoringLayout();
    EXPECT_EQ(layoutOf(1), std::make_pair(1, kConstant));
    EXPECT_EQ(layoutOf(2), std::make_pair(1, kLinear));
    // On the shared perpendicular both bands claim the node; the later wins.
    EXPECT_EQ(layoutOf(3), std::make_pair(2, kLinear));
    EXPECT_EQ(layoutOf(4), std::make_pair(2, kLinear));
    EXPECT_EQ(layoutOf(5), std::make_pair(3, kConstant));
    // The edge outer points belong to the polygon layout only.
    for (float v : boringData().EdgeOuterX) EXPECT_EQ(v, 0.0f);
    // Both dividing lines of boring 1 are vertical: its cell corner is the
    // mark of parallel lines.
    const BoringData& b = boringData();
    EXPECT_EQ(b.DividingLineCount, 3);
    EXPECT_EQ(b.BoringLineCount[1], 2);
    EXPECT_EQ(b.BoringLineTable[1][1], 1);
    EXPECT_EQ(b.BoringLineTable[1][2], 3);
    EXPECT_EQ(b.CellCornerX[1], -9999.0f);
    EXPECT_EQ(b.CellCornerY[1], -9999.0f);
}

TEST_F(BoringLayoutTest, ThreeCollinearBoringsOutOfOrderFormAPolygon) {
    setUpLayout({{0, 0}, {10, 0}, {5, 0}}, {{7, 0}, {12, 1}, {-3, 0}});
    orvelo::ComputeBoringLayout();
    EXPECT_TRUE(box->boxes().empty());
    const BoringData& b = boringData();
    // The polygon layout sets every edge's outer points, each on the
    // perpendicular through its boring.
    for (int k = 1; k <= 3; ++k) {
        const int next = k % 3 + 1;
        EXPECT_FLOAT_EQ(b.EdgeOuterX[2 * k - 1], b.BoringX[k]);
        EXPECT_FLOAT_EQ(b.EdgeOuterX[2 * k], b.BoringX[next]);
    }
    EXPECT_EQ(b.DividingLineCount, 3);
}

// ---- polygon ----

// A square of borings, anticlockwise, and nodes in every kind of region.
class BoringSquareTest : public BoringLayoutTest {
protected:
    void SetUp() override {
        BoringLayoutTest::SetUp();
        setUpLayout({{0, 0}, {10, 0}, {10, 10}, {0, 10}},
                    {{5, -3},   // 1: band of edge 1
                     {13, 5},   // 2: band of edge 2
                     {5, 13},   // 3: band of edge 3
                     {-3, 5},   // 4: band of edge 4
                     {-3, -3},  // 5: wedge of boring 1
                     {13, -3},  // 6: wedge of boring 2
                     {13, 13},  // 7: wedge of boring 3
                     {-3, 13},  // 8: wedge of boring 4
                     {8, 1},    // 9: strip triangle 1 only
                     {8, 8},    // 10: both strip triangles
                     {1, 2},    // 11: in no region
                     {0, -3},   // 12: band 1 and wedge 1
                     {2, 2}});  // 13: cell of boring 1, diagonal of triangle 1
    }
};

TEST_F(BoringSquareTest, RegionsOfTheEdgeLayoutWithTheLaterRegionWinning) {
    // Stale values of an earlier net must not survive.
    boringData().NodeLayoutRegion[11] = 7;
    boringData().NodeLayoutKind[11] = kTriangle;
    orvelo::ComputeBoringLayout();
    EXPECT_TRUE(box->boxes().empty());
    for (int k = 1; k <= 4; ++k) {
        EXPECT_EQ(layoutOf(k), std::make_pair(k, kLinear)) << "band " << k;
        EXPECT_EQ(layoutOf(4 + k), std::make_pair(k, kConstant)) << "wedge " << k;
    }
    EXPECT_EQ(layoutOf(9), std::make_pair(1, kTriangle));
    EXPECT_EQ(layoutOf(10), std::make_pair(2, kTriangle));
    EXPECT_EQ(layoutOf(11), std::make_pair(1, kConstant));
    EXPECT_EQ(layoutOf(12), std::make_pair(1, kConstant));

    // Outer points lie outside the square, across each edge.
    const BoringData& b = boringData();
    const std::vector<std::pair<float, float>> outer = {
        {0, -5}, {10, -5}, {15, 0}, {15, 10}, {10, 15}, {0, 15}, {-5, 10}, {-5, 0}};
    for (int l = 1; l <= 8; ++l) {
        EXPECT_FLOAT_EQ(b.EdgeOuterX[l], outer[l - 1].first) << l;
        EXPECT_FLOAT_EQ(b.EdgeOuterY[l], outer[l - 1].second) << l;
    }
}

TEST_F(BoringSquareTest, DividingLinesAndCells) {
    orvelo::ComputeBoringLayout();
    const BoringData& b = boringData();
    EXPECT_EQ(b.DividingLineCount, 5);
    EXPECT_EQ(std::vector<std::int16_t>(b.BoringLineCount.begin() + 1, b.BoringLineCount.end()),
              (std::vector<std::int16_t>{3, 2, 3, 2}));
    EXPECT_EQ(b.BoringLineTable[1][1], 1);
    EXPECT_EQ(b.BoringLineTable[1][2], 4);
    EXPECT_EQ(b.BoringLineTable[1][3], 5);
    // Line 4 bisects borings 1 and 3: through (5, 5) with the normal
    // (1, 1) / sqrt 2.
    EXPECT_FLOAT_EQ(b.DividingMidX[4], 5.0f);
    EXPECT_FLOAT_EQ(b.DividingMidY[4], 5.0f);
    EXPECT_FLOAT_EQ(b.DividingNormalX[4], 1.0f / std::sqrt(2.0f));
    EXPECT_FLOAT_EQ(b.DividingNormalY[4], 1.0f / std::sqrt(2.0f));
    // The corners of boring 1's cell: line 1 (vertical) meets line 4, line 4
    // meets line 5, both at the centre.
    for (int m = 1; m <= 2; ++m) {
        EXPECT_FLOAT_EQ(b.CellCornerX[m], 5.0f);
        EXPECT_FLOAT_EQ(b.CellCornerY[m], 5.0f);
    }
    EXPECT_EQ(b.NodeCellBoring[13], 1);
    EXPECT_EQ(b.NodeCellBoring[9], 2);
    EXPECT_EQ(b.NodeCellBoring[10], 3);
    EXPECT_EQ(b.NodeCellBoring[8], 4);
    // On a dividing line a node takes side 2: (-3, 5) lies on the bisector
    // of borings 1 and 4 and so belongs to boring 1's cell.
    EXPECT_EQ(b.NodeCellBoring[4], 1);
}

TEST_F(BoringSquareTest, StoredTrianglesAndStripsAndTheConstantNodeList) {
    BoringData& b = boringData();
    b.BoringTriangleCount = 1;
    b.TriangleBoringA = {0, 1};
    b.TriangleBoringB = {0, 2};
    b.TriangleBoringC = {0, 3};
    // A strip from boring 3 to boring 4, its inner side towards the corner
    // (min x, min y): the strip lies above the square.
    b.BoringStripCount = 1;
    b.StripBoringA = {0, 3};
    b.StripBoringB = {0, 4};
    b.StripCorner = {0, 4};
    // The constant-node list gives node 11 to boring 4; a stale kind of
    // node 4 must not survive; an entry for a node outside the net is no
    // node of it.
    b.ConstantNodeCount = 2;
    b.ConstantNodes = {0, 11, 40};
    b.ConstantNodeBoring = {0, 4, 2};
    b.NodeRegion[4] = 9;
    b.NodeRegionKind[4] = kTriangle;
    orvelo::ComputeBoringLayout();
    EXPECT_TRUE(box->boxes().empty());

    EXPECT_EQ(regionOf(9), std::make_pair(1, kTriangle));
    EXPECT_EQ(regionOf(13), std::make_pair(1, kTriangle));
    EXPECT_EQ(regionOf(10), std::make_pair(1, kTriangle));
    EXPECT_EQ(regionOf(3), std::make_pair(1, kLinear));
    EXPECT_EQ(regionOf(11), std::make_pair(4, kConstant));
    EXPECT_EQ(regionOf(4), std::make_pair(1, kConstant));
    EXPECT_FLOAT_EQ(b.StripDirX[1], -1.0f);
    EXPECT_FLOAT_EQ(b.StripOuterY[1], 15.0f);
    EXPECT_FLOAT_EQ(b.StripOuterY[2], 15.0f);

    // The list is rebuilt from every constant node, in node order.
    std::vector<std::pair<int, int>> list;
    for (int e = 1; e <= b.ConstantNodeCount; ++e)
        list.emplace_back(b.ConstantNodes[e], b.ConstantNodeBoring[e]);
    std::vector<std::pair<int, int>> expected;
    for (int i = 1; i <= declar().NodeCount; ++i)
        if (i != 3 && i != 9 && i != 10 && i != 13) expected.emplace_back(i, i == 11 ? 4 : 1);
    EXPECT_EQ(list, expected);
}

// ---- outer points ----

TEST_F(BoringLayoutTest, APerpendicularThatMissesTheExtentStillGivesAnOuterPointAcross) {
    // Borings to the right of the nodes: the perpendicular of edge 1
    // through boring 1, y = 25 - x, misses the extent [0, 10].
    setUpLayout({{25, 0}, {35, 10}, {25, 10}}, {{1, 1}, {9, 9}}, 0.0f, 10.0f);
    orvelo::ComputeBoringLayout();
    EXPECT_TRUE(box->boxes().empty());
    const BoringData& b = boringData();
    for (int k = 1; k <= 3; ++k) {
        const int next = k % 3 + 1;
        const int ref = k == 1 ? 3 : (k == 3 ? 2 : 1);
        for (int end = 0; end < 2; ++end) {
            const int l = 2 * k - 1 + end;
            const int through = end == 0 ? k : next;
            // On the perpendicular through its boring ...
            const float along = (b.EdgeOuterX[l] - b.BoringX[through]) * b.EdgeDirX[k] +
                                (b.EdgeOuterY[l] - b.BoringY[through]) * b.EdgeDirY[k];
            EXPECT_NEAR(along, 0.0f, 1e-4f) << "outer point " << l;
            // ... and across the edge from the reference boring.
            EXPECT_EQ(orvelo::OppositeSideTest(b.BoringX[k], b.BoringY[k], b.EdgeDirX[k],
                                               b.EdgeDirY[k], b.EdgeOuterX[l], b.EdgeOuterY[l],
                                               b.BoringX[ref], b.BoringY[ref], 0),
                      -1)
                << "outer point " << l;
        }
    }
}

// ---- failures ----

TEST_F(BoringLayoutTest, CoincidentConsecutiveBoringsLeaveTheDefaultLayout) {
    setUpLayout({{0, 0}, {0, 0}, {10, 5}}, {{1, 1}, {5, 5}, {9, 1}});
    boringData().NodeRegionKind[2] = kTriangle;
    boringData().ConstantNodeCount = 1;
    box->answer(forms::vbOK);
    orvelo::ComputeBoringLayout();
    EXPECT_EQ(boxTexts(), std::vector<std::string>{text(80089)});
    expectDefaultLayout(3);
    EXPECT_EQ(window->statusText(), text(10187));
    EXPECT_EQ(forms::screen().MousePointer(), 0);
}

TEST_F(BoringLayoutTest, CoincidentLastAndFirstBoringsFailAtTheClosingEdge) {
    setUpLayout({{0, 0}, {10, 0}, {10, 10}, {0, 0}}, {{1, 1}, {5, 5}});
    box->answer(forms::vbOK);
    orvelo::ComputeBoringLayout();
    EXPECT_EQ(boxTexts(), std::vector<std::string>{text(80089)});
    // The directions of the earlier edges were computed before the failure.
    EXPECT_FLOAT_EQ(boringData().EdgeDirY[2], 1.0f);
    EXPECT_FLOAT_EQ(boringData().EdgeDirX[3], -1.0f / std::sqrt(2.0f));
    expectDefaultLayout(2);
}

TEST_F(BoringLayoutTest, BrokenStoredDataGivesTheInformationAndTheDefaultLayout) {
    struct Case {
        const char* name;
        void (*breakIt)(BoringData&);
    };
    const Case cases[] = {
        {"triangle boring out of range",
         [](BoringData& b) {
             b.BoringTriangleCount = 1;
             b.TriangleBoringA = {0, 1};
             b.TriangleBoringB = {0, 2};
             b.TriangleBoringC = {0, 9};
         }},
        {"strip corner outside 1..4",
         [](BoringData& b) {
             b.BoringStripCount = 1;
             b.StripBoringA = {0, 1};
             b.StripBoringB = {0, 2};
             b.StripCorner = {0, 5};
         }},
        {"strip list shorter than its count",
         [](BoringData& b) {
             b.BoringStripCount = 2;
             b.StripBoringA = {0, 1};
             b.StripBoringB = {0, 2};
             b.StripCorner = {0, 1};
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        orvelo::resetBoringData();
        window->StatusText("");
        setUpLayout({{0, 0}, {10, 0}, {10, 10}}, {{1, 1}, {5, 5}, {9, 1}, {20, 20}});
        c.breakIt(boringData());
        forms::ScopedMsgBox boxes;
        boxes->answer(forms::vbOK);
        orvelo::ComputeBoringLayout();
        ASSERT_EQ(boxes->boxes().size(), 1u);
        EXPECT_EQ(boxes->boxes()[0].prompt, text(10188));
        EXPECT_EQ(boxes->boxes()[0].title, text(10043));
        EXPECT_EQ(forms::iconOf(boxes->boxes()[0].style), forms::vbInformation);
        expectDefaultLayout(4);
        EXPECT_NE(window->statusText(), text(10187));
        EXPECT_EQ(forms::screen().MousePointer(), 0);
    }
}

TEST_F(BoringLayoutTest, OneBoringComputesNothing) {
    setUpLayout({{3, 3}}, {{1, 1}});
    orvelo::ComputeBoringLayout();
    EXPECT_EQ(boringData().NodeLayoutKind[1], std::string());
    EXPECT_EQ(boringData().DividingLineCount, 0);
    EXPECT_EQ(forms::screen().MousePointer(), 0);
}

}  // namespace
