// The library's program folder: the folder that holds libhalvex.so, which
// the build fills with the program-directory files (language tables, Units,
// STEU, Firma, the help folders).
#pragma once

#include <string>

namespace halvex {

// The folder of the loaded library file, with a trailing "/"; the folder of
// the running executable when the loader does not tell it.
std::string LibraryFolder();

}  // namespace halvex
