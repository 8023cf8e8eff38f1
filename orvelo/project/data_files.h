// Opening and closing the program's data files, the status line of the
// running operation, and the one error exit of every data procedure and
// long operation.
//
// Every data file goes through file number 1, the program's one data-file
// channel (rt::dataChannel()). Before OpenDataFile the caller stores the
// file's full path in SharedServices().Prod(); the library's messages name
// that path and the file kind it derives from it.
//
// Written files never appear half-written: a file opened for output
// (halvex::OutputMode) or for random writing (halvex::PutRandomMode) is
// written to "<path>.tmp" (for random writing a copy of the existing file)
// and takes the place of the file only when CloseDataFile closes it without
// an error. HandleError, or a failed close, removes the temporary file and
// leaves the earlier file as it was.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <system_error>
#include <vector>

#include "platform/runtime/errors.h"
#include "platform/runtime/variant.h"

namespace orvelo {

// Opens path under fileNumber (always 1) in mode (halvex::FileOpenMode:
// 1 sequential input, 2 sequential output, 3 random read, 4 random write).
// The file kind of the path goes to SharedServices().TextInf(). For modes 1
// and 3 a missing file (its name looked up without regard to case) shows the
// library's missing-file message and gives -1 without opening anything;
// with a context above 0 (halvex::FileStat) it also stops the run
// (RunControl().RunState(3)) and advances the wait window by one step.
// Otherwise the status line of the running operation names the file and 0
// is returned. Errors of the file system (no permission, missing folder,
// file in use) are raised to the caller's error exit; a mode outside 1..4
// or a file number other than 1 is error 5 / 52.
std::int16_t OpenDataFile(const std::string& path, std::int16_t mode, std::int16_t fileNumber,
                          std::int16_t context);

// Closes fileNumber (always 1); returns 0. A file written since
// OpenDataFile now takes its place under its name; a failure to flush or to
// put it in place raises the run-time error (61 disk full, 57, 70, 75) and
// leaves the earlier file unchanged. Harmless when nothing is open.
std::int16_t CloseDataFile(std::int16_t fileNumber = 1);

// The status line of the running operation's wait window from kind
// (halvex::FileStat), the current path (Prod) and the current file kind
// (TextInf): kinds 1 to 3 the reading text, kind 4 the saving text, each
// followed by " (kind) " when a file kind is set; any other kind only the
// file kind. Nothing happens while no operation runs.
void ShowFileStatus(std::int16_t kind);

// The error exit: reports the error in flight (call it inside a catch
// block; outside one there is nothing to report) through the library's
// error message (a file error that names no file is named after the file
// open on file number 1), then closes file number 1, dropping a file being written,
// whatever happens. The run state is not changed.
void HandleError();

// A file error whose description already names the file (or folder) at
// fault and the cause: the error exits and raiseReadError pass it on as it
// is, never naming another file in its place.
class FileFault : public rt::RuntimeError {
public:
    using rt::RuntimeError::RuntimeError;
};
[[noreturn]] void raiseFileFault(int number, std::string description);
// Error 75 for an entry of a file's name that is no regular file (a
// folder, a pipe, a device), naming it as such.
[[noreturn]] void raiseNotRegularFile(const std::string& path);

// Raise the run-time error `number` of a file at path with a message that
// names the file. Numbers 53 (file not found) and 62 (input past end of
// file) are raised as they are: the library's messages for them name the
// file of SharedServices().Prod(), which the caller has set to path. Any
// other number gets as its description the reading text (the file ends too
// early or holds a value that cannot be read) or the saving text followed
// by the standard description ("Disk full", ...); 70 for a file whose
// folder cannot be written says so (text 190061). Files of a staged output
// are named as ShownFilePath shows them.
[[noreturn]] void raiseReadError(int number, const std::string& path);
[[noreturn]] void raiseWriteError(int number, const std::string& path);
// The reading error of a run-time error raised while the file at path was
// read: a description that holds "|1" (a fault the reader told, such as a
// count past 32767) keeps it, with the file named there; any other is
// raiseReadError(error.number(), path). Number 70 says that reading is not
// permitted, number 7 that the file is larger than its counts can need.
[[noreturn]] void raiseReadError(const rt::RuntimeError& error, const std::string& path);
// The text textNo with its replacement pairs, "|1" left for the file that
// raiseReadError names: the description of a fault a reader tells.
std::string FileFaultText(std::int32_t textNo, std::vector<rt::Variant> pairs);
// Error 70 for the file at path whose folder cannot be written (text 190061
// names both).
[[noreturn]] void raiseFolderNotWritable(const std::string& path);

// Copies the file source to target (created or emptied). A failure to read
// source raises its reading error, a failure to write target (61 for a
// full disk) its saving error, after target has been removed. A source
// that turns out larger than largest bytes raises error 7 (larger than its
// counts can need) with target removed. stopRequested, when given, is
// asked before every MiB: true removes target and returns false. True when
// the copy is complete.
bool CopyDataFile(const std::string& source, const std::string& target,
                  std::uint64_t largest = UINT64_MAX, const std::function<bool()>& stopRequested = {});

// The run-time error number of a failed file-system call: 61 disk full, 70
// permission denied, 76 path not found, 57 device I/O error, else 75.
int fileSystemErrorNumber(const std::error_code& ec);

// Tests only: closes file number 1 and drops a file being written, without
// any message.
void resetDataFiles();

}  // namespace orvelo
