// Loops over text bytes and cells in fixed blocks of 16: a block with a known length,
// no early exit and no aliasing doubt is the shape the compiler turns into vector
// instructions at -O2, and every byte the screen takes in passes through these.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// A range of byte values, both ends included.
struct ByteRange {
    unsigned char low;
    unsigned char high;
    constexpr bool Holds(unsigned char b) const {
        return static_cast<unsigned char>(b - low) <= high - low;
    }
};

#if defined(__SSE2__)
namespace detail {

// One bit per byte of x: set where the byte lies in `range`.
inline unsigned RangeMask(__m128i x, ByteRange range) {
    const __m128i offset = _mm_sub_epi8(x, _mm_set1_epi8(static_cast<char>(range.low)));
    const __m128i span = _mm_set1_epi8(static_cast<char>(range.high - range.low));
    return static_cast<unsigned>(
        _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(offset, span), offset)));
}

// The first byte whose bit `stopMask` sets, or n, sixteen bytes at a time. The last few
// bytes are the end of a block that overlaps the one before, so nothing past p + n is
// read; fewer than sixteen in all are walked one by one through `stop`.
template <typename StopMask, typename Stop>
std::size_t ScanBytes(const unsigned char* p, std::size_t n, StopMask stopMask, Stop stop) {
    if (n < 16) {
        std::size_t k = 0;
        while (k < n && !stop(p[k]))
            ++k;
        return k;
    }
    const auto load = [p](std::size_t at) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at));
    };
    std::size_t k = 0;
    for (; k + 16 <= n; k += 16)
        if (const unsigned m = stopMask(load(k)) & 0xFFFFu)
            return k + static_cast<std::size_t>(__builtin_ctz(m));
    if (k < n) {
        // Bytes n-16..n-1; those before k were tested already.
        const unsigned m = (stopMask(load(n - 16)) & 0xFFFFu) >> (k - (n - 16));
        if (m) return k + static_cast<std::size_t>(__builtin_ctz(m));
    }
    return n;
}

} // namespace detail
#endif

// The index of the first of p[0..n) that lies in `range`, or n.
inline std::size_t FindByteIn(const unsigned char* p, std::size_t n, ByteRange range) {
#if defined(__SSE2__)
    return detail::ScanBytes(
        p, n, [range](__m128i x) { return detail::RangeMask(x, range); },
        [range](unsigned char b) { return range.Holds(b); });
#else
    return FindFirst(p, n, [range](unsigned char b) { return range.Holds(b); });
#endif
}

// The index of the first of p[0..n) that lies outside `range`, or n.
inline std::size_t FindByteOutside(const unsigned char* p, std::size_t n, ByteRange range) {
#if defined(__SSE2__)
    return detail::ScanBytes(
        p, n, [range](__m128i x) { return ~detail::RangeMask(x, range); },
        [range](unsigned char b) { return !range.Holds(b); });
#else
    return FindFirst(p, n, [range](unsigned char b) { return !range.Holds(b); });
#endif
}

// The index of the first of p[0..n) that lies in neither range, or n.
inline std::size_t FindByteOutside(const unsigned char* p, std::size_t n, ByteRange a,
                                   ByteRange b) {
#if defined(__SSE2__)
    return detail::ScanBytes(
        p, n, [a, b](__m128i x) { return ~(detail::RangeMask(x, a) | detail::RangeMask(x, b)); },
        [a, b](unsigned char c) { return !a.Holds(c) && !b.Holds(c); });
#else
    return FindFirst(p, n, [a, b](unsigned char c) { return !a.Holds(c) && !b.Holds(c); });
#endif
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

// Copies n bytes, n < 16, in at most two overlapping loads and stores of the widest size
// that fits, instead of a call to memcpy for a handful of bytes.
inline void CopyShort(void* to, const void* from, std::size_t n) {
    auto* const d = static_cast<unsigned char*>(to);
    const auto* const s = static_cast<const unsigned char*>(from);
    auto both = [&](auto word) {
        constexpr std::size_t size = sizeof(word);
        decltype(word) head;
        decltype(word) tail;
        std::memcpy(&head, s, size);
        std::memcpy(&tail, s + n - size, size);
        std::memcpy(d, &head, size);
        std::memcpy(d + n - size, &tail, size);
    };
    if (n >= 8)
        both(std::uint64_t{});
    else if (n >= 4)
        both(std::uint32_t{});
    else if (n >= 2)
        both(std::uint16_t{});
    else if (n == 1)
        d[0] = s[0];
}

// Writes n bytes (n < 16) into n four-byte cells and gives each the attribute `a`: a word
// between colour changes. Eight or four cells at a time, the last group overlapping the
// one before, instead of a loop a byte.
template <typename CellT, typename AttrT>
inline void WriteShortRun(const unsigned char* from, std::size_t n, CellT* cells, AttrT* attrs,
                          AttrT a) {
    static_assert(sizeof(CellT) == 4 && sizeof(AttrT) == 4);
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i attr = _mm_set1_epi32(static_cast<int>(a));
    auto store = [](void* to, __m128i x) { _mm_storeu_si128(static_cast<__m128i*>(to), x); };
    if (n >= 8) {
        auto eight = [&](std::size_t at) {
            std::uint64_t bytes;
            std::memcpy(&bytes, from + at, 8);
            const __m128i wide =
                _mm_unpacklo_epi8(_mm_cvtsi64_si128(static_cast<long long>(bytes)), zero);
            store(cells + at, _mm_unpacklo_epi16(wide, zero));
            store(cells + at + 4, _mm_unpackhi_epi16(wide, zero));
            store(attrs + at, attr);
            store(attrs + at + 4, attr);
        };
        eight(0);
        eight(n - 8);
        return;
    }
    if (n >= 4) {
        auto four = [&](std::size_t at) {
            std::uint32_t bytes;
            std::memcpy(&bytes, from + at, 4);
            const __m128i wide =
                _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(bytes)), zero);
            store(cells + at, _mm_unpacklo_epi16(wide, zero));
            store(attrs + at, attr);
        };
        four(0);
        four(n - 4);
        return;
    }
#endif
    for (std::size_t j = 0; j < n; ++j) {
        cells[j] = from[j];
        attrs[j] = a;
    }
}

// Writes a word of n < 16 bytes into sixteen four-byte cells, reading sixteen bytes at
// `from`: the first n cells get the bytes and the attribute `a`, the rest 0 and `rest`, what
// they hold already when they lie past the end of the line's text. The same stores for
// every length, so that a word's length decides no jump.
template <typename CellT, typename AttrT>
inline void WriteSixteenCells(const unsigned char* from, std::size_t n, CellT* cells, AttrT* attrs,
                              AttrT a, AttrT rest) {
    static_assert(sizeof(CellT) == 4 && sizeof(AttrT) == 4);
#if defined(__SSE2__)
    const __m128i lanes = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    const __m128i inWord = _mm_cmplt_epi8(lanes, _mm_set1_epi8(static_cast<char>(n)));
    const __m128i bytes =
        _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(from)), inWord);
    const __m128i zero = _mm_setzero_si128();
    const __m128i wordAttr = _mm_set1_epi32(static_cast<int>(a));
    const __m128i restAttr = _mm_set1_epi32(static_cast<int>(rest));
    auto store = [](void* to, __m128i x) { _mm_storeu_si128(static_cast<__m128i*>(to), x); };
    auto quarter = [&](std::size_t at, __m128i chars, __m128i mask) {
        store(cells + at, chars);
        store(attrs + at,
              _mm_or_si128(_mm_and_si128(mask, wordAttr), _mm_andnot_si128(mask, restAttr)));
    };
    const __m128i low = _mm_unpacklo_epi8(bytes, zero);
    const __m128i high = _mm_unpackhi_epi8(bytes, zero);
    const __m128i maskLow = _mm_unpacklo_epi8(inWord, inWord);
    const __m128i maskHigh = _mm_unpackhi_epi8(inWord, inWord);
    quarter(0, _mm_unpacklo_epi16(low, zero), _mm_unpacklo_epi16(maskLow, maskLow));
    quarter(4, _mm_unpackhi_epi16(low, zero), _mm_unpackhi_epi16(maskLow, maskLow));
    quarter(8, _mm_unpacklo_epi16(high, zero), _mm_unpacklo_epi16(maskHigh, maskHigh));
    quarter(12, _mm_unpackhi_epi16(high, zero), _mm_unpackhi_epi16(maskHigh, maskHigh));
#else
    for (std::size_t j = 0; j < kScanBlock; ++j) {
        cells[j] = j < n ? from[j] : 0;
        attrs[j] = j < n ? a : rest;
    }
#endif
}

// Sets sixteen two-byte numbers: the first n (n < 16) to `value`, the rest to 0. The same
// stores for every n.
inline void FillSixteen(std::uint16_t* to, std::size_t n, std::uint16_t value) {
#if defined(__SSE2__)
    const __m128i lanes = _mm_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7);
    const __m128i values = _mm_set1_epi16(static_cast<short>(value));
    const __m128i count = _mm_set1_epi16(static_cast<short>(n));
    auto* const block = reinterpret_cast<__m128i*>(to);
    _mm_storeu_si128(block, _mm_and_si128(values, _mm_cmplt_epi16(lanes, count)));
    const __m128i upper = _mm_add_epi16(lanes, _mm_set1_epi16(8));
    _mm_storeu_si128(block + 1, _mm_and_si128(values, _mm_cmplt_epi16(upper, count)));
#else
    for (std::size_t k = 0; k < kScanBlock; ++k)
        to[k] = k < n ? value : 0;
#endif
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
