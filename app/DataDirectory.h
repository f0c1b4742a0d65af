#pragma once

#include <optional>
#include <string>

namespace tav {

// The per-user directory the program runs in: every file of the program is named relative
// to it ("profiles.cfg", "profiles/<name>", "binary", "text"). The command line
// (--data-dir DIR) may choose another one.
struct DataDirectory {
    // "$XDG_DATA_HOME/tavclient", else "$HOME/.local/share/tavclient"; empty when neither
    // variable is set.
    static std::string Default();

    // Creates the directory (and its parents) when missing, the last one readable by the
    // user only, and makes it the working directory. An error text on failure.
    static std::optional<std::string> Enter(const std::string& dir);
};

} // namespace tav
