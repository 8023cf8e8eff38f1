// ClsShowDialog: the library's dialog facade. A host shows a file dialog in
// one call, with the library's filters, flags and centring applied.
//
// Every dialog member creates a fresh cCommonDialog, shows the dialog
// hooked (so it is centred over the owner window as it opens) and releases
// the dialog object on every path. Its result is True when the user
// cancelled or the call failed, False when the user confirmed and the
// results were copied out; the by-reference arguments are written only on
// a False result. Errors are reported with the library's error message,
// after the member's name ("ClsShowDialog.ShowColorDialog: ..."), and give
// True; nothing is raised to the host. Members are called on the UI
// thread only (forms::WrongThreadError otherwise, cls_valmor.h).
//
// The font, colour, printer and page dialogs work on the library's current
// font and on the caller's printer device context, which a member that
// replaces it deletes first. Margins are arrays with the elements 1 to 4
// (left, right, top, bottom) in centimetres.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/runtime/errors.h"
#include "platform/runtime/variant.h"

namespace halvex {

class cCommonDialog;

// The host's graphic that CopyWMFile copies: its window and title.
class GraphicObject {
public:
    virtual ~GraphicObject() = default;
    virtual std::int32_t hwnd() const = 0;
    virtual std::string Caption() const = 0;
};

class ClsShowDialog {
public:
    ClsShowDialog();
    ~ClsShowDialog();
    ClsShowDialog(const ClsShowDialog&) = delete;
    ClsShowDialog& operator=(const ClsShowDialog&) = delete;

    // The open dialog owned by MeHwnd, starting in DataDir, for the
    // patterns ("*.PO1", ...) of FileExtentions, an array of any lower
    // bound. A list of two or more patterns gets a heading entry of them
    // all and the default extension of its element 0. The chosen file must
    // end in the extension of one of the patterns (letter case ignored).
    // False: CompleteFileName the chosen path, UserDir its folder with its
    // separator, UserProda the name without its extension.
    bool ShowOpenDialog(std::int32_t MeHwnd, std::string& CompleteFileName, const std::string& DataDir,
                        std::string& UserDir, std::string& UserProda, rt::VArray& FileExtentions);
    // The save dialog owned by MeHwnd, starting in DataDir, proposing the
    // name UserProda, for the bare extensions ("WMF", ...) of
    // FileExtentions; the default extension is its element 0. False: the
    // three strings as for ShowOpenDialog.
    bool ShowSaveFile(std::int32_t MeHwnd, std::string& CompleteFileName, const std::string& DataDir,
                      std::string& UserDir, std::string& UserProda, rt::VArray& FileExtentions);
    // Splits a path at its last "/" or "\": UserDir the folder with that
    // separator ("" without one), UserProda the name without its last four
    // characters (the dot and a three-letter extension); a name shorter than
    // four characters comes back whole. Error 6 for a path of more than
    // 32767 characters.
    void SeparateFileAndDir(const std::string& CompleteFileName, std::string& UserDir, std::string& UserProda);

    // The font dialog on the current font (its size rounded half to even).
    // False: the current font takes the face, size, styles and colour
    // chosen; the weight changes only when bold was switched (700 or 400).
    bool ShowFontDialog(std::int32_t MeHwnd, bool BlnShowSize);
    // The print dialog for the printer stored under AppTitle. False: the
    // dialog gave a device context, which replaces PrinterHDc, and MinMargin
    // holds that printer's unprintable border (Margin is not changed).
    bool ShowPrinterDialog(std::int32_t MeHwnd, std::int32_t& PrinterHDc, const std::string& AppTitle,
                           rt::VArray& MinMargin, rt::VArray& Margin);
    // The printer set-up dialog (its own caption, an OK button); as
    // ShowPrinterDialog.
    bool ShowPrinterSetup(std::int32_t MeHwnd, std::int32_t& PrinterHDc, const std::string& AppTitle,
                          rt::VArray& MinMargin, rt::VArray& Margin);
    // The page set-up dialog on the margins. False: PrinterHDc and both
    // arrays come from CreatePrinterDevice with what the dialog stored.
    bool ShowPageSetupDialog(std::int32_t MeHwnd, std::int32_t& PrinterHDc, const std::string& AppTitle,
                             rt::VArray& MinMargin, rt::VArray& Margin);
    // The colour dialog. False: LngColor the colour chosen.
    bool ShowColorDialog(std::int32_t MeHwnd, std::int32_t& LngColor);
    // Sets the current font but its height.
    void SetFontData(const std::string& StrFontFaceNameNew, std::int32_t LngFontEscapementNew,
                     std::int32_t LngFontWeightNew, bool BlnFontItalicOutNew, bool BlnFontUnderlineOutNew,
                     bool BlnFontStrikeOutNew, std::int32_t LngFont_ColorNew);
    // The printable height and width in millimetres between the margins;
    // a device that reports nothing counts as 210 x 290 mm.
    void GetPaperSize(std::int32_t PrinterHDc, rt::VArray& Margin, float& PaperVERTLength, float& PaperHORZLength);
    // Replaces PrinterHDc by a device context for the printer stored under
    // AppTitle (the default printer's when that fails) and fits the stored
    // margins to it.
    void CreatePrinterDevice(std::int32_t& PrinterHDc, const std::string& AppTitle, rt::VArray& MinMargin,
                             rt::VArray& Margin);
    // Plays the metafile MetaFile_hDC into a metafile file the user chooses
    // (TempFile proposes it), or onto the clipboard when TempFile is empty,
    // with the window extent (cx, -cy) and the y axis flipped.
    // TargetDevice_hDC keeps the handle of the closed recording.
    void CopyWMFile(std::string& TempFile, std::int32_t& TargetDevice_hDC, std::int32_t lViewsizeCx,
                    std::int32_t lViewsizeCy, std::int32_t lVieworgX, std::int32_t lVieworgY,
                    std::int32_t MetaFile_hDC, const GraphicObject& ObjGraphic);
    // The order-header dialog. False: the user saved, and the three texts
    // are the edited ones.
    bool ShowAuf(std::string& Auftr, std::string& Datum, std::string& Proj);

private:
    // The InitDialog event of m_cHookDlg: centres the dialog.
    void m_cHookDlg_InitDialog(std::int32_t hDlg);
    // A fresh cCommonDialog in m_cHookDlg with its event connected.
    cCommonDialog& newHookDialog();
    // The error report of the member `member` (ClsShowDialog.<name>), called
    // inside its catch block; a report that cannot be shown does not reach
    // the host either.
    static void reportTrapped(const std::string& member);
    // What every dialog member does around its dialog: False when
    // `confirmed` says the user confirmed, else True; an error is reported
    // and gives True; the dialog object is released on every path.
    bool runTrapped(const std::string& member, const std::function<bool()>& confirmed);
    // What every file-dialog member does around its dialog: `show` sets up
    // and shows the hooked dialog and tells whether a file was taken; then
    // the three strings are filled in (False), else True. Errors are
    // reported and give True; the dialog object is released on every path.
    bool runFileDialog(const std::string& member, std::string& CompleteFileName, std::string& UserDir,
                       std::string& UserProda, const std::function<bool()>& show);

    // The print and printer set-up dialogs alike: `flags` for the dialog.
    bool runPrinterDialog(const std::string& member, std::int32_t MeHwnd, std::int32_t& PrinterHDc,
                          const std::string& AppTitle, rt::VArray& MinMargin, std::int32_t flags);

    std::unique_ptr<cCommonDialog> m_cHookDlg;
};

}  // namespace halvex
