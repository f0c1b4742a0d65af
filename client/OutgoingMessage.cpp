#include "client/OutgoingMessage.h"

#include <algorithm>
#include <string>

namespace tav {

OutgoingMessage BuildMessage(OutgoingType type, std::string_view text1, std::string_view text2) {
    OutgoingMessage message;
    message.header.type = static_cast<std::int32_t>(type);
    message.header.aux = kClientAux;
    SetText(message.header.text1, text1);
    SetText(message.header.text2, text2);
    return message;
}

OutgoingMessage BuildLoginRequest(std::string_view user, std::string_view passwd) {
    return BuildMessage(OutgoingType::login_request, user, passwd);
}

OutgoingMessage BuildSoundNogo(std::string_view soundName) {
    return BuildMessage(OutgoingType::soundnogo, soundName);
}

OutgoingMessage BuildSoundGo(std::string_view soundName) {
    return BuildMessage(OutgoingType::soundgo, soundName);
}

OutgoingMessage BuildPing() {
    return BuildMessage(OutgoingType::ping);
}

OutgoingMessage BuildEditReply(std::string_view text) {
    OutgoingMessage message = BuildMessage(OutgoingType::edit_reply);
    message.data.assign(text.begin(), text.end());
    message.data.push_back(0);
    message.header.data_len = static_cast<std::int32_t>(message.data.size());
    return message;
}

OutgoingMessage BuildCommand(std::string_view commandLine) {
    return BuildMessage(OutgoingType::command, commandLine);
}

OutgoingMessage BuildHelpIndexRequest() {
    return BuildMessage(OutgoingType::helpindex_request);
}

OutgoingMessage BuildHelpFileRequest(std::string_view topic) {
    return BuildMessage(OutgoingType::helpfile_request, topic);
}

OutgoingMessage BuildBindexRequest() {
    return BuildMessage(OutgoingType::bindex_request);
}

OutgoingMessage BuildMsgIndexRequest(std::int32_t board) {
    return BuildMessage(OutgoingType::msgindex_request, std::to_string(board));
}

OutgoingMessage BuildMsgRequest(std::int32_t board, std::int32_t position) {
    return BuildMessage(OutgoingType::msg_request,
                        std::to_string(board) + ' ' + std::to_string(position));
}

OutgoingMessage BuildMsgDelete(std::int32_t board, std::int32_t position) {
    return BuildMessage(OutgoingType::msg_delete,
                        std::to_string(board) + ' ' + std::to_string(position));
}

OutgoingMessage BuildMsgPost(std::int32_t board, std::string_view heading) {
    return BuildMessage(OutgoingType::msg_post, std::to_string(board), heading);
}

std::vector<std::uint8_t> EncodeFrame(const OutgoingMessage& message) {
    std::vector<std::uint8_t> frame(kLengthBytes + kHeaderBytes + message.data.size());
    StoreLe32(frame.data(), static_cast<std::uint32_t>(kHeaderBytes + message.data.size()));
    // `data_len` always describes the data actually attached.
    MessageHeader header = message.header;
    header.data_len = static_cast<std::int32_t>(message.data.size());
    EncodeHeader(header,
                 std::span<std::uint8_t, kHeaderBytes>(frame.data() + kLengthBytes, kHeaderBytes));
    std::copy(message.data.begin(), message.data.end(),
              frame.begin() + static_cast<std::ptrdiff_t>(kLengthBytes + kHeaderBytes));
    return frame;
}

} // namespace tav
