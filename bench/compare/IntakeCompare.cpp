// The terminal intake as one tree's core libraries do it, built by scripts/bench-compare
// against an older tree and the current one so that both run the same program: the game
// corpus (32 MiB) through TMudScreen::AddText in 1024-byte blocks, the completed lines
// taken after each block, on an 80x24 screen with 10,000 lines of scrollback, in the
// screen's default colours and 7-bit. Prints one line: the best of `rounds` in MB/s.
//
// Only what every tree's screen has is used; where the geometry call differs, the program
// asks the screen which one it has.
#include "bench/Corpus.h"
// The screen moved from term/ to screen/; an older tree has it in term/.
#if __has_include("screen/MudScreen.h")
#include "screen/MudScreen.h"
#else
#include "term/MudScreen.h"
#endif

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// An 80x24 screen, in rows and columns where the screen takes them, else in pixels.
template <typename Screen> void MakeSize(Screen& screen) {
    if constexpr (requires { screen.SetSize(24, 80); }) {
        screen.SetSize(24, 80);
    } else {
        screen.SetCellSize(8, 16);
        screen.SetScreenRect({0, 0, 80 * 8 + 4, 24 * 16}, false);
    }
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 3;
    const std::string corpus = tav::bench::GameCorpus(32u << 20);
    constexpr std::size_t kBlock = 1024;
    double best = 1e30;
    for (int r = 0; r < rounds; ++r) {
        tav::Settings settings{};
        tav::TMudScreen screen(settings);
        screen.ResetScreen(10'000);
        MakeSize(screen);
        std::size_t lines = 0;
        const auto start = std::chrono::steady_clock::now();
        for (std::size_t at = 0; at < corpus.size(); at += kBlock) {
            screen.AddText(corpus.data() + at, std::min(kBlock, corpus.size() - at));
            while (screen.TakeLine())
                ++lines;
        }
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
        if (lines == 0) return 1; // the work was not done
    }
    std::printf("%.1f\n", static_cast<double>(corpus.size()) / best / 1e6);
    return 0;
}
