#pragma once

#include <cstdint>

namespace tav {

// The status bar's transfer gauge: shows how much of an incoming client frame has
// arrived. ShowProgress(0, 0) resets it. Called from the network thread.
class TransferGauge {
public:
    virtual ~TransferGauge() = default;
    virtual void ShowProgress(std::int64_t received, std::int64_t total) = 0;
};

} // namespace tav
