// ClsLanguageText: texts by number with replacements, fall-back to English,
// the language's attributes, the language source and faulty tables.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "outside/quillon/language_text.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/temp_folder.h"

namespace fs = std::filesystem;
using quillon::ClsLanguageText;
using rt::Variant;

namespace {

const std::string kShippedDir = std::string(OH_SOURCE_DIR) + "/progdir/language";

// A fresh folder of hand-made tables, removed afterwards.
class TableDir {
public:
    TableDir() {
        static std::atomic<int> counter{0};
        path_ = fs::temp_directory_path() /
                ("quillon-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        fs::create_directories(path_);
    }
    ~TableDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    // Writes <name>.txt; name may start with sub-folders ("lang/English").
    void write(const std::string& name, const std::string& content) const {
        fs::path file = path_ / (name + ".txt");
        fs::create_directories(file.parent_path());
        std::ofstream out(file, std::ios::binary);
        out << content;
    }
    std::string path() const { return path_.string(); }

private:
    fs::path path_;
};

const char* const kEnglish =
    "@engname English\n"
    "@rtl 0\n"
    "@charset 0\n"
    "@axis.A first\n@axis.B second\n@axis.C third\n@axis.D x\n@axis.E y\n@axis.F z\n"
    "1 Reading file |1\n"
    "2 |1 of |2, again |1\n"
    "3 Items |1 and |10 and |1x\n"
    "4 Line one\\nLine two \\\\ end\n"
    "5 Only English\n";

const char* const kGerman =
    "@engname German\n"
    "@axis.A erste\n"
    "1 Datei |1 wird gelesen\n";

}  // namespace

TEST(LanguageText, ReplacesPlaceholdersByTheValuesGiven) {
    TableDir dir;
    dir.write("English", kEnglish);
    ClsLanguageText texts(dir.path(), "English");

    EXPECT_EQ(texts.GetText(Variant(1), {"|1", "/data/A.PO1"}), "Reading file /data/A.PO1");
    // Every occurrence; numbers turned into text; a leading number is skipped.
    EXPECT_EQ(texts.GetText(Variant(2), {Variant(32), "|1", Variant(3), "|2", Variant(2.5)}),
              "3 of 2.5, again 3");
    // Only a leading number: the text as it stands.
    EXPECT_EQ(texts.GetText(Variant(5), {Variant(1)}), "Only English");
    EXPECT_EQ(texts.GetText(Variant(std::int16_t(5))), "Only English");
    // A placeholder without a value stays in the text.
    EXPECT_EQ(texts.GetText(Variant(2), {"|2", "b"}), "|1 of b, again |1");
}

TEST(LanguageText, PlaceholderOneLeavesPlaceholderTenAlone) {
    TableDir dir;
    dir.write("English", kEnglish);
    ClsLanguageText texts(dir.path(), "English");

    EXPECT_EQ(texts.GetText(Variant(3), {"|1", "a"}), "Items a and |10 and ax");
    EXPECT_EQ(texts.GetText(Variant(3), {"|1", "a", "|10", "ten"}), "Items a and ten and ax");
    EXPECT_EQ(texts.GetText(Variant(3), {"|10", "ten", "|1", "a"}), "Items a and ten and ax");
}

TEST(LanguageText, ValuesAreInsertedOnceAndNeverSearchedAgain) {
    TableDir dir;
    dir.write("English", kEnglish);
    ClsLanguageText texts(dir.path(), "English");

    // A value holding its own placeholder, or the next one, is put in as it is.
    EXPECT_EQ(texts.GetText(Variant(2), {"|1", "x|1", "|2", "|1"}), "x|1 of |1, again x|1");
    // The same placeholder twice: the first pair counts.
    EXPECT_EQ(texts.GetText(Variant(1), {"|1", "first", "|1", "second"}), "Reading file first");
}

TEST(LanguageText, StringIdIsItsOwnText) {
    TableDir dir;
    dir.write("English", kEnglish);
    ClsLanguageText texts(dir.path(), "English");

    EXPECT_EQ(texts.GetText(Variant("Springs (|1)"), {Variant(32), "|1", "x"}), "Springs (x)");
    EXPECT_EQ(texts.GetText(Variant("12")), "12");
    EXPECT_EQ(texts.GetText(Variant("")), "");
    // No id at all, or the number 0 (an unset file kind): no text, no error.
    EXPECT_EQ(texts.GetText(Variant()), "");
    EXPECT_EQ(texts.GetText(Variant(0)), "");
}

TEST(LanguageText, EscapesInTheTable) {
    TableDir dir;
    dir.write("English", kEnglish);
    ClsLanguageText texts(dir.path(), "English");
    EXPECT_EQ(texts.GetText(Variant(4)), "Line one\nLine two \\ end");
}

TEST(LanguageText, UnknownNumberRaisesErrorFiveNamingIt) {
    TableDir dir;
    dir.write("English", kEnglish);
    ClsLanguageText texts(dir.path(), "German");
    std::string description;
    EXPECT_EQ(errorNumberOf([&] { texts.GetText(Variant(987654)); }, &description), 5);
    EXPECT_NE(description.find("987654"), std::string::npos) << description;
}

// A half English table: what it lacks comes from the table the program was
// built with, and the table is named once as incomplete.
TEST(LanguageText, HalfEnglishTableFallsBackToTheBuiltInTexts) {
    TableDir dir;
    dir.write("English", "@engname English\n6 Half a table\n");
    const ClsLanguageText shipped(kShippedDir, "English");
    testing::internal::CaptureStderr();
    ClsLanguageText half(dir.path(), "German");
    EXPECT_EQ(half.GetText(Variant(6)), "Half a table");
    for (const std::int32_t number : {190036, 190037, 190036})
        EXPECT_EQ(half.GetText(Variant(number)), shipped.GetText(Variant(number)));
    const std::string told = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(told.begin(), told.end(), '\n'), 1) << told;
    EXPECT_NE(told.find(dir.path() + "/English.txt"), std::string::npos) << told;
}

TEST(LanguageText, OtherLanguageFallsBackToEnglish) {
    TableDir dir;
    dir.write("English", kEnglish);
    dir.write("German", kGerman);
    ClsLanguageText german(dir.path(), "German");

    EXPECT_EQ(german.GetText(Variant(1), {"|1", "A.PL6"}), "Datei A.PL6 wird gelesen");
    EXPECT_EQ(german.GetText(Variant(5)), "Only English");
    EXPECT_EQ(german.AxisTextA(), "erste");
    EXPECT_EQ(german.AxisTextB(), "second");  // not in the German table
    EXPECT_FALSE(german.IsRightToLeft());

    // No name, or a name without a table: English.
    EXPECT_EQ(ClsLanguageText(dir.path(), "").GetText(Variant(1)), "Reading file |1");
    EXPECT_EQ(ClsLanguageText(dir.path(), "Klingon").GetText(Variant(1)), "Reading file |1");
    // A stored name is never taken as a path.
    dir.write("lang/English", kEnglish);
    dir.write("Outside", "@engname ../Outside\n1 Not a language table\n");
    EXPECT_EQ(ClsLanguageText(dir.path() + "/lang", "../Outside").GetText(Variant(1)), "Reading file |1");
}

TEST(LanguageText, ShippedTablesGiveRightToLeftForArabicOnly) {
    ClsLanguageText english(kShippedDir, "English");
    EXPECT_FALSE(english.IsRightToLeft());
    EXPECT_EQ(english.MessageBoxFlags(), 0);
    EXPECT_EQ(english.FormCharset(), 0);

    ClsLanguageText arabic(kShippedDir, "Arabic");
    EXPECT_TRUE(arabic.IsRightToLeft());
    EXPECT_EQ(arabic.MessageBoxFlags(), 0x100000 | 0x80000);
    EXPECT_EQ(arabic.FormCharset(), 178);
    EXPECT_NE(arabic.GetText(Variant(7), {Variant(1)}), english.GetText(Variant(7), {Variant(1)}));
    // Every text is translated, each value an isolated run (LTR, or by its first letter).
    EXPECT_EQ(arabic.GetText(Variant(140160), {"|1", "a"}), "الملف \u2066a\u2069 غير موجود.");
    EXPECT_EQ(arabic.GetText(Variant(140160), {"|1", "/م/x.PO1"}), "الملف \u2066/م/x.PO1\u2069 غير موجود.");
    EXPECT_EQ(arabic.GetText(Variant(140160), {"|1", "م"}), "الملف \u2068م\u2069 غير موجود.");
    // A line that opens with a value is marked right to left before it.
    const std::string folder = arabic.GetText(Variant(190065), {"|1", "/tmp/x"});
    EXPECT_EQ(folder.rfind("\u200F\u2066/tmp/x\u2069 ", 0), 0u) << folder;
    EXPECT_EQ(arabic.GetText(Variant("|1\n|2"), {"|1", "a", "|2", "b"}), "\u200F\u2066a\u2069\n\u200F\u2066b\u2069");

    ClsLanguageText german(kShippedDir, "German");
    EXPECT_FALSE(german.IsRightToLeft());
    EXPECT_EQ(german.GetText(Variant(7)), "Abbrechen");
    EXPECT_EQ(german.GetText(Variant(140160), {"|1", "a"}), "Die Datei a existiert nicht.");
    // A value with right-to-left letters is isolated in a left-to-right
    // text as well: a number after it is not drawn into it.
    EXPECT_EQ(english.GetText(Variant("|1 and |2"), {"|1", "أساس 1", "|2", "/m/أ.PO1"}),
              "⁨أساس 1⁩ and ⁦/m/أ.PO1⁩");
}

TEST(LanguageText, DefaultConstructorUsesTheLanguageSource) {
    // The build copies the tables beside the test executable.
    ClsLanguageText::setLanguageSource(nullptr);
    EXPECT_FALSE(ClsLanguageText().IsRightToLeft());

    ClsLanguageText::setLanguageSource([] { return std::string("Arabic"); });
    EXPECT_TRUE(ClsLanguageText().IsRightToLeft());

    ClsLanguageText::setLanguageSource([] { return std::string("Esperanto"); });
    EXPECT_FALSE(ClsLanguageText().IsRightToLeft());

    ClsLanguageText::setLanguageSource(nullptr);
}

TEST(LanguageText, FaultyTablesAreRefusedWithFileAndLine) {
    struct Case {
        const char* content;
        const char* problem;
    };
    const Case cases[] = {
        {"@engname English\n7 Cancel\n7 Abort\n", "line 3"},
        {"@engname English\nCancel\n", "line 2"},
        {"@engname English\n7\n", "line 2"},
        {"@engname English\n7 bad \\t escape\n", "line 2"},
        {"@engname English\n@colour red\n", "line 2"},
        {"@engname English\n@rtl yes\n", "line 2"},
        {"7 Cancel\n", "engname"},
        {"@engname German\n7 Cancel\n", "engname"},
    };
    for (const Case& c : cases) {
        TableDir dir;
        dir.write("English", c.content);
        std::string description;
        int number = errorNumberOf([&] { ClsLanguageText(dir.path(), "English"); }, &description);
        EXPECT_EQ(number, 5) << c.content;
        EXPECT_NE(description.find("English.txt"), std::string::npos) << description;
        EXPECT_NE(description.find(c.problem), std::string::npos) << description;
    }

    TableDir empty;
    EXPECT_EQ(errorNumberOf([&] { ClsLanguageText(empty.path(), "English"); }), 53);
}

TEST(LanguageText, CrLfTablesAndByteOrderMarkRead) {
    TableDir dir;
    dir.write("English", "\xEF\xBB\xBF@engname English\r\n# comment\r\n\r\n6 OK\r\n");
    ClsLanguageText texts(dir.path(), "English");
    EXPECT_EQ(texts.GetText(Variant(6)), "OK");
}
