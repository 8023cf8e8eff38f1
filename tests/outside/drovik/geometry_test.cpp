#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "outside/drovik/geometry_helper.h"
#include "outside/drovik/point_list_tools.h"
#include "platform/runtime/temp_folder.h"

namespace {

using orvelo::NetElement;

NetElement element(std::initializer_list<std::int16_t> nodes) {
    NetElement e;
    e.CornerCount = static_cast<std::int32_t>(nodes.size());
    int k = 1;
    for (std::int16_t n : nodes) e.Node[k++] = n;
    return e;
}

// Nodes 1 (0,0), 2 (2,0), 3 (2,2), 4 (0,2), 5 (4,0), 6 (4,2): element 1 the
// quadrilateral 1-2-3-4, element 2 a mesher's empty slot, elements 3 and 4
// the triangles 2-5-6 and 2-6-3.
class NetLocation : public ::testing::Test {
protected:
    std::vector<float> x{0, 0, 2, 2, 0, 4, 4};
    std::vector<float> y{0, 0, 0, 2, 2, 0, 2};
    std::vector<NetElement> elements{NetElement{}, element({1, 2, 3, 4}), NetElement{},
                                     element({2, 5, 6}), element({2, 6, 3})};
    drovik::ClsGeometryHelper helper;

    std::int16_t locate(float px, float py) {
        std::int16_t found = -5, located = 5;
        helper.LocateElement(found, px, py, x, y, elements, located);
        EXPECT_EQ(located != 0, found != 0);
        return found;
    }
};

TEST_F(NetLocation, LowestElementHoldingThePointWins) {
    EXPECT_EQ(locate(1.0f, 1.0f), 1);
    EXPECT_EQ(locate(3.5f, 1.0f), 3);
    EXPECT_EQ(locate(2.5f, 1.5f), 4);
    EXPECT_EQ(locate(2.0f, 1.0f), 1);  // on the side shared by 1 and 4
    EXPECT_EQ(locate(3.0f, 1.0f), 3);  // on the side shared by 3 and 4
    EXPECT_EQ(locate(0.0f, 0.0f), 1);  // a corner
    EXPECT_EQ(locate(4.0f, 2.0f), 3);
    EXPECT_EQ(locate(1.0f, 2.1f), 0);  // outside
    EXPECT_EQ(locate(4.0f, 2.001f), 0);
}

TEST_F(NetLocation, BrokenNetsRaiseRatherThanReadBeyondTheLists) {
    elements[3].Node[2] = 7;  // no node 7
    EXPECT_EQ(errorNumberOf([&] { locate(3.5f, 1.0f); }), 9);
    elements[3].Node[2] = 5;
    elements[3].CornerCount = 5;
    EXPECT_EQ(errorNumberOf([&] { locate(3.5f, 1.0f); }), 9);
    elements.clear();
    EXPECT_EQ(locate(1.0f, 1.0f), 0);
}

// The element index gives the scan's answer (element, located, error) for
// random nets: triangles and quadrilaterals of a grid, overlapping extra
// elements, mesher slots, origins far from 0, and points on corners, on
// sides, inside, outside and far away.
TEST(NetLocationIndex, AnswersAsTheScanDoes) {
    std::mt19937 random(4711);
    std::uniform_real_distribution<float> u(0.0f, 1.0f);
    for (int run = 0; run < 60; ++run) {
        const float ox = run % 3 == 0 ? 500.0f : -3.0f, oy = run % 4 == 0 ? -800.0f : 1.0f;
        const int nx = 1 + static_cast<int>(random() % 25), ny = 1 + static_cast<int>(random() % 25);
        std::vector<float> x{0.0f}, y{0.0f};
        for (int j = 0; j <= ny; ++j)
            for (int i = 0; i <= nx; ++i) {
                const float jitter = run % 2 ? 0.3f * (u(random) - 0.5f) : 0.0f;
                x.push_back(ox + static_cast<float>(i) + (i > 0 && i < nx ? jitter : 0.0f));
                y.push_back(oy + 0.7f * static_cast<float>(j) + (j > 0 && j < ny ? jitter : 0.0f));
            }
        auto node = [nx](int i, int j) { return static_cast<std::int16_t>(j * (nx + 1) + i + 1); };
        std::vector<NetElement> elements{NetElement{}};
        for (int j = 0; j < ny; ++j)
            for (int i = 0; i < nx; ++i) {
                if (random() % 3 == 0) {
                    elements.push_back(element({node(i, j), node(i + 1, j), node(i + 1, j + 1), node(i, j + 1)}));
                } else {
                    elements.push_back(element({node(i, j), node(i + 1, j), node(i + 1, j + 1)}));
                    elements.push_back(element({node(i, j), node(i + 1, j + 1), node(i, j + 1)}));
                }
                if (random() % 7 == 0) elements.back().CornerCount = random() % 2 ? 0 : -1;  // mesher slots
            }
        // Extra elements over the others, spanning several cells.
        for (int k = 0; k < 5; ++k)
            elements.push_back(element({node(static_cast<int>(random() % (nx + 1)), static_cast<int>(random() % (ny + 1))),
                                        node(static_cast<int>(random() % (nx + 1)), static_cast<int>(random() % (ny + 1))),
                                        node(static_cast<int>(random() % (nx + 1)), static_cast<int>(random() % (ny + 1)))}));
        if (run % 10 == 9) elements[elements.size() / 2].Node[2] = 32000;  // a broken element midway
        if (run % 10 == 8) elements[elements.size() / 3].CornerCount = 6;

        drovik::ClsGeometryHelper helper;
        const drovik::ElementIndex index(x, y, elements);
        for (int q = 0; q < 400; ++q) {
            float px = 0.0f, py = 0.0f;
            const std::size_t n = 1 + random() % (x.size() - 1);
            const std::size_t m = 1 + random() % (x.size() - 1);
            switch (q % 4) {
                case 0:  // a node
                    px = x[n], py = y[n];
                    break;
                case 1:  // on the line between two nodes
                    px = (x[n] + x[m]) / 2.0f, py = (y[n] + y[m]) / 2.0f;
                    break;
                case 2:  // anywhere around the net
                    px = ox - 2.0f + (static_cast<float>(nx) + 4.0f) * u(random);
                    py = oy - 2.0f + (0.7f * static_cast<float>(ny) + 4.0f) * u(random);
                    break;
                default:  // far away
                    px = ox + 1e4f * (u(random) - 0.5f), py = oy - 1e4f * u(random);
            }
            std::int16_t scanElement = -3, scanLocated = -3, indexElement = -4, indexLocated = -4;
            std::string scanError, indexError;
            const int scanNumber = errorNumberOf([&] { helper.LocateElement(scanElement, px, py, x, y, elements, scanLocated); }, &scanError);
            const int indexNumber = errorNumberOf([&] { index.LocateElement(indexElement, px, py, indexLocated); }, &indexError);
            ASSERT_EQ(indexNumber, scanNumber) << "run " << run << " point " << px << ", " << py;
            ASSERT_EQ(indexError, scanError);
            if (scanNumber != 0) continue;
            ASSERT_EQ(indexElement, scanElement) << "run " << run << " point " << px << ", " << py;
            ASSERT_EQ(indexLocated, scanLocated);
        }
    }
}

TEST(BoringLayoutTransform, RotatesThenShifts) {
    drovik::ClsGeometryHelper helper;
    EXPECT_EQ(helper.UnitFactor(), 1.0f);
    float tx = 0, ty = 0;
    helper.TransformPoint(3.25f, -1.5f, tx, ty);  // identity before any value is set
    EXPECT_EQ(tx, 3.25f);
    EXPECT_EQ(ty, -1.5f);
    helper.LayoutValueA(90.0f);
    helper.LayoutValueB(10.0f);
    helper.LayoutValueC(-2.0f);
    helper.TransformPoint(1.0f, 0.0f, tx, ty);
    EXPECT_NEAR(tx, 10.0f, 1e-6);
    EXPECT_NEAR(ty, -1.0f, 1e-6);
    helper.TransformPoint(0.0f, 1.0f, tx, ty);
    EXPECT_NEAR(tx, 9.0f, 1e-6);
    EXPECT_NEAR(ty, -2.0f, 1e-6);
}

struct Relation {
    std::int16_t code = -1;
    float first = 0, second = 0;
};

Relation relate(float ax, float ay, float bx, float by, float cx, float cy, float dx, float dy) {
    Relation r;
    drovik::ClsPointListTools().SegmentRelation(ax, ay, bx, by, cx, cy, dx, dy, r.code, r.first,
                                                r.second);
    return r;
}

TEST(SegmentRelation, CodeTwoExactlyWhenTheSideLiesOnTheMember) {
    EXPECT_EQ(relate(0, 0, 10, 0, 2, 0, 5, 0).code, 2);
    EXPECT_EQ(relate(0, 0, 10, 0, 5, 0, 2, 0).code, 2);    // either direction
    EXPECT_EQ(relate(0, 0, 10, 0, 0, 0, 10, 0).code, 2);   // the whole member
    EXPECT_EQ(relate(0, 0, 10, 10, 3, 3, 7, 7).code, 2);   // slanted
    const Relation on = relate(0, 0, 10, 0, 2, 0, 5, 0);
    EXPECT_FLOAT_EQ(on.first, 0.2f);
    EXPECT_FLOAT_EQ(on.second, 0.5f);

    // Nodes placed on a slanted member in Single precision still lie on it.
    const float ax = 1000.1f, ay = 250.3f, bx = 1012.7f, by = 259.9f;
    for (int i = 0; i < 10; ++i) {
        const auto at = [&](double t, float& px, float& py) {
            px = static_cast<float>(ax + t * (bx - ax));
            py = static_cast<float>(ay + t * (by - ay));
        };
        float cx, cy, dx, dy;
        at(i / 10.0, cx, cy);
        at((i + 1) / 10.0, dx, dy);
        EXPECT_EQ(relate(ax, ay, bx, by, cx, cy, dx, dy).code, 2) << i;
    }

    EXPECT_EQ(relate(0, 0, 10, 0, 8, 0, 12, 0).code, 3);   // sticks out
    EXPECT_EQ(relate(0, 0, 10, 0, -5, 0, 15, 0).code, 3);  // covers the member
    EXPECT_EQ(relate(0, 0, 10, 0, 10, 0, 12, 0).code, 1);  // collinear, touches an end
    EXPECT_EQ(relate(0, 0, 10, 0, 11, 0, 12, 0).code, 0);  // collinear, apart
    EXPECT_EQ(relate(0, 0, 10, 0, 2, 0.01f, 5, 0.01f).code, 0);  // parallel, off the member
    EXPECT_EQ(relate(0, 0, 10, 0, 2, 0, 5, 0.01f).code, 1);      // leaves it at C
    EXPECT_EQ(relate(0, 0, 0, 0, 0, 0, 0, 0).code, 0);           // a member of no length

    const Relation crossing = relate(0, 0, 10, 0, 4, -1, 6, 1);
    EXPECT_EQ(crossing.code, 1);
    EXPECT_FLOAT_EQ(crossing.first, 5.0f);
    EXPECT_FLOAT_EQ(crossing.second, 0.0f);
    EXPECT_EQ(relate(0, 0, 10, 0, 11, -1, 13, 1).code, 0);  // the lines cross beyond B
}

TEST(PointLists, PointInPolygonCountsTheSidesAsInside) {
    drovik::ClsPointListTools tools;
    const std::vector<float> xs{0, 0, 4, 0}, ys{0, 0, 0, 3};
    const auto inside = [&](float px, float py) {
        std::int16_t in = 5;
        tools.PointInPolygon(3, xs, ys, px, py, in);
        return in;
    };
    EXPECT_EQ(inside(1, 1), -1);
    EXPECT_EQ(inside(2, 1.5f), -1);  // on the slanted side
    EXPECT_EQ(inside(0, 3), -1);     // a corner
    EXPECT_EQ(inside(3, 2), 0);
    EXPECT_EQ(inside(-0.01f, 1), 0);
    std::int16_t in = 0;
    EXPECT_EQ(errorNumberOf([&] { tools.PointInPolygon(4, xs, ys, 1, 1, in); }), 9);

    std::vector<std::int16_t> work;
    tools.LayoutLines(3, xs, ys, work);
    EXPECT_EQ(work, (std::vector<std::int16_t>{1, 1, 2, 3}));
    const std::vector<float> cwX{0, 0, 0, 4}, cwY{0, 0, 3, 0};
    tools.LayoutLines(3, cwX, cwY, work);
    EXPECT_EQ(work, (std::vector<std::int16_t>{-1, 3, 2, 1}));
}

TEST(PointLists, ReducePointListKeepsTheEndsOfThePiece) {
    drovik::ClsPointListTools tools;
    // A line through the corner (0, 0) of the extent 0..10 x 0..10 and out
    // through (10, 5): the corner comes twice, once a little off.
    std::vector<float> xs{0, 0, 10, 0.0000001f, 0}, ys{0, 0, 5, 0, 0};
    std::int16_t count = 3;
    tools.ReducePointList(count, xs, ys);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(xs[1], 0.0f);
    EXPECT_EQ(ys[1], 0.0f);
    EXPECT_EQ(xs[2], 10.0f);
    EXPECT_EQ(ys[2], 5.0f);

    // The ends further down the list move up to entries 1 and 2.
    std::vector<float> four{0, 3, 0, 5, 10}, fourY{0, 3, 0, 5, 10};
    count = 4;
    tools.ReducePointList(count, four, fourY);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(four[1], 0.0f);
    EXPECT_EQ(fourY[1], 0.0f);
    EXPECT_EQ(four[2], 10.0f);
    EXPECT_EQ(fourY[2], 10.0f);
}

TEST(PointLists, DeriveMemberDataPairsEveryMemberWithItsEdges) {
    drovik::ClsPointListTools tools;
    // Nodes 1 (0,0), 2 (1,0), 3 (2,0), 4 (2,1); member 1 runs 1-3 over the
    // edges 1-2 and 2-3, member 2 runs 3-4 and has no edge, member 3 runs
    // 2-3 and shares the edge 2-3.
    const std::vector<float> nodeX{0, 0, 1, 2, 2}, nodeY{0, 0, 0, 0, 1};
    const std::vector<std::int16_t> start{0, 1, 3, 2}, end{0, 3, 4, 3}, set{0, 1, 1, 2};
    const std::vector<std::int16_t> edgeStart{0, 2, 3}, edgeEnd{0, 1, 2}, section{0, 1, 1};
    std::int16_t pairCount = -1, partly = -1;
    std::vector<std::int16_t> first, second, perMember;
    tools.DeriveMemberData(pairCount, first, second, perMember, partly, 4, nodeX, nodeY, 3, 2,
                           start, end, set, 2, edgeStart, edgeEnd, section);
    EXPECT_EQ(pairCount, 3);
    EXPECT_EQ(first, (std::vector<std::int16_t>{0, 1, 1, 3}));
    EXPECT_EQ(second, (std::vector<std::int16_t>{0, 1, 2, 2}));
    EXPECT_EQ(perMember, (std::vector<std::int16_t>{0, 2, 0, 1}));
    EXPECT_EQ(partly, 1);

    const std::vector<std::int16_t> badStart{0, 9, 3, 2};
    EXPECT_EQ(errorNumberOf([&] {
                  tools.DeriveMemberData(pairCount, first, second, perMember, partly, 4, nodeX,
                                         nodeY, 3, 2, badStart, end, set, 2, edgeStart, edgeEnd,
                                         section);
              }),
              9);
}

}  // namespace
