#include "halvex/services/library_files.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <vector>

#include "halvex/interface/enums.h"
#include "halvex/services/file_kind.h"
#include "halvex/services/library_state.h"
#include "halvex/services/messages.h"
#include "outside/quillon/language_text.h"
#include "platform/forms/msgbox.h"
#include "platform/runtime/datachannel.h"
#include "platform/runtime/paths.h"

namespace halvex {

using quillon::TextNo;

namespace {

constexpr int kFileNotFound = 53;
constexpr int kPathNotFound = 76;
constexpr int kInputPastEnd = 62;
constexpr int kTypeMismatch = 13;
constexpr int kOverflow = 6;

void removeTemporary(const std::string& temporary)
{
    std::error_code ignored;
    if (std::filesystem::is_regular_file(temporary, ignored)) std::filesystem::remove(temporary, ignored);
}

}  // namespace

void ReportFileError(const rt::RuntimeError& error, const std::string& path, FileAccess access)
{
    LibraryState& state = libraryState();
    state.CurrentFilePath = path;
    const int number = error.number();
    if (number == kFileNotFound || number == kPathNotFound || number == kInputPastEnd) {
        // The common report has these two messages, naming CurrentFilePath.
        ReportError(number == kPathNotFound ? kFileNotFound : number, error.description());
        return;
    }
    quillon::ClsLanguageText* found = TextsForMessage();
    if (found == nullptr) {
        ReportError(0, std::string());
        return;
    }
    try {
        quillon::ClsLanguageText& texts = *found;
        const std::string kindText = texts.GetText(state.FileTypeText);
        const std::string kindPart = kindText.empty() ? std::string() : "\r\r(" + kindText + ")";
        // A value the reader could not take (13 type mismatch, 6 overflow)
        // is the read-error message; a file that could not be read at all
        // or not written has its own.
        const bool badValue = number == kTypeMismatch || number == kOverflow;
        const std::int32_t intro = access == FileAccess::Writing ? TextNo(140320)
                                   : badValue                    ? TextNo(140000)
                                                                 : TextNo(140321);
        const std::string prompt =
            texts.GetText(rt::Variant(intro), {rt::Variant("|1"), rt::Variant(path)}) + "\r\r" + error.description() +
            kindPart;
        ShowLibraryMessage(prompt, texts.MessageBoxFlags() | forms::vbCritical, MessageTitle(texts));
    } catch (const rt::RuntimeError&) {
        // A message that cannot be built is not shown.
    }
    ReportError(0, std::string());  // the pointer back to the arrow, file 1 closed
}

void RequireRegularFileOrNothing(const std::string& path)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (!error && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
        rt::raise(75, "Path/File access error: " + path + " is not a regular file");
}

std::string SaveTarget(const std::string& path)
{
    std::filesystem::path at(path);
    std::error_code error;
    // A bounded walk: a loop of links ends at a link, which the save refuses.
    for (int hops = 0; hops < 40 && std::filesystem::is_symlink(at, error); ++hops) {
        const std::filesystem::path next = std::filesystem::read_symlink(at, error);
        if (error) break;
        at = next.is_absolute() ? next : at.parent_path() / next;
    }
    return at.string();
}

void ReplaceKeepingMode(const std::string& temporary, const std::string& target)
{
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0 && ::chmod(temporary.c_str(), existing.st_mode & 07777) != 0) {
        rt::raise(75, "Path/File access error: " + temporary + " cannot take the mode of " + target + " (" +
                          std::generic_category().message(errno) + ")");
    }
    std::error_code error;
    std::filesystem::rename(temporary, target, error);
    if (error) rt::raise(75, "Path/File access error: " + target + " cannot be replaced (" + error.message() + ")");
}

bool ReadLibraryFile(const std::string& path, const std::function<void(rt::TextReader&)>& read)
{
    libraryState().CurrentFilePath = path;
    try {
        // The kind first: a refusal's message names it too.
        SetFileTypeText(path);
        RequireRegularFileOrNothing(path);
        if (CheckFileMissing(path, true).toBool()) return false;
        if (OpenFileByMode(path, InputMode, 1, 0, nullptr) != 0) return false;
        read(libraryFileChannel().reader());
        libraryFileChannel().close();
        return true;
    } catch (const rt::RuntimeError& error) {
        libraryFileChannel().reset();
        ReportFileError(error, path, FileAccess::Reading);
        return false;
    }
}

bool WriteLibraryFile(const std::string& path, const std::function<void(rt::TextWriter&)>& write)
{
    LibraryState& state = libraryState();
    state.CurrentFilePath = path;
    SetFileTypeText(path);
    // Through a symbolic link to the file it leads to: the link stays.
    const std::string target = SaveTarget(path);
    const std::string temporary = target + ".tmp";
    bool created = false;
    try {
        RequireRegularFileOrNothing(target);
        RequireRegularFileOrNothing(temporary);
        std::error_code folderError;
        const std::filesystem::path folder = std::filesystem::path(target).parent_path();
        if (!folder.empty()) std::filesystem::create_directories(folder, folderError);
        if (folderError) rt::raise(75, "Path/File access error: the folder " + folder.string() + " cannot be made (" + folderError.message() + ")");
        rt::DataChannel& channel = libraryFileChannel();
        channel.openOutput(temporary);
        created = true;
        write(channel.writer());
        channel.close();
        // On the disk before it replaces the file, so a crash leaves the old
        // file or the new one, never an empty one.
        if (const int failure = rt::syncToDisk(temporary)) {
            rt::raise(75, "Path/File access error: " + temporary + " cannot be written (" + std::generic_category().message(failure) + ")");
        }
        ReplaceKeepingMode(temporary, target);
        if (!folder.empty()) rt::syncToDisk(folder.string());
        return true;
    } catch (const rt::RuntimeError& error) {
        libraryFileChannel().reset();
        if (created) removeTemporary(temporary);
        ReportFileError(error, path, FileAccess::Writing);
        return false;
    }
}

}  // namespace halvex
