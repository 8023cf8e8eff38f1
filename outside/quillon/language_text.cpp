#include "outside/quillon/language_text.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>

#include "platform/runtime/errors.h"
#include "platform/runtime/textfile.h"

namespace quillon {
namespace {

const char* const kEnglish = "English";

std::function<std::string()>& languageSource() {
    static std::function<std::string()> source;
    return source;
}

// The folder of the running executable with a trailing separator; the
// current folder when the system does not tell it.
std::string executableDirectory() {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec || exe.empty()) return "./";
    std::string dir = exe.parent_path().string();
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir;
}

std::string withSeparator(std::string dir) {
    if (!dir.empty() && dir.back() != '/') dir += '/';
    return dir;
}

[[noreturn]] void badLine(const std::string& path, int lineNo, const std::string& problem) {
    rt::raise(5, "Text table " + path + ", line " + std::to_string(lineNo) + ": " + problem);
}

// "\n" becomes a line feed and "\\" one backslash; any other backslash
// sequence is a fault of the table.
std::string unescape(std::string_view raw, const std::string& path, int lineNo) {
    std::string out;
    out.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\\') {
            out += raw[i];
            continue;
        }
        if (i + 1 >= raw.size()) badLine(path, lineNo, "a backslash ends the line (write \\\\ for one)");
        char next = raw[++i];
        if (next == 'n') {
            out += '\n';
        } else if (next == '\\') {
            out += '\\';
        } else {
            badLine(path, lineNo, std::string("unknown escape \\") + next);
        }
    }
    return out;
}

void readHeader(TextTable& table, std::string_view line, const std::string& path, int lineNo) {
    std::size_t blank = line.find(' ');
    std::string key(line.substr(1, blank == std::string_view::npos ? std::string_view::npos : blank - 1));
    std::string value;
    if (blank != std::string_view::npos) {
        std::string_view rest = line.substr(blank + 1);
        std::size_t first = rest.find_first_not_of(' ');
        if (first != std::string_view::npos) value = std::string(rest.substr(first));
    }
    while (!value.empty() && value.back() == ' ') value.pop_back();

    auto parseInt = [&](std::int32_t& target) {
        std::int32_t v = 0;
        auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), v);
        if (ec != std::errc() || end != value.data() + value.size() || value.empty())
            badLine(path, lineNo, "@" + key + " needs a whole number, not \"" + value + "\"");
        target = v;
    };

    if (key == "engname") {
        if (value.empty()) badLine(path, lineNo, "@engname needs a name");
        table.engname = value;
    } else if (key == "rtl") {
        std::int32_t v = 0;
        parseInt(v);
        if (v != 0 && v != 1) badLine(path, lineNo, "@rtl is 0 or 1");
        table.rightToLeft = v == 1;
    } else if (key == "charset") {
        parseInt(table.charset);
    } else if (key.size() == 6 && key.compare(0, 5, "axis.") == 0 && key[5] >= 'A' && key[5] <= 'F') {
        if (value.empty()) badLine(path, lineNo, "@" + key + " needs a text");
        table.axis[key[5] - 'A'] = unescape(value, path, lineNo);
    } else {
        badLine(path, lineNo, "unknown header @" + key);
    }
}

void readTextLine(TextTable& table, std::string_view line, const std::string& path, int lineNo) {
    std::size_t digits = 0;
    while (digits < line.size() && line[digits] >= '0' && line[digits] <= '9') ++digits;
    if (digits == 0) badLine(path, lineNo, "a text line starts with its number");
    std::int32_t number = 0;
    auto [end, ec] = std::from_chars(line.data(), line.data() + digits, number);
    if (ec != std::errc() || number <= 0) badLine(path, lineNo, "text number out of range");
    if (digits >= line.size() || line[digits] != ' ' || digits + 1 >= line.size())
        badLine(path, lineNo, "text " + std::to_string(number) + ": one blank and the text follow the number");
    std::string text = unescape(line.substr(digits + 1), path, lineNo);
    if (!table.texts.emplace(number, std::move(text)).second)
        badLine(path, lineNo, "text number " + std::to_string(number) + " given twice");
}

TextTable readTableOf(const std::string& languageDir, const std::string& engname) {
    TextTable table = readTextTable(languageDir + engname + ".txt");
    if (table.engname != engname)
        rt::raise(5, "Text table " + languageDir + engname + ".txt declares @engname \"" + table.engname +
                         "\"");
    return table;
}

// A stored language name that can name a table file: no folder parts.
bool isPlainName(const std::string& name) {
    return !name.empty() && name.find('/') == std::string::npos && name.find('\\') == std::string::npos &&
           name.front() != '.';
}

}  // namespace

// The English table the program was built with.
extern const char* const kBuiltInEnglish;

namespace {

const TextTable& builtInEnglish() {
    static const TextTable table = [] {
        TextTable parsed;
        const std::string_view content(kBuiltInEnglish);
        const std::string path = "(built-in English table)";
        int lineNo = 0;
        for (std::size_t start = 0; start < content.size();) {
            std::size_t end = content.find('\n', start);
            if (end == std::string_view::npos) end = content.size();
            std::string line(content.substr(start, end - start));
            start = end + 1;
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (++lineNo == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
            if (line.find_first_not_of(' ') == std::string::npos || line.front() == '#') continue;
            if (line.front() == '@')
                readHeader(parsed, line, path, lineNo);
            else
                readTextLine(parsed, line, path, lineNo);
        }
        return parsed;
    }();
    return table;
}

}  // namespace

TextTable readTextTable(const std::string& path) {
    // The run time's text reader: CR, LF or CR LF line ends, a leading
    // byte-order mark dropped, a pipe or folder of that name refused.
    rt::TextReader in;
    try {
        in.open(path);
    } catch (const rt::RuntimeError& error) {
        // The table or its language folder is missing.
        if (error.number() == 53 || error.number() == 76) rt::raise(53, "Text table not found: " + path);
        rt::raise(error.number(), "Text table could not be read: " + path + " (" + error.description() + ")");
    }
    TextTable table;
    int lineNo = 0;
    while (!in.eof()) {
        const std::string line = in.readLine();
        ++lineNo;
        if (line.find_first_not_of(' ') == std::string::npos) continue;
        if (line.front() == '#') continue;
        if (line.front() == '@') {
            readHeader(table, line, path, lineNo);
        } else {
            readTextLine(table, line, path, lineNo);
        }
    }
    if (table.engname.empty()) rt::raise(5, "Text table " + path + " has no @engname line");
    return table;
}

std::string ProgramDirectory() {
    const std::string beside = executableDirectory();
#ifdef OH_PROGDIR_FROM_BINDIR
    // An installed program: the program directory relative to bin/.
    std::error_code ec;
    const std::string installed = beside + OH_PROGDIR_FROM_BINDIR "/";
    if (!std::filesystem::is_directory(beside + "language", ec) && std::filesystem::is_directory(installed + "language", ec))
        return installed;
#endif
    return beside;
}

ClsLanguageText::ClsLanguageText() {
    std::string engname;
    if (languageSource()) engname = languageSource()();
    load(ProgramDirectory() + "language/", engname);
}

ClsLanguageText::ClsLanguageText(std::string languageDir, std::string engname) {
    load(withSeparator(std::move(languageDir)), engname);
}

void ClsLanguageText::load(const std::string& languageDir, const std::string& engname) {
    english_ = readTableOf(languageDir, kEnglish);
    englishPath_ = languageDir + kEnglish + ".txt";
    useChosen_ = false;
    if (engname == kEnglish || !isPlainName(engname)) return;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(languageDir + engname + ".txt", ec)) return;
    chosen_ = readTableOf(languageDir, engname);
    useChosen_ = true;
}

void ClsLanguageText::setLanguageSource(std::function<std::string()> source) {
    languageSource() = std::move(source);
}

namespace {

// Whether a text holds a letter written right to left (Hebrew, Arabic and
// the scripts and presentation forms between them).
bool hasRightToLeftLetter(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        std::uint32_t code = length == 1 ? lead : lead & (0x3F >> (length - 1));
        for (int k = 1; k < length && i + k < text.size(); ++k)
            code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        if ((code >= 0x0590 && code <= 0x08FF) || (code >= 0xFB1D && code <= 0xFDFF) ||
            (code >= 0xFE70 && code <= 0xFEFF))
            return true;
        i += static_cast<std::size_t>(length);
    }
    return false;
}

// A value inserted into a right-to-left text, kept a run of its own: a
// path, a file name, a number or any value without right-to-left letters
// left to right (its leading slash stays in front); other values take the
// direction of their first letter.
std::string isolated(const std::string& value) {
    if (value.empty()) return value;
    const bool path = value.find_first_of("/\\") != std::string::npos;
    const char* open = path || !hasRightToLeftLetter(value) ? "\u2066" : "\u2068";  // LRI, FSI
    return open + value + "\u2069";                                                 // PDI
}

}  // namespace

std::string ClsLanguageText::GetText(const rt::Variant& id,
                                     const std::vector<rt::Variant>& replacements) const {
    std::string text;
    if (id.isString()) {
        text = id.toString();
    } else if (id.isEmpty() || id.isMissing()) {
        // No text id at all (an unset file kind, say): no text.
        return std::string();
    } else {
        std::int32_t number = id.toLong();
        // 0 is the callers' "no file kind"; no table holds it.
        if (number == 0) return std::string();
        const std::string* found = nullptr;
        if (useChosen_) {
            auto it = chosen_.texts.find(number);
            if (it != chosen_.texts.end()) found = &it->second;
        }
        if (found == nullptr) {
            auto it = english_.texts.find(number);
            if (it != english_.texts.end()) found = &it->second;
        }
        if (found == nullptr) {
            // A half English table: the built-in text, and the table named
            // once as incomplete.
            const auto& builtIn = builtInEnglish().texts;
            auto it = builtIn.find(number);
            if (it == builtIn.end()) rt::raise(5, "There is no text with the number " + std::to_string(number) + ".");
            found = &it->second;
            if (!toldIncomplete_) {
                toldIncomplete_ = true;
                std::fprintf(stderr, "The text table %s is incomplete (text %d and perhaps others are missing); the built-in English texts are used.\n",
                             englishPath_.c_str(), static_cast<int>(number));
            }
        }
        text = *found;
    }

    // Pairs of placeholder and value, after a leading number the caller may
    // put first. The first pair of a placeholder wins.
    std::size_t start = 0;
    if (!replacements.empty() && replacements.front().isNumeric()) start = 1;
    std::vector<std::pair<std::string, std::string>> pairs;
    for (std::size_t k = start; k + 1 < replacements.size(); k += 2) {
        std::string name = replacements[k].toString();
        if (name.empty()) continue;
        if (std::any_of(pairs.begin(), pairs.end(), [&](const auto& p) { return p.first == name; })) continue;
        std::string value = replacements[k + 1].toString();
        // A value with right-to-left letters keeps its order in a left-to-right
        // text too.
        const bool isolate = IsRightToLeft() || hasRightToLeftLetter(value);
        pairs.emplace_back(std::move(name), isolate ? isolated(value) : std::move(value));
    }
    if (pairs.empty()) return text;

    // Longer placeholders first, and a placeholder ending in a digit only
    // where no further digit follows, so "|1" leaves "|10" alone. One pass
    // over the text: an inserted value is never searched again.
    std::stable_sort(pairs.begin(), pairs.end(),
                     [](const auto& a, const auto& b) { return a.first.size() > b.first.size(); });
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const std::pair<std::string, std::string>* match = nullptr;
        for (const auto& p : pairs) {
            const std::string& name = p.first;
            if (text.compare(i, name.size(), name) != 0) continue;
            std::size_t after = i + name.size();
            if (isDigit(name.back()) && after < text.size() && isDigit(text[after])) continue;
            match = &p;
            break;
        }
        if (match != nullptr) {
            // A line of a right-to-left text that opens with a value keeps
            // its direction: viewers that take a line's direction from its
            // first strong letter do not all pass over an isolated run.
            const bool lineStart = out.empty() || out.back() == '\n' || out.back() == '\r';
            if (lineStart && IsRightToLeft() && !match->second.empty()) out += "\u200F";  // RLM
            out += match->second;
            i += match->first.size();
        } else {
            out += text[i++];
        }
    }
    return out;
}

std::int32_t ClsLanguageText::MessageBoxFlags() const {
    return IsRightToLeft() ? (kRightReadingFlag | kRightAlignedFlag) : 0;
}

bool ClsLanguageText::IsRightToLeft() const {
    return useChosen_ ? chosen_.rightToLeft : english_.rightToLeft;
}

std::int32_t ClsLanguageText::FormCharset() const {
    return useChosen_ ? chosen_.charset : english_.charset;
}

const std::string& ClsLanguageText::axisText(int index) const {
    if (useChosen_ && !chosen_.axis[index].empty()) return chosen_.axis[index];
    return english_.axis[index];
}

std::string ClsLanguageText::AxisTextA() const { return axisText(0); }
std::string ClsLanguageText::AxisTextB() const { return axisText(1); }
std::string ClsLanguageText::AxisTextC() const { return axisText(2); }
std::string ClsLanguageText::AxisTextD() const { return axisText(3); }
std::string ClsLanguageText::AxisTextE() const { return axisText(4); }
std::string ClsLanguageText::AxisTextF() const { return axisText(5); }

}  // namespace quillon
