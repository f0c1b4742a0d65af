#pragma once

#include "net/TcpOpen.h"
#include "net/TlsChannel.h"
#include "term/EventLoop.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace tav {

// The outcome of opening a TCP connection.
struct ConnectResult {
    enum class Stage { Connected, CreateSocket, Connect } stage = Stage::Connect;
    int fd = -1;        // the connected, non-blocking socket when Connected
    std::string reason; // why it failed, at most 127 characters
    // A secure connection's handshake (certificate, fingerprint, the channel to read and
    // write through); null for a plain one.
    std::shared_ptr<TlsHandshake> tls;
};

// Resolves a host (dotted IPv4 or a name) and connects to it on a worker thread, so the
// user-interface thread never waits on a lookup or a dead host. The result is delivered
// through the loop's Post, on the loop's thread. Cancel() (or destruction) drops a result
// still to come and stops the worker's connect or handshake where it waits; the worker
// then closes its socket (a host lookup under way runs to its end first).
class TcpConnector {
public:
    using Done = std::function<void(ConnectResult)>;

    explicit TcpConnector(EventLoop& loop) : loop_(loop) {}
    ~TcpConnector() { Cancel(); }
    TcpConnector(const TcpConnector&) = delete;
    TcpConnector& operator=(const TcpConnector&) = delete;

    // With `tls`, the worker also runs the TLS handshake; a handshake that fails fails the
    // connection (it never falls back to clear text).
    void Start(std::string host, int port, Done done, bool tls = false);
    void Cancel();
    bool Pending() const { return attempt_ != nullptr; }

    // The blocking work itself (OpenTcp with the Term connection's socket options: send
    // buffer 16384, address reuse, closing resets), also usable on its own. The connect
    // fails at once when `cancelFd` (when not -1) becomes readable.
    static ConnectResult OpenBlocking(const std::string& host, int port,
                                      std::chrono::milliseconds timeout, int cancelFd = -1);

private:
    struct Attempt;
    EventLoop& loop_;
    std::shared_ptr<Attempt> attempt_;
};

} // namespace tav
