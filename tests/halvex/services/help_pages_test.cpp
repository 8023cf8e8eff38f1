// The help shipped in the program folder: every help folder in English,
// German and Arabic with the same pages, pages that name their language
// and reading order, links that lead to pages, and a page for every topic
// the wizard and the library's dialogs ask for.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "halvex/interface/enums.h"
#include "halvex/services/cls_valmor.h"
#include "halvex/services/help.h"
#include "halvex/services/library_state.h"
#include "platform/forms/settings.h"

namespace {

namespace fs = std::filesystem;

const fs::path kProgramFolder = fs::path(OH_SOURCE_DIR) / "progdir";
const fs::path kHelpRoot = kProgramFolder / halvex::kHelpFolder;

struct Language {
    std::string suffix;    // of the help folder
    std::string setting;   // stored help language
    std::string htmlLang;  // lang attribute of its pages
    std::string dir;       // reading order of its pages
};
const std::vector<Language> kLanguages = {
    {"_en", "English", "en", "ltr"}, {"_gr", "German", "de", "ltr"}, {"_ar", "Arabic", "ar", "rtl"}};

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

// The pages of a help folder, relative to it.
std::set<std::string> pagesOf(const fs::path& folder) {
    std::set<std::string> pages;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file()) pages.insert(entry.path().lexically_relative(folder).generic_string());
    return pages;
}

// Help names ("Orvelo") and the languages each is shipped in.
std::map<std::string, std::set<std::string>> helpFolders() {
    std::map<std::string, std::set<std::string>> names;
    for (const auto& entry : fs::directory_iterator(kHelpRoot)) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(entry.is_directory()) << name << " is not a help folder";
        const std::size_t cut = name.rfind('_');
        EXPECT_NE(cut, std::string::npos) << name << " names no language";
        if (cut == std::string::npos) continue;
        names[name.substr(0, cut)].insert(name.substr(cut));
    }
    return names;
}

TEST(HelpPages, EveryHelpComesInEveryLanguageWithTheSamePages) {
    const auto names = helpFolders();
    ASSERT_EQ(names.count("Orvelo"), 1u);
    for (const auto& [name, suffixes] : names) {
        EXPECT_EQ(suffixes, (std::set<std::string>{"_en", "_gr", "_ar"})) << name;
        const std::set<std::string> english = pagesOf(kHelpRoot / (name + "_en"));
        for (const std::string& suffix : suffixes)
            EXPECT_EQ(pagesOf(kHelpRoot / (name + suffix)), english) << name << suffix;
    }
}

TEST(HelpPages, PagesNameTheirLanguageAndTheirLinksLeadToPages) {
    const std::regex htmlTag(R"re(<html lang="([^"]*)" dir="([^"]*)">)re");
    const std::regex link(R"re(href="([^"]*)")re");
    int pagesSeen = 0;
    for (const auto& [name, suffixes] : helpFolders()) {
        for (const Language& language : kLanguages) {
            const fs::path folder = fs::weakly_canonical(kHelpRoot / (name + language.suffix));
            for (const std::string& page : pagesOf(folder)) {
                ++pagesSeen;
                const fs::path path = folder / page;
                const std::string html = readFile(path);
                EXPECT_EQ(path.extension(), ".htm") << path;
                EXPECT_NE(html.find("<meta charset=\"utf-8\">"), std::string::npos) << path;
                std::smatch tag;
                ASSERT_TRUE(std::regex_search(html, tag, htmlTag)) << path;
                EXPECT_EQ(tag[1].str(), language.htmlLang) << path;
                EXPECT_EQ(tag[2].str(), language.dir) << path;
                EXPECT_EQ(html.find("<title></title>"), std::string::npos) << path;

                for (std::sregex_iterator it(html.begin(), html.end(), link), end; it != end; ++it) {
                    std::string target = (*it)[1].str();
                    target = target.substr(0, target.find('#'));
                    ASSERT_FALSE(target.empty()) << path << " links to nothing";
                    const fs::path resolved = fs::weakly_canonical(path.parent_path() / target);
                    EXPECT_TRUE(fs::is_regular_file(resolved)) << path << " links to missing " << target;
                    EXPECT_EQ(resolved.lexically_relative(folder).native().rfind("..", 0), std::string::npos)
                        << path << " links out of its help folder: " << target;
                }
            }
        }
    }
    EXPECT_GT(pagesSeen, 0);
}

// The help folder chosen for each help language holds the pages of the
// topics that the wizard's Help and the Help buttons of the library's
// dialogs ask for.
TEST(HelpPages, EveryTopicAskedForHasItsPage) {
    const auto previousSettings = forms::setSettingsStore(std::make_shared<forms::MemorySettingsStore>());
    halvex::resetLibraryState();
    halvex::libraryState().ApplicationPath = kProgramFolder.string();
    const std::vector<std::pair<std::string, std::int32_t>> topics = {
        // the wizard; a dialog without a topic of its own
        {"orvelo_titel", 0}, {"", 0},
        // company header, language and order header in a program without
        // its own help folder
        {"09_11_1", 0}, {"09_11_4", 0}, {"09_6_1", 0},
        // the graphic settings dialogs in the graphic program
        {"8_3", halvex::MirvaGraphic}, {"7_2", halvex::MirvaGraphic}, {"8_1", halvex::MirvaGraphic},
        {"8_2", halvex::MirvaGraphic}, {"8_4", halvex::MirvaGraphic}, {"7_7", halvex::MirvaGraphic},
        {"9_4", halvex::MirvaGraphic}, {"7_6", halvex::MirvaGraphic}};
    for (const Language& language : kLanguages) {
        forms::settings().save("valmor", "Help Language setting", "Language", language.setting);
        const std::string folder = halvex::ClsValmor().GetHelpFileName("Orvelo");
        EXPECT_EQ(fs::path(folder), kHelpRoot / ("Orvelo" + language.suffix));
        for (const auto& [topic, kind] : topics) {
            const std::string page = halvex::HelpTopicAddress(topic, kind);
            EXPECT_TRUE(fs::is_regular_file(page)) << language.setting << " topic \"" << topic << "\": " << page;
        }
    }
    halvex::resetLibraryState();
    forms::setSettingsStore(previousSettings);
}

}  // namespace
