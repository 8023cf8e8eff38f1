// The folder browser: the user picks one folder of the file system. The
// choice itself is a small service: the program installs the toolkit's
// folder dialog; headless, a scripted stand-in of the library's tests
// (scripted_folder_dialog.h, not installed) answers and records what was
// asked.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace halvex {

// What the user did in a folder dialog.
struct FolderChoice {
    enum class Outcome {
        Cancelled,         // closed without a choice
        Chosen,            // a folder of the file system, in `path`
        NoFileSystemPath,  // an item without a file-system path (a virtual place)
    };
    Outcome outcome = Outcome::Cancelled;
    std::string path;
};

class FolderDialog {
public:
    virtual ~FolderDialog() = default;
    // Shows a modal dialog choosing one existing folder, owned by the
    // window ownerHwnd (0: none), with the given title, opening at
    // startFolder.
    virtual FolderChoice chooseFolder(std::int32_t ownerHwnd, std::string_view title,
                                      std::string_view startFolder) = 0;
};

// The folder dialog in use (a fresh scripted stand-in,
// scripted_folder_dialog.h, until one is installed).
FolderDialog& folderDialog();
// Installs a folder dialog (nullptr: a fresh scripted stand-in); returns
// the previous one.
std::shared_ptr<FolderDialog> setFolderDialog(std::shared_ptr<FolderDialog> dialog);

// Lets the user pick a folder (title text 140004), starting at `folder`,
// and returns its path. The
// folder passed in comes back unchanged when the user cancels, when the
// chosen item has no file-system path, and after an error (which is
// reported with the library's error message).
std::string BrowseForFolder(std::int32_t ownerHwnd, const std::string& folder);

}  // namespace halvex
