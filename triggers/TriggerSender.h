#pragma once

#include <string_view>

namespace tav {

// Sends a trigger's reaction on the Term connection. The terminal session implements it
// as a raw send without echo: the text goes out exactly as given, with no line end added.
// While the connection is down the session prints its "not connected" message instead,
// which may complete a terminal line and come back into the trigger pass.
class TriggerSender {
public:
    virtual ~TriggerSender() = default;
    virtual void Send(std::string_view text) = 0;
    // False when sending `text` now would do nothing at all (the session, connected, puts
    // an empty reaction nowhere): a trigger that only repeats one that fired is then
    // spared the call.
    virtual bool SendDoesSomething(std::string_view /*text*/) const { return true; }
};

} // namespace tav
