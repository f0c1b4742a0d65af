// Trigger matching throughput: game-like lines through CheckTriggers with 1 to 10,000
// triggers of a mix of plain and variable patterns, and with 10,000 plain word triggers.
// Prints the time to load a file of 10,000 triggers and to index them, then lines per
// second for each set. Last, the game corpus through a session without a window (screen,
// line queue, trigger pass, colouring), with no triggers and with the 1,000 highlight
// triggers desktop_bench floods its window with.

#include "bench/Corpus.h"
#include "screen/MudScreen.h"
#include "term/PollEventLoop.h"
#include "term/TermSession.h"
#include "triggers/TriggerList.h"
#include "triggers/TriggerPrefilter.h"

#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kLineCount = 20000;
constexpr std::size_t kScreenColumns = 132; // completed lines are at most one screen row
constexpr double kSecondsPerRun = 0.5;

// Bytes the program has allocated and not yet freed, in MiB.
double HeapMiB() {
    return static_cast<double>(mallinfo2().uordblks) / (1024.0 * 1024.0);
}

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

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

void Fill(tav::TriggerList& list, std::size_t triggerCount, bool plain) {
    // A few triggers that do fire on this text, as real sets have.
    list.AddTrigger("%1 says %2", "say %1 said %2");
    for (std::size_t i = 1; i < triggerCount; ++i)
        list.AddTrigger(plain ? tav::bench::PlainTriggerPattern(i) : MakePattern(i), "react %1");
}

void Run(std::size_t triggerCount, bool plain, const std::vector<std::string>& lines) {
    tav::TriggerList list;
    CountingSender sender;
    list.SetSender(&sender);
    Fill(list, triggerCount, plain);

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
    std::printf("%5zu %s: %12.0f lines/s  %8.1f ns/line  %6.2f ns/trigger  "
                "%.3f reactions/line\n",
                triggerCount, plain ? "plain   " : "triggers", perSecond, 1e9 / perSecond,
                1e9 / perSecond / static_cast<double>(triggerCount),
                static_cast<double>(sender.sends) / static_cast<double>(done));
}

// Loading a profile's file of 10,000 triggers, stored in list order as the program saves
// it, and the first line matched after it (which builds the index); then the index built
// on its own, its size, and an edit as the trigger dialogs make it, with the next line.
void Load(std::size_t triggerCount, bool plain, const std::vector<std::string>& lines) {
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / "tav-trigger-bench";
    fs::create_directories(root / "bench");
    {
        tav::TriggerList list(root.string());
        Fill(list, triggerCount, plain);
        list.SaveTriggers("bench");
    }
    const double heapBefore = HeapMiB();
    tav::TriggerList list(root.string());
    auto start = Clock::now();
    list.LoadTriggers("bench");
    const double loadMs = MillisecondsSince(start);
    const double listMiB = HeapMiB() - heapBefore;
    start = Clock::now();
    list.CheckTriggers(lines.front());
    const double firstLineMs = MillisecondsSince(start);
    const double indexMiB = HeapMiB() - heapBefore - listMiB;

    tav::TriggerPrefilter index;
    start = Clock::now();
    index.Rebuild(list);
    const double buildMs = MillisecondsSince(start);

    start = Clock::now();
    const std::size_t at = list.AddTrigger("a new trigger", "");
    list.CheckTriggers(lines.front());
    list.ReplaceTrigger(at, "a changed trigger", "");
    list.CheckTriggers(lines.front());
    const double editMs = MillisecondsSince(start) / 2;
    std::printf("%zu %s triggers: load %.2f ms, first line after it %.2f ms, index build "
                "%.2f ms, an edit and a line %.2f ms; index %.0f KiB; heap growth: list %.2f MiB, "
                "index %.2f MiB\n",
                triggerCount, plain ? "plain" : "mixed", loadMs, firstLineMs, buildMs, editMs,
                static_cast<double>(index.MemoryBytes()) / 1024, listMiB, indexMiB);
    fs::remove_all(root);
}

// Seconds for the best of three runs of the corpus through a session on a connection
// without a socket, in 1024-byte blocks.
double SessionSeconds(const std::string& corpus, tav::TriggerList& triggers) {
    constexpr std::size_t kBlock = 1024;
    tav::Settings settings{}; // as desktop_bench's window has them
    settings.multiscreen = 1;
    settings.enhancedterm = 1;
    settings.urlaware = 1;
    tav::CopyField(settings.scrolllines, "10000");
    double best = 1e30;
    for (int run = 0; run < 3; ++run) {
        tav::TMudScreen screen(settings);
        screen.ResetScreen(10000);
        tav::PollEventLoop loop;
        tav::TermServices services;
        services.triggers = &triggers;
        tav::TermSession session(settings, screen, loop, services);
        session.Adopt(-1);
        const auto start = Clock::now();
        for (std::size_t at = 0; at < corpus.size(); at += kBlock)
            session.ReceiveBytes(corpus.data() + at, std::min(kBlock, corpus.size() - at));
        best = std::min(best, MillisecondsSince(start) / 1e3);
    }
    return best;
}

void SessionFlood() {
    const std::string corpus = tav::bench::GameCorpus(32u << 20);
    const double mb = static_cast<double>(corpus.size()) / 1e6;
    tav::TriggerList triggers{"/nonexistent"};
    const double plain = SessionSeconds(corpus, triggers);
    tav::TriggerActions highlight;
    highlight.highlight = tav::HighlightScope::Match;
    highlight.textColor = 0x0000FF;
    for (const std::string& pattern : tav::bench::HighlightPatterns(1000))
        triggers.SetActions(triggers.AddTrigger(pattern, ""), highlight);
    const double coloured = SessionSeconds(corpus, triggers);
    std::printf("session, no window: %.1f MB/s without triggers, %.1f MB/s with 1,000 "
                "highlight triggers (%.2fx)\n",
                mb / plain, mb / coloured, plain / coloured);
}

} // namespace

int main() {
    const std::vector<std::string> lines = GameLines(kLineCount);
    std::printf("%zu lines\n", lines.size());
    Load(10000, false, lines);
    Load(10000, true, lines);
    for (std::size_t count : {1, 10, 100, 1000, 10000})
        Run(count, false, lines);
    Run(10000, true, lines);
    SessionFlood();
    return 0;
}
