#include "term/TcpConnector.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <thread>
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

struct TcpConnector::Attempt {
    std::mutex mutex;
    EventLoop* loop; // null once cancelled
    // Readable once cancelled: wakes the worker wherever it waits on its socket.
    int cancelFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    Attempt() = default;
    Attempt(const Attempt&) = delete;
    Attempt& operator=(const Attempt&) = delete;
    ~Attempt() {
        if (cancelFd >= 0) ::close(cancelFd);
    }
};

ConnectResult TcpConnector::OpenBlocking(const std::string& host, int port,
                                         std::chrono::milliseconds timeout, int cancelFd) {
    ConnectResult result;
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        result.stage = ConnectResult::Stage::CreateSocket;
        result.reason = SocketErrorText(errno);
        return result;
    }
    auto fail = [&](std::string reason) {
        ::close(fd);
        result.stage = ConnectResult::Stage::Connect;
        result.reason = std::move(reason);
        return result;
    };

    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(static_cast<std::uint16_t>(port));
    std::string reason;
    if (!Resolve(host, peer.sin_addr, reason)) return fail(reason);

    const int sendBuffer = 16384;
    const int reuse = 1;
    const linger noLinger{1, 0}; // closing discards unsent data and resets the connection
    ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &sendBuffer, sizeof sendBuffer);
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &noLinger, sizeof noLinger);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);

    if (::connect(fd, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0) {
        if (errno != EINPROGRESS) return fail(SocketErrorText(errno));
        pollfd p[2] = {{fd, POLLOUT, 0}, {cancelFd, POLLIN, 0}};
        int ready;
        do {
            ready = ::poll(p, cancelFd >= 0 ? 2 : 1, static_cast<int>(timeout.count()));
        } while (ready < 0 && errno == EINTR);
        if (ready == 0) return fail(SocketErrorText(ETIMEDOUT));
        if (p[1].revents != 0) return fail(SocketErrorText(ECANCELED));
        int error = 0;
        socklen_t len = sizeof error;
        ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len);
        if (ready < 0 || error != 0) return fail(SocketErrorText(ready < 0 ? errno : error));
    }
    result.stage = ConnectResult::Stage::Connected;
    result.fd = fd;
    return result;
}

void TcpConnector::Start(std::string host, int port, Done done, bool tls) {
    Cancel();
    auto attempt = std::make_shared<Attempt>();
    attempt->loop = &loop_;
    attempt_ = attempt;
    // The connector is alive for as long as the attempt is not cancelled, and both the
    // cancel and the delivery run on the loop's thread, so `this` is safe to use there.
    std::thread([this, attempt, host = std::move(host), port, done = std::move(done),
                 tls]() mutable {
        ConnectResult result = OpenBlocking(host, port, kConnectTimeout, attempt->cancelFd);
        if (tls && result.fd >= 0) {
            result.tls = std::make_shared<TlsHandshake>(
                TlsChannel::Handshake(result.fd, host, kConnectTimeout, attempt->cancelFd));
            if (!result.tls->channel) {
                ::close(result.fd);
                result.fd = -1;
                result.stage = ConnectResult::Stage::Connect;
                result.reason = "Secure connection failed: " + result.tls->error;
                result.tls.reset();
            }
        }
        std::lock_guard lock(attempt->mutex);
        if (attempt->loop == nullptr) {
            if (result.fd >= 0) ::close(result.fd);
            return;
        }
        attempt->loop->Post([this, attempt, result = std::move(result), done = std::move(done)] {
            {
                std::lock_guard inner(attempt->mutex);
                if (attempt->loop == nullptr) {
                    if (result.fd >= 0) ::close(result.fd);
                    return;
                }
                attempt->loop = nullptr; // delivered: a later Cancel has nothing to drop
            }
            if (attempt_ == attempt) attempt_.reset();
            done(result);
        });
    }).detach();
}

void TcpConnector::Cancel() {
    if (!attempt_) return;
    {
        std::lock_guard lock(attempt_->mutex);
        attempt_->loop = nullptr;
    }
    if (attempt_->cancelFd >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto n = ::write(attempt_->cancelFd, &one, sizeof one);
    }
    attempt_.reset();
}

} // namespace tav
