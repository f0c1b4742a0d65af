#include "sound/QtFocusKeeper.h"

#include <QApplication>

namespace tav {

QtFocusKeeper::QtFocusKeeper() : context_(std::make_unique<PostedCalls>()) {}

QtFocusKeeper::~QtFocusKeeper() = default;

void QtFocusKeeper::RememberForeground() {
    context_->Post([this] { remembered_ = QApplication::activeWindow(); });
}

void QtFocusKeeper::RestoreForeground() {
    context_->Post([this] {
        if (remembered_ != nullptr) remembered_->activateWindow();
    });
}

} // namespace tav
