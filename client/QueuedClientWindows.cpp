#include "client/QueuedClientWindows.h"

#include "term/EventLoop.h"

#include <utility>

namespace tav {

QueuedClientWindows::QueuedClientWindows(EventLoop& loop, ClientWindows& target)
    : loop_(loop), state_(std::make_shared<State>()), loopThread_(std::this_thread::get_id()) {
    state_->target = &target;
}

QueuedClientWindows::~QueuedClientWindows() {
    const std::lock_guard<std::mutex> lock(state_->mutex);
    state_->target = nullptr;
    state_->released = true;
    state_->done.notify_all();
}

void QueuedClientWindows::ReleaseWaiters() {
    const std::lock_guard<std::mutex> lock(state_->mutex);
    state_->released = true;
    state_->done.notify_all();
}

void QueuedClientWindows::Post(Call call) {
    loop_.Post([state = state_, call = std::move(call)] {
        ClientWindows* target = nullptr;
        {
            const std::lock_guard<std::mutex> lock(state->mutex);
            target = state->target;
        }
        if (target != nullptr) call(*target);
    });
}

void QueuedClientWindows::PostAndWait(Call call) {
    if (std::this_thread::get_id() == loopThread_) {
        if (state_->target != nullptr) call(*state_->target);
        return;
    }
    auto finished = std::make_shared<bool>(false);
    Post([state = state_, finished, call = std::move(call)](ClientWindows& target) {
        call(target);
        const std::lock_guard<std::mutex> lock(state->mutex);
        *finished = true;
        state->done.notify_all();
    });
    std::unique_lock<std::mutex> lock(state_->mutex);
    state_->done.wait(lock, [&] { return *finished || state_->released; });
}

void QueuedClientWindows::ClearScreen(ClientScreen screen) {
    Post([screen](ClientWindows& w) { w.ClearScreen(screen); });
}

void QueuedClientWindows::AppendText(ClientScreen screen, std::string_view text) {
    Post([screen, t = std::string(text)](ClientWindows& w) { w.AppendText(screen, t); });
}

void QueuedClientWindows::SetMap(const MapGrid& grid) {
    Post([g = std::make_shared<MapGrid>(grid)](ClientWindows& w) { w.SetMap(*g); });
}

void QueuedClientWindows::SetStatusValues(const HitManaMove& values) {
    Post([values](ClientWindows& w) { w.SetStatusValues(values); });
}

void QueuedClientWindows::SetGauge(int gaugeId, int value, int maximum) {
    Post([=](ClientWindows& w) { w.SetGauge(gaugeId, value, maximum); });
}

void QueuedClientWindows::SetBoardIndex(std::vector<BoardEntry> boards) {
    Post([b = std::move(boards)](ClientWindows& w) mutable { w.SetBoardIndex(std::move(b)); });
}

void QueuedClientWindows::SetMessageIndex(std::vector<std::string> lines) {
    Post([l = std::move(lines)](ClientWindows& w) mutable { w.SetMessageIndex(std::move(l)); });
}

void QueuedClientWindows::BoardUpdate(int board) {
    PostAndWait([board](ClientWindows& w) { w.BoardUpdate(board); });
}

void QueuedClientWindows::SetHelpIndex(std::vector<std::string> topics) {
    Post([t = std::move(topics)](ClientWindows& w) mutable { w.SetHelpIndex(std::move(t)); });
}

void QueuedClientWindows::ShowIdentification(std::string_view name, std::string_view path,
                                             std::string_view text) {
    Post([n = std::string(name), p = std::string(path), t = std::string(text)](ClientWindows& w) {
        w.ShowIdentification(n, p, t);
    });
}

void QueuedClientWindows::SetCharacterLevel(int level) {
    Post([level](ClientWindows& w) { w.SetCharacterLevel(level); });
}

void QueuedClientWindows::SetTimeAndDate(std::string_view time, std::string_view date) {
    Post([t = std::string(time), d = std::string(date)](ClientWindows& w) {
        w.SetTimeAndDate(t, d);
    });
}

void QueuedClientWindows::ShowMessageBox(std::string_view text, std::string_view title) {
    PostAndWait([t = std::string(text), c = std::string(title)](ClientWindows& w) {
        w.ShowMessageBox(t, c);
    });
}

void QueuedClientWindows::PostCommand(int commandId) {
    Post([commandId](ClientWindows& w) { w.PostCommand(commandId); });
}

} // namespace tav
