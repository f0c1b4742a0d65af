#pragma once

// The session's bridge to the profile's scripts (TermSession::ScriptBridge), for the
// session's own files.

#include "term/TermSession.h"

#include <chrono>

namespace tav {

// The program as the scripts reach it, and their clock.
class TermSession::ScriptBridge final : public ScriptHost, public ScriptClock {
public:
    explicit ScriptBridge(TermSession& session) : session_(session) {}

    // What the scripts print or send is never matched again, by the trigger list or by
    // the scripts: a trigger could otherwise keep firing on its own output.
    void SendCommand(std::string_view line) override {
        session_.screen_.SetCompletionTag(kReactionLine);
        session_.TermSend(line, true, false);
        session_.screen_.SetCompletionTag(0);
    }
    void Echo(std::string_view text) override {
        session_.screen_.SetCompletionTag(kReactionLine);
        session_.PrintLocal(ScriptEchoText(text));
        session_.screen_.SetCompletionTag(0);
    }
    void SendGmcp(std::string_view package, std::string_view json) override {
        if (!session_.protocol_) return;
        std::string message(package);
        if (!json.empty()) message.append(" ").append(json);
        session_.protocol_->SendGmcp(message);
    }
    void SetGauge(ScriptGauge gauge, long value, long max) override {
        if (ScriptWindows* windows = session_.scriptWindows_) windows->SetGauge(gauge, value, max);
    }
    void WritePane(ScriptPane pane, std::string_view text) override {
        if (ScriptWindows* windows = session_.scriptWindows_) windows->WritePane(pane, text);
    }
    void PlaySound(const std::string& path) override {
        if (ScriptWindows* windows = session_.scriptWindows_) windows->PlaySound(path);
    }
    void ConsolePrint(std::string_view text) override {
        if (ScriptWindows* windows = session_.scriptWindows_) windows->ConsolePrint(text);
    }
    void ConsoleError(std::string_view text) override {
        if (ScriptWindows* windows = session_.scriptWindows_) windows->ConsoleError(text);
    }

    std::int64_t NowMs() const override {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }

private:
    TermSession& session_;
};

} // namespace tav
