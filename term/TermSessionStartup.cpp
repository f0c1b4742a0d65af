// The Term session's start: the automatic connect and login of a profile, the Client
// connection's countdown after it, and the session's periodic timers.
#include "term/TermSession.h"

#include <algorithm>
#include <string>

namespace tav {

namespace {

// How long a connect login waits for the game's first line.
constexpr int kLoginLineWaitMs = 2000;

std::string CountdownText(int seconds) {
    return "Attempting client connect in " + std::to_string(seconds) + " secs...";
}

} // namespace

// --- start-up and timers ------------------------------------------------------------

void TermSession::AutoConnect() {
    if (!settings_.autoterm) {
        ClientAutoConnect(false);
        return;
    }
    auto afterTerm = [this](int result) {
        if (result < 0) {
            PrintLocal("TavTerm autoconnection failure...\r\n");
            ClientAutoConnect(false);
            return;
        }
        if (!connectLogin_) {
            LogIn();
            return;
        }
        // The login follows the game's first line, or a pause where none comes.
        loginAwaitsLine_ = connectionSerial_;
        loop_.SingleShot(kLoginLineWaitMs, [this, alive = std::weak_ptr<int>(alive_),
                                            connection = connectionSerial_] {
            if (alive.expired() || connection != connectionSerial_ || !connected_ ||
                loginAwaitsLine_ != connection)
                return;
            loginAwaitsLine_ = 0;
            LogIn();
        });
    };
    if (TermConnect(afterTerm) < 0) afterTerm(-1);
}

void TermSession::LogIn() {
    if (connectLogin_) {
        // A name of more than one word is quoted, as these games read it.
        const std::string_view user = settings_.user;
        const std::string name = user.find(' ') == std::string_view::npos
                                     ? std::string(user)
                                     : '"' + std::string(user) + '"';
        TermSend(GameBytes("connect " + name + " " + settings_.passwd), false, false);
    } else {
        TermSend(GameBytes(settings_.user), false, false);
        TermSend(GameBytes(settings_.passwd), false, false);
    }
    // The pause before the login commands runs on a timer, not by blocking. It ends
    // with its connection: a disconnect or a profile switch within it sends no login
    // commands (nor the next profile's) and starts no Client countdown.
    loop_.SingleShot(1000,
                     [this, alive = std::weak_ptr<int>(alive_), connection = connectionSerial_] {
                         if (alive.expired() || connection != connectionSerial_ || !connected_)
                             return;
                         SendCommandString(settings_.logincom);
                         ClientAutoConnect(true);
                     });
}

void TermSession::ClientAutoConnect(bool termConnected) {
    if (!settings_.autoclient) return;
    auto connectNow = [this] {
        if (services_.client && !services_.client->IsConnected()) services_.client->Connect();
    };
    if (!settings_.waitclient) {
        connectNow();
    } else if (termConnected) {
        const int seconds = DecimalValue(settings_.waitsecs);
        if (seconds < 1) {
            connectNow();
            return;
        }
        countdown_ = std::min(seconds, kMaxCountdownSeconds);
        loop_.StartTimer(kCountdownTimer, 1000, [this] { OnTimer(kCountdownTimer); });
        LogLine(CountdownText(countdown_));
    } else {
        LogLine("Cancelling client autoconnect...");
    }
}

void TermSession::StartTimers() {
    loop_.StartTimer(kCursorBlinkTimer, 500, [this] { OnTimer(kCursorBlinkTimer); });
    loop_.StartTimer(kSoundPollTimer, 500, [this] { OnTimer(kSoundPollTimer); });
    loop_.StartTimer(kPingTimer, 10000, [this] { OnTimer(kPingTimer); });
}

void TermSession::OnTimer(int id) {
    ClientControl* client = services_.client;
    const bool clientConnected = client && client->IsConnected();
    switch (id) {
    case kSoundPollTimer:
        if (clientConnected) client->PollSoundPlayer();
        break;
    case kPingTimer:
        if (services_.clock) lastPingTime_.store(services_.clock->NowMs());
        if (!settings_.noautoping && clientConnected)
            client->SendPing();
        else if (services_.status)
            services_.status->SetLatencyText("- - -");
        break;
    case kCountdownTimer:
        if (--countdown_ > 0) {
            LogLine(CountdownText(countdown_));
            break;
        }
        loop_.StopTimer(kCountdownTimer);
        LogLine("Attempting client autoconnect...");
        if (client && !client->IsConnected()) client->Connect();
        break;
    case kReconnectTimer: ReconnectTick(); break;
    case kCursorBlinkTimer:
        UpdateWindowSize(); // a resized window's new size in cells, for NAWS
        if (!services_.window) break;
        if (settings_.cursorline)
            services_.window->ToggleCursor(CursorStyle::Line);
        else if (settings_.cursorblock)
            services_.window->ToggleCursor(CursorStyle::Block);
        break;
    default: break;
    }
}

} // namespace tav
