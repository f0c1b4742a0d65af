#pragma once

#include "client/ClientMessage.h"

#include <mutex>
#include <optional>

namespace tav {

// The terminal window's pending-edit slot: holds the one `edit_request` whose edit dialog
// has not finished yet. The network thread offers a message; the edit flow on the
// user-interface thread reads it and clears the slot when its dialog has answered.
// Safe to use from both threads.
class PendingEdit {
public:
    // Parks message when the slot is empty; false (message dropped) when it is in use.
    bool Offer(ClientMessage message);
    bool Busy() const;
    // A copy of the parked message, or nothing.
    std::optional<ClientMessage> Current() const;
    void Clear();

private:
    mutable std::mutex mutex_;
    std::optional<ClientMessage> message_;
};

} // namespace tav
