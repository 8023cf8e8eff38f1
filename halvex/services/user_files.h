// Files that belong to the user (the graphic settings files, the dock
// layouts): read from the user's settings folder when the user saved one
// there, else the default shipped in the program folder; always written to
// the user's folder, so that an installed, read-only program folder never
// stops a Save. The language tables, help and the other shipped files stay
// in the program folder.
#pragma once

#include <string>

namespace halvex {

// The user's copy of a file when there is one (anything of that name,
// which its reader refuses when it is no regular file), else the program
// folder's.
std::string UserFileToRead(const std::string& name);
// The user's copy of a file (WriteLibraryFile makes its folder when it is
// missing).
std::string UserFileToWrite(const std::string& name);

}  // namespace halvex
