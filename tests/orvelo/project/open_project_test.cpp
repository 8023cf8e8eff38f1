#include <filesystem>

#include "orvelo/project/open_project.h"
#include "platform/runtime/datachannel.h"
#include "project_fixture.h"

using orvelo::Declar;
using orvelo::OpenSourceProject;

namespace {

class OpenProjectTest : public ProjectTest {
protected:
    // Leftovers of an earlier run in the same process.
    static void fillWithEarlierProject() {
        Declar& d = orvelo::declar();
        makeSmallProject(d);
        d.SourceNet = orvelo::projectNetOf(d);
        d.SourceNetLoaded = true;
        d.CurrentDataDir = "/elsewhere/";
        d.CurrentProjectName = "EARLIER";
    }

    static void expectNoNetOrBoundary() {
        const Declar& d = orvelo::declar();
        EXPECT_EQ(d.NodeCount, 0);
        EXPECT_EQ(d.NodeX.size(), 1u);
        EXPECT_EQ(d.ElementCount, 0);
        EXPECT_EQ(d.OutlinePieceCount, 0);
        EXPECT_EQ(d.OpeningCount, 0);
        EXPECT_EQ(d.SinglePointCount, 0);
        EXPECT_EQ(d.LineCount, 0);
        EXPECT_EQ(d.GridCountX, 0);
        EXPECT_FALSE(d.SourceNetLoaded);
    }
};

TEST_F(OpenProjectTest, ProjectWithNetLoadsHeaderNetBoundaryAndKeepsTheNetForTheTransfer) {
    writeSmallProject("SLAB");
    chooseProject("SLAB");
    OpenSourceProject();

    const Declar& d = orvelo::declar();
    EXPECT_TRUE(box->boxes().empty());
    EXPECT_EQ(runState(), 0);
    EXPECT_EQ(d.SymmetryKind, 1);
    EXPECT_EQ(d.AnalysisMethod, 1);
    EXPECT_EQ(d.HeaderOption5, 1);
    EXPECT_EQ(d.HeaderOption13, 1);
    EXPECT_EQ(d.SystemKind, 0);
    EXPECT_TRUE(d.CopyFilesFlag);
    EXPECT_EQ(d.CurrentDataDir, folder.dir());
    EXPECT_EQ(d.CurrentProjectName, "SLAB");

    Declar expected;
    makeSmallProject(expected);
    EXPECT_EQ(d.NodeCount, 7);
    EXPECT_EQ(d.NodeX, expected.NodeX);
    EXPECT_EQ(d.ElementList, expected.ElementList);
    EXPECT_EQ(d.OutlinePieces, expected.OutlinePieces);
    // Each opening's pieces as far as it has them.
    ASSERT_EQ(d.OpeningPieceCount, expected.OpeningPieceCount);
    for (int k = 1; k <= expected.OpeningCount; ++k)
        for (int j = 1; j <= expected.OpeningPieceCount[k]; ++j)
            EXPECT_EQ(d.OpeningPieces.at(k).at(j), expected.OpeningPieces[k][j]) << k << "/" << j;
    EXPECT_EQ(d.GridX, expected.GridX);
    EXPECT_EQ(orvelo::NetSettings().StoredValueB(), 0.25f);
    EXPECT_TRUE(d.SourceNetLoaded);
    EXPECT_EQ(d.SourceNet, orvelo::projectNetOf(d));
    EXPECT_EQ(orvelo::SharedServices().Prod(), folder.path("SLAB.PL8"));
    EXPECT_EQ(forms::screen().MousePointer(), 0);
    EXPECT_FALSE(rt::dataChannel().isOpen());
}

TEST_F(OpenProjectTest, ProjectWithoutNetKeepsNothingOfAnEarlierProject) {
    writeHeader("BARE");
    fillWithEarlierProject();
    orvelo::NetSettings().AngleLimit(12);
    chooseProject("BARE");
    OpenSourceProject();

    EXPECT_TRUE(box->boxes().empty());
    EXPECT_EQ(runState(), 0);
    EXPECT_EQ(orvelo::declar().AnalysisMethod, 1);
    EXPECT_TRUE(orvelo::declar().CopyFilesFlag);
    EXPECT_EQ(orvelo::declar().CurrentProjectName, "BARE");
    expectNoNetOrBoundary();
    EXPECT_EQ(orvelo::NetSettings().AngleLimit(), 0.0f);
    EXPECT_EQ(orvelo::SharedServices().Prod(), folder.path("BARE.PL6"));
}

TEST_F(OpenProjectTest, UnusableProjectFileStopsTheRunWithOneMessage) {
    struct Case {
        const char* po1;  // nullptr: no project file
        std::int32_t icon;
    };
    for (const Case& c : {Case{nullptr, forms::vbExclamation},
                          Case{"1,14\r\n0,0,0,0,0,0,0,0,0,0,0,0,0\r\n", forms::vbCritical},
                          Case{"1,1\r\n0,0,0\r\n", forms::vbCritical}}) {
        std::filesystem::remove(folder.path("SLAB.PO1"));
        if (c.po1) folder.write("SLAB.PO1", c.po1);
        fillWithEarlierProject();
        orvelo::declar().AnalysisMethod = 9;
        orvelo::RunControl().RunState(0);
        chooseProject("SLAB");
        box->answer(forms::vbOK);
        const std::size_t boxesBefore = box->boxes().size();
        OpenSourceProject();

        ASSERT_EQ(box->boxes().size(), boxesBefore + 1) << (c.po1 ? c.po1 : "missing");
        const forms::MessageBoxRequest& shown = box->boxes().back();
        EXPECT_EQ(forms::iconOf(shown.style), c.icon);
        EXPECT_NE(shown.prompt.find(folder.path("SLAB.PO1")), std::string::npos) << shown.prompt;
        EXPECT_EQ(runState(), halvex::ExitWithoutSaving);
        EXPECT_EQ(orvelo::declar().AnalysisMethod, 9) << "nothing read";
        EXPECT_FALSE(rt::dataChannel().isOpen());
    }
}

TEST_F(OpenProjectTest, NetThatDoesNotLoadStopsTheRunAndLeavesNoNet) {
    writeSmallProject("SLAB");
    const std::string goodPl6 = folder.read("SLAB.PL6");

    // A node number outside the net.
    folder.write("SLAB.PL6", "1\r\n0\r\n0\r\n1\r\n3\r\n1\r\n0\r\n2\r\n0\r\n1\r\n0\r\n");
    fillWithEarlierProject();
    chooseProject("SLAB");
    box->answer(forms::vbOK);
    OpenSourceProject();
    ASSERT_EQ(boxIcons(), std::vector<std::int32_t>{forms::vbCritical});
    EXPECT_NE(box->boxes()[0].prompt.find(folder.path("SLAB.PL6")), std::string::npos);
    EXPECT_EQ(runState(), halvex::ExitWithoutSaving);
    expectNoNetOrBoundary();

    // A good net without its boundary file: the missing-file message only.
    folder.write("SLAB.PL6", goodPl6);
    std::filesystem::remove(folder.path("SLAB.PL8"));
    orvelo::RunControl().RunState(0);
    fillWithEarlierProject();
    box->answer(forms::vbOK);
    OpenSourceProject();
    ASSERT_EQ(boxIcons(), (std::vector<std::int32_t>{forms::vbCritical, forms::vbExclamation}));
    EXPECT_NE(box->boxes()[1].prompt.find(folder.path("SLAB.PL8")), std::string::npos);
    EXPECT_EQ(runState(), halvex::ExitWithoutSaving);
    expectNoNetOrBoundary();
}

// Nets refused clearly, naming .PL6 (and the element where one is at
// fault): more than 32767 nodes; a quadrilateral with corners (0, 0),
// (1, 0), (0, 1), (0.3, 1), whose second and fourth sides cross though the
// larger part runs anticlockwise.
TEST_F(OpenProjectTest, NetsBeyondTheLimitOrWithABowTieAreRefusedClearly) {
    const std::pair<const char*, const char*> cases[] = {
        {"32768\r\n", ""},
        {"4\r\n0\r\n0\r\n1\r\n0\r\n0\r\n1\r\n0.3\r\n1\r\n1\r\n4\r\n1\r\n1\r\n2\r\n1\r\n3\r\n1\r\n4\r\n1\r\n", "Element 1 "},
    };
    for (const auto& [net, named] : cases) {
        writeSmallProject("SLAB");
        folder.write("SLAB.PL6", net);
        chooseProject("SLAB");
        const std::size_t before = box->boxes().size();
        box->answer(forms::vbOK);
        OpenSourceProject();
        ASSERT_EQ(box->boxes().size(), before + 1) << named;
        const std::string& prompt = box->boxes().back().prompt;
        EXPECT_NE(prompt.find(folder.path("SLAB.PL6")), std::string::npos) << prompt;
        EXPECT_NE(prompt.find(named), std::string::npos) << prompt;
        EXPECT_EQ(runState(), halvex::ExitWithoutSaving);
        EXPECT_EQ(orvelo::declar().NodeCount, 0);
    }
}

TEST_F(OpenProjectTest, HeaderAgainSetsTheDataPresentFlagsFromOptionsOfOne) {
    orvelo::declar().DataDir = folder.dir();
    writeHeader("SLAB", 2);
    ASSERT_EQ(orvelo::OpenProjectHeader("SLAB"), 0);
    const Declar& d = orvelo::declar();
    EXPECT_TRUE(d.HasPointSprings);
    EXPECT_FALSE(d.HasPrescribedDofs);
    EXPECT_FALSE(d.HasBeams) << "only the value 1 counts";
    EXPECT_TRUE(d.HasPiles);

    writeHeader("SLAB", 1);
    ASSERT_EQ(orvelo::OpenProjectHeader("SLAB"), 0);
    EXPECT_TRUE(orvelo::declar().HasBeams);

    EXPECT_EQ(orvelo::OpenProjectHeader("NONE"), -1);
    EXPECT_TRUE(box->boxes().empty());
    EXPECT_EQ(runState(), 0);
}

}  // namespace
