#pragma once

#include "client/ClientLink.h"
#include "client/ClientWire.h"
#include "client/PosixSocket.h"
#include "client/TransferGauge.h"
#include "settings/LogSink.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace tav::test {

using Bytes = std::vector<std::uint8_t>;

struct RecordingLog : LogSink {
    std::vector<std::string> lines;
    void LogLine(std::string_view line) override { lines.emplace_back(line); }
};

struct RecordingGauge : TransferGauge {
    std::vector<std::pair<std::int64_t, std::int64_t>> reports;
    void ShowProgress(std::int64_t received, std::int64_t total) override {
        reports.emplace_back(received, total);
    }
};

struct FakeLink : ClientLink {
    explicit FakeLink(StreamSocket& s) : socket(s) {}
    StreamSocket& socket;
    bool connected = true;
    int disconnects = 0;
    bool IsConnected() const override { return connected; }
    void Disconnect() override {
        ++disconnects;
        connected = false;
    }
    StreamSocket& SendSocket() override { return socket; }
};

// A socket that replays a script: each receive returns at most the rest of the current
// piece; a piece may instead be an error number, and the end of the script is a close.
struct ScriptedSocket : StreamSocket {
    struct Step {
        Bytes bytes;
        int error = 0;
    };
    std::deque<Step> script;
    std::vector<std::size_t> asked;
    int waits = 0;
    Bytes sent;

    void Add(Bytes bytes) { script.push_back({std::move(bytes), 0}); }
    void AddError(int error) { script.push_back({{}, error}); }
    // The stream cut into pieces at the given offsets.
    void AddSplit(const Bytes& stream, const std::vector<std::size_t>& cuts) {
        std::size_t from = 0;
        for (std::size_t cut : cuts) {
            Add(Bytes(stream.begin() + from, stream.begin() + cut));
            from = cut;
        }
        Add(Bytes(stream.begin() + from, stream.end()));
    }
    std::size_t Remaining() const {
        std::size_t n = 0;
        for (const Step& s : script)
            n += s.bytes.size();
        return n;
    }

    IoResult Receive(std::span<std::uint8_t> buffer) override {
        asked.push_back(buffer.size());
        while (!script.empty() && script.front().error == 0 && script.front().bytes.empty())
            script.pop_front();
        if (script.empty()) return {0, 0};
        Step& step = script.front();
        if (step.error != 0) {
            const int error = step.error;
            script.pop_front();
            return {-1, error};
        }
        const std::size_t n = std::min(buffer.size(), step.bytes.size());
        std::copy_n(step.bytes.begin(), n, buffer.begin());
        step.bytes.erase(step.bytes.begin(), step.bytes.begin() + static_cast<std::ptrdiff_t>(n));
        return {static_cast<std::ptrdiff_t>(n), 0};
    }
    IoResult Send(std::span<const std::uint8_t> bytes) override {
        sent.insert(sent.end(), bytes.begin(), bytes.end());
        return {static_cast<std::ptrdiff_t>(bytes.size()), 0};
    }
    void WaitReady(IoDirection) override { ++waits; }
};

// The services a ClientWire needs, all recording, around one socket.
struct WireRig {
    explicit WireRig(StreamSocket& socket, bool debug = false) : link(socket) {
        settings.cdmdebug = debug ? 1 : 0;
    }
    Settings settings{};
    RecordingLog log;
    RecordingGauge gauge;
    FakeLink link;
    ClientWire wire{link, log, gauge, settings};
};

// A connected AF_UNIX stream socket pair, closed on destruction.
struct SocketPair {
    int fds[2] = {-1, -1};
    SocketPair() { EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0); }
    ~SocketPair() {
        for (int fd : fds)
            if (fd >= 0) ::close(fd);
    }
    void Close(int i) {
        ::close(fds[i]);
        fds[i] = -1;
    }
};

inline void WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n <= 0) return;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

inline Bytes ReadExactly(int fd, std::size_t size) {
    Bytes out(size);
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, out.data() + got, size - got);
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    out.resize(got);
    return out;
}

} // namespace tav::test
