#include "halvex/dialogs/g_common_dialog.h"

#include "halvex/dialogs/c_common_dialog.h"
#include "halvex/dialogs/dialog_hook.h"
#include "halvex/dialogs/dialog_run.h"
#include "halvex/dialogs/dialog_text.h"
#include "halvex/dialogs/global_memory.h"
#include "halvex/dialogs/std_font.h"
#include "halvex/services/library_state.h"
#include "halvex/services/member_name.h"
#include "halvex/services/messages.h"
#include "platform/forms/common_dialogs.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/rounding.h"

namespace halvex {

namespace {

// The platform's bit values are the published ones.
static_assert(forms::dlg::OFN_READONLY == OFN_READONLY && forms::dlg::OFN_OVERWRITEPROMPT == OFN_OVERWRITEPROMPT &&
              forms::dlg::OFN_HIDEREADONLY == OFN_HIDEREADONLY && forms::dlg::OFN_ENABLEHOOK == OFN_ENABLEHOOK &&
              forms::dlg::OFN_ALLOWMULTISELECT == OFN_ALLOWMULTISELECT &&
              forms::dlg::OFN_FILEMUSTEXIST == OFN_FILEMUSTEXIST && forms::dlg::CC_ENABLEHOOK == CC_ENABLEHOOK &&
              forms::dlg::CF_ENABLEHOOK == CF_EnableHook && forms::dlg::CF_EFFECTS == CF_EFFECTS &&
              forms::dlg::CF_LIMITSIZE == CF_LimitSize && forms::dlg::BOLD_FONTTYPE == Bold_FontType &&
              forms::dlg::FNERR_BUFFERTOOSMALL == FNERR_BUFFERTOOSMALL);

// The notification codes of a file dialog.
constexpr std::int32_t CDN_SELCHANGE = forms::dlg::CDN_SELCHANGE;
constexpr std::int32_t CDN_FOLDERCHANGE = forms::dlg::CDN_FOLDERCHANGE;
constexpr std::int32_t CDN_FILEOK = forms::dlg::CDN_FILEOK;
constexpr std::int32_t CDN_TYPECHANGE = forms::dlg::CDN_TYPECHANGE;

constexpr std::int32_t kInvalidArgument = 5;

// The filter as the dialog reads it: descriptions and pattern lists, each
// followed by NUL, and two closing NULs. In a filter written with "|" (or
// ":") between its texts, those become NUL. A filter that already holds
// NUL separators is taken as it stands: its descriptions, often texts of
// the interface language, may hold "|" or ":" of their own.
std::string dialogFilter(const std::string& filter)
{
    std::string converted = filter;
    if (converted.find('\0') == std::string::npos) {
        for (char& c : converted) {
            if (c == '|' || c == ':') c = '\0';
        }
    }
    converted.append(2, '\0');
    return converted;
}

// Error 5 naming the member and the argument for a text that does not fit
// a buffer of that many characters.
void checkFitsBuffer(const std::string& text, std::int32_t buffer, const char* member, const char* argument)
{
    if (dialogtext::characterCount(text) > buffer) RaiseArgumentError(kInvalidArgument, member, argument);
}

constexpr const char* kOpenMember = HALVEX_MEMBER(GCommonDialog, VBGetOpenFileName2);
constexpr const char* kSaveMember = HALVEX_MEMBER(GCommonDialog, VBGetSaveFileName2);

// A text filled with NULs to `size` characters.
std::string paddedWithNul(std::string text, std::int32_t size)
{
    const std::int64_t missing = size - dialogtext::characterCount(text);
    if (missing > 0) text.append(static_cast<std::size_t>(missing), '\0');
    return text;
}

// What the open and the save dialog take alike from their arguments: owner,
// folder, extension, title, the converted filter and the name buffers of
// `buffer` characters each.
template <class Args>
void fillFileRecord(forms::OpenFileRecord& record, const Args& a, const std::string& filter, std::int32_t buffer)
{
    record.hwndOwner = a.Owner == -1 ? 0 : a.Owner;
    record.initialDir = a.InitDir;
    record.defExt = a.DefaultExt;
    record.title = a.DlgTitle;
    record.filter = filter;
    record.filterIndex = a.FilterIndex;
    record.file = a.Filename;
    record.maxFile = buffer;
    record.fileTitle = a.FileTitle;
    record.maxFileTitle = buffer;
}

// The arguments of an open or save dialog that was cancelled or failed.
template <class Args>
void clearFileResult(Args& a, std::int32_t filterIndex)
{
    a.Filename.clear();
    a.FileTitle.clear();
    a.Filter.clear();
    a.Flags = 0;
    a.FilterIndex = filterIndex;
}

// Takes the dialog template out of a file dialog's arguments.
template <class Args>
void withoutTemplate(Args& a)
{
    a.Flags &= ~OFN_ENABLETEMPLATE;
    a.hInstance = 0;
    a.TemplateName = 0;
}

}  // namespace

GCommonDialog::~GCommonDialog()
{
    if (GetActiveDialog() == this) ClearActiveDialog();
}

rt::Variant GCommonDialog::DialogHook(std::int32_t hDlg, std::int32_t msg, std::int32_t wParam, std::int32_t lParam)
{
    rt::Variant result;
    if (EventSink_ == nullptr) return result;
    cCommonDialog& sink = *EventSink_;
    std::int32_t window = hDlg;
    switch (msg) {
        case WM_DESTROY:
            sink.DialogClose();
            break;
        case WM_NOTIFY: {
            NMHDR header;
            if (!CopyFromAddress(&header, lParam, sizeof header)) break;
            switch (header.code) {
                case CDN_TYPECHANGE:
                    result = rt::Variant(sink.TypeChange(window));
                    break;
                case CDN_FILEOK:
                    // A refused file keeps the dialog open: the backend
                    // takes this answer as the message's result.
                    if (!sink.ConfirmOK()) result = rt::Variant(std::int32_t{1});
                    break;
                case CDN_FOLDERCHANGE:
                    result = rt::Variant(sink.FolderChange(window));
                    break;
                case CDN_SELCHANGE:
                    result = rt::Variant(sink.FileChange(window));
                    break;
                default:
                    break;
            }
            break;
        }
        case WM_INITDIALOG:
            result = rt::Variant(sink.InitDialog(window));
            if (!SizeControlsShown_) {
                forms::CommonDialogs& dialogs = forms::commonDialogs();
                dialogs.showWindow(dialogs.dialogItem(hDlg, forms::dlg::FONT_SIZE_LABEL), forms::win::SW_HIDE);
                dialogs.showWindow(dialogs.dialogItem(hDlg, forms::dlg::FONT_SIZE_BOX), forms::win::SW_HIDE);
            }
            break;
        case WM_COMMAND: {
            std::int32_t commandW = wParam;
            std::int32_t commandL = lParam;
            sink.WMCommand(window, commandW, commandL);
            break;
        }
        default:
            break;
    }
    return result;
}

bool GCommonDialog::VBGetOpenFileName2(OpenFileNameArgs& a)
{
    SizeControlsShown_ = true;
    APIReturn_ = 0;
    ExtendedError_ = 0;
    const std::int32_t buffer = a.MultiSelect ? kMultiSelectBuffer : kFileBuffer;
    checkFitsBuffer(a.Filename, buffer, kOpenMember, "Filename");
    checkFitsBuffer(a.FileTitle, buffer, kOpenMember, "FileTitle");

    forms::OpenFileRecord record;
    record.flags = (a.ReadOnly ? OFN_READONLY : 0) | (a.HideReadOnly ? OFN_HIDEREADONLY : 0) |
                   (a.FileMustExist ? OFN_FILEMUSTEXIST : 0) | (a.MultiSelect ? OFN_ALLOWMULTISELECT : 0);
    if (a.MultiSelect) record.flags |= OFN_EXPLORER;

    HookMessages hook(FileDialogHookProc);
    DialogRun run(*this, EventSink_);
    if (a.Hook) run.hook(a.EventSink, record, hook, OFN_EXPLORER | OFN_ENABLEHOOK);
    // Dialog templates have no equivalent on this platform: OFN_ENABLETEMPLATE,
    // hInstance and TemplateName are not passed on.
    const std::string filter = dialogFilter(a.Filter);
    fillFileRecord(record, a, filter, buffer);

    forms::CommonDialogs& dialogs = forms::commonDialogs();
    APIReturn_ = dialogs.getOpenFileName(record);
    run.end();

    bool result = false;
    if (APIReturn_ == 1) {
        result = true;
        if (a.MultiSelect) {
            a.Filename = paddedWithNul(record.file, kMultiSelectBuffer);
        } else {
            a.Filename = TrimAtNul(record.file);
            a.FileTitle = TrimAtNul(record.fileTitle);
        }
        a.Flags = record.flags;
        a.FilterIndex = record.filterIndex;
        a.Filter = FilterEntry(filter, a.FilterIndex);
        if ((record.flags & OFN_READONLY) != 0) a.ReadOnly = true;
    } else {
        if (APIReturn_ != 0) ExtendedError_ = dialogs.extendedError();
        clearFileResult(a, -1);
    }
    libraryState().DialogConfirmed = result;
    return result;
}

bool GCommonDialog::VBGetOpenFileName(OpenFileNameArgs& args)
{
    withoutTemplate(args);
    return VBGetOpenFileName2(args);
}

bool GCommonDialog::VBGetSaveFileName2(SaveFileNameArgs& a)
{
    SizeControlsShown_ = true;
    APIReturn_ = 0;
    ExtendedError_ = 0;
    checkFitsBuffer(a.Filename, kFileBuffer, kSaveMember, "Filename");
    checkFitsBuffer(a.FileTitle, kFileBuffer, kSaveMember, "FileTitle");

    forms::OpenFileRecord record;
    record.flags = OFN_HIDEREADONLY | (a.OverWritePrompt ? OFN_OVERWRITEPROMPT : 0);

    HookMessages hook(FileDialogHookProc);
    DialogRun run(*this, EventSink_);
    if (a.Hook) run.hook(a.EventSink, record, hook, OFN_EXPLORER | OFN_ENABLEHOOK);
    const std::string filter = dialogFilter(a.Filter);
    fillFileRecord(record, a, filter, kFileBuffer);

    forms::CommonDialogs& dialogs = forms::commonDialogs();
    APIReturn_ = dialogs.getSaveFileName(record);
    run.end();

    bool result = false;
    if (APIReturn_ == 1) {
        result = true;
        a.Filename = TrimAtNul(record.file);
        a.FileTitle = TrimAtNul(record.fileTitle);
        a.Flags = record.flags;
        a.FilterIndex = record.filterIndex;
        a.Filter = FilterEntry(filter, a.FilterIndex);
    } else {
        if (APIReturn_ != 0) ExtendedError_ = dialogs.extendedError();
        clearFileResult(a, 0);
    }
    libraryState().DialogConfirmed = result;
    return result;
}

bool GCommonDialog::VBGetSaveFileName(SaveFileNameArgs& args)
{
    withoutTemplate(args);
    return VBGetSaveFileName2(args);
}

std::string GCommonDialog::VBGetFileTitle(std::string& sFile)
{
    std::size_t start = sFile.size();
    while (start > 0 && !dialogtext::isPathSeparator(sFile[start - 1])) --start;
    const std::string title = TrimAtNul(sFile.substr(start));
    // The title must fit the buffer of 260 characters with its closing NUL.
    if (title.empty() || dialogtext::characterCount(title) >= 260) return std::string();
    return title;
}

void GCommonDialog::InitCustomColors()
{
    for (std::int32_t i = 0; i < 16; ++i) CustomColors_[static_cast<std::size_t>(i)] = forms::GetSysColor(i);
    CustomColorsReady_ = true;
}

std::int32_t GCommonDialog::CustomColor(std::int16_t i)
{
    if (!CustomColorsReady_) InitCustomColors();
    if (i < 0 || i > 15) return -1;
    return CustomColors_[static_cast<std::size_t>(i)];
}

void GCommonDialog::CustomColor(std::int16_t i, std::int32_t value)
{
    if (!CustomColorsReady_) InitCustomColors();
    if (i < 0 || i > 15) return;
    CustomColors_[static_cast<std::size_t>(i)] = value;
}

bool GCommonDialog::VBChooseColor(ChooseColorArgs& a)
{
    // A result of an earlier dialog must not be read as this one's.
    SizeControlsShown_ = true;
    APIReturn_ = 0;
    ExtendedError_ = 0;

    forms::ChooseColorRecord record;
    record.hwndOwner = a.Owner == -1 ? 0 : a.Owner;
    record.rgbResult = a.Color;
    record.flags = (a.AnyColor ? CC_AnyColor : CC_SolidColor) | CC_RGBInit | (a.FullOpen ? CC_FullOpen : 0) |
                   (a.DisableFullOpen ? CC_PreventFullOpen : 0);
    record.flags &= ~(CC_ENABLEHOOK | CC_ENABLETEMPLATE);

    HookMessages hook(ColorDialogHookProc);
    DialogRun run(*this, EventSink_);
    if (a.Hook) run.hook(a.EventSink, record, hook, CC_ENABLEHOOK);
    if (!CustomColorsReady_) InitCustomColors();
    // The dialog works on this object's custom colours: what the user
    // changed stays with it.
    record.custColors = CustomColors_;

    forms::CommonDialogs& dialogs = forms::commonDialogs();
    APIReturn_ = dialogs.chooseColor(record);
    CustomColors_ = record.custColors;
    run.end();

    bool result = false;
    if (APIReturn_ == 1) {
        result = true;
        a.Color = record.rgbResult;
    } else {
        if (APIReturn_ != 0) ExtendedError_ = dialogs.extendedError();
        a.Color = -1;
    }
    libraryState().DialogConfirmed = result;
    return result;
}

bool GCommonDialog::VBChooseFont(StdFont& CurFont, ChooseFontArgs& a)
{
    SizeControlsShown_ = a.BlnShowSize;
    APIReturn_ = 0;
    ExtendedError_ = 0;

    if (a.PrinterDC == -1) {
        // The caller owns the default printer's device context it gets back.
        a.PrinterDC = (a.Flags & CF_PrinterFonts) != 0 ? DefaultPrinterHDc() : 0;
    } else {
        a.Flags |= CF_PrinterFonts;
    }
    if ((a.Flags & CF_PrinterFonts) == 0) a.Flags |= CF_ScreenFonts;
    if (a.Color != 0) a.Flags |= CF_EFFECTS;
    if (a.MinSize != 0 || a.MaxSize != 0) a.Flags |= CF_LimitSize;
    a.Flags |= CF_NOSCRIPTSEL;
    a.Flags &= ~(CF_Apply | CF_EnableTemplate | CF_EnableHook);
    a.Flags |= CF_InitToLogFontStruct;

    forms::ChooseFontRecord record;
    forms::LOGFONT& lf = record.logFont;
    lf.lfHeight = forms::logFontHeight(CurFont.Size());
    lf.lfWeight = CurFont.Weight();
    lf.lfItalic = CurFont.Italic() ? 1 : 0;
    lf.lfUnderline = CurFont.Underline() ? 1 : 0;
    lf.lfStrikeOut = CurFont.Strikethrough() ? 1 : 0;
    forms::setFaceName(lf, CurFont.Name());
    record.hwndOwner = a.Owner == -1 ? 0 : a.Owner;
    record.hDC = a.PrinterDC;
    record.iPointSize = rt::CLng(CurFont.Size() * 10.0);
    record.flags = a.Flags;
    record.rgbColors = a.Color;
    record.nSizeMin = a.MinSize;
    record.nSizeMax = a.MaxSize;

    HookMessages hook(FontDialogHookProc);
    DialogRun run(*this, EventSink_);
    if (a.Hook) run.hook(a.EventSink, record, hook, CF_EnableHook);

    forms::CommonDialogs& dialogs = forms::commonDialogs();
    APIReturn_ = dialogs.chooseFont(record);
    run.end();

    bool result = false;
    if (APIReturn_ == 1) {
        result = true;
        a.Flags = record.flags;
        a.Color = record.rgbColors;
        CurFont.Bold((record.nFontType & Bold_FontType) != 0);
        CurFont.Italic(lf.lfItalic != 0);
        CurFont.Strikethrough(lf.lfStrikeOut != 0);
        CurFont.Underline(lf.lfUnderline != 0);
        CurFont.Weight(static_cast<std::int16_t>(lf.lfWeight));
        CurFont.Size(record.iPointSize / 10.0);
        CurFont.Name(forms::faceNameOf(lf));
    } else if (APIReturn_ != 0) {
        ExtendedError_ = dialogs.extendedError();
    }
    libraryState().DialogConfirmed = result;
    return result;
}

std::string GCommonDialog::TrimAtNul(const std::string& text)
{
    return text.substr(0, text.find('\0'));
}

std::string GCommonDialog::FilterEntry(const std::string& filter, std::int32_t index)
{
    if (filter.empty()) return std::string();
    std::size_t start = 0;
    while (true) {
        const std::size_t first = filter.find('\0', start);
        if (first == std::string::npos) return std::string();
        const std::size_t second = filter.find('\0', first + 1);
        const std::size_t end = second == std::string::npos ? filter.size() : second;
        if (index == 1) return filter.substr(start, end - start);
        if (second == std::string::npos) return std::string();
        start = second + 1;
        --index;
    }
}

}  // namespace halvex
