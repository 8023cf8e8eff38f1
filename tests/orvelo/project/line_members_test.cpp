#include <filesystem>

#include "node_data_fixture.h"
#include "orvelo/project/line_members.h"

using orvelo::BasData;
using orvelo::DataFileRead;

namespace {

class LineMembersTest : public NodeDataTest {
protected:
    static void gridNet(int nx, int ny) { orvelo::setProjectNet(orvelo::declar(), gridProjectNet(nx, ny, 1.0f)); }
};

TEST_F(LineMembersTest, RoundTripWritesTheMembersAndTheirNetEdgesOnce) {
    gridNet(3, 2);
    copyFixture("SLAB.GL1", "SLAB.GL1");
    ASSERT_TRUE(orvelo::ReadLineMembers());
    const BasData& b = orvelo::basData();
    ASSERT_EQ(b.MemberCount, 3);
    EXPECT_EQ(b.MemberStartNode, (std::vector<std::int16_t>{0, 1, 5, 2}));
    EXPECT_EQ(b.MemberEndNode, (std::vector<std::int16_t>{0, 4, 8, 3}));
    EXPECT_TRUE(b.LineMemberOption);
    EXPECT_EQ(b.PropertyFactorB[2], 1.5e-05f);

    ASSERT_TRUE(orvelo::WriteLineMembers());
    EXPECT_EQ(folder.read("SLAB.GL1"), fixture("SLAB.GL1"));
    // Member 1 lies on the three bottom sides, member 2 on the three sides
    // at y = 1 (found first, in element order, as the top sides of the
    // upper triangles of row 0; the same sides of row 1 are not recorded
    // again), member 3 on a side member 1 recorded.
    const std::vector<std::string> expected = {
        "6",
        "1", "2", "10", "1",   "2", "3", "10", "1",   "3", "4", "10", "1",
        "6", "5", "-2.5", "2", "7", "6", "-2.5", "2", "8", "7", "-2.5", "2",
        "2",
        "3E+07", "1.25E+07", "0.0045", "0.0035", "21000", "8000", "0.25", "0.125",
        "1", "0.5", "2", "1.5E-05",
        "7",
        "1", "1", "1", "2", "1", "3", "2", "4", "2", "5", "2", "6", "3", "2"};
    EXPECT_EQ(linesOf(folder.read("SLAB.GL2")), expected);
    EXPECT_TRUE(box->boxes().empty());
}

TEST_F(LineMembersTest, MemberAlongTwoSidesOfOneElementAddsOnlyTheFirst) {
    // One quadrilateral whose first two sides lie on one line.
    orvelo::Declar& d = orvelo::declar();
    d.NodeCount = 4;
    d.NodeX = {0, 0, 1, 2, 1};
    d.NodeY = {0, 0, 0, 0, 1};
    d.ElementCount = 1;
    d.ElementList = {orvelo::NetElement{}, element({1, 2, 3, 4}, {0, 0, 0, 0})};
    BasData& b = orvelo::basData();
    b.MemberCount = 1;
    b.PropertySetCount = 1;
    b.MemberPropertySet = {0, 1};
    b.MemberStartNode = {0, 1};
    b.MemberEndNode = {0, 3};
    for (auto* list : {&b.PropertyValueA, &b.PropertyValueB, &b.PropertyValueC, &b.PropertyValueD,
                       &b.PropertyEdgeValue, &b.PropertyFactorA, &b.PropertyFactorB})
        *list = {0, 1};
    ASSERT_TRUE(orvelo::WriteLineMembers());
    EXPECT_EQ(b.NetEdgeCount, 1);
    EXPECT_EQ(b.NetEdgeStart[1], 1);
    EXPECT_EQ(b.NetEdgeEnd[1], 2);
}

TEST_F(LineMembersTest, FirstLineIsNotComparedAndNoMembersGiveNoEdges) {
    gridNet(1, 1);
    folder.write("SLAB.GL1", "Version 7\r\n0\r\n1\r\n1\r\n2\r\n3\r\n4\r\n5\r\n#FALSE#\r\n6\r\n7\r\n");
    ASSERT_TRUE(orvelo::ReadLineMembers());
    EXPECT_EQ(orvelo::basData().MemberCount, 0);
    EXPECT_EQ(orvelo::basData().PropertyEdgeValue[1], 5.0f);
    ASSERT_TRUE(orvelo::WriteLineMembers());
    EXPECT_EQ(linesOf(folder.read("SLAB.GL2")),
              (std::vector<std::string>{"0", "1", "1", "2", "3", "4", "6", "7", "0"}));
    EXPECT_EQ(linesOf(folder.read("SLAB.GL1")).front(), "Version 9");
}

TEST_F(LineMembersTest, UnreadableFilesAreDeclinedAndChangeNothing) {
    BasData& b = orvelo::basData();
    b.MemberCount = 1;
    b.MemberStartNode = {0, 7};
    EXPECT_EQ(orvelo::ReadLineMembersFile(), DataFileRead::Missing);
    EXPECT_TRUE(box->boxes().empty()) << "a project without line members is no fault";


    // A file that ends inside the property sets: one message naming it.
    std::string text = fixture("SLAB.GL1");
    folder.write("SLAB.GL1", text.substr(0, text.find("21000")));
    box->answer(forms::vbOK);
    EXPECT_EQ(orvelo::ReadLineMembersFile(), DataFileRead::Failed);
    ASSERT_EQ(box->boxes().size(), 1u);
    EXPECT_NE(box->boxes()[0].prompt.find(folder.path("SLAB.GL1")), std::string::npos);
    EXPECT_EQ(b.MemberCount, 1);
    EXPECT_EQ(b.MemberStartNode, (std::vector<std::int16_t>{0, 7})) << "nothing taken over";
    EXPECT_FALSE(rt::dataChannel().isOpen());

    folder.write("SLAB.GL1", "Version 9\r\n-1\r\n0\r\n");
    box->answer(forms::vbOK);
    EXPECT_EQ(orvelo::ReadLineMembersFile(), DataFileRead::Failed) << "a negative count";

    // A folder is no file, and is told as such.
    std::filesystem::remove(folder.path("SLAB.GL1"));
    std::filesystem::create_directory(folder.path("SLAB.GL1"));
    box->answer(forms::vbOK);
    EXPECT_EQ(orvelo::ReadLineMembersFile(), DataFileRead::Failed);
    EXPECT_EQ(box->boxes().back().prompt, orvelo::LanguageTexts().GetText(rt::Variant(190267), {"|1", folder.path("SLAB.GL1")}));
}

TEST_F(LineMembersTest, MemberOfAnUndefinedPropertySetIsRefusedBeforeEitherFileIsWritten) {
    gridNet(3, 2);
    copyFixture("SLAB.GL1", "SLAB.GL1");
    folder.write("SLAB.GL2", "earlier\r\n");
    ASSERT_TRUE(orvelo::ReadLineMembers());
    orvelo::basData().MemberPropertySet[2] = 3;
    box->answer(forms::vbOK);
    EXPECT_FALSE(orvelo::WriteLineMembers());
    ASSERT_EQ(box->boxes().size(), 1u);
    EXPECT_NE(box->boxes()[0].prompt.find("SLAB.GL1"), std::string::npos);
    EXPECT_EQ(folder.read("SLAB.GL1"), fixture("SLAB.GL1"));
    EXPECT_EQ(folder.read("SLAB.GL2"), "earlier\r\n");

    // A member end outside the net is refused the same way.
    orvelo::basData().MemberPropertySet[2] = 2;
    orvelo::basData().MemberEndNode[1] = 13;
    box->answer(forms::vbOK);
    EXPECT_FALSE(orvelo::WriteLineMembers());
    EXPECT_EQ(folder.read("SLAB.GL2"), "earlier\r\n");
}

}  // namespace
