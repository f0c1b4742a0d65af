#pragma once

#include "triggers/TriggerVars.h"

#include <string>
#include <string_view>

namespace tav {

// Replaces the variables in a reaction and returns the text to send, at most
// kMaxReactionChars characters (cut as by LimitLines).
//
// Braces nest: at depth 0 a variable is written %d, inside one pair of braces %%d, inside
// two %%%d; any other run of '%' before a digit is copied as it is. Outside braces a
// backslash before '%' escapes it: "\%1" gives "%1". A '%' right after a handled run is
// an ordinary character, so "%1%2" gives the first variable followed by "%2".
std::string ExpandReaction(std::string_view reaction, const TriggerVars& vars);
// The same into `out` (replacing what it held), reusing its storage.
void ExpandReaction(std::string_view reaction, const TriggerVars& vars, std::string& out);

} // namespace tav
