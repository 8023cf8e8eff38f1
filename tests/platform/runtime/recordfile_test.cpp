#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>

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

}  // namespace
