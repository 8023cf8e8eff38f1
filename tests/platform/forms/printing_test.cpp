// The graphics subset, the scripted printers and their dialogs, long dates.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "platform/forms/gdi.h"
#include "platform/forms/locale.h"
#include "platform/forms/printing.h"
#include "platform/forms/scripted_dialogs.h"
#include "platform/runtime/errors.h"

using namespace forms;
namespace g = forms::gdi;

namespace {

std::vector<std::uint8_t> bitsOf(std::int32_t metafile)
{
    std::vector<std::uint8_t> bytes(g::GetMetaFileBitsEx(metafile, 0, nullptr));
    g::GetMetaFileBitsEx(metafile, static_cast<std::uint32_t>(bytes.size()), bytes.data());
    return bytes;
}

std::uint16_t word(const std::vector<std::uint8_t>& b, std::size_t at) { return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8)); }
std::uint32_t dword(const std::vector<std::uint8_t>& b, std::size_t at) { return word(b, at) | (word(b, at + 2) << 16u); }

// The record functions of a metafile, in order, without META_EOF; the
// first parameters of its selections go to `selected`.
std::vector<std::uint16_t> functions(const std::vector<std::uint8_t>& b, std::vector<std::int16_t>* selected = nullptr)
{
    std::vector<std::uint16_t> list;
    for (std::size_t at = 18; at + 6 <= b.size() && word(b, at + 4) != g::META_EOF; at += 2 * dword(b, at)) {
        list.push_back(word(b, at + 4));
        if (selected && list.back() == g::META_SELECTOBJECT) selected->push_back(static_cast<std::int16_t>(word(b, at + 6)));
    }
    return list;
}

class PrintingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        printers_ = std::make_shared<ScriptedPrinterSystem>();
        previousPrinters_ = setPrinterSystem(printers_);
        previousDialogs_ = setCommonDialogs(std::make_shared<ScriptedCommonDialogs>());
        before_ = g::liveCounts();
    }
    void TearDown() override
    {
        EXPECT_EQ(g::liveCounts(), before_) << "every object of the test is deleted";
        setCommonDialogs(previousDialogs_);
        setPrinterSystem(previousPrinters_);
    }
    void addPrinter(const std::string& name, bool asDefault = false)
    {
        ScriptedPrinterSystem::Printer p;
        p.info.deviceName = name;
        p.info.driverName = "driver of " + name;
        printers_->addPrinter(p, asDefault);
    }
    bool accepted(const std::vector<std::uint8_t>& bytes)
    {
        const std::int32_t m = g::SetMetaFileBitsEx(static_cast<std::uint32_t>(bytes.size()), bytes.data());
        if (m != 0) g::DeleteMetaFile(m);
        return m != 0;
    }

    std::shared_ptr<ScriptedPrinterSystem> printers_;

private:
    std::shared_ptr<PrinterSystem> previousPrinters_;
    std::shared_ptr<CommonDialogs> previousDialogs_;
    g::LiveCounts before_;
};

TEST_F(PrintingTest, AMetafileIsStandardWmfWithObjectsInTheLowestFreeSlot)
{
    const std::int32_t dc = g::CreateMetaFileA("");
    const std::int32_t pen = g::CreatePen(g::PS_SOLID, 3, 0x0000FF);
    const std::int32_t brush = g::CreateSolidBrush(0x00FF00);
    const std::int32_t other = g::CreatePen(g::PS_SOLID, 1, 0);
    g::SelectObject(dc, pen);
    g::SelectObject(dc, brush);
    g::Rectangle(dc, 10, 20, 110, 220);
    g::DeleteObject(pen);        // frees slot 0
    g::SelectObject(dc, other);  // takes slot 0 again
    const std::int32_t metafile = g::CloseMetaFile(dc);
    ASSERT_NE(metafile, 0);
    EXPECT_EQ(g::SelectObject(dc, other), 0) << "the recording context is gone";

    const std::vector<std::uint8_t> b = bitsOf(metafile);
    ASSERT_GE(b.size(), 18u);
    EXPECT_TRUE(word(b, 0) == 1 && word(b, 2) == 9 && word(b, 4) == 0x0300) << "a memory metafile";
    EXPECT_EQ(2 * dword(b, 6), b.size()) << "the size in words";
    EXPECT_EQ(word(b, 10), 2) << "two object slots were used";
    EXPECT_TRUE(dword(b, b.size() - 6) == 3u && word(b, b.size() - 2) == g::META_EOF);
    std::vector<std::int16_t> selected;
    EXPECT_EQ(functions(b, &selected),
              (std::vector<std::uint16_t>{g::META_CREATEPENINDIRECT, g::META_SELECTOBJECT,
                                          g::META_CREATEBRUSHINDIRECT, g::META_SELECTOBJECT, g::META_RECTANGLE,
                                          g::META_DELETEOBJECT, g::META_CREATEPENINDIRECT, g::META_SELECTOBJECT}));
    EXPECT_EQ(selected, (std::vector<std::int16_t>{0, 1, 0})) << "the deleted pen's slot is taken again";
    for (std::int32_t o : {brush, other}) g::DeleteObject(o);
    g::DeleteMetaFile(metafile);
}

// Random drawings replayed into a second recording give the same records:
// what the writer writes, the player reads.
TEST_F(PrintingTest, PlayingARandomMetafileRecordsItAgainUnchanged)
{
    std::mt19937 random(20261209);
    for (int round = 0; round < 40; ++round) {
        const std::int32_t dc = g::CreateMetaFileA("");
        std::vector<std::int32_t> objects;
        const int steps = 1 + static_cast<int>(random() % 30);
        for (int s = 0; s < steps; ++s) {
            const int x = static_cast<int>(random() % 20000) - 10000;
            const int y = static_cast<int>(random() % 20000) - 10000;
            switch (random() % 8) {
                case 0: g::MoveToEx(dc, x, y, nullptr); break;
                case 1: g::LineTo(dc, x, y); break;
                case 2: g::Rectangle(dc, x, y, x + 50, y + 70); break;
                case 3: g::Ellipse(dc, x, y, x + 9, y + 3); break;
                case 4: g::TextOutA(dc, x, y, std::string(random() % 7, static_cast<char>('a' + random() % 26))); break;
                case 5: objects.push_back(g::CreatePen(std::int32_t(random() % 5), std::int32_t(random() % 9), x & 0xFFFFFF)); break;
                case 6: {
                    LOGFONT font;
                    font.lfHeight = -static_cast<std::int32_t>(random() % 90);
                    font.lfWeight = random() % 2 ? 700 : 400;
                    setFaceName(font, random() % 2 ? "Serif" : "Sans");
                    objects.push_back(g::CreateFontIndirectA(font));
                    break;
                }
                default:
                    if (!objects.empty()) g::DeleteObject(objects.back()), objects.pop_back();
                    continue;
            }
            if (random() % 3 == 0 && !objects.empty()) g::SelectObject(dc, objects.back());
        }
        g::SetWindowOrgEx(dc, 1, 2, nullptr);
        const std::int32_t first = g::CloseMetaFile(dc);
        const std::vector<std::uint8_t> original = bitsOf(first);
        const std::int32_t copy = g::SetMetaFileBitsEx(static_cast<std::uint32_t>(original.size()), original.data());
        ASSERT_NE(copy, 0) << "round " << round;

        const std::int32_t again = g::CreateMetaFileA("");
        ASSERT_EQ(g::PlayMetaFile(again, copy), 1);
        const std::int32_t second = g::CloseMetaFile(again);
        // Playing deletes what it created at the end, beyond the original's records.
        const std::vector<std::uint16_t> a = functions(original), r = functions(bitsOf(second));
        ASSERT_GE(r.size(), a.size()) << "round " << round;
        EXPECT_TRUE(std::equal(a.begin(), a.end(), r.begin())) << "round " << round;
        EXPECT_TRUE(std::all_of(r.begin() + a.size(), r.end(), [](auto f) { return f == g::META_DELETEOBJECT; }));

        for (std::int32_t o : objects) g::DeleteObject(o);
        for (std::int32_t m : {first, copy, second}) g::DeleteMetaFile(m);
    }
}

TEST_F(PrintingTest, BadMetafileBytesAreRefused)
{
    const std::int32_t dc = g::CreateMetaFileA("");
    g::LineTo(dc, 1, 1);
    const std::int32_t metafile = g::CloseMetaFile(dc);
    const std::vector<std::uint8_t> good = bitsOf(metafile);
    g::DeleteMetaFile(metafile);
    EXPECT_TRUE(accepted(good));
    // Header size 10, type 3, a size past the end, META_EOF turned into another record.
    for (auto [at, value] : {std::pair<std::size_t, int>{2, 10}, {0, 3}, {6, 0xFF}, {good.size() - 2, 0x13}}) {
        std::vector<std::uint8_t> bad = good;
        bad[at] = static_cast<std::uint8_t>(value);
        EXPECT_FALSE(accepted(bad)) << at;
    }
    EXPECT_FALSE(accepted(std::vector<std::uint8_t>(good.begin(), good.begin() + 17))) << "shorter than the header";
}

// A value past 16 bits would wrap in the record: the call fails and the
// recording stays as it was; a printer context takes it.
TEST_F(PrintingTest, ARecordingRefusesACoordinatePast16Bits)
{
    const std::int32_t dc = g::CreateMetaFileA("");
    const std::int32_t wide = g::CreatePen(g::PS_SOLID, 40000, 0);
    LOGFONT huge;
    huge.lfHeight = -70000;
    const std::int32_t font = g::CreateFontIndirectA(huge);
    for (std::int32_t far : {32768, -32769, 70000})
        EXPECT_EQ(std::vector<int>({g::Rectangle(dc, 0, 0, far, 100), g::Ellipse(dc, far, 0, 10, 10), g::LineTo(dc, far, 5),
                                    g::MoveToEx(dc, 5, far, nullptr), g::TextOutA(dc, far, 0, "a"),
                                    g::SetWindowOrgEx(dc, far, 0, nullptr), g::SetWindowExtEx(dc, 0, far, nullptr)}),
                  std::vector<int>(7, 0)) << far;
    EXPECT_TRUE(g::SelectObject(dc, wide) == 0 && g::SelectObject(dc, font) == 0);
    EXPECT_EQ(g::Rectangle(dc, -32768, -32768, 32767, 32767), 1) << "the ends of the range fit";
    const std::int32_t metafile = g::CloseMetaFile(dc);
    EXPECT_EQ(functions(bitsOf(metafile)), std::vector<std::uint16_t>{g::META_RECTANGLE});
    for (std::int32_t o : {wide, font}) g::DeleteObject(o);
    g::DeleteMetaFile(metafile);
}

// A text record whose count is negative or longer than the record is
// refused by the player called directly, not read past its end.
TEST_F(PrintingTest, PlayingATextRecordWithABadCountFails)
{
    const std::int32_t dc = g::CreateMetaFileA("");
    g::TextOutA(dc, 3, 4, "abcd");
    const std::int32_t metafile = g::CloseMetaFile(dc);
    const std::vector<std::uint8_t> good = bitsOf(metafile);
    g::DeleteMetaFile(metafile);
    ASSERT_EQ(word(good, 18 + 4), g::META_TEXTOUT);
    for (int high : {0xFF, 0x80, 0x70}) {  // counts 0xFF04, 0x8004, 0x7004
        std::vector<std::uint8_t> bad = good;
        bad[18 + 7] = static_cast<std::uint8_t>(high);
        const std::int32_t played = g::SetMetaFileBitsEx(static_cast<std::uint32_t>(bad.size()), bad.data());
        ASSERT_NE(played, 0);
        const std::int32_t target = g::CreateMetaFileA("");
        EXPECT_EQ(g::PlayMetaFile(target, played), 0) << high;
        g::DeleteMetaFile(g::CloseMetaFile(target));
        g::DeleteMetaFile(played);
    }
}

TEST_F(PrintingTest, APrinterContextFollowsItsDeviceModeAndRecordsTheDocument)
{
    addPrinter("Office");
    DEVMODE mode;
    mode.dmFields = dm::DM_ORIENTATION;  // the paper size field is not flagged
    mode.dmOrientation = dm::DMORIENT_LANDSCAPE;
    mode.dmPaperSize = dm::DMPAPER_LETTER;
    const std::int32_t dc = g::CreateDCA("", "Office", "", &mode);
    // A4 landscape at 600 dpi with 5 mm borders.
    EXPECT_EQ(g::GetDeviceCaps(dc, g::HORZSIZE), 287);
    win::POINTAPI offset;
    EXPECT_TRUE(g::Escape(dc, g::GETPRINTINGOFFSET, 0, nullptr, &offset) == 1 && offset.Y == 118);

    ASSERT_GT(g::StartDocA(dc, g::DOCINFO{"Report", ""}), 0);
    g::StartPage(dc);
    g::SetWindowOrgEx(dc, 100, 50, nullptr);
    g::TextOutA(dc, 110, 70, "Probe");
    g::TextOutA(dc, 110, 70, "\xD8\xB3\xD9\x84\xD8\xA7\xD9\x85");  // UTF-8 prints as it is
    g::TextOutA(dc, 110, 70, "caf\xE9");  // bytes that are no UTF-8: Windows-1252
    g::EndDoc(dc);
    ASSERT_EQ(printers_->documents().size(), 1u);
    const auto& doc = *printers_->documents()[0];
    ASSERT_TRUE(doc.ended && doc.commands.size() == 3u);
    EXPECT_TRUE(doc.commands[0].box.Left == 10 && doc.commands[0].box.Top == 20) << "the window origin moves the drawing";
    EXPECT_TRUE(doc.commands[1].text == "\xD8\xB3\xD9\x84\xD8\xA7\xD9\x85" && doc.commands[2].text == "caf\xC3\xA9");

    // Stale and foreign handles fail cleanly.
    const std::int32_t pen = g::CreatePen(0, 1, 0);
    EXPECT_TRUE(g::DeleteMetaFile(dc) == 0 && g::SelectObject(dc, dc) == 0) << "a device context is no metafile";
    EXPECT_EQ(g::DeleteDC(dc), 1);
    EXPECT_TRUE(g::DeleteDC(dc) == 0 && g::GetDeviceCaps(dc, g::HORZRES) == 0 && g::TextOutA(dc, 0, 0, "x") == 0);
    win::POINTAPI untouched{7, 8};
    EXPECT_TRUE(g::Escape(dc, g::GETPHYSPAGESIZE, 0, nullptr, &untouched) == 0 && untouched.X == 7);
    EXPECT_EQ(g::CreateDCA("", "Missing", "", nullptr), 0);
    EXPECT_TRUE(g::DeleteObject(pen) == 1 && g::DeleteObject(pen) == 0);
}

TEST_F(PrintingTest, ThePrintDialogStartsOnTheNamedPrinterAndHandsBackTheChoice)
{
    PageSetupDlgRecord page;  // no printer yet: no dialog opens
    EXPECT_TRUE(commonDialogs().pageSetupDlg(page) == -1 && commonDialogs().extendedError() == dlg::PDERR_NODEFAULTPRN);
    addPrinter("Office", true);
    const std::string longName = "Laboratory_Printer_With_A_Very_Long_CUPS_Name";
    addPrinter(longName);
    PrintDlgRecord record;
    record.flags = dlg::PD_RETURNDC | dlg::PD_USEDEVMODECOPIES;
    record.devMode = std::make_shared<DEVMODE>();
    setFieldText(record.devMode->dmDeviceName, longName);  // cut to 32 bytes
    std::string shown;
    ScopedCommonDialogDriver driver([&](DialogSession& s) {
        shown = s.printer().deviceName;
        s.setOrientation(dm::DMORIENT_LANDSCAPE);
        s.pressOk();
    });
    ASSERT_EQ(commonDialogs().printDlg(record), 1);
    EXPECT_EQ(shown, longName) << "a cut name finds the printer whose name it starts";
    ASSERT_TRUE(record.devMode && record.devNames);
    EXPECT_EQ(devNamesEntry(*record.devNames, 1), longName);
    EXPECT_EQ(devNamesEntry(*record.devNames, 0), ("driver of " + longName).substr(0, 100 - 46 - 1))
        << "a name that does not fit is cut; the device's comes first";
    ASSERT_NE(record.hDC, 0);
    EXPECT_EQ(g::GetDeviceCaps(record.hDC, g::HORZSIZE), 287) << "the context is landscape";
    g::DeleteDC(record.hDC);
}

TEST(LocaleTest, LongDatesReadBackAndOtherTextsAreNoDates)
{
    Locale locale;
    EXPECT_EQ(locale.longDate(Date{2026, 12, 9}), "Wednesday, 9 December 2026");
    std::mt19937 random(7);
    for (int i = 0; i < 500; ++i) {
        const Date d{static_cast<std::int16_t>(100 + random() % 9900), static_cast<std::int16_t>(1 + random() % 12),
                     static_cast<std::int16_t>(1 + random() % 31)};
        if (!isValidDate(d)) {
            EXPECT_FALSE(locale.parseDate(std::to_string(d.Year) + "-" + std::to_string(d.Month) + "-" +
                                          std::to_string(d.Day)));
            continue;
        }
        EXPECT_EQ(locale.parseDate(locale.longDate(d)), d);
        EXPECT_EQ(locale.parseDate(std::to_string(d.Day) + "." + std::to_string(d.Month) + "." + std::to_string(d.Year)), d);
    }
    for (const char* text : {"", "next week", "12.13.2020", "1-2", "Monday, 40 May 2020", "2020-02-30"}) {
        EXPECT_FALSE(locale.parseDate(text)) << text;
    }
}

TEST(MarginFitTest, AMarginThatFitsStaysAndNoneGoesBelowZero)
{
    std::mt19937 random(34);
    std::uniform_real_distribution<double> any(-50.0, 400.0);
    for (int i = 0; i < 20000; ++i) {
        const double a = any(random), b = any(random), room = any(random) - 40.0, usable = std::max(0.0, room);
        double first = a, second = b;
        fitOppositeMargins(first, second, room);
        const double fa = std::max(0.0, a), fb = std::max(0.0, b), fits = fa + fb <= usable;
        ASSERT_TRUE(first >= 0 && second >= 0 && first + second <= usable + 1e-9 && (fits || fa > usable / 2 || first == fa) &&
                    (fits || fb > usable / 2 || second == fb) && (!fits || (first == fa && second == fb)))
            << a << " " << b << " " << room;
    }
}

}  // namespace
