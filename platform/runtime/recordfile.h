// Random-access data files of 128-byte records numbered from 1. A value
// sits at the start of its record, little-endian: an Integer as 2 bytes, a
// Single as 4 bytes (IEEE), a String as a 2-byte length and one byte per
// character. Only the value's own bytes are written; the rest of the record
// keeps what it held.
#pragma once

#include <cstdint>
#include <map>
#include <vector>
#include <string>
#include <string_view>

namespace rt {

class RecordFile {
public:
    static constexpr std::int32_t kRecordLength = 128;

    RecordFile() = default;
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;
    ~RecordFile();

    // Opens for reading only (error 53 when missing), or for reading and
    // writing (the file is created when missing). Error 76 when the folder
    // does not exist, 70 without permission.
    void open(const std::string& path, bool forWrite);
    bool isOpen() const { return fd_ >= 0; }
    // Writes what is still gathered and closes; harmless when not open.
    // The file is closed even when the written values could not be put on
    // disk (error 61 for a full disk, 57 otherwise).
    void close();

    // Values of record rec (1, 2, ...); error 63 for rec < 1. A record past
    // the end of the file reads as 0, 0.0 or "". getString raises error 59
    // when the stored length does not fit the record.
    std::int16_t getInteger(std::int32_t rec);
    float getSingle(std::int32_t rec);
    std::string getString(std::int32_t rec);

    // Writes at the start of record rec; writing past the end extends the
    // file (the gap reads as zeros). Error 75 on a file opened for reading,
    // 59 when the string is longer than the record allows (126 bytes), 61 or
    // 57 when the write fails.
    void putInteger(std::int32_t rec, std::int16_t value);
    void putSingle(std::int32_t rec, float value);
    void putString(std::int32_t rec, std::string_view value);

    // Number of records, the last one possibly partial (length / 128
    // rounded up).
    std::int32_t recordCount() const;
    // Cuts the file (opened for writing) to length bytes, values written
    // and not yet on disk included.
    void truncate(std::int64_t length);
    // Length of the file in bytes.
    std::int64_t fileLength() const;

private:
    std::int64_t offsetOf(std::int32_t rec) const;
    // Reads up to size bytes at the record start; bytes past the end are 0.
    void readAt(std::int32_t rec, unsigned char* bytes, std::size_t size);
    void writeAt(std::int32_t rec, const unsigned char* bytes, std::size_t size);

    // Written values are gathered in blocks of kBlockSize bytes, written
    // out when the file is closed (or when more than kMaxBlocks gather).
    static constexpr std::size_t kBlockSize = 64 * 1024;
    static constexpr std::size_t kMaxBlocks = 256;
    void flush();
    std::vector<unsigned char>& block(std::int64_t index);
    // Reads from the file itself; bytes past its end are 0.
    void readFromFile(std::int64_t offset, unsigned char* bytes, std::size_t size);

    int fd_ = -1;
    bool forWrite_ = false;
    std::string path_;
    std::int64_t length_ = 0;  // the length with the gathered values
    std::map<std::int64_t, std::vector<unsigned char>> blocks_;
    int flushErrno_ = 0;
};

}  // namespace rt
