#include "outside/drovik/run_control.h"

#include <filesystem>
#include <system_error>

#include "platform/runtime/paths.h"
#include "platform/runtime/strings.h"

namespace drovik {

void ClsRunControl::SplitProjectPath(const std::string& path, std::string& fullPath,
                                     std::string& dir, std::string& name,
                                     const std::string& extension, std::int16_t& failed) const {
    failed = 1;
    if (rt::trim(path).empty()) return;
    const std::string native = rt::toNativePath(path);
    const std::string fileName = rt::fileNameOf(native);
    const std::string baseName = rt::baseNameOf(native);
    if (fileName.empty() || baseName.empty() || fileName == "." || fileName == "..") return;

    std::string wanted = extension;
    if (!wanted.empty() && wanted.front() == '.') wanted.erase(0, 1);
    if (!wanted.empty() && rt::lcase(rt::extensionOf(fileName)) != rt::lcase(wanted)) return;

    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(native, ec);
    if (ec) return;
    const std::string full = absolute.lexically_normal().string();

    fullPath = full;
    dir = rt::directoryOf(full);
    name = rt::baseNameOf(full);
    failed = 0;
}

}  // namespace drovik
