#include "tests/sound/SoundTestSupport.h"

#include <chrono>
#include <thread>

namespace tav::test {

namespace fs = std::filesystem;

void PostQueue::Post(std::function<void()> fn) {
    {
        std::lock_guard lock(mutex);
        work.push_back(std::move(fn));
    }
    ready.notify_all();
}

int PostQueue::RunPosted(int timeoutMs) {
    std::deque<std::function<void()>> batch;
    {
        std::unique_lock lock(mutex);
        ready.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                       [this] { return !work.empty(); });
        batch.swap(work);
    }
    for (auto& fn : batch)
        fn();
    return static_cast<int>(batch.size());
}

namespace {

std::string Bytes(unsigned value, int count, bool bigEndian) {
    std::string out;
    for (int i = 0; i < count; ++i)
        out.push_back(static_cast<char>((value >> (8 * (bigEndian ? count - 1 - i : i))) & 0xFF));
    return out;
}

} // namespace

std::string TinyMidi() {
    // 96 ticks a quarter note at the default 120 bpm: 48 ticks are a quarter second.
    const std::string track("\x00\xC0\x00"      // piano
                            "\x00\x90\x3C\x64"  // note on, middle C
                            "\x30\x80\x3C\x40"  // 48 ticks later: note off
                            "\x00\xB0\x78\x00"  // all sound off
                            "\x00\xFF\x2F\x00", // end of track
                            19);
    return "MThd" + Bytes(6, 4, true) + Bytes(0, 2, true) + Bytes(1, 2, true) + Bytes(96, 2, true) +
           "MTrk" + Bytes(19, 4, true) + track;
}

std::string TinyWav() {
    constexpr unsigned kRate = 8000, kSamples = 800;
    std::string samples;
    for (unsigned i = 0; i < kSamples; ++i)
        samples += Bytes((i / 8) % 2 == 0 ? 0x2000u : 0xE000u, 2, false);
    return "RIFF" + Bytes(36 + kSamples * 2, 4, false) + "WAVEfmt " + Bytes(16, 4, false) +
           Bytes(1, 2, false) + Bytes(1, 2, false) + Bytes(kRate, 4, false) +
           Bytes(kRate * 2, 4, false) + Bytes(2, 2, false) + Bytes(16, 2, false) + "data" +
           Bytes(kSamples * 2, 4, false) + samples;
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
