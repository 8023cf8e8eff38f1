#include "halvex/services/messages.h"

#include <cmath>
#include <cstdio>
#include <exception>
#include <new>
#include <vector>

#include "halvex/interface/enums.h"
#include "halvex/services/file_kind.h"
#include "halvex/services/library_state.h"
#include "halvex/services/wait_display.h"
#include "outside/quillon/language_text.h"
#include "platform/forms/form.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/screen.h"
#include "platform/forms/ui_thread.h"
#include "platform/runtime/paths.h"

namespace halvex {

using quillon::TextNo;

namespace {

constexpr std::int32_t kFileNotFound = 53;
constexpr std::int32_t kInputPastEnd = 62;
constexpr std::int32_t kBadFileNumber = 52;
// An exception that is not a run-time error has no number of its own.
constexpr std::int32_t kInternalError = 51;

// "|1" = value, the only replacement of the file messages.
std::vector<rt::Variant> pathReplacement(const std::string& path)
{
    return {rt::Variant("|1"), rt::Variant(path)};
}

void closeLibraryFile()
{
    try {
        libraryFileChannel().close();
    } catch (const rt::RuntimeError&) {
        // The channel is closed even when its data could not be flushed.
    }
}

}  // namespace

std::int32_t ShowLibraryMessage(const std::string& prompt, std::int32_t flags, const std::string& title)
{
    if (!forms::msgBoxServiceInstalled()) {
        // A host without display services: the message goes to the error
        // stream instead of a box, and nothing is thrown.
        std::fprintf(stderr, "%s: %s\n", title.c_str(), prompt.c_str());
        return forms::vbOK;
    }
    return forms::MsgBox(prompt, flags, title);
}

quillon::ClsLanguageText* TextsForMessage()
{
    try {
        return &textLib();
    } catch (const rt::RuntimeError& missing) {
        // No text can be built without the tables: the text object's own
        // error names the table it could not find.
        forms::screen().MousePointer(0);
        ShowLibraryMessage(missing.description(), forms::vbExclamation, std::string());
        return nullptr;
    }
}

void ReportError(std::int32_t number, const std::string& description)
{
    forms::screen().MousePointer(0);
    quillon::ClsLanguageText* found = number != 0 ? TextsForMessage() : nullptr;
    if (found == nullptr) {
        closeLibraryFile();
        return;
    }
    quillon::ClsLanguageText& texts = *found;
    const LibraryState& state = libraryState();

    const std::string kindText = texts.GetText(state.FileTypeText);
    const std::string kindPart = kindText.empty() ? std::string() : " (" + kindText + ") ";
    const std::string readErrorText =
        texts.GetText(rt::Variant(TextNo(140000)), pathReplacement(state.CurrentFilePath)) + "\r\r" +
        kindPart;
    const std::string missingFileText =
        texts.GetText(rt::Variant(TextNo(140160)), pathReplacement(state.CurrentFilePath));

    if (number != 0) {
        const std::string title = MessageTitle(texts);
        const std::int32_t flags = texts.MessageBoxFlags();
        const std::string& message = number == kFileNotFound   ? missingFileText
                                     : number == kInputPastEnd ? readErrorText
                                                               : description;
        ShowLibraryMessage(message, flags | (number == kFileNotFound ? forms::vbExclamation : forms::vbCritical), title);
    }

    closeLibraryFile();
}

void ReportError(const rt::RuntimeError& error)
{
    ReportError(error.number(), error.description());
}

std::string MemberErrorText(const std::string& member, const rt::RuntimeError& error)
{
    const int number = error.number();
    const bool named = error.description().find(member) != std::string::npos;
    if (number == kFileNotFound || number == kInputPastEnd || named) return error.description();
    return member + ": " + error.description();
}

namespace {

// The error being handled, reported; every description but a file message of
// a run-time error after `member` and a colon, when a member is given.
void reportCurrent(const std::string& member)
{
    const std::exception_ptr current = std::current_exception();
    if (!current) {
        ReportError(0, std::string());
        return;
    }
    const auto named = [&](const std::string& description) {
        return member.empty() ? description : member + ": " + description;
    };
    try {
        std::rethrow_exception(current);
    } catch (const forms::WrongThreadError&) {
        throw;  // a call from the wrong thread is refused, not reported
    } catch (const rt::RuntimeError& error) {
        ReportError(error.number(), member.empty() ? error.description() : MemberErrorText(member, error));
    } catch (const std::bad_alloc&) {
        ReportError(7, named(rt::errorDescription(7)));
    } catch (const std::exception& error) {
        ReportError(kInternalError, named(error.what()));
    } catch (...) {
        ReportError(kInternalError, named(rt::errorDescription(kInternalError)));
    }
}

}  // namespace

void ReportError() { reportCurrent(std::string()); }

void ReportMemberError(const std::string& member) { reportCurrent(member); }

void ReportMemberErrorQuietly(const std::string& member)
{
    try {
        reportCurrent(member);
    } catch (const forms::WrongThreadError&) {
        throw;
    } catch (...) {
        // The report of an error cannot be reported in turn.
    }
}

void RaiseMemberError(const std::string& member)
{
    try {
        throw;
    } catch (const rt::RuntimeError& error) {
        rt::raise(error.number(), MemberErrorText(member, error));
    }
}

rt::Variant CheckFileMissing(const std::string& path, bool quiet)
{
    // Taken literally: "*" and "?" are ordinary characters of a file name
    // here, and any regular file counts, also one whose name starts with a
    // dot.
    bool found = false;
    try {
        found = rt::fileExists(path);
    } catch (const std::exception&) {
        found = false;
    }
    if (found) return rt::Variant(false);

    forms::screen().MousePointer(0);
    quillon::ClsLanguageText* textObject = quiet ? nullptr : TextsForMessage();
    if (textObject != nullptr) {
        LibraryState& state = libraryState();
        quillon::ClsLanguageText& texts = *textObject;
        // A kind that gives no text (or none that can be read) names the
        // box with the general message title.
        bool kindUsable = false;
        try {
            kindUsable = !texts.GetText(state.FileTypeText).empty();
        } catch (const rt::RuntimeError&) {
            kindUsable = false;
        }
        if (!kindUsable) state.FileTypeText = rt::Variant(TextNo(5));
        try {
            const std::string prompt = texts.GetText(rt::Variant(TextNo(140160)), pathReplacement(path));
            const std::string title = texts.GetText(state.FileTypeText);
            ShowLibraryMessage(prompt, texts.MessageBoxFlags() | forms::vbExclamation, title);
        } catch (const rt::RuntimeError&) {
            // A message that cannot be built is not shown; the file is
            // still missing.
        }
    }
    return rt::Variant(true);
}

std::int16_t OpenFileByMode(const std::string& path, std::int16_t mode, std::int16_t fileNumber,
                            std::int16_t display, forms::Form* form)
{
    SetFileTypeText(path);

    const bool reading = mode == InputMode || mode == GetRandomMode;
    const bool writing = mode == OutputMode || mode == PutRandomMode;
    // A mode that opens nothing is a failure, not a success.
    if (!reading && !writing) return -1;
    if (fileNumber != 1) rt::raise(kBadFileNumber);

    if (reading && CheckFileMissing(path, false).toBool()) {
        if (display > 0 && form != nullptr) form->Unload();
        return -1;
    }

    if (display > 0 && display != NotDisplay)
        StartWait(form, reading ? kWaitReading : kWaitSaving, nullptr);

    rt::DataChannel& channel = libraryFileChannel();
    switch (mode) {
    case InputMode: channel.openInput(path); break;
    case OutputMode: channel.openOutput(path); break;
    default: channel.openRandom(path, true); break;
    }
    return 0;
}

void RaiseArgumentError(std::int32_t number, const std::string& member, const std::string& argument)
{
    std::string description = member + ": " + argument;
    try {
        const std::vector<rt::Variant> names = {rt::Variant("|1"), rt::Variant(member), rt::Variant("|2"),
                                                rt::Variant(argument)};
        description = textLib().GetText(rt::Variant(TextNo(140324)), names);
    } catch (const rt::RuntimeError&) {
        // Without the text the names alone still say where.
    }
    rt::raise(number, description);
}

float SingleArgument(const rt::VArray& array, std::int32_t index, const std::string& member,
                     const std::string& argument)
{
    const float value = ArgumentElement(array, index, member, argument, &rt::Variant::toSingle);
    // NaN and the infinities are no measure either.
    if (!std::isfinite(value)) RaiseArgumentError(6, member, argument + "(" + std::to_string(index) + ")");
    return value;
}

std::int16_t IntegerArgument(long long value, const std::string& member, const std::string& argument)
{
    if (value < -32768 || value > 32767) RaiseArgumentError(6, member, argument);
    return static_cast<std::int16_t>(value);
}

std::string AddBackslash(const std::string& path)
{
    // A stored path may still end in the other platform's separator.
    if (!path.empty() && (path.back() == '/' || path.back() == '\\')) return path;
    return path + rt::pathSeparator();
}

std::string MessageTitle(const quillon::ClsLanguageText& texts)
{
    const std::string& program = forms::app().Title;
    return program.empty() ? texts.GetText(rt::Variant(TextNo(5))) : program;
}

}  // namespace halvex
