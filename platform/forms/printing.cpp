#include "platform/forms/printing.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/forms/ui_thread.h"

namespace forms {

namespace {

std::shared_ptr<PrinterSystem>& installed()
{
    requireUiThread();
    static std::shared_ptr<PrinterSystem> system = std::make_shared<ScriptedPrinterSystem>();
    return system;
}

// Bytes of `text` that fit `size` bytes without splitting a character.
std::size_t fittingBytes(std::string_view text, std::size_t size)
{
    if (text.size() <= size) return text.size();
    std::size_t cut = size;
    // Step back over continuation bytes to the start of the cut character.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return cut;
}

std::int32_t toUnits(double mm, std::int32_t dpi)
{
    return static_cast<std::int32_t>(std::lround(mm / 25.4 * dpi));
}

// The output of a scripted printer: its geometry follows the device mode;
// what is drawn is recorded in the system's documents.
class ScriptedDevice : public PrinterDevice {
public:
    ScriptedDevice(ScriptedPrinterSystem::Printer printer, std::vector<std::shared_ptr<ScriptedPrinterSystem::Document>>& documents)
        : printer_(std::move(printer)), mode_(printer_.info.defaults), documents_(documents)
    {
    }

    void reset(const DEVMODE& mode) override
    {
        if ((mode.dmFields & dm::DM_ORIENTATION) != 0) mode_.dmOrientation = mode.dmOrientation;
        if ((mode.dmFields & dm::DM_PAPERSIZE) != 0) mode_.dmPaperSize = mode.dmPaperSize;
        if ((mode.dmFields & dm::DM_COPIES) != 0) mode_.dmCopies = mode.dmCopies;
        if ((mode.dmFields & dm::DM_COLLATE) != 0) mode_.dmCollate = mode.dmCollate;
        if ((mode.dmFields & dm::DM_DUPLEX) != 0) mode_.dmDuplex = mode.dmDuplex;
    }

    std::int32_t deviceCaps(std::int32_t index) const override
    {
        double w = 0;
        double h = 0;
        sheet(w, h);
        const double m = printer_.marginMm;
        switch (index) {
            case 4: return static_cast<std::int32_t>(std::lround(w - 2 * m));
            case 6: return static_cast<std::int32_t>(std::lround(h - 2 * m));
            case 8: return toUnits(w - 2 * m, printer_.dpi);
            case 10: return toUnits(h - 2 * m, printer_.dpi);
            case 88:
            case 90: return printer_.dpi;
            default: return 0;
        }
    }
    win::POINTAPI physicalPageSize() const override
    {
        double w = 0;
        double h = 0;
        sheet(w, h);
        return win::POINTAPI{toUnits(w, printer_.dpi), toUnits(h, printer_.dpi)};
    }
    win::POINTAPI printingOffset() const override
    {
        const std::int32_t m = toUnits(printer_.marginMm, printer_.dpi);
        return win::POINTAPI{m, m};
    }

    std::int32_t startDoc(std::string_view docName, std::string_view output) override
    {
        if (document_) return 0;
        document_ = std::make_shared<ScriptedPrinterSystem::Document>();
        document_->printer = printer_.info.deviceName;
        document_->name = std::string(docName);
        document_->output = std::string(output);
        document_->mode = mode_;
        documents_.push_back(document_);
        return static_cast<std::int32_t>(documents_.size());
    }
    bool startPage() override
    {
        if (!document_) return false;
        ++document_->pages;
        return true;
    }
    bool endPage() override { return static_cast<bool>(document_); }
    bool endDoc() override
    {
        if (!document_) return false;
        if (document_->pages == 0) document_->pages = 1;
        document_->ended = true;
        document_.reset();
        return true;
    }
    bool abortDoc() override
    {
        if (!document_) return false;
        document_.reset();
        return true;
    }
    void draw(const DrawCommand& command) override
    {
        if (document_) document_->commands.push_back(command);
    }

private:
    void sheet(double& w, double& h) const
    {
        if (!paperSizeMm(mode_.dmPaperSize, w, h)) paperSizeMm(dm::DMPAPER_A4, w, h);
        if (mode_.dmOrientation == dm::DMORIENT_LANDSCAPE) std::swap(w, h);
    }

    ScriptedPrinterSystem::Printer printer_;
    DEVMODE mode_;
    std::vector<std::shared_ptr<ScriptedPrinterSystem::Document>>& documents_;
    std::shared_ptr<ScriptedPrinterSystem::Document> document_;
};

}  // namespace

std::string fieldText(const char* field, std::size_t size)
{
    std::size_t n = 0;
    while (n < size && field[n] != '\0') ++n;
    return std::string(field, n);
}

void setFieldText(char* field, std::size_t size, std::string_view text)
{
    std::memset(field, 0, size);
    const std::string_view upToNul = text.substr(0, text.find('\0'));
    const std::size_t n = fittingBytes(upToNul, size);
    std::memcpy(field, upToNul.data(), n);
}

DEVNAMES makeDevNames(std::string_view driver, std::string_view device, std::string_view port, bool isDefault)
{
    DEVNAMES names;
    names.wDefault = isDefault ? 1 : 0;
    constexpr std::size_t kHeader = 8;
    std::size_t at = 0;
    auto put = [&](std::string_view text, std::int16_t& offset) {
        offset = static_cast<std::int16_t>(kHeader + at);
        const std::size_t room = at < names.extra.size() ? names.extra.size() - at - 1 : 0;
        const std::size_t n = fittingBytes(text, room);
        if (n > 0) std::memcpy(names.extra.data() + at, text.data(), n);
        at = std::min(names.extra.size() - 1, at + n + 1);
    };
    // The device name first: it is the one a long name must not lose.
    put(device, names.wDeviceOffset);
    put(driver, names.wDriverOffset);
    put(port, names.wOutputOffset);
    return names;
}

std::string devNamesEntry(const DEVNAMES& names, int which)
{
    const std::int16_t offset = which == 0 ? names.wDriverOffset : which == 1 ? names.wDeviceOffset : names.wOutputOffset;
    const int at = offset - 8;
    if (at < 0 || at >= static_cast<int>(names.extra.size())) return std::string();
    return fieldText(names.extra.data() + at, names.extra.size() - static_cast<std::size_t>(at));
}

bool paperSizeMm(std::int16_t paper, double& widthMm, double& heightMm)
{
    switch (paper) {
        case 1: widthMm = 215.9; heightMm = 279.4; return true;    // Letter
        case 5: widthMm = 215.9; heightMm = 355.6; return true;    // Legal
        case 8: widthMm = 297.0; heightMm = 420.0; return true;    // A3
        case 9: widthMm = 210.0; heightMm = 297.0; return true;    // A4
        case 11: widthMm = 148.0; heightMm = 210.0; return true;   // A5
        case 13: widthMm = 182.0; heightMm = 257.0; return true;   // B5
        default: return false;
    }
}

namespace {

std::string lowerAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

// Whether a stored name names the printer: the whole name, or the name cut
// to its 32-byte field, letter case ignored.
bool namesPrinter(std::string_view stored, const PrinterInfo& printer)
{
    if (stored.empty()) return false;
    const std::string wanted = lowerAscii(stored);
    const std::string full = lowerAscii(printer.deviceName);
    if (wanted == full) return true;
    std::array<char, 32> field{};
    setFieldText(field, full);
    return wanted == fieldText(field);
}

}  // namespace

std::optional<PrinterInfo> dialogStartPrinter(const DEVMODE* mode, const DEVNAMES* names)
{
    const std::vector<PrinterInfo> list = printerSystem().printers();
    for (const std::string& stored :
         {names != nullptr ? devNamesEntry(*names, 1) : std::string(), mode != nullptr ? fieldText(mode->dmDeviceName) : std::string()}) {
        for (const PrinterInfo& p : list) {
            if (namesPrinter(stored, p)) return p;
        }
    }
    if (std::optional<PrinterInfo> system = printerSystem().defaultPrinter()) return system;
    if (!list.empty()) return list.front();
    return std::nullopt;
}

DEVMODE dialogStartMode(const PrinterInfo& printer, const DEVMODE* mode)
{
    DEVMODE start = printer.defaults;
    if (mode != nullptr && namesPrinter(fieldText(mode->dmDeviceName), printer)) {
        const std::int32_t f = mode->dmFields;
        if ((f & dm::DM_ORIENTATION) != 0 && mode->dmOrientation != 0) start.dmOrientation = mode->dmOrientation;
        if ((f & dm::DM_PAPERSIZE) != 0 && mode->dmPaperSize != 0) start.dmPaperSize = mode->dmPaperSize;
        if ((f & dm::DM_COPIES) != 0 && mode->dmCopies > 0) start.dmCopies = mode->dmCopies;
        if ((f & dm::DM_COLLATE) != 0) start.dmCollate = mode->dmCollate;
        if ((f & dm::DM_DUPLEX) != 0 && mode->dmDuplex != 0) start.dmDuplex = mode->dmDuplex;
    }
    return start;
}

void storeDialogPrinter(const PrinterInfo& printer, DEVMODE mode, std::shared_ptr<DEVMODE>& outMode,
                        std::shared_ptr<DEVNAMES>& outNames)
{
    mode.dmSize = 122;
    mode.dmDriverExtra = 0;
    setFieldText(mode.dmDeviceName, printer.deviceName);
    mode.dmFields |= dm::DM_ORIENTATION | dm::DM_PAPERSIZE | dm::DM_COPIES | dm::DM_COLLATE | dm::DM_DUPLEX;
    outMode = std::make_shared<DEVMODE>(mode);
    const std::optional<PrinterInfo> system = printerSystem().defaultPrinter();
    const bool isDefault = system && system->deviceName == printer.deviceName;
    outNames = std::make_shared<DEVNAMES>(makeDevNames(printer.driverName, printer.deviceName, printer.port, isDefault));
}

win::POINTAPI paperSizeInUnits(const DEVMODE& mode, std::int32_t flags)
{
    double w = 0;
    double h = 0;
    if (!paperSizeMm(mode.dmPaperSize, w, h)) paperSizeMm(dm::DMPAPER_A4, w, h);
    if (mode.dmOrientation == dm::DMORIENT_LANDSCAPE) std::swap(w, h);
    const double factor = (flags & dlg::PSD_INTHOUSANDTHSOFINCHES) != 0 ? 1000.0 / 25.4 : 100.0;
    return win::POINTAPI{static_cast<std::int32_t>(std::lround(w * factor)),
                         static_cast<std::int32_t>(std::lround(h * factor))};
}

void fitOppositeMargins(double& first, double& second, double room)
{
    room = std::max(0.0, room);
    first = std::max(0.0, first);
    second = std::max(0.0, second);
    if (first + second <= room) return;
    if (first <= room / 2) {
        second = room - first;
    } else if (second <= room / 2) {
        first = room - second;
    } else {
        first = second = room / 2;
    }
}

void fitPageMargins(PageMargins& margins, const PageMargins& border, double printableWidth, double printableHeight,
                    double keep)
{
    margins.left = std::max(margins.left, border.left);
    margins.right = std::max(margins.right, border.right);
    margins.top = std::max(margins.top, border.top);
    margins.bottom = std::max(margins.bottom, border.bottom);
    fitOppositeMargins(margins.left, margins.right, printableWidth - keep);
    fitOppositeMargins(margins.top, margins.bottom, printableHeight - keep);
}

PrinterSystem& printerSystem()
{
    return *installed();
}

std::shared_ptr<PrinterSystem> setPrinterSystem(std::shared_ptr<PrinterSystem> system)
{
    std::shared_ptr<PrinterSystem> previous = installed();
    installed() = system ? std::move(system) : std::make_shared<ScriptedPrinterSystem>();
    return previous;
}

void ScriptedPrinterSystem::addPrinter(Printer printer, bool asDefault)
{
    DEVMODE& d = printer.info.defaults;
    if (d.dmOrientation == 0) d.dmOrientation = dm::DMORIENT_PORTRAIT;
    if (d.dmPaperSize == 0) d.dmPaperSize = dm::DMPAPER_A4;
    if (d.dmCopies == 0) d.dmCopies = 1;
    if (d.dmDuplex == 0) d.dmDuplex = dm::DMDUP_SIMPLEX;
    setFieldText(d.dmDeviceName, printer.info.deviceName);
    printers_.push_back(std::move(printer));
    if (asDefault || !hasDefault_) {
        default_ = printers_.size() - 1;
        hasDefault_ = true;
    }
}

std::vector<PrinterInfo> ScriptedPrinterSystem::printers() const
{
    std::vector<PrinterInfo> list;
    for (const Printer& p : printers_) list.push_back(p.info);
    return list;
}

std::optional<PrinterInfo> ScriptedPrinterSystem::defaultPrinter() const
{
    if (!hasDefault_) return std::nullopt;
    return printers_[default_].info;
}

std::unique_ptr<PrinterDevice> ScriptedPrinterSystem::open(std::string_view deviceName, const DEVMODE* mode)
{
    for (const Printer& p : printers_) {
        if (p.info.deviceName != deviceName) continue;
        if (!p.opens) return nullptr;
        auto device = std::make_unique<ScriptedDevice>(p, documents_);
        if (mode != nullptr) device->reset(*mode);
        return device;
    }
    return nullptr;
}

}  // namespace forms
