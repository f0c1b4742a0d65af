#include "client/PendingEdit.h"

#include <utility>

namespace tav {

bool PendingEdit::Offer(ClientMessage message) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (message_) return false;
    message_.emplace(std::move(message));
    return true;
}

bool PendingEdit::Busy() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return message_.has_value();
}

std::optional<ClientMessage> PendingEdit::Current() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return message_;
}

void PendingEdit::Clear() {
    const std::lock_guard<std::mutex> lock(mutex_);
    message_.reset();
}

} // namespace tav
