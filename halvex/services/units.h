// Units, data directory and control file: the start-up environment of a
// program of the family, from two small text files of the program
// directory (docs/file-formats.md shows both):
// - Units: two length units, two force units (symbol and factor each) and
//   the temperature unit;
// - STEU: the data directory (first line) and the compress flag.
// Both are read on the library's file 1 and closed again. A missing file
// gives the defaults silently; a damaged one gives the library's error
// report, and the values read before the damage are kept while the rest
// take their defaults. Neither procedure raises a run-time error (only a
// failure of the text library itself passes).
#pragma once

#include <string>

#include "halvex/interface/enums.h"

namespace halvex {

// The program directory without a trailing separator: the library-wide
// ApplicationPath when set, otherwise the folder of the loaded library.
std::string ApplicationPath();

// The nine unit values of the Units file of the program directory. Known
// symbols ("[m]", "[kN]", "[°C]", ...; length symbols for the length pairs
// only, and so on) are replaced by their texts in the interface language;
// other symbols and all factors come back as read. Defaults: length texts
// 28 and 40 with factors 1 and 1, force text 29 with factors 1 and 1000,
// temperature text 33. Sets SettingsDir to the program directory and
// CurrentFilePath to the Units file; FileTypeText becomes 17 when the file
// exists.
void ReadUnits(std::string& Unit_Length1Symb, double& Unit_Length1Factor, std::string& Unit_Length2Symb,
               double& Unit_Length2Factor, std::string& Unit_Force1Symb, double& Unit_Force1Factor,
               std::string& Unit_Force2Symb, double& Unit_Force2Factor, std::string& Unit_TemperatureSymb);

// ProgrDir: the program directory with a trailing separator. DataDir: the
// first line of STEU, exactly as written except that a leading "~/" stands
// for the user's home folder and "\" for "/"; an empty line or a missing
// or unreadable file gives <home>/Projects (no trailing separator).
// CompressFlag: read from the next value of STEU unless the caller passes
// -1 (CompressedNotUsedFlag), which then stays; 2 when STEU is missing or
// the flag cannot be read. Leaves FileTypeText at 140161 and
// CurrentFilePath at the STEU path.
void DataDirectory(std::string& ProgrDir, std::string& DataDir, CompressFlagTypes& CompressFlag);

// The default data directory: the folder "Projects" below the user's home
// folder (below the program directory when no home folder is known).
std::string DefaultDataDirectory();

}  // namespace halvex
