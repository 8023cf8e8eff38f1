// Printing through the dialog layer and the facade: the printer settings
// per application title, the margins, the device contexts handed out, the
// metafile copy and the order-header dialog.
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "dialog_fixture.h"
#include "halvex/dialogs/c_common_dialog.h"
#include "halvex/dialogs/cls_show_dialog.h"
#include "halvex/dialogs/frm_auftrag.h"
#include "halvex/dialogs/g_common_dialog.h"
#include "halvex/dialogs/instan_graphic.h"
#include "halvex/dialogs/std_font.h"
#include "halvex/services/library_state.h"
#include "halvex/services/private_settings.h"
#include "platform/forms/control.h"
#include "platform/forms/desktop.h"
#include "platform/forms/display.h"
#include "platform/forms/gdi.h"
#include "platform/forms/input.h"
#include "platform/forms/locale.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/printing.h"
#include "platform/forms/settings.h"
#include "platform/runtime/errors.h"

using namespace halvex;
using forms::DialogSession;
using forms::ScopedCommonDialogDriver;
namespace g = forms::gdi;

namespace {

const std::string kApp = "Probe App";

rt::VArray margins(float left, float right, float top, float bottom)
{
    rt::VArray a;
    a.redim(1, 4);
    std::int32_t i = 1;
    for (float m : {left, right, top, bottom}) a.at(i++) = rt::Variant(m);
    return a;
}

class PrintingTest : public dialogtest::DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        printers_ = std::make_shared<forms::ScriptedPrinterSystem>();
        previousPrinters_ = forms::setPrinterSystem(printers_);
        previousStore_ = forms::setSettingsStore(store_);
        previousClipboard_ = forms::setClipboard(clipboard_);
        before_ = g::liveCounts();
    }
    void TearDown() override
    {
        forms::setClipboard(previousClipboard_);
        forms::setSettingsStore(previousStore_);
        forms::setPrinterSystem(previousPrinters_);
        DialogTest::TearDown();
    }
    void addPrinter(const std::string& name, bool asDefault = false, bool opens = true)
    {
        forms::ScriptedPrinterSystem::Printer p;
        p.info.deviceName = name;
        p.info.driverName = "drv-" + name;
        p.info.defaults.dmOrientation = forms::dm::DMORIENT_PORTRAIT;
        p.info.defaults.dmPaperSize = forms::dm::DMPAPER_A4;
        p.info.defaults.dmCopies = 2;
        p.opens = opens;
        printers_->addPrinter(p, asDefault);
    }
    std::int32_t liveDCs() const { return g::liveCounts().printerDCs - before_.printerDCs; }
    std::string stored(const std::string& section, const std::string& key) const
    {
        return forms::settings().get(kApp, section, key, "<none>");
    }

    std::shared_ptr<forms::ScriptedPrinterSystem> printers_;
    // Records the order in which "Device Mode" keys are written.
    struct RecordingStore : forms::MemorySettingsStore {
        void save(std::string_view app, std::string_view section, std::string_view key,
                  std::string_view value) override
        {
            if (section == "Device Mode" && saved.size() < 27) saved.emplace_back(key);
            MemorySettingsStore::save(app, section, key, value);
        }
        std::vector<std::string> saved;
    };
    std::shared_ptr<RecordingStore> store_ = std::make_shared<RecordingStore>();
    std::shared_ptr<forms::MemoryClipboard> clipboard_ = std::make_shared<forms::MemoryClipboard>();
    g::LiveCounts before_;

private:
    std::shared_ptr<forms::PrinterSystem> previousPrinters_;
    std::shared_ptr<forms::SettingsStore> previousStore_;
    std::shared_ptr<forms::Clipboard> previousClipboard_;
};

// ---- no printer at all ----

TEST_F(PrintingTest, WithoutAnyPrinterEveryMemberFailsQuietly)
{
    forms::ScopedMsgBox box;  // any box would throw: none may be shown
    ScopedCommonDialogDriver driver([](DialogSession& s) {
        if (s.kind() != DialogSession::Kind::Font) ADD_FAILURE() << "no printer dialog opens without a printer";
        s.pressCancel();
    });
    ClsShowDialog facade;
    struct Case {
        const char* name;
        std::function<bool(std::int32_t&, rt::VArray&, rt::VArray&)> call;
    };
    const std::vector<Case> cases = {
        {"ShowPrinterDialog", [&](auto& dc, auto& mn, auto& m) { return facade.ShowPrinterDialog(0, dc, kApp, mn, m); }},
        {"ShowPrinterSetup", [&](auto& dc, auto& mn, auto& m) { return facade.ShowPrinterSetup(0, dc, kApp, mn, m); }},
        {"ShowPageSetupDialog", [&](auto& dc, auto& mn, auto& m) { return facade.ShowPageSetupDialog(0, dc, kApp, mn, m); }},
        {"CreatePrinterDevice", [&](auto& dc, auto& mn, auto& m) { facade.CreatePrinterDevice(dc, kApp, mn, m); return true; }},
        {"ShowFontDialog (cancelled)", [&](auto&, auto&, auto&) { return facade.ShowFontDialog(0, true); }},
    };
    for (const Case& c : cases) {
        std::int32_t dc = 0;
        rt::VArray minimum = margins(0, 0, 0, 0);
        rt::VArray margin = margins(-1, 0, 2, 30);
        EXPECT_TRUE(c.call(dc, minimum, margin)) << c.name;
        EXPECT_EQ(dc, 0) << c.name;
        EXPECT_EQ(liveDCs(), 0) << c.name;
        for (std::int32_t i = 1; i <= 4; ++i) EXPECT_GE(minimum.at(i).toSingle(), 0.0f) << c.name << " " << i;
    }
    EXPECT_TRUE(box->boxes().empty());
    // The margins of a device without sizes: 210 x 290 mm less 1 cm.
    std::int32_t dc = 0;
    rt::VArray minimum = margins(0, 0, 0, 0);
    rt::VArray margin = margins(-1, 0, 2, 30);
    facade.CreatePrinterDevice(dc, kApp, minimum, margin);
    EXPECT_FLOAT_EQ(margin.at(1).toSingle(), 0.0f) << "raised to the minimum";
    EXPECT_FLOAT_EQ(margin.at(3).toSingle(), 14.0f) << "a pair wider than 28 cm is halved";
    EXPECT_FLOAT_EQ(margin.at(4).toSingle(), 14.0f);

    float vertical = 0, horizontal = 0;
    rt::VArray none = margins(0, 0, 0, 0), some = margins(2, 1, 2.5f, 1.5f);
    facade.GetPaperSize(0, none, vertical, horizontal);
    EXPECT_TRUE(vertical == 290.0f && horizontal == 210.0f);
    facade.GetPaperSize(0, some, vertical, horizontal);
    EXPECT_TRUE(vertical == 250.0f && horizontal == 180.0f);
}

// ---- the printer settings ----

TEST_F(PrintingTest, TheSettingsAreStoredInOrderAndRestoredForTheNextDialog)
{
    addPrinter("Office", true);
    addPrinter("Plotter");
    GCommonDialog layer;
    PrintDlgArgs a;
    a.AppTitle = kApp;
    int dialogs = 0;
    forms::DEVMODE seen;
    ScopedCommonDialogDriver driver([&](DialogSession& s) {
        ++dialogs;
        seen = *s.print().devMode;
        if (dialogs == 1) {
            s.choosePrinter("Plotter");
            s.setOrientation(forms::dm::DMORIENT_LANDSCAPE);
        }
        s.pressOk();
    });
    ASSERT_TRUE(layer.VBPrintDlg(a));
    EXPECT_EQ(forms::fieldText(seen.dmDeviceName), "Office") << "a new title starts on the default printer";
    EXPECT_EQ(seen.dmFields, 4097);
    EXPECT_EQ(seen.dmCopies, 2) << "the default printer's copies";
    EXPECT_EQ(seen.dmSize, 122);
    EXPECT_EQ(liveDCs(), 1);
    g::DeleteDC(a.hdc);

    const std::vector<std::string> modeKeys = {
        "dmBitsPerPel", "dmDeviceName", "dmOrientation", "dmPaperSize", "dmDisplayFlags", "dmDefaultSource",
        "dmDriverVersion", "dmDuplex", "dmFields", "dmPaperLength", "dmPaperWidth", "dmPrintQuality", "dmSize",
        "dmCollate", "dmColor", "dmCopies", "dmDisplayFrequency", "dmDriverExtra", "dmFormName", "dmPelsWidth",
        "dmPelsHeight", "dmScale", "dmSpecVersion", "dmUnusedPadding", "dmYResolution", "dmTTOption",
        "dmDeviceNameFull"};
    EXPECT_EQ(store_->saved, modeKeys);
    EXPECT_EQ(stored("Device Mode", "dmDeviceName"), "Plotter" + std::string(25, '\0')) << "NUL-padded to 32";
    EXPECT_EQ(stored("Device Mode", "dmOrientation"), "2");
    EXPECT_EQ(stored("Device Mode", "dmDeviceNameFull"), "Plotter");
    EXPECT_EQ(stored("Device Name", "extra").size(), 100u);
    EXPECT_EQ(stored("Device Name", "wDeviceOffset"), "8") << "the device name comes first";

    a.hdc = 0;
    ASSERT_TRUE(layer.VBPrintDlg(a));
    EXPECT_EQ(forms::fieldText(seen.dmDeviceName), "Plotter");
    EXPECT_EQ(seen.dmOrientation, forms::dm::DMORIENT_LANDSCAPE);
    g::DeleteDC(a.hdc);
    EXPECT_EQ(liveDCs(), 0);
}

TEST_F(PrintingTest, ALongStoredNameInOtherCaseSelectsItsPrinter)
{
    const std::string longName = "Ground_Floor_Colour_Laser_Printer_West_Wing";  // over 32 bytes
    addPrinter("Office", true);
    addPrinter(longName);
    addPrinter(longName.substr(0, 32) + "_2");  // the same first 32 bytes
    const std::string upper = "GROUND_FLOOR_COLOUR_LASER_PRINTER_WEST_WING";
    forms::settings().save(kApp, "Device Mode", "dmDeviceName", upper.substr(0, 32));
    forms::settings().save(kApp, "Device Mode", "dmDeviceNameFull", upper);
    forms::settings().save(kApp, "Device Mode", "dmOrientation", "2");
    forms::settings().save(kApp, "Device Mode", "dmCopies", "99999");  // too wide: the default's stays
    forms::settings().save(kApp, "Device Mode", "dmFields", "4099");

    GCommonDialog layer;
    const std::int32_t dc = layer.CreatePrinterHDc(kApp);
    ASSERT_NE(dc, 0);
    EXPECT_EQ(g::GetDeviceCaps(dc, g::HORZSIZE), 287) << "the stored orientation applies";
    ASSERT_EQ(g::StartDocA(dc, g::DOCINFO{"probe", ""}), 1);
    g::EndDoc(dc);
    EXPECT_EQ(printers_->documents().back()->printer, longName) << "the printer's own spelling, the full name";
    EXPECT_EQ(printers_->documents().back()->mode.dmCopies, 2);
    g::DeleteDC(dc);
}

TEST_F(PrintingTest, PageSetUpUnitsRoundHalfEvenAndMarginsAreStoredWithAPoint)
{
    addPrinter("Office", true);
    GCommonDialog layer;
    std::vector<forms::win::RECT> shown;
    std::vector<std::int32_t> flags;
    forms::win::RECT answer{2500, 1000, 985, 0};
    ScopedCommonDialogDriver driver([&](DialogSession& s) {
        shown.push_back(s.pageSetup().rtMargin);
        flags.push_back(s.pageSetup().flags);
        s.setMargins(answer);
        s.pressOk();
    });
    PageSetupDlgArgs mm;
    mm.AppTitle = kApp;
    mm.LeftMargin = 2.5f;
    mm.MinLeftMargin = 0.5f;
    ASSERT_TRUE(layer.VBPageSetupDlg(mm));
    EXPECT_EQ(shown[0].Left, 2500);
    EXPECT_EQ(flags[0], forms::dlg::PSD_MARGINS | forms::dlg::PSD_INHUNDREDTHSOFMILLIMETERS);
    EXPECT_FLOAT_EQ(mm.LeftMargin, 2.5f);
    EXPECT_FLOAT_EQ(mm.TopMargin, 1.0f);
    EXPECT_EQ(layer.APIReturn(), 0);
    EXPECT_EQ(stored("Page Margine", "Left"), "2.5");
    EXPECT_EQ(stored("Page Margine", "Right"), "0.985");

    PageSetupDlgArgs inches;
    inches.AppTitle = kApp;
    inches.Units = epsuInches;
    inches.LeftMargin = 2.5f;
    inches.RightMargin = 1.25f;
    answer = forms::win::RECT{985, 0, 492, 0};
    ASSERT_TRUE(layer.VBPageSetupDlg(inches));
    EXPECT_EQ(shown[1].Left, 985);
    EXPECT_EQ(shown[1].Right, 492) << "1.25 x 394 = 492.5 goes to the even 492";
    EXPECT_FLOAT_EQ(inches.LeftMargin, 2.5f);

    // A margin stored with a comma reads back too.
    forms::settings().save(kApp, "Page Margine", "Top", "1,5");
    std::int32_t dc = layer.CreatePrinterHDc(kApp);
    rt::VArray minimum = margins(0, 0, 0, 0);
    rt::VArray margin = margins(0, 0, 0, 0);
    layer.GetPageMargine(dc, kApp, minimum, margin);
    EXPECT_FLOAT_EQ(margin.at(3).toSingle(), 1.5f);
    EXPECT_NEAR(minimum.at(1).toSingle(), 0.5f, 0.01f) << "the printer's 5 mm border";
    rt::VArray shortArray;
    shortArray.redim(1, 3);
    EXPECT_THROW(layer.GetPageMargine(dc, kApp, minimum, shortArray), rt::RuntimeError);
    g::DeleteDC(dc);
}

TEST_F(PrintingTest, PagesAndCopiesTravelAsSixteenBitValues)
{
    addPrinter("Office", true);
    GCommonDialog layer;
    cCommonDialog sink;
    PrintDlgArgs a;
    a.AppTitle = kApp;
    a.Hook = true;
    a.EventSink = &sink;
    a.ToPage = 70000;
    EXPECT_THROW(layer.VBPrintDlg(a), rt::RuntimeError) << "error 6 before the dialog";
    EXPECT_EQ(GetActiveDialog(), nullptr) << "no hook left behind";

    std::uint16_t toPage = 0;
    bool inMode = true;
    ScopedCommonDialogDriver driver([&](DialogSession& s) {
        toPage = s.print().nToPage;
        s.setCopies(4, true, inMode);
        s.pressOk();
    });
    a.ToPage = -1;
    ASSERT_TRUE(layer.VBPrintDlg(a));
    EXPECT_EQ(toPage, 65535);
    EXPECT_EQ(a.ToPage, -1);
    EXPECT_EQ(a.Copies, 4) << "copies kept in the device mode";
    EXPECT_TRUE(a.Collate);
    g::DeleteDC(a.hdc);
    inMode = false;
    a.Collate = false;
    ASSERT_TRUE(layer.VBPrintDlg(a));
    EXPECT_EQ(a.Copies, 4) << "copies handed back in the record";
    EXPECT_TRUE(a.Collate);
    g::DeleteDC(a.hdc);

    cCommonDialog dialog;
    dialog.Copies(40000);
    EXPECT_THROW(dialog.ShowPrinter(), rt::RuntimeError);
}

// ---- device contexts handed out ----

TEST_F(PrintingTest, ThePrinterMembersReplaceTheCallersContextOnlyByANewOne)
{
    addPrinter("Office", true);
    addPrinter("Broken", false, false);  // its device context cannot be made
    ClsShowDialog facade;
    rt::VArray minimum = margins(0, 0, 0, 0), margin = margins(0, 0, 0, 0);
    std::string printer = "Office";
    ScopedCommonDialogDriver driver([&](DialogSession& s) {
        s.choosePrinter(printer);
        s.pressOk();
    });
    for (bool setup : {false, true}) {
        std::int32_t dc = DefaultPrinterHDc();
        const std::int32_t old = dc;
        printer = "Broken";
        EXPECT_TRUE(setup ? facade.ShowPrinterSetup(0, dc, kApp, minimum, margin)
                          : facade.ShowPrinterDialog(0, dc, kApp, minimum, margin));
        EXPECT_EQ(dc, old) << "no context: the caller's stays";
        EXPECT_TRUE(g::isLiveObject(old));
        printer = "Office";
        EXPECT_FALSE(setup ? facade.ShowPrinterSetup(0, dc, kApp, minimum, margin)
                           : facade.ShowPrinterDialog(0, dc, kApp, minimum, margin));
        EXPECT_NE(dc, old);
        EXPECT_FALSE(g::isLiveObject(old)) << "the old one is deleted";
        EXPECT_EQ(liveDCs(), 1);
        g::DeleteDC(dc);
    }

    // The font dialog's default-printer context goes again.
    ScopedCommonDialogDriver font([](DialogSession& s) { s.pressOk(); });
    EXPECT_FALSE(facade.ShowFontDialog(0, false));
    EXPECT_EQ(liveDCs(), 0);
}

// ---- the font and colour members ----

TEST_F(PrintingTest, TheFontDialogRoundsTheHeightAndKeepsAWeightItCannotShow)
{
    ClsShowDialog facade;
    CurrentFontRecord& font = libraryState().CurrentFont;
    std::vector<std::int32_t> sizes;
    bool bold = false;
    ScopedCommonDialogDriver driver([&](DialogSession& s) {
        sizes.push_back(s.font().iPointSize);
        forms::FontChoice choice = forms::initialFontChoice(s.font());
        choice.bold = bold;
        s.pickFont(choice);
        s.pressOk();
    });
    facade.SetFontData("Serif", 900, 600, true, false, false, 0x123456);
    font.FontHeight = 10.5f;
    EXPECT_FALSE(facade.ShowFontDialog(0, true));
    font.FontHeight = 11.5f;
    EXPECT_FALSE(facade.ShowFontDialog(0, true));
    EXPECT_EQ(sizes, (std::vector<std::int32_t>{100, 120}));
    EXPECT_EQ(font.FontWeight, 600) << "bold unchanged: the weight stays";
    EXPECT_EQ(font.FontEscapement, 900);
    EXPECT_TRUE(font.FontItalicOut);
    bold = true;
    EXPECT_FALSE(facade.ShowFontDialog(0, true));
    EXPECT_EQ(font.FontWeight, 700);

    // A failed font dialog left its extended error; the colour dialog starts clean.
    GCommonDialog layer;
    ChooseFontArgs bad;
    bad.MinSize = 20;
    bad.MaxSize = 10;
    StdFont any;
    EXPECT_FALSE(layer.VBChooseFont(any, bad));
    EXPECT_NE(layer.ExtendedError(), 0);
    ScopedCommonDialogDriver cancel([](DialogSession& s) { s.pressCancel(); });
    ChooseColorArgs colour;
    EXPECT_FALSE(layer.VBChooseColor(colour));
    EXPECT_EQ(layer.APIReturn(), 0);
    EXPECT_EQ(layer.ExtendedError(), 0);
}

// ---- the metafile copy ----

class Graphic : public GraphicObject {
public:
    std::int32_t hwnd() const override
    {
        if (failing) rt::raise(91, "Object variable not set");
        return 0x10077;
    }
    std::string Caption() const override { return "Plan"; }
    bool failing = false;
};

// A metafile with a rectangle and a text, to be copied.
std::int32_t drawing()
{
    const std::int32_t dc = g::CreateMetaFileA("");
    const std::int32_t pen = g::CreatePen(0, 2, 0xFF);
    g::SelectObject(dc, pen);
    g::Rectangle(dc, 0, 0, 400, 300);
    g::TextOutA(dc, 10, 10, "Probe");
    g::DeleteObject(pen);
    return g::CloseMetaFile(dc);
}

std::vector<std::uint8_t> fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<std::string> mrvFiles()
{
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::temp_directory_path())) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("MRV", 0) == 0 && name.size() == 11 && name.substr(7) == ".TMP") found.push_back(name);
    }
    return found;
}

TEST_F(PrintingTest, CopyWMFileWritesAStandardMetafileFile)
{
    const std::int32_t source = drawing();
    ClsShowDialog facade;
    Graphic graphic;
    std::string target = folder() + "/Plan.WMF";
    std::int32_t recording = 0;
    ScopedCommonDialogDriver driver([&](DialogSession& s) {
        EXPECT_EQ(s.file().hwndOwner, 0x10077);
        s.pressOk();
    });
    facade.CopyWMFile(target, recording, 8000, 6000, 100, 50, source, graphic);
    EXPECT_EQ(target, folder() + "/Plan.WMF");
    EXPECT_FALSE(g::isLiveObject(recording)) << "a closed recording's handle stays behind, stale";
    EXPECT_EQ(g::SetWindowExtEx(recording, 1, 1, nullptr), 0);
    const std::vector<std::uint8_t> bytes = fileBytes(target);
    ASSERT_GE(bytes.size(), 24u);
    EXPECT_EQ(bytes[0], 2) << "a metafile on disk";
    EXPECT_EQ(bytes[2], 9);
    const std::size_t words = bytes[6] | (bytes[7] << 8) | (bytes[8] << 16);
    EXPECT_EQ(2 * words, bytes.size());
    // Window extent (8000, -6000) and origin (100, 50 + 6000) first.
    EXPECT_EQ(bytes[22] | (bytes[23] << 8), g::META_SETWINDOWEXT);
    EXPECT_EQ(static_cast<std::int16_t>(bytes[24] | (bytes[25] << 8)), -6000);
    EXPECT_EQ(bytes[32] | (bytes[33] << 8), g::META_SETWINDOWORG);
    EXPECT_EQ(static_cast<std::int16_t>(bytes[34] | (bytes[35] << 8)), 6050);
    if (std::system("command -v wmf2svg > /dev/null 2>&1") == 0) {
        const std::string svg = folder() + "/Plan.svg";
        EXPECT_EQ(std::system(("wmf2svg -o '" + svg + "' '" + target + "' > /dev/null 2>&1").c_str()), 0);
        std::ifstream in(svg);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_NE(text.find("Probe"), std::string::npos);
    }
    g::DeleteMetaFile(source);
    EXPECT_EQ(g::liveCounts(), before_);
}

TEST_F(PrintingTest, CopyWMFileToTheClipboardLeavesNoTemporaryFile)
{
    const std::int32_t source = drawing();
    ClsShowDialog facade;
    Graphic graphic;
    const std::vector<std::string> before = mrvFiles();
    auto copy = [&](std::int32_t height) {
        std::string target;  // empty: to the clipboard
        std::int32_t recording = 0;
        facade.CopyWMFile(target, recording, 8000, height, 0, 0, source, graphic);
        return target;
    };
    {
        forms::ScopedMsgBox box;
        box->answer(forms::vbOK);
        EXPECT_FALSE(std::filesystem::exists(copy(6000)));
        ASSERT_TRUE(clipboard_->metafilePicture());
        const auto& picture = *clipboard_->metafilePicture();
        EXPECT_TRUE(picture.mappingMode == 7 && picture.xExt == -8000 && picture.yExt == -6000);
        EXPECT_EQ(picture.bytes.substr(0, 4), std::string("\x01\x00\x09\x00", 4));
        ASSERT_EQ(box->boxes().size(), 1u);
        EXPECT_EQ(box->boxes()[0].prompt, textLib().GetText(rt::Variant(quillon::TextNo(140155))));
        EXPECT_EQ(box->boxes()[0].title, textLib().GetText(rt::Variant(quillon::TextNo(113))));
    }
    {
        forms::ScopedMsgBox box;
        clipboard_->clear();
        clipboard_->refuseMetafiles = true;
        copy(6000);
        EXPECT_FALSE(clipboard_->metafilePicture());
        EXPECT_TRUE(box->boxes().empty()) << "no message when the clipboard refused";
    }
    {
        forms::ScopedMsgBox box;
        box->answer(forms::vbOK);
        EXPECT_FALSE(std::filesystem::exists(copy(0)));
        ASSERT_EQ(box->boxes().size(), 1u) << "a height of 0 is reported";
    }
    EXPECT_EQ(mrvFiles(), before);
    g::DeleteMetaFile(source);
    EXPECT_EQ(g::liveCounts(), before_);
}

TEST_F(PrintingTest, AnEarlyErrorKeepsTheHostsFile)
{
    const std::int32_t source = drawing();
    const std::string hostFile = touch("Host.WMF");
    ClsShowDialog facade;
    Graphic graphic;
    graphic.failing = true;
    forms::ScopedMsgBox box;
    box->answer(forms::vbOK);
    std::string target = hostFile;
    std::int32_t recording = 0;
    facade.CopyWMFile(target, recording, 8000, 6000, 0, 0, source, graphic);
    EXPECT_EQ(box->boxes().size(), 1u);
    EXPECT_TRUE(std::filesystem::exists(hostFile));
    EXPECT_EQ(std::filesystem::file_size(hostFile), 1u);
    g::DeleteMetaFile(source);
}

TEST_F(PrintingTest, SetMetaToClpRefusesWhatIsNoMetafile)
{
    InstanGraphic graphic;
    forms::ScopedMsgBox box;  // no box may be shown
    std::string title;
    auto offer = [&](const std::string& bytes) {
        const std::string path = folder() + "/offer.wmf";
        std::ofstream(path, std::ios::binary) << bytes;
        std::string name = path;
        graphic.SetMetaToClp(name, 10, 10, title);
        return clipboard_->metafilePicture().has_value();
    };
    const std::string header("\x01\x00\x09\x00\x00\x03\x0C\x00\x00\x00\x00\x00\x03\x00\x00\x00\x00\x00", 18);
    const std::string eof("\x03\x00\x00\x00\x00\x00", 6);
    // Header size 10, type 5, a size past the file's end.
    for (auto [at, value] : {std::pair{2, '\x0A'}, {0, '\x05'}, {6, '\x28'}}) {
        std::string bad = header + eof;
        bad[at] = value;
        EXPECT_FALSE(offer(bad)) << at;
    }
    EXPECT_FALSE(offer(header.substr(0, 12)));
    std::string missing = folder() + "/missing.wmf";
    graphic.SetMetaToClp(missing, 1, 1, title);
    EXPECT_FALSE(clipboard_->metafilePicture());
    EXPECT_TRUE(box->boxes().empty());

    std::string name;
    ASSERT_TRUE(graphic.GetTempFilename("MRVX", 0, name));
    EXPECT_TRUE(std::filesystem::exists(name));
    EXPECT_EQ(std::filesystem::path(name).filename().string().substr(0, 3), "MRV");
    EXPECT_EQ(graphic.GetShortPathName(name), name);
    std::filesystem::remove(name);
    EXPECT_THROW(graphic.GetShortPathName(name), rt::RuntimeError);
}

// ---- the order header ----

TEST_F(PrintingTest, TheOrderHeaderDialog)
{
    ClsShowDialog facade;
    std::string order = "A-17", date = "not a date", project = "Raft";
    forms::Date shownDate;
    {
        forms::ScopedModalDriver driver([&](forms::Form& form) {
            EXPECT_EQ(form.control("txtDatum").Text(), "not a date");
            shownDate = form.control("DTPicker1").DateValue();
            forms::pickDate(form.control("DTPicker1"), forms::Date{2026, 3, 14});
            forms::typeText(form.control("txtAuftr"), "-B");
            forms::click(form.control("cmdSave"));
        });
        EXPECT_FALSE(facade.ShowAuf(order, date, project));
    }
    EXPECT_EQ(date, forms::locale().longDate(forms::Date{2026, 3, 14}));
    EXPECT_EQ(project, "Raft");
    {
        // Enter in the project box moves to Save without saving; the close
        // box then cancels.
        forms::ScopedModalDriver driver([&](forms::Form& form) {
            forms::focus(form.control("txtProj"));
            forms::pressKey(form.control("txtProj"), forms::vbKeyReturn);
            EXPECT_EQ(form.ActiveControl(), &form.control("cmdSave"));
            EXPECT_TRUE(form.Visible());
            forms::closeWindow(form);
        });
        std::string p = project;
        EXPECT_TRUE(facade.ShowAuf(order, date, p));
        EXPECT_EQ(p, "Raft");
    }
    EXPECT_FALSE(auftragForm().loaded());
}

}  // namespace
