#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace tav {

// Frame layout on the socket: a 4-byte little-endian length word L, then L bytes holding
// the 272-byte header and the data block. All integers are 32-bit little-endian.
inline constexpr std::size_t kLengthBytes = 4;
inline constexpr std::size_t kHeaderBytes = 272;
inline constexpr std::size_t kTextBytes = 128;
// Longest text a 128-byte text field holds; the field always keeps room for its NUL.
inline constexpr std::size_t kMaxTextChars = kTextBytes - 1;
// The value the client writes into `aux` of every message it sends.
inline constexpr std::int32_t kClientAux = 3;
// Largest length word L accepted from the server (header and data): room for a long MP3
// cue. A larger frame ends the connection instead of being allocated.
inline constexpr std::size_t kMaxFrameBytes = std::size_t{256} << 20;
// Most bytes of a frame allocated before they arrive. A longer frame's buffer starts at
// this size and grows only as its bytes come in, so a length word alone never makes the
// client allocate more.
inline constexpr std::size_t kFrameBytesAhead = std::size_t{1} << 20;

// Byte offsets of the header fields.
inline constexpr std::size_t kTypeOffset = 0;
inline constexpr std::size_t kAuxOffset = 4;
inline constexpr std::size_t kText1Offset = 8;
inline constexpr std::size_t kText2Offset = 136;
inline constexpr std::size_t kDataLenOffset = 264;
inline constexpr std::size_t kDataRefOffset = 268;

using TextField = std::array<char, kTextBytes>;

// The fixed header of a client message, decoded. `data_len` of 0 or less means no data;
// `data_ref` carries no meaning on the wire.
struct MessageHeader {
    std::int32_t type = 0;
    std::int32_t aux = 0;
    TextField text1{};
    TextField text2{};
    std::int32_t data_len = 0;
    std::int32_t data_ref = 0;
};

std::uint32_t LoadLe32(const std::uint8_t* bytes);
void StoreLe32(std::uint8_t* bytes, std::uint32_t value);

// Writes the header's 272 bytes as they travel on the wire.
void EncodeHeader(const MessageHeader& header, std::span<std::uint8_t, kHeaderBytes> out);
MessageHeader DecodeHeader(std::span<const std::uint8_t, kHeaderBytes> bytes);

// Fills a text field: at most kMaxTextChars characters of text, the rest NUL.
void SetText(TextField& field, std::string_view text);
// The text of a field: up to its first NUL, and never more than kMaxTextChars characters.
std::string_view TextOf(const TextField& field);

} // namespace tav
