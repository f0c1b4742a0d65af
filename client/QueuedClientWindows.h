#pragma once

#include "client/ClientWindows.h"

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace tav {

class EventLoop;

// ClientWindows for the network thread: every call is posted to the user-interface
// thread's loop and made there on the real windows, in the order of the calls. The modal
// effects (ShowMessageBox, BoardUpdate) also wait until the call has run, so the network
// thread reads no further message while a box is open. ReleaseWaiters ends such waits
// early (shut-down). Calls still queued when this object is destroyed are dropped.
// Construct and destroy it on the loop's thread; a modal call made on that thread runs at
// once instead of waiting for itself.
class QueuedClientWindows final : public ClientWindows {
public:
    QueuedClientWindows(EventLoop& loop, ClientWindows& target);
    ~QueuedClientWindows() override;
    QueuedClientWindows(const QueuedClientWindows&) = delete;
    QueuedClientWindows& operator=(const QueuedClientWindows&) = delete;

    // Lets every caller waiting for a modal effect go on, now and from now on.
    void ReleaseWaiters();

    void ClearScreen(ClientScreen screen) override;
    void AppendText(ClientScreen screen, std::string_view text) override;
    void SetMap(const MapGrid& grid) override;
    void SetStatusValues(const HitManaMove& values) override;
    void SetGauge(int gaugeId, int value, int maximum) override;
    void SetBoardIndex(std::vector<BoardEntry> boards) override;
    void SetMessageIndex(std::vector<std::string> lines) override;
    void BoardUpdate(int board) override;
    void SetHelpIndex(std::vector<std::string> topics) override;
    void ShowIdentification(std::string_view name, std::string_view path,
                            std::string_view text) override;
    void SetCharacterLevel(int level) override;
    void SetTimeAndDate(std::string_view time, std::string_view date) override;
    void ShowMessageBox(std::string_view text, std::string_view title) override;
    void PostCommand(int commandId) override;

private:
    using Call = std::function<void(ClientWindows&)>;
    struct State {
        std::mutex mutex;
        std::condition_variable done;
        ClientWindows* target = nullptr; // null once the decorator is gone
        bool released = false;
    };

    void Post(Call call);
    void PostAndWait(Call call);

    EventLoop& loop_;
    std::shared_ptr<State> state_;
    std::thread::id loopThread_;
};

} // namespace tav
