#include "orvelo/project/file_limits.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "platform/runtime/recordfile.h"
#include "platform/runtime/textfile.h"

namespace orvelo {

namespace {

constexpr std::uint64_t kLineBytes = 256;
constexpr std::uint64_t kRecordBytes = rt::RecordFile::kRecordLength;
constexpr std::int64_t kLargestCount = 32767;

// The first lines of a text file (up to 4 KiB of it), line ends dropped.
std::vector<std::string> headLines(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string head(4096, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < head.size(); ++i) {
        if (head[i] != '\n') continue;
        std::string line = head.substr(start, i - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = i + 1;
    }
    return lines;
}

// Count line `index` (0-based) of lines: a whole number 0..32767, else the
// largest count.
std::int64_t countAt(const std::vector<std::string>& lines, std::size_t index) {
    if (index >= lines.size()) return kLargestCount;
    const char* text = lines[index].c_str();
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    while (end && (*end == ' ' || *end == '\t')) ++end;
    if (end == text || (end && *end != '\0' && *end != ',') || value < 0 || value > kLargestCount) return kLargestCount;
    return value;
}

// Integer record rec of a random-access file, as a count 0..32767 (the
// largest count when the file does not reach it or it is negative).
std::int64_t recordCount(const std::string& path, std::int32_t rec) {
    std::ifstream in(path, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(rec - 1) * static_cast<std::streamoff>(kRecordBytes));
    unsigned char bytes[2] = {0, 0};
    in.read(reinterpret_cast<char*>(bytes), 2);
    if (in.gcount() != 2) return kLargestCount;
    const auto value = static_cast<std::int16_t>(static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8)));
    return value < 0 ? kLargestCount : value;
}

// No text file of a project is read beyond rt::kLargestTextFile.
std::uint64_t textLines(std::int64_t lines) {
    return std::min<std::uint64_t>(static_cast<std::uint64_t>(lines) * kLineBytes, rt::kLargestTextFile);
}
std::uint64_t records(std::int64_t count) { return static_cast<std::uint64_t>(count) * kRecordBytes; }

}  // namespace

std::uint64_t LargestProjectFileSize(std::string_view ext, const std::string& path, std::int32_t nodeCount) {
    const std::int64_t n = std::clamp<std::int64_t>(nodeCount, 0, kLargestCount);
    // "Version 9"; n; m; five lines per record; one per pair.
    if (ext == "P35" || ext == "P31") {
        const std::vector<std::string> head = headLines(path);
        return textLines(3 + 5 * countAt(head, 1) + countAt(head, 2));
    }
    // "Version 9"; n; three lines per record.
    if (ext == "P91" || ext == "P71" || ext == "PCW") return textLines(2 + 3 * countAt(headLines(path), 1));
    // One value per node of the net.
    if (ext == "PV1") return textLines(n + 1);
    // q piles: two values, r pile nodes (two lines each), twelve lines per
    // pile and up to 32767 entries of five lines each.
    if (ext == "PIL") {
        const std::int64_t piles = countAt(headLines(path), 0);
        return textLines(4 + 2 * kLargestCount + piles * (12 + 5 * kLargestCount));
    }
    // "Version 9"; M members of three lines; P property sets of seven
    // lines; the option.
    if (ext == "GL1") {
        const std::vector<std::string> head = headLines(path);
        return textLines(4 + 3 * countAt(head, 1) + 7 * countAt(head, 2));
    }
    // Element zones: 3K + 9 header records, one per element of a net (the
    // file may belong to another net, which the transfer finds).
    if (ext == "P21") return records(3 * recordCount(path, 2) + 9 + kLargestCount);
    // The boring layout for K borings and a net of up to 32767 nodes, with
    // up to 32767 stored triangles and strips (docs/file-formats.md).
    if (ext == "P41") {
        const std::int64_t n = kLargestCount;
        const std::int64_t k = recordCount(path, 2);
        const std::int64_t lines = k + 1;
        const std::int64_t dividing = std::max<std::int64_t>(2 * k - 3, 0);
        return records(5 * n + 6 * k + 3 * lines + 4 * dividing + 12 * kLargestCount + 12);
    }
    return rt::kLargestTextFile;
}

}  // namespace orvelo
