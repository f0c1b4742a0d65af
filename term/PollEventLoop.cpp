#include "term/PollEventLoop.h"

#include <algorithm>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <vector>

namespace tav {

PollEventLoop::PollEventLoop() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
        wakeRead_ = fds[0];
        wakeWrite_ = fds[1];
    }
}

PollEventLoop::~PollEventLoop() {
    if (wakeRead_ >= 0) ::close(wakeRead_);
    if (wakeWrite_ >= 0) ::close(wakeWrite_);
}

void PollEventLoop::WatchReadable(int fd, Callback onReadable) {
    watches_[fd] = std::move(onReadable);
}

void PollEventLoop::WatchWritable(int fd, Callback onWritable) {
    writeWatches_[fd] = std::move(onWritable);
}

void PollEventLoop::UnwatchWritable(int fd) {
    writeWatches_.erase(fd);
}

void PollEventLoop::Unwatch(int fd) {
    watches_.erase(fd);
    writeWatches_.erase(fd);
}

void PollEventLoop::StartTimer(int id, int periodMs, Callback onTick) {
    const std::chrono::milliseconds period(std::max(periodMs, 0));
    timers_[id] = Timer{Clock::now() + period, period, std::move(onTick), true};
}

void PollEventLoop::StopTimer(int id) {
    timers_.erase(id);
}

void PollEventLoop::SingleShot(int delayMs, Callback fn) {
    const std::chrono::milliseconds delay(std::max(delayMs, 0));
    timers_[nextSingleShotId_--] = Timer{Clock::now() + delay, delay, std::move(fn), false};
}

void PollEventLoop::Post(Callback fn) {
    {
        std::lock_guard lock(postMutex_);
        posts_.push_back(std::move(fn));
    }
    if (wakeWrite_ >= 0) {
        const char byte = 1;
        [[maybe_unused]] auto n = ::write(wakeWrite_, &byte, 1);
    }
}

void PollEventLoop::RunDuePosts() {
    std::deque<Callback> due;
    {
        std::lock_guard lock(postMutex_);
        due.swap(posts_);
    }
    for (auto& fn : due)
        fn();
}

void PollEventLoop::RunDueTimers() {
    const auto now = Clock::now();
    std::vector<int> due;
    for (const auto& [id, timer] : timers_)
        if (timer.due <= now) due.push_back(id);
    for (int id : due) {
        auto it = timers_.find(id);
        if (it == timers_.end() || it->second.due > now) continue; // stopped or restarted
        Callback fn = it->second.fn;
        if (it->second.repeat)
            it->second.due = now + std::max(it->second.period, std::chrono::milliseconds(1));
        else
            timers_.erase(it);
        fn();
    }
}

void PollEventLoop::RunOnce(std::chrono::milliseconds wait) {
    // A wait already over (the caller's clock moved on) must not reach poll(2) as a
    // negative time-out, which blocks until something arrives.
    auto timeout = std::max(wait, std::chrono::milliseconds::zero());
    const auto now = Clock::now();
    for (const auto& [id, timer] : timers_)
        timeout = std::min(timeout, std::chrono::duration_cast<std::chrono::milliseconds>(
                                        std::max(timer.due - now, Clock::duration::zero())));

    std::vector<pollfd> fds;
    if (wakeRead_ >= 0) fds.push_back({wakeRead_, POLLIN, 0});
    for (const auto& [fd, fn] : watches_)
        fds.push_back({fd, POLLIN, 0});
    for (const auto& [fd, fn] : writeWatches_)
        fds.push_back({fd, POLLOUT, 0});
    const int ready = ::poll(fds.data(), fds.size(), static_cast<int>(timeout.count()));

    if (ready > 0) {
        for (const auto& p : fds) {
            if (!(p.revents & (p.events | POLLHUP | POLLERR))) continue;
            if (p.fd == wakeRead_) {
                char drain[64];
                while (::read(wakeRead_, drain, sizeof drain) > 0) {
                }
                continue;
            }
            auto& watches = p.events == POLLOUT ? writeWatches_ : watches_;
            auto it = watches.find(p.fd);
            if (it == watches.end()) continue; // unwatched by an earlier callback
            Callback fn = it->second;
            fn();
        }
    }
    RunDuePosts();
    RunDueTimers();
}

bool PollEventLoop::RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto end = Clock::now() + timeout;
    while (!done()) {
        const auto now = Clock::now();
        if (now >= end) return false;
        RunOnce(std::min(std::chrono::duration_cast<std::chrono::milliseconds>(end - now),
                         std::chrono::milliseconds(50)));
    }
    return true;
}

void PollEventLoop::RunFor(std::chrono::milliseconds duration) {
    const auto end = Clock::now() + duration;
    while (Clock::now() < end)
        RunOnce(std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()));
}

} // namespace tav
