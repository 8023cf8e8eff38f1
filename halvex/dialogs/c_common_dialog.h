// cCommonDialog: the property-and-method face of the dialog layer
// (GCommonDialog). A client sets properties (file name, filter, flags,
// colour, font, ...), calls one show operation, which returns when the
// modal dialog has closed, and reads the properties back. While a hooked
// dialog (HookDialog) is open, the dialog layer calls the sink members
// below, which raise the events to the client's handlers (Events).
//
// After a dialog that did not confirm (open, save, colour, font): a failed
// dialog runs the library's error report (which shows nothing unless an
// error is being handled); a cancelled one clears DialogConfirmed again
// when CancelError is set. Nothing is raised to the client.
//
// ShowPrinter and ShowPageSetup load and store the printer (and margins)
// under AppTitle; a failed or cancelled one runs no after-failure step.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "halvex/interface/dialog_enums.h"

namespace halvex {

class GCommonDialog;
class StdFont;

class cCommonDialog {
public:
    cCommonDialog();
    ~cCommonDialog();
    cCommonDialog(const cCommonDialog&) = delete;
    cCommonDialog& operator=(const cCommonDialog&) = delete;

    // ---- events; an empty handler lets the event pass ----
    struct EventHandlers {
        std::function<void(std::int32_t hDlg)> InitDialog;
        std::function<void(std::int32_t hDlg)> FileChange;
        std::function<void(std::int32_t hDlg)> FolderChange;
        // Setting bCancel refuses the chosen file: the dialog stays open.
        std::function<void(bool& bCancel)> DialogOK;
        std::function<void(std::int32_t hDlg)> TypeChange;
        std::function<void()> DialogClose;
        std::function<void(std::int32_t hDlg, std::int32_t& wParam, std::int32_t& lParam)> WMCommand;
    };
    EventHandlers Events;

    // ---- sink members, called by the dialog layer ----
    void WMCommand(std::int32_t& hDlg, std::int32_t& wParam, std::int32_t& lParam);
    // Splits Filename into its folder and file names: sFiles gets the names
    // at 1 .. iFileCount (index 0 unused). A single path splits at its last
    // "/" or "\" (from the second character on); the text of a multiple
    // selection is the folder and the names separated by NUL. The count
    // continues from iFileCount and the folder is taken only while sDir is
    // empty, so callers pass "" and 0.
    void ParseMultiFileName(std::string& sDir, std::vector<std::string>& sFiles, std::int16_t& iFileCount);
    void DialogClose();
    std::int32_t TypeChange(std::int32_t& hDlg);
    std::int32_t InitDialog(std::int32_t& hDlg);
    std::int32_t FileChange(std::int32_t& hDlg);
    std::int32_t FolderChange(std::int32_t& hDlg);
    // Raises DialogOK; true when no handler refused.
    bool ConfirmOK();

    // ---- window helpers ----
    // Centres the dialog (for open and save: the dialog that holds the
    // hook's window hDlg) over the owner window hwnd, or over the screen's
    // work area when hwnd is 0, without changing its size.
    void CentreDialog(std::int32_t hDlg);
    // Left, top, width and height of that dialog, pixels.
    void GetDialogSize(std::int32_t hDlg, std::int32_t& lL, std::int32_t& lT, std::int32_t& lW, std::int32_t& lH);
    // Builds the help engine's window-position record (26 bytes: its size,
    // X, Y, dx, dy, the show state) in a memory block. The desktop's help
    // viewer takes no window position, so the record is handed to no one.
    void SetHelpPosition(std::int32_t X, std::int32_t Y, std::int32_t dx, std::int32_t dy,
                         EShowHelpWindowPos eWindowType);

    // ---- properties ----
    bool CancelError() const { return CancelError_; }
    void CancelError(bool value) { CancelError_ = value; }
    const std::string& Filename() const { return Filename_; }
    void Filename(std::string value) { Filename_ = std::move(value); }
    const std::string& Filter() const { return Filter_; }
    void Filter(std::string value) { Filter_ = std::move(value); }
    std::int32_t FilterIndex() const { return FilterIndex_; }
    void FilterIndex(std::int32_t value) { FilterIndex_ = value; }
    std::int32_t Color() const { return Color_; }
    void Color(std::int32_t value) { Color_ = value; }
    std::int32_t Copies() const { return Copies_; }
    void Copies(std::int32_t value) { Copies_ = value; }
    const std::string& DefaultExt() const { return DefaultExt_; }
    void DefaultExt(std::string value) { DefaultExt_ = std::move(value); }
    const std::string& DialogTitle() const { return DialogTitle_; }
    void DialogTitle(std::string value) { DialogTitle_ = std::move(value); }
    std::int32_t Flags() const { return Flags_; }
    void Flags(std::int32_t value) { Flags_ = value; }
    // Shorthands of Font's properties; each creates Font when it is empty.
    bool FontBold();
    void FontBold(bool value);
    bool FontItalic();
    void FontItalic(bool value);
    std::string FontName();
    void FontName(std::string value);
    // The size rounded to a whole number of points.
    std::int32_t FontSize();
    void FontSize(std::int32_t value);
    bool FontStrikethru();
    void FontStrikethru(bool value);
    bool FontUnderline();
    void FontUnderline(bool value);
    // The font of the font dialog: empty until first used.
    std::shared_ptr<StdFont> Font() const { return Font_; }
    void Font(std::shared_ptr<StdFont> value) { Font_ = std::move(value); }
    std::int32_t FontColor() const { return FontColor_; }
    void FontColor(std::int32_t value) { FontColor_ = value; }
    std::int32_t FromPage() const { return FromPage_; }
    void FromPage(std::int32_t value) { FromPage_ = value; }
    std::int32_t hwnd() const { return hwnd_; }
    void hwnd(std::int32_t value) { hwnd_ = value; }
    // Held for the client; no operation uses them.
    EShowHelpCommands HelpCommand() const { return HelpCommand_; }
    void HelpCommand(EShowHelpCommands value) { HelpCommand_ = value; }
    const std::string& HelpContext() const { return HelpContext_; }
    void HelpContext(std::string value) { HelpContext_ = std::move(value); }
    const std::string& HelpFile() const { return HelpFile_; }
    void HelpFile(std::string value) { HelpFile_ = std::move(value); }
    const std::string& HelpKey() const { return HelpKey_; }
    void HelpKey(std::string value) { HelpKey_ = std::move(value); }
    const std::string& InitDir() const { return InitDir_; }
    void InitDir(std::string value) { InitDir_ = std::move(value); }
    std::int32_t Max() const { return Max_; }
    void Max(std::int32_t value) { Max_ = value; }
    std::int32_t MaxFileSize() const { return MaxFileSize_; }
    void MaxFileSize(std::int32_t value) { MaxFileSize_ = value; }
    std::int32_t Min() const { return Min_; }
    void Min(std::int32_t value) { Min_ = value; }
    // The printer object handed to the print and page dialogs: passed on
    // unread and read back as the same reference.
    const std::shared_ptr<void>& Object() const { return Object_; }
    void Object(std::shared_ptr<void> value) { Object_ = std::move(value); }
    std::int16_t PrinterDefault() const { return PrinterDefault_; }
    void PrinterDefault(std::int16_t value) { PrinterDefault_ = value; }
    std::int32_t ToPage() const { return ToPage_; }
    void ToPage(std::int32_t value) { ToPage_ = value; }
    const std::string& FileTitle() const { return FileTitle_; }
    void FileTitle(std::string value) { FileTitle_ = std::move(value); }
    // Custom colour i of the colour dialog.
    std::int32_t CustomColor(std::int16_t i);
    void CustomColor(std::int16_t i, std::int32_t value);

    // ---- show operations ----
    void ShowOpen();
    void ShowSave();
    void ShowColor();
    // The font dialog; a default printer's device context it was given for
    // the printer fonts is deleted again afterwards.
    void ShowFont();
    // The page set-up dialog in millimetres with the eight margins.
    void ShowPageSetup();
    // The print dialog (printer set-up with PD_PRINTSETUP in Flags): hdc,
    // FromPage, ToPage and, confirmed, Copies come back. Error 6 for Copies
    // outside the 16-bit range.
    void ShowPrinter();

    bool HookDialog() const { return HookDialog_; }
    void HookDialog(bool value) { HookDialog_ = value; }
    std::int32_t hInstance() const { return hInstance_; }
    void hInstance(std::int32_t value) { hInstance_ = value; }
    // Dialog templates cannot be loaded on this platform: hInstance becomes
    // 0, and the open and save dialogs drop the template bit.
    void cdLoadLibrary(std::string& DllName);
    void cdFreeLibrary();
    std::int32_t TemplateName() const { return TemplateName_; }
    void TemplateName(std::int32_t value) { TemplateName_ = value; }
    bool ShowSize() const { return ShowSize_; }
    void ShowSize(bool value) { ShowSize_ = value; }
    const std::string& AppTitle() const { return AppTitle_; }
    void AppTitle(std::string value) { AppTitle_ = std::move(value); }
    std::int32_t hdc() const { return hdc_; }
    void hdc(std::int32_t value) { hdc_ = value; }
    float LeftMargin() const { return LeftMargin_; }
    void LeftMargin(float value) { LeftMargin_ = value; }
    float MinLeftMargin() const { return MinLeftMargin_; }
    void MinLeftMargin(float value) { MinLeftMargin_ = value; }
    float RightMargin() const { return RightMargin_; }
    void RightMargin(float value) { RightMargin_ = value; }
    float MinRightMargin() const { return MinRightMargin_; }
    void MinRightMargin(float value) { MinRightMargin_ = value; }
    float TopMargin() const { return TopMargin_; }
    void TopMargin(float value) { TopMargin_ = value; }
    float MinTopMargin() const { return MinTopMargin_; }
    void MinTopMargin(float value) { MinTopMargin_ = value; }
    float BottomMargin() const { return BottomMargin_; }
    void BottomMargin(float value) { BottomMargin_ = value; }
    float MinBottomMargin() const { return MinBottomMargin_; }
    void MinBottomMargin(float value) { MinBottomMargin_ = value; }

private:
    GCommonDialog& dialogLayer();
    StdFont& font();
    void afterFailure();
    // ShowOpen and ShowSave alike: the properties both dialogs take, the
    // dialog shown by `show` and what comes back from it.
    template <class Args>
    void showFileDialog(Args& a, bool (GCommonDialog::*show)(Args&));
    // The window CentreDialog and GetDialogSize work on.
    std::int32_t dialogWindow(std::int32_t hDlg) const;

    bool CancelError_ = false;
    std::string Filename_;
    std::string Filter_;
    std::int32_t FilterIndex_ = 1;
    std::int32_t Color_ = 0;
    std::int32_t Copies_ = 0;
    std::string DefaultExt_;
    std::string DialogTitle_;
    std::int32_t Flags_ = 0;
    std::shared_ptr<StdFont> Font_;
    std::int32_t FontColor_ = 0;
    std::int32_t FromPage_ = 0;
    std::int32_t hwnd_ = 0;
    EShowHelpCommands HelpCommand_ = static_cast<EShowHelpCommands>(0);
    std::string HelpContext_;
    std::string HelpFile_;
    std::string HelpKey_;
    std::string InitDir_;
    std::int32_t Max_ = 0;
    std::int32_t MaxFileSize_ = 0;
    std::int32_t Min_ = 0;
    std::shared_ptr<void> Object_;
    std::int16_t PrinterDefault_ = 0;
    std::int32_t ToPage_ = 0;
    std::string FileTitle_;
    bool HookDialog_ = false;
    std::int32_t hInstance_ = 0;
    std::int32_t TemplateName_ = 0;
    bool ShowSize_ = false;
    std::string AppTitle_;
    std::int32_t hdc_ = 0;
    float LeftMargin_ = 0.0f;
    float MinLeftMargin_ = 0.0f;
    float RightMargin_ = 0.0f;
    float MinRightMargin_ = 0.0f;
    float TopMargin_ = 0.0f;
    float MinTopMargin_ = 0.0f;
    float BottomMargin_ = 0.0f;
    float MinBottomMargin_ = 0.0f;

    std::unique_ptr<GCommonDialog> dialogLayer_;
    // True while the last show operation was ShowOpen or ShowSave, whose
    // hook window is a child of the visible dialog.
    bool childDialog_ = false;
};

}  // namespace halvex
