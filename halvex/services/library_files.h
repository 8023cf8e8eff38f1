// The library's own text files (Firma, STEU, Units, the graphic settings
// files): one way to read and write them and to report what went wrong with
// one of them, naming it.
//
// Reading takes CR, LF and CR LF line ends and drops a leading UTF-8
// byte-order mark (the run time's text reader does). Only a regular file is
// opened: a folder, pipe or device of that name is refused with a message
// naming it, so that nothing waits for a writer that never comes.
#pragma once

#include <functional>
#include <string>

#include "platform/runtime/errors.h"
#include "platform/runtime/textfile.h"

namespace halvex {

// Reports a run-time error met on the library's file `path` (the message
// names it, with the file's kind when FileTypeText gives one; every box is
// titled with text 5):
// - 53 and 76 (the file or its folder is missing): the missing-file message
//   140160;
// - 62 (the file ends early): the read-error message 140000;
// - a value that does not convert (13, 6): 140000 and the error's
//   description; any other error while reading (not a regular file, no
//   permission): 140321 and the description;
// - any error while writing: 140320 and the description.
// CurrentFilePath is set to `path`; the library's file 1 is closed.
enum class FileAccess { Reading, Writing };
void ReportFileError(const rt::RuntimeError& error, const std::string& path, FileAccess access);

// Reads `path` through the library's file 1 with `read`. A missing file is
// quiet (false, nothing read): the caller's defaults stand. Any fault (not a
// regular file, cannot be opened, ends early, a value of the wrong kind) is
// reported with ReportFileError and gives false; what `read` took before the
// fault stays with the caller. True when `read` ran to its end.
bool ReadLibraryFile(const std::string& path, const std::function<void(rt::TextReader&)>& read);

// Writes `path` through the library's file 1: `write` fills "<target>.tmp"
// beside the file a symbolic link at `path` leads to (SaveTarget), which
// takes the target's place, with its mode, only after a clean close, so a
// failed save (a full disk, a folder without write access) leaves the old
// file whole and a link stays a link.
// On a failure the temporary file is removed, the failure reported with
// ReportFileError and false returned.
bool WriteLibraryFile(const std::string& path, const std::function<void(rt::TextWriter&)>& write);

// Where a save of `path` goes: the file that the symbolic link at `path`
// leads to (through every link), else `path` itself.
std::string SaveTarget(const std::string& path);

// Renames `temporary` over `target`, giving it first the mode of the file it
// replaces (a new file keeps the mode it was made with); error 75 on failure.
void ReplaceKeepingMode(const std::string& temporary, const std::string& target);

// Error 75 naming `path` when something other than a regular file (a folder,
// a pipe, a device) is at `path`; nothing at all passes.
void RequireRegularFileOrNothing(const std::string& path);

}  // namespace halvex
