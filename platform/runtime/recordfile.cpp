#include "platform/runtime/recordfile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "platform/runtime/errors.h"
#include "platform/runtime/io_errors.h"
#include "platform/runtime/write_faults.h"

namespace rt {

namespace {

constexpr std::size_t kMaxStringLength = RecordFile::kRecordLength - 2;

}  // namespace

RecordFile::~RecordFile() {
    if (fd_ < 0) return;
    try {
        flush();
    } catch (const RuntimeError&) {
        // Nobody is left to tell.
    }
    ::close(fd_);
}

void RecordFile::open(const std::string& path, bool forWrite) {
    close();
    if (path.empty()) raise(75);
    if (forWrite) {
        if (const int fault = injectedWriteFault(path)) detail::raiseOpenError(fault, path);
    }
    const int flags = forWrite ? (O_RDWR | O_CREAT | O_CLOEXEC) : (O_RDONLY | O_CLOEXEC);
    const int fd = ::open(path.c_str(), flags, 0666);
    if (fd < 0) detail::raiseOpenError(errno, path);
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        ::close(fd);
        raise(75);
    }
    fd_ = fd;
    forWrite_ = forWrite;
    path_ = path;
    length_ = static_cast<std::int64_t>(info.st_size);
    blocks_.clear();
    flushErrno_ = 0;
}

void RecordFile::close() {
    if (fd_ < 0) return;
    int error = 0;
    try {
        flush();
    } catch (const RuntimeError&) {
        error = flushErrno_;
    }
    const bool closed = ::close(fd_) == 0;
    const int closeErrno = errno;
    fd_ = -1;
    forWrite_ = false;
    blocks_.clear();
    if (error != 0) detail::raiseWriteError(error);
    if (!closed && closeErrno != EINTR) detail::raiseWriteError(closeErrno);
}

void RecordFile::flush() {
    for (auto& [index, bytes] : blocks_) {
        const std::int64_t start = index * static_cast<std::int64_t>(kBlockSize);
        if (start >= length_) continue;
        const auto size = static_cast<std::size_t>(std::min<std::int64_t>(kBlockSize, length_ - start));
        std::size_t done = 0;
        while (done < size) {
            const ssize_t put = ::pwrite(fd_, bytes.data() + done, size - done,
                                         static_cast<off_t>(start) + static_cast<off_t>(done));
            if (put < 0) {
                if (errno == EINTR) continue;
                flushErrno_ = errno;
                blocks_.clear();
                detail::raiseWriteError(flushErrno_);
            }
            done += static_cast<std::size_t>(put);
        }
    }
    blocks_.clear();
}

std::vector<unsigned char>& RecordFile::block(std::int64_t index) {
    auto found = blocks_.find(index);
    if (found != blocks_.end()) return found->second;
    std::vector<unsigned char> bytes(kBlockSize, 0);
    readFromFile(index * static_cast<std::int64_t>(kBlockSize), bytes.data(), kBlockSize);
    return blocks_.emplace(index, std::move(bytes)).first->second;
}

void RecordFile::readFromFile(std::int64_t offset, unsigned char* bytes, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::pread(fd_, bytes + done, size - done, static_cast<off_t>(offset) +
                                                                       static_cast<off_t>(done));
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            raise(57);
        }
        done += static_cast<std::size_t>(got);
    }
    std::memset(bytes + done, 0, size - done);
}

std::int64_t RecordFile::offsetOf(std::int32_t rec) const {
    if (fd_ < 0) raise(52);
    if (rec < 1) raise(63);
    return (static_cast<std::int64_t>(rec) - 1) * kRecordLength;
}

void RecordFile::readAt(std::int32_t rec, unsigned char* bytes, std::size_t size) {
    const std::int64_t offset = offsetOf(rec);
    if (blocks_.empty()) return readFromFile(offset, bytes, size);
    // Written values not yet on disk are read from the blocks that hold them.
    std::size_t done = 0;
    while (done < size) {
        const std::int64_t at = offset + static_cast<std::int64_t>(done);
        const std::int64_t index = at / static_cast<std::int64_t>(kBlockSize);
        const auto within = static_cast<std::size_t>(at % static_cast<std::int64_t>(kBlockSize));
        const std::size_t part = std::min(size - done, kBlockSize - within);
        const auto found = blocks_.find(index);
        if (found != blocks_.end()) {
            std::memcpy(bytes + done, found->second.data() + within, part);
        } else {
            readFromFile(at, bytes + done, part);
        }
        done += part;
    }
}

void RecordFile::writeAt(std::int32_t rec, const unsigned char* bytes, std::size_t size) {
    const std::int64_t offset = offsetOf(rec);
    if (!forWrite_) raise(75);
    if (const int fault = injectedWriteFault(path_)) detail::raiseWriteError(fault);
    // Values are gathered in blocks and written when the file is closed: one
    // system call a value made a large file slow to write.
    std::size_t done = 0;
    while (done < size) {
        const std::int64_t at = offset + static_cast<std::int64_t>(done);
        const auto within = static_cast<std::size_t>(at % static_cast<std::int64_t>(kBlockSize));
        const std::size_t part = std::min(size - done, kBlockSize - within);
        std::vector<unsigned char>& target = block(at / static_cast<std::int64_t>(kBlockSize));
        std::memcpy(target.data() + within, bytes + done, part);
        done += part;
    }
    length_ = std::max(length_, offset + static_cast<std::int64_t>(size));
    if (blocks_.size() > kMaxBlocks) flush();
}

std::int16_t RecordFile::getInteger(std::int32_t rec) {
    unsigned char b[2];
    readAt(rec, b, sizeof b);
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(b[0] | (b[1] << 8)));
}

float RecordFile::getSingle(std::int32_t rec) {
    unsigned char b[4];
    readAt(rec, b, sizeof b);
    const std::uint32_t bits = static_cast<std::uint32_t>(b[0]) |
                               (static_cast<std::uint32_t>(b[1]) << 8) |
                               (static_cast<std::uint32_t>(b[2]) << 16) |
                               (static_cast<std::uint32_t>(b[3]) << 24);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::string RecordFile::getString(std::int32_t rec) {
    unsigned char b[kRecordLength];
    readAt(rec, b, sizeof b);
    const std::size_t length = static_cast<std::size_t>(b[0] | (b[1] << 8));
    if (length > kMaxStringLength) raise(59);
    return std::string(reinterpret_cast<const char*>(b + 2), length);
}

void RecordFile::putInteger(std::int32_t rec, std::int16_t value) {
    const auto bits = static_cast<std::uint16_t>(value);
    const unsigned char b[2] = {static_cast<unsigned char>(bits & 0xFF),
                                static_cast<unsigned char>(bits >> 8)};
    writeAt(rec, b, sizeof b);
}

void RecordFile::putSingle(std::int32_t rec, float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    const unsigned char b[4] = {
        static_cast<unsigned char>(bits & 0xFF), static_cast<unsigned char>((bits >> 8) & 0xFF),
        static_cast<unsigned char>((bits >> 16) & 0xFF), static_cast<unsigned char>(bits >> 24)};
    writeAt(rec, b, sizeof b);
}

void RecordFile::putString(std::int32_t rec, std::string_view value) {
    offsetOf(rec);
    if (value.size() > kMaxStringLength) raise(59);
    unsigned char b[kRecordLength];
    b[0] = static_cast<unsigned char>(value.size() & 0xFF);
    b[1] = static_cast<unsigned char>(value.size() >> 8);
    std::memcpy(b + 2, value.data(), value.size());
    writeAt(rec, b, value.size() + 2);
}

void RecordFile::truncate(std::int64_t length) {
    if (fd_ < 0) raise(52);
    if (!forWrite_) raise(75);
    if (length < 0) raise(5);
    if (::ftruncate(fd_, static_cast<off_t>(length)) != 0) detail::raiseWriteError(errno);
    length_ = length;
    // Gathered bytes past the new end are gone with it.
    for (auto it = blocks_.begin(); it != blocks_.end();) {
        const std::int64_t start = it->first * static_cast<std::int64_t>(kBlockSize);
        if (start >= length) {
            it = blocks_.erase(it);
            continue;
        }
        if (length - start < static_cast<std::int64_t>(kBlockSize))
            std::fill(it->second.begin() + (length - start), it->second.end(), 0);
        ++it;
    }
}

std::int64_t RecordFile::fileLength() const {
    if (fd_ < 0) raise(52);
    struct stat info {};
    if (::fstat(fd_, &info) != 0) raise(57);
    return std::max(static_cast<std::int64_t>(info.st_size), length_);
}

std::int32_t RecordFile::recordCount() const {
    const std::int64_t records = (fileLength() + kRecordLength - 1) / kRecordLength;
    return records > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(records);
}

}  // namespace rt
