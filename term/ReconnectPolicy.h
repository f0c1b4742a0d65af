#pragma once

#include <cstdint>
#include <deque>

namespace tav {

// Milliseconds of a clock that never jumps, counted from any fixed start.
using SteadyMs = std::int64_t;

// A connection shorter than this is not reconnected: a server that refuses the login
// closes at once, and reconnecting it would only repeat the refusal.
inline constexpr SteadyMs kMinReconnectableMs = 30'000;
// Tries in one series: the tries after a loss, and after each loss of a connection that a
// try opened, until a connection lasts kHealthyConnectionMs.
inline constexpr int kMaxReconnectTries = 10;
// A connection that lasted this long was healthy: its loss starts a new series.
inline constexpr SteadyMs kHealthyConnectionMs = 5 * 60'000;
// However the tries went, no more than this many are made within any kReconnectWindowMs,
// so a server that closes every session still sees the client give up.
inline constexpr int kMaxReconnectsPerWindow = 10;
inline constexpr SteadyMs kReconnectWindowMs = 60 * 60'000;

// Seconds to wait before try `attempt` (1-based): 2, 4, 8, 16, 32, then 60 each.
int ReconnectDelaySeconds(int attempt);

// What the owner of a connection should do next about reconnecting.
struct ReconnectStep {
    enum class Kind {
        None,     // nothing: reconnecting is off, not pending, or the user ended it
        TooShort, // lost after less than kMinReconnectableMs: not reconnected
        Wait,     // a try is pending: `seconds` left before try `attempt`
        Try,      // connect now: this is try `attempt`
        GiveUp,   // the series' last try failed or its connection was lost; no more tries
        HourFull, // kMaxReconnectsPerWindow tries within the last hour; no more tries
    };
    Kind kind = Kind::None;
    int attempt = 0;
    int seconds = 0;
    friend bool operator==(const ReconnectStep&, const ReconnectStep&) = default;
};

// When and how often a connection that ended on its own is opened again. Events go in
// with the time they happened at; each answers with the step to take. The policy holds
// no timer and reads no clock: its owner ticks it (about once a second while a try is
// pending) and carries out the steps.
class ReconnectPolicy {
public:
    void SetEnabled(bool enabled);
    bool Enabled() const { return enabled_; }

    // A connection opened (by the user, the autoconnect or a try). A try's connection goes
    // on with its series until it proves healthy.
    void Connected(SteadyMs at);
    // The connection ended without the user asking (closed by the server, network error).
    ReconnectStep Lost(SteadyMs at);
    // The connect of the current try failed; it counts as a try.
    ReconnectStep TryFailed(SteadyMs at);
    ReconnectStep Tick(SteadyMs now);
    // The user connected or disconnected, switched profile or is leaving: no more tries,
    // and the next loss starts a new series (the hour's tries still count).
    void Cancel();

    // A try is waiting for its time or connecting.
    bool Pending() const { return state_ != State::Idle; }
    bool Trying() const { return state_ == State::Trying; }

private:
    enum class State { Idle, Waiting, Trying };
    // The wait before the series' next try, or the end of the tries.
    ReconnectStep Next(SteadyMs at);

    bool enabled_ = false;
    State state_ = State::Idle;
    bool hadConnection_ = false;
    SteadyMs connectedAt_ = 0;
    int tries_ = 0; // tries made in the current series
    SteadyMs due_ = 0;
    std::deque<SteadyMs> recentTries_; // when the tries of the last hour started, oldest first
};

} // namespace tav
