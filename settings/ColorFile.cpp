#include "settings/ColorFile.h"

#include <array>
#include <span>

namespace tav {

namespace {

constexpr std::size_t kColorBytes = 4;

std::array<ColorRef*, kCustomColorCount + kMudColorCount> ColorSlots(StoredValues& values) {
    std::array<ColorRef*, kCustomColorCount + kMudColorCount> slots{};
    std::size_t n = 0;
    for (ColorRef& color : values.custcolors)
        slots[n++] = &color;
    for (ColorRef& color : values.mudcolors)
        slots[n++] = &color;
    return slots;
}

} // namespace

std::string WriteColorBytes(const StoredValues& values) {
    std::string bytes;
    bytes.reserve(kColorFileSize);
    StoredValues copy = values;
    for (const ColorRef* color : ColorSlots(copy)) {
        for (std::size_t i = 0; i < kColorBytes; ++i)
            bytes.push_back(static_cast<char>((*color >> (8 * i)) & 0xFF));
    }
    return bytes;
}

void ReadColorBytes(std::string_view bytes, StoredValues& values) {
    std::size_t offset = 0;
    for (ColorRef* color : ColorSlots(values)) {
        if (offset + kColorBytes > bytes.size()) return;
        ColorRef value = 0;
        for (std::size_t i = 0; i < kColorBytes; ++i)
            value |= static_cast<ColorRef>(static_cast<unsigned char>(bytes[offset + i]))
                     << (8 * i);
        *color = value;
        offset += kColorBytes;
    }
}

} // namespace tav
