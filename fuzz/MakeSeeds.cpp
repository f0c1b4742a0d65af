// Writes the starting corpus of every fuzz target: golden settings files, the benchmark's
// game output, trigger files, the client messages the demo world lacks, and the captures
// of a demo session. Usage: fuzz_seeds SOURCE_DIR CAPTURE_DIR OUT_DIR (writes
// OUT_DIR/<target>/<seed>; CAPTURE_DIR may lack term.bin and client.bin).
#include "bench/Corpus.h"
#include "client/MessageHeader.h"
#include "client/MessageType.h"
#include "client/OutgoingMessage.h"
#include "fuzz/ScreenOps.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

namespace {

namespace fs = std::filesystem;
using namespace tav::fuzz;
using namespace std::string_view_literals;

fs::path gOut;

void Write(const std::string& target, const std::string& name, std::string_view bytes) {
    fs::create_directories(gOut / target);
    std::ofstream(gOut / target / name, std::ios::binary).write(bytes.data(), bytes.size());
}

std::string ReadOr(const fs::path& path, std::string fallback = {}) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return fallback;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A 16-bit value to end a seed with: FuzzedDataProvider reads integers from the end, last
// byte first (most significant).
std::string Trailing16(std::size_t value) {
    return {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF)};
}

std::vector<std::string> SplitFrames(std::string_view stream) {
    std::vector<std::string> frames;
    while (stream.size() >= tav::kLengthBytes) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(stream.data());
        const std::size_t size = tav::kLengthBytes + tav::LoadLe32(bytes);
        if (size > stream.size()) break;
        frames.emplace_back(stream.substr(0, size));
        stream.remove_prefix(size);
    }
    return frames;
}

std::string Frame(tav::IncomingType type, std::string_view text1, std::string_view data = {},
                  std::string_view text2 = {}) {
    tav::OutgoingMessage message; // the server's frames are laid out as the client's
    message.header.type = static_cast<std::int32_t>(type);
    tav::SetText(message.header.text1, text1);
    tav::SetText(message.header.text2, text2);
    message.data.assign(data.begin(), data.end());
    const std::vector<std::uint8_t> frame = tav::EncodeFrame(message);
    return {frame.begin(), frame.end()};
}

void ScreenSeeds(const std::string& term) {
    const std::string game = tav::bench::GameCorpus(6000);
    std::string script;
    AppendFeed(script, game.substr(0, 3000));
    AppendOp(script, ScreenOp::PageUp, {"\0", 1});
    AppendResize(script, 50, 100);
    AppendFeed(script, game.substr(3000));
    AppendOp(script, ScreenOp::ScrollBar, {"\x08\0\0", 3}); // Bottom
    Write("screen_fuzzer", "game", script);

    if (!term.empty()) {
        script.clear();
        AppendResize(script, 30, 90);
        AppendFeed(script, std::string_view(term).substr(0, 12000));
        AppendOp(script, ScreenOp::PageUp, "\x01");
        AppendOp(script, ScreenOp::PageDown, "\x01");
        Write("screen_fuzzer", "demo-session", script);
    }
}

void TermChunkSeeds(const std::string& term) {
    // Trailing: cut seed (its top bits: full colour, telnet prompts mid-line for the
    // sessions, MCCP), columns - 1, rows - 1, modes (as the target reads them).
    auto seed = [](const std::string& stream, int rows, int cols, int modes) {
        return stream + "\x5a\x17\xc3\x61" + static_cast<char>(cols - 1) +
               static_cast<char>(rows - 1) + static_cast<char>(modes);
    };
    Write("term_chunks_fuzzer", "game", seed(tav::bench::GameCorpus(3000), 24, 80, 0x37));
    // The byte before the cut seed picks the encoding: 2 UTF-8, 3 GB18030, 4 Big5.
    Write("term_chunks_fuzzer", "utf8",
          seed("\xE4\xB8\xAD\xE6\x96\x87 e\xCC\x81 \xF0\x9F\x98\x80\xE2\x80\x8B"
               "wrap\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\r\n\x02",
               5, 9, 0x37));
    for (std::size_t at = 0, n = 0; at < term.size() && n < 8; at += 4000, ++n)
        Write("term_chunks_fuzzer", "demo-" + std::to_string(n),
              seed(term.substr(at, 4000), 24, 80, 0x27));
}

void TelnetSeeds(const std::string& term) {
    // Trailing, as the target reads them: the cut seed (eight pieces of these seeds),
    // then the mode (1 compress the second half, 2 end the stream, 4 accept UTF-8).
    auto seed = [](int mode, std::string stream) {
        return stream + std::string("\x93\x13\x01\0", 4) + static_cast<char>(mode);
    };
    const std::string offers =
        "\xff\xfb\x01\xff\xfd\x18\xff\xfd\x1f\xff\xfb\x2a\xff\xfb\xc9\xff\xfb\x45"
        "\xff\xfb\x19\xff\xfa\x18\x01\xff\xf0\xff\xfa\x2a\x01;UTF-8\xff\xf0"
        "\xff\xfa\xc9"
        "Char.Vitals {\"hp\":5,\"maxhp\":\"9\"}\xff\xf0"
        "\xff\xfa\x45\x01ROOM\x02\x03\x01NAME\x02Hall\x01"
        "EXITS\x02\x05\x02n\x06\x04\xff\xf0"
        "HP> \xff\xef\xff\xf9text \xff\xff\r\n\xff\xfa\xc8"
        "ab\xff\xff\xff\xf0"
        "end";
    Write("telnet_fuzzer", "offers", seed(4, offers));
    Write("telnet_fuzzer", "offers-compressed", seed(7, offers));
    if (!term.empty()) Write("telnet_fuzzer", "demo", seed(0, term.substr(0, 20000)));
    // The leading NUL (GMCP) must be kept: a plain C string would end at it.
    Write("game_data_fuzzer", "vitals", "\0Char.Vitals {\"hp\":5,\"maxhp\":\"9\",\"mv\":1.5}"sv);
}

// Game text for the inflater, as the target reads it: the text, then the cut seed and the
// mode (1 compress, 2 finish the stream, 4 plain bytes after it; the high half the level).
void InflaterSeeds() {
    const std::string text = tav::bench::GameCorpus(4000);
    const auto seed = [&text](int mode) {
        return text + std::string("\x93\x13\x01\0", 4) + static_cast<char>(mode);
    };
    Write("inflater_fuzzer", "finished", seed(0x67));
    Write("inflater_fuzzer", "open", seed(0x91));
    Write("inflater_fuzzer", "stored", seed(0x07));
}

// A short walk as games report it (pieces as room_data_fuzzer reads them), and a shared map.
void MapSeeds() {
    Write("room_data_fuzzer", "walk",
          "\0Room.Info {\"num\":1,\"name\":\"Square\",\"area\":\"Town\",\"exits\":{\"n\":2}}"
          "\xff\3n\xff\0Room.Info {\"num\":2,\"name\":\"Road\",\"coords\":\"1,0,1,0\","
          "\"exits\":{\"s\":1,\"e\":3}}\xff\1\1ROOM_NAME\2Yard\xff\2\1ROOM_VNUM\2"
          "3\xff\5\1\xff\4\1NAME\2Tav\1PLAYERS\2"
          "3"sv);
    Write(
        "map_import_fuzzer", "map",
        "{\"format\":\"tavclient-map\",\"version\":1,\"game_y\":\"south\",\"rooms\":[\n"
        "{\"num\":1,\"name\":\"Square\",\"area\":\"Town\",\"environment\":\"city\",\"x\":0,"
        "\"y\":0,\"z\":0,\"layer\":0,\"game_coordinates\":true,\"exits\":{\"n\":2,\"in\":null}},\n"
        "{\"num\":2,\"name\":\"Road\",\"x\":0,\"y\":1,\"exits\":{\"s\":1}}\n]}\n");
}

void ClientSeeds(const std::string& client) {
    // Trailing: piece seed, then flags (as the target reads them).
    auto seed = [](const std::string& stream, int flags) {
        return stream + "\x35\x9d\x22\x71" + static_cast<char>(flags);
    };
    // The demo world sends every message but these three (the reply longer than a receive
    // chunk); its first of each type joins.
    using T = tav::IncomingType;
    std::string all = Frame(T::edit_request, "Your description", std::string("Tall.\0", 6)) +
                      Frame(T::msg_reply, {}, "Body\r\n" + std::string(5000, '.') + '\0') +
                      Frame(T::brdupdate, "1");
    const std::vector<std::string> captured = SplitFrames(client);
    std::set<std::uint32_t> types;
    for (const std::string& frame : captured)
        if (types.insert(tav::LoadLe32(reinterpret_cast<const std::uint8_t*>(&frame[4]))).second)
            all += frame;
    Write("client_stream_fuzzer", "every-type", seed(all, 0x01));
}

void SettingsSeeds(const fs::path& source) {
    const fs::path data = source / "tests" / "settings" / "data";
    auto seed = [](const std::string& colors, const std::string& settings) {
        return colors.substr(0, 255) + settings +
               static_cast<char>(std::min<std::size_t>(colors.size(), 255));
    };
    Write("settings_files_fuzzer", "golden",
          seed(ReadOr(data / "golden_colors.dat"), ReadOr(data / "golden_tav.cfg")));
}

void TriggerSeeds() {
    auto seed = [](const std::string& file, const std::string& lines) {
        return file + lines + Trailing16(file.size());
    };
    std::string corpusLines;
    for (const std::string& line : tav::bench::CorpusLines(60))
        corpusLines += line + "\n";
    Write("trigger_file_fuzzer", "game",
          seed("the %1 %2\r\nlook %2\r\r\n#\r\nx%1y\r\n%1%%2\r\r\n#\r\n%1\r\n#\r\n", corpusLines));
    // Enough triggers for the pass to index them, some sharing words, some with markers.
    std::string many;
    for (const std::string& line : tav::bench::CorpusLines(24))
        many += line.substr(0, 12) + (many.size() % 3 == 0 ? " %1" : "") + "\r\nsay %1\r\r\n#\r\n";
    Write("trigger_file_fuzzer", "many", seed(many, corpusLines));
    Write("trigger_actions_fuzzer", "entries",
          seed("hit\r\n#\r\nhit\r\nflee\r\r\n#\r\nwin\r\n#\r\n",
               "; notes\r\n[trigger]\r\npattern=hit\r\noccurrence=2\r\nenabled=no\r\n"
               "group=fight\r\ngroup-on=calm\r\ngroup-off=fight\r\nhighlight=match\r\ntext=#"
               "FF8000\r\nback=#000080\r\n"
               "gag=yes\r\ngag-log=yes\r\nsound=hit.wav\r\nchannel=yes\r\nfuture=1\r\n"
               "gag=maybe\r\n[trigger]\r\npattern=gone\r\n[trigger]\r\nenabled=no\r\n"));
}

void TimerSeeds() {
    Write("timer_file_fuzzer", "timers",
          "# mine\r\ntimer=heal|60|on|cast heal;\r\ntimer=walk|1|off|n;s|x\r\n"
          "timer=bad|0|on|x\r\ntimer=a|86400|on|\r\n");
    Write("settings_import_fuzzer", "export",
          "# TavClient settings\n\n[triggers]\ntrigger=%1 tells you %2\nreaction=say hi %1\n"
          "reaction=wave\ntrigger=hungry\n\n[timers]\ntimer=heal|60|on|cast heal;\n\n"
          "[aliases]\nk=kill %1\n\n[buttons]\nbutton=L\ncommand=look\nbutton=E\n\n"
          "[function keys]\nF1=n;s;\nF12=say \xC3\xA9;\n[x]\ny=\xFF\n");
}

void AliasSeeds() {
    auto seed = [](const std::string& file, const std::string& typed, char choice) {
        return file + typed + choice + Trailing16(file.size());
    };
    const std::string file = "k=kill %1\r\nga=get all %1;put all %1 in %2\r\nbad\r\n";
    Write("alias_file_fuzzer", "stacked", seed(file, "ga coin;k orc;.3n2e;say a\\;b", 0x15));
}

void ScriptSeeds() {
    // The last byte picks: 0 lines through triggers (first an expression, as
    // ConsumeRandomLengthString reads it: backslashes doubled, ended by a backslash and
    // another byte), 1 game data, 2 the vars file.
    std::string lines = "^(\\\\w+) says '(.*)'$\\\n";
    for (const std::string& line : tav::bench::CorpusLines(40))
        lines += line + "\n";
    lines += "Bob says 'caf\xC3\xA9'\n<100/120hp>\n\xff\xfe nul\0byte"sv;
    Write("script_fuzzer", "lines", lines + '\0');
    Write("script_fuzzer", "gmcp",
          std::string(R"({"hp":25,"maxhp":80,"exits":{"n":1},"list":[1,null,2.5,"x",true]})") +
              '\1');
    Write("script_fuzzer", "vars",
          std::string(R"({"count":2,"list":[1,2.5,"x"],"nested":{"a":{"b":true},"7":"seven"}})") +
              '\2');
}

// The tests' MP3 (kind byte 1) and a module of the same shape as theirs (kind byte 0).
void MusicSeeds(const fs::path& source) {
    Write("music_fuzzer", "mp3", "\1" + ReadOr(source / "tests/sound/data/tone.mp3"));
    std::string mod(20 + 31 * 30, '\0');
    mod[20 + 23] = mod[20 + 29] = 16; // sample 1: 32 bytes, looped, volume 64
    mod[20 + 25] = 64;
    mod += std::string("\1\x7F") + std::string(128, '\0') + "M.K.";
    std::string pattern(1024, '\0');
    pattern[0] = 0x01, pattern[1] = static_cast<char>(0xAC), pattern[2] = 0x10; // C-2, sample 1
    pattern[3 * 16 + 2] = 0x0D;                                                 // break on row 3
    mod += pattern + std::string(16, 'd') + std::string(16, '\x9C');
    Write("music_fuzzer", "mod", "\0" + mod);
}

void QuickLinkSeeds() {
    Write("quick_link_fuzzer", "link", "telnet://mud.example.org:4000/");
    Write("quick_link_fuzzer", "words", "127.0.0.1\n23");
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s SOURCE_DIR CAPTURE_DIR OUT_DIR\n", argv[0]);
        return 2;
    }
    const fs::path captures = argv[2];
    gOut = argv[3];
    const std::string term = ReadOr(captures / "term.bin");
    const std::string client = ReadOr(captures / "client.bin");
    ScreenSeeds(term);
    TermChunkSeeds(term);
    TelnetSeeds(term);
    InflaterSeeds();
    ClientSeeds(client);
    SettingsSeeds(argv[1]);
    TriggerSeeds();
    TimerSeeds();
    AliasSeeds();
    MapSeeds();
    ScriptSeeds();
    QuickLinkSeeds();
    MusicSeeds(argv[1]);
    return 0;
}
