// Printing through Qt offscreen to a PDF pseudo-printer, and the Qt print
// and page set-up dialogs.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QPushButton>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>

#include <array>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "halvex/dialogs/cls_show_dialog.h"
#include "halvex/dialogs/g_common_dialog.h"
#include "halvex/services/library_state.h"
#include "platform/forms/gdi.h"
#include "platform/forms/printing.h"
#include "platform/forms/qt/printing_qt.h"
#include "platform/forms/ini_settings.h"
#include "platform/forms/settings.h"

namespace g = forms::gdi;

namespace {

const std::string kApp = "PdfProbe";

std::string run(const std::string& command)
{
    std::string output;
    std::array<char, 512> buffer{};
    if (FILE* pipe = popen(command.c_str(), "r")) {
        while (fgets(buffer.data(), static_cast<int>(buffer.size()), pipe) != nullptr) output += buffer.data();
        pclose(pipe);
    }
    return output;
}

rt::VArray margins(float value)
{
    rt::VArray a;
    a.redim(1, 4);
    for (std::int32_t i = 1; i <= 4; ++i) a.at(i) = rt::Variant(value);
    return a;
}

// Accepts the next modal dialog once it is up; counts the dialogs seen.
void acceptNextDialog(int& shown)
{
    QTimer::singleShot(0, [&shown] {
        QDialog* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) { ADD_FAILURE() << "no modal dialog is up"; return; }
        ++shown;
        dialog->accept();
        QTimer::singleShot(3000, [open = QPointer<QDialog>(dialog)] {
            if (open && open->isVisible()) { ADD_FAILURE() << "the dialog stayed open"; open->reject(); }
        });
    });
}

class PdfPrintTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        halvex::resetLibraryState();
        ASSERT_TRUE(folder_.isValid());
        pdf_ = folder_.filePath("probe.pdf").toStdString();
        auto printers = std::make_shared<forms::qt::QtPrinterSystem>();
        printers->addPdfPrinter("Probe PDF", QString::fromStdString(pdf_), 300, QMarginsF(5, 5, 5, 5), true);
        previous_ = forms::setPrinterSystem(printers);
        forms::settings().remove(kApp, "Device Mode", "");
        forms::settings().remove(kApp, "Page Margine", "");
    }
    void TearDown() override { forms::setPrinterSystem(previous_); }

    QTemporaryDir folder_;
    std::string pdf_;
    std::shared_ptr<forms::PrinterSystem> previous_;
};

TEST_F(PdfPrintTest, AStoredLandscapeA4PrinterWritesThePdf)
{
    for (auto [key, value] : {std::pair<const char*, std::string>{"dmDeviceName", "Probe PDF"}, {"dmPaperSize", "9"},
                              {"dmOrientation", "2"}, {"dmFields", std::to_string(4097 | 0x2)}})
        forms::settings().save(kApp, "Device Mode", key, value);
    halvex::ClsShowDialog facade;
    std::int32_t dc = 0;
    rt::VArray minimum = margins(0), margin = margins(0), none = margins(0);
    facade.CreatePrinterDevice(dc, kApp, minimum, margin);
    ASSERT_NE(dc, 0);
    for (std::int32_t i = 1; i <= 4; ++i) EXPECT_NEAR(minimum.at(i).toSingle(), 0.5f, 0.05f) << i;
    float vertical = 0, horizontal = 0;
    facade.GetPaperSize(dc, none, vertical, horizontal);
    EXPECT_NEAR(horizontal, 297.0f, 0.5f);
    EXPECT_NEAR(vertical, 210.0f, 0.5f);

    ASSERT_GT(g::StartDocA(dc, g::DOCINFO{"Probe", ""}), 0);
    ASSERT_GT(g::StartPage(dc), 0);
    EXPECT_EQ(g::TextOutA(dc, 100, 100, "Probe"), 1);
    EXPECT_GT(g::EndDoc(dc), 0);
    g::DeleteDC(dc);

    const std::string info = run("pdfinfo '" + pdf_ + "' 2>&1");
    double width = 0, height = 0;
    const std::size_t at = info.find("Page size:");
    ASSERT_TRUE(at != std::string::npos && std::sscanf(info.c_str() + at, "Page size: %lf x %lf", &width, &height) == 2)
        << info;
    EXPECT_NEAR(width, 842, 1.0);
    EXPECT_NEAR(height, 595, 1.0);
    EXPECT_NE(run("pdftotext '" + pdf_ + "' - 2>&1").find("Probe"), std::string::npos);
}

TEST_F(PdfPrintTest, TheQtPrintAndPageSetUpDialogsRunOnceEach)
{
    halvex::GCommonDialog layer;
    int shown = 0;
    acceptNextDialog(shown);
    halvex::PrintDlgArgs print;
    print.AppTitle = kApp;
    EXPECT_TRUE(layer.VBPrintDlg(print) && print.hdc != 0);
    g::DeleteDC(print.hdc);

    acceptNextDialog(shown);
    halvex::PageSetupDlgArgs page;
    page.AppTitle = kApp;
    page.LeftMargin = 2.0f;
    page.TopMargin = 1.5f;
    page.BottomMargin = 30.0f;  // taller than the A4 sheet: only this one is cut
    EXPECT_TRUE(layer.VBPageSetupDlg(page));
    EXPECT_TRUE(std::abs(page.LeftMargin - 2.0f) < 0.01f && std::abs(page.TopMargin - 1.5f) < 0.01f);
    // The printable length within the 5 mm borders, less a centimetre.
    EXPECT_NEAR(page.BottomMargin, 29.7f - 1.0f - 1.0f - 1.5f, 0.01f);
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(forms::settings().get(kApp, "Device Mode", "dmDeviceNameFull", ""), "Probe PDF");
    EXPECT_EQ(forms::settings().get(kApp, "Page Margine", "Left", ""), "2");
}

// What the page set-up shows, stores and hands to the host are one value,
// also where a margin does not fit.
TEST_F(PdfPrintTest, ThePageSetUpShowsStoresAndHandsOneMargin)
{
    for (auto [left, right, top, bottom] : {std::array<float, 4>{1, 1, 30, 2}, {25, 0.2f, 2, 30}, {3, 3, 20, 20},
                                            {2, 19, 1.2f, 0.1f}}) {
        QMarginsF mm;
        QTimer::singleShot(0, [&mm] {
            auto* dialog = qobject_cast<QPageSetupDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) { ADD_FAILURE() << "no page set-up is up"; return; }
            mm = dialog->printer()->pageLayout().margins(QPageLayout::Millimeter);
            dialog->accept();
        });
        std::int32_t dc = 0;
        rt::VArray minimum = margins(0), margin = margins(0);
        for (std::int32_t i : {1, 2, 3, 4}) margin.at(i) = rt::Variant(std::array{left, right, top, bottom}[i - 1]);
        ASSERT_FALSE(halvex::ClsShowDialog().ShowPageSetupDialog(0, dc, kApp, minimum, margin)) << "confirmed";
        const double shown[] = {mm.left() / 10, mm.right() / 10, mm.top() / 10, mm.bottom() / 10};
        for (std::int32_t i : {1, 2, 3, 4}) {
            const char* key = std::array{"Left", "Right", "Top", "Bottom"}[i - 1];
            const double stored = std::stod(forms::settings().get(kApp, "Page Margine", key, ""));
            EXPECT_TRUE(std::abs(shown[i - 1] - stored) < 0.001 && std::abs(margin.at(i).toSingle() - stored) < 0.001)
                << key << " " << top << "/" << bottom << ": " << shown[i - 1] << ", " << stored;
        }
        g::DeleteDC(dc);
    }
}

// The facade's print and printer set-up dialogs: the PDF printer added as
// the default is the default; the set-up dialog has its own caption and an
// OK button; the smallest margins come back as the printer's unprintable
// border; a file typed into the print dialog takes the document without a
// second question.
TEST_F(PdfPrintTest, PrinterSetUpAndPrintingToATypedFile)
{
    auto* printers = dynamic_cast<forms::qt::QtPrinterSystem*>(&forms::printerSystem());
    printers->addPdfPrinter("Asking PDF", QString(), 300, QMarginsF(5, 5, 5, 5), true);
    ASSERT_EQ(forms::printerSystem().defaultPrinter()->deviceName, "Asking PDF");

    std::vector<QString> titles, acceptTexts;
    const QString typed = folder_.filePath("typed.pdf");
    QTimer answering;
    QObject::connect(&answering, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return;
        titles.push_back(dialog->windowTitle());
        auto* buttons = dialog->findChild<QDialogButtonBox*>();
        acceptTexts.push_back(buttons != nullptr ? buttons->button(QDialogButtonBox::Ok)->text() : QString());
        if (auto* file = dialog->findChild<QLineEdit*>(QStringLiteral("filename"))) file->setText(typed);
        dialog->accept();
    });
    answering.start(20);

    halvex::ClsShowDialog facade;
    std::int32_t dc = 0;
    rt::VArray minimum = margins(0), margin = margins(3);
    EXPECT_FALSE(facade.ShowPrinterSetup(0, dc, kApp, minimum, margin));
    ASSERT_NE(dc, 0);
    for (std::int32_t i = 1; i <= 4; ++i) EXPECT_NEAR(minimum.at(i).toSingle(), 0.5f, 0.05f) << i;
    EXPECT_FLOAT_EQ(margin.at(1).toSingle(), 3.0f);
    ASSERT_EQ(titles.size(), 1u);
    EXPECT_EQ(titles[0], QStringLiteral("Printer set-up"));
    EXPECT_EQ(acceptTexts[0], QStringLiteral("OK"));

    EXPECT_FALSE(facade.ShowPrinterDialog(0, dc, kApp, minimum, margin));
    ASSERT_GT(g::StartDocA(dc, g::DOCINFO{"Typed", ""}), 0);
    g::StartPage(dc);
    g::TextOutA(dc, 100, 100, "Typed");
    EXPECT_GT(g::EndDoc(dc), 0);
    g::DeleteDC(dc);
    EXPECT_EQ(titles.size(), 2u) << "the file is asked for once";
    EXPECT_NE(run("pdftotext '" + typed.toStdString() + "' - 2>&1").find("Typed"), std::string::npos);
}

TEST(IniStoreTest, FixedLengthTextsKeepTheirNuls)
{
    QTemporaryDir folder;
    const std::string extra = std::string("drv\0Probe PDF\0\0", 16) + std::string(84, '\0');
    forms::IniSettingsStore(folder.path().toStdString()).save("NulProbe", "Device Name", "extra", extra);
    EXPECT_EQ(forms::IniSettingsStore(folder.path().toStdString()).get("NulProbe", "Device Name", "extra", ""), extra);
}

}  // namespace
