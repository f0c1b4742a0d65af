#pragma once

#include "client/ClientMessage.h"
#include "client/OutgoingMessage.h"

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

namespace tav {

class ClientLink;
class LogSink;
class StreamSocket;
class TransferGauge;
struct Settings;

// Largest count asked of one receive call.
inline constexpr std::size_t kReceiveChunkBytes = 4096;
// Transfers of more than this many bytes report their progress after every chunk;
// smaller ones report only when they end.
inline constexpr std::size_t kProgressThreshold = 512;

// The outcome of read_dblock: the frame size (L + 4) and the message, or size -1 and no
// message.
struct ReadResult {
    std::ptrdiff_t size = -1;
    std::optional<ClientMessage> message;

    bool Ok() const { return message.has_value(); }
};

// Moves whole frames over a Client connection's socket: the receive-all and send-all
// loops, sending one message and reading one frame. It knows the frame layout but no
// message types. Log lines go to the client log; the receive progress goes to the
// transfer gauge; a peer that closes the socket runs the link's Disconnect.
// read_dblock is called by the network thread only; SendMessage from either thread, and
// frames sent from two threads never interleave on the socket.
class ClientWire {
public:
    ClientWire(ClientLink& link, LogSink& log, TransferGauge& gauge, const Settings& settings);

    // Reads exactly buffer.size() bytes, asking at most kReceiveChunkBytes of each receive
    // call. Returns buffer.size(), -1 when the peer closed the connection (after the log
    // line and Disconnect), or the negative result of a failed receive.
    std::ptrdiff_t ReceiveAll(StreamSocket& socket, std::span<std::uint8_t> buffer);

    // Writes all bytes. Returns bytes.size(), -1 when the peer closed the connection
    // (after the log line and Disconnect), or the negative result of a failed send.
    std::ptrdiff_t SendAll(StreamSocket& socket, std::span<const std::uint8_t> bytes);

    // Sends one message as one frame. Returns the bytes written (276 + data size) or -1.
    std::ptrdiff_t SendMessage(StreamSocket& socket, const OutgoingMessage& message);

    // Reads one frame. A frame whose length word is below the header size or above
    // kMaxFrameBytes, or whose `data_len` is negative or does not fit the frame, is
    // refused with a log line. The body's buffer never runs more than kFrameBytesAhead,
    // or the bytes already received, ahead of what has arrived. On -1 the caller ends
    // the connection: the stream cannot be resynchronised.
    ReadResult read_dblock(StreamSocket& socket);

private:
    bool Debug() const;
    // The receive loop of ReceiveAll for one part of a transfer of `total` bytes, of
    // which `before` have arrived already: reports progress against the whole transfer
    // (but not its end) and returns buffer.size() or the failure.
    std::ptrdiff_t ReceivePart(StreamSocket& socket, std::span<std::uint8_t> buffer,
                               std::size_t before, std::size_t total);
    // Reads a frame body of `length` bytes into a buffer that grows as they arrive.
    bool ReceiveBody(StreamSocket& socket, std::size_t length, std::vector<std::uint8_t>& body);

    ClientLink& link_;
    LogSink& log_;
    TransferGauge& gauge_;
    const Settings& settings_;
    std::mutex sendMutex_;
};

} // namespace tav
