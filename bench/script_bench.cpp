// Script trigger throughput: game-like lines through a real script engine whose init.lua
// made 100 regular-expression triggers, 1,000 plain ones, or both, each counting its
// firings in Lua. Prints the time init.lua took and lines per second for each set, with
// the calls into Lua a line cost.

#include "bench/Corpus.h"
#include "script/ScriptEngine.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kLineCount = 20000;
constexpr std::size_t kScreenColumns = 132;
constexpr double kSecondsPerRun = 0.5;

struct QuietHost : tav::ScriptHost {
    void SendCommand(std::string_view) override {}
    void Echo(std::string_view) override {}
    void SendGmcp(std::string_view, std::string_view) override {}
    void SetGauge(tav::ScriptGauge, long, long) override {}
    void WritePane(tav::ScriptPane, std::string_view) override {}
    void PlaySound(const std::string&) override {}
    void ConsolePrint(std::string_view) override {}
    void ConsoleError(std::string_view text) override {
        std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
    }
};

struct SteadyClock : tav::ScriptClock {
    std::int64_t NowMs() const override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   Clock::now().time_since_epoch())
            .count();
    }
};

std::vector<std::string> GameLines() {
    std::vector<std::string> rows;
    for (const std::string& line : tav::bench::CorpusLines(kLineCount)) {
        for (std::size_t at = 0; at < line.size(); at += kScreenColumns)
            rows.push_back(line.substr(at, kScreenColumns));
    }
    return rows;
}

void Run(std::string_view name, std::size_t regexes, std::size_t plains,
         const std::vector<std::string>& lines) {
    const fs::path profile = fs::temp_directory_path() / "tav-script-bench";
    fs::remove_all(profile);
    fs::create_directories(profile / "scripts");
    {
        std::ofstream init(profile / "scripts/init.lua");
        init << "fired = 0\nlocal function count() fired = fired + 1 end\n";
        for (std::size_t i = 0; i < regexes; ++i)
            init << "tav.trigger(" << tav::bench::LuaString(tav::bench::ScriptExpression(i))
                 << ", count, {regex = true})\n";
        for (std::size_t i = 0; i < plains; ++i)
            init << "tav.trigger(" << tav::bench::LuaString(tav::bench::PlainTriggerPattern(i))
                 << ", count)\n";
    }
    QuietHost host;
    SteadyClock clock;
    tav::ScriptEngine engine(host, clock, profile.string());
    auto start = Clock::now();
    engine.Open();
    const double openMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    start = Clock::now();
    engine.OnLine(lines.front());
    const double firstMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();

    const std::uint64_t callsBefore = engine.LuaCalls();
    start = Clock::now();
    std::size_t done = 0;
    double seconds = 0;
    do {
        for (const std::string& line : lines)
            engine.OnLine(line);
        done += lines.size();
        seconds = std::chrono::duration<double>(Clock::now() - start).count();
    } while (seconds < kSecondsPerRun);
    const double perSecond = static_cast<double>(done) / seconds;
    const double callsPerLine =
        static_cast<double>(engine.LuaCalls() - callsBefore) / static_cast<double>(done);
    std::printf("%-28.*s %12.0f lines/s  %8.1f ns/line  %.4f Lua calls/line  "
                "init.lua %.1f ms, first line %.2f ms\n",
                static_cast<int>(name.size()), name.data(), perSecond, 1e9 / perSecond,
                callsPerLine, openMs, firstMs);
    engine.Close();
    fs::remove_all(profile);
}

} // namespace

// With an argument, only the sets whose names hold it ("regex", "plain").
int main(int argc, char** argv) {
    const std::vector<std::string> lines = GameLines();
    std::printf("%zu lines\n", lines.size());
    struct Set {
        std::string_view name;
        std::size_t regexes, plains;
    };
    for (const Set& set :
         {Set{"no script triggers", 0, 0}, Set{"100 regex triggers", 100, 0},
          Set{"1000 plain triggers", 0, 1000}, Set{"100 regex + 1000 plain", 100, 1000}}) {
        if (argc < 2 || set.name.find(argv[1]) != std::string_view::npos)
            Run(set.name, set.regexes, set.plains, lines);
    }
    return 0;
}
