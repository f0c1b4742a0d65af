#pragma once

#include "triggers/TriggerLimits.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tav {

// The ten trigger variables %0 to %9, shared by all triggers. A successful match
// overwrites only the slots of the variables its pattern holds; nothing ever clears a slot,
// so a reaction sees the latest value any match gave a variable.
class TriggerVars {
public:
    // Text of variable `digit` (0 to 9); empty for any other number.
    std::string_view Get(std::size_t digit) const;
    // Stores at most kMaxVarChars characters of `text` in slot `digit` (0 to 9).
    void Set(std::size_t digit, std::string_view text);

    // Counts the calls to Set: while it stays the same, so do the slots.
    std::uint64_t Version() const { return version_; }

private:
    std::array<std::string, kTriggerVarCount> slots_;
    std::uint64_t version_ = 0;
};

} // namespace tav
