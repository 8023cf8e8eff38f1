// The library-wide state: one store shared by every object of the library
// in a process. It comes into being zeroed when the library is loaded and
// lasts until it is unloaded; values set through one ClsValmor instance are
// seen by every other one and by the library's own dialogs.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "outside/quillon/language_text.h"
#include "platform/runtime/datachannel.h"
#include "platform/runtime/variant.h"

namespace halvex {

// The library's current font: what the font dialogs start from and leave.
struct CurrentFontRecord {
    float FontHeight = 0.0f;  // points
    std::int32_t FontEscapement = 0;
    std::int32_t FontWeight = 0;  // 700 bold, 400 normal
    bool FontItalicOut = false;
    bool FontUnderlineOut = false;
    bool FontStrikeOut = false;
    std::string FontFaceName;
    std::int32_t Font_Color = 0;  // RGB
};

struct LibraryState {
    // Verdict of the last library dialog: cleared before a dialog is shown,
    // set by its OK or Save handler, read by the caller afterwards.
    bool DialogConfirmed = false;
    // Kind of the file concerned: a text number, a composed text or "".
    rt::Variant FileTypeText;
    // Path of the file being read or written (the "|1" of file messages).
    std::string CurrentFilePath;
    // Kind of the calling program (a MirvaPrograms value, stored unchecked).
    std::int32_t ProgramKind = 0;
    // Full path of the help folder in use (help/<word>_<language>).
    std::string HelpFilePath;
    // Window handle of the last help call, 0 when no help window is known.
    std::int32_t HelpWindowHandle = 0;
    // Text and title of the dialogs' help popup.
    std::string HelpText;
    std::string HelpTitle;
    // The library's program folder with a trailing separator.
    std::string SettingsDir;
    // Help-topic key of the grid and list dialogs.
    std::string DialogHelpTopic;
    // The grid-input dialog: its caption (also the help title), the numbers
    // of data columns and rows (kept between calls), the check and limits
    // of every column (0..C, for the time of a call), the cell texts read
    // back (0..R, 0..C), and the cell its editor was last opened on.
    std::string HeadGrid;
    std::int16_t NoColGrid = 0;
    std::int16_t NoRowGrid = 0;
    rt::VArray GridInputTypes{rt::VarType::Integer};
    rt::VArray GridMaxInput{rt::VarType::Double};
    rt::VArray GridMinInput{rt::VarType::Double};
    rt::VArray GridValues{rt::VarType::Empty};
    std::int32_t GridEditorRow = 0;
    std::int32_t GridEditorCol = 0;
    // Decimal separator of the system for typed numbers (a SystemType:
    // SystemPoint or SystemComma); 0 until it is first needed, when it is
    // taken from the user's locale settings. Tests set it.
    std::int32_t DecimalSystem = 0;
    // The program directory without a trailing separator; "" means the
    // folder of the loaded library. Tests set a folder of their own.
    std::string ApplicationPath;
    // The current font of the font dialogs and the graphic settings.
    CurrentFontRecord CurrentFont;
    // The library's text object, created on first use (textLib()).
    std::unique_ptr<quillon::ClsLanguageText> TextLib;
};

// The one store of the process.
LibraryState& libraryState();

// The library's text object, created on first use and kept while the library
// is loaded.
quillon::ClsLanguageText& textLib();

// The library's own data-file channel ("file number 1" of the library),
// apart from the program's: the library opens, reads and closes its data
// and settings files here, and its error report closes it.
rt::DataChannel& libraryFileChannel();

// Tests only: start again from the zeroed store of a freshly loaded library.
void resetLibraryState();

}  // namespace halvex
