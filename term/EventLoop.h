#pragma once

#include <functional>

namespace tav {

// The user-interface thread's event loop as the sessions see it: readiness of a socket,
// periodic and single-shot timers, and work handed over from other threads. The desktop
// implements it with Qt; PollEventLoop implements it with poll() for tools and tests.
class EventLoop {
public:
    using Callback = std::function<void()>;
    virtual ~EventLoop() = default;

    // Calls onReadable on the loop's thread whenever fd is readable (data, end of stream
    // or an error) until Unwatch(fd).
    virtual void WatchReadable(int fd, Callback onReadable) = 0;
    // Calls onWritable on the loop's thread whenever fd can take more bytes (or has
    // failed) until UnwatchWritable(fd) or Unwatch(fd).
    virtual void WatchWritable(int fd, Callback onWritable) = 0;
    virtual void UnwatchWritable(int fd) = 0;
    // Ends every watch of fd.
    virtual void Unwatch(int fd) = 0;

    // Starts timer `id`, firing every periodMs; starting a running timer restarts it.
    virtual void StartTimer(int id, int periodMs, Callback onTick) = 0;
    virtual void StopTimer(int id) = 0;
    virtual void SingleShot(int delayMs, Callback fn) = 0;

    // Runs fn on the loop's thread, after what was posted before it. Callable from any
    // thread.
    virtual void Post(Callback fn) = 0;
};

} // namespace tav
