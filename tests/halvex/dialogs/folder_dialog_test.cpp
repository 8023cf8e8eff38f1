// The folder browser on the common dialogs' folder choice.
#include <memory>
#include <string>

#include "dialog_fixture.h"
#include "halvex/dialogs/common_folder_dialog.h"
#include "halvex/services/folder_browser.h"
#include "outside/quillon/language_text.h"

namespace {

class FolderDialogTest : public dialogtest::DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        previous_ = halvex::setFolderDialog(std::make_shared<halvex::CommonFolderDialog>());
    }
    void TearDown() override
    {
        halvex::setFolderDialog(previous_);
        DialogTest::TearDown();
    }

private:
    std::shared_ptr<halvex::FolderDialog> previous_;
};

TEST_F(FolderDialogTest, TheChosenFolderComesBackAndAnythingElseKeepsTheOldOne)
{
    std::string title;
    forms::ScopedCommonDialogDriver choose([&](forms::DialogSession& s) {
        EXPECT_EQ(s.kind(), forms::DialogSession::Kind::Folder);
        title = s.title();
        s.changeFolder(folder());
        s.pressOk();
    });
    EXPECT_EQ(halvex::BrowseForFolder(0, "/old"), folder());
    EXPECT_EQ(title, halvex::textLib().GetText(rt::Variant(quillon::TextNo(140004))));

    forms::ScopedCommonDialogDriver cancel([](forms::DialogSession& s) { s.pressCancel(); });
    EXPECT_EQ(halvex::BrowseForFolder(0, "/old"), "/old");
    forms::ScopedCommonDialogDriver virtualPlace([](forms::DialogSession& s) { s.choosePlaceWithoutPath(); });
    EXPECT_EQ(halvex::BrowseForFolder(0, "/old"), "/old");
}

}  // namespace
