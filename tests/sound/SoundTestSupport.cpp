#include "tests/sound/SoundTestSupport.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <thread>

namespace tav::test {

namespace fs = std::filesystem;

std::string SoundFixture(const char* name) {
    const char* root = std::getenv("TAV_SOURCE_DIR");
    return ReadFile(fs::path(root ? root : ".") / "tests/sound/data" / name);
}

std::string SquareWaveMod() {
    constexpr std::size_t kSampleBytes = 64;
    std::string mod(20, '\0'); // title
    for (int sample = 1; sample <= 31; ++sample) {
        std::string header(30, '\0'); // name, length, finetune, volume, loop
        if (sample == 1) {
            header[23] = kSampleBytes / 2; // length in words, big-endian
            header[25] = 64;               // volume
            header[29] = kSampleBytes / 2; // the loop is the whole sample
        }
        mod += header;
    }
    mod += '\x01'; // one position
    mod += '\x7F';
    mod += std::string(128, '\0'); // the order table: pattern 0
    mod += "M.K.";
    std::string pattern(64 * 4 * 4, '\0'); // 64 rows of four 4-byte cells
    const int period = 428;                // C-2
    pattern[0] = static_cast<char>(period >> 8);
    pattern[1] = static_cast<char>(period & 0xFF);
    pattern[2] = 0x10;          // sample 1, no effect
    pattern[3 * 16 + 2] = 0x0D; // row 3: pattern break, the end of the song
    mod += pattern;
    for (std::size_t i = 0; i < kSampleBytes; ++i)
        mod += static_cast<char>(i < kSampleBytes / 2 ? 100 : -100);
    return mod;
}

int Peak(const std::string& bytes, std::size_t from) {
    int peak = 0;
    for (std::size_t i = from; i + 1 < bytes.size(); i += 2)
        peak = std::max(peak, std::abs(static_cast<std::int16_t>(
                                  static_cast<unsigned char>(bytes[i]) |
                                  static_cast<unsigned char>(bytes[i + 1]) << 8)));
    return peak;
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
