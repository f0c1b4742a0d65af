#pragma once

#include "client/MessageHeader.h"
#include "client/MessageType.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace tav {

// One received client message: a single buffer holding the 272 header bytes followed by
// the data block, with the header decoded. The holder owns it; moving it hands it over
// (for example into the pending-edit slot). Build one with FromBody, which refuses a
// body whose `data_len` does not fit it.
class ClientMessage {
public:
    // The message held by a frame body of L bytes (header first), or nothing when the
    // body is shorter than a header or its `data_len` is negative or larger than the
    // bytes after the header. Bytes beyond `data_len` are kept but not significant.
    static std::optional<ClientMessage> FromBody(std::vector<std::uint8_t> body);

    // A message made from its parts (tests, local use); `data_len` is set from data.
    ClientMessage(const MessageHeader& header, std::span<const std::uint8_t> data);

    const MessageHeader& Header() const { return header_; }
    std::int32_t Type() const { return header_.type; }
    // The catalogue entry of Type(), or nothing for an unknown code.
    std::optional<IncomingType> KnownType() const { return ToIncomingType(header_.type); }
    std::string_view Text1() const { return TextOf(header_.text1); }
    std::string_view Text2() const { return TextOf(header_.text2); }

    bool HasData() const { return header_.data_len > 0; }
    // The data block: exactly `data_len` bytes, empty when there is no data.
    std::span<const std::uint8_t> Data() const;
    // The data as text: up to the first NUL or the end of the block, whichever is first.
    std::string_view DataText() const;

    // The whole in-memory message: header bytes followed by the data block.
    std::span<const std::uint8_t> Buffer() const { return buffer_; }

private:
    ClientMessage(std::vector<std::uint8_t> buffer, const MessageHeader& header)
        : header_(header), buffer_(std::move(buffer)) {}

    MessageHeader header_;
    std::vector<std::uint8_t> buffer_;
};

} // namespace tav
