// Nodal averaging, symmetry, the two numberings and the size field.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "orvelo/forces/node_order.h"
#include "orvelo/forces/plate_test_support.h"
#include "orvelo/forces/size_field.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/temp_folder.h"

using orvelo::CornerTable;
using orvelo::InternalForcesData;

namespace {

// A random net of nx x ny cells over [0, nx] x [0, ny]: a cell is one
// quadrilateral or two triangles; node numbers shuffled.
InternalForcesData randomNet(int nx, int ny, std::mt19937& rng) {
    InternalForcesData net;
    const int nodes = (nx + 1) * (ny + 1);
    std::vector<std::int16_t> number(nodes);
    for (int i = 0; i < nodes; ++i) number[i] = static_cast<std::int16_t>(i + 1);
    std::shuffle(number.begin(), number.end(), rng);
    net.CalcNodeCount = static_cast<std::int16_t>(nodes);
    net.CalcNodeX.assign(nodes + 1, 0.0f);
    net.CalcNodeY.assign(nodes + 1, 0.0f);
    for (int j = 0; j <= ny; ++j)
        for (int i = 0; i <= nx; ++i) {
            net.CalcNodeX[number[j * (nx + 1) + i]] = static_cast<float>(i);
            net.CalcNodeY[number[j * (nx + 1) + i]] = static_cast<float>(j);
        }
    net.CalcCornerCount.assign(1, 0);
    net.CalcElementCorners.assign(1, {});
    net.CalcElementGroup.assign(1, 0);
    auto add = [&](std::initializer_list<int> corners) {
        std::array<std::int16_t, 5> c{};
        int k = 1;
        for (int v : corners) c[k++] = number[v];
        net.CalcCornerCount.push_back(static_cast<std::int16_t>(corners.size()));
        net.CalcElementCorners.push_back(c);
        net.CalcElementGroup.push_back(1);
    };
    for (int j = 0; j < ny; ++j)
        for (int i = 0; i < nx; ++i) {
            const int a = j * (nx + 1) + i, b = a + 1, c = b + nx + 1, d = a + nx + 1;
            if (rng() % 2) {
                add({a, b, c, d});
            } else {
                add({a, b, c});
                add({a, c, d});
            }
        }
    net.CalcElementCount = static_cast<std::int16_t>(net.CalcCornerCount.size() - 1);
    return net;
}

}  // namespace

TEST(NodalAveraging, OnePassEqualsThePlainScanBitForBit) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> value(-50.0f, 50.0f);
    for (int trial = 0; trial < 5; ++trial) {
        const auto net = randomNet(9 + trial, 7, rng);
        CornerTable corners(net.CalcElementCount + 1, std::array<float, 5>{});
        for (int e = 1; e <= net.CalcElementCount; ++e)
            for (int k = 1; k <= net.CalcCornerCount[e]; ++k) corners[e][k] = value(rng);
        const auto averaged = orvelo::AverageAtNodes(net, corners);
        // The plain scan: every node against every element corner.
        for (int n = 1; n <= net.CalcNodeCount; ++n) {
            float sum = 0.0f;
            std::int16_t hits = 0;
            for (int e = 1; e <= net.CalcElementCount; ++e)
                for (int k = 1; k <= net.CalcCornerCount[e]; ++k)
                    if (net.CalcElementCorners[e][k] == n) {
                        sum += corners[e][k];
                        ++hits;
                    }
            ASSERT_GT(hits, 0);
            EXPECT_EQ(averaged[n], static_cast<float>(static_cast<double>(sum) / hits)) << n;
        }
    }
}

TEST(NodalAveraging, UnusedNodeAndBadCorner) {
    InternalForcesData net;
    net.CalcNodeCount = 4;
    net.CalcElementCount = 1;
    net.CalcCornerCount = {0, 3};
    net.CalcElementCorners = {{}, {0, 1, 2, 3, 0}};
    CornerTable corners = {{}, {0, 2.0f, 4.0f, 6.0f, 0}};
    const auto nodal = orvelo::AverageAtNodes(net, corners);
    EXPECT_EQ(nodal, (std::vector<float>{0, 2, 4, 6, 0}));  // node 4: no element, value 0
    net.CalcElementCorners[1][3] = 5;
    EXPECT_EQ(errorNumberOf([&] { orvelo::AverageAtNodes(net, corners); }), 9);

    // Two corner values at one node whose sum overflows: the node is named.
    net.CalcElementCorners[1] = {0, 1, 2, 2, 0};
    corners[1] = {0, 0.0f, 3e38f, 3e38f, 0};
    try {
        orvelo::AverageAtNodes(net, corners);
        ADD_FAILURE() << "no error";
    } catch (const rt::RuntimeError& error) {
        EXPECT_EQ(error.number(), 6);
        EXPECT_NE(error.description().find("node 2"), std::string::npos) << error.description();
    }
}

TEST(CornerValues, KeepCornerValuesBothWays) {
    // Two quadrilaterals side by side under a field whose moments vary over
    // each element, so its four corner indicators differ.
    forcestest::Field f;
    f.c[6] = 2e-3;
    f.c[10] = -1e-3;
    auto net = forcestest::netWithField({{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1}, {2, 1}}, f);
    net.CalcElementCount = 2;
    net.CalcCornerCount = {0, 4, 4};
    net.CalcElementCorners = {{}, {0, 1, 2, 5, 4}, {0, 2, 3, 6, 5}};
    net.CalcElementGroup = {0, 1, 1};
    net.GroupThickness = {0, 0.3f};
    net.GroupModulus = {0, 3e7f};
    net.GroupPoisson = {0, 0.2f};

    const CornerTable own = orvelo::RecoverCornerValues(net, true);
    const CornerTable mean = orvelo::RecoverCornerValues(net, false);
    for (int e = 1; e <= 2; ++e) {
        EXPECT_NE(own[e][1], own[e][2]);
        const float m = (((own[e][1] + own[e][2]) + own[e][3]) + own[e][4]) / 4;
        for (int k = 1; k <= 4; ++k) EXPECT_FLOAT_EQ(mean[e][k], m);
    }
    // Node 2 (shared): the mean of its own corners, or of the element means.
    const auto nodalOwn = orvelo::AverageAtNodes(net, own);
    const auto nodalMean = orvelo::AverageAtNodes(net, mean);
    EXPECT_FLOAT_EQ(nodalOwn[2], (own[1][2] + own[2][1]) / 2);
    EXPECT_FLOAT_EQ(nodalMean[2], (mean[1][1] + mean[2][1]) / 2);
    EXPECT_FLOAT_EQ(nodalOwn[1], own[1][1]);

    net.CalcElementGroup[2] = 2;
    EXPECT_EQ(errorNumberOf([&] { orvelo::RecoverCornerValues(net, true); }), 9);
}

TEST(Symmetry, OnlyKindsThreeAndFourClearTheLargestX) {
    InternalForcesData net;
    net.CalcNodeCount = 4;
    // The largest x is 0.5; 2^-10 below it lies inside 0.001, 2^-9 outside.
    net.CalcNodeX = {0, 0.5f, 0.5f - 0.0009765625f, 0.5f - 0.001953125f, -3.0f};
    const std::vector<float> values = {0, 1, 2, 3, 4};
    for (int kind : {1, 2, 3, 4}) {
        auto v = values;
        orvelo::ApplySymmetry(kind, net, v);
        if (kind >= 3)
            EXPECT_EQ(v, (std::vector<float>{0, 0, 0, 3, 4})) << kind;
        else
            EXPECT_EQ(v, values) << kind;
    }
}

TEST(SizeField, FollowsTheMagnitudeBetweenItsEnds) {
    const float r = 1.0f, rMin = 0.25f;
    const std::vector<float> q = {0, 0.0f, 8.0f, -8.0f, 4.0f, -2.0f, 2.0f};
    const auto size = orvelo::TargetSizeField(q, 6, r, rMin);
    EXPECT_EQ(size[1], r);     // no force: the user's size
    EXPECT_EQ(size[2], rMin);  // the largest magnitude: the smallest size
    EXPECT_EQ(size[3], rMin);  // negative shear refines just as much
    EXPECT_FLOAT_EQ(size[4], 0.625f);
    EXPECT_EQ(size[5], size[6]);
    for (int n = 1; n <= 6; ++n) {
        EXPECT_LE(size[n], r);
        EXPECT_GE(size[n], rMin);
    }
    // No node carries a force: every node gets r.
    const auto flat = orvelo::TargetSizeField({0, 0, 0, 0}, 3, r, rMin);
    EXPECT_EQ(flat, (std::vector<float>{0, r, r, r}));
    EXPECT_EQ(orvelo::UniformTargetSize(3, 2.5f), (std::vector<float>{0, 2.5f, 2.5f, 2.5f}));
}

TEST(NodeOrder, GatherAndScatterBetweenTheNumberings) {
    // Project node n is calculation node map(n).
    const std::vector<std::int16_t> map = {0, 3, 1, 4, 2};
    std::vector<float> calcOrder = {0, 10, 20, 30, 40};  // value of calculation node i
    auto netOrder = calcOrder;
    orvelo::GatherToNetOrder(4, netOrder, map);
    EXPECT_EQ(netOrder, (std::vector<float>{0, 30, 10, 40, 20}));
    orvelo::ScatterToCalcOrder(4, netOrder, map);
    EXPECT_EQ(netOrder, calcOrder);

    // A map naming calculation node 2 twice: gather copies it to both,
    // scatter lets the later entry win and leaves node 3 at 0.
    const std::vector<std::int16_t> twice = {0, 2, 2, 1};
    std::vector<float> v = {0, 5, 6, 7};
    orvelo::GatherToNetOrder(3, v, twice);
    EXPECT_EQ(v, (std::vector<float>{0, 6, 6, 5}));
    v = {0, 5, 6, 7};
    orvelo::ScatterToCalcOrder(3, v, twice);
    EXPECT_EQ(v, (std::vector<float>{0, 7, 6, 0}));

    const std::vector<std::int16_t> outside = {0, 1, 5, 2};
    EXPECT_EQ(errorNumberOf([&] { orvelo::GatherToNetOrder(3, v, outside); }), 9);
    EXPECT_EQ(errorNumberOf([&] { orvelo::ScatterToCalcOrder(3, v, outside); }), 9);
}
