#include "tests/support/LoopbackServer.h"

#include <arpa/inet.h>
#include <cstdint>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace tav::test {

namespace {

// The game's ports must lie below 32000, under the kernel's ephemeral range, so the
// socket takes the first free port from a start that differs between processes. Without
// `listen` the port stays bound, so no other process can take it, and refuses connections.
int Bind(int& port, bool listen) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) throw std::runtime_error("cannot create a socket");
    const int first = 20000 + static_cast<int>(::getpid() % 5000) * 2;
    for (int candidate = first; candidate < 31998; candidate += 2) {
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = htons(static_cast<std::uint16_t>(candidate));
        if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
            (!listen || ::listen(fd, 4) == 0)) {
            port = candidate;
            return fd;
        }
    }
    ::close(fd);
    throw std::runtime_error("cannot bind on loopback");
}

} // namespace

LoopbackServer::LoopbackServer() {
    listenFd_ = Bind(port_, true);
}

LoopbackServer::~LoopbackServer() {
    CloseClient();
    if (listenFd_ >= 0) ::close(listenFd_);
}

bool LoopbackServer::Accept(std::chrono::milliseconds wait) {
    pollfd p{listenFd_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(wait.count())) <= 0) return false;
    CloseClient();
    clientFd_ = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    return clientFd_ >= 0;
}

void LoopbackServer::Send(const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(clientFd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return;
        sent += static_cast<std::size_t>(n);
    }
}

std::string LoopbackServer::Read(std::chrono::milliseconds wait) {
    std::string out;
    int timeout = static_cast<int>(wait.count());
    for (;;) {
        pollfd p{clientFd_, POLLIN, 0};
        if (::poll(&p, 1, timeout) <= 0) return out;
        char buffer[4096];
        const ssize_t n = ::recv(clientFd_, buffer, sizeof buffer, 0);
        if (n <= 0) return out;
        out.append(buffer, static_cast<std::size_t>(n));
        timeout = 50;
    }
}

bool LoopbackServer::ClientClosed(std::chrono::milliseconds wait) {
    const auto end = std::chrono::steady_clock::now() + wait;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        pollfd p{clientFd_, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) return false;
        char buffer[4096];
        if (::recv(clientFd_, buffer, sizeof buffer, 0) <= 0) return true;
    }
}

void LoopbackServer::CloseClient() {
    if (clientFd_ >= 0) ::close(clientFd_);
    clientFd_ = -1;
}

void LoopbackServer::ResetClient() {
    const linger abort{1, 0};
    if (clientFd_ >= 0) ::setsockopt(clientFd_, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    CloseClient();
}

ClosedPort::ClosedPort() : fd_(Bind(port_, false)) {}

ClosedPort::~ClosedPort() {
    ::close(fd_);
}

} // namespace tav::test
