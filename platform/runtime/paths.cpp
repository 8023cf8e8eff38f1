#include "platform/runtime/paths.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/runtime/strings.h"

namespace rt {

namespace {

std::size_t lastSeparator(std::string_view path) { return path.find_last_of("/\\"); }

}  // namespace

char pathSeparator() { return '/'; }

int syncToDisk(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    // A file system that cannot sync a folder says EINVAL: nothing to wait for.
    const int failure = ::fsync(fd) != 0 && errno != EINVAL ? errno : 0;
    ::close(fd);
    return failure;
}

std::string toNativePath(std::string_view path) {
    std::string out(path);
    std::replace(out.begin(), out.end(), '\\', '/');
    return out;
}

std::string directoryOf(std::string_view path) {
    const std::size_t sep = lastSeparator(path);
    return sep == std::string_view::npos ? std::string() : std::string(path.substr(0, sep + 1));
}

std::string fileNameOf(std::string_view path) {
    const std::size_t sep = lastSeparator(path);
    return std::string(sep == std::string_view::npos ? path : path.substr(sep + 1));
}

std::string baseNameOf(std::string_view path) {
    const std::string name = fileNameOf(path);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string extensionOf(std::string_view path) {
    const std::string name = fileNameOf(path);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

bool fileExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

bool directoryExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_directory(path, ec);
}

std::string findFileCaseInsensitive(const std::string& path) {
    const std::string native = toNativePath(path);
    if (fileExists(native)) return native;
    const std::string folder = directoryOf(native);
    const std::string wanted = lcase(fileNameOf(native));
    if (wanted.empty()) return std::string();
    std::error_code ec;
    std::filesystem::directory_iterator it(folder.empty() ? "." : folder, ec);
    std::vector<std::string> matches;
    for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (lcase(name) == wanted && fileExists(folder + name)) matches.push_back(name);
    }
    if (matches.empty()) return std::string();
    return folder + *std::min_element(matches.begin(), matches.end());
}

std::string projectFilePath(std::string_view dir, std::string_view name, std::string_view ext) {
    std::string path = toNativePath(dir);
    path += name;
    path += '.';
    const std::string found = findFileCaseInsensitive(path + std::string(ext));
    return found.empty() ? path + ucase(ext) : found;
}

}  // namespace rt
