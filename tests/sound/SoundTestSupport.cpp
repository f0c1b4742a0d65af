#include "tests/sound/SoundTestSupport.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace tav::test {

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

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tav-sound-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

ScopedCwd::ScopedCwd(const std::filesystem::path& dir)
    : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir);
}

ScopedCwd::~ScopedCwd() {
    std::filesystem::current_path(previous_);
}

Settings PlayerSettings() {
    Settings s{};
    CopyField(s.modplayer, "modplay -q");
    CopyField(s.mp3player, "mp3play");
    CopyField(s.midiplayer, "midiplay");
    return s;
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

namespace {

std::string BigEndian(unsigned value, int bytes) {
    std::string out;
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    return out;
}

std::string LittleEndian(unsigned value, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    return out;
}

} // namespace

std::string TinyMidi() {
    // 96 ticks a quarter note at the default 120 bpm: 48 ticks are a quarter second.
    const std::string track = std::string("\x00\xC0\x00", 3)        // piano
                              + std::string("\x00\x90\x3C\x64", 4)  // note on, middle C
                              + std::string("\x30\x80\x3C\x40", 4)  // 48 ticks later: off
                              + std::string("\x00\xB0\x78\x00", 4)  // all sound off
                              + std::string("\x00\xFF\x2F\x00", 4); // end of track
    return "MThd" + BigEndian(6, 4) + BigEndian(0, 2) + BigEndian(1, 2) + BigEndian(96, 2) +
           "MTrk" + BigEndian(static_cast<unsigned>(track.size()), 4) + track;
}

std::string TinyWav() {
    constexpr unsigned kRate = 8000, kSamples = 800;
    std::string samples;
    for (unsigned i = 0; i < kSamples; ++i)
        samples += LittleEndian((i / 8) % 2 == 0 ? 0x2000u : 0xE000u, 2); // square wave
    return "RIFF" + LittleEndian(36 + kSamples * 2, 4) + "WAVE" + "fmt " + LittleEndian(16, 4) +
           LittleEndian(1, 2) + LittleEndian(1, 2) + LittleEndian(kRate, 4) +
           LittleEndian(kRate * 2, 4) + LittleEndian(2, 2) + LittleEndian(16, 2) + "data" +
           LittleEndian(kSamples * 2, 4) + samples;
}

void WriteScript(const std::filesystem::path& path, const std::string& body) {
    WriteFile(path, "#!/bin/sh\n" + body);
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
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
