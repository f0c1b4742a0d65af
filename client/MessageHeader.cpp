#include "client/MessageHeader.h"

#include <algorithm>
#include <cstring>

namespace tav {

std::uint32_t LoadLe32(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

void StoreLe32(std::uint8_t* bytes, std::uint32_t value) {
    bytes[0] = static_cast<std::uint8_t>(value);
    bytes[1] = static_cast<std::uint8_t>(value >> 8);
    bytes[2] = static_cast<std::uint8_t>(value >> 16);
    bytes[3] = static_cast<std::uint8_t>(value >> 24);
}

void EncodeHeader(const MessageHeader& header, std::span<std::uint8_t, kHeaderBytes> out) {
    std::uint8_t* p = out.data();
    StoreLe32(p + kTypeOffset, static_cast<std::uint32_t>(header.type));
    StoreLe32(p + kAuxOffset, static_cast<std::uint32_t>(header.aux));
    std::memcpy(p + kText1Offset, header.text1.data(), kTextBytes);
    std::memcpy(p + kText2Offset, header.text2.data(), kTextBytes);
    StoreLe32(p + kDataLenOffset, static_cast<std::uint32_t>(header.data_len));
    StoreLe32(p + kDataRefOffset, static_cast<std::uint32_t>(header.data_ref));
}

MessageHeader DecodeHeader(std::span<const std::uint8_t, kHeaderBytes> bytes) {
    const std::uint8_t* p = bytes.data();
    MessageHeader header;
    header.type = static_cast<std::int32_t>(LoadLe32(p + kTypeOffset));
    header.aux = static_cast<std::int32_t>(LoadLe32(p + kAuxOffset));
    std::memcpy(header.text1.data(), p + kText1Offset, kTextBytes);
    std::memcpy(header.text2.data(), p + kText2Offset, kTextBytes);
    header.data_len = static_cast<std::int32_t>(LoadLe32(p + kDataLenOffset));
    header.data_ref = static_cast<std::int32_t>(LoadLe32(p + kDataRefOffset));
    return header;
}

void SetText(TextField& field, std::string_view text) {
    field.fill('\0');
    const std::size_t count = std::min(text.size(), kMaxTextChars);
    std::copy_n(text.begin(), count, field.begin());
}

std::string_view TextOf(const TextField& field) {
    const auto end = std::find(field.begin(), field.begin() + kMaxTextChars, '\0');
    return {field.data(), static_cast<std::size_t>(end - field.begin())};
}

} // namespace tav
