// trigs.ndx as anything may have left it, then terminal lines through the trigger pass:
// the list stays sorted and survives a save and load, reactions stay within their bound,
// the byte-pair test never hides a match, and the indexed pass sends the same reactions
// and leaves the same variables as testing every trigger in turn, and never calls a match
// the only one of its pattern when another follows. Input: trigs.ndx (its
// length in the last two bytes), then the lines, cut where the screen ends them (LF, VT,
// FF, CR).
#include "fuzz/FuzzSupport.h"
#include "triggers/ExpandReaction.h"
#include "triggers/LineBigrams.h"
#include "triggers/TriggerList.h"
#include "triggers/TriggerSender.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kProfile = "fuzz";

const fs::path& Root() {
    return tav::fuzz::ScratchDir("triggers", {kProfile});
}

// As the session does while not connected: its message comes back as a line, which the
// pass must ignore.
class EchoingSender final : public tav::TriggerSender {
public:
    explicit EchoingSender(tav::TriggerList& list) : list_(list) {}
    void Send(std::string_view text) override {
        FUZZ_CHECK(text.size() <= tav::kMaxReactionChars, "a reaction stays within its bound");
        sent.emplace_back(text);
        list_.CheckTriggers("Not connected.");
    }
    std::vector<std::string> sent;

private:
    tav::TriggerList& list_;
};

// Where each firing matched; a match the list calls the only one of its pattern in the
// line has none after it.
class SpanRecorder final : public tav::TriggerObserver {
public:
    explicit SpanRecorder(const tav::TriggerList& list) : list_(list) {}
    void TriggerFired(const tav::TTrigger& trigger, tav::MatchSpan span) override {
        spans.emplace_back(span.begin, span.end);
        if (!list_.FiringMatchIsOnly()) return;
        const std::size_t from = std::max(span.end, span.begin + 1);
        tav::TriggerCaptures captures;
        FUZZ_CHECK(from >= line.size() || !trigger.Compiled().Find(line.substr(from), captures),
                   "a match called the only one has no other after it");
    }
    std::vector<std::pair<std::size_t, std::size_t>> spans;
    std::string_view line;

private:
    const tav::TriggerList& list_;
};

std::vector<std::string_view> TerminalLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t from = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || (text[i] >= '\n' && text[i] <= '\r')) {
            lines.push_back(text.substr(from, i - from));
            from = i + 1;
        }
    }
    return lines;
}

void ExpectSameTriggers(const tav::TriggerList& a, const tav::TriggerList& b) {
    FUZZ_CHECK(a.Count() == b.Count(), "as many triggers after saving and loading");
    for (std::size_t i = 0; i < a.Count(); ++i) {
        FUZZ_CHECK(a.At(i).pattern() == b.At(i).pattern(), "same pattern after a save");
        FUZZ_CHECK(a.At(i).reaction() == b.At(i).reaction(), "same reaction after a save");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const std::size_t fileBytes = provider.ConsumeIntegral<std::uint16_t>();
    const std::string file = provider.ConsumeBytesAsString(fileBytes);
    const std::string text = provider.ConsumeRemainingBytesAsString();

    const std::string profilesRoot = Root().string();
    tav::TriggerList list(profilesRoot);
    tav::fuzz::WriteRaw(list.TriggerFilePath(kProfile), file);
    FUZZ_CHECK(list.LoadTriggers(kProfile), "the file loads");
    for (std::size_t i = 1; i < list.Count(); ++i)
        FUZZ_CHECK(!tav::TriggerPatternLess(list.At(i).pattern(), list.At(i - 1).pattern()),
                   "the list stays sorted");

    FUZZ_CHECK(list.SaveTriggers(kProfile), "the list saves");
    tav::TriggerList reloaded(profilesRoot);
    reloaded.LoadTriggers(kProfile);
    ExpectSameTriggers(list, reloaded);

    EchoingSender sender(list);
    list.SetSender(&sender);
    SpanRecorder observer(list);
    list.SetObserver(&observer);
    tav::TriggerVars reference;
    for (std::string_view line : TerminalLines(text)) {
        // Every trigger in turn, as the pass did before it had an index.
        const tav::LineBigrams bigrams(line);
        std::vector<std::size_t> matching;
        std::vector<std::string> expected;
        std::vector<std::pair<std::size_t, std::size_t>> spans;
        for (std::size_t i = 0; i < list.Count() && !line.empty(); ++i) {
            const tav::TriggerPattern& pattern = list.At(i).Compiled();
            tav::MatchSpan span;
            if (!pattern.Match(line, reference, &span)) continue;
            spans.emplace_back(span.begin, span.end);
            FUZZ_CHECK(pattern.MayMatch(bigrams), "the byte-pair test keeps a matching line");
            matching.push_back(i);
            expected.push_back(tav::ExpandReaction(list.At(i).reaction(), reference));
        }
        FUZZ_CHECK(list.MatchingTriggers(line) == matching, "the same triggers match");
        sender.sent.clear();
        observer.spans.clear();
        observer.line = line;
        list.CheckTriggers(line);
        FUZZ_CHECK(sender.sent == expected, "the same reactions go out, in list order");
        FUZZ_CHECK(observer.spans == spans, "each firing is told where its trigger matched");
        for (std::size_t d = 0; d < tav::kTriggerVarCount; ++d)
            FUZZ_CHECK(list.Vars().Get(d) == reference.Get(d), "the same variables");
    }
    return 0;
}
