// A small host of libhalvex.so: its own QApplication, the library's Qt
// services attached to it, and one use of each kind of service.
//
//   halvex_host <output folder> [--answer]
//
// --answer accepts every dialog as soon as it opens (for a run without a
// user). The output folder receives page.pdf (one printed page), clip.wmf
// (the metafile the clipboard got) and chart.xlsx (the chart export).
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "halvex/dialogs/cls_show_dialog.h"
#include "halvex/services/cls_valmor.h"
#include "halvex/settings/cls_draw_chart.h"
#include "halvex/settings/cls_inerface_setting.h"
#include "platform/forms/desktop.h"
#include "platform/forms/gdi.h"
#include "platform/forms/qt/application.h"
#include "platform/forms/qt/printing_qt.h"

namespace {

namespace gdi = forms::gdi;

constexpr const char* kTitle = "HalvexHost";

// The host's main window as the library's placement members see it.
class HostWindow : public halvex::IPlacedForm {
public:
    std::int16_t WindowState() override { return state; }
    void WindowState(std::int16_t value) override { state = value; }
    std::int32_t Left() override { return left; }
    void Left(std::int32_t value) override { left = value; }
    std::int32_t Top() override { return top; }
    void Top(std::int32_t value) override { top = value; }
    std::int32_t Width() override { return width; }
    void Width(std::int32_t value) override { width = value; }
    std::int32_t Height() override { return height; }
    void Height(std::int32_t value) override { height = value; }

    std::int16_t state = 0;
    std::int32_t left = 0, top = 0, width = 0, height = 0;
};

// The graphic whose metafile goes to the clipboard.
class HostGraphic : public halvex::GraphicObject {
public:
    std::int32_t hwnd() const override { return 0; }
    std::string Caption() const override { return "Host graphic"; }
};

bool report(const char* step, bool done) {
    std::printf("%s: %s\n", step, done ? "done" : "FAILED");
    return done;
}

// Every margin array has the elements 1 to 4 (left, right, top, bottom).
rt::VArray margins(double value) {
    rt::VArray list;
    list.redim(1, 4);
    for (int i = 1; i <= 4; ++i) list.at(i) = value;
    return list;
}

bool printPage(halvex::ClsShowDialog& dialogs, const std::string& pdf) {
    auto* printers = dynamic_cast<forms::qt::QtPrinterSystem*>(&forms::printerSystem());
    if (printers == nullptr) return false;
    printers->addPdfPrinter(QStringLiteral("Host PDF"), QString::fromStdString(pdf), 300, QMarginsF(5, 5, 5, 5),
                            true);
    std::int32_t hdc = 0;
    rt::VArray minMargin = margins(0.0);
    rt::VArray margin = margins(2.0);
    // The page set-up dialog gives the device context of the default printer.
    if (dialogs.ShowPageSetupDialog(0, hdc, kTitle, minMargin, margin)) {
        dialogs.CreatePrinterDevice(hdc, kTitle, minMargin, margin);
    }
    if (hdc == 0) return false;
    bool printed = gdi::StartDocA(hdc, gdi::DOCINFO{"Host page", ""}) > 0 && gdi::StartPage(hdc) > 0 &&
                   gdi::TextOutA(hdc, 600, 600, "Printed by the Halvex host") != 0 && gdi::EndPage(hdc) > 0 &&
                   gdi::EndDoc(hdc) > 0;
    gdi::DeleteDC(hdc);
    return printed && std::filesystem::exists(pdf);
}

bool copyMetafile(halvex::ClsShowDialog& dialogs, const std::string& wmf) {
    const std::int32_t recording = gdi::CreateMetaFileA("");
    gdi::Rectangle(recording, 100, 100, 900, 600);
    gdi::MoveToEx(recording, 100, 100, nullptr);
    gdi::LineTo(recording, 900, 600);
    gdi::TextOutA(recording, 150, 650, "Host metafile");
    const std::int32_t metafile = gdi::CloseMetaFile(recording);
    std::string tempFile;  // empty: to the clipboard
    std::int32_t target = 0;
    dialogs.CopyWMFile(tempFile, target, 1000, 1000, 0, 0, metafile, HostGraphic());
    gdi::DeleteMetaFile(metafile);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (data == nullptr || !data->hasFormat(QStringLiteral("image/x-wmf"))) return false;
    const QByteArray bytes = data->data(QStringLiteral("image/x-wmf"));
    std::ofstream(wmf, std::ios::binary).write(bytes.constData(), bytes.size());
    return !bytes.isEmpty();
}

bool placement() {
    halvex::ClsInerfaceSetting layout;
    HostWindow saved;
    saved.left = 1200;
    saved.top = 900;
    saved.width = 9000;
    saved.height = 6000;
    layout.SaveFormSetting(saved, kTitle, "Main window");
    HostWindow restored;
    layout.GetFormSetting(restored, kTitle, "Main window");
    return restored.left == saved.left && restored.top == saved.top && restored.width == saved.width &&
           restored.height == saved.height;
}

bool exportChart(const std::string& xlsx) {
    // The desktop would open the workbook; this host only keeps it.
    auto desktop = std::make_shared<forms::RecordingDesktop>();
    std::shared_ptr<forms::Desktop> previous = forms::setDesktop(desktop);
    rt::VArray legends{rt::VarType::String}, lineTypes{rt::VarType::String}, headings{rt::VarType::String};
    rt::VArray cells;
    legends.redim(1, 1);
    lineTypes.redim(1, 1);
    legends.at(1) = "Settlement";
    headings.redim(1, 1, 1, 2);
    headings.at(1, 1) = "x [m]";
    headings.at(1, 2) = "s [cm]";
    cells.redim(1, 4, 1, 2);
    for (int row = 1; row <= 4; ++row) {
        cells.at(row, 1) = double(row);
        cells.at(row, 2) = 0.5 * row * row;
    }
    // A failed export throws the run-time error of the failure.
    try {
        halvex::ClsDrawChart().DrawChart(1, 2, 1, 4, "x", "s", legends, "Settlements", cells, headings, false,
                                         lineTypes, 0, 5, 0, "Host project");
    } catch (const rt::RuntimeError& error) {
        std::fprintf(stderr, "chart export: %s\n", error.what());
    }
    forms::setDesktop(previous);
    if (desktop->openedUrls.empty()) return false;
    const QString opened = QString::fromStdString(desktop->openedUrls.back());
    const QUrl url(opened);
    const std::string file = (url.isLocalFile() ? url.toLocalFile() : opened).toStdString();
    std::error_code error;
    std::filesystem::copy_file(file, xlsx, std::filesystem::copy_options::overwrite_existing, error);
    return !error;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: halvex_host <output folder> [--answer]\n", stderr);
        return 2;
    }
    const std::filesystem::path out = argv[1];
    const bool answer = argc > 2 && std::string(argv[2]) == "--answer";

    QApplication app(argc, argv);            // the host's own application object
    forms::qt::Application services;         // the library's Qt services, attached to it
    QTimer answering;
    if (answer) {
        QObject::connect(&answering, &QTimer::timeout, [] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) dialog->accept();
        });
        answering.start(50);
    }

    halvex::ClsShowDialog dialogs;
    bool ok = true;
    std::int32_t colour = 0;
    ok &= report("colour dialog", !dialogs.ShowColorDialog(0, colour));
    ok &= report("font dialog", !dialogs.ShowFontDialog(0, true));
    ok &= report("page set-up and printing", printPage(dialogs, (out / "page.pdf").string()));
    ok &= report("metafile to the clipboard", copyMetafile(dialogs, (out / "clip.wmf").string()));
    ok &= report("form placement", placement());
    ok &= report("chart export", exportChart((out / "chart.xlsx").string()));
    return ok ? 0 : 1;
}
