// The text provider: every caption, label, status line and message of the
// program and the library is fetched by number from the text table of the
// interface language.
//
// A table is a UTF-8 file <languageDir>/<engname>.txt ("English.txt",
// "German.txt"): header lines give the language's own attributes
// ("@engname German", "@rtl 0", "@charset 0", "@axis.A ..."), text lines
// give one text each ("7 Abbrechen"). English holds every text in use;
// another language may hold only some and falls back to English for the
// rest. docs/text-tables.md describes the format and the replacement rules.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/runtime/variant.h"

namespace quillon {

// The program directory of the running executable, with a trailing
// separator: its own folder in a build, the installed program directory
// when the executable was installed.
std::string ProgramDirectory();

// The attributes and texts of one language's table.
struct TextTable {
    std::string engname;               // English name of the language ("German")
    bool rightToLeft = false;          // reading order of the language
    std::int32_t charset = 0;          // character set of form fonts (0 western, 178 Arabic)
    std::string axis[6];               // A, B, C: direction words; D, E, F: axis words
    std::map<std::int32_t, std::string> texts;
};

class ClsLanguageText {
public:
    // Tables from <folder of the running executable>/language/; the language
    // is the one the language source names (English when there is none, it
    // names nothing, or it names a language without a table).
    ClsLanguageText();

    // Tables from languageDir, in the language whose engname is given
    // (English when "" or without a table). For tests and tools.
    ClsLanguageText(std::string languageDir, std::string engname);

    // The text of a number in the interface language (English when the
    // language lacks it), or a string id itself, with its placeholders
    // replaced. `replacements` holds pairs of placeholder ("|1", "|2", ...)
    // and value; a single leading number before the pairs is ignored.
    // An empty id or the number 0 (no file kind) gives "". A number the
    // English table lacks is taken from the English table the program was
    // built with, and the first time the table is named on the standard
    // error as incomplete; a number without any text raises run-time error
    // 5 naming the number.
    std::string GetText(const rt::Variant& id,
                        const std::vector<rt::Variant>& replacements = {}) const;

    // Reading-order and alignment bits of the language for message boxes:
    // 0 for left-to-right, 0x100000 | 0x80000 for right-to-left.
    std::int32_t MessageBoxFlags() const;
    bool IsRightToLeft() const;

    // Short axis texts: A, B, C the first, second and third direction words;
    // D, E, F the words for the x, y and z axes.
    std::string AxisTextA() const;
    std::string AxisTextB() const;
    std::string AxisTextC() const;
    std::string AxisTextD() const;
    std::string AxisTextE() const;
    std::string AxisTextF() const;

    // Character set of form fonts: 0 western, 178 Arabic, ...
    std::int32_t FormCharset() const;

    // Where the default constructor learns the stored interface language
    // (an engname). Until a source is set the language is English.
    static void setLanguageSource(std::function<std::string()> source);

private:
    void load(const std::string& languageDir, const std::string& engname);
    const std::string& axisText(int index) const;

    TextTable english_;
    TextTable chosen_;        // the interface language's table, unless it is English
    std::string englishPath_;             // the English table's file
    mutable bool toldIncomplete_ = false;  // that it lacks a text, said once
    bool useChosen_ = false;
};

// Message-box bits of a right-to-left language.
inline constexpr std::int32_t kRightReadingFlag = 0x100000;
inline constexpr std::int32_t kRightAlignedFlag = 0x80000;

// One text number in code is always written as TextNo(n), so that a test can
// find every number in use and check the English table holds it.
constexpr std::int32_t TextNo(std::int32_t n) { return n; }

// Reads one table file; raises run-time error 53 when it is missing and 5
// (naming the file and line) for a line it cannot parse or a number given
// twice.
TextTable readTextTable(const std::string& path);

}  // namespace quillon
