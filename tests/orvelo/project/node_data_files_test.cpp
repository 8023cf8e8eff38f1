#include <sys/stat.h>
#include <unistd.h>

#include <optional>

#include "halvex/services/library_state.h"
#include "node_data_fixture.h"
#include "orvelo/project/node_data_files.h"
#include "orvelo/project/services.h"
#include "outside/quillon/language_text.h"
#include "unprivileged.h"

using orvelo::BasData;
using orvelo::DataFileRead;
using orvelo::NodeDataFile;

namespace {

class NodeDataFilesTest : public NodeDataTest {};

constexpr NodeDataFile kAllFiles[] = {NodeDataFile::P35, NodeDataFile::P91, NodeDataFile::P31,
                                      NodeDataFile::P71, NodeDataFile::PIL, NodeDataFile::PV1,
                                      NodeDataFile::PCW};

std::string nameOf(NodeDataFile file) { return std::string("SLAB.") + orvelo::NodeDataFileExtension(file); }

TEST_F(NodeDataFilesTest, EveryFileReadsAndWritesBackUnchanged) {
    orvelo::declar().NodeCount = 12;  // the net the values per node belong to
    for (NodeDataFile file : kAllFiles) {
        copyFixture(nameOf(file), nameOf(file));
        ASSERT_EQ(orvelo::ReadNodeDataFile(file, 12), DataFileRead::Read) << nameOf(file);
        folder.write(nameOf(file), "");
        ASSERT_TRUE(orvelo::WriteNodeDataFile(file)) << nameOf(file);
        EXPECT_EQ(folder.read(nameOf(file)), fixture(nameOf(file))) << nameOf(file);
    }
    EXPECT_TRUE(box->boxes().empty());
    EXPECT_EQ(orvelo::ReadP35(), -1);
    EXPECT_EQ(orvelo::ReadPCW(), -1);
}

TEST_F(NodeDataFilesTest, ArraysHoldWhatTheFilesSay) {
    for (NodeDataFile file : kAllFiles) copyFixture(nameOf(file), nameOf(file));
    const BasData& b = orvelo::basData();

    ASSERT_EQ(orvelo::ReadNodeDataFile(NodeDataFile::P35), DataFileRead::Read);
    EXPECT_EQ(b.SpringNodes, (std::vector<std::int16_t>{0, 6, 11}));
    EXPECT_EQ(b.SpringValues[2], 25000.5f);
    EXPECT_EQ(b.SpringPairB[1], 12.0f);
    // .P91 shares the count, nodes and values with .P35.
    ASSERT_EQ(orvelo::ReadNodeDataFile(NodeDataFile::P91), DataFileRead::Read);
    EXPECT_EQ(b.SpringValueA[2], -2.0f);
    EXPECT_EQ(b.SpringValues[2], 25000.0f);

    ASSERT_EQ(orvelo::ReadNodeDataFile(NodeDataFile::P31), DataFileRead::Read);
    EXPECT_EQ(b.DofNodes, (std::vector<std::int16_t>{0, 1, 4, 9}));
    EXPECT_EQ(b.DofTextC[2], "f");

    // Piles of two and of no entries: the entry lists have a row per
    // entry of the pile with the most and a column per pile.
    ASSERT_EQ(orvelo::ReadNodeDataFile(NodeDataFile::PIL), DataFileRead::Read);
    EXPECT_EQ(b.PileNodes, (std::vector<std::int16_t>{0, 2, 7, 12}));
    EXPECT_EQ(b.PileEntryCount, (std::vector<std::int16_t>{0, 2, 0}));
    EXPECT_EQ(b.PileName[2], "Driven pile, steel");
    ASSERT_EQ(b.PileEntryA.size(), 3u);
    ASSERT_EQ(b.PileEntryA[2].size(), 3u);
    EXPECT_EQ(b.PileEntryD[2][1], -4.0f);
    EXPECT_EQ(b.PileEntryCode[1][1], 7);

    // Only the nonzero values per node are held, scaled by 100.
    ASSERT_EQ(orvelo::ReadNodeDataFile(NodeDataFile::PV1, 12), DataFileRead::Read);
    EXPECT_EQ(b.NodeValueCount, 3);
    EXPECT_EQ(b.NodeValueNodes, (std::vector<std::int16_t>{0, 3, 7, 12}));
    EXPECT_EQ(b.NodeValues[1], 25.0f);
    EXPECT_EQ(b.NodeValues[2], -150.0f);
}

TEST_F(NodeDataFilesTest, ValuesPerNodeAreWrittenForEveryNodeOfTheNet) {
    orvelo::declar().NodeCount = 4;
    folder.write("SLAB.PV1", "0\r\n0\r\n0\r\n0\r\n");
    ASSERT_EQ(orvelo::ReadNodeDataFile(NodeDataFile::PV1, 4), DataFileRead::Read);
    EXPECT_EQ(orvelo::basData().NodeValueCount, 0);
    ASSERT_TRUE(orvelo::WriteNodeDataFile(NodeDataFile::PV1));
    EXPECT_EQ(folder.read("SLAB.PV1"), "0\r\n0\r\n0\r\n0\r\n");

    // Two entries for one node (two old nodes on one new node): the later wins.
    BasData& b = orvelo::basData();
    b.NodeValueCount = 3;
    b.NodeValueNodes = {0, 2, 4, 2};
    b.NodeValues = {0, 50, 7, -25};
    ASSERT_TRUE(orvelo::WriteNodeDataFile(NodeDataFile::PV1));
    EXPECT_EQ(folder.read("SLAB.PV1"), "0\r\n-0.25\r\n0\r\n0.07\r\n");

    // A node the net does not have is refused before anything is written.
    b.NodeValueNodes[2] = 5;
    box->answer(forms::vbOK);
    EXPECT_FALSE(orvelo::WriteNodeDataFile(NodeDataFile::PV1));
    EXPECT_EQ(folder.read("SLAB.PV1"), "0\r\n-0.25\r\n0\r\n0.07\r\n");
}

TEST_F(NodeDataFilesTest, ReadersDeclineWhatTheProjectDoesNotHold) {
    for (NodeDataFile file : kAllFiles) copyFixture(nameOf(file), nameOf(file));
    orvelo::Declar& d = orvelo::declar();
    BasData& b = orvelo::basData();
    b.SpringCount = 1;
    b.SpringNodes = {0, 99};

    d.AnalysisMethod = 13;
    for (NodeDataFile file : {NodeDataFile::P35, NodeDataFile::P91, NodeDataFile::P31, NodeDataFile::P71})
        EXPECT_EQ(orvelo::ReadNodeDataFile(file), DataFileRead::NotUsed) << nameOf(file);
    EXPECT_EQ(orvelo::ReadNodeDataFile(NodeDataFile::PIL), DataFileRead::Read);
    d.AnalysisMethod = 22;
    EXPECT_EQ(orvelo::ReadNodeDataFile(NodeDataFile::PV1, 12), DataFileRead::NotUsed);
    d.AnalysisMethod = 15;
    EXPECT_EQ(orvelo::ReadNodeDataFile(NodeDataFile::PV1, 12), DataFileRead::NotUsed);
    d.AnalysisMethod = 1;

    const std::pair<std::int16_t*, NodeDataFile> options[] = {
        {&d.HeaderOption5, NodeDataFile::P35}, {&d.HeaderOption5, NodeDataFile::P91},
        {&d.HeaderOption6, NodeDataFile::P31}, {&d.HeaderOption6, NodeDataFile::P71},
        {&d.HeaderOption13, NodeDataFile::PIL}, {&d.HeaderOption3, NodeDataFile::PV1}};
    for (const auto& [option, file] : options) {
        *option = 2;
        EXPECT_EQ(orvelo::ReadNodeDataFile(file, 12), DataFileRead::NotUsed) << nameOf(file);
        *option = 1;
        EXPECT_NE(orvelo::ReadNodeDataFile(file, 12), DataFileRead::NotUsed) << nameOf(file);
        *option = 0;
    }
    d.HeaderOption5 = 2;
    EXPECT_EQ(orvelo::ReadP35(), 0);
    EXPECT_EQ(b.SpringNodes, (std::vector<std::int16_t>{0, 6, 11})) << "what .P91 read before stays";

    d.CurrentProjectName = "OTHER";
    d.HeaderOption5 = 0;
    for (NodeDataFile file : kAllFiles)
        EXPECT_EQ(orvelo::ReadNodeDataFile(file, 12), DataFileRead::Missing) << nameOf(file);
    EXPECT_TRUE(box->boxes().empty());
}

TEST_F(NodeDataFilesTest, BrokenFileIsReportedOnceAndTakesNothingOver) {
    orvelo::basData().PileCount = 5;
    std::string text = fixture("SLAB.PIL");
    folder.write("SLAB.PIL", text.substr(0, text.find("Driven")));
    box->answer(forms::vbOK);
    EXPECT_EQ(orvelo::ReadNodeDataFile(NodeDataFile::PIL), DataFileRead::Failed);
    ASSERT_EQ(box->boxes().size(), 1u);
    EXPECT_NE(box->boxes()[0].prompt.find(folder.path("SLAB.PIL")), std::string::npos);
    EXPECT_EQ(orvelo::basData().PileCount, 5);

    folder.write("SLAB.P35", "Version 9\r\n1\r\n0\r\n1\r\nsix\r\n0\r\n0\r\n0\r\n");
    box->answer(forms::vbOK);
    EXPECT_EQ(orvelo::ReadP35(), 0) << "a node number that is no number";
    EXPECT_FALSE(rt::dataChannel().isOpen());
}

// A refused file gets one message naming it with the cause: a count past
// 32767, reading not permitted, no file under its name; in English and in
// Arabic with its path kept in one piece.
TEST_F(NodeDataFilesTest, RefusedFilesAreNamedWithTheCause) {
    ::chmod(folder.dir().c_str(), 0755);  // root reads any file: read it as nobody
    for (const std::string language : {"English", "Arabic"}) {
        orvelo::useLanguageTexts(std::make_unique<quillon::ClsLanguageText>(quillon::ProgramDirectory() + "language/", language));
        for (NodeDataFile file : {NodeDataFile::P35, NodeDataFile::P91, NodeDataFile::P31, NodeDataFile::P71,
                                  NodeDataFile::PIL, NodeDataFile::PCW}) {
            const std::string path = folder.path(nameOf(file)), version = file == NodeDataFile::PIL ? "" : "Version 9\r\n";
            for (int cause = 0; cause < 3; ++cause) {
                SCOPED_TRACE(nameOf(file) + " " + language + " cause " + std::to_string(cause));
                std::filesystem::remove_all(path);
                if (cause == 2) std::filesystem::create_directory(path);
                else folder.write(nameOf(file), version + (cause == 0 ? "32768" : "0") + "\r\n0\r\n0\r\n0\r\n");
                if (cause == 1) ::chmod(path.c_str(), 0);
                std::vector<rt::Variant> more{"|1", path};
                if (cause == 0) more.insert(more.end(), {"|2", 32768});
                const std::string expected = orvelo::LanguageTexts().GetText(rt::Variant(std::vector{190142, 190141, 190267}[cause]), more);
                box->answer(forms::vbOK);
                std::optional<ohtest::Unprivileged> asNobody;
                if (cause == 1) asNobody.emplace();
                EXPECT_EQ(orvelo::ReadNodeDataFile(file, 4), DataFileRead::Failed);
                asNobody.reset();
                ASSERT_FALSE(box->boxes().empty());
                EXPECT_EQ(box->boxes().back().prompt, expected);
                if (language == "Arabic") { EXPECT_NE(expected.find("\u2066" + path + "\u2069"), std::string::npos) << expected; }
            }
        }
    }
}

TEST_F(NodeDataFilesTest, SpringsWithoutRecordsAreThreeLines) {
    ASSERT_TRUE(orvelo::WriteNodeDataFile(NodeDataFile::P35));
    EXPECT_EQ(folder.read("SLAB.P35"), "Version 9\r\n0\r\n0\r\n");
}

TEST_F(NodeDataFilesTest, TextFieldsAreWrittenAsFOrAsInvariantNumbers) {
    // A user whose numbers use a decimal comma: the files keep the point.
    halvex::libraryState().DecimalSystem = halvex::SystemComma;
    BasData& b = orvelo::basData();
    b.DofCount = 2;
    b.DofCode = {0, 1, 2};
    b.DofNodes = {0, 3, 4};
    b.DofTextA = {"", "", "f"};
    b.DofTextB = {"", "1,5", " 2.50 "};
    b.DofTextC = {"", "abc", "1.5E+07"};
    ASSERT_TRUE(orvelo::WriteNodeDataFile(NodeDataFile::P31));
    EXPECT_EQ(linesOf(folder.read("SLAB.P31")),
              (std::vector<std::string>{"Version 9", "2", "0", "1", "3", "F", "1.5", "0", "2", "4",
                                        "f", "2.5", "1.5E+07"}));
    EXPECT_EQ(b.DofTextA[1], "F") << "kept in memory";

    b.DofTextD = {"", "", "-0,25"};
    ASSERT_TRUE(orvelo::WriteNodeDataFile(NodeDataFile::P71));
    EXPECT_EQ(linesOf(folder.read("SLAB.P71")),
              (std::vector<std::string>{"Version 9", "2", "3", "F", "F", "4", "-0.25", "f"}));

    // A number too large for a Single is named with its field and record.
    b.DofTextB[2] = "1E+39";
    box->answer(forms::vbOK);
    EXPECT_FALSE(orvelo::WriteNodeDataFile(NodeDataFile::P31));
    ASSERT_EQ(box->boxes().size(), 1u);
    EXPECT_EQ(box->boxes()[0].prompt,
              orvelo::LanguageTexts().GetText(rt::Variant(190266), {"|1", folder.path("SLAB.P31"), "|2", "1E+39", "|3", 2, "|4", 2}));
}

TEST_F(NodeDataFilesTest, WritersRefuseListsShorterThanTheirCounts) {
    folder.write("SLAB.PCW", "earlier\r\n");
    BasData& b = orvelo::basData();
    b.PcwCount = 2;
    b.PcwNodes = {0, 1};
    box->answer(forms::vbOK);
    EXPECT_FALSE(orvelo::WriteNodeDataFile(NodeDataFile::PCW));
    EXPECT_EQ(folder.read("SLAB.PCW"), "earlier\r\n");
    EXPECT_EQ(box->boxes().size(), 1u);
}

TEST_F(NodeDataFilesTest, CentroidIsTheMeanOfTheCornersAndNeedsCorners) {
    orvelo::Declar& d = orvelo::declar();
    d.NodeCount = 4;
    d.NodeX = {0, 0, 3, 3, 0};
    d.NodeY = {0, 0, 0, 3, 3};
    d.ElementCount = 3;
    d.ElementList = {orvelo::NetElement{}, element({1, 2, 3}, {0, 0, 0}),
                     element({1, 2, 3, 4}, {0, 0, 0, 0}), orvelo::NetElement{}};
    float cx = -1.0f;
    float cy = -1.0f;
    orvelo::ElementCentroid(1, cx, cy);
    EXPECT_EQ(cx, 2.0f);
    EXPECT_EQ(cy, 1.0f);
    orvelo::ElementCentroid(2, cx, cy);
    EXPECT_EQ(cx, 1.5f);
    EXPECT_EQ(cy, 1.5f);
    EXPECT_EQ(errorNumberOf([&] { orvelo::ElementCentroid(3, cx, cy); }), 9)
        << "an element without corners has no centre";
    EXPECT_EQ(errorNumberOf([&] { orvelo::ElementCentroid(4, cx, cy); }), 9);
}

}  // namespace
