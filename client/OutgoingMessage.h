#pragma once

#include "client/MessageHeader.h"
#include "client/MessageType.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace tav {

// One message to send: its header and its data block. The builders below fill `type`,
// `aux` = kClientAux and the texts (cut to kMaxTextChars); `data_len` and `data_ref` stay
// 0 unless data is attached. EncodeFrame turns it into the bytes sent on the socket.
struct OutgoingMessage {
    MessageHeader header;
    std::vector<std::uint8_t> data;
};

OutgoingMessage BuildMessage(OutgoingType type, std::string_view text1 = {},
                             std::string_view text2 = {});

OutgoingMessage BuildLoginRequest(std::string_view user, std::string_view passwd);
// soundName exactly as received in the sound_query.
OutgoingMessage BuildSoundNogo(std::string_view soundName);
OutgoingMessage BuildSoundGo(std::string_view soundName);
OutgoingMessage BuildPing();
// The data block is the text and a NUL; `data_len` is its length + 1.
OutgoingMessage BuildEditReply(std::string_view text);
OutgoingMessage BuildCommand(std::string_view commandLine);
OutgoingMessage BuildHelpIndexRequest();
OutgoingMessage BuildHelpFileRequest(std::string_view topic);
OutgoingMessage BuildBindexRequest();
OutgoingMessage BuildMsgIndexRequest(std::int32_t board);
OutgoingMessage BuildMsgRequest(std::int32_t board, std::int32_t position);
OutgoingMessage BuildMsgDelete(std::int32_t board, std::int32_t position);
OutgoingMessage BuildMsgPost(std::int32_t board, std::string_view heading);

// The whole frame: length word L = 272 + data size, the header (with `data_len` set to
// the data size), the data. Throws
// std::bad_alloc when the buffer cannot be had.
std::vector<std::uint8_t> EncodeFrame(const OutgoingMessage& message);

} // namespace tav
