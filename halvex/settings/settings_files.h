// The graphic settings files: one small text file per family (lines, fill
// colours, ordinates, fonts, display values) and program kind, read from
// the user's settings folder when saved there, else the default in the
// library's folder (SettingsDir), and written to the user's folder. Records hold items 1 to N and nothing
// else; docs/file-formats.md gives the layout.
//
// Reading never fails towards the host: a missing file gives the defaults
// silently; a file that cannot be opened, is short or holds a bad field is
// reported with the library's error message, then the defaults apply.
//
// Writing goes to "<file>.tmp" beside the file, which is renamed over the
// file only after a clean close; on a failure the temporary file goes, the
// old file stays, the error is reported and false comes back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace halvex {

enum class SettingsFamily { Line, Paint, Ordinate, Font, Display };

// The file name of a family for a program kind; "" when the kind has none.
std::string SettingsFileName(SettingsFamily family, std::int32_t programKind);
// SettingsDir set afresh from the library's folder; returns it.
const std::string& RefreshSettingsDir();

// The sixteen-colour palette (index -> 0x00BBGGRR).
std::int32_t PaletteColor(std::int32_t index);

// The font record of one item.
struct FontSetting {
    std::string faceName;
    float size = 0.0f;
    std::int32_t escapement = 0;
    std::int32_t weight = 0;
    std::int32_t color = 0;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
};

// The host's arrays of each family (1-based; N = size - 1).
struct LineArrays {
    std::vector<std::int32_t>& colors;
    std::vector<std::int32_t>& styles;
    std::vector<float>& widths;
};
struct FontArrays {
    std::vector<std::string>& faceNames;
    std::vector<float>& sizes;
    std::vector<std::int32_t>& escapements;
    std::vector<std::int32_t>& weights;
    std::vector<bool>& italic;
    std::vector<bool>& underline;
    std::vector<bool>& strikeOut;
    std::vector<std::int32_t>& colors;
};

// Readers: the host's arrays from the file of the current program kind.
void ReadLineFile(LineArrays arrays);
void ReadPaintFile(std::vector<std::int32_t>& colors);
void ReadOrdinateFile(std::vector<float>& ordinates);
void ReadFontFile(FontArrays arrays);
void ReadDisplayFile(std::vector<bool>& flags);

// The defaults of each family; an item beyond the array is skipped.
void DefaultLineSettings(LineArrays arrays);
void DefaultPaintColors(std::vector<std::int32_t>& colors);
void DefaultOrdinateValues(std::vector<float>& ordinates);
void DefaultFontSettings(FontArrays arrays);
void DefaultDisplayValues(std::vector<bool>& flags);

// Writers of the dialogs' Save buttons, from the working state. True when
// the file was written, or when the kind has no file of the family.
bool WriteLineFile();
bool WritePaintFile();
bool WriteOrdinateFile();
bool WriteFontFile();
bool WriteDisplayFile();

// The face name as a font record holds it: quoted only when it holds a
// comma or begins or ends with a blank or tab.
std::string FontNameField(const std::string& faceName);

}  // namespace halvex
