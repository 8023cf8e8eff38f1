#include "orvelo/project/data_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include <exception>
#include <filesystem>
#include <new>
#include <optional>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "halvex/interface/enums.h"
#include "orvelo/project/output_folder.h"
#include "orvelo/project/services.h"
#include "platform/runtime/datachannel.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/paths.h"
#include "platform/runtime/strings.h"
#include "platform/runtime/write_faults.h"

namespace orvelo {

namespace {

// A file being written under a temporary name, and the name it gets when it
// is closed without an error.
struct PendingWrite {
    std::string tempPath;
    std::string targetPath;
};

std::optional<PendingWrite>& pendingWrite() {
    static std::optional<PendingWrite> pending;
    return pending;
}

void removeQuietly(const std::string& path) {
    std::error_code ec;
    std::filesystem::remove(path, ec);
}

// Drops the temporary file of a write that will not be completed.
void dropPendingWrite() {
    if (pendingWrite()) removeQuietly(pendingWrite()->tempPath);
    pendingWrite().reset();
}

// The existing file of that name whatever its case, else the path itself.
std::string resolvedPath(const std::string& path) {
    const std::string found = rt::findFileCaseInsensitive(path);
    return found.empty() ? rt::toNativePath(path) : found;
}

// Opens a temporary file in place of target for writing: sequential output
// starts empty, random writing starts from a copy of the existing file.
// Every failure is raised as the saving error of target.
void openPendingWrite(const std::string& target, bool random) {
    rt::DataChannel& channel = rt::dataChannel();
    if (channel.isOpen()) rt::raise(55);
    const bool targetExists = rt::fileExists(target);
    // Writing in place would be refused for a read-only file; a rename over
    // it would not, so refuse it here.
    if (targetExists && ::access(target.c_str(), W_OK) != 0) raiseWriteError(70, target);
    PendingWrite write{target + ".tmp", target};
    removeQuietly(write.tempPath);
    try {
        if (random && targetExists) CopyDataFile(target, write.tempPath);
        if (random)
            channel.openRandom(write.tempPath, true);
        else
            channel.openOutput(write.tempPath);
    } catch (const rt::RuntimeError& error) {
        removeQuietly(write.tempPath);
        // A new file that may not be made: its folder cannot be written.
        if (error.number() == 70) raiseFolderNotWritable(target);
        raiseWriteError(error.number(), target);
    }
    pendingWrite() = std::move(write);
}

// The run-time error numbers of failed file calls, whose standard
// description names no file.
bool isFileErrorNumber(int number) {
    switch (number) {
    case 6: case 9: case 13: case 52: case 53: case 55: case 57: case 59: case 61: case 62:
    case 63: case 70: case 75: case 76:
        return true;
    default:
        return false;
    }
}

// A file error in flight that names no file: named after the file open on
// file number 1 (the file being written by its place, the file being read
// by its path).
rt::RuntimeError withFileNamed(const rt::RuntimeError& error) {
    if (!isFileErrorNumber(error.number()) || dynamic_cast<const FileFault*>(&error) != nullptr) return error;
    const rt::DataChannel& channel = rt::dataChannel();
    std::string path;
    bool reading = true;
    if (pendingWrite()) {
        path = pendingWrite()->targetPath;
        reading = false;
    } else if (channel.isOpen()) {
        path = channel.path();
    }
    if (path.empty()) return error;
    if (error.description().find(ShownFilePath(path, reading)) != std::string::npos) return error;
    try {
        if (reading)
            raiseReadError(error, path);
        else
            raiseWriteError(error.number(), path);
    } catch (const rt::RuntimeError& named) {
        return named;
    }
}

// The error in flight as a run-time error; 0 when there is none.
rt::RuntimeError errorInFlight() {
    const std::exception_ptr current = std::current_exception();
    if (!current) return rt::RuntimeError(0, std::string());
    try {
        std::rethrow_exception(current);
    } catch (const rt::RuntimeError& error) {
        return withFileNamed(error);
    } catch (const std::bad_alloc&) {
        return rt::RuntimeError(7, rt::errorDescription(7));
    } catch (const std::out_of_range&) {
        return rt::RuntimeError(9, rt::errorDescription(9));
    } catch (const std::exception& error) {
        return rt::RuntimeError(5, error.what());
    } catch (...) {
        return rt::RuntimeError(5, rt::errorDescription(5));
    }
}

// The error's description; for an error of an operation whose wait window
// is up, other than the file messages (53, 62), headed by the step the
// window shows.
std::string withOperationStep(const rt::RuntimeError& error) {
    const drovik::ClsWaitWindow* window = OperationWaitWindow();
    if (window == nullptr || !window->isShown() || error.number() == 53 || error.number() == 62)
        return error.description();
    const quillon::ClsLanguageText& texts = LanguageTexts();
    const std::string step = rt::trim(window->statusText());
    const rt::Variant description(error.description());
    if (step.empty()) return texts.GetText(rt::Variant(quillon::TextNo(190035)), {rt::Variant("|1"), description});
    return texts.GetText(rt::Variant(quillon::TextNo(190034)),
                         {rt::Variant("|1"), rt::Variant(step), rt::Variant("|2"), description});
}

}  // namespace

std::int16_t OpenDataFile(const std::string& path, std::int16_t mode, std::int16_t fileNumber,
                          std::int16_t context) {
    if (fileNumber != 1) rt::raise(52);
    if (mode < halvex::InputMode || mode > halvex::PutRandomMode) rt::raise(5);
    // A file left open for writing without CloseDataFile never takes the
    // place of its target.
    if (pendingWrite() && !rt::dataChannel().isOpen()) dropPendingWrite();

    halvex::ClsValmor& services = SharedServices();
    services.GetTextInf(path);
    const std::string target = resolvedPath(path);

    if (mode == halvex::InputMode || mode == halvex::GetRandomMode) {
        // A folder, pipe or device of the name is not a missing file, and
        // a file of a temporary folder that has gone is not either.
        RequireStagingFolder(target);
        if (!rt::fileExists(target))
            if (const std::string entry = NotRegularEntry(path); !entry.empty()) raiseNotRegularFile(entry);
        if (services.FileNotExist(target, false).toBool()) {
            if (context > 0) {
                RunControl().RunState(static_cast<std::int16_t>(halvex::ExitWithoutSaving));
                OperationStopRequested(true);  // one step of progress; the run stops anyway
            }
            return -1;
        }
    }

    if (context > 0 && context != halvex::NotDisplay) ShowFileStatus(halvex::ReadingFile);
    // The status of a file being written is the saving text (kind 4), of a
    // file being read the reading text.
    const bool writing = mode == halvex::OutputMode || mode == halvex::PutRandomMode;
    ShowFileStatus(writing ? static_cast<std::int16_t>(halvex::DisplyFileName) : mode);

    try {
        switch (mode) {
        case halvex::InputMode: rt::dataChannel().openInput(target); break;
        case halvex::OutputMode: openPendingWrite(target, false); break;
        case halvex::GetRandomMode: rt::dataChannel().openRandom(target, false); break;
        case halvex::PutRandomMode: openPendingWrite(target, true); break;
        }
    } catch (const rt::RuntimeError& error) {
        // A file that may not be read, or is too large to be, is named
        // with the cause.
        if (writing) throw;
        raiseReadError(error, path);
    }
    return 0;
}

std::int16_t CloseDataFile(std::int16_t fileNumber) {
    if (fileNumber != 1) rt::raise(52);
    rt::DataChannel& channel = rt::dataChannel();
    if (!pendingWrite() || !channel.isOpen() || channel.path() != pendingWrite()->tempPath) {
        channel.close();
        dropPendingWrite();
        return 0;
    }
    const PendingWrite write = *pendingWrite();
    try {
        channel.close();
    } catch (const rt::RuntimeError& error) {
        dropPendingWrite();
        raiseWriteError(error.number(), write.targetPath);
    }
    pendingWrite().reset();
    std::error_code ec;
    std::filesystem::rename(write.tempPath, write.targetPath, ec);
    if (ec) {
        removeQuietly(write.tempPath);
        raiseWriteError(fileSystemErrorNumber(ec), write.targetPath);
    }
    NoteStagedFile(write.targetPath);
    return 0;
}

void ShowFileStatus(std::int16_t kind) {
    drovik::ClsWaitWindow* window = OperationWaitWindow();
    if (!window) return;
    halvex::ClsValmor& services = SharedServices();
    const quillon::ClsLanguageText& texts = LanguageTexts();
    const std::string kindText = texts.GetText(services.TextInf());
    std::string line;
    if (kind >= 1 && kind <= 4) {
        const std::int32_t textNo =
            kind == halvex::DisplyFileName ? quillon::TextNo(140198) : quillon::TextNo(140197);
        // A file of a staged output is shown at its place in the output
        // folder, never in the temporary folder.
        const std::string shown = ShownFilePath(services.Prod(), false);
        line = texts.GetText(textNo, {rt::Variant("|1"), rt::Variant(shown)}) + " ";
        if (!kindText.empty()) line += "(" + kindText + ") ";
    } else {
        line = kindText;
    }
    window->StatusText(line);
}

void HandleError() {
    const rt::RuntimeError error = errorInFlight();
    // From the report on, file number 1 is closed whatever happens.
    struct CloseFileOne {
        ~CloseFileOne() {
            rt::dataChannel().reset();
            dropPendingWrite();
        }
    } closeFileOne;
    if (error.number() == 0) {
        SharedServices().ValmorErrorHandling();
        return;
    }
    // The library reports the error it is handling; while an operation
    // runs, one that is not a file message (those name their file) is told
    // with the step it stopped, so no bare error text reaches the user.
    try {
        throw rt::RuntimeError(error.number(), withOperationStep(error));
    } catch (const rt::RuntimeError&) {
        SharedServices().ValmorErrorHandling();
    }
}

void raiseFileFault(int number, std::string description) { throw FileFault(number, std::move(description)); }

void raiseNotRegularFile(const std::string& path) {
    SharedServices().GetTextInf(path);
    raiseFileFault(75, LanguageTexts().GetText(quillon::TextNo(190267), {rt::Variant("|1"), rt::Variant(path)}));
}

void raiseReadError(int number, const std::string& path) {
    RequireStagingFolder(path);
    if (number == 53 || number == 75)
        if (const std::string entry = NotRegularEntry(path); !entry.empty()) raiseNotRegularFile(entry);
    const std::string shown = ShownFilePath(path, true);
    // The library's messages name the file and its kind.
    SharedServices().GetTextInf(shown);
    if (number == 53 || number == 62) {
        SharedServices().Prod(shown);
        rt::raise(number);
    }
    std::vector<rt::Variant> pairs{rt::Variant("|1"), rt::Variant(shown)};
    std::int32_t text = quillon::TextNo(140000);
    if (number == 70) text = quillon::TextNo(190141);
    if (number == 7) {
        // Refused by its size before it was read.
        std::error_code ec;
        const std::uintmax_t size = std::filesystem::file_size(path, ec);
        text = quillon::TextNo(190143);
        pairs.insert(pairs.end(), {rt::Variant("|2"), rt::Variant(ec ? 0.0 : static_cast<double>(size))});
    }
    rt::raise(number, LanguageTexts().GetText(text, pairs));
}

void raiseReadError(const rt::RuntimeError& error, const std::string& path) {
    if (const auto* fault = dynamic_cast<const FileFault*>(&error)) throw *fault;
    const std::string& described = error.description();
    if (described.find("|1") == std::string::npos) raiseReadError(error.number(), path);
    const std::string shown = ShownFilePath(path, true);
    SharedServices().GetTextInf(shown);
    // The file goes in as a value of the text, so that a right-to-left
    // language keeps the path in one piece.
    rt::raise(error.number(), LanguageTexts().GetText(rt::Variant(described), {rt::Variant("|1"), rt::Variant(shown)}));
}

std::string FileFaultText(std::int32_t textNo, std::vector<rt::Variant> pairs) {
    return LanguageTexts().GetText(quillon::TextNo(textNo), pairs);
}

void raiseFolderNotWritable(const std::string& path) {
    // The temporary folder of the new project is named as what cannot be
    // written, never the output folder its files are shown in.
    const std::string folder = rt::directoryOf(rt::toNativePath(path));
    if (IsStagingFolder(folder))
        raiseFileFault(70, LanguageTexts().GetText(quillon::TextNo(190265), {rt::Variant("|1"), rt::Variant(folder)}));
    const std::string shown = ShownFilePath(path, false);
    rt::raise(70, LanguageTexts().GetText(quillon::TextNo(190061), {rt::Variant("|1"), rt::Variant(shown),
                                                                    rt::Variant("|2"),
                                                                    rt::Variant(rt::directoryOf(shown))}));
}

void raiseWriteError(int number, const std::string& path) {
    RequireStagingFolder(path);
    const std::string shown = ShownFilePath(path, false);
    if (number == 70) {
        // A folder that cannot be written is named as the reason.
        const std::string folder = rt::directoryOf(path);
        if (!folder.empty() && ::access(folder.c_str(), W_OK) != 0) raiseFolderNotWritable(path);
    }
    rt::raise(number, LanguageTexts().GetText(quillon::TextNo(140198),
                                              {rt::Variant("|1"), rt::Variant(shown)}) +
                          ": " + rt::errorDescription(number));
}

bool CopyDataFile(const std::string& source, const std::string& target, std::uint64_t largest,
                  const std::function<bool()>& stopRequested) {
    const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) raiseReadError(errno == ENOENT ? 53 : fileSystemErrorNumber(std::error_code(errno, std::generic_category())), source);
    struct CloseIn {
        int fd;
        ~CloseIn() { ::close(fd); }
    } closeIn{in};
    const int out = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (out < 0) raiseWriteError(fileSystemErrorNumber(std::error_code(errno, std::generic_category())), target);
    auto failWrite = [&](int errnoValue) {
        ::close(out);
        removeQuietly(target);
        raiseWriteError(errnoValue == ENOSPC || errnoValue == EDQUOT ? 61 : 57, target);
    };
    std::vector<char> buffer(1 << 16);
    std::uint64_t copied = 0;
    for (std::uint32_t chunk = 0;; ++chunk) {
        // Stop is asked for every 16 chunks (1 MiB).
        if (stopRequested && chunk % 16 == 0 && stopRequested()) {
            ::close(out);
            removeQuietly(target);
            return false;
        }
        const ssize_t got = ::read(in, buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR) continue;
            ::close(out);
            removeQuietly(target);
            raiseReadError(57, source);
        }
        if (got == 0) break;
        copied += static_cast<std::uint64_t>(got);
        if (copied > largest) {
            // The file grew past its limit while it was copied.
            ::close(out);
            removeQuietly(target);
            raiseReadError(7, source);
        }
        if (const int fault = rt::injectedWriteFault(target)) failWrite(fault);
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::write(out, buffer.data() + done, static_cast<std::size_t>(got - done));
            if (put < 0) {
                if (errno == EINTR) continue;
                failWrite(errno);
            }
            done += put;
        }
    }
    if (::close(out) != 0) {
        const int closeErrno = errno;
        removeQuietly(target);
        raiseWriteError(closeErrno == ENOSPC || closeErrno == EDQUOT ? 61 : 57, target);
    }
    return true;
}

int fileSystemErrorNumber(const std::error_code& ec) {
    if (ec == std::errc::no_space_on_device || ec == std::errc::file_too_large) return 61;
    if (ec == std::errc::permission_denied || ec == std::errc::operation_not_permitted ||
        ec == std::errc::read_only_file_system)
        return 70;
    if (ec == std::errc::no_such_file_or_directory) return 76;
    if (ec == std::errc::io_error) return 57;
    return 75;
}

void resetDataFiles() {
    rt::dataChannel().reset();
    dropPendingWrite();
}

}  // namespace orvelo
