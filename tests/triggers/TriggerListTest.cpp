#include "triggers/TriggerList.h"
#include "tests/triggers/TriggerRecorders.h"
#include "triggers/TriggerEditRules.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

namespace tav {
namespace {

using Texts = std::vector<std::string>;

using test::RecordingSender;

Texts Patterns(const TriggerList& list) {
    Texts out;
    for (std::size_t i = 0; i < list.Count(); ++i)
        out.push_back(list.At(i).pattern());
    return out;
}

TEST(TriggerListTest, KeepsCaseInsensitiveOrderThroughAddReplaceAndDelete) {
    TriggerList list;
    // Letters fold to lower case, so '[' and '_' (between the cases) sort before them. The
    // first letter that differs decides, wherever it stands; the length only after that.
    for (const char* p : {"beta", "Alpha", "gamma", "Zed", "alpha", "Gamut", "Beta2", "", "ALPHA",
                          "_x", "game", "[x", "alpha"})
        list.AddTrigger(p, "");
    EXPECT_EQ(Patterns(list), (Texts{"", "[x", "_x", "ALPHA", "Alpha", "alpha", "alpha", "beta",
                                     "Beta2", "game", "gamma", "Gamut", "Zed"}));

    list.ClearTriggers();
    EXPECT_EQ(list.AddTrigger("m", "1"), 0U);
    EXPECT_EQ(list.AddTrigger("a", "2"), 0U);
    EXPECT_EQ(list.AddTrigger("z", "3"), 2U);
    const TTrigger* moved = &list.At(0);
    EXPECT_EQ(list.ReplaceTrigger(0, "x", "4"), 1U); // "a" becomes "x" and moves
    EXPECT_EQ(&list.At(1), moved);                   // the same record
    EXPECT_EQ(list.At(1).reaction(), "4\r\n");
    EXPECT_EQ(list.ReplaceTrigger(3, "q", ""), std::nullopt);
    EXPECT_FALSE(list.DeleteTrigger(3));
    EXPECT_TRUE(list.DeleteTrigger(0));
    EXPECT_EQ(Patterns(list), (Texts{"x", "z"}));
}

// What the trigger editor lets through, counted as trigs.ndx will hold it, and what the
// list then stores.
TEST(TriggerEditRules, ReactionsAreCountedRefusedAndStoredAsTheFileHoldsThem) {
    // The refusal is part of its message, or null when the reaction is accepted.
    const std::tuple<const char*, std::string, std::size_t, const char*, std::string> cases[] = {
        {"empty", "", 0, nullptr, ""},
        {"no final line end still gets one", "kill orc", 10, nullptr, "kill orc\r\n"},
        {"CR LF and LF alike", "a\r\nb\n", 6, nullptr, "a\r\nb\r\n"},
        {"an empty line in between", "a\n\nb", 8, nullptr, "a\r\n\r\nb\r\n"},
        {"exactly full", std::string(253, 'x'), 255, nullptr, std::string(253, 'x') + "\r\n"},
        {"one over", std::string(254, 'x'), 256, "too long: 256", std::string(253, 'x') + "\r\n"},
        {"one over in line ends", std::string(126, 'x') + "\n" + std::string(126, 'y'), 256,
         "too long: 256", std::string(126, 'x') + "\r\n" + std::string(125, 'y') + "\r\n"},
        {"'#' starting a later line", "say hi\r\n#quit\r\nwave", 21, "cannot begin with '#'",
         "say hi\r\nwave\r\n"},
        {"'#' starting the first line", "#", 3, "cannot begin with '#'", ""},
        {"'#' inside a line", "say #1", 8, nullptr, "say #1\r\n"},
    };
    for (const auto& [what, reaction, counted, refusal, stored] : cases) {
        SCOPED_TRACE(what);
        EXPECT_EQ(StoredReactionChars(reaction), counted);
        const auto problem = CheckTriggerReaction(reaction);
        ASSERT_EQ(problem.has_value(), refusal != nullptr);
        if (problem) {
            EXPECT_NE(problem->text.find(refusal), std::string::npos) << problem->text;
        }
        TriggerList list;
        list.AddTrigger("p", reaction);
        EXPECT_EQ(list.At(0).reaction(), stored);
    }
    TriggerList list;
    list.AddTrigger("one\r\ntwo", "");
    list.AddTrigger(std::string(300, 'p'), "");
    EXPECT_EQ(Patterns(list), (Texts{"one", std::string(kMaxPatternChars, 'p')}));
}

// List order, the variables one trigger leaves to the next and ignoring are
// TriggerPassDifferentialTest's; these are what its random lists never hold.
TEST(CheckTriggersTest, EmptyReactionsFireAndTheSenderMayEmptyTheListMidPass) {
    TriggerList list;
    RecordingSender sender;
    list.SetSender(&sender);
    list.AddTrigger("%1 tells you %2", "reply %1 %2");
    list.AddTrigger("hungry", "eat bread\r\n");
    list.AddTrigger("am hungry", ""); // an empty reaction still fires
    list.CheckTriggers("Bob tells you I am hungry");
    EXPECT_EQ(sender.sent, (Texts{"reply Bob I am hungry\r\n", "", "eat bread\r\n"}));

    list.ToggleIgnoreTrigs();
    EXPECT_TRUE(list.IgnoreTrigs());
    list.ToggleIgnoreTrigs();
    sender.sent.clear();
    sender.onSend = [&] { list.ClearTriggers(); };
    list.CheckTriggers("Bob tells you hungry");
    EXPECT_EQ(sender.sent, (Texts{"reply Bob hungry\r\n"}));
}

// Each firing is the last fired while its reaction goes out, and a trigger learns it repeats
// the one before only when that one, of the same pattern, fired just before it.
TEST(CheckTriggersTest, FiringsRecordTheLastFiredAndTellRepeats) {
    struct RepeatObserver : TriggerObserver {
        const TriggerList* list = nullptr;
        Texts fired;
        void TriggerFired(const TTrigger& trigger, MatchSpan /*span*/) override {
            fired.push_back(trigger.pattern() + (list->FiringRepeatsLast() ? " again" : "") +
                            (list->FiringAgain() ? " same" : ""));
        }
    };
    TriggerList list;
    RepeatObserver observer;
    observer.list = &list;
    RecordingSender sender;
    Texts lastFired;
    sender.onSend = [&] { lastFired.push_back(list.LastFired().value_or("none")); };
    list.SetObserver(&observer);
    list.SetSender(&sender);
    list.AddTrigger("%1 tells you %2", "reply");
    list.AddTrigger("hungry", "eat");
    list.AddTrigger("hungry", "drink");
    TriggerActions off;
    off.enabled = false;
    list.SetActions(list.AddTrigger("hungry", "sleep"), off);
    list.AddTrigger("hungry", "sit");
    list.AddTrigger("hungry", "sit");
    list.AddTrigger("am hungry", "");
    list.CheckTriggers("Bob tells you I am hungry");
    // Only the second "sit" is the trigger before it again, and only while it fires.
    EXPECT_EQ(observer.fired, (Texts{"%1 tells you %2", "am hungry", "hungry", "hungry again",
                                     "hungry", "hungry again same"}));
    EXPECT_EQ(lastFired,
              (Texts{"%1 tells you %2", "am hungry", "hungry", "hungry", "hungry", "hungry"}));
    EXPECT_EQ(sender.sent, (Texts{"reply\r\n", "", "eat\r\n", "drink\r\n", "sit\r\n", "sit\r\n"}));
    EXPECT_FALSE(list.FiringRepeatsLast()); // only while a firing is told
    EXPECT_FALSE(list.FiringAgain());

    // Actions that differ, or new actions given to the same trigger, end "the same again".
    TriggerActions red;
    red.highlight = HighlightScope::Line;
    red.textColor = 0x0000FF;
    list.SetActions(list.AddTrigger("hungry", "sit"), red);
    observer.fired.clear();
    list.CheckTriggers("hungry");
    EXPECT_EQ(observer.fired.back(), "hungry again");
    list.SetActions(5, red);
    list.SetActions(6, red);
    observer.fired.clear();
    list.CheckTriggers("hungry");
    EXPECT_EQ(observer.fired, (Texts{"hungry", "hungry again", "hungry", "hungry again same",
                                     "hungry again same"}));
}

// The last fired pattern outlives its trigger: replaced, deleted, the list cleared or
// loaded afresh, it still names what fired; other triggers come and go around it.
TEST(CheckTriggersTest, LastFiredSurvivesItsTriggersEdits) {
    TriggerList list;
    RecordingSender sender;
    list.SetSender(&sender);
    EXPECT_FALSE(list.LastFired().has_value());
    const auto fire = [&](const std::string& pattern, const std::string& line) {
        list.AddTrigger(pattern, "x");
        list.CheckTriggers(line);
        EXPECT_EQ(list.LastFired().value_or("none"), pattern);
    };
    fire("wolf", "a wolf");
    list.AddTrigger("aardvark", ""); // moves the fired one along
    EXPECT_EQ(list.LastFired().value_or("none"), "wolf");
    list.ReplaceTrigger(1, "fox", "y");
    EXPECT_EQ(list.LastFired().value_or("none"), "wolf");
    list.CheckTriggers("a fox");
    EXPECT_EQ(list.LastFired().value_or("none"), "fox");
    list.DeleteTrigger(0); // another one, then the fired one
    list.DeleteTrigger(0);
    EXPECT_EQ(list.LastFired().value_or("none"), "fox");
    fire("bear", "a bear");
    list.ClearTriggers();
    EXPECT_EQ(list.LastFired().value_or("none"), "bear");
    fire("owl", "an owl");
    EXPECT_FALSE(list.LoadTriggers("no such profile"));
    EXPECT_EQ(list.LastFired().value_or("none"), "owl");
}

// A trigger that is the one just fired again is passed over only while a repeat would show
// nowhere: not to an observer that acts again, a listener, a sender that would send, nor
// after something changed the variables its reaction expands with or its captures were
// stored in. A trigger after such a run that differs is told as the repeat it is.
TEST(CheckTriggersTest, TriggersFiredAgainAreSparedOnlyWhenNothingWouldShow) {
    struct Quiet : RecordingSender {
        bool sends = false;
        bool SendDoesSomething(std::string_view text) const override {
            return sends || !text.empty();
        }
    };
    struct Observer : test::RecordingObserver {
        bool acts = false;
        std::function<void()> onFired;
        bool FiringAgainActs() const override { return acts; }
        void TriggerFired(const TTrigger& trigger, MatchSpan span) override {
            RecordingObserver::TriggerFired(trigger, span);
            if (onFired) onFired();
        }
    };
    TriggerList list;
    Quiet sender;
    Observer observer;
    list.SetSender(&sender);
    list.SetObserver(&observer);
    for (int n = 0; n < 3; ++n)
        list.AddTrigger("hungry", "");
    list.AddTrigger("hungry", "eat");
    list.AddTrigger("thirsty %1", "");
    list.AddTrigger("thirsty %1", "");
    const std::string line = "hungry and thirsty now";
    auto firings = [&] {
        observer.fired.clear();
        sender.sent.clear();
        list.CheckTriggers(line);
        return std::make_pair(observer.fired.size(), sender.sent.size());
    };
    EXPECT_EQ(firings(), std::make_pair(std::size_t{3}, std::size_t{3}));
    EXPECT_EQ(observer.fired, (Texts{"hungry@0-6", "hungry@0-6", "thirsty %1@11-22"}));
    EXPECT_EQ(sender.sent, (Texts{"", "eat\r\n", ""}));

    observer.acts = true;
    EXPECT_EQ(firings(), std::make_pair(std::size_t{6}, std::size_t{6}));
    observer.acts = false;
    sender.sends = true;
    EXPECT_EQ(firings(), std::make_pair(std::size_t{6}, std::size_t{6}));
    sender.sends = false;
    int told = 0;
    list.SetFiredListener([&] { ++told; });
    EXPECT_EQ(firings(), std::make_pair(std::size_t{6}, std::size_t{6}));
    EXPECT_EQ(told, 6);
    list.SetFiredListener({});
    // The first firing's send changes the variables: the next expands its reaction again.
    sender.onSend = [&] {
        if (sender.sent.size() == 1) list.Vars().Set(1, "changed");
    };
    EXPECT_EQ(firings(), std::make_pair(std::size_t{4}, std::size_t{4}));
    // Groups switched by a firing are switched again by its repeats.
    sender.onSend = {};
    TriggerActions switching;
    switching.groupOn = "meals";
    for (std::size_t pos : {0U, 1U, 2U})
        list.SetActions(pos, switching);
    EXPECT_EQ(firings(), std::make_pair(std::size_t{5}, std::size_t{5}));
    // With nobody to send to, a repeat still stores its captures again over a change the
    // observer made in between.
    list.SetSender(nullptr);
    observer.onFired = [&] {
        if (observer.fired.back() == "thirsty %1@11-22" && observer.fired.size() == 5)
            list.Vars().Set(1, "changed");
    };
    firings();
    EXPECT_EQ(observer.fired.size(), 6u);
    EXPECT_EQ(list.Vars().Get(1), "now");
}

// Triggers of one pattern search the line once; what a reaction does to the variables
// in between is undone for the next one, which stores its own captures again.
TEST(CheckTriggersTest, RepeatedPatternsStoreTheirCapturesAgainAfterAReactionChangesThem) {
    TriggerList list;
    RecordingSender sender;
    list.SetSender(&sender);
    for (const char* reaction : {"a %1", "b %1", "c %1"})
        list.AddTrigger("%1 hits you", reaction);
    sender.onSend = [&] {
        if (sender.sent.size() == 1) list.Vars().Set(1, "nobody");
    };
    list.CheckTriggers("The goblin hits you");
    EXPECT_EQ(sender.sent, (Texts{"a The goblin\r\n", "b The goblin\r\n", "c The goblin\r\n"}));
}

// A list long enough to be indexed whose keys are all as short as a key may be: four bytes
// (one gram each), then five (two grams), in short lines and in one of several hundred bytes.
TEST(CheckTriggersTest, ListsKeyedOnlyByTheShortestLiteralsMatch) {
    for (const std::size_t length : {4U, 5U}) {
        TriggerList list;
        for (char ch = 'a'; ch < 'u'; ++ch)
            list.AddTrigger(std::string(length, ch), "");
        const std::string c(length, 'c'), g(length, 'g');
        EXPECT_EQ(list.MatchingTriggers("x " + c + " y " + g + " " + c),
                  (std::vector<std::size_t>{2, 6}))
            << length;
        // A line the index reads in several batches, every gram of it a key.
        EXPECT_EQ(list.MatchingTriggers(std::string(700, 'a') + std::string(length, 't')),
                  (std::vector<std::size_t>{0, 19}))
            << length;
    }
}

// Spans of literal and variable ends; a firing trigger switches groups at once, so a later
// trigger of a group it switched off is passed over on the same line, and its reaction
// goes out as written.
TEST(CheckTriggersTest, ObserverSeesSpansAndFiringTriggersSwitchGroups) {
    TriggerList list;
    test::RecordingObserver observer;
    RecordingSender sender;
    list.SetObserver(&observer);
    list.SetSender(&sender);
    list.AddTrigger("tells you %1", "");
    list.AddTrigger("Bob %1 you", "/group on chat\r\n");
    list.SetActions(0, {.groupOn = "none", .groupOff = "chat"});
    list.SetActions(1, {.group = "chat"}); // "tells you %1" sorts after "Bob..."

    list.CheckTriggers("Bob tells you hi!");
    list.CheckTriggers("Ann tells you hi");
    EXPECT_EQ(observer.fired, (Texts{"Bob %1 you@0-13"}));
    EXPECT_EQ(sender.sent, (Texts{"/group on chat\r\n"}));
    EXPECT_FALSE(list.At(1).Actions().enabled);
    EXPECT_EQ(list.SetGroupEnabled("chat", true), 1u);
    list.CheckTriggers("Ann tells you hi");
    EXPECT_EQ(observer.fired.back(), "tells you %1@4-16");
}

} // namespace
} // namespace tav
