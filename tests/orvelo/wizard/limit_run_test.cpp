// Projects at the size limit (a raft of 12 x 8 with the solver results of
// the sample's field) through the whole road of one run.
#include "wizard_fixture.h"

#include <algorithm>

#include "orvelo/delaunay/side_flags.h"
#include "orvelo/project/net_files.h"
#include "platform/runtime/datachannel.h"
#include "tools/make_sample/borings.h"
#include "tools/make_sample/solver_results.h"

namespace {

using orvelo::Declar;
using orvelo::NetElement;

// Writes the project LIMIT into dir: a grid of cellsX x cellsY cells over
// the raft, the first quadCells of them quadrilaterals and every other one
// two triangles. Its .PO1's path.
std::string writeLimitProject(const std::string& dir, int cellsX, int cellsY, int quadCells) {
    Declar& d = orvelo::declar();
    const int linesY = cellsY + 1;
    d.NodeX.assign(1, 0.0f);
    d.NodeY.assign(1, 0.0f);
    for (int i = 0; i <= cellsX; ++i)
        for (int j = 0; j <= cellsY; ++j) {  // exact at the whole-number points the sample's field needs
            d.NodeX.push_back(static_cast<float>(i * 12.0 / cellsX));
            d.NodeY.push_back(static_cast<float>(j * 8.0 / cellsY));
        }
    d.NodeCount = orvelo::checkedNetCount(static_cast<long long>(d.NodeX.size()) - 1);
    auto node = [linesY](int i, int j) { return static_cast<std::int16_t>(i * linesY + j + 1); };
    d.ElementList.assign(1, NetElement{});
    int cell = 0;
    for (int i = 0; i < cellsX; ++i) {
        for (int j = 0; j < cellsY; ++j) {
            NetElement element;
            element.CornerCount = cell++ < quadCells ? 4 : 3;
            element.Node = {0, node(i, j), node(i + 1, j), node(i + 1, j + 1), element.CornerCount == 4 ? node(i, j + 1) : std::int16_t{0}};
            d.ElementList.push_back(element);
            if (element.CornerCount == 4) continue;
            element.Node = {0, node(i, j), node(i + 1, j + 1), node(i, j + 1), 0};
            d.ElementList.push_back(element);
        }
    }
    d.ElementCount = orvelo::checkedNetCount(static_cast<long long>(d.ElementList.size()) - 1);
    orvelo::BuildElementSideFlags(d.ElementList, nullptr);
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

// 151 x 217 nodes (32767) as quadrilaterals, the boundary recalculated and
// as read; 120 x 144 cells, 1793 of them quadrilaterals and the others split
// in two (32767 elements). Each run writes its net, every node of it with
// its boring region.
class LimitRunTest : public WizardTest {};

TEST_F(LimitRunTest, ProjectsOfExactly32767NodesOrElementsRunThroughTheWholeRoad) {
    const struct {
        int cellsX, cellsY, quadCells;
        bool recalculate;
    } cases[] = {{150, 216, 150 * 216, true}, {150, 216, 150 * 216, false}, {120, 144, 1793, true}};
    int round = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE("round " + std::to_string(round));
        const std::string dir = folder.path("limit" + std::to_string(round++));
        std::filesystem::create_directories(dir);
        const std::string input = writeLimitProject(dir + "/", c.cellsX, c.cellsY, c.quadCells);
        ASSERT_EQ(std::max(orvelo::declar().NodeCount, orvelo::declar().ElementCount), 32767);
        orvelo::resetDeclar();
        orvelo::resetBoringData();
        box->answer(forms::vbNo);  // the end question: start again
        open(input).ChkRecalculateMeshBoundary->Value(c.recalculate ? forms::vbChecked : forms::vbUnchecked);
        ASSERT_TRUE(forms::click(next()));
        ASSERT_TRUE(forms::click(finish()));
        ASSERT_FALSE(prompts().empty());
        EXPECT_EQ(prompts().back(), text(190002, {16, "|1", "LIMIT_Adaptive", "|2", dir + "/"}));
        EXPECT_EQ(runState(), 0);
        orvelo::ProjectNet net;
        std::int16_t failed = 0;
        orvelo::ProjectReader().ReadNetFile(dir + "/LIMIT_Adaptive", net.ElementCount, net.ElementList, net.NodeCount,
                                            net.NodeX, net.NodeY, 0, nullptr, failed);
        EXPECT_EQ(failed, 0);
        EXPECT_GT(net.NodeCount, 0);
        EXPECT_EQ(net, orvelo::projectNetOf(orvelo::declar()));
        EXPECT_GT(orvelo::boringData().NodeRegion.size(), static_cast<std::size_t>(net.NodeCount));
        wizard->unloadWithoutEvents();
        wizard.reset();
    }
}

}  // namespace
