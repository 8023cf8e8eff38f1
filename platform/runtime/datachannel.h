// The one data-file channel of a deliverable ("file number 1"): every
// data-file procedure opens its one file through it, and every error handler
// closes it. The program and the shared library each have their own.
#pragma once

#include <string>

#include "platform/runtime/recordfile.h"
#include "platform/runtime/textfile.h"

namespace rt {

class DataChannel {
public:
    enum class Mode { Closed, Input, Output, Append, Random };

    DataChannel() = default;
    DataChannel(const DataChannel&) = delete;
    DataChannel& operator=(const DataChannel&) = delete;

    // Each raises error 55 when a file is already open on the channel; the
    // errors of opening (53 missing input file, 76 missing folder, 70 no
    // permission, ...) leave the channel closed.
    void openInput(const std::string& path);
    void openOutput(const std::string& path);  // created or emptied
    void openAppend(const std::string& path);  // created when missing
    // Random access; forWrite creates the file when missing, otherwise a
    // missing file is error 53.
    void openRandom(const std::string& path, bool forWrite);

    bool isOpen() const { return mode_ != Mode::Closed; }
    Mode mode() const { return mode_; }
    // The path the open file was opened with ("" when closed).
    const std::string& path() const { return path_; }

    // The open file in its mode (reader: Input; writer: Output or Append;
    // records: Random): error 52 when nothing is open, 54 ("Bad file mode")
    // when the file is open in another mode.
    TextReader& reader();
    TextWriter& writer();
    RecordFile& records();

    // Closes the open file; harmless when nothing is open. The channel is
    // closed afterwards even when the written data could not be flushed,
    // which then raises error 61 (disk full) or 57.
    void close();

    // Closes whatever is open without reporting anything: for test fixtures
    // that start from a clean channel.
    void reset();

private:
    Mode mode_ = Mode::Closed;
    std::string path_;
    TextReader reader_;
    TextWriter writer_;
    RecordFile records_;
};

// The channel of this deliverable.
DataChannel& dataChannel();

}  // namespace rt
