#pragma once

namespace tav {

// The ports a game may be configured on, checked by the connection when it opens and by
// the configuration dialog when it takes the settings, so that the two never disagree.
// Ports from 32000 on are refused ("Invalid port."); the Client connection uses the port
// above the game's.
inline constexpr int kMinPort = 1;
inline constexpr int kMaxPort = 31999;

constexpr bool IsGamePort(int port) {
    return port >= kMinPort && port <= kMaxPort;
}

} // namespace tav
