// Operation 9 on hand-made projects: which files each method reads, what a
// missing or broken file does, and the size field it leaves.
#include <algorithm>
#include <filesystem>
#include <functional>
#include <numeric>
#include <sstream>

#include "forces_fixture.h"
#include "orvelo/forces/internal_forces.h"
#include "platform/runtime/datachannel.h"

using orvelo::ComputeInternalForces;
using orvelo::declar;

namespace {

class InternalForcesTest : public ForcesTest {
protected:
    // Runs the operation on a project of the curved field; returns the size
    // field left in declar().
    std::vector<float> run(int method, const std::vector<int>& map = identityMap(),
                           int symmetry = 1) {
        writeHeader(symmetry, method);
        writeSolverFiles(curvedField(), map);
        ComputeInternalForces();
        return declar().NodeTargetSize;
    }
};

TEST_F(InternalForcesTest, SizeFieldLiesBetweenItsEndsInTheProjectNetsOrder) {
    const std::vector<float> straight = run(halvex::Givensubgrade, identityMap());
    EXPECT_EQ(runState(), 0);
    EXPECT_TRUE(box->boxes().empty());
    ASSERT_EQ(declar().OldNodeCount, 9);
    ASSERT_EQ(straight.size(), 10u);
    bool finest = false;
    for (int n = 1; n <= 9; ++n) {
        EXPECT_GE(straight[n], 0.25f) << n;
        EXPECT_LE(straight[n], 1.0f) << n;
        finest = finest || straight[n] == 0.25f;
    }
    EXPECT_TRUE(finest) << "the largest force gives rmin";

    // The same project with the solver's nodes renumbered: the field of
    // every project node is unchanged.
    orvelo::resetInternalForces();
    const std::vector<float> shuffled = run(halvex::Givensubgrade, shuffledMap());
    EXPECT_EQ(shuffled, straight);
    EXPECT_FALSE(rt::dataChannel().isOpen());
}

TEST_F(InternalForcesTest, MethodsWithoutSlabForcesGiveTheUniformSize) {
    // 13 and 20 read neither .PG1 nor .P21; 7 and 19 read .PG1; 16 (grid
    // beams) reads neither .PL4 nor .PH2 and has an all-zero group.
    for (int method : {7, 13, 16, 19, 20}) {
        writeHeader(1, method);
        writeSolverFiles(curvedField(), identityMap());
        std::filesystem::remove(folder.path("SLAB.P21"));
        if (method == 13 || method == 20) std::filesystem::remove(folder.path("SLAB.PG1"));
        if (method == 16) {
            std::filesystem::remove(folder.path("SLAB.PL4"));
            std::filesystem::remove(folder.path("SLAB.PH2"));
        }
        ComputeInternalForces();
        EXPECT_EQ(runState(), 0) << method;
        EXPECT_EQ(declar().OldNodeCount, 9) << method;
        EXPECT_EQ(declar().NodeTargetSize, (std::vector<float>{0, 1, 1, 1, 1, 1, 1, 1, 1, 1}))
            << method;
    }
    EXPECT_TRUE(box->boxes().empty());
}

TEST_F(InternalForcesTest, NodeValueFilesAreSkippedWhereTheMethodHasNone) {
    for (const auto& [method, piles] : {std::pair{15, false}, std::pair{4, true}}) {
        writeHeader(1, method, false, false, false, piles);
        writeSolverFiles(curvedField(), identityMap());
        std::filesystem::remove(folder.path("SLAB.PL4"));
        std::filesystem::remove(folder.path("SLAB.PH2"));
        if (piles) {
            folder.write("SLAB.PIL", "0\r\n0\r\n0\r\n0\r\n");
            folder.write("SLAB.QPF", "");
        }
        ComputeInternalForces();
        EXPECT_EQ(runState(), 0) << method;
        EXPECT_EQ(declar().OldNodeCount, 9) << method;
    }
    EXPECT_TRUE(box->boxes().empty());
}

TEST_F(InternalForcesTest, EachMissingSolverFileStopsTheRunWithOneMessage) {
    for (const char* ext : {"PL9", "PL3", "PC7", "PC8", "PL4", "PH2", "PG1", "P21"}) {
        writeHeader(1, halvex::Givensubgrade);
        writeSolverFiles(curvedField(), identityMap());
        std::filesystem::remove(folder.path(std::string("SLAB.") + ext));
        // A field of an earlier run is never used.
        declar().OldNodeCount = 3;
        declar().NodeTargetSize = {0, 2, 2, 2};
        const std::size_t before = box->boxes().size();
        box->answer(forms::vbOK);
        ComputeInternalForces();
        EXPECT_EQ(runState(), halvex::ExitWithoutSaving) << ext;
        ASSERT_EQ(box->boxes().size(), before + 1) << ext;
        EXPECT_NE(box->boxes().back().prompt.find(std::string("SLAB.") + ext), std::string::npos)
            << box->boxes().back().prompt;
        // Without the calculation net or its node order the project was
        // never analysed on this net.
        const std::string analyseFirst = orvelo::LanguageTexts().GetText(
            rt::Variant(190033), {rt::Variant("|1"), rt::Variant("SLAB")});
        const bool saysAnalyseFirst = box->boxes().back().prompt.find(analyseFirst) != std::string::npos;
        EXPECT_EQ(saysAnalyseFirst, std::string(ext) == "PL9" || std::string(ext) == "PL3") << ext;
        EXPECT_EQ(declar().OldNodeCount, 0) << ext;
        EXPECT_FALSE(rt::dataChannel().isOpen());
    }
}

TEST_F(InternalForcesTest, BrokenFilesEndTheOperationThroughItsErrorExit) {
    struct Case {
        const char* file;
        std::string contents;
    };
    const Case cases[] = {
        {"SLAB.PG1", "0\r\n0\r\n"},  // ends early
        {"SLAB.PL4",
         "8\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n"},  // a count other than the net's
        {"SLAB.PL3", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n10\r\n"},  // a node outside the net
        {"SLAB.PL9", "3\r\n0,0\r\n1,0\r\n0,1\r\n1\r\n5,1,2,3,1,2\r\n1\r\n"},  // five corners
        {"SLAB.PL9", "3\r\n0,0\r\n1,0\r\n0,1\r\n1\r\n4,1,2,2,3\r\n1\r\n"},  // a node named twice
        {"SLAB.PC7", "1,x,3,4\r\n"},                                          // not a number
        {"SLAB.PL9", ""},  // the last element in a group .P21 lacks (below)
    };
    for (const Case& c : cases) {
        writeHeader(1, halvex::Givensubgrade);
        writeSolverFiles(curvedField(), identityMap());
        if (c.contents.empty()) {
            std::string net = folder.read(c.file);
            net.replace(net.size() - 3, 3, "2\r\n");
            folder.write(c.file, net);
        } else {
            folder.write(c.file, c.contents);
        }
        const std::size_t before = box->boxes().size();
        box->answer(forms::vbOK);
        ComputeInternalForces();
        EXPECT_EQ(runState(), halvex::ExitWithoutSaving) << c.file;
        ASSERT_EQ(box->boxes().size(), before + 1) << c.file;
        EXPECT_EQ(forms::iconOf(box->boxes().back().style), forms::vbCritical) << c.file;
        EXPECT_NE(box->boxes().back().prompt.find(c.file), std::string::npos)
            << box->boxes().back().prompt;
        EXPECT_EQ(declar().OldNodeCount, 0) << c.file;
        EXPECT_FALSE(rt::dataChannel().isOpen()) << c.file;
    }
}

TEST_F(InternalForcesTest, AnElementWithoutForcesIsNamedInTheMessage) {
    // A triangle of three nodes on one line; a deflection too large for the
    // element's sums.
    std::string pg1;
    for (int i = 1; i <= 27; ++i) pg1 += i == 13 ? "1E+38\r\n" : "0\r\n";
    const std::pair<const char*, std::string> cases[] = {
        {"SLAB.PL9", "9\r\n0,0\r\n1,0\r\n2,0\r\n0,1\r\n1,1\r\n2,1\r\n0,2\r\n1,2\r\n2,2\r\n1\r\n3,1,2,3\r\n1\r\n"},
        {"SLAB.PG1", pg1},
    };
    for (const auto& [file, contents] : cases) {
        writeHeader(1, halvex::Givensubgrade);
        writeSolverFiles(curvedField(), identityMap());
        folder.write(file, contents);
        box->answer(forms::vbOK);
        const std::size_t before = box->boxes().size();
        ComputeInternalForces();
        EXPECT_EQ(runState(), halvex::ExitWithoutSaving) << file;
        ASSERT_EQ(box->boxes().size(), before + 1) << file;
        EXPECT_NE(box->boxes().back().prompt.find("Element 1 of the calculation net (nodes 1, 2, "), std::string::npos)
            << box->boxes().back().prompt;
        EXPECT_EQ(declar().OldNodeCount, 0) << file;
    }
}

// Results of another net (another node count, a calculation node moved or
// mirrored, node-order entries swapped, a project node moved) ask for the
// analysis before anything is computed; a sound run does not.
TEST_F(InternalForcesTest, ResultsOfAnotherNetStopTheRun) {
    orvelo::Declar& d = declar();
    auto editLines = [&](const char* file, const std::function<void(std::vector<std::string>&)>& edit) {
        std::istringstream in(folder.read(file));
        std::vector<std::string> lines;
        for (std::string l; std::getline(in, l);) lines.push_back(l.substr(0, l.find('\r')));
        edit(lines);
        folder.write(file, std::accumulate(lines.begin(), lines.end(), std::string(), [](std::string t, const std::string& l) { return t + l + "\r\n"; }));
    };
    const std::string analyseFirst = orvelo::LanguageTexts().GetText(rt::Variant(190033), {rt::Variant("|1"), rt::Variant("SLAB")});
    for (int round = 0; round < 6; ++round) {
        d.NodeCount = round == 0 ? 8 : 9;  // the project net opened before has 8 nodes
        d.NodeX.assign(10, 0.0f), d.NodeY.assign(10, 0.0f);
        for (std::size_t n = 1; n <= 9; ++n) d.NodeX[n] = static_cast<float>((n - 1) % 3), d.NodeY[n] = static_cast<float>((n - 1) / 3);
        writeHeader(1, halvex::Givensubgrade);
        writeSolverFiles(curvedField(), identityMap());
        switch (round) {
        case 1: editLines("SLAB.PL9", [](auto& l) { l[5] = "1.5,1"; }); break;  // calculation node 5 moved by 0.5
        case 2:  // the calculation net mirrored about x = 1
            editLines("SLAB.PL9", [](auto& l) {
                for (int n = 1; n <= 9; ++n) l[static_cast<std::size_t>(n)] = std::to_string(2 - (n - 1) % 3) + "," + std::to_string((n - 1) / 3);
            });
            break;
        case 3: editLines("SLAB.PL3", [](auto& l) { std::swap(l[3], l[4]); }); break;
        case 4: d.NodeX[5] = 1.3f, d.NodeY[5] = 1.1f; break;  // inside its elements
        }
        const std::size_t before = box->boxes().size();
        if (round < 5) box->answer(forms::vbOK);
        ComputeInternalForces();
        SCOPED_TRACE(round);
        const bool sound = round >= 5;
        EXPECT_EQ(runState(), sound ? 0 : halvex::ExitWithoutSaving);
        EXPECT_EQ(d.OldNodeCount, sound ? 9 : 0) << "nothing computed on another net";
        ASSERT_EQ(box->boxes().size(), before + (sound ? 0u : 1u));
        if (!sound) EXPECT_EQ(box->boxes().back().prompt, analyseFirst);  // no file damaged
    }
}

TEST_F(InternalForcesTest, StopByTheUserOrAnUnreadableHeaderStopsTheRun) {
    writeHeader(1, halvex::Givensubgrade);
    writeSolverFiles(curvedField(), identityMap());
    for (int stopAt = 1; stopAt <= 9; ++stopAt) {
        drovik::ClsWaitWindow::stopAfterUpdates(stopAt);
        window = std::make_shared<drovik::ClsWaitWindow>();
        ComputeInternalForces();
        EXPECT_EQ(runState(), halvex::ExitWithoutSaving) << stopAt;
        // Up to the size field's own step nothing of a field is left.
        if (stopAt < 9) {
            EXPECT_EQ(declar().OldNodeCount, 0) << stopAt;
        }
    }
    drovik::ClsWaitWindow::stopAfterUpdates(0);
    window = std::make_shared<drovik::ClsWaitWindow>();
    EXPECT_TRUE(box->boxes().empty()) << "a stop shows no message";

    folder.write("SLAB.PO1", "1\r\n");
    box->answer(forms::vbOK);
    ComputeInternalForces();
    EXPECT_EQ(runState(), halvex::ExitWithoutSaving);
    ASSERT_EQ(box->boxes().size(), 1u);
    EXPECT_NE(box->boxes()[0].prompt.find("SLAB.PO1"), std::string::npos) << box->boxes()[0].prompt;
}

TEST_F(InternalForcesTest, NoProjectsReadsNothing) {
    declar().ProjectCount = 0;
    orvelo::RunControl().RunState(3);
    ComputeInternalForces();
    EXPECT_EQ(runState(), 0);
    EXPECT_EQ(declar().OldNodeCount, 0);
    EXPECT_TRUE(box->boxes().empty());
}

TEST_F(InternalForcesTest, SymmetryAtTheLargestXGivesTheUserSize) {
    for (int kind : {3, 4}) {
        const std::vector<float> sizes = run(halvex::Givensubgrade, shuffledMap(), kind);
        ASSERT_EQ(runState(), 0);
        // Project nodes 3, 6 and 9 lie at x = 2, the largest x.
        for (int n : {3, 6, 9}) EXPECT_EQ(sizes[n], 1.0f) << kind << " node " << n;
        EXPECT_LT(*std::min_element(sizes.begin() + 1, sizes.end()), 1.0f);
    }
}

TEST_F(InternalForcesTest, PreferencesChooseCornerValuesOrElementMeans) {
    const std::vector<float> own = run(halvex::Givensubgrade);
    folder.write("Preferen.dat", "1.5\r\n#TRUE#\r\n#FALSE#\r\n#FALSE#\r\n");
    const std::vector<float> means = run(halvex::Givensubgrade);
    EXPECT_NE(own, means);
    folder.write("Preferen.dat", "1.5\r\n#TRUE#\r\n#FALSE#\r\n#TRUE#\r\n");
    EXPECT_EQ(run(halvex::Givensubgrade), own);
    EXPECT_TRUE(box->boxes().empty());

    // An unreadable file: the library's message, and the own corner values.
    folder.write("Preferen.dat", "1.5\r\n");
    box->answer(forms::vbOK);
    EXPECT_EQ(run(halvex::Givensubgrade), own);
    EXPECT_EQ(runState(), 0);
    EXPECT_EQ(box->boxes().size(), 1u);
}

}  // namespace
