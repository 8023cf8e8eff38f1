// Number text of data files and conversions, independent of the user's
// locale: "." is always the decimal point, and nothing here reads or writes
// through locale-dependent C functions. docs/runtime.md gives the rules.
#pragma once

#include <string>
#include <string_view>

namespace rt {

// The shortest text that reads back to exactly the same float: "3", "-2",
// "0.5", "1234567.1", "1.2345678E+07", "-1.5E-05", "1E+38", "-0".
// Exponent form when the magnitude is >= 1E+07 or < 1E-04. Error 6 for an
// infinity or NaN (the original language had no such values).
std::string formatSingle(float value);

// The same for a Double: the shortest round-trip text (at most 17
// significant digits), exponent form when the magnitude is >= 1E+15 or
// < 1E-04.
std::string formatDouble(double value);

// Reads a whole text as a number. Accepts blanks (spaces, tabs) around it,
// a leading "+" or "-", "5", ".5", "5.", "1.5E-05", "1e+38", the D exponent
// "1D+02", and hex "&H1F" (up to 4 digits an Integer, "&HFFFF" = -1; up to
// 8 digits a Long). Returns false, leaving out unchanged, when the text is
// not a number; error 6 when it is a number too large for a Double.
// A value too small for a Double reads as 0.
bool parseNumber(std::string_view text, double& out);

// As parseNumber, but rounds the decimal text directly to the nearest float
// (no detour through double), so text written by formatSingle reads back
// bit-exact. Error 6 when the number is too large for a Single.
bool parseSingle(std::string_view text, float& out);

// The number at the start of a text, as the original Val function read it:
// spaces, tabs and line feeds anywhere are skipped, then the longest leading
// number is taken ("  12 34abc" -> 1234, "1.5E+3x" -> 1500, "&H1F" -> 31);
// 0 when the text does not start with a number. Error 6 when too large.
double Val(std::string_view text);

}  // namespace rt
