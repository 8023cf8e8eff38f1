#include "platform/runtime/textfile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>

#include "platform/runtime/errors.h"
#include "platform/runtime/io_errors.h"
#include "platform/runtime/write_faults.h"
#include "platform/runtime/numbertext.h"
#include "platform/runtime/rounding.h"
#include "platform/runtime/strings.h"

namespace rt {

// ---- TextWriter -----------------------------------------------------------

namespace {

// The text of one value in a write statement.
std::string writtenForm(const Variant& value) {
    switch (value.type()) {
    case VarType::Empty: return std::string();
    case VarType::Missing: raise(449);
    case VarType::Integer:
    case VarType::Long:
    case VarType::Single:
    case VarType::Double: return value.toString();
    case VarType::Boolean: return value.toBool() ? "#TRUE#" : "#FALSE#";
    case VarType::String: {
        const std::string text = value.toString();
        if (text.find('"') != std::string::npos)
            raise(5, "A text written to a data file may not hold a double quote: " + text);
        return '"' + text + '"';
    }
    case VarType::Array: break;
    }
    raise(13);
}

template <class Range>
std::string statementLine(const Range& values) {
    std::string line;
    bool first = true;
    for (const Variant& value : values) {
        if (!first) line += ',';
        line += writtenForm(value);
        first = false;
    }
    line += "\r\n";
    return line;
}

}  // namespace

TextWriter::~TextWriter() {
    if (file_) std::fclose(file_);
}

void TextWriter::open(const std::string& path, Mode mode) {
    close();
    if (path.empty()) raise(75);
    if (const int fault = injectedWriteFault(path)) detail::raiseOpenError(fault, path);
    std::FILE* file = std::fopen(path.c_str(), mode == Mode::Output ? "wb" : "ab");
    if (!file) detail::raiseOpenError(errno, path);
    file_ = file;
    path_ = path;
}

void TextWriter::writeValues(std::initializer_list<Variant> values) { put(statementLine(values)); }

void TextWriter::writeValues(const std::vector<Variant>& values) { put(statementLine(values)); }

void TextWriter::printLine(std::string_view text) {
    std::string line(text);
    line += "\r\n";
    put(line);
}

void TextWriter::print(std::string_view text) { put(text); }

void TextWriter::put(std::string_view bytes) {
    if (!file_) raise(52);
    if (const int fault = injectedWriteFault(path_)) detail::raiseWriteError(fault);
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
        detail::raiseWriteError(errno);
}

void TextWriter::close() {
    if (!file_) return;
    std::FILE* file = file_;
    file_ = nullptr;
    const bool flushed = std::fflush(file) == 0;
    const int flushErrno = errno;
    const bool closed = std::fclose(file) == 0;
    if (!flushed) detail::raiseWriteError(flushErrno);
    if (!closed) detail::raiseWriteError(errno);
}

// ---- TextReader -----------------------------------------------------------

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// The text as the reader takes it: a leading UTF-8 byte-order mark dropped
// and a CR that no LF follows (a file saved with CR line ends) made an LF;
// CR LF stays as it is. The byte count stays, but for the mark.
std::string asLfLines(std::string data) {
    if (data.compare(0, 3, "\xEF\xBB\xBF") == 0) data.erase(0, 3);
    for (std::size_t i = data.find('\r'); i != std::string::npos; i = data.find('\r', i + 1)) {
        if (i + 1 == data.size() || data[i + 1] != '\n') data[i] = '\n';
    }
    return data;
}

// -1 for #TRUE#, 0 for #FALSE#, 1 for anything else.
int booleanToken(const std::string& text) {
    const std::string word = ucase(text);
    if (word == "#TRUE#") return -1;
    if (word == "#FALSE#") return 0;
    return 1;
}

}  // namespace

void TextReader::open(const std::string& path) {
    close();
    if (path.empty()) raise(75);
    // Non-blocking, so that a pipe or device of that name is refused
    // instead of waiting for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) detail::raiseOpenError(errno, path);
    std::string data;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        raise(75, "Path/File access error: " + path + " is not a regular file");
    }
    if (static_cast<unsigned long long>(info.st_size) > kLargestTextFile) {
        ::close(fd);
        raise(7, "The file " + path + " is larger than any data file of a project can be.");
    }
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            raise(57);
        }
        data.append(buffer, static_cast<std::size_t>(got));
        if (data.size() > kLargestTextFile) {
            ::close(fd);
            raise(7, "The file " + path + " is larger than any data file of a project can be.");
        }
    }
    ::close(fd);
    data_ = asLfLines(std::move(data));
    pos_ = 0;
    open_ = true;
}

void TextReader::close() {
    data_.clear();
    data_.shrink_to_fit();
    pos_ = 0;
    open_ = false;
}

TextReader::Field TextReader::nextField(QuoteRule quotes) {
    if (!open_) raise(52);
    if (eof()) raise(62);
    while (pos_ < data_.size() && isBlank(data_[pos_])) ++pos_;
    Field field;
    std::size_t stop = 0;  // position of the delimiter (comma or LF), or the end
    const bool opensQuote = pos_ < data_.size() && data_[pos_] == '"';
    const bool doubled = quotes == QuoteRule::DoubledQuoteIsQuote;
    const std::size_t lineEnd = opensQuote && doubled ? std::min(data_.find('\n', pos_), data_.size()) : data_.size();
    if (opensQuote && (!doubled || data_.find('"', pos_ + 1) < lineEnd)) {
        field.quoted = true;
        std::size_t contentEnd = data_.find('"', pos_ + 1);
        if (contentEnd == std::string::npos) contentEnd = data_.size();
        if (contentEnd - pos_ > kLongestField) raise(13, "A value of the file is longer than any value can be");
        field.text = data_.substr(pos_ + 1, contentEnd - pos_ - 1);
        // Two quotes in a row stand for one quote, when the caller asks so.
        while (doubled && contentEnd + 1 < lineEnd && data_[contentEnd + 1] == '"') {
            const std::size_t next = data_.find('"', contentEnd + 2);
            if (next >= lineEnd) break;
            field.text += data_.substr(contentEnd + 1, next - contentEnd - 1);
            contentEnd = next;
        }
        stop = contentEnd == data_.size() ? contentEnd : data_.find_first_of(",\n", contentEnd + 1);
    } else {
        stop = data_.find_first_of(",\n", pos_);
        std::size_t end = stop == std::string::npos ? data_.size() : stop;
        if (end > pos_ && end < data_.size() && data_[end] == '\n' && data_[end - 1] == '\r') --end;
        while (end > pos_ && isBlank(data_[end - 1])) --end;
        if (end - pos_ > kLongestField) raise(13, "A value of the file is longer than any value can be");
        field.text = data_.substr(pos_, end - pos_);
    }
    pos_ = stop == std::string::npos || stop >= data_.size() ? data_.size() : stop + 1;
    return field;
}

double TextReader::numberOf(const Field& field) {
    if (field.text.empty()) return 0;
    if (!field.quoted) {
        const int token = booleanToken(field.text);
        if (token <= 0) return token;
    }
    double value = 0;
    if (!parseNumber(field.text, value))
        raise(13, "Type mismatch: \"" + field.text + "\" is not a number");
    return value;
}

std::int16_t TextReader::readInteger() { return CInt(numberOf(nextField())); }

std::int32_t TextReader::readLong() { return CLng(numberOf(nextField())); }

float TextReader::readSingle() {
    const Field field = nextField();
    if (field.text.empty()) return 0;
    if (!field.quoted) {
        const int token = booleanToken(field.text);
        if (token <= 0) return static_cast<float>(token);
    }
    float value = 0;
    if (!parseSingle(field.text, value))
        raise(13, "Type mismatch: \"" + field.text + "\" is not a number");
    return value;
}

double TextReader::readDouble() { return numberOf(nextField()); }

bool TextReader::readBool() {
    const Field field = nextField();
    if (field.text.empty()) return false;
    if (!field.quoted) {
        const int token = booleanToken(field.text);
        if (token <= 0) return token != 0;
    }
    return Variant(field.text).toBool();
}

bool TextReader::onlyBlankLinesLeft() const {
    for (std::size_t i = pos_; i < data_.size(); ++i) {
        const char c = data_[i];
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') return false;
    }
    return true;
}

std::string TextReader::readString(QuoteRule quotes) { return nextField(quotes).text; }

Variant TextReader::readVariant() {
    Field field = nextField();
    if (field.quoted) return Variant(std::move(field.text));
    if (field.text.empty()) return Variant();
    const int token = booleanToken(field.text);
    if (token <= 0) return Variant(token != 0);
    double value = 0;
    if (!parseNumber(field.text, value)) return Variant(std::move(field.text));
    if (std::trunc(value) == value) {
        if (value >= -32768.0 && value <= 32767.0) return Variant(static_cast<std::int16_t>(value));
        if (value >= -2147483648.0 && value <= 2147483647.0)
            return Variant(static_cast<std::int32_t>(value));
    }
    return Variant(value);
}

std::string TextReader::readLine() {
    if (!open_) raise(52);
    if (eof()) raise(62);
    const std::size_t lf = data_.find('\n', pos_);
    std::size_t end = lf == std::string::npos ? data_.size() : lf;
    if (lf != std::string::npos && end > pos_ && data_[end - 1] == '\r') --end;
    std::string line = data_.substr(pos_, end - pos_);
    pos_ = lf == std::string::npos ? data_.size() : lf + 1;
    return line;
}

void requireRoomFor(const TextReader& in, long long count, int valuesEach) {
    if (count < 0) raise(6);
    const long long room = static_cast<long long>(in.remainingBytes()) + 1;
    if (valuesEach > 0 && count > room / valuesEach) raise(62);
}

void requireFileEnd(const TextReader& in) {
    if (!in.onlyBlankLinesLeft())
        raise(13, "The file holds more values than its counts say (a value out of step, such as a "
                  "decimal comma or an extra value)");
}

void requireLineEnd(const TextReader& in) {
    if (!in.atLineStart())
        raise(13, "A line holds more values than it should (a value out of step, such as a decimal comma)");
}

float readCoordinate(TextReader& in) {
    const float value = in.readSingle();
    if (!std::isfinite(value)) raise(6);
    return value;
}

}  // namespace rt
