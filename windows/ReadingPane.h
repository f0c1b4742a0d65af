#pragma once

#include "screen/MudScreen.h"
#include "settings/Settings.h"
#include "settings/StoredValues.h"

#include <QString>

#include <memory>

class QWidget;

namespace tav {

class Divider;
class ScreenWidget;

// The lower part of the boards and help windows: a horizontal divider under the lists and,
// below it, a 100-line screen that shows the text read, with a horizontal scroll bar for
// lines wider than the window. The window owns one and places it on every layout; the
// divider keeps its own position between layouts, so the window is placed at its size
// before the first layout.
class ReadingPane {
public:
    static constexpr int kScreenLines = 100;
    static constexpr int kMargin = 5;
    static constexpr int kDividerThickness = 8;
    // The least the lists and the screen keep when the divider is dragged or the window
    // shrinks.
    static constexpr int kMinPane = 24;

    ReadingPane(const Settings& settings, StoredValues& stored, const QString& dividerTitle,
                QWidget* window);
    // The screen widget refers to the screen, so it goes first.
    ~ReadingPane();
    ReadingPane(const ReadingPane&) = delete;
    ReadingPane& operator=(const ReadingPane&) = delete;

    // Places the divider (at half the height on the first call, then where it was dragged,
    // kept inside the window so it can always be grabbed again) across the width w, and the
    // screen between it and the bottom margin. Returns the divider's top, where the lists
    // end.
    int Place(int listTop, int w, int h);
    // Moves the divider by a drag's displacement; the next Place takes it.
    void Drag(int delta) { dividerTop_ += delta; }

    TMudScreen& Screen() { return *screen_; }
    ScreenWidget& Widget() { return *widget_; }
    Divider& Bar() { return *divider_; }

private:
    std::unique_ptr<TMudScreen> screen_;
    ScreenWidget* widget_ = nullptr;
    Divider* divider_ = nullptr;
    int dividerTop_ = -1;
};

} // namespace tav
