// Find in the scrollback as the user types: a screen with a 50,000-line scrollback full
// of game text, and a six-letter word typed one letter at a time, each letter a full
// search (any case, then matching case and whole words). Prints milliseconds per
// keystroke; the find bar stays responsive below 50 ms.
#include "bench/Corpus.h"
#include "screen/ScrollbackSearch.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace {

constexpr int kLines = 50'000;

double MsPerKeystroke(const tav::TMudScreen& screen, std::string_view word,
                      tav::SearchOptions options, std::size_t& found) {
    constexpr int kRounds = 5;
    const auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < kRounds; ++round)
        for (std::size_t typed = 1; typed <= word.size(); ++typed)
            found = tav::SearchScreen(screen, word.substr(0, typed), options).matches.size();
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    return took.count() / (kRounds * static_cast<double>(word.size()));
}

} // namespace

int main() {
    tav::Settings settings{};
    tav::TMudScreen screen(settings);
    screen.ResetScreen(kLines);
    // Enough text to fill the whole scrollback and scroll it on.
    const std::string corpus = tav::bench::GameCorpus(6u << 20);
    for (std::size_t at = 0; at < corpus.size(); at += 1024) {
        screen.AddText(std::string_view(corpus).substr(at, 1024));
        while (screen.TakeLine()) {
        }
    }
    std::printf("screen: %d lines, %lld dropped\n", screen.Lines(),
                static_cast<long long>(screen.LinesDropped()));
    std::size_t found = 0;
    const double loose = MsPerKeystroke(screen, "dragon", {}, found);
    std::printf("typing \"dragon\", any case:           %.2f ms per keystroke (%zu matches)\n",
                loose, found);
    const double strict =
        MsPerKeystroke(screen, "dragon", {.matchCase = true, .wholeWords = true}, found);
    std::printf("typing \"dragon\", case, whole words: %.2f ms per keystroke (%zu matches)\n",
                strict, found);
    return 0;
}
