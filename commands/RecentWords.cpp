#include "commands/RecentWords.h"

#include <algorithm>

namespace tav {

namespace {

// In UTF-8 text every byte of a character beyond ASCII belongs to a word, so a word
// is never cut inside a character; in Latin-1 text the letters do.
bool IsWordByte(unsigned char c, bool utf8) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
           c == '-' || (utf8 ? c >= 0x80 : (c >= 0xC0 && c != 0xD7 && c != 0xF7));
}

unsigned char Folded(unsigned char c, bool utf8) {
    if ((c >= 'A' && c <= 'Z') || (!utf8 && c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 0x20;
    return c;
}

bool StartsWithFolded(std::string_view text, std::string_view prefix, bool utf8) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (Folded(static_cast<unsigned char>(text[i]), utf8) !=
            Folded(static_cast<unsigned char>(prefix[i]), utf8))
            return false;
    return true;
}

} // namespace

void RecentWords::AddLine(std::string_view line) {
    if (capacity_ == 0) return;
    if (unread_.size() == kMaxUnreadLines) unread_.pop_front();
    unread_.emplace_back(line);
}

void RecentWords::SetUtf8(bool utf8) {
    if (utf8 == utf8_) return;
    // Words read by the other rule could hold parts of characters.
    utf8_ = utf8;
    order_.clear();
    index_.clear();
}

std::size_t RecentWords::Size() const {
    ReadUnread();
    return order_.size();
}

void RecentWords::ReadUnread() const {
    for (const std::string& line : unread_)
        AddWords(line);
    unread_.clear();
}

void RecentWords::AddWords(std::string_view line) const {
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && !IsWordByte(static_cast<unsigned char>(line[at]), utf8_))
            ++at;
        std::size_t end = at;
        while (end < line.size() && IsWordByte(static_cast<unsigned char>(line[end]), utf8_))
            ++end;
        std::string_view word = line.substr(at, end - at);
        // "--north--" is the word north.
        while (!word.empty() && word.front() == '-')
            word.remove_prefix(1);
        while (!word.empty() && word.back() == '-')
            word.remove_suffix(1);
        if (word.size() >= kMinWordChars && word.size() <= kMaxWordChars) Add(word);
        at = end;
    }
}

void RecentWords::Add(std::string_view word) const {
    if (capacity_ == 0) return;
    if (auto found = index_.find(word); found != index_.end()) {
        order_.splice(order_.begin(), order_, found->second);
        return;
    }
    if (order_.size() >= capacity_) {
        index_.erase(order_.back());
        order_.pop_back();
    }
    order_.emplace_front(word);
    index_.emplace(order_.front(), order_.begin());
}

std::vector<std::string> RecentWords::Completions(std::string_view prefix,
                                                  std::size_t limit) const {
    ReadUnread();
    std::vector<std::string> found;
    for (const std::string& word : order_) {
        if (found.size() >= limit) break;
        if (word.size() > prefix.size() && StartsWithFolded(word, prefix, utf8_))
            found.push_back(word);
    }
    return found;
}

std::optional<TabCompletion::Edit> TabCompletion::Tab(std::string_view line, std::size_t cursor,
                                                      const RecentWords& words) {
    if (Cycling() && line == last_.line && cursor == last_.cursor) return Show();
    End();
    cursor = std::min(cursor, line.size());
    std::size_t start = cursor;
    while (start > 0 && IsWordByte(static_cast<unsigned char>(line[start - 1]), words.Utf8()))
        --start;
    if (start == cursor) return std::nullopt;
    typed_ = line.substr(start, cursor - start);
    candidates_ = words.Completions(typed_);
    if (candidates_.empty()) return std::nullopt;
    before_ = line.substr(0, start);
    after_ = line.substr(cursor);
    next_ = 0;
    return Show();
}

TabCompletion::Edit TabCompletion::Show() {
    const std::string& word = next_ < candidates_.size() ? candidates_[next_] : typed_;
    next_ = next_ < candidates_.size() ? next_ + 1 : 0;
    last_.line = before_ + word + after_;
    last_.cursor = before_.size() + word.size();
    return last_;
}

} // namespace tav
