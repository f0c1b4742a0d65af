#pragma once

#include <cstddef>
#include <deque>
#include <list>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tav {

// The words of the lines lately shown on the main screen, for completing what is typed:
// the last `capacity` distinct words of three or more bytes, most recent first. A word is
// a run of letters, digits, '_' and '-': Latin-1 letters in Latin-1 text, any character
// beyond ASCII in UTF-8 text.
class RecentWords {
public:
    static constexpr std::size_t kDefaultCapacity = 2000;
    static constexpr std::size_t kMinWordChars = 3;
    // Longer runs are no words anyone would type (a row of dashes, a hex dump).
    static constexpr std::size_t kMaxWordChars = 40;

    explicit RecentWords(std::size_t capacity = kDefaultCapacity) : capacity_(capacity) {}

    // Every line the screen completes comes here: it is only kept, and read into words
    // once a completion is asked for, so a flood pays a copy a line, not a word parse.
    void AddLine(std::string_view line);
    // The words that begin with `prefix` (letter case aside) and are longer than it, most
    // recent first, at most `limit` of them.
    std::vector<std::string> Completions(std::string_view prefix, std::size_t limit = 100) const;
    std::size_t Size() const;
    // Whether the lines (and the lines completed) are UTF-8 rather than Latin-1.
    void SetUtf8(bool utf8);
    bool Utf8() const { return utf8_; }

private:
    // Lines kept unread; older ones go (their words would mostly have been pushed out).
    static constexpr std::size_t kMaxUnreadLines = 1000;

    void ReadUnread() const;
    void AddWords(std::string_view line) const;
    void Add(std::string_view word) const;

    std::size_t capacity_;
    bool utf8_ = false;
    mutable std::deque<std::string> unread_; // oldest first
    mutable std::list<std::string> order_;   // most recent first
    mutable std::unordered_map<std::string_view, std::list<std::string>::iterator> index_;
};

// Tab completion of the word before the cursor, cycling: the first Tab puts the most
// recent completion in place of the typed part, each further Tab the next one, and after
// the last the typed part comes back before the cycle starts again.
class TabCompletion {
public:
    struct Edit {
        std::string line;
        std::size_t cursor = 0;
        bool operator==(const Edit&) const = default;
    };

    // A Tab on `line` with the cursor at `cursor`: continues the cycle when the line is
    // still as the last Tab left it, else starts one on the word before the cursor.
    // Nothing when there is no word there or nothing completes it.
    std::optional<Edit> Tab(std::string_view line, std::size_t cursor, const RecentWords& words);
    // Any other key ends the cycle.
    void End() { candidates_.clear(); }
    bool Cycling() const { return !candidates_.empty(); }

private:
    Edit Show();

    std::string before_; // the line up to the typed part
    std::string typed_;
    std::string after_; // the line from the cursor on
    std::vector<std::string> candidates_;
    std::size_t next_ = 0; // index of the next candidate; size() means the typed part
    Edit last_;
};

} // namespace tav
