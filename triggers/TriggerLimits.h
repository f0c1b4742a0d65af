#pragma once

#include <cstddef>

namespace tav {

// Bounds of everything a trigger, a trigger file or a matched line can fill.

// Characters of a trigger pattern.
inline constexpr std::size_t kMaxPatternChars = 255;
// Characters of a reaction, line ends included, both as stored and as sent.
inline constexpr std::size_t kMaxReactionChars = 255;
// Characters of one trigger variable.
inline constexpr std::size_t kMaxVarChars = 254;
// Number of trigger variables, %0 to %9.
inline constexpr std::size_t kTriggerVarCount = 10;

} // namespace tav
