#pragma once

#include "settings/LogSink.h"
#include "settings/Settings.h"
#include "settings/TextMode.h"
#include "sound/SoundBackends.h"
#include "tests/support/TempDir.h"

#include <filesystem>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace tav::test {

// Every backend and the log at once, writing what would have happened, in order, to one
// list: log lines as they are, and "start[ hidden][ console] argv...", "kill <pid>",
// "wav <path>", "open <path> <alias>", "play <alias>", "close <alias>", "remember",
// "restore", "music <path>", "music stop". Player pids count from 100; a player runs
// until Exit(pid), the built-in one while `musicPlaying`.
struct Recorder : LogSink, ProcessLauncher, WavPlayer, MidiDevice, FocusKeeper, MusicPlayer {
    std::mutex mutex;
    std::vector<std::string> events;
    std::set<int> running;
    int nextPid = 100;
    std::string startError; // when set, starts fail with it
    int openRc = 0, playRc = 0, closeRc = 0;
    int openId = 0;         // DeviceId: 7 while open
    std::string musicError; // when set, the built-in player fails with it
    bool musicPlaying = false;

    void Add(std::string event) {
        std::lock_guard lock(mutex);
        events.push_back(std::move(event));
    }
    std::vector<std::string> Take() {
        std::lock_guard lock(mutex);
        return std::exchange(events, {});
    }
    void LogLine(std::string_view line) override { Add(std::string(line)); }
    LaunchResult Start(const PlayerLaunch& launch) override {
        std::string event = launch.hidden ? "start hidden" : "start";
        if (launch.newConsole) event += " console";
        for (const std::string& word : launch.argv)
            event += " " + word;
        Add(event);
        if (!startError.empty()) return {-1, startError};
        running.insert(nextPid);
        return {nextPid++, {}};
    }
    bool IsRunning(int pid) override { return running.count(pid) != 0; }
    void Terminate(int pid) override {
        Add("kill " + std::to_string(pid));
        running.erase(pid);
    }
    void PlayAsync(const std::string& path) override { Add("wav " + path); }
    int Open(const std::string& path, const std::string& alias) override {
        Add("open " + path + " " + alias);
        openId = openRc == 0 ? 7 : 0;
        return openRc;
    }
    int DeviceId(const std::string&) override { return openId; }
    int Play(const std::string& alias) override {
        Add("play " + alias);
        return playRc;
    }
    int Close(const std::string& alias) override {
        Add("close " + alias);
        openId = 0;
        return closeRc;
    }
    std::string ErrorText(int code) override { return "error " + std::to_string(code); }
    void SetCompletionCallback(CompletionCallback) override {}
    void RememberForeground() override { Add("remember"); }
    void RestoreForeground() override { Add("restore"); }
    std::string Play(const std::string& path, MusicKind) override {
        Add("music " + path);
        musicPlaying = musicError.empty();
        return musicError;
    }
    void Stop() override {
        Add("music stop");
        musicPlaying = false;
    }
    bool IsPlaying() override { return musicPlaying; }

    SoundBackends All() { return {*this, *this, *this, *this, *this}; }
};

// Runs with the working directory set to dir until the end of the scope.
struct ScopedCwd {
    explicit ScopedCwd(const std::filesystem::path& dir) { std::filesystem::current_path(dir); }
    ~ScopedCwd() { std::filesystem::current_path(previous); }
    std::filesystem::path previous = std::filesystem::current_path();
};

// Players "modplay -q", "mp3play", "midiplay"; all flags off.
inline Settings PlayerSettings() {
    Settings s{};
    CopyField(s.modplayer, "modplay -q");
    CopyField(s.mp3player, "mp3play");
    CopyField(s.midiplayer, "midiplay");
    return s;
}
inline std::string ReadFile(const std::filesystem::path& path) {
    return ReadFileBytes(path.string()).value_or("");
}
// An executable "#!/bin/sh" script with the given body.
inline void WriteScript(const std::filesystem::path& path, const std::string& body) {
    WriteFileAtomically(path.string(), "#!/bin/sh\n" + body);
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
}
// A file of tests/sound/data: tune.mid (a quarter-second middle C on the piano),
// ding.wav (a tenth of a second of 16-bit mono square wave) or tone.mp3 (half a second of
// a 440 Hz sine, mono at 22.05 kHz).
std::string SoundFixture(const char* name);
// A four-channel ProTracker module: one looped square-wave sample struck on the first row,
// and a pattern break after four rows at speed 6 (0.48 s at 125 BPM).
std::string SquareWaveMod();
// The largest magnitude of the 16-bit little-endian samples in `bytes` from `from` on.
int Peak(const std::string& bytes, std::size_t from = 0);
bool WaitFor(const std::function<bool()>& pred, int timeoutMs);

} // namespace tav::test
