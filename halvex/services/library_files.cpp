#include "halvex/services/library_files.h"

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
    const std::string temporary = path + ".tmp";
    bool created = false;
    try {
        RequireRegularFileOrNothing(path);
        RequireRegularFileOrNothing(temporary);
        std::error_code folderError;
        const std::filesystem::path folder = std::filesystem::path(path).parent_path();
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
        std::error_code error;
        std::filesystem::rename(temporary, path, error);
        if (error) rt::raise(75, "Path/File access error: " + path + " cannot be replaced (" + error.message() + ")");
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
