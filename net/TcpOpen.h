#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace tav {

// How long a host lookup plus connect may take before it counts as failed; both game
// connections wait this long.
inline constexpr std::chrono::seconds kConnectTimeout{20};

// How far opening a connection got.
enum class OpenStage {
    Connected,
    Resolve,      // the host name lookup failed
    Socket,       // no socket could be created
    SocketOption, // a socket option could not be set
    Connect,      // refused, unreachable or timed out
    Cancelled,    // the cancel descriptor became readable meanwhile
};

// The options set on the socket before it connects.
struct SocketOptions {
    int sendBuffer = 16384;
    // Closing discards unsent data and resets the connection (linger on, no time).
    bool resetOnClose = true;
};

struct OpenedSocket {
    OpenStage stage = OpenStage::Connect;
    // The socket, non-blocking; also after a failure once it was made (the caller closes
    // it then). -1 when none was made.
    int fd = -1;
    std::string reason; // why it failed, at most 127 characters
};

// The one host lookup and connect of the program: resolves `host` (a dotted IPv4
// address, or a name looked up), opens a non-blocking TCP socket with `options` (address
// reuse on) and connects within `timeout`. The wait ends at once, Cancelled, when
// `cancelFd` (when not -1) becomes readable. `onSocket`, when given, is told the
// descriptor as soon as it exists, for a caller that shuts it down from another thread.
// Blocks: run it off the user-interface thread.
OpenedSocket OpenTcp(const std::string& host, int port, const SocketOptions& options,
                     std::chrono::milliseconds timeout, int cancelFd = -1,
                     const std::function<void(int)>& onSocket = {});

// The reason text for an errno value, at most 127 characters.
std::string SocketErrorText(int error);

} // namespace tav
