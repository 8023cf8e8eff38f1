#include "platform/runtime/io_errors.h"

#include <cerrno>

#include "platform/runtime/errors.h"
#include "platform/runtime/paths.h"

namespace rt::detail {

void raiseOpenError(int errnoValue, const std::string& path) {
    switch (errnoValue) {
    case ENOENT: {
        const std::string folder = directoryOf(path);
        raise(folder.empty() || directoryExists(folder) ? 53 : 76);
    }
    case ENOTDIR: raise(76);
    case EACCES:
    case EPERM:
    case EROFS: raise(70);
    case ENOSPC:
    case EDQUOT: raise(61);
    default: raise(75);
    }
}

void raiseWriteError(int errnoValue) {
    raise(errnoValue == ENOSPC || errnoValue == EDQUOT ? 61 : 57);
}

}  // namespace rt::detail
