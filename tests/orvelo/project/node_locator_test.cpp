#include <random>

#include "node_data_fixture.h"
#include "orvelo/project/node_locator.h"
#include "orvelo/project/transfer.h"

namespace {

class NewNodeNumberTest : public NodeDataTest {
protected:
    // The new net: nodes at the given points, numbered from 1.
    static void newNodes(const std::vector<std::pair<float, float>>& points) {
        orvelo::Declar& d = orvelo::declar();
        d.NodeX.assign(1, 0.0f);
        d.NodeY.assign(1, 0.0f);
        for (const auto& [x, y] : points) {
            d.NodeX.push_back(x);
            d.NodeY.push_back(y);
        }
        d.NodeCount = static_cast<std::int16_t>(points.size());
    }

    std::int16_t newNumber(float x, float y) {
        std::int16_t result = 0;
        transfer.GetNewNodeNumber(x, y, result);
        return result;
    }

    orvelo::NodeDataTransfer transfer;
};

TEST_F(NewNodeNumberTest, FirstNodeInsideTheToleranceBoxWinsOverANearerOne) {
    // DrawingScale 1: the box reaches 0.01 either way.
    orvelo::declar().DrawingScale = 1.0f;
    newNodes({{5, 5}, {1.008f, 0.995f}, {1.001f, 1.0f}, {1, 1}});
    EXPECT_EQ(newNumber(1, 1), 2) << "node 2 lies in the box, nodes 3 and 4 are nearer";
    // Outside every box: the nearest, the lowest number among equals.
    newNodes({{0, 0}, {2, 0}, {1, 2}, {0, 2}});
    EXPECT_EQ(newNumber(1, 0), 1);
    EXPECT_EQ(newNumber(1, 1.1f), 3);
    // The box is open: a difference of exactly the tolerance is outside it.
    newNodes({{0, 0}, {0.25f, 0}});
    orvelo::declar().DrawingScale = 25.0f;  // tolerance 0.25
    EXPECT_EQ(newNumber(0.25f, 0), 2) << "node 2 is the nearest, node 1 is not in the box";
    EXPECT_EQ(newNumber(0.1f, 0), 1);
}

TEST_F(NewNodeNumberTest, WithoutADelaunayScaleEveryOldNodeTakesTheNearest) {
    newNodes({{0, 0}, {0.001f, 0}, {0.0005f, 0}});
    orvelo::declar().DrawingScale = 1.0f;
    EXPECT_EQ(newNumber(0, 0), 1);
    orvelo::declar().DrawingScale = 0.0f;
    EXPECT_EQ(newNumber(0.0006f, 0), 3);
    EXPECT_EQ(newNumber(0, 0), 1) << "an equal node is still the nearest";
}

TEST_F(NewNodeNumberTest, NetWithoutNodesIsAnErrorThatSaysSo) {
    orvelo::declar().NodeCount = 0;
    try {
        newNumber(0, 0);
        FAIL() << "no error";
    } catch (const rt::RuntimeError& error) {
        EXPECT_EQ(error.number(), 9);
        EXPECT_NE(error.description().find("no nodes"), std::string::npos) << error.description();
    }
}

// The locator gives the answers of the plain scan, on random nets with
// coincident nodes, points on a coarse grid (equal distances) and
// positions inside and outside the nets, for tolerances from none to large.
TEST(NodeLocatorTest, SameAnswersAsThePlainScanOnRandomNets) {
    std::mt19937 random(20240601);
    for (int net = 0; net < 40; ++net) {
        const int count = 1 + static_cast<int>(random() % 400);
        const bool coarse = net % 2 == 0;
        std::uniform_real_distribution<float> coordinate(-50.0f, 50.0f);
        std::uniform_int_distribution<int> step(-8, 8);
        const auto point = [&] { return coarse ? static_cast<float>(step(random)) * 0.5f : coordinate(random); };
        std::vector<float> xs(1, 0.0f), ys(1, 0.0f);
        for (int i = 1; i <= count; ++i) {
            if (i > 1 && random() % 10 == 0) {  // a node on an earlier one
                const std::size_t earlier = 1 + random() % (xs.size() - 1);
                xs.push_back(xs[earlier]);
                ys.push_back(ys[earlier]);
            } else {
                xs.push_back(point());
                ys.push_back(point());
            }
        }
        const auto nodeCount = static_cast<std::int16_t>(count);
        const orvelo::NodeLocator locator(xs, ys, nodeCount);
        for (float tolerance : {0.0f, 1e-4f, 0.01f, 0.3f, 3.0f}) {
            for (int query = 0; query < 200; ++query) {
                const float x = query % 3 == 0 ? xs[1 + random() % count] : point() * 1.3f;
                const float y = query % 3 == 0 ? ys[1 + random() % count] : point() * 1.3f;
                ASSERT_EQ(locator.Find(x, y, tolerance),
                          orvelo::NearestNodeByScan(x, y, tolerance, xs, ys, nodeCount))
                    << "net " << net << " at (" << x << ", " << y << ") tolerance " << tolerance;
            }
        }
    }
}

}  // namespace
