#include "halvex/dialogs/c_common_dialog.h"

#include <array>
#include <cstring>

#include "halvex/dialogs/c_memory.h"
#include "halvex/dialogs/dialog_text.h"
#include "halvex/dialogs/g_common_dialog.h"
#include "halvex/dialogs/global_memory.h"
#include "halvex/dialogs/std_font.h"
#include "halvex/services/library_state.h"
#include "halvex/services/member_name.h"
#include "halvex/services/messages.h"
#include "platform/forms/common_dialogs.h"
#include "platform/forms/gdi.h"
#include "platform/forms/screen.h"
#include "platform/forms/win.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/rounding.h"

namespace halvex {

namespace {

bool has(std::int32_t flags, std::int32_t bits)
{
    return (flags & bits) == bits;
}

// Window rectangles and moves for the windows of both kinds: the running
// common dialog's and the forms'.
bool windowRectOf(std::int32_t hWnd, forms::win::RECT& rect)
{
    if (forms::commonDialogs().windowRect(hWnd, rect)) return true;
    return forms::win::GetWindowRect(hWnd, rect) != 0;
}

void moveWindowTo(std::int32_t hWnd, std::int32_t x, std::int32_t y)
{
    if (forms::commonDialogs().moveWindow(hWnd, x, y)) return;
    constexpr std::int32_t kMoveOnly = 0x215;  // no size, no z-order, no activation, no owner z-order
    forms::win::SetWindowPos(hWnd, 0, x, y, 0, 0, kMoveOnly);
}

}  // namespace

cCommonDialog::cCommonDialog() = default;

cCommonDialog::~cCommonDialog() = default;

GCommonDialog& cCommonDialog::dialogLayer()
{
    if (!dialogLayer_) dialogLayer_ = std::make_unique<GCommonDialog>();
    return *dialogLayer_;
}

StdFont& cCommonDialog::font()
{
    if (!Font_) Font_ = std::make_shared<StdFont>();
    return *Font_;
}

// ---- sink members ----

void cCommonDialog::WMCommand(std::int32_t& hDlg, std::int32_t& wParam, std::int32_t& lParam)
{
    if (Events.WMCommand) Events.WMCommand(hDlg, wParam, lParam);
}

void cCommonDialog::DialogClose()
{
    if (Events.DialogClose) Events.DialogClose();
}

std::int32_t cCommonDialog::TypeChange(std::int32_t& hDlg)
{
    if (Events.TypeChange) Events.TypeChange(hDlg);
    return 0;
}

std::int32_t cCommonDialog::InitDialog(std::int32_t& hDlg)
{
    if (Events.InitDialog) Events.InitDialog(hDlg);
    return 0;
}

std::int32_t cCommonDialog::FileChange(std::int32_t& hDlg)
{
    if (Events.FileChange) Events.FileChange(hDlg);
    return 0;
}

std::int32_t cCommonDialog::FolderChange(std::int32_t& hDlg)
{
    if (Events.FolderChange) Events.FolderChange(hDlg);
    return 0;
}

bool cCommonDialog::ConfirmOK()
{
    bool bCancel = false;
    if (Events.DialogOK) Events.DialogOK(bCancel);
    return !bCancel;
}

void cCommonDialog::ParseMultiFileName(std::string& sDir, std::vector<std::string>& sFiles, std::int16_t& iFileCount)
{
    const std::string& name = Filename_;
    const std::size_t pair = name.find(std::string(2, '\0'));
    if (pair == std::string::npos) {
        // One name: split at the last separator from the second character
        // on; either separator counts.
        iFileCount = 1;
        sFiles.assign(2, std::string());
        std::size_t separator = std::string::npos;
        for (std::size_t i = name.size(); i > 1; --i) {
            if (dialogtext::isPathSeparator(name[i - 1])) {
                separator = i - 1;
                break;
            }
        }
        if (separator != std::string::npos) {
            sDir = name.substr(0, separator);
            sFiles[1] = name.substr(separator + 1);
        } else {
            sDir.clear();
            sFiles[1] = name;
        }
        return;
    }

    std::vector<std::string> parts;
    const std::string selection = name.substr(0, pair);
    std::size_t start = 0;
    while (true) {
        const std::size_t nul = selection.find('\0', start);
        parts.push_back(selection.substr(start, nul == std::string::npos ? std::string::npos : nul - start));
        if (nul == std::string::npos) break;
        start = nul + 1;
    }
    auto addFile = [&](const std::string& file) {
        iFileCount =
            IntegerArgument(static_cast<long long>(iFileCount) + 1, HALVEX_MEMBER(cCommonDialog, ParseMultiFileName),
                            "Filename");
        if (sFiles.size() < static_cast<std::size_t>(iFileCount) + 1) sFiles.resize(static_cast<std::size_t>(iFileCount) + 1);
        sFiles[static_cast<std::size_t>(iFileCount)] = file;
    };
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        if (sDir.empty()) {
            sDir = parts[i];
        } else {
            addFile(parts[i]);
        }
    }
    addFile(parts.back());
}

// ---- window helpers ----

std::int32_t cCommonDialog::dialogWindow(std::int32_t hDlg) const
{
    if (!childDialog_) return hDlg;
    const std::int32_t parent = forms::commonDialogs().parentWindow(hDlg);
    return parent != 0 ? parent : forms::win::GetParent(hDlg);
}

void cCommonDialog::CentreDialog(std::int32_t hDlg)
{
    // The desktops whose dialogs were left where they opened do not exist on
    // this platform: every dialog is centred.
    const std::int32_t window = dialogWindow(hDlg);
    forms::win::RECT rect;
    windowRectOf(window, rect);

    forms::win::RECT reference;
    if (hwnd_ != 0) {
        windowRectOf(hwnd_, reference);
    } else if (!forms::commonDialogs().workArea(reference)) {
        const forms::Screen& screen = forms::screen();
        reference = forms::win::RECT{0, 0, screen.Width() / screen.TwipsPerPixelX(),
                                     screen.Height() / screen.TwipsPerPixelY()};
    }
    if (reference.Right > 0 && reference.Bottom > 0) {
        const std::int32_t x =
            reference.Left + ((reference.Right - reference.Left) - (rect.Right - rect.Left)) / 2;
        const std::int32_t y =
            reference.Top + ((reference.Bottom - reference.Top) - (rect.Bottom - rect.Top)) / 2;
        moveWindowTo(window, x, y);
    }
}

void cCommonDialog::GetDialogSize(std::int32_t hDlg, std::int32_t& lL, std::int32_t& lT, std::int32_t& lW,
                                  std::int32_t& lH)
{
    forms::win::RECT rect;
    windowRectOf(dialogWindow(hDlg), rect);
    lL = rect.Left;
    lT = rect.Top;
    lW = rect.Right - rect.Left;
    lH = rect.Bottom - rect.Top;
}

void cCommonDialog::SetHelpPosition(std::int32_t X, std::int32_t Y, std::int32_t dx, std::int32_t dy,
                                    EShowHelpWindowPos eWindowType)
{
    constexpr std::int32_t kRecordSize = 26;
    const std::array<std::int32_t, 6> fields = {kRecordSize, X, Y, dx, dy, eWindowType};
    std::array<unsigned char, kRecordSize> record{};  // the two closing characters stay 0
    std::memcpy(record.data(), fields.data(), sizeof fields);
    cMemory block;
    if (!block.AllocateMemory(kRecordSize, GMEM_ZEROINIT)) return;
    CopyToAddress(block.Pointer(), record.data(), record.size());
    block.FreeMemory();
}

// ---- properties ----

bool cCommonDialog::FontBold() { return font().Bold(); }
void cCommonDialog::FontBold(bool value) { font().Bold(value); }
bool cCommonDialog::FontItalic() { return font().Italic(); }
void cCommonDialog::FontItalic(bool value) { font().Italic(value); }
std::string cCommonDialog::FontName() { return font().Name(); }
void cCommonDialog::FontName(std::string value) { font().Name(std::move(value)); }
std::int32_t cCommonDialog::FontSize() { return rt::CLng(font().Size()); }
void cCommonDialog::FontSize(std::int32_t value) { font().Size(value); }
bool cCommonDialog::FontStrikethru() { return font().Strikethrough(); }
void cCommonDialog::FontStrikethru(bool value) { font().Strikethrough(value); }
bool cCommonDialog::FontUnderline() { return font().Underline(); }
void cCommonDialog::FontUnderline(bool value) { font().Underline(value); }

std::int32_t cCommonDialog::CustomColor(std::int16_t i) { return dialogLayer().CustomColor(i); }
void cCommonDialog::CustomColor(std::int16_t i, std::int32_t value) { dialogLayer().CustomColor(i, value); }

void cCommonDialog::cdLoadLibrary(std::string& /*DllName*/)
{
    hInstance_ = 0;
}

void cCommonDialog::cdFreeLibrary()
{
    // No module is ever loaded (cdLoadLibrary), so there is nothing to free.
}

// ---- show operations ----

void cCommonDialog::afterFailure()
{
    if (dialogLayer().APIReturn() != 0) {
        ReportError();
    } else if (CancelError_) {
        libraryState().DialogConfirmed = false;
    }
}

template <class Args>
void cCommonDialog::showFileDialog(Args& a, bool (GCommonDialog::*show)(Args&))
{
    childDialog_ = true;
    if (has(Flags_, OFN_ENABLETEMPLATE) && hInstance_ < 1) Flags_ &= ~OFN_ENABLETEMPLATE;
    a.Filename = Filename_;
    a.FileTitle = FileTitle_;
    a.Filter = Filter_;
    a.FilterIndex = FilterIndex_;
    a.InitDir = InitDir_;
    a.DlgTitle = DialogTitle_;
    a.DefaultExt = DefaultExt_;
    a.Owner = hwnd_;
    a.Flags = Flags_;
    a.Hook = HookDialog_;
    a.hInstance = hInstance_;
    a.TemplateName = TemplateName_;
    a.EventSink = this;
    const bool confirmed = (dialogLayer().*show)(a);
    Filename_ = a.Filename;
    FileTitle_ = a.FileTitle;
    Filter_ = a.Filter;
    FilterIndex_ = a.FilterIndex;
    Flags_ = a.Flags;
    if (!confirmed) afterFailure();
}

void cCommonDialog::ShowOpen()
{
    if (FilterIndex_ == 0) FilterIndex_ = 1;
    OpenFileNameArgs a;
    a.FileMustExist = has(Flags_, OFN_FILEMUSTEXIST);
    a.MultiSelect = has(Flags_, OFN_ALLOWMULTISELECT);
    a.ReadOnly = has(Flags_, OFN_READONLY);
    a.HideReadOnly = has(Flags_, OFN_HIDEREADONLY);
    showFileDialog(a, &GCommonDialog::VBGetOpenFileName2);
}

void cCommonDialog::ShowSave()
{
    SaveFileNameArgs a;
    a.OverWritePrompt = has(Flags_, OFN_OVERWRITEPROMPT);
    showFileDialog(a, &GCommonDialog::VBGetSaveFileName2);
}

void cCommonDialog::ShowColor()
{
    childDialog_ = false;
    std::int32_t rgb = 0;
    if (forms::OleTranslateColor(Color_, 0, rgb) != 0) rgb = -1;
    ChooseColorArgs a;
    a.Color = rgb;
    a.AnyColor = has(Flags_, CC_AnyColor);
    a.FullOpen = has(Flags_, CC_FullOpen);
    a.DisableFullOpen = has(Flags_, CC_PreventFullOpen);
    a.Owner = hwnd_;
    a.Flags = Flags_;
    a.Hook = HookDialog_;
    a.EventSink = this;
    if (dialogLayer().VBChooseColor(a)) {
        Color_ = a.Color;
    } else {
        afterFailure();
    }
}

void cCommonDialog::ShowFont()
{
    childDialog_ = false;
    StdFont& current = font();
    ChooseFontArgs a;
    a.PrinterDC = -1;
    a.Owner = hwnd_;
    a.Color = FontColor_;
    a.MinSize = Min_;
    a.MaxSize = Max_;
    a.Flags = Flags_;
    a.Hook = HookDialog_;
    a.EventSink = this;
    a.BlnShowSize = ShowSize_;
    const bool confirmed = dialogLayer().VBChooseFont(current, a);
    // The default printer's context served the font list only.
    if (a.PrinterDC != 0) forms::gdi::DeleteDC(a.PrinterDC);
    FontColor_ = a.Color;
    Flags_ = a.Flags;
    if (!confirmed) afterFailure();
}

void cCommonDialog::ShowPageSetup()
{
    childDialog_ = false;
    PageSetupDlgArgs a;
    a.Owner = hwnd_;
    a.LeftMargin = LeftMargin_;
    a.MinLeftMargin = MinLeftMargin_;
    a.RightMargin = RightMargin_;
    a.MinRightMargin = MinRightMargin_;
    a.TopMargin = TopMargin_;
    a.MinTopMargin = MinTopMargin_;
    a.BottomMargin = BottomMargin_;
    a.MinBottomMargin = MinBottomMargin_;
    a.PaperSize = epsLetter;
    a.Orientation = eoPortrait;
    a.PrintQuality = epqDraft;
    a.Units = epsuMillimeters;
    a.Printer = Object_;
    a.Flags = Flags_;
    a.Hook = HookDialog_;
    a.EventSink = this;
    a.AppTitle = AppTitle_;
    dialogLayer().VBPageSetupDlg(a);
    LeftMargin_ = a.LeftMargin;
    MinLeftMargin_ = a.MinLeftMargin;
    RightMargin_ = a.RightMargin;
    MinRightMargin_ = a.MinRightMargin;
    TopMargin_ = a.TopMargin;
    MinTopMargin_ = a.MinTopMargin;
    BottomMargin_ = a.BottomMargin;
    MinBottomMargin_ = a.MinBottomMargin;
}

void cCommonDialog::ShowPrinter()
{
    childDialog_ = false;
    PrintDlgArgs a;
    a.hdc = hdc_;
    a.PrintRange = eprAll;
    a.DisablePageNumbers = !has(Flags_, PD_PAGENUMS);
    a.FromPage = FromPage_;
    a.ToPage = ToPage_;
    a.DisableSelection = has(Flags_, PD_NOSELECTION);
    a.Copies = IntegerArgument(Copies_, HALVEX_MEMBER(cCommonDialog, ShowPrinter), "Copies");
    a.ShowPrintToFile = !has(Flags_, PD_HIDEPRINTTOFILE);
    a.DisablePrintToFile = has(Flags_, PD_DISABLEPRINTTOFILE);
    a.PrintToFile = has(Flags_, PD_PRINTTOFILE);
    a.Collate = has(Flags_, PD_COLLATE);
    a.PreventWarning = has(Flags_, PD_NOWARNING);
    a.Owner = hwnd_;
    a.Printer = Object_;
    a.Flags = Flags_;
    a.Hook = HookDialog_;
    a.EventSink = this;
    a.AppTitle = AppTitle_;
    const bool confirmed = dialogLayer().VBPrintDlg(a);
    hdc_ = a.hdc;
    FromPage_ = a.FromPage;
    ToPage_ = a.ToPage;
    if (confirmed) Copies_ = a.Copies;
}

}  // namespace halvex
