#include "app/InputFocusReturn.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QMenuBar>
#include <QTimer>
#include <QWidget>

namespace tav {

InputFocusReturn::InputFocusReturn(QWidget& frame, QWidget& input)
    : QObject(&frame), frame_(frame), input_(&input) {
    qApp->installEventFilter(this);
}

bool InputFocusReturn::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        WatchMenuBarEscape(watched, static_cast<QKeyEvent*>(event));
        return false;
    }
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

void InputFocusReturn::WatchMenuBarEscape(QObject* watched, QKeyEvent* key) {
    auto* bar = qobject_cast<QMenuBar*>(watched);
    if (bar == nullptr || key->key() != Qt::Key_Escape || bar->window() != &frame_) return;
    // The menu bar hands the keyboard back only to a widget that had it when the bar took
    // it; when none had (the closed menu's own window had it), the bar keeps it and what is
    // typed next runs its mnemonics. Once Escape has left the bar, take the keyboard home.
    QTimer::singleShot(0, this, [this, bar = QPointer<QMenuBar>(bar)] {
        if (bar && bar->hasFocus() && bar->activeAction() == nullptr &&
            !QApplication::activePopupWidget() && input_ && input_->isVisible())
            input_->setFocus(Qt::OtherFocusReason);
    });
}

} // namespace tav
