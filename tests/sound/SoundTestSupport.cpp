#include "tests/sound/SoundTestSupport.h"

#include <chrono>
#include <cstdlib>
#include <thread>

namespace tav::test {

namespace fs = std::filesystem;

std::string SoundFixture(const char* name) {
    const char* root = std::getenv("TAV_SOURCE_DIR");
    return ReadFile(fs::path(root ? root : ".") / "tests/sound/data" / name);
}

bool WaitFor(const std::function<bool()>& pred, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

} // namespace tav::test
