#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include "platform/runtime/recordfile.h"
#include "temp_folder.h"

namespace {

class RecordFiles : public ::testing::Test {
protected:
    TempFolder folder;
};

TEST_F(RecordFiles, ValuesAreLittleEndianAtTheRecordStart) {
    rt::RecordFile file;
    file.open(folder.path("b.P41"), true);
    file.putInteger(1, 0x1234);
    file.putSingle(2, 1.0f);  // 0x3F800000
    file.putString(3, "Linear  ");
    file.close();

    const std::string bytes = folder.read("b.P41");
    ASSERT_EQ(bytes.size(), 256u + 2u + 8u);  // only the value's bytes are written
    EXPECT_EQ(bytes.substr(0, 2), std::string("\x34\x12", 2));
    EXPECT_EQ(bytes.substr(128, 4), std::string("\x00\x00\x80\x3F", 4));
    EXPECT_EQ(bytes.substr(256), std::string("\x08\x00Linear  ", 10));
}

TEST_F(RecordFiles, ReadBackAndPastTheEnd) {
    rt::RecordFile file;
    file.open(folder.path("r.P21"), true);
    file.putInteger(1, -2);
    file.putSingle(2, -std::numeric_limits<float>::denorm_min());
    file.putString(3, std::string(126, 'x'));
    file.putInteger(10, 7);  // records 4..9 are a zero-filled gap
    EXPECT_EQ(file.recordCount(), 10);
    EXPECT_EQ(file.fileLength(), 9 * 128 + 2);
    file.close();

    file.open(folder.path("r.P21"), false);
    EXPECT_EQ(file.getInteger(1), -2);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(file.getSingle(2)), 0x80000001u);
    EXPECT_EQ(file.getString(3), std::string(126, 'x'));
    EXPECT_EQ(file.getInteger(5), 0);
    EXPECT_EQ(file.getString(6), "");
    EXPECT_EQ(file.getInteger(10), 7);
    EXPECT_EQ(file.getSingle(10), 0.0f + std::bit_cast<float>(0x00000007u));  // partial record
    EXPECT_EQ(file.getInteger(11), 0);
    EXPECT_EQ(file.getSingle(100000), 0.0f);
    EXPECT_EQ(file.getString(100000), "");
}

TEST_F(RecordFiles, RefusedAccess) {
    rt::RecordFile file;
    EXPECT_EQ(errorNumberOf([&] { file.open(folder.path("none.P41"), false); }), 53);
    file.open(folder.path("w.P41"), true);
    EXPECT_EQ(errorNumberOf([&] { file.getInteger(0); }), 63);
    EXPECT_EQ(errorNumberOf([&] { file.putInteger(-1, 1); }), 63);
    EXPECT_EQ(errorNumberOf([&] { file.putString(1, std::string(127, 'x')); }), 59);
    file.putInteger(1, 200);  // a length no record can hold
    EXPECT_EQ(errorNumberOf([&] { file.getString(1); }), 59);
    file.close();

    file.open(folder.path("w.P41"), false);
    EXPECT_EQ(errorNumberOf([&] { file.putInteger(1, 1); }), 75);
    EXPECT_EQ(file.getInteger(1), 200);
    file.close();
    file.close();
}

// Written values gather in memory until the file is closed: reads, lengths,
// cuts and the bytes on disk must be as if every value went straight to the
// file. A model of the file's bytes checks random writes over many blocks.
TEST_F(RecordFiles, GatheredWritesReadBackAsWritten) {
    std::mt19937 random(7);
    for (int round = 0; round < 4; ++round) {
        std::string model = round % 2 == 0 ? std::string(3000, 'k') : std::string();
        folder.write("g.P21", model);
        rt::RecordFile file;
        file.open(folder.path("g.P21"), true);
        const std::int32_t span = round < 2 ? 300 : 140000;  // over kMaxBlocks blocks in the last rounds
        for (int step = 0; step < 3000; ++step) {
            const std::int32_t rec = 1 + static_cast<std::int32_t>(random() % static_cast<unsigned>(span));
            const std::size_t at = static_cast<std::size_t>(rec - 1) * 128;
            const int what = static_cast<int>(random() % 10);
            if (what < 6) {
                const auto value = static_cast<std::int16_t>(random());
                file.putInteger(rec, value);
                if (model.size() < at + 2) model.resize(at + 2, '\0');
                model[at] = static_cast<char>(value & 0xFF);
                model[at + 1] = static_cast<char>((value >> 8) & 0xFF);
            } else if (what < 8) {
                const std::size_t offset = static_cast<std::size_t>(random() % (model.size() + 1));
                const std::int32_t back = static_cast<std::int32_t>(offset / 128) + 1;
                const std::size_t start = offset / 128 * 128;
                std::string expected = start < model.size() ? model.substr(start, 2) : std::string();
                expected.resize(2, '\0');
                const auto bits = static_cast<std::uint16_t>(file.getInteger(back));
                EXPECT_EQ(bits, static_cast<std::uint16_t>(static_cast<unsigned char>(expected[0]) |
                                                           static_cast<unsigned char>(expected[1]) << 8));
            } else if (what == 8 && random() % 20 == 0) {
                const std::size_t length = static_cast<std::size_t>(random() % (model.size() + 1));
                file.truncate(static_cast<std::int64_t>(length));
                model.resize(length);
            } else {
                EXPECT_EQ(file.fileLength(), static_cast<std::int64_t>(model.size()));
            }
        }
        file.close();
        ASSERT_EQ(folder.read("g.P21"), model) << "round " << round;
    }
}

TEST_F(RecordFiles, AFullDiskIsReportedWhenTheGatheredValuesAreWritten) {
    rt::RecordFile file;
    file.open("/dev/full", true);
    file.putInteger(1, 5);
    EXPECT_EQ(errorNumberOf([&] { file.close(); }), 61);
    EXPECT_FALSE(file.isOpen());
    file.close();
}

}  // namespace
