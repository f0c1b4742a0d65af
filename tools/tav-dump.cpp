// tav-dump: feeds a byte stream through one terminal screen and prints what it made of
// it -- the results and queued lines of every AddText call, then the cursor and every
// buffer line that holds something, with its attribute runs. See tools/README.md.
#include "screen/MudScreen.h"
#include "tools/DumpFormat.h"
#include "tools/ScreenOptions.h"

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
               "[--no-appendcr] [--urlaware] [--chunk N] [--encoding 7bit|latin1|utf8] "
               "[--full-colour] [FILE]\n",
               stderr);
    return 2;
}

// In full colour: `colour n` and the runs of equal explicit colours, each as
// `col:len:text/back`; nothing for a line without any.
void PrintColours(const tav::ScreenLine& line, int n) {
    if (!line.colors) return;
    std::string runs;
    bool any = false;
    for (int k = 0; k < line.width;) {
        const tav::CellColor text = line.TextColor(k);
        const tav::CellColor back = line.BackColor(k);
        int run = k;
        while (run < line.width && line.TextColor(run) == text && line.BackColor(run) == back)
            ++run;
        any = any || text != 0 || back != 0;
        runs += " " + std::to_string(k) + ":" + std::to_string(run - k) + ":" +
                tav::tools::CellColorWord(text) + "/" + tav::tools::CellColorWord(back);
        k = run;
    }
    if (any) std::printf("colour %d%s\n", n, runs.c_str());
}

void PrintLine(const tav::TMudScreen& screen, int n, bool colours) {
    const tav::ScreenLine& line = screen.Line(n);
    int last = -1;
    bool attrs = false;
    for (int k = 0; k < line.width; ++k) {
        if (line.ch[k] != 0) last = k;
        if (line.attr[k] != tav::attr::kNormal) attrs = true;
        if (colours && (line.TextColor(k) != 0 || line.BackColor(k) != 0)) attrs = true;
    }
    if (last < 0 && !attrs) return;
    // The cells' bytes in the 8-bit encodings, UTF-8 with Unicode cells; an empty cell
    // before the last filled one prints as NUL, as it always has.
    std::string text;
    for (int k = 0; k <= last; ++k) {
        if (line.ch[k] == 0)
            text.push_back('\0');
        else
            tav::AppendCellText(text, line, k, k + 1, tav::HasUnicodeCells(screen.Encoding()));
    }
    std::printf("line %d %s\nattr %d", n, tav::tools::Escape(text).c_str(), n);
    for (int k = 0; k < line.width;) {
        int run = k;
        while (run < line.width && line.attr[run] == line.attr[k])
            ++run;
        std::printf(" %d:%d:%x", k, run - k, static_cast<unsigned>(line.attr[k]));
        k = run;
    }
    std::printf("\n");
    if (colours) PrintColours(line, n);
}

} // namespace

int main(int argc, char** argv) {
    tav::tools::ScreenOptions options;
    bool urlaware = false;
    const char* file = nullptr;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        switch (tav::tools::ParseScreenOption(argc, argv, i, options)) {
        case tav::tools::OptionParse::Taken: continue;
        case tav::tools::OptionParse::Bad: return Usage();
        case tav::tools::OptionParse::NotMine: break;
        }
        if (!std::strcmp(arg, "--urlaware")) {
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
    tav::tools::ApplyScreenOptions(options, screen);

    const std::size_t step =
        options.chunk > 0 ? static_cast<std::size_t>(options.chunk) : input.size();
    for (std::size_t at = 0; at < input.size(); at += step) {
        auto result = screen.AddText(input.data() + at, std::min(step, input.size() - at));
        if (result != tav::ScreenResult::None) std::printf("result %d\n", static_cast<int>(result));
        while (auto line = screen.TakeLine())
            std::printf("queued %s\n", tav::tools::Escape(*line).c_str());
    }

    std::printf("cursor %d %d %d %d top %d\n", screen.CursorRow(), screen.CursorCol(),
                screen.BufferLine(), screen.BufferCol(), screen.Top());
    for (int n = 0; n < screen.Lines(); ++n)
        PrintLine(screen, n, options.colours == tav::ColourMode::Full);
    return 0;
}
