#pragma once

#include "sound/FocusKeeper.h"
#include "term/qt/PostedCalls.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <memory>

namespace tav {

// Remembers the application's active window and activates it again, on the
// user-interface thread whatever thread asks. Windows of other programs are not
// reachable, and the window system may refuse to move the focus.
class QtFocusKeeper final : public FocusKeeper {
public:
    QtFocusKeeper();
    ~QtFocusKeeper() override;
    QtFocusKeeper(const QtFocusKeeper&) = delete;
    QtFocusKeeper& operator=(const QtFocusKeeper&) = delete;

    void RememberForeground() override;
    void RestoreForeground() override;

private:
    std::unique_ptr<PostedCalls> context_; // queued requests die with it
    QPointer<QWidget> remembered_;         // touched on the user-interface thread only
};

} // namespace tav
