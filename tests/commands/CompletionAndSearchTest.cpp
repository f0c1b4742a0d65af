#include "commands/HistorySearch.h"
#include "commands/RecentWords.h"

#include <gtest/gtest.h>

#include <string>

namespace tav {
namespace {

using Words = std::vector<std::string>;

TEST(RecentWordsTest, KeepsTheNewestDistinctWordsOfThreeOrMoreCharacters) {
    RecentWords words(4);
    words.AddLine("A goblin-chief hits you. --dodge-- ok");
    EXPECT_EQ(words.Completions(""), (Words{"dodge", "you", "hits", "goblin-chief"}));
    words.AddLine("You see the GOBLIN \xC9p\xE9\x65.");
    // Only the newest four are kept.
    EXPECT_EQ(words.Completions(""), (Words{"\xC9p\xE9\x65", "GOBLIN", "the", "see"}));
    EXPECT_EQ(words.Completions("go"), (Words{"GOBLIN"}));
    EXPECT_EQ(words.Completions("\xE9"), (Words{"\xC9p\xE9\x65"}));
    EXPECT_EQ(words.Completions("goblin"), (Words{}));
    words.AddLine(std::string(41, 'x') + " the");
    EXPECT_EQ(words.Completions("th"), (Words{"the"}));
    EXPECT_EQ(words.Size(), 4u);
}

// Lines are read into words only when a completion is asked for, and of those waiting,
// only the newest thousand: a word that only the older ones held is gone. Lines added
// after a read come after it, however far round their store has gone.
TEST(RecentWordsTest, OnlyTheNewestThousandWaitingLinesAreRead) {
    const auto word = [](int n) { return "w" + std::to_string(10000 + n); };
    RecentWords words(5000);
    words.AddLine("first");
    EXPECT_EQ(words.Completions("fir"), (Words{"first"}));
    for (int n = 0; n < 1005; ++n)
        words.AddLine(word(n) + (n == 2 ? " longer line than the rest" : ""));
    EXPECT_EQ(words.Size(), 1001u); // "first", and the words of the newest thousand lines
    EXPECT_EQ(words.Completions("w", 2), (Words{word(1004), word(1003)}));
    EXPECT_EQ(words.Completions(word(4)), (Words{}));
    EXPECT_EQ(words.Completions(word(5)).size(), 0u); // a whole word is no completion
    EXPECT_EQ(words.Completions("w1000").back(), word(5));
    words.AddLine("last one");
    EXPECT_EQ(words.Completions("", 3), (Words{"one", "last", word(1004)}));
}

TEST(TabCompletionTest, CyclesThroughCandidatesBackToTheTypedWordAndRestartsAfterAnEdit) {
    RecentWords words;
    words.AddLine("ask abbot about abbey");
    TabCompletion tab;
    using Edit = TabCompletion::Edit;
    EXPECT_EQ(tab.Tab("say ab now", 6, words), (Edit{"say abbey now", 9}));
    EXPECT_EQ(tab.Tab("say abbey now", 9, words), (Edit{"say about now", 9}));
    EXPECT_EQ(tab.Tab("say about now", 9, words), (Edit{"say abbot now", 9}));
    EXPECT_EQ(tab.Tab("say abbot now", 9, words), (Edit{"say ab now", 6}));
    EXPECT_EQ(tab.Tab("say ab now", 6, words), (Edit{"say abbey now", 9}));
    tab.End();
    EXPECT_EQ(tab.Tab("say abbey now", 9, words), std::nullopt); // nothing longer
    EXPECT_EQ(tab.Tab("abo", 3, words), (Edit{"about", 5}));
    EXPECT_EQ(tab.Tab("say ", 4, words), std::nullopt);
    EXPECT_EQ(tab.Tab("zz", 2, words), std::nullopt);
}

TEST(HistorySearchTest, NarrowsFromTheMatchGoesOlderAndFailsVisibly) {
    HistorySearch search({"", "kill rat", "look", "kill orc", "kill orc", "say hi"});
    EXPECT_EQ(search.Prompt(), "(reverse-i-search)'': ");
    search.Type("k");
    EXPECT_EQ(search.Match(), "kill orc");
    search.Older(); // the same line again is skipped
    EXPECT_EQ(search.Prompt(), "(reverse-i-search)'k': look");
    search.Type("i");
    EXPECT_EQ(search.Match(), "kill rat");
    search.Type("x");
    EXPECT_TRUE(search.Failed());
    EXPECT_EQ(search.Prompt(), "(failed reverse-i-search)'kix': ");
    search.Type("z");
    EXPECT_TRUE(search.Failed());
    search.Erase();
    search.Erase();
    EXPECT_EQ(search.Match(), "kill orc");
    search.Older();
    search.Older(); // nothing older: the match stays
    EXPECT_EQ(search.Match(), "kill rat");
}

} // namespace
} // namespace tav
