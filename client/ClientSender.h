#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tav {

class ClientLink;
class ClientWire;
class LogSink;
struct OutgoingMessage;
struct Settings;

// The debug line written before `message` is sent when `cdmdebug` is on:
// "MSGSEND: login_request", "MSGSEND: soundnogo <name>", "MSGSEND: soundgo <name>",
// "MSGSEND: command <line>", "MSGSEND: ping"; empty for the types that write none.
std::string SendDebugLine(const OutgoingMessage& message);

// One sender per outgoing message type. Each builds its message, writes its
// "MSGSEND: ..." debug line when `cdmdebug` is on, and sends the frame on the link's
// socket. Every sender returns what ClientWire::SendMessage returns: the bytes written
// (276, or 276 + data size) or -1; SendPing returns 0 without sending (and without its
// line) while the link is not connected.
class ClientSender {
public:
    ClientSender(ClientWire& wire, ClientLink& link, LogSink& log, const Settings& settings);

    // Writes the message's debug line, then sends it.
    std::ptrdiff_t Send(const OutgoingMessage& message);

    std::ptrdiff_t SendLoginRequest(std::string_view user, std::string_view passwd);
    std::ptrdiff_t SendSoundNogo(std::string_view soundName);
    std::ptrdiff_t SendSoundGo(std::string_view soundName);
    std::ptrdiff_t SendPing();
    std::ptrdiff_t SendEditReply(std::string_view text);
    std::ptrdiff_t SendCommand(std::string_view commandLine);
    std::ptrdiff_t SendHelpIndexRequest();
    std::ptrdiff_t SendHelpFileRequest(std::string_view topic);
    std::ptrdiff_t SendBindexRequest();
    std::ptrdiff_t SendMsgIndexRequest(std::int32_t board);
    std::ptrdiff_t SendMsgRequest(std::int32_t board, std::int32_t position);
    std::ptrdiff_t SendMsgDelete(std::int32_t board, std::int32_t position);
    std::ptrdiff_t SendMsgPost(std::int32_t board, std::string_view heading);

private:
    ClientWire& wire_;
    ClientLink& link_;
    LogSink& log_;
    const Settings& settings_;
};

} // namespace tav
