#include "triggers/TriggerVars.h"

namespace tav {

std::string_view TriggerVars::Get(std::size_t digit) const {
    if (digit >= slots_.size()) return {};
    return slots_[digit];
}

void TriggerVars::Set(std::size_t digit, std::string_view text) {
    if (digit >= slots_.size()) return;
    slots_[digit].assign(text.substr(0, kMaxVarChars));
    ++version_;
}

} // namespace tav
