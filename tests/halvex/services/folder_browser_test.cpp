// The folder browser: what the user's choice gives back.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "halvex/services/cls_valmor.h"
#include "halvex/services/folder_browser.h"
#include "halvex/services/scripted_folder_dialog.h"
#include "halvex/services/library_state.h"
#include "platform/forms/msgbox.h"
#include "platform/runtime/errors.h"

namespace {

using Outcome = halvex::FolderChoice::Outcome;

class FolderBrowserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        halvex::resetLibraryState();
        dialog_ = std::make_shared<halvex::ScriptedFolderDialog>();
        previous_ = halvex::setFolderDialog(dialog_);
    }
    void TearDown() override { halvex::setFolderDialog(previous_); }

    std::shared_ptr<halvex::ScriptedFolderDialog> dialog_;

private:
    std::shared_ptr<halvex::FolderDialog> previous_;
};

// A dialog that fails while it is shown.
class FailingFolderDialog : public halvex::FolderDialog {
public:
    halvex::FolderChoice chooseFolder(std::int32_t, std::string_view, std::string_view) override
    {
        throw rt::RuntimeError(7, "Out of memory");
    }
};

TEST_F(FolderBrowserTest, ChosenFolderIsReturned)
{
    dialog_->answer({Outcome::Chosen, "/home/eng/projects/raft"});
    halvex::ClsValmor valmor;
    EXPECT_EQ(valmor.SelectedDirctory(0x10042, "/home/eng/old"), "/home/eng/projects/raft");

    ASSERT_EQ(dialog_->requests().size(), 1u);
    EXPECT_EQ(dialog_->requests()[0].ownerHwnd, 0x10042);
    EXPECT_EQ(dialog_->requests()[0].title, halvex::textLib().GetText(quillon::TextNo(140004)));
}

TEST_F(FolderBrowserTest, TheFolderPassedInComesBackWithoutAChoice)
{
    const std::string folder = "/home/eng/old";
    // Cancelled.
    dialog_->answer({Outcome::Cancelled, ""});
    EXPECT_EQ(halvex::BrowseForFolder(0, folder), folder);
    // A place without a file-system path must not clear the caller's folder.
    dialog_->answer({Outcome::NoFileSystemPath, ""});
    EXPECT_EQ(halvex::BrowseForFolder(0, folder), folder);
    // Nothing answered at all: the stand-in cancels.
    EXPECT_EQ(halvex::BrowseForFolder(0, folder), folder);
    EXPECT_EQ(dialog_->unanswered(), 1);
}

TEST_F(FolderBrowserTest, PathEndsAtTheFirstNul)
{
    dialog_->answer({Outcome::Chosen, std::string("/data/slabs\0garbage", 19)});
    EXPECT_EQ(halvex::BrowseForFolder(0, "/x"), "/data/slabs");
}

TEST_F(FolderBrowserTest, ErrorIsReportedAndTheFolderComesBack)
{
    halvex::setFolderDialog(std::make_shared<FailingFolderDialog>());
    forms::ScopedMsgBox boxes;
    boxes->answer(forms::vbOK);
    EXPECT_EQ(halvex::BrowseForFolder(0, "/home/eng/old"), "/home/eng/old");
    ASSERT_EQ(boxes->boxes().size(), 1u);
    EXPECT_EQ(boxes->boxes()[0].prompt, "ClsValmor.SelectedDirctory: Out of memory");
    EXPECT_EQ(forms::iconOf(boxes->boxes()[0].style), forms::vbCritical);
}

}  // namespace
