// The help shipped in the program folder: the same pages in every language,
// links that lead to pages, and a page for every topic asked for.
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

// The program folder as the build (and the install) makes it.
const fs::path kProgramFolder = fs::path(OH_PROGDIR);
const fs::path kHelpRoot = kProgramFolder / halvex::kHelpFolder;

struct Language {
    std::string suffix, setting, htmlLang, dir;  // help folder suffix, stored setting, page lang and dir
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
        const std::size_t cut = name.rfind('_');
        EXPECT_TRUE(entry.is_directory() && cut != std::string::npos) << name << " is not a help folder";
        if (cut != std::string::npos) names[name.substr(0, cut)].insert(name.substr(cut));
    }
    return names;
}

TEST(HelpPages, EveryLanguageHasTheSamePagesNamingTheirLanguageAndTheirLinksLeadToPages) {
    const std::regex htmlTag(R"re(<html lang="([^"]*)" dir="([^"]*)">)re");
    const std::regex link(R"re(href="([^"]*)")re");
    const auto names = helpFolders();
    ASSERT_EQ(names.count("Orvelo"), 1u);
    for (const auto& [name, suffixes] : names) {
        EXPECT_EQ(suffixes, (std::set<std::string>{"_en", "_gr", "_ar"})) << name;
        for (const Language& language : kLanguages) {
            const fs::path folder = fs::weakly_canonical(kHelpRoot / (name + language.suffix));
            EXPECT_EQ(pagesOf(folder), pagesOf(kHelpRoot / (name + "_en"))) << name << language.suffix;
            for (const std::string& page : pagesOf(folder)) {
                const fs::path path = folder / page;
                const std::string html = readFile(path);
                std::smatch tag;
                ASSERT_TRUE(std::regex_search(html, tag, htmlTag)) << path;
                EXPECT_TRUE(tag[1] == language.htmlLang && tag[2] == language.dir) << path;
                EXPECT_NE(html.find("<meta charset=\"utf-8\">"), std::string::npos) << path;
                for (std::sregex_iterator it(html.begin(), html.end(), link), end; it != end; ++it) {
                    const std::string target = (*it)[1].str().substr(0, (*it)[1].str().find('#'));
                    ASSERT_FALSE(target.empty()) << path << " links to nothing";
                    const fs::path resolved = fs::weakly_canonical(path.parent_path() / target);
                    EXPECT_TRUE(fs::is_regular_file(resolved)) << path << " links to missing " << target;
                    EXPECT_EQ(resolved.lexically_relative(folder).native().rfind("..", 0), std::string::npos)
                        << path << " links out of its help folder: " << target;
                }
            }
        }
    }
}

TEST(HelpPages, EveryTopicAskedForHasItsPage) {
    const auto previousSettings = forms::setSettingsStore(std::make_shared<forms::MemorySettingsStore>());
    halvex::resetLibraryState();
    halvex::libraryState().ApplicationPath = kProgramFolder.string();
    // Each dialog's page in the wizard's help and a host's default help.
    const std::vector<std::string> plain = {"", "09_11_1", "09_11_4", "09_6_1"};
    const std::vector<std::string> graphic = {"8_3", "7_2", "8_1", "8_2", "8_4", "7_7", "9_4", "7_6"};
    for (const Language& language : kLanguages) {
        forms::settings().save("valmor", "Help Language setting", "Language", language.setting);
        for (const bool wizard : {true, false}) {
            halvex::ClsValmor valmor;
            const std::string folder = wizard ? valmor.GetHelpFileName("Orvelo") : valmor.GetHelpFileName();
            EXPECT_EQ(fs::path(folder).parent_path(), kHelpRoot);
            std::vector<std::string> own = plain;
            if (wizard) own.push_back("orvelo_titel");
            for (const auto& [topics, kind] : {std::pair<std::vector<std::string>, std::int32_t>{own, 0}, {graphic, halvex::MirvaGraphic}})
                for (const std::string& topic : topics) {
                    const std::string page = halvex::HelpTopicAddress(topic, kind);
                    EXPECT_TRUE(fs::is_regular_file(page)) << language.setting << " topic \"" << topic << "\": " << page;
                }
        }
    }
    halvex::resetLibraryState();
    forms::setSettingsStore(previousSettings);
}

}  // namespace
