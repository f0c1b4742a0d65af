#pragma once

#include <string>

namespace tav {

// How the view draws the text cursor.
enum class CursorStyle { Line, Block };

// What a TMudScreen tells the window that shows it: damage only. The model never paints and
// never sees a pixel; it reports which rows changed, that the view scrolled, a bell and the
// hold, and the view reads what it needs (cells, top line, scroll range) from the model when
// it chooses. Every notification has an empty default so a view overrides only what it needs.
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

    // The top line or the scroll range changed (TMudScreen::Top, ScrollMax).
    virtual void Scrolled() {}

    // Output is held (Scroll Lock) or released: the view frames its client area light red
    // while held and in the background colour once released.
    virtual void FrameHold(bool /*held*/) {}
};

} // namespace tav
