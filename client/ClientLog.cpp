#include "client/ClientLog.h"

#include "client/StatusBarSink.h"

#include <utility>

namespace tav {

void ClientLog::AttachStatusBar(StatusBarSink* status) {
    const std::lock_guard<std::mutex> lock(mutex_);
    status_ = status;
}

void ClientLog::SetObserver(std::function<void()> changed) {
    const std::lock_guard<std::mutex> lock(mutex_);
    changed_ = std::move(changed);
}

void ClientLog::LogLine(std::string_view line) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (status_ == nullptr) return;
    status_->SetMessageText(line);
    Append(line);
}

void ClientLog::AppendToLogWindow(std::string_view line) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (status_ == nullptr) return;
    Append(line);
}

void ClientLog::Append(std::string_view line) {
    std::string formatted(line);
    formatted += "\r\n";
    const std::size_t n = formatted.size();
    if (text_.size() + n > kMaxLogChars) text_.erase(0, std::min(n, text_.size()));
    text_ += formatted;
    // Only a single line longer than the whole log gets here; keep its end.
    if (text_.size() > kMaxLogChars) text_.erase(0, text_.size() - kMaxLogChars);
    if (changed_) changed_();
}

std::string ClientLog::Text() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return text_;
}

} // namespace tav
