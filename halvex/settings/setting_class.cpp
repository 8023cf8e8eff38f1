#include "halvex/services/member_name.h"
#include "halvex/settings/setting_class.h"

#include <cmath>
#include <cstddef>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>

#include "halvex/interface/enums.h"
#include "halvex/services/library_state.h"
#include "halvex/services/messages.h"
#include "halvex/settings/settings_dialogs.h"
#include "halvex/settings/settings_state.h"
#include "outside/quillon/language_text.h"
#include "platform/forms/screen.h"
#include "platform/forms/types.h"
#include "platform/runtime/errors.h"

namespace halvex {

namespace {

using quillon::TextNo;

// One name of an item list: a text, optionally followed by a number or by
// ">=" and a number.
struct ItemName {
    std::size_t item;
    std::int32_t text;
    std::string suffix;
};

void addGroup(std::vector<ItemName>& names, std::size_t start, std::int32_t text)
{
    for (std::size_t n = 1; n <= 13; ++n) names.push_back({start + n, text, std::to_string(n)});
    names.push_back({start + 14, text, ">=14"});
}

std::vector<ItemName> plain(std::initializer_list<std::int32_t> texts)
{
    std::vector<ItemName> names;
    std::size_t item = 1;
    for (std::int32_t t : texts) names.push_back({item++, t, ""});
    return names;
}

std::vector<ItemName> lineNames(std::int32_t kind)
{
    switch (kind) {
        case 1:
        case 2:
            return plain({TextNo(140020), TextNo(140021), TextNo(140038), TextNo(80052),  TextNo(140017),
                          TextNo(102),    TextNo(140018), TextNo(140039), TextNo(140027), TextNo(148),
                          TextNo(140040), TextNo(140041), TextNo(140042), TextNo(80004),  TextNo(160012),
                          TextNo(30062),  TextNo(140016), TextNo(147),    TextNo(140022), TextNo(140015),
                          TextNo(140025), TextNo(140026), TextNo(140028), TextNo(140029), TextNo(140030),
                          TextNo(140031), TextNo(140032), TextNo(140033), TextNo(140034), TextNo(120064),
                          TextNo(140035), TextNo(140036), TextNo(10113),  TextNo(160006), TextNo(140037)});
        case 4: {
            std::vector<ItemName> names =
                plain({TextNo(140043), TextNo(140027), TextNo(148), TextNo(147), TextNo(140044)});
            addGroup(names, 5, TextNo(140024));
            return names;
        }
        case 9:
        case 10: {
            std::vector<ItemName> names = plain({TextNo(148), TextNo(140027), TextNo(140023), TextNo(140045),
                                                 TextNo(140046), TextNo(140047), TextNo(140048), TextNo(140049)});
            if (kind == 9) {
                names.push_back({9, TextNo(140019), ""});
            } else {
                names.push_back({9, TextNo(30079), ""});
                names.push_back({10, TextNo(140050), ""});
                names.push_back({11, TextNo(140051), ""});
                names.push_back({12, TextNo(140052), ""});
            }
            return names;
        }
        default: return {};
    }
}

std::vector<ItemName> paintNames(std::int32_t kind)
{
    switch (kind) {
        case 1:
        case 2: {
            std::vector<ItemName> names =
                plain({TextNo(80004), TextNo(160012), TextNo(140053), TextNo(140054), TextNo(140055), TextNo(140056),
                       TextNo(140057), TextNo(120064), TextNo(140063), TextNo(140064), TextNo(160006)});
            // The groups in the order the names were always filled.
            addGroup(names, 11, TextNo(140058));
            addGroup(names, 39, TextNo(140059));
            addGroup(names, 53, TextNo(140060));
            addGroup(names, 25, TextNo(140061));
            addGroup(names, 67, TextNo(140062));
            return names;
        }
        case 9:
            return plain({TextNo(140047), TextNo(140048), TextNo(140049), TextNo(140065), TextNo(140066), TextNo(140067)});
        case 10: return plain({TextNo(140047), TextNo(140048), TextNo(140049), TextNo(140052)});
        default: return {};
    }
}

std::vector<ItemName> ordinateNames(std::int32_t kind)
{
    switch (kind) {
        case 1:
        case 2:
            return plain({TextNo(140080), TextNo(140075), TextNo(140079), TextNo(140082), TextNo(140081),
                          TextNo(140074), TextNo(140076), TextNo(140083), TextNo(140088), TextNo(140089),
                          TextNo(140071), TextNo(140072), TextNo(140070), TextNo(140073), TextNo(140078),
                          TextNo(140077), TextNo(140085), TextNo(140086), TextNo(140084), TextNo(140087)});
        case 4: return plain({TextNo(140068), TextNo(140069)});
        case 9:
            return plain({TextNo(30062), TextNo(140048), TextNo(140049), TextNo(140090), TextNo(140091), TextNo(140092)});
        case 10:
            return plain({TextNo(30062), TextNo(140048), TextNo(140049), TextNo(140090), TextNo(140091), TextNo(140092),
                          TextNo(140093)});
        default: return {};
    }
}

std::vector<ItemName> fontNames(std::int32_t kind)
{
    switch (kind) {
        case 1: return plain({TextNo(140095)});
        case 2: return plain({TextNo(140094), TextNo(96), TextNo(148), TextNo(102), TextNo(147)});
        case 3: return plain({TextNo(140094)});
        case 4: return plain({TextNo(140096), TextNo(96), TextNo(148), TextNo(102), TextNo(147)});
        case 9: return plain({TextNo(140097), TextNo(96), TextNo(148), TextNo(102)});
        case 10: return plain({TextNo(140158), TextNo(96), TextNo(148), TextNo(102)});
        default: return {};
    }
}

std::vector<ItemName> displayNames(std::int32_t kind)
{
    switch (kind) {
        case 1:
            return plain({TextNo(140100), TextNo(160012), TextNo(140015), TextNo(140099), TextNo(140102), TextNo(10030),
                          TextNo(120064)});
        case 2:
            return plain({TextNo(140100), TextNo(160012), TextNo(140015), TextNo(140099), TextNo(140102), TextNo(10030),
                          TextNo(140196), TextNo(147),    TextNo(140101), TextNo(140016), TextNo(140038), TextNo(140017),
                          TextNo(140018), TextNo(80052),  TextNo(140103), TextNo(140104), TextNo(140241), TextNo(140105)});
        case 9:
            return plain({TextNo(30087), TextNo(140106), TextNo(140107), TextNo(140108), TextNo(140049), TextNo(140048),
                          TextNo(140109), TextNo(140019), TextNo(140110)});
        case 10:
            return plain({TextNo(30087), TextNo(140106), TextNo(140107), TextNo(140108), TextNo(140049), TextNo(140048),
                          TextNo(140109)});
        default: return {};
    }
}

// The Show member of a family, as its messages name it.
std::string showMember(SettingsFamily family)
{
    switch (family) {
        case SettingsFamily::Line: return HALVEX_MEMBER(SettingClass, ShowLineSetting);
        case SettingsFamily::Paint: return HALVEX_MEMBER(SettingClass, ShowPaintSetting);
        case SettingsFamily::Ordinate: return HALVEX_MEMBER(SettingClass, ShowOrdinateSetting);
        case SettingsFamily::Font: return HALVEX_MEMBER(SettingClass, ShowFontSetting);
        case SettingsFamily::Display: return HALVEX_MEMBER(SettingClass, ShowDisplayVal);
    }
    return "SettingClass";
}

// The error being handled, reported under the member's name.
void reportTrapped(SettingsFamily family)
{
    ReportMemberErrorQuietly(showMember(family));
}

// A program kind that is no member of MirvaPrograms (0, none set yet,
// included) has no settings: the member is refused, naming it, instead of
// handing back empty arrays without a word.
void requireProgramKind(const std::string& member)
{
    const std::int32_t kind = libraryState().ProgramKind;
    if (kind < 0 || kind > ProgBOHR) RaiseArgumentError(5, member, "MirvaProg");
}

// Arrays of one item each that must be as long as the first: error 5 naming
// the first one that is not.
void requireSameLength(const std::string& member, std::size_t size,
                       std::initializer_list<std::pair<std::size_t, const char*>> others)
{
    for (const auto& [otherSize, name] : others) {
        if (otherSize != size) RaiseArgumentError(5, member, name);
    }
}

// The steps every Show member shares around its family's own ones. `load`
// fills the working arrays from the host (raising before anything of the
// host changes), `show` opens the dialog, `copyBack` writes the working
// arrays into the host's. Errors are reported; the host's arrays then stay.
void runShow(std::size_t arraySize, SettingsFamily family, const std::function<void(std::size_t)>& load,
             const std::function<void()>& show, const std::function<void()>& copyBack)
{
    // The dialogs share one working state: a second one (from a timer of
    // the host, say) while one is open is refused and leaves it alone.
    static bool open = false;
    if (open) {
        try {
            ReportError(5, textLib().GetText(rt::Variant(TextNo(140280))));
        } catch (const rt::RuntimeError&) {
        }
        return;
    }
    open = true;
    struct Closed {
        ~Closed() { open = false; }
    } closed;
    forms::Screen& screen = forms::screen();
    SettingsWorkingState& s = settingsState();
    try {
        screen.MousePointer(forms::vbHourglass);
        requireProgramKind(showMember(family));
        const std::size_t n = arraySize > 0 ? arraySize - 1 : 0;
        s.SettingItemCount = rt::toIntegerChecked(static_cast<long long>(n));
        RefreshSettingsDir();
        s.SettingItemNames = SettingItemNamesFor(family, libraryState().ProgramKind, n);
        libraryState().DialogConfirmed = false;
        load(n);
        show();
        if (libraryState().DialogConfirmed) copyBack();
    } catch (...) {
        reportTrapped(family);
    }
    screen.MousePointer(forms::vbDefault);
    SettingsWorkingState released;
    released.SettingItemCount = s.SettingItemCount;
    released.FontNameChangeable = s.FontNameChangeable;
    s = std::move(released);
}

template <class T, class U>
void copyItems(std::vector<T>& to, const std::vector<U>& from, std::size_t n)
{
    to.assign(n + 1, T{});
    for (std::size_t k = 1; k <= n && k < from.size(); ++k) to[k] = static_cast<T>(from[k]);
}

// copyItems for a measure of the host's: a value that is no finite number
// (NaN, an infinity) is refused naming the member and the argument before
// the dialog opens.
void copyMeasures(std::vector<float>& to, const std::vector<float>& from, std::size_t n, const char* member,
                  const char* argument)
{
    for (std::size_t k = 1; k <= n && k < from.size(); ++k) {
        if (!std::isfinite(from[k])) RaiseArgumentError(6, member, argument + ("(" + std::to_string(k) + ")"));
    }
    copyItems(to, from, n);
}

template <class T, class U>
void copyBackItems(std::vector<T>& host, const std::vector<U>& working)
{
    for (std::size_t k = 1; k < host.size() && k < working.size(); ++k) host[k] = static_cast<T>(working[k]);
}

}  // namespace

std::vector<std::string> SettingItemNamesFor(SettingsFamily family, std::int32_t kind, std::size_t n)
{
    std::vector<ItemName> table;
    switch (family) {
        case SettingsFamily::Line: table = lineNames(kind); break;
        case SettingsFamily::Paint: table = paintNames(kind); break;
        case SettingsFamily::Ordinate: table = ordinateNames(kind); break;
        case SettingsFamily::Font: table = fontNames(kind); break;
        case SettingsFamily::Display: table = displayNames(kind); break;
    }
    std::vector<std::string> names(n + 1);
    for (const ItemName& name : table) {
        if (name.item > n) continue;  // a shorter host array takes the first names only
        names[name.item] = textLib().GetText(rt::Variant(name.text)) + name.suffix;
    }
    return names;
}

void SettingClass::ShowLineSetting(std::vector<std::int32_t>& color_Value, std::vector<std::int32_t>& Style_Line,
                                   std::vector<float>& Thickness_Line)
{
    SettingsWorkingState& s = settingsState();
    runShow(
        color_Value.size(), SettingsFamily::Line,
        [&](std::size_t n) {
            copyItems(s.SettingColors, color_Value, n);
            s.SettingLineStyles.assign(n + 1, 0);
            for (std::size_t k = 1; k <= n && k < Style_Line.size(); ++k)
                s.SettingLineStyles[k] = IntegerArgument(Style_Line[k], HALVEX_MEMBER(SettingClass, ShowLineSetting),
                                                         "Style_Line");
            copyMeasures(s.SettingLineWidths, Thickness_Line, n, HALVEX_MEMBER(SettingClass, ShowLineSetting),
                         "Thickness_Line");
        },
        [] { showLineDialog(); },
        [&] {
            copyBackItems(color_Value, s.SettingColors);
            copyBackItems(Style_Line, s.SettingLineStyles);
            copyBackItems(Thickness_Line, s.SettingLineWidths);
        });
}

void SettingClass::ReadLineSetting(std::vector<std::int32_t>& color_Value, std::vector<std::int32_t>& Style_Line,
                                   std::vector<float>& Thickness_Line)
{
    requireProgramKind(HALVEX_MEMBER(SettingClass, ReadLineSetting));
    requireSameLength(HALVEX_MEMBER(SettingClass, ReadLineSetting), color_Value.size(),
                      {{Style_Line.size(), "Style_Line"}, {Thickness_Line.size(), "Thickness_Line"}});
    ReadLineFile(LineArrays{color_Value, Style_Line, Thickness_Line});
}

void SettingClass::ShowPaintSetting(std::vector<std::int32_t>& color_Value)
{
    SettingsWorkingState& s = settingsState();
    runShow(
        color_Value.size(), SettingsFamily::Paint, [&](std::size_t n) { copyItems(s.SettingColors, color_Value, n); },
        [] { showPaintDialog(); }, [&] { copyBackItems(color_Value, s.SettingColors); });
}

void SettingClass::ReadPaintSetting(std::vector<std::int32_t>& color_Value)
{
    requireProgramKind(HALVEX_MEMBER(SettingClass, ReadPaintSetting));
    ReadPaintFile(color_Value);
}

void SettingClass::ShowOrdinateSetting(std::vector<float>& SngOrdinateVal)
{
    SettingsWorkingState& s = settingsState();
    runShow(
        SngOrdinateVal.size(), SettingsFamily::Ordinate,
        [&](std::size_t n) {
            copyMeasures(s.SettingOrdinates, SngOrdinateVal, n, HALVEX_MEMBER(SettingClass, ShowOrdinateSetting),
                         "SngOrdinateVal");
        },
        [] { showOrdinateDialog(); },
        [&] { copyBackItems(SngOrdinateVal, s.SettingOrdinates); });
}

void SettingClass::ReadOrdinateSetting(std::vector<float>& SngOrdinateVal)
{
    requireProgramKind(HALVEX_MEMBER(SettingClass, ReadOrdinateSetting));
    ReadOrdinateFile(SngOrdinateVal);
}

void SettingClass::ShowFontSetting(std::vector<std::string>& StrFontFaceName, std::vector<float>& SngFontSize,
                                   std::vector<std::int32_t>& LngFontEscapement, std::vector<std::int32_t>& LngFontWeight,
                                   std::vector<bool>& BlnFontItalicOut, std::vector<bool>& BlnFontUnderlineOut,
                                   std::vector<bool>& BlnFontStrikeOut, std::vector<std::int32_t>& LngFont_Color,
                                   const bool* FontNameFlagInput)
{
    SettingsWorkingState& s = settingsState();
    runShow(
        StrFontFaceName.size(), SettingsFamily::Font,
        [&](std::size_t n) {
            s.FontNameChangeable = FontNameFlagInput != nullptr && *FontNameFlagInput;
            copyItems(s.SettingFontFaceNames, StrFontFaceName, n);
            copyMeasures(s.SettingFontSizes, SngFontSize, n, HALVEX_MEMBER(SettingClass, ShowFontSetting),
                         "SngFontSize");
            copyItems(s.SettingFontEscapements, LngFontEscapement, n);
            copyItems(s.SettingFontWeights, LngFontWeight, n);
            copyItems(s.SettingFontItalic, BlnFontItalicOut, n);
            copyItems(s.SettingFontUnderline, BlnFontUnderlineOut, n);
            copyItems(s.SettingFontStrikeOut, BlnFontStrikeOut, n);
            copyItems(s.SettingFontColors, LngFont_Color, n);
        },
        [] { showFontDialog(); },
        [&] {
            copyBackItems(StrFontFaceName, s.SettingFontFaceNames);
            copyBackItems(SngFontSize, s.SettingFontSizes);
            copyBackItems(LngFontEscapement, s.SettingFontEscapements);
            copyBackItems(LngFontWeight, s.SettingFontWeights);
            copyBackItems(BlnFontItalicOut, s.SettingFontItalic);
            copyBackItems(BlnFontUnderlineOut, s.SettingFontUnderline);
            copyBackItems(BlnFontStrikeOut, s.SettingFontStrikeOut);
            copyBackItems(LngFont_Color, s.SettingFontColors);
        });
}

void SettingClass::ReadFontSetting(std::vector<std::string>& StrFontFaceName, std::vector<float>& SngFontSize,
                                   std::vector<std::int32_t>& LngFontEscapement, std::vector<std::int32_t>& LngFontWeight,
                                   std::vector<bool>& BlnFontItalicOut, std::vector<bool>& BlnFontUnderlineOut,
                                   std::vector<bool>& BlnFontStrikeOut, std::vector<std::int32_t>& LngFont_Color)
{
    requireProgramKind(HALVEX_MEMBER(SettingClass, ReadFontSetting));
    requireSameLength(HALVEX_MEMBER(SettingClass, ReadFontSetting), StrFontFaceName.size(),
                      {{SngFontSize.size(), "SngFontSize"}, {LngFontEscapement.size(), "LngFontEscapement"},
                       {LngFontWeight.size(), "LngFontWeight"}, {BlnFontItalicOut.size(), "BlnFontItalicOut"},
                       {BlnFontUnderlineOut.size(), "BlnFontUnderlineOut"}, {BlnFontStrikeOut.size(), "BlnFontStrikeOut"},
                       {LngFont_Color.size(), "LngFont_Color"}});
    ReadFontFile(FontArrays{StrFontFaceName, SngFontSize, LngFontEscapement, LngFontWeight, BlnFontItalicOut,
                            BlnFontUnderlineOut, BlnFontStrikeOut, LngFont_Color});
}

void SettingClass::ShowDisplayVal(std::vector<bool>& BlnDisplayVal)
{
    SettingsWorkingState& s = settingsState();
    runShow(
        BlnDisplayVal.size(), SettingsFamily::Display,
        [&](std::size_t n) { copyItems(s.SettingDisplayFlags, BlnDisplayVal, n); }, [] { showDisplayDialog(); },
        [&] { copyBackItems(BlnDisplayVal, s.SettingDisplayFlags); });
}

void SettingClass::ReadDisplayVal(std::vector<bool>& BlnDisplayVal)
{
    requireProgramKind(HALVEX_MEMBER(SettingClass, ReadDisplayVal));
    ReadDisplayFile(BlnDisplayVal);
}

}  // namespace halvex
