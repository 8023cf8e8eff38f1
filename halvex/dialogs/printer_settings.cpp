// GCommonDialog: the print and page set-up dialogs, the printer settings
// kept per application title, the printer device context made from them and
// the page margins fitted to the printer.
#include <cmath>
#include <cstring>
#include <functional>
#include <optional>
#include <vector>

#include "halvex/dialogs/dialog_hook.h"
#include "halvex/dialogs/dialog_run.h"
#include "halvex/dialogs/g_common_dialog.h"
#include "halvex/services/library_state.h"
#include "halvex/services/member_name.h"
#include "halvex/services/messages.h"
#include "halvex/services/private_settings.h"
#include "outside/quillon/language_text.h"
#include "platform/forms/common_dialogs.h"
#include "platform/forms/gdi.h"
#include "platform/forms/printing.h"
#include "platform/forms/screen.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/numbertext.h"
#include "platform/runtime/rounding.h"

namespace halvex {

using quillon::TextNo;

namespace {

const std::string kModeSection = "Device Mode";
const std::string kNamesSection = "Device Name";
const std::string kMarginSection = "Page Margine";
// The full printer name, kept beside the 32-character dmDeviceName.
const std::string kFullNameKey = "dmDeviceNameFull";

using Mode = PrinterDeviceMode;

// One numeric field of the device mode: its key and where it lies.
struct ModeField {
    const char* key;
    std::int16_t Mode::*small = nullptr;
    std::int32_t Mode::*wide = nullptr;
};

// The keys of "Device Mode" in the order they are written; the two names
// (dmDeviceName, dmFormName) are text and handled apart.
const std::vector<ModeField>& modeFields()
{
    static const std::vector<ModeField> fields = {
        {"dmBitsPerPel", &Mode::dmBitsPerPel},
        {"dmDeviceName"},
        {"dmOrientation", &Mode::dmOrientation},
        {"dmPaperSize", &Mode::dmPaperSize},
        {"dmDisplayFlags", nullptr, &Mode::dmDisplayFlags},
        {"dmDefaultSource", &Mode::dmDefaultSource},
        {"dmDriverVersion", &Mode::dmDriverVersion},
        {"dmDuplex", &Mode::dmDuplex},
        {"dmFields", nullptr, &Mode::dmFields},
        {"dmPaperLength", &Mode::dmPaperLength},
        {"dmPaperWidth", &Mode::dmPaperWidth},
        {"dmPrintQuality", &Mode::dmPrintQuality},
        {"dmSize", &Mode::dmSize},
        {"dmCollate", &Mode::dmCollate},
        {"dmColor", &Mode::dmColor},
        {"dmCopies", &Mode::dmCopies},
        {"dmDisplayFrequency", nullptr, &Mode::dmDisplayFrequency},
        {"dmDriverExtra", &Mode::dmDriverExtra},
        {"dmFormName"},
        {"dmPelsWidth", nullptr, &Mode::dmPelsWidth},
        {"dmPelsHeight", nullptr, &Mode::dmPelsHeight},
        {"dmScale", &Mode::dmScale},
        {"dmSpecVersion", &Mode::dmSpecVersion},
        {"dmUnusedPadding", &Mode::dmUnusedPadding},
        {"dmYResolution", &Mode::dmYResolution},
        {"dmTTOption", &Mode::dmTTOption},
    };
    return fields;
}

// A whole fixed-length field as stored: every character, NULs included.
template <std::size_t N>
std::string storedField(const std::array<char, N>& field)
{
    return std::string(field.data(), N);
}

// A stored integer: digits with an optional sign, blanks around; none for
// any other text or a value outside [low, high].
std::optional<std::int64_t> storedInteger(const std::string& text, std::int64_t low, std::int64_t high)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    std::int64_t value = 0;
    std::size_t digits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        value = value * 10 + (text[i++] - '0');
        if (++digits > 12) return std::nullopt;
    }
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (digits == 0 || i != text.size()) return std::nullopt;
    if (negative) value = -value;
    if (value < low || value > high) return std::nullopt;
    return value;
}

std::string lowerAscii(std::string text)
{
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

std::string trimTrailingBlanks(std::string text)
{
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

// A margin as stored: "." always, whatever the user's number format.
std::string marginText(float cm)
{
    return rt::formatSingle(cm);
}

// A stored margin: "." or "," as the decimal separator; none otherwise.
std::optional<float> storedMargin(std::string text)
{
    for (char& c : text) {
        if (c == ',') c = '.';
    }
    float value = 0.0f;
    try {
        if (rt::parseSingle(text, value)) return value;
    } catch (const rt::RuntimeError&) {
    }
    return std::nullopt;
}

// The device mode handed to the dialogs and the printers: 122 bytes and no
// private driver data.
Mode handedOver(Mode mode)
{
    mode.dmSize = 122;
    mode.dmDriverExtra = 0;
    return mode;
}

// The full name the dialog's names give for its device mode: the device
// entry when its first 32 bytes are dmDeviceName, else dmDeviceName.
std::string fullNameOf(const Mode& mode, const PrinterDeviceNames& names)
{
    const std::string device = forms::devNamesEntry(names, 1);
    std::array<char, 32> field{};
    forms::setFieldText(field, device);
    if (!device.empty() && field == mode.dmDeviceName) return device;
    return forms::fieldText(mode.dmDeviceName);
}

// A step that may fail: a run-time error skips it.
void skippingErrors(const std::function<void()>& step)
{
    try {
        step();
    } catch (const rt::RuntimeError&) {
    }
}

}  // namespace

std::int32_t DefaultPrinterHDc()
{
    const std::optional<forms::PrinterInfo> printer = forms::printerSystem().defaultPrinter();
    if (!printer) return 0;
    return forms::gdi::CreateDCA(printer->driverName, printer->deviceName, "", nullptr);
}

void GCommonDialog::SavePrinterSettings(const Mode& mode, const PrinterDeviceNames& names,
                                        const std::string& fullName, const std::string& AppTitle)
{
    for (const ModeField& f : modeFields()) {
        std::string value;
        if (f.small != nullptr) {
            value = std::to_string(mode.*f.small);
        } else if (f.wide != nullptr) {
            value = std::to_string(mode.*f.wide);
        } else if (std::string(f.key) == "dmDeviceName") {
            value = storedField(mode.dmDeviceName);
        } else {
            value = storedField(mode.dmFormName);
        }
        SavePrivateSettingValue(AppTitle, kModeSection, f.key, rt::Variant(value));
    }
    SavePrivateSettingValue(AppTitle, kModeSection, kFullNameKey, rt::Variant(fullName));
    SavePrivateSettingValue(AppTitle, kNamesSection, "wDefault", rt::Variant(std::to_string(names.wDefault)));
    SavePrivateSettingValue(AppTitle, kNamesSection, "wDeviceOffset", rt::Variant(std::to_string(names.wDeviceOffset)));
    SavePrivateSettingValue(AppTitle, kNamesSection, "wDriverOffset", rt::Variant(std::to_string(names.wDriverOffset)));
    SavePrivateSettingValue(AppTitle, kNamesSection, "wOutputOffset", rt::Variant(std::to_string(names.wOutputOffset)));
    SavePrivateSettingValue(AppTitle, kNamesSection, "extra", rt::Variant(storedField(names.extra)));
}

std::string GCommonDialog::RestorePrinterSettings(Mode& mode, PrinterDeviceNames& names, const std::string& AppTitle)
{
    std::optional<forms::PrinterInfo> system;
    std::vector<forms::PrinterInfo> installed;
    skippingErrors([&] {
        system = forms::printerSystem().defaultPrinter();
        installed = forms::printerSystem().printers();
    });
    const std::string defaultName = system ? system->deviceName : std::string();
    auto read = [&](const std::string& section, const std::string& key, const std::string& fallback) {
        return GetPrivateSettingValue(AppTitle, section, key, rt::Variant(fallback)).toString();
    };

    // The printer: the stored full name while it still belongs to the stored
    // dmDeviceName, else that name; one match without regard to letter case
    // among the installed printers, else the default printer.
    std::string chosen;
    skippingErrors([&] {
        std::array<char, 32> defaultField{};
        forms::setFieldText(defaultField, defaultName);
        const std::string stored =
            trimTrailingBlanks(forms::fieldText(read(kModeSection, "dmDeviceName", defaultName).c_str(), 32));
        const std::string full = read(kModeSection, kFullNameKey, "");
        std::array<char, 32> storedCut{};
        std::array<char, 32> fullCut{};
        forms::setFieldText(storedCut, stored);
        forms::setFieldText(fullCut, full);
        const std::string wanted = lowerAscii(!full.empty() && fullCut == storedCut ? full : stored);
        for (const forms::PrinterInfo& p : installed) {
            if (lowerAscii(p.deviceName) == wanted) {
                chosen = p.deviceName;
                break;
            }
        }
        // A name kept only cut to its field: the one printer it begins.
        if (chosen.empty() && wanted.size() >= 31) {
            int matches = 0;
            for (const forms::PrinterInfo& p : installed) {
                if (lowerAscii(p.deviceName).rfind(wanted, 0) == 0) {
                    chosen = p.deviceName;
                    ++matches;
                }
            }
            if (matches != 1) chosen.clear();
        }
        if (chosen.empty()) chosen = defaultName;
    });
    forms::setFieldText(mode.dmDeviceName, chosen);

    for (const ModeField& f : modeFields()) {
        const std::string key = f.key;
        if (key == "dmDeviceName") continue;
        skippingErrors([&] {
            if (key == "dmFormName") {
                forms::setFieldText(mode.dmFormName, read(kModeSection, key, forms::fieldText(mode.dmFormName)));
                return;
            }
            std::int64_t fallback = f.small != nullptr ? mode.*f.small : mode.*f.wide;
            if (key == "dmFields") fallback = 4097;
            if (key == "dmSize") fallback = 122;
            if (system) {
                if (key == "dmOrientation") fallback = system->defaults.dmOrientation;
                if (key == "dmPaperSize") fallback = system->defaults.dmPaperSize;
                if (key == "dmDuplex") fallback = system->defaults.dmDuplex;
                if (key == "dmCopies") fallback = system->defaults.dmCopies;
            }
            const std::string text = read(kModeSection, key, std::to_string(fallback));
            if (f.small != nullptr) {
                if (auto v = storedInteger(text, INT16_MIN, INT16_MAX)) mode.*f.small = static_cast<std::int16_t>(*v);
            } else if (auto v = storedInteger(text, INT32_MIN, INT32_MAX)) {
                mode.*f.wide = static_cast<std::int32_t>(*v);
            }
        });
    }
    for (auto [key, field] : {std::pair{"wDefault", &PrinterDeviceNames::wDefault},
                              std::pair{"wDeviceOffset", &PrinterDeviceNames::wDeviceOffset},
                              std::pair{"wDriverOffset", &PrinterDeviceNames::wDriverOffset},
                              std::pair{"wOutputOffset", &PrinterDeviceNames::wOutputOffset}}) {
        skippingErrors([&, key = key, field = field] {
            const std::string text = read(kNamesSection, key, std::to_string(names.*field));
            if (auto v = storedInteger(text, INT16_MIN, INT16_MAX)) names.*field = static_cast<std::int16_t>(*v);
        });
    }
    skippingErrors([&] {
        const std::string extra = read(kNamesSection, "extra", storedField(names.extra));
        names.extra.fill('\0');
        std::memcpy(names.extra.data(), extra.data(), std::min(extra.size(), names.extra.size()));
    });
    return chosen;
}

bool GCommonDialog::VBPrintDlg(PrintDlgArgs& a)
{
    SizeControlsShown_ = true;
    APIReturn_ = 0;
    ExtendedError_ = 0;
    // The pages travel as 16-bit values.
    IntegerArgument(a.FromPage, HALVEX_MEMBER(GCommonDialog, VBPrintDlg), "FromPage");
    IntegerArgument(a.ToPage, HALVEX_MEMBER(GCommonDialog, VBPrintDlg), "ToPage");

    forms::PrintDlgRecord record;
    std::int32_t flags = a.Flags | (a.DisablePageNumbers ? PD_NOPAGENUMS : 0) |
                         (a.DisablePrintToFile ? PD_DISABLEPRINTTOFILE : 0) | (a.DisableSelection ? PD_NOSELECTION : 0) |
                         (a.PrintToFile ? PD_PRINTTOFILE : 0) | (a.ShowPrintToFile ? 0 : PD_HIDEPRINTTOFILE) |
                         (a.PreventWarning ? PD_NOWARNING : 0) | (a.Collate ? PD_COLLATE : 0) | PD_USEDEVMODECOPIES |
                         PD_RETURNDC;
    if (a.PrintRange == eprPageNumbers) flags |= PD_PAGENUMS;
    if (a.PrintRange == eprSelection) flags |= PD_SELECTION;
    flags &= ~(PD_ENABLEPRINTHOOK | PD_ENABLEPRINTTEMPLATE | PD_ENABLESETUPHOOK | PD_ENABLESETUPTEMPLATE_C |
               PD_HIDEPRINTTOFILE);
    record.flags = flags;

    Mode mode;
    mode.dmSize = 122;
    PrinterDeviceNames names;
    const std::string printer = RestorePrinterSettings(mode, names, a.AppTitle);
    record.devMode = std::make_shared<Mode>(handedOver(mode));
    if (!printer.empty()) record.devNames = std::make_shared<PrinterDeviceNames>(forms::makeDevNames("", printer, "", false));
    record.hwndOwner = a.Owner;
    record.nFromPage = static_cast<std::uint16_t>(a.FromPage);
    record.nToPage = static_cast<std::uint16_t>(a.ToPage);
    record.nMinPage = 1;
    record.nMaxPage = 65535;
    if ((record.flags & PD_PRINTSETUP) != 0) {
        // A set-up dialog: it chooses the printer and its paper, and prints nothing.
        record.caption = textLib().GetText(rt::Variant(TextNo(140351)));
        record.acceptText = textLib().GetText(rt::Variant(TextNo(6)));
    }

    HookMessages hook((record.flags & PD_PRINTSETUP) != 0 ? PrintSetupHookProc : PrintDialogHookProc);
    DialogRun run(*this, EventSink_);
    if (a.Hook) {
        run.hook(a.EventSink, record, hook,
                 (record.flags & PD_PRINTSETUP) != 0 ? PD_ENABLESETUPHOOK : PD_ENABLEPRINTHOOK);
    }

    forms::CommonDialogs& dialogs = forms::commonDialogs();
    APIReturn_ = dialogs.printDlg(record);
    run.end();

    bool result = false;
    if (APIReturn_ == 1) {
        result = true;
        a.hdc = record.hDC;
        a.PrintRange = (record.flags & PD_PAGENUMS) != 0 ? eprPageNumbers
                       : (record.flags & PD_SELECTION) != 0 ? eprSelection
                                                            : eprAll;
        a.FromPage = static_cast<std::int16_t>(record.nFromPage);
        a.ToPage = static_cast<std::int16_t>(record.nToPage);
        a.PrintToFile = (record.flags & PD_PRINTTOFILE) != 0;
        if (record.devMode) mode = *record.devMode;
        if (record.devNames) names = *record.devNames;
        if ((record.flags & PD_COLLATE) != 0) {
            a.Collate = true;
            a.Copies = static_cast<std::int16_t>(record.nCopies);
        } else {
            a.Collate = mode.dmCollate == 1;
            a.Copies = mode.dmCopies;
        }
        SavePrinterSettings(mode, names, fullNameOf(mode, names), a.AppTitle);
        const Mode handed = handedOver(mode);
        forms::gdi::ResetDCA(a.hdc, handed);
    } else if (APIReturn_ != 0) {
        ExtendedError_ = dialogs.extendedError();
    }
    libraryState().DialogConfirmed = result;
    return result;
}

bool GCommonDialog::VBPageSetupDlg(PageSetupDlgArgs& a)
{
    SizeControlsShown_ = true;
    APIReturn_ = 0;
    ExtendedError_ = 0;

    forms::PageSetupDlgRecord record;
    record.flags = (a.DisableMargins ? PSD_DISABLEMARGINS : 0) | (a.DisableOrientation ? PSD_DISABLEORIENTATION : 0) |
                   (a.DisablePaper ? PSD_DISABLEPAPER : 0) | (a.DisablePrinter ? PSD_DISABLEPRINTER : 0) | PSD_MARGINS;
    // 1000 / 2.54 taken as the whole number 394.
    const double factor = a.Units == epsuInches ? 394.0 : 1000.0;
    record.flags |= a.Units == epsuInches ? PSD_INTHOUSANDTHSOFINCHES : PSD_INHUNDREDTHSOFMILLIMETERS;

    Mode mode;
    mode.dmSize = 122;
    PrinterDeviceNames names;
    const std::string printer = RestorePrinterSettings(mode, names, a.AppTitle);
    record.devMode = std::make_shared<Mode>(handedOver(mode));
    if (!printer.empty()) record.devNames = std::make_shared<PrinterDeviceNames>(forms::makeDevNames("", printer, "", false));
    record.hwndOwner = a.Owner;
    auto units = [&](float cm, const char* argument) {
        try {
            return rt::CLng(static_cast<double>(cm) * factor);
        } catch (const rt::RuntimeError& error) {
            RaiseArgumentError(error.number(), HALVEX_MEMBER(GCommonDialog, VBPageSetupDlg), argument);
        }
    };
    record.rtMargin = forms::win::RECT{units(a.LeftMargin, "LeftMargin"), units(a.TopMargin, "TopMargin"),
                                       units(a.RightMargin, "RightMargin"), units(a.BottomMargin, "BottomMargin")};
    record.rtMinMargin =
        forms::win::RECT{units(a.MinLeftMargin, "MinLeftMargin"), units(a.MinTopMargin, "MinTopMargin"),
                         units(a.MinRightMargin, "MinRightMargin"), units(a.MinBottomMargin, "MinBottomMargin")};

    HookMessages hook(PageSetupHookProc);
    DialogRun run(*this, EventSink_);
    if (a.Hook) run.hook(a.EventSink, record, hook, PSD_EnablePageSetupHook);

    const std::int32_t r = forms::commonDialogs().pageSetupDlg(record);
    run.end();

    // Only 1 confirms; the backend's -1 is a failure.
    const bool result = r == 1;
    if (result) {
        auto cm = [&](std::int32_t value) { return static_cast<float>(value / factor); };
        a.LeftMargin = cm(record.rtMargin.Left);
        a.TopMargin = cm(record.rtMargin.Top);
        a.RightMargin = cm(record.rtMargin.Right);
        a.BottomMargin = cm(record.rtMargin.Bottom);
        a.MinLeftMargin = cm(record.rtMinMargin.Left);
        a.MinTopMargin = cm(record.rtMinMargin.Top);
        a.MinRightMargin = cm(record.rtMinMargin.Right);
        a.MinBottomMargin = cm(record.rtMinMargin.Bottom);
        if (record.devMode) mode = *record.devMode;
        if (record.devNames) names = *record.devNames;
        SavePrinterSettings(mode, names, fullNameOf(mode, names), a.AppTitle);
        SavePageMargine(a.AppTitle, a.LeftMargin, a.MinLeftMargin, a.RightMargin, a.MinRightMargin, a.TopMargin,
                        a.MinTopMargin, a.BottomMargin, a.MinBottomMargin);
    }
    libraryState().DialogConfirmed = result;
    return result;
}

std::int32_t GCommonDialog::CreatePrinterHDc(const std::string& AppTitle)
{
    Mode mode;
    mode.dmSize = 122;
    PrinterDeviceNames names;
    std::string device;
    skippingErrors([&] { device = RestorePrinterSettings(mode, names, AppTitle); });
    if (device.empty()) return 0;

    std::string driver;
    skippingErrors([&] {
        if (auto system = forms::printerSystem().defaultPrinter()) driver = system->driverName;
        for (const forms::PrinterInfo& p : forms::printerSystem().printers()) {
            if (p.deviceName != device) continue;
            driver = p.driverName;
            forms::doEvents();
            break;
        }
    });
    std::int32_t hdc = 0;
    skippingErrors([&] {
        const Mode handed = handedOver(mode);
        hdc = forms::gdi::CreateDCA(driver, device, "", &handed);
        forms::gdi::ResetDCA(hdc, handed);
    });
    return hdc;
}

void GCommonDialog::GetPageMargine(std::int32_t PrinterHDc, const std::string& AppTitle, rt::VArray& MinMargin,
                                   rt::VArray& Margin)
{
    static const char* const kMinKeys[] = {"MinLeft", "MinRight", "MinTop", "MinBottom"};
    static const char* const kKeys[] = {"Left", "Right", "Top", "Bottom"};
    float minimum[5] = {};
    float margin[5] = {};
    for (std::int32_t i = 1; i <= 4; ++i) {
        minimum[i] = SingleArgument(MinMargin, i, HALVEX_MEMBER(GCommonDialog, GetPageMargine), "MinMargin");
        margin[i] = SingleArgument(Margin, i, HALVEX_MEMBER(GCommonDialog, GetPageMargine), "Margin");
    }
    for (std::int32_t i = 1; i <= 4; ++i) {
        const std::string stored =
            GetPrivateSettingValue(AppTitle, kMarginSection, kMinKeys[i - 1], rt::Variant(marginText(minimum[i]))).toString();
        if (auto v = storedMargin(stored)) minimum[i] = *v;
        const std::string storedMarginText =
            GetPrivateSettingValue(AppTitle, kMarginSection, kKeys[i - 1], rt::Variant(marginText(margin[i]))).toString();
        if (auto v = storedMargin(storedMarginText)) margin[i] = *v;
    }

    namespace gdi = forms::gdi;
    std::int32_t hs = gdi::GetDeviceCaps(PrinterHDc, gdi::HORZSIZE);
    std::int32_t vs = gdi::GetDeviceCaps(PrinterHDc, gdi::VERTSIZE);
    forms::win::POINTAPI page;
    forms::win::POINTAPI offset;
    gdi::Escape(PrinterHDc, gdi::GETPHYSPAGESIZE, 0, nullptr, &page);
    gdi::Escape(PrinterHDc, gdi::GETPRINTINGOFFSET, 0, nullptr, &offset);
    std::int32_t hr = gdi::GetDeviceCaps(PrinterHDc, gdi::HORZRES);
    std::int32_t vr = gdi::GetDeviceCaps(PrinterHDc, gdi::VERTRES);
    if (hs == 0) hs = 210;
    if (vs == 0) vs = 290;
    if (hr == 0) hr = 10000;
    if (vr == 0) vr = 14000;
    // A device that reports no sheet has no border beyond its printable area.
    if (page.X == 0) page.X = hr;
    if (page.Y == 0) page.Y = vr;

    const double left = static_cast<double>(hs) / hr * offset.X * 0.1;
    const double right = (page.X - hr) * 0.1 * hs / hr - static_cast<float>(left);
    const double top = static_cast<double>(vs) / vr * offset.Y * 0.1;
    const double bottom = (page.Y - vr) * 0.1 * vs / vr - static_cast<float>(top);
    minimum[1] = static_cast<float>(std::max(0.0, left));
    minimum[2] = static_cast<float>(std::max(0.0, right));
    minimum[3] = static_cast<float>(std::max(0.0, top));
    minimum[4] = static_cast<float>(std::max(0.0, bottom));
    // None below the unprintable border; a centimetre of the printable
    // length stays printable, a margin that does not fit is cut, the one
    // opposite it stays. The page set-up shows and returns margins fitted
    // by the same rule.
    forms::PageMargins fitted{margin[1], margin[2], margin[3], margin[4]};
    forms::fitPageMargins(fitted, forms::PageMargins{minimum[1], minimum[2], minimum[3], minimum[4]}, hs * 0.1,
                          vs * 0.1, 1.0);
    margin[1] = static_cast<float>(fitted.left);
    margin[2] = static_cast<float>(fitted.right);
    margin[3] = static_cast<float>(fitted.top);
    margin[4] = static_cast<float>(fitted.bottom);

    for (std::int32_t i = 1; i <= 4; ++i) {
        MinMargin.at(i) = rt::Variant(minimum[i]);
        Margin.at(i) = rt::Variant(margin[i]);
    }
}

void GCommonDialog::SavePageMargine(const std::string& AppTitle, float LeftMargin, float MinLeftMargin,
                                    float RightMargin, float MinRightMargin, float TopMargin, float MinTopMargin,
                                    float BottomMargin, float MinBottomMargin)
{
    const std::pair<const char*, float> values[] = {
        {"MinLeft", MinLeftMargin}, {"MinRight", MinRightMargin}, {"MinTop", MinTopMargin}, {"MinBottom", MinBottomMargin},
        {"Left", LeftMargin},       {"Right", RightMargin},       {"Top", TopMargin},       {"Bottom", BottomMargin}};
    for (const auto& [key, value] : values) {
        SavePrivateSettingValue(AppTitle, kMarginSection, key, rt::Variant(marginText(value)));
    }
}

}  // namespace halvex
