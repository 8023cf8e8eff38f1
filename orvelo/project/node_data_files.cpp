#include "orvelo/project/node_data_files.h"

#include <algorithm>
#include <utility>

#include "orvelo/model/declar.h"
#include "orvelo/project/data_file_io.h"
#include "orvelo/project/data_files.h"
#include "orvelo/project/output_folder.h"
#include "orvelo/project/services.h"
#include "platform/runtime/numbertext.h"
#include "platform/runtime/variant.h"

namespace orvelo {

namespace {

constexpr const char* kVersionLine = "Version 9";

// ---- readers: each reads a whole file into b ----

void readP35(rt::TextReader& in, BasData& b) {
    in.readLine();
    b.SpringCount = ReadDataCount(in);
    b.SpringPairCount = ReadDataCount(in);
    rt::requireRoomFor(in, 5LL * b.SpringCount + 2LL * b.SpringPairCount, 1);
    const std::int16_t n = b.SpringCount;
    b.SpringCode = SizedList<std::int16_t>(n);
    b.SpringNodes = SizedList<std::int16_t>(n);
    b.SpringValues = SizedList<float>(n);
    b.SpringValueB = SizedList<float>(n);
    b.SpringValueC = SizedList<float>(n);
    for (int i = 1; i <= n; ++i) {
        b.SpringCode[i] = in.readInteger();
        b.SpringNodes[i] = in.readInteger();
        b.SpringValues[i] = in.readSingle();
        b.SpringValueB[i] = in.readSingle();
        b.SpringValueC[i] = in.readSingle();
    }
    b.SpringPairA = SizedList<float>(b.SpringPairCount);
    b.SpringPairB = SizedList<float>(b.SpringPairCount);
    for (int j = 1; j <= b.SpringPairCount; ++j) {
        b.SpringPairA[j] = in.readSingle();
        b.SpringPairB[j] = in.readSingle();
    }
}

void readP91(rt::TextReader& in, BasData& b) {
    in.readLine();
    b.SpringCount = ReadDataCount(in);
    rt::requireRoomFor(in, b.SpringCount, 3);
    const std::int16_t n = b.SpringCount;
    b.SpringNodes = SizedList<std::int16_t>(n);
    b.SpringValueA = SizedList<float>(n);
    b.SpringValues = SizedList<float>(n);
    for (int i = 1; i <= n; ++i) {
        b.SpringNodes[i] = in.readInteger();
        b.SpringValueA[i] = in.readSingle();
        b.SpringValues[i] = in.readSingle();
    }
}

void readP31(rt::TextReader& in, BasData& b) {
    in.readLine();
    b.DofCount = ReadDataCount(in);
    b.DofPairCount = ReadDataCount(in);
    rt::requireRoomFor(in, 5LL * b.DofCount + 2LL * b.DofPairCount, 1);
    const std::int16_t n = b.DofCount;
    b.DofCode = SizedList<std::int16_t>(n);
    b.DofNodes = SizedList<std::int16_t>(n);
    b.DofTextA = SizedList<std::string>(n);
    b.DofTextB = SizedList<std::string>(n);
    b.DofTextC = SizedList<std::string>(n);
    for (int i = 1; i <= n; ++i) {
        b.DofCode[i] = in.readInteger();
        b.DofNodes[i] = in.readInteger();
        b.DofTextA[i] = in.readLine();
        b.DofTextB[i] = in.readLine();
        b.DofTextC[i] = in.readLine();
    }
    b.DofPairA = SizedList<float>(b.DofPairCount);
    b.DofPairB = SizedList<float>(b.DofPairCount);
    for (int j = 1; j <= b.DofPairCount; ++j) {
        b.DofPairA[j] = in.readSingle();
        b.DofPairB[j] = in.readSingle();
    }
}

void readP71(rt::TextReader& in, BasData& b) {
    in.readLine();
    b.DofCount = ReadDataCount(in);
    rt::requireRoomFor(in, b.DofCount, 3);
    const std::int16_t n = b.DofCount;
    b.DofNodes = SizedList<std::int16_t>(n);
    b.DofTextD = SizedList<std::string>(n);
    b.DofTextA = SizedList<std::string>(n);
    for (int i = 1; i <= n; ++i) {
        b.DofNodes[i] = in.readInteger();
        b.DofTextD[i] = in.readLine();
        b.DofTextA[i] = in.readLine();
    }
}

void readPil(rt::TextReader& in, BasData& b) {
    b.PileNodeCount = ReadDataCount(in);
    b.PileValueA = in.readSingle();
    b.PileValueB = in.readSingle();
    b.PileCount = ReadDataCount(in);
    const std::int16_t q = b.PileNodeCount;
    const std::int16_t r = b.PileCount;
    rt::requireRoomFor(in, 2LL * q + 11LL * r, 1);
    b.PileNodes = SizedList<std::int16_t>(q);
    b.PileNodeValue = SizedList<std::int16_t>(q);
    for (int i = 1; i <= q; ++i) {
        b.PileNodes[i] = in.readInteger();
        b.PileNodeValue[i] = in.readInteger();
    }
    b.PileEntryCount = SizedList<std::int16_t>(r);
    b.PileCode = SizedList<std::int16_t>(r);
    std::vector<float>* data[] = {&b.PileData1, &b.PileData2, &b.PileData3, &b.PileData4,
                                  &b.PileData5, &b.PileData6, &b.PileData7, &b.PileData8};
    for (std::vector<float>* list : data) *list = SizedList<float>(r);
    b.PileName = SizedList<std::string>(r);
    std::int16_t mostEntries = 0;
    for (int p = 1; p <= r; ++p) {
        b.PileEntryCount[p] = ReadDataCount(in);
        mostEntries = std::max(mostEntries, b.PileEntryCount[p]);
        b.PileCode[p] = in.readInteger();
        for (int v = 0; v < 7; ++v) (*data[v])[p] = in.readSingle();
        b.PileName[p] = in.readLine();
        b.PileData8[p] = in.readSingle();
    }
    // The entry lists are sized by the pile with the most entries, once the
    // file is found to hold every entry.
    long long entries = 0;
    for (int p = 1; p <= r; ++p) entries += b.PileEntryCount[p];
    rt::requireRoomFor(in, entries, 5);
    const auto entryRows = static_cast<std::size_t>(mostEntries) + 1;
    const std::vector<float> floatRow = SizedList<float>(r);
    b.PileEntryA.assign(entryRows, floatRow);
    b.PileEntryB.assign(entryRows, floatRow);
    b.PileEntryC.assign(entryRows, floatRow);
    b.PileEntryD.assign(entryRows, floatRow);
    b.PileEntryCode.assign(entryRows, SizedList<std::int16_t>(r));
    for (int p = 1; p <= r; ++p) {
        for (int k = 1; k <= b.PileEntryCount[p]; ++k) {
            b.PileEntryA[k][p] = in.readSingle();
            b.PileEntryB[k][p] = in.readSingle();
            b.PileEntryC[k][p] = in.readSingle();
            b.PileEntryD[k][p] = in.readSingle();
            b.PileEntryCode[k][p] = in.readInteger();
        }
    }
}

// One value per node, held as the list of the nonzero ones (x 100).
void readPv1(rt::TextReader& in, BasData& b, std::int16_t nodeCount) {
    b.NodeValueCount = 0;
    b.NodeValueNodes.assign(1, 0);
    b.NodeValues.assign(1, 0.0f);
    b.NodeValuesAsRead.assign(1, 0.0f);
    for (int j = 1; j <= nodeCount; ++j) {
        const float read = in.readSingle();
        const float value = read * 100.0f;
        if (value == 0.0f) continue;
        ++b.NodeValueCount;
        b.NodeValueNodes.push_back(static_cast<std::int16_t>(j));
        b.NodeValues.push_back(value);
        b.NodeValuesAsRead.push_back(read);
    }
}

void readPcw(rt::TextReader& in, BasData& b) {
    in.readLine();
    b.PcwCount = ReadDataCount(in);
    rt::requireRoomFor(in, b.PcwCount, 3);
    const std::int16_t n = b.PcwCount;
    b.PcwNodes = SizedList<std::int16_t>(n);
    b.PcwValueA = SizedList<float>(n);
    b.PcwValueB = SizedList<float>(n);
    for (int i = 1; i <= n; ++i) {
        b.PcwNodes[i] = in.readInteger();
        b.PcwValueA[i] = in.readSingle();
        b.PcwValueB[i] = in.readSingle();
    }
}

// ---- checks before writing: every list holds its count ----

void checkP35(const BasData& b) {
    for (const auto* list : {&b.SpringCode, &b.SpringNodes})
        RequireListEntries(*list, b.SpringCount);
    for (const auto* list : {&b.SpringValues, &b.SpringValueB, &b.SpringValueC})
        RequireListEntries(*list, b.SpringCount);
    RequireListEntries(b.SpringPairA, b.SpringPairCount);
    RequireListEntries(b.SpringPairB, b.SpringPairCount);
}

void checkP91(const BasData& b) {
    RequireListEntries(b.SpringNodes, b.SpringCount);
    RequireListEntries(b.SpringValueA, b.SpringCount);
    RequireListEntries(b.SpringValues, b.SpringCount);
}

void checkP31(const BasData& b) {
    RequireListEntries(b.DofCode, b.DofCount);
    RequireListEntries(b.DofNodes, b.DofCount);
    for (const auto* list : {&b.DofTextA, &b.DofTextB, &b.DofTextC})
        RequireListEntries(*list, b.DofCount);
    RequireListEntries(b.DofPairA, b.DofPairCount);
    RequireListEntries(b.DofPairB, b.DofPairCount);
}

void checkP71(const BasData& b) {
    RequireListEntries(b.DofNodes, b.DofCount);
    RequireListEntries(b.DofTextD, b.DofCount);
    RequireListEntries(b.DofTextA, b.DofCount);
}

void checkPil(const BasData& b) {
    RequireListEntries(b.PileNodes, b.PileNodeCount);
    RequireListEntries(b.PileNodeValue, b.PileNodeCount);
    RequireListEntries(b.PileEntryCount, b.PileCount);
    RequireListEntries(b.PileCode, b.PileCount);
    for (const auto* list : {&b.PileData1, &b.PileData2, &b.PileData3, &b.PileData4, &b.PileData5,
                             &b.PileData6, &b.PileData7, &b.PileData8})
        RequireListEntries(*list, b.PileCount);
    RequireListEntries(b.PileName, b.PileCount);
    for (int p = 1; p <= b.PileCount; ++p) {
        const std::int16_t entries = b.PileEntryCount[p];
        if (entries < 0) rt::raise(6);
        for (const auto* rows : {&b.PileEntryA, &b.PileEntryB, &b.PileEntryC, &b.PileEntryD}) {
            RequireListEntries(*rows, entries);
            for (int k = 1; k <= entries; ++k) RequireListEntries((*rows)[k], p);
        }
        RequireListEntries(b.PileEntryCode, entries);
        for (int k = 1; k <= entries; ++k) RequireListEntries(b.PileEntryCode[k], p);
    }
}

void checkPv1(const BasData& b, std::int16_t nodeCount) {
    RequireListEntries(b.NodeValueNodes, b.NodeValueCount);
    RequireListEntries(b.NodeValues, b.NodeValueCount);
    for (int k = 1; k <= b.NodeValueCount; ++k)
        if (b.NodeValueNodes[k] < 1 || b.NodeValueNodes[k] > nodeCount) rt::raise(9);
}

void checkPcw(const BasData& b) {
    RequireListEntries(b.PcwNodes, b.PcwCount);
    RequireListEntries(b.PcwValueA, b.PcwCount);
    RequireListEntries(b.PcwValueB, b.PcwCount);
}

// A text field of the prescribed degrees of freedom as it is written: "F"
// for an empty field, a lower- or upper-case "F" as it stands, anything
// else its number as a Single in the invariant number text (0 when it is
// not a number).
// A number too large for a Single is named with its field (fieldNo of
// record `record`) and the file at path.
void normaliseDofText(std::string& field, const std::string& path, int record, int fieldNo) {
    if (field.empty()) field.assign(1, 'F');
    if (field == "F" || field == "f") return;
    try {
        field = rt::formatSingle(SharedServices().CSngPrivate(rt::Variant(field)));
    } catch (const rt::RuntimeError& error) {
        if (error.number() != 6) throw;
        raiseFileFault(6, LanguageTexts().GetText(quillon::TextNo(190266),
                                                  {rt::Variant("|1"), rt::Variant(ShownFilePath(path, false)),
                                                   rt::Variant("|2"), rt::Variant(field), rt::Variant("|3"),
                                                   rt::Variant(fieldNo), rt::Variant("|4"), rt::Variant(record)}));
    }
}

// ---- writers ----

void writeP35(rt::TextWriter& out, const BasData& b) {
    out.printLine(kVersionLine);
    out.writeValues(b.SpringCount);
    out.writeValues(b.SpringPairCount);
    for (int i = 1; i <= b.SpringCount; ++i) {
        out.writeValues(b.SpringCode[i]);
        out.writeValues(b.SpringNodes[i]);
        out.writeValues(b.SpringValues[i]);
        out.writeValues(b.SpringValueB[i]);
        out.writeValues(b.SpringValueC[i]);
    }
    for (int j = 1; j <= b.SpringPairCount; ++j) out.writeValues(b.SpringPairA[j], b.SpringPairB[j]);
}

void writeP91(rt::TextWriter& out, const BasData& b) {
    out.printLine(kVersionLine);
    out.writeValues(b.SpringCount);
    for (int i = 1; i <= b.SpringCount; ++i) {
        out.writeValues(b.SpringNodes[i]);
        out.writeValues(b.SpringValueA[i]);
        out.writeValues(b.SpringValues[i]);
    }
}

void writeP31(rt::TextWriter& out, const BasData& b) {
    out.printLine(kVersionLine);
    out.writeValues(b.DofCount);
    out.writeValues(b.DofPairCount);
    for (int i = 1; i <= b.DofCount; ++i) {
        out.writeValues(b.DofCode[i]);
        out.writeValues(b.DofNodes[i]);
        out.printLine(b.DofTextA[i]);
        out.printLine(b.DofTextB[i]);
        out.printLine(b.DofTextC[i]);
    }
    for (int j = 1; j <= b.DofPairCount; ++j) out.writeValues(b.DofPairA[j], b.DofPairB[j]);
}

void writeP71(rt::TextWriter& out, const BasData& b) {
    out.printLine(kVersionLine);
    out.writeValues(b.DofCount);
    for (int i = 1; i <= b.DofCount; ++i) {
        out.writeValues(b.DofNodes[i]);
        out.printLine(b.DofTextD[i]);
        out.printLine(b.DofTextA[i]);
    }
}

void writePil(rt::TextWriter& out, const BasData& b) {
    out.writeValues(b.PileNodeCount);
    out.writeValues(b.PileValueA);
    out.writeValues(b.PileValueB);
    out.writeValues(b.PileCount);
    for (int i = 1; i <= b.PileNodeCount; ++i) {
        out.writeValues(b.PileNodes[i]);
        out.writeValues(b.PileNodeValue[i]);
    }
    const std::vector<float>* data[] = {&b.PileData1, &b.PileData2, &b.PileData3, &b.PileData4,
                                        &b.PileData5, &b.PileData6, &b.PileData7};
    for (int p = 1; p <= b.PileCount; ++p) {
        out.writeValues(b.PileEntryCount[p]);
        out.writeValues(b.PileCode[p]);
        for (const std::vector<float>* list : data) out.writeValues((*list)[p]);
        out.printLine(b.PileName[p]);
        out.writeValues(b.PileData8[p]);
    }
    for (int p = 1; p <= b.PileCount; ++p) {
        for (int k = 1; k <= b.PileEntryCount[p]; ++k) {
            out.writeValues(b.PileEntryA[k][p]);
            out.writeValues(b.PileEntryB[k][p]);
            out.writeValues(b.PileEntryC[k][p]);
            out.writeValues(b.PileEntryD[k][p]);
            out.writeValues(b.PileEntryCode[k][p]);
        }
    }
}

void writePv1(rt::TextWriter& out, const BasData& b, std::int16_t nodeCount) {
    std::vector<float> values(static_cast<std::size_t>(nodeCount) + 1, 0.0f);
    for (int k = 1; k <= b.NodeValueCount; ++k) {
        // The value as it was read, unless NodeValues has changed since.
        const bool asRead = static_cast<std::size_t>(k) < b.NodeValuesAsRead.size() &&
                            b.NodeValuesAsRead[k] * 100.0f == b.NodeValues[k];
        values[b.NodeValueNodes[k]] = asRead ? b.NodeValuesAsRead[k] : b.NodeValues[k] / 100.0f;
    }
    for (int j = 1; j <= nodeCount; ++j) out.writeValues(values[j]);
}

void writePcw(rt::TextWriter& out, const BasData& b) {
    out.printLine(kVersionLine);
    out.writeValues(b.PcwCount);
    for (int i = 1; i <= b.PcwCount; ++i) {
        out.writeValues(b.PcwNodes[i]);
        out.writeValues(b.PcwValueA[i]);
        out.writeValues(b.PcwValueB[i]);
    }
}

std::int16_t readerResult(NodeDataFile file) {
    return ReadNodeDataFile(file, declar().NodeCount) == DataFileRead::Read ? -1 : 0;
}

}  // namespace

const char* NodeDataFileExtension(NodeDataFile file) {
    switch (file) {
    case NodeDataFile::P35: return "P35";
    case NodeDataFile::P91: return "P91";
    case NodeDataFile::P31: return "P31";
    case NodeDataFile::P71: return "P71";
    case NodeDataFile::PIL: return "PIL";
    case NodeDataFile::PV1: return "PV1";
    case NodeDataFile::PCW: return "PCW";
    }
    return "";
}

std::vector<std::int16_t>& NodeDataFileNodes(BasData& b, NodeDataFile file) {
    switch (file) {
    case NodeDataFile::P35:
    case NodeDataFile::P91: return b.SpringNodes;
    case NodeDataFile::P31:
    case NodeDataFile::P71: return b.DofNodes;
    case NodeDataFile::PIL: return b.PileNodes;
    case NodeDataFile::PV1: return b.NodeValueNodes;
    case NodeDataFile::PCW: return b.PcwNodes;
    }
    return b.PcwNodes;
}

std::int16_t NodeDataFileNodeCount(const BasData& b, NodeDataFile file) {
    switch (file) {
    case NodeDataFile::P35:
    case NodeDataFile::P91: return b.SpringCount;
    case NodeDataFile::P31:
    case NodeDataFile::P71: return b.DofCount;
    case NodeDataFile::PIL: return b.PileNodeCount;
    case NodeDataFile::PV1: return b.NodeValueCount;
    case NodeDataFile::PCW: return b.PcwCount;
    }
    return 0;
}

bool NodeDataFileInUse(NodeDataFile file) {
    const Declar& d = declar();
    switch (file) {
    case NodeDataFile::P35:
    case NodeDataFile::P91: return d.AnalysisMethod != 13 && d.HeaderOption5 != 2;
    case NodeDataFile::P31:
    case NodeDataFile::P71: return d.AnalysisMethod != 13 && d.HeaderOption6 != 2;
    case NodeDataFile::PIL: return d.HeaderOption13 != 2;
    case NodeDataFile::PV1:
        return d.AnalysisMethod != 15 && d.AnalysisMethod != 22 && d.HeaderOption3 != 2;
    case NodeDataFile::PCW: return true;
    }
    return false;
}

DataFileRead ReadNodeDataFile(NodeDataFile file, std::int16_t nodeValueCount) {
    if (!NodeDataFileInUse(file)) return DataFileRead::NotUsed;
    const bool askFileCheck = file == NodeDataFile::P35 || file == NodeDataFile::P31;
    BasData read = basData();
    const auto readFile = [&](rt::TextReader& in) {
        switch (file) {
        case NodeDataFile::P35: readP35(in, read); break;
        case NodeDataFile::P91: readP91(in, read); break;
        case NodeDataFile::P31: readP31(in, read); break;
        case NodeDataFile::P71: readP71(in, read); break;
        case NodeDataFile::PIL: readPil(in, read); break;
        case NodeDataFile::PV1: readPv1(in, read, nodeValueCount); break;
        case NodeDataFile::PCW: readPcw(in, read); break;
        }
    };
    const DataFileRead outcome =
        ReadWholeDataFile(CurrentProjectFile(NodeDataFileExtension(file)), askFileCheck, readFile);
    if (outcome == DataFileRead::Read) basData() = std::move(read);
    return outcome;
}

bool WriteNodeDataFile(NodeDataFile file) {
    BasData& b = basData();
    const std::int16_t nodeCount = declar().NodeCount;
    const std::string path = CurrentProjectFile(NodeDataFileExtension(file));
    const auto check = [&] {
        switch (file) {
        case NodeDataFile::P35: checkP35(b); break;
        case NodeDataFile::P91: checkP91(b); break;
        case NodeDataFile::P31:
            checkP31(b);
            for (int i = 1; i <= b.DofCount; ++i) {
                normaliseDofText(b.DofTextA[i], path, i, 1);
                normaliseDofText(b.DofTextB[i], path, i, 2);
                normaliseDofText(b.DofTextC[i], path, i, 3);
            }
            break;
        case NodeDataFile::P71:
            checkP71(b);
            for (int i = 1; i <= b.DofCount; ++i) {
                normaliseDofText(b.DofTextD[i], path, i, 1);
                normaliseDofText(b.DofTextA[i], path, i, 2);
            }
            break;
        case NodeDataFile::PIL: checkPil(b); break;
        case NodeDataFile::PV1: checkPv1(b, nodeCount); break;
        case NodeDataFile::PCW: checkPcw(b); break;
        }
    };
    const auto write = [&](rt::TextWriter& out) {
        switch (file) {
        case NodeDataFile::P35: writeP35(out, b); break;
        case NodeDataFile::P91: writeP91(out, b); break;
        case NodeDataFile::P31: writeP31(out, b); break;
        case NodeDataFile::P71: writeP71(out, b); break;
        case NodeDataFile::PIL: writePil(out, b); break;
        case NodeDataFile::PV1: writePv1(out, b, nodeCount); break;
        case NodeDataFile::PCW: writePcw(out, b); break;
        }
    };
    return WriteWholeDataFile(path, check, write);
}

std::int16_t ReadP35() { return readerResult(NodeDataFile::P35); }
void WriteP35() { WriteNodeDataFile(NodeDataFile::P35); }
std::int16_t ReadP91() { return readerResult(NodeDataFile::P91); }
void WriteP91() { WriteNodeDataFile(NodeDataFile::P91); }
std::int16_t ReadP31() { return readerResult(NodeDataFile::P31); }
void WriteP31() { WriteNodeDataFile(NodeDataFile::P31); }
std::int16_t ReadP71() { return readerResult(NodeDataFile::P71); }
void WriteP71() { WriteNodeDataFile(NodeDataFile::P71); }
std::int16_t ReadPIL() { return readerResult(NodeDataFile::PIL); }
void WritePIL() { WriteNodeDataFile(NodeDataFile::PIL); }
std::int16_t ReadPV1() { return readerResult(NodeDataFile::PV1); }
void WritePV1() { WriteNodeDataFile(NodeDataFile::PV1); }
std::int16_t ReadPCW() { return readerResult(NodeDataFile::PCW); }
void WritePCW() { WriteNodeDataFile(NodeDataFile::PCW); }

void ElementCentroid(std::int16_t element, float& cx, float& cy) {
    const Declar& d = declar();
    if (element < 1 || element > d.ElementCount ||
        static_cast<std::size_t>(element) >= d.ElementList.size())
        rt::raise(9);
    const NetElement& e = d.ElementList[element];
    if (e.CornerCount < 1 || e.CornerCount > 4) rt::raise(9);
    float sumX = 0.0f;
    float sumY = 0.0f;
    for (int c = 1; c <= e.CornerCount; ++c) {
        const std::int16_t node = e.Node[c];
        if (node < 1 || node > d.NodeCount || static_cast<std::size_t>(node) >= d.NodeX.size() ||
            static_cast<std::size_t>(node) >= d.NodeY.size())
            rt::raise(9);
        sumX += d.NodeX[node];
        sumY += d.NodeY[node];
    }
    cx = sumX / static_cast<float>(e.CornerCount);
    cy = sumY / static_cast<float>(e.CornerCount);
}

}  // namespace orvelo
