// Printers: the system's default and installed printers, and the output of
// one printer device context. The program installs the Qt printers
// (forms/qt/printing_qt.h); headless, and in tests, the scripted printer
// system serves, which has no printer until a test adds one.
//
// The device mode and device names records are the desktop's DEVMODE
// (first 122 bytes, ANSI layout) and DEVNAMES in C++ form; names are UTF-8
// and NUL-padded, so a name of 32 bytes or more is cut in dmDeviceName.
// The printer system always knows a printer by its full name.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/forms/common_dialogs.h"
#include "platform/forms/win.h"

namespace forms {

// Fields of a device mode (dmFields bits) and values the printers read.
namespace dm {
inline constexpr std::int32_t DM_ORIENTATION = 0x1;
inline constexpr std::int32_t DM_PAPERSIZE = 0x2;
inline constexpr std::int32_t DM_PAPERLENGTH = 0x4;
inline constexpr std::int32_t DM_PAPERWIDTH = 0x8;
inline constexpr std::int32_t DM_COPIES = 0x100;
inline constexpr std::int32_t DM_DUPLEX = 0x1000;
inline constexpr std::int32_t DM_COLLATE = 0x8000;
inline constexpr std::int16_t DMORIENT_PORTRAIT = 1;
inline constexpr std::int16_t DMORIENT_LANDSCAPE = 2;
inline constexpr std::int16_t DMPAPER_LETTER = 1;
inline constexpr std::int16_t DMPAPER_A4 = 9;
inline constexpr std::int16_t DMDUP_SIMPLEX = 1;
}  // namespace dm

struct DEVMODE {
    std::array<char, 32> dmDeviceName{};
    std::int16_t dmSpecVersion = 0;
    std::int16_t dmDriverVersion = 0;
    std::int16_t dmSize = 122;
    std::int16_t dmDriverExtra = 0;
    std::int32_t dmFields = 0;
    std::int16_t dmOrientation = 0;
    std::int16_t dmPaperSize = 0;
    std::int16_t dmPaperLength = 0;  // tenths of a millimetre
    std::int16_t dmPaperWidth = 0;
    std::int16_t dmScale = 0;
    std::int16_t dmCopies = 0;
    std::int16_t dmDefaultSource = 0;
    std::int16_t dmPrintQuality = 0;
    std::int16_t dmColor = 0;
    std::int16_t dmDuplex = 0;
    std::int16_t dmYResolution = 0;
    std::int16_t dmTTOption = 0;
    std::int16_t dmCollate = 0;
    std::array<char, 32> dmFormName{};
    std::int16_t dmUnusedPadding = 0;
    std::int16_t dmBitsPerPel = 0;
    std::int32_t dmPelsWidth = 0;
    std::int32_t dmPelsHeight = 0;
    std::int32_t dmDisplayFlags = 0;
    std::int32_t dmDisplayFrequency = 0;
};
static_assert(offsetof(DEVMODE, dmFields) == 40 && offsetof(DEVMODE, dmFormName) == 70 &&
              offsetof(DEVMODE, dmBitsPerPel) == 104 && offsetof(DEVMODE, dmPelsWidth) == 108 &&
              offsetof(DEVMODE, dmDisplayFrequency) == 120 && sizeof(DEVMODE) == 124);

// The names of a printer: driver, device and port, each ended by NUL, in
// `extra` at the offsets given (characters from the start of the record,
// so the first name starts at 8).
struct DEVNAMES {
    std::int16_t wDriverOffset = 0;
    std::int16_t wDeviceOffset = 0;
    std::int16_t wOutputOffset = 0;
    std::int16_t wDefault = 0;  // 1: the default printer
    std::array<char, 100> extra{};
};
static_assert(sizeof(DEVNAMES) == 108);

// A fixed text field: the text up to its first NUL / the text NUL-padded
// (cut at a whole character to leave room for one NUL).
std::string fieldText(const char* field, std::size_t size);
template <std::size_t N>
std::string fieldText(const std::array<char, N>& field) { return fieldText(field.data(), N); }
void setFieldText(char* field, std::size_t size, std::string_view text);
template <std::size_t N>
void setFieldText(std::array<char, N>& field, std::string_view text) { setFieldText(field.data(), N, text); }

// DEVNAMES of a printer: the device name first, then driver and port;
// names that do not fit the 100 characters are cut.
DEVNAMES makeDevNames(std::string_view driver, std::string_view device, std::string_view port, bool isDefault);
// Name number 0 driver, 1 device, 2 port of a DEVNAMES ("" outside it).
std::string devNamesEntry(const DEVNAMES& names, int which);

// An installed printer.
struct PrinterInfo {
    std::string deviceName;  // full name
    std::string driverName;
    std::string port;
    // Its current settings: orientation, paper size, duplex mode, copies.
    DEVMODE defaults;
};

// What a printer device context draws, in device units.
struct DrawPen {
    std::int16_t style = 0;  // 0 solid, 1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot, 5 none
    std::int32_t width = 0;
    std::int32_t color = 0;  // 0x00BBGGRR
};
struct DrawBrush {
    std::int16_t style = 0;  // 0 solid, 1 none
    std::int32_t color = 0xFFFFFF;
};
struct DrawCommand {
    enum class Kind { Line, Rectangle, Ellipse, Text };
    Kind kind = Kind::Line;
    win::RECT box;     // line: from (Left, Top) to (Right, Bottom); text: its start point in (Left, Top)
    std::string text;  // UTF-8
    DrawPen pen;
    DrawBrush brush;
    LOGFONT font;      // lfHeight in device units
    std::int32_t textColor = 0;
};

// The output of one printer device context.
class PrinterDevice {
public:
    virtual ~PrinterDevice() = default;
    // Applies the fields of the mode flagged in its dmFields (orientation,
    // paper size, copies, collate, duplex); others keep their values.
    virtual void reset(const DEVMODE& mode) = 0;
    // HORZSIZE 4, VERTSIZE 6 (millimetres of the printable area), HORZRES 8,
    // VERTRES 10 (its pixels), LOGPIXELSX 88, LOGPIXELSY 90; 0 for others.
    virtual std::int32_t deviceCaps(std::int32_t index) const = 0;
    // The whole sheet in device units, and the printable area's offset from
    // the sheet's corner.
    virtual win::POINTAPI physicalPageSize() const = 0;
    virtual win::POINTAPI printingOffset() const = 0;
    // A document: >0 when it started (output "" lets the printer choose
    // where it goes); pages; false when the step failed.
    virtual std::int32_t startDoc(std::string_view docName, std::string_view output) = 0;
    virtual bool startPage() = 0;
    virtual bool endPage() = 0;
    virtual bool endDoc() = 0;
    virtual bool abortDoc() = 0;
    virtual void draw(const DrawCommand& command) = 0;
};

class PrinterSystem {
public:
    virtual ~PrinterSystem() = default;
    // Installed printers in the system's order.
    virtual std::vector<PrinterInfo> printers() const = 0;
    virtual std::optional<PrinterInfo> defaultPrinter() const = 0;
    // The output of the printer with that full name set up by `mode` (its
    // flagged fields); nullptr when there is no such printer.
    virtual std::unique_ptr<PrinterDevice> open(std::string_view deviceName, const DEVMODE* mode) = 0;
};

PrinterSystem& printerSystem();
// Installs a printer system (nullptr: a fresh scripted one without
// printers); returns the previous.
std::shared_ptr<PrinterSystem> setPrinterSystem(std::shared_ptr<PrinterSystem> system);

// Sheet sizes in millimetres of the paper sizes the printers know (A4,
// Letter, A3, A5, Legal ...); false for an unknown number.
bool paperSizeMm(std::int16_t paper, double& widthMm, double& heightMm);

// ---- Helpers shared by the print and page set-up dialogs ----

// The printer a dialog starts on: the one the names record, else the device
// mode, names (the full name, letter case ignored; a name cut to its field
// matches the start of the full one), else the default printer; none when
// the system has no printer.
std::optional<PrinterInfo> dialogStartPrinter(const DEVMODE* mode, const DEVNAMES* names);
// The settings a dialog starts with: the printer's own, with the fields the
// incoming mode flags when it names that printer.
DEVMODE dialogStartMode(const PrinterInfo& printer, const DEVMODE* mode);
// What a confirmed dialog hands back: the mode (dmSize 122, dmDriverExtra 0,
// the printer's name, dmFields with orientation, paper size, copies,
// collate and duplex) and the printer's names.
void storeDialogPrinter(const PrinterInfo& printer, DEVMODE mode, std::shared_ptr<DEVMODE>& outMode,
                        std::shared_ptr<DEVNAMES>& outNames);
// The printable paper in the page set-up's units (thousandths of an inch
// with PSD_INTHOUSANDTHSOFINCHES, else hundredths of a millimetre).
win::POINTAPI paperSizeInUnits(const DEVMODE& mode, std::int32_t flags);
// Two opposite margins fitted to `room`, the length of the page they share
// less what must stay printable: both stay when they fit; otherwise the one
// past half the room is cut to what the other leaves, and when both are past
// it each gets half. A negative margin counts 0, and none comes out below 0.
void fitOppositeMargins(double& first, double& second, double room);
// Page margins in any one unit.
struct PageMargins {
    double left = 0, right = 0, top = 0, bottom = 0;
};
// The one rule by which page margins meet a printer, for what the page
// set-up shows and returns and what GetPageMargine hands to the host alike:
// none below the printer's unprintable border on its side, then each pair
// of opposite margins fitted (fitOppositeMargins) to the printable length
// they share less `keep`, the part of it that stays printable.
void fitPageMargins(PageMargins& margins, const PageMargins& border, double printableWidth, double printableHeight,
                    double keep);

// The headless printer system. A test adds printers; each device records
// its documents and what was drawn.
class ScriptedPrinterSystem : public PrinterSystem {
public:
    struct Printer {
        PrinterInfo info;
        std::int32_t dpi = 600;
        double marginMm = 5.0;  // unprintable border on every side
        bool opens = true;      // false: no device context can be made for it
    };
    // What one printer device context produced.
    struct Document {
        std::string printer;
        std::string name;
        std::string output;
        DEVMODE mode;
        std::int32_t pages = 0;
        bool ended = false;
        std::vector<DrawCommand> commands;
    };

    void addPrinter(Printer printer, bool asDefault = false);
    std::vector<PrinterInfo> printers() const override;
    std::optional<PrinterInfo> defaultPrinter() const override;
    std::unique_ptr<PrinterDevice> open(std::string_view deviceName, const DEVMODE* mode) override;

    // Documents started on the devices, in order.
    const std::vector<std::shared_ptr<Document>>& documents() const { return documents_; }

private:
    std::vector<Printer> printers_;
    std::size_t default_ = 0;
    bool hasDefault_ = false;
    std::vector<std::shared_ptr<Document>> documents_;
};

}  // namespace forms
