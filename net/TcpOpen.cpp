#include "net/TcpOpen.h"

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

namespace {

constexpr std::size_t kMaxReasonChars = 127;

std::string Cut(std::string text) {
    if (text.size() > kMaxReasonChars) text.resize(kMaxReasonChars);
    return text;
}

// Fills addr from a dotted IPv4 address or a host name; the lookup error text otherwise.
bool Resolve(const std::string& host, in_addr& addr, std::string& reason) {
    if (::inet_aton(host.c_str(), &addr) != 0) return true;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int rc = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (rc != 0 || found == nullptr) {
        reason = Cut(rc == EAI_SYSTEM ? SocketErrorText(errno) : ::gai_strerror(rc));
        return false;
    }
    addr = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
    ::freeaddrinfo(found);
    return true;
}

} // namespace

std::string SocketErrorText(int error) {
    return Cut(std::strerror(error));
}

OpenedSocket OpenTcp(const std::string& host, int port, const SocketOptions& options,
                     std::chrono::milliseconds timeout, int cancelFd,
                     const std::function<void(int)>& onSocket) {
    OpenedSocket result;
    auto fail = [&](OpenStage stage, std::string reason) {
        result.stage = stage;
        result.reason = std::move(reason);
        return result;
    };
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(static_cast<std::uint16_t>(port));
    std::string reason;
    if (!Resolve(host, peer.sin_addr, reason)) return fail(OpenStage::Resolve, reason);

    result.fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (result.fd < 0) return fail(OpenStage::Socket, SocketErrorText(errno));
    if (onSocket) onSocket(result.fd);

    const int reuse = 1;
    const linger closing{options.resetOnClose ? 1 : 0, 0};
    if (::setsockopt(result.fd, SOL_SOCKET, SO_SNDBUF, &options.sendBuffer,
                     sizeof options.sendBuffer) != 0 ||
        ::setsockopt(result.fd, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse) != 0 ||
        ::setsockopt(result.fd, SOL_SOCKET, SO_LINGER, &closing, sizeof closing) != 0)
        return fail(OpenStage::SocketOption, SocketErrorText(errno));

    if (::connect(result.fd, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0) {
        if (errno != EINPROGRESS) return fail(OpenStage::Connect, SocketErrorText(errno));
        pollfd p[2] = {{result.fd, POLLOUT, 0}, {cancelFd, POLLIN, 0}};
        int ready;
        do {
            ready = ::poll(p, cancelFd >= 0 ? 2 : 1, static_cast<int>(timeout.count()));
        } while (ready < 0 && errno == EINTR);
        if (ready == 0) return fail(OpenStage::Connect, SocketErrorText(ETIMEDOUT));
        if (ready > 0 && p[1].revents != 0)
            return fail(OpenStage::Cancelled, SocketErrorText(ECANCELED));
        int error = 0;
        socklen_t len = sizeof error;
        if (ready < 0 || ::getsockopt(result.fd, SOL_SOCKET, SO_ERROR, &error, &len) != 0 ||
            error != 0)
            return fail(OpenStage::Connect, SocketErrorText(ready < 0 ? errno : error));
    }
    result.stage = OpenStage::Connected;
    return result;
}

} // namespace tav
