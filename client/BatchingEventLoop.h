#pragma once

#include "term/EventLoop.h"

#include <deque>
#include <memory>
#include <mutex>

namespace tav {

// An EventLoop that gathers the calls posted to it in quick succession into one post of
// the loop underneath, which runs them in the order they were posted. A thread that
// produces many small effects (the Client connection's network thread) then wakes the
// user-interface thread once per burst instead of once per effect. Everything else is
// passed straight through. Calls still gathered when it is destroyed are dropped.
class BatchingEventLoop final : public EventLoop {
public:
    explicit BatchingEventLoop(EventLoop& loop);
    ~BatchingEventLoop() override;
    BatchingEventLoop(const BatchingEventLoop&) = delete;
    BatchingEventLoop& operator=(const BatchingEventLoop&) = delete;

    void WatchReadable(int fd, Callback onReadable) override;
    void WatchWritable(int fd, Callback onWritable) override;
    void UnwatchWritable(int fd) override;
    void Unwatch(int fd) override;
    void StartTimer(int id, int periodMs, Callback onTick) override;
    void StopTimer(int id) override;
    void SingleShot(int delayMs, Callback fn) override;
    void Post(Callback fn) override;

private:
    struct Batch {
        std::mutex mutex;
        std::deque<Callback> calls;
        bool scheduled = false; // a run of the batch is posted and has not taken it yet
        bool gone = false;
    };
    static void RunBatch(const std::shared_ptr<Batch>& batch);

    EventLoop& loop_;
    std::shared_ptr<Batch> batch_;
};

} // namespace tav
