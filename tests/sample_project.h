// The sample project as the repository holds it: the files that
// examples/raft/files.txt lists, never whatever else lies in that folder (a
// run's output: RAFT_Adaptive.*, RAFT.GH1). OH_SAMPLE_SOURCE, when set,
// names the folder the files are taken from instead of examples/raft.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace ohtest {

inline std::filesystem::path SampleSource() {
    const char* source = std::getenv("OH_SAMPLE_SOURCE");
    if (source != nullptr && *source != '\0') return source;
    return std::filesystem::path(OH_SOURCE_DIR) / "examples" / "raft";
}

// The names of the sample's files, in the order of the list.
inline std::vector<std::string> SampleFiles() {
    std::ifstream list(std::filesystem::path(OH_SOURCE_DIR) / "examples" / "raft" / "files.txt");
    if (!list) throw std::runtime_error("examples/raft/files.txt cannot be read");
    std::vector<std::string> names;
    for (std::string line; std::getline(list, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line.front() != '#') names.push_back(line);
    }
    return names;
}

// Copies the sample's files into `target` (made when missing).
inline void CopySampleProject(const std::filesystem::path& target) {
    std::filesystem::create_directories(target);
    const std::filesystem::path source = SampleSource();
    for (const std::string& name : SampleFiles())
        std::filesystem::copy_file(source / name, target / name, std::filesystem::copy_options::overwrite_existing);
}

}  // namespace ohtest
