// The graphics subset (handle table, metafiles, printer device contexts),
// the scripted printers and their dialogs, and the date picker.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/forms/form.h"
#include "platform/forms/gdi.h"
#include "platform/forms/input.h"
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
    g::SetWindowExtEx(dc, 8000, -6000, nullptr);
    g::SelectObject(dc, pen);
    g::SelectObject(dc, brush);
    g::Rectangle(dc, 10, 20, 110, 220);
    g::DeleteObject(pen);           // frees slot 0
    g::SelectObject(dc, other);     // takes slot 0 again
    g::TextOutA(dc, 5, 6, "Pr\xF6" "be");  // Windows-1252 bytes pass unchanged
    const std::int32_t metafile = g::CloseMetaFile(dc);
    ASSERT_NE(metafile, 0);
    EXPECT_EQ(g::SelectObject(dc, other), 0) << "the recording context is gone";

    const std::vector<std::uint8_t> b = bitsOf(metafile);
    ASSERT_GE(b.size(), 18u);
    EXPECT_EQ(word(b, 0), 1) << "a memory metafile";
    EXPECT_EQ(word(b, 2), 9);
    EXPECT_EQ(word(b, 4), 0x0300);
    EXPECT_EQ(2 * dword(b, 6), b.size()) << "the size in words";
    EXPECT_EQ(word(b, 10), 2) << "two object slots were used";
    EXPECT_EQ(dword(b, b.size() - 6), 3u);
    EXPECT_EQ(word(b, b.size() - 2), g::META_EOF);
    std::vector<std::int16_t> selected;
    EXPECT_EQ(functions(b, &selected),
              (std::vector<std::uint16_t>{g::META_SETWINDOWEXT, g::META_CREATEPENINDIRECT, g::META_SELECTOBJECT,
                                          g::META_CREATEBRUSHINDIRECT, g::META_SELECTOBJECT, g::META_RECTANGLE,
                                          g::META_DELETEOBJECT, g::META_CREATEPENINDIRECT, g::META_SELECTOBJECT,
                                          g::META_TEXTOUT}));
    // The last selection names slot 0, the one the deleted pen left.
    EXPECT_EQ(selected, (std::vector<std::int16_t>{0, 1, 0}));

    g::DeleteObject(brush);
    g::DeleteObject(other);
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
                case 5:
                    objects.push_back(g::CreatePen(static_cast<std::int32_t>(random() % 5),
                                                   static_cast<std::int32_t>(random() % 9), x & 0xFFFFFF));
                    g::SelectObject(dc, objects.back());
                    break;
                case 6: {
                    LOGFONT font;
                    font.lfHeight = -static_cast<std::int32_t>(random() % 90);
                    font.lfWeight = random() % 2 ? 700 : 400;
                    setFaceName(font, random() % 2 ? "Serif" : "Sans");
                    objects.push_back(g::CreateFontIndirectA(font));
                    g::SelectObject(dc, objects.back());
                    break;
                }
                default:
                    if (!objects.empty()) {
                        g::DeleteObject(objects.back());
                        objects.pop_back();
                    }
                    break;
            }
        }
        g::SetWindowOrgEx(dc, 1, 2, nullptr);
        const std::int32_t first = g::CloseMetaFile(dc);
        const std::vector<std::uint8_t> original = bitsOf(first);
        const std::int32_t copy = g::SetMetaFileBitsEx(static_cast<std::uint32_t>(original.size()), original.data());
        ASSERT_NE(copy, 0) << "round " << round;

        const std::int32_t again = g::CreateMetaFileA("");
        ASSERT_EQ(g::PlayMetaFile(again, copy), 1);
        const std::int32_t second = g::CloseMetaFile(again);
        const std::vector<std::uint8_t> replayed = bitsOf(second);
        // Playing deletes what it created at the end: the replay has those
        // deletions beyond the original's records.
        const std::vector<std::uint16_t> a = functions(original);
        const std::vector<std::uint16_t> r = functions(replayed);
        ASSERT_GE(r.size(), a.size()) << "round " << round;
        EXPECT_TRUE(std::equal(a.begin(), a.end(), r.begin())) << "round " << round;
        for (std::size_t i = a.size(); i < r.size(); ++i) EXPECT_EQ(r[i], g::META_DELETEOBJECT);

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

    auto accepted = [](std::vector<std::uint8_t> bytes) {
        const std::int32_t m = g::SetMetaFileBitsEx(static_cast<std::uint32_t>(bytes.size()), bytes.data());
        if (m != 0) g::DeleteMetaFile(m);
        return m != 0;
    };
    EXPECT_TRUE(accepted(good));
    auto withWord = [&](std::size_t at, std::uint16_t value) {
        std::vector<std::uint8_t> b = good;
        b[at] = static_cast<std::uint8_t>(value & 0xFF);
        b[at + 1] = static_cast<std::uint8_t>(value >> 8);
        return b;
    };
    EXPECT_FALSE(accepted(withWord(2, 10))) << "header size other than 9";
    EXPECT_FALSE(accepted(withWord(0, 3))) << "type other than 1 or 2";
    EXPECT_FALSE(accepted(withWord(6, static_cast<std::uint16_t>(good.size())))) << "a size past the end";
    EXPECT_FALSE(accepted(std::vector<std::uint8_t>(good.begin(), good.begin() + 17))) << "shorter than the header";
    std::vector<std::uint8_t> noEof = good;
    noEof[noEof.size() - 2] = 0x13;  // META_EOF turned into another record
    EXPECT_FALSE(accepted(noEof));
}

TEST_F(PrintingTest, StaleAndForeignHandlesFailCleanly)
{
    addPrinter("Office");
    const std::int32_t dc = g::CreateDCA("", "Office", "", nullptr);
    ASSERT_NE(dc, 0);
    const std::int32_t pen = g::CreatePen(0, 1, 0);
    EXPECT_EQ(g::DeleteMetaFile(dc), 0) << "a device context is no metafile";
    EXPECT_EQ(g::SelectObject(dc, dc), 0);
    EXPECT_EQ(g::DeleteDC(dc), 1);
    EXPECT_EQ(g::DeleteDC(dc), 0) << "a stale context";
    EXPECT_EQ(g::GetDeviceCaps(dc, g::HORZRES), 0);
    win::POINTAPI untouched{7, 8};
    EXPECT_EQ(g::Escape(dc, g::GETPHYSPAGESIZE, 0, nullptr, &untouched), 0);
    EXPECT_EQ(untouched.X, 7);
    EXPECT_EQ(g::TextOutA(dc, 0, 0, "x"), 0);
    EXPECT_EQ(g::CreateDCA("", "Missing", "", nullptr), 0);
    g::DeleteObject(pen);
    EXPECT_EQ(g::DeleteObject(pen), 0);
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
    EXPECT_EQ(g::GetDeviceCaps(dc, g::VERTSIZE), 200);
    win::POINTAPI page, offset;
    EXPECT_EQ(g::Escape(dc, g::GETPHYSPAGESIZE, 0, nullptr, &page), 1);
    EXPECT_EQ(g::Escape(dc, g::GETPRINTINGOFFSET, 0, nullptr, &offset), 1);
    EXPECT_EQ(page.X, 7016);
    EXPECT_EQ(offset.Y, 118);
    EXPECT_EQ(g::Escape(dc, 14, 0, nullptr, &page), 0);

    ASSERT_GT(g::StartDocA(dc, g::DOCINFO{"Report", ""}), 0);
    g::StartPage(dc);
    g::SetWindowOrgEx(dc, 100, 50, nullptr);
    g::TextOutA(dc, 110, 70, "Probe");
    g::EndDoc(dc);
    ASSERT_EQ(printers_->documents().size(), 1u);
    const auto& doc = *printers_->documents()[0];
    EXPECT_TRUE(doc.ended);
    ASSERT_EQ(doc.commands.size(), 1u);
    EXPECT_EQ(doc.commands[0].text, "Probe");
    EXPECT_TRUE(doc.commands[0].box.Left == 10 && doc.commands[0].box.Top == 20) << "the window origin moves the drawing";
    g::DeleteDC(dc);
}

TEST_F(PrintingTest, PrintDialogsFailUnopenedWithoutPrinters)
{
    ScopedCommonDialogDriver driver([](DialogSession&) { ADD_FAILURE() << "no dialog opens"; });
    PrintDlgRecord print;
    EXPECT_EQ(commonDialogs().printDlg(print), -1);
    EXPECT_EQ(commonDialogs().extendedError(), dlg::PDERR_NODEFAULTPRN);
    PageSetupDlgRecord page;
    EXPECT_EQ(commonDialogs().pageSetupDlg(page), -1);
    EXPECT_EQ(commonDialogs().extendedError(), dlg::PDERR_NODEFAULTPRN);
}

TEST_F(PrintingTest, ThePrintDialogStartsOnTheNamedPrinterAndHandsBackTheChoice)
{
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
        s.setCopies(3, true);
        s.pressOk();
    });
    ASSERT_EQ(commonDialogs().printDlg(record), 1);
    EXPECT_EQ(shown, longName) << "a cut name finds the printer whose name it starts";
    ASSERT_TRUE(record.devMode && record.devNames);
    EXPECT_EQ(record.devMode->dmSize, 122);
    EXPECT_EQ(record.devMode->dmCopies, 3);
    EXPECT_EQ(record.devMode->dmCollate, 1);
    EXPECT_EQ(record.nCopies, 1);
    EXPECT_EQ(devNamesEntry(*record.devNames, 1), longName);
    EXPECT_EQ(devNamesEntry(*record.devNames, 0), ("driver of " + longName).substr(0, 100 - 46 - 1))
        << "a name that does not fit is cut; the device's comes first";
    ASSERT_NE(record.hDC, 0);
    EXPECT_EQ(g::GetDeviceCaps(record.hDC, g::HORZSIZE), 287) << "the context is landscape";
    g::DeleteDC(record.hDC);
}

TEST_F(PrintingTest, TheDatePickerChangesOnlyWhenTheUserPicks)
{
    Form form("frmDate", [](Form& f) { f.addControl(Kind::DatePicker, "dtp"); });
    int changes = 0;
    form.on("dtp", Event::Change, [&] { ++changes; });
    form.Show();
    Control& picker = form.control("dtp");
    picker.DateValue(Date{2024, 2, 29});
    EXPECT_EQ(changes, 0) << "code sets the value silently";
    EXPECT_THROW(picker.DateValue(Date{2023, 2, 29}), rt::RuntimeError);
    EXPECT_TRUE(pickDate(picker, Date{2026, 12, 9}));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(picker.DateValue(), (Date{2026, 12, 9}));
    EXPECT_TRUE(pickDate(picker, Date{2026, 12, 9}));
    EXPECT_EQ(changes, 2) << "picking the shown date is a pick too";
    form.Unload();
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

}  // namespace
