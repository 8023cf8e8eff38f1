#include "outside/drovik/file_check.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include "platform/runtime/paths.h"

namespace drovik {

void ClsFileCheck::PrepareFile(const std::string& path, std::int16_t mode, std::int16_t /*one*/,
                               void* /*nothing*/, std::int16_t& failed) const {
    if (mode != 1 && mode != 3) {
        failed = 5;
        return;
    }
    const std::string found = rt::findFileCaseInsensitive(path);
    if (found.empty()) {
        failed = rt::directoryExists(rt::toNativePath(path)) ? 75 : 53;
        return;
    }
    const int fd = ::open(found.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        failed = errno == EACCES || errno == EPERM ? 70 : 75;
        return;
    }
    ::close(fd);
    failed = 0;
}

}  // namespace drovik
