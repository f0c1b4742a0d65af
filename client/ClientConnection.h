#pragma once

#include "client/BatchingEventLoop.h"
#include "client/ClientFiles.h"
#include "client/ClientRequests.h"
#include "client/QueuedClientWindows.h"
#include "client/QueuedStatusBar.h"
#include "term/TermServices.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tav {

class AddressCheck;
class ClientMessageHandler;
class ClientSound;
class ClientWindows;
class EventLoop;
class LogSink;
class PendingEdit;
class StatusBarSink;
struct OutgoingMessage;
struct Settings;

// What the Client connection reaches outside itself. windows and status are called only
// on the loop's thread (the connection queues its calls there); sound and log are called
// at once from either thread (SoundPlayer and ClientLog take that); boxes and address are
// used by Connect on the calling (user-interface) thread; pendingEdit is shared by both
// threads. pingStamp is the time of the last ping tick (TermSession::PingStamp), which a
// ping response is measured from.
struct ClientServices {
    EventLoop& loop;
    ClientWindows& windows;
    ClientSound& sound;
    StatusBarSink& status;
    LogSink& log;
    MessageBoxes& boxes;
    AddressCheck& address;
    IntervalClock& clock;
    PendingEdit& pendingEdit;
    const std::atomic<std::int32_t>& pingStamp;
};

// The Client connection: the framed message connection to the game port plus one. The
// user-interface thread drives it: Connect, Disconnect, the ping tick (SendPing) and the
// requests of the windows. Connect checks the settings, then hands the lookup, the
// connect and the login to a network thread of its own, which then waits on the socket,
// reads every frame and has it handled; the window effects of the messages reach the
// user-interface thread through its loop, in the order the messages arrived, while sound
// is played and stopped at once, between the log lines around it.
// Each connection has its own socket and thread; Disconnect, from either thread, shuts
// that socket down so its thread ends promptly, and an old thread never touches a newer
// connection. Construct and destroy it on the loop's thread; the destructor ends the
// connection and waits for the network threads.
class ClientConnection final : public ClientControl, public ClientRequests {
public:
    // filesRoot: where "text" and "binary" are (the working directory by default);
    // downloadLimit: the most bytes each connection may store there.
    ClientConnection(const Settings& settings, ClientServices services, std::string filesRoot = ".",
                     std::uint64_t downloadLimit = kDownloadLimitBytes);
    ~ClientConnection() override;
    ClientConnection(const ClientConnection&) = delete;
    ClientConnection& operator=(const ClientConnection&) = delete;

    // --- ClientControl -----------------------------------------------------------
    bool IsConnected() override;
    // Does nothing while connected or still connecting.
    void Connect() override;
    // Sends a `ping` (nothing while not connected); the tick has stamped the time.
    void SendPing() override;
    void PollSoundPlayer() override;

    // Safe from either thread and when not connected; also abandons a connect in
    // progress.
    void Disconnect();
    // From Connect until the connection is up or has failed.
    bool Connecting() const;
    // Whether a network thread of this connection is still running.
    bool ThreadRunning() const;

    // --- ClientRequests ----------------------------------------------------------
    std::ptrdiff_t SendEditReply(std::string_view text) override;
    std::ptrdiff_t SendCommand(std::string_view commandLine) override;
    std::ptrdiff_t SendHelpIndexRequest() override;
    std::ptrdiff_t SendHelpFileRequest(std::string_view topic) override;
    std::ptrdiff_t SendBindexRequest() override;
    std::ptrdiff_t SendMsgIndexRequest(std::int32_t board) override;
    std::ptrdiff_t SendMsgRequest(std::int32_t board, std::int32_t position) override;
    std::ptrdiff_t SendMsgDelete(std::int32_t board, std::int32_t position) override;
    std::ptrdiff_t SendMsgPost(std::int32_t board, std::string_view heading) override;

private:
    struct Session;
    struct Worker {
        std::thread thread;
        std::shared_ptr<Session> session;
    };
    void Run(const std::shared_ptr<Session>& session);
    void Serve(Session& session);
    void EndSession(Session& session);
    void DisconnectSession(Session& session);
    std::shared_ptr<Session> Current() const;
    void ReapFinished();
    // Sends on the current connection; -1 (after the debug line) when there is none.
    std::ptrdiff_t SendRequest(const OutgoingMessage& message);
    bool Debug() const;

    const Settings& settings_;
    ClientServices services_;
    ClientFiles files_;
    std::uint64_t downloadLimit_;
    BatchingEventLoop batched_; // one wake of the loop per burst of effects
    QueuedClientWindows windows_;
    QueuedStatusBar status_;

    mutable std::mutex mutex_;
    std::shared_ptr<Session> current_;
    std::vector<Worker> workers_;
};

} // namespace tav
