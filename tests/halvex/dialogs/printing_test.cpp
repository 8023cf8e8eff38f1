// Printing through the dialog layer and the facade, the metafile copy and
// the order-header dialog.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <tuple>
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
#include "platform/forms/control.h"
#include "platform/forms/desktop.h"
#include "platform/forms/display.h"
#include "platform/forms/gdi.h"
#include "platform/forms/input.h"
#include "platform/forms/locale.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/printing.h"
#include "platform/forms/screen.h"
#include "platform/forms/settings.h"
#include "platform/runtime/errors.h"

using namespace halvex;
using forms::DialogSession;
using forms::ScopedCommonDialogDriver;
namespace g = forms::gdi;

namespace {

const std::string kApp = "Probe App";

rt::VArray margins(float left = 0, float right = 0, float top = 0, float bottom = 0)
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
        p.info.defaults.dmCopies = 2;
        p.opens = opens;
        printers_->addPrinter(p, asDefault);
    }
    std::int32_t liveDCs() const { return g::liveCounts().printerDCs - before_.printerDCs; }
    std::string stored(const std::string& section, const std::string& key) const
    {
        return forms::settings().get(kApp, section, key, "<none>");
    }

    struct RecordingStore : forms::MemorySettingsStore {  // records the order of the "Device Mode" keys
        void save(std::string_view app, std::string_view section, std::string_view key,
                  std::string_view value) override
        {
            if (section == "Device Mode" && saved.size() < 27) saved.emplace_back(key);
            MemorySettingsStore::save(app, section, key, value);
        }
        std::vector<std::string> saved;
    };
    std::shared_ptr<forms::ScriptedPrinterSystem> printers_;
    std::shared_ptr<RecordingStore> store_ = std::make_shared<RecordingStore>();
    std::shared_ptr<forms::MemoryClipboard> clipboard_ = std::make_shared<forms::MemoryClipboard>();
    g::LiveCounts before_;

private:
    std::shared_ptr<forms::PrinterSystem> previousPrinters_;
    std::shared_ptr<forms::SettingsStore> previousStore_;
    std::shared_ptr<forms::Clipboard> previousClipboard_;
};

TEST_F(PrintingTest, WithoutAnyPrinterEveryMemberFailsQuietly)
{
    forms::ScopedMsgBox box;  // any box would throw: none may be shown
    ScopedCommonDialogDriver driver([](DialogSession& s) {
        if (s.kind() != DialogSession::Kind::Font) ADD_FAILURE() << "no printer dialog opens without a printer";
        s.pressCancel();
    });
    ClsShowDialog f;
    using Call = std::function<bool(std::int32_t&, rt::VArray&, rt::VArray&)>;
    const std::vector<std::pair<const char*, Call>> cases = {
        {"PrinterDialog", [&](auto& dc, auto& mn, auto& m) { return f.ShowPrinterDialog(0, dc, kApp, mn, m); }},
        {"PrinterSetup", [&](auto& dc, auto& mn, auto& m) { return f.ShowPrinterSetup(0, dc, kApp, mn, m); }},
        {"PageSetup", [&](auto& dc, auto& mn, auto& m) { return f.ShowPageSetupDialog(0, dc, kApp, mn, m); }},
        {"PrinterDevice", [&](auto& dc, auto& mn, auto& m) { f.CreatePrinterDevice(dc, kApp, mn, m); return true; }},
        {"FontDialog", [&](auto&, auto&, auto&) { return f.ShowFontDialog(0, true); }},
    };
    for (const auto& [name, call] : cases) {
        std::int32_t dc = 0;
        rt::VArray minimum = margins(), margin = margins(-1, 0, 2, 30);
        EXPECT_TRUE(call(dc, minimum, margin)) << name;
        EXPECT_TRUE(dc == 0 && liveDCs() == 0) << name;
        for (std::int32_t i = 1; i <= 4; ++i) EXPECT_GE(minimum.at(i).toSingle(), 0.0f) << name << " " << i;
        if (std::string(name) == "PrinterDevice") {  // 210 x 290 mm less 1 cm
            EXPECT_FLOAT_EQ(margin.at(1).toSingle(), 0.0f) << "raised to the minimum";
            EXPECT_FLOAT_EQ(margin.at(3).toSingle(), 2.0f) << "the top that fits stays";
            EXPECT_FLOAT_EQ(margin.at(4).toSingle(), 26.0f) << "the bottom gets what the top leaves of 28 cm";
        }
    }
    float vertical = 0, horizontal = 0;
    rt::VArray none = margins(), some = margins(2, 1, 2.5f, 1.5f);
    f.GetPaperSize(0, none, vertical, horizontal);
    EXPECT_TRUE(vertical == 290.0f && horizontal == 210.0f);
    f.GetPaperSize(0, some, vertical, horizontal);
    EXPECT_TRUE(vertical == 250.0f && horizontal == 180.0f);
}

TEST_F(PrintingTest, TheSettingsAreStoredInOrderAndRestoredForTheNextDialog)
{
    addPrinter("Office", true);
    addPrinter("Plotter");
    GCommonDialog layer;
    PrintDlgArgs a;
    a.AppTitle = kApp;
    forms::DEVMODE seen;
    ScopedCommonDialogDriver driver([&](DialogSession& s) {
        seen = *s.print().devMode;
        if (forms::fieldText(seen.dmDeviceName) == "Office") {
            s.choosePrinter("Plotter");
            s.setOrientation(forms::dm::DMORIENT_LANDSCAPE);
        }
        s.pressOk();
    });
    ASSERT_TRUE(layer.VBPrintDlg(a));
    EXPECT_EQ(forms::fieldText(seen.dmDeviceName), "Office") << "a new title starts on the default printer";
    EXPECT_EQ(seen.dmCopies, 2);
    g::DeleteDC(a.hdc);
    EXPECT_EQ(store_->saved, (std::vector<std::string>{
        "dmBitsPerPel", "dmDeviceName", "dmOrientation", "dmPaperSize", "dmDisplayFlags", "dmDefaultSource",
        "dmDriverVersion", "dmDuplex", "dmFields", "dmPaperLength", "dmPaperWidth", "dmPrintQuality", "dmSize",
        "dmCollate", "dmColor", "dmCopies", "dmDisplayFrequency", "dmDriverExtra", "dmFormName", "dmPelsWidth",
        "dmPelsHeight", "dmScale", "dmSpecVersion", "dmUnusedPadding", "dmYResolution", "dmTTOption",
        "dmDeviceNameFull"}));
    EXPECT_EQ(stored("Device Mode", "dmDeviceName"), "Plotter" + std::string(25, '\0')) << "NUL-padded to 32";
    EXPECT_EQ(stored("Device Mode", "dmDeviceNameFull"), "Plotter");
    EXPECT_EQ(stored("Device Name", "extra").size(), 100u);

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
    for (auto [key, value] : {std::pair<std::string, std::string>{"dmDeviceName", upper.substr(0, 32)},
                              {"dmDeviceNameFull", upper}, {"dmOrientation", "2"},
                              {"dmCopies", "99999"} /* too wide: the default's stays */, {"dmFields", "4099"}})
        forms::settings().save(kApp, "Device Mode", key, value);

    const std::int32_t dc = GCommonDialog().CreatePrinterHDc(kApp);
    EXPECT_EQ(g::GetDeviceCaps(dc, g::HORZSIZE), 287) << "the stored orientation applies";
    ASSERT_EQ(g::StartDocA(dc, g::DOCINFO{"probe", ""}), 1);
    g::EndDoc(dc);
    g::DeleteDC(dc);
    const auto& doc = *printers_->documents().back();
    EXPECT_EQ(doc.printer, longName) << "the printer's own spelling, the full name";
    EXPECT_EQ(doc.mode.dmCopies, 2);
}

TEST_F(PrintingTest, PageSetUpUnitsRoundHalfEvenAndMarginsAreStoredWithAPoint)
{
    addPrinter("Office", true);
    GCommonDialog layer;
    std::vector<forms::win::RECT> shown;
    forms::win::RECT answer{2500, 1000, 985, 0};
    ScopedCommonDialogDriver driver([&](DialogSession& s) {
        shown.push_back(s.pageSetup().rtMargin);
        s.setMargins(answer);
        s.pressOk();
    });
    PageSetupDlgArgs mm;
    mm.AppTitle = kApp;
    mm.LeftMargin = 2.5f;
    ASSERT_TRUE(layer.VBPageSetupDlg(mm));
    EXPECT_EQ(shown[0].Left, 2500);
    EXPECT_TRUE(mm.LeftMargin == 2.5f && mm.TopMargin == 1.0f);
    EXPECT_EQ(stored("Page Margine", "Right"), "0.985");

    PageSetupDlgArgs inches = mm;
    inches.Units = epsuInches;
    inches.RightMargin = 1.25f;
    answer = forms::win::RECT{985, 0, 492, 0};
    ASSERT_TRUE(layer.VBPageSetupDlg(inches));
    EXPECT_TRUE(shown[1].Left == 985 && inches.LeftMargin == 2.5f);
    EXPECT_EQ(shown[1].Right, 492) << "1.25 x 394 = 492.5 goes to the even 492";

    forms::settings().save(kApp, "Page Margine", "Top", "1,5");  // a comma reads back too
    std::int32_t dc = layer.CreatePrinterHDc(kApp);
    rt::VArray minimum = margins(), margin = margins();
    layer.GetPageMargine(dc, kApp, minimum, margin);
    EXPECT_FLOAT_EQ(margin.at(3).toSingle(), 1.5f);
    EXPECT_NEAR(minimum.at(1).toSingle(), 0.5f, 0.01f) << "the printer's 5 mm border";
    g::DeleteDC(dc);
}

// Eight different margins: a pair swapped or a minimum lost on the way
// shows in the store and in what the component hands back.
TEST_F(PrintingTest, SavePageMargineAndShowPageSetupKeepEachMarginInItsPlace)
{
    addPrinter("Office", true);
    GCommonDialog().SavePageMargine(kApp, 2.5f, 0.25f, 1.75f, 0.5f, 3.5f, 0.75f, 1.25f, 1.5f);
    for (const auto& [key, value] : {std::pair{"Left", "2.5"}, {"MinLeft", "0.25"}, {"Right", "1.75"}, {"MinRight", "0.5"},
                                     {"Top", "3.5"}, {"MinTop", "0.75"}, {"Bottom", "1.25"}, {"MinBottom", "1.5"}})
        EXPECT_EQ(stored("Page Margine", key), value) << key;
    cCommonDialog dialog;
    dialog.AppTitle(kApp);
    dialog.LeftMargin(2.5f), dialog.RightMargin(1.75f), dialog.TopMargin(3.5f), dialog.BottomMargin(1.25f);
    forms::win::RECT shown{};
    ScopedCommonDialogDriver driver([&](DialogSession& s) {
        shown = s.pageSetup().rtMargin;
        s.setMargins(forms::win::RECT{1100, 2200, 3300, 4400});
        s.pressOk();
    });
    dialog.ShowPageSetup();
    EXPECT_TRUE(shown.Left == 2500 && shown.Top == 3500 && shown.Right == 1750 && shown.Bottom == 1250);
    for (auto [got, want] : {std::pair{dialog.LeftMargin(), 1.1f}, {dialog.TopMargin(), 2.2f}, {dialog.RightMargin(), 3.3f},
                             {dialog.BottomMargin(), 4.4f}})
        EXPECT_FLOAT_EQ(got, want);
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
    a.ToPage = -1;
    for (bool inMode : {true, false}) {  // copies kept in the device mode, then handed back in the record
        ScopedCommonDialogDriver driver([&](DialogSession& s) {
            toPage = s.print().nToPage;
            s.setCopies(4, true, inMode);
            s.pressOk();
        });
        a.Collate = false;
        ASSERT_TRUE(layer.VBPrintDlg(a));
        EXPECT_TRUE(toPage == 65535 && a.ToPage == -1);
        EXPECT_TRUE(a.Copies == 4 && a.Collate) << inMode;
        g::DeleteDC(a.hdc);
    }
    cCommonDialog dialog;
    dialog.Copies(40000);
    EXPECT_THROW(dialog.ShowPrinter(), rt::RuntimeError);
}

TEST_F(PrintingTest, ThePrinterMembersReplaceTheCallersContextOnlyByANewOne)
{
    addPrinter("Office", true);
    addPrinter("Broken", false, false);  // its device context cannot be made
    ClsShowDialog facade;
    rt::VArray minimum = margins(), margin = margins();
    std::string printer;
    ScopedCommonDialogDriver driver([&](DialogSession& s) {
        s.choosePrinter(printer);
        s.pressOk();
    });
    for (bool setup : {false, true}) {
        std::int32_t dc = DefaultPrinterHDc();
        const std::int32_t old = dc;
        auto show = [&](const std::string& name) {
            printer = name;
            return setup ? facade.ShowPrinterSetup(0, dc, kApp, minimum, margin)
                         : facade.ShowPrinterDialog(0, dc, kApp, minimum, margin);
        };
        EXPECT_TRUE(show("Broken"));
        EXPECT_TRUE(dc == old && g::isLiveObject(old)) << "no context: the caller's stays";
        EXPECT_FALSE(show("Office"));
        EXPECT_TRUE(dc != old && !g::isLiveObject(old)) << "the old one is deleted";
        EXPECT_EQ(liveDCs(), 1);
        g::DeleteDC(dc);
    }
    ScopedCommonDialogDriver font([](DialogSession& s) { s.pressOk(); });
    EXPECT_FALSE(facade.ShowFontDialog(0, false));
    EXPECT_EQ(liveDCs(), 0) << "the font dialog's default-printer context goes again";
}

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
    for (auto [height, pickBold, weight] : {std::tuple{10.5f, false, 600}, {11.5f, false, 600}, {11.5f, true, 700}}) {
        font.FontHeight = height;
        bold = pickBold;
        EXPECT_FALSE(facade.ShowFontDialog(0, true));
        EXPECT_EQ(font.FontWeight, weight) << "bold unchanged: the weight stays";
    }
    EXPECT_EQ(sizes, (std::vector<std::int32_t>{100, 120, 120}));

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
    EXPECT_TRUE(layer.APIReturn() == 0 && layer.ExtendedError() == 0);
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

class MetafileCopyTest : public PrintingTest {
protected:
    void SetUp() override
    {
        PrintingTest::SetUp();
        const std::int32_t dc = g::CreateMetaFileA("");  // a rectangle and a text, to be copied
        g::Rectangle(dc, 0, 0, 400, 300);
        g::TextOutA(dc, 10, 10, "Probe");
        source_ = g::CloseMetaFile(dc);
    }
    void TearDown() override
    {
        g::DeleteMetaFile(source_);
        EXPECT_EQ(g::liveCounts(), before_);
        PrintingTest::TearDown();
    }
    std::string copy(std::string target, std::int32_t height = 6000, std::int32_t y = 0)
    {
        std::int32_t recording = 0;
        facade_.CopyWMFile(target, recording, 8000, height, 100, y, source_, graphic_);
        EXPECT_FALSE(g::isLiveObject(recording));
        return target;
    }
    std::int32_t source_ = 0;
    ClsShowDialog facade_;
    Graphic graphic_;
};

std::vector<std::string> mrvFiles()
{
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::temp_directory_path())) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("MRV", 0) == 0 && name.size() == 11 && name.substr(7) == ".TMP") found.push_back(name);
    }
    return found;
}

TEST_F(MetafileCopyTest, ToAFileWritesAStandardMetafileFile)
{
    ScopedCommonDialogDriver driver([&](DialogSession& s) {
        EXPECT_EQ(s.file().hwndOwner, 0x10077);
        s.pressOk();
    });
    EXPECT_EQ(copy(folder() + "/plan.wmf"), folder() + "/plan.wmf") << "the name keeps its case";
    const std::string target = copy(folder() + "/Plan.WMF", 6000, 50);
    EXPECT_EQ(target, folder() + "/Plan.WMF");
    std::ifstream in(target, std::ios::binary);
    const std::vector<std::uint8_t> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GE(b.size(), 36u);
    auto word = [&](std::size_t at) { return static_cast<std::int16_t>(b[at] | (b[at + 1] << 8)); };
    EXPECT_TRUE(word(0) == 2 && word(2) == 9) << "a metafile on disk";
    EXPECT_EQ(2 * std::size_t(b[6] | (b[7] << 8) | (b[8] << 16)), b.size());
    // Window extent (8000, -6000) and origin (100, 50 + 6000) first.
    EXPECT_TRUE(word(22) == g::META_SETWINDOWEXT && word(24) == -6000);
    EXPECT_TRUE(word(32) == g::META_SETWINDOWORG && word(34) == 6050);
    if (std::system("command -v wmf2svg > /dev/null 2>&1") == 0) {
        const std::string svg = folder() + "/Plan.svg";
        EXPECT_EQ(std::system(("wmf2svg -o '" + svg + "' '" + target + "' > /dev/null 2>&1").c_str()), 0);
        std::ifstream svgIn(svg);
        const std::string text((std::istreambuf_iterator<char>(svgIn)), std::istreambuf_iterator<char>());
        EXPECT_NE(text.find("Probe"), std::string::npos);
    }
}

TEST_F(MetafileCopyTest, ToTheClipboardLeavesNoTemporaryFile)
{
    const std::vector<std::string> before = mrvFiles();
    {
        forms::ScopedMsgBox box;
        box->answer(forms::vbOK);
        EXPECT_EQ(copy(""), "") << "the temporary name stays inside";
        ASSERT_TRUE(clipboard_->metafilePicture());
        const auto& picture = *clipboard_->metafilePicture();
        EXPECT_TRUE(picture.mappingMode == 7 && picture.xExt == -8000 && picture.yExt == -6000);
        EXPECT_EQ(picture.bytes.substr(0, 4), std::string("\x01\x00\x09\x00", 4));
        ASSERT_EQ(box->boxes().size(), 1u);
        EXPECT_EQ(box->boxes()[0].prompt, textLib().GetText(rt::Variant(quillon::TextNo(140155))));
        EXPECT_EQ(forms::iconOf(box->boxes()[0].style), forms::vbInformation);
        box->answer(forms::vbOK);
        EXPECT_FALSE(std::filesystem::exists(copy("", 0)));
        EXPECT_EQ(box->boxes().size(), 2u) << "a height of 0 is reported";
    }
    forms::ScopedMsgBox box;
    clipboard_->clear();
    clipboard_->refuseMetafiles = true;
    copy("");
    EXPECT_FALSE(clipboard_->metafilePicture());
    EXPECT_TRUE(box->boxes().empty()) << "no message when the clipboard refused";
    EXPECT_EQ(mrvFiles(), before);
}

TEST_F(MetafileCopyTest, WhatCannotBeCopiedIsReportedAndLeavesNoFile)
{
    ScopedCommonDialogDriver driver([](DialogSession& s) { s.pressOk(); });
    forms::ScopedMsgBox box;
    const std::int32_t good = source_;  // no metafile; an extent beyond 16 bits
    for (auto [source, height, text] : {std::tuple{0x2FFFFFF0, 6000, 140282}, {good, 70000, 140283}}) {
        source_ = source;
        // To a file and to the clipboard: nothing copied, one message.
        for (const std::string& target : {folder() + "/Plan.wmf", std::string()}) {
            clipboard_->clear();
            const std::size_t shown = box->boxes().size();
            box->answer(forms::vbOK);
            EXPECT_FALSE(std::filesystem::exists(copy(target, height)));
            EXPECT_FALSE(clipboard_->metafilePicture()) << text;
            ASSERT_EQ(box->boxes().size(), shown + 1) << text << " " << target;
            const std::vector<rt::Variant> value{rt::Variant("|1"), rt::Variant("-70000")};
            EXPECT_TRUE(box->boxes().back().prompt ==
                            "ClsShowDialog.CopyWMFile: " + textLib().GetText(rt::Variant(quillon::TextNo(text)), value) &&
                        forms::screen().MousePointer() == forms::vbDefault) << text;
        }
    }
    std::vector<char> bytes(g::GetMetaFileBitsEx(good, 0, nullptr));
    g::GetMetaFileBitsEx(good, static_cast<std::uint32_t>(bytes.size()), bytes.data());
    std::mt19937 random(7);
    for (int i = 0; i < 500; ++i) {  // damaged records, the header kept: copied or reported, never thrown
        std::vector<char> bad = bytes;
        for (int k = 0; k < 3; ++k) bad[18 + random() % (bad.size() - 18)] = static_cast<char>(random());
        source_ = g::SetMetaFileBitsEx(static_cast<std::uint32_t>(bad.size()), bad.data());
        box->answer(forms::vbOK);
        EXPECT_NO_THROW(copy(folder() + "/Plan.wmf"));
        g::DeleteMetaFile(source_);
    }
    source_ = good;
}

TEST_F(MetafileCopyTest, AnEarlyErrorKeepsTheHostsFile)
{
    const std::string hostFile = touch("Host.WMF");
    graphic_.failing = true;
    forms::ScopedMsgBox box;
    box->answer(forms::vbOK);
    copy(hostFile);
    EXPECT_EQ(box->boxes().size(), 1u);
    EXPECT_EQ(std::filesystem::file_size(hostFile), 1u);
}

// A failed copy leaves the earlier file as it was and nothing beside it; a
// copy keeps the file's mode and goes through a link to its target.
TEST_F(MetafileCopyTest, TheChosenFileIsReplacedOnlyByAWholeCopy)
{
    ScopedCommonDialogDriver driver([](DialogSession& s) { s.pressOk(); });
    forms::ScopedMsgBox box;
    const std::string earlier = touch("Plan.wmf"), link = folder() + "/Link.wmf";
    std::filesystem::permissions(earlier, std::filesystem::perms(0640));
    std::filesystem::create_symlink("Plan.wmf", link);
    auto names = [&] { return std::distance(std::filesystem::directory_iterator(folder()), {}); };
    const auto before = names();
    const std::int32_t good = source_;
    source_ = 0x2FFFFFF0;  // no metafile
    for (const std::string& chosen : {earlier, link}) {
        box->answer(forms::vbOK);
        copy(chosen);
        EXPECT_TRUE(std::filesystem::file_size(earlier) == 1u && names() == before) << chosen;
    }
    source_ = good;
    EXPECT_EQ(copy(link), link);
    EXPECT_TRUE(std::filesystem::is_symlink(link) && std::filesystem::file_size(earlier) > 36u && names() == before);
    EXPECT_EQ(std::filesystem::status(earlier).permissions(), std::filesystem::perms(0640));
}

TEST_F(MetafileCopyTest, ATargetThatIsNoRegularFileIsRefusedAndKept)
{
    // A folder and a pipe (with a reader waiting, so that opening it for
    // writing cannot block) of the chosen name.
    const std::string dir = folder() + "/Plan.wmf";
    std::filesystem::create_directory(dir);
    const std::string pipe = folder() + "/Pipe.wmf";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    ScopedCommonDialogDriver driver([](DialogSession& s) { s.pressOk(); });
    forms::ScopedMsgBox box;
    for (const std::string& target : {dir, pipe}) {
        box->answer(forms::vbOK);
        copy(target);
        ASSERT_FALSE(box->boxes().empty());
        EXPECT_NE(box->boxes().back().prompt.find(target), std::string::npos) << box->boxes().back().prompt;
    }
    ::close(reader);
    EXPECT_TRUE(std::filesystem::is_directory(dir));
    EXPECT_TRUE(std::filesystem::is_fifo(pipe));
}

TEST_F(PrintingTest, SetMetaToClpRefusesWhatIsNoMetafile)
{
    InstanGraphic graphic;
    forms::ScopedMsgBox box;  // no box may be shown
    std::string title;
    auto offer = [&](const std::string& bytes) {
        std::string path = folder() + "/offer.wmf";
        std::ofstream(path, std::ios::binary) << bytes;
        graphic.SetMetaToClp(path, 10, 10, title);
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
    EXPECT_TRUE(box->boxes().empty());
}

TEST_F(PrintingTest, TheOrderHeaderDialog)
{
    ClsShowDialog facade;
    std::string order = "A-17", date = "not a date", project = "Raft";
    forms::ScopedModalDriver save([&](forms::Form& form) {
        EXPECT_EQ(form.control("txtDatum").Text(), "not a date");
        forms::pickDate(form.control("DTPicker1"), forms::Date{2026, 3, 14});
        forms::click(form.control("cmdSave"));
    });
    EXPECT_FALSE(facade.ShowAuf(order, date, project));
    EXPECT_EQ(date, forms::locale().longDate(forms::Date{2026, 3, 14}));
    // Enter in the project box moves to Save without saving; the close box then cancels.
    forms::ScopedModalDriver close([&](forms::Form& form) {
        forms::focus(form.control("txtProj"));
        forms::pressKey(form.control("txtProj"), forms::vbKeyReturn);
        EXPECT_TRUE(form.ActiveControl() == &form.control("cmdSave") && form.Visible());
        forms::closeWindow(form);
    });
    EXPECT_TRUE(facade.ShowAuf(order, date, project));
    EXPECT_FALSE(auftragForm().loaded());
}

}  // namespace
