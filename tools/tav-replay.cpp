// tav-replay: runs a recorded byte stream through the terminal session's receive path as
// if a connected server had sent it -- screen, line processing, triggers -- without a
// network, and prints what happened. See tools/README.md.
#include "settings/TextMode.h"
#include "term/HtmlLog.h"
#include "term/PollEventLoop.h"
#include "term/TermSession.h"
#include "tools/DumpFormat.h"
#include "tools/ScreenOptions.h"
#include "triggers/TriggerFile.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using tav::tools::Escape;

int Usage() {
    std::fputs("usage: tav-replay [--triggers TRIGS_NDX] [--rows R] [--cols C] [--lines L] "
               "[--no-autowrap] [--no-appendcr] [--chunk N] [--encoding 7bit|latin1|utf8] "
               "[--full-colour] [--input TEXT]... [--html-log FILE] CAPTURE\n",
               stderr);
    return 2;
}

// Prints every processed line (the log file's place in the line pass, after the
// triggers) and every change of the input masking.
struct Printer : tav::LineLog, tav::InputLineControl {
    std::string typed;
    tav::HtmlLog* htmlLog = nullptr; // --html-log: the lines in colour as well
    bool IsOpen() const override { return true; }
    void Write(std::string_view text) override {
        if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
        std::printf("line %s\n", Escape(text, true).c_str());
    }
    void WriteColored(std::string_view line, const tav::LineLook& look) override {
        if (htmlLog) htmlLog->WriteCells(line, look);
    }
    std::optional<std::string> ReadText() override { return typed; }
    void SetMasked(bool masked) override { std::printf("mask %s\n", masked ? "on" : "off"); }
};

} // namespace

int main(int argc, char** argv) {
    tav::tools::ScreenOptions options;
    const char* triggersPath = nullptr;
    const char* capturePath = nullptr;
    const char* htmlLogPath = nullptr;
    std::vector<std::string> inputs;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        switch (tav::tools::ParseScreenOption(argc, argv, i, options)) {
        case tav::tools::OptionParse::Taken: continue;
        case tav::tools::OptionParse::Bad: return Usage();
        case tav::tools::OptionParse::NotMine: break;
        }
        if (!std::strcmp(arg, "--triggers")) {
            if (++i >= argc) return Usage();
            triggersPath = argv[i];
        } else if (!std::strcmp(arg, "--html-log")) {
            if (++i >= argc) return Usage();
            htmlLogPath = argv[i];
        } else if (!std::strcmp(arg, "--input")) {
            if (++i >= argc) return Usage();
            inputs.emplace_back(argv[i]);
        } else if (arg[0] == '-' && arg[1] != '\0') {
            return Usage();
        } else if (!capturePath) {
            capturePath = arg;
        } else {
            return Usage();
        }
    }
    if (!capturePath) return Usage();

    const auto capture = tav::ReadFileBytes(capturePath);
    if (!capture) {
        std::fprintf(stderr, "tav-replay: cannot open %s\n", capturePath);
        return 1;
    }
    tav::TriggerList triggers;
    if (triggersPath) {
        const auto text = tav::ReadTextFile(triggersPath);
        if (!text) {
            std::fprintf(stderr, "tav-replay: cannot open %s\n", triggersPath);
            return 1;
        }
        for (const auto& record : tav::ParseTriggerFile(*text))
            triggers.AddTrigger(record.pattern, record.reaction);
    }

    tav::Settings settings{};
    tav::TMudScreen screen(settings);
    tav::tools::ApplyScreenOptions(options, screen);

    Printer printer;
    struct StderrBoxes : tav::MessageBoxes {
        bool failed = false;
        void ShowMessage(std::string_view text, std::string_view) override {
            failed = true;
            std::fprintf(stderr, "tav-replay: %.*s\n", static_cast<int>(text.size()), text.data());
        }
    } boxes;
    tav::HtmlLog htmlLog(boxes, [&options] {
        tav::ScreenPalette palette;
        palette.fullColour = options.colours == tav::ColourMode::Full;
        return palette;
    });
    if (htmlLogPath) {
        if (!htmlLog.Begin(htmlLogPath)) return 1;
        screen.keepLineAttributes = true;
        printer.htmlLog = &htmlLog;
    }
    tav::PollEventLoop loop;
    tav::TermServices services;
    services.input = &printer;
    services.log = &printer;
    services.triggers = &triggers;
    services.onSent = [](std::string_view bytes) {
        std::printf("send %s\n", Escape(bytes, true).c_str());
    };
    tav::TermSession session(settings, screen, loop, services);
    session.Adopt(-1); // connected, with sends recorded instead of transmitted

    for (const auto& input : inputs) {
        printer.typed = input;
        session.SubmitInput();
    }
    // Reads of at most one receive block, as the connection reads, unless --chunk is smaller.
    const std::string& bytes = *capture;
    const std::size_t step =
        options.chunk > 0 ? std::min(static_cast<std::size_t>(options.chunk), tav::kReceiveBlock)
                          : tav::kReceiveBlock;
    for (std::size_t at = 0; at < bytes.size(); at += step)
        session.ReceiveBytes(bytes.data() + at, std::min(step, bytes.size() - at));
    htmlLog.End();
    return boxes.failed ? 1 : 0;
}
