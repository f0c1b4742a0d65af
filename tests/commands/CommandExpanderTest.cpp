#include "commands/CommandExpander.h"
#include "commands/GotoCommand.h"
#include "commands/Speedwalk.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tav {
namespace {

using Commands = std::vector<std::string>;

std::string Repeat(const std::string& command, int times, const std::string& separator = ";") {
    std::string body = command;
    for (int k = 1; k < times; ++k)
        body += separator + command;
    return body;
}

CommandRules Stacked() {
    CommandRules rules{";", ".", WalkDirections("n,s,e,w,u,d,ne,nw,se,sw"), {}};
    rules.aliases = {
        {"k", "kill %1"},
        {"ga", "get all %1;put all %1 in %2"},
        {"gg", "ga %1 bag"},
        {"n", "n;look"},        // its own name is the game's command
        {"greet", "say hello"}, // takes no words: they go after it
        {"ks", "say %2 %1"},    // the words it leaves go after it, in order
        {"s2", "say %2"},
        {"s9", "say %9 %1"},          // the last word a mark names
        {"mark", "say %3|%1|%*|\\;"}, // missing words are empty
        {"home", ".2s;open door"},
        {"x", ""},
        {"k", "ignored: a second alias of one name"},
        {"u", Repeat("look", 20)},
        {"t", Repeat("u", 20)},
        {"v", Repeat("t", 3)},
        {"z", ""},
    };
    // A chain nested one deeper than allowed, and aliases that send nothing but are
    // exponentially much to look at.
    for (int k = 0; k < 9; ++k)
        rules.aliases.push_back(
            {"d" + std::to_string(k), k == 8 ? "done" : "d" + std::to_string(k + 1)});
    for (int k = 1; k <= 6; ++k)
        rules.aliases.push_back(
            {"e" + std::to_string(k), Repeat(k == 1 ? "z" : "e" + std::to_string(k - 1), 50)});
    return rules;
}

TEST(CommandExpander, SplitsWalksAndExpandsTypedLines) {
    struct Case {
        const char* typed;
        Commands commands;
        const char* refusal = "";
    };
    const Case cases[] = {
        {"score;look", {"score", "look"}},
        {" score ;; look ;", {"score", "look"}},
        {"say hi\\;there;smile", {"say hi;there", "smile"}},
        {"say a\\b", {"say a\\b"}},
        {"k rat", {"kill rat"}},
        {"K rat", {"K rat"}},
        {"ga sword sack", {"get all sword", "put all sword in sack"}},
        {"gg coin;k orc", {"get all coin", "put all coin in bag", "kill orc"}},
        {"n", {"n", "look"}},
        {"greet bob  smith", {"say hello bob  smith"}},
        {"ks alpha beta gamma  delta", {"say beta alpha gamma  delta"}},
        {"s2 a  b   c", {"say b a c"}},
        {"k a b c d e f g h i j", {"kill a b c d e f g h i j"}},
        {"s9 a b c d e f g h i j", {"say i a b c d e f g h j"}},
        {"ga sword sack now", {"get all sword", "put all sword in sack now"}},
        {"mark a  b", {"say |a|a  b|;"}},
        {"mark x;y", {"say |x|x|;", "y"}},
        {"x foo;look", {"look"}},
        {".3n2e", {"n", "n", "n", "e", "e"}},
        {".ne2sw", {"ne", "sw", "sw"}},
        {"home", {"s", "s", "open door"}},
        {"d1", {"done"}},
        {"t", Commands(400, "look")},
        // Refused whole: nothing of the line is sent.
        {"score;.100n", {}, "Speedwalk too long"},
        {".99n99s99e99w99u99d", {}, "Speedwalk too long"},
        {"d0", {}, "Aliases nested deeper than 8"},
        {"v", {}, "Too many commands"},
        {"e6", {}, "Too many commands"},
    };
    const CommandExpander expander(Stacked());
    for (const Case& c : cases) {
        const Expansion expansion = expander.Expand(c.typed);
        EXPECT_EQ(expansion.commands, c.commands) << c.typed;
        EXPECT_EQ(expansion.refusal.substr(0, std::string(c.refusal).size()), c.refusal) << c.typed;
        EXPECT_EQ(expansion.refusal.empty(), *c.refusal == '\0') << c.typed;
    }

    for (const char* notAWalk : {".", ".hello", ".0n", ".3", ".3N"}) // sent as typed
        EXPECT_EQ(expander.Expand(notAWalk).commands, Commands{notAWalk});

    // Without a separator or a prefix a line is one command, aliases still apply.
    CommandRules plain = Stacked();
    plain.separator.clear();
    plain.speedwalkPrefix.clear();
    const CommandExpander single(plain);
    for (const char* typed : {"score;look", "say a\\;b", ".3n"})
        EXPECT_EQ(single.Expand(typed).commands, Commands{typed});
    EXPECT_EQ(single.Expand("ga x y").commands, Commands{"get all x;put all x in y"});
    // At the bounds: one command of all the bytes with its line end; the most commands.
    const std::string longest(kMaxExpandedBytes - 1, 'x');
    EXPECT_EQ(single.Expand(longest).commands, Commands{longest});
    EXPECT_TRUE(single.Expand(longest + "x").commands.empty());
    EXPECT_EQ(expander.Expand(Repeat("look", 1000, ";")).commands.size(), kMaxExpandedCommands);
    EXPECT_TRUE(expander.Expand(Repeat("look", 1001, ";")).commands.empty());
    // An empty direction word matches nothing (and never stalls the walk).
    EXPECT_EQ(ParseWalk(".n", ".", {"", "n"}).steps, Commands{"n"});
    EXPECT_EQ(ParseWalk(".x", ".", {""}).kind, Walk::Kind::None);
}

TEST(GotoCommand, TakesTheWordInAnyCaseAndANumberOrNothing) {
    const std::pair<const char*, std::optional<GotoCommand>> cases[] = {
        {"#goto 12", GotoCommand{12}},
        {" #GOTO  -3 ", GotoCommand{-3}},
        {"#goto", GotoCommand{}},
        {"#goto twelve", GotoCommand{}},
        {"#goto 1 2", GotoCommand{}},
        {"#goto 99999999999999999999", GotoCommand{}},
        {"#gotox 1", std::nullopt},
        {"#gone 1", std::nullopt},
        {"goto 1", std::nullopt},
        {"say #goto 1", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [line, expected] : cases)
        EXPECT_EQ(ReadGotoCommand(line), expected) << line;
}

TEST(CommandExpander, DirectionListsKeepOnlyUsableWords) {
    EXPECT_EQ(WalkDirections("n, s,,ne n2 out"), (Commands{"n", "s", "ne", "out"}));
    EXPECT_EQ(WalkDirections(std::string(17, 'a') + ",b").size(), 1U);
    EXPECT_EQ(WalkDirections(Repeat("w", 40, ",")).size(), kMaxWalkDirections);
    EXPECT_EQ(WalkDirections(std::string(79, ',') + "a,b,c").size(), 3U);
}

} // namespace
} // namespace tav
