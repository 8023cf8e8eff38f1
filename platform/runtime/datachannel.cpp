#include "platform/runtime/datachannel.h"

#include "platform/runtime/errors.h"

namespace rt {

void DataChannel::openInput(const std::string& path) {
    if (isOpen()) raise(55);
    reader_.open(path);
    mode_ = Mode::Input;
    path_ = path;
}

void DataChannel::openOutput(const std::string& path) {
    if (isOpen()) raise(55);
    writer_.open(path, TextWriter::Mode::Output);
    mode_ = Mode::Output;
    path_ = path;
}

void DataChannel::openAppend(const std::string& path) {
    if (isOpen()) raise(55);
    writer_.open(path, TextWriter::Mode::Append);
    mode_ = Mode::Append;
    path_ = path;
}

void DataChannel::openRandom(const std::string& path, bool forWrite) {
    if (isOpen()) raise(55);
    records_.open(path, forWrite);
    mode_ = Mode::Random;
    path_ = path;
}

TextReader& DataChannel::reader() {
    if (!isOpen()) raise(52);
    if (mode_ != Mode::Input) raise(54);
    return reader_;
}

TextWriter& DataChannel::writer() {
    if (!isOpen()) raise(52);
    if (mode_ != Mode::Output && mode_ != Mode::Append) raise(54);
    return writer_;
}

RecordFile& DataChannel::records() {
    if (!isOpen()) raise(52);
    if (mode_ != Mode::Random) raise(54);
    return records_;
}

void DataChannel::close() {
    const Mode mode = mode_;
    mode_ = Mode::Closed;
    path_.clear();
    switch (mode) {
    case Mode::Input: reader_.close(); break;
    case Mode::Output:
    case Mode::Append: writer_.close(); break;
    case Mode::Random: records_.close(); break;
    case Mode::Closed: break;
    }
}

void DataChannel::reset() {
    try {
        close();
    } catch (const RuntimeError&) {
        // A test fixture only wants the channel closed.
    }
}

DataChannel& dataChannel() {
    static DataChannel channel;
    return channel;
}

}  // namespace rt
