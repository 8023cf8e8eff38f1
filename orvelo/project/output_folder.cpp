#include "orvelo/project/output_folder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <system_error>
#include <utility>

#include "orvelo/project/data_files.h"
#include "orvelo/project/services.h"
#include "outside/quillon/language_text.h"
#include "platform/runtime/errors.h"
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
    // Every file written into the folder, by name, with its size when it
    // was closed.
    std::map<std::string, std::uintmax_t> written;
};

// What the last ResolveLeftoverOutput did, until it is taken.
std::string& leftoverNote() {
    static std::string note;
    return note;
}

// The owner mark of a temporary folder: host, process id and the process's
// start, one a line.
constexpr const char* kOwnerMark = "~owner";
// Marks a temporary folder whose files have begun to move into place.
constexpr const char* kMovingMark = "~moving";
// Marks an aside folder that holds the whole earlier output.
constexpr const char* kWholeMark = "~whole";

CommitRenameHook& commitRenameHook() {
    static CommitRenameHook hook;
    return hook;
}

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
// The folder an earlier output is moved aside into: "~" + name + this.
const std::string kAsideSuffix = ".replaced";

// An entry of the name the run must make, which is not what the run can
// use (a file, a pipe, a link leading nowhere): named as what blocks it.
[[noreturn]] void raiseObstacle(const std::string& path) {
    raiseFileFault(58, LanguageTexts().GetText(quillon::TextNo(190268), {rt::Variant("|1"), rt::Variant(path)}));
}

// A folder of that stem in dir that does not exist yet, created empty.
std::string createUniqueFolder(const std::string& dir, const std::string& stem) {
    for (int attempt = 0; attempt < kFolderAttempts; ++attempt) {
        const std::string candidate =
            dir + stem + (attempt == 0 ? std::string() : "-" + std::to_string(attempt));
        std::error_code ec;
        if (fs::create_directory(candidate, ec)) return candidate + "/";
        if (ec) {
            std::error_code typeError;
            if (fs::symlink_status(candidate, typeError).type() != fs::file_type::not_found &&
                !fs::is_directory(candidate, typeError))
                raiseObstacle(candidate);
            raiseWriteError(fileSystemErrorNumber(ec), candidate);
        }
    }
    raiseWriteError(75, dir + stem);
}

std::string lowerCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string thisHost() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return "?";
    return name;
}

// The start of process pid (clock ticks after boot, the 22nd field of
// /proc/<pid>/stat), "" when it cannot be read: with the pid it tells the
// process from a later one that got its number.
std::string processStart(long pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    const std::string stat{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::size_t nameEnd = stat.rfind(')');
    if (nameEnd == std::string::npos) return {};
    std::istringstream fields(stat.substr(nameEnd + 1));
    std::string field;
    for (int k = 3; k <= 22 && fields >> field; ++k)
        if (k == 22) return field;
    return {};
}

struct Owner {
    std::string host;
    long pid = 0;
    std::string start;
};

std::optional<Owner> ownerOf(const std::string& folder) {
    // Only a regular file is read: a pipe of that name would never answer.
    std::error_code ec;
    if (!fs::is_regular_file(fs::symlink_status(folder + kOwnerMark, ec))) return std::nullopt;
    std::ifstream in(folder + kOwnerMark);
    Owner owner;
    std::string pid;
    if (!std::getline(in, owner.host) || !std::getline(in, pid)) return std::nullopt;
    std::getline(in, owner.start);
    try {
        owner.pid = std::stol(pid);
    } catch (const std::exception&) {
        return std::nullopt;
    }
    return owner;
}

bool sameFolder(const std::string& a, const std::string& b) {
    return withSeparator(fs::path(a).lexically_normal().string()) ==
           withSeparator(fs::path(b).lexically_normal().string());
}

// Whether the run that marked folder still lives. A run of another host
// cannot be asked: it is taken as alive. This process owns only its active
// staging's folder (a folder of an earlier run of it is a leftover).
bool ownerLives(const Owner& owner, const std::string& folder) {
    if (owner.host != thisHost()) return true;
    if (owner.pid == static_cast<long>(::getpid()))
        return activeStaging() != nullptr && sameFolder(activeStaging()->folder, folder);
    if (owner.pid <= 0 || (::kill(static_cast<pid_t>(owner.pid), 0) != 0 && errno != EPERM)) return false;
    const std::string start = processStart(owner.pid);
    return start.empty() || owner.start.empty() || start == owner.start;
}

void removeFolderQuietly(const std::string& folder) {
    if (folder.empty()) return;
    std::error_code ec;
    fs::remove_all(folder, ec);
}

// The regular files of folder, sorted; ec tells a folder that could not be
// listed (whole).
std::vector<std::string> regularFilesOf(const std::string& folder, std::error_code& ec) {
    std::vector<std::string> names;
    ec.clear();
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->is_regular_file(typeError)) names.push_back(it->path().filename().string());
    }
    if (ec) names.clear();
    std::sort(names.begin(), names.end());
    return names;
}

// The regular files of folder; a folder that cannot be listed is the saving
// error of the folder, never a folder without files.
std::vector<std::string> listedFilesOf(const std::string& folder) {
    std::error_code ec;
    std::vector<std::string> names = regularFilesOf(folder, ec);
    if (ec) raiseWriteError(fileSystemErrorNumber(ec), folder);
    return names;
}

// The files of the project name in dir; a folder that cannot be listed is
// the saving error of the folder.
std::vector<std::string> listedProjectFiles(const std::string& dir, const std::string& name) {
    std::vector<std::string> names = listedFilesOf(dir);
    std::erase_if(names, [&](const std::string& fileName) { return extensionOfProjectFile(fileName, name).empty(); });
    return names;
}

bool isProjectFile(const std::string& fileName, const std::string& name, const char* ext) {
    return equalNoCase(extensionOfProjectFile(fileName, name), ext);
}

// The file names of a move in their order: the project file (.PO1) first
// when it leads, else last, so that it is in place only with the whole
// project.
std::vector<std::string> orderedForMove(std::vector<std::string> names, const std::string& name,
                                        bool projectFileFirst) {
    std::stable_partition(names.begin(), names.end(), [&](const std::string& fileName) {
        return isProjectFile(fileName, name, "PO1") == projectFileFirst;
    });
    return names;
}

void renameFile(const std::string& from, const std::string& to, std::error_code& ec) {
    ec.clear();
    if (const CommitRenameHook& hook = commitRenameHook()) {
        if (const int fault = hook(from, to)) {
            ec = std::error_code(fault, std::generic_category());
            return;
        }
    }
    fs::rename(from, to, ec);
}

// Writes the data of path (a file or a folder) through to the disk.
void flushToDisk(const std::string& path) {
    if (const int failure = rt::syncToDisk(path)) raiseWriteError(fileSystemErrorNumber(std::error_code(failure, std::generic_category())), path);
}

// Makes the empty mark file in folder, on the disk before anything follows.
void putMark(const std::string& folder, const char* mark) {
    const int fd = ::open((folder + mark).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) raiseWriteError(fileSystemErrorNumber(std::error_code(errno, std::generic_category())), folder + mark);
    ::close(fd);
    flushToDisk(folder);
}

bool hasFile(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

// The folders of dir named stem or stem + "-" + a number, whatever the case
// (an output name is one whatever its case); a link of such a name is none
// (what it leads to is never emptied or moved).
std::vector<std::string> leftoverFolders(const std::string& dir, const std::string& stem) {
    std::vector<std::string> folders;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string fileName = it->path().filename().string();
        std::error_code typeError;
        if (it->symlink_status(typeError).type() != fs::file_type::directory ||
            !equalNoCase(fileName.substr(0, stem.size()), stem))
            continue;
        const std::string rest = fileName.substr(stem.size());
        const bool numbered =
            rest.size() > 1 && rest[0] == '-' &&
            std::all_of(rest.begin() + 1, rest.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
        if (rest.empty() || numbered) folders.push_back(withSeparator(dir + fileName));
    }
    std::sort(folders.begin(), folders.end());
    return folders;
}

// The first temporary folder of the output name in dir that a live run
// owns, with its owner; "" when there is none.
std::pair<std::string, Owner> liveRunFolder(const std::string& dir, const std::string& name) {
    for (const std::string& folder : leftoverFolders(dir, kStagingPrefix + name + kStagingSuffix))
        if (const std::optional<Owner> owner = ownerOf(folder); owner && ownerLives(*owner, folder))
            return {folder, *owner};
    return {};
}

// The earlier output in an aside folder goes back to dir in place of what
// an interrupted move left there.
void putAsideBack(const std::string& dir, const std::string& name, const std::string& aside) {
    const std::vector<std::string> asideFiles = listedFilesOf(aside);
    // When the aside folder is whole, any file of the name in dir came from
    // the new project. It is whole no more once they are gone: a putting
    // back cut short must not take the files that came back for new ones.
    if (hasFile(aside + kWholeMark)) {
        for (const std::string& fileName : ProjectFileSet(dir, name)) {
            std::error_code ec;
            fs::remove(dir + fileName, ec);
            if (ec) raiseWriteError(fileSystemErrorNumber(ec), dir + fileName);
        }
        std::error_code ec;
        fs::remove(aside + kWholeMark, ec);
        if (ec) raiseWriteError(fileSystemErrorNumber(ec), aside + kWholeMark);
        flushToDisk(aside);
    }
    // The project file last: in place only with the whole project.
    for (const std::string& fileName : orderedForMove(asideFiles, name, false)) {
        if (fileName == kWholeMark) continue;
        std::error_code ec;
        renameFile(aside + fileName, dir + fileName, ec);
        if (ec) raiseWriteError(fileSystemErrorNumber(ec), dir + fileName);
    }
    flushToDisk(dir);
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
    stagingNames() = StagingNames{folder_, outputDir_, outputName_, withSeparator(inputDir), inputName, {}};
    activeStaging() = &stagingNames();
    // The folder is this process's while it lives (ResolveLeftoverOutput of
    // another run leaves it alone).
    const std::string mark = folder_ + kOwnerMark;
    std::ofstream out(mark, std::ios::binary | std::ios::trunc);
    out << thisHost() << '\n' << ::getpid() << '\n' << processStart(::getpid()) << '\n';
    out.close();
    if (!out) raiseWriteError(hasFile(mark) ? 57 : 70, mark);
}

void StagedOutput::Commit() {
    if (!Active()) return;
    struct EndStaging {
        StagedOutput& staging;
        bool keepFolder = false;
        ~EndStaging() { keepFolder ? staging.Release() : staging.Discard(); }
    } endStaging{*this};

    // The temporary folder must hold every file written into it, as it was
    // written: a folder that has gone (or lost a file) is never taken for a
    // project without files, and the earlier output stays.
    std::error_code listError;
    std::vector<std::string> newFiles = regularFilesOf(folder_, listError);
    std::erase(newFiles, std::string(kOwnerMark));
    for (const auto& [fileName, size] : stagingNames().written) {
        std::error_code ec;
        const bool whole = !listError && fs::is_regular_file(folder_ + fileName, ec) &&
                           fs::file_size(folder_ + fileName, ec) == size && !ec;
        if (!whole)
            rt::raise(76, LanguageTexts().GetText(quillon::TextNo(190080),
                                                  {rt::Variant("|1"), rt::Variant(folder_), rt::Variant("|2"),
                                                   rt::Variant(outputDir_ + fileName)}));
    }
    if (listError) raiseWriteError(fileSystemErrorNumber(listError), folder_);
    const std::vector<std::string> oldFiles =
        orderedForMove(listedProjectFiles(outputDir_, outputName_), outputName_, true);
    newFiles = orderedForMove(std::move(newFiles), outputName_, false);
    for (const std::string& fileName : newFiles) flushToDisk(folder_ + fileName);
    // From here an interrupted move is undone by the next run
    // (ResolveLeftoverOutput).
    putMark(folder_, kMovingMark);

    // The earlier output is moved aside first, so that it can be put back;
    // its project file goes first and the new one comes last.
    std::string aside;
    std::vector<std::string> movedAside;
    std::vector<std::string> movedIn;
    // Everything goes back in the reverse order, the new project file
    // first and the earlier one last. A file that cannot be moved back ends
    // it there: the aside folder and the temporary folder with its mark are
    // then kept (the earlier output is never removed with them), and the
    // next run's ResolveLeftoverOutput finishes the putting back.
    auto putBack = [&]() -> bool {
        std::error_code failed;
        for (auto name = movedIn.rbegin(); name != movedIn.rend(); ++name) {
            renameFile(outputDir_ + *name, folder_ + *name, failed);
            if (failed) return false;
        }
        // The aside folder is whole no more from here (ResolveLeftoverOutput
        // must not take what comes back for part of the new project).
        if (!aside.empty()) {
            fs::remove(aside + kWholeMark, failed);
            if (failed) return false;
            try {
                flushToDisk(aside);
            } catch (const rt::RuntimeError&) {
                return false;
            }
        }
        for (auto name = movedAside.rbegin(); name != movedAside.rend(); ++name) {
            renameFile(aside + *name, outputDir_ + *name, failed);
            if (failed) return false;
        }
        removeFolderQuietly(aside);
        return true;
    };
    try {
        if (!oldFiles.empty()) {
            aside = createUniqueFolder(outputDir_, kStagingPrefix + outputName_ + kAsideSuffix);
            for (const std::string& name : oldFiles) {
                std::error_code ec;
                renameFile(outputDir_ + name, aside + name, ec);
                if (ec) raiseWriteError(fileSystemErrorNumber(ec), outputDir_ + name);
                movedAside.push_back(name);
            }
            putMark(aside, kWholeMark);
        }
        for (const std::string& name : newFiles) {
            std::error_code ec;
            renameFile(folder_ + name, outputDir_ + name, ec);
            // A temporary folder that cannot be written lets no file out.
            if (ec && fileSystemErrorNumber(ec) == 70 && ::access(folder_.c_str(), W_OK) != 0)
                raiseFolderNotWritable(folder_ + name);
            if (ec) raiseWriteError(fileSystemErrorNumber(ec), outputDir_ + name);
            movedIn.push_back(name);
        }
        flushToDisk(outputDir_);
        // Moved whole: nothing for the next run to undo.
        std::error_code ignored;
        fs::remove(folder_ + kMovingMark, ignored);
    } catch (...) {
        if (!putBack()) endStaging.keepFolder = true;
        throw;
    }
    removeFolderQuietly(aside);
}

void NoteStagedFile(const std::string& path) {
    StagingNames* staging = activeStaging();
    if (!staging) return;
    const fs::path p(path);
    if (withSeparator(p.parent_path().lexically_normal().string()) !=
        withSeparator(fs::path(staging->folder).lexically_normal().string()))
        return;
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(p, ec);
    if (ec)
        staging->written.erase(p.filename().string());
    else
        staging->written[p.filename().string()] = size;
}

std::string ResolveLeftoverOutput(const std::string& outputDir, const std::string& outputName) {
    const std::string dir = withSeparator(outputDir);
    const quillon::ClsLanguageText& texts = LanguageTexts();
    std::string note;
    const std::vector<std::string> unfinished = leftoverFolders(dir, kStagingPrefix + outputName + kStagingSuffix);
    // The output of a live run is that run's: nothing of it is a leftover.
    if (!liveRunFolder(dir, outputName).first.empty()) {
        leftoverNote().clear();
        return {};
    }
    // A project file in place always comes with its whole project.
    if (rt::findFileCaseInsensitive(rt::projectFilePath(dir, outputName, "PO1")).empty()) {
        const std::vector<std::string> asides = leftoverFolders(dir, kStagingPrefix + outputName + kAsideSuffix);
        const bool moveBegun = std::any_of(unfinished.begin(), unfinished.end(),
                                           [](const std::string& folder) { return hasFile(folder + kMovingMark); });
        if (!asides.empty()) {
            putAsideBack(dir, outputName, asides.front());
            note = texts.GetText(quillon::TextNo(190081), {rt::Variant("|1"), rt::Variant(dir + outputName)});
        } else if (moveBegun) {
            // Without an earlier output, what an interrupted move left in
            // place is only part of the new project: it goes, as after a
            // failed move.
            for (const std::string& fileName : ProjectFileSet(dir, outputName)) {
                std::error_code ec;
                fs::remove(dir + fileName, ec);
            }
        }
    }
    std::vector<std::string> leftovers = leftoverFolders(dir, kStagingPrefix + outputName + kAsideSuffix);
    leftovers.insert(leftovers.end(), unfinished.begin(), unfinished.end());
    for (const std::string& folder : leftovers) {
        removeFolderQuietly(folder);
        if (note.empty()) note = texts.GetText(quillon::TextNo(190082), {rt::Variant("|1"), rt::Variant(folder)});
    }
    leftoverNote() = note;
    return note;
}

OutputLock::~OutputLock() { Release(); }

std::string OutputLock::Acquire(const std::string& outputDir, const std::string& outputName) {
    Release();
    const std::string dir = withSeparator(outputDir);
    const std::string path = dir + kStagingPrefix + lowerCase(outputName) + ".lock";
    const quillon::ClsLanguageText& texts = LanguageTexts();
    for (int attempt = 0; attempt < kFolderAttempts && fd_ < 0; ++attempt) {
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666);
        if (fd < 0) {
            const int failure = errno;
            if (failure == ELOOP || failure == EISDIR || failure == ENXIO) raiseObstacle(path);
            raiseWriteError(fileSystemErrorNumber(std::error_code(failure, std::generic_category())), path);
        }
        struct stat held {};
        if (::fstat(fd, &held) != 0 || !S_ISREG(held.st_mode)) {
            ::close(fd);
            raiseObstacle(path);
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int failure = errno;
            ::close(fd);
            if (failure == EWOULDBLOCK)
                return texts.GetText(quillon::TextNo(190262), {rt::Variant("|1"), rt::Variant(outputName),
                                                               rt::Variant("|2"), rt::Variant(dir)});
            // A file system without locks: the owner marks alone tell.
            if (failure == ENOLCK || failure == EOPNOTSUPP || failure == EINVAL) {
                ::unlink(path.c_str());
                break;
            }
            raiseWriteError(fileSystemErrorNumber(std::error_code(failure, std::generic_category())), path);
        }
        // The run that held the lock may have removed its file between the
        // open and the lock: a lock on a file of no name locks nothing.
        struct stat named {};
        if (::lstat(path.c_str(), &named) == 0 && named.st_dev == held.st_dev && named.st_ino == held.st_ino) {
            fd_ = fd;
            path_ = path;
        } else {
            ::close(fd);
        }
    }
    const auto [folder, owner] = liveRunFolder(dir, outputName);
    if (folder.empty()) return {};
    Release();
    return texts.GetText(quillon::TextNo(190263),
                         {rt::Variant("|1"), rt::Variant(outputName), rt::Variant("|2"), rt::Variant(dir),
                          rt::Variant("|3"), rt::Variant(static_cast<std::int32_t>(owner.pid)), rt::Variant("|4"),
                          rt::Variant(owner.host), rt::Variant("|5"), rt::Variant(folder)});
}

void OutputLock::Release() {
    if (fd_ < 0) return;
    // The file goes while it is locked, so no run takes a lock on it after.
    struct stat held {}, named {};
    if (::fstat(fd_, &held) == 0 && ::lstat(path_.c_str(), &named) == 0 && named.st_dev == held.st_dev &&
        named.st_ino == held.st_ino)
        ::unlink(path_.c_str());
    ::close(fd_);
    fd_ = -1;
    path_.clear();
}

bool IsStagingFolder(const std::string& dir) {
    const StagingNames* staging = activeStaging();
    return staging != nullptr && !dir.empty() && sameFolder(dir, staging->folder);
}

void RequireStagingFolder(const std::string& path) {
    const StagingNames* staging = activeStaging();
    if (staging == nullptr || !IsStagingFolder(rt::directoryOf(rt::toNativePath(path)))) return;
    if (rt::directoryExists(staging->folder)) return;
    const std::string gone = rt::directoryExists(staging->outputDir) ? staging->folder : staging->outputDir;
    raiseFileFault(76, LanguageTexts().GetText(quillon::TextNo(190261), {rt::Variant("|1"), rt::Variant(gone)}));
}

std::string NotRegularEntry(const std::string& path) {
    // An entry of that name, whatever its case, that exists (a link followed)
    // and is no regular file.
    const auto entryOf = [](const std::string& wantedPath) -> std::string {
        const std::string native = rt::toNativePath(wantedPath);
        const std::string folder = rt::directoryOf(native);
        const std::string wanted = lowerCase(rt::fileNameOf(native));
        std::error_code ec;
        for (fs::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string name = it->path().filename().string();
            if (lowerCase(name) != wanted) continue;
            std::error_code typeError;
            const fs::file_status status = fs::status(it->path(), typeError);
            if (fs::exists(status) && !fs::is_regular_file(status)) return folder + name;
        }
        return {};
    };
    if (!rt::findFileCaseInsensitive(path).empty()) return {};
    std::string entry = entryOf(path);
    const StagingNames* staging = activeStaging();
    if (entry.empty() && staging != nullptr && IsStagingFolder(rt::directoryOf(rt::toNativePath(path)))) {
        const std::string ext = extensionOfProjectFile(rt::fileNameOf(path), staging->outputName);
        const std::string source = staging->inputDir + staging->inputName + "." + ext;
        if (!ext.empty() && rt::findFileCaseInsensitive(source).empty()) entry = entryOf(source);
    }
    return entry;
}

std::string TakeLeftoverOutputNote() { return std::exchange(leftoverNote(), std::string()); }

void setCommitRenameHook(CommitRenameHook hook) { commitRenameHook() = std::move(hook); }

void StagedOutput::Discard() {
    removeFolderQuietly(folder_);
    Release();
}

void StagedOutput::Release() {
    if (activeStaging() && activeStaging()->folder == folder_) {
        activeStaging() = nullptr;
        stagingNames() = StagingNames{};
    }
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
    std::error_code ignored;
    for (const std::string& fileName : regularFilesOf(dir, ignored))
        if (!extensionOfProjectFile(fileName, name).empty()) names.push_back(fileName);
    return names;
}

}  // namespace orvelo
