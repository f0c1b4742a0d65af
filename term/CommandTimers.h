#pragma once

#include "commands/TimerFile.h"
#include "term/EventLoop.h"

#include <memory>
#include <string>
#include <vector>

namespace tav {

class TermSession;

// The profile's timers at work: while the Term connection is up each enabled timer sends
// its command string every so many seconds, as a function key would. They stop when the
// connection ends and start afresh when one opens; a tick that finds the connection gone
// sends nothing. Runs on the session's event loop.
class CommandTimers {
public:
    // Event-loop timer ids used: kFirstTimerId and up, one per timer.
    static constexpr int kFirstTimerId = 1000;

    CommandTimers(TermSession& session, EventLoop& loop);
    ~CommandTimers();
    CommandTimers(const CommandTimers&) = delete;
    CommandTimers& operator=(const CommandTimers&) = delete;

    // Reads the profile's file (missing: no timers) and runs its timers when connected;
    // a line names the bad lines kept, once.
    void Load(const std::string& path);
    // Writes the timers (and the kept lines) to the file loaded last; false on failure.
    bool Save() const;
    const std::string& Path() const { return path_; }

    const std::vector<CommandTimer>& Timers() const { return timers_; }
    // Replaces the timers; running ones restart with their new intervals.
    void SetTimers(std::vector<CommandTimer> timers);
    bool Running() const { return running_ != 0; }

    void ConnectionChanged(bool connected);

private:
    void Start();
    void Stop();
    void Fire(std::size_t index);

    TermSession& session_;
    EventLoop& loop_;
    std::string path_;
    std::vector<CommandTimer> timers_;
    std::vector<std::string> kept_;
    std::size_t running_ = 0; // event-loop timers started
    // Expires with this object, so a tick already queued can tell it is gone.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

} // namespace tav
