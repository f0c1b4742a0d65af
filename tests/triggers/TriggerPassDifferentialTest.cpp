#include "bench/Corpus.h"
#include "tests/support/TempDir.h"
#include "tests/triggers/TriggerRecorders.h"
#include "triggers/ExpandReaction.h"
#include "triggers/TriggerList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace tav {
namespace {

using Texts = std::vector<std::string>;

// The pieces patterns and lines are made of: game words and their case variants, words
// that are prefixes of each other, short literals, 8-bit bytes, and stray '%'.
const Texts kPieces = {"the",   "The",     "THE",      "goblin",    "Goblin",   "gob",  "goblins",
                       " ",     " ",       "  ",       "says",      " says ",   "hits", "you",
                       "sword", "gold",    "a",        "ab",        "abc",      ":",    "%",
                       "%%",    "caf\xe9", "\xff\xfe", "\xe9t\xe9", "merchant", "door", ", "};

class RandomText {
public:
    explicit RandomText(unsigned seed) : rng_(seed) {}
    std::size_t Below(std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng_);
    }
    std::string Piece() { return kPieces[Below(kPieces.size())]; }
    // Patterns of pieces this long or longer let the index read lines in longer steps.
    std::size_t longPieces = 0;
    std::string PatternPiece() {
        std::string piece = Piece();
        while (piece.size() < longPieces)
            piece += Piece();
        return piece;
    }
    std::string Pattern(const Texts& existing) {
        if (!existing.empty() && Below(8) == 0 && longPieces == 0) {
            const std::string& other = existing[Below(existing.size())]; // a prefix of another
            return other.substr(0, Below(other.size() + 1));
        }
        std::string pattern; // digits repeat
        for (std::size_t n = Below(6); n > 0; --n)
            pattern += Below(3) == 0 ? "%" + std::to_string(Below(4)) : PatternPiece();
        return pattern;
    }
    // A line that a pattern is likely to match: its markers filled with pieces.
    std::string LineFor(const std::string& pattern) {
        std::string line = Below(2) == 0 ? Piece() : "";
        for (std::size_t i = 0; i < pattern.size(); ++i) {
            const bool marker = pattern[i] == '%' && i + 1 < pattern.size() &&
                                pattern[i + 1] >= '0' && pattern[i + 1] <= '9';
            if (!marker)
                line += pattern[i];
            else
                line += Below(3) == 0 ? "" : Piece(), ++i;
        }
        return line + (Below(2) == 0 ? Piece() : "");
    }
    std::string Line() {
        std::string line;
        for (std::size_t n = Below(12); n > 0; --n)
            line += Below(10) == 0 ? std::string(1, static_cast<char>(Below(256))) : Piece();
        return line;
    }

private:
    std::mt19937 rng_;
};

using test::RecordingObserver;
using test::RecordingSender;

// Records firings, and counts those the list calls the only match of their pattern in the
// line, checking that no other follows (as a highlight searches for one).
struct OnlyMatchObserver : RecordingObserver {
    const TriggerList* list = nullptr;
    std::string line;
    std::size_t onlyMatches = 0;
    void TriggerFired(const TTrigger& trigger, MatchSpan span) override {
        RecordingObserver::TriggerFired(trigger, span);
        if (!list->FiringMatchIsOnly()) return;
        ++onlyMatches;
        const std::size_t from = std::max(span.end, span.begin + 1);
        TriggerCaptures captures;
        EXPECT_FALSE(from < line.size() &&
                     trigger.Compiled().Find(std::string_view(line).substr(from), captures))
            << trigger.pattern() << " has another match in " << line;
    }
};

// Every trigger tested in list order against every line, as the trigger pass did before
// it had an index, on a twin list given the same edits: the reactions sent, the variables
// after each line and the matching positions must come out the same. Now and then the
// sender changes the list in the middle of a pass, switches a group of triggers off or
// on, prints a line back into it, or the list is loaded from a file whose records are out
// of order; the observer must hear of the same firings at the same places, and a firing
// called the only match of its pattern must be one.
TEST(TriggerPassDifferentialTest, FiresAsTestingEveryTriggerInTurn) {
    const test::TempDir root({"p"});
    Texts lines;
    for (const std::string& line : bench::CorpusLines(60))
        lines.push_back(line.substr(0, 132));
    RandomText random(2024);
    std::size_t onlyMatches = 0;

    for (int round = 0; round < 60; ++round) {
        TriggerList fast(root.path.string());
        TriggerList plain;
        TriggerVars plainVars;
        RecordingSender sender;
        OnlyMatchObserver observer;
        observer.list = &fast;
        fast.SetSender(&sender);
        fast.SetObserver(&observer);
        Texts patterns;
        std::size_t reactionId = 0;
        const auto add = [&](TriggerList& list, const std::string& pattern) {
            return list.AddTrigger(pattern,
                                   "r" + std::to_string(reactionId) + " %0|%1|%2{%%3}\\%1");
        };
        const auto edit = [&](std::size_t kind) {
            ++reactionId;
            const std::string pattern = random.Pattern(patterns);
            patterns.push_back(pattern);
            const std::size_t pos = random.Below(std::max<std::size_t>(plain.Count(), 1));
            const TriggerActions actions{.enabled = random.Below(8) != 0,
                                         .group = random.Below(3) == 0 ? "g" : ""};
            for (TriggerList* list : {&fast, &plain}) {
                if (kind == 0)
                    list->SetActions(add(*list, pattern), actions);
                else if (kind == 1)
                    list->ReplaceTrigger(pos, pattern, "x %1\r\n");
                else
                    list->DeleteTrigger(pos);
            }
        };
        const std::size_t size = round % 3 == 0 ? random.Below(20) : random.Below(400);
        // 0, 2, 4, 6: longer steps; 12: every literal long enough for eight-byte grams.
        random.longPieces = round % 8 == 7 ? 12 : static_cast<std::size_t>(round % 4) * 2;
        if (round % 5 == 4) {
            // Out-of-order records load as if added one by one.
            std::string file;
            for (std::size_t i = 0; i < size; ++i) {
                patterns.push_back(random.Pattern(patterns));
                file += patterns.back() + "\n" + std::to_string(i) + " %1\n#\n";
                plain.AddTrigger(patterns.back(), std::to_string(i) + " %1\r\n");
            }
            std::ofstream(root.path / "p" / "trigs.ndx", std::ios::binary) << file;
            ASSERT_TRUE(fast.LoadTriggers("p"));
        } else {
            for (std::size_t i = 0; i < size; ++i)
                edit(0);
        }

        for (int n = 0; n < 300; ++n) {
            SCOPED_TRACE(::testing::Message() << "round " << round << " line " << n);
            if (random.Below(12) == 0) edit(random.Below(3));
            ASSERT_EQ(fast.Count(), plain.Count());
            const std::size_t which = random.Below(4);
            std::string line =
                which == 0      ? lines[random.Below(lines.size())]
                : which == 1    ? random.Line()
                : plain.Empty() ? ""
                                : random.LineFor(plain.At(random.Below(plain.Count())).pattern());
            if (which == 3 && random.Below(2) == 0) line = lines[random.Below(lines.size())] + line;
            // Now and then a line long enough that the index reads it in several batches.
            if (random.Below(10) == 0)
                while (line.size() < 700)
                    line +=
                        random.Below(2) == 0 ? random.Line() : lines[random.Below(lines.size())];

            std::vector<std::size_t> matching;
            TriggerVars scratch;
            for (std::size_t i = 0; i < plain.Count(); ++i)
                if (!line.empty() && plain.At(i).Compiled().Match(line, scratch))
                    matching.push_back(i);
            ASSERT_EQ(fast.MatchingTriggers(line), matching);

            const bool ignore = random.Below(20) == 0;
            fast.SetIgnoreTrigs(ignore);
            // Now and then the first reaction deletes a trigger, adds one or switches a group.
            const std::size_t change = random.Below(10) == 0 ? 1 + random.Below(3) : 0;
            const bool groupOn = random.Below(2) == 0;
            const std::string added = random.Pattern(patterns);
            const std::size_t victim = random.Below(1000);
            const auto changeList = [&](TriggerList& list) {
                if (change == 1)
                    list.DeleteTrigger(victim % list.Count());
                else if (change == 2)
                    add(list, added);
                else if (change == 3)
                    list.SetGroupEnabled("g", groupOn);
            };
            sender.sent.clear();
            observer.fired.clear();
            sender.onSend = [&] {
                fast.CheckTriggers("Not connected...");
                if (sender.sent.size() == 1) changeList(fast);
            };
            Texts expected, expectedFired;
            for (std::size_t i = 0; !ignore && !line.empty() && i < plain.Count(); ++i) {
                MatchSpan span;
                if (!plain.At(i).Actions().enabled ||
                    !plain.At(i).Compiled().Match(line, plainVars, &span))
                    continue;
                expectedFired.push_back(plain.At(i).pattern() + "@" + std::to_string(span.begin) +
                                        "-" + std::to_string(span.end));
                expected.push_back(ExpandReaction(plain.At(i).reaction(), plainVars));
                if (expected.size() == 1) changeList(plain);
            }
            observer.line = line;
            fast.CheckTriggers(line);
            ASSERT_EQ(sender.sent, expected) << line;
            ASSERT_EQ(observer.fired, expectedFired) << line;
            for (std::size_t d = 0; d < kTriggerVarCount; ++d)
                ASSERT_EQ(fast.Vars().Get(d), plainVars.Get(d)) << d;
        }
        onlyMatches += observer.onlyMatches;
    }
    EXPECT_GT(onlyMatches, 0u); // the index does tell a highlight when to stop
}

} // namespace
} // namespace tav
