#pragma once

#include "fuzz/FuzzCheck.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

namespace tav::fuzz {

// A scratch directory for the files a target reads and writes, made on first use and
// removed at exit. It lives in /dev/shm when there is one: the programs flush every file
// they save, which costs a disk write per run elsewhere.
inline const std::filesystem::path& ScratchDir(std::string_view purpose) {
    namespace fs = std::filesystem;
    // Never destroyed, so the removal at exit can still read it.
    static const fs::path* const dir = [purpose] {
        const fs::path base =
            fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        std::string pattern = (base / ("tav-" + std::string(purpose) + "-XXXXXX")).string();
        FUZZ_CHECK(::mkdtemp(pattern.data()) != nullptr, "scratch directory");
        std::atexit([] { fs::remove_all(ScratchDir({})); });
        return new fs::path(pattern);
    }();
    return *dir;
}

} // namespace tav::fuzz
