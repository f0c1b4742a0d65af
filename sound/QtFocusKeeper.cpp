#include "sound/QtFocusKeeper.h"

#include <QApplication>

namespace tav {

QtFocusKeeper::QtFocusKeeper() : context_(std::make_unique<QObject>()) {}

QtFocusKeeper::~QtFocusKeeper() = default;

void QtFocusKeeper::RememberForeground() {
    QMetaObject::invokeMethod(
        context_.get(), [this] { remembered_ = QApplication::activeWindow(); },
        Qt::QueuedConnection);
}

void QtFocusKeeper::RestoreForeground() {
    QMetaObject::invokeMethod(
        context_.get(),
        [this] {
            if (remembered_ != nullptr) remembered_->activateWindow();
        },
        Qt::QueuedConnection);
}

} // namespace tav
