#pragma once

// A Term session pointed at a real peer on 127.0.0.1, its services recorded.

#include "settings/TextMode.h"
#include "term/PollEventLoop.h"
#include "term/TermSession.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/RecordingBoxes.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tav::test {

// A file's bytes; "<missing>" when it cannot be read.
inline std::string Contents(const std::filesystem::path& path) {
    return ReadFileBytes(path.string()).value_or("<missing>");
}

// How many times `what` occurs in `text`, overlapping ones included.
inline std::size_t CountOf(std::string_view text, std::string_view what) {
    std::size_t count = 0;
    for (auto at = text.find(what); at != std::string_view::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

struct SessionRecorder : RecordingBoxes,
                         TermStatus,
                         InputLineControl,
                         ClientControl,
                         LogSink,
                         IntervalClock,
                         LineLog,
                         TermWindow {
    std::vector<std::string> logFile, latency, log, messages;
    std::vector<bool> termStates, masks;
    std::vector<CursorStyle> blinks;
    std::optional<std::string> typed;
    bool clientConnected = false;
    int clientConnects = 0;
    int pings = 0;
    int soundPolls = 0;

    void ShowTermState(bool on) override { termStates.push_back(on); }
    void SetLatencyText(std::string_view text) override { latency.emplace_back(text); }
    void SetMessageText(std::string_view text) override { messages.emplace_back(text); }
    std::optional<std::string> ReadText() override { return typed; }
    void SetMasked(bool masked) override { masks.push_back(masked); }
    bool IsConnected() override { return clientConnected; }
    void Connect() override { ++clientConnects; }
    void SendPing() override { ++pings; }
    void PollSoundPlayer() override { ++soundPolls; }
    void LogLine(std::string_view line) override { log.emplace_back(line); }
    std::int32_t NowMs() override { return 4242; }
    bool IsOpen() const override { return true; }
    void Write(std::string_view text) override { logFile.emplace_back(text); }
    void ToggleCursor(CursorStyle style) override { blinks.push_back(style); }
};

// `session` goes before the loop it uses; a fixture lending it services resets it first.
struct SessionHarness {
    Settings settings{};
    TMudScreen screen{settings};
    SessionRecorder rec;
    TriggerList triggers{"/nonexistent"};
    LoopbackServer server;
    PollEventLoop loop;
    std::unique_ptr<TermSession> session;

    TermServices Recorded() {
        TermServices services;
        services.boxes = &rec;
        services.status = &rec;
        services.input = &rec;
        services.client = &rec;
        services.window = &rec;
        services.log = &rec;
        services.clientLog = &rec;
        services.clock = &rec;
        services.triggers = &triggers;
        return services;
    }
    void Open(const TermServices& services) {
        CopyField(settings.addy, "127.0.0.1");
        CopyField(settings.port, std::to_string(server.Port()).c_str());
        session = std::make_unique<TermSession>(settings, screen, loop, services);
    }
    void Connect() {
        ASSERT_EQ(session->TermConnect(), 0);
        ASSERT_TRUE(loop.RunUntil([&] { return session->Connected(); }, std::chrono::seconds(5)));
        ASSERT_TRUE(server.Accept());
    }
    // What the peer read until `what` arrived (bounded: five seconds).
    std::string ReadUntil(std::string_view what) {
        std::string got;
        loop.RunUntil(
            [&] {
                got += server.Read(std::chrono::milliseconds(20));
                return got.find(what) != std::string::npos;
            },
            std::chrono::seconds(5));
        return got;
    }
    bool PeerReceives(std::string_view what) {
        return ReadUntil(what).find(what) != std::string::npos;
    }
    // Lets the session read what the server sent.
    void Pump() { loop.RunFor(std::chrono::milliseconds(100)); }
    // The peer sends `bytes` and the session reads them.
    void Receive(const std::string& bytes) {
        server.Send(bytes);
        Pump();
    }
    void Type(const std::string& line) {
        rec.typed = line;
        session->SubmitInput();
    }
    bool Shown(std::string_view text) const { return TimesShown(text) != 0; }
    std::size_t TimesShown(std::string_view text) const {
        return CountOf(session->RecentText(), text);
    }
};

} // namespace tav::test
