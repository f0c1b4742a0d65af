#include "term/TcpConnector.h"

#include <mutex>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>

namespace tav {

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
    OpenedSocket opened = OpenTcp(host, port, SocketOptions{}, timeout, cancelFd);
    ConnectResult result;
    if (opened.stage == OpenStage::Connected) {
        result.stage = ConnectResult::Stage::Connected;
        result.fd = opened.fd;
        return result;
    }
    if (opened.fd >= 0) ::close(opened.fd);
    result.stage = opened.stage == OpenStage::Socket ? ConnectResult::Stage::CreateSocket
                                                     : ConnectResult::Stage::Connect;
    result.reason = std::move(opened.reason);
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
