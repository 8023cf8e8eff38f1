#include "platform/runtime/strings.h"

#include <algorithm>

#include "platform/runtime/errors.h"

namespace rt {

std::string lcase(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string ucase(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string ltrim(std::string_view s) {
    const std::size_t first = s.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string() : std::string(s.substr(first));
}

std::string rtrim(std::string_view s) {
    const std::size_t last = s.find_last_not_of(' ');
    return last == std::string_view::npos ? std::string() : std::string(s.substr(0, last + 1));
}

std::string trim(std::string_view s) { return ltrim(rtrim(s)); }

std::string left(std::string_view s, int n) {
    if (n < 0) raise(5);
    return std::string(s.substr(0, static_cast<std::size_t>(n)));
}

std::string right(std::string_view s, int n) {
    if (n < 0) raise(5);
    const std::size_t count = std::min(s.size(), static_cast<std::size_t>(n));
    return std::string(s.substr(s.size() - count));
}

int inStr(std::string_view s, std::string_view what, int start) {
    if (start < 1) raise(5);
    const auto from = static_cast<std::size_t>(start - 1);
    if (from > s.size()) return 0;
    const std::size_t found = s.find(what, from);
    return found == std::string_view::npos ? 0 : static_cast<int>(found) + 1;
}

}  // namespace rt
