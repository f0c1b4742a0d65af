#pragma once

#include "settings/QuickGame.h"

#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace tav {

// What the command line asks for, read before any window system is touched so that --help
// and --version work without a display. Qt's own options (-platform, -style, ...) are
// accepted and left in argv for QApplication, which takes them out itself.
struct CommandLine {
    enum class Action {
        Run,     // start the program
        Help,    // print HelpText() on stdout, exit 0
        Version, // print VersionText() on stdout, exit 0
        Refused  // print `error` and HelpText() on stderr, exit 2
    };

    Action action = Action::Run;
    std::optional<std::string> dataDir; // --data-dir DIR
    std::optional<std::string> profile; // --profile NAME
    // A game to connect to: "telnet://host[:port]" or "host port" (a link a desktop hands
    // over); it opens the profile for that host and port, or "Connect to a game..." filled in.
    std::optional<QuickGame> game;
    QString error;

    // `args` are argv's bytes, the program name first. Values keep their bytes as given
    // (paths and profile names are byte strings here, whatever the locale).
    static CommandLine Parse(const std::vector<std::string>& args);

    // "Usage: tavclient [options]", a line about the program and the options with their
    // descriptions; the manual page tavclient(1) says the same.
    static QString HelpText();
    // "tavclient 0.1": the program's name and the project's version.
    static QString VersionText();
};

} // namespace tav
