#include "orvelo/project/output_folder.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>
#include <utility>

#include "orvelo/project/data_files.h"
#include "platform/runtime/paths.h"

namespace orvelo {

namespace {

namespace fs = std::filesystem;

struct StagingNames {
    std::string folder;
    std::string outputDir;
    std::string outputName;
    std::string inputDir;
    std::string inputName;
};

// The staging whose files messages rename; one run has one.
StagingNames*& activeStaging() {
    static StagingNames* active = nullptr;
    return active;
}

StagingNames& stagingNames() {
    static StagingNames names;
    return names;
}

bool equalNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string withSeparator(std::string dir) {
    if (!dir.empty() && dir.back() != '/') dir += '/';
    return dir;
}

// The extension of a file named name + "." + extension (no further dot),
// else "".
std::string extensionOfProjectFile(const std::string& fileName, const std::string& name) {
    if (fileName.size() <= name.size() + 1 || fileName[name.size()] != '.') return {};
    if (!equalNoCase(fileName.substr(0, name.size()), name)) return {};
    std::string ext = fileName.substr(name.size() + 1);
    if (ext.find('.') != std::string::npos) return {};
    return ext;
}

constexpr int kFolderAttempts = 1000;
constexpr std::size_t kLongestFileName = 255;  // bytes of one name in a folder
const std::string kStagingPrefix = "~";
const std::string kStagingSuffix = ".unfinished";

// A folder of that stem in dir that does not exist yet, created empty.
std::string createUniqueFolder(const std::string& dir, const std::string& stem) {
    for (int attempt = 0; attempt < kFolderAttempts; ++attempt) {
        const std::string candidate =
            dir + stem + (attempt == 0 ? std::string() : "-" + std::to_string(attempt));
        std::error_code ec;
        if (fs::create_directory(candidate, ec)) return candidate + "/";
        if (ec) raiseWriteError(fileSystemErrorNumber(ec), candidate);
    }
    raiseWriteError(75, dir + stem);
}

void removeFolderQuietly(const std::string& folder) {
    if (folder.empty()) return;
    std::error_code ec;
    fs::remove_all(folder, ec);
}

std::vector<std::string> regularFilesOf(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->is_regular_file(typeError)) names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

std::size_t LongestOutputName() {
    const std::size_t attemptSuffix = 1 + std::to_string(kFolderAttempts - 1).size();  // "-999"
    return kLongestFileName - kStagingPrefix.size() - kStagingSuffix.size() - attemptSuffix;
}

StagedOutput::~StagedOutput() { Discard(); }

void StagedOutput::Begin(const std::string& outputDir, const std::string& outputName, const std::string& inputDir,
                         const std::string& inputName) {
    Discard();
    outputDir_ = withSeparator(outputDir);
    outputName_ = outputName;
    folder_ = createUniqueFolder(outputDir_, kStagingPrefix + outputName + kStagingSuffix);
    stagingNames() = StagingNames{folder_, outputDir_, outputName_, withSeparator(inputDir), inputName};
    activeStaging() = &stagingNames();
}

void StagedOutput::Commit() {
    if (!Active()) return;
    struct EndStaging {
        StagedOutput& staging;
        ~EndStaging() { staging.Discard(); }
    } endStaging{*this};

    const std::vector<std::string> newFiles = regularFilesOf(folder_);
    const std::vector<std::string> oldFiles = ProjectFileSet(outputDir_, outputName_);
    // The earlier output is moved aside first, so that it can be put back.
    std::string aside;
    std::vector<std::string> movedAside;
    std::vector<std::string> movedIn;
    auto putBack = [&] {
        std::error_code ignored;
        for (const std::string& name : movedIn) fs::rename(outputDir_ + name, folder_ + name, ignored);
        for (const std::string& name : movedAside) fs::rename(aside + name, outputDir_ + name, ignored);
        removeFolderQuietly(aside);
    };
    try {
        if (!oldFiles.empty()) {
            aside = createUniqueFolder(outputDir_, "~" + outputName_ + ".replaced");
            for (const std::string& name : oldFiles) {
                std::error_code ec;
                fs::rename(outputDir_ + name, aside + name, ec);
                if (ec) raiseWriteError(fileSystemErrorNumber(ec), outputDir_ + name);
                movedAside.push_back(name);
            }
        }
        for (const std::string& name : newFiles) {
            std::error_code ec;
            fs::rename(folder_ + name, outputDir_ + name, ec);
            if (ec) raiseWriteError(fileSystemErrorNumber(ec), outputDir_ + name);
            movedIn.push_back(name);
        }
    } catch (...) {
        putBack();
        throw;
    }
    removeFolderQuietly(aside);
}

void StagedOutput::Discard() {
    if (activeStaging() && activeStaging()->folder == folder_) activeStaging() = nullptr;
    removeFolderQuietly(folder_);
    folder_.clear();
}

std::string ShownFilePath(const std::string& path, bool reading) {
    const StagingNames* staging = activeStaging();
    if (!staging) return path;
    const fs::path p(path);
    if (withSeparator(p.parent_path().lexically_normal().string()) !=
        withSeparator(fs::path(staging->folder).lexically_normal().string()))
        return path;
    std::string fileName = p.filename().string();
    // A file being written goes under a temporary name until it is closed.
    if (fileName.size() > 4 && fileName.compare(fileName.size() - 4, 4, ".tmp") == 0)
        fileName.resize(fileName.size() - 4);
    const std::string ext = extensionOfProjectFile(fileName, staging->outputName);
    if (reading && !ext.empty()) {
        const std::string source =
            rt::findFileCaseInsensitive(staging->inputDir + staging->inputName + "." + ext);
        if (!source.empty()) return source;
    }
    return staging->outputDir + fileName;
}

std::vector<std::string> ProjectFileSet(const std::string& dir, const std::string& name) {
    std::vector<std::string> names;
    for (const std::string& fileName : regularFilesOf(dir))
        if (!extensionOfProjectFile(fileName, name).empty()) names.push_back(fileName);
    return names;
}

}  // namespace orvelo
