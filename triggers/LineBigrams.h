#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace tav {

// A quick "may this line match?" test for the trigger pass: the set of byte pairs that
// occur next to each other in a line, hashed into a small bit table. Every literal of a
// pattern must occur in a matching line, so a pattern with one of its literal byte pairs
// missing from the table cannot match and needs no scan. Hash collisions only let a line
// through to the exact match; they never reject one.
class LineBigrams {
public:
    static constexpr unsigned kHashBits = 13;
    static constexpr std::size_t kTableBits = std::size_t{1} << kHashBits;

    explicit LineBigrams(std::string_view line);

    // The table slot of the pair (first, second).
    static std::uint16_t Slot(char first, char second) {
        const auto pair = (static_cast<std::uint32_t>(static_cast<unsigned char>(first)) << 8) |
                          static_cast<unsigned char>(second);
        return static_cast<std::uint16_t>((pair * 2654435761U) >> (32 - kHashBits));
    }

    bool Has(std::uint16_t slot) const { return ((words_[slot >> 6] >> (slot & 63)) & 1U) != 0; }

private:
    std::array<std::uint64_t, kTableBits / 64> words_{};
};

} // namespace tav
