#include "client/ClientSender.h"

#include "client/ClientLink.h"
#include "client/ClientWire.h"
#include "client/OutgoingMessage.h"
#include "settings/LogSink.h"
#include "settings/Settings.h"

namespace tav {

std::string SendDebugLine(const OutgoingMessage& message) {
    const auto type = static_cast<OutgoingType>(message.header.type);
    std::string line = "MSGSEND: ";
    switch (type) {
    case OutgoingType::login_request:
    case OutgoingType::ping: return line.append(TypeName(type));
    case OutgoingType::soundnogo:
    case OutgoingType::soundgo:
    case OutgoingType::command:
        return line.append(TypeName(type)).append(" ").append(TextOf(message.header.text1));
    default: return {};
    }
}

ClientSender::ClientSender(ClientWire& wire, ClientLink& link, LogSink& log,
                           const Settings& settings)
    : wire_(wire), link_(link), log_(log), settings_(settings) {}

std::ptrdiff_t ClientSender::Send(const OutgoingMessage& message) {
    if (settings_.cdmdebug != 0) {
        if (const std::string line = SendDebugLine(message); !line.empty()) log_.LogLine(line);
    }
    return wire_.SendMessage(link_.SendSocket(), message);
}

std::ptrdiff_t ClientSender::SendLoginRequest(std::string_view user, std::string_view passwd) {
    return Send(BuildLoginRequest(user, passwd));
}

std::ptrdiff_t ClientSender::SendSoundNogo(std::string_view soundName) {
    return Send(BuildSoundNogo(soundName));
}

std::ptrdiff_t ClientSender::SendSoundGo(std::string_view soundName) {
    return Send(BuildSoundGo(soundName));
}

std::ptrdiff_t ClientSender::SendPing() {
    if (!link_.IsConnected()) return 0;
    return Send(BuildPing());
}

std::ptrdiff_t ClientSender::SendEditReply(std::string_view text) {
    return Send(BuildEditReply(text));
}

std::ptrdiff_t ClientSender::SendCommand(std::string_view commandLine) {
    return Send(BuildCommand(commandLine));
}

std::ptrdiff_t ClientSender::SendHelpIndexRequest() {
    return Send(BuildHelpIndexRequest());
}

std::ptrdiff_t ClientSender::SendHelpFileRequest(std::string_view topic) {
    return Send(BuildHelpFileRequest(topic));
}

std::ptrdiff_t ClientSender::SendBindexRequest() {
    return Send(BuildBindexRequest());
}

std::ptrdiff_t ClientSender::SendMsgIndexRequest(std::int32_t board) {
    return Send(BuildMsgIndexRequest(board));
}

std::ptrdiff_t ClientSender::SendMsgRequest(std::int32_t board, std::int32_t position) {
    return Send(BuildMsgRequest(board, position));
}

std::ptrdiff_t ClientSender::SendMsgDelete(std::int32_t board, std::int32_t position) {
    return Send(BuildMsgDelete(board, position));
}

std::ptrdiff_t ClientSender::SendMsgPost(std::int32_t board, std::string_view heading) {
    return Send(BuildMsgPost(board, heading));
}

} // namespace tav
