#include "outside/drovik/project_reader.h"

#include <array>

#include "platform/runtime/errors.h"
#include "platform/runtime/paths.h"
#include "platform/runtime/textfile.h"

namespace drovik {

namespace {

struct ProjectHeader {
    std::int32_t symmetryKind = 0;
    std::int32_t analysisMethod = 0;
    std::array<std::int16_t, 13> options{};
};

// The file at path, its extension looked up without regard to case; error
// 53 when there is none.
std::string existingFile(const std::string& path) {
    const std::string found = rt::findFileCaseInsensitive(path);
    if (found.empty()) rt::raise(53, "File not found: " + path);
    return found;
}

bool validAnalysisMethod(std::int32_t method) {
    return method >= 1 && method <= 22 && method != 14;
}

ProjectHeader readHeader(const std::string& path) {
    rt::TextReader reader;
    reader.open(existingFile(path));
    ProjectHeader header;
    header.symmetryKind = reader.readLong();
    header.analysisMethod = reader.readLong();
    // Each of the two statements of the header holds its values and no more.
    rt::requireLineEnd(reader);
    for (std::int16_t& option : header.options) option = reader.readInteger();
    rt::requireLineEnd(reader);
    if (header.symmetryKind < 1 || header.symmetryKind > 4)
        rt::raise(9, "The symmetry kind of a project must be 1 to 4, not " +
                         std::to_string(header.symmetryKind) + ": " + path);
    if (!validAnalysisMethod(header.analysisMethod))
        rt::raise(9, "The analysis method of a project must be 1 to 22 without 14, not " +
                         std::to_string(header.analysisMethod) + ": " + path);
    return header;
}

std::int16_t failureNumber(const rt::RuntimeError& error) {
    const int number = error.number();
    return static_cast<std::int16_t>(number > 0 && number <= 32767 ? number : 5);
}

// A count of the net file: 0 to 32767; a larger one is kept in pastLimit.
std::int16_t readCount(rt::TextReader& reader, const char* what, const std::string& path, std::int32_t& pastLimit) {
    const std::int32_t count = reader.readLong();
    if (count < 0)
        rt::raise(6, std::string("A negative ") + what + " (" + std::to_string(count) + ") in " + path);
    if (count > 32767) {
        pastLimit = count;
        rt::raise(6, std::string("The ") + what + " " + std::to_string(count) + " passes 32767 in " + path);
    }
    return static_cast<std::int16_t>(count);
}

}  // namespace

void ClsProjectReader::CheckProjectFile(const std::string& path, std::int16_t& failed) {
    checkedFile_.clear();
    try {
        readHeader(path);
        checkedFile_ = path;
        failed = 0;
    } catch (const rt::RuntimeError& error) {
        failed = failureNumber(error);
    }
}

void ClsProjectReader::ReadProjectHeader(
    std::int32_t& symmetryKind, std::int32_t& method, std::int16_t& option1,
    std::int16_t& option2, std::int16_t& option3, std::int16_t& option4, std::int16_t& option5,
    std::int16_t& option6, std::int16_t& option7, std::int16_t& option8, std::int16_t& option9,
    std::int16_t& option10, std::int16_t& option11, std::int16_t& option12,
    std::int16_t& option13, std::int16_t mode, std::int16_t& failed) {
    if (mode != -1) {
        failed = 5;
        return;
    }
    if (checkedFile_.empty()) {
        failed = 53;
        return;
    }
    ProjectHeader header;
    try {
        header = readHeader(checkedFile_);
    } catch (const rt::RuntimeError& error) {
        failed = failureNumber(error);
        return;
    }
    symmetryKind = header.symmetryKind;
    method = header.analysisMethod;
    std::int16_t* const options[] = {&option1, &option2,  &option3,  &option4, &option5,
                                     &option6, &option7,  &option8,  &option9, &option10,
                                     &option11, &option12, &option13};
    for (std::size_t i = 0; i < header.options.size(); ++i) *options[i] = header.options[i];
    failed = 0;
}

void ClsProjectReader::ReadNetFile(const std::string& prefix, std::int16_t& elementCount,
                                   std::vector<orvelo::NetElement>& elements,
                                   std::int16_t& nodeCount, std::vector<float>& x,
                                   std::vector<float>& y, std::int16_t /*zero*/,
                                   void* /*nothing*/, std::int16_t& failed) {
    const std::string path = prefix + ".PL6";
    countPastLimit_ = 0;
    std::int16_t readNodeCount = 0;
    std::int16_t readElementCount = 0;
    std::vector<float> readX;
    std::vector<float> readY;
    std::vector<orvelo::NetElement> readElements;
    try {
        rt::TextReader reader;
        reader.open(existingFile(path));
        readNodeCount = readCount(reader, "node count", path, countPastLimit_);
        rt::requireRoomFor(reader, readNodeCount, 2);
        readX.assign(static_cast<std::size_t>(readNodeCount) + 1, 0.0f);
        readY.assign(static_cast<std::size_t>(readNodeCount) + 1, 0.0f);
        for (int i = 1; i <= readNodeCount; ++i) {
            readX[i] = rt::readCoordinate(reader);
            readY[i] = rt::readCoordinate(reader);
        }
        readElementCount = readCount(reader, "element count", path, countPastLimit_);
        rt::requireRoomFor(reader, readElementCount, 1);
        readElements.assign(static_cast<std::size_t>(readElementCount) + 1, orvelo::NetElement{});
        for (int e = 1; e <= readElementCount; ++e) {
            orvelo::NetElement& element = readElements[e];
            element.CornerCount = reader.readLong();
            if (element.CornerCount != 3 && element.CornerCount != 4)
                rt::raise(9, "Element " + std::to_string(e) + " has " +
                                 std::to_string(element.CornerCount) +
                                 " corners (3 or 4 expected) in " + path);
            for (int j = 1; j <= element.CornerCount; ++j) {
                element.Node[j] = reader.readInteger();
                element.Flag[j] = reader.readLong();
                if (element.Node[j] < 1 || element.Node[j] > readNodeCount)
                    rt::raise(9, "Element " + std::to_string(e) + " names node " +
                                     std::to_string(element.Node[j]) + " of " +
                                     std::to_string(readNodeCount) + " in " + path);
            }
        }
        rt::requireFileEnd(reader);
    } catch (const rt::RuntimeError& error) {
        failed = failureNumber(error);
        return;
    }
    nodeCount = readNodeCount;
    elementCount = readElementCount;
    x = std::move(readX);
    y = std::move(readY);
    elements = std::move(readElements);
    failed = 0;
}

}  // namespace drovik
