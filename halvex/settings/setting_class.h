// SettingClass: the graphic settings of the family's programs. For each of
// five families (lines, fill colours, ordinates, fonts, display values) a
// Read member fills the host's arrays from the family's settings file
// (settings_files.h) and a Show member opens the family's modal dialog on
// them; the host's arrays change only when the user confirmed.
//
// Arrays are 1-based (element 0 unused); N, the number of items, is the
// size of the first array less one. Every member reports its own errors
// with the library's error message and always succeeds towards the host;
// after an error of a Show member the host's arrays are as they came in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "halvex/settings/settings_files.h"

namespace halvex {

class SettingClass {
public:
    void ShowLineSetting(std::vector<std::int32_t>& color_Value, std::vector<std::int32_t>& Style_Line,
                         std::vector<float>& Thickness_Line);
    void ReadLineSetting(std::vector<std::int32_t>& color_Value, std::vector<std::int32_t>& Style_Line,
                         std::vector<float>& Thickness_Line);
    void ShowPaintSetting(std::vector<std::int32_t>& color_Value);
    void ReadPaintSetting(std::vector<std::int32_t>& color_Value);
    void ShowOrdinateSetting(std::vector<float>& SngOrdinateVal);
    void ReadOrdinateSetting(std::vector<float>& SngOrdinateVal);
    void ShowFontSetting(std::vector<std::string>& StrFontFaceName, std::vector<float>& SngFontSize,
                         std::vector<std::int32_t>& LngFontEscapement, std::vector<std::int32_t>& LngFontWeight,
                         std::vector<bool>& BlnFontItalicOut, std::vector<bool>& BlnFontUnderlineOut,
                         std::vector<bool>& BlnFontStrikeOut, std::vector<std::int32_t>& LngFont_Color,
                         const bool* FontNameFlagInput = nullptr);
    void ReadFontSetting(std::vector<std::string>& StrFontFaceName, std::vector<float>& SngFontSize,
                         std::vector<std::int32_t>& LngFontEscapement, std::vector<std::int32_t>& LngFontWeight,
                         std::vector<bool>& BlnFontItalicOut, std::vector<bool>& BlnFontUnderlineOut,
                         std::vector<bool>& BlnFontStrikeOut, std::vector<std::int32_t>& LngFont_Color);
    void ShowDisplayVal(std::vector<bool>& BlnDisplayVal);
    void ReadDisplayVal(std::vector<bool>& BlnDisplayVal);
};

// The item names of a family for the current program kind, items 1 to n
// (names beyond n are skipped; items without a name stay ""). Exposed for
// the tests.
std::vector<std::string> SettingItemNamesFor(SettingsFamily family, std::int32_t programKind, std::size_t n);

}  // namespace halvex
