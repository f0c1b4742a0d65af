#pragma once

#include "term/EventLoop.h"
#include "term/qt/PostedCalls.h"

#include <QObject>
#include <QPointer>

#include <map>

class QSocketNotifier;
class QTimer;

namespace tav {

// The EventLoop of the desktop: socket readiness through QSocketNotifier, timers by id
// through QTimer, single shots and posted work through the Qt event loop of the thread
// that created it (the user-interface thread). Post is callable from any thread; every
// other call belongs to the loop's thread.
class QtEventLoop final : public EventLoop {
public:
    QtEventLoop();
    ~QtEventLoop() override;
    QtEventLoop(const QtEventLoop&) = delete;
    QtEventLoop& operator=(const QtEventLoop&) = delete;

    void WatchReadable(int fd, Callback onReadable) override;
    void WatchWritable(int fd, Callback onWritable) override;
    void UnwatchWritable(int fd) override;
    void Unwatch(int fd) override;
    void StartTimer(int id, int periodMs, Callback onTick) override;
    void StopTimer(int id) override;
    void SingleShot(int delayMs, Callback fn) override;
    void Post(Callback fn) override;

    bool TimerActive(int id) const;
    bool Watching(int fd) const { return notifiers_.count(fd) != 0; }
    bool WatchingWritable(int fd) const { return writeNotifiers_.count(fd) != 0; }

private:
    // Receiver of queued calls and parent of the notifiers and timers; lives in the
    // thread that created the loop.
    QObject context_;
    PostedCalls posted_;
    using Notifiers = std::map<int, QPointer<QSocketNotifier>>;
    void Watch(Notifiers& notifiers, int fd, int type, Callback fn);
    static void Retire(Notifiers& notifiers, int fd);

    Notifiers notifiers_;
    Notifiers writeNotifiers_;
    std::map<int, QTimer*> timers_;
};

} // namespace tav
