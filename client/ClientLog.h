#pragma once

#include "settings/LogSink.h"

#include <cstddef>
#include <functional>
#include <mutex>
#include <string>

namespace tav {

class StatusBarSink;

// Capacity value of the log buffer; the text kept never exceeds kMaxLogChars characters.
inline constexpr std::size_t kLogCapacity = 1024;
inline constexpr std::size_t kMaxLogChars = kLogCapacity - 2;

// The client log service. Each line is shown in the status bar's message area and
// appended with CR LF to a bounded text, which the client log window shows. When a line
// would take the text past kMaxLogChars, as many characters as the new line holds are
// first cut from the front, without regard to line boundaries. Lines written while no
// status bar is attached are dropped. Callable from any thread.
class ClientLog final : public LogSink {
public:
    // status must accept calls from any thread (a QueuedStatusBar); nullptr detaches it.
    void AttachStatusBar(StatusBarSink* status);
    // Called after every appended line, on the writing thread, with the log locked: it
    // must only hand the news on (for example queue a repaint), never call back.
    void SetObserver(std::function<void()> changed);

    void LogLine(std::string_view line) override;
    void AppendToLogWindow(std::string_view line) override;
    std::string Text() const;

private:
    mutable std::mutex mutex_;
    StatusBarSink* status_ = nullptr;
    std::function<void()> changed_;

    void Append(std::string_view line); // with the mutex held
    std::string text_;
};

} // namespace tav
