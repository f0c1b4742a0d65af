#include "settings/QuickGame.h"

#include "settings/AtomicFile.h"
#include "settings/ColorFile.h"
#include "settings/LineScanner.h"
#include "settings/ProfileFileNames.h"
#include "settings/ProfileStore.h"
#include "settings/SettingsText.h"
#include "settings/TextMode.h"

#include <algorithm>
#include <charconv>

namespace tav {

namespace {

constexpr std::string_view kTelnetScheme = "telnet://";
constexpr const char* kQuickScrollLines = "10000";
constexpr const char* kQuickInputLines = "100";
// Where a profile without a settings file puts the frame and the tool windows.
constexpr Rect kFrameRect{0, 0, 640, 400};
constexpr Rect kToolRect{0, 0, 300, 300};

bool HasControl(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

// A host name or address: no blanks, controls, '/' or ':' (which would end it in a link).
bool IsHost(std::string_view host) {
    return !host.empty() && host.size() <= kMaxQuickText &&
           std::none_of(host.begin(), host.end(), [](char c) {
               return static_cast<unsigned char>(c) <= 0x20 || c == 0x7F || c == '/' || c == ':';
           });
}

std::optional<int> PortNumber(std::string_view text) {
    int port = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return {};
    return port;
}

} // namespace

std::optional<std::string> CheckQuickGame(const QuickGame& game) {
    if (CheckProfileName(game.name) != ProfileNameProblem::None ||
        !SelectableProfileName(game.name) || game.name.size() > kMaxProfileName)
        return "The game's name names its profile: 2 to 63 characters, not \".\" or \"..\", "
               "without '/' or control characters.";
    if (game.host.empty()) return "You must enter the game's host.";
    if (!IsHost(game.host)) return "The host must be a name or address of at most 78 characters.";
    if (!IsGamePort(game.port)) return "Invalid port.";
    if (game.tlsPort < 0 || game.tlsPort > kMaxTlsPort) return "Invalid secure port.";
    for (const std::string* text : {&game.character, &game.password})
        if (text->size() > kMaxQuickText || HasControl(*text))
            return "The character and the password must be at most 78 characters.";
    return std::nullopt;
}

QuickProfile MakeQuickProfile(const QuickGame& game) {
    QuickProfile profile{Settings{}, StoredValues::Defaults(), ProfileOptions{}};
    Settings& s = profile.settings;
    CopyField(s.addy, game.host.c_str());
    CopyField(s.port, std::to_string(game.port).c_str());
    CopyField(s.user, game.character.c_str());
    CopyField(s.passwd, game.password.c_str());
    // Kept as typed: not saving it would write a placeholder the login then sends.
    s.savepasswd = 1;
    s.autoterm = game.character.empty() ? 0 : 1;
    s.autowrap = 1;
    s.cursorblock = 1;
    s.midiinternal = 1;
    CopyField(s.scrolllines, kQuickScrollLines);
    CopyField(s.inputlines, kQuickInputLines);

    StoredValues& v = profile.values;
    v.termpos = kFrameRect;
    for (Rect* rect : {&v.scrollpos, &v.brdpos, &v.idpos, &v.gosspos, &v.editorpos, &v.helppos,
                       &v.invpos, &v.eqpos, &v.whopos})
        *rect = kToolRect;

    ProfileOptions& o = profile.options;
    o.encoding = TextEncoding::Utf8;
    o.colours = ColourMode::Full;
    o.negotiate = true;
    o.gaPrompts = true;
    o.tabComplete = true;
    o.longLines = true;
    o.pasteToInput = true;
    o.echoColoured = true;
    o.tls = game.tls;
    o.tlsPort = game.tls ? game.tlsPort : 0;
    o.otherGame = true;
    o.builtInPlayers = {true, true};
    o.connectLogin = game.connectLogin;
    o.wideScreen = true;
    return profile;
}

bool WriteQuickProfile(const std::string& dir, const QuickProfile& profile) {
    const std::string base = dir + "/";
    return WriteTextFile(base + std::string(kSettingsFileName),
                         WriteSettingsText(profile.settings, profile.values),
                         FileAccess::OwnerOnly) &&
           WriteFileAtomically(base + "colors.dat", WriteColorBytes(profile.values)) &&
           SaveProfileOptions(base + std::string(kOptionsFileName), profile.options);
}

std::optional<std::string> FindGameProfile(const ProfileStore& store, const QuickGame& game) {
    const auto list = store.ReadList();
    if (!list) return std::nullopt;
    const auto lower = [](std::string text) {
        for (char& c : text)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        return text;
    };
    const std::string host = "addy:" + lower(game.host);
    const std::string port = "port:" + std::to_string(game.port);
    for (const std::string& name : list->names) {
        const auto text =
            ReadTextFile(store.ProfileDir(name) + "/" + std::string(kSettingsFileName));
        if (!text) continue;
        bool hostFound = false, portFound = false;
        LineScanner lines(*text);
        while (const auto line = lines.NextLine()) {
            const std::string_view item = line->substr(0, line->find_last_not_of('\r') + 1);
            hostFound = hostFound || lower(std::string(item)) == host;
            portFound = portFound || item == port;
        }
        if (hostFound && portFound) return name;
    }
    return std::nullopt;
}

std::optional<QuickGame> QuickGameFromAddress(std::string_view first, std::string_view second) {
    QuickGame game;
    std::string_view host = first;
    std::optional<int> port = kDefaultGamePort;
    if (first.starts_with(kTelnetScheme)) {
        if (!second.empty()) return std::nullopt;
        host = first.substr(kTelnetScheme.size());
        if (host.ends_with('/')) host.remove_suffix(1);
        if (const std::size_t colon = host.find(':'); colon != std::string_view::npos) {
            port = PortNumber(host.substr(colon + 1));
            host = host.substr(0, colon);
        }
    } else {
        port = PortNumber(second);
    }
    if (!port || !IsHost(host)) return std::nullopt;
    game.host = host;
    game.name = host;
    game.port = *port;
    return game;
}

} // namespace tav
