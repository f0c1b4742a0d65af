#pragma once

#include <QObject>

#include <deque>
#include <functional>
#include <mutex>

namespace tav {

// Calls handed from any thread to the thread this object lives in, run there one by one
// in the order they were posted; calls still queued when it is destroyed are dropped.
// The callables pass through a mutex-guarded queue of ours and only a named slot call
// goes through Qt's event queue, so the hand-over is ordered by a lock that
// ThreadSanitizer sees rather than by Qt's internal one.
class PostedCalls final : public QObject {
    Q_OBJECT
public:
    using Call = std::function<void()>;

    // Queues call; any thread.
    void Post(Call call);
    // Runs call at once when on this object's thread, else queues it.
    void Run(Call call);

private slots:
    void RunOne();

private:
    std::mutex mutex_;
    std::deque<Call> calls_;
};

} // namespace tav
