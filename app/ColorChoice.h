#pragma once

#include "settings/QtColor.h"

#include <functional>
#include <optional>

class QWidget;

namespace tav {

// Asks for a colour starting at `initial`; nothing when the user cancelled.
using ColorAsker = std::function<std::optional<QColor>(const QColor& initial)>;
// Qt's chooser, owned by `owner`.
ColorAsker QtColorAsker(QWidget* owner, const QString& title);

// Runs `ask` with the chooser's custom colours set from `custom` and copies them back
// afterwards, also on cancel: Qt keeps one set of custom colours for the whole program, and
// the stored ones are the profile's.
std::optional<ColorRef> ChooseColor(const ColorAsker& ask, ColorRef initial,
                                    ColorRef (&custom)[kCustomColorCount]);

} // namespace tav
