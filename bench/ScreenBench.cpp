// Throughput of the terminal screen: the game corpus fed through AddText in 1024-byte
// blocks with the line queue drained after each, for two scrollback sizes, and a plain
// memcpy of the same bytes as the reference of this machine; then a multilingual UTF-8
// text (wide characters, combining marks, emoji) through a UTF-8 screen, and Chinese text
// through a GB18030 screen. Then the intake of a negotiated connection: the same corpus
// through the telnet layer into the screen, plain and compressed (MCCP, as a server flushes
// it every 4 KiB), in MB/s of game text. Last, a colourful UTF-8 corpus (256 and true
// colours, backgrounds, styles) in UTF-8 with basic and with full colour, beside the game
// corpus in full colour; the goal for UTF-8 in full colour is 200 MB/s on an idle machine.
// Each of these is compared with the basic game corpus measured beside it, pass for pass,
// which tells the most on a busy machine.
#include "bench/Corpus.h"
#include "net/TelnetProtocol.h"
#include "screen/MudScreen.h"

#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
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

// The corpus as a server compressing it would send it: the MCCP start, then a zlib
// stream flushed every 4 KiB of text.
std::string CompressedStream(const std::string& text) {
    std::string out = "\xFF\xFA\x56\xFF\xF0";
    z_stream z{};
    deflateInit(&z, Z_DEFAULT_COMPRESSION);
    std::vector<char> chunk(64 * 1024);
    for (std::size_t at = 0; at < text.size(); at += 4096) {
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data() + at));
        z.avail_in = static_cast<uInt>(std::min<std::size_t>(4096, text.size() - at));
        do {
            z.next_out = reinterpret_cast<Bytef*>(chunk.data());
            z.avail_out = static_cast<uInt>(chunk.size());
            deflate(&z, Z_SYNC_FLUSH);
            out.append(chunk.data(), chunk.size() - z.avail_out);
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    return out;
}

// The lines, each ended by CR LF, over and over up to `bytes`.
template <std::size_t N> std::string RepeatLines(const char* const (&lines)[N], std::size_t bytes) {
    std::string out;
    for (std::size_t k = 0; out.size() < bytes; ++k) {
        out += lines[k % N];
        out += "\r\n";
    }
    out.resize(bytes);
    return out;
}

// Game-like UTF-8 text in several scripts: accented Latin (some with combining marks),
// Greek, Cyrillic, Chinese, Japanese, Korean and emoji, with colour changes and prompts,
// repeated up to `bytes`.
std::string MultilingualCorpus(std::size_t bytes) {
    static const char* const kLines[] = {
        "The caf\xC3\xA9 is open; a cre\xCC\x80me br\xC3\xBBl\xC3\xA9"
        "e waits on the counter.",
        "\x1B[1;33m\xCE\x9F \xCF\x86\xCF\x8D\xCE\xBB\xCE\xB1\xCE\xBA\xCE\xB1\xCF\x82 "
        "\xCF\x83\xCE\xB5 \xCF\x87\xCE\xB1\xCE\xB9\xCF\x81\xCE\xB5\xCF\x84\xCE\xAC\x1B[0m",
        "\xD0\x9E\xD1\x80\xD0\xBA \xD0\xB1\xD1\x8C\xD1\x91\xD1\x82 \xD1\x82\xD0\xB5\xD0\xB1"
        "\xD1\x8F \xD0\xB4\xD1\x83\xD0\xB1\xD0\xB8\xD0\xBD\xD0\xBE\xD0\xB9.",
        "\xE4\xBD\xA0\xE7\x9C\x8B\xE5\x88\xB0\xE4\xB8\x80\xE5\xBA\xA7\xE9\xAB\x98\xE5\xA1"
        "\x94\xEF\xBC\x8C\xE5\x8C\x97\xE9\x9D\xA2\xE6\x9C\x89\xE4\xB8\x80\xE6\x89\x87\xE9"
        "\x97\xA8\xE3\x80\x82",
        "\xE3\x82\xA8\xE3\x83\xAB\xE3\x83\x95\xE3\x81\x8C\xE8\xA9\xB1\xE3\x81\x99: "
        "\xE3\x81\x93\xE3\x82\x93\xE3\x81\xAB\xE3\x81\xA1\xE3\x81\xAF \xF0\x9F\x98\x80 "
        "\xEC\x95\x88\xEB\x85\x95\xED\x95\x98\xEC\x84\xB8\xEC\x9A\x94",
        "HP: 120/120 MP: 45/80 \xE2\x9D\xA4 > \xFF\xF9",
    };
    return RepeatLines(kLines, bytes);
}

// Chinese game text in GB18030: a room, a speech in colour, a traditional line, a prompt.
std::string ChineseGb18030Corpus(std::size_t bytes) {
    static const char* const kLines[] = {
        "\xC4\xE3\xBF\xB4\xB5\xBD\xD2\xBB\xD7\xF9\xB8\xDF\xCB\xFE\xA3\xAC\xB1\xB1\xC3\xE6"
        "\xD3\xD0\xD2\xBB\xC9\xC8\xC3\xC5\xA1\xA3",
        "\x1B[1;33m\xB5\xEA\xD0\xA1\xB6\xFE\xD0\xA6\xC3\xD0\xC3\xD0\xB5\xD8\xCB\xB5\xB5\xC0"
        "\xA3\xBA\xBF\xCD\xB9\xD9\xA3\xAC\xC0\xEF\xB1\xDF\xC7\xEB\xA3\xA1\x1B[0m",
        "\xDF\x40\xD1\x65\xCA\xC7\x93\x50\xD6\xDD\xB3\xC7\xB5\xC4\xD6\xD0\xD1\xEB\x8F\x56"
        "\x88\xF6\xA3\xAC\xCB\xC4\xD6\xDC\xC8\xCB\x81\xED\xC8\xCB\xCD\xF9\xA1\xA3",
        "HP: 120/120 MP: 45/80 > \xFF\xF9",
    };
    return RepeatLines(kLines, bytes);
}

// Feeds the screen whatever the telnet layer hands it.
struct ScreenFeed final : tav::TelnetEvents {
    tav::TMudScreen& screen;
    std::size_t text = 0;
    explicit ScreenFeed(tav::TMudScreen& s) : screen(s) {}
    void ScreenBytes(std::string_view bytes) override {
        text += bytes.size();
        screen.AddText(bytes);
        while (screen.TakeLine()) {
        }
    }
    void SendBytes(std::string_view) override {}
    void PromptEnd() override {}
    void Utf8Agreed() override {}
    void Gmcp(std::string_view) override {}
    void Msdp(std::string_view) override {}
    void Failed(std::string_view) override {}
};

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

    // One pass of the text in 1024-byte blocks through a fresh screen in the given encoding
    // and colours, in seconds. `columns` 0 keeps the screen's own 80 visible columns on the
    // classic buffer; otherwise the window shows that many, on a buffer as wide as it needs.
    auto pass = [](const std::string& text, int lines, tav::TextEncoding encoding,
                   tav::ColourMode colours = tav::ColourMode::Basic, int columns = 0) {
        tav::Settings settings{};
        settings.urlaware = 1;
        const auto start = std::chrono::steady_clock::now();
        tav::TMudScreen screen(settings);
        screen.SetEncoding(encoding);
        screen.SetColourMode(colours);
        if (columns > tav::kBufferColumns) screen.SetBufferColumns(tav::kWideBufferColumns);
        screen.ResetScreen(lines);
        if (columns > 0) screen.SetSize(24, columns);
        for (std::size_t at = 0; at < text.size(); at += kBlock) {
            screen.AddText(text.data() + at, std::min(kBlock, text.size() - at));
            while (screen.TakeLine()) {
            }
        }
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        return took.count();
    };
    // The best of three passes.
    auto intake = [&pass](const std::string& text, int lines, tav::TextEncoding encoding,
                          int columns = 0) {
        double best = 1e30;
        for (int round = 0; round < 3; ++round)
            best = std::min(best, pass(text, lines, encoding, tav::ColourMode::Basic, columns));
        return best;
    };
    for (int lines : {500, 10000}) {
        const double secs = intake(corpus, lines, tav::TextEncoding::SevenBit);
        std::printf("AddText, scrollback %5d: %8.1f MB/s\n", lines, mb / secs);
    }
    // A screen as wide as a wide window against the classic 132 columns, both filled.
    const double classic = intake(corpus, 10000, tav::TextEncoding::SevenBit, 132);
    const double wide = intake(corpus, 10000, tav::TextEncoding::SevenBit, 250);
    std::printf("AddText, 132 columns: %8.1f MB/s; 250 columns: %8.1f MB/s (%.2fx)\n", mb / classic,
                mb / wide, classic / wide);
    const std::string multilingual = MultilingualCorpus(kCorpusBytes / 4);
    const double multilingualMb = static_cast<double>(multilingual.size()) / 1e6;
    std::printf("AddText UTF-8, multilingual, scrollback 10000: %8.1f MB/s\n",
                multilingualMb / intake(multilingual, 10000, tav::TextEncoding::Utf8));
    const std::string chinese = ChineseGb18030Corpus(kCorpusBytes / 4);
    std::printf("AddText GB18030, Chinese, scrollback 10000: %8.1f MB/s\n",
                static_cast<double>(chinese.size()) / 1e6 /
                    intake(chinese, 10000, tav::TextEncoding::Gb18030));

    const std::string compressed = CompressedStream(corpus);
    std::printf("compressed stream: %.1f MB (%.1fx)\n",
                static_cast<double>(compressed.size()) / 1e6,
                static_cast<double>(corpus.size()) / static_cast<double>(compressed.size()));
    double plainSeconds = 0;
    // The second compressed run inflates on a thread of its own, as the session does.
    for (const int run : {0, 1, 2}) {
        const std::string* wire = run == 0 ? &corpus : &compressed;
        const bool threaded = run == 2;
        tav::Settings settings{};
        settings.urlaware = 1;
        static std::size_t plainShown = 0;
        std::size_t shown = 0;
        const double secs = BestSeconds(3, [&] {
            tav::TMudScreen screen(settings);
            screen.ResetScreen(10000);
            ScreenFeed feed(screen);
            tav::TelnetProtocol protocol({}, feed);
            // The server offered compression and the client agreed.
            protocol.SetInflateThread(threaded);
            protocol.Receive("\xFF\xFB\x56");
            for (std::size_t at = 0; at < wire->size(); at += kBlock)
                protocol.Receive(std::string_view(*wire).substr(at, kBlock));
            protocol.Flush();
            shown = feed.text;
        });
        if (wire == &corpus) plainShown = shown;
        if (wire == &corpus) plainSeconds = secs;
        if (shown != plainShown) std::printf("(compressed and plain intake differ!)\n");
        std::printf("intake, telnet layer, %s: %8.1f MB/s of game text (%.2fx plain)\n",
                    wire == &corpus ? "plain               "
                    : threaded      ? "MCCP, inflate thread"
                                    : "MCCP                ",
                    mb / secs, plainSeconds / secs);
    }

    const std::string colourful = tav::bench::ColourfulCorpus(kCorpusBytes);
    struct Run {
        const char* name;
        const std::string* text;
        tav::TextEncoding encoding;
        tav::ColourMode colours;
    };
    const Run runs[] = {
        {"game corpus, Latin-1            ", &corpus, tav::TextEncoding::Latin1,
         tav::ColourMode::Basic},
        {"game corpus, UTF-8              ", &corpus, tav::TextEncoding::Utf8,
         tav::ColourMode::Basic},
        {"game corpus, 7-bit, full colour ", &corpus, tav::TextEncoding::SevenBit,
         tav::ColourMode::Full},
        {"game corpus, UTF-8, full colour ", &corpus, tav::TextEncoding::Utf8,
         tav::ColourMode::Full},
        {"colourful, UTF-8, basic colour  ", &colourful, tav::TextEncoding::Utf8,
         tav::ColourMode::Basic},
        {"colourful, UTF-8, full colour   ", &colourful, tav::TextEncoding::Utf8,
         tav::ColourMode::Full},
    };
    for (const Run& run : runs) {
        // Each against the basic game corpus measured beside it, pass for pass: the first
        // screens of a process pay for fresh memory, and a busy machine changes speed.
        double secs = 1e30;
        double basic = 1e30;
        for (int round = 0; round < 3; ++round) {
            basic = std::min(basic, pass(corpus, 10000, tav::TextEncoding::SevenBit));
            secs = std::min(secs, pass(*run.text, 10000, run.encoding, run.colours));
        }
        const double runMb = static_cast<double>(run.text->size()) / 1e6;
        std::printf("AddText, %s: %8.1f MB/s (%.2fx the basic game corpus, %.1f MB/s)\n", run.name,
                    runMb / secs, (runMb / secs) / (mb / basic), mb / basic);
    }
    return 0;
}
