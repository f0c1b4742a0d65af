#pragma once

#include "screen/ScreenView.h"
#include "settings/Rect.h"

#include <QMargins>
#include <QRect>
#include <QTimer>

#include <chrono>

#include <optional>

class QWidget;

namespace tav {

// Places a top-level window by its outer rectangle (decorations included, screen
// pixels), the rectangle the settings store, and reads that rectangle back, so that a
// rectangle placed and then recorded comes back the same. A window manager's
// decorations are known only once it has framed the window: until then they count as
// none, and the window is placed again as soon as they are known.
class WindowPlacement {
public:
    explicit WindowPlacement(QWidget& window);

    void Place(const QRect& outer);
    // Call from the window's moveEvent and resizeEvent.
    void Follow();
    // The outer rectangle as the settings store it, or nothing while the window manager
    // is still building the frame (or the window is minimised, maximised or full screen).
    std::optional<Rect> OuterRect() const;
    // The decorations around the client area, or nothing while they are being built.
    std::optional<QMargins> FrameMargins() const;

    bool Topmost() const;
    // Keeps the window above all others or not, without activating a shown window.
    void SetTopmost(bool topmost);

    static QRect ToQRect(const Rect& rect) {
        return QRect(rect.left, rect.top, rect.Width(), rect.Height());
    }

private:
    void Apply();
    // Places again when the frame did not end where it was asked (a window manager that
    // carried out an older request last), a few times at most, so that a window manager
    // keeping its own idea of the place (a frame larger than the screen) is not fought.
    void Settle();

    QWidget& window_;
    // The rectangle Place was given, until the window has been placed with the
    // decorations the window system gives it; margins_ are those it was placed with last.
    std::optional<QRect> placement_;
    QMargins margins_;
    bool applying_ = false;
    static constexpr std::chrono::milliseconds kSettleTime{300};
    static constexpr int kMaxRetries = 3;
    QTimer settle_;
    int retries_ = 0;
};

} // namespace tav
