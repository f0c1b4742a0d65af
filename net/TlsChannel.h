#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace tav {

class TlsChannel;

// The outcome of a TLS handshake on a connected socket.
struct TlsHandshake {
    std::unique_ptr<TlsChannel> channel; // null when the handshake failed
    std::string error;                   // why it failed
    bool verified = false;               // the certificate chain and host name check out
    std::string problem;                 // why it did not verify
    std::string fingerprint;             // SHA-256 of the server's certificate, "AB:CD:..."
    std::string version;                 // "TLSv1.3"
};

// TLS (1.2 or newer, OpenSSL) over a connected non-blocking socket the caller owns. The
// certificate is checked against the system's store and the host name; a certificate that
// does not verify still completes the handshake, so that the caller can show why and its
// fingerprint and let the user decide: nothing is accepted here.
class TlsChannel {
public:
    ~TlsChannel();
    TlsChannel(const TlsChannel&) = delete;
    TlsChannel& operator=(const TlsChannel&) = delete;

    // Runs the handshake within `timeout` (SNI and host-name check use `host`); it stops
    // as failed once `cancelFd` (when not -1) becomes readable.
    static TlsHandshake Handshake(int fd, const std::string& host,
                                  std::chrono::milliseconds timeout, int cancelFd = -1);

    // Decrypted bytes: the count read, 0 when nothing is there yet, -1 when the peer closed
    // or the connection failed.
    long Read(char* buffer, std::size_t size);
    // Bytes decrypted and waiting inside the channel, which the socket's readiness will not
    // announce.
    bool Pending() const;
    // Writes what the connection takes now, never waiting: the count written (0 when the
    // socket must become writable first), -1 on failure. After 0, the next call must
    // offer at least the same bytes again.
    long Write(std::string_view bytes);
    // Tells the peer the connection ends (best effort, never waits).
    void Shutdown();

private:
    struct State;
    explicit TlsChannel(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

} // namespace tav
