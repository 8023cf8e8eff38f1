// Sequential data files: the write statement's comma-separated lines and the
// free-format input that reads them back (docs/runtime.md shows the format).
// Both work on 8-bit bytes exactly as they are in the file (project files
// are Windows-1252 text; convert at the user interface only).
#pragma once

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/variant.h"

namespace rt {

// Writes a file opened for output (created or emptied) or append. Lines end
// in CR LF. Write failures raise error 61 (disk full) or 57 at the write or
// at close().
class TextWriter {
public:
    enum class Mode { Output, Append };

    TextWriter() = default;
    TextWriter(const TextWriter&) = delete;
    TextWriter& operator=(const TextWriter&) = delete;
    ~TextWriter();  // closes; a failure here goes unreported, call close()

    // Error 76 when the folder does not exist, 70 without permission, 75 for
    // other refusals (a folder of that name, an empty path).
    void open(const std::string& path, Mode mode);
    bool isOpen() const { return file_ != nullptr; }

    // One write statement: the values separated by ",", the line ended by
    // CR LF. Strings in quotes, Booleans #TRUE#/#FALSE#, Integer and Long as
    // whole numbers, Single and Double in the shortest round-trip text,
    // Empty as nothing. Error 5 for a string holding a double quote (it
    // could not be read back), 6 for an infinite or NaN number, 13 for an
    // array, 449 for Missing; the line is checked before anything of it is
    // written.
    void writeValues(std::initializer_list<Variant> values);
    void writeValues(const std::vector<Variant>& values);
    // writeValues(count, x, true, "name"): each argument made a Variant.
    template <class... Values>
    void writeValues(const Values&... values) {
        writeValues(std::initializer_list<Variant>{Variant(values)...});
    }

    // A bare text line (the print statement): the text as it is, then CR LF.
    void printLine(std::string_view text);
    // The text as it is, without a line end (the print statement ended by
    // a semicolon).
    void print(std::string_view text);

    // Flushes and closes; error 61 or 57 when the data could not be written.
    // Harmless when not open.
    void close();

private:
    void put(std::string_view bytes);

    std::FILE* file_ = nullptr;
    std::string path_;
};

// The largest text data file a project can need: 32767 entries of the
// longest kind (an element of the net: nine values) with room to spare for
// every value. A larger file is refused by its size before it is read.
inline constexpr unsigned long long kLargestTextFile = 64ULL << 20;
// The longest value (a field between delimiters) the reader takes.
inline constexpr std::size_t kLongestField = 4096;

// Reads a file opened for input with the free-format rules of the input
// statement:
// - a value ends at a comma or at the line end (CR, LF or CR LF); blanks
//   and tabs around an unquoted value are skipped; a leading UTF-8
//   byte-order mark is dropped;
// - a quoted string ends at its closing quote (line ends inside are part of
//   it); whatever follows up to the comma or line end is skipped;
// - #TRUE# and #FALSE# are Booleans; numbers as parseNumber reads them;
// - an empty field (",," or a blank line) reads as 0, False or "";
// - the last value of a file without a final line end reads normally.
// Reading a value or line when nothing is left raises error 62. A field that
// is not a number read as a number raises error 13, as does a field longer
// than kLongestField.
class TextReader {
public:
    TextReader() = default;

    // Error 53 when the file does not exist, 76 when its folder does not,
    // 70 without permission, 75 for anything but a regular file (a folder,
    // a pipe, a device: never waited on), 7 for a file larger than
    // kLargestTextFile.
    void open(const std::string& path);
    bool isOpen() const { return open_; }
    void close();

    // Integer: a fractional number rounds half to even; error 6 out of range.
    std::int16_t readInteger();
    std::int32_t readLong();
    // Single: the text is rounded directly to the nearest float, so what
    // TextWriter wrote reads back bit-exact; error 6 beyond the float range.
    float readSingle();
    double readDouble();
    // #TRUE#/#FALSE#, "True"/"False" or a number (non-zero is True).
    bool readBool();
    // A quoted string without its quotes, or an unquoted field as it stands.
    // DoubledQuoteIsQuote (for texts that may hold a quote, such as a font
    // name): two quotes in a row inside a quoted field stand for one, and a
    // field whose closing quote is not on its line is taken unquoted, as it
    // stands, so that a bare text beginning with a quote reads whole.
    enum class QuoteRule { EndsAtQuote, DoubledQuoteIsQuote };
    std::string readString(QuoteRule quotes = QuoteRule::EndsAtQuote);
    // String (quoted or not a number), Boolean, Empty (empty field), or a
    // number: Integer or Long when whole and in range, else Double.
    Variant readVariant();

    // The rest of the current line without its line end (the line-input
    // statement); error 62 at the end of the file.
    std::string readLine();

    // True when nothing is left to read.
    bool eof() const { return pos_ >= data_.size(); }
    // True when at most blanks, tabs and line ends are left: the file ends
    // where its last value was read (trailing blank lines allowed).
    bool onlyBlankLinesLeft() const;
    // True when the last value read ended its line (or nothing was read).
    bool atLineStart() const { return pos_ == 0 || pos_ >= data_.size() || data_[pos_ - 1] == '\n'; }
    // The number of bytes not read yet.
    std::size_t remainingBytes() const { return pos_ < data_.size() ? data_.size() - pos_ : 0; }

private:
    struct Field {
        std::string text;  // unquoted: trimmed; quoted: the content
        bool quoted = false;
    };
    Field nextField(QuoteRule quotes = QuoteRule::EndsAtQuote);
    double numberOf(const Field& field);

    std::string data_;
    std::size_t pos_ = 0;
    bool open_ = false;
};

// Checks of a file read against its own counts. Every value of a file takes
// at least one byte (its delimiter), so a count of entries of valuesEach
// values each that the rest of the file cannot hold is refused before
// anything is sized by it: error 62 (the file ends too early).
void requireRoomFor(const TextReader& in, long long count, int valuesEach);

// The file ends where its counts say: only blank lines may follow the last
// value read; otherwise error 13 (a value out of step, such as a decimal
// comma or an extra value).
void requireFileEnd(const TextReader& in);

// The statement (line) ends with the last value read; otherwise error 13.
void requireLineEnd(const TextReader& in);

// A coordinate read as a Single: error 6 when it is not finite.
float readCoordinate(TextReader& in);

}  // namespace rt
