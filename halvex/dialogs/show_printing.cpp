// ClsShowDialog: the font, colour, printer and page dialogs of the facade,
// the paper size, the printer device and the metafile copy.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <filesystem>
#include <system_error>
#include <fstream>

#include "halvex/dialogs/c_common_dialog.h"
#include "halvex/dialogs/cls_show_dialog.h"
#include "halvex/dialogs/frm_auftrag.h"
#include "halvex/dialogs/g_common_dialog.h"
#include "halvex/dialogs/instan_graphic.h"
#include "halvex/interface/dialog_enums.h"
#include "halvex/services/dialog_layout.h"
#include "halvex/services/form_language.h"
#include "halvex/services/library_files.h"
#include "halvex/services/library_state.h"
#include "halvex/services/member_name.h"
#include "halvex/services/step_errors.h"
#include "outside/quillon/language_text.h"
#include "platform/forms/control.h"
#include "platform/forms/locale.h"
#include "halvex/services/messages.h"
#include "platform/forms/gdi.h"
#include "platform/forms/screen.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/rounding.h"
#include "platform/runtime/strings.h"

namespace halvex {

namespace {

namespace gdi = forms::gdi;

constexpr std::int32_t kFontFlags =
    CF_ScreenFonts | CF_PrinterFonts | CF_EnableHook | CF_EFFECTS | CF_WYSIWYG_C | CF_ScalableOnly;
constexpr std::int32_t kPrinterFlags = PD_NOSELECTION | PD_RETURNDC;
constexpr std::int32_t kColorFlags = CC_RGBInit | CC_FullOpen | CC_ENABLEHOOK;
static_assert(kFontFlags == 164107 && kPrinterFlags == 260 && kColorFlags == 19);

constexpr const char* kCopyMember = HALVEX_MEMBER(ClsShowDialog, CopyWMFile);
constexpr const char* kPageMember = HALVEX_MEMBER(ClsShowDialog, ShowPageSetupDialog);
constexpr const char* kPaperMember = HALVEX_MEMBER(ClsShowDialog, GetPaperSize);

void removeIfExists(const std::string& path)
{
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
}

// A new empty file beside `target` (".<name>.<n>.wmf" in its folder), made
// here so that no file of the user's is taken; error 75 when the folder
// takes none.
std::string newFileBeside(const std::string& target)
{
    const std::filesystem::path at(target);
    for (int n = 0; n < 100; ++n) {
        const std::string name = (at.parent_path() / ("." + at.filename().string() + "." +
                                                      std::to_string(::getpid()) + "-" + std::to_string(n) + ".wmf"))
                                     .string();
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            return name;
        }
        if (errno != EEXIST) {
            rt::raise(75, "Path/File access error: " + target + " (" + std::generic_category().message(errno) + ")");
        }
    }
    rt::raise(75, "Path/File access error: " + target);
}

}  // namespace

bool ClsShowDialog::ShowFontDialog(std::int32_t MeHwnd, bool BlnShowSize)
{
    return runTrapped(HALVEX_MEMBER(ClsShowDialog, ShowFontDialog), [&] {
        CurrentFontRecord& font = libraryState().CurrentFont;
        libraryState().DialogConfirmed = false;
        cCommonDialog& dialog = newHookDialog();
        dialog.FontSize(rt::CLng(font.FontHeight));
        dialog.FontName(font.FontFaceName);
        dialog.FontItalic(font.FontItalicOut);
        dialog.FontStrikethru(font.FontStrikeOut);
        dialog.FontUnderline(font.FontUnderlineOut);
        dialog.FontColor(font.Font_Color);
        const bool wasBold = font.FontWeight == 700;
        dialog.FontBold(wasBold);
        dialog.HookDialog(true);
        dialog.Flags(kFontFlags);
        dialog.hwnd(MeHwnd);
        dialog.ShowSize(BlnShowSize);
        dialog.ShowFont();
        if (libraryState().DialogConfirmed) {
            font.FontHeight = static_cast<float>(dialog.FontSize());
            font.FontFaceName = dialog.FontName();
            font.FontItalicOut = dialog.FontItalic();
            font.FontStrikeOut = dialog.FontStrikethru();
            font.FontUnderlineOut = dialog.FontUnderline();
            font.Font_Color = dialog.FontColor();
            // A weight the dialog cannot show (600, 300 ...) stays unless
            // the user switched bold.
            if (dialog.FontBold() != wasBold) font.FontWeight = dialog.FontBold() ? 700 : 400;
            return true;
        }
        return false;
    });
}

bool ClsShowDialog::runPrinterDialog(const std::string& member, std::int32_t MeHwnd, std::int32_t& PrinterHDc,
                                     const std::string& AppTitle, rt::VArray& MinMargin, std::int32_t flags)
{
    return runTrapped(member, [&] {
        libraryState().DialogConfirmed = false;
        cCommonDialog& dialog = newHookDialog();
        dialog.HookDialog(false);
        dialog.Flags(flags);
        dialog.hwnd(MeHwnd);
        dialog.AppTitle(AppTitle);
        dialog.ShowPrinter();
        // Only a device context replaces the caller's.
        if (libraryState().DialogConfirmed && dialog.hdc() != 0) {
            if (PrinterHDc != 0) gdi::DeleteDC(PrinterHDc);
            PrinterHDc = dialog.hdc();
            // The smallest margins (when the caller's array holds the four)
            // are the new printer's unprintable border; the margins stay.
            if (MinMargin.count() > 0 && MinMargin.lbound() <= 1 && MinMargin.ubound() >= 4) {
                rt::VArray fitted;
                fitted.redim(1, 4);
                GCommonDialog().GetPageMargine(PrinterHDc, AppTitle, MinMargin, fitted);
            }
            return true;
        }
        return false;
    });
}

bool ClsShowDialog::ShowPrinterDialog(std::int32_t MeHwnd, std::int32_t& PrinterHDc, const std::string& AppTitle,
                                      rt::VArray& MinMargin, rt::VArray& /*Margin*/)
{
    return runPrinterDialog(HALVEX_MEMBER(ClsShowDialog, ShowPrinterDialog),
                            MeHwnd, PrinterHDc, AppTitle, MinMargin, kPrinterFlags);
}

bool ClsShowDialog::ShowPrinterSetup(std::int32_t MeHwnd, std::int32_t& PrinterHDc, const std::string& AppTitle,
                                     rt::VArray& MinMargin, rt::VArray& /*Margin*/)
{
    return runPrinterDialog(HALVEX_MEMBER(ClsShowDialog, ShowPrinterSetup),
                            MeHwnd, PrinterHDc, AppTitle, MinMargin, PD_PRINTSETUP);
}

bool ClsShowDialog::ShowPageSetupDialog(std::int32_t MeHwnd, std::int32_t& PrinterHDc, const std::string& AppTitle,
                                        rt::VArray& MinMargin, rt::VArray& Margin)
{
    return runTrapped(kPageMember, [&] {
        libraryState().DialogConfirmed = false;
        cCommonDialog& dialog = newHookDialog();
        dialog.HookDialog(true);
        dialog.Flags(0);
        dialog.hwnd(MeHwnd);
        dialog.AppTitle(AppTitle);
        dialog.LeftMargin(SingleArgument(Margin, 1, kPageMember, "Margin"));
        dialog.MinLeftMargin(SingleArgument(MinMargin, 1, kPageMember, "MinMargin"));
        dialog.RightMargin(SingleArgument(Margin, 2, kPageMember, "Margin"));
        dialog.MinRightMargin(SingleArgument(MinMargin, 2, kPageMember, "MinMargin"));
        dialog.TopMargin(SingleArgument(Margin, 3, kPageMember, "Margin"));
        dialog.MinTopMargin(SingleArgument(MinMargin, 3, kPageMember, "MinMargin"));
        dialog.BottomMargin(SingleArgument(Margin, 4, kPageMember, "Margin"));
        dialog.MinBottomMargin(SingleArgument(MinMargin, 4, kPageMember, "MinMargin"));
        dialog.ShowPageSetup();
        if (libraryState().DialogConfirmed) {
            m_cHookDlg.reset();
            CreatePrinterDevice(PrinterHDc, AppTitle, MinMargin, Margin);
            return true;
        }
        return false;
    });
}

bool ClsShowDialog::ShowColorDialog(std::int32_t MeHwnd, std::int32_t& LngColor)
{
    return runTrapped(HALVEX_MEMBER(ClsShowDialog, ShowColorDialog), [&] {
        libraryState().DialogConfirmed = false;
        cCommonDialog& dialog = newHookDialog();
        dialog.HookDialog(true);
        dialog.Flags(kColorFlags);
        dialog.hwnd(MeHwnd);
        dialog.Color(LngColor);
        dialog.ShowColor();
        if (libraryState().DialogConfirmed) {
            LngColor = dialog.Color();
            return true;
        }
        return false;
    });
}

void ClsShowDialog::SetFontData(const std::string& StrFontFaceNameNew, std::int32_t LngFontEscapementNew,
                                std::int32_t LngFontWeightNew, bool BlnFontItalicOutNew, bool BlnFontUnderlineOutNew,
                                bool BlnFontStrikeOutNew, std::int32_t LngFont_ColorNew)
{
    CurrentFontRecord& font = libraryState().CurrentFont;
    font.FontFaceName = StrFontFaceNameNew;
    font.FontEscapement = LngFontEscapementNew;
    font.FontWeight = LngFontWeightNew;
    font.FontItalicOut = BlnFontItalicOutNew;
    font.FontUnderlineOut = BlnFontUnderlineOutNew;
    font.FontStrikeOut = BlnFontStrikeOutNew;
    font.Font_Color = LngFont_ColorNew;
}

void ClsShowDialog::GetPaperSize(std::int32_t PrinterHDc, rt::VArray& Margin, float& PaperVERTLength,
                                 float& PaperHORZLength)
{
    try {
        double horzSize = 210;
        double vertSize = 290;
        double pageX = 10000;
        double pageY = 14000;
        double horzRes = 10000;
        double vertRes = 14000;
        if (PrinterHDc != 0) {
            forms::win::POINTAPI page;
            gdi::Escape(PrinterHDc, gdi::GETPHYSPAGESIZE, 0, nullptr, &page);
            auto orDefault = [](std::int32_t value, double fallback) { return value != 0 ? value : fallback; };
            horzSize = orDefault(gdi::GetDeviceCaps(PrinterHDc, gdi::HORZSIZE), 210);
            vertSize = orDefault(gdi::GetDeviceCaps(PrinterHDc, gdi::VERTSIZE), 290);
            pageX = orDefault(page.X, 10000);
            pageY = orDefault(page.Y, 14000);
            horzRes = orDefault(gdi::GetDeviceCaps(PrinterHDc, gdi::HORZRES), 10000);
            vertRes = orDefault(gdi::GetDeviceCaps(PrinterHDc, gdi::VERTRES), 14000);
        }
        const double left = SingleArgument(Margin, 1, kPaperMember, "Margin");
        const double right = SingleArgument(Margin, 2, kPaperMember, "Margin");
        const double top = SingleArgument(Margin, 3, kPaperMember, "Margin");
        const double bottom = SingleArgument(Margin, 4, kPaperMember, "Margin");
        const double vertical = vertSize / vertRes * pageY - (top + bottom) * 10;
        const double horizontal = horzSize / horzRes * pageX - (left + right) * 10;
        // Margins that leave no paper between them are refused, the lengths
        // kept as they were.
        if (!(vertical > 0.0) || !(horizontal > 0.0)) RaiseArgumentError(5, kPaperMember, "Margin");
        PaperVERTLength = static_cast<float>(vertical);
        PaperHORZLength = static_cast<float>(horizontal);
    } catch (const rt::RuntimeError&) {
        reportTrapped(kPaperMember);
    }
}

void ClsShowDialog::CreatePrinterDevice(std::int32_t& PrinterHDc, const std::string& AppTitle, rt::VArray& MinMargin,
                                        rt::VArray& Margin)
{
    std::int32_t made = 0;  // the context this call made
    try {
        GCommonDialog dialogLayer;
        if (PrinterHDc != 0) gdi::DeleteDC(PrinterHDc);
        PrinterHDc = 0;
        made = PrinterHDc = dialogLayer.CreatePrinterHDc(AppTitle);
        if (PrinterHDc == 0) made = PrinterHDc = DefaultPrinterHDc();
        dialogLayer.GetPageMargine(PrinterHDc, AppTitle, MinMargin, Margin);
    } catch (const rt::RuntimeError&) {
        reportTrapped(HALVEX_MEMBER(ClsShowDialog, CreatePrinterDevice));
        // The caller still gets a context, and none is left behind.
        if (made != 0) gdi::DeleteDC(made);
        PrinterHDc = DefaultPrinterHDc();
    }
}

void ClsShowDialog::CopyWMFile(std::string& TempFile, std::int32_t& TargetDevice_hDC, std::int32_t lViewsizeCx,
                               std::int32_t lViewsizeCy, std::int32_t lVieworgX, std::int32_t lVieworgY,
                               std::int32_t MetaFile_hDC, const GraphicObject& ObjGraphic)
{
    forms::Screen& screen = forms::screen();
    const bool clipboardMode = TempFile.empty();
    // The clipboard copy works on a temporary file of its own: the host's
    // TempFile stays empty.
    std::string file = TempFile;
    std::string target;  // file mode: the file the copy replaces
    bool ours = false;   // `file` was made by this call
    std::int32_t recording = 0;
    try {
        screen.MousePointer(forms::vbHourglass);
        if (lViewsizeCy == 0) RaiseArgumentError(11, kCopyMember, "lViewsizeCy");
        // A metafile holds 16-bit coordinates: nothing is wrapped.
        const double yOrigin = (lViewsizeCy > 0 ? 1.0 : -1.0) * lVieworgY + lViewsizeCy;
        for (const double value : {static_cast<double>(lViewsizeCx), -static_cast<double>(lViewsizeCy),
                                   static_cast<double>(lVieworgX), yOrigin}) {
            if (value < -32768.0 || value > 32767.0) {
                rt::raise(6, textLib().GetText(rt::Variant(quillon::TextNo(140283)),
                                               {rt::Variant("|1"), rt::Variant(std::to_string(std::llround(value)))}));
            }
        }
        InstanGraphic graphic;
        if (clipboardMode) {
            ours = graphic.GetTempFilename("MRV", 0, file);
        } else {
            std::string folder;
            std::string name;
            SeparateFileAndDir(file, folder, name);
            // The name is proposed as the host wrote it, extension included.
            const std::string given = file.substr(folder.size());
            if (given.size() > name.size() && rt::lcase(given.substr(name.size())) == ".wmf") name = given;
            rt::VArray extensions;
            extensions.redim(0, 0);
            extensions.at(0) = rt::Variant("WMF");
            std::string chosen;
            std::string chosenFolder;
            if (ShowSaveFile(ObjGraphic.hwnd(), chosen, folder, chosenFolder, name, extensions)) {
                screen.MousePointer(forms::vbDefault);
                return;
            }
            TempFile = chosen;
            // A folder, pipe or device of that name is refused before it is
            // opened (a pipe would wait for a reader) and is never removed.
            // The copy is recorded beside the file (a link's target) and
            // replaces it only when whole: a failed copy leaves it as it was.
            target = SaveTarget(chosen);
            RequireRegularFileOrNothing(target);
            file = newFileBeside(target);
            ours = true;
        }
        std::error_code error;
        if (!std::filesystem::exists(file, error)) {
            screen.MousePointer(forms::vbDefault);
            return;
        }
        file = graphic.GetShortPathName(file);
        recording = TargetDevice_hDC = gdi::CreateMetaFileA(file);
        if (recording == 0) rt::raise(75, "Path/File access error: " + file);
        gdi::SetWindowExtEx(recording, lViewsizeCx, -lViewsizeCy, nullptr);
        gdi::SetWindowOrgEx(recording, lVieworgX, rt::CLng(yOrigin), nullptr);
        // A metafile that cannot be played (a stale handle, a damaged
        // record) is no copy: nothing reaches the clipboard.
        if (gdi::PlayMetaFile(recording, MetaFile_hDC) == 0) {
            rt::raise(5, textLib().GetText(rt::Variant(quillon::TextNo(140282))));
        }
        const std::int32_t metafile = gdi::CloseMetaFile(recording);
        recording = 0;
        if (metafile == 0) rt::raise(75, "Path/File access error: " + file);
        gdi::DeleteMetaFile(metafile);
        if (clipboardMode) {
            std::string title = ObjGraphic.Caption();
            graphic.SetMetaToClp(file, lViewsizeCx, lViewsizeCy, title);
            removeIfExists(file);
        } else {
            ReplaceKeepingMode(file, target);
            ours = false;
        }
        screen.MousePointer(forms::vbDefault);
    } catch (...) {
        // Every error is the member's own: reported, never passed to the host.
        ReportMemberErrorQuietly(kCopyMember);
        if (recording != 0) gdi::DeleteMetaFile(gdi::CloseMetaFile(recording));
        if (ours) removeIfExists(file);
        screen.MousePointer(forms::vbDefault);
    }
}

bool ClsShowDialog::ShowAuf(std::string& Auftr, std::string& Datum, std::string& Proj)
{
    libraryState().DialogConfirmed = false;
    frmAuftrag& form = auftragForm();
    try {
        quillon::ClsLanguageText& texts = textLib();
        auto text = [&](std::int32_t number) { return texts.GetText(rt::Variant(quillon::TextNo(number))); };
        auto textWith = [&](std::int32_t number, std::int32_t parameter) {
            return texts.GetText(rt::Variant(quillon::TextNo(number)), {rt::Variant(parameter)});
        };
        form.Caption(text(160));
        form.control("Frame3D1").Caption(textWith(160, 4));
        form.control("lblAuftrag").Caption(text(11));
        form.control("lblDatum").Caption(text(12));
        form.control("lblProjekt").Caption(text(95));
        form.control("cmdSave").Caption(textWith(6, 1));
        form.control("CmdCancel").Caption(textWith(7, 1));
        form.control("cmdHelp").Caption(textWith(8, 1));
        form.control("txtAuftr").Text(Auftr);
        form.control("txtDatum").Text(Datum);
        form.control("txtProj").Text(Proj);
    } catch (const rt::RuntimeError&) {
        reportTrapped(HALVEX_MEMBER(ClsShowDialog, ShowAuf));
        ignoringErrors([&] { form.Unload(); });
        return true;
    }
    // A text that is no date leaves the picker as it is.
    ignoringErrors([&] {
        if (auto date = forms::locale().parseDate(form.control("txtDatum").Text())) {
            form.control("DTPicker1").DateValue(*date);
        }
    });
    // Whole in the interface language and centred, before it is mirrored.
    ignoringErrors([&] {
        UseLanguageFont(form);
        // The labels as wide as their captions; the fields beside them, and
        // the frame, move over by what the widest one grew past its room.
        std::int32_t grown = 0;
        for (const char* label : {"lblAuftrag", "lblDatum", "lblProjekt"}) {
            forms::Control& c = form.control(label);
            WidenToCaption(form, c);
            grown = std::max(grown, c.Left() + c.Width() + 120 - form.control("txtAuftr").Left());
        }
        if (grown > 0) {
            for (const char* field : {"txtAuftr", "txtDatum", "DTPicker1", "txtProj"})
                form.control(field).Left(form.control(field).Left() + grown);
            form.control("Frame3D1").Width(form.control("Frame3D1").Width() + grown);
        }
        FitButtonRow(form, {&form.control("cmdSave"), &form.control("CmdCancel")});
        WidenToCaption(form, form.control("cmdHelp"));
        GrowToHoldControls(form);
        CentreOnOwner(form);
    });
    ignoringErrors([&] { SetFormLanguage(form); });
    ignoringErrors([&] { form.Show(forms::vbModal); });
    if (!libraryState().DialogConfirmed) return true;
    ignoringErrors([&] {
        Auftr = form.control("txtAuftr").Text();
        Datum = form.control("txtDatum").Text();
        Proj = form.control("txtProj").Text();
    });
    ignoringErrors([&] { form.Unload(); });
    return false;
}

}  // namespace halvex
