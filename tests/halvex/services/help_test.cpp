// Help: the help folder by help language, topic addresses, the help window
// bookkeeping and the help popup.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

#include "halvex/interface/enums.h"
#include "halvex/services/cls_valmor.h"
#include "halvex/services/help.h"
#include "halvex/services/library_state.h"
#include "halvex/services/units.h"
#include "platform/forms/desktop.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/settings.h"
#include "platform/runtime/errors.h"

namespace {

namespace fs = std::filesystem;

class HelpTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previousSettings_ = forms::setSettingsStore(std::make_shared<forms::MemorySettingsStore>());
        desktop_ = std::make_shared<forms::RecordingDesktop>();
        previousDesktop_ = forms::setDesktop(desktop_);
        halvex::resetLibraryState();
    }
    void TearDown() override
    {
        halvex::resetLibraryState();
        forms::setDesktop(previousDesktop_);
        forms::setSettingsStore(previousSettings_);
        if (!helpFolder_.empty()) fs::remove_all(helpFolder_);
    }

    static void storeHelpLanguage(const std::string& language)
    {
        forms::settings().save("valmor", "Help Language setting", "Language", language);
    }

    // An existing help folder with the given pages, made the one in use;
    // its folder name holds a blank and a "#", as a user's folder may.
    std::string useExistingHelpFolder(std::initializer_list<std::string> pages)
    {
        helpFolder_ = fs::temp_directory_path() /
                      ("halvex help #" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
        const fs::path help = helpFolder_ / "mirva_en";
        for (const std::string& page : pages) {
            fs::create_directories((help / page).parent_path());
            std::ofstream(help / page) << "<html></html>";
        }
        halvex::ClsValmor().AppHelpFile(help.string());
        return help.string();
    }

    std::shared_ptr<forms::RecordingDesktop> desktop_;

private:
    std::shared_ptr<forms::SettingsStore> previousSettings_;
    std::shared_ptr<forms::Desktop> previousDesktop_;
    fs::path helpFolder_;
};

TEST_F(HelpTest, HelpFileFollowsTheHelpLanguage)
{
    const std::string folder = halvex::ApplicationPath() + "/help/";
    halvex::ClsValmor valmor;

    EXPECT_EQ(valmor.GetHelpFileName(), folder + "mirva_en");
    storeHelpLanguage("Arabic");
    EXPECT_EQ(valmor.GetHelpFileName(), folder + "mirva_ar");
    EXPECT_EQ(valmor.AppHelpFile(), folder + "mirva_ar");
    storeHelpLanguage("German");
    EXPECT_EQ(halvex::SelectHelpFile("orvelo"), folder + "orvelo_gr");
    // Compared exactly: another spelling is English.
    storeHelpLanguage("german");
    EXPECT_EQ(valmor.GetHelpFileName(), folder + "mirva_en");
    storeHelpLanguage("French");
    EXPECT_EQ(valmor.GetHelpFileName("orvelo"), folder + "orvelo_en");
}

TEST_F(HelpTest, TopicAddresses)
{
    const std::string help = "/opt/help/mirva_en";
    halvex::ClsValmor().AppHelpFile(help);

    EXPECT_EQ(halvex::HelpTopicAddress("4_2", halvex::MirvaGraphic),
              help + "/mirva_graphic/mirva_graphic_4_2.htm");
    // The fixed rows use no program prefix.
    EXPECT_EQ(halvex::HelpTopicAddress("", halvex::MirvaGraphic),
              help + "/mirva_description/short_description.htm");
    EXPECT_EQ(halvex::HelpTopicAddress("mirva_new", halvex::MirvaData), help + "/mirva_new/mirva_new.htm");
    EXPECT_EQ(halvex::HelpTopicAddress("language_setting", halvex::MirvaData),
              help + "/mirva_new/mirva9mui_2.htm");
    EXPECT_EQ(halvex::HelpTopicAddress("text8_new", halvex::MirvaEditor), help + "/text8_new/text_8.htm");
    // A page with an anchor gets no further ".htm".
    EXPECT_EQ(halvex::HelpTopicAddress("7_1.htm#units", halvex::MirvaData),
              help + "/mirva_data/mirva_data_7_1.htm#units");
    // A title page sits at the top of the help folder.
    EXPECT_EQ(halvex::HelpTopicAddress("part_titel", halvex::MirvaData), help + "/part_titel.htm");

    EXPECT_EQ(halvex::HelpTopicAddress("1_2", halvex::MirvaEditor), help + "/valmor_text/valmor_text_1_2.htm");
    EXPECT_EQ(halvex::HelpTopicAddress("1_2", halvex::ProgBOHR), help + "/mirva_boring/mirva_boring_1_2.htm");
    // Kinds without a prefix.
    EXPECT_EQ(halvex::HelpTopicAddress("1_2", halvex::MirvaSpaceGraphic), help + "/_1_2.htm");
    EXPECT_EQ(halvex::HelpTopicAddress("1_2", 42), help + "/_1_2.htm");
    // Kind 0 is the current program.
    EXPECT_EQ(halvex::HelpTopicAddress("3", 0), help + "/_3.htm");
    halvex::ClsValmor().MirvaProg(halvex::MirvaSolver);
    EXPECT_EQ(halvex::HelpTopicAddress("3", 0), help + "/mirva_solver/mirva_solver_3.htm");
}

TEST_F(HelpTest, ShowingATopicOpensItsPageOnce)
{
    const std::string help =
        useExistingHelpFolder({"mirva_graphic/mirva_graphic_4_2.htm", "mirva_list/mirva_list_1.htm"});
    // The folder's blank and "#" are escaped, so the viewer gets the page.
    std::string url = "file://";
    for (char c : help) url += c == ' ' ? std::string("%20") : c == '#' ? std::string("%23") : std::string(1, c);
    halvex::ClsValmor valmor;
    valmor.MirvaProg(halvex::MirvaGraphic);

    valmor.ShowHelp(0, "4_2");
    ASSERT_EQ(desktop_->openedUrls.size(), 1u);
    EXPECT_EQ(desktop_->openedUrls[0], url + "/mirva_graphic/mirva_graphic_4_2.htm");
    EXPECT_NE(halvex::libraryState().HelpWindowHandle, 0);

    // Another topic, an explicit kind, and an anchor on the page.
    valmor.ShowHelp(0, "1.htm#units", halvex::MirvaList);
    ASSERT_EQ(desktop_->openedUrls.size(), 2u);
    EXPECT_EQ(desktop_->openedUrls[1], url + "/mirva_list/mirva_list_1.htm#units");
    EXPECT_NE(halvex::libraryState().HelpWindowHandle, 0);

    valmor.CloseHelpProg();
    EXPECT_EQ(halvex::libraryState().HelpWindowHandle, 0);
    valmor.CloseHelpProg();
    EXPECT_EQ(halvex::libraryState().HelpWindowHandle, 0);
}

// Without a viewer no help window is left; the message names the page, at
// once or on the opener's late verdict; an opener that succeeds says nothing.
TEST_F(HelpTest, NoViewerLeavesNoHelpWindowAndNamesThePage)
{
    const std::string help = useExistingHelpFolder({"mirva_new/mirva_new.htm"});
    const std::string named = halvex::textLib().GetText(quillon::TextNo(140252), {"|1", help + "/mirva_new/mirva_new.htm"});
    for (const bool late : {false, true}) {
        SCOPED_TRACE(late ? "the opener fails later" : "no opener");
        desktop_->succeed = late;
        forms::ScopedMsgBox boxes;
        boxes->answer(forms::vbOK);
        halvex::ShowHelpTopic(0, "mirva_new", 0);
        EXPECT_TRUE(!late || (halvex::libraryState().HelpWindowHandle != 0 && boxes->boxes().empty())) << "while it runs";
        desktop_->failPendingOpens();
        EXPECT_EQ(halvex::libraryState().HelpWindowHandle, 0);
        ASSERT_EQ(boxes->boxes().size(), 1u);
        EXPECT_EQ(boxes->boxes()[0].prompt, named);
    }
    forms::ScopedMsgBox boxes;
    halvex::ShowHelpTopic(0, "mirva_new", 0);
    desktop_->pendingFailures.clear();
    EXPECT_TRUE(boxes->boxes().empty());
}

TEST_F(HelpTest, MissingPageGivesTheMissingFileMessageOnly)
{
    forms::ScopedMsgBox boxes;
    boxes->answer(forms::vbOK);
    halvex::ClsValmor valmor;
    valmor.AppHelpFile("/no/such/folder/mirva_en");
    valmor.ShowHelp(0, "4_2", halvex::MirvaGraphic);

    ASSERT_EQ(boxes->boxes().size(), 1u);
    const forms::MessageBoxRequest& box = boxes->boxes()[0];
    EXPECT_EQ(box.prompt, halvex::textLib().GetText(quillon::TextNo(140160),
                                                    {"|1", "/no/such/folder/mirva_en/mirva_graphic/mirva_graphic_4_2.htm"}));
    EXPECT_EQ(box.title, halvex::textLib().GetText(quillon::TextNo(140011)));
    EXPECT_EQ(forms::iconOf(box.style), forms::vbExclamation);
    EXPECT_TRUE(desktop_->openedUrls.empty());
    EXPECT_EQ(halvex::libraryState().HelpWindowHandle, 0);

    // A help folder without the topic's page: the page is named.
    boxes->answer(forms::vbOK);
    const std::string help = useExistingHelpFolder({"mirva_graphic/mirva_graphic_4_2.htm"});
    valmor.ShowHelp(0, "4_3.htm#top", halvex::MirvaGraphic);
    ASSERT_EQ(boxes->boxes().size(), 2u);
    EXPECT_EQ(boxes->boxes()[1].prompt, halvex::textLib().GetText(quillon::TextNo(140160),
                                                                {"|1", help + "/mirva_graphic/mirva_graphic_4_3.htm"}));
    EXPECT_TRUE(desktop_->openedUrls.empty());
    valmor.AppHelpFile("");

    // No help chosen at all: the message says so and names the page.
    boxes->answer(forms::vbOK);
    valmor.AppHelpFile("");
    valmor.ShowHelp(0, "8_3", halvex::MirvaGraphic);
    ASSERT_EQ(boxes->boxes().size(), 3u);
    EXPECT_EQ(boxes->boxes()[2].prompt,
              halvex::textLib().GetText(quillon::TextNo(140397), {"|1", "mirva_graphic/mirva_graphic_8_3.htm"}));
    EXPECT_TRUE(desktop_->openedUrls.empty());
}

// A viewer's run-time error is shown under the member the host called.
TEST_F(HelpTest, AFailingViewerIsReportedUnderTheMemberShowHelp)
{
    struct FailingDesktop : forms::RecordingDesktop {
        using forms::RecordingDesktop::openUrl;
        bool openUrl(std::string_view, std::function<void()>) override { rt::raise(75, "Path/File access error"); }
    };
    useExistingHelpFolder({"mirva_graphic/mirva_graphic_8_3.htm"});
    const auto previous = forms::setDesktop(std::make_shared<FailingDesktop>());
    forms::ScopedMsgBox boxes;
    boxes->answer(forms::vbOK);
    halvex::ClsValmor().ShowHelp(0, "8_3", halvex::MirvaGraphic);
    forms::setDesktop(previous);
    EXPECT_EQ(boxes->boxes().size() == 1 ? boxes->boxes()[0].prompt : "", "ClsValmor.ShowHelp: Path/File access error");
}

TEST_F(HelpTest, HelpPopupShowsTitleAndHelpText)
{
    forms::ScopedMsgBox boxes;
    boxes->answer(forms::vbOK);
    halvex::ClsValmor valmor;
    valmor.HelpText("Enter the slab thickness in |1.");
    valmor.HelpMsg("Thickness");

    ASSERT_EQ(boxes->boxes().size(), 1u);
    EXPECT_EQ(boxes->boxes()[0].prompt, "Thickness:\n\nEnter the slab thickness in |1. \r\n");
    EXPECT_EQ(boxes->boxes()[0].style, forms::vbOKOnly);
}

TEST_F(HelpTest, HelpPopupReadsRightToLeftInArabic)
{
    forms::settings().save("valmor", "Interface Language setting", "Language", "Arabic");
    halvex::resetLibraryState();
    forms::ScopedMsgBox boxes;
    boxes->answer(forms::vbOK);
    halvex::ShowHelpPopup("Title");
    ASSERT_EQ(boxes->boxes().size(), 1u);
    EXPECT_EQ(boxes->boxes()[0].style, forms::vbMsgBoxRight | forms::vbMsgBoxRtlReading);
}

}  // namespace
