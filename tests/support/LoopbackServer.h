#pragma once

#include <chrono>
#include <string>

namespace tav::test {

// A real TCP peer on 127.0.0.1 for the session tests: listens on a free port, accepts
// one client at a time, reads and writes raw bytes. Every wait is bounded.
class LoopbackServer {
public:
    LoopbackServer();
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    int Port() const { return port_; }
    bool Accept(std::chrono::milliseconds wait = std::chrono::seconds(5));
    void Send(const std::string& bytes);
    // Reads what arrives within `wait` (until nothing more comes for a short while).
    std::string Read(std::chrono::milliseconds wait = std::chrono::milliseconds(200));
    // True once the client has closed or reset its end within `wait` (what it sent before
    // is dropped).
    bool ClientClosed(std::chrono::milliseconds wait = std::chrono::seconds(5));
    void CloseClient();
    // Closes the client's connection with a reset instead of an orderly close.
    void ResetClient();

private:
    int listenFd_ = -1;
    int clientFd_ = -1;
    int port_ = 0;
};

// A port on 127.0.0.1 where nothing listens, held bound while the object lives so that a
// test running in parallel cannot start listening on it: connecting is refused at once.
class ClosedPort {
public:
    ClosedPort();
    ~ClosedPort();
    ClosedPort(const ClosedPort&) = delete;
    ClosedPort& operator=(const ClosedPort&) = delete;
    int Port() const { return port_; }

private:
    int port_ = 0;
    int fd_ = -1;
};

} // namespace tav::test
