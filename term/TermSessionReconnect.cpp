// The Term session's automatic reconnect: what it does with the steps of its
// ReconnectPolicy (timer, screen and status bar texts, the try itself and its login).
#include "term/TermSession.h"

#include <chrono>
#include <string>

namespace tav {

namespace {

std::string TryText(int attempt) {
    return std::to_string(attempt) + " of " + std::to_string(kMaxReconnectTries);
}

std::string CountdownText(const ReconnectStep& step) {
    return "Attempting TavTerm reconnect " + TryText(step.attempt) + " in " +
           std::to_string(step.seconds) + " secs...";
}

} // namespace

void TermSession::SetAutoReconnect(bool on) {
    if (!on) CancelReconnect();
    reconnect_.SetEnabled(on);
}

void TermSession::CancelReconnect() {
    const bool pending = reconnect_.Pending();
    const bool trying = reconnect_.Trying();
    reconnect_.Cancel();
    if (!pending) return;
    loop_.StopTimer(kReconnectTimer);
    if (trying) DropConnect();
    PrintLocal("TavTerm reconnect cancelled.\r\n");
    ShowMessageText("TavTerm reconnect cancelled.");
}

void TermSession::OnConnectionLost() {
    FollowReconnect(reconnect_.Lost(SteadyNow()));
}

void TermSession::FollowReconnect(const ReconnectStep& step) {
    using Kind = ReconnectStep::Kind;
    switch (step.kind) {
    case Kind::None: break;
    case Kind::TooShort:
        PrintLocal("TavTerm connection lasted under 30 secs: not reconnecting.\r\n");
        break;
    case Kind::Wait: {
        const std::string text = CountdownText(step);
        PrintLocal(text + "\r\n");
        ShowMessageText(text);
        loop_.StartTimer(kReconnectTimer, 1000, [this] { OnTimer(kReconnectTimer); });
        break;
    }
    case Kind::Try: TryReconnect(step.attempt); break;
    case Kind::GiveUp:
        GiveUpReconnect("TavTerm reconnect given up after " + std::to_string(step.attempt) +
                        " tries without a " + std::to_string(kHealthyConnectionMs / 60'000) +
                        "-minute connection.");
        break;
    case Kind::HourFull:
        GiveUpReconnect("TavTerm reconnect given up: at most " +
                        std::to_string(kMaxReconnectsPerWindow) + " reconnects in any hour.");
        break;
    }
}

void TermSession::GiveUpReconnect(const std::string& text) {
    PrintLocal(text + "\r\n");
    ShowMessageText(text);
}

void TermSession::ReconnectTick() {
    const ReconnectStep step = reconnect_.Tick(SteadyNow());
    if (step.kind == ReconnectStep::Kind::Wait) {
        ShowMessageText(CountdownText(step)); // each second in the status bar only
        return;
    }
    loop_.StopTimer(kReconnectTimer);
    FollowReconnect(step);
}

void TermSession::TryReconnect(int attempt) {
    const std::string text = "Attempting TavTerm reconnect " + TryText(attempt) + "...";
    PrintLocal(text + "\r\n");
    ShowMessageText(text);
    const int started = StartConnect([this](int result) {
        if (result > 0) {
            ShowMessageText("TavTerm reconnected.");
            LogIn();
        } else {
            FollowReconnect(reconnect_.TryFailed(SteadyNow()));
        }
    });
    // The address was changed into one that cannot be used (its message box has said
    // why): trying it again would only repeat the box.
    if (started < 0) CancelReconnect();
}

void TermSession::ShowMessageText(std::string_view text) {
    messageShown_ = true;
    if (services_.status) services_.status->SetMessageText(text);
}

void TermSession::ShowConnectionText(std::string_view text) {
    if (messageShown_) ShowMessageText(text);
}

SteadyMs TermSession::SteadyNow() {
    if (services_.steadyClock) return services_.steadyClock->SteadyNowMs();
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace tav
