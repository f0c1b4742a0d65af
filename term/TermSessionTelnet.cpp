// The Term connection's protocol layers: what the session does with negotiated telnet
// options, and which certificates of secure connections it accepts.

#include "net/CertificateTrust.h"
#include "settings/ProfileOptions.h"
#include "term/TermSession.h"

#include <thread>

#ifndef TAV_VERSION
#define TAV_VERSION "0"
#endif

namespace tav {

class TermSession::ProtocolEvents final : public TelnetEvents {
public:
    explicit ProtocolEvents(TermSession& session) : session_(session) {}

    void ScreenBytes(std::string_view bytes) override { session_.ShowServerBytes(bytes); }
    void SendBytes(std::string_view bytes) override { session_.SendRaw(bytes); }
    void PromptEnd() override {
        // While held the prompt's text is not on the screen yet. Without the choice, the
        // prompt is a line once its line ends; the scripts have it now either way.
        if (session_.screen_.Held()) return;
        if (session_.scripts_) {
            const TMudScreen& screen = session_.screen_;
            const ScreenLine& line = screen.Line(screen.BufferLine());
            std::string prompt;
            AppendCellText(prompt, line, 0, TextLength(line), HasUnicodeCells(screen.Encoding()));
            KeepForScripts(ScriptInput::Prompt, prompt);
        }
        if (session_.gaPrompts_) session_.screen_.EndPrompt();
    }
    void Utf8Agreed() override {
        if (!session_.encodingBeforeCharset_) session_.encodingBeforeCharset_ = session_.Encoding();
        session_.screen_.SetEncoding(TextEncoding::Utf8);
    }
    void Gmcp(std::string_view message) override {
        Log("GMCP", message);
        if (session_.gameDataReader_) session_.gameDataReader_->ReadGmcp(message);
        if (session_.follower_) session_.follower_->Gmcp(message);
        KeepForScripts(ScriptInput::Gmcp, message);
    }
    void Msdp(std::string_view payload) override {
        Log("MSDP", payload);
        if (session_.gameDataReader_) session_.gameDataReader_->ReadMsdp(payload);
        if (session_.follower_) session_.follower_->Msdp(payload);
        KeepForScripts(ScriptInput::Msdp, payload);
    }
    void Mssp(std::string_view payload) override {
        Log("MSSP", payload);
        session_.gameInformation_ = ReadMssp(payload);
    }
    void Failed(std::string_view reason) override {
        // Shown now, processed with the read's other lines once the layer has returned:
        // a trigger pass here would run while the layer is still parsing.
        session_.screen_.AddText(std::string(reason) + "\r\n");
    }

private:
    // The scripts have the message once the layer has returned and the lines before it
    // have been processed; a handler's output must not land in the middle of the parse.
    void KeepForScripts(ScriptInput kind, std::string_view message) {
        if (!session_.scripts_) return;
        if (session_.scriptGameData_.size() < kMaxPendingScriptMessages)
            session_.scriptGameData_.emplace_back(kind, std::string(message));
        else
            ++session_.scriptGameDataDropped_;
    }
    void Log(std::string_view protocol, std::string_view message) {
        if (session_.services_.clientLog)
            session_.services_.clientLog->AppendToLogWindow(LoggedGameMessage(protocol, message));
    }

    TermSession& session_;
};

void TermSession::StartProtocol() {
    StopProtocol();
    if (!negotiate_) return;
    TelnetIdentity identity;
    identity.version = TAV_VERSION;
    identity.mttsBits = kMttsAnsi;
    if (Encoding() == TextEncoding::Utf8) identity.mttsBits |= kMttsUtf8;
    if (tls_) identity.mttsBits |= kMttsSsl;
    if (screen_.Colours() == ColourMode::Full) {
        identity.terminalType = kFullColourTerminalType;
        identity.mttsBits |= kMtts256Colours | kMttsTrueColour;
    }
    if (services_.screenReaderActive && services_.screenReaderActive())
        identity.mttsBits |= kMttsScreenReader;
    // A player who chose Latin-1 keeps it; the 7-bit default gains from UTF-8.
    identity.acceptUtf8 = Encoding() != TextEncoding::Latin1;
    protocolEvents_ = std::make_unique<ProtocolEvents>(*this);
    protocol_ = std::make_unique<TelnetProtocol>(std::move(identity), *protocolEvents_);
    // A compressed flood is inflated on a second core while the text before it is shown;
    // every wake ends with all it read handed over (FinishInflating).
    protocol_->SetInflateThread(std::thread::hardware_concurrency() > 1);
    if (services_.gameData) gameDataReader_ = std::make_unique<GameDataReader>(*services_.gameData);
    UpdateWindowSize();
}

void TermSession::StopProtocol() {
    protocol_.reset();
    protocolEvents_.reset();
    gameDataReader_.reset();
    if (encodingBeforeCharset_) {
        screen_.SetEncoding(*encodingBeforeCharset_);
        encodingBeforeCharset_.reset();
    }
}

void TermSession::SetGameDataSink(GameDataSink* sink) {
    services_.gameData = sink;
    gameDataReader_.reset();
    if (sink && protocol_) gameDataReader_ = std::make_unique<GameDataReader>(*sink);
}

int TermSession::ConnectPort() const {
    return tlsOptions_.enabled && tlsOptions_.port > 0 ? tlsOptions_.port : port_;
}

bool TermSession::AcceptCertificate(const TlsHandshake& handshake, int port) {
    if (handshake.verified) return true;
    const std::string host = settings_.addy;
    const std::string where = host + ":" + std::to_string(port);
    const CertificateTrust trust(tlsOptions_.trustPath);
    const std::optional<std::string> trusted = trust.Trusted(host, port);
    if (trusted && *trusted == handshake.fingerprint) return true;
    if (!services_.boxes) return false;
    // The question's own event loop may end the session before it returns.
    const std::weak_ptr<int> alive = alive_;
    if (trusted) {
        // Never accepted quietly: someone may stand between the player and the game.
        const std::string_view buttons[] = {"Trust the new certificate", "No"};
        const std::string text =
            "The certificate of " + where + " has changed since you trusted it.\n\n" +
            "Trusted: " + *trusted + "\nNow:     " + handshake.fingerprint +
            "\n\nSomeone may stand between you and the game. Trust the new certificate only "
            "if the game's administrators say they changed it. Trusted certificates are kept in " +
            trust.ShownPath() + ".";
        if (services_.boxes->Ask(text, "Certificate changed", buttons, 1) != 0) return false;
    } else {
        const std::string question = "The certificate of " + where +
                                     " could not be verified: " + handshake.problem +
                                     ".\n\nSHA-256 fingerprint:\n" + handshake.fingerprint +
                                     "\n\nTrust this certificate for " + where + " from now on?";
        if (!services_.boxes->AskYesNo(question, "Unverified certificate")) return false;
    }
    // The connect was stopped (the user, a profile switch) while the question was open.
    if (alive.expired() || !askingTrust_) return false;
    if (!trust.Trust(host, port, handshake.fingerprint))
        services_.boxes->ShowMessage("Unable to write " + trust.ShownPath() +
                                         "; the certificate is trusted for this connection only.",
                                     trusted ? "Certificate changed" : "Unverified certificate");
    return true;
}

void TermSession::UpdateWindowSize() {
    if (protocol_) protocol_->SetWindowSize(screen_.Columns(), screen_.Rows());
}

} // namespace tav
