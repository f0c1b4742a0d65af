#include "client/PosixSocket.h"

#include <poll.h>
#include <sys/socket.h>

namespace tav {

IoResult PosixSocket::Receive(std::span<std::uint8_t> buffer) {
    for (;;) {
        const ssize_t n = ::recv(fd_, buffer.data(), buffer.size(), 0);
        if (n >= 0) return {n, 0};
        if (errno == EINTR) continue;
        if (PeerGone(errno)) return {0, 0};
        return {-1, errno};
    }
}

IoResult PosixSocket::Send(std::span<const std::uint8_t> bytes) {
    for (;;) {
        const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n >= 0) return {n, 0};
        if (errno == EINTR) continue;
        if (PeerGone(errno)) return {0, 0};
        return {-1, errno};
    }
}

void PosixSocket::WaitReady(IoDirection direction) {
    pollfd p{};
    p.fd = fd_;
    p.events = direction == IoDirection::receive ? POLLIN : POLLOUT;
    while (::poll(&p, 1, -1) < 0 && errno == EINTR) {
    }
}

} // namespace tav
