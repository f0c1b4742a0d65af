#pragma once

#include "settings/LocalPrinter.h"
#include "settings/LogSink.h"
#include "settings/ProfileSelection.h"
#include "settings/ProfileSession.h"
#include "settings/SettingsHost.h"
#include "settings/TextMode.h"
#include "tests/support/TempDir.h"

#include <cstring>
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tav::test {

// Records the window effects of a load, printed texts and log lines as readable lines.
struct Recorder : SettingsHost, LocalPrinter, LogSink {
    void ReplaceFont(FontItem item, const FontSpec& f) override {
        calls.push_back("font " + std::to_string(static_cast<int>(item)) + " " + f.face + " " +
                        std::to_string(f.height) + " " + std::to_string(f.width));
    }
    void SetScreenColor(ScreenColor which, ColorRef color) override {
        calls.push_back((which == ScreenColor::Background ? "bcolor " : "tcolor ") +
                        std::to_string(color));
    }
    void SetTopmost(bool on) override { calls.push_back(on ? "topmost on" : "topmost off"); }
    void PlaceFrame(const Rect& r) override {
        calls.push_back("place " + std::to_string(r.right) + "x" + std::to_string(r.bottom));
    }
    void PostConfigCommand() override { calls.push_back("config"); }
    void PrintLocal(std::string_view text) override { printed.emplace_back(text); }
    void LogLine(std::string_view line) override { logged.emplace_back(line); }

    std::vector<std::string> calls, printed, logged;
};

// Records the profile steps and answers the prompts from scripted replies.
struct ProfileRecorder : ProfileHost, ProfilePrompts {
    void SetCaption(std::string_view c) override { calls.push_back("caption " + std::string(c)); }
    void LoadSettings() override { calls.emplace_back("load"); }
    void SaveSettings() override { calls.emplace_back("save"); }
    void ApplyScreenSettings() override { calls.emplace_back("screen"); }
    void ApplySizes() override { calls.emplace_back("sizes"); }
    void PlaceFrame() override { calls.emplace_back("place"); }
    void RestoreSideWindows() override { calls.emplace_back("windows"); }
    void LoadTriggers() override { calls.emplace_back("triggers"); }
    void TermStartup() override { calls.emplace_back("startup"); }
    void AutoConnect() override { calls.emplace_back("autoconnect"); }
    void StartTimers() override { calls.emplace_back("timers"); }
    void ReleaseLayout() override { calls.emplace_back("release"); }
    bool TermConnected() override { return connected; }
    void TermDisconnect() override { calls.emplace_back("term off"); }
    void ClientDisconnect() override { calls.emplace_back("client off"); }
    void CreateBars() override { calls.emplace_back("bars"); }
    void PrintLocal(std::string_view t) override { calls.push_back("print " + std::string(t)); }

    std::optional<std::string> AskProfileName(std::string_view initial) override {
        calls.push_back("ask " + std::string(initial));
        if (names.empty()) return std::nullopt;
        auto name = names.front();
        names.pop_front();
        return name;
    }
    bool AskYesNo(std::string_view text, std::string_view title) override {
        calls.push_back("question " + std::string(text) + " | " + std::string(title));
        return yes;
    }
    void ShowError(std::string_view text, std::string_view title) override {
        calls.push_back("error " + std::string(text) + " | " + std::string(title));
    }
    std::vector<std::string> Take() { return std::exchange(calls, {}); }

    std::vector<std::string> calls;
    std::deque<std::optional<std::string>> names; // nullopt: the user cancels
    bool yes = true;
    bool connected = false;
};

// Fills a fixed-size field and zeroes the rest, so records compare with memcmp.
template <std::size_t N> void Set(char (&field)[N], const std::string& text) {
    std::memset(field, 0, N);
    CopyField(field, text.c_str());
}
inline bool SameBytes(const auto& a, const auto& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The record and stored values that data/golden_tav.cfg and data/golden_colors.dat hold.
Settings FilledSettings();
StoredValues FilledValues();

inline std::string ReadBytes(const std::filesystem::path& path) {
    return ReadFileBytes(path.string()).value_or("");
}
std::string Golden(const std::string& name); // a file of tests/settings/data

} // namespace tav::test
