#pragma once

#include "settings/Settings.h"

#include <optional>

namespace tav {

// A scrollback of this many lines or fewer is never set from the settings.
inline constexpr int kMinSettingsScrollLines = 10;
// Upper bounds on the sizes a settings file or the dialog can ask for; larger values
// are held here so a damaged file cannot make the screens allocate without limit.
inline constexpr int kMaxScrollLines = 50000;
inline constexpr int kMaxInputLines = 10000;

// What to resize after settings are loaded or changed. The desktop layer applies it:
// a new scrollback size to the main terminal screen, the scroll-back split view and the
// scroll-back text window's screen; a new history size reallocates the input history
// with that many empty entries.
struct SizesStep {
    std::optional<int> scrollLines;  // new scrollback size, when it changes
    std::optional<int> historyLines; // new input history size, when it changes
    friend bool operator==(const SizesStep&, const SizesStep&) = default;
};

// `scrolllines` counts when above 10 and `inputlines` when above 0, each only when it
// differs from the current size.
SizesStep ComputeSizesStep(const Settings& settings, int currentScrollLines,
                           int currentHistoryLines);

} // namespace tav
