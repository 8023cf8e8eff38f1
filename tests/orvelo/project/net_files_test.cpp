#include <cmath>
#include <filesystem>
#include <limits>
#include <random>

#include "orvelo/project/net_files.h"
#include "platform/runtime/datachannel.h"
#include "project_fixture.h"

using orvelo::Declar;
using orvelo::ReadNetBoundaryFile;
using orvelo::WriteNetFiles;

namespace {

class NetFilesTest : public ProjectTest {
protected:
    std::string prefix() const { return folder.dir() + "SLAB"; }
};

std::vector<float> gridOf(int count) {
    std::vector<float> grid(count + 2, 0.0f);
    for (int i = 1; i <= count + 1; ++i) grid[i] = static_cast<float>(i - 1);
    return grid;
}

TEST_F(NetFilesTest, NetAndBoundaryReadBackBitForBit) {
    Declar& d = orvelo::declar();
    makeSmallProject(d);
    // Awkward floats: every one must come back with the same bits.
    std::mt19937 random(7);
    std::uniform_real_distribution<float> any(-1.0e6f, 1.0e6f);
    for (int i = 1; i <= d.NodeCount; ++i) d.NodeX[i] = any(random);
    d.NodeY[1] = -0.0f;
    d.NodeY[2] = std::numeric_limits<float>::denorm_min();
    d.NodeY[3] = std::numeric_limits<float>::max();
    d.NodeY[4] = 0.1f;
    d.OutlinePieces[1].X2 = 1.0f / 3.0f;
    d.GridY[2] = -1.5e-5f;
    orvelo::NetSettings().SavedMeshType(70000);  // needs the 32-bit read
    orvelo::NetSettings().StoredValueB(1.0e38f);
    const Declar written = d;

    ASSERT_TRUE(WriteNetFiles(prefix()));
    EXPECT_EQ(forms::screen().MousePointer(), 0);
    orvelo::resetDeclar();
    orvelo::NetSettings() = drovik::ClsNetSettings{};

    ASSERT_TRUE(ReadNetBoundaryFile(prefix()));
    orvelo::ProjectNet net;
    std::int16_t failed = -1;
    orvelo::ProjectReader().ReadNetFile(prefix(), net.ElementCount, net.ElementList, net.NodeCount,
                                        net.NodeX, net.NodeY, 0, nullptr, failed);
    ASSERT_EQ(failed, 0);
    EXPECT_EQ(net.NodeCount, written.NodeCount);
    EXPECT_EQ(bitsOf(net.NodeX), bitsOf(written.NodeX));
    EXPECT_EQ(bitsOf(net.NodeY), bitsOf(written.NodeY));
    EXPECT_EQ(net.ElementList, written.ElementList);

    const Declar& r = orvelo::declar();
    EXPECT_EQ(r.OutlinePieceCount, 4);
    EXPECT_EQ(r.OutlinePieces, written.OutlinePieces);
    EXPECT_EQ(r.OpeningCount, 1);
    EXPECT_EQ(r.MaxOpeningPieces, 5);
    EXPECT_EQ(r.OpeningPieceCount, written.OpeningPieceCount);
    // Each opening's pieces as far as it has them.
    ASSERT_EQ(r.OpeningPieceCount, written.OpeningPieceCount);
    for (int k = 1; k <= written.OpeningCount; ++k)
        for (int j = 1; j <= written.OpeningPieceCount[k]; ++j)
            EXPECT_EQ(r.OpeningPieces.at(k).at(j), written.OpeningPieces[k][j]) << k << "/" << j;
    ASSERT_EQ(r.SinglePointCount, 1);
    EXPECT_EQ(r.SinglePoints[1].X, 0.75f);
    ASSERT_EQ(r.LineCount, 1);
    EXPECT_EQ(r.LineEnd[1].X, 0.9f);
    EXPECT_EQ(r.GridCountX, 2);
    EXPECT_EQ(bitsOf(r.GridX), bitsOf(written.GridX));
    EXPECT_EQ(bitsOf(r.GridY), bitsOf(written.GridY));
    EXPECT_EQ(orvelo::NetSettings().SavedMeshType(), 70000);
    EXPECT_EQ(orvelo::NetSettings().AngleLimit(), 30.0f);
    EXPECT_EQ(orvelo::NetSettings().StoredValueB(), 1.0e38f);
    EXPECT_TRUE(box->boxes().empty());
    EXPECT_FALSE(std::filesystem::exists(prefix() + ".PL6.tmp"));
}

TEST_F(NetFilesTest, ProjectWithoutOpeningsOrGridGetsTheDefaultGrid) {
    Declar& d = orvelo::declar();
    makeSmallProject(d);
    d.OpeningCount = 0;
    d.MaxOpeningPieces = 0;
    d.OpeningPieceCount.assign(1, 0);
    d.OpeningPieces.assign(1, std::vector<orvelo::OutlinePiece>(1));
    d.GridCountX = 0;
    d.GridX.assign(1, 0.0f);
    d.GridCountY = 0;
    d.GridY.assign(1, 0.0f);
    ASSERT_TRUE(WriteNetFiles(prefix()));
    EXPECT_EQ(d.GridCountX, 10) << "the default stays in the globals";
    EXPECT_EQ(d.GridY, gridOf(10));

    const std::string pl8 = folder.read("SLAB.PL8");
    EXPECT_NE(pl8.find("#FALSE#\r\n0,0\r\n1,1\r\n"), std::string::npos)
        << "no openings: the single-point line follows the opening line\n" << pl8;
    std::string grid = "10,10\r\n";
    for (int run = 0; run < 2; ++run)
        for (int i = 0; i <= 10; ++i) grid += std::to_string(i) + "\r\n";
    EXPECT_EQ(pl8.substr(pl8.size() - grid.size()), grid);

    orvelo::resetDeclar();
    ASSERT_TRUE(ReadNetBoundaryFile(prefix()));
    EXPECT_EQ(orvelo::declar().OpeningCount, 0);
    EXPECT_EQ(orvelo::declar().GridX, gridOf(10));
}

TEST_F(NetFilesTest, GridCountZeroInTheFileReadsItsOneLineAndGivesTheDefault) {
    folder.write("SLAB.PL8",
                 "0\r\n0,0\r\n0,0\r\n3\r\n30,0,0\r\n0,1\r\n7.5\r\n0\r\n2\r\n");
    ASSERT_TRUE(ReadNetBoundaryFile(prefix()));
    const Declar& d = orvelo::declar();
    EXPECT_EQ(d.GridCountX, 10);
    EXPECT_EQ(d.GridX, gridOf(10));
    EXPECT_EQ(d.GridCountY, 1);
    EXPECT_EQ(d.GridY, (std::vector<float>{0, 0, 2}));
    EXPECT_EQ(orvelo::NetSettings().SavedMeshType(), 3);
}

TEST_F(NetFilesTest, ShortOrOversizedBoundaryFileFailsNamingTheFileAndChangesNothing) {
    Declar& d = orvelo::declar();
    makeSmallProject(d);
    const Declar before = d;
    struct Case {
        const char* contents;
        int number;
    };
    for (const Case& c : {Case{"1\r\n#FALSE#\r\n0,0\r\n1,0\r\n", 62},
                          Case{"32768\r\n", 6},
                          Case{"-1\r\n", 6},
                          Case{"0\r\n1,2\r\n3\r\n", 9},
                          // Counts the rest of the file cannot hold: refused
                          // before anything is sized by them.
                          Case{"\n13050,13050,,,", 62},
                          Case{"0\r\n0,0\r\n32767,32767\r\n", 62},
                          // A decimal comma: the later values are out of step
                          // (the grid count becomes 25), or one value is left.
                          Case{"0\r\n0,0\r\n0,0\r\n5\r\n30,1,0,25\r\n0,0\r\n0\r\n0\r\n", 62},
                          Case{"0\r\n0,0\r\n0,0\r\n5\r\n30,1,0.25\r\n0,0\r\n0\r\n0,5\r\n", 13}}) {
        folder.write("SLAB.PL8", c.contents);
        try {
            ReadNetBoundaryFile(prefix());
            ADD_FAILURE() << "no error for " << c.contents;
        } catch (const rt::RuntimeError& error) {
            EXPECT_EQ(error.number(), c.number) << c.contents;
            if (c.number != 62) {
                EXPECT_NE(error.description().find(prefix() + ".PL8"), std::string::npos)
                    << error.description();
            }
        }
        orvelo::resetDataFiles();
        EXPECT_EQ(d.OutlinePieces, before.OutlinePieces);
        EXPECT_EQ(d.GridX, before.GridX);
        EXPECT_EQ(orvelo::NetSettings().SavedMeshType(), 5);
    }
}

TEST_F(NetFilesTest, InconsistentNetIsRefusedBeforeAnythingIsWritten) {
    Declar& d = orvelo::declar();
    makeSmallProject(d);
    ASSERT_TRUE(WriteNetFiles(prefix()));
    const std::string pl6 = folder.read("SLAB.PL6");

    const std::int16_t corner = d.ElementList[2].Node[3];
    d.ElementList[2].Node[3] = static_cast<std::int16_t>(d.NodeCount + 1);  // beyond NodeCount
    box->answer(forms::vbOK);
    EXPECT_FALSE(WriteNetFiles(prefix()));
    ASSERT_EQ(boxIcons(), std::vector<std::int32_t>{forms::vbCritical});
    EXPECT_NE(box->boxes()[0].prompt.find(prefix() + ".PL6"), std::string::npos);
    EXPECT_EQ(folder.read("SLAB.PL6"), pl6);

    d.ElementList[2].Node[3] = corner;
    d.NodeX.resize(3);  // shorter than NodeCount + 1
    box->answer(forms::vbOK);
    EXPECT_FALSE(WriteNetFiles(prefix()));
    EXPECT_EQ(folder.read("SLAB.PL6"), pl6);
    EXPECT_EQ(forms::screen().MousePointer(), 0);
}

TEST_F(NetFilesTest, CountsStopAt32767WithoutWrapping) {
    EXPECT_EQ(orvelo::checkedNetCount(32767), 32767);
    EXPECT_EQ(errorNumberOf([] { orvelo::checkedNetCount(32768); }), 6);
    EXPECT_EQ(errorNumberOf([] { orvelo::checkedNetCount(-1); }), 6);

    // A net of 32767 nodes is written and read back whole.
    Declar& d = orvelo::declar();
    makeSmallProject(d);
    d.NodeCount = 32767;
    d.NodeX.assign(32768, 0.0f);
    d.NodeY.assign(32768, 0.0f);
    for (int i = 1; i <= 32767; ++i) {
        d.NodeX[i] = static_cast<float>(i % 181);
        d.NodeY[i] = static_cast<float>(i / 181);
    }
    d.ElementList[2] = element({32767, 1, 32766}, {0, 0, 0});
    ASSERT_TRUE(WriteNetFiles(prefix()));
    orvelo::ProjectNet net;
    std::int16_t failed = -1;
    orvelo::ProjectReader().ReadNetFile(prefix(), net.ElementCount, net.ElementList, net.NodeCount,
                                        net.NodeX, net.NodeY, 0, nullptr, failed);
    ASSERT_EQ(failed, 0);
    EXPECT_EQ(net.NodeCount, 32767);
    EXPECT_EQ(net.NodeX[32767], d.NodeX[32767]);
    EXPECT_EQ(net.ElementList[2].Node[1], 32767);
}

}  // namespace
