#include "orvelo/project/data_files.h"

#include <unistd.h>

#include <exception>
#include <filesystem>
#include <new>
#include <optional>
#include <stdexcept>
#include <system_error>

#include "halvex/interface/enums.h"
#include "orvelo/project/services.h"
#include "platform/runtime/datachannel.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/paths.h"
#include "platform/runtime/strings.h"

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

[[noreturn]] void raiseFileSystemError(const std::error_code& ec) {
    rt::raise(fileSystemErrorNumber(ec));
}

// The existing file of that name whatever its case, else the path itself.
std::string resolvedPath(const std::string& path) {
    const std::string found = rt::findFileCaseInsensitive(path);
    return found.empty() ? rt::toNativePath(path) : found;
}

// Opens a temporary file in place of target for writing: sequential output
// starts empty, random writing starts from a copy of the existing file.
void openPendingWrite(const std::string& target, bool random) {
    rt::DataChannel& channel = rt::dataChannel();
    if (channel.isOpen()) rt::raise(55);
    const bool targetExists = rt::fileExists(target);
    // Writing in place would be refused for a read-only file; a rename over
    // it would not, so refuse it here.
    if (targetExists && ::access(target.c_str(), W_OK) != 0) rt::raise(70);
    PendingWrite write{target + ".tmp", target};
    removeQuietly(write.tempPath);
    if (random && targetExists) {
        std::error_code ec;
        std::filesystem::copy_file(target, write.tempPath,
                                   std::filesystem::copy_options::overwrite_existing, ec);
        if (ec) {
            removeQuietly(write.tempPath);
            raiseFileSystemError(ec);
        }
    }
    try {
        if (random)
            channel.openRandom(write.tempPath, true);
        else
            channel.openOutput(write.tempPath);
    } catch (...) {
        removeQuietly(write.tempPath);
        throw;
    }
    pendingWrite() = std::move(write);
}

// The error in flight as a run-time error; 0 when there is none.
rt::RuntimeError errorInFlight() {
    const std::exception_ptr current = std::current_exception();
    if (!current) return rt::RuntimeError(0, std::string());
    try {
        std::rethrow_exception(current);
    } catch (const rt::RuntimeError& error) {
        return error;
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

    switch (mode) {
    case halvex::InputMode: rt::dataChannel().openInput(target); break;
    case halvex::OutputMode: openPendingWrite(target, false); break;
    case halvex::GetRandomMode: rt::dataChannel().openRandom(target, false); break;
    case halvex::PutRandomMode: openPendingWrite(target, true); break;
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
    } catch (...) {
        dropPendingWrite();
        throw;
    }
    pendingWrite().reset();
    std::error_code ec;
    std::filesystem::rename(write.tempPath, write.targetPath, ec);
    if (ec) {
        removeQuietly(write.tempPath);
        raiseFileSystemError(ec);
    }
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
        line = texts.GetText(textNo, {rt::Variant("|1"), rt::Variant(services.Prod())}) + " ";
        if (!kindText.empty()) line += " (" + kindText + ") ";
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

void raiseReadError(int number, const std::string& path) {
    if (number == 53 || number == 62) rt::raise(number);
    rt::raise(number, LanguageTexts().GetText(quillon::TextNo(140000),
                                              {rt::Variant("|1"), rt::Variant(path)}));
}

void raiseWriteError(int number, const std::string& path) {
    rt::raise(number, LanguageTexts().GetText(quillon::TextNo(140198),
                                              {rt::Variant("|1"), rt::Variant(path)}) +
                          ": " + rt::errorDescription(number));
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
