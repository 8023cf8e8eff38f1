#include "platform/forms/qt/printing_qt.h"

#include <QFileDialog>
#include <QFont>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPen>
#include <QPrinter>
#include <QPrinterInfo>

#include <cmath>

#include "platform/forms/qt/convert.h"

namespace forms::qt {

namespace {

QColor fromRgb(std::int32_t rgb) { return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF); }

std::int16_t orientationOf(const QPrinter& printer)
{
    return printer.pageLayout().orientation() == QPageLayout::Landscape ? dm::DMORIENT_LANDSCAPE
                                                                        : dm::DMORIENT_PORTRAIT;
}

PrinterInfo infoOf(const QPrinterInfo& system)
{
    PrinterInfo info;
    info.deviceName = toModelText(system.printerName());
    info.driverName = toModelText(system.makeAndModel());
    info.port = toModelText(system.location());
    QPrinter printer(system, QPrinter::HighResolution);
    readPrinterMode(printer, info.defaults);
    setFieldText(info.defaults.dmDeviceName, info.deviceName);
    return info;
}

Qt::PenStyle penStyle(std::int16_t style)
{
    switch (style) {
        case 1: return Qt::DashLine;
        case 2: return Qt::DotLine;
        case 3: return Qt::DashDotLine;
        case 4: return Qt::DashDotDotLine;
        case 5: return Qt::NoPen;
        default: return Qt::SolidLine;
    }
}

// The output of one device context: a QPrinter and, while a document
// runs, its painter.
class QtPrinterDevice : public PrinterDevice {
public:
    QtPrinterDevice(std::unique_ptr<QPrinter> printer, bool pdf, QString pdfFile)
        : printer_(std::move(printer)), pdf_(pdf), pdfFile_(std::move(pdfFile))
    {
    }
    ~QtPrinterDevice() override
    {
        if (painter_.isActive()) painter_.end();
    }

    void reset(const DEVMODE& mode) override { applyPrinterMode(*printer_, mode); }

    std::int32_t deviceCaps(std::int32_t index) const override
    {
        switch (index) {
            case 4: return static_cast<std::int32_t>(std::lround(printer_->pageRect(QPrinter::Millimeter).width()));
            case 6: return static_cast<std::int32_t>(std::lround(printer_->pageRect(QPrinter::Millimeter).height()));
            case 8: return static_cast<std::int32_t>(std::lround(printer_->pageRect(QPrinter::DevicePixel).width()));
            case 10: return static_cast<std::int32_t>(std::lround(printer_->pageRect(QPrinter::DevicePixel).height()));
            case 88:
            case 90: return printer_->resolution();
            default: return 0;
        }
    }
    win::POINTAPI physicalPageSize() const override
    {
        const QRectF paper = printer_->paperRect(QPrinter::DevicePixel);
        return win::POINTAPI{static_cast<std::int32_t>(std::lround(paper.width())),
                             static_cast<std::int32_t>(std::lround(paper.height()))};
    }
    win::POINTAPI printingOffset() const override
    {
        const QRectF page = printer_->pageRect(QPrinter::DevicePixel);
        const QRectF paper = printer_->paperRect(QPrinter::DevicePixel);
        return win::POINTAPI{static_cast<std::int32_t>(std::lround(page.left() - paper.left())),
                             static_cast<std::int32_t>(std::lround(page.top() - paper.top()))};
    }

    std::int32_t startDoc(std::string_view docName, std::string_view output) override
    {
        if (painter_.isActive()) return 0;
        printer_->setDocName(toQString(docName));
        if (!output.empty()) {
            printer_->setOutputFileName(toQString(output));
        } else if (pdf_) {
            QString file = pdfFile_;
            if (file.isEmpty()) {
                file = QFileDialog::getSaveFileName(nullptr, QString(), QString(), QStringLiteral("PDF (*.pdf)"),
                                                    nullptr, QFileDialog::DontUseNativeDialog);
                if (file.isEmpty()) return 0;
            }
            printer_->setOutputFileName(file);
        }
        if (!painter_.begin(printer_.get())) return 0;
        pages_ = 0;
        return 1;
    }
    bool startPage() override
    {
        if (!painter_.isActive()) return false;
        if (pages_ > 0 && !printer_->newPage()) return false;
        ++pages_;
        return true;
    }
    bool endPage() override { return painter_.isActive(); }
    bool endDoc() override
    {
        if (!painter_.isActive()) return false;
        return painter_.end();
    }
    bool abortDoc() override
    {
        if (!painter_.isActive()) return false;
        printer_->abort();
        painter_.end();
        return true;
    }

    void draw(const DrawCommand& c) override
    {
        if (!painter_.isActive()) return;
        QPen pen(fromRgb(c.pen.color));
        pen.setStyle(penStyle(c.pen.style));
        pen.setWidth(std::max(1, c.pen.width));
        painter_.setPen(pen);
        painter_.setBrush(c.brush.style == 1 ? QBrush(Qt::NoBrush) : QBrush(fromRgb(c.brush.color)));
        const QRect box(QPoint(c.box.Left, c.box.Top), QPoint(c.box.Right - 1, c.box.Bottom - 1));
        switch (c.kind) {
            case DrawCommand::Kind::Line: painter_.drawLine(c.box.Left, c.box.Top, c.box.Right, c.box.Bottom); break;
            case DrawCommand::Kind::Rectangle: painter_.drawRect(box); break;
            case DrawCommand::Kind::Ellipse: painter_.drawEllipse(box); break;
            case DrawCommand::Kind::Text: {
                QFont font(toQString(faceNameOf(c.font)));
                const int height = std::abs(c.font.lfHeight);
                // No height: 12 points at the device's resolution.
                font.setPixelSize(height > 0 ? height : std::max(1, printer_->resolution() / 6));
                font.setWeight(c.font.lfWeight >= 600 ? QFont::Bold : QFont::Normal);
                font.setItalic(c.font.lfItalic != 0);
                font.setUnderline(c.font.lfUnderline != 0);
                font.setStrikeOut(c.font.lfStrikeOut != 0);
                painter_.setFont(font);
                painter_.setPen(fromRgb(c.textColor));
                // The point is the text's top left corner.
                painter_.drawText(c.box.Left, c.box.Top + QFontMetrics(font, printer_.get()).ascent(),
                                  toQString(c.text));
                break;
            }
        }
    }

private:
    std::unique_ptr<QPrinter> printer_;
    bool pdf_;
    QString pdfFile_;
    QPainter painter_;
    int pages_ = 0;
};

}  // namespace

void readPrinterMode(const QPrinter& printer, DEVMODE& mode)
{
    mode.dmOrientation = orientationOf(printer);
    const int windowsId = printer.pageLayout().pageSize().windowsId();
    mode.dmPaperSize = static_cast<std::int16_t>(windowsId > 0 && windowsId < 0x7FFF ? windowsId : 0);
    mode.dmCopies = static_cast<std::int16_t>(std::clamp(printer.copyCount(), 1, 0x7FFF));
    mode.dmCollate = printer.collateCopies() ? 1 : 0;
    switch (printer.duplex()) {
        case QPrinter::DuplexLongSide: mode.dmDuplex = 2; break;
        case QPrinter::DuplexShortSide: mode.dmDuplex = 3; break;
        default: mode.dmDuplex = dm::DMDUP_SIMPLEX; break;
    }
    mode.dmFields |= dm::DM_ORIENTATION | dm::DM_COPIES | dm::DM_COLLATE | dm::DM_DUPLEX;
    if (mode.dmPaperSize != 0) mode.dmFields |= dm::DM_PAPERSIZE;
}

void applyPrinterMode(QPrinter& printer, const DEVMODE& mode)
{
    const std::int32_t f = mode.dmFields;
    if ((f & dm::DM_PAPERSIZE) != 0 && mode.dmPaperSize > 0) {
        const QPageSize::PageSizeId id = QPageSize::id(mode.dmPaperSize);
        if (id != QPageSize::Custom) printer.setPageSize(QPageSize(id));
    }
    if ((f & dm::DM_ORIENTATION) != 0 && mode.dmOrientation != 0) {
        printer.setPageOrientation(mode.dmOrientation == dm::DMORIENT_LANDSCAPE ? QPageLayout::Landscape
                                                                                : QPageLayout::Portrait);
    }
    if ((f & dm::DM_COPIES) != 0 && mode.dmCopies > 0) printer.setCopyCount(mode.dmCopies);
    if ((f & dm::DM_COLLATE) != 0) printer.setCollateCopies(mode.dmCollate == 1);
    if ((f & dm::DM_DUPLEX) != 0) {
        printer.setDuplex(mode.dmDuplex == 2   ? QPrinter::DuplexLongSide
                          : mode.dmDuplex == 3 ? QPrinter::DuplexShortSide
                                               : QPrinter::DuplexNone);
    }
}

QtPrinterSystem::QtPrinterSystem() = default;
QtPrinterSystem::~QtPrinterSystem() = default;

void QtPrinterSystem::addPdfPrinter(const QString& name, const QString& file, int dpi, const QMarginsF& marginsMm,
                                    bool asDefault)
{
    pdfPrinters_.push_back(PdfPrinter{name, file, dpi, marginsMm});
    if (asDefault) pdfDefault_ = static_cast<int>(pdfPrinters_.size()) - 1;
}

std::vector<PrinterInfo> QtPrinterSystem::printers() const
{
    std::vector<PrinterInfo> list;
    for (const QPrinterInfo& system : QPrinterInfo::availablePrinters()) list.push_back(infoOf(system));
    for (const PdfPrinter& pdf : pdfPrinters_) {
        PrinterInfo info;
        info.deviceName = toModelText(pdf.name);
        info.driverName = "PDF";
        info.port = toModelText(pdf.file);
        std::unique_ptr<QPrinter> printer = makePrinter(info.deviceName, nullptr);
        readPrinterMode(*printer, info.defaults);
        setFieldText(info.defaults.dmDeviceName, info.deviceName);
        list.push_back(std::move(info));
    }
    return list;
}

std::optional<PrinterInfo> QtPrinterSystem::defaultPrinter() const
{
    if (pdfDefault_ < 0) {
        const QPrinterInfo system = QPrinterInfo::defaultPrinter();
        if (!system.isNull()) return infoOf(system);
    }
    if (pdfPrinters_.empty()) return std::nullopt;
    const QString& wanted = pdfPrinters_[pdfDefault_ < 0 ? 0 : pdfDefault_].name;
    for (PrinterInfo& info : printers()) {
        if (info.deviceName == toModelText(wanted)) return info;
    }
    return std::nullopt;
}

bool QtPrinterSystem::isPdfPrinter(std::string_view name) const
{
    for (const PdfPrinter& pdf : pdfPrinters_) {
        if (toModelText(pdf.name) == name) return true;
    }
    return false;
}

std::string QtPrinterSystem::firstPdfPrinter() const
{
    return pdfPrinters_.empty() ? std::string() : toModelText(pdfPrinters_.front().name);
}

std::unique_ptr<QPrinter> QtPrinterSystem::makePrinter(std::string_view deviceName, const DEVMODE* mode) const
{
    std::unique_ptr<QPrinter> printer;
    for (const PdfPrinter& pdf : pdfPrinters_) {
        if (toModelText(pdf.name) != deviceName) continue;
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setResolution(pdf.dpi);
        printer->setPageSize(QPageSize(QPageSize::A4));
        printer->setPageOrientation(QPageLayout::Portrait);
        printer->setFullPage(false);
        printer->setPageMargins(pdf.margins, QPageLayout::Millimeter);
        if (!pdf.file.isEmpty()) printer->setOutputFileName(pdf.file);
        break;
    }
    if (!printer) {
        const QPrinterInfo system = QPrinterInfo::printerInfo(toQString(deviceName));
        if (system.isNull()) return nullptr;
        printer = std::make_unique<QPrinter>(system, QPrinter::HighResolution);
    }
    if (mode != nullptr) applyPrinterMode(*printer, *mode);
    return printer;
}

std::unique_ptr<PrinterDevice> QtPrinterSystem::open(std::string_view deviceName, const DEVMODE* mode)
{
    std::unique_ptr<QPrinter> printer = makePrinter(deviceName, mode);
    if (!printer) return nullptr;
    QString pdfFile;
    const bool pdf = isPdfPrinter(deviceName);
    if (pdf) {
        for (const PdfPrinter& p : pdfPrinters_) {
            if (toModelText(p.name) == deviceName) pdfFile = p.file;
        }
    }
    return std::make_unique<QtPrinterDevice>(std::move(printer), pdf, pdfFile);
}

}  // namespace forms::qt
