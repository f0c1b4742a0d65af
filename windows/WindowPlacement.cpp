#include "windows/WindowPlacement.h"

#include <QWidget>

#include <algorithm>

namespace tav {

WindowPlacement::WindowPlacement(QWidget& window) : window_(window) {
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleTime);
    settle_.callOnTimeout([this] { Settle(); });
}

void WindowPlacement::Place(const QRect& outer) {
    placement_ = outer;
    retries_ = 0;
    Apply();
}

std::optional<QMargins> WindowPlacement::FrameMargins() const {
    const QRect outer = window_.frameGeometry();
    const QRect inner = window_.geometry();
    const QMargins margins(inner.left() - outer.left(), inner.top() - outer.top(),
                           outer.right() - inner.right(), outer.bottom() - inner.bottom());
    // While a window manager is still building its frame around the window, the frame
    // can come out smaller than the window: nothing is known then.
    if (margins.left() < 0 || margins.top() < 0 || margins.right() < 0 || margins.bottom() < 0)
        return std::nullopt;
    return margins;
}

void WindowPlacement::Apply() {
    // The window system adds its decorations around the size given here, and move()
    // places the frame's corner where they are known.
    margins_ = FrameMargins().value_or(QMargins());
    const QRect rect = *placement_;
    applying_ = true;
    window_.move(rect.topLeft());
    window_.resize(std::max(0, rect.width() - margins_.left() - margins_.right()),
                   std::max(0, rect.height() - margins_.top() - margins_.bottom()));
    applying_ = false;
    // Placed with its decorations: checked once the reports stop, as in Follow. The window
    // system may report this placement while it is made (and Follow skips those reports),
    // so nothing else would end the placement, and it would undo the user's next change.
    if (!margins_.isNull()) settle_.start();
}

void WindowPlacement::Follow() {
    if (!placement_ || applying_) return;
    // Maximised, minimised or full screen, the window is where the user wants it, and its
    // decorations change with that: placing it again would undo the user's choice.
    if (window_.isMinimized() || window_.isMaximized() || window_.isFullScreen()) {
        settle_.stop();
        placement_.reset();
        return;
    }
    const std::optional<QMargins> margins = FrameMargins();
    if (!margins) return;
    if (*margins != margins_) {
        Apply(); // the decorations have come (or changed): place again
    } else if (!margins->isNull()) {
        // Placed with the decorations it has. A busy window manager can still report (and
        // even carry out) older requests after the newer ones, so the frame is checked
        // once the reports have stopped coming, not at each one.
        settle_.start();
    }
}

void WindowPlacement::Settle() {
    if (!placement_) return;
    // A window the user has maximised meanwhile (or minimised) is where the user wants it.
    const bool normal = !window_.isMinimized() && !window_.isMaximized() && !window_.isFullScreen();
    if (normal && window_.frameGeometry() != *placement_ && retries_ < kMaxRetries) {
        ++retries_;
        Apply();
    } else {
        placement_.reset();
    }
}

std::optional<Rect> WindowPlacement::OuterRect() const {
    if (window_.isMinimized() || window_.isMaximized() || window_.isFullScreen()) return {};
    if (!FrameMargins()) return {};
    const QRect outer = window_.frameGeometry();
    return Rect{outer.left(), outer.top(), outer.left() + outer.width(),
                outer.top() + outer.height()};
}

bool WindowPlacement::Topmost() const {
    return window_.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void WindowPlacement::SetTopmost(bool topmost) {
    if (Topmost() == topmost) return;
    const bool visible = window_.isVisible();
    window_.setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
    // Changing the flags hides a shown window; show it again without taking the focus.
    if (visible) {
        const bool before = window_.testAttribute(Qt::WA_ShowWithoutActivating);
        window_.setAttribute(Qt::WA_ShowWithoutActivating, true);
        window_.show();
        window_.setAttribute(Qt::WA_ShowWithoutActivating, before);
    }
}

} // namespace tav
