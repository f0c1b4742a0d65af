#pragma once

#include <optional>

namespace tav {

// The states of the three lock keys the status bar shows.
struct KeyboardModes {
    bool caps = false;
    bool num = false;
    bool scroll = false;
    friend bool operator==(const KeyboardModes&, const KeyboardModes&) = default;
};

// The lock states as the keyboard's indicators show them, read from the windowing system,
// or nothing where the platform cannot tell: only X11 (through its keyboard extension)
// can; Wayland and the offscreen platform cannot. Call it on the user-interface thread.
std::optional<KeyboardModes> ReadKeyboardModes();

} // namespace tav
