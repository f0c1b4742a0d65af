#pragma once

#include "term/TermServices.h"

#include <chrono>

namespace tav {

// The wall clock the latency is measured with: seconds times 1000 plus milliseconds,
// wrapping in 32 bits. Safe from any thread.
class SystemWallClock final : public WallClock {
public:
    std::int32_t NowMs() override {
        using namespace std::chrono;
        const auto ms = duration_cast<milliseconds>(system_clock::now().time_since_epoch());
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(ms.count()));
    }
};

} // namespace tav
