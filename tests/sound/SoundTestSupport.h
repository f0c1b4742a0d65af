#pragma once

#include "client/LogSink.h"
#include "settings/Settings.h"
#include "sound/FocusKeeper.h"
#include "sound/MidiDevice.h"
#include "sound/ProcessLauncher.h"
#include "sound/WavPlayer.h"

#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace tav::test {

struct RecordingLog : LogSink {
    std::mutex mutex;
    std::vector<std::string> lines;
    void LogLine(std::string_view line) override {
        std::lock_guard lock(mutex);
        lines.emplace_back(line);
    }
    std::vector<std::string> Take() {
        std::lock_guard lock(mutex);
        return std::exchange(lines, {});
    }
};

// Player processes on paper: each start gets the next pid (100, 101, ...) and runs until
// the test ends it with Exit().
struct RecordingProcesses : ProcessLauncher {
    std::vector<PlayerLaunch> starts;
    std::vector<int> terminated;
    std::set<int> running;
    int polls = 0;
    int nextPid = 100;
    std::string failWith; // when set, starts fail with this reason

    LaunchResult Start(const PlayerLaunch& launch) override {
        starts.push_back(launch);
        if (!failWith.empty()) return {-1, failWith};
        running.insert(nextPid);
        return {nextPid++, {}};
    }
    bool IsRunning(int pid) override {
        ++polls;
        return running.count(pid) != 0;
    }
    void Terminate(int pid) override {
        terminated.push_back(pid);
        running.erase(pid);
    }
    void Exit(int pid) { running.erase(pid); }
};

struct RecordingWav : WavPlayer {
    std::vector<std::string> played;
    void PlayAsync(const std::string& path) override { played.push_back(path); }
};

// Records each step as its command string; results are set per step.
struct RecordingMidi : MidiDevice {
    std::vector<std::string> steps;
    int openResult = 0, playResult = 0, closeResult = 0;
    int openId = 7; // DeviceId while open
    bool open = false;
    CompletionCallback callback;

    int Open(const std::string& path, const std::string& alias) override {
        steps.push_back("open " + path + " alias " + alias);
        open = openResult == 0;
        return openResult;
    }
    int DeviceId(const std::string&) override { return open ? openId : 0; }
    int Play(const std::string& alias) override {
        steps.push_back("play " + alias);
        return playResult;
    }
    int Close(const std::string& alias) override {
        steps.push_back("close " + alias);
        open = false;
        return closeResult;
    }
    std::string ErrorText(int code) override { return "midi error " + std::to_string(code); }
    void SetCompletionCallback(CompletionCallback c) override { callback = std::move(c); }
};

struct RecordingFocus : FocusKeeper {
    std::vector<std::string> events;
    void RememberForeground() override { events.push_back("remember"); }
    void RestoreForeground() override { events.push_back("restore"); }
};

// Work handed from another thread, run when the test drains it: the event loop's Post.
struct PostQueue {
    std::mutex mutex;
    std::condition_variable ready;
    std::deque<std::function<void()>> work;

    void Post(std::function<void()> fn) {
        {
            std::lock_guard lock(mutex);
            work.push_back(std::move(fn));
        }
        ready.notify_all();
    }
    // Waits up to timeoutMs for work, then runs all of it; returns how much ran.
    int RunPosted(int timeoutMs);
};

// A fresh directory under the system's temporary directory, removed at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Runs with the working directory set to dir, restoring the previous one at the end.
class ScopedCwd {
public:
    explicit ScopedCwd(const std::filesystem::path& dir);
    ~ScopedCwd();
    ScopedCwd(const ScopedCwd&) = delete;
    ScopedCwd& operator=(const ScopedCwd&) = delete;

private:
    std::filesystem::path previous_;
};

Settings PlayerSettings(); // players "modplay -q", "mp3play", "midiplay"; everything else off
void WriteFile(const std::filesystem::path& path, const std::string& bytes);
std::string ReadFile(const std::filesystem::path& path);
// A one-track MIDI file: a quarter-second middle C on the piano.
std::string TinyMidi();
// A 16-bit mono WAV file of a short tone.
std::string TinyWav();
// An executable shell script at path with the given body after "#!/bin/sh".
void WriteScript(const std::filesystem::path& path, const std::string& body);
// Waits up to timeoutMs for pred to hold, checking every few milliseconds.
bool WaitFor(const std::function<bool()>& pred, int timeoutMs);

} // namespace tav::test
