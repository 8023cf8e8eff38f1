// The boring file .P41 (record positions, reading by layout kind, the
// fallback for files that do not fit) and the boring records of .BAU and
// .P21.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "orvelo/model/boring_data.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/boring_file.h"
#include "orvelo/project/boring_layout.h"
#include "orvelo/project/services.h"
#include "platform/runtime/recordfile.h"
#include "project_fixture.h"
#include "sample_project.h"

namespace {

using orvelo::BoringData;
using orvelo::boringData;
using orvelo::declar;

// Sets one record of a written file.
void patchInteger(const std::string& path, std::int32_t rec, std::int16_t value) {
    rt::RecordFile file;
    file.open(path, true);
    file.putInteger(rec, value);
}
void patchString(const std::string& path, std::int32_t rec, const std::string& value) {
    rt::RecordFile file;
    file.open(path, true);
    file.putString(rec, value);
}

const std::string kConstant(orvelo::kRegionConstant);
const std::string kLinear(orvelo::kRegionLinear);
const std::string kTriangle(orvelo::kRegionTriangle);

class BoringFileTest : public ProjectTest {
protected:
    void SetUp() override {
        ProjectTest::SetUp();
        orvelo::resetBoringData();
        declar().CurrentDataDir = folder.dir();
        declar().CurrentProjectName = "SLAB";
        declar().SymmetryKind = 1;
    }

    // A layout of n nodes and k borings with every block filled with values
    // that tell their place: node i has layout region i % k + 1, kinds
    // cycling through the three, and so on.
    static void fillLayout(int n, int k, int triangles, int strips) {
        orvelo::Declar& d = declar();
        d.NodeCount = static_cast<std::int16_t>(n);
        BoringData& b = boringData();
        b.BoringLayoutKind = 3;
        b.BoringCount = static_cast<std::int16_t>(k);
        b.BoringX.assign(k + 1, 0.0f);
        b.BoringY.assign(k + 1, 0.0f);
        for (int j = 1; j <= k; ++j) {
            // Corners of a polygon: no two borings at one position.
            b.BoringX[j] = static_cast<float>(10 * j % 37);
            b.BoringY[j] = static_cast<float>(j * j % 23 + j);
        }
        b.ExtentMinX = b.ExtentMinY = -50.0f;
        b.ExtentMaxX = b.ExtentMaxY = 50.0f;
        const std::string kinds[3] = {kConstant, kLinear, kTriangle};
        b.NodeLayoutRegion.assign(n + 1, 0);
        b.NodeLayoutKind.assign(n + 1, std::string());
        b.NodeCellBoring.assign(n + 1, 0);
        b.NodeRegion.assign(n + 1, 0);
        b.NodeRegionKind.assign(n + 1, std::string());
        for (int i = 1; i <= n; ++i) {
            b.NodeLayoutRegion[i] = static_cast<std::int16_t>(i % k + 1);
            b.NodeLayoutKind[i] = kinds[i % 3];
            b.NodeCellBoring[i] = static_cast<std::int16_t>((i + 1) % k + 1);
            b.NodeRegion[i] = static_cast<std::int16_t>(i % 5 + 1);
            b.NodeRegionKind[i] = kinds[(i + 1) % 3];
        }
        b.EdgeDirY.assign(k + 1, 0.0f);
        b.EdgeDirX.assign(k + 1, 0.0f);
        b.EdgeOuterX.assign(2 * k + 1, 0.0f);
        b.EdgeOuterY.assign(2 * k + 1, 0.0f);
        for (int j = 1; j <= k; ++j) {
            b.EdgeDirY[j] = 0.5f + j;
            b.EdgeDirX[j] = -0.25f - j;
        }
        for (int l = 1; l <= 2 * k; ++l) {
            b.EdgeOuterX[l] = 100.0f + l;
            b.EdgeOuterY[l] = 200.0f + l;
        }
        const int lines = k > 1 ? 2 * k - 3 : 0;
        b.DividingLineCount = static_cast<std::int16_t>(lines);
        b.BoringLineCount.assign(k + 1, 0);
        b.BoringLineTable.assign(k + 2, std::vector<std::int16_t>(k + 2, 0));
        if (k > 1) {
            b.BoringLineCount[1] = static_cast<std::int16_t>(k - 1);
            for (int j = 1; j <= k - 1; ++j) b.BoringLineTable[1][j] = static_cast<std::int16_t>(30 + j);
        }
        b.CellCornerX.assign(k + 3, 0.0f);
        b.CellCornerY.assign(k + 3, 0.0f);
        for (int j = 1; j <= k + 2; ++j) {
            b.CellCornerX[j] = 300.0f + j;
            b.CellCornerY[j] = 400.0f + j;
        }
        b.DividingMidX.assign(lines + 1, 0.0f);
        b.DividingMidY.assign(lines + 1, 0.0f);
        b.DividingNormalX.assign(lines + 1, 0.0f);
        b.DividingNormalY.assign(lines + 1, 0.0f);
        for (int l = 1; l <= lines; ++l) {
            b.DividingMidX[l] = 500.0f + l;
            b.DividingMidY[l] = 600.0f + l;
            b.DividingNormalX[l] = 700.0f + l;
            b.DividingNormalY[l] = 800.0f + l;
        }
        b.BoringTriangleCount = static_cast<std::int16_t>(triangles);
        b.TriangleBoringA.assign(triangles + 1, 0);
        b.TriangleBoringB.assign(triangles + 1, 0);
        b.TriangleBoringC.assign(triangles + 1, 0);
        for (int t = 1; t <= triangles; ++t) {
            b.TriangleBoringA[t] = 1;
            b.TriangleBoringB[t] = 2;
            b.TriangleBoringC[t] = static_cast<std::int16_t>(t % k + 1);
        }
        b.BoringStripCount = static_cast<std::int16_t>(strips);
        b.StripBoringA.assign(strips + 1, 0);
        b.StripBoringB.assign(strips + 1, 0);
        b.StripCorner.assign(strips + 1, 0);
        b.StripDirY.assign(strips + 1, 0.0f);
        b.StripDirX.assign(strips + 1, 0.0f);
        b.StripOuterX.assign(2 * strips + 1, 0.0f);
        b.StripOuterY.assign(2 * strips + 1, 0.0f);
        for (int m = 1; m <= strips; ++m) {
            b.StripBoringA[m] = 2;
            b.StripBoringB[m] = 1;
            b.StripCorner[m] = static_cast<std::int16_t>(m % 4 + 1);
            b.StripDirY[m] = 900.0f + m;
            b.StripDirX[m] = 950.0f + m;
        }
        for (int l = 1; l <= 2 * strips; ++l) {
            b.StripOuterX[l] = 1000.0f + l;
            b.StripOuterY[l] = 2000.0f + l;
        }
    }

    // The borings as the transfer has them before reading: from the
    // written data, with the per-node defaults.
    static void forgetLayoutKeepingBorings() {
        const BoringData written = boringData();
        orvelo::resetBoringData();
        BoringData& b = boringData();
        b.BoringCount = written.BoringCount;
        b.BoringX = written.BoringX;
        b.BoringY = written.BoringY;
        b.ExtentMinX = written.ExtentMinX;
        b.ExtentMaxX = written.ExtentMaxX;
        b.ExtentMinY = written.ExtentMinY;
        b.ExtentMaxY = written.ExtentMaxY;
    }

    std::string p41() const { return folder.path("SLAB.P41"); }

    // Raw bytes at the start of a record.
    std::string recordBytes(std::int32_t rec, std::size_t size) const {
        const std::string bytes = folder.read("SLAB.P41");
        return bytes.substr(static_cast<std::size_t>(rec - 1) * 128, size);
    }

    static std::string integerBytes(std::int16_t v) {
        return std::string{static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
    }
    static std::string singleBytes(float v) {
        const auto bits = std::bit_cast<std::uint32_t>(v);
        std::string s;
        for (int i = 0; i < 4; ++i) s += static_cast<char>((bits >> (8 * i)) & 0xFF);
        return s;
    }
    static std::string stringBytes(const std::string& v) {
        return integerBytes(static_cast<std::int16_t>(v.size())) + v;
    }

    // A fallback: one information box 10188 / 10043, the default layout.
    void expectFallback(int n) const {
        ASSERT_EQ(box->boxes().size(), 1u);
        const quillon::ClsLanguageText& texts = orvelo::LanguageTexts();
        EXPECT_EQ(box->boxes()[0].prompt, texts.GetText(10188));
        EXPECT_EQ(box->boxes()[0].title, texts.GetText(10043));
        EXPECT_EQ(forms::iconOf(box->boxes()[0].style), forms::vbInformation);
        const BoringData& b = boringData();
        EXPECT_EQ(b.ConstantNodeCount, n);
        EXPECT_EQ(b.BoringTriangleCount, 0);
        EXPECT_EQ(b.BoringStripCount, 0);
        EXPECT_EQ(b.BoringLayoutKind, 1);  // the project has no symmetry
        for (int i = 1; i <= n; ++i) {
            EXPECT_EQ(b.NodeRegionKind[i], kConstant);
            EXPECT_EQ(b.ConstantNodeBoring[i], 1);
        }
    }
};

// ---- record positions ----

TEST_F(BoringFileTest, RecordPositionsForSeveralBorings) {
    const int n = 4, k = 3;
    fillLayout(n, k, 2, 1);
    orvelo::WriteBoringFile();
    EXPECT_TRUE(box->boxes().empty());
    // header
    EXPECT_EQ(recordBytes(1, 2), integerBytes(3));
    EXPECT_EQ(recordBytes(2, 2), integerBytes(3));
    // A: node 2 (records 5, 6); "Linear  " keeps its two blanks.
    EXPECT_EQ(recordBytes(5, 2), integerBytes(3));
    EXPECT_EQ(recordBytes(6, 10), stringBytes("Triangle"));
    EXPECT_EQ(recordBytes(4, 10), stringBytes("Linear  "));
    // B at 2N + 2 = 10: boring 2 at 13, 14.
    EXPECT_EQ(recordBytes(13, 4), singleBytes(2.5f));
    EXPECT_EQ(recordBytes(14, 4), singleBytes(-2.25f));
    // C at 2N + 2K + 2 = 16: entry 6 at 27, 28.
    EXPECT_EQ(recordBytes(27, 4), singleBytes(106.0f));
    EXPECT_EQ(recordBytes(28, 4), singleBytes(206.0f));
    // D at 2N + 6K + 2 = 28: node 4 at 32.
    EXPECT_EQ(recordBytes(32, 2), integerBytes(3));
    // E0 at 3N + 6K + 2 = 32: L = 2, D = 3; E from 35; F from 36 (L + 4 + ...).
    EXPECT_EQ(recordBytes(33, 2), integerBytes(2));
    EXPECT_EQ(recordBytes(34, 2), integerBytes(3));
    EXPECT_EQ(recordBytes(36, 2), integerBytes(32));
    EXPECT_EQ(recordBytes(37, 4), singleBytes(301.0f));
    EXPECT_EQ(recordBytes(38, 4), singleBytes(401.0f));
    // G at 3N + 6K + 3L + 2 = 38: line 3 at 47..50.
    EXPECT_EQ(recordBytes(47, 4), singleBytes(503.0f));
    EXPECT_EQ(recordBytes(50, 4), singleBytes(803.0f));
    // H0 at P = 38 + 4D = 50: T, S; H from 52.
    EXPECT_EQ(recordBytes(51, 2), integerBytes(2));
    EXPECT_EQ(recordBytes(52, 2), integerBytes(1));
    EXPECT_EQ(recordBytes(53, 2), integerBytes(2));
    EXPECT_EQ(recordBytes(54, 10), stringBytes("Triangle"));
    // I at P + 2N + 2 = 60, J at 62, K at P + 2N + 6S + 2 = 66, L at 72.
    EXPECT_EQ(recordBytes(61, 4), singleBytes(901.0f));
    EXPECT_EQ(recordBytes(66, 4), singleBytes(2002.0f));
    EXPECT_EQ(recordBytes(72, 2), integerBytes(3));  // triangle 2, boring C
    EXPECT_EQ(recordBytes(75, 2), integerBytes(2));  // strip 1: its corner
    EXPECT_EQ(folder.read("SLAB.P41").size(), 74u * 128 + 2);
}

TEST_F(BoringFileTest, RecordPositionsForOneBoring) {
    const int n = 3;
    fillLayout(n, 1, 0, 0);
    boringData().BoringTriangleCount = 0;
    orvelo::WriteBoringFile();
    // No dividing-line blocks: P = 3N + 8, T and S at 3N + 9 and 3N + 10.
    EXPECT_EQ(recordBytes(3 * n + 9, 2), integerBytes(0));
    EXPECT_EQ(recordBytes(3 * n + 10, 2), integerBytes(0));
    // D at 2N + 8: node 1's cell boring.
    EXPECT_EQ(recordBytes(2 * n + 9, 2), integerBytes(1));
    EXPECT_EQ(recordBytes(3 * n + 11, 2), integerBytes(2));
    EXPECT_EQ(folder.read("SLAB.P41").size(), static_cast<std::size_t>(3 * n + 10 + 2 * n - 1) * 128 + 10);
}

// ---- reading by layout kind ----

TEST_F(BoringFileTest, KindThreeReadsTheStoredRegionsAndRebuildsTheConstantList) {
    fillLayout(6, 4, 2, 3);
    const BoringData written = boringData();
    orvelo::WriteBoringFile();
    forgetLayoutKeepingBorings();
    ASSERT_TRUE(orvelo::ReadBoringFile());
    const BoringData& b = boringData();
    EXPECT_EQ(b.BoringLayoutKind, 3);
    EXPECT_EQ(b.NodeRegion, written.NodeRegion);
    EXPECT_EQ(b.NodeRegionKind, written.NodeRegionKind);
    EXPECT_EQ(b.TriangleBoringC, written.TriangleBoringC);
    EXPECT_EQ(b.StripCorner, written.StripCorner);
    EXPECT_EQ(bitsOf(b.StripOuterY), bitsOf(written.StripOuterY));
    EXPECT_EQ(bitsOf(b.StripDirX), bitsOf(written.StripDirX));
    EXPECT_EQ(bitsOf(b.EdgeDirY), bitsOf(written.EdgeDirY));
    // Not taken for this kind.
    EXPECT_EQ(b.NodeCellBoring.size(), 1u);
    EXPECT_EQ(b.DividingLineCount, 0);
    // Kinds cycle Triangle, Constant, Linear from node 1: nodes 2 and 5.
    EXPECT_EQ(b.ConstantNodeCount, 2);
    EXPECT_EQ(b.ConstantNodes[1], 2);
    EXPECT_EQ(b.ConstantNodeBoring[1], written.NodeRegion[2]);
    EXPECT_EQ(b.ConstantNodes[2], 5);
}

TEST_F(BoringFileTest, KindTwoReadsTheCells) {
    fillLayout(5, 3, 1, 1);
    boringData().BoringLayoutKind = 2;
    const BoringData written = boringData();
    orvelo::WriteBoringFile();
    forgetLayoutKeepingBorings();
    ASSERT_TRUE(orvelo::ReadBoringFile());
    const BoringData& b = boringData();
    EXPECT_EQ(b.NodeCellBoring, written.NodeCellBoring);
    EXPECT_EQ(b.BoringLineCount[1], 2);
    EXPECT_EQ(b.DividingLineCount, 3);
    EXPECT_EQ(b.BoringLineTable[1][2], 32);
    EXPECT_EQ(b.CellCornerX[1], 301.0f);
    EXPECT_EQ(bitsOf(b.DividingNormalY), bitsOf(written.DividingNormalY));
    EXPECT_EQ(b.BoringTriangleCount, 0);
    // Every node without a kind is a constant node of boring 1.
    EXPECT_EQ(b.ConstantNodeCount, 5);
    for (int i = 1; i <= 5; ++i) EXPECT_EQ(b.NodeRegion[i], 1);
}

TEST_F(BoringFileTest, KindOneRecomputesTheEdgesEvenWithTwoBorings) {
    for (int k : {2, 3}) {
        SCOPED_TRACE(k);
        orvelo::resetBoringData();
        fillLayout(4, k, 0, 0);
        boringData().BoringLayoutKind = 1;
        const BoringData written = boringData();
        orvelo::WriteBoringFile();
        forgetLayoutKeepingBorings();
        ASSERT_TRUE(orvelo::ReadBoringFile());
        EXPECT_TRUE(box->boxes().empty());
        const BoringData& b = boringData();
        EXPECT_EQ(b.NodeLayoutRegion, written.NodeLayoutRegion);
        EXPECT_EQ(b.NodeLayoutKind, written.NodeLayoutKind);
        EXPECT_EQ(b.DividingLineCount, 2 * k - 3);
        for (int e = 1; e <= k; ++e) {
            const int next = e % k + 1;
            const float dx = b.BoringX[next] - b.BoringX[e], dy = b.BoringY[next] - b.BoringY[e];
            const float length = std::sqrt(dx * dx + dy * dy);
            EXPECT_FLOAT_EQ(b.EdgeDirX[e], dx / length);
            EXPECT_FLOAT_EQ(b.EdgeDirY[e], dy / length);
            // The outer points lie on the perpendiculars through the edge's
            // borings, not where the file had them.
            for (int end = 0; end < 2; ++end) {
                const int through = end == 0 ? e : next;
                const float along = (b.EdgeOuterX[2 * e - 1 + end] - b.BoringX[through]) * b.EdgeDirX[e] +
                                    (b.EdgeOuterY[2 * e - 1 + end] - b.BoringY[through]) * b.EdgeDirY[e];
                EXPECT_NEAR(along, 0.0f, 1e-3f);
            }
        }
        EXPECT_EQ(b.ConstantNodeCount, 4);
    }
}

TEST_F(BoringFileTest, KindOneWithCoincidentBoringsTakesNothing) {
    fillLayout(3, 3, 0, 0);
    boringData().BoringLayoutKind = 1;
    orvelo::WriteBoringFile();
    forgetLayoutKeepingBorings();
    boringData().BoringX[3] = boringData().BoringX[2];
    boringData().BoringY[3] = boringData().BoringY[2];
    box->answer(forms::vbOK);
    EXPECT_FALSE(orvelo::ReadBoringFile());
    ASSERT_EQ(box->boxes().size(), 1u);
    EXPECT_EQ(box->boxes()[0].prompt, orvelo::LanguageTexts().GetText(80089));
    EXPECT_EQ(boringData().BoringLayoutKind, 0);
    EXPECT_EQ(boringData().NodeLayoutKind.size(), 1u);
}

// ---- files that do not fit ----

TEST_F(BoringFileTest, AMissingFileChangesNothingAndSaysNothing) {
    fillLayout(3, 2, 0, 0);
    const BoringData before = boringData();
    EXPECT_FALSE(orvelo::ReadBoringFile());
    EXPECT_TRUE(box->boxes().empty());
    EXPECT_EQ(boringData().NodeRegionKind, before.NodeRegionKind);
    EXPECT_EQ(boringData().BoringLayoutKind, before.BoringLayoutKind);
}

TEST_F(BoringFileTest, AFileForOtherCountsOrOutOfStepFallsBackToTheDefault) {
    struct Case {
        const char* name;
        int readNodes;
        int readBorings;
        void (*spoil)(const std::string&);
    };
    const Case cases[] = {
        {"fewer nodes", 5, 3, nullptr},
        {"more nodes", 7, 3, nullptr},
        {"another boring count", 6, 4, nullptr},
        {"a layout kind outside 1..3", 6, 3,
         [](const std::string& p) { patchInteger(p, 1, 4); }},
        {"a region kind that is none", 6, 3,
         [](const std::string& p) { patchString(p, 3 * 6 + 6 * 3 + 3 * 2 + 2 + 4 * 3 + 4, "Linear"); }},
        {"a negative triangle count", 6, 3,
         [](const std::string& p) { patchInteger(p, 3 * 6 + 6 * 3 + 3 * 2 + 2 + 4 * 3 + 1, -1); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        orvelo::resetBoringData();
        fillLayout(6, 3, 1, 1);
        orvelo::WriteBoringFile();
        if (c.spoil) c.spoil(p41());
        forgetLayoutKeepingBorings();
        declar().NodeCount = static_cast<std::int16_t>(c.readNodes);
        if (c.readBorings != 3) {
            boringData().BoringCount = static_cast<std::int16_t>(c.readBorings);
            boringData().BoringX.resize(c.readBorings + 1, 40.0f);
            boringData().BoringY.resize(c.readBorings + 1, 40.0f);
        }
        forms::ScopedMsgBox boxes;
        boxes->answer(forms::vbOK);
        EXPECT_FALSE(orvelo::ReadBoringFile());
        ASSERT_EQ(boxes->boxes().size(), 1u);
        EXPECT_EQ(boxes->boxes()[0].prompt, orvelo::LanguageTexts().GetText(10188));
        const BoringData& b = boringData();
        EXPECT_EQ(b.ConstantNodeCount, c.readNodes);
        EXPECT_EQ(b.BoringStripCount, 0);
        for (int i = 1; i <= c.readNodes; ++i) EXPECT_EQ(b.NodeRegionKind[i], kConstant);
        EXPECT_EQ(forms::screen().MousePointer(), 0);
    }
}

// A file written in place for a larger net keeps that net's records after
// its own last block: they are not read, and nothing is lost.
TEST_F(BoringFileTest, RecordsAfterTheLastBlockAreLeftUnread) {
    fillLayout(6, 3, 1, 1);
    orvelo::WriteBoringFile();
    const BoringData written = boringData();
    {
        rt::RecordFile file;
        file.open(p41(), true);
        const std::int32_t end = file.recordCount();
        for (std::int32_t r = end + 1; r <= end + 40; ++r) file.putString(r, "Linear  ");
    }
    forgetLayoutKeepingBorings();
    declar().NodeCount = 6;
    EXPECT_TRUE(orvelo::ReadBoringFile());
    EXPECT_TRUE(box->boxes().empty());
    EXPECT_EQ(boringData().NodeRegion, written.NodeRegion);
    EXPECT_EQ(boringData().NodeRegionKind, written.NodeRegionKind);
    EXPECT_EQ(boringData().BoringStripCount, written.BoringStripCount);
}

TEST_F(BoringFileTest, ReadsAFileWithOneBoring) {
    fillLayout(3, 1, 0, 0);
    orvelo::WriteBoringFile();
    forgetLayoutKeepingBorings();
    ASSERT_TRUE(orvelo::ReadBoringFile());
    EXPECT_EQ(boringData().NodeRegionKind[2], kConstant);
}

// ---- the writer ----

TEST_F(BoringFileTest, LayoutRegionsOutsideTheBoringsAreWarnedAboutAndStillWritten) {
    fillLayout(3, 2, 0, 0);
    boringData().NodeLayoutRegion[2] = 3;
    box->answer(forms::vbOK);
    orvelo::WriteBoringFile();
    ASSERT_EQ(box->boxes().size(), 1u);
    EXPECT_EQ(box->boxes()[0].prompt, orvelo::LanguageTexts().GetText(10269));
    EXPECT_EQ(box->boxes()[0].title, orvelo::LanguageTexts().GetText(10043));
    EXPECT_EQ(box->boxes()[0].style, forms::vbExclamation);
    EXPECT_EQ(recordBytes(5, 2), integerBytes(3));
}

TEST_F(BoringFileTest, TheWriterReplacesTheWholeFileOrNothing) {
    fillLayout(8, 3, 2, 2);
    orvelo::WriteBoringFile();
    // A smaller net: nothing of the longer file stays behind, so it reads.
    fillLayout(4, 3, 0, 0);
    orvelo::WriteBoringFile();
    const std::string written = folder.read("SLAB.P41");
    forgetLayoutKeepingBorings();
    ASSERT_TRUE(orvelo::ReadBoringFile());
    // A list shorter than its count fails the write and keeps the file.
    fillLayout(4, 3, 0, 0);
    boringData().NodeRegionKind.resize(3);
    EXPECT_EQ(errorNumberOf([] { orvelo::WriteBoringFile(); }), 9);
    orvelo::resetDataFiles();
    EXPECT_EQ(folder.read("SLAB.P41"), written);
}

TEST_F(BoringFileTest, ANetOfTwentyThousandNodesRoundTrips) {
    const int n = 20000;
    fillLayout(n, 5, 3, 4);
    const BoringData written = boringData();
    orvelo::WriteBoringFile();
    // Record numbers pass 32767 (and 65535): the last record is P + 2N + 9S + 3T + 2.
    const std::int32_t p = 3 * n + 6 * 5 + 3 * 4 + 2 + 4 * 7;
    EXPECT_EQ(folder.read("SLAB.P41").size(),
              static_cast<std::size_t>(p + 2 * n + 9 * 4 + 3 * 3 + 2 - 1) * 128 + 2);
    forgetLayoutKeepingBorings();
    ASSERT_TRUE(orvelo::ReadBoringFile());
    const BoringData& b = boringData();
    EXPECT_EQ(b.NodeRegion, written.NodeRegion);
    EXPECT_EQ(b.NodeRegionKind, written.NodeRegionKind);
    EXPECT_EQ(b.StripCorner, written.StripCorner);
    EXPECT_EQ(b.TriangleBoringB, written.TriangleBoringB);
    EXPECT_EQ(bitsOf(b.StripOuterX), bitsOf(written.StripOuterX));
}

// ---- the sample project ----

TEST_F(BoringFileTest, TheSampleProjectsLayoutReadsBackAndIsItsOwnNetsLayout) {
    const std::string sample = ohtest::SampleSource().string() + "/";
    orvelo::Declar& d = declar();
    std::int16_t failed = 0;
    orvelo::ProjectReader().ReadNetFile(sample + "RAFT", d.ElementCount, d.ElementList, d.NodeCount,
                                        d.NodeX, d.NodeY, 0, nullptr, failed);
    ASSERT_EQ(failed, 0);
    ASSERT_TRUE(orvelo::ReadBorings(sample + "RAFT"));
    ASSERT_EQ(boringData().BoringCount, 4);
    d.CurrentDataDir = sample;
    d.CurrentProjectName = "RAFT";
    ASSERT_TRUE(orvelo::ReadBoringFile());
    const BoringData stored = boringData();
    EXPECT_EQ(stored.BoringLayoutKind, 3);
    EXPECT_EQ(stored.BoringTriangleCount, 1);
    EXPECT_EQ(stored.BoringStripCount, 1);

    // Laid out again from its stored triangle, strip and constant nodes,
    // every node keeps its region.
    BoringData& b = boringData();
    b.ExtentMinX = 0.0f;
    b.ExtentMaxX = 12.0f;
    b.ExtentMinY = 0.0f;
    b.ExtentMaxY = 8.0f;
    orvelo::ComputeBoringLayout();
    EXPECT_TRUE(box->boxes().empty());
    EXPECT_EQ(b.NodeRegion, stored.NodeRegion);
    EXPECT_EQ(b.NodeRegionKind, stored.NodeRegionKind);
    EXPECT_EQ(b.ConstantNodes, stored.ConstantNodes);
}

// ---- the records of .BAU and .P21 ----

TEST_F(BoringFileTest, BoringsAndLayoutValuesAreReadFromTheirRecords) {
    {
        rt::RecordFile bau;
        bau.open(folder.path("SLAB.BAU"), true);
        bau.putInteger(4, 2);
        bau.putSingle(6, 1.5f);
        bau.putSingle(7, -2.0f);
        bau.putString(8, "B 1");
        bau.putSingle(11, 7.25f);
        bau.putSingle(12, 3.0f);
        bau.putString(13, "B 2");
        rt::RecordFile p21;
        p21.open(folder.path("SLAB.P21"), true);
        p21.putInteger(2, 1);
        p21.putSingle(4, 90.0f);
        p21.putSingle(5, 10.0f);
        p21.putSingle(6, 20.0f);
    }
    const std::string prefix = folder.dir() + "SLAB";
    ASSERT_TRUE(orvelo::ReadBoringCount(prefix));
    EXPECT_EQ(boringData().BoringCount, 2);
    EXPECT_EQ(boringData().BoringX.size(), 1u);
    ASSERT_TRUE(orvelo::ReadBorings(prefix));
    const BoringData& b = boringData();
    EXPECT_EQ(b.BoringX, (std::vector<float>{0.0f, 1.5f, 7.25f}));
    EXPECT_EQ(b.BoringY, (std::vector<float>{0.0f, -2.0f, 3.0f}));
    EXPECT_EQ(b.BoringName, (std::vector<std::string>{"", "B 1", "B 2"}));

    ASSERT_TRUE(orvelo::ReadBoringLayoutValues(prefix));
    float tx = 0.0f, ty = 0.0f;
    orvelo::GeometryHelper().TransformPoint(1.0f, 0.0f, tx, ty);
    EXPECT_NEAR(tx, 10.0f, 1e-5f);
    EXPECT_NEAR(ty, 21.0f, 1e-5f);
    EXPECT_EQ(rt::dataChannel().isOpen(), false);
}

TEST_F(BoringFileTest, ABoringFileThatEndsEarlyChangesNothing) {
    {
        rt::RecordFile bau;
        bau.open(folder.path("SLAB.BAU"), true);
        bau.putInteger(4, 3);
        bau.putSingle(6, 1.5f);
    }
    boringData().BoringCount = 5;
    EXPECT_EQ(errorNumberOf([&] { orvelo::ReadBorings(folder.dir() + "SLAB"); }), 62);
    EXPECT_EQ(boringData().BoringCount, 5);
    EXPECT_FALSE(rt::dataChannel().isOpen());
    // A missing file: the missing-file message, nothing changed.
    box->answer(forms::vbOK);
    EXPECT_FALSE(orvelo::ReadBorings(folder.dir() + "NONE"));
    EXPECT_EQ(box->boxes().size(), 1u);
    EXPECT_EQ(boringData().BoringCount, 5);
}

}  // namespace
