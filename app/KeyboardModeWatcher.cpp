#include "app/KeyboardModeWatcher.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>

namespace tav {

namespace {

bool IsLockKey(const QEvent* event) {
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_CapsLock || key == Qt::Key_NumLock || key == Qt::Key_ScrollLock;
}

} // namespace

KeyboardModeWatcher::KeyboardModeWatcher(std::function<void()> changed, QObject* parent)
    : QObject(parent), changed_(std::move(changed)) {
    if (QCoreApplication* app = QCoreApplication::instance()) app->installEventFilter(this);
}

bool KeyboardModeWatcher::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        if (IsLockKey(event)) Schedule();
        break;
    case QEvent::WindowActivate:
        // Sent to every widget of the window; the window itself is enough.
        if (watched->isWidgetType() && static_cast<QWidget*>(watched)->isWindow()) Schedule();
        break;
    case QEvent::ApplicationStateChange: Schedule(); break;
    default: break;
    }
    return false;
}

void KeyboardModeWatcher::Schedule() {
    // A key event travels up to every parent that ignores it: read the state once.
    if (scheduled_) return;
    scheduled_ = true;
    QTimer::singleShot(0, this, [this] {
        scheduled_ = false;
        changed_();
    });
}

} // namespace tav
