#pragma once

#include "sound/ProcessLauncher.h"

#include <mutex>
#include <set>

namespace tav {

// Starts player programs with posix_spawnp: no shell, only the standard streams are
// inherited, and each player leads a process group of its own so that ending it also
// ends what it started. Every process started here is collected: by IsRunning once it
// has ended, by Terminate, or, for any still running, by the destructor.
class ProcessRunner final : public ProcessLauncher {
public:
    ProcessRunner() = default;
    ~ProcessRunner() override;
    ProcessRunner(const ProcessRunner&) = delete;
    ProcessRunner& operator=(const ProcessRunner&) = delete;

    LaunchResult Start(const PlayerLaunch& launch) override;
    bool IsRunning(int pid) override;
    void Terminate(int pid) override;

private:
    std::mutex mutex_;
    std::set<int> children_;
};

} // namespace tav
