#include "tools/ScreenOptions.h"

#include <cstdlib>
#include <cstring>

namespace tav::tools {

namespace {

bool ParseCount(const char* text, int& value) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || v < 1 || v > kMaxScreenLines) return false;
    value = static_cast<int>(v);
    return true;
}

} // namespace

OptionParse ParseScreenOption(int argc, char** argv, int& i, ScreenOptions& options) {
    const char* arg = argv[i];
    struct Counted {
        const char* name;
        int* value;
    };
    const Counted counted[] = {{"--rows", &options.rows},
                               {"--cols", &options.cols},
                               {"--lines", &options.lines},
                               {"--chunk", &options.chunk}};
    for (const Counted& c : counted) {
        if (std::strcmp(arg, c.name) != 0) continue;
        return i + 1 < argc && ParseCount(argv[++i], *c.value) ? OptionParse::Taken
                                                               : OptionParse::Bad;
    }
    if (!std::strcmp(arg, "--encoding")) {
        if (i + 1 >= argc) return OptionParse::Bad;
        const auto encoding = EncodingFromWord(argv[++i]);
        if (!encoding) return OptionParse::Bad;
        options.encoding = *encoding;
        return OptionParse::Taken;
    }
    if (!std::strcmp(arg, "--no-autowrap")) {
        options.autowrap = false;
        return OptionParse::Taken;
    }
    if (!std::strcmp(arg, "--full-colour")) {
        options.colours = ColourMode::Full;
        return OptionParse::Taken;
    }
    if (!std::strcmp(arg, "--no-appendcr")) {
        options.appendcr = false;
        return OptionParse::Taken;
    }
    return OptionParse::NotMine;
}

void ApplyScreenOptions(const ScreenOptions& options, TMudScreen& screen) {
    if (options.lines != screen.Lines()) screen.ResetScreen(options.lines);
    screen.autowrap = options.autowrap;
    screen.appendcr = options.appendcr;
    screen.SetEncoding(options.encoding);
    screen.SetColourMode(options.colours);
    screen.SetSize(options.rows, options.cols);
}

} // namespace tav::tools
