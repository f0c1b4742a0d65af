#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <string_view>

// A failure prints what broke and aborts, so libFuzzer saves the input as a crash.
#define FUZZ_CHECK(condition, what)                                                                \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "FUZZ_CHECK failed at %s:%d: %s (%s)\n", __FILE__, __LINE__,      \
                         what, #condition);                                                        \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

// For checks that read a whole screen after every step: their loops are left out of the
// coverage trace. Traced, they took most of a run's time, and every comparison in them
// counted as a feature of the input, so the corpus grew on the checks rather than on the
// code under test.
#define FUZZ_UNTRACED __attribute__((no_sanitize("coverage")))

namespace tav::fuzz {

// A scratch directory with `subdirs`, made on first use and removed at exit. It lives in
// /dev/shm when there is one: the programs flush every file they save.
inline const std::filesystem::path& ScratchDir(std::string_view purpose,
                                               std::initializer_list<std::string_view> subdirs) {
    namespace fs = std::filesystem;
    // Never destroyed, so the removal at exit can still read it.
    static const fs::path* const dir = [&] {
        const fs::path base =
            fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        std::string pattern = (base / ("tav-" + std::string(purpose) + "-XXXXXX")).string();
        FUZZ_CHECK(::mkdtemp(pattern.data()) != nullptr, "scratch directory");
        for (std::string_view sub : subdirs)
            fs::create_directories(fs::path(pattern) / sub);
        std::atexit([] { fs::remove_all(ScratchDir({}, {})); });
        return new fs::path(pattern);
    }();
    return *dir;
}

inline void WriteRaw(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A small xorshift generator: where the targets cut a stream.
inline std::uint32_t XorShift(std::uint32_t& state) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

} // namespace tav::fuzz
