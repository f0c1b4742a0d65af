#pragma once

#include "settings/GamePort.h"
#include "settings/ProfileOptions.h"
#include "settings/Settings.h"
#include "settings/StoredValues.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tav {

// A settings text is read back up to 78 characters (a line read of 79 with its line
// feed): the host, character and password a game is given stay within it.
inline constexpr std::size_t kMaxQuickText = 78;
// The telnet port a game listing names most often.
inline constexpr int kDefaultGamePort = 23;

// What "Connect to a game..." asks for: the game's name (which names the new profile),
// where it is, and optionally the character to log in as.
struct QuickGame {
    std::string name;
    std::string host;
    int port = kDefaultGamePort;
    bool tls = false;
    int tlsPort = 0; // 0: the game port
    std::string character;
    std::string password;
    // The character logs in with "connect <character> <password>" (MUSH, MUX, MOO).
    bool connectLogin = false;

    bool operator==(const QuickGame&) const = default;
};

// The first reason the game cannot become a profile, in the words an "Error..." box shows;
// nothing when it can. Texts are bytes (Latin-1), as the settings file keeps them.
std::optional<std::string> CheckQuickGame(const QuickGame& game);

// The files of a new profile for `game`: settings that the configuration takes as they are
// (the screen wraps, a block cursor, 10,000 lines of scrollback, the internal MIDI
// synthesizer, the account and players optional) and the options that suit a game of
// another kind (UTF-8, full colour, negotiation, prompts at GA/EOR, Tab completion, the
// local echo in its own colour, TLS as chosen). A character given logs in when the profile
// connects.
struct QuickProfile {
    Settings settings;
    StoredValues values;
    ProfileOptions options;
};
QuickProfile MakeQuickProfile(const QuickGame& game);

// Writes tav.cfg (readable by the user only), colors.dat and options.cfg into the
// existing directory `dir`; false when one could not be written.
bool WriteQuickProfile(const std::string& dir, const QuickProfile& profile);

class ProfileStore;

// The first listed profile whose settings connect to the game's host (letter case aside)
// and port; nothing when none does.
std::optional<std::string> FindGameProfile(const ProfileStore& store, const QuickGame& game);

// "telnet://host:port", "telnet://host" (port 23) or "host port" as a game to connect to,
// named after the host; nothing for anything else.
std::optional<QuickGame> QuickGameFromAddress(std::string_view first, std::string_view second = {});

} // namespace tav
