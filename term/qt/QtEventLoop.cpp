#include "term/qt/QtEventLoop.h"

#include <QMetaObject>
#include <QSocketNotifier>
#include <QTimer>

namespace tav {

QtEventLoop::QtEventLoop() = default;

QtEventLoop::~QtEventLoop() {
    // Children of context_ go with it; queued calls to it are dropped by Qt.
    for (Notifiers* notifiers : {&notifiers_, &writeNotifiers_})
        for (auto& [fd, notifier] : *notifiers)
            if (notifier) notifier->setEnabled(false);
}

void QtEventLoop::Watch(Notifiers& notifiers, int fd, int type, Callback fn) {
    Retire(notifiers, fd);
    auto* notifier = new QSocketNotifier(fd, static_cast<QSocketNotifier::Type>(type), &context_);
    // The callback may unwatch (and so retire) this very notifier: it is disabled then
    // and deleted only once control is back in the event loop.
    QObject::connect(notifier, &QSocketNotifier::activated, &context_,
                     [fn = std::move(fn)] { fn(); });
    notifiers[fd] = notifier;
}

void QtEventLoop::Retire(Notifiers& notifiers, int fd) {
    auto it = notifiers.find(fd);
    if (it == notifiers.end()) return;
    if (QSocketNotifier* notifier = it->second) {
        notifier->setEnabled(false);
        notifier->deleteLater();
    }
    notifiers.erase(it);
}

void QtEventLoop::WatchReadable(int fd, Callback onReadable) {
    Watch(notifiers_, fd, QSocketNotifier::Read, std::move(onReadable));
}

void QtEventLoop::WatchWritable(int fd, Callback onWritable) {
    Watch(writeNotifiers_, fd, QSocketNotifier::Write, std::move(onWritable));
}

void QtEventLoop::UnwatchWritable(int fd) {
    Retire(writeNotifiers_, fd);
}

void QtEventLoop::Unwatch(int fd) {
    Retire(notifiers_, fd);
    Retire(writeNotifiers_, fd);
}

void QtEventLoop::StartTimer(int id, int periodMs, Callback onTick) {
    QTimer*& timer = timers_[id];
    if (timer == nullptr) {
        timer = new QTimer(&context_);
    } else {
        timer->stop();
        QObject::disconnect(timer, nullptr, &context_, nullptr);
    }
    QObject::connect(timer, &QTimer::timeout, &context_, [fn = std::move(onTick)] { fn(); });
    timer->start(periodMs);
}

void QtEventLoop::StopTimer(int id) {
    // The timer object stays: the tick being handled may be the one that stops it.
    auto it = timers_.find(id);
    if (it != timers_.end()) it->second->stop();
}

bool QtEventLoop::TimerActive(int id) const {
    auto it = timers_.find(id);
    return it != timers_.end() && it->second->isActive();
}

void QtEventLoop::SingleShot(int delayMs, Callback fn) {
    QTimer::singleShot(delayMs, &context_, std::move(fn));
}

void QtEventLoop::Post(Callback fn) {
    posted_.Post(std::move(fn));
}

} // namespace tav
