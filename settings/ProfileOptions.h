#pragma once

#include "settings/StoredValues.h"

#include <optional>
#include <string>
#include <string_view>

namespace tav {

// How the bytes of the Term connection map to characters, both ways.
enum class TextEncoding {
    SevenBit, // bytes 0x80-0xFE are dropped; what is sent is Latin-1
    Latin1,   // each byte is the Latin-1 character of its value
    Utf8,     // UTF-8 sequences
    Gb18030,  // GB18030 (a superset of GBK and GB2312), through iconv
    Big5      // Big5, through iconv
};

// How the main screen shows colour: `Basic` maps the eight ANSI text colours onto the
// attribute bits and ignores backgrounds; `Full` adds backgrounds, bright colours, the
// 256-colour palette, true colour, italic and strike-through.
enum class ColourMode { Basic, Full };
// Encodings whose screen cells hold any Unicode character and whose text handed out
// (completed lines, copies, the screen reader) is UTF-8; the others hold Latin-1 bytes.
constexpr bool HasUnicodeCells(TextEncoding encoding) {
    return encoding == TextEncoding::Utf8 || encoding == TextEncoding::Gb18030 ||
           encoding == TextEncoding::Big5;
}

// The profile's settings that tav.cfg has no place for. They live in a small file of
// their own, "options.cfg", beside it in the profile directory, so tav.cfg keeps its
// layout byte for byte.
// A TLS port is any TCP port: it has no Client port above it.
inline constexpr int kMaxTlsPort = 65535;
// The command separator and the speedwalk prefix: a few printable characters, neither a
// space nor a backslash (which escapes the separator).
inline constexpr std::size_t kMaxCommandMark = 8;
inline constexpr std::size_t kMaxWalkDirectionsText = 255;
// The longest typed line with long lines on, in characters of the input line, and the
// bytes such a line can take in any encoding (at most four a character), so its bytes are
// never cut.
inline constexpr std::size_t kLongInputChars = 4096;
inline constexpr std::size_t kLongInputBytes = 4 * kLongInputChars;
// What a game profile shows its typed commands in: a soft amber, apart from the game's
// own text colours.
inline constexpr ColorRef kDefaultEchoColour = MakeColor(240, 190, 80);
inline constexpr std::string_view kDefaultWalkDirections = "n,s,e,w,u,d,ne,nw,se,sw";
bool IsCommandMark(std::string_view text);

// MOD and MP3 cues played by the program itself instead of a player program.
struct BuiltInPlayers {
    bool mod = false;
    bool mp3 = false;
    bool operator==(const BuiltInPlayers&) const = default;
};

struct ProfileOptions {
    TextEncoding encoding = TextEncoding::SevenBit;
    bool autoReconnect = false;
    // Telnet option negotiation (TTYPE, NAWS, CHARSET, MCCP, GMCP...) with servers that
    // offer it; off, the connection answers nothing but takes the ECHO offers.
    bool negotiate = true;
    // TLS on the Term connection, to tlsPort (the game port when 0). Never clear text
    // instead.
    bool tls = false;
    int tlsPort = 0;
    ColourMode colours = ColourMode::Basic;
    // Typed lines: split into commands at `separator`, walked when they begin with
    // `speedwalk`, in the direction words of `speedwalkDirections`. Empty: neither.
    std::string separator{};
    std::string speedwalk{};
    std::string speedwalkDirections{kDefaultWalkDirections};
    // Tab in the input line completes words from the screen; off, Tab moves the keyboard.
    bool tabComplete = false;
    // The text before a GA or EOR is a completed line at once (for triggers and logs),
    // not only once its line ends.
    bool gaPrompts = false;
    // Typed lines up to kLongInputChars characters in the input line, the history and
    // what is sent; off, the classic 254.
    bool longLines = false;
    // Ctrl+V and the input line's menu put the clipboard into the input line for editing;
    // off, "Paste to Mud" sends it at once.
    bool pasteToInput = false;
    // A game of another kind, made by "Connect to a game...": the configuration takes the
    // profile without an account name, password or player programs, which only a
    // TavServer game uses.
    bool otherGame = false;
    // The commands echoed on the screen as they are sent (the local echo) show in
    // `echoColour`; off, in whatever colour the game's text left on.
    bool echoColoured = false;
    ColorRef echoColour = kDefaultEchoColour;
    // Which of MOD and MP3 play through the built-in player, which needs no program.
    BuiltInPlayers builtInPlayers;
    // The automatic login sends one line, "connect <character> <password>", as MUSH, MUX
    // and MOO games take it; off, the character and the password go as two lines.
    bool connectLogin = false;
    // The main screen's lines as wide as the window shows (up to 256 columns); off, the
    // classic 132 columns.
    bool wideScreen = false;

    bool operator==(const ProfileOptions&) const = default;
};

// The word options.cfg uses for an encoding ("7bit", "latin1", "utf8", "gb18030",
// "big5"), and back;
// nothing for a word that names none.
std::string_view EncodingWord(TextEncoding encoding);
std::optional<TextEncoding> EncodingFromWord(std::string_view word);

// "profiles/<name>/options.cfg" below root.
std::string ProfileOptionsPath(std::string_view root, std::string_view profile);

// Reads "key=value" lines; unknown keys and malformed values leave the defaults.
ProfileOptions ReadProfileOptionsText(std::string_view text);
// The file's new text: every line of `existing` is kept in its place except the known
// keys' lines, which carry the new values; keys not there yet are added at the end (all
// but "encoding" and "autoreconnect" only when they differ from their defaults).
std::string WriteProfileOptionsText(const ProfileOptions& options, std::string_view existing);

// A missing or unreadable file gives the defaults.
ProfileOptions LoadProfileOptions(const std::string& path);
// Replaces the file whole (keeping lines of keys this program does not know); false when
// it could not be written.
bool SaveProfileOptions(const std::string& path, const ProfileOptions& options);

} // namespace tav
