#pragma once

#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <stdexcept>
#include <string>

namespace tav::test {

// A fresh directory under the temporary directory with `subdirs` in it, removed with
// everything in it at the end.
struct TempDir {
    explicit TempDir(std::initializer_list<const char*> subdirs = {}) {
        std::string pattern = (std::filesystem::temp_directory_path() / "tav-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path = pattern;
        for (const char* sub : subdirs)
            std::filesystem::create_directories(path / sub);
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::filesystem::path path;
};

} // namespace tav::test
