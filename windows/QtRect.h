#pragma once

#include "settings/Rect.h"

#include <QRect>
#include <QWidget>

#include <algorithm>

namespace tav {

// A layout's rectangle as Qt's: an empty one stays empty, never negative.
inline QRect ToQRect(const Rect& r) {
    return QRect(r.left, r.top, std::max(r.Width(), 0), std::max(r.Height(), 0));
}

inline Rect FromQRect(const QRect& r) {
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

// Shows the widget at `rect`, or hides it.
inline void Place(QWidget& widget, bool shown, const Rect& rect) {
    if (shown) widget.setGeometry(ToQRect(rect));
    widget.setVisible(shown);
}

} // namespace tav
