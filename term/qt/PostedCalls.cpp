#include "term/qt/PostedCalls.h"

#include <QMetaObject>
#include <QThread>

namespace tav {

void PostedCalls::Post(Call call) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        calls_.push_back(std::move(call));
    }
    // One queued slot call per posted call: a call that runs a nested event loop (a
    // modal box) lets the later ones run inside it, as separate events would.
    QMetaObject::invokeMethod(this, "RunOne", Qt::QueuedConnection);
}

void PostedCalls::Run(Call call) {
    if (QThread::currentThread() == thread())
        call();
    else
        Post(std::move(call));
}

void PostedCalls::RunOne() {
    Call call;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (calls_.empty()) return;
        call = std::move(calls_.front());
        calls_.pop_front();
    }
    call();
}

} // namespace tav
