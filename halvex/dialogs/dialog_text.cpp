#include "halvex/dialogs/dialog_text.h"

#include <vector>

namespace halvex::dialogtext {

namespace {

// Byte offsets where each character starts, and the text's end.
std::vector<std::size_t> characterStarts(std::string_view text)
{
    std::vector<std::size_t> starts;
    std::size_t i = 0;
    while (i < text.size()) {
        starts.push_back(i);
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 1;
        if (lead >= 0xC2 && lead <= 0xDF) length = 2;
        else if (lead >= 0xE0 && lead <= 0xEF) length = 3;
        else if (lead >= 0xF0 && lead <= 0xF4) length = 4;
        if (i + length > text.size()) length = 1;
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                length = 1;
                break;
            }
        }
        i += length;
    }
    starts.push_back(text.size());
    return starts;
}

}  // namespace

std::int64_t characterCount(std::string_view text)
{
    return static_cast<std::int64_t>(characterStarts(text).size()) - 1;
}

std::string leftCharacters(std::string_view text, std::int64_t n)
{
    const std::vector<std::size_t> starts = characterStarts(text);
    const std::int64_t count = static_cast<std::int64_t>(starts.size()) - 1;
    if (n <= 0) return std::string();
    if (n >= count) return std::string(text);
    return std::string(text.substr(0, starts[static_cast<std::size_t>(n)]));
}

std::string rightCharacters(std::string_view text, std::int64_t n)
{
    const std::vector<std::size_t> starts = characterStarts(text);
    const std::int64_t count = static_cast<std::int64_t>(starts.size()) - 1;
    if (n <= 0) return std::string();
    if (n >= count) return std::string(text);
    return std::string(text.substr(starts[static_cast<std::size_t>(count - n)]));
}

}  // namespace halvex::dialogtext
