#include "term/ReconnectPolicy.h"

namespace tav {

namespace {

constexpr int kLongestDelaySeconds = 60;

} // namespace

int ReconnectDelaySeconds(int attempt) {
    if (attempt < 1) attempt = 1;
    // 1 << 5 is 32 s; the next doubling would pass the longest delay.
    if (attempt > 5) return kLongestDelaySeconds;
    return 1 << attempt;
}

void ReconnectPolicy::SetEnabled(bool enabled) {
    enabled_ = enabled;
    if (enabled) return;
    // The connection itself stays known: turned on again, it is reconnected when lost.
    state_ = State::Idle;
    tries_ = 0;
}

void ReconnectPolicy::Connected(SteadyMs at) {
    state_ = State::Idle;
    hadConnection_ = true;
    connectedAt_ = at;
}

ReconnectStep ReconnectPolicy::Lost(SteadyMs at) {
    const bool had = hadConnection_;
    hadConnection_ = false;
    state_ = State::Idle;
    if (!enabled_ || !had) {
        tries_ = 0;
        return {};
    }
    const SteadyMs lasted = at - connectedAt_;
    if (lasted < kMinReconnectableMs) {
        tries_ = 0;
        return {ReconnectStep::Kind::TooShort};
    }
    if (lasted >= kHealthyConnectionMs) tries_ = 0;
    return Next(at);
}

ReconnectStep ReconnectPolicy::TryFailed(SteadyMs at) {
    if (state_ != State::Trying) return {};
    return Next(at);
}

ReconnectStep ReconnectPolicy::Tick(SteadyMs now) {
    if (state_ != State::Waiting) return {};
    if (now >= due_) {
        state_ = State::Trying;
        ++tries_;
        recentTries_.push_back(now);
        return {ReconnectStep::Kind::Try, tries_, 0};
    }
    // Whole seconds left, rounded up: a wait is never shown as 0 before it is over.
    const auto seconds = static_cast<int>((due_ - now + 999) / 1000);
    return {ReconnectStep::Kind::Wait, tries_ + 1, seconds};
}

void ReconnectPolicy::Cancel() {
    state_ = State::Idle;
    tries_ = 0;
    // A connection the user is replacing or ending is not the policy's to reopen.
    hadConnection_ = false;
}

ReconnectStep ReconnectPolicy::Next(SteadyMs at) {
    if (tries_ >= kMaxReconnectTries) {
        state_ = State::Idle;
        return {ReconnectStep::Kind::GiveUp, tries_, 0};
    }
    while (!recentTries_.empty() && at - recentTries_.front() >= kReconnectWindowMs)
        recentTries_.pop_front();
    // Checked when the try is planned: when it starts, the hour can only hold fewer.
    if (static_cast<int>(recentTries_.size()) >= kMaxReconnectsPerWindow) {
        state_ = State::Idle;
        return {ReconnectStep::Kind::HourFull, tries_, 0};
    }
    const int attempt = tries_ + 1;
    const int seconds = ReconnectDelaySeconds(attempt);
    state_ = State::Waiting;
    due_ = at + static_cast<SteadyMs>(seconds) * 1000;
    return {ReconnectStep::Kind::Wait, attempt, seconds};
}

} // namespace tav
