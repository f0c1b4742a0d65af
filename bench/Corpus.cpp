#include "bench/Corpus.h"

#include <cstdint>
#include <string_view>

namespace tav::bench {

namespace {

// A small fixed-seed generator so the corpus is the same on every machine.
class Rng {
public:
    std::uint32_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    std::size_t Below(std::size_t n) { return Next() % n; }

private:
    std::uint32_t state_ = 0x2545F491u;
};

constexpr std::string_view kWords[] = {
    "the",      "a",       "dark",     "forest", "path",  "leads",  "north",    "you",   "see",
    "goblin",   "sword",   "shield",   "gold",   "coins", "is",     "here",     "guard", "says",
    "hello",    "tavern",  "ancient",  "stone",  "door",  "east",   "west",     "south", "light",
    "flickers", "quietly", "merchant", "offers", "wares", "dragon", "sleeps",   "under", "mountain",
    "hits",     "misses",  "your",     "attack", "heals", "wounds", "fountain",
};
constexpr std::string_view kColours[] = {"\x1b[1;31m", "\x1b[32m", "\x1b[0;33m", "\x1b[1;34m",
                                         "\x1b[35m",   "\x1b[36m", "\x1b[37m",   "\x1b[1m"};

void Sentence(Rng& rng, std::string& out, std::size_t length) {
    const std::size_t start = out.size();
    while (out.size() - start < length) {
        if (out.size() > start) out.push_back(' ');
        out += kWords[rng.Below(std::size(kWords))];
    }
}

void Line(Rng& rng, std::string& out, bool plain) {
    const std::size_t kind = rng.Below(100);
    if (kind < 8 && !plain) {
        out += "<100hp 80m 120mv> \xff\xf9"; // prompt with IAC GA
        return;
    }
    if (kind < 12) {
        out += "Visit http://www.example.org/page";
        out += std::to_string(rng.Below(1000));
        out += " for the map.";
    } else if (kind < 16) {
        Sentence(rng, out, 160 + rng.Below(100)); // wraps on an 80-column screen
    } else if (kind < 41 && !plain) {
        Sentence(rng, out, 10 + rng.Below(30));
        out += kColours[rng.Below(std::size(kColours))];
        Sentence(rng, out, 10 + rng.Below(30));
        out += "\x1b[0m";
        Sentence(rng, out, 10 + rng.Below(20));
    } else {
        Sentence(rng, out, 40 + rng.Below(60));
    }
    out += plain ? "" : "\r\n";
}

} // namespace

std::string GameCorpus(std::size_t bytes) {
    Rng rng;
    std::string out;
    out.reserve(bytes + 512);
    while (out.size() < bytes)
        Line(rng, out, false);
    return out;
}

std::string ColourfulCorpus(std::size_t bytes) {
    constexpr std::string_view kAccented[] = {"caf\xC3\xA9", "na\xC3\xAFve", "\xE2\x86\x92",
                                              "stra\xC3\x9F"
                                              "e"};
    Rng rng;
    std::string out;
    out.reserve(bytes + 512);
    while (out.size() < bytes) {
        const std::size_t words = 6 + rng.Below(10);
        for (std::size_t w = 0; w < words; ++w) {
            switch (rng.Below(6)) {
            case 0: out += "\x1b[38;5;" + std::to_string(rng.Below(256)) + "m"; break;
            case 1:
                out += "\x1b[38;2;" + std::to_string(rng.Below(256)) + ";" +
                       std::to_string(rng.Below(256)) + ";" + std::to_string(rng.Below(256)) + "m";
                break;
            case 2: out += "\x1b[1;3;48;5;" + std::to_string(rng.Below(256)) + "m"; break;
            case 3: out += "\x1b[0m"; break;
            default: break;
            }
            out += rng.Below(8) == 0 ? kAccented[rng.Below(std::size(kAccented))]
                                     : kWords[rng.Below(std::size(kWords))];
            out.push_back(' ');
        }
        out += "\x1b[0m\r\n";
    }
    return out;
}

std::vector<std::string> CorpusLines(std::size_t count) {
    Rng rng;
    std::vector<std::string> lines;
    lines.reserve(count);
    for (std::size_t k = 0; k < count; ++k) {
        std::string line;
        Line(rng, line, true);
        lines.push_back(std::move(line));
    }
    return lines;
}

std::vector<std::string> HighlightPatterns(std::size_t count) {
    std::vector<std::string> patterns;
    patterns.reserve(count);
    for (const std::string& line : CorpusLines(count))
        patterns.push_back(line.substr(line.size() / 3, 12));
    return patterns;
}

// Expressions as players write them: game messages anchored at the line's start (what
// someone says, what hits you, what you have), messages inside a line, some made of this
// text's own words (tried whenever those stand in a line, firing now and then), and a few
// with no fixed text at all, tried on every line.
std::string ScriptExpression(std::size_t i) {
    static constexpr std::string_view kSays[] = {
        "tells",   "whispers", "yells",  "gossips", "shouts", "asks",    "exclaims",
        "chats",   "sings",    "hums",   "grunts",  "sighs",  "replies", "answers",
        "murmurs", "cries",    "growls", "hisses",  "pleads", "mutters"};
    static constexpr std::string_view kBlows[] = {
        "slashes", "bites",  "claws",     "pierces", "crushes", "stabs",  "punches",
        "kicks",   "mauls",  "burns",     "freezes", "shocks",  "smites", "pounds",
        "rends",   "blasts", "scratches", "gores",   "bashes",  "whips"};
    static constexpr std::string_view kCommon[] = {"goblin", "guard",  "dragon", "merchant",
                                                   "sword",  "tavern", "stone",  "door"};
    const std::size_t n = i / 5;
    switch (i % 5) {
    case 0: return R"(^(\w+) )" + std::string(kSays[n % 20]) + R"( you '(.*)'$)";
    case 1:
        return R"(^(?<who>\w+) )" + std::string(kBlows[n % 20]) +
               R"( you(?: with (?<weapon>.+))?\.$)";
    case 2: return R"(You have (\d+) )" + std::string(kBlows[(n + 7) % 20]) + R"( left\.)";
    case 3:
        if (n % 5 == 0) return R"(^(\w+)!$)";
        return R"(\b)" + std::string(kCommon[n % 8]) + R"(s? (?:is|leads) (\w+))";
    default: return R"(\[)" + std::string(kSays[(n + 3) % 20]) + R"(\] (\w+): (.*))";
    }
}

// A Lua string literal holding `text` byte for byte.
std::string LuaString(std::string_view text) {
    std::string literal = "\"";
    for (const char c : text)
        literal += "\\" + std::to_string(static_cast<unsigned char>(c));
    return literal + "\"";
}

namespace {

// A made-up word, different for every index: syllables as digits of `i`.
std::string SyntheticWord(std::size_t i) {
    static constexpr std::string_view kSyllables[] = {"ka", "lo",  "mir", "ven", "tu", "sor",
                                                      "ba", "rek", "ni",  "dul", "pa", "zet"};
    std::string word;
    do {
        word += kSyllables[i % std::size(kSyllables)];
        i /= std::size(kSyllables);
    } while (i != 0);
    return word + "an";
}

} // namespace

// Plain triggers without variables, one or two words each, no two alike: made-up words,
// and every hundredth a pair of the corpus's own words, which fires now and then.
std::string PlainTriggerPattern(std::size_t i) {
    static constexpr std::string_view kCorpusWords[] = {
        "dark", "forest", "goblin", "sword", "gold", "guard", "tavern", "stone", "door", "light"};
    if (i % 100 == 0) {
        const std::size_t pair = i / 100;
        return std::string(kCorpusWords[pair % 10]) + " " + std::string(kCorpusWords[pair / 10]);
    }
    if (i % 3 == 0) return SyntheticWord(i) + " " + SyntheticWord(i + 20000);
    return SyntheticWord(i);
}

} // namespace tav::bench
