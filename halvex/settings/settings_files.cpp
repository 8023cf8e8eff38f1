#include "halvex/settings/settings_files.h"

#include <cmath>
#include <functional>

#include "halvex/interface/enums.h"
#include "halvex/services/file_kind.h"
#include "halvex/services/library_files.h"
#include "halvex/services/library_state.h"
#include "halvex/services/messages.h"
#include "halvex/services/units.h"
#include "halvex/services/user_files.h"
#include "halvex/settings/settings_state.h"
#include "outside/quillon/language_text.h"
#include "platform/forms/ui_thread.h"
#include "platform/runtime/datachannel.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/textfile.h"

namespace halvex {

namespace {

constexpr std::int32_t kPalette[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                       0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                       0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};

template <class T, class V>
void setItem(std::vector<T>& array, std::size_t item, V value)
{
    if (item >= 1 && item < array.size()) array[item] = static_cast<T>(value);
}

std::size_t itemCount(std::size_t size) { return size > 0 ? size - 1 : 0; }

// The path of the family's file ("" when the program kind has none, with
// CurrentFilePath then the folder's). Read from the user's copy, else the default in
// the program folder; written to the user's folder (user_files.h).
std::string settingsPath(SettingsFamily family, bool forWriting)
{
    const std::string name = SettingsFileName(family, libraryState().ProgramKind);
    const std::string& folder = RefreshSettingsDir();
    libraryState().CurrentFilePath = folder + name;
    if (name.empty()) return std::string();
    return forWriting ? UserFileToWrite(name) : UserFileToRead(name);
}

// The reading procedure: false when the defaults must apply. Each record
// ends its line: a value left over (a decimal comma shifts every later
// record) refuses the file.
bool readFile(SettingsFamily family, std::size_t count,
              const std::function<void(rt::TextReader&, std::size_t)>& readRecord)
{
    const std::string path = settingsPath(family, false);
    if (path.empty()) return false;
    return ReadLibraryFile(path, [&](rt::TextReader& reader) {
        for (std::size_t k = 1; k <= count; ++k) {
            readRecord(reader, k);
            if (reader.atLineStart()) continue;
            const rt::Variant record(static_cast<std::int32_t>(k));
            rt::raise(13, textLib().GetText(rt::Variant(quillon::TextNo(140323)), {rt::Variant("|1"), record}));
        }
    });
}

// The writing procedure: the records go to "<file>.tmp", renamed over the
// file after a clean close.
bool writeFile(SettingsFamily family, std::size_t count, const std::function<void(rt::TextWriter&, std::size_t)>& writeRecord)
{
    const std::string path = settingsPath(family, true);
    if (path.empty()) return true;
    return WriteLibraryFile(path, [&](rt::TextWriter& writer) {
        for (std::size_t k = 1; k <= count; ++k) writeRecord(writer, k);
    });
}

// Items whose value read back lies outside its range take the item's
// default: `defaults` is the array as it came in with the family's defaults
// applied, so an item without a default keeps the caller's value.
template <class T, class Valid>
void replaceOutOfRange(std::vector<T>& values, const std::vector<T>& defaults, Valid valid)
{
    for (std::size_t k = 1; k < values.size() && k < defaults.size(); ++k) {
        if (!valid(static_cast<T>(values[k]))) values[k] = defaults[k];
    }
}

bool finiteAtLeast(float value, float least) { return std::isfinite(value) && value >= least; }
bool isColorValue(std::int32_t value) { return value >= 0 && value <= 0xFFFFFF; }

}  // namespace

SettingsWorkingState& settingsState()
{
    forms::requireUiThread();
    static SettingsWorkingState state;
    return state;
}

std::string SettingsFileName(SettingsFamily family, std::int32_t kind)
{
    const bool graphic = kind == 1 || kind == 2;
    const bool boring = kind == 9 || kind == 10;
    switch (family) {
        case SettingsFamily::Line:
            return graphic ? "lineform.gra" : kind == 4 ? "lineform.sec" : boring ? "lineform.bor" : "";
        case SettingsFamily::Paint:
            return graphic ? "paint.gra" : boring ? "paint.bor" : "";
        case SettingsFamily::Ordinate:
            return graphic ? "ordinate.gra" : kind == 4 ? "ordinate.sec" : boring ? "ordinate.bor" : "";
        case SettingsFamily::Font:
            switch (kind) {
                case 1: return "font.dat";
                case 2: return "font.gra";
                case 3: return "font.lst";
                case 4: return "font.sec";
                default: return boring ? "font.bor" : "";
            }
        case SettingsFamily::Display:
            return kind == 1 ? "nodispla.dat" : kind == 2 ? "nodispla.gra" : boring ? "nodispla.bor" : "";
    }
    return "";
}

const std::string& RefreshSettingsDir()
{
    LibraryState& state = libraryState();
    state.SettingsDir = AddBackslash(ApplicationPath());
    return state.SettingsDir;
}

std::int32_t PaletteColor(std::int32_t index)
{
    return index >= 0 && index < 16 ? kPalette[index] : 0;
}

std::string FontNameField(const std::string& faceName)
{
    const bool quoted = faceName.find_first_of(",\"") != std::string::npos ||
                        (!faceName.empty() && (faceName.front() == ' ' || faceName.front() == '\t' ||
                                               faceName.back() == ' ' || faceName.back() == '\t'));
    if (!quoted) return faceName;
    std::string field = "\"";
    for (char c : faceName) field += c == '"' ? std::string("\"\"") : std::string(1, c);
    return field + "\"";
}

// ---- reading ----

void ReadLineFile(LineArrays a)
{
    std::vector<std::int32_t> colors = a.colors, styles = a.styles;
    std::vector<float> widths = a.widths;
    DefaultLineSettings({colors, styles, widths});
    const bool read = readFile(SettingsFamily::Line, itemCount(a.colors.size()), [&](rt::TextReader& r, std::size_t k) {
        const std::int32_t color = r.readLong();
        const std::int32_t style = r.readLong();
        const float width = r.readSingle();
        setItem(a.colors, k, color);
        setItem(a.styles, k, style);
        setItem(a.widths, k, width);
    });
    if (!read) {
        DefaultLineSettings(a);
        return;
    }
    replaceOutOfRange(a.colors, colors, [](std::int32_t c) { return c >= 0 && c <= 15; });
    replaceOutOfRange(a.styles, styles, [](std::int32_t s) { return s >= 1 && s <= 5; });
    replaceOutOfRange(a.widths, widths, [](float w) { return finiteAtLeast(w, 0.0f); });
}

namespace {

// A settings file of one value per item: read into `values`; the family's
// defaults when the file is missing or refused, and for each item read back
// out of range.
template <class T, class ReadItem, class Valid>
void readValueList(SettingsFamily family, std::vector<T>& values, void (*setDefaults)(std::vector<T>&), ReadItem readItem,
                   Valid valid)
{
    std::vector<T> defaults = values;
    setDefaults(defaults);
    const bool read = readFile(family, itemCount(values.size()),
                               [&](rt::TextReader& r, std::size_t k) { values[k] = readItem(r); });
    if (!read) {
        setDefaults(values);
        return;
    }
    replaceOutOfRange(values, defaults, valid);
}

}  // namespace

void ReadPaintFile(std::vector<std::int32_t>& colors)
{
    readValueList(SettingsFamily::Paint, colors, DefaultPaintColors, [](rt::TextReader& r) { return r.readLong(); }, isColorValue);
}

void ReadOrdinateFile(std::vector<float>& ordinates)
{
    readValueList(SettingsFamily::Ordinate, ordinates, DefaultOrdinateValues, [](rt::TextReader& r) { return r.readSingle(); },
                  [](float o) { return finiteAtLeast(o, 0.0f); });
}

void ReadFontFile(FontArrays a)
{
    std::vector<std::string> faceNames = a.faceNames;
    std::vector<float> sizes = a.sizes;
    std::vector<std::int32_t> escapements = a.escapements, weights = a.weights, colors = a.colors;
    std::vector<bool> italic = a.italic, underline = a.underline, strikeOut = a.strikeOut;
    DefaultFontSettings({faceNames, sizes, escapements, weights, italic, underline, strikeOut, colors});
    const std::size_t n = itemCount(a.faceNames.size());
    const bool read = readFile(SettingsFamily::Font, n, [&](rt::TextReader& r, std::size_t k) {
        FontSetting f;
        f.faceName = r.readString(rt::TextReader::QuoteRule::DoubledQuoteIsQuote);
        f.size = r.readSingle();
        f.escapement = r.readLong();
        f.weight = r.readLong();
        f.color = r.readLong();
        f.italic = r.readBool();
        f.underline = r.readBool();
        f.strikeOut = r.readBool();
        setItem(a.faceNames, k, f.faceName);
        setItem(a.sizes, k, f.size);
        setItem(a.escapements, k, f.escapement);
        setItem(a.weights, k, f.weight);
        setItem(a.colors, k, f.color);
        setItem(a.italic, k, f.italic);
        setItem(a.underline, k, f.underline);
        setItem(a.strikeOut, k, f.strikeOut);
    });
    if (!read) {
        DefaultFontSettings(a);
        return;
    }
    replaceOutOfRange(a.sizes, sizes, [](float size) { return std::isfinite(size) && size > 0.0f; });
    replaceOutOfRange(a.weights, weights, [](std::int32_t w) { return w >= 0 && w <= 1000; });
    replaceOutOfRange(a.colors, colors, isColorValue);
}

void ReadDisplayFile(std::vector<bool>& flags)
{
    const bool read = readFile(SettingsFamily::Display, itemCount(flags.size()),
                               [&](rt::TextReader& r, std::size_t k) { flags[k] = r.readBool(); });
    if (!read) DefaultDisplayValues(flags);
}

// ---- defaults ----

void DefaultLineSettings(LineArrays a)
{
    for (std::size_t k = 1; k <= itemCount(a.colors.size()); ++k) {
        setItem(a.colors, k, 1);
        setItem(a.styles, k, 1);
        setItem(a.widths, k, 0.5f);
    }
}

void DefaultPaintColors(std::vector<std::int32_t>& c)
{
    const std::int32_t kind = libraryState().ProgramKind;
    if (kind == 1 || kind == 2) {
        const std::int32_t first[] = {0x0000FF, 0xFF0000, 0xFF0000, 0xFF0000, 0x0000FF, 0x00FF00,
                                      0xFF0000, 0xFF0000, 0x0000FF, 0xFF0000, 0x0000FF};
        for (std::size_t k = 1; k <= 11; ++k) setItem(c, k, first[k - 1]);
        for (std::size_t start : {11, 25, 39, 53, 67}) {
            for (std::size_t j = 1; j <= 13; ++j) setItem(c, start + j, PaletteColor(static_cast<std::int32_t>(j)));
            setItem(c, start + 14, PaletteColor(14));
        }
    } else if (kind == 9 || kind == 10) {
        setItem(c, 1, 0xFF0000);
        setItem(c, 2, 0x000000);
        setItem(c, 3, 0xFF0000);
        if (kind == 10) {
            setItem(c, 4, 0xFF0000);
        } else {
            setItem(c, 4, 0x00FF00);
            setItem(c, 5, 0xFF0000);
            setItem(c, 6, 0x0000FF);
        }
    }
}

void DefaultOrdinateValues(std::vector<float>& o)
{
    const std::int32_t kind = libraryState().ProgramKind;
    if (kind == 1 || kind == 2) {
        for (std::size_t k = 1; k <= itemCount(o.size()); ++k) o[k] = 10.0f;
        for (std::size_t k : {2, 6, 9, 14}) setItem(o, k, 2.0f);
        setItem(o, 10, 3.0f);
        setItem(o, 7, 4.0f);
        setItem(o, 4, 5.0f);
        setItem(o, 5, 5.0f);
    } else if (kind == 4) {
        setItem(o, 1, 2.0f);
        setItem(o, 2, 100.0f);
    } else if (kind == 9 || kind == 10) {
        setItem(o, 2, 20.0f);
        setItem(o, 3, 2.0f);
        setItem(o, 5, 4.0f);
        setItem(o, 6, 40.0f);
        if (kind == 10) setItem(o, 7, 4.0f);
    }
}

void DefaultFontSettings(FontArrays a)
{
    std::string face;
    try {
        face = textLib().GetText(rt::Variant(quillon::TextNo(160017)));
    } catch (const rt::RuntimeError&) {
    }
    const std::size_t n = itemCount(a.faceNames.size());
    for (std::size_t k = 1; k <= n; ++k) {
        setItem(a.faceNames, k, face);
        setItem(a.sizes, k, 3.0f);
        setItem(a.escapements, k, 0);
        setItem(a.weights, k, 400);
        setItem(a.italic, k, false);
        setItem(a.underline, k, false);
        setItem(a.strikeOut, k, false);
        setItem(a.colors, k, 0);
    }
    if (libraryState().ProgramKind == 3) setItem(a.sizes, 1, 10.0f);
    if (n != 1) {
        setItem(a.sizes, 2, 4.0f);
        setItem(a.italic, 2, true);
        setItem(a.sizes, 3, 4.0f);
        setItem(a.weights, 3, 700);
    }
}

void DefaultDisplayValues(std::vector<bool>& flags)
{
    for (std::size_t k = 1; k < flags.size(); ++k) flags[k] = true;
}

// ---- writing ----

bool WriteLineFile()
{
    const SettingsWorkingState& s = settingsState();
    return writeFile(SettingsFamily::Line, itemCount(s.SettingColors.size()), [&](rt::TextWriter& w, std::size_t k) {
        w.writeValues(s.SettingColors[k], s.SettingLineStyles[k], s.SettingLineWidths[k]);
    });
}

bool WritePaintFile()
{
    const SettingsWorkingState& s = settingsState();
    return writeFile(SettingsFamily::Paint, itemCount(s.SettingColors.size()),
                     [&](rt::TextWriter& w, std::size_t k) { w.writeValues(s.SettingColors[k]); });
}

bool WriteOrdinateFile()
{
    const SettingsWorkingState& s = settingsState();
    return writeFile(SettingsFamily::Ordinate, itemCount(s.SettingOrdinates.size()),
                     [&](rt::TextWriter& w, std::size_t k) { w.writeValues(s.SettingOrdinates[k]); });
}

bool WriteFontFile()
{
    const SettingsWorkingState& s = settingsState();
    return writeFile(SettingsFamily::Font, itemCount(s.SettingFontFaceNames.size()), [&](rt::TextWriter& w, std::size_t k) {
        w.printLine(FontNameField(s.SettingFontFaceNames[k]));
        w.writeValues(s.SettingFontSizes[k]);
        w.writeValues(s.SettingFontEscapements[k], s.SettingFontWeights[k], s.SettingFontColors[k]);
        w.writeValues(static_cast<bool>(s.SettingFontItalic[k]), static_cast<bool>(s.SettingFontUnderline[k]),
                      static_cast<bool>(s.SettingFontStrikeOut[k]));
    });
}

bool WriteDisplayFile()
{
    const SettingsWorkingState& s = settingsState();
    return writeFile(SettingsFamily::Display, itemCount(s.SettingDisplayFlags.size()),
                     [&](rt::TextWriter& w, std::size_t k) { w.writeValues(static_cast<bool>(s.SettingDisplayFlags[k])); });
}

}  // namespace halvex
