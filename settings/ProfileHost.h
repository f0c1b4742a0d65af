#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tav {

// The parts of the program a profile change drives: the main frame, the terminal window
// and its connections. The desktop layer implements it on the frame; tests record the
// calls in order.
class ProfileHost {
public:
    virtual ~ProfileHost() = default;
    virtual void SetCaption(std::string_view caption) = 0;
    virtual void LoadSettings() = 0;
    virtual void SaveSettings() = 0;
    // Fonts, flags and panes of the screens, with the initial divider positions.
    virtual void ApplyScreenSettings() = 0;
    // Scrollback lines and history size.
    virtual void ApplySizes() = 0;
    // Moves the frame to its stored rectangle and sets its always-on-top state.
    virtual void PlaceFrame() = 0;
    // The side windows take the new profile's fonts and positions.
    virtual void RestoreSideWindows() = 0;
    virtual void LoadTriggers() = 0;
    virtual void TermStartup() = 0;
    virtual void AutoConnect() = 0;
    virtual void StartTimers() = 0;
    // Clears the layout lock and brings the frame to the foreground.
    virtual void ReleaseLayout() = 0;
    virtual bool TermConnected() = 0;
    virtual void TermDisconnect() = 0;
    virtual void ClientDisconnect() = 0;
    // Builds (or rebuilds) the tool bars and the custom button bar.
    virtual void CreateBars() = 0;
    virtual void PrintLocal(std::string_view text) = 0;
};

// The user's side of the profile selection: the name question, the Yes/No question and
// the error boxes.
class ProfilePrompts {
public:
    virtual ~ProfilePrompts() = default;
    // The create dialog; nothing when the user cancels. `initial` is the text offered.
    virtual std::optional<std::string> AskProfileName(std::string_view initial) = 0;
    virtual bool AskYesNo(std::string_view text, std::string_view title) = 0;
    virtual void ShowError(std::string_view text, std::string_view title) = 0;
};

} // namespace tav
