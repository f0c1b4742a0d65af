// The Term connection's telnet layer: what the session does with negotiated options.

#include "term/TermSession.h"

#ifndef TAV_VERSION
#define TAV_VERSION "0"
#endif

namespace tav {

class TermSession::ProtocolEvents final : public TelnetEvents {
public:
    explicit ProtocolEvents(TermSession& session) : session_(session) {}

    void ScreenBytes(std::string_view bytes) override { session_.ShowServerBytes(bytes); }
    void SendBytes(std::string_view bytes) override { session_.SendRaw(bytes); }
    void PromptEnd() override { session_.screen_.EndPrompt(); }
    void Utf8Agreed() override {
        if (!session_.encodingBeforeCharset_) session_.encodingBeforeCharset_ = session_.Encoding();
        session_.SetEncoding(TextEncoding::Utf8);
    }
    void Gmcp(std::string_view message) override {
        Log("GMCP", message);
        if (session_.gameDataReader_) session_.gameDataReader_->ReadGmcp(message);
    }
    void Msdp(std::string_view payload) override {
        Log("MSDP", payload);
        if (session_.gameDataReader_) session_.gameDataReader_->ReadMsdp(payload);
    }
    void Failed(std::string_view reason) override {
        session_.PrintLocal(std::string(reason) + "\r\n");
    }

private:
    void Log(std::string_view protocol, std::string_view message) {
        if (session_.services_.clientLog)
            session_.services_.clientLog->LogLine(LoggedGameMessage(protocol, message));
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
    if (services_.screenReaderActive && services_.screenReaderActive())
        identity.mttsBits |= kMttsScreenReader;
    // A player who chose Latin-1 keeps it; the 7-bit default gains from UTF-8.
    identity.acceptUtf8 = Encoding() != TextEncoding::Latin1;
    protocolEvents_ = std::make_unique<ProtocolEvents>(*this);
    protocol_ = std::make_unique<TelnetProtocol>(std::move(identity), *protocolEvents_);
    if (services_.gameData) gameDataReader_ = std::make_unique<GameDataReader>(*services_.gameData);
    UpdateWindowSize();
}

void TermSession::StopProtocol() {
    protocol_.reset();
    protocolEvents_.reset();
    gameDataReader_.reset();
    if (encodingBeforeCharset_) {
        SetEncoding(*encodingBeforeCharset_);
        encodingBeforeCharset_.reset();
    }
}

void TermSession::SetGameDataSink(GameDataSink* sink) {
    services_.gameData = sink;
    gameDataReader_.reset();
    if (sink && protocol_) gameDataReader_ = std::make_unique<GameDataReader>(*sink);
}

void TermSession::UpdateWindowSize() {
    if (protocol_) protocol_->SetWindowSize(screen_.Columns(), screen_.Rows());
}

} // namespace tav
