#include "term/InputHistory.h"

#include <algorithm>

namespace tav {

void InputHistory::Resize(int slotCount) {
    slots_.assign(static_cast<std::size_t>(std::clamp(slotCount, 1, kMaxHistorySlots)), {});
    index_ = Slots();
}

void InputHistory::Add(std::string_view line) {
    std::rotate(slots_.begin(), slots_.begin() + 1, slots_.end());
    slots_.back().assign(line.substr(0, lineLimit_));
    index_ = Slots();
}

InputHistory::Step InputHistory::WalkBack() {
    if (index_ < 1) return {Step::Kind::Beep, {}};
    index_ = std::clamp(index_ - 1, 0, Slots());
    return {Step::Kind::Show, Slot(index_)};
}

InputHistory::Step InputHistory::WalkForward() {
    index_ = std::clamp(index_ + 1, 0, Slots());
    if (index_ == Slots()) return {Step::Kind::Clear, {}};
    return {Step::Kind::Show, Slot(index_)};
}

std::optional<std::string_view> KeypadWord(char key) {
    static constexpr std::string_view kDigits[] = {"look",  "sw", "s",  "se", "w",
                                                   "exits", "e",  "nw", "n",  "ne"};
    if (key >= '0' && key <= '9') return kDigits[key - '0'];
    if (key == '-') return "up";
    if (key == '+') return "down";
    return std::nullopt;
}

} // namespace tav
