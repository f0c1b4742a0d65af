#pragma once

// Real write failures on demand, through the limit the kernel puts on file sizes.

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tav::test {

// While it lives, no file of this process may grow beyond `bytes`: a write crossing the
// limit is cut short there and the next one fails with EFBIG (the signal that would
// otherwise end the process is ignored). The old limit comes back at the end.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
    void (*oldHandler_)(int) = SIG_DFL;
};

// Runs `write` in a child process that dies like a crash in the middle of writing: the
// first write that takes a file beyond `bytes` kills it with SIGXFSZ. True when it died
// that way (false when `write` finished without crossing the limit).
inline bool CrashesMidWrite(const std::function<void()>& write, rlim_t bytes) {
    const pid_t child = ::fork();
    if (child < 0) return false;
    if (child == 0) {
        const rlimit noCore{0, 0};
        ::setrlimit(RLIMIT_CORE, &noCore);
        FileSizeLimit limit(bytes); // kept to the end: the child never returns
        std::signal(SIGXFSZ, SIG_DFL);
        write();
        ::_exit(0);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child) return false;
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ;
}

} // namespace tav::test
