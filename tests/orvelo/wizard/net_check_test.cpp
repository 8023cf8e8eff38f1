// The FE-net check and its thin-triangle repair on small hand-made nets and
// on random nets with planted defects.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <tuple>
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
#include "outside/quillon/language_text.h"
#include "platform/forms/display.h"
#include "platform/forms/form.h"
#include "platform/forms/input.h"

namespace {

using orvelo::NetElement;

std::string text(std::int32_t number) { return orvelo::LanguageTexts().GetText(rt::Variant(number)); }

NetElement makeElement(const std::vector<std::int16_t>& corners)
{
    NetElement e;
    e.CornerCount = static_cast<std::int32_t>(corners.size());
    std::copy(corners.begin(), corners.end(), e.Node.begin() + 1);
    return e;
}

struct Net {
    std::vector<float> x{0.0f}, y{0.0f};
    std::vector<NetElement> elements{NetElement{}};

    std::int16_t node(float px, float py)
    {
        x.push_back(px);
        y.push_back(py);
        return static_cast<std::int16_t>(x.size() - 1);
    }
    void element(const std::vector<std::int16_t>& corners) { elements.push_back(makeElement(corners)); }
    // Into the project net, with its side flags.
    void install() const
    {
        orvelo::Declar& d = orvelo::declar();
        std::tie(d.NodeCount, d.NodeX, d.NodeY, d.ElementCount, d.ElementList) =
            std::make_tuple(static_cast<std::int16_t>(x.size() - 1), x, y, static_cast<std::int16_t>(elements.size() - 1), elements);
        orvelo::BuildElementSideFlags(d.ElementList, nullptr);
    }
};

// The project net as the mesher-net verifier takes it.
orvelo::BasDelaunay projectNet()
{
    const orvelo::Declar& d = orvelo::declar();
    orvelo::BasDelaunay m;
    std::tie(m.MeshNodeCount, m.MeshNodeX, m.MeshNodeY, m.MeshElementCount, m.MeshElementList) =
        std::tie(d.NodeCount, d.NodeX, d.NodeY, d.ElementCount, d.ElementList);
    return m;
}

class NetCheckTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        orvelotest::ResetProgramState();
        orvelo::resetOperationRunner();
        fresh(30.0f);
    }
    void TearDown() override
    {
        orvelo::resetNetCheck();
        orvelotest::ReleaseProgramState();
    }

    // A fresh check of angles and nodes closer than 0.01.
    static void fresh(float angleLimit, bool foreign = false)
    {
        orvelo::resetNetCheck();
        orvelo::resetServices();
        orvelo::NetSettings().AngleLimit(angleLimit);
        orvelo::netCheck().CheckAnglesFlag = true;
        orvelo::netCheck().CheckForeignNodesFlag = foreign;
        orvelo::netCheck().MinNodeDistance = 0.01f;
    }

    // Runs the check; the list dialog shows `entries`, ticks the entries of
    // the texts `tick`, calls `onList` and confirms, or cancels.
    static void runCheck(const std::vector<std::int32_t>& tick, std::vector<std::string>* entries = nullptr,
                         bool cancel = false, const std::function<void(forms::Control&)>& onList = {})
    {
        forms::ScopedModalDriver driver([&](forms::Form& form) {
            forms::Control& list = form.control("LstGroup");
            for (std::int16_t e = 0; e < list.ListCount(); ++e) {
                if (entries) entries->push_back(list.List(e));
                forms::checkItem(list, e, std::any_of(tick.begin(), tick.end(), [&](auto t) { return list.List(e) == text(t); }));
            }
            if (onList) onList(list);
            forms::click(form.control(cancel ? "CmdCancel" : "cmdOK"));
        });
        orvelo::RunFENetCheck();
        EXPECT_EQ(drovik::liveRegionCount(), 0);
    }
};

// The project net's side flags are current and it has none of the faults
// named (the net conforms when none are named).
void expectSoundNet(std::initializer_list<const char*> faults = {})
{
    const orvelo::BasDelaunay m = projectNet();
    EXPECT_EQ(orvelo::meshcheck::CheckMixedSideFlags(m), std::vector<std::string>{});
    for (const std::string& fault : orvelo::meshcheck::CheckMixedNet(m))
        EXPECT_TRUE(faults.size() > 0 && std::none_of(faults.begin(), faults.end(), [&](const char* f) {
                        return fault.find(f) != std::string::npos;
                    })) << fault;
}

TEST(NetCheckAngles, TriangleAnglesAndTheLimit)
{
    double c1 = 9, c2 = 9, c3 = 9;
    std::int16_t longest = 0;
    orvelo::GetTriangleAngles(0, 3, 0, 0, 0, 4, c1, c2, c3, longest);  // right angle at corner 1
    EXPECT_TRUE(longest == 1 && c1 == 0.0);
    EXPECT_NEAR(c2, 0.6, 1e-7);
    EXPECT_NEAR(c3, 0.8, 1e-7);
    orvelo::GetTriangleAngles(0, 0, 5, 0, 0, 1, c1, c2, c3, longest);  // corners 1 and 2 coincide
    EXPECT_TRUE(c3 == 1.0 && c1 == 0.0);
    orvelo::GetTriangleAngles(0, 2, 1, 0, 0, 5, c1, c2, c3, longest);  // sides 1 and 2 equal and longest
    EXPECT_EQ(longest, 1);

    Net net;
    net.element({net.node(0, 0), net.node(3, 0), net.node(0, 4)});
    double worst = -2;
    // 90 degrees: the right angle is not below the limit; 36.87 degrees is.
    for (auto [limit, thin] : {std::pair{0.0f, 0}, {90.0f, 1}, {36.0f, 0}, {37.0f, 1}})
        EXPECT_EQ(orvelo::CheckElementAngle(net.elements[1], net.x, net.y, limit, worst), thin) << limit;
    EXPECT_NEAR(worst, 0.8, 1e-7);
}

TEST_F(NetCheckTest, EachKindIsListedInItsOrderAndCancelChangesNothing)
{
    Net net;
    for (int j = 0; j <= 2; ++j)
        for (int i = 0; i <= 2; ++i) net.node(static_cast<float>(i), static_cast<float>(j));
    for (auto corners : {std::vector<std::int16_t>{1, 2, 5}, {1, 5, 4}, {2, 3, 6, 5}, {4, 5, 8, 7}, {5, 9, 8}, {5, 6, 10}})
        net.element(corners);
    net.node(2.0f, 1.995f);  // 10: 0.005 from node 9
    net.node(1.3f, 1.7f);    // 11: in no element, inside element 5
    fresh(50.0f, true);  // the 45 degree corners are small
    net.install();
    const orvelo::Declar before = orvelo::declar();
    std::vector<std::string> entries;
    runCheck({}, &entries, true);
    EXPECT_EQ(entries, (std::vector<std::string>{text(10236), text(10234), text(10238), text(10237)}));
    runCheck({});
    EXPECT_TRUE(orvelo::declar().ElementList == before.ElementList && orvelo::declar().NodeX == before.NodeX);
    runCheck({10237});  // small angles alone never hand the net over
    EXPECT_EQ(orvelo::NetSettings().takeNetCalls(), 0);
}

TEST_F(NetCheckTest, NetPassingItsListsIsRefusedUnread)
{
    Net net;
    for (int i = 0; i < 4; ++i) net.node(static_cast<float>(i % 2), static_cast<float>(i / 2));
    net.element({1, 4, 9});  // a corner outside the net
    net.install();
    // In German: the refusals are texts of the tables.
    orvelo::useLanguageTexts(std::make_unique<quillon::ClsLanguageText>(std::string(OH_PROGDIR) + "/language", "German"));
    forms::ScopedMsgBox boxes;
    for (int round = 0; round < 2; ++round, orvelo::declar().ElementList[1].Node[3] = 3, orvelo::declar().NodeCount = 7) {
        boxes->answer(forms::vbOK);  // then more nodes than the coordinate lists hold
        orvelo::RunFENetCheck();
    }
    const std::vector<std::string> prompts = orvelotest::PromptsOf(*boxes);
    ASSERT_EQ(prompts.size(), 2u);
    const quillon::ClsLanguageText& texts = orvelo::LanguageTexts();
    EXPECT_NE(prompts[0].find(texts.GetText(140396, {"|1", 1, "|2", 9, "|3", 4})), std::string::npos) << prompts[0];
    EXPECT_NE(prompts[1].find(texts.GetText(140395, {"|1", 7, "|2", 1})), std::string::npos) << prompts[1];
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
    fresh(1.0f, true);
    orvelo::netCheck().MinNodeDistance = 0.05f;  // exactly the finest spacing: not close
    forms::ScopedModalDriver none([](forms::Form&) { ADD_FAILURE() << "no dialog expected"; });
    orvelo::RunFENetCheck();
    EXPECT_EQ(orvelo::declar().ElementCount, row * ny - ny);
    EXPECT_EQ(drovik::liveRegionCount(), 0);
}

TEST_F(NetCheckTest, RepairsOfHandMadeNets)
{
    struct Case {
        const char* what;
        std::vector<std::pair<float, float>> nodes;
        std::vector<std::vector<std::int16_t>> elements, after;  // after: when not empty
        std::int32_t tick;
        float angleLimit;
        std::int16_t nodesAfter, elementsAfter;
        std::tuple<std::int16_t, float, float> probe;  // a node where it must end, when not 0
        bool sound = true;
    };
    const std::vector<std::pair<float, float>> grid{{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1}, {2, 1}, {0, 2}, {1, 2}, {2, 2}};
    auto plus = [](std::vector<std::pair<float, float>> v, std::pair<float, float> p) { v.push_back(p); return v; };
    const Case cases[] = {
        {"an inner double goes to the midpoint; the slivers holding both go", plus(grid, {1.004f, 1}),
         {{1, 2, 5}, {1, 5, 4}, {4, 5, 8}, {4, 8, 7}, {2, 3, 6, 10}, {10, 6, 9, 8}, {5, 2, 10}, {5, 10, 8}}, {},
         10234, 30, 9, 6, {5, 1.002f, 1}},
        {"an outline node stays put", {{0, 0}, {2, 0}, {2, 2}, {0, 2}, {1, 0.004f}, {1, 0}},
         {{1, 6, 5}, {6, 2, 5}, {1, 5, 4}, {5, 2, 3}, {5, 3, 4}}, {}, 10234, 30, 5, 3, {5, 1, 0}},
        {"a quadrilateral holding both as neighbours becomes a triangle",
         {{0, 0}, {1, 0}, {1.005f, 0}, {2, 0}, {0, 1}, {1, 1}, {2, 1}}, {{1, 2, 6, 5}, {2, 3, 7, 6}, {3, 4, 7}}, {},
         10234, 0, 6, 3, {}},
        {"a chain of three: the third against the moved first",
         {{0, 0}, {1, 0.5f}, {1.006f, 0.5f}, {1.012f, 0.5f}, {3, 0}, {0, 3}}, {{1, 5, 6}}, {}, 10234, 0, 4, 1,
         {2, 1.0075f, 0.5f}, false},
        {"a merge that would fold an element is refused", {{-1, 0}, {1, 0}, {0, 0.002f}, {0, -0.004f}},
         {{1, 2, 3}, {2, 1, 4}}, {{1, 2, 3}, {2, 1, 4}}, 10234, 0, 4, 2, {}},
        {"a thin merge into a non-convex quadrilateral is refused", {{0, 0}, {4, 0}, {2, 0.3f}, {-1, -0.1f}},
         {{1, 2, 3}, {2, 1, 4}}, {{1, 2, 3}, {2, 1, 4}}, 10237, 30, 4, 2, {}},
        {"a thin triangle's diagonal moves into the quadrilateral", {{0, 0}, {4, 0}, {2, 0.4f}, {4, -3}, {0, -3}},
         {{1, 2, 3}, {2, 1, 5, 4}}, {{3, 1, 5}, {2, 3, 5, 4}}, 10237, 30, 5, 2, {}},
        {"a diagonal move that would leave the quadrilateral concave is refused",
         {{0, 0}, {4, 0}, {2.25f, 0.3f}, {8.25f, -0.5f}, {3.5f, -0.25f}}, {{1, 2, 3}, {2, 1, 5, 4}},
         {{1, 2, 3}, {2, 1, 5, 4}}, 10237, 30, 5, 2, {}},
        {"a diagonal move to a triangle thinner than the thin one is refused",
         {{0, 0}, {4, 0}, {2, 0.4f}, {7, -0.75f}, {-3.25f, -1.5f}}, {{1, 2, 3}, {2, 1, 5, 4}},
         {{1, 2, 3}, {2, 1, 5, 4}}, 10237, 30, 5, 2, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fresh(c.angleLimit);
        Net net;
        for (auto [x, y] : c.nodes) net.node(x, y);
        for (const auto& corners : c.elements) net.element(corners);
        net.install();
        runCheck({c.tick});
        const orvelo::Declar& d = orvelo::declar();
        ASSERT_EQ(d.NodeCount, c.nodesAfter);
        ASSERT_EQ(d.ElementCount, c.elementsAfter);
        const bool merged = c.nodesAfter < static_cast<std::int16_t>(c.nodes.size());
        EXPECT_EQ(orvelo::NetSettings().takeNetCalls(), merged ? 1 : 0);
        if (!merged) {
            EXPECT_TRUE(d.NodeX == net.x && d.NodeY == net.y) << "no node moves";
        }
        for (std::size_t e = 0; e < c.after.size(); ++e) EXPECT_EQ(d.ElementList[e + 1].Node, makeElement(c.after[e]).Node);
        if (const auto [n, x, y] = c.probe; n > 0) {
            EXPECT_NEAR(d.NodeX[static_cast<std::size_t>(n)], x, 1e-6f);
            EXPECT_NEAR(d.NodeY[static_cast<std::size_t>(n)], y, 1e-6f);
        }
        c.sound ? expectSoundNet() : expectSoundNet({"repeats", "twice"});
    }
}

TEST_F(NetCheckTest, MergedQuadrilateralCarriesTheSideFlagsWhereverTheSharedSideLies)
{
    // Two thin triangles sharing their longest side 1-2 merge once; the
    // second's corners start at each of its three corners in turn.
    for (int rotation = 0; rotation < 3; ++rotation) {
        fresh(30.0f);
        Net net;
        const auto n1 = net.node(0, 0), n2 = net.node(4, 0), n3 = net.node(2, 0.3f), n4 = net.node(2, -0.3f);
        std::vector<std::int16_t> second{n2, n1, n4};
        std::rotate(second.begin(), second.begin() + rotation, second.end());
        net.element({n1, n2, n3});
        net.element(second);
        net.install();
        // Bits other than 1, 8 and 32 travel with their sides: B-C and C-A.
        orvelo::declar().ElementList[1].Flag[2] |= halvex::BoundarySide;
        orvelo::declar().ElementList[1].Flag[3] |= halvex::FreeNode;
        runCheck({10237});
        const orvelo::Declar& d = orvelo::declar();
        ASSERT_EQ(d.ElementCount, 1) << rotation;
        const NetElement& quad = d.ElementList[1];
        ASSERT_EQ(quad.CornerCount, 4);
        for (std::size_t k = 1; k <= 4; ++k) {
            const std::int16_t from = quad.Node[k], to = quad.Node[k % 4 + 1];
            EXPECT_EQ((quad.Flag[k] & halvex::BoundarySide) != 0, from == n2 && to == n3) << rotation << " side " << k;
            EXPECT_EQ((quad.Flag[k] & halvex::FreeNode) != 0, from == n3 && to == n1) << rotation << " side " << k;
        }
        expectSoundNet();
    }
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
        net.node(static_cast<float>(random() % (nx * 10)) / 10.0f + 0.05f,
                 static_cast<float>(random() % (ny * 10)) / 10.0f + 0.05f);
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
            fresh(limit, true);
            net.install();
            orvelo::netCheck().PlainScans = plain == 1;
            runCheck({10234, 10236, 10237, 10238}, &lists[plain]);
            results[plain] = orvelo::declar();
        }
        SCOPED_TRACE("round " + std::to_string(round));
        ASSERT_EQ(lists[0], lists[1]);
        ASSERT_EQ(results[0].NodeCount, results[1].NodeCount);
        ASSERT_TRUE(results[0].NodeX == results[1].NodeX && results[0].NodeY == results[1].NodeY);
        ASSERT_EQ(results[0].ElementList, results[1].ElementList);
        expectSoundNet({"repeats", "twice", "in no element"});
    }
}

TEST_F(NetCheckTest, StopDuringTheRepairLeavesNoCollapsedOrDoubledElement)
{
    std::mt19937 random(7);
    for (int round = 0; round < 30; ++round) {
        fresh(35.0f);
        randomNet(random).install();
        const std::int32_t nodes = orvelo::declar().NodeCount, elements = orvelo::declar().ElementCount;
        const std::uint32_t seed = random();
        bool armed = false;
        // Stop pressed at some step of the merges and the thin triangles.
        runCheck({10234, 10237}, nullptr, false, [&](forms::Control& list) {
            std::int32_t span = 0;
            for (std::int16_t e = 0; e < list.ListCount(); ++e)
                span += list.List(e) == text(10234) ? nodes : (list.List(e) == text(10237) ? elements : 0);
            if ((armed = span > 0))
                drovik::ClsWaitWindow::stopAfterUpdates(1 + static_cast<std::int32_t>(seed % static_cast<std::uint32_t>(span)));
        });
        drovik::ClsWaitWindow::stopAfterUpdates(0);
        if (!armed) continue;
        EXPECT_EQ(orvelo::NetSettings().takeNetCalls(), 0);
        expectSoundNet({"repeats", "twice"});
    }
}

}  // namespace
