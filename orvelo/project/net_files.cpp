#include "orvelo/project/net_files.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "halvex/interface/enums.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/data_files.h"
#include "orvelo/project/services.h"
#include "platform/forms/screen.h"
#include "platform/runtime/datachannel.h"
#include "platform/runtime/errors.h"

namespace orvelo {

namespace {

constexpr std::int16_t kDefaultGridCount = 10;

// The default grid of one direction: lines 0, 1, ..., 10 at 1..11.
std::vector<float> defaultGrid() {
    std::vector<float> grid(kDefaultGridCount + 2, 0.0f);
    for (int i = 1; i <= kDefaultGridCount + 1; ++i) grid[i] = static_cast<float>(i - 1);
    return grid;
}

// A list must hold its count + 1 entries.
template <class T>
void requireEntries(const std::vector<T>& list, long long count) {
    if (count < 0) rt::raise(6);
    if (list.size() < static_cast<std::size_t>(count) + 1) rt::raise(9);
}

void checkNet(const Declar& d) {
    requireEntries(d.NodeX, d.NodeCount);
    requireEntries(d.NodeY, d.NodeCount);
    requireEntries(d.ElementList, d.ElementCount);
    for (int e = 1; e <= d.ElementCount; ++e) {
        const NetElement& element = d.ElementList[e];
        if (element.CornerCount != 3 && element.CornerCount != 4) rt::raise(9);
        for (int j = 1; j <= element.CornerCount; ++j)
            if (element.Node[j] < 1 || element.Node[j] > d.NodeCount) rt::raise(9);
    }
}

void checkBoundary(const Declar& d) {
    requireEntries(d.OutlinePieces, d.OutlinePieceCount);
    requireEntries(d.OpeningPieceCount, d.OpeningCount);
    requireEntries(d.OpeningPieces, d.OpeningCount);
    if (d.MaxOpeningPieces < 0) rt::raise(6);
    for (int k = 1; k <= d.OpeningCount; ++k) {
        if (d.OpeningPieceCount[k] > d.MaxOpeningPieces) rt::raise(9);
        requireEntries(d.OpeningPieces[k], d.OpeningPieceCount[k]);
    }
    requireEntries(d.SinglePoints, d.SinglePointCount);
    requireEntries(d.LineStart, d.LineCount);
    requireEntries(d.LineEnd, d.LineCount);
    requireEntries(d.GridX, d.GridCountX > 0 ? d.GridCountX + 1 : 0);
    requireEntries(d.GridY, d.GridCountY > 0 ? d.GridCountY + 1 : 0);
}

void writePiece(rt::TextWriter& out, const OutlinePiece& piece) {
    out.writeValues(piece.IsArc);
    out.writeValues(piece.X1, piece.Y1);
    out.writeValues(piece.X2, piece.Y2);
    out.writeValues(piece.XC, piece.YC);
    out.writeValues(piece.Direction);
}

void writePl6(const Declar& d, rt::TextWriter& out) {
    out.writeValues(d.NodeCount);
    for (int i = 1; i <= d.NodeCount; ++i) {
        out.writeValues(d.NodeX[i]);
        out.writeValues(d.NodeY[i]);
    }
    out.writeValues(d.ElementCount);
    for (int e = 1; e <= d.ElementCount; ++e) {
        const NetElement& element = d.ElementList[e];
        out.writeValues(element.CornerCount);
        for (int j = 1; j <= element.CornerCount; ++j) {
            out.writeValues(element.Node[j]);
            out.writeValues(element.Flag[j]);
        }
    }
}

void writePl8(Declar& d, rt::TextWriter& out) {
    out.writeValues(d.OutlinePieceCount);
    for (int i = 1; i <= d.OutlinePieceCount; ++i) writePiece(out, d.OutlinePieces[i]);
    out.writeValues(d.OpeningCount, d.MaxOpeningPieces);
    for (int k = 1; k <= d.OpeningCount; ++k) {
        out.writeValues(d.OpeningPieceCount[k]);
        for (int j = 1; j <= d.OpeningPieceCount[k]; ++j)
            writePiece(out, d.OpeningPieces[k][j]);
    }
    out.writeValues(d.SinglePointCount, d.LineCount);
    for (int i = 1; i <= d.SinglePointCount; ++i)
        out.writeValues(d.SinglePoints[i].X, d.SinglePoints[i].Y);
    for (int m = 1; m <= d.LineCount; ++m) {
        out.writeValues(d.LineStart[m].X, d.LineStart[m].Y);
        out.writeValues(d.LineEnd[m].X, d.LineEnd[m].Y);
    }
    const drovik::ClsNetSettings& settings = NetSettings();
    out.writeValues(settings.SavedMeshType());
    out.writeValues(settings.AngleLimit(), settings.StoredValueA(), settings.StoredValueB());

    if (d.GridCountX == 0) {
        d.GridCountX = kDefaultGridCount;
        d.GridX = defaultGrid();
    }
    if (d.GridCountY == 0) {
        d.GridCountY = kDefaultGridCount;
        d.GridY = defaultGrid();
    }
    out.writeValues(d.GridCountX, d.GridCountY);
    for (int i = 1; i <= d.GridCountX + 1; ++i) out.writeValues(d.GridX[i]);
    for (int i = 1; i <= d.GridCountY + 1; ++i) out.writeValues(d.GridY[i]);
}

// A count read from a net file: 0..32767 (a 16-bit read refuses more).
std::int16_t readCount(rt::TextReader& in) {
    const std::int16_t count = in.readInteger();
    if (count < 0) rt::raise(6);
    return count;
}

// The values of one outline piece in a .PL8.
constexpr int kPieceValues = 8;

OutlinePiece readPiece(rt::TextReader& in) {
    OutlinePiece piece;
    piece.IsArc = in.readBool();
    piece.X1 = rt::readCoordinate(in);
    piece.Y1 = rt::readCoordinate(in);
    piece.X2 = rt::readCoordinate(in);
    piece.Y2 = rt::readCoordinate(in);
    piece.XC = rt::readCoordinate(in);
    piece.YC = rt::readCoordinate(in);
    piece.Direction = in.readBool();
    return piece;
}

halvex::SinglePoint readPoint(rt::TextReader& in) {
    halvex::SinglePoint point;
    point.X = rt::readCoordinate(in);
    point.Y = rt::readCoordinate(in);
    return point;
}

// count pieces, each checked against the room left in the file before the
// list is sized.
std::vector<OutlinePiece> readPieces(rt::TextReader& in, std::int16_t count) {
    rt::requireRoomFor(in, count, kPieceValues);
    std::vector<OutlinePiece> pieces(static_cast<std::size_t>(count) + 1);
    for (int i = 1; i <= count; ++i) pieces[i] = readPiece(in);
    return pieces;
}

// One direction of the grid: its count, then count + 1 lines; a count of 0
// (one line in the file) gives the default grid.
void readGridLines(rt::TextReader& in, std::int16_t& count, std::vector<float>& grid) {
    rt::requireRoomFor(in, static_cast<long long>(count) + 1, 1);
    grid.assign(static_cast<std::size_t>(count) + 2, 0.0f);
    for (int i = 1; i <= count + 1; ++i) grid[i] = rt::readCoordinate(in);
    if (count == 0) {
        count = kDefaultGridCount;
        grid = defaultGrid();
    }
}

// Everything a .PL8 holds, read completely before any of it is taken over.
struct BoundaryFile {
    Declar boundary;  // only the outline, opening, point, line and grid fields
    drovik::ClsNetSettings settings;
};

// Sizes grow with what was read: every list is sized only once the rest of
// the file has been found to have room for it.
void readPl8(rt::TextReader& in, BoundaryFile& file) {
    Declar& b = file.boundary;
    b.OutlinePieceCount = readCount(in);
    b.OutlinePieces = readPieces(in, b.OutlinePieceCount);

    b.OpeningCount = readCount(in);
    b.MaxOpeningPieces = readCount(in);
    rt::requireRoomFor(in, b.OpeningCount, 1);
    b.OpeningPieceCount.assign(static_cast<std::size_t>(b.OpeningCount) + 1, 0);
    // Each opening holds its own pieces (entry 0 as many as the largest).
    b.OpeningPieces.assign(static_cast<std::size_t>(b.OpeningCount) + 1, std::vector<OutlinePiece>(1));
    std::int16_t largest = 0;
    for (int k = 1; k <= b.OpeningCount; ++k) {
        b.OpeningPieceCount[k] = readCount(in);
        if (b.OpeningPieceCount[k] > b.MaxOpeningPieces) rt::raise(9);
        b.OpeningPieces[k] = readPieces(in, b.OpeningPieceCount[k]);
        largest = std::max(largest, b.OpeningPieceCount[k]);
    }
    b.OpeningPieces[0].resize(static_cast<std::size_t>(largest) + 1);

    b.SinglePointCount = readCount(in);
    b.LineCount = readCount(in);
    rt::requireRoomFor(in, static_cast<long long>(b.SinglePointCount) + 2LL * b.LineCount, 2);
    b.SinglePoints.assign(static_cast<std::size_t>(b.SinglePointCount) + 1, halvex::SinglePoint{});
    b.LineStart.assign(static_cast<std::size_t>(b.LineCount) + 1, halvex::SinglePoint{});
    b.LineEnd.assign(static_cast<std::size_t>(b.LineCount) + 1, halvex::SinglePoint{});
    for (int i = 1; i <= b.SinglePointCount; ++i) b.SinglePoints[i] = readPoint(in);
    for (int m = 1; m <= b.LineCount; ++m) {
        b.LineStart[m] = readPoint(in);
        b.LineEnd[m] = readPoint(in);
    }

    // The mesh type was written as a Long; it is read back as one.
    file.settings.SavedMeshType(in.readLong());
    file.settings.AngleLimit(in.readSingle());
    file.settings.StoredValueA(in.readSingle());
    file.settings.StoredValueB(in.readSingle());

    b.GridCountX = readCount(in);
    b.GridCountY = readCount(in);
    readGridLines(in, b.GridCountX, b.GridX);
    readGridLines(in, b.GridCountY, b.GridY);
    rt::requireFileEnd(in);
}

void takeOverBoundary(Declar& d, BoundaryFile& file) {
    Declar& b = file.boundary;
    d.OutlinePieceCount = b.OutlinePieceCount;
    d.OutlinePieces = std::move(b.OutlinePieces);
    d.OpeningCount = b.OpeningCount;
    d.OpeningPieceCount = std::move(b.OpeningPieceCount);
    d.MaxOpeningPieces = b.MaxOpeningPieces;
    d.OpeningPieces = std::move(b.OpeningPieces);
    d.SinglePointCount = b.SinglePointCount;
    d.SinglePoints = std::move(b.SinglePoints);
    d.LineCount = b.LineCount;
    d.LineStart = std::move(b.LineStart);
    d.LineEnd = std::move(b.LineEnd);
    d.GridCountX = b.GridCountX;
    d.GridX = std::move(b.GridX);
    d.GridCountY = b.GridCountY;
    d.GridY = std::move(b.GridY);
    drovik::ClsNetSettings& settings = NetSettings();
    settings.SavedMeshType(file.settings.SavedMeshType());
    settings.AngleLimit(file.settings.AngleLimit());
    settings.StoredValueA(file.settings.StoredValueA());
    settings.StoredValueB(file.settings.StoredValueB());
}

}  // namespace

bool WriteNetFiles(const std::string& prefix) {
    Declar& d = declar();
    halvex::ClsValmor& services = SharedServices();
    forms::screen().MousePointer(11);
    services.Prod(prefix + ".PL6");
    try {
        checkNet(d);
        checkBoundary(d);

        OpenDataFile(services.Prod(), halvex::OutputMode, 1, 0);
        writePl6(d, rt::dataChannel().writer());
        CloseDataFile(1);

        services.Prod(prefix + ".PL8");
        OpenDataFile(services.Prod(), halvex::OutputMode, 1, 0);
        writePl8(d, rt::dataChannel().writer());
        CloseDataFile(1);
    } catch (const rt::RuntimeError& error) {
        try {
            raiseWriteError(error.number(), services.Prod());
        } catch (const rt::RuntimeError&) {
            HandleError();
        }
        forms::screen().MousePointer(0);
        return false;
    }
    forms::screen().MousePointer(0);
    return true;
}

bool ReadNetBoundaryFile(const std::string& prefix) {
    halvex::ClsValmor& services = SharedServices();
    services.Prod(prefix + ".PL8");
    const std::string path = services.Prod();
    if (OpenDataFile(path, halvex::InputMode, 1, 0) != 0) return false;
    BoundaryFile file;
    try {
        readPl8(rt::dataChannel().reader(), file);
    } catch (const rt::RuntimeError& error) {
        raiseReadError(error, path);
    }
    CloseDataFile(1);
    takeOverBoundary(declar(), file);
    return true;
}

}  // namespace orvelo
