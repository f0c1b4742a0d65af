#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tav {

// What the trigger edit dialog accepts, apart from the widgets: a reaction is refused when
// one of its lines begins with '#' (in trigs.ndx that line would end the record and turn
// the lines after it into a trigger of their own) or when it would not fit the stored
// limit once every line has its CR LF.

// The texts of a refusal, shown in a message box.
struct TriggerEditProblem {
    std::string title;
    std::string text;
    bool operator==(const TriggerEditProblem&) const = default;
};

// Characters the reaction takes when stored: each line with its CR LF, the last line too.
// `reaction` is the editor's text, lines separated by LF (a CR before it is one line end).
std::size_t StoredReactionChars(std::string_view reaction);

// Nothing when the reaction can be stored as typed; otherwise why not.
std::optional<TriggerEditProblem> CheckTriggerReaction(std::string_view reaction);

} // namespace tav
