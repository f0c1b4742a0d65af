#include "client/BatchingEventLoop.h"

#include <utility>

namespace tav {

BatchingEventLoop::BatchingEventLoop(EventLoop& loop)
    : loop_(loop), batch_(std::make_shared<Batch>()) {}

BatchingEventLoop::~BatchingEventLoop() {
    const std::lock_guard<std::mutex> lock(batch_->mutex);
    batch_->gone = true;
    batch_->calls.clear();
}

void BatchingEventLoop::WatchReadable(int fd, Callback onReadable) {
    loop_.WatchReadable(fd, std::move(onReadable));
}

void BatchingEventLoop::WatchWritable(int fd, Callback onWritable) {
    loop_.WatchWritable(fd, std::move(onWritable));
}

void BatchingEventLoop::UnwatchWritable(int fd) {
    loop_.UnwatchWritable(fd);
}

void BatchingEventLoop::Unwatch(int fd) {
    loop_.Unwatch(fd);
}

void BatchingEventLoop::StartTimer(int id, int periodMs, Callback onTick) {
    loop_.StartTimer(id, periodMs, std::move(onTick));
}

void BatchingEventLoop::StopTimer(int id) {
    loop_.StopTimer(id);
}

void BatchingEventLoop::SingleShot(int delayMs, Callback fn) {
    loop_.SingleShot(delayMs, std::move(fn));
}

void BatchingEventLoop::Post(Callback fn) {
    {
        const std::lock_guard<std::mutex> lock(batch_->mutex);
        if (batch_->gone) return;
        batch_->calls.push_back(std::move(fn));
        if (batch_->scheduled) return;
        batch_->scheduled = true;
    }
    loop_.Post([batch = batch_] { RunBatch(batch); });
}

void BatchingEventLoop::RunBatch(const std::shared_ptr<Batch>& batch) {
    std::deque<Callback> calls;
    {
        const std::lock_guard<std::mutex> lock(batch->mutex);
        calls.swap(batch->calls);
        // Calls posted from now on belong to the next run, which comes after this one.
        batch->scheduled = false;
    }
    for (Callback& call : calls)
        call();
}

} // namespace tav
