#pragma once

#include "triggers/TriggerActions.h"
#include "triggers/TriggerLimits.h"
#include "triggers/TriggerPattern.h"

#include <string>
#include <string_view>
#include <utility>

namespace tav {

// One trigger: a `pattern` looked for in every completed terminal line and the `reaction`
// sent when it is found. The texts are kept in their stored form (see NormalizePattern and
// NormalizeReaction) together with the pattern split for matching.
class TTrigger {
public:
    TTrigger(std::string_view pattern, std::string_view reaction);

    const std::string& pattern() const { return pattern_; }
    const std::string& reaction() const { return reaction_; }
    const TriggerPattern& Compiled() const { return compiled_; }

    // Replaces both texts, normalized as by the constructor. The actions stay: they belong
    // to the trigger, not to its texts.
    void Set(std::string_view pattern, std::string_view reaction);

    const TriggerActions& Actions() const { return actions_; }
    void SetActions(TriggerActions actions) { actions_ = std::move(actions); }
    void SetEnabled(bool enabled) { actions_.enabled = enabled; }

private:
    std::string pattern_;
    std::string reaction_;
    TriggerPattern compiled_;
    TriggerActions actions_;
};

// The stored form of a pattern: one line (cut at the first CR or LF, which the trigger file
// could not hold) of at most kMaxPatternChars characters.
std::string NormalizePattern(std::string_view pattern);

// The stored form of a reaction: empty, or lines each ending in CR LF. A bare LF counts as
// a line end and a last line without one gets CR LF. Lines beginning with '#' are left out:
// in the trigger file such a line would end the record and turn the lines after it into a
// trigger of their own. The result is bounded as by LimitLines.
std::string NormalizeReaction(std::string_view reaction);

// Cuts `text` to at most `maxChars` characters: lines (each ending in CR LF, the last one
// maybe not) are kept whole while they fit; the first line that does not fit is shortened,
// keeping its CR LF so that it still goes out as a complete line, and the rest is dropped.
std::string LimitLines(std::string_view text, std::size_t maxChars);

} // namespace tav
