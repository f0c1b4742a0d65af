#pragma once

#include <string_view>

namespace tav {

// The client log service: shows a line in the status bar and appends it, with CR LF,
// to the client log window. Lines carry no line end of their own. Callable from the
// user-interface thread and the network thread.
class LogSink {
public:
    virtual ~LogSink() = default;
    virtual void LogLine(std::string_view line) = 0;
    // Appends the line to the client log window only, leaving the status bar to what it
    // says (a stream of game data messages would drown it).
    virtual void AppendToLogWindow(std::string_view line) { LogLine(line); }
};

} // namespace tav
