#pragma once

#include "client/StatusBarSink.h"

#include <functional>
#include <memory>

namespace tav {

class EventLoop;

// A StatusBarSink callable from any thread: every call is posted to the user-interface
// thread's loop and made there on the real status bar, in the order of the calls. Calls
// still queued when this object is destroyed are dropped. Destroy it on the loop's thread.
class QueuedStatusBar final : public StatusBarSink {
public:
    QueuedStatusBar(EventLoop& loop, StatusBarSink& target);
    ~QueuedStatusBar() override;
    QueuedStatusBar(const QueuedStatusBar&) = delete;
    QueuedStatusBar& operator=(const QueuedStatusBar&) = delete;

    void SetMessageText(std::string_view text) override;
    void SetLatencyText(std::string_view text) override;
    void SetCursorText(std::string_view text) override;
    void SetSizeText(std::string_view text) override;
    void ShowTermState(bool connected) override;
    void ShowClientState(bool connected) override;
    void ShowProgress(long long received, long long total) override;

private:
    void Post(std::function<void(StatusBarSink&)> call);

    EventLoop& loop_;
    // Shared with the queued calls; null once this object is gone.
    std::shared_ptr<StatusBarSink*> target_;
};

} // namespace tav
