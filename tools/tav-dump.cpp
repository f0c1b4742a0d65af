// tav-dump: feeds a byte stream through one terminal screen and prints what it made of
// it -- the results and queued lines of every AddText call, then the cursor and every
// buffer line that holds something, with its attribute runs. See tools/README.md.
#include "term/MudScreen.h"
#include "tools/DumpFormat.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

namespace {

int Usage() {
    std::fputs("usage: tav-dump [--rows R] [--cols C] [--lines L] [--no-autowrap] "
               "[--no-appendcr] [--urlaware] [--chunk N] [FILE]\n",
               stderr);
    return 2;
}

bool ParseCount(const char* text, int& value) {
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || v < 1 || v > tav::kMaxScreenLines) return false;
    value = static_cast<int>(v);
    return true;
}

void PrintLine(const tav::TMudScreen& screen, int n) {
    const tav::ScreenLine& line = screen.Line(n);
    int last = -1;
    bool attrs = false;
    for (int k = 0; k < tav::kBufferColumns; ++k) {
        if (line.ch[k] != 0) last = k;
        if (line.attr[k] != tav::attr::kNormal) attrs = true;
    }
    if (last < 0 && !attrs) return;
    std::string text(line.ch, static_cast<std::size_t>(last + 1));
    std::printf("line %d %s\nattr %d", n, tav::tools::Escape(text).c_str(), n);
    for (int k = 0; k < tav::kBufferColumns;) {
        int run = k;
        while (run < tav::kBufferColumns && line.attr[run] == line.attr[k])
            ++run;
        std::printf(" %d:%d:%x", k, run - k, static_cast<unsigned>(line.attr[k]));
        k = run;
    }
    std::printf("\n");
}

} // namespace

int main(int argc, char** argv) {
    int rows = 24, cols = 80, lines = 100, chunk = 0;
    bool autowrap = true, appendcr = true, urlaware = false;
    const char* file = nullptr;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        auto value = [&](int& out) { return i + 1 < argc && ParseCount(argv[++i], out); };
        if (!std::strcmp(arg, "--rows")) {
            if (!value(rows)) return Usage();
        } else if (!std::strcmp(arg, "--cols")) {
            if (!value(cols)) return Usage();
        } else if (!std::strcmp(arg, "--lines")) {
            if (!value(lines)) return Usage();
        } else if (!std::strcmp(arg, "--chunk")) {
            if (!value(chunk)) return Usage();
        } else if (!std::strcmp(arg, "--no-autowrap")) {
            autowrap = false;
        } else if (!std::strcmp(arg, "--no-appendcr")) {
            appendcr = false;
        } else if (!std::strcmp(arg, "--urlaware")) {
            urlaware = true;
        } else if (arg[0] == '-' && arg[1] != '\0') {
            return Usage();
        } else if (!file) {
            file = arg;
        } else {
            return Usage();
        }
    }

    std::string input;
    if (file) {
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "tav-dump: cannot open %s\n", file);
            return 1;
        }
        input.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } else {
        input.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    }

    tav::Settings settings{};
    settings.urlaware = urlaware ? 1 : 0;
    tav::TMudScreen screen(settings);
    if (lines != screen.Lines()) screen.ResetScreen(lines);
    screen.autowrap = autowrap;
    screen.appendcr = appendcr;
    // The rectangle SetScreenRect would be given for rows x cols cells.
    screen.SetScreenRect({0, 0, cols * screen.CellWidth() + 4, rows * screen.CellHeight()}, false);

    const std::size_t step = chunk > 0 ? static_cast<std::size_t>(chunk) : input.size();
    for (std::size_t at = 0; at < input.size(); at += step) {
        auto result = screen.AddText(input.data() + at, std::min(step, input.size() - at));
        if (result != tav::ScreenResult::None) std::printf("result %d\n", static_cast<int>(result));
        while (auto line = screen.TakeLine())
            std::printf("queued %s\n", tav::tools::Escape(*line).c_str());
    }

    std::printf("cursor %d %d %d %d top %d\n", screen.CursorRow(), screen.CursorCol(),
                screen.BufferLine(), screen.BufferCol(), screen.Top());
    for (int n = 0; n < screen.Lines(); ++n)
        PrintLine(screen, n);
    return 0;
}
