#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

#include "platform/runtime/errors.h"
#include "platform/runtime/rounding.h"
#include "temp_folder.h"

namespace {

TEST(Rounding, HalfwayGoesToEven) {
    EXPECT_EQ(rt::CInt(0.5), 0);
    EXPECT_EQ(rt::CInt(1.5), 2);
    EXPECT_EQ(rt::CInt(2.5), 2);
    EXPECT_EQ(rt::CInt(-2.5), -2);
    EXPECT_EQ(rt::CInt(-1.5), -2);
    EXPECT_EQ(rt::CInt(2.5000001), 3);
    EXPECT_EQ(rt::CInt(-0.4), 0);
    EXPECT_EQ(rt::CLng(495.5), 496);
    EXPECT_EQ(rt::CLng(-3.5), -4);
    EXPECT_EQ(rt::roundHalfEven(1e300), 1e300);
}

TEST(Rounding, WholeNumberRangesOverflow) {
    EXPECT_EQ(rt::CInt(32767.4), 32767);
    EXPECT_EQ(rt::CInt(-32768.5), -32768);
    EXPECT_EQ(errorNumberOf([] { rt::CInt(32767.5); }), 6);
    EXPECT_EQ(errorNumberOf([] { rt::CInt(-32768.6); }), 6);
    EXPECT_EQ(errorNumberOf([] { rt::CInt(NAN); }), 6);
    EXPECT_EQ(rt::CLng(2147483647.4), 2147483647);
    EXPECT_EQ(errorNumberOf([] { rt::CLng(2147483647.5); }), 6);
    EXPECT_EQ(errorNumberOf([] { rt::CLng(-INFINITY); }), 6);
}

TEST(Rounding, FixTruncatesAndIntFloors) {
    EXPECT_EQ(rt::Fix(-2.7), -2.0);
    EXPECT_EQ(rt::Int(-2.7), -3.0);
    EXPECT_EQ(rt::Fix(2.7), 2.0);
    EXPECT_EQ(rt::Int(2.7), 2.0);
}

TEST(CheckedArithmetic, RaisesTheOldErrors) {
    EXPECT_EQ(errorNumberOf([] { rt::divideChecked(1, 0); }), 11);
    EXPECT_EQ(errorNumberOf([] { rt::divideChecked(0, 0); }), 11);
    EXPECT_EQ(errorNumberOf([] { rt::divideChecked(1e308, 1e-10); }), 6);
    EXPECT_EQ(rt::divideChecked(1, 4), 0.25);

    EXPECT_EQ(rt::toSingleChecked(FLT_MAX), FLT_MAX);
    // Just below the midpoint between FLT_MAX and 2^128 still rounds to FLT_MAX.
    EXPECT_EQ(rt::toSingleChecked(std::nextafter(0x1.ffffffp+127, 0.0)), FLT_MAX);
    EXPECT_EQ(errorNumberOf([] { rt::toSingleChecked(0x1.ffffffp+127); }), 6);
    EXPECT_EQ(errorNumberOf([] { rt::toSingleChecked(-1e39); }), 6);
    EXPECT_TRUE(std::isinf(rt::toSingleChecked(INFINITY)));

    EXPECT_EQ(rt::toIntegerChecked(-32768), -32768);
    EXPECT_EQ(errorNumberOf([] { rt::toIntegerChecked(32768); }), 6);
    EXPECT_EQ(errorNumberOf([] { rt::toLongChecked(2147483648LL); }), 6);
}

TEST(RuntimeErrors, CarryNumberAndDescription) {
    try {
        rt::raise(62);
    } catch (const rt::RuntimeError& e) {
        EXPECT_EQ(e.number(), 62);
        EXPECT_EQ(e.description(), "Input past end of file");
        EXPECT_STREQ(e.what(), "Run-time error 62: Input past end of file");
    }
    EXPECT_EQ(rt::errorDescription(53), "File not found");
    EXPECT_EQ(rt::errorDescription(12345), "Application-defined or object-defined error");
    try {
        rt::raise(5, "No text 99");
    } catch (const rt::RuntimeError& e) {
        EXPECT_EQ(e.number(), 5);
        EXPECT_EQ(e.description(), "No text 99");
    }
}

}  // namespace
