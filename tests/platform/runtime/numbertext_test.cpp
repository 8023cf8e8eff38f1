#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

#include "platform/runtime/numbertext.h"
#include "temp_folder.h"

namespace {

double parsed(std::string_view text) {
    double value = -999;
    EXPECT_TRUE(rt::parseNumber(text, value)) << text;
    return value;
}

bool isNumber(std::string_view text) {
    double value = 0;
    return rt::parseNumber(text, value);
}

TEST(NumberText, ParsesTheFormsOfDataFiles) {
    EXPECT_EQ(parsed(".5"), 0.5);
    EXPECT_EQ(parsed("5."), 5.0);
    EXPECT_EQ(parsed("-.5"), -0.5);
    EXPECT_EQ(parsed("+3"), 3.0);
    EXPECT_EQ(parsed(" \t-1.5E-05 "), -1.5e-05);
    EXPECT_EQ(parsed("1e+38"), 1e38);
    EXPECT_EQ(parsed("1D+02"), 100.0);
    EXPECT_EQ(parsed("2.5d-1"), 0.25);
    EXPECT_EQ(parsed("1E5"), 1e5);
    EXPECT_EQ(parsed("&H1F"), 31.0);
    EXPECT_EQ(parsed("&hFFFF"), -1.0);  // four digits are an Integer
    EXPECT_EQ(parsed("&H10000"), 65536.0);
    EXPECT_EQ(parsed("&HFFFFFFFF"), -1.0);  // eight digits are a Long
    EXPECT_TRUE(std::signbit(parsed("-0")));
    EXPECT_EQ(parsed("1E-400"), 0.0);
}

TEST(NumberText, RejectsWhatIsNotOneNumber) {
    for (const char* text : {"", " ", ".", "-", "E5", "1E", "1E+", "1.2.3", "1,5", "1 2", "abc",
                             "1x", "inf", "nan", "0x10", "&H", "&HG", "#TRUE#", "- 1"})
        EXPECT_FALSE(isNumber(text)) << text;
    EXPECT_EQ(errorNumberOf([] { parsed("1E+400"); }), 6);
    EXPECT_EQ(errorNumberOf([] { isNumber("&H123456789"); }), 6);
    float f = 0;
    EXPECT_EQ(errorNumberOf([&] { rt::parseSingle("1E+39", f); }), 6);
}

TEST(NumberText, ValReadsTheLeadingNumber) {
    EXPECT_EQ(rt::Val("  12 34abc"), 1234.0);
    EXPECT_EQ(rt::Val("1.5E+3x"), 1500.0);
    EXPECT_EQ(rt::Val("- 5"), -5.0);
    EXPECT_EQ(rt::Val("7E"), 7.0);
    EXPECT_EQ(rt::Val("1,5"), 1.0);
    EXPECT_EQ(rt::Val("&H1F"), 31.0);
    EXPECT_EQ(rt::Val("abc"), 0.0);
    EXPECT_EQ(rt::Val(""), 0.0);
    EXPECT_EQ(errorNumberOf([] { rt::Val("9E999"); }), 6);
}

TEST(NumberText, FormatsSinglesAsTheOldFilesDo) {
    EXPECT_EQ(rt::formatSingle(3.0f), "3");
    EXPECT_EQ(rt::formatSingle(-2.0f), "-2");
    EXPECT_EQ(rt::formatSingle(0.5f), "0.5");
    EXPECT_EQ(rt::formatSingle(0.1f), "0.1");
    EXPECT_EQ(rt::formatSingle(-1.5e-05f), "-1.5E-05");
    EXPECT_EQ(rt::formatSingle(1e38f), "1E+38");
    EXPECT_EQ(rt::formatSingle(0.0001f), "0.0001");
    EXPECT_EQ(rt::formatSingle(9999999.0f), "9999999");
    EXPECT_EQ(rt::formatSingle(1e7f), "1E+07");
    EXPECT_EQ(rt::formatSingle(12345678.0f), "1.2345678E+07");
    EXPECT_EQ(rt::formatSingle(1234.5f), "1234.5");
    EXPECT_EQ(rt::formatSingle(std::numeric_limits<float>::denorm_min()), "1E-45");
    EXPECT_EQ(rt::formatSingle(-0.0f), "-0");
    EXPECT_EQ(rt::formatSingle(0.0f), "0");
    EXPECT_EQ(errorNumberOf([] { rt::formatSingle(std::numeric_limits<float>::infinity()); }), 6);
}

TEST(NumberText, FormatsDoublesWithTheirOwnExponentLimit) {
    EXPECT_EQ(rt::formatDouble(0.1), "0.1");
    EXPECT_EQ(rt::formatDouble(123456789012345.0), "123456789012345");
    EXPECT_EQ(rt::formatDouble(1e15), "1E+15");
    EXPECT_EQ(rt::formatDouble(1.0 / 3.0), "0.3333333333333333");
    EXPECT_EQ(rt::formatDouble(-2.5e-300), "-2.5E-300");
    EXPECT_EQ(rt::formatDouble(0.00012), "0.00012");
    EXPECT_EQ(rt::formatDouble(0.000012), "1.2E-05");
    EXPECT_EQ(errorNumberOf([] { rt::formatDouble(std::nan("")); }), 6);
}

// The text of every float reads back to the same bits, through the path a
// data file takes (formatSingle, then parseSingle).
TEST(NumberText, SinglesRoundTripBitExact) {
    std::vector<float> values = {std::numeric_limits<float>::max(),
                                 -std::numeric_limits<float>::max(),
                                 std::numeric_limits<float>::min(),
                                 std::numeric_limits<float>::denorm_min(),
                                 -std::numeric_limits<float>::denorm_min(),
                                 std::nextafter(std::numeric_limits<float>::min(), 0.0f),
                                 -0.0f,
                                 0.0f,
                                 1e7f,
                                 std::nextafter(1e7f, 0.0f),
                                 1e-4f,
                                 std::nextafter(1e-4f, 0.0f),
                                 16777217.0f};
    std::mt19937 random(20240611);
    std::uniform_int_distribution<std::uint32_t> anyBits;
    while (values.size() < 200000) {
        const float f = std::bit_cast<float>(anyBits(random));
        if (std::isfinite(f)) values.push_back(f);
    }
    for (float f : values) {
        const std::string text = rt::formatSingle(f);
        float back = 1;
        ASSERT_TRUE(rt::parseSingle(text, back)) << text;
        ASSERT_EQ(std::bit_cast<std::uint32_t>(back), std::bit_cast<std::uint32_t>(f)) << text;
        ASSERT_TRUE(text[0] != '.' && text.rfind("-.", 0) != 0) << text;  // leading zero
    }
}

TEST(NumberText, DoublesRoundTripBitExact) {
    std::mt19937_64 random(7);
    std::uniform_int_distribution<std::uint64_t> anyBits;
    for (int n = 0; n < 100000; ++n) {
        const double d = std::bit_cast<double>(anyBits(random));
        if (!std::isfinite(d)) continue;
        const std::string text = rt::formatDouble(d);
        ASSERT_EQ(std::bit_cast<std::uint64_t>(parsed(text)), std::bit_cast<std::uint64_t>(d))
            << text;
    }
}

}  // namespace
