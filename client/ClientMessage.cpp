#include "client/ClientMessage.h"

#include <algorithm>
#include <utility>

namespace tav {

std::optional<ClientMessage> ClientMessage::FromBody(std::vector<std::uint8_t> body) {
    if (body.size() < kHeaderBytes) return std::nullopt;
    const MessageHeader header =
        DecodeHeader(std::span<const std::uint8_t, kHeaderBytes>(body.data(), kHeaderBytes));
    if (header.data_len < 0) return std::nullopt;
    if (static_cast<std::size_t>(header.data_len) > body.size() - kHeaderBytes) return std::nullopt;
    return ClientMessage(std::move(body), header);
}

ClientMessage::ClientMessage(const MessageHeader& header, std::span<const std::uint8_t> data)
    : header_(header) {
    header_.data_len = static_cast<std::int32_t>(data.size());
    buffer_.resize(kHeaderBytes + data.size());
    EncodeHeader(header_, std::span<std::uint8_t, kHeaderBytes>(buffer_.data(), kHeaderBytes));
    std::copy(data.begin(), data.end(), buffer_.begin() + kHeaderBytes);
}

std::span<const std::uint8_t> ClientMessage::Data() const {
    if (!HasData()) return {};
    return std::span<const std::uint8_t>(buffer_).subspan(
        kHeaderBytes, static_cast<std::size_t>(header_.data_len));
}

std::string_view ClientMessage::DataText() const {
    const auto data = Data();
    const auto end = std::find(data.begin(), data.end(), std::uint8_t{0});
    return {reinterpret_cast<const char*>(data.data()),
            static_cast<std::size_t>(end - data.begin())};
}

} // namespace tav
