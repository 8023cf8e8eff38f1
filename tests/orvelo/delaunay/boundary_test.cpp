// Boundary discretisation: stepping along straight pieces and arcs, node
// reuse, direction angles, and the node hash against the plain scan.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/bas_orvelo.h"
#include "orvelo/delaunay/boundary.h"
#include "orvelo/delaunay/division_plan.h"
#include "orvelo/delaunay/kernel.h"
#include "orvelo/delaunay/target_size.h"
#include "orvelo/model/declar.h"
#include "orvelo/model/net.h"
#include "orvelo/project/services.h"

namespace orvelo {
namespace {

class BoundaryTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetServices();
        resetBasDelaunay();
        resetDeclar();
        GeometryHelper().UnitFactor(1.0f);
        uniformSize(1.0f);
        InitStartTriangulation();
    }
    void TearDown() override { resetServices(); }

    // A size field of one old node: the same size everywhere.
    static void uniformSize(float size) {
        resetBasOrvelo();
        declar().OldNodeCount = 1;
        basOrvelo().OldNodeX = {0.0f, 0.0f};
        basOrvelo().OldNodeY = {0.0f, 0.0f};
        declar().NodeTargetSize = {0.0f, size};
    }
    static halvex::SinglePoint at(std::int16_t node) {
        return {basDelaunay().MeshNodeX[static_cast<std::size_t>(node)], basDelaunay().MeshNodeY[static_cast<std::size_t>(node)]};
    }
};

TEST_F(BoundaryTest, DirectionAnglesRunCounterClockwiseFromPlusX) {
    const halvex::SinglePoint o{0, 0};
    EXPECT_EQ(LineAngleDeg(o, {1, 0}), 0.0f);
    EXPECT_EQ(LineAngleDeg(o, {0, 1}), 90.0f);
    EXPECT_NEAR(LineAngleDeg(o, {-1, 0}), 180.0f, 1e-4);
    EXPECT_EQ(LineAngleDeg(o, {0, -1}), 270.0f);
    EXPECT_EQ(LineAngleDeg(o, o), 270.0f);
    EXPECT_NEAR(LineAngleDeg(o, {1, 1}), 45.0f, 1e-3);
    EXPECT_NEAR(LineAngleDeg(o, {-1, -1}), 225.0f, 1e-3);
    EXPECT_NEAR(LineAngleDeg(o, {1, -1}), 315.0f, 1e-3);
}

TEST_F(BoundaryTest, StraightPiecesAreSteppedByTheTargetSize) {
    std::vector<std::int16_t> chain;
    AddPieceNodes(straightPiece(0, 0, 0.8f, 0), chain);
    EXPECT_EQ(chain, (std::vector<std::int16_t>{5, 6}));  // shorter than the size: its two ends

    chain.clear();
    AddPieceNodes(straightPiece(0.8f, 0, 10.8f, 0), chain);  // starts at the last end
    ASSERT_EQ(chain.size(), 11u);
    EXPECT_EQ(chain.front(), 6);
    for (std::size_t k = 1; k < chain.size(); ++k)
        EXPECT_NEAR(at(chain[k]).X - at(chain[k - 1]).X, 1.0f, 1e-4);
    EXPECT_EQ(at(chain.back()).X, 10.8f);

    const std::int16_t count = basDelaunay().MeshNodeCount;
    chain.clear();
    AddPieceNodes(straightPiece(3, 3, 3, 3), chain);  // no length, no direction: nothing
    EXPECT_TRUE(chain.empty());
    EXPECT_EQ(basDelaunay().MeshNodeCount, count);
}

// In a size field graded from 0.5 to 2 along the piece every gap is the
// mean of the sizes at its start and one size ahead, the last excepted.
TEST_F(BoundaryTest, StraightPiecesFollowAGradedSize) {
    resetBasOrvelo();
    BasOrvelo& o = basOrvelo();
    o.OldNodeX = {0.0f, 0.0f, 20.0f, 20.0f, 0.0f};
    o.OldNodeY = {0.0f, -1.0f, -1.0f, 1.0f, 1.0f};
    declar().OldNodeCount = 4;
    declar().NodeTargetSize = {0.0f, 0.5f, 2.0f, 2.0f, 0.5f};
    NetElement lower, upper;
    lower.CornerCount = upper.CornerCount = 3;
    lower.Node = {0, 1, 2, 3, 0};
    upper.Node = {0, 1, 3, 4, 0};
    o.OldElementList = {NetElement{}, lower, upper};
    o.OldElementCount = 2;
    std::vector<std::int16_t> chain;
    AddPieceNodes(straightPiece(0.3f, 0.2f, 19.7f, 0.2f), chain);
    ASSERT_GT(chain.size(), 10u);
    for (std::size_t k = 1; k + 1 < chain.size(); ++k) {
        const float x = at(chain[k - 1]).X;
        const float here = InterpolateTargetSize(x, 0.2f);
        const float ahead = InterpolateTargetSize(x + here, 0.2f);
        EXPECT_NEAR(at(chain[k]).X - x, (here + ahead) / 2.0f, 1e-4) << "gap " << k;
    }
    EXPECT_GT(InterpolateTargetSize(19.0f, 0.2f), 3.0f * InterpolateTargetSize(1.0f, 0.2f));
}

// Every gap is the size but the last, between half a size and one and a
// half; far below the tolerance, steps of the tolerance.
TEST_F(BoundaryTest, TheLastGapLiesBetweenHalfAndOneAndAHalfStepsAndNoStepBelowTheTolerance) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    for (int trial = 0; trial < 200; ++trial) {
        const float size = static_cast<float>(0.2 + u(random));
        uniformSize(size);
        const double length = size * (1.5 + 12.0 * u(random)), angle = 6.283 * u(random);
        const OutlinePiece piece = straightPiece(1, 2, static_cast<float>(1 + length * std::cos(angle)), static_cast<float>(2 + length * std::sin(angle)));
        std::vector<std::int16_t> chain;
        AddPieceNodes(piece, chain);
        EXPECT_EQ(CountPieceNodes(piece, 1000), static_cast<std::int64_t>(chain.size()));
        for (std::size_t k = 1; k < chain.size(); ++k) {
            const double gap = std::hypot(at(chain[k]).X - at(chain[k - 1]).X, at(chain[k]).Y - at(chain[k - 1]).Y);
            EXPECT_NEAR(gap, k + 1 < chain.size() ? size : std::clamp(gap, 0.5 * size, 1.5 * size), 1e-4) << trial;
        }
    }
    uniformSize(1e-9f);
    std::vector<std::int16_t> chain;
    AddPieceNodes(straightPiece(5, 0, 6, 0), chain);  // tolerance 0.001
    EXPECT_TRUE(chain.size() == 1001 && CountPieceNodes(arcPiece(1, 0, 0, 1, 0, 0, true), 5000) == 5001);
    EXPECT_EQ(CountPieceNodes(arcPiece(0, 1, -1, 0, 0, 0, true), 5000), 5001) << "steps below the angle's rounding";
}

TEST_F(BoundaryTest, ASizeOfZeroOrBelowEndsThePieceAtItsEnd) {
    for (float size : {0.0f, -0.5f}) {
        uniformSize(size);
        std::vector<std::int16_t> chain;
        AddPieceNodes(straightPiece(0, 0, 5, 0), chain);
        ASSERT_EQ(chain.size(), 2u);
        EXPECT_EQ(at(chain[1]).X, 5.0f);
        chain.clear();
        AddPieceNodes(arcPiece(10, 0, 0, 10, 0, 0, true), chain);
        ASSERT_GE(chain.size(), 2u);
        EXPECT_NEAR(at(chain.back()).X, 0.0f, 1e-3);
        EXPECT_NEAR(at(chain.back()).Y, 10.0f, 1e-3);
    }
}

TEST_F(BoundaryTest, ArcsRunFromTheirStartEitherWayRound) {
    uniformSize(0.3f);
    std::vector<halvex::SinglePoint> quarter, threeQuarters;
    DivideArcPiece(quarter, arcPiece(2, 0, 0, 2, 0, 0, true));
    DivideArcPiece(threeQuarters, arcPiece(2, 0, 0, 2, 0, 0, false));
    for (const auto* points : {&quarter, &threeQuarters}) {
        ASSERT_GE(points->size(), 3u);
        EXPECT_NEAR((*points)[1].X, 2.0f, 1e-4);
        EXPECT_NEAR((*points)[1].Y, 0.0f, 1e-4);
        EXPECT_NEAR(points->back().X, 0.0f, 1e-4);
        EXPECT_NEAR(points->back().Y, 2.0f, 1e-4);
        for (std::size_t k = 1; k < points->size(); ++k)
            EXPECT_NEAR(std::hypot((*points)[k].X, (*points)[k].Y), 2.0, 1e-4);
    }
    // The quarter runs through the first quadrant, the rest through the
    // other three; each step is about one target size of arc.
    for (std::size_t k = 2; k + 1 < quarter.size(); ++k) EXPECT_GT(quarter[k].X, 0.0f);
    bool below = false;
    for (const auto& p : threeQuarters) below |= p.Y < -1.9f;
    EXPECT_TRUE(below);
    EXPECT_NEAR(static_cast<double>(quarter.size() - 2), 3.14159 / 0.3, 1.5);
    EXPECT_NEAR(static_cast<double>(threeQuarters.size() - 2), 3 * 3.14159 / 0.3, 1.5);
}

TEST_F(BoundaryTest, AnArcOfRadius10000OrMoreIsAStraightPiece) {
    std::vector<std::int16_t> chain;
    AddPieceNodes(arcPiece(0, 0, 5, 0, 2.5f, -10000.0f, true), chain);
    ASSERT_EQ(chain.size(), 6u);
    for (std::int16_t node : chain) EXPECT_EQ(at(node).Y, 0.0f);
    chain.clear();
    AddPieceNodes(arcPiece(0, 5, 5, 5, 2.5f, 5 - 9999.0f, false), chain);  // just below: divided as an arc
    bool off = false;
    for (std::int16_t node : chain) off |= at(node).Y != 5.0f;
    EXPECT_TRUE(off);
}

TEST_F(BoundaryTest, AddMeshNodeReusesTheHighestNodeWithinTheTolerance) {
    BasDelaunay& m = basDelaunay();
    // Nodes 1..4 are left out of the generation's searches.
    EXPECT_EQ(AddMeshNode(10.0f, 10.0f, -1), 5);
    EXPECT_EQ(AddMeshNode(10.0f, 10.0f, 0), 5);
    EXPECT_EQ(AddMeshNode(0.0f, 0.0f, 0), 1);
    EXPECT_EQ(AddMeshNode(0.0005f, 0.0f, -1), 6);
    EXPECT_EQ(AddMeshNode(0.0003f, 0.0009f, -1), 6);  // within 0.001 of both 1 and 6
    EXPECT_EQ(AddMeshNode(0.0003f, 0.0011f, -1), 7);  // 0.0011 from node 6 in y
    EXPECT_EQ(m.MeshNodeCount, 7);
}

TEST_F(BoundaryTest, NodeHashFindsWhatTheScanFinds) {
    std::mt19937 random(99);
    std::uniform_real_distribution<float> coordinate(-50.0f, 50.0f);
    std::uniform_real_distribution<float> jitter(-0.0015f, 0.0015f);
    // Besides the slab's own range: points some ten thousand units out
    // (the tolerance square then spans several cells), points so far out
    // or infinite or NaN that the nodes are scanned, a patch where nearly
    // every cell holds nodes (the hash's slots run full there); enough
    // nodes for the hash to grow.
    auto fresh = [&]() -> std::pair<float, float> {
        const std::uint32_t kind = random() % 64;
        const float x = coordinate(random), y = coordinate(random);
        if (kind < 8) return {x + 30000.0f, y - 30000.0f};
        if (kind < 12) return {x * 1e12f, y};
        if (kind == 12) return {INFINITY, y};
        if (kind == 13) return {x, NAN};
        if (kind < 20) return {7.0f + x * 0.002f, y * 0.002f - 3.0f};
        return {x, y};
    };
    for (float factor : {1.0f, 0.37f, 20.0f}) {
        GeometryHelper().UnitFactor(factor);
        std::vector<std::pair<float, float>> points;
        for (int i = 0; i < 9000; ++i) {
            if (i > 10 && i % 2 == 0) {
                // Near an earlier point: within the tolerance or just beyond
                // (far out the same point again).
                const auto& p = points[static_cast<std::size_t>(random() % points.size())];
                points.push_back({p.first + jitter(random) / factor, p.second + jitter(random) / factor});
            } else {
                points.push_back(fresh());
            }
        }
        std::vector<std::int16_t> scanned, hashed;
        resetBasDelaunay();
        InitStartTriangulation();
        for (std::size_t i = 0; i < points.size(); ++i)
            scanned.push_back(AddMeshNode(points[i].first, points[i].second, i % 5 == 0 ? 0 : -1));
        resetBasDelaunay();
        InitStartTriangulation();
        {
            NodeIndexScope index;
            for (std::size_t i = 0; i < points.size(); ++i) {
                hashed.push_back(AddMeshNode(points[i].first, points[i].second, i % 5 == 0 ? 0 : -1));
                if (i % 700 == 699) {
                    // Nodes taken off the end between calls, as a refused
                    // insertion does.
                    BasDelaunay& m = basDelaunay();
                    --m.MeshNodeCount;
                    m.MeshNodeX.pop_back();
                    m.MeshNodeY.pop_back();
                    hashed.back() = -hashed.back();
                }
            }
        }
        // Replay the removals in the scanned sequence.
        resetBasDelaunay();
        InitStartTriangulation();
        scanned.clear();
        for (std::size_t i = 0; i < points.size(); ++i) {
            scanned.push_back(AddMeshNode(points[i].first, points[i].second, i % 5 == 0 ? 0 : -1));
            if (i % 700 == 699) {
                BasDelaunay& m = basDelaunay();
                --m.MeshNodeCount;
                m.MeshNodeX.pop_back();
                m.MeshNodeY.pop_back();
                scanned.back() = -scanned.back();
            }
        }
        EXPECT_EQ(hashed, scanned) << "unit factor " << factor;
        EXPECT_LT(basDelaunay().MeshNodeCount, 9004);
    }
}

// The count made before any node is what the division appends (lines, arcs, points near them, a line across).
TEST_F(BoundaryTest, TheCountOfADividedPieceIsWhatItsDivisionMakes) {
    std::mt19937 random(41);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    for (int round = 0; round < 200; ++round) {
        resetBasDelaunay(), uniformSize(static_cast<float>(0.3 + 0.7 * u(random))), InitStartTriangulation();
        BasDelaunay& m = basDelaunay();
        const double length = 2.0 + 10.0 * u(random), offs[] = {0.0, 0.02, 0.2, 2.0}, tol = 0.001;
        OutlinePiece piece = straightPiece(0, 0, static_cast<float>(length), 0);
        if (round % 3 == 0)  // a half circle
            piece.IsArc = true, piece.XC = static_cast<float>(length / 2.0), piece.Direction = static_cast<std::int16_t>(round % 2);
        for (m.MeshPoints.assign(1, {}), m.MeshPointCount = 0; m.MeshPointCount < 3; ++m.MeshPointCount)
            m.MeshPoints.push_back({static_cast<float>(length * (0.1 + 0.8 * u(random))), static_cast<float>(offs[random() % 4] * (random() % 2 ? 1.0 : -1.0))});
        const Segment across{length * 0.5, -1.0, length * 0.6, 1.0};
        const auto points = SinglePointsOnSides(m, {piece}, {1}, tol);
        std::vector<std::int16_t> chain;
        AddDividedPieceNodes(piece, {&across}, points, chain, tol);
        chain.erase(std::unique(chain.begin(), chain.end()), chain.end());  // (parts meet twice)
        EXPECT_EQ(CountDividedPieceNodes(piece, {&across}, points, tol, 32767), static_cast<std::int64_t>(chain.size())) << "round " << round;
    }
}

}  // namespace
}  // namespace orvelo
