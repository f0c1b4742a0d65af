#include "client/ClientSender.h"

#include "client/ClientLink.h"
#include "client/ClientWire.h"
#include "client/LogSink.h"
#include "client/OutgoingMessage.h"
#include "settings/Settings.h"

#include <string>

namespace tav {

ClientSender::ClientSender(ClientWire& wire, ClientLink& link, LogSink& log,
                           const Settings& settings)
    : wire_(wire), link_(link), log_(log), settings_(settings) {}

void ClientSender::DebugLine(std::string_view line, std::string_view text) {
    if (settings_.cdmdebug == 0) return;
    std::string full(line);
    full += text;
    log_.LogLine(full);
}

std::ptrdiff_t ClientSender::SendLoginRequest(std::string_view user, std::string_view passwd) {
    DebugLine("MSGSEND: login_request");
    return wire_.SendMessage(link_.SendSocket(), BuildLoginRequest(user, passwd));
}

std::ptrdiff_t ClientSender::SendSoundNogo(std::string_view soundName) {
    const OutgoingMessage message = BuildSoundNogo(soundName);
    DebugLine("MSGSEND: soundnogo ", TextOf(message.header.text1));
    return wire_.SendMessage(link_.SendSocket(), message);
}

std::ptrdiff_t ClientSender::SendSoundGo(std::string_view soundName) {
    const OutgoingMessage message = BuildSoundGo(soundName);
    DebugLine("MSGSEND: soundgo ", TextOf(message.header.text1));
    return wire_.SendMessage(link_.SendSocket(), message);
}

std::ptrdiff_t ClientSender::SendPing() {
    if (!link_.IsConnected()) return 0;
    DebugLine("MSGSEND: ping");
    return wire_.SendMessage(link_.SendSocket(), BuildPing());
}

std::ptrdiff_t ClientSender::SendEditReply(std::string_view text) {
    return wire_.SendMessage(link_.SendSocket(), BuildEditReply(text));
}

std::ptrdiff_t ClientSender::SendCommand(std::string_view commandLine) {
    const OutgoingMessage message = BuildCommand(commandLine);
    DebugLine("MSGSEND: command ", TextOf(message.header.text1));
    return wire_.SendMessage(link_.SendSocket(), message);
}

std::ptrdiff_t ClientSender::SendHelpIndexRequest() {
    return wire_.SendMessage(link_.SendSocket(), BuildHelpIndexRequest());
}

std::ptrdiff_t ClientSender::SendHelpFileRequest(std::string_view topic) {
    return wire_.SendMessage(link_.SendSocket(), BuildHelpFileRequest(topic));
}

std::ptrdiff_t ClientSender::SendBindexRequest() {
    return wire_.SendMessage(link_.SendSocket(), BuildBindexRequest());
}

std::ptrdiff_t ClientSender::SendMsgIndexRequest(std::int32_t board) {
    return wire_.SendMessage(link_.SendSocket(), BuildMsgIndexRequest(board));
}

std::ptrdiff_t ClientSender::SendMsgRequest(std::int32_t board, std::int32_t position) {
    return wire_.SendMessage(link_.SendSocket(), BuildMsgRequest(board, position));
}

std::ptrdiff_t ClientSender::SendMsgDelete(std::int32_t board, std::int32_t position) {
    return wire_.SendMessage(link_.SendSocket(), BuildMsgDelete(board, position));
}

std::ptrdiff_t ClientSender::SendMsgPost(std::int32_t board, std::string_view heading) {
    return wire_.SendMessage(link_.SendSocket(), BuildMsgPost(board, heading));
}

} // namespace tav
