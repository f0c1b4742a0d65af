// Loops over text bytes and cells in fixed blocks of 16: a block with a known length,
// no early exit and no aliasing doubt is the shape the compiler turns into vector
// instructions at -O2, and every byte the screen takes in passes through these.
#pragma once

#include <algorithm>
#include <cstddef>
#include <type_traits>

namespace tav {

inline constexpr std::size_t kScanBlock = 16;

// The index of the first of p[0..n) that `stop` holds for, or n. Whole blocks are tested
// at once and the block that holds the hit is then walked.
template <typename T, typename Stop> std::size_t FindFirst(const T* p, std::size_t n, Stop stop) {
    std::size_t k = 0;
    for (; k + kScanBlock <= n; k += kScanBlock) {
        unsigned any = 0; // a bool reduction would keep the loop scalar
        for (std::size_t j = 0; j < kScanBlock; ++j)
            any |= stop(p[k + j]) ? 1u : 0u;
        if (any) break;
    }
    while (k < n && !stop(p[k]))
        ++k;
    return k;
}

// Copies n units into n wider (or equal) units; bytes widen through a local block so
// the compiler need not fear the stores overwrite the bytes still to be read.
template <typename From, typename To> void WidenCopy(const From* from, std::size_t n, To* to) {
    if constexpr (std::is_same_v<From, To>) {
        std::copy_n(from, n, to);
    } else {
        std::size_t k = 0;
        for (; k + kScanBlock <= n; k += kScanBlock) {
            From block[kScanBlock];
            std::copy_n(from + k, kScanBlock, block);
            for (std::size_t j = 0; j < kScanBlock; ++j)
                to[k + j] = block[j];
        }
        for (; k < n; ++k)
            to[k] = from[k];
    }
}

// Sets n elements to value.
template <typename T> void BlockFill(T* to, std::size_t n, T value) {
    std::size_t k = 0;
    for (; k + kScanBlock <= n; k += kScanBlock)
        for (std::size_t j = 0; j < kScanBlock; ++j)
            to[k + j] = value;
    for (; k < n; ++k)
        to[k] = value;
}

} // namespace tav
