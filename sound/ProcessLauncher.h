#pragma once

#include <string>
#include <vector>

namespace tav {

// How an external player program is started: its argument vector (argv[0] is the program,
// looked up on PATH when it has no slash) and how it should appear.
struct PlayerLaunch {
    std::vector<std::string> argv;
    bool hidden = false;     // no terminal output: standard streams go to /dev/null
    bool newConsole = false; // detached from our terminal in a session of its own
};

// The outcome of a start: the process id, or -1 with the reason.
struct LaunchResult {
    int pid = -1;
    std::string error;
    bool Started() const { return pid > 0; }
};

// Starts external player programs and follows them. The program is run directly from the
// argument vector, never through a shell. IsRunning and Terminate accept only ids this
// launcher returned; once either has seen a process end, its id is released (no zombie).
class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;
    virtual LaunchResult Start(const PlayerLaunch& launch) = 0;
    // True while the process runs; when it has ended, collects it and returns false.
    virtual bool IsRunning(int pid) = 0;
    // Ends the process (and the process group it leads) and collects it.
    virtual void Terminate(int pid) = 0;
};

} // namespace tav
