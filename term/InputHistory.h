#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

inline constexpr int kDefaultHistorySlots = 10;
// A history slot holds a line of at most this many characters (255 bytes with its NUL).
inline constexpr std::size_t kMaxHistoryChars = 254;
inline constexpr int kMaxHistorySlots = 10'000;

// The command history of the input line: n slots, oldest first, all present from the
// start (empty slots hold ""). Adding shifts every slot one place to the front. The
// browse index equals n while the user is not walking the history.
class InputHistory {
public:
    explicit InputHistory(int slotCount = kDefaultHistorySlots) { Resize(slotCount); }

    int Slots() const { return static_cast<int>(slots_.size()); }
    int Index() const { return index_; }
    void SetIndex(int index) { index_ = index; }
    const std::string& Slot(int k) const { return slots_[static_cast<std::size_t>(k)]; }

    // Discards every line and makes n empty slots; the index becomes n.
    void Resize(int slotCount);
    // Drops the oldest line and stores `line` (cut to the line limit, 254 characters
    // unless set) as the newest.
    void Add(std::string_view line);
    void SetLineLimit(std::size_t chars) { lineLimit_ = chars; }

    // What a walk step asks of the input line.
    struct Step {
        enum class Kind { Beep, Show, Clear } kind;
        std::string text; // for Show: the slot to show, all selected
    };
    Step WalkBack();
    Step WalkForward();

private:
    std::vector<std::string> slots_;
    int index_ = 0;
    std::size_t lineLimit_ = kMaxHistoryChars;
};

// The word a numeric keypad key sends with Num Lock on: '0'..'9', '-' and '+';
// nothing for any other key.
std::optional<std::string_view> KeypadWord(char key);

} // namespace tav
