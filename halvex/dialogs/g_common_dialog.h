// GCommonDialog: the library's layer directly over the common dialogs of
// the desktop (platform/forms/common_dialogs.h). Each dialog member fills
// the dialog's record from its arguments, optionally hooks the dialog so
// that its messages reach an event sink (a cCommonDialog) through
// DialogHook, runs the dialog modally, copies the results back into its
// in/out arguments, keeps the dialog function's return value (APIReturn:
// 0 cancelled, 1 confirmed, anything else failed) and extended error, and
// sets the library-wide DialogConfirmed to its result.
//
// The members raise no errors of their own, except error 5 (invalid
// argument) for a Filename or FileTitle longer than its buffer, before the
// dialog opens. Cancelling and failing both give False; they differ in
// APIReturn and ExtendedError.
//
// The print and page set-up members keep the chosen printer (its device
// mode and names) and the page margins per user and application title in
// the settings store ("Device Mode", "Device Name", "Page Margine").
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "halvex/interface/dialog_enums.h"
#include "platform/forms/printing.h"
#include "platform/runtime/variant.h"

namespace halvex {

class cCommonDialog;
class StdFont;

// Characters of the file buffers: a single name may take the platform's
// longest path, a multiple selection 8192 characters.
inline constexpr std::int32_t kFileBuffer = 4096;
inline constexpr std::int32_t kMultiSelectBuffer = 8192;

// Arguments of VBGetOpenFileName2 and VBGetOpenFileName, with their
// defaults; the ones marked in/out come back changed.
struct OpenFileNameArgs {
    std::string Filename;                   // in/out
    std::string FileTitle;                  // in/out
    bool FileMustExist = true;
    bool MultiSelect = false;
    bool ReadOnly = false;                  // in/out
    bool HideReadOnly = false;
    std::string Filter = "All (*.*)| *.*";  // in/out
    std::int32_t FilterIndex = 1;           // in/out
    std::string InitDir;
    std::string DlgTitle;
    std::string DefaultExt;
    std::int32_t Owner = -1;                // -1: no owner window
    std::int32_t Flags = 0;                 // in/out
    bool Hook = false;
    std::int32_t hInstance = 0;
    std::int32_t TemplateName = 0;
    cCommonDialog* EventSink = nullptr;
};

// Arguments of VBGetSaveFileName2 and VBGetSaveFileName.
struct SaveFileNameArgs {
    std::string Filename;                   // in/out
    std::string FileTitle;                  // in/out
    bool OverWritePrompt = true;
    std::string Filter = "All (*.*)| *.*";  // in/out
    std::int32_t FilterIndex = 1;           // in/out
    std::string InitDir;
    std::string DlgTitle;
    std::string DefaultExt;
    std::int32_t Owner = -1;
    std::int32_t Flags = 0;                 // in/out
    bool Hook = false;
    std::int32_t hInstance = 0;
    std::int32_t TemplateName = 0;
    cCommonDialog* EventSink = nullptr;
};

// Arguments of VBChooseColor.
struct ChooseColorArgs {
    std::int32_t Color = 0;  // in/out: RGB; -1 after a cancelled or failed dialog
    bool AnyColor = true;
    bool FullOpen = false;
    bool DisableFullOpen = false;
    std::int32_t Owner = -1;
    std::int32_t Flags = 0;  // not read
    bool Hook = false;
    cCommonDialog* EventSink = nullptr;
};

// Arguments of VBChooseFont besides the font itself.
struct ChooseFontArgs {
    std::int32_t PrinterDC = -1;  // in/out
    std::int32_t Owner = -1;
    std::int32_t Color = 0;       // in/out: text colour (RGB)
    std::int32_t MinSize = 0;
    std::int32_t MaxSize = 0;
    std::int32_t Flags = 0;       // in/out
    bool Hook = false;
    cCommonDialog* EventSink = nullptr;
    bool BlnShowSize = false;     // false: the size label and box are hidden (hooked dialogs)
};

// The printer's device mode and names as the settings keep them.
using PrinterDeviceMode = forms::DEVMODE;
using PrinterDeviceNames = forms::DEVNAMES;

// Arguments of VBPrintDlg; the ones marked in/out come back changed on
// confirmation.
struct PrintDlgArgs {
    std::int32_t hdc = 0;                 // in/out: the printer's device context
    EPrintRange PrintRange = eprAll;      // in/out
    bool DisablePageNumbers = false;
    std::int32_t FromPage = 1;            // in/out, 16-bit values (-1 travels as 65535)
    std::int32_t ToPage = -1;             // in/out
    bool DisableSelection = false;
    std::int16_t Copies = 0;              // out
    bool ShowPrintToFile = false;
    bool DisablePrintToFile = true;
    bool PrintToFile = false;             // in/out
    bool Collate = false;                 // in/out
    bool PreventWarning = false;
    std::int32_t Owner = 0;
    std::shared_ptr<void> Printer;        // not read
    std::int32_t Flags = 0;               // not changed
    bool Hook = false;
    cCommonDialog* EventSink = nullptr;
    std::string AppTitle;
};

// Arguments of VBPageSetupDlg; margins in centimetres, in/out.
struct PageSetupDlgArgs {
    std::int32_t Owner = 0;
    bool DisableMargins = false;
    bool DisableOrientation = false;
    bool DisablePaper = false;
    bool DisablePrinter = false;
    float LeftMargin = 0.0f;
    float MinLeftMargin = 0.0f;
    float RightMargin = 0.0f;
    float MinRightMargin = 0.0f;
    float TopMargin = 0.0f;
    float MinTopMargin = 0.0f;
    float BottomMargin = 0.0f;
    float MinBottomMargin = 0.0f;
    EPaperSize PaperSize = epsLetter;             // not read
    EOrientation Orientation = eoPortrait;        // not read
    EPrintQuality PrintQuality = epqDraft;        // not read
    EPageSetupUnits Units = epsuMillimeters;
    std::shared_ptr<void> Printer;                // not read
    std::int32_t Flags = 0;                       // not read
    bool Hook = false;
    cCommonDialog* EventSink = nullptr;
    std::string AppTitle;
};

// A device context of the system's default printer; 0 when there is none.
std::int32_t DefaultPrinterHDc();

class GCommonDialog {
public:
    GCommonDialog() = default;
    ~GCommonDialog();
    GCommonDialog(const GCommonDialog&) = delete;
    GCommonDialog& operator=(const GCommonDialog&) = delete;

    // The hook dispatch: a message of the running hooked dialog, given to
    // the event sink by its kind. Empty, or the sink's answer.
    rt::Variant DialogHook(std::int32_t hDlg, std::int32_t msg, std::int32_t wParam, std::int32_t lParam);

    std::int32_t APIReturn() const { return APIReturn_; }
    std::int32_t ExtendedError() const { return ExtendedError_; }

    // The open dialog. True: Filename (the path, or with MultiSelect the
    // whole buffer of 8192 characters: folder and names separated by NUL,
    // the closing NULs included), FileTitle (not with MultiSelect), Flags,
    // FilterIndex, Filter (the chosen entry: description, NUL, patterns)
    // and ReadOnly come back. False: Filename, FileTitle and Filter empty,
    // Flags 0, FilterIndex -1.
    bool VBGetOpenFileName2(OpenFileNameArgs& args);
    // The same without a template: clears OFN_ENABLETEMPLATE in Flags.
    bool VBGetOpenFileName(OpenFileNameArgs& args);
    // The save dialog; as the open dialog, with FilterIndex 0 on False.
    bool VBGetSaveFileName2(SaveFileNameArgs& args);
    bool VBGetSaveFileName(SaveFileNameArgs& args);
    // The name of a file without its folder; empty for a name the dialogs
    // would not take.
    std::string VBGetFileTitle(std::string& sFile);

    // The colour dialog with this object's sixteen custom colours.
    bool VBChooseColor(ChooseColorArgs& args);
    // Custom colour i (0 to 15); -1 outside. Read first, the custom colours
    // are the system colours 0 to 15.
    std::int32_t CustomColor(std::int16_t i);
    // Sets custom colour i; an i outside 0 to 15 is ignored.
    void CustomColor(std::int16_t i, std::int32_t value);

    // The font dialog on CurFont. The size controls are hidden unless
    // BlnShowSize (a hooked dialog only). True: CurFont, Flags and Color
    // come back.
    bool VBChooseFont(StdFont& CurFont, ChooseFontArgs& args);

    // The print dialog (printer set-up with PD_PRINTSETUP in Flags) on the
    // printer stored under AppTitle. True: hdc, PrintRange, FromPage,
    // ToPage, PrintToFile, Collate and Copies come back and the printer is
    // stored. Error 6, before any hook is installed, for a page outside the
    // 16-bit range.
    bool VBPrintDlg(PrintDlgArgs& args);
    // The page set-up dialog on the printer stored under AppTitle. True: the
    // eight margins come back and the printer and margins are stored.
    // APIReturn stays 0.
    bool VBPageSetupDlg(PageSetupDlgArgs& args);
    // A device context for the printer stored under AppTitle, set up by the
    // stored device mode; 0 when none could be made.
    std::int32_t CreatePrinterHDc(const std::string& AppTitle);
    // The stored margins (cm) fitted to the printer: the minimum margins come
    // from the device (none below 0), a margin below its minimum is raised,
    // and a pair wider than the printable size less 1 cm is halved to fit.
    // Error 9 when an array lacks one of the elements 1 to 4.
    void GetPageMargine(std::int32_t PrinterHDc, const std::string& AppTitle, rt::VArray& MinMargin,
                        rt::VArray& Margin);
    void SavePageMargine(const std::string& AppTitle, float LeftMargin, float MinLeftMargin, float RightMargin,
                         float MinRightMargin, float TopMargin, float MinTopMargin, float BottomMargin,
                         float MinBottomMargin);

private:
    // The printer settings stored under AppTitle. Restore fills the records
    // and returns the chosen printer's full name in its own spelling ("" when
    // the system has no printer).
    static void SavePrinterSettings(const PrinterDeviceMode& mode, const PrinterDeviceNames& names,
                                    const std::string& fullName, const std::string& AppTitle);
    static std::string RestorePrinterSettings(PrinterDeviceMode& mode, PrinterDeviceNames& names,
                                              const std::string& AppTitle);

    static std::string TrimAtNul(const std::string& text);
    static std::string FilterEntry(const std::string& filter, std::int32_t index);
    void InitCustomColors();

    std::int32_t APIReturn_ = 0;
    std::int32_t ExtendedError_ = 0;
    cCommonDialog* EventSink_ = nullptr;
    bool SizeControlsShown_ = true;
    std::array<std::int32_t, 16> CustomColors_{};
    bool CustomColorsReady_ = false;
};

}  // namespace halvex
