#pragma once

#include "script/ScriptEngine.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace tav::test {

// Writes down everything the scripts did outside themselves, one line each.
struct RecordingHost : ScriptHost {
    std::vector<std::string> did;
    std::vector<std::string> errors;
    void SendCommand(std::string_view line) override { did.push_back("send " + std::string(line)); }
    void Echo(std::string_view text) override { did.push_back("echo " + std::string(text)); }
    void SendGmcp(std::string_view package, std::string_view json) override {
        did.push_back("gmcp " + std::string(package) + " " + std::string(json));
    }
    void SetGauge(ScriptGauge gauge, long value, long max) override {
        did.push_back("gauge " + std::to_string(static_cast<int>(gauge)) + " " +
                      std::to_string(value) + "/" + std::to_string(max));
    }
    void WritePane(ScriptPane pane, std::string_view text) override {
        did.push_back("pane " + std::to_string(static_cast<int>(pane)) + " " + std::string(text));
    }
    void PlaySound(const std::string& path) override { did.push_back("play " + path); }
    void ConsolePrint(std::string_view text) override {
        did.push_back("print " + std::string(text));
    }
    void ConsoleError(std::string_view text) override { errors.emplace_back(text); }
    // What was done, and the errors, since the last look.
    std::vector<std::string> Take() { return std::exchange(did, {}); }
    std::vector<std::string> Errors() { return std::exchange(errors, {}); }
};

struct HandClock : ScriptClock {
    std::int64_t now = 1000;
    std::int64_t NowMs() const override { return now; }
};

// A profile directory with a scripts folder, and an engine over it.
struct ScriptFixture : ::testing::Test {
    TempDir dir{{"scripts"}};
    RecordingHost host;
    HandClock clock;
    ScriptLimits limits{.memoryBytes = std::size_t{32} << 20,
                        .callBudget = std::chrono::milliseconds(50),
                        .startBudget = std::chrono::milliseconds(500)};
    std::unique_ptr<ScriptEngine> engine;

    void Write(const std::string& relative, const std::string& text) {
        const std::filesystem::path path = dir.path / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }
    // Opens an engine whose init.lua is `init`.
    ScriptEngine& Open(const std::string& init) {
        Write("scripts/init.lua", init);
        engine = std::make_unique<ScriptEngine>(host, clock, dir.path.string(), limits);
        engine->Open();
        return *engine;
    }
    // Runs `code` in the console; what the scripts did and the errors, then forgets them.
    std::vector<std::string> Console(const std::string& code) {
        engine->RunConsoleLine(code);
        std::vector<std::string> out = host.Take();
        for (const std::string& error : std::exchange(host.errors, {}))
            out.push_back("error " + error);
        return out;
    }
};

} // namespace tav::test
