#pragma once

#include "term/TermServices.h"

#include <chrono>

namespace tav {

// The clock every interval is measured with (ping latency, announcement windows): the
// system's steady clock, which a change of the time of day (NTP, the user) never moves.
// Milliseconds from an arbitrary start, wrapping in 32 bits. Safe from any thread.
class MonotonicClock final : public IntervalClock {
public:
    std::int32_t NowMs() override {
        using namespace std::chrono;
        const auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch());
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(ms.count()));
    }
};

} // namespace tav
