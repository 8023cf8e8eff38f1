// Error and file messages: the one way the family reports a file or run-time
// error (a message box naming the file and, where known, its kind), the
// existence test with its missing-file message, the library's one routine
// that opens a data or settings file, and the completion of folder paths.
//
// The messages name the library-wide CurrentFilePath and FileTypeText:
// callers set the path (ClsValmor::Prod) before they touch a file, and
// SetFileTypeText sets the kind from the path.
#pragma once

#include <cstdint>
#include <string>

#include "platform/runtime/errors.h"
#include "platform/runtime/variant.h"

namespace forms {
class Form;
}
namespace quillon {
class ClsLanguageText;
}

namespace halvex {

// The common error report that every error handler ends in. Sets the mouse
// pointer back to the arrow, then by error number:
// - 53 (file not found): text 140160 with CurrentFilePath, exclamation icon;
// - 62 (input past end of file): text 140000 with CurrentFilePath, two CR
//   and " (" kind ") " when FileTypeText gives a text, critical icon;
// - any other non-zero number: the error's description, critical icon;
// - 0: no message.
// Every box is titled with text 5. Finally the library's file 1 is closed
// (a failure to close is ignored). A failure of the text object while the
// message is built passes to the caller.
void ReportError(std::int32_t number, const std::string& description);
void ReportError(const rt::RuntimeError& error);
// The error being handled: call it inside a catch block. An rt::RuntimeError
// is reported by its number; another exception by its message as an error
// without a number of its own; outside a handler it is error 0.
void ReportError();

// The library's text object for a message. Without its text tables (no
// program folder) the object cannot be made: the missing table is reported
// with the text object's own description, which names it, and nullptr
// comes back, so that every member that needs a file of the program folder
// reports the same missing file instead of failing with error 53 or not at
// all.
quillon::ClsLanguageText* TextsForMessage();

// Shows a message of the library: a box through the forms layer's message
// service, or, in a host without display services, a line on the error
// stream (vbOK comes back); nothing is thrown for the missing service.
std::int32_t ShowLibraryMessage(const std::string& prompt, std::int32_t flags, const std::string& title);

// The title of the library's error and file messages: the program's name
// (forms::app().Title), or "Message" (text 5) for a host that set none.
std::string MessageTitle(const quillon::ClsLanguageText& texts);

// The error being handled (call it inside a catch block) as a member of the
// library reports it: as ReportError() does, but a run-time error other than
// the file messages (53, 62) is shown after the member's name
// ("ClsValmor.ShowGroupList: Subscript out of range"), unless its
// description names the member already, so that no bare "Overflow" reaches
// the user.
// Any other exception (a fault of the library itself) is shown the same
// way, after the member's name.
void ReportMemberError(const std::string& member);

// ReportMemberError for the handlers that return to the host whatever
// happens: a report that itself fails is dropped.
void ReportMemberErrorQuietly(const std::string& member);

// The text a member's run-time error is shown with: the description after
// the member's name ("ClsShowDialog.CopyWMFile: Division by zero"), unless
// it names the member already or the error is one of the file messages (53,
// 62), which name their file.
std::string MemberErrorText(const std::string& member, const rt::RuntimeError& error);

// For a member that passes its errors to the caller: call it inside a catch
// block. The run-time error being handled is raised again with its number
// and MemberErrorText, so that what the host shows says which member failed;
// another exception is raised again as it is.
[[noreturn]] void RaiseMemberError(const std::string& member);

// Runs `body` as the member `member` that passes its errors to the caller:
// a run-time error comes out as RaiseMemberError raises it.
template <class Body>
decltype(auto) AsMember(const std::string& member, Body&& body)
{
    try {
        return body();
    } catch (const rt::RuntimeError&) {
        RaiseMemberError(member);
    }
}

// True when no regular file exists at `path`, taken literally ("*" and "?"
// are ordinary characters; a folder, an empty path or a path that cannot be
// looked up count as missing). For a missing file the mouse pointer is set
// back to the arrow and, unless `quiet`, the missing-file message (text
// 140160 with the path, exclamation icon) is shown, titled with the file's
// kind; an empty kind is first set to text 5. Never raises a run-time error.
rt::Variant CheckFileMissing(const std::string& path, bool quiet);

// Opens `path` on the library's data-file channel (file number 1, the only
// number the library has: another number raises error 52). Sets the file
// kind from the path. InputMode and GetRandomMode first test that the file
// exists: a missing file gives the missing-file message, unloads `form`
// when `display` is positive and a form is given, and returns -1 without
// opening anything. OutputMode creates or empties the file; both random
// modes open for reading and writing with 128-byte records. A positive
// `display` other than 7 (NotDisplay) fills `form` as a wait window (the
// reading text for the input modes, the saving text for the output modes).
// Returns 0 when the file was opened, -1 when it was missing or `mode` is
// not a FileOpenMode. Errors of the open itself (76 missing folder, 70 no
// permission, 55 channel busy) pass to the caller.
std::int16_t OpenFileByMode(const std::string& path, std::int16_t mode, std::int16_t fileNumber,
                            std::int16_t display, forms::Form* form);

// Raises `number` for a member called with a value it cannot take: the
// description (text 140324) names the member ("ClsDrawChart.DrawChart") and
// the argument, so that the message a host's user sees says where the
// caller went wrong instead of a bare "Overflow" or "Subscript out of
// range".
[[noreturn]] void RaiseArgumentError(std::int32_t number, const std::string& member, const std::string& argument);

// Element `index` of the caller's array argument `argument`, taken by
// `take` (a conversion of rt::Variant, &rt::Variant::toSingle): an element
// that is missing (9) or cannot be taken (13, 6) raises that error through
// RaiseArgumentError, naming the member and "argument(index)".
template <class T>
T ArgumentElement(const rt::VArray& array, std::int32_t index, const std::string& member,
                  const std::string& argument, T (rt::Variant::*take)() const)
{
    try {
        return (array.at(index).*take)();
    } catch (const rt::RuntimeError& error) {
        RaiseArgumentError(error.number(), member, argument + "(" + std::to_string(index) + ")");
    }
}
// The element as a finite Single, so for the margin arrays (NaN and the
// infinities raise error 6 naming the argument).
float SingleArgument(const rt::VArray& array, std::int32_t index, const std::string& member,
                     const std::string& argument);

// `value` as an Integer (int16) argument: error 6 outside -32768..32767
// through RaiseArgumentError.
std::int16_t IntegerArgument(long long value, const std::string& member, const std::string& argument);

// `path` with one trailing separator ("/") added unless it ends in one; ""
// gives "/".
std::string AddBackslash(const std::string& path);

}  // namespace halvex
