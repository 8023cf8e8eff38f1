// The shipped text tables: every table holds a text for every number the
// code asks for; English holds each text once; the other languages
// translate exactly what English has, with the same placeholders; every
// language the language list offers has a table.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "outside/quillon/language_text.h"
#include "platform/runtime/errors.h"

namespace fs = std::filesystem;

namespace {

const std::string kLanguageDir = std::string(OH_SOURCE_DIR) + "/progdir/language/";

quillon::TextTable loadTable(const std::string& name) {
    try {
        return quillon::readTextTable(kLanguageDir + name + ".txt");
    } catch (const rt::RuntimeError& e) {
        ADD_FAILURE() << e.what();
        return {};
    }
}

bool isSourceFile(const fs::path& p) {
    static const std::set<std::string> extensions = {".h", ".hpp", ".cpp", ".cc", ".cxx", ".inc"};
    return extensions.count(p.extension().string()) > 0;
}

}  // namespace

TEST(TextTables, EveryTextNumberInTheCodeHasATextInEveryTable) {
    const std::map<std::string, quillon::TextTable> tables = {
        {"English", loadTable("English")}, {"German", loadTable("German")}, {"Arabic", loadTable("Arabic")}};
    const std::regex textNo(R"(TextNo\(\s*(\d+)\s*\))");
    int numbersSeen = 0;
    for (const char* top : {"orvelo", "halvex", "outside", "platform"}) {
        fs::path root = fs::path(OH_SOURCE_DIR) / top;
        if (!fs::exists(root)) continue;
        for (const auto& entry : fs::recursive_directory_iterator(root)) {
            if (!entry.is_regular_file() || !isSourceFile(entry.path())) continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::stringstream content;
            content << in.rdbuf();
            const std::string text = content.str();
            for (std::sregex_iterator it(text.begin(), text.end(), textNo), end; it != end; ++it) {
                ++numbersSeen;
                const std::string digits = (*it)[1].str();
                long number = digits.size() > 9 ? -1 : std::stol(digits);
                for (const auto& [name, table] : tables)
                    EXPECT_TRUE(table.texts.count(static_cast<std::int32_t>(number)) == 1)
                        << entry.path().lexically_relative(OH_SOURCE_DIR).string() << ": TextNo(" << digits
                        << ") has no " << name << " text";
            }
        }
    }
    RecordProperty("TextNumbersSeen", numbersSeen);
}

TEST(TextTables, EnglishTextsAreAllDifferent) {
    quillon::TextTable english = loadTable("English");
    ASSERT_FALSE(english.texts.empty());
    EXPECT_EQ(english.engname, "English");
    EXPECT_FALSE(english.rightToLeft);
    std::map<std::string, std::int32_t> firstNumberOf;
    for (const auto& [number, text] : english.texts) {
        auto [it, inserted] = firstNumberOf.emplace(text, number);
        EXPECT_TRUE(inserted) << "texts " << it->second << " and " << number << " both read \"" << text << "\"";
    }
    for (int i = 0; i < 6; ++i) EXPECT_FALSE(english.axis[i].empty()) << "axis text " << char('A' + i);
}

namespace {

// The placeholders |1 ... |9 of a text and its number of line breaks:
// what a translation must keep so that every value still finds its place.
std::multiset<std::string> shapeOf(const std::string& text) {
    static const std::regex placeholder(R"(\|[1-9][0-9]*)");
    std::multiset<std::string> shape;
    for (std::sregex_iterator it(text.begin(), text.end(), placeholder), end; it != end; ++it)
        shape.insert(it->str());
    for (char c : text)
        if (c == '\n') shape.insert("line break");
    return shape;
}

}  // namespace

TEST(TextTables, OtherLanguagesTranslateEveryEnglishText) {
    quillon::TextTable english = loadTable("English");
    for (const char* name : {"German", "Arabic"}) {
        quillon::TextTable table = loadTable(name);
        EXPECT_EQ(table.engname, name);
        for (const auto& [number, text] : table.texts)
            EXPECT_EQ(english.texts.count(number), 1u) << name << " text " << number << " is not in English";
        for (const auto& [number, text] : english.texts) {
            auto it = table.texts.find(number);
            if (it == table.texts.end()) {
                ADD_FAILURE() << name << " has no text " << number << " (English: \"" << text << "\")";
                continue;
            }
            EXPECT_EQ(shapeOf(it->second), shapeOf(text))
                << name << " text " << number << " does not keep the placeholders and line breaks of \"" << text
                << "\"";
        }
        // Stored as an interface-language name, so the same in every table.
        EXPECT_EQ(table.texts.count(140156) ? table.texts.at(140156) : "", "English") << name;
    }
}

TEST(TextTables, EveryListedLanguageHasATable) {
    std::ifstream in(kLanguageDir + "language.xml", std::ios::binary);
    ASSERT_TRUE(in) << "language.xml missing";
    std::stringstream content;
    content << in.rdbuf();
    const std::string xml = content.str();
    const std::regex engname(R"re(<language\b[^>]*\bengname="([^"]*)")re");
    std::set<std::string> listed;
    for (std::sregex_iterator it(xml.begin(), xml.end(), engname), end; it != end; ++it)
        listed.insert((*it)[1].str());
    EXPECT_EQ(listed, (std::set<std::string>{"English", "German", "Arabic"}));
    for (const std::string& name : listed) {
        quillon::TextTable table = loadTable(name);
        EXPECT_EQ(table.engname, name);
    }
}

// The default text of the language dialog is stored as an interface
// language, so it must name a table.
TEST(TextTables, DefaultLanguageTextNamesATable) {
    quillon::TextTable english = loadTable("English");
    ASSERT_EQ(english.texts.count(140156), 1u);
    EXPECT_TRUE(fs::is_regular_file(kLanguageDir + english.texts.at(140156) + ".txt"));
}
