#include "platform/runtime/recordfile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "platform/runtime/errors.h"
#include "platform/runtime/io_errors.h"
#include "platform/runtime/write_faults.h"

namespace rt {

namespace {

constexpr std::size_t kMaxStringLength = RecordFile::kRecordLength - 2;

}  // namespace

RecordFile::~RecordFile() {
    if (fd_ >= 0) ::close(fd_);
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
}

void RecordFile::close() {
    if (fd_ < 0) return;
    ::close(fd_);
    fd_ = -1;
    forWrite_ = false;
}

std::int64_t RecordFile::offsetOf(std::int32_t rec) const {
    if (fd_ < 0) raise(52);
    if (rec < 1) raise(63);
    return (static_cast<std::int64_t>(rec) - 1) * kRecordLength;
}

void RecordFile::readAt(std::int32_t rec, unsigned char* bytes, std::size_t size) {
    const std::int64_t offset = offsetOf(rec);
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

void RecordFile::writeAt(std::int32_t rec, const unsigned char* bytes, std::size_t size) {
    const std::int64_t offset = offsetOf(rec);
    if (!forWrite_) raise(75);
    if (const int fault = injectedWriteFault(path_)) detail::raiseWriteError(fault);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t put = ::pwrite(fd_, bytes + done, size - done, static_cast<off_t>(offset) +
                                                                        static_cast<off_t>(done));
        if (put < 0) {
            if (errno == EINTR) continue;
            detail::raiseWriteError(errno);
        }
        done += static_cast<std::size_t>(put);
    }
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

std::int64_t RecordFile::fileLength() const {
    if (fd_ < 0) raise(52);
    struct stat info {};
    if (::fstat(fd_, &info) != 0) raise(57);
    return static_cast<std::int64_t>(info.st_size);
}

std::int32_t RecordFile::recordCount() const {
    const std::int64_t records = (fileLength() + kRecordLength - 1) / kRecordLength;
    return records > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(records);
}

}  // namespace rt
