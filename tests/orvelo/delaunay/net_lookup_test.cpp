// The index of the point insertion against the plain scans: the same
// answers on random nets, and the same nets after many insertions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <tuple>

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

// Insertions taken back from their log (half of them; the others stay):
// the net as it was, list for list, and the index of the scope answering
// as the scans do, also where merges removed elements.
TEST_F(NetLookupTest, AnInsertionTakenBackLeavesTheNetAndTheIndexAsBefore) {
    int takenBack = 0, withRemovals = 0;
    for (unsigned seed = 1; seed <= 4; ++seed) {
        resetBasDelaunay();
        declar().MinAngle = seed % 2 == 0 ? 35.0f : 20.0f;
        meshcheck::UseJitteredNet(seed, 8, 6, seed <= 2 ? 1.0 : 0.5, 0.45f);
        BasDelaunay& m = basDelaunay();
        m.ConstraintEdgeCount = 2;
        m.ConstraintEdges = {{0, 0}, {11, 20}, {20, 29}};
        std::mt19937 random(seed);
        std::uniform_real_distribution<float> x(-0.5f, 8.5f), y(-0.5f, 6.5f), t(0.0f, 1.0f);
        NetEditScope scope;
        InsertionLog log;
        std::vector<std::int32_t> byScan, byIndex;
        for (int i = 0; i < 300; ++i) {
            float px = x(random), py = y(random);
            if (i % 5 == 0) {  // on a constraint side
                const auto& row = m.ConstraintEdges[static_cast<std::size_t>(1 + i % m.ConstraintEdgeCount)];
                const float s = t(random);
                px = m.MeshNodeX[row[0]] + s * (m.MeshNodeX[row[1]] - m.MeshNodeX[row[0]]);
                py = m.MeshNodeY[row[0]] + s * (m.MeshNodeY[row[1]] - m.MeshNodeY[row[0]]);
            }
            const BasDelaunay before = m;
            AppendNode(px, py);
            if (InsertPoint(true, &log).outcome != PointInsertion::Inserted || i % 2 == 0) continue;
            withRemovals += log.RemovedElements() ? 1 : 0;
            TakeBackInsertion(log);
            ++takenBack;
            ASSERT_EQ(m.MeshElementList, before.MeshElementList) << "seed " << seed << ", point " << i;
            ASSERT_EQ(m.ElementCircle, before.ElementCircle) << "seed " << seed << ", point " << i;
            ASSERT_EQ(m.ConstraintEdges, before.ConstraintEdges) << "seed " << seed << ", point " << i;
            ASSERT_EQ(m.MeshNodeX, before.MeshNodeX);
            ASSERT_EQ(std::tie(m.MeshNodeCount, m.MeshElementCount, m.ConstraintEdgeCount),
                      std::tie(before.MeshNodeCount, before.MeshElementCount, before.ConstraintEdgeCount));
            NetScan scan(m);
            for (int k = 0; k < 20; ++k) {
                const float qx = k == 0 ? px : x(random), qy = k == 0 ? py : y(random);
                ASSERT_EQ(m.EditIndex->ElementAt(qx, qy), scan.ElementAt(qx, qy)) << "seed " << seed << ", point " << i;
                ASSERT_EQ(m.EditIndex->NodeNear(qx, qy, m.MeshNodeCount, 0.4), scan.NodeNear(qx, qy, m.MeshNodeCount, 0.4));
            }
            // Around the point: every element with a corner within 1, none
            // that is gone.
            std::vector<std::int32_t> around;
            m.EditIndex->ElementsAround(px, py, 1.0, around);
            ASSERT_TRUE(std::all_of(around.begin(), around.end(), [&](std::int32_t e) { return e >= 1 && e <= m.MeshElementCount; }));
            for (std::size_t e = 1; e <= static_cast<std::size_t>(m.MeshElementCount); ++e) {
                const NetElement& element = m.MeshElementList[e];
                bool near = false;
                for (int k = 1; k <= element.CornerCount; ++k)
                    near = near || std::hypot(m.MeshNodeX[element.Node[k]] - px, m.MeshNodeY[element.Node[k]] - py) < 1.0;
                ASSERT_TRUE(!near || std::find(around.begin(), around.end(), static_cast<std::int32_t>(e)) != around.end());
                scan.SideHolders(element.Node[1], element.Node[2], byScan);
                m.EditIndex->SideHolders(element.Node[1], element.Node[2], byIndex);
                ASSERT_EQ(byIndex, byScan) << "seed " << seed << ", point " << i;
            }
        }
    }
    EXPECT_GT(takenBack, 200);
    EXPECT_GT(withRemovals, 0);
}

}  // namespace
}  // namespace orvelo
