#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tav {

// The per-user directory the program runs in: every file of the program is named relative
// to it ("profiles.cfg", "profiles/<name>", "binary", "text").
struct DataDirectory {
    // "$XDG_DATA_HOME/tavclient", else "$HOME/.local/share/tavclient"; empty when neither
    // variable is set.
    static std::string Default();

    // The command line's choice: "--data-dir DIR" or "--data-dir=DIR". Other arguments
    // are left alone. `error` is set for an option without its directory.
    struct Options {
        std::optional<std::string> dataDir;
        bool help = false;
        std::string error;
    };
    static Options Parse(const std::vector<std::string>& args);

    // Creates the directory (and its parents) when missing, the last one readable by the
    // user only, and makes it the working directory. An error text on failure.
    static std::optional<std::string> Enter(const std::string& dir);
};

} // namespace tav
