#pragma once

#include <csignal>
#include <initializer_list>
#include <utility>
#include <vector>

namespace tav {

// Turns asynchronous signals into bytes on a pipe that an event loop can watch (the
// self-pipe trick). The handler only writes the signal's number to the pipe, which is
// safe in a signal handler; the loop sees the pipe's read end become readable, takes the
// numbers with Take and does the real work outside the handler.
//
// Each signal is caught once: the system puts its default action back as it delivers it,
// so a second one ends a program that hangs on its way out. One SignalPipe at a time per
// process; the destructor puts the previous handlers back.
class SignalPipe {
public:
    explicit SignalPipe(std::initializer_list<int> caught);
    ~SignalPipe();
    SignalPipe(const SignalPipe&) = delete;
    SignalPipe& operator=(const SignalPipe&) = delete;

    // False when the pipe or a handler could not be set up (nothing is caught then).
    bool Ok() const { return readFd_ >= 0; }
    // The read end (non-blocking, closed on exec): readable while signals wait.
    int ReadFd() const { return readFd_; }
    // The signals caught since the last call, in the order they came.
    std::vector<int> Take();

private:
    void Restore();

    int readFd_ = -1;
    int writeFd_ = -1;
    std::vector<std::pair<int, struct sigaction>> previous_;
};

} // namespace tav
