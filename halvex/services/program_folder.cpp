#include "halvex/services/program_folder.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>

namespace halvex {

std::string LibraryFolder()
{
    std::filesystem::path file;
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&LibraryFolder), &info) != 0 && info.dli_fname != nullptr &&
        info.dli_fname[0] != '\0') {
        file = info.dli_fname;
    } else {
        std::error_code ec;
        file = std::filesystem::read_symlink("/proc/self/exe", ec);
    }
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(file, ec);
    if (!ec) file = absolute;
    std::string folder = file.parent_path().string();
    if (folder.empty()) return std::string("./");
    if (folder.back() != '/') folder.push_back('/');
    return folder;
}

std::string ProgramFolder()
{
    const std::string library = LibraryFolder();
    std::error_code ec;
    if (std::filesystem::is_directory(library + "language", ec)) return library;
#ifdef OH_PROGDIR_FROM_LIBDIR
    std::filesystem::path installed = std::filesystem::path(library) / OH_PROGDIR_FROM_LIBDIR;
    installed = installed.lexically_normal();
    if (std::filesystem::is_directory(installed / "language", ec)) {
        std::string folder = installed.string();
        if (folder.back() != '/') folder.push_back('/');
        return folder;
    }
#endif
    return library;
}

}  // namespace halvex
