#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tav::telnet {

// A subnegotiation longer than this is abandoned: by the telnet layer, and by a screen that
// reads the stream without it.
inline constexpr std::size_t kMaxSubnegotiation = 64 * 1024;

// Commands (RFC 854) and the MCCP, CHARSET and TTYPE subcommands the connection uses.
inline constexpr unsigned char kIac = 255;
inline constexpr unsigned char kDont = 254;
inline constexpr unsigned char kDo = 253;
inline constexpr unsigned char kWont = 252;
inline constexpr unsigned char kWill = 251;
inline constexpr unsigned char kSb = 250;
inline constexpr unsigned char kGa = 249;
inline constexpr unsigned char kSe = 240;
inline constexpr unsigned char kEor = 239;

// `data` as telnet data: every byte 0xFF (IAC) doubled, so that it stands for itself. The
// one place that doubles it, for the wire and for a screen that reads the stream.
inline std::string EscapeIac(std::string_view data) {
    std::string out;
    out.reserve(data.size());
    for (const char c : data) {
        out.push_back(c);
        if (c == static_cast<char>(kIac)) out.push_back(c);
    }
    return out;
}

// Options.
inline constexpr unsigned char kEcho = 1;
inline constexpr unsigned char kSuppressGoAhead = 3;
inline constexpr unsigned char kTerminalType = 24;
inline constexpr unsigned char kEndOfRecord = 25;
inline constexpr unsigned char kWindowSize = 31; // NAWS
inline constexpr unsigned char kCharset = 42;
inline constexpr unsigned char kMsdp = 69;
inline constexpr unsigned char kMssp = 70;
inline constexpr unsigned char kCompress2 = 86; // MCCP version 2
inline constexpr unsigned char kGmcp = 201;

// TTYPE subnegotiation.
inline constexpr unsigned char kTerminalTypeIs = 0;
inline constexpr unsigned char kTerminalTypeSend = 1;

// CHARSET subnegotiation (RFC 2066).
inline constexpr unsigned char kCharsetRequest = 1;
inline constexpr unsigned char kCharsetAccepted = 2;
inline constexpr unsigned char kCharsetRejected = 3;

// MSDP framing bytes.
inline constexpr unsigned char kMsdpVar = 1;
inline constexpr unsigned char kMsdpVal = 2;
inline constexpr unsigned char kMsdpTableOpen = 3;
inline constexpr unsigned char kMsdpTableClose = 4;
inline constexpr unsigned char kMsdpArrayOpen = 5;
inline constexpr unsigned char kMsdpArrayClose = 6;

// MSSP framing bytes.
inline constexpr unsigned char kMsspVar = 1;
inline constexpr unsigned char kMsspVal = 2;

} // namespace tav::telnet
