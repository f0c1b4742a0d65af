#include "client/ClientWire.h"

#include "client/ClientLink.h"
#include "client/StreamSocket.h"
#include "client/TransferGauge.h"
#include "settings/LogSink.h"
#include "settings/Settings.h"

#include <algorithm>
#include <array>
#include <limits>
#include <new>
#include <string>
#include <utility>

namespace tav {

ClientWire::ClientWire(ClientLink& link, LogSink& log, TransferGauge& gauge,
                       const Settings& settings)
    : link_(link), log_(log), gauge_(gauge), settings_(settings) {}

bool ClientWire::Debug() const {
    return settings_.cdmdebug != 0;
}

std::ptrdiff_t ClientWire::ReceiveAll(StreamSocket& socket, std::span<std::uint8_t> buffer) {
    const std::ptrdiff_t result = ReceivePart(socket, buffer, 0, buffer.size());
    if (result == static_cast<std::ptrdiff_t>(buffer.size())) {
        const auto total = static_cast<std::int64_t>(buffer.size());
        gauge_.ShowProgress(total, total);
    }
    return result;
}

std::ptrdiff_t ClientWire::ReceivePart(StreamSocket& socket, std::span<std::uint8_t> buffer,
                                       std::size_t before, std::size_t total) {
    const auto all = static_cast<std::int64_t>(total);
    const bool eachChunk = total > kProgressThreshold;
    std::size_t received = 0;
    while (received < buffer.size()) {
        const std::size_t ask = std::min(buffer.size() - received, kReceiveChunkBytes);
        const IoResult result = socket.Receive(buffer.subspan(received, ask));
        if (result.count == 0) {
            log_.LogLine("Connection closed by server...");
            link_.Disconnect();
            return -1;
        }
        if (result.count < 0) {
            if (result.TryAgain()) {
                if (eachChunk)
                    gauge_.ShowProgress(static_cast<std::int64_t>(before + received), all);
                socket.WaitReady(IoDirection::receive);
                continue;
            }
            gauge_.ShowProgress(all, all);
            return result.count;
        }
        received += static_cast<std::size_t>(result.count);
        if (eachChunk) gauge_.ShowProgress(static_cast<std::int64_t>(before + received), all);
    }
    return static_cast<std::ptrdiff_t>(buffer.size());
}

bool ClientWire::ReceiveBody(StreamSocket& socket, std::size_t length,
                             std::vector<std::uint8_t>& body) {
    std::size_t received = 0;
    while (received < length) {
        // The first kFrameBytesAhead bytes are taken on trust; beyond them the buffer at
        // most doubles what has really arrived, so a peer must send what it makes us hold.
        const std::size_t size = std::min(length, std::max(kFrameBytesAhead, 2 * received));
        try {
            body.reserve(size); // exactly this much, not a doubled capacity
            body.resize(size);
        } catch (const std::bad_alloc&) {
            log_.LogLine("Read error in read_dblock...out of memory.");
            return false;
        }
        const std::span<std::uint8_t> part = std::span<std::uint8_t>(body).subspan(received);
        if (ReceivePart(socket, part, received, length) !=
            static_cast<std::ptrdiff_t>(part.size())) {
            if (Debug()) log_.LogLine("Msgbody read failure (read_dblock).");
            return false;
        }
        received = size;
    }
    const auto total = static_cast<std::int64_t>(length);
    gauge_.ShowProgress(total, total);
    return true;
}

std::ptrdiff_t ClientWire::SendAll(StreamSocket& socket, std::span<const std::uint8_t> bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const IoResult result = socket.Send(bytes.subspan(sent));
        if (result.count == 0) {
            log_.LogLine("Connection closed by server....");
            link_.Disconnect();
            return -1;
        }
        if (result.count < 0) {
            if (result.TryAgain()) {
                socket.WaitReady(IoDirection::send);
                continue;
            }
            return result.count;
        }
        sent += static_cast<std::size_t>(result.count);
    }
    return static_cast<std::ptrdiff_t>(bytes.size());
}

std::ptrdiff_t ClientWire::SendMessage(StreamSocket& socket, const OutgoingMessage& message) {
    if (message.data.size() > kMaxFrameBytes - kHeaderBytes) {
        log_.LogLine("Message too large to send.");
        return -1;
    }
    std::vector<std::uint8_t> frame;
    try {
        frame = EncodeFrame(message);
    } catch (const std::bad_alloc&) {
        log_.LogLine("OUT OF MEMORY!!");
        return -1;
    }
    std::ptrdiff_t written = 0;
    {
        // Both threads send; one frame must reach the socket in one piece.
        const std::lock_guard<std::mutex> lock(sendMutex_);
        written = SendAll(socket, frame);
    }
    if (written != static_cast<std::ptrdiff_t>(frame.size())) return -1;
    return written;
}

ReadResult ClientWire::read_dblock(StreamSocket& socket) {
    std::array<std::uint8_t, kLengthBytes> lengthWord{};
    if (ReceiveAll(socket, lengthWord) != static_cast<std::ptrdiff_t>(kLengthBytes)) {
        if (Debug()) log_.LogLine("Msgsize read failure (read_dblock).");
        return {};
    }
    const std::uint32_t length = LoadLe32(lengthWord.data());
    if (length < kHeaderBytes) {
        log_.LogLine("Frame of " + std::to_string(length) +
                     " bytes is shorter than a header (read_dblock).");
        return {};
    }
    if (length > kMaxFrameBytes) {
        log_.LogLine("Frame of " + std::to_string(length) + " bytes exceeds the limit of " +
                     std::to_string(kMaxFrameBytes) + " bytes (read_dblock).");
        return {};
    }

    std::vector<std::uint8_t> body;
    if (!ReceiveBody(socket, length, body)) return {};

    const std::int32_t dataLen = static_cast<std::int32_t>(LoadLe32(body.data() + kDataLenOffset));
    std::optional<ClientMessage> message = ClientMessage::FromBody(std::move(body));
    if (!message) {
        log_.LogLine("Frame data length " + std::to_string(dataLen) + " does not fit a frame of " +
                     std::to_string(length) + " bytes (read_dblock).");
        return {};
    }
    return {static_cast<std::ptrdiff_t>(length + kLengthBytes), std::move(message)};
}

} // namespace tav
