// The printers of the program, through Qt: the system's printers
// (QPrinterInfo), one QPrinter per device context, and PDF pseudo-printers
// that write a PDF file, so that a desktop without printers can print.
// forms::qt::Application installs it with one PDF printer, "Print to PDF
// file", which asks for the file when a document starts; it is the default
// printer only when the system has none.
//
// Geometry of a device context: HORZSIZE and VERTSIZE from the printable
// area in millimetres (pageRect), HORZRES and VERTRES from it in device
// pixels, the physical page from paperRect, the printing offset as the
// printable area's corner less the sheet's. Paper sizes travel by their
// desktop numbers (QPageSize::windowsId).
#pragma once

#include <QMarginsF>
#include <QString>

#include <vector>

#include "platform/forms/printing.h"

class QPrinter;

namespace forms::qt {

class QtPrinterSystem : public PrinterSystem {
public:
    QtPrinterSystem();
    ~QtPrinterSystem() override;

    // A printer named `name` that writes PDF at `dpi` with the unprintable
    // margins (millimetres). An empty file asks for one with a save dialog
    // when a document starts (a document's own output file wins). asDefault
    // makes this printer the default, before the system's.
    void addPdfPrinter(const QString& name, const QString& file, int dpi, const QMarginsF& marginsMm,
                       bool asDefault);

    std::vector<PrinterInfo> printers() const override;
    std::optional<PrinterInfo> defaultPrinter() const override;
    std::unique_ptr<PrinterDevice> open(std::string_view deviceName, const DEVMODE* mode) override;

    // Whether the name is one of the PDF printers.
    bool isPdfPrinter(std::string_view name) const;
    // The first PDF printer's name ("" when there is none).
    std::string firstPdfPrinter() const;
    // A QPrinter set up as the named printer with the mode's flagged fields
    // (nullptr for an unknown name); the caller owns it.
    std::unique_ptr<QPrinter> makePrinter(std::string_view deviceName, const DEVMODE* mode) const;

private:
    struct PdfPrinter {
        QString name;
        QString file;
        int dpi = 600;
        QMarginsF margins;
    };
    std::vector<PdfPrinter> pdfPrinters_;
    int pdfDefault_ = -1;  // the PDF printer added as the default (-1: none)
};

// The device mode fields a QPrinter holds (orientation, paper, copies,
// collate, duplex), flagged in dmFields.
void readPrinterMode(const QPrinter& printer, DEVMODE& mode);
// Applies the flagged fields of a mode to a QPrinter.
void applyPrinterMode(QPrinter& printer, const DEVMODE& mode);

}  // namespace forms::qt
