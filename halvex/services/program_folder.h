// The library's program folder: the folder of the program-directory files
// (language tables, Units, STEU, Firma, the help folders). A build puts them
// beside libhalvex.so; an installed library finds them in share/halvex/,
// relative to its own folder (lib/), wherever the prefix is.
#pragma once

#include <string>

namespace halvex {

// The folder of the loaded library file, with a trailing "/"; the folder of
// the running executable when the loader does not tell it.
std::string LibraryFolder();
// The program folder, with a trailing "/": the library's folder when it
// holds the language tables, else the installed program directory when
// that does, else the library's folder.
std::string ProgramFolder();

}  // namespace halvex
