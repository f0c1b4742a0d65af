#include "client/MessageType.h"

namespace tav {

std::string_view TypeName(OutgoingType type) {
    switch (type) {
    case OutgoingType::login_request: return "login_request";
    case OutgoingType::soundnogo: return "soundnogo";
    case OutgoingType::soundgo: return "soundgo";
    case OutgoingType::ping: return "ping";
    case OutgoingType::edit_reply: return "edit_reply";
    case OutgoingType::command: return "command";
    case OutgoingType::helpindex_request: return "helpindex_request";
    case OutgoingType::helpfile_request: return "helpfile_request";
    case OutgoingType::bindex_request: return "bindex_request";
    case OutgoingType::msgindex_request: return "msgindex_request";
    case OutgoingType::msg_request: return "msg_request";
    case OutgoingType::msg_delete: return "msg_delete";
    case OutgoingType::msg_post: return "msg_post";
    }
    return kUnknownTypeName;
}

std::string_view TypeName(IncomingType type) {
    switch (type) {
    case IncomingType::text_file: return "text_file";
    case IncomingType::sound_file: return "sound_file";
    case IncomingType::text_mesg: return "text_mesg";
    case IncomingType::sound_query: return "sound_query";
    case IncomingType::edit_request: return "edit_request";
    case IncomingType::datetime: return "datetime";
    case IncomingType::who_list: return "who_list";
    case IncomingType::channel_txt: return "channel_txt";
    case IncomingType::eq_list: return "eq_list";
    case IncomingType::inv_list: return "inv_list";
    case IncomingType::pingresponse: return "pingresponse";
    case IncomingType::helpindex_reply: return "helpindex_reply";
    case IncomingType::helpfile_reply: return "helpfile_reply";
    case IncomingType::hitmanamove: return "hitmanamove";
    case IncomingType::levelreport: return "levelreport";
    case IncomingType::idinfo: return "idinfo";
    case IncomingType::bindex_reply: return "bindex_reply";
    case IncomingType::msgindex_reply: return "msgindex_reply";
    case IncomingType::msg_reply: return "msg_reply";
    case IncomingType::msgbox: return "msgbox";
    case IncomingType::brdupdate: return "brdupdate";
    case IncomingType::desctext: return "desctext";
    case IncomingType::exittext: return "exittext";
    case IncomingType::contenttext: return "contenttext";
    case IncomingType::mapinfo: return "mapinfo";
    case IncomingType::soundstop: return "soundstop";
    case IncomingType::disconnect: return "disconnect";
    }
    return kUnknownTypeName;
}

std::optional<IncomingType> ToIncomingType(std::int32_t code) {
    const auto type = static_cast<IncomingType>(code);
    // The switch in TypeName covers exactly the catalogue, so an unnamed code is unknown.
    if (TypeName(type) == kUnknownTypeName) return std::nullopt;
    return type;
}

std::string_view IncomingTypeName(std::int32_t code) {
    return TypeName(static_cast<IncomingType>(code));
}

std::string ReceiveDebugLine(std::int32_t code) {
    std::string line = "MSGRECV: ";
    line += IncomingTypeName(code);
    return line;
}

} // namespace tav
