#include "term/CommandTimers.h"

#include "term/TermSession.h"

namespace tav {

CommandTimers::CommandTimers(TermSession& session, EventLoop& loop)
    : session_(session), loop_(loop) {
    session_.SetConnectionListener([this](bool connected) { ConnectionChanged(connected); });
}

CommandTimers::~CommandTimers() {
    session_.SetConnectionListener({});
    Stop();
}

void CommandTimers::Load(const std::string& path) {
    path_ = path;
    TimerFileRead read = LoadTimerFile(path);
    kept_ = std::move(read.kept);
    if (!read.bad.empty())
        session_.PrintLocal("timers.cfg: " + std::to_string(read.bad.size()) +
                            " line(s) that are not timers were kept as they are.\r\n");
    SetTimers(std::move(read.timers));
}

bool CommandTimers::Save() const {
    return !path_.empty() && SaveTimerFile(path_, timers_, kept_);
}

void CommandTimers::SetTimers(std::vector<CommandTimer> timers) {
    Stop();
    timers_ = std::move(timers);
    if (session_.Connected()) Start();
}

void CommandTimers::ConnectionChanged(bool connected) {
    Stop();
    if (connected) Start();
}

void CommandTimers::Start() {
    running_ = timers_.size();
    for (std::size_t i = 0; i < timers_.size(); ++i) {
        const CommandTimer& timer = timers_[i];
        if (!timer.enabled || !TimerProblem(timer).empty()) continue;
        std::weak_ptr<int> alive = alive_;
        loop_.StartTimer(kFirstTimerId + static_cast<int>(i), timer.seconds * 1000,
                         [this, alive, i] {
                             if (!alive.expired()) Fire(i);
                         });
    }
}

void CommandTimers::Stop() {
    for (std::size_t i = 0; i < running_; ++i)
        loop_.StopTimer(kFirstTimerId + static_cast<int>(i));
    running_ = 0;
}

void CommandTimers::Fire(std::size_t index) {
    // The connection may have failed on a send without closing yet: never write then.
    if (!session_.Connected() || index >= timers_.size()) return;
    session_.SendCommandString(TimerCommandString(timers_[index].command));
}

} // namespace tav
