#pragma once

#include "term/EventLoop.h"

#include <chrono>
#include <deque>
#include <map>
#include <mutex>

namespace tav {

// An EventLoop over poll(2), run explicitly by its owner: used by the command-line tools
// and by the tests, which drive real sockets and timers through it.
class PollEventLoop final : public EventLoop {
public:
    PollEventLoop();
    ~PollEventLoop() override;
    PollEventLoop(const PollEventLoop&) = delete;
    PollEventLoop& operator=(const PollEventLoop&) = delete;

    void WatchReadable(int fd, Callback onReadable) override;
    void WatchWritable(int fd, Callback onWritable) override;
    void UnwatchWritable(int fd) override;
    void Unwatch(int fd) override;
    void StartTimer(int id, int periodMs, Callback onTick) override;
    void StopTimer(int id) override;
    void SingleShot(int delayMs, Callback fn) override;
    void Post(Callback fn) override;

    bool TimerActive(int id) const { return timers_.count(id) != 0; }

    // Runs one round: waits at most `wait` for something to happen and handles it.
    void RunOnce(std::chrono::milliseconds wait);
    // Runs until done() is true or the time-out passes; returns done().
    bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
    void RunFor(std::chrono::milliseconds duration);

private:
    using Clock = std::chrono::steady_clock;
    struct Timer {
        Clock::time_point due;
        std::chrono::milliseconds period;
        Callback fn;
        bool repeat;
    };

    void RunDuePosts();
    void RunDueTimers();

    std::map<int, Callback> watches_;
    std::map<int, Callback> writeWatches_;
    std::map<int, Timer> timers_;
    int nextSingleShotId_ = -1;
    std::mutex postMutex_;
    std::deque<Callback> posts_;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
};

} // namespace tav
