// Trigger matching throughput: game-like lines through CheckTriggers with 1, 10, 100 and
// 1000 triggers, a mix of plain and variable patterns. Prints lines per second for each.

#include "bench/Corpus.h"
#include "triggers/TriggerList.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::size_t kLineCount = 20000;
constexpr std::size_t kScreenColumns = 132; // completed lines are at most one screen row
constexpr double kSecondsPerRun = 0.5;

// The lines offered to the trigger pass: the shared corpus cut into screen rows.
std::vector<std::string> GameLines(std::size_t count) {
    std::vector<std::string> rows;
    for (const std::string& line : tav::bench::CorpusLines(count)) {
        for (std::size_t at = 0; at < line.size(); at += kScreenColumns)
            rows.push_back(line.substr(at, kScreenColumns));
    }
    return rows;
}

// Patterns as players write them, with and without variables: some with words this text
// never holds, some made only of its words (which pass the quick pair test and need the
// full scan), a few that match now and then. Deterministic for a given index.
std::string MakePattern(std::size_t i) {
    static constexpr std::string_view kRare[] = {
        "hungry", "thirsty", "flees",  "arrives", "leaves",   "gossips", "You feel", "stunned",
        "tired",  "exp",     "blinds", "poison",  "whispers", "yells",   "drops",    "picks up",
    };
    static constexpr std::string_view kCommon[] = {
        "goblin", "guard", "dragon", "merchant", "the",   "sword",  "gold",  "door",  "path",
        "stone",  "light", "wounds", "fountain", "north", "tavern", "heals", "misses"};
    const std::string rare(kRare[i % std::size(kRare)]);
    const std::string common(kCommon[i % std::size(kCommon)]);
    const std::string other(kCommon[(i / std::size(kCommon) + 3) % std::size(kCommon)]);
    switch (i % 5) {
    case 0: return common + " " + rare;
    case 1: return "%1 " + rare + " %2";
    case 2: return common + " %1 " + other + " and";
    case 3: return rare + ": %1";
    default: return other + " " + common;
    }
}

class CountingSender : public tav::TriggerSender {
public:
    void Send(std::string_view text) override {
        ++sends;
        bytes += text.size();
    }
    std::size_t sends = 0;
    std::size_t bytes = 0;
};

void Run(std::size_t triggerCount, const std::vector<std::string>& lines) {
    tav::TriggerList list;
    CountingSender sender;
    list.SetSender(&sender);
    // A few triggers that do fire on this text, as real sets have.
    list.AddTrigger("%1 says %2", "say %1 said %2");
    for (std::size_t i = 1; i < triggerCount; ++i)
        list.AddTrigger(MakePattern(i), "react %1");

    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    std::size_t done = 0;
    double seconds = 0;
    do {
        for (const std::string& line : lines)
            list.CheckTriggers(line);
        done += lines.size();
        seconds = std::chrono::duration<double>(Clock::now() - start).count();
    } while (seconds < kSecondsPerRun);

    const double perSecond = static_cast<double>(done) / seconds;
    std::printf("%5zu triggers: %12.0f lines/s  %8.1f ns/line  %6.2f ns/trigger  "
                "%.3f reactions/line\n",
                triggerCount, perSecond, 1e9 / perSecond,
                1e9 / perSecond / static_cast<double>(triggerCount),
                static_cast<double>(sender.sends) / static_cast<double>(done));
}

} // namespace

int main() {
    const std::vector<std::string> lines = GameLines(kLineCount);
    std::printf("%zu lines\n", lines.size());
    for (std::size_t count : {1, 10, 100, 1000})
        Run(count, lines);
    return 0;
}
