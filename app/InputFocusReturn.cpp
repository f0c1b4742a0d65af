#include "app/InputFocusReturn.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace tav {

InputFocusReturn::InputFocusReturn(QWidget& frame, QWidget& input)
    : QObject(&frame), frame_(frame), input_(&input) {
    qApp->installEventFilter(this);
}

bool InputFocusReturn::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Hide || !watched->isWidgetType()) return false;
    auto* window = static_cast<QWidget*>(watched);
    if (!window->isWindow() || window == &frame_ || window->parentWidget() == nullptr ||
        window->parentWidget()->window() != &frame_)
        return false;
    switch (window->windowType()) {
    case Qt::Popup:
    case Qt::ToolTip:
    case Qt::SplashScreen: return false;
    default: break;
    }
    // After Qt has given the focus back to whatever had it before the window opened.
    QTimer::singleShot(0, this, [this] {
        if (input_ && input_->isVisible() && !QApplication::activeModalWidget())
            input_->setFocus(Qt::OtherFocusReason);
    });
    return false;
}

} // namespace tav
