#pragma once

#include "client/StreamSocket.h"

namespace tav {

// A StreamSocket on a POSIX file descriptor. It does not own the descriptor: the
// connection closes it, which makes a blocked Receive or WaitReady return. Sending never
// raises SIGPIPE; a closed or reset peer reads as a zero result in both directions.
class PosixSocket final : public StreamSocket {
public:
    explicit PosixSocket(int fd) : fd_(fd) {}

    int Fd() const { return fd_; }

    IoResult Receive(std::span<std::uint8_t> buffer) override;
    IoResult Send(std::span<const std::uint8_t> bytes) override;
    void WaitReady(IoDirection direction) override;

private:
    int fd_;
};

} // namespace tav
