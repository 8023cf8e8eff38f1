#include "halvex/services/folder_browser.h"
#include "halvex/services/scripted_folder_dialog.h"

#include <utility>

#include "halvex/services/cls_valmor.h"
#include "halvex/services/library_state.h"
#include "halvex/services/member_name.h"
#include "halvex/services/messages.h"
#include "outside/quillon/language_text.h"
#include "platform/runtime/errors.h"

namespace halvex {

namespace {

std::shared_ptr<FolderDialog>& installedDialog()
{
    static std::shared_ptr<FolderDialog> dialog;
    return dialog;
}

}  // namespace

FolderChoice ScriptedFolderDialog::chooseFolder(std::int32_t ownerHwnd, std::string_view title,
                                                std::string_view startFolder)
{
    requests_.push_back(Request{ownerHwnd, std::string(title), std::string(startFolder)});
    if (answers_.empty()) {
        ++unanswered_;
        return FolderChoice{};
    }
    FolderChoice choice = std::move(answers_.front());
    answers_.pop_front();
    return choice;
}

FolderDialog& folderDialog()
{
    std::shared_ptr<FolderDialog>& dialog = installedDialog();
    if (!dialog) dialog = std::make_shared<ScriptedFolderDialog>();
    return *dialog;
}

std::shared_ptr<FolderDialog> setFolderDialog(std::shared_ptr<FolderDialog> dialog)
{
    std::shared_ptr<FolderDialog>& installed = installedDialog();
    std::shared_ptr<FolderDialog> previous = std::move(installed);
    installed = dialog ? std::move(dialog) : std::make_shared<ScriptedFolderDialog>();
    return previous;
}

std::string BrowseForFolder(std::int32_t ownerHwnd, const std::string& folder)
{
    std::string result = folder;
    try {
        FolderChoice choice =
            folderDialog().chooseFolder(ownerHwnd, textLib().GetText(quillon::TextNo(140004)), folder);
        // Only a real folder replaces the one passed in: a cancelled dialog
        // or an item without a file-system path leaves the caller's folder.
        if (choice.outcome == FolderChoice::Outcome::Chosen) {
            std::string path = choice.path.substr(0, choice.path.find('\0'));
            if (!path.empty()) result = path;
        }
    } catch (const rt::RuntimeError&) {
        ReportMemberError(HALVEX_MEMBER(ClsValmor, SelectedDirctory));
    }
    return result;
}

}  // namespace halvex
