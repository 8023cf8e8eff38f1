#include "halvex/dialogs/common_folder_dialog.h"

#include "platform/forms/common_dialogs.h"

namespace halvex {

FolderChoice CommonFolderDialog::chooseFolder(std::int32_t ownerHwnd, std::string_view title,
                                              std::string_view startFolder)
{
    forms::FolderResult result = forms::commonDialogs().chooseFolder(ownerHwnd, title, startFolder);
    FolderChoice choice;
    choice.path = std::move(result.path);
    switch (result.outcome) {
        case forms::FolderResult::Outcome::Chosen:
            choice.outcome = FolderChoice::Outcome::Chosen;
            break;
        case forms::FolderResult::Outcome::NoFileSystemPath:
            choice.outcome = FolderChoice::Outcome::NoFileSystemPath;
            break;
        case forms::FolderResult::Outcome::Cancelled:
            choice.outcome = FolderChoice::Outcome::Cancelled;
            break;
    }
    return choice;
}

}  // namespace halvex
