#pragma once

#include "client/AddressCheck.h"
#include "client/ClientConnection.h"
#include "client/ClientMessage.h"
#include "client/ClientSound.h"
#include "client/ClientWindows.h"
#include "client/MessageHeader.h"
#include "client/PendingEdit.h"
#include "client/StatusBarSink.h"
#include "settings/LogSink.h"
#include "settings/Settings.h"
#include "term/PollEventLoop.h"
#include "tests/support/LoopbackServer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace tav::test {

using namespace std::chrono_literals;

// Window effects as readable lines, in the order they were made; also checks that every
// call comes on the thread that runs the loop.
struct RecordingWindows : ClientWindows {
    std::vector<std::string> calls;
    std::thread::id uiThread = std::this_thread::get_id();
    int offThread = 0;

    void Add(std::string line) {
        if (std::this_thread::get_id() != uiThread) ++offThread;
        calls.push_back(std::move(line));
    }
    static std::string Name(ClientScreen s) {
        static const char* const names[] = {"desc", "exits", "contents", "who", "channel",
                                            "eq",   "inv",   "boardmsg", "help"};
        return names[static_cast<int>(s)];
    }
    void ClearScreen(ClientScreen s) override { Add("clear " + Name(s)); }
    void AppendText(ClientScreen s, std::string_view t) override {
        Add("append " + Name(s) + " " + std::string(t));
    }
    // The decoders' own tests check the contents; a corner shows the call arrived.
    void SetMap(const MapGrid& g) override { Add("map " + std::to_string(g[21][21])); }
    void SetStatusValues(const HitManaMove& v) override {
        Add("status " + std::to_string(v.hit) + "/" + std::to_string(v.moveMax));
    }
    void SetGauge(int id, int value, int max) override {
        Add("gauge " + std::to_string(id) + " " + std::to_string(value) + " " +
            std::to_string(max));
    }
    void SetBoardIndex(std::vector<BoardEntry> b) override {
        Add("boards " + std::to_string(b.size()));
    }
    void SetMessageIndex(std::vector<std::string> l) override {
        Add("msgindex " + (l.empty() ? "" : l[0]));
    }
    void BoardUpdate(int board) override { Add("brdupdate " + std::to_string(board)); }
    void SetHelpIndex(std::vector<std::string> t) override {
        Add("helpindex " + std::to_string(t.size()));
    }
    void ShowIdentification(std::string_view n, std::string_view p, std::string_view t) override {
        Add("id " + std::string(n) + " [" + std::string(p) + "] " + std::string(t));
    }
    void SetCharacterLevel(int level) override { Add("level " + std::to_string(level)); }
    void SetTimeAndDate(std::string_view t, std::string_view d) override {
        Add("time [" + std::string(t) + "] [" + std::string(d) + "]");
    }
    void ShowMessageBox(std::string_view text, std::string_view title) override {
        Add("box " + std::string(title) + " " + std::string(text));
    }
    void PostCommand(int id) override { Add("command " + std::to_string(id)); }
};

// Sound calls as readable lines, from whichever thread makes them.
struct RecordingSound : ClientSound {
    mutable std::mutex mutex;
    std::vector<std::string> calls;
    void Add(std::string line) {
        const std::lock_guard<std::mutex> lock(mutex);
        calls.push_back(std::move(line));
    }
    std::vector<std::string> Calls() const {
        const std::lock_guard<std::mutex> lock(mutex);
        return calls;
    }
    void PlaySound(std::string_view path) override { Add("play " + std::string(path)); }
    void StopSound() override { Add("stop"); }
    void PollSoundPlayer() override { Add("poll"); }
};

struct RecordingStatus : StatusBarSink {
    std::vector<std::string> calls;
    void SetMessageText(std::string_view t) override { calls.push_back("msg " + std::string(t)); }
    void SetLatencyText(std::string_view t) override {
        calls.push_back("latency " + std::string(t));
    }
    void ShowClientState(bool on) override { calls.push_back(on ? "client on" : "client off"); }
    void ShowProgress(long long r, long long t) override {
        calls.push_back("progress " + std::to_string(r) + "/" + std::to_string(t));
    }
};

// A log callable from any thread.
struct SharedLog : LogSink {
    mutable std::mutex mutex;
    std::vector<std::string> lines;
    void LogLine(std::string_view line) override {
        const std::lock_guard<std::mutex> lock(mutex);
        lines.emplace_back(line);
    }
    std::vector<std::string> Lines() const {
        const std::lock_guard<std::mutex> lock(mutex);
        return lines;
    }
    bool Has(const std::string& line) const {
        const auto all = Lines();
        return std::find(all.begin(), all.end(), line) != all.end();
    }
};

struct RecordingBoxes : MessageBoxes {
    std::vector<std::string> boxes;
    void ShowMessage(std::string_view text, std::string_view title) override {
        boxes.push_back(std::string(title) + " " + std::string(text));
    }
};

struct SettableClock : IntervalClock {
    std::atomic<std::int32_t> now{0};
    std::int32_t NowMs() override { return now.load(); }
};

// The port check of the settings as the Term session makes it, without its boxes.
struct PortFromSettings : AddressCheck {
    explicit PortFromSettings(const Settings& s) : settings(s) {}
    const Settings& settings;
    bool ValidateAddress() override { return true; }
    int PortNumber() const override { return std::atoi(settings.port); }
};

// One frame as the server sends it. dataLen overrides the header's `data_len`.
std::string ServerFrame(std::int32_t type, std::string_view text1 = {}, std::string_view text2 = {},
                        std::string_view data = {},
                        std::optional<std::int32_t> dataLen = std::nullopt);
// The frames in a byte stream the client sent (whole frames only).
std::vector<ClientMessage> ParseFrames(const std::string& bytes);

// A fresh directory with "text" and "binary" in it, removed at the end.
struct TempDir {
    std::filesystem::path path;
    TempDir();
    ~TempDir();
};

// A ClientConnection to a loopback peer with every outside part recorded. The peer
// listens on the game port + 1, as the client expects.
struct ConnectionRig {
    Settings settings{};
    PollEventLoop loop;
    RecordingWindows windows;
    RecordingSound sound;
    RecordingStatus status;
    SharedLog log;
    RecordingBoxes boxes;
    PortFromSettings address{settings};
    SettableClock clock;
    PendingEdit pendingEdit;
    std::atomic<std::int32_t> pingStamp{0}; // the terminal's ping tick stamps it
    TempDir dir;
    LoopbackServer server;
    std::unique_ptr<ClientConnection> connection;

    explicit ConnectionRig(bool debug = false);
    // Connects, accepts and reads the login frame.
    ::testing::AssertionResult ConnectAndLogin();
    // Runs the loop until done() or the time-out.
    bool Pump(const std::function<bool()>& done, std::chrono::milliseconds timeout = 3s) {
        return loop.RunUntil(done, timeout);
    }
    bool WaitForLog(const std::string& line) {
        return Pump([&] { return log.Has(line); });
    }
    bool WaitForThreadEnd() {
        return Pump([&] { return !connection->ThreadRunning(); });
    }
    // The frames the client sent since the last call.
    std::vector<ClientMessage> ReadFrames(std::chrono::milliseconds wait = 300ms) {
        return ParseFrames(server.Read(wait));
    }
};

} // namespace tav::test
