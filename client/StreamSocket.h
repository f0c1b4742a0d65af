#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <span>

namespace tav {

// The result of one receive or send: count > 0 bytes moved, 0 when the peer has closed
// (or reset) the connection, or -1 with the error number of the failure.
struct IoResult {
    std::ptrdiff_t count = 0;
    int error = 0;

    // The call would have blocked; wait and try again.
    bool TryAgain() const { return count < 0 && (error == EAGAIN || error == EWOULDBLOCK); }
};

// A reset connection ends the same way as an orderly close by the server.
inline bool PeerGone(int error) {
    return error == ECONNRESET || error == EPIPE;
}

enum class IoDirection { receive, send };

// A connected stream socket as the frame transfer loops see it. The connection's is
// ClientSocket; PosixSocket serves a plain descriptor (the tests' socket pairs), and tests
// may script one.
class StreamSocket {
public:
    virtual ~StreamSocket() = default;
    // Receives up to buffer.size() bytes.
    virtual IoResult Receive(std::span<std::uint8_t> buffer) = 0;
    // Sends up to bytes.size() bytes.
    virtual IoResult Send(std::span<const std::uint8_t> bytes) = 0;
    // Blocks until a Receive or Send that reported TryAgain may make progress, or the
    // socket fails (the next call then reports the failure).
    virtual void WaitReady(IoDirection direction) = 0;
};

} // namespace tav
