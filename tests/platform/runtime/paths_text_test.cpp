#include <gtest/gtest.h>

#include "platform/runtime/codepage.h"
#include "platform/runtime/paths.h"
#include "platform/runtime/strings.h"
#include "temp_folder.h"

namespace {

TEST(Paths, SplittersAcceptBothSeparators) {
    EXPECT_EQ(rt::toNativePath("C:\\data\\slab.PO1"), "C:/data/slab.PO1");
    EXPECT_EQ(rt::directoryOf("C:\\data/x\\slab.PO1"), "C:\\data/x\\");
    EXPECT_EQ(rt::directoryOf("slab.PO1"), "");
    EXPECT_EQ(rt::fileNameOf("a/b\\slab.v2.PO1"), "slab.v2.PO1");
    EXPECT_EQ(rt::baseNameOf("a/b\\slab.v2.PO1"), "slab.v2");
    EXPECT_EQ(rt::extensionOf("a/b\\slab.v2.PO1"), "PO1");
    EXPECT_EQ(rt::extensionOf("a.b/slab"), "");
    EXPECT_EQ(rt::baseNameOf("a.b/slab"), "slab");
}

TEST(Paths, ProjectFilesAreFoundWithoutRegardToCase) {
    TempFolder folder;
    folder.write("Slab.pl6", "1");
    folder.write("slab.PL8", "2");
    folder.write("SLAB.PL8", "3");
    std::filesystem::create_directory(folder.path("slab.gl1"));

    EXPECT_EQ(rt::findFileCaseInsensitive(folder.path("slab.PL6")), folder.path("Slab.pl6"));
    EXPECT_EQ(rt::findFileCaseInsensitive(folder.path("SLAB.PL8")), folder.path("SLAB.PL8"));
    EXPECT_EQ(rt::findFileCaseInsensitive(folder.path("Slab.Pl8")), folder.path("SLAB.PL8"));
    EXPECT_EQ(rt::findFileCaseInsensitive(folder.path("slab.GL1")), "");  // a folder
    EXPECT_EQ(rt::findFileCaseInsensitive(folder.path("slab.P41")), "");
    EXPECT_EQ(rt::findFileCaseInsensitive(folder.path("no/slab.PL6")), "");

    EXPECT_EQ(rt::projectFilePath(folder.dir(), "slab", "pl6"), folder.path("Slab.pl6"));
    EXPECT_EQ(rt::projectFilePath(folder.dir(), "slab", "p41"), folder.path("slab.P41"));
    EXPECT_TRUE(rt::fileExists(folder.path("Slab.pl6")));
    EXPECT_FALSE(rt::fileExists(folder.path("slab.gl1")));
    EXPECT_TRUE(rt::directoryExists(folder.path("slab.gl1")));
}

TEST(CodePage, RoundTripOfEveryByte) {
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    const std::string utf8 = rt::cp1252ToUtf8(all);
    EXPECT_EQ(rt::utf8ToCp1252(utf8), all);
    EXPECT_EQ(rt::cp1252ToUtf8("\x80 \xE4\xB0"), "\u20AC \u00E4\u00B0");
    EXPECT_EQ(rt::utf8ToCp1252("\u2264 \u0160 \U0001F600"), "? \x8A ?");
    EXPECT_EQ(rt::utf8ToCp1252("a\xC3"), "a?");           // cut-off sequence
    EXPECT_EQ(rt::utf8ToCp1252("\xC0\xAF"), "??");        // overlong form
    EXPECT_EQ(rt::utf8ToCp1252("\xED\xA0\x80"), "???");  // surrogate
}

TEST(Strings, HelpersOfTheOldLanguage) {
    EXPECT_EQ(rt::ucase("abc\xE4z"), "ABC\xE4Z");
    EXPECT_EQ(rt::lcase("F"), "f");
    EXPECT_EQ(rt::trim("  a b \t "), "a b \t");  // blanks only
    EXPECT_EQ(rt::ltrim("  x "), "x ");
    EXPECT_EQ(rt::rtrim("   "), "");
    EXPECT_EQ(rt::left("abc", 5), "abc");
    EXPECT_EQ(rt::right("abc", 2), "bc");
    EXPECT_EQ(errorNumberOf([] { rt::left("abc", -1); }), 5);
    EXPECT_EQ(rt::inStr("a.b.c", "."), 2);
    EXPECT_EQ(rt::inStr("a.b.c", ".", 3), 4);
    EXPECT_EQ(rt::inStr("a.b.c", "x"), 0);
    EXPECT_EQ(rt::inStr("abc", "", 2), 2);
    EXPECT_EQ(rt::inStr("abc", "c", 9), 0);
    EXPECT_EQ(errorNumberOf([] { rt::inStr("abc", "a", 0); }), 5);
}

}  // namespace
