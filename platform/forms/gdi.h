// A small subset of the desktop's graphics functions: printer device
// contexts (over the printer system, printing.h), metafiles recorded to a
// file or to memory, and the pens, brushes and fonts they draw with.
//
// Every object has a 32-bit handle from one table of its own range
// (0x20000000 upwards); handles are never reused, so a handle that was
// deleted, or that names an object of another kind, makes a function fail
// the way the desktop's does (0, or an empty result), never throw.
//
// Metafiles are standard WMF without a placeable header: an 18-byte header
// (type 1 in memory or 2 on disk, header size 9, version 0x0300, the size
// in 16-bit words at byte 6, the number of object slots, the largest
// record), the records, and META_EOF. Objects selected into a metafile take
// the lowest free slot of its object table. Text is UTF-8, as everywhere in
// the library; a text record of a metafile from elsewhere, whose bytes are
// no UTF-8, is read as Windows-1252.
//
// Mapping: every device context works in MM_TEXT, so a window origin moves
// the drawing and a window extent is recorded (and replayed into metafiles)
// but does not scale a printer's output.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/forms/common_dialogs.h"
#include "platform/forms/printing.h"
#include "platform/forms/win.h"

namespace forms::gdi {

inline constexpr std::int32_t HORZSIZE = 4;
inline constexpr std::int32_t VERTSIZE = 6;
inline constexpr std::int32_t HORZRES = 8;
inline constexpr std::int32_t VERTRES = 10;
inline constexpr std::int32_t LOGPIXELSX = 88;
inline constexpr std::int32_t LOGPIXELSY = 90;
inline constexpr std::int32_t GETPHYSPAGESIZE = 12;
inline constexpr std::int32_t GETPRINTINGOFFSET = 13;

inline constexpr std::int32_t PS_SOLID = 0;
inline constexpr std::int32_t PS_NULL = 5;

// Record functions of the metafiles written.
inline constexpr std::uint16_t META_EOF = 0x0000;
inline constexpr std::uint16_t META_SETWINDOWORG = 0x020B;
inline constexpr std::uint16_t META_SETWINDOWEXT = 0x020C;
inline constexpr std::uint16_t META_SETTEXTCOLOR = 0x0209;
inline constexpr std::uint16_t META_LINETO = 0x0213;
inline constexpr std::uint16_t META_MOVETO = 0x0214;
inline constexpr std::uint16_t META_ELLIPSE = 0x0418;
inline constexpr std::uint16_t META_RECTANGLE = 0x041B;
inline constexpr std::uint16_t META_TEXTOUT = 0x0521;
inline constexpr std::uint16_t META_SELECTOBJECT = 0x012D;
inline constexpr std::uint16_t META_DELETEOBJECT = 0x01F0;
inline constexpr std::uint16_t META_CREATEPENINDIRECT = 0x02FA;
inline constexpr std::uint16_t META_CREATEFONTINDIRECT = 0x02FB;
inline constexpr std::uint16_t META_CREATEBRUSHINDIRECT = 0x02FC;

// The metafile picture record of the clipboard.
struct METAFILEPICT {
    std::int32_t mm = 0;
    std::int32_t xExt = 0;
    std::int32_t yExt = 0;
    std::int32_t hMF = 0;
};

struct SIZE {
    std::int32_t cx = 0;
    std::int32_t cy = 0;
};

struct DOCINFO {
    std::string lpszDocName;
    std::string lpszOutput;  // "": the printer chooses
};

// Device contexts.
// A printer's device context: the printer named `device` (its full name;
// the driver is not checked), set up by `mode` when given; a document goes
// to the file `output` when that is given and the document names none. 0
// when there is no such printer.
std::int32_t CreateDCA(std::string_view driver, std::string_view device, std::string_view output,
                       const DEVMODE* mode);
// Applies the fields a device mode flags; returns hdc, 0 when hdc is no
// printer device context.
std::int32_t ResetDCA(std::int32_t hdc, const DEVMODE& mode);
// 0 for an unknown handle (a metafile context answers 0 too).
std::int32_t GetDeviceCaps(std::int32_t hdc, std::int32_t index);
// GETPHYSPAGESIZE and GETPRINTINGOFFSET fill `out` and return 1; any other
// escape, or an unknown handle, returns 0 and leaves `out` as it was.
std::int32_t Escape(std::int32_t hdc, std::int32_t escape, std::int32_t inCount, const void* in,
                    win::POINTAPI* out);
std::int32_t DeleteDC(std::int32_t hdc);

// Metafiles. `file` empty: recorded in memory.
std::int32_t CreateMetaFileA(std::string_view file);
// Ends the recording: the metafile's handle (the file is complete), 0 on
// failure; the recording context is gone either way.
std::int32_t CloseMetaFile(std::int32_t hdc);
std::int32_t DeleteMetaFile(std::int32_t hmf);
// Plays a metafile onto any device context; non-zero on success.
std::int32_t PlayMetaFile(std::int32_t hdc, std::int32_t hmf);
// The metafile's bytes: their number; with `buffer` non-null, at most
// `size` of them are copied.
std::uint32_t GetMetaFileBitsEx(std::int32_t hmf, std::uint32_t size, void* buffer);
// A memory metafile from bytes; 0 unless they are a metafile (header size
// 9, type 1 or 2, a size in words that fits the bytes given and records
// that end with META_EOF).
std::int32_t SetMetaFileBitsEx(std::uint32_t size, const void* data);

// Mapping and drawing; non-zero on success.
std::int32_t SetWindowExtEx(std::int32_t hdc, std::int32_t x, std::int32_t y, SIZE* previous);
std::int32_t SetWindowOrgEx(std::int32_t hdc, std::int32_t x, std::int32_t y, win::POINTAPI* previous);
std::int32_t MoveToEx(std::int32_t hdc, std::int32_t x, std::int32_t y, win::POINTAPI* previous);
std::int32_t LineTo(std::int32_t hdc, std::int32_t x, std::int32_t y);
std::int32_t Rectangle(std::int32_t hdc, std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);
std::int32_t Ellipse(std::int32_t hdc, std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);
// Text in UTF-8 (bytes that are no UTF-8 are taken as Windows-1252); a
// metafile records the bytes as given.
std::int32_t TextOutA(std::int32_t hdc, std::int32_t x, std::int32_t y, std::string_view text);
// Returns the previous colour, -1 (CLR_INVALID) on failure.
std::int32_t SetTextColor(std::int32_t hdc, std::int32_t color);

// Pens, brushes, fonts.
std::int32_t CreatePen(std::int32_t style, std::int32_t width, std::int32_t color);
std::int32_t CreateSolidBrush(std::int32_t color);
// The face name is Windows-1252 in a metafile; here it is UTF-8 as in the
// font dialog's record.
std::int32_t CreateFontIndirectA(const LOGFONT& font);
// Selects a pen, brush or font: the one it replaces (0 when the context
// had none of that kind selected by a call, or on failure).
std::int32_t SelectObject(std::int32_t hdc, std::int32_t object);
std::int32_t DeleteObject(std::int32_t object);

// Documents on a printer device context: StartDocA > 0 on success, the
// others > 0 on success and <= 0 on failure.
std::int32_t StartDocA(std::int32_t hdc, const DOCINFO& info);
std::int32_t StartPage(std::int32_t hdc);
std::int32_t EndPage(std::int32_t hdc);
std::int32_t EndDoc(std::int32_t hdc);
std::int32_t AbortDoc(std::int32_t hdc);

// Objects alive, by kind (tests, and leak checks).
struct LiveCounts {
    std::int32_t printerDCs = 0;
    std::int32_t metafileDCs = 0;
    std::int32_t metafiles = 0;
    std::int32_t pens = 0;
    std::int32_t brushes = 0;
    std::int32_t fonts = 0;
    bool operator==(const LiveCounts&) const = default;
};
LiveCounts liveCounts();

// Whether a handle names a live object of any kind.
bool isLiveObject(std::int32_t handle);

}  // namespace forms::gdi
