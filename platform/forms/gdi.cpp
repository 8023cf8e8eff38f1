#include "platform/forms/gdi.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <fstream>
#include <map>
#include <memory>
#include <variant>

#include "platform/forms/ui_thread.h"
#include "platform/runtime/codepage.h"

namespace forms::gdi {

namespace {

struct DcState {
    win::POINTAPI windowOrg;
    SIZE windowExt{1, 1};
    win::POINTAPI position;
    std::int32_t pen = 0;
    std::int32_t brush = 0;
    std::int32_t font = 0;
    std::int32_t textColor = 0;
};

struct PenObject {
    DrawPen pen;
};
struct BrushObject {
    DrawBrush brush;
};
struct FontObject {
    LOGFONT font;
};
struct MetafileObject {
    std::vector<std::uint8_t> bytes;
};
struct PrinterDc {
    DcState state;
    std::unique_ptr<PrinterDevice> device;
    std::string output;  // the file a document goes to, unless its own names one
    bool inDoc = false;
    bool inPage = false;
};
struct MetafileDc {
    DcState state;
    std::string file;
    std::vector<std::uint8_t> records;
    std::vector<std::int32_t> slots;  // object handles by slot; 0 free
    std::size_t slotCount = 0;        // largest table used
    std::uint32_t maxRecord = 0;
};

using Object = std::variant<PenObject, BrushObject, FontObject, MetafileObject, PrinterDc, MetafileDc>;

struct Table {
    std::map<std::int32_t, Object> objects;
    std::int32_t next = 0x20000000;
};

Table& table()
{
    requireUiThread();
    static Table t;
    return t;
}

template <class T>
T* lookup(std::int32_t handle)
{
    auto it = table().objects.find(handle);
    if (it == table().objects.end()) return nullptr;
    return std::get_if<T>(&it->second);
}

std::int32_t add(Object object)
{
    const std::int32_t handle = table().next++;
    table().objects.emplace(handle, std::move(object));
    return handle;
}

DcState* stateOf(std::int32_t hdc)
{
    if (auto* p = lookup<PrinterDc>(hdc)) return &p->state;
    if (auto* m = lookup<MetafileDc>(hdc)) return &m->state;
    return nullptr;
}

// ---- metafile records ----

void putWord(std::vector<std::uint8_t>& out, std::uint16_t value)
{
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void putLong(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    putWord(out, static_cast<std::uint16_t>(value & 0xFFFF));
    putWord(out, static_cast<std::uint16_t>(value >> 16));
}

// Whether every value fits the 16-bit words of a metafile record: a
// recording refuses a call with one that does not, instead of wrapping it.
bool fitsWords(std::initializer_list<std::int32_t> values)
{
    return std::all_of(values.begin(), values.end(), [](std::int32_t v) { return v >= INT16_MIN && v <= INT16_MAX; });
}

std::uint16_t word(std::int32_t value)
{
    return static_cast<std::uint16_t>(static_cast<std::int16_t>(value));
}

void record(MetafileDc& mf, std::uint16_t function, const std::vector<std::uint16_t>& params)
{
    const std::uint32_t size = 3 + static_cast<std::uint32_t>(params.size());
    putLong(mf.records, size);
    putWord(mf.records, function);
    for (std::uint16_t p : params) putWord(mf.records, p);
    mf.maxRecord = std::max(mf.maxRecord, size);
}

// The 16-bit words of a text of bytes, padded to an even length.
std::vector<std::uint16_t> byteWords(std::string_view bytes)
{
    std::vector<std::uint16_t> words;
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        const auto lo = static_cast<std::uint8_t>(bytes[i]);
        const auto hi = i + 1 < bytes.size() ? static_cast<std::uint8_t>(bytes[i + 1]) : std::uint8_t{0};
        words.push_back(static_cast<std::uint16_t>(lo | (hi << 8)));
    }
    return words;
}

std::vector<std::uint16_t> creationParams(const Object& object, std::uint16_t& function)
{
    if (const auto* p = std::get_if<PenObject>(&object)) {
        function = META_CREATEPENINDIRECT;
        const auto color = static_cast<std::uint32_t>(p->pen.color);
        return {word(p->pen.style), word(p->pen.width), 0, static_cast<std::uint16_t>(color & 0xFFFF),
                static_cast<std::uint16_t>(color >> 16)};
    }
    if (const auto* b = std::get_if<BrushObject>(&object)) {
        function = META_CREATEBRUSHINDIRECT;
        const auto color = static_cast<std::uint32_t>(b->brush.color);
        return {word(b->brush.style), static_cast<std::uint16_t>(color & 0xFFFF),
                static_cast<std::uint16_t>(color >> 16), 0};
    }
    const LOGFONT& f = std::get<FontObject>(object).font;
    function = META_CREATEFONTINDIRECT;
    std::vector<std::uint16_t> params = {word(f.lfHeight), word(f.lfWidth), word(f.lfEscapement),
                                         word(f.lfOrientation), word(f.lfWeight)};
    const std::uint8_t styles[8] = {f.lfItalic,       f.lfUnderline,     f.lfStrikeOut, f.lfCharSet,
                                    f.lfOutPrecision, f.lfClipPrecision, f.lfQuality,   f.lfPitchAndFamily};
    for (int i = 0; i < 8; i += 2) params.push_back(static_cast<std::uint16_t>(styles[i] | (styles[i + 1] << 8)));
    std::string face = rt::utf8ToCp1252(faceNameOf(f));
    face.resize(32, '\0');
    face[31] = '\0';
    for (std::uint16_t w : byteWords(face)) params.push_back(w);
    return params;
}

// Whether an object's sizes fit its creation record.
bool recordable(const Object& object)
{
    if (const auto* p = std::get_if<PenObject>(&object)) return fitsWords({p->pen.width});
    if (const auto* f = std::get_if<FontObject>(&object))
        return fitsWords({f->font.lfHeight, f->font.lfWidth, f->font.lfEscapement, f->font.lfOrientation,
                          f->font.lfWeight});
    return true;
}

// The slot of an object in a recording, created in the lowest free slot
// when the recording does not hold it yet.
std::int32_t slotOf(MetafileDc& mf, std::int32_t handle, const Object& object)
{
    for (std::size_t i = 0; i < mf.slots.size(); ++i) {
        if (mf.slots[i] == handle) return static_cast<std::int32_t>(i);
    }
    std::uint16_t function = 0;
    const std::vector<std::uint16_t> params = creationParams(object, function);
    record(mf, function, params);
    auto free = std::find(mf.slots.begin(), mf.slots.end(), 0);
    if (free == mf.slots.end()) free = mf.slots.insert(mf.slots.end(), 0);
    *free = handle;
    mf.slotCount = std::max(mf.slotCount, mf.slots.size());
    return static_cast<std::int32_t>(free - mf.slots.begin());
}

std::vector<std::uint8_t> finishedMetafile(const MetafileDc& mf, bool onDisk)
{
    std::vector<std::uint8_t> records = mf.records;
    putLong(records, 3);
    putWord(records, META_EOF);
    std::vector<std::uint8_t> bytes;
    putWord(bytes, onDisk ? 2 : 1);
    putWord(bytes, 9);
    putWord(bytes, 0x0300);
    putLong(bytes, static_cast<std::uint32_t>((18 + records.size()) / 2));
    putWord(bytes, static_cast<std::uint16_t>(mf.slotCount));
    putLong(bytes, std::max<std::uint32_t>(mf.maxRecord, 3));
    putWord(bytes, 0);
    bytes.insert(bytes.end(), records.begin(), records.end());
    return bytes;
}

// ---- printer output ----

DrawCommand commandOn(const DcState& state, DrawCommand::Kind kind)
{
    DrawCommand command;
    command.kind = kind;
    if (const auto* p = lookup<PenObject>(state.pen)) command.pen = p->pen;
    if (const auto* b = lookup<BrushObject>(state.brush)) command.brush = b->brush;
    if (const auto* f = lookup<FontObject>(state.font)) command.font = f->font;
    command.textColor = state.textColor;
    return command;
}

win::RECT toDevice(const DcState& state, std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom)
{
    return win::RECT{left - state.windowOrg.X, top - state.windowOrg.Y, right - state.windowOrg.X,
                     bottom - state.windowOrg.Y};
}

// A drawing call on either kind of context; a recording takes it only when
// its coordinates fit 16 bits.
template <class OnPrinter, class OnMetafile>
std::int32_t drawOn(std::int32_t hdc, std::initializer_list<std::int32_t> coordinates, OnPrinter&& onPrinter,
                    OnMetafile&& onMetafile)
{
    if (auto* p = lookup<PrinterDc>(hdc)) {
        onPrinter(*p);
        return 1;
    }
    if (auto* m = lookup<MetafileDc>(hdc)) {
        if (!fitsWords(coordinates)) return 0;
        onMetafile(*m);
        return 1;
    }
    return 0;
}

std::uint16_t readWord(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t readLong(const std::uint8_t* p) { return readWord(p) | (static_cast<std::uint32_t>(readWord(p + 2)) << 16); }
std::int32_t param(const std::uint8_t* rec, std::size_t i) { return static_cast<std::int16_t>(readWord(rec + 6 + 2 * i)); }

// Whether bytes are a metafile this subset plays: a sound header and
// records that stay inside the size and end with META_EOF.
bool validMetafile(const std::uint8_t* bytes, std::uint32_t size)
{
    if (size < 18) return false;
    const std::uint16_t type = readWord(bytes);
    if ((type != 1 && type != 2) || readWord(bytes + 2) != 9) return false;
    const std::uint64_t total = 2ull * readLong(bytes + 6);
    if (total < 18 + 6 || total > size) return false;
    std::uint64_t at = 18;
    while (at + 6 <= total) {
        const std::uint64_t recordSize = 2ull * readLong(bytes + at);
        if (recordSize < 6 || at + recordSize > total) return false;
        if (readWord(bytes + at + 4) == META_EOF) return true;
        at += recordSize;
    }
    return false;
}

}  // namespace

std::int32_t CreateDCA(std::string_view /*driver*/, std::string_view device, std::string_view output,
                       const DEVMODE* mode)
{
    std::unique_ptr<PrinterDevice> opened = printerSystem().open(device, mode);
    if (!opened) return 0;
    PrinterDc dc;
    dc.device = std::move(opened);
    dc.output = std::string(output);
    return add(std::move(dc));
}

std::int32_t ResetDCA(std::int32_t hdc, const DEVMODE& mode)
{
    auto* p = lookup<PrinterDc>(hdc);
    if (p == nullptr) return 0;
    p->device->reset(mode);
    return hdc;
}

std::int32_t GetDeviceCaps(std::int32_t hdc, std::int32_t index)
{
    auto* p = lookup<PrinterDc>(hdc);
    return p == nullptr ? 0 : p->device->deviceCaps(index);
}

std::int32_t Escape(std::int32_t hdc, std::int32_t escape, std::int32_t /*inCount*/, const void* /*in*/,
                    win::POINTAPI* out)
{
    auto* p = lookup<PrinterDc>(hdc);
    if (p == nullptr || out == nullptr) return 0;
    if (escape == GETPHYSPAGESIZE) {
        *out = p->device->physicalPageSize();
        return 1;
    }
    if (escape == GETPRINTINGOFFSET) {
        *out = p->device->printingOffset();
        return 1;
    }
    return 0;
}

std::int32_t DeleteDC(std::int32_t hdc)
{
    auto* p = lookup<PrinterDc>(hdc);
    if (p != nullptr) {
        if (p->inDoc) p->device->abortDoc();
    } else if (lookup<MetafileDc>(hdc) == nullptr) {
        return 0;
    }
    table().objects.erase(hdc);
    return 1;
}

std::int32_t CreateMetaFileA(std::string_view file)
{
    MetafileDc mf;
    mf.file = std::string(file);
    if (!mf.file.empty()) {
        // The file is created at once, as the desktop's function does.
        std::ofstream out(mf.file, std::ios::binary | std::ios::trunc);
        if (!out) return 0;
    }
    return add(std::move(mf));
}

std::int32_t CloseMetaFile(std::int32_t hdc)
{
    auto* mf = lookup<MetafileDc>(hdc);
    if (mf == nullptr) return 0;
    const bool onDisk = !mf->file.empty();
    MetafileObject metafile{finishedMetafile(*mf, onDisk)};
    const std::string file = mf->file;
    table().objects.erase(hdc);
    if (onDisk) {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(metafile.bytes.data()),
                  static_cast<std::streamsize>(metafile.bytes.size()));
        out.close();
        if (!out) return 0;
    }
    return add(std::move(metafile));
}

std::int32_t DeleteMetaFile(std::int32_t hmf)
{
    if (lookup<MetafileObject>(hmf) == nullptr) return 0;
    table().objects.erase(hmf);
    return 1;
}

std::uint32_t GetMetaFileBitsEx(std::int32_t hmf, std::uint32_t size, void* buffer)
{
    const auto* metafile = lookup<MetafileObject>(hmf);
    if (metafile == nullptr) return 0;
    const auto total = static_cast<std::uint32_t>(metafile->bytes.size());
    if (buffer == nullptr) return total;
    const std::uint32_t n = std::min(size, total);
    std::memcpy(buffer, metafile->bytes.data(), n);
    return n;
}

std::int32_t SetMetaFileBitsEx(std::uint32_t size, const void* data)
{
    if (data == nullptr) return 0;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    if (!validMetafile(bytes, size)) return 0;
    const std::uint32_t total = 2 * readLong(bytes + 6);
    MetafileObject metafile{std::vector<std::uint8_t>(bytes, bytes + total)};
    metafile.bytes[0] = 1;  // now a metafile in memory
    return add(std::move(metafile));
}

std::int32_t PlayMetaFile(std::int32_t hdc, std::int32_t hmf)
{
    const auto* metafile = lookup<MetafileObject>(hmf);
    DcState* state = stateOf(hdc);
    if (metafile == nullptr || state == nullptr) return 0;
    const std::vector<std::uint8_t> bytes = metafile->bytes;  // the table may change while playing
    if (!validMetafile(bytes.data(), static_cast<std::uint32_t>(bytes.size()))) return 0;
    const std::int32_t pen = state->pen;
    const std::int32_t brush = state->brush;
    const std::int32_t font = state->font;

    std::vector<std::int32_t> objects(readWord(bytes.data() + 10), 0);
    auto place = [&](std::int32_t handle) {
        auto free = std::find(objects.begin(), objects.end(), 0);
        if (free == objects.end()) free = objects.insert(objects.end(), 0);
        *free = handle;
    };
    auto object = [&](std::int32_t slot) {
        return slot >= 0 && static_cast<std::size_t>(slot) < objects.size() ? objects[static_cast<std::size_t>(slot)] : 0;
    };
    const std::size_t total = 2ull * readLong(bytes.data() + 6);
    std::size_t at = 18;
    bool ok = true;
    while (at + 6 <= total) {
        const std::uint8_t* rec = bytes.data() + at;
        const std::size_t recordSize = 2ull * readLong(rec);
        const std::uint16_t function = readWord(rec + 4);
        const std::size_t params = (recordSize - 6) / 2;
        auto p = [&](std::size_t i) { return i < params ? param(rec, i) : 0; };
        if (function == META_EOF) break;
        switch (function) {
            case META_SETWINDOWORG: SetWindowOrgEx(hdc, p(1), p(0), nullptr); break;
            case META_SETWINDOWEXT: SetWindowExtEx(hdc, p(1), p(0), nullptr); break;
            case META_MOVETO: MoveToEx(hdc, p(1), p(0), nullptr); break;
            case META_LINETO: LineTo(hdc, p(1), p(0)); break;
            case META_RECTANGLE: Rectangle(hdc, p(3), p(2), p(1), p(0)); break;
            case META_ELLIPSE: Ellipse(hdc, p(3), p(2), p(1), p(0)); break;
            case META_SETTEXTCOLOR:
                SetTextColor(hdc, static_cast<std::int32_t>(static_cast<std::uint16_t>(p(0)) |
                                                            (static_cast<std::uint32_t>(static_cast<std::uint16_t>(p(1))) << 16)));
                break;
            case META_TEXTOUT: {
                const std::int32_t count = p(0);
                const std::size_t textWords = (static_cast<std::size_t>(std::max(count, 0)) + 1) / 2;
                if (count < 0 || params < 1 + textWords + 2) {
                    ok = false;
                    break;
                }
                const std::string text(reinterpret_cast<const char*>(rec + 8), static_cast<std::size_t>(count));
                TextOutA(hdc, p(2 + textWords), p(1 + textWords), text);
                break;
            }
            case META_CREATEPENINDIRECT:
                place(CreatePen(p(0), p(1), static_cast<std::int32_t>(static_cast<std::uint16_t>(p(3)) |
                                                                     (static_cast<std::uint32_t>(static_cast<std::uint16_t>(p(4))) << 16))));
                break;
            case META_CREATEBRUSHINDIRECT: {
                const auto color = static_cast<std::int32_t>(static_cast<std::uint16_t>(p(1)) |
                                                             (static_cast<std::uint32_t>(static_cast<std::uint16_t>(p(2))) << 16));
                const std::int32_t handle = CreateSolidBrush(color);
                if (auto* b = lookup<BrushObject>(handle)) b->brush.style = static_cast<std::int16_t>(p(0));
                place(handle);
                break;
            }
            case META_CREATEFONTINDIRECT: {
                LOGFONT f;
                f.lfHeight = p(0);
                f.lfWidth = p(1);
                f.lfEscapement = p(2);
                f.lfOrientation = p(3);
                f.lfWeight = p(4);
                if (params >= 9) {
                    const std::uint8_t* s = rec + 6 + 10;
                    f.lfItalic = s[0];
                    f.lfUnderline = s[1];
                    f.lfStrikeOut = s[2];
                    f.lfCharSet = s[3];
                    f.lfOutPrecision = s[4];
                    f.lfClipPrecision = s[5];
                    f.lfQuality = s[6];
                    f.lfPitchAndFamily = s[7];
                }
                if (params >= 9) {
                    const std::size_t faceBytes = std::min<std::size_t>(32, 2 * (params - 9));
                    const std::string face = fieldText(reinterpret_cast<const char*>(rec + 6 + 18), faceBytes);
                    setFaceName(f, rt::cp1252ToUtf8(face));
                }
                place(CreateFontIndirectA(f));
                break;
            }
            case META_SELECTOBJECT: SelectObject(hdc, object(p(0))); break;
            case META_DELETEOBJECT: {
                const std::int32_t slot = p(0);
                const std::int32_t handle = object(slot);
                if (handle != 0) {
                    DeleteObject(handle);
                    objects[static_cast<std::size_t>(slot)] = 0;
                }
                break;
            }
            default:
                break;  // records outside the subset are skipped
        }
        if (!ok) break;
        at += recordSize;
    }
    // The context gets its own objects back; what the metafile made goes.
    if (stateOf(hdc) != nullptr) {
        if (pen != 0) SelectObject(hdc, pen);
        if (brush != 0) SelectObject(hdc, brush);
        if (font != 0) SelectObject(hdc, font);
    }
    for (std::int32_t handle : objects) {
        if (handle != 0) DeleteObject(handle);
    }
    return ok ? 1 : 0;
}

std::int32_t SetWindowExtEx(std::int32_t hdc, std::int32_t x, std::int32_t y, SIZE* previous)
{
    DcState* state = stateOf(hdc);
    if (state == nullptr) return 0;
    if (lookup<MetafileDc>(hdc) != nullptr && !fitsWords({x, y})) return 0;
    if (previous != nullptr) *previous = state->windowExt;
    state->windowExt = SIZE{x, y};
    if (auto* m = lookup<MetafileDc>(hdc)) record(*m, META_SETWINDOWEXT, {word(y), word(x)});
    return 1;
}

std::int32_t SetWindowOrgEx(std::int32_t hdc, std::int32_t x, std::int32_t y, win::POINTAPI* previous)
{
    DcState* state = stateOf(hdc);
    if (state == nullptr) return 0;
    if (lookup<MetafileDc>(hdc) != nullptr && !fitsWords({x, y})) return 0;
    if (previous != nullptr) *previous = state->windowOrg;
    state->windowOrg = win::POINTAPI{x, y};
    if (auto* m = lookup<MetafileDc>(hdc)) record(*m, META_SETWINDOWORG, {word(y), word(x)});
    return 1;
}

std::int32_t MoveToEx(std::int32_t hdc, std::int32_t x, std::int32_t y, win::POINTAPI* previous)
{
    DcState* state = stateOf(hdc);
    if (state == nullptr) return 0;
    if (lookup<MetafileDc>(hdc) != nullptr && !fitsWords({x, y})) return 0;
    if (previous != nullptr) *previous = state->position;
    state->position = win::POINTAPI{x, y};
    if (auto* m = lookup<MetafileDc>(hdc)) record(*m, META_MOVETO, {word(y), word(x)});
    return 1;
}

std::int32_t LineTo(std::int32_t hdc, std::int32_t x, std::int32_t y)
{
    return drawOn(
        hdc, {x, y},
        [&](PrinterDc& p) {
            DrawCommand c = commandOn(p.state, DrawCommand::Kind::Line);
            c.box = toDevice(p.state, p.state.position.X, p.state.position.Y, x, y);
            p.device->draw(c);
            p.state.position = win::POINTAPI{x, y};
        },
        [&](MetafileDc& m) {
            record(m, META_LINETO, {word(y), word(x)});
            m.state.position = win::POINTAPI{x, y};
        });
}

std::int32_t Rectangle(std::int32_t hdc, std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom)
{
    return drawOn(
        hdc, {left, top, right, bottom},
        [&](PrinterDc& p) {
            DrawCommand c = commandOn(p.state, DrawCommand::Kind::Rectangle);
            c.box = toDevice(p.state, left, top, right, bottom);
            p.device->draw(c);
        },
        [&](MetafileDc& m) { record(m, META_RECTANGLE, {word(bottom), word(right), word(top), word(left)}); });
}

std::int32_t Ellipse(std::int32_t hdc, std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom)
{
    return drawOn(
        hdc, {left, top, right, bottom},
        [&](PrinterDc& p) {
            DrawCommand c = commandOn(p.state, DrawCommand::Kind::Ellipse);
            c.box = toDevice(p.state, left, top, right, bottom);
            p.device->draw(c);
        },
        [&](MetafileDc& m) { record(m, META_ELLIPSE, {word(bottom), word(right), word(top), word(left)}); });
}

std::int32_t TextOutA(std::int32_t hdc, std::int32_t x, std::int32_t y, std::string_view text)
{
    if (text.size() > 0x7FFF) return 0;
    return drawOn(
        hdc, {x, y},
        [&](PrinterDc& p) {
            DrawCommand c = commandOn(p.state, DrawCommand::Kind::Text);
            c.box = toDevice(p.state, x, y, x, y);
            c.text = rt::textAsUtf8(text);
            p.device->draw(c);
        },
        [&](MetafileDc& m) {
            std::vector<std::uint16_t> params{static_cast<std::uint16_t>(text.size())};
            for (std::uint16_t w : byteWords(text)) params.push_back(w);
            params.push_back(word(y));
            params.push_back(word(x));
            record(m, META_TEXTOUT, params);
        });
}

std::int32_t SetTextColor(std::int32_t hdc, std::int32_t color)
{
    DcState* state = stateOf(hdc);
    if (state == nullptr) return -1;
    const std::int32_t previous = state->textColor;
    state->textColor = color;
    if (auto* m = lookup<MetafileDc>(hdc)) {
        const auto c = static_cast<std::uint32_t>(color);
        record(*m, META_SETTEXTCOLOR, {static_cast<std::uint16_t>(c & 0xFFFF), static_cast<std::uint16_t>(c >> 16)});
    }
    return previous;
}

std::int32_t CreatePen(std::int32_t style, std::int32_t width, std::int32_t color)
{
    if (style < 0 || style > PS_NULL) return 0;
    return add(PenObject{DrawPen{static_cast<std::int16_t>(style), width, color}});
}

std::int32_t CreateSolidBrush(std::int32_t color)
{
    return add(BrushObject{DrawBrush{0, color}});
}

std::int32_t CreateFontIndirectA(const LOGFONT& font)
{
    return add(FontObject{font});
}

std::int32_t SelectObject(std::int32_t hdc, std::int32_t object)
{
    DcState* state = stateOf(hdc);
    auto it = table().objects.find(object);
    if (state == nullptr || it == table().objects.end()) return 0;
    std::int32_t* slot = nullptr;
    if (std::holds_alternative<PenObject>(it->second)) slot = &state->pen;
    if (std::holds_alternative<BrushObject>(it->second)) slot = &state->brush;
    if (std::holds_alternative<FontObject>(it->second)) slot = &state->font;
    if (slot == nullptr) return 0;
    if (auto* m = lookup<MetafileDc>(hdc)) {
        if (!recordable(it->second)) return 0;
        const std::int32_t index = slotOf(*m, object, it->second);
        record(*m, META_SELECTOBJECT, {word(index)});
    }
    const std::int32_t previous = *slot;
    *slot = object;
    return previous;
}

std::int32_t DeleteObject(std::int32_t object)
{
    auto it = table().objects.find(object);
    if (it == table().objects.end()) return 0;
    if (!std::holds_alternative<PenObject>(it->second) && !std::holds_alternative<BrushObject>(it->second) &&
        !std::holds_alternative<FontObject>(it->second))
        return 0;
    // Recordings that hold the object delete it too, and contexts forget it.
    for (auto& [handle, entry] : table().objects) {
        if (auto* m = std::get_if<MetafileDc>(&entry)) {
            for (std::size_t i = 0; i < m->slots.size(); ++i) {
                if (m->slots[i] != object) continue;
                record(*m, META_DELETEOBJECT, {static_cast<std::uint16_t>(i)});
                m->slots[i] = 0;
            }
        }
        DcState* state = nullptr;
        if (auto* m = std::get_if<MetafileDc>(&entry)) state = &m->state;
        if (auto* p = std::get_if<PrinterDc>(&entry)) state = &p->state;
        if (state != nullptr) {
            for (std::int32_t* selected : {&state->pen, &state->brush, &state->font}) {
                if (*selected == object) *selected = 0;
            }
        }
    }
    table().objects.erase(object);
    return 1;
}

std::int32_t StartDocA(std::int32_t hdc, const DOCINFO& info)
{
    auto* p = lookup<PrinterDc>(hdc);
    if (p == nullptr || p->inDoc) return 0;
    const std::int32_t job =
        p->device->startDoc(info.lpszDocName, info.lpszOutput.empty() ? std::string_view(p->output) : info.lpszOutput);
    if (job <= 0) return job == 0 ? -1 : job;
    p->inDoc = true;
    p->inPage = false;
    return job;
}

std::int32_t StartPage(std::int32_t hdc)
{
    auto* p = lookup<PrinterDc>(hdc);
    if (p == nullptr || !p->inDoc || p->inPage) return 0;
    if (!p->device->startPage()) return 0;
    p->inPage = true;
    return 1;
}

std::int32_t EndPage(std::int32_t hdc)
{
    auto* p = lookup<PrinterDc>(hdc);
    if (p == nullptr || !p->inPage) return 0;
    p->inPage = false;
    return p->device->endPage() ? 1 : 0;
}

std::int32_t EndDoc(std::int32_t hdc)
{
    auto* p = lookup<PrinterDc>(hdc);
    if (p == nullptr || !p->inDoc) return 0;
    if (p->inPage) {
        p->device->endPage();
        p->inPage = false;
    }
    p->inDoc = false;
    return p->device->endDoc() ? 1 : 0;
}

std::int32_t AbortDoc(std::int32_t hdc)
{
    auto* p = lookup<PrinterDc>(hdc);
    if (p == nullptr || !p->inDoc) return 0;
    p->inDoc = false;
    p->inPage = false;
    return p->device->abortDoc() ? 1 : 0;
}

LiveCounts liveCounts()
{
    LiveCounts counts;
    for (const auto& [handle, entry] : table().objects) {
        std::visit(
            [&](const auto& o) {
                using T = std::decay_t<decltype(o)>;
                if constexpr (std::is_same_v<T, PrinterDc>) ++counts.printerDCs;
                if constexpr (std::is_same_v<T, MetafileDc>) ++counts.metafileDCs;
                if constexpr (std::is_same_v<T, MetafileObject>) ++counts.metafiles;
                if constexpr (std::is_same_v<T, PenObject>) ++counts.pens;
                if constexpr (std::is_same_v<T, BrushObject>) ++counts.brushes;
                if constexpr (std::is_same_v<T, FontObject>) ++counts.fonts;
            },
            entry);
    }
    return counts;
}

bool isLiveObject(std::int32_t handle)
{
    return table().objects.count(handle) != 0;
}

}  // namespace forms::gdi
