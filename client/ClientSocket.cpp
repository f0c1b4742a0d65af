#include "client/ClientSocket.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tav {

ClientSocket::ClientSocket() {
    int fds[2] = {-1, -1};
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
        wakeRead_ = fds[0];
        wakeWrite_ = fds[1];
    }
}

ClientSocket::~ClientSocket() {
    const int fd = fd_.exchange(-1);
    if (fd >= 0) ::close(fd);
    if (wakeRead_ >= 0) ::close(wakeRead_);
    if (wakeWrite_ >= 0) ::close(wakeWrite_);
}

void ClientSocket::Shutdown() {
    if (shut_.exchange(true)) return;
    // The pipe is never drained: once written, every later wait returns at once.
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(wakeWrite_, &byte, 1);
    const int fd = fd_.load();
    if (fd >= 0) ::shutdown(fd, SHUT_RDWR);
}

// Waits for events on the socket or the wake pipe. False when shut down or on a failed
// wait; ready tells whether the socket itself reported an event.
bool ClientSocket::Wait(short events, int timeoutMs, bool& ready) {
    ready = false;
    pollfd fds[2] = {{fd_.load(), events, 0}, {wakeRead_, POLLIN, 0}};
    for (;;) {
        if (shut_.load()) return false;
        const int n = ::poll(fds, 2, timeoutMs);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (shut_.load() || fds[1].revents != 0) return false;
        ready = fds[0].revents != 0;
        return true;
    }
}

OpenStage ClientSocket::Open(const std::string& host, int port, std::chrono::milliseconds timeout) {
    if (shut_.load()) return OpenStage::Cancelled;
    // The wake pipe cancels the wait; the descriptor is kept at once so that Shutdown()
    // from another thread finds it, and closed only by the destructor.
    const OpenedSocket opened = OpenTcp(host, port, {kClientSendBufferBytes, false}, timeout,
                                        wakeRead_, [this](int fd) { fd_.store(fd); });
    if (shut_.load()) return OpenStage::Cancelled;
    return opened.stage;
}

ClientSocket::Readiness ClientSocket::WaitReadable() {
    if (readAt_ < readEnd_ && !shut_.load()) return Readiness::Readable;
    bool ready = false;
    if (!Wait(POLLIN, -1, ready)) return shut_.load() ? Readiness::Shut : Readiness::Failed;
    return ready ? Readiness::Readable : Readiness::Failed;
}

IoResult ClientSocket::Receive(std::span<std::uint8_t> buffer) {
    for (;;) {
        if (shut_.load()) return {-1, ECONNABORTED};
        if (readAt_ < readEnd_) {
            const std::size_t n = std::min(buffer.size(), readEnd_ - readAt_);
            std::memcpy(buffer.data(), readAhead_.data() + readAt_, n);
            readAt_ += n;
            return {static_cast<std::ptrdiff_t>(n), 0};
        }
        const bool direct = buffer.size() >= kReadAheadBytes;
        if (!direct && readAhead_.empty()) readAhead_.resize(kReadAheadBytes);
        std::uint8_t* into = direct ? buffer.data() : readAhead_.data();
        const ssize_t n = ::recv(fd_.load(), into, direct ? buffer.size() : readAhead_.size(), 0);
        if (n > 0 && !direct) {
            readAt_ = 0;
            readEnd_ = static_cast<std::size_t>(n);
            continue;
        }
        if (n >= 0) {
            // A socket shut down here reads as closed; that is no news from the server.
            if (n == 0 && shut_.load()) return {-1, ECONNABORTED};
            return {n, 0};
        }
        if (errno == EINTR) continue;
        if (PeerGone(errno)) return {0, 0};
        return {-1, errno};
    }
}

IoResult ClientSocket::Send(std::span<const std::uint8_t> bytes) {
    for (;;) {
        if (shut_.load()) return {-1, ECONNABORTED};
        const ssize_t n = ::send(fd_.load(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n >= 0) return {n, 0};
        if (errno == EINTR) continue;
        if (PeerGone(errno)) return {0, 0};
        return {-1, errno};
    }
}

void ClientSocket::WaitReady(IoDirection direction) {
    bool ready = false;
    Wait(direction == IoDirection::receive ? POLLIN : POLLOUT, -1, ready);
}

} // namespace tav
