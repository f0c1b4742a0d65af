#pragma once

#include <string_view>

namespace tav {

// The main frame's status bar as the rest of the program reaches it: the message area,
// the latency, cursor-position and screen-size texts, the transfer gauge and the Term
// and Client indicators. The desktop frame implements it; tests record it. Calls come
// from the user-interface thread only (the Client connection queues its own).
class StatusBarSink {
public:
    virtual ~StatusBarSink() = default;
    virtual void SetMessageText(std::string_view /*text*/) {}
    virtual void SetLatencyText(std::string_view /*text*/) {}
    virtual void SetCursorText(std::string_view /*text*/) {}
    virtual void SetSizeText(std::string_view /*text*/) {}
    virtual void ShowTermState(bool /*connected*/) {}
    // The Term connection is secure (TLS); ShowTermState(false) ends it too.
    virtual void ShowTermSecure(bool /*secure*/) {}
    virtual void ShowClientState(bool /*connected*/) {}
    // Transfer gauge: received of total bytes; total 0 hides the gauge.
    virtual void ShowProgress(long long /*received*/, long long /*total*/) {}
};

} // namespace tav
