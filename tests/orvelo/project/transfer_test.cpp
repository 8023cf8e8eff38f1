#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <fstream>
#include <string>

#include "node_data_fixture.h"
#include "orvelo/project/boring_file.h"
#include "orvelo/project/boring_layout.h"
#include "orvelo/project/line_members.h"
#include "orvelo/project/transfer.h"
#include "platform/runtime/recordfile.h"

using orvelo::Declar;
using orvelo::TransferKind;
using orvelotest::CountingWaitWindow;

namespace {

namespace fs = std::filesystem;

// The input project in/SLAB, whose files operation 12 has copied to
// out/NEW. The old net: 3 x 2 unit cells (12 nodes, 12 triangles); the new
// net by default 6 x 4 cells of 0.5 over the same slab (35 nodes), so old
// node (i, j) stands at new node (2i, 2j).
class TransferTest : public NodeDataTest {
protected:
    void SetUp() override {
        NodeDataTest::SetUp();
        // Tests that run several cases call SetUp again: a fresh project.
        fs::remove_all(folder.path("in"));
        fs::remove_all(folder.path("out"));
        fs::create_directory(folder.path("in"));
        fs::create_directory(folder.path("out"));
        Declar& d = orvelo::declar();
        d.DataDir = folder.path("in/");
        d.ProjectName = "SLAB";
        d.CurrentDataDir = d.DataDir;
        d.CurrentProjectName = d.ProjectName;
        d.OutputDir = folder.path("out/");
        d.OutputName = "NEW";
        d.SourceNet = gridProjectNet(3, 2, 1.0f);
        d.SourceNetLoaded = true;
        orvelo::setProjectNet(d, gridProjectNet(6, 4, 0.5f));
    }

    static std::int16_t newOfOld(std::int16_t old) {
        const int i = (old - 1) % 4;
        const int j = (old - 1) / 4;
        return static_cast<std::int16_t>(1 + 2 * i + 7 * 2 * j);
    }

    // A file of the input project and its copy in the output project.
    void place(const std::string& ext, const std::string& bytes) const {
        folder.write("in/SLAB." + ext, bytes);
        folder.write("out/NEW." + ext, bytes);
    }
    void placeFixture(const std::string& ext) const { place(ext, fixture("SLAB." + ext)); }
    std::string output(const std::string& ext) const { return folder.read("out/NEW." + ext); }

    // A random-access file of the input project and its copy.
    void placeRecords(const std::string& ext, const std::map<int, std::int16_t>& integers,
                      const std::map<int, float>& singles = {},
                      const std::map<int, std::string>& strings = {}) const {
        for (const std::string& path : {folder.path("in/SLAB." + ext), folder.path("out/NEW." + ext)}) {
            rt::RecordFile file;
            file.open(path, true);
            for (const auto& [rec, value] : integers) file.putInteger(rec, value);
            for (const auto& [rec, value] : singles) file.putSingle(rec, value);
            for (const auto& [rec, value] : strings) file.putString(rec, value);
            file.close();
        }
    }

    // Element zones: K zones, the zone of old element e in record 3K + 9 + e.
    void placeZones(std::int16_t zoneCount, const std::vector<std::int16_t>& zonesOfOldElements) const {
        std::map<int, std::int16_t> integers{{2, zoneCount}};
        for (std::size_t e = 1; e < zonesOfOldElements.size(); ++e)
            integers[3 * zoneCount + 9 + static_cast<int>(e)] = zonesOfOldElements[e];
        placeRecords("P21", integers, {{4, 0.0f}, {5, 0.0f}, {6, 0.0f}, {3 * zoneCount + 7, 0.3f}});
    }

    std::vector<std::int16_t> outputZones(std::int16_t zoneCount) const {
        rt::RecordFile file;
        file.open(folder.path("out/NEW.P21"), false);
        std::vector<std::int16_t> zones(1, 0);
        for (int e = 1; e <= orvelo::declar().ElementCount; ++e)
            zones.push_back(file.getInteger(3 * zoneCount + 9 + e));
        return zones;
    }

    void expectOutputCurrent() const {
        const Declar& d = orvelo::declar();
        EXPECT_EQ(d.DataDir, folder.path("out/"));
        EXPECT_EQ(d.ProjectName, "NEW");
        EXPECT_EQ(d.CurrentDataDir, folder.path("out/"));
        EXPECT_EQ(d.CurrentProjectName, "NEW");
    }

    void run() { transfer.ListDataToTransfer(); }

    orvelo::NodeDataTransfer transfer;
};

// The old element (of the 3 x 2 unit net) whose triangle holds the point.
std::int16_t oldElementHolding(float x, float y) {
    const int i = static_cast<int>(x);
    const int j = static_cast<int>(y);
    const bool lower = (y - static_cast<float>(j)) < (x - static_cast<float>(i));
    return static_cast<std::int16_t>(2 * (i + 3 * j) + (lower ? 1 : 2));
}

TEST_F(TransferTest, EveryKindIsCarriedOverToTheNodesAtTheSamePlaces) {
    for (const char* ext : {"GL1", "P35", "P31", "PIL", "PV1"}) placeFixture(ext);
    std::vector<std::int16_t> oldZones(13, 0);
    for (int e = 1; e <= 12; ++e) oldZones[e] = static_cast<std::int16_t>(100 + e);
    placeZones(2, oldZones);
    run();

    EXPECT_TRUE(box->boxes().empty());
    expectOutputCurrent();
    EXPECT_EQ(transfer.FoundKinds(),
              (std::vector<TransferKind>{TransferKind::LineMembers, TransferKind::Springs,
                                         TransferKind::PrescribedDofs, TransferKind::Piles,
                                         TransferKind::ElementZones, TransferKind::NodeValues}));
    EXPECT_EQ(transfer.FoundKindTexts().front(), "Line members");
    EXPECT_EQ(window->title(), "Transferring node-related data to the new net");

    const orvelo::BasData& b = orvelo::basData();
    ASSERT_TRUE(orvelo::ReadLineMembers());
    EXPECT_EQ(b.MemberStartNode, (std::vector<std::int16_t>{0, newOfOld(1), newOfOld(5), newOfOld(2)}));
    EXPECT_EQ(b.MemberEndNode, (std::vector<std::int16_t>{0, newOfOld(4), newOfOld(8), newOfOld(3)}));
    EXPECT_TRUE(fs::exists(folder.path("out/NEW.GL2")));
    ASSERT_EQ(orvelo::ReadP35(), -1);
    EXPECT_EQ(b.SpringNodes, (std::vector<std::int16_t>{0, newOfOld(6), newOfOld(11)}));
    ASSERT_EQ(orvelo::ReadP31(), -1);
    EXPECT_EQ(b.DofNodes, (std::vector<std::int16_t>{0, newOfOld(1), newOfOld(4), newOfOld(9)}));
    ASSERT_EQ(orvelo::ReadPIL(), -1);
    EXPECT_EQ(b.PileNodes, (std::vector<std::int16_t>{0, newOfOld(2), newOfOld(7), newOfOld(12)}));
    EXPECT_EQ(b.PileName[2], "Driven pile, steel");
    ASSERT_EQ(orvelo::ReadPV1(), -1) << "one value for each of the 35 new nodes";
    EXPECT_EQ(b.NodeValueNodes, (std::vector<std::int16_t>{0, newOfOld(3), newOfOld(7), newOfOld(12)}));
    EXPECT_EQ(linesOf(output("PV1")).size(), 35u);
    EXPECT_EQ(linesOf(output("PV1"))[34], "0.057");

    // Each new element takes the zone of the old element holding its centre.
    const std::vector<std::int16_t> zones = outputZones(2);
    const Declar& d = orvelo::declar();
    for (std::int16_t e = 1; e <= d.ElementCount; ++e) {
        float cx = 0.0f;
        float cy = 0.0f;
        orvelo::ElementCentroid(e, cx, cy);
        EXPECT_EQ(zones[e], 100 + oldElementHolding(cx, cy)) << "element " << e;
    }
    rt::RecordFile p21;
    p21.open(folder.path("out/NEW.P21"), false);
    EXPECT_EQ(p21.getSingle(13), 0.3f) << "the zone values stay";
    EXPECT_EQ(p21.getInteger(2), 2);

    // The input project keeps its files.
    EXPECT_EQ(folder.read("in/SLAB.P35"), fixture("SLAB.P35"));
}

// The kinds are told apart by what they are, not by their display texts: a
// language in which springs and piles read alike carries both over.
TEST_F(TransferTest, KindsWithEqualTextsAreStillToldApart) {
    std::ifstream english(std::string(OH_SOURCE_DIR) + "/progdir/language/English.txt");
    std::string table;
    for (std::string line; std::getline(english, line);) {
        for (TransferKind kind : {TransferKind::Springs, TransferKind::Piles})
            if (line.rfind(std::to_string(orvelo::TransferKindTextNo(kind)) + " ", 0) == 0)
                line = std::to_string(orvelo::TransferKindTextNo(kind)) + " Supports";
        table += line + "\n";
    }
    fs::create_directories(folder.path("lang"));
    folder.write("lang/English.txt", table);
    orvelo::useLanguageTexts(std::make_unique<quillon::ClsLanguageText>(folder.path("lang"), "English"));
    placeFixture("P35");
    placeFixture("PIL");
    run();

    EXPECT_EQ(transfer.FoundKindTexts(), (std::vector<std::string>{"Supports", "Supports"}));
    const orvelo::BasData& b = orvelo::basData();
    ASSERT_EQ(orvelo::ReadP35(), -1);
    EXPECT_EQ(b.SpringNodes, (std::vector<std::int16_t>{0, newOfOld(6), newOfOld(11)}));
    ASSERT_EQ(orvelo::ReadPIL(), -1);
    EXPECT_EQ(b.PileNodes, (std::vector<std::int16_t>{0, newOfOld(2), newOfOld(7), newOfOld(12)}));
}

TEST_F(TransferTest, KindsAreLookedForByTheFilesOfTheMethod) {
    for (const char* ext : {"PC1", "P81", "P61", "PCF"}) place(ext, "x\r\n");
    orvelo::declar().AnalysisMethod = 21;
    run();
    const std::vector<TransferKind> springsDofsLoads = {
        TransferKind::Springs, TransferKind::PrescribedDofs, TransferKind::NodalLoads};
    EXPECT_EQ(transfer.FoundKinds(), springsDofsLoads);
    EXPECT_EQ(transfer.FoundKindTexts(),
              (std::vector<std::string>{"Springs", "Prescribed degrees of freedom", "Nodal loads"}));
    // Method 21's files and .PC1, whose layouts the store does not know:
    // listed and shown, but kept as copied.
    for (const char* ext : {"P81", "P61", "PCF", "PC1"}) EXPECT_EQ(output(ext), "x\r\n") << ext;
    EXPECT_TRUE(box->boxes().empty());
    expectOutputCurrent();
}

TEST_F(TransferTest, EveryFileOfAKnownLayoutIsCarriedWhateverTheMethod) {
    for (const char* ext : {"P91", "P71", "PCW", "P35"}) placeFixture(ext);
    orvelo::declar().AnalysisMethod = 22;
    run();
    EXPECT_EQ(transfer.FoundKinds(), (std::vector<TransferKind>{TransferKind::Springs,
                                                                TransferKind::PrescribedDofs,
                                                                TransferKind::NodalLoads}));
    orvelo::declar().CurrentDataDir = folder.path("out/");
    ASSERT_EQ(orvelo::ReadPCW(), -1);
    EXPECT_EQ(orvelo::basData().PcwNodes, (std::vector<std::int16_t>{0, newOfOld(3), newOfOld(10)}));
    ASSERT_EQ(orvelo::ReadP71(), -1);
    EXPECT_EQ(orvelo::basData().DofNodes, (std::vector<std::int16_t>{0, newOfOld(1), newOfOld(12)}));
    ASSERT_EQ(orvelo::ReadP35(), -1) << "not the method's file, but carried as well";
    EXPECT_EQ(orvelo::basData().SpringNodes, (std::vector<std::int16_t>{0, newOfOld(6), newOfOld(11)}));
}

TEST_F(TransferTest, ProjectWithoutNodeDataStillEndsWithTheOutputCurrent) {
    run();
    EXPECT_TRUE(transfer.FoundKinds().empty());
    EXPECT_TRUE(box->boxes().empty());
    expectOutputCurrent();
    EXPECT_EQ(runState(), 0);
}

// A kind the header declares whose file is missing or no regular file: the
// missing-file message names it and the run stops; undeclared, no fault.
TEST_F(TransferTest, DeclaredKindWithoutItsFileStopsTheRun) {
    const std::pair<std::int16_t Declar::*, std::string> kinds[] = {{&Declar::HeaderOption7, "GL1"},
        {&Declar::HeaderOption5, "P35"}, {&Declar::HeaderOption6, "P31"}, {&Declar::HeaderOption13, "PIL"}};
    const std::function<void(const std::string&)> notFiles[] = {[](const std::string&) {},
        [](const std::string& p) { fs::create_directory(p); }, [](const std::string& p) { ::mkfifo(p.c_str(), 0600); },
        [](const std::string& p) { fs::create_symlink(p + ".gone", p); },
        [](const std::string& p) { fs::create_symlink(p, p); }};
    for (const auto& [option, ext] : kinds)
        for (const auto& makeNotFile : notFiles)
            for (const bool declared : {true, false}) {
                SetUp();
                const std::size_t before = box->boxes().size();
                orvelo::declar().*option = declared ? 1 : 0;
                makeNotFile(folder.path("in/SLAB." + ext));
                box->answer(forms::vbOK);
                run();
                expectOutputCurrent();
                EXPECT_EQ(runState(), declared ? halvex::ExitWithoutSaving : 0) << ext;
                ASSERT_EQ(box->boxes().size(), before + (declared ? 1 : 0)) << ext;
                EXPECT_TRUE(!declared || box->boxes().back().prompt.find(folder.path("in/SLAB." + ext)) != std::string::npos);
            }
}

TEST_F(TransferTest, BoringsCountOnlyWithTwoBoringsAndTheirFile) {
    orvelo::BoringData& borings = orvelo::boringData();
    // One boring's layout, no .BAU: no borings, no message, the count reset.
    placeRecords("P41", {{1, 3}, {2, 1}});
    borings.BoringCount = 5;
    run();
    EXPECT_EQ(borings.BoringCount, 0);
    EXPECT_TRUE(transfer.FoundKinds().empty());
    EXPECT_TRUE(box->boxes().empty());
    EXPECT_EQ(runState(), 0);

    // One boring.
    SetUp();
    placeRecords("P41", {{1, 3}, {2, 1}});
    placeRecords("BAU", {{4, 1}}, {{6, 1.0f}, {7, 1.0f}}, {{8, "B1"}});
    run();
    EXPECT_EQ(borings.BoringCount, 1);
    EXPECT_TRUE(transfer.FoundKinds().empty());
    EXPECT_FALSE(fs::exists(folder.path("out/NEW.P41"))) << "the layout of the old net is not carried";

    // Methods without boring regions do not look at .BAU.
    SetUp();
    place("P41", "x");
    placeRecords("BAU", {{4, 3}});
    borings.BoringCount = 7;
    orvelo::declar().AnalysisMethod = 17;
    run();
    EXPECT_EQ(borings.BoringCount, 7);
    EXPECT_TRUE(transfer.FoundKinds().empty());
    EXPECT_TRUE(box->boxes().empty());
}

TEST_F(TransferTest, BoringRegionsAreLaidOutAnewForTheNewNet) {
    // Three borings around the slab and the old net's layout file.
    placeRecords("BAU", {{4, 3}}, {{6, 0.0f}, {7, 0.0f}, {11, 3.0f}, {12, 0.0f}, {16, 1.5f}, {17, 2.0f}},
                 {{8, "B1"}, {13, "B2"}, {18, "B3"}});
    placeRecords("P21", {{2, 1}}, {{4, 0.0f}, {5, 0.0f}, {6, 0.0f}});
    Declar& d = orvelo::declar();
    {
        // The .P41 the old net had: every node a constant node of boring 2.
        const Declar saved = d;
        orvelo::setProjectNet(d, d.SourceNet);
        d.CurrentDataDir = folder.path("in/");
        orvelo::BoringData& borings = orvelo::boringData();
        borings.BoringCount = 3;
        orvelo::SetDefaultBoringLayout(12);
        borings.BoringLayoutKind = 3;  // the stored triangles and strips, with the node regions
        for (int i = 1; i <= 12; ++i) borings.NodeRegion[i] = 2;
        orvelo::WriteBoringFile();
        fs::copy_file(folder.path("in/SLAB.P41"), folder.path("out/NEW.P41"));
        d = saved;
        orvelo::resetBoringData();
    }
    run();
    EXPECT_EQ(transfer.FoundKinds(),
              (std::vector<TransferKind>{TransferKind::ElementZones, TransferKind::Borings}));
    EXPECT_TRUE(box->boxes().empty());
    // The stored constant nodes went with their places: every new node
    // takes boring 2 from the old node at or nearest to it (none boring 1).
    orvelo::resetBoringData();
    ASSERT_TRUE(orvelo::ReadBorings(folder.path("out/NEW")));
    ASSERT_TRUE(orvelo::ReadBoringFile());
    const orvelo::BoringData& borings = orvelo::boringData();
    ASSERT_GE(borings.NodeRegion.size(), 36u);
    for (std::int16_t node = 1; node <= 35; ++node) EXPECT_EQ(borings.NodeRegion[node], 2) << node;
    EXPECT_FALSE(fs::exists(folder.path("out/NEW.P41.tmp")));
}

// ---- what the transfer does with faulty or missing data ----

// A .BAU missing, damaged or of another count than .P41, an unreadable
// .P41 or .PV1: each stops the run with one message naming the file.
TEST_F(TransferTest, SoilFilesThatContradictTheProjectStopTheRun) {
    const auto validBorings = [this] {
        placeRecords("BAU", {{4, 3}}, {{6, 0.0f}, {7, 0.0f}, {11, 3.0f}, {12, 0.0f}, {16, 1.5f}, {17, 2.0f}},
                     {{8, "B1"}, {13, "B2"}, {18, "B3"}});
    };
    const auto layoutOf3 = [this] { placeRecords("P41", {{1, 3}, {2, 3}}); };
    const struct {
        std::function<void()> make;
        std::string named;
    } cases[] = {
        {layoutOf3, "BAU"},
        {[&] { layoutOf3(); placeRecords("BAU", {{4, 0}}); }, "BAU"},
        {[&] { layoutOf3(); place("BAU", "\xEF\xBB\xBF\r\n\r\n"); }, "BAU"},
        {[&] { layoutOf3(); fs::create_directory(folder.path("in/SLAB.BAU")); }, "BAU"},
        {[&] { validBorings(); fs::create_directory(folder.path("in/SLAB.P41")); }, "P41"},
        {[&] { validBorings(); place("P41", "x"); }, "P41"},
        {[&] { orvelo::declar().HeaderOption3 = 1; }, "PV1"},
        {[&] { fs::create_directory(folder.path("in/SLAB.PV1")); }, "PV1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("case " + std::to_string(&c - cases));
        SetUp();
        c.make();
        const std::size_t before = box->boxes().size();
        box->answer(forms::vbOK);
        run();
        EXPECT_EQ(runState(), halvex::ExitWithoutSaving);
        EXPECT_TRUE(transfer.FoundKinds().empty());
        ASSERT_EQ(box->boxes().size(), before + 1);
        EXPECT_NE(box->boxes().back().prompt.find(folder.path("in/SLAB." + c.named)), std::string::npos)
            << box->boxes().back().prompt;
        expectOutputCurrent();
    }
}

TEST_F(TransferTest, WithoutTheOldNetTheRunStopsAndTheFilesStayAsCopied) {
    placeFixture("P35");
    orvelo::declar().SourceNetLoaded = false;
    box->answer(forms::vbOK);
    run();
    ASSERT_EQ(box->boxes().size(), 1u);
    EXPECT_EQ(forms::iconOf(box->boxes()[0].style), forms::vbCritical);
    EXPECT_NE(box->boxes()[0].prompt.find("not available"), std::string::npos);
    EXPECT_EQ(runState(), halvex::ExitWithoutSaving);
    EXPECT_EQ(output("P35"), fixture("SLAB.P35"));
    expectOutputCurrent();
}

TEST_F(TransferTest, NewNetWithoutNodesStopsTheRun) {
    placeFixture("P35");
    orvelo::setProjectNet(orvelo::declar(), orvelo::ProjectNet{});
    box->answer(forms::vbOK);
    run();
    ASSERT_EQ(box->boxes().size(), 1u);
    EXPECT_EQ(runState(), halvex::ExitWithoutSaving);
    EXPECT_EQ(output("P35"), fixture("SLAB.P35"));
    expectOutputCurrent();
}

TEST_F(TransferTest, DeclinedKindKeepsItsCopyInsteadOfStaleArrays) {
    placeFixture("P35");
    placeFixture("PIL");
    orvelo::BasData& b = orvelo::basData();
    b.SpringCount = 1;
    b.SpringCode = {0, 9};
    b.SpringNodes = {0, 3};
    orvelo::declar().HeaderOption5 = 2;  // the project says it has no springs
    run();
    EXPECT_EQ(output("P35"), fixture("SLAB.P35"));
    EXPECT_TRUE(box->boxes().empty());
    EXPECT_NE(output("PIL"), fixture("SLAB.PIL")) << "the other kinds are carried over";

    // A copy that is missing in the output project: said once; the run
    // stops.
    SetUp();
    placeFixture("P35");
    fs::remove(folder.path("out/NEW.P35"));
    box->answer(forms::vbOK);
    run();
    EXPECT_EQ(runState(), halvex::ExitWithoutSaving);
    ASSERT_EQ(box->boxes().size(), 1u);
    EXPECT_EQ(forms::iconOf(box->boxes()[0].style), forms::vbExclamation);
    EXPECT_NE(box->boxes()[0].prompt.find("NEW.P35"), std::string::npos);
    EXPECT_FALSE(fs::exists(folder.path("out/NEW.P35")));
}

// The file would keep numbers of the old net: the transfer ends there and
// the run stops (no later kind is carried over).
TEST_F(TransferTest, NodeNumberOutsideTheOldNetEndsTheTransfer) {
    for (std::string node : {"0", "13", "-4"}) {
        SetUp();
        std::string springs = fixture("SLAB.P35");
        springs.replace(springs.find("\r\n11\r\n") + 2, 2, node);
        place("P35", springs);
        placeFixture("PIL");
        const std::size_t boxesBefore = box->boxes().size();
        box->answer(forms::vbOK);
        run();
        ASSERT_EQ(box->boxes().size(), boxesBefore + 1) << node;
        const std::string& prompt = box->boxes().back().prompt;
        EXPECT_NE(prompt.find("NEW.P35"), std::string::npos) << prompt;
        EXPECT_NE(prompt.find(" " + node + ","), std::string::npos) << prompt;
        EXPECT_EQ(output("P35"), springs);
        EXPECT_EQ(output("PIL"), fixture("SLAB.PIL")) << "no later kind is carried over";
        EXPECT_EQ(runState(), halvex::ExitWithoutSaving);
    }
}

TEST_F(TransferTest, CollapsedLineMembersAreDroppedAndTheOthersKeepTheirOrder) {
    // A coarse new net: 1.5 wide, 2 high. Old node 5 (0, 1) lies as near
    // to new node 1 as to new node 4: the lower number is taken.
    Declar& d = orvelo::declar();
    d.NodeCount = 6;
    d.NodeX = {0, 0, 1.5f, 3, 0, 1.5f, 3};
    d.NodeY = {0, 0, 0, 0, 2, 2, 2};
    d.ElementCount = 2;
    d.ElementList = {orvelo::NetElement{}, element({1, 3, 6, 4}, {0, 0, 0, 0}), element({2, 3, 6, 5}, {0, 0, 0, 0})};
    d.ElementList[1].CornerCount = 4;
    placeFixture("GL1");
    run();
    const orvelo::BasData& b = orvelo::basData();
    ASSERT_TRUE(orvelo::ReadLineMembers());
    // Member 3 (old nodes 2 and 3) has both ends on new node 2.
    EXPECT_EQ(b.MemberCount, 2);
    EXPECT_EQ(b.MemberPropertySet, (std::vector<std::int16_t>{0, 1, 2}));
    EXPECT_EQ(b.MemberStartNode, (std::vector<std::int16_t>{0, 1, 1}));
    EXPECT_EQ(b.MemberEndNode, (std::vector<std::int16_t>{0, 3, 3}));
}

TEST_F(TransferTest, LineMemberOfAnUndefinedPropertySetIsLeftOutWithAMessage) {
    std::string members = fixture("SLAB.GL1");
    members.replace(members.find("\r\n2\r\n5\r\n8\r\n") + 2, 1, "4");  // member 2: set 4
    place("GL1", members);
    box->answer(forms::vbOK);
    run();
    ASSERT_EQ(box->boxes().size(), 1u);
    EXPECT_NE(box->boxes()[0].prompt.find("member 2 with property set 4"), std::string::npos)
        << box->boxes()[0].prompt;
    ASSERT_TRUE(orvelo::ReadLineMembers());
    const orvelo::BasData& b = orvelo::basData();
    EXPECT_EQ(b.MemberStartNode, (std::vector<std::int16_t>{0, newOfOld(1), newOfOld(2)}));
    EXPECT_EQ(b.MemberEndNode, (std::vector<std::int16_t>{0, newOfOld(4), newOfOld(3)}));
}

TEST_F(TransferTest, ZonesOutsideTheOldNetComeFromTheNearestOldElement) {
    // The new net reaches half a cell beyond the old one on the right.
    orvelo::setProjectNet(orvelo::declar(), gridProjectNet(7, 4, 0.5f));
    std::vector<std::int16_t> oldZones(13, 0);
    for (int e = 1; e <= 12; ++e) oldZones[e] = static_cast<std::int16_t>(e);
    placeZones(3, oldZones);
    run();
    const std::vector<std::int16_t> zones = outputZones(3);
    // New element 13: the lower triangle of the cell from (3, 0): its centre
    // (3.33, 0.17) lies nearest to the centre of old element 5.
    EXPECT_EQ(zones[13], 5);
    EXPECT_EQ(zones[14], 5);
    EXPECT_EQ(zones[1], 1);
}

TEST_F(TransferTest, OneZoneGoesToEveryElementAndNoOldZoneIsLeftBehind) {
    // A new net of two elements: the file ends with their zones.
    orvelo::setProjectNet(orvelo::declar(), gridProjectNet(1, 1, 3.0f));
    std::vector<std::int16_t> oldZones(13, 0);
    for (int e = 1; e <= 12; ++e) oldZones[e] = static_cast<std::int16_t>(20 + e);
    placeZones(2, oldZones);
    run();
    // Centres (2, 1) and (1, 2) are old nodes: the lowest-numbered old
    // element holding them is 3, and 7.
    EXPECT_EQ(outputZones(2), (std::vector<std::int16_t>{0, 23, 27}));
    EXPECT_EQ(fs::file_size(folder.path("out/NEW.P21")), (3u * 2 + 9 + 2) * 128);

    SetUp();
    placeZones(1, oldZones);
    run();
    std::vector<std::int16_t> ones(static_cast<std::size_t>(orvelo::declar().ElementCount) + 1, 1);
    ones[0] = 0;
    EXPECT_EQ(outputZones(1), ones) << "one zone: every element, nothing located";
}

TEST_F(TransferTest, StopLeavesTheKindInHandUnwrittenAndEarlierKindsDone) {
    // Line members take five steps (three members, the end of the kind and
    // of the loop); the springs' remapping four more (start, two springs,
    // end) before they are written.
    for (std::int32_t stopAt : {6, 7, 8, 9}) {
        SetUp();
        const auto counting = std::make_shared<CountingWaitWindow>();
        window = counting;
        for (const char* ext : {"GL1", "P35", "PIL"}) placeFixture(ext);
        drovik::ClsWaitWindow::stopAfterUpdates(stopAt);
        run();
        drovik::ClsWaitWindow::stopAfterUpdates(0);
        EXPECT_EQ(counting->closes, 0) << "the runner closes the window after a stop";
        EXPECT_NE(output("GL1"), fixture("SLAB.GL1")) << stopAt;
        EXPECT_EQ(output("P35"), fixture("SLAB.P35")) << stopAt;
        EXPECT_EQ(output("PIL"), fixture("SLAB.PIL")) << stopAt;
        expectOutputCurrent();
        EXPECT_TRUE(box->boxes().empty());
    }
    SetUp();
    for (const char* ext : {"GL1", "P35", "PIL"}) placeFixture(ext);
    drovik::ClsWaitWindow::stopAfterUpdates(10);
    run();
    drovik::ClsWaitWindow::stopAfterUpdates(0);
    EXPECT_NE(output("P35"), fixture("SLAB.P35")) << "stopped after the springs";
    EXPECT_EQ(output("PIL"), fixture("SLAB.PIL"));

    // Without a stop every kind is done and the transfer closes the window.
    SetUp();
    const auto counting = std::make_shared<CountingWaitWindow>();
    window = counting;
    for (const char* ext : {"GL1", "P35", "PIL"}) placeFixture(ext);
    run();
    EXPECT_NE(output("PIL"), fixture("SLAB.PIL"));
    EXPECT_EQ(counting->closes, 1);
}

TEST_F(TransferTest, OutputProjectThatIsTheInputProjectIsMappedFromTheOldNetInMemory) {
    // Operation 12 has written the new net over the project's own .PL6.
    Declar& d = orvelo::declar();
    d.OutputDir = d.DataDir;
    d.OutputName = d.ProjectName;
    folder.write("in/SLAB.PL6", "4\r\n0\r\n0\r\n9\r\n0\r\n9\r\n9\r\n0\r\n9\r\n0\r\n");
    folder.write("in/SLAB.P35", fixture("SLAB.P35"));
    run();
    EXPECT_TRUE(box->boxes().empty());
    ASSERT_EQ(orvelo::ReadP35(), -1);
    EXPECT_EQ(orvelo::basData().SpringNodes, (std::vector<std::int16_t>{0, newOfOld(6), newOfOld(11)}));
    EXPECT_EQ(d.CurrentDataDir, folder.path("in/"));
}

TEST_F(TransferTest, BrokenZoneFileIsReportedAndEndsTheRun) {
    placeRecords("P21", {{2, -3}});
    placeFixture("PV1");
    box->answer(forms::vbOK);
    run();
    ASSERT_EQ(box->boxes().size(), 1u);
    EXPECT_NE(box->boxes()[0].prompt.find("NEW.P21"), std::string::npos) << box->boxes()[0].prompt;
    EXPECT_EQ(runState(), halvex::ExitWithoutSaving);
    EXPECT_EQ(output("PV1"), fixture("SLAB.PV1")) << "no later kind is carried over";
    EXPECT_FALSE(rt::dataChannel().isOpen());
    expectOutputCurrent();
}

}  // namespace
