#include <gtest/gtest.h>

#include "platform/runtime/datachannel.h"
#include "temp_folder.h"

namespace {

using Mode = rt::DataChannel::Mode;

class DataChannelTest : public ::testing::Test {
protected:
    void SetUp() override { rt::dataChannel().reset(); }
    void TearDown() override { rt::dataChannel().reset(); }
    TempFolder folder;
};

TEST_F(DataChannelTest, OneFileAtATime) {
    rt::DataChannel& channel = rt::dataChannel();
    const std::string path = folder.path("net.PL6");
    channel.openOutput(path);
    EXPECT_EQ(channel.path(), path);
    EXPECT_EQ(errorNumberOf([&] { channel.openInput(path); }), 55);
    EXPECT_EQ(channel.mode(), Mode::Output);  // the open file is untouched
    channel.writer().writeValues(std::int16_t{2});
    channel.close();
    channel.close();  // harmless

    channel.openAppend(path);
    channel.writer().writeValues(std::int16_t{3});
    channel.close();

    channel.openInput(path);
    EXPECT_EQ(channel.reader().readInteger(), 2);
    EXPECT_EQ(channel.reader().readInteger(), 3);
    channel.close();
    EXPECT_FALSE(channel.isOpen());
    EXPECT_EQ(channel.path(), "");
}

TEST_F(DataChannelTest, WrongModeAndFailedOpens) {
    rt::DataChannel& channel = rt::dataChannel();
    EXPECT_EQ(errorNumberOf([&] { channel.reader(); }), 52);
    EXPECT_EQ(errorNumberOf([&] { channel.openInput(folder.path("missing.PL8")); }), 53);
    EXPECT_EQ(errorNumberOf([&] { channel.openOutput(folder.path("gone/x.PL6")); }), 76);
    EXPECT_EQ(errorNumberOf([&] { channel.openRandom(folder.path("b.P41"), false); }), 53);
    EXPECT_FALSE(channel.isOpen());

    channel.openRandom(folder.path("b.P41"), true);
    EXPECT_EQ(errorNumberOf([&] { channel.writer(); }), 54);
    channel.records().putInteger(1, 5);
    channel.close();
    EXPECT_EQ(errorNumberOf([&] { channel.records(); }), 52);
}

TEST_F(DataChannelTest, CloseReportsAFullDisk) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    rt::DataChannel& channel = rt::dataChannel();
    channel.openOutput("/dev/full");
    channel.writer().printLine("lost");
    EXPECT_EQ(errorNumberOf([&] { channel.close(); }), 61);
    EXPECT_FALSE(channel.isOpen());
}

}  // namespace
