#include "settings/ConfigValidation.h"

#include "settings/SizesStep.h"

#include <cstdio>

namespace tav {

namespace {

// The value of a field of decimal digits, when it is one and at most `max`; a field of 15
// digits stays far from any overflow because the digits are counted first.
std::optional<int> BoundedNumber(std::string_view text, int max) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    int value = 0;
    for (char ch : text) {
        if (ch < '0' || ch > '9') return std::nullopt;
        value = value * 10 + (ch - '0');
    }
    if (value > max) return std::nullopt;
    return value;
}

std::string RangeText(const char* what, int min, int max) {
    char text[128];
    std::snprintf(text, sizeof text, "%s must be a number from %d to %d.", what, min, max);
    return text;
}

std::optional<std::string> AccountRefusal(const Settings& s, BuiltInPlayers builtIn) {
    if (s.user[0] == '\0') return "You must enter a username.";
    if (s.passwd[0] == '\0') return "You must enter a password.";
    if (s.midiplayer[0] == '\0' && !s.midiinternal) return "You must enter a midi player.";
    if (s.modplayer[0] == '\0' && !builtIn.mod) return "You must enter a mod player.";
    if (s.mp3player[0] == '\0' && !builtIn.mp3) return "You must enter an mp3 player.";
    return std::nullopt;
}

std::optional<std::string> FirstRefusal(const Settings& s, bool accountOptional,
                                        BuiltInPlayers builtIn) {
    if (!accountOptional)
        if (auto refusal = AccountRefusal(s, builtIn)) return refusal;
    if (s.scrolllines[0] == '\0') return "You must enter the scrollback buffer size.";
    if (!BoundedNumber(FieldView(s.scrolllines), kMaxScrollLines))
        return RangeText("The scrollback buffer size", 0, kMaxScrollLines);
    if (s.inputlines[0] == '\0') return "You must enter the input buffer size.";
    if (!BoundedNumber(FieldView(s.inputlines), kMaxInputLines))
        return RangeText("The input buffer size", 0, kMaxInputLines);
    // An empty port or wait is left to the connection, which reports a missing port and
    // does not wait without seconds. A port the connection would call invalid is refused
    // here in its words.
    if (s.port[0] != '\0') {
        std::optional<int> port = BoundedNumber(FieldView(s.port), kMaxPort);
        if (!port || !IsGamePort(*port)) return "Invalid port.";
    }
    if (s.waitsecs[0] != '\0' && !BoundedNumber(FieldView(s.waitsecs), kMaxWaitSeconds))
        return RangeText("The seconds to wait", 0, kMaxWaitSeconds);
    return std::nullopt;
}

struct FlagLine {
    Flag Settings::*flag;
    std::string_view line;
};

constexpr FlagLine kFlagLines[] = {
    {&Settings::minimizeonedit, "Will minimize on edit response."},
    {&Settings::hideplayers, "Will attempt to hide players."},
    {&Settings::nomidi, "Will not play midis."},
    {&Settings::nomod, "Will not play mods."},
    {&Settings::nowav, "Will not play wavs."},
    {&Settings::nomp3, "Will not play mp3s."},
    {&Settings::ignorequeries, "Will ignore all server sound queries."},
    {&Settings::ontop, "Always on top mode selected."},
    {&Settings::downloadall, "Will download all sound files."},
};

} // namespace

ConfigBoxStates ApplyConfigInterlock(ConfigBoxStates toggled, ConfigBox clicked) {
    ConfigBoxStates s = toggled;
    switch (clicked) {
    case ConfigBox::MidiInternal: s.midiExternal = !s.midiInternal; break;
    case ConfigBox::MidiExternal: s.midiInternal = !s.midiExternal; break;
    case ConfigBox::AutoClient:
    case ConfigBox::WaitClient: break;
    }
    if (!s.autoClient) s.waitClient = false;
    return s;
}

ConfigVerdict ValidateConfig(const Settings& settings, bool accountOptional,
                             BuiltInPlayers builtIn) {
    ConfigVerdict verdict;
    verdict.error = FirstRefusal(settings, accountOptional, builtIn);
    if (verdict.error) return verdict;
    for (const FlagLine& item : kFlagLines)
        if (settings.*item.flag != 0) verdict.logLines.push_back(item.line);
    return verdict;
}

bool RunConfigCommand(Settings& settings, ConfigCommandHost& host, bool accountOptional,
                      BuiltInPlayers* builtIn) {
    const bool multiscreen = settings.multiscreen != 0;
    const bool enhancedterm = settings.enhancedterm != 0;
    Settings edited = settings;
    BuiltInPlayers editedBuiltIn = builtIn != nullptr ? *builtIn : BuiltInPlayers{};
    bool taken = false;
    while (host.RunConfigDialog(edited, editedBuiltIn)) {
        ConfigVerdict verdict = ValidateConfig(edited, accountOptional, editedBuiltIn);
        if (verdict.error) {
            host.ShowConfigError(*verdict.error);
            continue;
        }
        settings = edited;
        if (builtIn != nullptr) *builtIn = editedBuiltIn;
        for (std::string_view line : verdict.logLines)
            host.LogLine(line);
        host.SetTopmost(settings.ontop != 0);
        host.ApplyScreenSettings();
        host.SaveSettings();
        host.ApplySizes();
        taken = true;
        break;
    }
    if ((settings.multiscreen != 0) != multiscreen || (settings.enhancedterm != 0) != enhancedterm)
        host.Relayout();
    return taken;
}

} // namespace tav
