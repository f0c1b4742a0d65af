// The Term connection's intake: blocks read from the socket, fed through the telnet
// layer to the screen, and the completed lines taken from it through the trigger pass.

#include "term/TermSession.h"

#include <cerrno>
#include <sys/socket.h>

namespace tav {

// --- receiving ----------------------------------------------------------------------

int TermSession::TermReceive() {
    const int result = ReceiveWaiting();
    // What the inflate thread still holds is shown before the wake ends, and before the
    // connection is lost when it was the last the server sent.
    if (!FinishInflating()) return -1;
    return result;
}

bool TermSession::FinishInflating() {
    if (!protocol_ || !protocol_->Inflating()) return true;
    protocol_->Flush();
    UpdateWindowSize();
    if (follower_) follower_->EndOfInput();
    AfterReceive();
    return connected_ && protocol_ && !protocol_->HasFailed();
}

int TermSession::ReceiveWaiting() {
    // After a failed send nothing more is read: the connection is ending.
    if (fd_ < 0 || !connected_) return -1;
    int total = 0;
    for (int block = 0; block < kReceiveBlocksPerWake && fd_ >= 0; ++block) {
        char buffer[kReceiveBlock];
        if (tls_) {
            const long n = tls_->Read(buffer, sizeof buffer);
            if (n < 0) return -1;
            if (n == 0) return total;
            ReceiveBlock(buffer, static_cast<std::size_t>(n));
            if (!connected_ || (protocol_ && protocol_->HasFailed())) return -1;
            total += static_cast<int>(n);
            continue;
        }
        const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
        if (n < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return total;
            return -1;
        }
        if (n == 0) return -1;
        ReceiveBlock(buffer, static_cast<std::size_t>(n));
        if (!connected_ || (protocol_ && protocol_->HasFailed())) return -1;
        total += static_cast<int>(n);
        if (static_cast<std::size_t>(n) < sizeof buffer) break; // nothing more waiting
    }
    // Text already decrypted waits inside the channel, where the socket's readiness does
    // not tell of it: read it on the loop's next turn.
    if (tls_ && tls_->Pending()) {
        loop_.Post([this, alive = std::weak_ptr<int>(alive_)] {
            if (!alive.expired() && Open() && TermReceive() < 0) LoseConnection();
        });
    }
    return total;
}

void TermSession::ReceiveBytes(const char* bytes, std::size_t count) {
    ReceiveBlock(bytes, count);
    FinishInflating();
}

void TermSession::ReceiveBlock(const char* bytes, std::size_t count) {
    if (protocol_) {
        protocol_->Receive(std::string_view(bytes, count));
        UpdateWindowSize();
        if (follower_) follower_->EndOfInput();
    } else {
        ShowServerBytes(std::string_view(bytes, count));
    }
    AfterReceive();
}

void TermSession::AfterReceive() {
    UpdateCursorText();
    DrainLines();
    if (!scriptGameData_.empty()) RunScriptGameData();
    if (loginDue_) {
        loginDue_ = false;
        if (connected_) LogIn();
    }
}

void TermSession::ShowServerBytes(std::string_view bytes) {
    if (loginAwaitsLine_ != 0 && loginAwaitsLine_ == connectionSerial_ &&
        bytes.find('\n') != std::string_view::npos) {
        loginAwaitsLine_ = 0;
        loginDue_ = true; // sent once the bytes read so far are processed
    }
    const ScreenResult result = screen_.AddText(bytes);
    if (result == ScreenResult::EchoOff && !inputVisible_) {
        inputVisible_ = true;
        SetMasked(false);
    } else if (result == ScreenResult::EchoOn && inputVisible_ && !settings_.neverhidepw) {
        inputVisible_ = false;
        SetMasked(true);
    }
}

void TermSession::DrainLines() {
    // The screen keeps each completed line until it is taken here, oldest first. A line
    // printed while one is being processed (a reaction's "Not connected...") waits its
    // turn in the screen; a drain that starts meanwhile leaves it to the running one.
    if (draining_) return;
    draining_ = true;
    while (auto taken = screen_.TakeLineWithAttributes()) {
        CompletedLine completed;
        completed.taken = std::move(*taken);
        // Lines completed while a reaction was sent are not matched, so no trigger can
        // keep firing on its own output. The scripts' triggers come after the list's.
        if (completed.taken.tag != kReactionLine) {
            if (services_.triggers) {
                matching_ = &completed;
                services_.triggers->CheckTriggers(completed.taken.text);
                matching_ = nullptr;
            }
            if (scripts_) RunScriptTriggers(completed);
        }
        const TakenLine& line = completed.taken;
        if (completed.logged && services_.log && services_.log->IsOpen()) {
            services_.log->Write(line.text + "\n");
            services_.log->WriteColored(line.text, {line.attrs, line.textColors, line.backColors});
        }
        // A gagged line is not read out, nor shown by the scroll-back views.
        if (!completed.shown) continue;
        if (services_.onLine) services_.onLine(line.text);
        AppendRecent(line.text);
        AppendRecent("\r\n");
    }
    draining_ = false;
}

void TermSession::ToggleHold() {
    if (!screen_.Held()) {
        screen_.ToggleHold();
        return;
    }
    if (!screen_.ReleaseHold()) return;
    // The held bytes went through the telnet layer before they were held: the release
    // goes straight to the screen, never into the layer's parse of the stream.
    ShowServerBytes(" ");
    UpdateCursorText();
    DrainLines();
}

void TermSession::AppendRecent(std::string_view text) {
    if (text.empty()) return;
    if (text.size() > kRecentTextChars) text = text.substr(text.size() - kRecentTextChars);
    const std::size_t kept = recent_.size() - recentStart_;
    if (text.size() + kept + 1 > kRecentTextChars) recentStart_ += std::min(text.size(), kept);
    if (recentStart_ > kRecentTextChars) {
        recent_.erase(0, recentStart_);
        recentStart_ = 0;
    }
    recent_.append(text);
}

void TermSession::PrintLocal(std::string_view text) {
    screen_.AddText(text);
    DrainLines();
    UpdateCursorText();
}

void TermSession::PrintEcho(std::string_view text) {
    if (echoColour_ == 0) return PrintLocal(text);
    const std::size_t end = text.find_last_not_of("\r\n") + 1; // 0 when all line ends
    if (end > 0) screen_.AddTextInColor(text.substr(0, end), echoColour_);
    PrintLocal(text.substr(end));
}

} // namespace tav
