// The outline and openings recalculated from the free sides of a net.
#include "wizard_fixture.h"

#include <algorithm>
#include <map>
#include <numeric>
#include <random>
#include <set>

#include "orvelo/delaunay/side_flags.h"
#include "orvelo/wizard/boundary_recalc.h"

namespace {

using orvelo::declar;
using orvelo::NetElement;
using orvelo::OutlinePiece;
using orvelo::straightPiece;

// A net of unit cells over a grid of nx x ny cells, each present cell split
// into two triangles, with outer-side flags (bit 1) on the sides held by
// one element and 8 on the others. Nodes lie at integer points (scaled).
struct CellNet {
    int nx = 0;
    int ny = 0;
    std::set<std::pair<int, int>> cells;  // (i, j) present
    float scale = 1.0f;
};

orvelo::ProjectNet makeNet(const CellNet& c, std::mt19937* shuffle = nullptr) {
    orvelo::ProjectNet net;
    std::map<std::pair<int, int>, std::int16_t> number;
    std::vector<std::pair<int, int>> points;
    for (int j = 0; j <= c.ny; ++j)
        for (int i = 0; i <= c.nx; ++i) points.push_back({i, j});
    if (shuffle) std::shuffle(points.begin(), points.end(), *shuffle);
    for (const auto& p : points) {
        number[p] = ++net.NodeCount;
        net.NodeX.push_back(p.first * c.scale);
        net.NodeY.push_back(p.second * c.scale);
    }
    std::vector<std::array<std::int16_t, 3>> triangles;
    for (const auto& [i, j] : c.cells) {
        const std::int16_t a = number[{i, j}], b = number[{i + 1, j}], d = number[{i + 1, j + 1}],
                           e = number[{i, j + 1}];
        triangles.push_back({a, b, d});
        triangles.push_back({a, d, e});
    }
    if (shuffle) {
        std::shuffle(triangles.begin(), triangles.end(), *shuffle);
        for (auto& t : triangles) std::rotate(t.begin(), t.begin() + (*shuffle)() % 3, t.end());
    }
    std::map<std::pair<int, int>, int> held;
    for (const auto& t : triangles)
        for (int k = 0; k < 3; ++k) ++held[std::minmax<int>(t[k], t[(k + 1) % 3])];
    for (const auto& t : triangles) {
        NetElement e;
        e.CornerCount = 3;
        for (int k = 0; k < 3; ++k) {
            e.Node[k + 1] = t[k];
            e.Flag[k + 1] = held[std::minmax<int>(t[k], t[(k + 1) % 3])] == 1 ? 1 : 8;
        }
        net.ElementList.push_back(e);
        ++net.ElementCount;
    }
    return net;
}

CellNet rectangle(int nx, int ny) {
    CellNet c{nx, ny, {}, 1.0f};
    for (int i = 0; i < nx; ++i)
        for (int j = 0; j < ny; ++j) c.cells.insert({i, j});
    return c;
}

// The corner points of a loop of pieces, each piece's start in order, and
// whether each piece starts where the one before ended.
std::vector<std::pair<float, float>> cornersOf(const std::vector<OutlinePiece>& pieces, std::size_t first,
                                                std::size_t count) {
    std::vector<std::pair<float, float>> corners;
    for (std::size_t k = first; k < first + count; ++k) {
        corners.push_back({pieces[k].X1, pieces[k].Y1});
        const OutlinePiece& nextPiece = pieces[k + 1 < first + count ? k + 1 : first];
        EXPECT_EQ(pieces[k].X2, nextPiece.X1);
        EXPECT_EQ(pieces[k].Y2, nextPiece.Y1);
        EXPECT_FALSE(pieces[k].IsArc);
    }
    std::sort(corners.begin(), corners.end());
    return corners;
}

using Corners = std::vector<std::pair<float, float>>;

class BoundaryTest : public WizardTest {
protected:
    void recalculate(const orvelo::ProjectNet& net) {
        orvelo::Declar& d = declar();
        orvelo::setProjectNet(d, net);
        orvelo::RecalculateMeshBoundary();
    }
};

TEST_F(BoundaryTest, RectangleNetGivesAFourPieceOutline) {
    orvelo::Declar& d = declar();
    d.OpeningCount = 1;  // openings read with the project are discarded
    d.OpeningPieceCount = {0, 1};
    d.OpeningPieces.assign(2, std::vector<OutlinePiece>(2));
    d.MaxOpeningPieces = 1;
    const orvelo::ProjectNet net = makeNet(rectangle(6, 4));
    recalculate(net);
    ASSERT_EQ(d.OutlinePieceCount, 4);
    ASSERT_EQ(d.OutlinePieces.size(), 5u);
    EXPECT_EQ(cornersOf(d.OutlinePieces, 1, 4), (Corners{{0, 0}, {0, 4}, {6, 0}, {6, 4}}));
    EXPECT_EQ(d.OpeningCount, 0);
    EXPECT_EQ(d.MaxOpeningPieces, 0);
    EXPECT_EQ(d.OpeningPieces.size(), 1u);
    EXPECT_EQ(d.OpeningPieceCount.size(), 1u);
    EXPECT_EQ(orvelo::projectNetOf(d), net) << "the net's flags stay as they were";
}

TEST_F(BoundaryTest, SlabWithAnOpeningGivesOutlineAndOpeningWhicheverIsTracedFirst) {
    CellNet c = rectangle(6, 4);
    c.cells.erase({2, 1});
    c.cells.erase({3, 1});
    c.cells.erase({2, 2});
    std::mt19937 random(7);
    bool openingFirst = false;
    for (int round = 0; round < 12; ++round) {
        const orvelo::ProjectNet net = makeNet(c, &random);
        std::vector<orvelo::BoundaryLoop> loops;
        ASSERT_TRUE(orvelo::TraceFreeSideLoops(net, loops));
        ASSERT_EQ(loops.size(), 2u);
        openingFirst |= loops[0].pieces.size() == 8;  // the L-shaped opening
        recalculate(net);
        const orvelo::Declar& d = declar();
        ASSERT_EQ(d.OutlinePieceCount, 4);
        EXPECT_EQ(cornersOf(d.OutlinePieces, 1, 4), (Corners{{0, 0}, {0, 4}, {6, 0}, {6, 4}}));
        ASSERT_EQ(d.OpeningCount, 1);
        ASSERT_EQ(d.OpeningPieceCount[1], 6);
        EXPECT_EQ(d.MaxOpeningPieces, 6);
        EXPECT_EQ(cornersOf(d.OpeningPieces[1], 1, 6), (Corners{{2, 1}, {2, 3}, {3, 2}, {3, 3}, {4, 1}, {4, 2}}));
    }
    EXPECT_TRUE(openingFirst) << "some round traced the opening first";
}

TEST_F(BoundaryTest, SlabPartsThatDoNotTouchEachKeepTheirOwnOutline) {
    CellNet c = rectangle(7, 3);
    for (int j = 0; j < 3; ++j) c.cells.erase({3, j});  // two slabs side by side
    recalculate(makeNet(c));
    const orvelo::Declar& d = declar();
    ASSERT_EQ(d.OutlinePieceCount, 8);
    EXPECT_EQ(cornersOf(d.OutlinePieces, 1, 4), (Corners{{0, 0}, {0, 3}, {3, 0}, {3, 3}}));
    EXPECT_EQ(cornersOf(d.OutlinePieces, 5, 4), (Corners{{4, 0}, {4, 3}, {7, 0}, {7, 3}}));
    EXPECT_EQ(d.OpeningCount, 0);
}

TEST_F(BoundaryTest, CollinearTestUsesTheCurrentNetsScaleAndComparesLengths) {
    // A slab 100 long whose lower middle node lies 0.02 above the straight
    // edge: within the tolerance of a net of this extent (0.0312), though
    // twice the triangle's area (2) is not, and though an earlier run left
    // a unit factor of a tiny net.
    orvelo::ProjectNet net = makeNet(CellNet{2, 1, {{0, 0}, {1, 0}}, 1.0f});
    for (std::int16_t n = 1; n <= net.NodeCount; ++n) {
        net.NodeX[n] *= 50.0f;
        net.NodeY[n] *= 10.0f;
        if (net.NodeX[n] == 50.0f && net.NodeY[n] == 0.0f) net.NodeY[n] = 0.02f;
    }
    orvelo::GeometryHelper().UnitFactor(1000.0f);
    recalculate(net);
    EXPECT_EQ(declar().OutlinePieceCount, 4);

    // Beyond the tolerance the turn stays.
    for (std::int16_t n = 1; n <= net.NodeCount; ++n)
        if (net.NodeY[n] == 0.02f) net.NodeY[n] = 0.05f;
    recalculate(net);
    EXPECT_EQ(declar().OutlinePieceCount, 5);
}

TEST_F(BoundaryTest, JoiningWorksAcrossTheSeamAndNotAcrossAFold) {
    orvelo::BoundaryLoop loop;
    loop.closed = true;
    // A square traced from the middle of its lower side.
    loop.pieces = {straightPiece(1, 0, 2, 0), straightPiece(2, 0, 2, 2), straightPiece(2, 2, 0, 2),
                   straightPiece(0, 2, 0, 0), straightPiece(0, 0, 1, 0)};
    orvelo::JoinCollinearPieces(loop, 0.001);
    ASSERT_EQ(loop.pieces.size(), 4u);
    EXPECT_EQ(loop.pieces[0], straightPiece(0, 0, 2, 0));

    // An open chain is not joined across its ends; a piece that turns back
    // on the one before is kept.
    orvelo::BoundaryLoop chain;
    chain.pieces = {straightPiece(0, 0, 1, 0), straightPiece(1, 0, 1, 1), straightPiece(1, 1, 1, 0.5f),
                    straightPiece(1, 0.5f, 0, 0)};
    orvelo::JoinCollinearPieces(chain, 0.001);
    EXPECT_EQ(chain.pieces.size(), 4u);
}

TEST_F(BoundaryTest, NetWithoutFreeSidesLeavesTheSlabAsRead) {
    orvelo::ProjectNet net = makeNet(rectangle(2, 2));
    for (std::size_t e = 1; e < net.ElementList.size(); ++e)
        for (int k = 1; k <= 3; ++k) net.ElementList[e].Flag[k] = 8;
    orvelo::Declar& d = declar();
    d.OutlinePieceCount = 1;
    d.OutlinePieces = {OutlinePiece{}, straightPiece(0, 0, 9, 9)};
    d.OpeningCount = 1;
    d.OpeningPieceCount = {0, 1};
    d.OpeningPieces.assign(2, std::vector<OutlinePiece>(2));
    recalculate(net);
    EXPECT_EQ(d.OutlinePieceCount, 1);
    EXPECT_EQ(d.OpeningCount, 1);
}

TEST_F(BoundaryTest, AStopLeavesTheSlabAsItWasAndStopsTheRun) {
    orvelo::Declar& d = declar();
    d.OutlinePieceCount = 1;
    d.OutlinePieces = {OutlinePiece{}, straightPiece(0, 0, 9, 9)};
    orvelo::setProjectNet(d, makeNet(rectangle(3, 3)));
    d.RecalculateBoundaryFlag = true;
    for (int stopAt : {3, 13, 14}) {  // while tracing, while joining, while classifying
        orvelo::RunControl().RunState(0);
        drovik::ClsWaitWindow::stopAfterUpdates(stopAt);
        orvelo::RunWaitOperation(orvelo::OpRecalculateBoundary);
        EXPECT_EQ(runState(), halvex::ExitWithoutSaving) << stopAt;
        EXPECT_EQ(d.OutlinePieceCount, 1) << stopAt;
        EXPECT_EQ(d.OpeningCount, 0) << stopAt;
    }
    drovik::ClsWaitWindow::stopAfterUpdates(0);
    orvelo::RunControl().RunState(0);
    orvelo::RunWaitOperation(orvelo::OpRecalculateBoundary);
    EXPECT_EQ(d.OutlinePieceCount, 4);
    EXPECT_EQ(orvelo::operationRunner().CurrentOperation->ObjFENetGeneration()->updateCount(), 12 + 1 + 1);
    // Off: the operation only shows its status text.
    d.RecalculateBoundaryFlag = false;
    d.OutlinePieceCount = 1;
    orvelo::RunWaitOperation(orvelo::OpRecalculateBoundary);
    EXPECT_EQ(d.OutlinePieceCount, 1);
}

// The tracing as the plain scan does it: each piece found by scanning the
// elements from the first one again.
std::vector<orvelo::BoundaryLoop> traceByScan(orvelo::ProjectNet net) {
    std::vector<orvelo::BoundaryLoop> loops;
    auto pieceOf = [&](std::int16_t a, std::int16_t b) {
        return straightPiece(net.NodeX[a], net.NodeY[a], net.NodeX[b], net.NodeY[b]);
    };
    bool open = false;
    std::int16_t start = 0, end = 0;
    for (;;) {
        bool found = false;
        for (std::int16_t k = 1; k <= net.ElementCount && !found; ++k) {
            NetElement& e = net.ElementList[k];
            for (int l = 1; l <= e.CornerCount && !found; ++l) {
                if ((e.Flag[l] & 1) == 0) continue;
                const std::int16_t own = e.Node[l], far = e.Node[l == e.CornerCount ? 1 : l + 1];
                if (!open) {
                    loops.push_back({{pieceOf(own, far)}, false});
                    start = own;
                    end = far;
                    open = true;
                } else if (far == end || own == end) {
                    const std::int16_t other = far == end ? own : far;
                    loops.back().pieces.push_back(pieceOf(end, other));
                    end = other;
                } else {
                    continue;
                }
                e.Flag[l] = 8;
                found = true;
            }
        }
        if (found && open && end == start && loops.back().pieces.size() > 1) {
            loops.back().closed = true;
            open = false;
        } else if (!found) {
            if (!open) break;
            open = false;
        }
    }
    return loops;
}

TEST_F(BoundaryTest, TracingGivesTheLoopsOfThePlainScanOnRandomNets) {
    std::mt19937 random(2024);
    for (int round = 0; round < 60; ++round) {
        CellNet c{8, 6, {}, 1.0f};
        std::bernoulli_distribution present(0.7);
        for (int i = 0; i < c.nx; ++i)
            for (int j = 0; j < c.ny; ++j)
                if (present(random)) c.cells.insert({i, j});
        const orvelo::ProjectNet net = makeNet(c, &random);
        std::vector<orvelo::BoundaryLoop> loops;
        ASSERT_TRUE(orvelo::TraceFreeSideLoops(net, loops));
        const std::vector<orvelo::BoundaryLoop> expected = traceByScan(net);
        ASSERT_EQ(loops.size(), expected.size()) << "round " << round;
        for (std::size_t k = 0; k < loops.size(); ++k) {
            EXPECT_EQ(loops[k].pieces, expected[k].pieces) << "round " << round << ", loop " << k;
            EXPECT_EQ(loops[k].closed, expected[k].closed) << "round " << round << ", loop " << k;
        }
    }
}


// Outline minus openings, each loop's area taken whole (outline loops end
// where a piece comes back to its loop's start), and whether any two pieces
// of the slab description cross.
double describedArea(const orvelo::Declar& d, bool& crossing) {
    std::vector<OutlinePiece> pieces;
    double area = 0.0, twice = 0.0;
    auto take = [&](const OutlinePiece& p) {
        twice += static_cast<double>(p.X1) * p.Y2 - static_cast<double>(p.X2) * p.Y1;
        pieces.push_back(p);
    };
    std::size_t first = 1;
    for (std::size_t k = 1; k <= static_cast<std::size_t>(d.OutlinePieceCount); ++k) {
        take(d.OutlinePieces[k]);
        if (d.OutlinePieces[k].X2 == d.OutlinePieces[first].X1 && d.OutlinePieces[k].Y2 == d.OutlinePieces[first].Y1) {
            area += std::abs(twice) / 2.0, twice = 0.0;
            first = k + 1;
        }
    }
    EXPECT_EQ(first, static_cast<std::size_t>(d.OutlinePieceCount) + 1) << "the outline ends with a closed loop";
    for (std::size_t o = 1; o <= static_cast<std::size_t>(d.OpeningCount); ++o) {
        for (std::size_t k = 1; k <= static_cast<std::size_t>(d.OpeningPieceCount[o]); ++k) take(d.OpeningPieces[o][k]);
        area -= std::abs(twice) / 2.0, twice = 0.0;
    }
    auto side = [](float ax, float ay, float bx, float by, float cx, float cy) {
        const double t = (static_cast<double>(bx) - ax) * (cy - ay) - (static_cast<double>(by) - ay) * (cx - ax);
        return t > 0 ? 1 : t < 0 ? -1 : 0;
    };
    crossing = false;
    for (std::size_t i = 0; i < pieces.size(); ++i)
        for (std::size_t j = i + 1; j < pieces.size(); ++j) {
            const OutlinePiece& a = pieces[i];
            const OutlinePiece& b = pieces[j];
            crossing |= side(a.X1, a.Y1, a.X2, a.Y2, b.X1, b.Y1) * side(a.X1, a.Y1, a.X2, a.Y2, b.X2, b.Y2) < 0 &&
                        side(b.X1, b.Y1, b.X2, b.Y2, a.X1, a.Y1) * side(b.X1, b.Y1, b.X2, b.Y2, a.X2, a.Y2) < 0;
        }
    return area;
}

TEST_F(BoundaryTest, NetsWhosePartsTouchAtANodeGiveLoopsThatNeitherCrossNorMisclassify) {
    // Random cell nets are full of nodes where two pieces of slab or two
    // holes meet corner to corner; their outline less their openings must
    // still be the net's area, with no piece crossing another.
    std::mt19937 random(99);
    for (int round = 0; round < 80; ++round) {
        CellNet c{9, 7, {}, 1.0f};
        std::bernoulli_distribution present(0.6 + 0.3 * (round % 4) / 4.0);
        for (int i = 0; i < c.nx; ++i)
            for (int j = 0; j < c.ny; ++j)
                if (present(random)) c.cells.insert({i, j});
        if (c.cells.empty()) continue;
        orvelo::RunControl().RunState(0);
        recalculate(makeNet(c, &random));
        bool crossing = false;
        EXPECT_EQ(describedArea(declar(), crossing), static_cast<double>(c.cells.size())) << "round " << round;
        EXPECT_FALSE(crossing) << "round " << round;
    }
}

TEST_F(BoundaryTest, AnIslandAFewRegionUnitsInsideItsOpeningIsStillAnIsland) {
    // A slab 1000 wide, far from the origin, whose opening is a ring 1 wide
    // (a third of a region unit of this net, three times the tolerance)
    // round an island.
    CellNet c = rectangle(7, 7);
    for (int i = 1; i <= 5; ++i)
        for (int j = 1; j <= 5; ++j)
            if (i == 1 || i == 5 || j == 1 || j == 5) c.cells.erase({i, j});
    std::mt19937 random(5);
    for (int round = 0; round < 8; ++round) {
        orvelo::ProjectNet net = makeNet(c, &random);
        const float graded[] = {0.0f, 200.0f, 201.0f, 400.0f, 600.0f, 799.0f, 800.0f, 1000.0f};
        for (std::int16_t n = 1; n <= net.NodeCount; ++n) {
            net.NodeX[n] = 1e6f + graded[static_cast<int>(net.NodeX[n])];
            net.NodeY[n] = 1e6f + graded[static_cast<int>(net.NodeY[n])];
        }
        recalculate(net);
        ASSERT_EQ(declar().OpeningCount, 1) << round;
        bool crossing = false;
        EXPECT_NEAR(describedArea(declar(), crossing), 1e6 - 600.0 * 600.0 + 598.0 * 598.0, 1.0) << round;
    }
}

TEST_F(BoundaryTest, AFinelyDividedCurveIsNotJoinedIntoAFewLongPieces) {
    // 4000 pieces round a circle of radius 10: each turns far less than the
    // tolerance, but the joined pieces must stay within it of every node.
    orvelo::BoundaryLoop loop;
    loop.closed = true;
    const int n = 4000;
    auto at = [&](int k) { return std::pair<float, float>(10.0f * std::cos(2 * M_PI * (k % n) / n), 10.0f * std::sin(2 * M_PI * (k % n) / n)); };
    for (int k = 0; k < n; ++k) loop.pieces.push_back(straightPiece(at(k).first, at(k).second, at(k + 1).first, at(k + 1).second));
    const double tol = 0.0078;
    orvelo::JoinCollinearPieces(loop, tol);
    for (int k = 0; k < n; ++k) {
        double nearest = 1e9;
        for (const OutlinePiece& p : loop.pieces) {
            const double dx = p.X2 - p.X1, dy = p.Y2 - p.Y1;
            const double t = std::clamp(((at(k).first - p.X1) * dx + (at(k).second - p.Y1) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
            nearest = std::min(nearest, std::hypot(p.X1 + t * dx - at(k).first, p.Y1 + t * dy - at(k).second));
        }
        ASSERT_LE(nearest, tol * 1.01) << "node " << k << " of " << loop.pieces.size() << " pieces";
    }
}

TEST_F(BoundaryTest, ANetWhoseBorderCannotBeTracedIsRefusedAndTheSlabKept) {
    // Each net is refused with its message; the slab stays as read.
    auto refused = [&](const orvelo::ProjectNet& net, std::int32_t textNo) {
        orvelo::Declar& d = declar();
        d.OutlinePieceCount = 1;
        d.OutlinePieces = {OutlinePiece{}, straightPiece(0, 0, 9, 9)};
        orvelo::setProjectNet(d, net);
        d.RecalculateBoundaryFlag = true;
        orvelo::RunControl().RunState(0);
        box->answer(forms::vbOK);
        orvelo::RunWaitOperation(orvelo::OpRecalculateBoundary);
        EXPECT_EQ(runState(), halvex::ExitWithoutSaving) << textNo;
        EXPECT_EQ(d.OutlinePieceCount, 1) << textNo;
        const std::string expected = text(textNo).substr(0, 40);
        EXPECT_NE(prompts().back().find(expected), std::string::npos) << prompts().back();
    };
    // A border side without its flag: the chain of free sides stays open.
    orvelo::ProjectNet open = makeNet(rectangle(3, 2));
    for (int k = 1; k <= 3; ++k)
        if (open.ElementList[1].Flag[k] == 1) open.ElementList[1].Flag[k] = 8;
    refused(open, 190165);
    // A node on the side of a neighbour that does not end there: the right
    // cell of two is halved, its middle node lies on the left cell's side.
    orvelo::ProjectNet hanging;
    hanging.NodeCount = 7;
    hanging.NodeX = {0, 0, 1, 1, 0, 2, 2, 1};
    hanging.NodeY = {0, 0, 0, 2, 2, 0, 2, 1};
    for (std::array<std::int16_t, 4> q : {std::array<std::int16_t, 4>{1, 2, 3, 4}, {2, 5, 7, 2}, {7, 6, 3, 7}}) {
        NetElement e;
        e.CornerCount = q[3] == q[0] ? 3 : 4;
        for (int k = 0; k < e.CornerCount; ++k) e.Node[k + 1] = q[static_cast<std::size_t>(k)];
        hanging.ElementList.push_back(e);
        ++hanging.ElementCount;
    }
    orvelo::BuildElementSideFlags(hanging.ElementList, nullptr);
    refused(hanging, 190166);
    // An element lying on top of the others.
    orvelo::ProjectNet over = makeNet(rectangle(3, 3));
    NetElement top;
    top.CornerCount = 3;
    over.NodeX.insert(over.NodeX.end(), {1.2f, 1.8f, 1.5f});
    over.NodeY.insert(over.NodeY.end(), {1.2f, 1.2f, 1.8f});
    top.Node = {0, static_cast<std::int16_t>(over.NodeCount + 1), static_cast<std::int16_t>(over.NodeCount + 2),
                static_cast<std::int16_t>(over.NodeCount + 3), 0};
    top.Flag = {0, 1, 1, 1, 0};
    over.NodeCount += 3;
    over.ElementList.push_back(top);
    ++over.ElementCount;
    refused(over, 190167);
}

}  // namespace
