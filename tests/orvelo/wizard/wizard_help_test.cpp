// Help on every step of the wizard opens a page of the help shipped beside
// the program, in the help language the user chose.
#include "wizard_fixture.h"

#include <filesystem>
#include <memory>
#include <string>

#include "platform/forms/desktop.h"
#include "platform/forms/settings.h"

namespace {

namespace fs = std::filesystem;

TEST_F(WizardTest, HelpOnEveryStepOpensAShippedPageInTheHelpLanguage) {
    fs::copy(fs::path(OH_PROGDIR) / "help", folder.path("prog/help"), fs::copy_options::recursive);
    const auto previousSettings = forms::setSettingsStore(std::make_shared<forms::MemorySettingsStore>());
    auto desktop = std::make_shared<forms::RecordingDesktop>();
    const auto previousDesktop = forms::setDesktop(desktop);
    const std::string project = copySample();

    for (const auto& [language, folderName] : {std::pair<std::string, std::string>{"English", "Orvelo_en"},
                                               {"German", "Orvelo_gr"},
                                               {"Arabic", "Orvelo_ar"}}) {
        forms::settings().save("valmor", "Help Language setting", "Language", language);
        if (wizard) wizard->unloadWithoutEvents();
        orvelo::frmWizard& w = open(project);
        const std::string helpFolder = folder.path("prog/help/" + folderName + "/");
        for (std::int16_t step = 0; step < 4; ++step) {
            ASSERT_EQ(w.CurrentStep(), step);
            desktop->openedUrls.clear();
            ASSERT_TRUE(forms::click(w.cmdNav(0)));
            ASSERT_EQ(desktop->openedUrls.size(), 1u) << language << " step " << step;
            const std::string& url = desktop->openedUrls[0];
            ASSERT_EQ(url.rfind("file://" + helpFolder, 0), 0u) << url;
            const std::string page = url.substr(7, url.find('#') == std::string::npos ? std::string::npos
                                                                                      : url.find('#') - 7);
            EXPECT_TRUE(fs::is_regular_file(page)) << url;
            if (step < 3) {
                ASSERT_TRUE(forms::click(next()));
            }
        }
    }
    EXPECT_TRUE(box->boxes().empty()) << "no page was missing";
    forms::setDesktop(previousDesktop);
    forms::setSettingsStore(previousSettings);
}

}  // namespace
