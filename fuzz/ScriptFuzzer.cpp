// What the game and the disk hand the scripts: game lines (NUL bytes, invalid UTF-8, a line
// of 100 KB) through script triggers, one of them the input's own expression; any JSON and
// MSDP into the game data handlers; and the tav.vars file as anything may have left it.
// The last byte picks which. Lines: the engine fires exactly the triggers that match when
// tried one by one, and an expression's required literals stand, in order, in every line it
// matches. Game data: a handler sees the message exactly when it is JSON within its bounds.
// Vars: a file is read or kept aside, and what is saved reads back and saves the same.
#include "fuzz/FuzzSupport.h"
#include "script/ScriptEngine.h"
#include "settings/TextMode.h"

#include <fuzzer/FuzzedDataProvider.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Recorder : tav::ScriptHost {
    std::vector<std::string> sent;
    std::size_t errors = 0;
    void SendCommand(std::string_view line) override { sent.emplace_back(line); }
    void Echo(std::string_view) override {}
    void SendGmcp(std::string_view, std::string_view) override {}
    void SetGauge(tav::ScriptGauge, long, long) override {}
    void WritePane(tav::ScriptPane, std::string_view) override {}
    void PlaySound(const std::string&) override {}
    void ConsolePrint(std::string_view text) override { sent.emplace_back(text); }
    void ConsoleError(std::string_view) override { ++errors; }
};

struct StillClock : tav::ScriptClock {
    std::int64_t NowMs() const override { return 0; }
};

const fs::path& Profile() {
    return tav::fuzz::ScratchDir("script", {"scripts"});
}

// A Lua string literal holding `text` byte for byte.
std::string LuaString(std::string_view text) {
    std::string literal = "\"";
    for (const char c : text)
        literal += "\\" + std::to_string(static_cast<unsigned char>(c));
    return literal + "\"";
}

std::unique_ptr<tav::ScriptEngine> Engine(Recorder& host, const std::string& init) {
    static StillClock clock;
    tav::fuzz::WriteRaw(Profile() / "scripts/init.lua", init);
    auto engine = std::make_unique<tav::ScriptEngine>(
        host, clock, Profile().string(),
        tav::ScriptLimits{.memoryBytes = std::size_t{64} << 20,
                          .callBudget = std::chrono::seconds(5),
                          .startBudget = std::chrono::seconds(5)});
    engine->Open();
    return engine;
}

struct Pattern {
    std::string text;
    bool regex;
};

void Lines(FuzzedDataProvider& provider) {
    std::vector<Pattern> patterns = {
        {R"(^(\w+) tells you '(?<said>.*)'$)", true},
        {"gold", false},
        {"", false},
        {R"((\d+)/(\d+)hp)", true},
        {"\xC3\xA9t", false},
        {"caf\xC3\xA9?s", true},
    };
    const std::string expression = provider.ConsumeRandomLengthString(200);
    std::string error;
    const tav::RegexPattern own = tav::RegexPattern::Compile(expression, error);
    if (own.Valid()) patterns.push_back({expression, true});
    patterns.push_back({expression, false});
    // The same expression twice shares one run a line: both must still fire.
    if (own.Valid()) patterns.push_back({expression, true});

    std::vector<std::string> lines;
    std::string rest = provider.ConsumeRemainingBytesAsString();
    for (std::size_t at = 0; at <= rest.size() && lines.size() < 64;) {
        const std::size_t end = std::min(rest.find('\n', at), rest.size());
        lines.push_back(rest.substr(at, end - at));
        at = end + 1;
    }
    std::string big;
    while (!lines[0].empty() && big.size() < 100 * 1024)
        big += lines[0];
    lines.push_back(big);

    // Every match holds the expression's required literals, in order, without overlap.
    const std::vector<std::string> literals = tav::RequiredLiterals(expression);
    for (const std::string& line : lines) {
        if (own.Match(line) != tav::RegexPattern::Result::Match) continue;
        std::size_t from = 0;
        for (const std::string& literal : literals) {
            const std::size_t at = line.find(literal, from);
            FUZZ_CHECK(at != std::string::npos, "a required literal stands in every match");
            from = at + literal.size();
        }
    }
    // And one of its required spellings.
    const std::vector<std::string> spellings = tav::RequiredAlternatives(expression);
    FUZZ_CHECK(spellings.size() <= tav::kMaxRequiredAlternatives, "bounded spellings");
    for (const std::string& line : lines) {
        if (spellings.empty() || own.Match(line) != tav::RegexPattern::Result::Match) continue;
        FUZZ_CHECK(
            std::any_of(spellings.begin(), spellings.end(),
                        [&](const std::string& s) { return line.find(s) != std::string::npos; }),
            "a required spelling stands in every match");
    }

    std::string init;
    for (std::size_t i = 0; i < patterns.size(); ++i)
        init += "tav.trigger(" + LuaString(patterns[i].text) + ", function() tav.send('" +
                std::to_string(i) + "') end, {regex = " + (patterns[i].regex ? "true" : "false") +
                "})\n";
    Recorder host;
    auto engine = Engine(host, init);
    FUZZ_CHECK(host.errors == 0, "the triggers are made");
    std::vector<tav::RegexPattern> compiled;
    for (const Pattern& pattern : patterns)
        compiled.push_back(pattern.regex ? tav::RegexPattern::Compile(pattern.text, error)
                                         : tav::RegexPattern());
    for (const std::string& line : lines) {
        std::vector<std::string> expected;
        for (std::size_t i = 0; i < patterns.size(); ++i) {
            const bool matches = patterns[i].regex
                                     ? compiled[i].Match(line) == tav::RegexPattern::Result::Match
                                     : line.find(patterns[i].text) != std::string::npos;
            if (matches) expected.push_back(std::to_string(i));
        }
        host.sent.clear();
        const tav::ScriptLineActions actions = engine->OnLine(line);
        FUZZ_CHECK(actions == tav::ScriptLineActions{}, "these triggers ask nothing of the line");
        FUZZ_CHECK(host.sent == expected, "the triggers that match, in the order made");
    }
}

void GameData(const std::string& text) {
    Recorder host;
    auto engine = Engine(host, R"(
        local function walk(value, depth)
            if type(value) == "table" and depth < 100 then
                for _, item in pairs(value) do walk(item, depth + 1) end
            end
        end
        tav.on("gmcp", function(package, value) walk(value, 0) tav.send(package) end)
        tav.on("msdp", function(name, value) walk(value, 0) end)
    )");
    engine->OnGmcp("Fuzz.Package " + text);
    const bool json =
        text.find_first_not_of(" \t\r\n") == std::string::npos || nlohmann::json::accept(text);
    FUZZ_CHECK(host.sent.empty() || json, "only JSON reaches the handler");
    engine->OnMsdp(text);
    host.sent.clear();
    engine->RunConsoleLine("return tav.gmcp ~= nil");
    FUZZ_CHECK(host.sent == std::vector<std::string>{"true"}, "the state goes on");
}

void Vars(const std::string& text) {
    const std::string path = (Profile() / "scriptvars.json").string();
    const std::string kept = path + ".unreadable";
    fs::remove(kept);
    tav::fuzz::WriteRaw(path, text);
    Recorder host;
    auto engine = Engine(host, "");
    const std::size_t errors = host.errors;
    FUZZ_CHECK(errors == 0 || (fs::exists(kept) && !fs::exists(path)),
               "a file that cannot be read is kept aside");
    std::string saved[2];
    for (std::string& bytes : saved) {
        engine.reset(); // saves
        engine = Engine(host, "");
        FUZZ_CHECK(host.errors == errors, "what was saved reads back");
        bytes = tav::ReadFileBytes(path).value_or("");
    }
    FUZZ_CHECK(saved[0] == saved[1], "what was read back saves the same");
    engine.reset();
    fs::remove(path);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    switch (provider.ConsumeIntegralInRange<int>(0, 2)) {
    case 0: Lines(provider); break;
    case 1: GameData(provider.ConsumeRemainingBytesAsString()); break;
    default: Vars(provider.ConsumeRemainingBytesAsString()); break;
    }
    return 0;
}
