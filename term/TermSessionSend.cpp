// The Term session's writing side: sends go out as far as the socket takes them and the
// rest waits, bounded, until the socket is writable again, so sending never holds up the
// event loop; and a send that fails ends the connection as a lost one.
#include "term/TermSession.h"

#include <cerrno>
#include <sys/socket.h>
#include <utility>

namespace tav {

int TermSession::SendRaw(std::string_view bytes) {
    if (!connected_) return -1;
    const int size = static_cast<int>(bytes.size());
    if (bytes.empty()) return 0;
    if (fd_ < 0) { // a connection without a socket (replay): record only
        if (services_.onSent) services_.onSent(bytes);
        return size;
    }
    // Nothing may overtake bytes already waiting.
    if (PendingSendBytes() == 0) {
        const long n = WriteSome(bytes);
        if (n < 0) return -1;
        bytes.remove_prefix(static_cast<std::size_t>(n));
        if (bytes.empty()) return size;
    }
    if (PendingSendBytes() + bytes.size() > kMaxPendingSendBytes) {
        SendFailed("The server is not reading: more than " + std::to_string(kMaxPendingSendBytes) +
                   " bytes wait to be sent.");
        return -1;
    }
    outgoing_.erase(0, std::exchange(outgoingSent_, 0));
    const bool waiting = !outgoing_.empty();
    outgoing_.append(bytes);
    if (!waiting) loop_.WatchWritable(fd_, [this] { FlushOutgoing(); });
    return size;
}

void TermSession::FlushOutgoing() {
    while (connected_ && PendingSendBytes() > 0) {
        const long n = WriteSome(std::string_view(outgoing_).substr(outgoingSent_));
        if (n <= 0) return; // full again, or failed
        outgoingSent_ += static_cast<std::size_t>(n);
    }
    outgoing_.clear();
    outgoingSent_ = 0;
    if (fd_ >= 0) loop_.UnwatchWritable(fd_);
}

long TermSession::WriteSome(std::string_view bytes) {
    long n = 0;
    if (tls_) {
        n = tls_->Write(bytes);
        if (n < 0) SendFailed("The secure connection failed.");
    } else {
        do {
            n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        } while (n < 0 && errno == EINTR);
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            n = 0;
        } else if (n <= 0) {
            SendFailed(SocketErrorText(n < 0 ? errno : EPIPE));
            n = -1;
        }
    }
    if (n > 0 && services_.onSent) services_.onSent(bytes.substr(0, static_cast<std::size_t>(n)));
    return n;
}

void TermSession::SendFailed(std::string_view reason) {
    if (!connected_) return;
    connected_ = false; // what else this pass sends says "Not connected..."
    sendFailure_ = reason;
    if (fd_ >= 0) loop_.UnwatchWritable(fd_);
    loop_.Post([this, alive = std::weak_ptr<int>(alive_), connection = connectionSerial_] {
        if (!alive.expired() && connection == connectionSerial_) LoseConnection();
    });
}

void TermSession::LoseConnection() {
    if (!Open()) return;
    if (!sendFailure_.empty()) PrintLocal("Send()\r\n" + sendFailure_ + "\r\n");
    CloseConnection();
    OnConnectionLost();
}

} // namespace tav
