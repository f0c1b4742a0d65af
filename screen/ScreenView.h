#pragma once

#include "settings/Rect.h"

#include <string>

namespace tav {

// How the view draws the text cursor.
enum class CursorStyle { Line, Block };

// What a TMudScreen tells the window that shows it. The model never paints: it reports
// which rows changed and the view repaints them from the buffer when it chooses.
// Every notification has an empty default so a view overrides only what it needs.
class ScreenView {
public:
    virtual ~ScreenView() = default;

    // Screen row k needs repainting (with background erase).
    virtual void InvalidateRow(int /*row*/) {}
    // The whole client area needs repainting.
    virtual void InvalidateScreen() {}
    // Move the painted rows by dy rows (positive moves the content down); the uncovered
    // rows are repainted from the buffer, which already holds the new top line.
    virtual void ScrollPixels(int /*dy*/) {}
    // Paint pending invalid areas now.
    virtual void UpdateView() {}

    // BEL: play the WAV file at wavPath without blocking, or a short system beep when
    // the path is empty.
    virtual void Bell(const std::string& /*wavPath*/) {}
    // Fill the client area light red; an InvalidateScreen follows.
    virtual void VisualBell() {}

    virtual void SetScrollRange(int /*min*/, int /*max*/) {}
    virtual void SetScrollPos(int /*pos*/) {}

    // Draw the one-pixel frame around the client area: light red while output is held,
    // background colour when the hold is released.
    virtual void FrameHold(bool /*held*/) {}

    // SetScreenRect moved the screen to a new rectangle.
    virtual void PlaceWindow(const Rect& /*rect*/, bool /*repaint*/) {}
};

} // namespace tav
