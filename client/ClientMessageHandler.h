#pragma once

#include "client/ClientMessage.h"
#include "client/ClientWindows.h"

#include <atomic>
#include <cstdint>
#include <string_view>

namespace tav {

class ClientFiles;
class ClientLink;
class ClientSender;
class ClientSound;
class LogSink;
class PendingEdit;
class StatusBarSink;
class IntervalClock;
struct Settings;

// What the message handler reaches outside itself.
struct HandlerServices {
    const Settings& settings;
    ClientWindows& windows; // window effects, made on the user-interface thread
    ClientSound& sound;     // called at once, so its log lines keep their place
    StatusBarSink& status;  // latency text
    LogSink& log;
    const ClientFiles& files;
    PendingEdit& pendingEdit;
    IntervalClock& clock;
    // Time of the last ping tick in wrapping milliseconds (IntervalClock::NowMs), stamped by
    // the terminal's ping timer on every tick.
    const std::atomic<std::int32_t>& lastPingMs;
    // The most bytes the downloads of this connection may store (kDownloadLimitBytes).
    std::uint64_t downloadLimit;
};

// Carries out what one received message means: the debug line, then the effect on the
// windows, the files under "text" and "binary", sound, and the answers to the server.
// It has no socket: the connection reads the frame and hands the message over together
// with the link it arrived on (for a `disconnect`) and that link's sender (for the sound
// answers). One handler serves one connection, whose downloads it counts.
class ClientMessageHandler {
public:
    explicit ClientMessageHandler(HandlerServices services) : s_(services) {}

    // False when the connection must end (a download that cannot be written).
    bool Handle(ClientMessage message, ClientLink& link, ClientSender& sender);

private:
    void Log(std::string_view line);
    // Counts `bytes` as downloaded when they fit in the connection's limit; otherwise
    // logs that `path` is not written and counts nothing.
    bool TakeDownload(std::string_view path, std::uint64_t bytes);
    void ShowText(ClientScreen screen, const ClientMessage& message, bool clear);
    // False when the file cannot be opened for writing.
    bool TextFile(const ClientMessage& message);
    bool SoundFile(const ClientMessage& message);
    void SoundQuery(const ClientMessage& message, ClientSender& sender);
    void Identification(const ClientMessage& message);
    void PingResponse();
    void EditRequest(ClientMessage message);

    HandlerServices s_;
    std::uint64_t downloaded_ = 0;
};

} // namespace tav
