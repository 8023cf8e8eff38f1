// Placeholders filled by ResolveString and texts divided by DivideString.
#include <gtest/gtest.h>

#include "halvex/services/cls_valmor.h"
#include "halvex/services/library_state.h"
#include "platform/runtime/errors.h"

namespace {

rt::VArray list(std::vector<rt::Variant> values, std::int32_t lower = 0)
{
    rt::VArray a;
    a.redim(lower, lower + static_cast<std::int32_t>(values.size()) - 1);
    for (std::size_t i = 0; i < values.size(); ++i)
        a.at(lower + static_cast<std::int32_t>(i)) = values[i];
    return a;
}

std::string resolve(const std::string& text, std::vector<rt::Variant> values, std::int32_t lower = 0)
{
    rt::VArray a = list(std::move(values), lower);
    return halvex::ClsValmor().ResolveString(text, a);
}

std::vector<std::string> divide(std::int16_t n, const std::string& text)
{
    rt::VArray out;
    halvex::ClsValmor().DivideString(n, rt::Variant(text), out);
    EXPECT_EQ(out.lbound(), 0);
    EXPECT_EQ(out.ubound(), n);
    std::vector<std::string> lines;
    for (std::int32_t i = 1; i <= n; ++i)
        lines.push_back(out.at(i).toString());
    return lines;
}

TEST(ResolveString, PutsEveryPairIn)
{
    EXPECT_EQ(resolve("File |1 of kind |2", {"|1", "/data/raft.PO1", "|2", "project file"}),
              "File /data/raft.PO1 of kind project file");
    EXPECT_EQ(resolve("|1 + |1 = |2", {"|1", std::int16_t{2}, "|2", 4.5}), "2 + 2 = 4.5");
    EXPECT_EQ(resolve("|2 then |1", {"|1", "a", "|2", "b"}, 1), "b then a");
}

TEST(ResolveString, SkipsAValueHoldingItsOwnName)
{
    EXPECT_EQ(resolve("value |1 here", {"|1", "x|1"}), "value |1 here");
    // An empty name is contained in every value.
    EXPECT_EQ(resolve("value |1 here", {"", "x"}), "value |1 here");
}

TEST(ResolveString, AtMostOneHundredAndOneReplacementsAPair)
{
    std::string text;
    for (int i = 0; i < 102; ++i)
        text += "|1";
    EXPECT_EQ(resolve(text, {"|1", ""}), "|1");
    EXPECT_EQ(resolve("a|1b|1c", {"|1", ""}), "abc");
}

TEST(ResolveString, ShortListRemovesOnlyTheFirstPlaceholder)
{
    EXPECT_EQ(resolve("|1 and |1", {"anything"}), " and |1");
    EXPECT_EQ(resolve("no placeholder", {"|1"}), "no placeholder");
}

TEST(ResolveString, UnreadablePairsLeaveTheirPlaceholder)
{
    // A trailing name without a value: "|2" stays, it does not take the
    // previous pair's value.
    EXPECT_EQ(resolve("|1 and |2", {"|1", "a", "|2"}), "a and |2");
    // A value without a text form: that pair is left out, the next one is not.
    rt::VArray nested;
    nested.redim(0, 1);
    EXPECT_EQ(resolve("|1 |2 |3", {"|1", "a", "|2", rt::Variant(nested), "|3", "c"}), "a |2 c");
    // A name without a text form must not reuse the name before it (here
    // "|2", whose own pair was skipped).
    EXPECT_EQ(resolve("|1 |2", {"|2", "x|2", rt::Variant::missing(), "b"}), "|1 |2");
}

TEST(ResolveString, UnallocatedListIsASubscriptError)
{
    rt::VArray never;
    try {
        halvex::ClsValmor().ResolveString("|1", never);
        FAIL() << "no error";
    } catch (const rt::RuntimeError& e) {
        EXPECT_EQ(e.number(), 9);
    }
}

TEST(DivideString, MergesTheCheapestPairFirst)
{
    EXPECT_EQ(divide(2, "aa bb cccc"), (std::vector<std::string>{"aa bb", "cccc"}));
    // Equal costs: the leftmost pair wins.
    EXPECT_EQ(divide(2, "ab cd ef"), (std::vector<std::string>{"ab cd", "ef"}));
}

TEST(DivideString, BreakMarksSplitWordsWithAHyphen)
{
    EXPECT_EQ(divide(2, "ab|0cd ef"), (std::vector<std::string>{"abcd", "ef"}));
    EXPECT_EQ(divide(3, "ab|0cd ef"), (std::vector<std::string>{"ab-", "cd", "ef"}));
    EXPECT_EQ(divide(2, "a b|0cccccc"), (std::vector<std::string>{"a b-", "cccccc"}));
    EXPECT_EQ(divide(1, "a b|0cccccc"), (std::vector<std::string>{"a b- cccccc"}));
}

TEST(DivideString, FewerWordsLeaveLinesEmpty)
{
    EXPECT_EQ(divide(3, ""), (std::vector<std::string>{"", "", ""}));
    EXPECT_EQ(divide(3, "one two"), (std::vector<std::string>{"one", "two", ""}));
    // Two blanks in a row make an empty word.
    EXPECT_EQ(divide(3, "a  b"), (std::vector<std::string>{"a", "", "b"}));
}

TEST(DivideString, CountsCharactersNotBytes)
{
    // "äää" is three characters: merging "x" with it (cost 5) is cheaper than
    // merging it with "yyyy" (cost 8).
    EXPECT_EQ(divide(2, "x \xC3\xA4\xC3\xA4\xC3\xA4 yyyy"),
              (std::vector<std::string>{"x \xC3\xA4\xC3\xA4\xC3\xA4", "yyyy"}));
}

TEST(DivideString, NeedsAtLeastOneLine)
{
    rt::VArray out;
    try {
        halvex::ClsValmor().DivideString(0, rt::Variant("a b"), out);
        FAIL() << "no error";
    } catch (const rt::RuntimeError& e) {
        EXPECT_EQ(e.number(), 9);
    }
}

}  // namespace
