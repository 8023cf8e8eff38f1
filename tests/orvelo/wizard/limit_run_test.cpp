// A project at the size limit: a raft of 12 x 8 with a net of exactly 32767
// nodes (151 x 217 grid lines, 32400 quadrilaterals) and the solver results
// of the sample's field, through the whole road of one run.
#include "wizard_fixture.h"

#include <map>
#include <utility>

#include "orvelo/project/net_files.h"
#include "platform/runtime/datachannel.h"
#include "tools/make_sample/borings.h"
#include "tools/make_sample/solver_results.h"

namespace {

using orvelo::Declar;
using orvelo::NetElement;


// Outer sides flagged on one element, shared sides on both, as a finished
// net has them.
void setSideFlags(Declar& d) {
    std::map<std::pair<int, int>, std::vector<std::pair<int, int>>> sides;
    for (int e = 1; e <= d.ElementCount; ++e) {
        const NetElement& element = d.ElementList[e];
        for (int k = 1; k <= element.CornerCount; ++k) {
            const int a = element.Node[k];
            const int b = element.Node[k % element.CornerCount + 1];
            sides[{std::min(a, b), std::max(a, b)}].push_back({e, k});
        }
    }
    for (const auto& [side, uses] : sides) {
        d.ElementList[uses[0].first].Flag[uses[0].second] |= uses.size() == 1 ? halvex::OuterSide : halvex::InnerSide;
        for (std::size_t i = 1; i < uses.size(); ++i)
            d.ElementList[uses[i].first].Flag[uses[i].second] |= halvex::RepeatedSide;
    }
}

// Writes the project LIMIT into dir: a grid of cellsX x cellsY cells over
// the raft, the first quadCells of them quadrilaterals and every other one
// two triangles. Its .PO1's path.
std::string writeLimitProject(const std::string& dir, int cellsX, int cellsY, int quadCells) {
    Declar& d = orvelo::declar();
    const int linesY = cellsY + 1;
    d.NodeX.assign(1, 0.0f);
    d.NodeY.assign(1, 0.0f);
    for (int i = 0; i <= cellsX; ++i) {
        for (int j = 0; j <= cellsY; ++j) {
            // Exact at the whole-number points the sample's field needs.
            d.NodeX.push_back(static_cast<float>(i * 12.0 / cellsX));
            d.NodeY.push_back(static_cast<float>(j * 8.0 / cellsY));
        }
    }
    d.NodeCount = orvelo::checkedNetCount(static_cast<long long>(d.NodeX.size()) - 1);
    auto node = [linesY](int i, int j) { return static_cast<std::int16_t>(i * linesY + j + 1); };
    d.ElementList.assign(1, NetElement{});
    int cell = 0;
    for (int i = 0; i < cellsX; ++i) {
        for (int j = 0; j < cellsY; ++j) {
            NetElement element;
            if (cell++ < quadCells) {
                element.CornerCount = 4;
                element.Node = {0, node(i, j), node(i + 1, j), node(i + 1, j + 1), node(i, j + 1)};
                d.ElementList.push_back(element);
                continue;
            }
            element.CornerCount = 3;
            element.Node = {0, node(i, j), node(i + 1, j), node(i + 1, j + 1), 0};
            d.ElementList.push_back(element);
            element.Node = {0, node(i, j), node(i + 1, j + 1), node(i, j + 1), 0};
            d.ElementList.push_back(element);
        }
    }
    d.ElementCount = orvelo::checkedNetCount(static_cast<long long>(d.ElementList.size()) - 1);
    setSideFlags(d);
    d.OutlinePieceCount = 4;
    d.OutlinePieces = {orvelo::OutlinePiece{}, orvelo::straightPiece(0, 0, 12, 0), orvelo::straightPiece(12, 0, 12, 8),
                       orvelo::straightPiece(12, 8, 0, 8), orvelo::straightPiece(0, 8, 0, 0)};
    d.OpeningPieceCount.assign(1, 0);
    d.OpeningPieces.assign(1, {});

    // The header: no symmetry, analysis method 1; the solver results mark
    // the springs, supports, beams and piles in it.
    const std::string po1 = dir + "LIMIT.PO1";
    orvelo::SharedServices().Prod(po1);
    orvelo::OpenDataFile(po1, halvex::OutputMode, 1, 0);
    rt::dataChannel().writer().writeValues(std::int32_t{1}, std::int32_t{halvex::ModulusOfCompressibilty});
    rt::dataChannel().writer().writeValues(std::vector<rt::Variant>(13, rt::Variant(std::int16_t{0})));
    orvelo::CloseDataFile(1);
    EXPECT_TRUE(orvelo::WriteNetFiles(dir + "LIMIT"));
    EXPECT_TRUE(sample::WriteSampleSolverResults(dir, "LIMIT", d));
    EXPECT_TRUE(sample::WriteSampleBorings(dir, "LIMIT", d));
    return po1;
}

// Finish on the project, recalculating the boundary or not; the prompts.
class LimitRunTest : public WizardTest {
protected:
    void runFinish(const std::string& input, bool recalculate, bool replace) {
        orvelo::resetDeclar();
        orvelo::resetBoringData();
        if (replace) box->answer(forms::vbYes);  // replace the output of an earlier round
        box->answer(forms::vbNo);                // the end question: start again
        orvelo::frmWizard& w = open(input);
        w.ChkRecalculateMeshBoundary->Value(recalculate ? forms::vbChecked : forms::vbUnchecked);
        ASSERT_TRUE(forms::click(next()));
        ASSERT_TRUE(forms::click(finish()));
    }
};

// 151 x 217 nodes (150 intervals of 0.08 by 216 of 1/27), 32400
// quadrilaterals.
TEST_F(LimitRunTest, AProjectOfExactly32767NodesRunsThroughTheWholeRoad) {
    std::filesystem::create_directories(folder.path("limit"));
    const std::string input = writeLimitProject(folder.path("limit") + "/", 150, 216, 150 * 216);
    ASSERT_EQ(orvelo::declar().NodeCount, 32767);
    for (const bool recalculate : {true, false}) {
        SCOPED_TRACE(recalculate ? "boundary recalculated" : "boundary as read");
        runFinish(input, recalculate, !recalculate);
        ASSERT_FALSE(prompts().empty());
        EXPECT_EQ(prompts().back(), text(190002, {16, "|1", "LIMIT_Adaptive"}));
        EXPECT_EQ(runState(), 0);
        // The new net is the output project's, and every node of it got its
        // boring region.
        orvelo::ProjectNet net;
        std::int16_t failed = 0;
        orvelo::ProjectReader().ReadNetFile(folder.path("limit/LIMIT_Adaptive"), net.ElementCount, net.ElementList,
                                            net.NodeCount, net.NodeX, net.NodeY, 0, nullptr, failed);
        EXPECT_EQ(failed, 0);
        EXPECT_GT(net.NodeCount, 0);
        EXPECT_EQ(net, orvelo::projectNetOf(orvelo::declar()));
        EXPECT_GE(orvelo::boringData().NodeRegion.size(), static_cast<std::size_t>(32768));
        wizard->unloadWithoutEvents();
        wizard.reset();
    }
}

// 120 x 144 cells, 1793 of them quadrilaterals and the others split in two:
// 32767 elements.
TEST_F(LimitRunTest, AProjectOfExactly32767ElementsRunsOrIsRefusedNamingTheLimit) {
    std::filesystem::create_directories(folder.path("limit"));
    const std::string input = writeLimitProject(folder.path("limit") + "/", 120, 144, 1793);
    ASSERT_EQ(orvelo::declar().ElementCount, 32767);
    runFinish(input, true, false);
    ASSERT_FALSE(prompts().empty());
    EXPECT_EQ(prompts().back(), text(190002, {16, "|1", "LIMIT_Adaptive"}));
}

}  // namespace
