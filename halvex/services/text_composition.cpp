#include "halvex/services/member_name.h"
#include "halvex/services/cls_valmor.h"
#include "halvex/services/text_composition.h"

#include <vector>

#include "halvex/services/library_state.h"
#include "halvex/services/messages.h"
#include "platform/runtime/errors.h"

namespace halvex {

std::string ResolveString(const std::string& StrWithMacro, const rt::VArray& varReplacements)
{
    std::string s = StrWithMacro;
    const std::int32_t upper = varReplacements.ubound();  // error 9 when never dimensioned
    if (upper < 1) {
        const auto p = s.find("|1");
        if (p != std::string::npos)
            s.erase(p, 2);
        return s;
    }

    constexpr int maxReplacementsPerPair = 101;
    for (std::int64_t k = varReplacements.lbound(); k <= upper; k += 2) {
        // A pair that cannot be read is left out whole: neither its name nor
        // its value may stand in for the other pair's.
        std::string name;
        std::string value;
        try {
            name = varReplacements.at(static_cast<std::int32_t>(k)).toString();
            value = varReplacements.at(static_cast<std::int32_t>(k + 1)).toString();
        } catch (const rt::RuntimeError&) {
            continue;
        }
        // A value that holds its own placeholder is never put in (this also
        // covers the empty name).
        if (value.find(name) != std::string::npos)
            continue;
        for (int count = 0; count < maxReplacementsPerPair; ++count) {
            const auto p = s.find(name);
            if (p == std::string::npos)
                break;
            s.replace(p, name.size(), value);
        }
    }
    return s;
}

namespace {

constexpr std::string_view kBreakMark = "|0";

bool hasMark(const std::string& word)
{
    return word.find(kBreakMark) != std::string::npos;
}

// Length in characters of UTF-8 text (continuation bytes do not count).
std::int16_t charLength(const std::string& s)
{
    long long n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80)
            ++n;
    return rt::toIntegerChecked(n);
}

std::int16_t mergeCost(const std::string& a, const std::string& b)
{
    const long long la = charLength(a);
    const long long lb = charLength(b);
    if (hasMark(a))
        return rt::toIntegerChecked(la + lb - 2);
    if (hasMark(b))
        return rt::toIntegerChecked(la + lb);
    return rt::toIntegerChecked(la + lb + 1);
}

std::string merged(const std::string& a, const std::string& b)
{
    if (hasMark(a))
        return a.substr(0, a.size() - 2) + b;
    if (hasMark(b))
        return a + " " + b.substr(0, b.size() - 2) + "-";
    return a + " " + b;
}

std::vector<std::string> splitWords(const std::string& text)
{
    std::vector<std::string> words;
    std::string rest = text;
    for (;;) {
        const auto blank = rest.find(' ');
        const auto mark = rest.find(kBreakMark);
        if (blank == std::string::npos && mark == std::string::npos) {
            words.push_back(rest);
            return words;
        }
        if (mark == std::string::npos || (blank != std::string::npos && blank < mark)) {
            words.push_back(rest.substr(0, blank));
            rest.erase(0, blank + 1);
        } else {
            words.push_back(rest.substr(0, mark) + std::string(kBreakMark));
            rest.erase(0, mark + kBreakMark.size());
        }
    }
}

}  // namespace

void DivideString(std::int16_t NDivided, const rt::Variant& StrID, rt::VArray& DividedString)
{
    if (NDivided < 1) RaiseArgumentError(9, HALVEX_MEMBER(ClsValmor, DivideString), "NDivided");
    const std::string text = textLib().GetText(StrID);
    std::vector<std::string> words = splitWords(text);

    DividedString = rt::VArray(rt::VarType::String);
    DividedString.redim(0, NDivided);

    while (words.size() > static_cast<std::size_t>(NDivided)) {
        std::size_t best = 0;
        std::int16_t bestCost = 0;
        for (std::size_t j = 0; j + 1 < words.size(); ++j) {
            const std::int16_t cost = mergeCost(words[j], words[j + 1]);
            if (j == 0 || cost < bestCost) {
                best = j;
                bestCost = cost;
            }
        }
        words[best] = merged(words[best], words[best + 1]);
        words.erase(words.begin() + static_cast<std::ptrdiff_t>(best) + 1);
    }

    for (std::size_t i = 0; i < words.size(); ++i) {
        std::string line = words[i];
        const auto mark = line.find(kBreakMark);
        if (mark != std::string::npos)
            line = line.substr(0, mark) + "-";
        DividedString.at(static_cast<std::int32_t>(i + 1)) = line;
    }
}

}  // namespace halvex
