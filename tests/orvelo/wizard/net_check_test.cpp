// The FE-net check and its thin-triangle repair on small hand-made nets and
// on random nets with planted defects.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "halvex/interface/enums.h"
#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/mixed_net_check.h"
#include "orvelo/delaunay/side_flags.h"
#include "orvelo/model/declar.h"
#include "orvelo/program_fixture.h"
#include "orvelo/project/services.h"
#include "orvelo/wizard/net_check.h"
#include "orvelo/wizard/operation_runner.h"
#include "outside/drovik/net_settings.h"
#include "outside/drovik/region_test.h"
#include "outside/drovik/wait_window.h"
#include "platform/forms/display.h"
#include "platform/forms/form.h"
#include "platform/forms/input.h"

namespace {

using orvelo::NetElement;

std::string text(std::int32_t number) { return orvelo::LanguageTexts().GetText(rt::Variant(number)); }

struct Net {
    std::vector<float> x{0.0f}, y{0.0f};
    std::vector<NetElement> elements{NetElement{}};

    std::int16_t node(float px, float py)
    {
        x.push_back(px);
        y.push_back(py);
        return static_cast<std::int16_t>(x.size() - 1);
    }
    void element(std::initializer_list<std::int16_t> corners)
    {
        NetElement e;
        e.CornerCount = static_cast<std::int32_t>(corners.size());
        int k = 1;
        for (std::int16_t n : corners) e.Node[static_cast<std::size_t>(k++)] = n;
        elements.push_back(e);
    }
    // Into the project net, with its side flags.
    void install() const
    {
        orvelo::Declar& d = orvelo::declar();
        d.NodeCount = static_cast<std::int16_t>(x.size() - 1);
        d.NodeX = x;
        d.NodeY = y;
        d.ElementCount = static_cast<std::int16_t>(elements.size() - 1);
        d.ElementList = elements;
        orvelo::BuildElementSideFlags(d.ElementList, nullptr);
    }
};

// The project net as the mesher-net verifier takes it.
orvelo::BasDelaunay projectNet()
{
    const orvelo::Declar& d = orvelo::declar();
    orvelo::BasDelaunay m;
    m.MeshNodeCount = d.NodeCount;
    m.MeshNodeX = d.NodeX;
    m.MeshNodeY = d.NodeY;
    m.MeshElementCount = d.ElementCount;
    m.MeshElementList = d.ElementList;
    return m;
}

class NetCheckTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        orvelotest::ResetProgramState();
        orvelo::resetOperationRunner();
        orvelo::resetNetCheck();
        orvelo::NetSettings().AngleLimit(30.0f);
    }
    void TearDown() override
    {
        orvelo::resetNetCheck();
        orvelotest::ReleaseProgramState();
    }

    // Runs the check; the list dialog shows `entries`, ticks the entries of
    // the texts `tick` (all when not given) and confirms, or cancels.
    void runCheck(std::vector<std::string>* entries = nullptr, std::optional<std::vector<std::int32_t>> tick = {},
                  bool cancel = false)
    {
        forms::ScopedModalDriver driver([&](forms::Form& form) {
            forms::Control& list = form.control("LstGroup");
            if (entries) entries->clear();
            for (std::int16_t e = 0; e < list.ListCount(); ++e) {
                if (entries) entries->push_back(list.List(e));
                bool wanted = !tick;
                if (tick)
                    for (std::int32_t t : *tick) wanted = wanted || list.List(e) == text(t);
                forms::checkItem(list, e, wanted);
            }
            forms::click(form.control(cancel ? "CmdCancel" : "cmdOK"));
        });
        orvelo::RunFENetCheck();
        EXPECT_EQ(drovik::liveRegionCount(), 0);
    }
    void runTicking(std::vector<std::int32_t> tick) { runCheck(nullptr, std::move(tick)); }
};

// The project net conforms and its side flags are current.
void expectSoundNet()
{
    const orvelo::BasDelaunay m = projectNet();
    EXPECT_EQ(orvelo::meshcheck::CheckMixedNet(m), std::vector<std::string>{});
    EXPECT_EQ(orvelo::meshcheck::CheckMixedSideFlags(m), std::vector<std::string>{});
}

TEST(NetCheckAngles, TriangleAnglesAndTheLimit)
{
    double c1 = 9, c2 = 9, c3 = 9;
    std::int16_t longest = 0;
    orvelo::GetTriangleAngles(0, 3, 0, 0, 0, 4, c1, c2, c3, longest);  // right angle at corner 1
    EXPECT_EQ(longest, 1);
    EXPECT_DOUBLE_EQ(c1, 0.0);
    EXPECT_NEAR(c2, 0.6, 1e-7);
    EXPECT_NEAR(c3, 0.8, 1e-7);
    orvelo::GetTriangleAngles(0, 0, 5, 0, 0, 1, c1, c2, c3, longest);  // corners 1 and 2 coincide
    EXPECT_TRUE(c3 == 1.0 && c1 == 0.0);
    orvelo::GetTriangleAngles(0, 2, 1, 0, 0, 5, c1, c2, c3, longest);  // sides 1 and 2 equal and longest
    EXPECT_EQ(longest, 1);

    Net net;
    net.element({net.node(0, 0), net.node(3, 0), net.node(0, 4)});
    double worst = -2;
    EXPECT_EQ(orvelo::CheckElementAngle(net.elements[1], net.x, net.y, 0.0f, worst), 0);
    EXPECT_EQ(orvelo::CheckElementAngle(net.elements[1], net.x, net.y, 90.0f, worst), 1);
    EXPECT_NEAR(worst, 0.8, 1e-7);  // not the right angle: 90 degrees is not below the limit
    EXPECT_EQ(orvelo::CheckElementAngle(net.elements[1], net.x, net.y, 36.0f, worst), 0);
    EXPECT_EQ(orvelo::CheckElementAngle(net.elements[1], net.x, net.y, 37.0f, worst), 1);
}

TEST_F(NetCheckTest, EachKindIsListedInItsOrderAndCancelChangesNothing)
{
    Net net;
    for (int j = 0; j <= 2; ++j)
        for (int i = 0; i <= 2; ++i) net.node(static_cast<float>(i), static_cast<float>(j));
    net.element({1, 2, 5});
    net.element({1, 5, 4});
    net.element({2, 3, 6, 5});
    net.element({4, 5, 8, 7});
    net.element({5, 9, 8});
    net.element({5, 6, 10});    // node 10 lies 0.005 from node 9: close
    net.node(2.0f, 1.995f);     // 10
    net.node(1.3f, 1.7f);       // 11: in no element, inside element 5 (foreign)
    net.install();
    const orvelo::Declar before = orvelo::declar();
    orvelo::NetSettings().AngleLimit(50.0f);  // the 45 degree corners are small
    orvelo::netCheck().CheckAnglesFlag = orvelo::netCheck().CheckForeignNodesFlag = true;
    orvelo::netCheck().MinNodeDistance = 0.01f;
    std::vector<std::string> entries;
    runCheck(&entries, std::nullopt, true);
    EXPECT_EQ(entries, (std::vector<std::string>{text(10236), text(10234), text(10238), text(10237)}));
    EXPECT_TRUE(orvelo::declar().ElementList == before.ElementList && orvelo::declar().NodeX == before.NodeX);
    EXPECT_EQ(orvelo::NetSettings().takeNetCalls(), 0);

    // Nothing ticked: nothing changes either.
    runTicking({});
    EXPECT_EQ(orvelo::declar().ElementList, before.ElementList);
    EXPECT_EQ(orvelo::NetSettings().takeNetCalls(), 0);

    // Small angles alone never hand the net over.
    runTicking({10237});
    EXPECT_EQ(orvelo::NetSettings().takeNetCalls(), 0);
}

TEST_F(NetCheckTest, SoundFineNetFindsNothingAndBordersAreNotForeign)
{
    // A graded net on a 30 m slab, 0.05 m elements at one edge: no dialog.
    Net net;
    std::vector<float> xs{0.0f};
    for (float h = 0.05f; xs.back() < 30.0f; h = std::min(h * 1.15f, 1.0f)) xs.push_back(std::min(30.0f, xs.back() + h));
    const int ny = 30;
    for (int j = 0; j <= ny; ++j)
        for (float x : xs) net.node(x, static_cast<float>(j));
    const auto row = static_cast<std::int16_t>(xs.size());
    for (int j = 0; j < ny; ++j)
        for (int i = 0; i + 1 < row; ++i) {
            const auto a = static_cast<std::int16_t>(j * row + i + 1);
            net.element({a, static_cast<std::int16_t>(a + 1), static_cast<std::int16_t>(a + row + 1),
                         static_cast<std::int16_t>(a + row)});
        }
    net.install();
    orvelo::netCheck().CheckForeignNodesFlag = orvelo::netCheck().CheckAnglesFlag = true;
    orvelo::netCheck().MinNodeDistance = 0.05f;  // exactly the finest spacing: not close
    orvelo::NetSettings().AngleLimit(1.0f);
    forms::ScopedModalDriver none([](forms::Form&) { ADD_FAILURE() << "no dialog expected"; });
    orvelo::RunFENetCheck();
    EXPECT_EQ(orvelo::declar().ElementCount, row * ny - ny);
    EXPECT_EQ(drovik::liveRegionCount(), 0);
}

TEST_F(NetCheckTest, MergesKeepTheNetConforming)
{
    // A 2 x 2 grid whose right half uses node 10, a double of node 5; the
    // two slivers between them hold both and go with the merge.
    Net net;
    for (int j = 0; j <= 2; ++j)
        for (int i = 0; i <= 2; ++i) net.node(static_cast<float>(i), static_cast<float>(j));  // 1..9
    const std::int16_t twin = net.node(1.004f, 1.0f);                                          // 10
    net.element({1, 2, 5});
    net.element({1, 5, 4});
    net.element({4, 5, 8});
    net.element({4, 8, 7});
    net.element({2, 3, 6, twin});
    net.element({twin, 6, 9, 8});
    net.element({5, 2, twin});
    net.element({5, twin, 8});
    net.install();
    orvelo::netCheck().CheckAnglesFlag = true;
    orvelo::netCheck().MinNodeDistance = 0.01f;
    runTicking({10234, 10236});
    const orvelo::Declar& d = orvelo::declar();
    expectSoundNet();
    EXPECT_EQ(orvelo::NetSettings().takeNetCalls(), 1);
    EXPECT_EQ(d.NodeCount, 9);
    EXPECT_EQ(d.ElementCount, 6);
    EXPECT_FLOAT_EQ(d.NodeX[5], 1.002f);  // inside: the midpoint
}

TEST_F(NetCheckTest, OutlineNodeStaysWhereItIs)
{
    Net net;
    const auto a = net.node(0, 0), b = net.node(2, 0), c = net.node(2, 2), e = net.node(0, 2);
    const auto inner = net.node(1.0f, 0.004f);  // near the outline node below
    const auto edge = net.node(1.0f, 0.0f);
    net.element({a, edge, inner});
    net.element({edge, b, inner});
    net.element({a, inner, e});
    net.element({inner, b, c});
    net.element({inner, c, e});
    net.install();
    orvelo::netCheck().CheckAnglesFlag = true;
    orvelo::netCheck().MinNodeDistance = 0.01f;
    runTicking({10234});
    const orvelo::Declar& d = orvelo::declar();
    // The outline node keeps its place; the two thin triangles went with the merge.
    EXPECT_EQ(d.NodeCount, 5);
    EXPECT_EQ(d.ElementCount, 3);
    for (std::int16_t n = 1; n <= d.NodeCount; ++n) EXPECT_GE(d.NodeY[static_cast<std::size_t>(n)], 0.0f);
    expectSoundNet();
}

TEST_F(NetCheckTest, MergeCollapsesAQuadrilateralChainsAndRefusesToFold)
{
    orvelo::netCheck().CheckAnglesFlag = true;
    orvelo::netCheck().MinNodeDistance = 0.01f;
    orvelo::NetSettings().AngleLimit(0.0f);

    // Quadrilateral 2 holds the close border nodes 2 and 3 as neighbours:
    // it becomes the triangle of its other corners.
    Net quad;
    const auto q1 = quad.node(0, 0), q2 = quad.node(1, 0), q3 = quad.node(1.005f, 0), q4 = quad.node(2, 0);
    const auto q5 = quad.node(0, 1), q6 = quad.node(1, 1), q7 = quad.node(2, 1);
    quad.element({q1, q2, q6, q5});
    quad.element({q2, q3, q7, q6});
    quad.element({q3, q4, q7});
    quad.install();
    runTicking({10234});
    ASSERT_EQ(orvelo::declar().ElementCount, 3);
    EXPECT_EQ(orvelo::declar().ElementList[2].CornerCount, 3);
    expectSoundNet();

    // A chain of three: node 2 absorbs node 3, then node 4 against the
    // moved node 2 (0.012 from where node 2 was).
    orvelo::resetServices(), orvelo::NetSettings().AngleLimit(0.0f);
    Net chain;
    const auto c1 = chain.node(0, 0);
    chain.node(1.0f, 0.5f);
    chain.node(1.006f, 0.5f);
    chain.node(1.012f, 0.5f);
    const auto c5 = chain.node(3, 0), c6 = chain.node(0, 3);
    chain.element({c1, c5, c6});
    chain.install();
    runTicking({10234});
    ASSERT_EQ(orvelo::declar().NodeCount, 4);
    EXPECT_NEAR(orvelo::declar().NodeX[2], 1.0075f, 1e-6f);

    // Moving node 3 to the midpoint would turn element 1 over: nothing moves.
    orvelo::resetServices(), orvelo::NetSettings().AngleLimit(0.0f);
    Net fold;
    const auto a = fold.node(-1, 0), b = fold.node(1, 0), j = fold.node(0, 0.002f), i = fold.node(0, -0.004f);
    fold.element({a, b, j});
    fold.element({b, a, i});
    fold.install();
    const orvelo::Declar before = orvelo::declar();
    runTicking({10234});
    EXPECT_EQ(orvelo::declar().NodeY, before.NodeY);
    EXPECT_EQ(orvelo::declar().ElementCount, 2);
    EXPECT_EQ(orvelo::NetSettings().takeNetCalls(), 0);
}

TEST_F(NetCheckTest, ThinTrianglesMergeOrMoveTheirDiagonalOnlyWhenTheShapeHolds)
{
    // Thin triangle 1 (corner 3 far from its longest side 1-2) against
    // triangle 2 below: they merge into one convex quadrilateral, which
    // keeps the flags of the sides it had.
    Net net;
    const auto n1 = net.node(0, 0), n2 = net.node(4, 0), n3 = net.node(2, 0.3f), n4 = net.node(2, -2);
    net.element({n1, n2, n3});
    net.element({n2, n1, n4});
    net.install();
    orvelo::netCheck().CheckAnglesFlag = true;
    runTicking({10237});
    const orvelo::Declar& d = orvelo::declar();
    ASSERT_EQ(d.ElementCount, 1);
    EXPECT_EQ(d.ElementList[1].CornerCount, 4);
    expectSoundNet();

    // The same against a triangle that would give a non-convex
    // quadrilateral: refused. And a longest side on the border: nothing.
    Net concave;
    const auto c1 = concave.node(0, 0), c2 = concave.node(4, 0), c3 = concave.node(2, 0.3f), c4 = concave.node(-1.0f, -0.1f);
    concave.element({c1, c2, c3});
    concave.element({c2, c1, c4});
    concave.install();
    const orvelo::Declar kept = orvelo::declar();
    runTicking({10237});
    EXPECT_TRUE(orvelo::declar().ElementList == kept.ElementList && orvelo::declar().NodeX == kept.NodeX);
}

TEST_F(NetCheckTest, MergedQuadrilateralCarriesTheSideFlagsWhereverTheSharedSideLies)
{
    // Two thin triangles sharing their longest side 1-2 merge once; the
    // second's corners start at each of its three corners in turn.
    for (int rotation = 0; rotation < 3; ++rotation) {
        orvelo::resetNetCheck();
        Net net;
        const auto n1 = net.node(0, 0), n2 = net.node(4, 0), n3 = net.node(2, 0.3f), n4 = net.node(2, -0.3f);
        net.element({n1, n2, n3});
        std::array<std::int16_t, 3> second{n2, n1, n4};
        std::rotate(second.begin(), second.begin() + rotation, second.end());
        net.element({second[0], second[1], second[2]});
        net.install();
        // Bits other than 1, 8 and 32 travel with their sides: B-C and C-A.
        orvelo::declar().ElementList[1].Flag[2] |= halvex::BoundarySide;
        orvelo::declar().ElementList[1].Flag[3] |= halvex::FreeNode;
        orvelo::netCheck().CheckAnglesFlag = true;
        runTicking({10237});
        const orvelo::Declar& d = orvelo::declar();
        ASSERT_EQ(d.ElementCount, 1) << rotation;
        const NetElement& quad = d.ElementList[1];
        ASSERT_EQ(quad.CornerCount, 4);
        for (int k = 1; k <= 4; ++k) {
            const std::int16_t from = quad.Node[static_cast<std::size_t>(k)];
            const std::int16_t to = quad.Node[static_cast<std::size_t>(k % 4 + 1)];
            const std::int32_t flag = quad.Flag[static_cast<std::size_t>(k)];
            EXPECT_EQ((flag & halvex::BoundarySide) != 0, from == n2 && to == n3) << rotation << " side " << k;
            EXPECT_EQ((flag & halvex::FreeNode) != 0, from == n3 && to == n1) << rotation << " side " << k;
        }
        expectSoundNet();
    }
}

TEST_F(NetCheckTest, DiagonalMoveIntoAQuadrilateral)
{
    // Thin triangle 1 on the side 1-2 of the quadrilateral 2 below.
    Net net;
    const auto n1 = net.node(0, 0), n2 = net.node(4, 0), n3 = net.node(2, 0.4f);
    const auto n4 = net.node(4, -3), n5 = net.node(0, -3);
    net.element({n1, n2, n3});
    net.element({n2, n1, n5, n4});
    net.install();
    orvelo::netCheck().CheckAnglesFlag = true;
    runTicking({10237});
    const orvelo::BasDelaunay m = projectNet();
    ASSERT_EQ(m.MeshElementCount, 2);
    expectSoundNet();
    EXPECT_EQ(m.MeshElementList[1].Node, (std::array<std::int16_t, 5>{0, 3, 1, 5, 0}));
    EXPECT_EQ(m.MeshElementList[2].Node, (std::array<std::int16_t, 5>{0, 2, 3, 5, 4}));
}

// A jittered grid of triangles and quadrilaterals with planted defects:
// nodes in no element (some inside elements), doubled nodes that some
// elements use instead of the original, and whatever thin triangles the
// jitter makes.
Net randomNet(std::mt19937& random)
{
    std::uniform_real_distribution<float> jitter(-0.2f, 0.2f);
    const int nx = 4 + static_cast<int>(random() % 8), ny = 3 + static_cast<int>(random() % 8);
    Net net;
    for (int j = 0; j <= ny; ++j)
        for (int i = 0; i <= nx; ++i)
            net.node(static_cast<float>(i) + (i > 0 && i < nx ? jitter(random) : 0.0f),
                     static_cast<float>(j) + (j > 0 && j < ny ? jitter(random) : 0.0f));
    auto id = [&](int i, int j) { return static_cast<std::int16_t>(j * (nx + 1) + i + 1); };
    for (int j = 0; j < ny; ++j)
        for (int i = 0; i < nx; ++i) {
            const auto a = id(i, j), b = id(i + 1, j), c = id(i + 1, j + 1), d = id(i, j + 1);
            switch (random() % 3) {
            case 0: net.element({a, b, c, d}); break;
            case 1: net.element({a, b, c}), net.element({a, c, d}); break;
            default: net.element({a, b, d}), net.element({b, c, d}); break;
            }
        }
    for (int k = static_cast<int>(random() % 3); k > 0; --k)
        net.node(static_cast<float>(random() % (nx * 10)) / 10.0f + 0.05f, static_cast<float>(random() % (ny * 10)) / 10.0f + 0.05f);
    for (int k = static_cast<int>(random() % 3); k > 0; --k) {
        const auto original = id(1 + static_cast<int>(random() % (nx - 1)), 1 + static_cast<int>(random() % (ny - 1)));
        const auto twin = net.node(net.x[static_cast<std::size_t>(original)] + 0.002f, net.y[static_cast<std::size_t>(original)]);
        for (std::size_t e = 1; e < net.elements.size(); ++e)
            for (int c = 1; c <= net.elements[e].CornerCount; ++c)
                if (net.elements[e].Node[static_cast<std::size_t>(c)] == original && random() % 2 == 0)
                    net.elements[e].Node[static_cast<std::size_t>(c)] = twin;
    }
    return net;
}

TEST_F(NetCheckTest, IndexedSearchesAgreeWithThePlainScansOnRandomNets)
{
    std::mt19937 random(25);
    for (int round = 0; round < 60; ++round) {
        const Net net = randomNet(random);
        const float limit = 20.0f + static_cast<float>(random() % 20);
        orvelo::Declar results[2];
        std::vector<std::string> lists[2];
        for (int plain = 0; plain < 2; ++plain) {
            orvelo::resetNetCheck();
            orvelo::resetServices();
            net.install();
            orvelo::NetSettings().AngleLimit(limit);
            orvelo::netCheck().PlainScans = plain == 1;
            orvelo::netCheck().CheckAnglesFlag = orvelo::netCheck().CheckForeignNodesFlag = true;
            orvelo::netCheck().MinNodeDistance = 0.01f;
            runCheck(&lists[plain]);
            results[plain] = orvelo::declar();
        }
        SCOPED_TRACE("round " + std::to_string(round));
        ASSERT_EQ(lists[0], lists[1]);
        ASSERT_EQ(results[0].NodeCount, results[1].NodeCount);
        ASSERT_TRUE(results[0].NodeX == results[1].NodeX && results[0].NodeY == results[1].NodeY);
        ASSERT_EQ(results[0].ElementList, results[1].ElementList);
        // No element twice or with a repeated corner, every node used, flags current.
        const orvelo::BasDelaunay m = projectNet();
        EXPECT_EQ(orvelo::meshcheck::CheckMixedSideFlags(m), std::vector<std::string>{});
        for (const std::string& fault : orvelo::meshcheck::CheckMixedNet(m)) {
            EXPECT_EQ(fault.find("repeats"), std::string::npos) << fault;
            EXPECT_EQ(fault.find("twice"), std::string::npos) << fault;
            EXPECT_EQ(fault.find("in no element"), std::string::npos) << fault;
        }
    }
}

TEST_F(NetCheckTest, StopDuringTheRepairLeavesNoCollapsedOrDoubledElement)
{
    std::mt19937 random(7);
    for (int round = 0; round < 30; ++round) {
        orvelo::resetNetCheck();
        orvelo::resetServices();
        randomNet(random).install();
        orvelo::NetSettings().AngleLimit(35.0f);
        orvelo::netCheck().CheckAnglesFlag = true;
        orvelo::netCheck().MinNodeDistance = 0.01f;
        const std::int32_t nodes = orvelo::declar().NodeCount, elements = orvelo::declar().ElementCount;
        const std::uint32_t seed = random();
        bool armed = false;
        // Merges and thin triangles ticked; Stop pressed at some step of them.
        forms::ScopedModalDriver driver([&](forms::Form& form) {
            forms::Control& list = form.control("LstGroup");
            std::int32_t span = 0;
            for (std::int16_t e = 0; e < list.ListCount(); ++e) {
                const bool close = list.List(e) == text(10234), thin = list.List(e) == text(10237);
                span += close ? nodes : (thin ? elements : 0);
                forms::checkItem(list, e, close || thin);
            }
            if (span > 0) {
                drovik::ClsWaitWindow::stopAfterUpdates(1 + static_cast<std::int32_t>(seed % static_cast<std::uint32_t>(span)));
                armed = true;
            }
            forms::click(form.control("cmdOK"));
        });
        orvelo::RunFENetCheck();
        drovik::ClsWaitWindow::stopAfterUpdates(0);
        if (!armed) continue;
        EXPECT_EQ(orvelo::NetSettings().takeNetCalls(), 0);
        const orvelo::BasDelaunay m = projectNet();
        EXPECT_EQ(orvelo::meshcheck::CheckMixedSideFlags(m), std::vector<std::string>{});
        for (const std::string& fault : orvelo::meshcheck::CheckMixedNet(m)) {
            EXPECT_EQ(fault.find("repeats"), std::string::npos) << fault;
            EXPECT_EQ(fault.find("twice"), std::string::npos) << fault;
        }
    }
}

}  // namespace
