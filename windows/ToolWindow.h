#pragma once

#include "windows/WindowPlacement.h"

#include <QWidget>

class QPushButton;

namespace tav {

// A tool window of the terminal (text lists, boards, help, identification, monitor,
// server edit, command pad): a top-level window owned by the main frame, so it stays
// above the frame and goes with it. It is placed from a rectangle of the stored values
// and records its moves and sizes into it; closing it, or Esc, only hides it. The background is
// the program's tiled pattern.
class ToolWindow : public QWidget {
    Q_OBJECT
public:
    // caption: the window title and accessible name; stored: the rectangle it is placed
    // from and recorded into (outer frame, screen pixels), which must outlive it.
    ToolWindow(const QString& caption, Rect& stored, QWidget* owner);

    // Hides the window when it is visible, otherwise shows it restored and raised.
    void Toggle();
    // Places the window at the stored rectangle (a default size beside the owner when it
    // is empty), above all other windows when topmost, without activating it. A hidden
    // window stays hidden.
    void PlaceStored(bool topmost);
    void SetTopmost(bool topmost) { placement_.SetTopmost(topmost); }
    bool Topmost() const { return placement_.Topmost(); }

protected:
    // A button named by its text that Return in a field never presses.
    static QPushButton* MakeToolButton(const QString& text, QWidget* parent);

    void closeEvent(QCloseEvent* event) override;
    // Esc hides the window, as its "Close" does, wherever in it the keyboard is.
    void keyPressEvent(QKeyEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void Record();

    Rect& stored_;
    WindowPlacement placement_{*this};
};

} // namespace tav
