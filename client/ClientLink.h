#pragma once

namespace tav {

class StreamSocket;

// What the wire layer needs from the Client connection that owns it: whether it is up,
// a way to end it, and the socket frames are sent on. Disconnect must be safe to call
// when not connected and from either thread.
class ClientLink {
public:
    virtual ~ClientLink() = default;
    virtual bool IsConnected() const = 0;
    virtual void Disconnect() = 0;
    virtual StreamSocket& SendSocket() = 0;
};

} // namespace tav
