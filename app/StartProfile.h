#pragma once

#include "settings/ProfileStore.h"

#include <optional>
#include <string>
#include <string_view>

namespace tav {

// The profile named on the command line (--profile NAME), checked before any window opens:
// it must be safe as a directory name and be one the profile selection would offer. An
// error text for the user otherwise (the name is not repeated when it holds control
// characters, which would reach the terminal).
std::optional<std::string> CheckStartProfile(const ProfileStore& store, std::string_view name);

} // namespace tav
