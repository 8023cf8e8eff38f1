// The index of the point insertion against the plain scans: the same
// answers on random nets, and the same nets after many insertions.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/insert_point.h"
#include "orvelo/delaunay/kernel.h"
#include "orvelo/delaunay/mixed_net_check.h"
#include "orvelo/delaunay/net_lookup.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/services.h"
#include "platform/forms/msgbox.h"

namespace orvelo {
namespace {

class NetLookupTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetServices();
        resetBasDelaunay();
        resetDeclar();
        declar().MinAngle = 25.0f;
        declar().MinElementSize = 0.08f;
    }
    void TearDown() override { resetServices(); }
    forms::ScopedMsgBox boxes_;
};

TEST_F(NetLookupTest, TheIndexAnswersAsTheScans) {
    for (unsigned seed = 1; seed <= 4; ++seed) {
        meshcheck::UseJitteredNet(seed, 9, 7, 0.4);
        BasDelaunay& m = basDelaunay();
        NetScan scan(m);
        NetIndex index(m);
        std::mt19937 random(seed);
        // Points anywhere, on nodes and on sides (where two elements hold
        // them and the lower number must win).
        std::uniform_real_distribution<float> x(-0.5f, 9.5f), y(-0.5f, 7.5f), t(0.0f, 1.0f);
        std::uniform_int_distribution<int> pickNode(1, m.MeshNodeCount), pickElement(1, m.MeshElementCount);
        std::vector<std::int32_t> byScan, byIndex;
        for (int i = 0; i < 600; ++i) {
            float px = x(random), py = y(random);
            if (i % 3 == 1) {
                const NetElement& e = m.MeshElementList[static_cast<std::size_t>(pickElement(random))];
                const auto a = static_cast<std::size_t>(e.Node[1]), b = static_cast<std::size_t>(e.Node[2]);
                const float s = i % 2 == 0 ? 0.5f : t(random);
                px = m.MeshNodeX[a] + s * (m.MeshNodeX[b] - m.MeshNodeX[a]);
                py = m.MeshNodeY[a] + s * (m.MeshNodeY[b] - m.MeshNodeY[a]);
            } else if (i % 3 == 2) {
                const auto n = static_cast<std::size_t>(pickNode(random));
                px = m.MeshNodeX[n] + (t(random) - 0.5f) * 0.3f;
                py = m.MeshNodeY[n] + (t(random) - 0.5f) * 0.3f;
            }
            ASSERT_EQ(index.ElementAt(px, py), scan.ElementAt(px, py)) << "seed " << seed << " at " << px << ", " << py;
            const double radius = 0.05 + 0.3 * t(random);
            const auto last = static_cast<std::int16_t>(pickNode(random));
            ASSERT_EQ(index.NodeNear(px, py, last, radius), scan.NodeNear(px, py, last, radius)) << "seed " << seed;
            const NetElement& e = m.MeshElementList[static_cast<std::size_t>(pickElement(random))];
            scan.SideHolders(e.Node[2], e.Node[1], byScan);
            index.SideHolders(e.Node[2], e.Node[1], byIndex);
            ASSERT_EQ(byIndex, byScan);
        }
    }
}

TEST_F(NetLookupTest, TheNodeGridFindsEveryNodeWithinTheRadius) {
    std::mt19937 random(3);
    std::uniform_real_distribution<float> x(-50.0f, 50.0f);
    std::vector<std::pair<float, float>> points(1);
    NodeGrid grid(1.7);
    for (std::int16_t n = 1; n <= 2000; ++n) {
        points.push_back({x(random), x(random) * 0.2f});
        grid.Add(n, points.back().first, points.back().second);
    }
    for (std::int16_t n = 1; n <= 2000; n += 3) grid.Remove(n, points[static_cast<std::size_t>(n)].first, points[static_cast<std::size_t>(n)].second);
    for (int i = 0; i < 300; ++i) {
        const double qx = x(random), qy = x(random) * 0.2, radius = 0.1 + (i % 7);
        std::vector<std::int16_t> seen;
        grid.ForEachAround(qx, qy, radius, [&](std::int16_t n) { seen.push_back(n); });
        for (std::int16_t n = 1; n <= 2000; ++n) {
            const bool within = std::hypot(points[static_cast<std::size_t>(n)].first - qx, points[static_cast<std::size_t>(n)].second - qy) <= radius;
            const bool found = std::find(seen.begin(), seen.end(), n) != seen.end();
            if (n % 3 == 1) {
                ASSERT_FALSE(found) << "a removed node";
            } else if (within) {
                ASSERT_TRUE(found) << "node " << n;
            }
        }
    }
}

// The same points into the same nets, with and without the index: the same
// nets, number for number.
TEST_F(NetLookupTest, InsertionsGiveTheSameNetWithTheIndexAsWithTheScans) {
    for (unsigned seed = 1; seed <= 4; ++seed) {
        auto run = [seed](bool indexed) {
            resetBasDelaunay();
            declar().MinAngle = 25.0f;
            declar().MinElementSize = 0.08f;
            meshcheck::UseJitteredNet(seed, 8, 6, seed % 2 == 0 ? 0.6 : 0.0);
            BasDelaunay& m = basDelaunay();
            m.ConstraintEdgeCount = 2;
            m.ConstraintEdges = {{0, 0}, {11, 20}, {20, 29}};  // two inner sides of column 1 (some may be no sides)
            std::mt19937 random(seed * 7);
            std::uniform_real_distribution<float> x(-0.5f, 8.5f), y(-0.5f, 6.5f);
            std::vector<std::int16_t> results;
            auto insertAll = [&] {
                for (int i = 0; i < 250; ++i) {
                    AppendNode(x(random), y(random));
                    results.push_back(InsertPointIntoNet());
                }
            };
            if (indexed) {
                NetEditScope scope;
                insertAll();
            } else {
                insertAll();
            }
            return std::make_pair(basDelaunay(), results);
        };
        const auto [plain, plainResults] = run(false);
        const auto [fast, fastResults] = run(true);
        EXPECT_EQ(fastResults, plainResults) << "seed " << seed;
        EXPECT_EQ(fast.MeshNodeX, plain.MeshNodeX) << "seed " << seed;
        EXPECT_EQ(fast.MeshElementList, plain.MeshElementList) << "seed " << seed;
        EXPECT_EQ(fast.ConstraintEdges, plain.ConstraintEdges) << "seed " << seed;
        EXPECT_TRUE(meshcheck::CheckMixedNet(fast).empty()) << "seed " << seed;
    }
}

}  // namespace
}  // namespace orvelo
