#include "client/QueuedStatusBar.h"

#include "term/EventLoop.h"

#include <string>
#include <utility>

namespace tav {

QueuedStatusBar::QueuedStatusBar(EventLoop& loop, StatusBarSink& target)
    : loop_(loop), target_(std::make_shared<StatusBarSink*>(&target)) {}

QueuedStatusBar::~QueuedStatusBar() {
    *target_ = nullptr;
}

void QueuedStatusBar::Post(std::function<void(StatusBarSink&)> call) {
    loop_.Post([target = target_, call = std::move(call)] {
        if (*target != nullptr) call(**target);
    });
}

void QueuedStatusBar::SetMessageText(std::string_view text) {
    Post([t = std::string(text)](StatusBarSink& s) { s.SetMessageText(t); });
}

void QueuedStatusBar::SetLatencyText(std::string_view text) {
    Post([t = std::string(text)](StatusBarSink& s) { s.SetLatencyText(t); });
}

void QueuedStatusBar::SetCursorText(std::string_view text) {
    Post([t = std::string(text)](StatusBarSink& s) { s.SetCursorText(t); });
}

void QueuedStatusBar::SetSizeText(std::string_view text) {
    Post([t = std::string(text)](StatusBarSink& s) { s.SetSizeText(t); });
}

void QueuedStatusBar::ShowTermState(bool connected) {
    Post([connected](StatusBarSink& s) { s.ShowTermState(connected); });
}

void QueuedStatusBar::ShowClientState(bool connected) {
    Post([connected](StatusBarSink& s) { s.ShowClientState(connected); });
}

void QueuedStatusBar::ShowProgress(long long received, long long total) {
    Post([received, total](StatusBarSink& s) { s.ShowProgress(received, total); });
}

} // namespace tav
