#pragma once

#include "client/StreamSocket.h"
#include "net/TcpOpen.h"

#include <atomic>
#include <chrono>
#include <string>
#include <vector>

namespace tav {

// Send buffer size set on the socket before it connects.
inline constexpr int kClientSendBufferBytes = 8320;
// Bytes taken from the kernel in one receive; the frame reader's smaller receives are then
// served from them, so a stream of small frames costs few system calls.
inline constexpr std::size_t kReadAheadBytes = 64 * 1024;

// The Client connection's TCP socket, non-blocking, with a wake pipe beside it. The
// thread that serves it opens it, waits on it and transfers on it; Shutdown(), from any
// thread, makes every wait return at once and every later transfer fail, so that thread
// can notice and end. The descriptor is closed only by the destructor, so it is never
// reused while anyone still holds this object.
class ClientSocket final : public StreamSocket {
public:
    ClientSocket();
    ~ClientSocket() override;
    ClientSocket(const ClientSocket&) = delete;
    ClientSocket& operator=(const ClientSocket&) = delete;

    // Opens the connection with OpenTcp (send buffer kClientSendBufferBytes, address reuse,
    // no linger); Cancelled when Shutdown() came first or meanwhile.
    OpenStage Open(const std::string& host, int port, std::chrono::milliseconds timeout);

    void Shutdown();
    bool IsShut() const { return shut_.load(); }

    enum class Readiness { Readable, Shut, Failed };
    // Waits without a time limit until the socket is readable (data, end of stream or an
    // error) or shut down; at once when received bytes are still waiting to be taken.
    Readiness WaitReadable();

    IoResult Receive(std::span<std::uint8_t> buffer) override;
    IoResult Send(std::span<const std::uint8_t> bytes) override;
    void WaitReady(IoDirection direction) override;

private:
    bool Wait(short events, int timeoutMs, bool& ready);

    std::atomic<int> fd_{-1};
    std::atomic<bool> shut_{false};
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    // Received and not yet taken: readAhead_[readAt_, readEnd_). Network thread only.
    std::vector<std::uint8_t> readAhead_;
    std::size_t readAt_ = 0;
    std::size_t readEnd_ = 0;
};

} // namespace tav
