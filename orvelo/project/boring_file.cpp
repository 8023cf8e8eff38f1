#include "orvelo/project/boring_file.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <new>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "halvex/interface/enums.h"
#include "orvelo/model/boring_data.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/boring_layout.h"
#include "orvelo/project/data_files.h"
#include "orvelo/project/services.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/screen.h"
#include "platform/runtime/datachannel.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/paths.h"

namespace orvelo {

namespace {

// Opens prefix + extension for random reading through file number 1, with
// Prod set to the path; false when it could not be opened (the open routine
// has shown why).
bool openForReading(const std::string& path) {
    SharedServices().Prod(path);
    return OpenDataFile(SharedServices().Prod(), halvex::GetRandomMode, 1, 0) == 0;
}

std::string currentBoringFilePath() {
    const Declar& d = declar();
    return d.CurrentDataDir + d.CurrentProjectName + ".P41";
}

// ---- record positions of .P41 ----
//
// Every block starts after a base record; entry e of a block of r records
// per entry occupies base + r (e - 1) + 1 .. base + r e. Record numbers are
// 32-bit: a net of 32767 nodes needs more than 160000 records.
struct P41Layout {
    std::int32_t n = 0;  // nodes
    std::int32_t k = 0;  // borings
    std::int32_t l = 0;  // dividing lines of boring 1
    std::int32_t d = 0;  // dividing lines
    std::int32_t t = 0;  // stored triangles
    std::int32_t s = 0;  // stored strips

    std::int32_t a() const { return 2; }
    std::int32_t b() const { return 2 * n + 2; }
    std::int32_t c() const { return 2 * n + 2 * k + 2; }
    std::int32_t dBlock() const { return 2 * n + 6 * k + 2; }
    std::int32_t e0() const { return 3 * n + 6 * k + 2; }
    std::int32_t e() const { return 3 * n + 6 * k + 4; }
    std::int32_t f() const { return 3 * n + 6 * k + l + 4; }
    std::int32_t g() const { return 3 * n + 6 * k + 3 * l + 2; }
    // H0: after G when there are dividing lines (more than one boring),
    // else straight after D.
    std::int32_t p() const { return k > 1 ? g() + 4 * d : 3 * n + 6 * k + 2; }
    std::int32_t h() const { return p() + 2; }
    std::int32_t i() const { return p() + 2 * n + 2; }
    std::int32_t j() const { return p() + 2 * n + 2 * s + 2; }
    std::int32_t kBlock() const { return p() + 2 * n + 6 * s + 2; }
    std::int32_t lBlock() const { return p() + 2 * n + 6 * s + 3 * t + 2; }
    // The record of the last value the writer writes.
    std::int32_t last() const { return lBlock() + 3 * s; }
};

bool isRegionKind(const std::string& kind) {
    return kind.empty() || kind == kRegionConstant || kind == kRegionLinear ||
           kind == kRegionTriangle;
}

// A value of the file that does not fit the net, the borings or the blocks:
// the file is not read.
[[noreturn]] void refuseFile() { rt::raise(13, "The boring file does not fit the project."); }

// Reads a region kind; anything but the known kinds means the file is read
// out of step with its blocks.
std::string readKind(rt::RecordFile& file, std::int32_t rec) {
    std::string kind = file.getString(rec);
    if (!isRegionKind(kind)) refuseFile();
    return kind;
}

template <class T>
const T& valueAt(const std::vector<T>& list, long long i) {
    if (i < 0 || i >= static_cast<long long>(list.size())) rt::raise(9);
    return list[static_cast<std::size_t>(i)];
}

// Blocks of entries 1 .. count after the base record `base`: a pair of
// Singles (two records an entry), a region with its kind, or three
// Integers (three records an entry).
void readSinglePairs(rt::RecordFile& file, std::int32_t base, std::int32_t count, std::vector<float>& first,
                     std::vector<float>& second) {
    for (std::int32_t e = 1; e <= count; ++e) {
        first[e] = file.getSingle(base + 2 * e - 1);
        second[e] = file.getSingle(base + 2 * e);
    }
}

void writeSinglePairs(rt::RecordFile& file, std::int32_t base, std::int32_t count, const std::vector<float>& first,
                      const std::vector<float>& second) {
    for (std::int32_t e = 1; e <= count; ++e) {
        file.putSingle(base + 2 * e - 1, valueAt(first, e));
        file.putSingle(base + 2 * e, valueAt(second, e));
    }
}

void readRegions(rt::RecordFile& file, std::int32_t base, std::int32_t count, std::vector<std::int16_t>& regions,
                 std::vector<std::string>& kinds) {
    for (std::int32_t e = 1; e <= count; ++e) {
        regions[e] = file.getInteger(base + 2 * e - 1);
        kinds[e] = readKind(file, base + 2 * e);
    }
}

void writeRegions(rt::RecordFile& file, std::int32_t base, std::int32_t count, const std::vector<std::int16_t>& regions,
                  const std::vector<std::string>& kinds) {
    for (std::int32_t e = 1; e <= count; ++e) {
        file.putInteger(base + 2 * e - 1, valueAt(regions, e));
        file.putString(base + 2 * e, valueAt(kinds, e));
    }
}

void readIntegerTriples(rt::RecordFile& file, std::int32_t base, std::int32_t count, std::vector<std::int16_t>& first,
                        std::vector<std::int16_t>& second, std::vector<std::int16_t>& third) {
    for (std::int32_t e = 1; e <= count; ++e) {
        const std::int32_t at = base + 3 * (e - 1);
        first[e] = file.getInteger(at + 1);
        second[e] = file.getInteger(at + 2);
        third[e] = file.getInteger(at + 3);
    }
}

void writeIntegerTriples(rt::RecordFile& file, std::int32_t base, std::int32_t count,
                         const std::vector<std::int16_t>& first, const std::vector<std::int16_t>& second,
                         const std::vector<std::int16_t>& third) {
    for (std::int32_t e = 1; e <= count; ++e) {
        const std::int32_t at = base + 3 * (e - 1);
        file.putInteger(at + 1, valueAt(first, e));
        file.putInteger(at + 2, valueAt(second, e));
        file.putInteger(at + 3, valueAt(third, e));
    }
}

enum class ReadResult { Read, Coincident };

// Reads the open .P41 into data for n nodes and data.BoringCount borings.
// Errors and files that do not fit are raised.
ReadResult readBoringRecords(rt::RecordFile& file, BoringData& data, std::int32_t n) {
    P41Layout at;
    at.n = n;
    at.k = std::max<std::int32_t>(data.BoringCount, 0);
    const std::int16_t kind = file.getInteger(1);
    if (kind < 1 || kind > 3) refuseFile();
    if (file.getInteger(2) != data.BoringCount) refuseFile();
    if (at.k > 1) {
        at.l = file.getInteger(at.e0() + 1);
        at.d = file.getInteger(at.e0() + 2);
        if (at.l < 0 || at.l > at.k + 1 || at.d < 0 || at.d > 2 * at.k - 3) refuseFile();
    }
    at.t = file.getInteger(at.p() + 1);
    at.s = file.getInteger(at.p() + 2);
    if (at.t < 0 || at.s < 0) refuseFile();
    // The file holds every block; a file written in place for a larger net
    // keeps records of that net after its last block, which are not read.
    if (file.recordCount() < at.last()) refuseFile();

    const auto nodes = static_cast<std::size_t>(n) + 1;
    const auto borings = static_cast<std::size_t>(at.k) + 1;
    data.BoringLayoutKind = kind;
    data.EdgeDirY.assign(borings, 0.0f);
    data.EdgeDirX.assign(borings, 0.0f);
    readSinglePairs(file, at.b(), at.k, data.EdgeDirY, data.EdgeDirX);
    if (data.EdgeOuterX.size() < 2 * borings - 1) data.EdgeOuterX.resize(2 * borings - 1, 0.0f);
    if (data.EdgeOuterY.size() < 2 * borings - 1) data.EdgeOuterY.resize(2 * borings - 1, 0.0f);

    if (kind == 1) {
        data.NodeLayoutRegion.assign(nodes, 0);
        data.NodeLayoutKind.assign(nodes, std::string());
        readRegions(file, at.a(), n, data.NodeLayoutRegion, data.NodeLayoutKind);
        // The edge directions and outer points are recomputed from the
        // borings; the reference lies inside the polygon (boring 3 for the
        // first edge, boring K - 1 for the last, boring 1 for the others).
        // With two borings there is no boring 3: the last boring stands in,
        // which lies on the edge and so leaves the side open.
        for (std::int32_t k = 1; k <= at.k; ++k) {
            const std::int32_t next = k == at.k ? 1 : k + 1;
            const float x1 = data.BoringX[k], y1 = data.BoringY[k];
            const float x2 = data.BoringX[next], y2 = data.BoringY[next];
            if (UnitDirection(x1, y1, x2, y2, data.EdgeDirY[k], data.EdgeDirX[k]) != 0)
                return ReadResult::Coincident;
            const std::int32_t ref =
                k == 1 ? std::min<std::int32_t>(3, at.k) : (k == at.k ? at.k - 1 : 1);
            const float refX = data.BoringX[ref], refY = data.BoringY[ref];
            OuterPointAcrossExtent(x1, y1, x1, y1, data.EdgeDirY[k], data.EdgeDirX[k], refX, refY,
                                   data.EdgeOuterX[2 * k - 1], data.EdgeOuterY[2 * k - 1]);
            OuterPointAcrossExtent(x2, y2, x1, y1, data.EdgeDirY[k], data.EdgeDirX[k], refX, refY,
                                   data.EdgeOuterX[2 * k], data.EdgeOuterY[2 * k]);
        }
        if (at.k > 1) data.DividingLineCount = static_cast<std::int16_t>(at.d);
    } else if (kind == 2) {
        data.NodeCellBoring.assign(nodes, 0);
        for (std::int32_t m = 1; m <= n; ++m) data.NodeCellBoring[m] = file.getInteger(at.dBlock() + m);
        if (at.k > 1) {
            if (data.BoringLineCount.size() < borings) data.BoringLineCount.resize(borings, 0);
            data.BoringLineCount[1] = static_cast<std::int16_t>(at.l);
            data.DividingLineCount = static_cast<std::int16_t>(at.d);
            data.BoringLineTable.assign(borings + 1, std::vector<std::int16_t>(borings + 1, 0));
            for (std::int32_t j = 1; j <= at.l; ++j)
                data.BoringLineTable[1][j] = file.getInteger(at.e() + j);
            const auto corners = static_cast<std::size_t>(std::max<std::int32_t>(at.l, 1));
            data.CellCornerX.assign(corners, 0.0f);
            data.CellCornerY.assign(corners, 0.0f);
            readSinglePairs(file, at.f(), at.l - 1, data.CellCornerX, data.CellCornerY);
            const auto lines = static_cast<std::size_t>(at.d) + 1;
            data.DividingMidX.assign(lines, 0.0f);
            data.DividingMidY.assign(lines, 0.0f);
            data.DividingNormalX.assign(lines, 0.0f);
            data.DividingNormalY.assign(lines, 0.0f);
            for (std::int32_t d = 1; d <= at.d; ++d) {
                const std::int32_t base = at.g() + 4 * (d - 1);
                data.DividingMidX[d] = file.getSingle(base + 1);
                data.DividingMidY[d] = file.getSingle(base + 2);
                data.DividingNormalX[d] = file.getSingle(base + 3);
                data.DividingNormalY[d] = file.getSingle(base + 4);
            }
        }
    } else {
        data.BoringTriangleCount = static_cast<std::int16_t>(at.t);
        data.BoringStripCount = static_cast<std::int16_t>(at.s);
        data.NodeRegion.assign(nodes, 0);
        data.NodeRegionKind.assign(nodes, std::string());
        readRegions(file, at.h(), n, data.NodeRegion, data.NodeRegionKind);
        const auto strips = static_cast<std::size_t>(at.s) + 1;
        data.StripDirY.assign(strips, 0.0f);
        data.StripDirX.assign(strips, 0.0f);
        readSinglePairs(file, at.i(), at.s, data.StripDirY, data.StripDirX);
        data.StripOuterX.assign(2 * strips - 1, 0.0f);
        data.StripOuterY.assign(2 * strips - 1, 0.0f);
        readSinglePairs(file, at.j(), 2 * at.s, data.StripOuterX, data.StripOuterY);
        const auto triangles = static_cast<std::size_t>(at.t) + 1;
        data.TriangleBoringA.assign(triangles, 0);
        data.TriangleBoringB.assign(triangles, 0);
        data.TriangleBoringC.assign(triangles, 0);
        readIntegerTriples(file, at.kBlock(), at.t, data.TriangleBoringA, data.TriangleBoringB, data.TriangleBoringC);
        data.StripBoringA.assign(strips, 0);
        data.StripBoringB.assign(strips, 0);
        data.StripCorner.assign(strips, 0);
        readIntegerTriples(file, at.lBlock(), at.s, data.StripBoringA, data.StripBoringB, data.StripCorner);
    }

    // Nodes without a kind (not read for kinds 1 and 2) and nodes of region
    // 0 belong to boring 1; every node of kind "Constant" or none is a
    // constant node.
    if (data.NodeRegion.size() < nodes) data.NodeRegion.resize(nodes, 0);
    if (data.NodeRegionKind.size() < nodes) data.NodeRegionKind.resize(nodes);
    data.ConstantNodes.assign(1, 0);
    data.ConstantNodeBoring.assign(1, 0);
    for (std::int32_t i = 1; i <= n; ++i) {
        if (data.NodeRegionKind[i].empty()) data.NodeRegion[i] = 1;
        if (data.NodeRegion[i] == 0) data.NodeRegion[i] = 1;
        if (data.NodeRegionKind[i].empty() || data.NodeRegionKind[i] == kRegionConstant) {
            data.ConstantNodes.push_back(static_cast<std::int16_t>(i));
            data.ConstantNodeBoring.push_back(data.NodeRegion[i]);
        }
    }
    data.ConstantNodeCount = static_cast<std::int16_t>(data.ConstantNodes.size() - 1);
    return ReadResult::Read;
}

void closeQuietly() {
    try {
        CloseDataFile(1);
    } catch (const rt::RuntimeError&) {
    }
}

}  // namespace

bool ReadBoringCount(const std::string& prefix) {
    const std::string path = prefix + ".BAU";
    if (!openForReading(path)) return false;
    rt::RecordFile& file = rt::dataChannel().records();
    const std::int16_t count = file.getInteger(4);
    const std::int32_t records = file.recordCount();
    CloseDataFile(1);
    if (count < 0) raiseReadError(9, path);
    // The count itself and, after it, the records of every boring must be
    // there: an empty or cut file holds no borings it could be read for.
    if (records < 4 || (count > 0 && records < 5 * static_cast<std::int32_t>(count) + 3))
        raiseReadError(62, path);
    boringData().BoringCount = count;
    return true;
}

bool ReadBorings(const std::string& prefix) {
    const std::string path = prefix + ".BAU";
    if (!openForReading(path)) return false;
    rt::RecordFile& file = rt::dataChannel().records();
    const std::int16_t count = file.getInteger(4);
    if (count < 0) {
        CloseDataFile(1);
        raiseReadError(9, path);
    }
    // The name of the last boring stands in record 5K + 3.
    if (file.recordCount() < 4 || (count > 0 && file.recordCount() < 5 * static_cast<std::int32_t>(count) + 3)) {
        CloseDataFile(1);
        raiseReadError(62, path);
    }
    const auto borings = static_cast<std::size_t>(count) + 1;
    std::vector<float> x(borings, 0.0f), y(borings, 0.0f);
    std::vector<std::string> names(borings);
    for (std::int32_t b = 1; b <= count; ++b) {
        x[b] = file.getSingle(5 * b + 1);
        y[b] = file.getSingle(5 * b + 2);
        names[b] = file.getString(5 * b + 3);
    }
    CloseDataFile(1);
    for (std::int32_t b = 1; b <= count; ++b)
        if (!std::isfinite(x[b]) || !std::isfinite(y[b])) raiseReadError(13, path);
    BoringData& data = boringData();
    data.BoringCount = count;
    data.BoringX = std::move(x);
    data.BoringY = std::move(y);
    data.BoringName = std::move(names);
    return true;
}

bool ReadBoringLayoutValues(const std::string& prefix) {
    if (!openForReading(prefix + ".P21")) return false;
    rt::RecordFile& file = rt::dataChannel().records();
    const float a = file.getSingle(4);
    const float b = file.getSingle(5);
    const float c = file.getSingle(6);
    CloseDataFile(1);
    drovik::ClsGeometryHelper& geometry = GeometryHelper();
    geometry.LayoutValueA(a);
    geometry.LayoutValueB(b);
    geometry.LayoutValueC(c);
    return true;
}

bool ReadBoringFile() {
    const std::string path = currentBoringFilePath();
    SharedServices().Prod(path);
    if (rt::findFileCaseInsensitive(SharedServices().Prod()).empty()) return false;
    if (OpenDataFile(SharedServices().Prod(), halvex::GetRandomMode, 1, 0) != 0) return false;

    const std::int32_t n = std::max<std::int32_t>(declar().NodeCount, 0);
    BoringData& data = boringData();
    // Read into a copy: a file that turns out not to fit leaves nothing of
    // itself behind.
    BoringData read = data;
    bool readable = true;
    ReadResult result = ReadResult::Read;
    try {
        if (static_cast<std::int32_t>(read.BoringX.size()) <= read.BoringCount ||
            static_cast<std::int32_t>(read.BoringY.size()) <= read.BoringCount)
            rt::raise(9);
        result = readBoringRecords(rt::dataChannel().records(), read, n);
    } catch (const rt::RuntimeError&) {
        readable = false;
    } catch (const std::out_of_range&) {
        readable = false;
    } catch (const std::length_error&) {
        readable = false;
    } catch (const std::bad_alloc&) {
        readable = false;
    }
    closeQuietly();
    if (!readable) {
        // The file cannot be read for this net: every node takes boring 1.
        forms::screen().MousePointer(0);
        const quillon::ClsLanguageText& texts = LanguageTexts();
        forms::MsgBox(texts.GetText(quillon::TextNo(10188)),
                      forms::vbInformation | texts.MessageBoxFlags(),
                      texts.GetText(quillon::TextNo(10043)));
        SetDefaultBoringLayout(static_cast<std::int16_t>(n));
        return false;
    }
    // Two borings at one position (reported already): nothing is taken.
    if (result == ReadResult::Coincident) return false;
    data = std::move(read);
    return true;
}

void WriteBoringFile() {
    const std::string path = currentBoringFilePath();
    SharedServices().Prod(path);
    OpenDataFile(SharedServices().Prod(), halvex::PutRandomMode, 1, 0);
    rt::DataChannel& channel = rt::dataChannel();
    // The file is written whole: nothing of a longer earlier file remains
    // behind the last block.
    rt::RecordFile& file = channel.records();
    file.truncate(0);
    const BoringData& data = boringData();

    P41Layout at;
    at.n = std::max<std::int32_t>(declar().NodeCount, 0);
    at.k = std::max<std::int32_t>(data.BoringCount, 0);
    if (at.k > 1) {
        at.l = std::max<std::int32_t>(valueAt(data.BoringLineCount, 1), 0);
        at.d = std::max<std::int32_t>(data.DividingLineCount, 0);
    }
    at.t = std::max<std::int32_t>(data.BoringTriangleCount, 0);
    at.s = std::max<std::int32_t>(data.BoringStripCount, 0);

    file.putInteger(1, data.BoringLayoutKind);
    file.putInteger(2, data.BoringCount);
    writeRegions(file, at.a(), at.n, data.NodeLayoutRegion, data.NodeLayoutKind);
    bool regionOutside = false;
    for (std::int32_t i = 1; i <= at.n; ++i) {
        const std::int16_t region = data.NodeLayoutRegion[static_cast<std::size_t>(i)];
        if (region < 1 || region > data.BoringCount) regionOutside = true;
    }
    if (regionOutside) {
        const quillon::ClsLanguageText& texts = LanguageTexts();
        forms::MsgBox(texts.GetText(quillon::TextNo(10269)), forms::vbExclamation,
                      texts.GetText(quillon::TextNo(10043)));
    }
    writeSinglePairs(file, at.b(), at.k, data.EdgeDirY, data.EdgeDirX);
    writeSinglePairs(file, at.c(), 2 * at.k, data.EdgeOuterX, data.EdgeOuterY);
    for (std::int32_t m = 1; m <= at.n; ++m)
        file.putInteger(at.dBlock() + m, valueAt(data.NodeCellBoring, m));
    if (at.k > 1) {
        file.putInteger(at.e0() + 1, static_cast<std::int16_t>(at.l));
        file.putInteger(at.e0() + 2, static_cast<std::int16_t>(at.d));
        const std::vector<std::int16_t>& firstRow = valueAt(data.BoringLineTable, 1);
        for (std::int32_t j = 1; j <= at.l; ++j) file.putInteger(at.e() + j, valueAt(firstRow, j));
        writeSinglePairs(file, at.f(), at.l - 1, data.CellCornerX, data.CellCornerY);
        for (std::int32_t d = 1; d <= at.d; ++d) {
            const std::int32_t base = at.g() + 4 * (d - 1);
            file.putSingle(base + 1, valueAt(data.DividingMidX, d));
            file.putSingle(base + 2, valueAt(data.DividingMidY, d));
            file.putSingle(base + 3, valueAt(data.DividingNormalX, d));
            file.putSingle(base + 4, valueAt(data.DividingNormalY, d));
        }
    }
    file.putInteger(at.p() + 1, static_cast<std::int16_t>(at.t));
    file.putInteger(at.p() + 2, static_cast<std::int16_t>(at.s));
    writeRegions(file, at.h(), at.n, data.NodeRegion, data.NodeRegionKind);
    writeSinglePairs(file, at.i(), at.s, data.StripDirY, data.StripDirX);
    writeSinglePairs(file, at.j(), 2 * at.s, data.StripOuterX, data.StripOuterY);
    writeIntegerTriples(file, at.kBlock(), at.t, data.TriangleBoringA, data.TriangleBoringB, data.TriangleBoringC);
    writeIntegerTriples(file, at.lBlock(), at.s, data.StripBoringA, data.StripBoringB, data.StripCorner);
    CloseDataFile(1);
    forms::screen().MousePointer(0);
}

}  // namespace orvelo
