// The folder browser's dialog of the program: the folder choice of the
// desktop's common dialogs (platform/forms/common_dialogs.h), which the Qt
// application shows with its own folder dialog. The program installs it
// after the Qt application has started:
//
//   forms::qt::Application app(argc, argv);
//   halvex::setFolderDialog(std::make_shared<halvex::CommonFolderDialog>());
#pragma once

#include "halvex/services/folder_browser.h"

namespace halvex {

class CommonFolderDialog : public FolderDialog {
public:
    FolderChoice chooseFolder(std::int32_t ownerHwnd, std::string_view title, std::string_view startFolder) override;
};

}  // namespace halvex
