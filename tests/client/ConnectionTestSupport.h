#pragma once

#include "client/AddressCheck.h"
#include "client/ClientConnection.h"
#include "client/ClientLink.h"
#include "client/ClientMessage.h"
#include "client/ClientSound.h"
#include "client/ClientWindows.h"
#include "client/ClientWire.h"
#include "client/MessageDecoder.h"
#include "client/MessageHeader.h"
#include "client/PendingEdit.h"
#include "client/PosixSocket.h"
#include "client/StatusBarSink.h"
#include "client/TransferGauge.h"
#include "settings/LogSink.h"
#include "settings/Settings.h"
#include "term/PollEventLoop.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/RecordingBoxes.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <mutex>
#include <sstream>
#include <sys/socket.h>
#include <unistd.h>

namespace tav::test {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

// Window effects as readable lines in order; counts calls off the loop's thread.
struct RecordingWindows : ClientWindows {
    std::vector<std::string> calls;
    std::thread::id uiThread = std::this_thread::get_id();
    int offThread = 0;

    template <typename... Parts> void Add(const Parts&... parts) {
        if (std::this_thread::get_id() != uiThread) ++offThread;
        std::ostringstream line;
        (line << ... << parts);
        calls.push_back(line.str());
    }
    static std::string Name(ClientScreen s) {
        static const char* const names[] = {"desc", "exits", "contents", "who", "channel",
                                            "eq",   "inv",   "boardmsg", "help"};
        return names[static_cast<int>(s)];
    }
    void ClearScreen(ClientScreen s) override { Add("clear ", Name(s)); }
    void AppendText(ClientScreen s, std::string_view t) override {
        Add("append ", Name(s), " ", t);
    }
    // A corner shows the call arrived; the decoders' tests check the contents.
    void SetMap(const MapGrid& g) override { Add("map ", g[21][21]); }
    void SetStatusValues(const HitManaMove& v) override { Add("status ", v.hit, "/", v.moveMax); }
    void SetGauge(int id, int value, int max) override { Add("gauge ", id, " ", value, " ", max); }
    void SetBoardIndex(std::vector<BoardEntry> b) override { Add("boards ", b.size()); }
    void SetMessageIndex(std::vector<std::string> l) override {
        Add("msgindex ", l.empty() ? "" : l[0]);
    }
    void BoardUpdate(int board) override { Add("brdupdate ", board); }
    void SetHelpIndex(std::vector<std::string> t) override { Add("helpindex ", t.size()); }
    void ShowIdentification(std::string_view n, std::string_view p, std::string_view t) override {
        Add("id ", n, " [", p, "] ", t);
    }
    void SetCharacterLevel(int level) override { Add("level ", level); }
    void SetTimeAndDate(std::string_view t, std::string_view d) override {
        Add("time [", t, "] [", d, "]");
    }
    void ShowMessageBox(std::string_view text, std::string_view title) override {
        Add("box ", title, " ", text);
    }
    void PostCommand(int id) override { Add("command ", id); }
};

struct RecordingStatus : StatusBarSink {
    std::vector<std::string> calls;
    void SetMessageText(std::string_view t) override { calls.push_back("msg " + std::string(t)); }
    void SetLatencyText(std::string_view t) override {
        calls.push_back("latency " + std::string(t));
    }
    void ShowClientState(bool on) override { calls.push_back(on ? "client on" : "client off"); }
    void ShowProgress(long long r, long long t) override {
        calls.push_back("progress " + std::to_string(r) + "/" + std::to_string(t));
    }
};

// A log callable from any thread.
struct SharedLog : LogSink {
    mutable std::mutex mutex;
    std::vector<std::string> lines;
    void LogLine(std::string_view line) override {
        const std::lock_guard<std::mutex> lock(mutex);
        lines.emplace_back(line);
    }
    std::vector<std::string> Lines() const {
        const std::lock_guard<std::mutex> lock(mutex);
        return lines;
    }
    bool Has(const std::string& line) const {
        const auto all = Lines();
        return std::find(all.begin(), all.end(), line) != all.end();
    }
    std::vector<std::string> After(std::size_t n) const {
        const auto all = Lines();
        return {all.begin() + static_cast<std::ptrdiff_t>(std::min(n, all.size())), all.end()};
    }
};

// Sound calls as readable lines, from whichever thread makes them.
struct RecordingSound : ClientSound {
    SharedLog lines;
    std::vector<std::string> Calls() const { return lines.Lines(); }
    void PlaySound(std::string_view path) override { lines.LogLine("play " + std::string(path)); }
    void StopSound() override { lines.LogLine("stop"); }
    void PollSoundPlayer() override { lines.LogLine("poll"); }
};

struct SettableClock : IntervalClock {
    std::atomic<std::int32_t> now{0};
    std::int32_t NowMs() override { return now.load(); }
};

// The port of the settings as the Term session reads it; `valid` is its check's verdict.
struct PortFromSettings : AddressCheck {
    explicit PortFromSettings(const Settings& s) : settings(s) {}
    const Settings& settings;
    bool valid = true;
    bool ValidateAddress() override { return valid; }
    int PortNumber() const override { return std::atoi(settings.port); }
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

// Replays a script: each receive gives at most the rest of the current piece; a piece
// may be an error number instead, and the script's end is a close.
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
    SharedLog log;
    RecordingGauge gauge;
    FakeLink link;
    ClientWire wire{link, log, gauge, settings};
};

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

// Waits for `size` bytes (fewer when the peer closes first).
inline Bytes ReadExactly(int fd, std::size_t size) {
    Bytes out(size);
    const ssize_t n = ::recv(fd, out.data(), size, MSG_WAITALL);
    out.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return out;
}

// Fixed-size NUL-padded records, as the index replies carry them.
inline std::string Records(std::size_t size, const std::vector<std::string>& texts) {
    std::string data;
    for (const std::string& text : texts) {
        std::string record = text.substr(0, size);
        record.resize(size, '\0');
        data += record;
    }
    return data;
}

// Board index entries: the number (32 bits, little-endian) and the title.
inline std::string BoardRecords(const std::vector<std::pair<std::int32_t, std::string>>& boards) {
    std::string data;
    for (const auto& [number, title] : boards) {
        for (int shift = 0; shift < 32; shift += 8)
            data += static_cast<char>((static_cast<std::uint32_t>(number) >> shift) & 0xFF);
        data += Records(kBoardTitleBytes, {title});
    }
    return data;
}

// One frame as the server sends it.
std::string ServerFrame(std::int32_t type, std::string_view text1 = {}, std::string_view text2 = {},
                        std::string_view data = {});
// The frames in a byte stream the client sent (whole frames only).
std::vector<ClientMessage> ParseFrames(const std::string& bytes);

// A ClientConnection to a loopback peer (on the game port + 1) with every outside part
// recorded.
struct ConnectionRig {
    Settings settings{};
    PollEventLoop loop;
    RecordingWindows windows;
    RecordingSound sound;
    RecordingStatus status;
    SharedLog log;
    RecordingBoxes boxes;
    PortFromSettings address{settings};
    SettableClock clock;
    PendingEdit pendingEdit;
    std::atomic<std::int32_t> pingStamp{0}; // the terminal's ping tick stamps it
    TempDir dir{"text", "binary"};
    LoopbackServer server;
    std::unique_ptr<ClientConnection> connection;

    explicit ConnectionRig(bool debug = false);
    // A new connection playing through `through`, its ping stamp `stamp`.
    void Rebuild(ClientSound& through, const std::atomic<std::int32_t>& stamp,
                 std::uint64_t limit = kDownloadLimitBytes);
    ::testing::AssertionResult ConnectAndLogin();
    bool Pump(const std::function<bool()>& done, std::chrono::milliseconds timeout = 3s) {
        return loop.RunUntil(done, timeout);
    }
    bool WaitForThreadEnd() {
        return Pump([&] { return !connection->ThreadRunning(); });
    }
    // The log after the two connect lines, once it holds at least n lines (or the time-out).
    std::vector<std::string> LogAfterConnect(std::size_t n) {
        Pump([&] { return log.Lines().size() >= n + 2; });
        return log.After(2);
    }
    std::vector<ClientMessage> ReadFrames(std::chrono::milliseconds wait = 300ms) {
        return ParseFrames(server.Read(wait));
    }
};

} // namespace tav::test
