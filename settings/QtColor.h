#pragma once

#include "settings/StoredValues.h"

#include <QColor>

namespace tav {

// Stored colours are 0x00BBGGRR (red in the low byte); QColor is built from and read into
// its components, never from the raw number, which Qt would read as 0xRRGGBB. For the Qt
// layer only: the core keeps ColorRef.
inline QColor ToQColor(ColorRef color) {
    return QColor(RedOf(color), GreenOf(color), BlueOf(color));
}

inline ColorRef ToColorRef(const QColor& color) {
    const QColor rgb = color.toRgb();
    return MakeColor(rgb.red(), rgb.green(), rgb.blue());
}

} // namespace tav
