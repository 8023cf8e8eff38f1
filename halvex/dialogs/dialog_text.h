// Text helpers of the dialog classes: lengths and cuts counted in
// characters of UTF-8 text (a byte that is not part of a valid sequence
// counts as one character).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace halvex::dialogtext {

std::int64_t characterCount(std::string_view text);
// The first / last n characters (the whole text when it is shorter).
std::string leftCharacters(std::string_view text, std::int64_t n);
std::string rightCharacters(std::string_view text, std::int64_t n);
// A path separator of either kind.
inline bool isPathSeparator(char c) { return c == '/' || c == '\\'; }

}  // namespace halvex::dialogtext
