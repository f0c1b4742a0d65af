#include "AllocationProbe.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace tav::test {
namespace {

std::atomic<bool> armed{false};
std::atomic<std::size_t> largest{0};

void* Allocate(std::size_t size) {
    if (armed.load(std::memory_order_relaxed)) {
        std::size_t seen = largest.load(std::memory_order_relaxed);
        while (size > seen && !largest.compare_exchange_weak(seen, size)) {
        }
    }
    if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
    throw std::bad_alloc();
}

} // namespace

AllocationProbe::AllocationProbe() {
    largest = 0;
    armed = true;
}

AllocationProbe::~AllocationProbe() {
    armed = false;
}

std::size_t AllocationProbe::Largest() const {
    return largest.load();
}

} // namespace tav::test

// Every plain new and delete of the binary goes through malloc and free, so the pairs
// stay matched for the sanitizers too.
void* operator new(std::size_t size) {
    return tav::test::Allocate(size);
}
void* operator new[](std::size_t size) {
    return tav::test::Allocate(size);
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete[](void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    std::free(block);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return tav::test::Allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
    return operator new(size, tag);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}
