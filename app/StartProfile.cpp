#include "app/StartProfile.h"

#include <algorithm>

namespace tav {

std::optional<std::string> CheckStartProfile(const ProfileStore& store, std::string_view name) {
    const std::string quoted = "\"" + std::string(name) + "\"";
    switch (CheckProfileName(name)) {
    case ProfileNameProblem::None: break;
    case ProfileNameProblem::Empty: return "--profile needs a profile name";
    case ProfileNameProblem::DotOrDotDot:
        return "profile name " + quoted + " cannot be used: it is not a directory of its own";
    case ProfileNameProblem::Slash:
        return "profile name " + quoted + " cannot be used: it contains '/'";
    case ProfileNameProblem::ControlCharacter:
        return "a profile name cannot contain control characters";
    }
    const auto list = store.ReadList();
    // The list as the selection shows it: a hidden or one-character line is no profile.
    const bool listed =
        list && SelectableProfileName(name) &&
        std::find(list->names.begin(), list->names.end(), name) != list->names.end();
    if (!listed) return "no profile named " + quoted;
    return std::nullopt;
}

} // namespace tav
