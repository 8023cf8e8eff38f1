// A fresh folder under the system's temporary folder, removed afterwards,
// and the run-time error a statement raises.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/runtime/errors.h"

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "rt-test-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        dir_ = pattern + "/";
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    // The folder with its trailing "/".
    const std::string& dir() const { return dir_; }
    std::string path(const std::string& name) const { return dir_ + name; }

    std::string write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path(name), std::ios::binary) << bytes;
        return path(name);
    }
    std::string read(const std::string& name) const {
        std::ifstream in(path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    std::string dir_;
};

// Runs the statement and gives the run-time error number it raised (0 when
// it raised none), and its description where one is asked for.
template <class F>
int errorNumberOf(F&& statement, std::string* description = nullptr) {
    try {
        statement();
    } catch (const rt::RuntimeError& e) {
        if (description) *description = e.description();
        return e.number();
    }
    return 0;
}
