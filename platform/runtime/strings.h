// String helpers of the original language, on 8-bit text.
#pragma once

#include <string>
#include <string_view>

namespace rt {

// ASCII letters only; other bytes unchanged.
std::string lcase(std::string_view s);
std::string ucase(std::string_view s);

// Without leading / trailing / both blanks (spaces only, as the original).
std::string ltrim(std::string_view s);
std::string rtrim(std::string_view s);
std::string trim(std::string_view s);

// The first / last n characters, the whole string when shorter; error 5 for
// n < 0.
std::string left(std::string_view s, int n);
std::string right(std::string_view s, int n);

// 1-based position of the first what in s at or after position start, 0
// when absent. An empty what is found at start when start <= length + 1.
// Error 5 for start < 1.
int inStr(std::string_view s, std::string_view what, int start = 1);

}  // namespace rt
