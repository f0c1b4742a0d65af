#include "app/SignalPipe.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace tav {

namespace {

// The write end for the handler. A lock-free atomic is safe to read in a handler.
std::atomic<int> handlerFd{-1};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void WriteSignalNumber(int signal) {
    const int savedErrno = errno;
    const int fd = handlerFd.load(std::memory_order_relaxed);
    if (fd >= 0) {
        const auto byte = static_cast<unsigned char>(signal);
        // A full pipe already wakes the loop; a lost byte only loses a repeat.
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

} // namespace

SignalPipe::SignalPipe(std::initializer_list<int> caught) {
    int fds[2];
    if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) return;
    readFd_ = fds[0];
    writeFd_ = fds[1];
    handlerFd.store(writeFd_);

    struct sigaction action {};
    action.sa_handler = WriteSignalNumber;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (int signal : caught) {
        struct sigaction previous {};
        if (::sigaction(signal, &action, &previous) != 0) {
            Restore();
            return;
        }
        previous_.emplace_back(signal, previous);
    }
}

SignalPipe::~SignalPipe() {
    Restore();
}

void SignalPipe::Restore() {
    for (const auto& [signal, previous] : previous_)
        ::sigaction(signal, &previous, nullptr);
    previous_.clear();
    handlerFd.store(-1);
    for (int* fd : {&readFd_, &writeFd_}) {
        if (*fd >= 0) ::close(*fd);
        *fd = -1;
    }
}

std::vector<int> SignalPipe::Take() {
    std::vector<int> taken;
    if (readFd_ < 0) return taken;
    unsigned char buffer[64];
    for (;;) {
        const ssize_t n = ::read(readFd_, buffer, sizeof buffer);
        if (n <= 0) break; // empty (EAGAIN) or failed
        taken.insert(taken.end(), buffer, buffer + n);
    }
    return taken;
}

} // namespace tav
