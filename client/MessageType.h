#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tav {

// Type codes of the messages the client sends to the game server.
enum class OutgoingType : std::int32_t {
    login_request = 1,
    soundnogo = 2,
    soundgo = 3,
    ping = 4,
    edit_reply = 8,
    command = 9,
    helpindex_request = 10,
    helpfile_request = 11,
    bindex_request = 12,
    msgindex_request = 13,
    msg_request = 14,
    msg_delete = 15,
    msg_post = 16,
};

// Type codes of the messages the game server sends to the client. Every other code is
// unknown: the message is consumed and ignored.
enum class IncomingType : std::int32_t {
    text_file = 50,
    sound_file = 51,
    text_mesg = 53,
    sound_query = 54,
    edit_request = 57,
    datetime = 58,
    who_list = 59,
    channel_txt = 60,
    eq_list = 61,
    inv_list = 62,
    pingresponse = 63,
    helpindex_reply = 64,
    helpfile_reply = 65,
    hitmanamove = 66,
    levelreport = 67,
    idinfo = 68,
    bindex_reply = 69,
    msgindex_reply = 70,
    msg_reply = 71,
    msgbox = 72,
    brdupdate = 73,
    desctext = 74,
    exittext = 75,
    contenttext = 76,
    mapinfo = 77,
    soundstop = 998,
    disconnect = 999,
};

// The name used in the debug lines for an unknown incoming type code.
inline constexpr std::string_view kUnknownTypeName = "<unknown type>";

std::string_view TypeName(OutgoingType type);
std::string_view TypeName(IncomingType type);

// The incoming type for a received code, or nothing when the code is unknown.
std::optional<IncomingType> ToIncomingType(std::int32_t code);

// The name of a received type code: the catalogue name, or kUnknownTypeName.
std::string_view IncomingTypeName(std::int32_t code);

// The debug line written for a received message: "MSGRECV: " and the type's name.
std::string ReceiveDebugLine(std::int32_t code);

} // namespace tav
