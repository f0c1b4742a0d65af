#pragma once

#include <cstdint>

namespace tav {

// Milliseconds of a clock that never steps back, from an arbitrary start and wrapping in
// 32 bits as the latency arithmetic expects: for measuring intervals (the ping latency,
// announcement windows), never for showing the time of day.
class IntervalClock {
public:
    virtual ~IntervalClock() = default;
    virtual std::int32_t NowMs() = 0;
};

// Milliseconds of a clock that never jumps, counted from any fixed start: how long a
// connection lasted and when a reconnect is due.
class SteadyClock {
public:
    virtual ~SteadyClock() = default;
    virtual std::int64_t SteadyNowMs() = 0;
};

} // namespace tav
