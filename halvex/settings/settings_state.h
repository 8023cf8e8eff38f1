// The working state of the graphic settings dialogs: one set for the
// process, filled by a Show member of SettingClass before its dialog opens
// and read back after it closed. Only one settings dialog is open at a
// time (they are modal). Arrays are 1-based: element 0 is unused.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace halvex {

struct SettingsWorkingState {
    std::int16_t SettingItemCount = 0;
    std::vector<std::string> SettingItemNames;
    // Line colours (palette indices) for the line dialog, fill colours
    // (0x00BBGGRR) for the fill-colour dialog.
    std::vector<std::int32_t> SettingColors;
    std::vector<std::int16_t> SettingLineStyles;
    std::vector<float> SettingLineWidths;
    std::vector<float> SettingOrdinates;
    std::vector<std::string> SettingFontFaceNames;
    std::vector<float> SettingFontSizes;
    std::vector<std::int32_t> SettingFontEscapements;
    std::vector<std::int32_t> SettingFontWeights;
    std::vector<bool> SettingFontItalic;
    std::vector<bool> SettingFontUnderline;
    std::vector<bool> SettingFontStrikeOut;
    std::vector<std::int32_t> SettingFontColors;
    bool FontNameChangeable = false;
    std::vector<bool> SettingDisplayFlags;
};

SettingsWorkingState& settingsState();

}  // namespace halvex
