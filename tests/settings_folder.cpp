// Every test program keeps the user's settings in a fresh folder of its own,
// removed when it ends: no test reads what another test or an earlier run
// saved, and none touches the user's real settings folder.
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace {

struct SettingsFolder {
    SettingsFolder() {
        path = (std::filesystem::temp_directory_path() / "oh-settings-XXXXXX").string();
        if (::mkdtemp(path.data()) == nullptr) throw std::runtime_error("no folder for the test's settings");
        setenv("OH_SETTINGS_DIR", path.c_str(), 1);
    }
    ~SettingsFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::string path;
};

const SettingsFolder folder;

}  // namespace
