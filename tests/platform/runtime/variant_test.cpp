#include <gtest/gtest.h>

#include "platform/runtime/variant.h"
#include "temp_folder.h"

namespace {

using rt::VArray;
using rt::Variant;
using rt::VarType;

TEST(Variant, KeepsTheTypeItWasMadeWith) {
    EXPECT_EQ(Variant().type(), VarType::Empty);
    EXPECT_EQ(Variant::missing().type(), VarType::Missing);
    EXPECT_EQ(Variant(std::int16_t{1}).type(), VarType::Integer);
    EXPECT_EQ(Variant(1).type(), VarType::Long);
    EXPECT_EQ(Variant(1.0f).type(), VarType::Single);
    EXPECT_EQ(Variant(1.0).type(), VarType::Double);
    EXPECT_EQ(Variant(true).type(), VarType::Boolean);
    EXPECT_EQ(Variant("x").type(), VarType::String);
    EXPECT_EQ(Variant(VArray()).type(), VarType::Array);
    EXPECT_TRUE(Variant(1.0f).isNumeric());
    EXPECT_FALSE(Variant(true).isNumeric());
    EXPECT_FALSE(Variant("1").isNumeric());
    EXPECT_NE(Variant(std::int16_t{1}), Variant(1));  // same value, other type
    EXPECT_EQ(Variant("a"), Variant(std::string("a")));
}

TEST(Variant, NumberConversionsRoundAndCheck) {
    EXPECT_EQ(Variant("1.5").toInteger(), 2);
    EXPECT_EQ(Variant(" 2.5 ").toInteger(), 2);
    EXPECT_EQ(Variant(2.5f).toLong(), 2);
    EXPECT_EQ(Variant(true).toInteger(), -1);
    EXPECT_EQ(Variant().toInteger(), 0);
    EXPECT_EQ(Variant(70000).toLong(), 70000);
    EXPECT_EQ(errorNumberOf([] { Variant("abc").toInteger(); }), 13);
    EXPECT_EQ(errorNumberOf([] { Variant("").toDouble(); }), 13);
    EXPECT_EQ(errorNumberOf([] { Variant(70000).toInteger(); }), 6);
    EXPECT_EQ(errorNumberOf([] { Variant(1e39).toSingle(); }), 6);
    EXPECT_EQ(errorNumberOf([] { Variant("1E+39").toSingle(); }), 6);
    EXPECT_EQ(errorNumberOf([] { Variant(VArray()).toDouble(); }), 13);
    EXPECT_EQ(errorNumberOf([] { Variant::missing().toLong(); }), 449);
    // A string becomes the float nearest its text, not the float of a double.
    EXPECT_EQ(Variant("0.1").toSingle(), 0.1f);
}

TEST(Variant, BooleanAndTextConversions) {
    EXPECT_TRUE(Variant("TRUE").toBool());
    EXPECT_FALSE(Variant("false").toBool());
    EXPECT_TRUE(Variant("-1").toBool());
    EXPECT_FALSE(Variant(0.0).toBool());
    EXPECT_FALSE(Variant().toBool());
    EXPECT_EQ(errorNumberOf([] { Variant("yes").toBool(); }), 13);

    EXPECT_EQ(Variant(true).toString(), "True");
    EXPECT_EQ(Variant(false).toString(), "False");
    EXPECT_EQ(Variant().toString(), "");
    EXPECT_EQ(Variant(std::int16_t{-7}).toString(), "-7");
    EXPECT_EQ(Variant(0.1f).toString(), "0.1");
    EXPECT_EQ(Variant(0.1).toString(), "0.1");
    EXPECT_EQ(errorNumberOf([] { Variant(VArray()).toString(); }), 13);
    EXPECT_EQ(errorNumberOf([] { Variant(1).array(); }), 13);
}

TEST(VArray, BoundsAndSubscripts) {
    VArray a(VarType::Integer);
    EXPECT_FALSE(a.isAllocated());
    EXPECT_EQ(errorNumberOf([&] { a.ubound(); }), 9);
    EXPECT_EQ(errorNumberOf([&] { a.at(0); }), 9);

    a.redim(1, 3);
    EXPECT_EQ(a.count(), 3u);
    EXPECT_EQ(a.at(1), Variant(std::int16_t{0}));  // fresh elements are the type's zero
    EXPECT_EQ(errorNumberOf([&] { a.at(0); }), 9);
    EXPECT_EQ(errorNumberOf([&] { a.at(4); }), 9);
    EXPECT_EQ(errorNumberOf([&] { a.at(1, 1); }), 9);
    EXPECT_EQ(errorNumberOf([&] { a.lbound(2); }), 9);

    VArray grid(VarType::String);
    grid.redim(0, 2, -1, 1);
    EXPECT_EQ(grid.dimensions(), 2);
    EXPECT_EQ(grid.lbound(2), -1);
    EXPECT_EQ(grid.ubound(1), 2);
    EXPECT_EQ(grid.count(), 9u);
    grid.at(2, -1) = Variant("corner");
    EXPECT_EQ(grid.at(2, -1).toString(), "corner");
    EXPECT_EQ(grid.at(0, 1), Variant(""));
    EXPECT_EQ(errorNumberOf([&] { grid.at(3, 0); }), 9);

    VArray empty;
    empty.redim(0, -1);  // an allocated, empty array
    EXPECT_TRUE(empty.isAllocated());
    EXPECT_EQ(empty.count(), 0u);
    EXPECT_EQ(errorNumberOf([&] { empty.redim(0, -2); }), 9);

    grid.erase();
    EXPECT_FALSE(grid.isAllocated());
    EXPECT_EQ(grid.elementType(), VarType::String);
}

TEST(VArray, RedimPreserveKeepsOverlapOnly) {
    VArray a(VarType::Long);
    a.redimPreserve(1, 3);  // unallocated: a plain redim
    for (int i = 1; i <= 3; ++i) a.at(i) = Variant(i * 10);
    a.redimPreserve(1, 5);
    EXPECT_EQ(a.at(3), Variant(30));
    EXPECT_EQ(a.at(5), Variant(0));
    a.redimPreserve(2, 2);
    EXPECT_EQ(a.count(), 1u);
    EXPECT_EQ(a.at(2), Variant(20));
    EXPECT_EQ(errorNumberOf([&] { a.redimPreserve(1, 2, 1, 2); }), 9);

    VArray m;
    m.redim(1, 2, 1, 2);
    m.at(2, 2) = Variant("kept");
    m.redimPreserve(1, 2, 1, 4);
    EXPECT_EQ(m.at(2, 2), Variant("kept"));
    EXPECT_TRUE(m.at(1, 4).isEmpty());
    EXPECT_EQ(errorNumberOf([&] { m.redimPreserve(1, 3, 1, 4); }), 9);  // first dimension
    EXPECT_EQ(errorNumberOf([&] { m.redimPreserve(1, 4); }), 9);        // dimension count
    EXPECT_EQ(m.ubound(2), 4);  // a refused redim leaves the array as it was
}

TEST(VArray, IsAValue) {
    VArray a(VarType::Double);
    a.redim(1, 2);
    Variant held(a);
    a.at(1) = Variant(5.0);
    EXPECT_EQ(held.array().at(1), Variant(0.0));
    Variant copy = held;
    copy.array().at(2) = Variant(1.0);
    EXPECT_EQ(held.array().at(2), Variant(0.0));
    EXPECT_NE(copy, held);
}

}  // namespace
