#include "client/ClientConnection.h"

#include "client/AddressCheck.h"
#include "client/ClientLink.h"
#include "client/ClientMessageHandler.h"
#include "client/ClientSender.h"
#include "client/ClientSocket.h"
#include "client/ClientSound.h"
#include "client/ClientWire.h"
#include "client/OutgoingMessage.h"
#include "client/TransferGauge.h"
#include "settings/LogSink.h"
#include "settings/Settings.h"

#include <cstdio>
#include <utility>

namespace tav {

namespace {

enum class State { Connecting, Connected, Ended };

std::string HostLine(const char* lead, const std::string& host, int port) {
    char line[512];
    std::snprintf(line, sizeof line, "%s %s %d", lead, host.c_str(), port);
    return line;
}

} // namespace

// One connection attempt and, once it is up, the connection itself: its socket, its wire
// and sender, and its state. The network thread serving it and any sender on the
// user-interface thread hold it; the socket is closed when the last of them lets go.
struct ClientConnection::Session final : ClientLink, TransferGauge {
    Session(ClientConnection& owner, std::string hostText, int gamePort, std::string userName,
            std::string password)
        : connection(owner), host(std::move(hostText)), port(gamePort), user(std::move(userName)),
          passwd(std::move(password)), wire(*this, owner.services_.log, *this, owner.settings_),
          sender(wire, *this, owner.services_.log, owner.settings_) {}

    bool IsConnected() const override { return state.load() == State::Connected; }
    void Disconnect() override { connection.DisconnectSession(*this); }
    StreamSocket& SendSocket() override { return socket; }
    // The gauge shows nothing for transfers below kProgressThreshold bytes, and is always
    // empty when one starts, so their reports are not queued at all. A transfer cut short
    // by the end of the connection does not show up after the gauge's reset.
    void ShowProgress(std::int64_t received, std::int64_t total) override {
        if (total < static_cast<std::int64_t>(kProgressThreshold)) return;
        const std::lock_guard<std::mutex> lock(effects);
        if (state.load() != State::Ended) connection.status_.ShowProgress(received, total);
    }

    ClientConnection& connection;
    const std::string host;
    const int port; // the game port; the connection goes to port + 1
    const std::string user;
    const std::string passwd;
    std::atomic<State> state{State::Connecting};
    std::atomic<bool> finished{false}; // its thread has nothing left to do
    std::mutex effects;                // orders the end's effects after the gauge's
    ClientSocket socket;
    ClientWire wire;
    ClientSender sender;
};

ClientConnection::ClientConnection(const Settings& settings, ClientServices services,
                                   std::string filesRoot, std::uint64_t downloadLimit)
    : settings_(settings), services_(services), files_(std::move(filesRoot)),
      downloadLimit_(downloadLimit), batched_(services.loop), windows_(batched_, services.windows),
      status_(batched_, services.status) {}

ClientConnection::~ClientConnection() {
    std::vector<Worker> workers;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        workers.swap(workers_);
        current_.reset();
    }
    for (Worker& worker : workers)
        EndSession(*worker.session);
    // A thread held by a message box that will never be shown now must not wait for it.
    windows_.ReleaseWaiters();
    for (Worker& worker : workers)
        worker.thread.join();
}

bool ClientConnection::Debug() const {
    return settings_.cdmdebug != 0;
}

std::shared_ptr<ClientConnection::Session> ClientConnection::Current() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return current_;
}

bool ClientConnection::IsConnected() {
    const std::shared_ptr<Session> session = Current();
    return session && session->IsConnected();
}

bool ClientConnection::Connecting() const {
    const std::shared_ptr<Session> session = Current();
    return session && session->state.load() == State::Connecting;
}

bool ClientConnection::ThreadRunning() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    for (const Worker& worker : workers_)
        if (!worker.session->finished.load()) return true;
    return false;
}

void ClientConnection::ReapFinished() {
    for (auto it = workers_.begin(); it != workers_.end();) {
        if (it->session->finished.load()) {
            it->thread.join();
            it = workers_.erase(it);
        } else {
            ++it;
        }
    }
}

void ClientConnection::Connect() {
    if (const std::shared_ptr<Session> session = Current();
        session && session->state.load() != State::Ended)
        return;
    if (settings_.user[0] == '\0') {
        services_.boxes.ShowMessage("You must enter a username.", "Error...");
        return;
    }
    if (settings_.passwd[0] == '\0') {
        services_.boxes.ShowMessage("You must enter a password.", "Error...");
        return;
    }
    if (!services_.address.ValidateAddress()) return;
    const int port = services_.address.PortNumber();

    services_.log.LogLine(HostLine("Attempting to connect to", settings_.addy, port));
    status_.ShowClientState(false);

    auto session =
        std::make_shared<Session>(*this, settings_.addy, port, settings_.user, settings_.passwd);
    const std::lock_guard<std::mutex> lock(mutex_);
    ReapFinished();
    current_ = session;
    workers_.push_back({std::thread([this, session] { Run(session); }), session});
}

void ClientConnection::Run(const std::shared_ptr<Session>& session) {
    Session& s = *session;
    LogSink& log = services_.log;
    const OpenStage stage =
        s.socket.Open(s.host, s.port + 1, std::chrono::milliseconds(kConnectTimeout));
    switch (stage) {
    case OpenStage::Connected: break;
    case OpenStage::Resolve: log.LogLine("Unable to resolve hostname."); break;
    case OpenStage::Socket: log.LogLine("Unable to open network connection (socket())."); break;
    case OpenStage::SocketOption: log.LogLine("Setsockopt error (socket())."); break;
    case OpenStage::Connect: log.LogLine("Connection refused."); break;
    case OpenStage::Cancelled: // abandoned by Disconnect
        break;
    }

    if (stage == OpenStage::Connected) {
        s.sender.SendLoginRequest(s.user, s.passwd);
        if (Debug()) log.LogLine("Creating network thread.");
        bool up = false;
        {
            const std::lock_guard<std::mutex> lock(s.effects);
            State expected = State::Connecting;
            up = s.state.compare_exchange_strong(expected, State::Connected);
            if (up) status_.ShowClientState(true);
        }
        if (up) {
            log.LogLine(HostLine("Connected to", s.host, s.port));
            Serve(s);
            log.LogLine("Disconnecting...");
            s.Disconnect();
        }
    }
    s.state.store(State::Ended);
    s.finished.store(true);
}

void ClientConnection::Serve(Session& s) {
    ClientMessageHandler handler(HandlerServices{
        settings_, windows_, services_.sound, status_, services_.log, files_, services_.pendingEdit,
        services_.clock, services_.pingStamp, downloadLimit_});
    while (s.IsConnected()) {
        switch (s.socket.WaitReadable()) {
        case ClientSocket::Readiness::Readable: {
            ReadResult read = s.wire.read_dblock(s.socket);
            if (!read.Ok() || !handler.Handle(std::move(*read.message), s, s.sender))
                s.Disconnect();
            break;
        }
        case ClientSocket::Readiness::Shut:
        case ClientSocket::Readiness::Failed: s.Disconnect(); break;
        }
    }
}

void ClientConnection::DisconnectSession(Session& session) {
    if (Debug()) services_.log.LogLine("Disconnecting...");
    EndSession(session);
}

void ClientConnection::EndSession(Session& session) {
    const std::lock_guard<std::mutex> lock(session.effects);
    const State was = session.state.exchange(State::Ended);
    if (was == State::Ended) return;
    if (was == State::Connected) services_.sound.StopSound();
    session.socket.Shutdown();
    if (was != State::Connected) return;
    status_.ShowClientState(false);
    status_.ShowProgress(0, 0);
}

void ClientConnection::Disconnect() {
    if (const std::shared_ptr<Session> session = Current())
        DisconnectSession(*session);
    else if (Debug())
        services_.log.LogLine("Disconnecting...");
}

void ClientConnection::SendPing() {
    if (const std::shared_ptr<Session> session = Current()) session->sender.SendPing();
}

void ClientConnection::PollSoundPlayer() {
    services_.sound.PollSoundPlayer();
}

std::ptrdiff_t ClientConnection::SendRequest(const OutgoingMessage& message) {
    if (const std::shared_ptr<Session> session = Current(); session && session->IsConnected())
        return session->sender.Send(message);
    // Nothing goes out, but the debug line is written as for any send.
    if (Debug()) {
        if (const std::string line = SendDebugLine(message); !line.empty())
            services_.log.LogLine(line);
    }
    return -1;
}

std::ptrdiff_t ClientConnection::SendEditReply(std::string_view text) {
    return SendRequest(BuildEditReply(text));
}

std::ptrdiff_t ClientConnection::SendCommand(std::string_view commandLine) {
    return SendRequest(BuildCommand(commandLine));
}

std::ptrdiff_t ClientConnection::SendHelpIndexRequest() {
    return SendRequest(BuildHelpIndexRequest());
}

std::ptrdiff_t ClientConnection::SendHelpFileRequest(std::string_view topic) {
    return SendRequest(BuildHelpFileRequest(topic));
}

std::ptrdiff_t ClientConnection::SendBindexRequest() {
    return SendRequest(BuildBindexRequest());
}

std::ptrdiff_t ClientConnection::SendMsgIndexRequest(std::int32_t board) {
    return SendRequest(BuildMsgIndexRequest(board));
}

std::ptrdiff_t ClientConnection::SendMsgRequest(std::int32_t board, std::int32_t position) {
    return SendRequest(BuildMsgRequest(board, position));
}

std::ptrdiff_t ClientConnection::SendMsgDelete(std::int32_t board, std::int32_t position) {
    return SendRequest(BuildMsgDelete(board, position));
}

std::ptrdiff_t ClientConnection::SendMsgPost(std::int32_t board, std::string_view heading) {
    return SendRequest(BuildMsgPost(board, heading));
}

} // namespace tav
