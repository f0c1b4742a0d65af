#include "net/TlsChannel.h"

#include <arpa/inet.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstdio>

namespace tav {

namespace {

std::string LastError(const char* fallback) {
    const unsigned long code = ERR_get_error();
    ERR_clear_error();
    if (code == 0) return fallback;
    char text[256];
    ERR_error_string_n(code, text, sizeof text);
    return text;
}

// Waits for `events` on fd; false on the time-out, or once cancelFd is readable.
bool WaitFor(int fd, short events, int ms, int cancelFd) {
    pollfd p[2] = {{fd, events, 0}, {cancelFd, POLLIN, 0}};
    int ready;
    do {
        ready = ::poll(p, cancelFd >= 0 ? 2 : 1, ms);
    } while (ready < 0 && errno == EINTR);
    return ready > 0 && p[1].revents == 0;
}

std::string Fingerprint(X509* certificate) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!certificate || X509_digest(certificate, EVP_sha256(), digest, &length) != 1) return {};
    std::string text;
    for (unsigned int k = 0; k < length; ++k) {
        char hex[4];
        std::snprintf(hex, sizeof hex, k ? ":%02X" : "%02X", digest[k]);
        text += hex;
    }
    return text;
}

bool IsAddress(const std::string& host) {
    unsigned char buffer[16];
    return ::inet_pton(AF_INET, host.c_str(), buffer) == 1 ||
           ::inet_pton(AF_INET6, host.c_str(), buffer) == 1;
}

// OpenSSL's socket BIO writes with write(), which raises SIGPIPE on a connection the server
// has closed (the close_notify of a shutdown, a command sent as the game hangs up), and that
// signal ends the program. This is the socket BIO sending with MSG_NOSIGNAL, as the plain
// connection does: a closed peer is then an error like any other.
int SendWithoutSignal(BIO* bio, const char* data, int size) {
    BIO_clear_retry_flags(bio);
    const int fd = static_cast<int>(BIO_ctrl(bio, BIO_C_GET_FD, 0, nullptr));
    const ssize_t sent = ::send(fd, data, static_cast<std::size_t>(size), MSG_NOSIGNAL);
    if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        BIO_set_retry_write(bio);
    return static_cast<int>(sent);
}

BIO_METHOD* SocketWithoutSignal() {
    static BIO_METHOD* const method = [] {
        const BIO_METHOD* socket = BIO_s_socket();
        BIO_METHOD* m = BIO_meth_new(BIO_TYPE_SOCKET, "socket without SIGPIPE");
        if (!m) return m;
        BIO_meth_set_write(m, SendWithoutSignal);
        BIO_meth_set_read(m, BIO_meth_get_read(socket));
        BIO_meth_set_puts(m, BIO_meth_get_puts(socket));
        BIO_meth_set_ctrl(m, BIO_meth_get_ctrl(socket));
        BIO_meth_set_create(m, BIO_meth_get_create(socket));
        BIO_meth_set_destroy(m, BIO_meth_get_destroy(socket));
        return m;
    }();
    return method;
}

} // namespace

struct TlsChannel::State {
    SSL_CTX* context = nullptr;
    SSL* ssl = nullptr;
    int fd = -1;
    ~State() {
        if (ssl) SSL_free(ssl);
        if (context) SSL_CTX_free(context);
    }
};

TlsChannel::TlsChannel(std::unique_ptr<State> state) : state_(std::move(state)) {}
TlsChannel::~TlsChannel() = default;

TlsHandshake TlsChannel::Handshake(int fd, const std::string& host,
                                   std::chrono::milliseconds timeout, int cancelFd) {
    // A handshake the user cancelled runs on in its detached worker, possibly until the
    // program exits: OpenSSL must not tear itself down at exit under that worker.
    static const bool initialised = OPENSSL_init_ssl(OPENSSL_INIT_NO_ATEXIT, nullptr) == 1;
    (void)initialised;
    TlsHandshake result;
    auto state = std::make_unique<State>();
    state->fd = fd;
    state->context = SSL_CTX_new(TLS_client_method());
    if (!state->context) {
        result.error = LastError("no TLS context");
        return result;
    }
    SSL_CTX_set_min_proto_version(state->context, TLS1_2_VERSION);
    SSL_CTX_set_default_verify_paths(state->context);
    // The chain is checked but the handshake goes on, so that the user can be told why.
    SSL_CTX_set_verify(state->context, SSL_VERIFY_NONE, nullptr);
    state->ssl = SSL_new(state->context);
    BIO* socket = SocketWithoutSignal() ? BIO_new(SocketWithoutSignal()) : nullptr;
    if (!state->ssl || !socket) {
        if (socket) BIO_free(socket);
        result.error = LastError("no TLS session");
        return result;
    }
    BIO_int_ctrl(socket, BIO_C_SET_FD, BIO_NOCLOSE, fd);
    SSL_set_bio(state->ssl, socket, socket); // the session owns it from here
    SSL_set_mode(state->ssl, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    X509_VERIFY_PARAM* check = SSL_get0_param(state->ssl);
    if (IsAddress(host)) {
        X509_VERIFY_PARAM_set1_ip_asc(check, host.c_str());
    } else {
        // SSL_set_tlsext_host_name, without its macro's old-style cast.
        SSL_ctrl(state->ssl, SSL_CTRL_SET_TLSEXT_HOSTNAME, TLSEXT_NAMETYPE_host_name,
                 const_cast<char*>(host.c_str()));
        X509_VERIFY_PARAM_set1_host(check, host.c_str(), 0);
    }

    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        ERR_clear_error();
        const int status = SSL_connect(state->ssl);
        if (status == 1) break;
        const int error = SSL_get_error(state->ssl, status);
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if ((error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE) && left.count() > 0 &&
            WaitFor(fd, error == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT,
                    static_cast<int>(left.count()), cancelFd))
            continue;
        result.error = left.count() <= 0 ? "the secure handshake timed out"
                                         : LastError("the server ended the secure handshake");
        return result;
    }

    X509* certificate = SSL_get1_peer_certificate(state->ssl);
    result.fingerprint = Fingerprint(certificate);
    const long verify = SSL_get_verify_result(state->ssl);
    result.verified = certificate && verify == X509_V_OK;
    if (!certificate)
        result.problem = "the server sent no certificate";
    else if (verify != X509_V_OK)
        result.problem = X509_verify_cert_error_string(verify);
    X509_free(certificate);
    result.version = SSL_get_version(state->ssl);
    result.channel.reset(new TlsChannel(std::move(state)));
    return result;
}

long TlsChannel::Read(char* buffer, std::size_t size) {
    ERR_clear_error();
    std::size_t read = 0;
    const int status = SSL_read_ex(state_->ssl, buffer, size, &read);
    if (status == 1) return static_cast<long>(read);
    const int error = SSL_get_error(state_->ssl, status);
    if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE) return 0;
    return -1; // closed (SSL_ERROR_ZERO_RETURN) or failed
}

bool TlsChannel::Pending() const {
    return SSL_pending(state_->ssl) > 0;
}

long TlsChannel::Write(std::string_view bytes) {
    if (bytes.empty()) return 0;
    ERR_clear_error();
    std::size_t written = 0;
    const int status = SSL_write_ex(state_->ssl, bytes.data(), bytes.size(), &written);
    if (status == 1) return static_cast<long>(written);
    const int error = SSL_get_error(state_->ssl, status);
    return error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE ? 0 : -1;
}

void TlsChannel::Shutdown() {
    ERR_clear_error();
    SSL_shutdown(state_->ssl);
}

} // namespace tav
