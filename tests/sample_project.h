// The sample project's files as examples/raft/files.txt lists them (never a
// run's output lying beside them), taken from OH_SAMPLE_SOURCE when set.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace ohtest {

inline std::filesystem::path SampleSource() {
    const char* source = std::getenv("OH_SAMPLE_SOURCE");
    return source != nullptr && *source != '\0' ? source : std::filesystem::path(OH_SOURCE_DIR) / "examples" / "raft";
}

// Copies the sample's files into `target` (made when missing).
inline void CopySampleProject(const std::filesystem::path& target) {
    std::ifstream list(std::filesystem::path(OH_SOURCE_DIR) / "examples" / "raft" / "files.txt");
    if (!list) throw std::runtime_error("examples/raft/files.txt cannot be read");
    std::filesystem::create_directories(target);
    for (std::string name; std::getline(list, name);) {
        if (!name.empty() && name.back() == '\r') name.pop_back();
        if (!name.empty() && name.front() != '#')
            std::filesystem::copy_file(SampleSource() / name, target / name, std::filesystem::copy_options::overwrite_existing);
    }
}

}  // namespace ohtest
