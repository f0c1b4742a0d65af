#include "screen/BlockScan.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

namespace tav {
namespace {

// The byte scans test sixteen bytes at once and the rest in a copy: every length and
// position of the first hit is found as a byte-by-byte walk finds it.
TEST(BlockScan, ByteScansAgreeWithAWalkAtEveryLengthAndPosition) {
    const ByteRange ends{10, 13};
    const ByteRange printable{0x1C, 0x7F};
    for (std::size_t n = 0; n <= 40; ++n)
        for (std::size_t hit = 0; hit <= n; ++hit)
            for (const unsigned char stop : {0x0A, 0x0D, 0x1B, 0x80, 0xFF, 0x00}) {
                std::vector<unsigned char> bytes(n + 1, 'a');
                bytes[n] = '\n'; // past the end: never seen
                if (hit < n) bytes[hit] = stop;
                const bool isEnd = hit < n && ends.Holds(stop);
                const bool isText = hit >= n || ends.Holds(stop) || printable.Holds(stop);
                EXPECT_EQ(FindByteIn(bytes.data(), n, ends), isEnd ? hit : n);
                EXPECT_EQ(FindByteOutside(bytes.data(), n, printable, ends), isText ? n : hit);
            }
}

// The short writes copy in overlapping groups: at every length each byte lands in its own
// place once, and nothing before or after the run is touched.
TEST(BlockScan, ShortCopiesWriteExactlyTheirLength) {
    for (std::size_t n = 0; n < kScanBlock; ++n) {
        std::array<unsigned char, 40> from{};
        for (std::size_t k = 0; k < from.size(); ++k)
            from[k] = static_cast<unsigned char>(0x80 + k);
        std::array<unsigned char, 40> bytes;
        bytes.fill('.');
        std::array<char32_t, 40> cells;
        cells.fill(U'.');
        std::array<std::uint32_t, 40> attrs;
        attrs.fill(7);
        CopyShort(bytes.data() + 3, from.data() + 5, n);
        WriteShortRun(from.data() + 5, n, cells.data() + 3, attrs.data() + 3, std::uint32_t{9});
        for (std::size_t k = 0; k < bytes.size(); ++k) {
            const bool inside = k >= 3 && k < 3 + n;
            const unsigned char expected = inside ? from[k - 3 + 5] : '.';
            EXPECT_EQ(bytes[k], expected) << n << " " << k;
            EXPECT_EQ(cells[k], inside ? char32_t{expected} : U'.') << n << " " << k;
            EXPECT_EQ(attrs[k], inside ? 9u : 7u) << n << " " << k;
        }
    }
}

} // namespace
} // namespace tav
