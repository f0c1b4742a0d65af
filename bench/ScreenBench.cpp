// Throughput of the terminal screen: the game corpus fed through AddText in 1024-byte
// blocks with the line queue drained after each, for two scrollback sizes, and a plain
// memcpy of the same bytes as the reference of this machine.
#include "bench/Corpus.h"
#include "term/MudScreen.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr std::size_t kCorpusBytes = 32u << 20;
constexpr std::size_t kBlock = 1024;

template <typename F> double BestSeconds(int rounds, F&& run) {
    double best = 1e30;
    for (int r = 0; r < rounds; ++r) {
        auto start = std::chrono::steady_clock::now();
        run();
        std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

} // namespace

int main() {
    const std::string corpus = tav::bench::GameCorpus(kCorpusBytes);
    const double mb = static_cast<double>(corpus.size()) / 1e6;
    std::printf("corpus: %.1f MB\n", mb);

    std::vector<char> sink(kBlock);
    double copy = BestSeconds(5, [&] {
        for (std::size_t at = 0; at < corpus.size(); at += kBlock) {
            std::memcpy(sink.data(), corpus.data() + at, std::min(kBlock, corpus.size() - at));
            asm volatile("" : : "r"(sink.data()) : "memory");
        }
    });
    std::printf("memcpy reference:          %8.0f MB/s\n", mb / copy);

    for (int lines : {500, 10000}) {
        tav::Settings settings{};
        settings.urlaware = 1;
        std::size_t queued = 0;
        double secs = BestSeconds(3, [&] {
            tav::TMudScreen screen(settings);
            screen.ResetScreen(lines);
            for (std::size_t at = 0; at < corpus.size(); at += kBlock) {
                screen.AddText(corpus.data() + at, std::min(kBlock, corpus.size() - at));
                while (auto line = screen.TakeLine())
                    queued += line->size();
            }
        });
        std::printf("AddText, scrollback %5d: %8.1f MB/s\n", lines, mb / secs);
    }
    return 0;
}
