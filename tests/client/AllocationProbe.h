#pragma once

#include <cstddef>

namespace tav::test {

// The largest single block asked of operator new while a probe lives: shows how much a
// piece of code allocates at once without trusting its own account. The test binary
// replaces the global operator new and delete for it (plain malloc and free).
class AllocationProbe {
public:
    AllocationProbe();
    ~AllocationProbe();
    AllocationProbe(const AllocationProbe&) = delete;
    AllocationProbe& operator=(const AllocationProbe&) = delete;

    std::size_t Largest() const;
};

} // namespace tav::test
