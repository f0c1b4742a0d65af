#pragma once

#include "net/InflateWorker.h"
#include "net/Inflater.h"
#include "net/OptionStates.h"
#include "net/TelnetCodes.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace tav {

// What the connection tells the server about this client.
struct TelnetIdentity {
    std::string clientName = "TAVCLIENT";
    std::string terminalType = "ANSI";
    int mttsBits = 1;        // the MTTS bit set: 1 ANSI, 4 UTF-8, 8 256 colours, 64 screen reader,
                             // 256 true colour, 2048 SSL
    bool acceptUtf8 = false; // CHARSET: the profile may switch to UTF-8
    std::string version;     // sent in GMCP's Core.Hello
};

// MTTS bits (the MUD terminal type standard).
inline constexpr int kMttsAnsi = 1;
inline constexpr int kMttsUtf8 = 4;
inline constexpr int kMtts256Colours = 8;
inline constexpr int kMttsScreenReader = 64;
inline constexpr int kMttsTrueColour = 256;
inline constexpr int kMttsSsl = 2048;
// The terminal type of a screen in full colour.
inline constexpr std::string_view kFullColourTerminalType = "XTERM-256COLOR";

// Where the protocol's results go. Called on the thread that calls Receive.
class TelnetEvents {
public:
    virtual ~TelnetEvents() = default;
    // Game text for the screen. 0xFF data bytes come doubled (IAC IAC) and the server's
    // WILL/WONT ECHO groups come as they were sent, so the screen interprets exactly what
    // it would have interpreted without negotiation.
    virtual void ScreenBytes(std::string_view bytes) = 0;
    // Bytes for the server, complete commands, already escaped.
    virtual void SendBytes(std::string_view bytes) = 0;
    // IAC GA or IAC EOR: the text since the last line end is a prompt.
    virtual void PromptEnd() = 0;
    // CHARSET agreed on UTF-8: decode and encode the connection in it from now on.
    virtual void Utf8Agreed() = 0;
    // A GMCP message ("Package.Name json") or an MSDP payload (the bytes after the option).
    virtual void Gmcp(std::string_view message) = 0;
    virtual void Msdp(std::string_view payload) = 0;
    // What the game says about itself (MSSP): the bytes after the option.
    virtual void Mssp(std::string_view /*payload*/) {}
    // The connection cannot go on (a corrupt compressed stream); `reason` is for the user.
    // Nothing more is parsed; the receiver closes the connection once Receive returned.
    virtual void Failed(std::string_view reason) = 0;
};

// The Term connection's telnet layer: reads the server's byte stream, answers option
// negotiation by the Q method, buffers subnegotiations, inflates MCCP version 2, and passes
// the game text on. It never speaks first, so a server that negotiates nothing hears
// nothing, and it never answers the server's ECHO offers: those only mask the input line.
class TelnetProtocol {
public:
    // Subnegotiations longer than this are abandoned: the rest, through IAC SE, is dropped.
    static constexpr std::size_t kMaxSubnegotiation = telnet::kMaxSubnegotiation;

    TelnetProtocol(TelnetIdentity identity, TelnetEvents& events);
    ~TelnetProtocol();
    TelnetProtocol(const TelnetProtocol&) = delete;
    TelnetProtocol& operator=(const TelnetProtocol&) = delete;

    void Receive(std::string_view bytes);
    // From now on, compressed streams are inflated on a thread of their own while Receive
    // parses what came before: a Receive may then return before all of its text was
    // handed over, and Flush hands over the rest.
    void SetInflateThread(bool on) { inflateThread_ = on; }
    // Waits for everything received to be inflated and hands it over.
    void Flush();
    // Received bytes wait to be inflated (only with the inflate thread).
    bool Inflating() const { return worker_ && (worker_->Queued() > 0 || !pending_.input.empty()); }

    // The main screen's size in cells; sent (NAWS) when agreed and whenever it changes.
    void SetWindowSize(int columns, int rows);
    void SetMttsBits(int bits) { identity_.mttsBits = bits; }
    bool Compressing() const { return inflater_ != nullptr || streamOpen_; }
    bool Enabled(OptionStates::Side side, unsigned char option) const {
        return options_.Enabled(side, option);
    }
    bool HasFailed() const { return failed_; }

    // A GMCP message to the server.
    void SendGmcp(std::string_view message);

private:
    // SubDiscard: inside a subnegotiation abandoned for its length.
    enum class State { Data, Iac, Negotiate, SubOption, SubData, SubDiscard, SubIac };

    // Parses plain (already inflated) bytes; returns how many were taken. It stops right
    // after a compressed stream begins, the rest being compressed.
    std::size_t Parse(std::string_view bytes);
    // Received bytes, in order: parsed, inflated here, or queued for the inflate thread.
    void Consume(std::string_view bytes);
    // A compressed stream begins with the next byte received.
    void StartStream();
    // Hands over what the inflate thread has done, after waiting for its oldest block when
    // asked; stops after a stream ends, once the bytes after its end were read again.
    void TakeInflated(bool wait);
    // The bytes of `block` from `from` on, piece by piece, as received.
    void ConsumePieces(const InflateWorker::Block& block, std::size_t from);
    void SubmitPending();
    void Negotiate(unsigned char command, unsigned char option);
    void AddSubnegotiationByte(unsigned char byte);
    void Subnegotiation();
    void AnswerTerminalType();
    void AnswerCharset(std::string_view request);
    void SendWindowSize();
    void OptionEnabled(OptionStates::Side side, unsigned char option);
    void Send(std::string_view bytes) { events_.SendBytes(bytes); }
    void SendSubnegotiation(unsigned char option, std::string_view data);
    void FlushText();
    void Fail(std::string_view reason);

    TelnetIdentity identity_;
    TelnetEvents& events_;
    OptionStates options_;
    State state_ = State::Data;
    State subIacFrom_ = State::SubData; // the state an IAC inside a subnegotiation came from
    unsigned char command_ = 0;
    unsigned char subOption_ = 0;
    std::string sub_;
    std::string text_; // game text not yet handed to the screen
    std::unique_ptr<Inflater> inflater_;
    // With the inflate thread: the stream open as far as what was handed over tells, the
    // bytes received for it not yet submitted, and the thread.
    bool inflateThread_ = false;
    bool streamOpen_ = false;
    InflateWorker::Block pending_;
    std::unique_ptr<InflateWorker> worker_;
    bool startCompression_ = false;
    bool failed_ = false;
    int terminalTypeAnswers_ = 0;
    int columns_ = 0;
    int rows_ = 0;
    int sentColumns_ = -1;
    int sentRows_ = -1;
};

} // namespace tav
