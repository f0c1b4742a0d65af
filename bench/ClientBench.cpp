// Client connection throughput: small frames (`hitmanamove` and `channel_txt`, as a busy
// game streams them) from a loopback peer, read by the network thread, handled, and their
// window effects run on the loop's thread. The reference in the same run is the core-only
// rate: the same bytes read from memory by the frame reader and handled with the effects
// counted directly. Prints messages per second for both.

#include "client/AddressCheck.h"
#include "client/ClientConnection.h"
#include "client/ClientFiles.h"
#include "client/ClientLink.h"
#include "client/ClientMessageHandler.h"
#include "client/ClientSender.h"
#include "client/ClientSound.h"
#include "client/ClientWindows.h"
#include "client/ClientWire.h"
#include "client/MessageHeader.h"
#include "client/PendingEdit.h"
#include "client/StatusBarSink.h"
#include "client/StreamSocket.h"
#include "client/TransferGauge.h"
#include "settings/LogSink.h"
#include "settings/Settings.h"
#include "term/PollEventLoop.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace tav;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kMessages = 100000;
constexpr int kRuns = 3;

std::string Frame(std::int32_t type, std::string_view text1, std::string_view data) {
    MessageHeader header;
    header.type = type;
    SetText(header.text1, text1);
    header.data_len = static_cast<std::int32_t>(data.size());
    std::string frame(kLengthBytes + kHeaderBytes, '\0');
    auto* bytes = reinterpret_cast<std::uint8_t*>(frame.data());
    StoreLe32(bytes, static_cast<std::uint32_t>(kHeaderBytes + data.size()));
    EncodeHeader(header, std::span<std::uint8_t, kHeaderBytes>(bytes + kLengthBytes, kHeaderBytes));
    frame += data;
    return frame;
}

// kMessages frames, hit/mana/move and channel lines taking turns, then a `levelreport`
// that marks the end.
std::string Stream() {
    std::string stream;
    for (std::size_t i = 0; i < kMessages; ++i) {
        if (i % 2 == 0) {
            stream += Frame(
                66, std::to_string(100 + i % 50) + "/150 80/120 " + std::to_string(i % 90) + "/90",
                {});
        } else {
            stream += Frame(60, {},
                            std::string("\x1b[1;33mBob gossips: anyone up for the tower? #") +
                                std::to_string(i) + "\x1b[0m\r\n" + '\0');
        }
    }
    return stream + Frame(67, "99", {});
}

struct CountingWindows final : ClientWindows {
    std::size_t messages = 0;
    bool ended = false;
    void ClearScreen(ClientScreen) override {}
    void AppendText(ClientScreen, std::string_view) override { ++messages; }
    void SetMap(const MapGrid&) override {}
    void SetStatusValues(const HitManaMove&) override { ++messages; }
    void SetGauge(int, int, int) override {}
    void SetBoardIndex(std::vector<BoardEntry>) override {}
    void SetMessageIndex(std::vector<std::string>) override {}
    void BoardUpdate(int) override {}
    void SetHelpIndex(std::vector<std::string>) override {}
    void ShowIdentification(std::string_view, std::string_view, std::string_view) override {}
    void SetCharacterLevel(int) override { ended = true; }
    void SetTimeAndDate(std::string_view, std::string_view) override {}
    void ShowMessageBox(std::string_view, std::string_view) override {}
    void PostCommand(int) override {}
};

struct Quiet final : LogSink,
                     StatusBarSink,
                     TransferGauge,
                     IntervalClock,
                     MessageBoxes,
                     ClientSound {
    void LogLine(std::string_view) override {}
    void PlaySound(std::string_view) override {}
    void StopSound() override {}
    void PollSoundPlayer() override {}
    void ShowProgress(std::int64_t, std::int64_t) override {}
    std::int32_t NowMs() override { return 0; }
    void ShowMessage(std::string_view, std::string_view) override {}
};

// The stream from memory, as the socket would deliver it.
struct MemorySocket final : StreamSocket {
    const std::string& bytes;
    std::size_t at = 0;
    explicit MemorySocket(const std::string& b) : bytes(b) {}
    IoResult Receive(std::span<std::uint8_t> buffer) override {
        const std::size_t n = std::min(buffer.size(), bytes.size() - at);
        std::memcpy(buffer.data(), bytes.data() + at, n);
        at += n;
        return {static_cast<std::ptrdiff_t>(n), 0};
    }
    IoResult Send(std::span<const std::uint8_t> b) override {
        return {static_cast<std::ptrdiff_t>(b.size()), 0};
    }
    void WaitReady(IoDirection) override {}
};

struct MemoryLink final : ClientLink {
    StreamSocket& socket;
    explicit MemoryLink(StreamSocket& s) : socket(s) {}
    bool IsConnected() const override { return true; }
    void Disconnect() override {}
    StreamSocket& SendSocket() override { return socket; }
};

double CoreOnly(const std::string& stream) {
    Settings settings{};
    Quiet quiet;
    CountingWindows windows;
    ClientFiles files;
    PendingEdit pending;
    std::atomic<std::int32_t> ping{0};
    MemorySocket socket(stream);
    MemoryLink link(socket);
    ClientWire wire(link, quiet, quiet, settings);
    ClientSender sender(wire, link, quiet, settings);
    ClientMessageHandler handler(HandlerServices{settings, windows, quiet, quiet, quiet, files,
                                                 pending, quiet, ping, kDownloadLimitBytes});
    const auto start = Clock::now();
    while (!windows.ended) {
        ReadResult read = wire.read_dblock(socket);
        if (!read.Ok()) break;
        handler.Handle(std::move(*read.message), link, sender);
    }
    const std::chrono::duration<double> took = Clock::now() - start;
    return static_cast<double>(windows.messages) / took.count();
}

struct Peer {
    int listenFd = -1;
    int port = 0;
    Peer() {
        listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        for (int candidate = 24001 + ::getpid() % 3000 * 2; candidate < 31998; candidate += 2) {
            sockaddr_in addr{};
            addr.sin_family = AF_INET;
            addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            addr.sin_port = htons(static_cast<std::uint16_t>(candidate));
            if (::bind(listenFd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
                ::listen(listenFd, 1) == 0) {
                port = candidate;
                return;
            }
        }
    }
    ~Peer() { ::close(listenFd); }
};

struct Rates {
    double read;    // handled on the network thread
    double windows; // effects run on the loop's thread
};

Rates EndToEnd(const std::string& stream) {
    Peer peer;
    Settings settings{};
    CopyField(settings.user, "bench");
    CopyField(settings.passwd, "bench");
    CopyField(settings.addy, "127.0.0.1");
    CopyField(settings.port, std::to_string(peer.port - 1).c_str());
    struct Port final : AddressCheck {
        int port;
        bool ValidateAddress() override { return true; }
        int PortNumber() const override { return port; }
    } address;
    address.port = peer.port - 1;

    PollEventLoop loop;
    CountingWindows windows;
    Quiet quiet;
    PendingEdit pending;
    // The end marker's log line tells when the network thread has handled everything.
    struct EndLog final : LogSink {
        std::atomic<bool> ended{false};
        std::atomic<long long> endNs{0};
        void LogLine(std::string_view line) override {
            if (line != "Level reported as 99.") return;
            endNs = Clock::now().time_since_epoch().count();
            ended = true;
        }
    } log;
    const std::atomic<std::int32_t> pingStamp{0};
    ClientConnection connection(settings, ClientServices{loop, windows, quiet, quiet, log, quiet,
                                                         address, quiet, pending, pingStamp});

    std::atomic<long long> startNs{0};
    std::thread server([&] {
        const int fd = ::accept(peer.listenFd, nullptr, nullptr);
        char login[kLengthBytes + kHeaderBytes];
        std::size_t got = 0;
        while (got < sizeof login) {
            const ssize_t n = ::recv(fd, login + got, sizeof login - got, 0);
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
        startNs = Clock::now().time_since_epoch().count();
        std::size_t sent = 0;
        while (sent < stream.size()) {
            const ssize_t n = ::send(fd, stream.data() + sent, stream.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) break;
            sent += static_cast<std::size_t>(n);
        }
        while (!log.ended)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ::close(fd);
    });
    connection.Connect();
    loop.RunUntil([&] { return windows.ended; }, std::chrono::seconds(60));
    const auto windowsEnd = Clock::now();
    server.join();
    connection.Disconnect();
    const Clock::time_point start{Clock::duration(startNs.load())};
    const Clock::time_point readEnd{Clock::duration(log.endNs.load())};
    const std::chrono::duration<double> read = readEnd - start;
    const std::chrono::duration<double> all = windowsEnd - start;
    return {static_cast<double>(kMessages) / read.count(),
            static_cast<double>(windows.messages) / all.count()};
}

} // namespace

int main() {
    const std::string stream = Stream();
    std::printf("client_bench: %zu frames (%.1f MB), hitmanamove and channel_txt taking turns\n",
                kMessages, static_cast<double>(stream.size()) / 1e6);
    double core = 0;
    Rates best{0, 0};
    for (int run = 0; run < kRuns; ++run) {
        core = std::max(core, CoreOnly(stream));
        const Rates rates = EndToEnd(stream);
        best.read = std::max(best.read, rates.read);
        best.windows = std::max(best.windows, rates.windows);
    }
    std::printf("  core only (frame reader + handler, from memory): %10.0f messages/s\n", core);
    std::printf("  loopback, read and handled on the network thread: %9.0f messages/s\n",
                best.read);
    std::printf("  loopback, effects run on the loop's thread:       %9.0f messages/s\n",
                best.windows);
    std::printf("  loopback / core: %.2f\n", best.windows / core);
    return 0;
}
