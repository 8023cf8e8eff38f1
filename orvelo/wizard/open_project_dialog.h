// The dialog with which Browse picks the input project's .PO1.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace orvelo {

// The open-project dialog of Browse: CompleteFileName, UserDir (with its
// trailing separator) and UserProda (the name without its extension) are
// written only when the user chose a file; the result is true when the user
// cancelled or the dialog failed.
using OpenProjectDialog = std::function<bool(std::int32_t MeHwnd, std::string& CompleteFileName,
                                             const std::string& DataDir, std::string& UserDir,
                                             std::string& UserProda)>;

// The program's open-project dialog, starting in DataDir and offering the
// project files (*.PO1).
OpenProjectDialog LibraryOpenProjectDialog();

}  // namespace orvelo
