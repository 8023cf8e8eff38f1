// Conversion between Windows-1252 bytes (project files) and UTF-8 (the user
// interface and our own text tables).
#pragma once

#include <string>
#include <string_view>

namespace rt {

// Every byte to its character; the five bytes that 1252 leaves unassigned
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) become U+0081 ... so they survive the
// round trip.
std::string cp1252ToUtf8(std::string_view bytes);

// Every character to its 1252 byte; characters without one, and bytes that
// are not valid UTF-8, become '?'.
std::string utf8ToCp1252(std::string_view text);

// True when the bytes read as UTF-8: every lead byte is followed by its
// continuation bytes. Windows-1252 text with any byte above 0x7F almost
// never does, so this tells a file of ours from one written elsewhere.
bool isValidUtf8(std::string_view bytes);

// Text as the library keeps it: bytes that read as UTF-8 as they are, any
// other bytes taken as Windows-1252 (text written by older programs).
std::string textAsUtf8(std::string_view bytes);

// Appends one character (below U+10000) as UTF-8.
void appendUtf8(std::string& out, char32_t c);

}  // namespace rt
