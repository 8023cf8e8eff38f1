#include "platform/forms/ini_settings.h"

#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cwctype>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <system_error>
#include <vector>

#include "platform/forms/layer.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/write_faults.h"

namespace forms {

namespace {

// ---- Text: names and values are handled as UTF-16 code units, as the
// format counts them (escapes "%U0639", "\x1f"; the sorted order).

std::u16string toUtf16(std::string_view text) {
    std::u16string out;
    for (const char32_t c : detail::decodeUtf8(text)) {
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

// A lone surrogate becomes U+FFFD.
std::string toUtf8(std::u16string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        out += detail::encodeUtf8(c);
    }
    return out;
}

// Lower case of every letter (the Unicode mapping of the C.UTF-8 locale;
// ASCII only where the system lacks that locale).
char16_t lowerUnit(char16_t c) {
    if (c < 0x80) return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
    static const locale_t unicode = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    if (unicode == static_cast<locale_t>(nullptr) || (c >= 0xD800 && c < 0xE000)) return c;
    const wint_t lower = towlower_l(c, unicode);
    return lower <= 0xFFFF ? static_cast<char16_t>(lower) : c;
}

std::u16string lowered(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out) c = lowerUnit(c);
    return out;
}

bool sameName(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowerUnit(a[i]) != lowerUnit(b[i])) return false;
    }
    return true;
}

std::u16string latin1(std::string_view bytes) {
    std::u16string out;
    for (char c : bytes) out += static_cast<char16_t>(static_cast<unsigned char>(c));
    return out;
}

bool equalsAsciiNoCase(std::string_view text, std::string_view lowerCase) {
    if (text.size() != lowerCase.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] + 32) : text[i];
        if (c != lowerCase[i]) return false;
    }
    return true;
}

std::string_view trimmed(std::string_view text) {
    constexpr std::string_view blanks = " \t\n\v\f\r";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

constexpr char kHexDigits[] = "0123456789ABCDEF";

int hexValue(char32_t c) {
    if (c >= '0' && c <= '9') return static_cast<int>(c - '0');
    if (c >= 'A' && c <= 'F') return static_cast<int>(c - 'A' + 10);
    if (c >= 'a' && c <= 'f') return static_cast<int>(c - 'a' + 10);
    return -1;
}

std::string lowerHex(unsigned value) {
    std::string digits;
    do {
        digits.insert(digits.begin(), "0123456789abcdef"[value % 16]);
        value /= 16;
    } while (value != 0);
    return digits;
}

// ---- Names: letters, digits, "_", "-" and "." as they are, "/" as "\",
// any other unit as "%XX" (to U+00FF) or "%UXXXX".

std::string escapeName(std::u16string_view name) {
    std::string out;
    for (const char16_t c : name) {
        if (c == u'/') {
            out += '\\';
        } else if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_' ||
                   c == u'-' || c == u'.') {
            out += static_cast<char>(c);
        } else if (c <= 0xFF) {
            out += '%';
            out += kHexDigits[c / 16];
            out += kHexDigits[c % 16];
        } else {
            out += "%U";
            for (int shift = 12; shift >= 0; shift -= 4) out += kHexDigits[(c >> shift) & 0xF];
        }
    }
    return out;
}

// The number of a name's escape: its field of 2 or 4 units read as Qt
// reads a hexadecimal number (ASCII blanks around it, a "+" and "0x"
// allowed).
bool hexField(std::u16string_view field, unsigned& value) {
    const auto blank = [](char16_t c) { return (c >= 9 && c <= 13) || c == u' '; };
    while (!field.empty() && blank(field.front())) field.remove_prefix(1);
    while (!field.empty() && blank(field.back())) field.remove_suffix(1);
    if (!field.empty() && field.front() == u'+') field.remove_prefix(1);
    if (field.size() > 1 && field[0] == u'0' && (field[1] == u'x' || field[1] == u'X')) field.remove_prefix(2);
    value = 0;
    for (const char16_t c : field) {
        if (hexValue(c) < 0) return false;
        value = value * 16 + static_cast<unsigned>(hexValue(c));
    }
    return !field.empty();
}

// A "%" without its digits stays a "%".
std::u16string unescapeName(std::string_view raw) {
    const std::u16string text = toUtf16(raw);
    std::u16string out;
    for (std::size_t i = 0; i < text.size();) {
        const char16_t c = text[i];
        if (c == u'\\') {
            out += u'/';
            ++i;
            continue;
        }
        if (c != u'%' || i + 1 == text.size()) {
            out += c;
            ++i;
            continue;
        }
        const std::size_t first = text[i + 1] == u'U' ? i + 2 : i + 1;
        const std::size_t digits = text[i + 1] == u'U' ? 4 : 2;
        unsigned value = 0;
        if (first + digits > text.size() || !hexField(std::u16string_view(text).substr(first, digits), value)) {
            out += u'%';
            ++i;
            continue;
        }
        out += static_cast<char16_t>(value);
        i = first + digits;
    }
    return out;
}

// ---- Values.

std::string escapeValue(std::u16string_view text) {
    // Byte arrays and serialised values are written in Latin-1 escapes.
    const bool utf8 = text.substr(0, 11) != u"@ByteArray(" && text.substr(0, 9) != u"@Variant(";
    std::string out;
    bool needsQuotes = false;
    bool escapeNextIfDigit = false;  // after "\0" or "\x..": a following hex digit is escaped too
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u';' || c == u',' || c == u'=') needsQuotes = true;
        if (escapeNextIfDigit && hexValue(c) >= 0) {
            out += "\\x" + lowerHex(c);
            continue;
        }
        escapeNextIfDigit = false;
        switch (c) {
            case u'\0': out += "\\0"; escapeNextIfDigit = true; break;
            case u'\a': out += "\\a"; break;
            case u'\b': out += "\\b"; break;
            case u'\f': out += "\\f"; break;
            case u'\n': out += "\\n"; break;
            case u'\r': out += "\\r"; break;
            case u'\t': out += "\\t"; break;
            case u'\v': out += "\\v"; break;
            case u'"':
            case u'\\':
                out += '\\';
                out += static_cast<char>(c);
                break;
            default:
                if (c <= 0x1F || (c >= 0x7F && !utf8)) {
                    out += "\\x" + lowerHex(c);
                    escapeNextIfDigit = true;
                } else {
                    const bool pair = c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                                      text[i + 1] < 0xE000;
                    out += toUtf8(text.substr(i, pair ? 2 : 1));
                    if (pair) ++i;
                }
        }
    }
    if (needsQuotes || (!out.empty() && (out.front() == ' ' || out.back() == ' '))) out = '"' + out + '"';
    return out;
}

// A value as read: one text, or a list when it holds unquoted commas.
struct ReadValue {
    std::u16string text;
    std::vector<std::u16string> items;
    bool isList = false;
};

ReadValue unescapeValue(std::string_view raw) {
    static constexpr char kEscapes[][2] = {{'a', '\a'}, {'b', '\b'}, {'f', '\f'}, {'n', '\n'},
                                           {'r', '\r'}, {'t', '\t'}, {'v', '\v'}, {'"', '"'},
                                           {'?', '?'},   {'\'', '\''}, {'\\', '\\'}};
    ReadValue v;
    bool inQuotes = false;
    bool quoted = false;  // the current item had quotes: its trailing blanks stay
    std::size_t i = 0;
    const auto skipBlanks = [&] {
        while (i < raw.size() && (raw[i] == ' ' || raw[i] == '\t')) ++i;
    };
    const auto chop = [&](std::size_t limit) {
        while (v.text.size() > limit && (v.text.back() == u' ' || v.text.back() == u'\t')) v.text.pop_back();
    };
    // A number escape: its digits as far as they go, cut to one code unit.
    const auto number = [&](unsigned base, unsigned value) {
        for (int digit; i < raw.size() && (digit = hexValue(static_cast<unsigned char>(raw[i]))) >= 0 &&
                        static_cast<unsigned>(digit) < base;
             ++i) {
            value = (value * base + static_cast<unsigned>(digit)) & 0xFFFF;
        }
        v.text += static_cast<char16_t>(value);
    };
    skipBlanks();
    std::size_t chopLimit = 0;
    bool chopAtEnd = true;
    while (i < raw.size()) {
        const char c = raw[i];
        if (c == '\\') {
            if (++i >= raw.size()) {
                chopAtEnd = false;
                break;
            }
            const char code = raw[i++];
            bool known = false;
            for (const auto& escape : kEscapes) {
                if (code == escape[0]) {
                    v.text += static_cast<char16_t>(escape[1]);
                    known = true;
                    break;
                }
            }
            if (!known && code == 'x') {
                if (i >= raw.size()) {
                    chopAtEnd = false;
                    break;
                }
                if (hexValue(static_cast<unsigned char>(raw[i])) >= 0) number(16, 0);
            } else if (!known && code >= '0' && code <= '7') {
                number(8, static_cast<unsigned>(code - '0'));
            } else if (!known && (code == '\n' || code == '\r') && i < raw.size()) {
                // A continued line: "\r\n" and "\n\r" count as one line end.
                if ((raw[i] == '\n' || raw[i] == '\r') && raw[i] != code) ++i;
            }
            if (i >= raw.size() && (code == 'x' || (code >= '0' && code <= '7'))) {
                chopAtEnd = false;  // a number escape that ends the value is never chopped
                break;
            }
            chopLimit = v.text.size();
        } else if (c == '"') {
            ++i;
            quoted = true;
            inQuotes = !inQuotes;
            if (!inQuotes) {
                skipBlanks();
                chopLimit = v.text.size();
            }
        } else if (c == ',' && !inQuotes) {
            if (!quoted) chop(chopLimit);
            v.isList = true;
            v.items.push_back(std::move(v.text));
            v.text.clear();
            quoted = false;
            ++i;
            skipBlanks();
            chopLimit = 0;
        } else {
            std::size_t j = i + 1;
            while (j < raw.size() && raw[j] != '\\' && raw[j] != '"' && raw[j] != ',') ++j;
            v.text += toUtf16(raw.substr(i, j - i));
            i = j;
        }
    }
    if (chopAtEnd && !quoted) chop(chopLimit);
    if (v.isList) v.items.push_back(std::move(v.text));
    return v;
}

bool startsWith(std::u16string_view text, std::u16string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// What a value's text stands for, as Qt reads it: a text (plain, "@@..."
// or "@String(...)"), nothing ("@Invalid()") or a value of another type.
struct Meaning {
    enum Kind { Text, Nothing, OtherType } kind;
    std::u16string text;  // the text; for another type, the value as read
};

Meaning meaningOf(std::u16string_view s) {
    if (startsWith(s, u"@") && s.back() == u')') {
        const auto argumentCount = [&] { return std::count(s.begin(), s.end(), u' ') + 1; };
        if (startsWith(s, u"@String(")) return {Meaning::Text, std::u16string(s.substr(8, s.size() - 9))};
        if (s == u"@Invalid()") return {Meaning::Nothing, std::u16string(s)};
        if (startsWith(s, u"@ByteArray(") || startsWith(s, u"@Variant(") || startsWith(s, u"@DateTime(") ||
            (startsWith(s, u"@Rect(") && argumentCount() == 4) ||
            ((startsWith(s, u"@Size(") || startsWith(s, u"@Point(")) && argumentCount() == 2)) {
            return {Meaning::OtherType, std::u16string(s)};
        }
    }
    if (startsWith(s, u"@@")) s.remove_prefix(1);
    return {Meaning::Text, std::u16string(s)};
}

// How a text is written: a text holding a NUL as "@String(...)", one that
// begins with "@" with the "@" doubled, so neither reads as another type.
std::u16string writtenText(std::u16string text) {
    if (text.find(u'\0') != std::u16string::npos) return u"@String(" + text + u")";
    if (startsWith(text, u"@")) text.insert(text.begin(), u'@');
    return text;
}

std::string writtenValue(std::string_view value) { return escapeValue(writtenText(toUtf16(value))); }

// A value read from a file as Qt writes it back: a text as any text, a
// value of another type as it was read, a list item by item.
std::string rewrittenValue(std::string_view raw) {
    const auto written = [](const std::u16string& text) {
        Meaning meaning = meaningOf(text);
        return escapeValue(meaning.kind == Meaning::Text ? writtenText(std::move(meaning.text)) : meaning.text);
    };
    ReadValue v = unescapeValue(raw);
    if (!v.isList) return written(v.text);
    std::string out;
    for (std::size_t n = 0; n < v.items.size(); ++n) out += (n == 0 ? "" : ", ") + written(v.items[n]);
    return out;
}

// The text of a stored value; nullopt for "@Invalid()", which stores
// nothing. A list reads as its items joined by ","; a byte array as its
// bytes; values of other types ("@Rect(...)", "@Variant(...)") have no
// text and read as "".
std::optional<std::string> storedText(std::string_view raw) {
    ReadValue v = unescapeValue(raw);
    if (v.isList) {
        std::u16string joined;
        for (const std::u16string& item : v.items) {
            if (startsWith(item, u"@") && !startsWith(item, u"@@")) return std::string();
            if (&item != &v.items.front()) joined += u',';
            joined += meaningOf(item).text;
        }
        return toUtf8(joined);
    }
    const Meaning meaning = meaningOf(v.text);
    if (meaning.kind == Meaning::Nothing) return std::nullopt;
    if (meaning.kind == Meaning::Text) return toUtf8(meaning.text);
    if (!startsWith(meaning.text, u"@ByteArray(")) return std::string();
    std::string bytes;
    for (const char16_t c : std::u16string_view(meaning.text).substr(11, meaning.text.size() - 12)) {
        bytes += c > 0xFF ? '?' : static_cast<char>(c);
    }
    return toUtf8(toUtf16(bytes));
}

// ---- Files: each value as read by its whole key, "<section>/<key>"
// (the key alone in the general section), in the order of UTF-16 units.
// A section or key read with a "/" in its name ("\\" in the file) makes
// more levels: the section is the whole key up to its first "/", and a
// section's keys are the rest where it holds no further "/".

using Entries = std::map<std::u16string, std::string>;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The next logical line from pos: blanks and comment lines (";") skipped,
// ended by a line end outside quotes or by a ";" starting a comment; a
// "\" joins the next line. equals is the first "=" outside quotes, npos
// when there is none.
bool readLine(std::string_view data, std::size_t& pos, std::string_view& line, std::size_t& equals) {
    bool inQuotes = false;
    equals = std::string_view::npos;
    std::size_t start = pos;
    while (start < data.size() && isBlank(data[start])) ++start;
    std::size_t i = start;
    while (i < data.size()) {
        const char c = data[i++];
        if (c == '=') {
            if (!inQuotes && equals == std::string_view::npos) equals = i - 1 - start;
        } else if (c == '\n' || c == '\r') {
            if (i == start + 1) {
                ++start;
            } else if (!inQuotes) {
                --i;
                break;
            }
        } else if (c == '\\') {
            if (i < data.size()) {
                const char next = data[i++];
                if (i < data.size() && ((next == '\n' && data[i] == '\r') || (next == '\r' && data[i] == '\n'))) ++i;
            }
        } else if (c == '"') {
            inQuotes = !inQuotes;
        } else if (c == ';') {
            if (i == start + 1) {
                while (i < data.size() && data[i] != '\n' && data[i] != '\r') ++i;
                while (i < data.size() && isBlank(data[i])) ++i;
                start = i;
            } else if (!inQuotes) {
                --i;
                break;
            }
        }
    }
    pos = i;
    line = data.substr(start, i - start);
    return !line.empty();
}

Entries parse(std::string_view data) {
    if (data.substr(0, 3) == "\xEF\xBB\xBF") data.remove_prefix(3);
    Entries entries;
    std::u16string section;  // with its "/"
    std::size_t pos = 0;
    std::string_view line;
    std::size_t equals = 0;
    while (readLine(data, pos, line, equals)) {
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            const std::string_view name =
                trimmed(close == std::string_view::npos ? line.substr(1) : line.substr(1, close - 1));
            if (equalsAsciiNoCase(name, "general")) {
                section.clear();
            } else {
                section = equalsAsciiNoCase(name, "%general") ? latin1(name.substr(1)) : unescapeName(name);
                section += u'/';
            }
        } else if (equals != std::string_view::npos) {
            std::string_view value = line.substr(equals + 1);
            while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
            entries[section + unescapeName(trimmed(line.substr(0, equals)))] = std::string(value);
        }
    }
    return entries;
}

std::string render(const Entries& entries) {
    std::map<std::u16string, std::map<std::u16string, std::string>> sections;
    for (const auto& [whole, value] : entries) {
        const std::size_t slash = whole.find(u'/');
        if (slash == std::u16string::npos) {
            sections[u""][whole] = value;
        } else {
            sections[whole.substr(0, slash)][whole.substr(slash + 1)] = value;
        }
    }
    std::string out;
    for (const auto& [name, keys] : sections) {
        if (keys.empty()) continue;
        std::string head = escapeName(name);
        if (head.empty()) {
            head = "General";
        } else if (equalsAsciiNoCase(head, "general")) {
            head = "%General";
        }
        if (!out.empty()) out += '\n';
        out += '[' + head + "]\n";
        for (const auto& [key, value] : keys) out += escapeName(key) + '=' + rewrittenValue(value) + '\n';
    }
    return out;
}

// The stored spelling of a section equal to wanted but for case (the first
// in sorted order), else wanted itself.
std::u16string sectionOf(const Entries& entries, const std::u16string& wanted) {
    std::set<std::u16string> sections;
    for (const auto& entry : entries) {
        const std::size_t slash = entry.first.find(u'/');
        if (slash != std::u16string::npos) sections.insert(entry.first.substr(0, slash));
    }
    for (const std::u16string& name : sections) {
        if (sameName(name, wanted)) return name;
    }
    return wanted;
}

// The entry of a section's key equal to wanted but for case (the first in
// sorted order); end() when there is none.
Entries::iterator keyOf(Entries& entries, const std::u16string& section, std::u16string_view wanted) {
    const std::u16string prefix = section + u'/';
    for (auto it = entries.lower_bound(prefix); it != entries.end() && startsWith(it->first, prefix); ++it) {
        const std::u16string_view key = std::u16string_view(it->first).substr(prefix.size());
        if (key.find(u'/') == std::u16string_view::npos && sameName(key, wanted)) return it;
    }
    return entries.end();
}

// Removes the entry named whole and every one below it.
bool removeAll(Entries& entries, const std::u16string& whole) {
    bool removed = entries.erase(whole) != 0;
    const std::u16string prefix = whole + u'/';
    for (auto it = entries.lower_bound(prefix); it != entries.end() && startsWith(it->first, prefix);) {
        it = entries.erase(it);
        removed = true;
    }
    return removed;
}

// The error of a name that is no regular file (a pipe, a device).
constexpr int kNotRegularFile = -1;

std::string reason(int error) {
    return error == kNotRegularFile ? std::string("not a regular file") : std::generic_category().message(error);
}

[[noreturn]] void raiseFileError(const std::string& path, const char* what, int error) {
    rt::raise(75, "Path/File access error: the settings file " + path + " cannot be " + what + " (" + reason(error) +
                      ")");
}

// The file's bytes; nullopt when there is no such file. Any other failure
// gives its errno value in error.
std::optional<std::string> readBytes(const std::string& path, int& error) {
    error = 0;
    // Non-blocking, so that a pipe of that name is refused instead of
    // waiting for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno != ENOENT) error = errno;
        return std::nullopt;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || (!S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode))) {
        ::close(fd);
        error = kNotRegularFile;
        return std::nullopt;
    }
    std::string data;
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) error = errno;
        if (n <= 0) break;
        data.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    if (error != 0) return std::nullopt;
    return data;
}

// The entries of a file that is to be changed: none when it does not
// exist; error 75 when it cannot be read, so nothing stored is lost.
std::optional<Entries> entriesToChange(const std::string& path) {
    int error = 0;
    std::optional<std::string> data = readBytes(path, error);
    if (error != 0) raiseFileError(path, "read", error);
    if (!data) return std::nullopt;
    return parse(*data);
}

void writeBytes(const std::string& path, const std::string& data) {
    const std::string temporary = path + "." + std::to_string(::getpid()) + ".tmp";
    if (const int fault = rt::injectedWriteFault(path)) raiseFileError(path, "written", fault);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) raiseFileError(path, "written", errno);
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0) ::fchmod(fd, existing.st_mode & 07777);
    int error = 0;
    for (std::size_t done = 0; error == 0 && done < data.size();) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n >= 0) {
            done += static_cast<std::size_t>(n);
        } else if (errno != EINTR) {
            error = errno;
        }
    }
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        raiseFileError(path, "written", error);
    }
}

void checkNames(std::string_view app, std::string_view section, std::string_view key, bool keyRequired) {
    checkSettingName(app, "application");
    checkSettingName(section, "section");
    if (keyRequired || !key.empty()) checkSettingName(key, "key");
}

}  // namespace

IniSettingsStore::IniSettingsStore(std::string folder)
    : folder_(folder.empty() ? userSettingsFolder() : std::move(folder)) {}

std::string IniSettingsStore::fileOf(std::string_view app) const {
    const std::string name = toUtf8(lowered(toUtf16(app))) + ".ini";
    return !folder_.empty() && folder_.back() == '/' ? folder_ + name : folder_ + "/" + name;
}

std::string IniSettingsStore::get(std::string_view app, std::string_view section, std::string_view key,
                                  std::string_view defaultValue) const {
    checkNames(app, section, key, true);
    int error = 0;
    const std::optional<std::string> data = readBytes(fileOf(app), error);
    if (!data) return std::string(defaultValue);
    Entries entries = parse(*data);
    const auto k = keyOf(entries, sectionOf(entries, toUtf16(section)), toUtf16(key));
    if (k == entries.end()) return std::string(defaultValue);
    return storedText(k->second).value_or(std::string(defaultValue));
}

void IniSettingsStore::save(std::string_view app, std::string_view section, std::string_view key,
                            std::string_view value) {
    checkNames(app, section, key, true);
    std::error_code folderError;
    std::filesystem::create_directories(folder_, folderError);
    if (folderError) {
        rt::raise(75, "Path/File access error: the settings folder " + folder_ + " cannot be made (" +
                          folderError.message() + ")");
    }
    const std::string path = fileOf(app);
    Entries entries = entriesToChange(path).value_or(Entries());
    const std::u16string stored = sectionOf(entries, toUtf16(section));
    const auto k = keyOf(entries, stored, toUtf16(key));
    entries[k != entries.end() ? k->first : stored + u'/' + toUtf16(key)] = writtenValue(value);
    writeBytes(path, render(entries));
}

void IniSettingsStore::remove(std::string_view app, std::string_view section, std::string_view key) {
    checkNames(app, section, key, false);
    const std::string path = fileOf(app);
    std::optional<Entries> entries = entriesToChange(path);
    if (!entries) return;
    const std::u16string stored = sectionOf(*entries, toUtf16(section));
    std::u16string whole = stored;
    if (!key.empty()) {
        const auto k = keyOf(*entries, stored, toUtf16(key));
        whole = k != entries->end() ? k->first : stored + u'/' + toUtf16(key);
    }
    if (removeAll(*entries, whole)) writeBytes(path, render(*entries));
}

}  // namespace forms
