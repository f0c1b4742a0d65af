#pragma once

#include "settings/StoredValues.h"

namespace tav {

// Which colour of the terminal screens a "bcolor:" or "tcolor:" line sets.
enum class ScreenColor { Background, Text };

// The window effects of loading the settings file. The desktop layer implements it on
// the main terminal window; tests record the calls. Every call comes from the
// user-interface thread while a load runs.
class SettingsHost {
public:
    virtual ~SettingsHost() = default;
    // A font line named a face: replace that window's font with a new one. The input
    // line and the three MultiScreen panes take their new font at once.
    virtual void ReplaceFont(FontItem item, const FontSpec& font) = 0;
    // Set the colour on the five terminal screens: the main screen, the scroll-back
    // split view and the three MultiScreen panes.
    virtual void SetScreenColor(ScreenColor which, ColorRef color) = 0;
    // Make the main frame a topmost window, or a normal one.
    virtual void SetTopmost(bool topmost) = 0;
    // Position the main frame from its rectangle.
    virtual void PlaceFrame(const Rect& frame) = 0;
    // Post the "Config..." command so the configuration dialog opens once the
    // user-interface loop runs.
    virtual void PostConfigCommand() = 0;
};

} // namespace tav
