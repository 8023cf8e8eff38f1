// The desktop's common dialogs: choosing a file to open or to save, a
// colour, a font or a folder. A small backend shows them: the program
// installs the Qt one (forms/qt/common_dialogs_qt.h); headless, a stand-in
// hands every dialog to the driver a test registered (scripted_dialogs.h).
//
// The records are those of the desktop's dialog functions in C++ form:
// texts are UTF-8, a filter and a multiple selection keep their NUL
// separators, flags keep the functions' bit values. A dialog function
// answers 1 when the user confirmed, 0 when the user cancelled and -1 when
// the dialog failed; extendedError() then gives the reason (the functions'
// codes, e.g. 12291 for a buffer that is too small).
//
// Hooks: a record with a hook and its enable-hook bit set tells the hook
// what happens while its dialog is open (CommonDialogHook). Dialog
// templates have no equivalent here; their bits are ignored.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/forms/win.h"

namespace forms {

// Flag bits and codes of the dialog functions that the backends read or
// write (the library publishes the full lists).
namespace dlg {
// Open and save dialogs.
inline constexpr std::int32_t OFN_READONLY = 0x1;
inline constexpr std::int32_t OFN_OVERWRITEPROMPT = 0x2;
inline constexpr std::int32_t OFN_HIDEREADONLY = 0x4;
inline constexpr std::int32_t OFN_ENABLEHOOK = 0x20;
inline constexpr std::int32_t OFN_ALLOWMULTISELECT = 0x200;
inline constexpr std::int32_t OFN_EXTENSIONDIFFERENT = 0x400;
inline constexpr std::int32_t OFN_FILEMUSTEXIST = 0x1000;
inline constexpr std::int32_t OFN_NODEREFERENCELINKS = 0x100000;
// Colour dialog.
inline constexpr std::int32_t CC_RGBINIT = 0x1;
inline constexpr std::int32_t CC_ENABLEHOOK = 0x10;
// Font dialog.
inline constexpr std::int32_t CF_ENABLEHOOK = 0x8;
inline constexpr std::int32_t CF_INITTOLOGFONTSTRUCT = 0x40;
inline constexpr std::int32_t CF_EFFECTS = 0x100;
inline constexpr std::int32_t CF_LIMITSIZE = 0x2000;
inline constexpr std::int32_t CF_FIXEDPITCHONLY = 0x4000;
inline constexpr std::int32_t CF_SCALABLEONLY = 0x20000;
inline constexpr std::int32_t CF_TTONLY = 0x40000;
inline constexpr std::int32_t BOLD_FONTTYPE = 0x100;
inline constexpr std::int32_t ITALIC_FONTTYPE = 0x200;
inline constexpr std::int32_t REGULAR_FONTTYPE = 0x400;
inline constexpr std::int32_t SCREEN_FONTTYPE = 0x2000;
// Notifications of a file dialog to its hook.
inline constexpr std::int32_t CDN_SELCHANGE = -602;
inline constexpr std::int32_t CDN_FOLDERCHANGE = -603;
inline constexpr std::int32_t CDN_FILEOK = -606;
inline constexpr std::int32_t CDN_TYPECHANGE = -607;
// Buttons reported to the hook of a colour or font dialog.
inline constexpr std::int32_t IDOK = 1;
inline constexpr std::int32_t IDCANCEL = 2;
// Controls of the font dialog: the size label and the size box.
inline constexpr std::int32_t FONT_SIZE_LABEL = 1090;
inline constexpr std::int32_t FONT_SIZE_BOX = 1138;
// Extended errors.
inline constexpr std::int32_t CDERR_DIALOGFAILURE = -1;
inline constexpr std::int32_t CFERR_MAXLESSTHANMIN = 8194;
inline constexpr std::int32_t FNERR_BUFFERTOOSMALL = 12291;
inline constexpr std::int32_t PDERR_NODEFAULTPRN = 4104;
// Print dialog.
inline constexpr std::int32_t PD_SELECTION = 0x1;
inline constexpr std::int32_t PD_PAGENUMS = 0x2;
inline constexpr std::int32_t PD_NOSELECTION = 0x4;
inline constexpr std::int32_t PD_NOPAGENUMS = 0x8;
inline constexpr std::int32_t PD_COLLATE = 0x10;
inline constexpr std::int32_t PD_PRINTTOFILE = 0x20;
inline constexpr std::int32_t PD_PRINTSETUP = 0x40;
inline constexpr std::int32_t PD_RETURNDC = 0x100;
inline constexpr std::int32_t PD_ENABLEPRINTHOOK = 0x1000;
inline constexpr std::int32_t PD_ENABLESETUPHOOK = 0x2000;
inline constexpr std::int32_t PD_USEDEVMODECOPIES = 0x40000;
inline constexpr std::int32_t PD_DISABLEPRINTTOFILE = 0x80000;
inline constexpr std::int32_t PD_HIDEPRINTTOFILE = 0x100000;
// Page set-up dialog.
inline constexpr std::int32_t PSD_MINMARGINS = 0x1;
inline constexpr std::int32_t PSD_MARGINS = 0x2;
inline constexpr std::int32_t PSD_INTHOUSANDTHSOFINCHES = 0x4;
inline constexpr std::int32_t PSD_INHUNDREDTHSOFMILLIMETERS = 0x8;
inline constexpr std::int32_t PSD_DISABLEMARGINS = 0x10;
inline constexpr std::int32_t PSD_DISABLEPRINTER = 0x20;
inline constexpr std::int32_t PSD_DISABLEORIENTATION = 0x100;
inline constexpr std::int32_t PSD_DISABLEPAPER = 0x200;
inline constexpr std::int32_t PSD_ENABLEPAGESETUPHOOK = 0x2000;
}  // namespace dlg

// What a running dialog tells its hook. The handle passed is the window
// the hook owns: for a file dialog a child window of the visible dialog
// (CommonDialogs::parentWindow gives the dialog), for a colour or font
// dialog the dialog itself.
//
// A file dialog raises initDialog, notify and destroy; a colour or font
// dialog raises initDialog, command and destroy. Nothing on this platform
// raises command in a file dialog: its hook window has no controls of its
// own, as there are no dialog templates.
class CommonDialogHook {
public:
    virtual ~CommonDialogHook() = default;
    // The dialog and its controls exist; it is not yet visible.
    virtual void initDialog(std::int32_t hDlg) = 0;
    // A file dialog's notification (dlg::CDN_...). For CDN_FILEOK, sent
    // when the user confirmed a valid choice, a non-zero answer refuses the
    // choice and the dialog stays open.
    virtual std::int32_t notify(std::int32_t hDlg, std::int32_t code) = 0;
    // A button of a colour or font dialog was pressed, or the dialog was
    // closed (as IDCANCEL): wParam the button's identifier, lParam its
    // window (0: the buttons have no handle of their own).
    virtual void command(std::int32_t hDlg, std::int32_t wParam, std::int32_t lParam) = 0;
    // The dialog is closing; it has its result.
    virtual void destroy(std::int32_t hDlg) = 0;
};

// An open or save dialog.
struct OpenFileRecord {
    std::int32_t hwndOwner = 0;  // 0: no owner
    // Entries of a display text and a pattern list ("*.PO1;*.PO2"), each
    // text followed by NUL; an empty text ends the list.
    std::string filter;
    // In: the entry shown first, from 1 (out of range: the first). Out:
    // the entry in use when the user confirmed.
    std::int32_t filterIndex = 1;
    // In: the proposed name (up to its first NUL). Out: the chosen path,
    // or for a multiple selection of several files the folder and the
    // names, each followed by NUL, and a closing NUL.
    std::string file;
    // Characters that file may take, its closing NULs included.
    std::int32_t maxFile = 0;
    // Out: the chosen file's name without its folder (single selection).
    std::string fileTitle;
    std::int32_t maxFileTitle = 0;
    std::string initialDir;
    std::string title;  // "": the dialog's own title
    // In: dlg::OFN_ bits. Out: the same, with OFN_EXTENSIONDIFFERENT set
    // when the chosen name's extension is not defExt.
    std::int32_t flags = 0;
    // Extension given to a typed name that has none (no dot).
    std::string defExt;
    CommonDialogHook* hook = nullptr;  // used with OFN_ENABLEHOOK
};

// A colour dialog.
struct ChooseColorRecord {
    std::int32_t hwndOwner = 0;
    std::int32_t rgbResult = 0;                 // in (CC_RGBINIT) and out: 0x00BBGGRR
    std::array<std::int32_t, 16> custColors{};  // the dialog's custom colours, in and out
    std::int32_t flags = 0;
    CommonDialogHook* hook = nullptr;  // used with CC_ENABLEHOOK
};

// The logical-font record of the font dialog (60 bytes in the desktop's
// layout). The face name is UTF-8, NUL-padded; a name of 32 bytes or more
// is cut at a whole character before the 32nd byte.
struct LOGFONT {
    std::int32_t lfHeight = 0;  // negative: character height in pixels
    std::int32_t lfWidth = 0;
    std::int32_t lfEscapement = 0;
    std::int32_t lfOrientation = 0;
    std::int32_t lfWeight = 0;  // 400 normal, 700 bold
    std::uint8_t lfItalic = 0;
    std::uint8_t lfUnderline = 0;
    std::uint8_t lfStrikeOut = 0;
    std::uint8_t lfCharSet = 0;
    std::uint8_t lfOutPrecision = 0;
    std::uint8_t lfClipPrecision = 0;
    std::uint8_t lfQuality = 0;
    std::uint8_t lfPitchAndFamily = 0;
    std::array<char, 32> lfFaceName{};
};
static_assert(sizeof(LOGFONT) == 60);

// The face name of a LOGFONT, up to its first NUL.
std::string faceNameOf(const LOGFONT& font);
void setFaceName(LOGFONT& font, std::string_view name);

// The character height in pixels of a font size in points on the screen
// (-(points x 20 / twips per pixel), rounded half to even): -13 for 10
// points at 96 pixels per inch.
std::int32_t logFontHeight(double points);

// A font dialog.
struct ChooseFontRecord {
    std::int32_t hwndOwner = 0;
    std::int32_t hDC = 0;        // printer device context, 0: none
    LOGFONT logFont;             // in (CF_INITTOLOGFONTSTRUCT) and out
    std::int32_t iPointSize = 0; // in: size in tenths of a point when positive; out: the chosen size
    std::int32_t flags = 0;
    std::int32_t rgbColors = 0;  // text colour, in and out (CF_EFFECTS)
    std::int32_t nFontType = 0;  // out: dlg::*_FONTTYPE bits
    std::int32_t nSizeMin = 0;   // the sizes offered with CF_LIMITSIZE, points
    std::int32_t nSizeMax = 0;
    CommonDialogHook* hook = nullptr;  // used with CF_ENABLEHOOK
};

struct DEVMODE;
struct DEVNAMES;

// A print (or, with PD_PRINTSETUP, printer set-up) dialog. The device mode
// and names go in and come out by value: in, the printer and settings the
// dialog starts from (none: the default printer's); out, the printer the
// user chose with dmSize 122 and dmDriverExtra 0.
struct PrintDlgRecord {
    std::int32_t hwndOwner = 0;
    std::shared_ptr<DEVMODE> devMode;    // in/out, may be empty
    std::shared_ptr<DEVNAMES> devNames;  // in/out, may be empty
    std::int32_t hDC = 0;                // out with PD_RETURNDC: the printer's device context
    std::int32_t flags = 0;              // in/out: dlg::PD_ bits
    std::uint16_t nFromPage = 0;         // in/out
    std::uint16_t nToPage = 0;
    std::uint16_t nMinPage = 0;
    std::uint16_t nMaxPage = 0;
    std::uint16_t nCopies = 0;           // out: copies when not kept in the device mode
    CommonDialogHook* hook = nullptr;    // used with PD_ENABLEPRINTHOOK / PD_ENABLESETUPHOOK
    // The caption and the accepting button's text of the dialog ("": the
    // toolkit's own); the printer set-up dialog has its own.
    std::string caption;
    std::string acceptText;
};

// A page set-up dialog; margins and the paper size in thousandths of an
// inch (PSD_INTHOUSANDTHSOFINCHES) or hundredths of a millimetre.
struct PageSetupDlgRecord {
    std::int32_t hwndOwner = 0;
    std::shared_ptr<DEVMODE> devMode;
    std::shared_ptr<DEVNAMES> devNames;
    std::int32_t flags = 0;
    win::POINTAPI ptPaperSize;  // out
    win::RECT rtMinMargin;      // in with PSD_MINMARGINS
    win::RECT rtMargin;         // in with PSD_MARGINS, out
    CommonDialogHook* hook = nullptr;  // used with PSD_ENABLEPAGESETUPHOOK
};

// The outcome of a folder choice.
struct FolderResult {
    enum class Outcome {
        Cancelled,
        Chosen,            // a folder of the file system, in `path`
        NoFileSystemPath,  // a place without a file-system path
    };
    Outcome outcome = Outcome::Cancelled;
    std::string path;
};

// The dialogs' backend.
class CommonDialogs {
public:
    virtual ~CommonDialogs() = default;

    // Modal dialogs: 1 confirmed, 0 cancelled, -1 failed (extendedError).
    virtual std::int32_t getOpenFileName(OpenFileRecord& record) = 0;
    virtual std::int32_t getSaveFileName(OpenFileRecord& record) = 0;
    virtual std::int32_t chooseColor(ChooseColorRecord& record) = 0;
    // A font dialog whose CF_LIMITSIZE range is empty fails
    // (CFERR_MAXLESSTHANMIN) without opening.
    virtual std::int32_t chooseFont(ChooseFontRecord& record) = 0;
    // Print and page set-up dialogs; both fail unopened (-1,
    // PDERR_NODEFAULTPRN) when the system has no printer. Their hooks get
    // initDialog, command (the closing button) and destroy.
    virtual std::int32_t printDlg(PrintDlgRecord& record) = 0;
    virtual std::int32_t pageSetupDlg(PageSetupDlgRecord& record) = 0;
    // A modal choice of one existing folder, owned by hwndOwner (0: none),
    // opening at startFolder when that is given and exists.
    virtual FolderResult chooseFolder(std::int32_t hwndOwner, std::string_view title,
                                      std::string_view startFolder = {}) = 0;

    // Why the last dialog function failed; 0 after a confirmed or
    // cancelled dialog.
    std::int32_t extendedError() const { return extendedError_; }

    // Windows of the running dialog, by the handles its hook was given.
    // Unknown handles give 0 / false.
    // The dialog of a file dialog's hook window; the owner of a dialog.
    virtual std::int32_t parentWindow(std::int32_t hWnd) const = 0;
    // Window rectangle in screen pixels.
    virtual bool windowRect(std::int32_t hWnd, win::RECT& rect) const = 0;
    // Moves a dialog without changing its size.
    virtual bool moveWindow(std::int32_t hWnd, std::int32_t x, std::int32_t y) = 0;
    // The control of a dialog with that identifier (dlg::FONT_SIZE_BOX, ...).
    virtual std::int32_t dialogItem(std::int32_t hDlg, std::int32_t id) const = 0;
    // win::SW_HIDE hides, any other command shows; non-zero when the window
    // was visible before.
    virtual std::int32_t showWindow(std::int32_t hWnd, std::int32_t command) = 0;
    // The screen's work area (without panels and task bars), pixels.
    virtual bool workArea(win::RECT& rect) const = 0;

    // Colour `index` of the desktop's colour scheme (0x00BBGGRR); 0 for an
    // index the scheme does not have. The classic scheme unless a backend
    // knows the desktop's own colours.
    virtual std::int32_t systemColor(std::int32_t index) const;

protected:
    void setExtendedError(std::int32_t code) { extendedError_ = code; }
    // False, with PDERR_NODEFAULTPRN as the extended error, when the
    // printer system has no printer.
    bool printerAvailable();

private:
    std::int32_t extendedError_ = 0;
};

// The backend in use (a fresh headless stand-in until one is installed).
CommonDialogs& commonDialogs();
// Installs a backend (nullptr: a fresh headless stand-in); returns the
// previous one.
std::shared_ptr<CommonDialogs> setCommonDialogs(std::shared_ptr<CommonDialogs> backend);

// Handles for the windows of common dialogs: numbers from a range of their
// own, never reused, that the forms' window table does not hand out.
std::int32_t newDialogWindowHandle();

// The colour `index` of the desktop's scheme (COLOR_WINDOW 5, COLOR_BTNFACE
// 15, ...) through the installed backend.
std::int32_t GetSysColor(std::int32_t index);

// An OLE colour as RGB: 0x00BBGGRR stays, 0x800000nn is system colour nn,
// 0x02BBGGRR its RGB part. Returns 0 and sets rgb, or E_INVALIDARG
// (0x80070057) for anything else (palette indices need a palette, and
// there is none).
std::int32_t OleTranslateColor(std::int32_t color, std::int32_t palette, std::int32_t& rgb);

// ---- Helpers shared by the backends ----

// One entry of a filter.
struct FilterItem {
    std::string display;
    std::vector<std::string> patterns;  // "*.PO1", blanks around each removed
};
// The entries of a filter, up to the empty text that ends it (or the end of
// the text). An entry without its pattern list is dropped.
std::vector<FilterItem> parseFilter(std::string_view filter);

// A file name with its default extension: `name` when defExt is empty or
// the name (after its last separator) has a dot, else name + "." + defExt.
std::string withDefaultExtension(const std::string& name, const std::string& defExt);

// Writes a confirmed choice of files (full paths, all in one folder) into
// the record as the desktop's dialog does: `file` the path (one file) or
// the folder and names (several, with OFN_ALLOWMULTISELECT), `fileTitle`
// the name (one file), `filterIndex`, and OFN_EXTENSIONDIFFERENT. Returns 1,
// or -1 with extendedError = FNERR_BUFFERTOOSMALL when the text does not
// fit maxFile / maxFileTitle characters (nothing is written then).
std::int32_t storeFileChoice(OpenFileRecord& record, const std::vector<std::string>& paths,
                             std::int32_t filterIndex, std::int32_t& extendedError);

// A font as the user sees it in the font dialog.
struct FontChoice {
    std::string faceName;
    double pointSize = 10.0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    std::int32_t color = 0;  // 0x00BBGGRR
};
// The font a dialog starts with: from the LOGFONT with
// CF_INITTOLOGFONTSTRUCT (the size from iPointSize when positive, else from
// the height), else a plain 10-point font; the colour from rgbColors.
FontChoice initialFontChoice(const ChooseFontRecord& record);
// Writes a confirmed font into the record: the LOGFONT (height for the
// screen, weight 700 or 400, the style bytes, the face name), iPointSize,
// nFontType and, with CF_EFFECTS, rgbColors.
void storeFontChoice(ChooseFontRecord& record, const FontChoice& choice);

}  // namespace forms
