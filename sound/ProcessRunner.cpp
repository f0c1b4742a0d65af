#include "sound/ProcessRunner.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tav {

namespace {

// The first descriptor a player does not inherit: it gets standard input, output and
// error only, never our sockets or files.
constexpr int kFirstClosedFd = 3;

// posix_spawn's attribute and file-action objects with their clean-up.
class SpawnSetup {
public:
    SpawnSetup() {
        attrOk_ = posix_spawnattr_init(&attr_) == 0;
        actionsOk_ = posix_spawn_file_actions_init(&actions_) == 0;
    }
    ~SpawnSetup() {
        if (attrOk_) posix_spawnattr_destroy(&attr_);
        if (actionsOk_) posix_spawn_file_actions_destroy(&actions_);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    // Returns 0 or an error number.
    int Prepare(const PlayerLaunch& launch) {
        if (!attrOk_ || !actionsOk_) return ENOMEM;
        // Every signal back to its default and unblocked, whatever this thread had.
        sigset_t all;
        sigset_t none;
        sigfillset(&all);
        sigemptyset(&none);
        short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
        // A process group of its own either way, so Terminate reaches what it starts.
        flags |= launch.newConsole ? POSIX_SPAWN_SETSID : POSIX_SPAWN_SETPGROUP;
        int rc = posix_spawnattr_setflags(&attr_, flags);
        if (rc == 0) rc = posix_spawnattr_setsigdefault(&attr_, &all);
        if (rc == 0) rc = posix_spawnattr_setsigmask(&attr_, &none);
        if (rc == 0 && !launch.newConsole) rc = posix_spawnattr_setpgroup(&attr_, 0);
        // A player never reads our input; a hidden one writes nowhere either.
        if (rc == 0)
            rc =
                posix_spawn_file_actions_addopen(&actions_, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        if (rc == 0 && launch.hidden) {
            rc = posix_spawn_file_actions_addopen(&actions_, STDOUT_FILENO, "/dev/null", O_WRONLY,
                                                  0);
            if (rc == 0)
                rc = posix_spawn_file_actions_adddup2(&actions_, STDOUT_FILENO, STDERR_FILENO);
        }
        if (rc == 0) rc = posix_spawn_file_actions_addclosefrom_np(&actions_, kFirstClosedFd);
        return rc;
    }

    const posix_spawnattr_t* Attr() const { return &attr_; }
    const posix_spawn_file_actions_t* Actions() const { return &actions_; }

private:
    posix_spawnattr_t attr_{};
    posix_spawn_file_actions_t actions_{};
    bool attrOk_ = false;
    bool actionsOk_ = false;
};

pid_t WaitNoHang(int pid) {
    int status = 0;
    pid_t r;
    do {
        r = ::waitpid(pid, &status, WNOHANG);
    } while (r < 0 && errno == EINTR);
    return r;
}

void WaitBlocking(int pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

} // namespace

ProcessRunner::~ProcessRunner() {
    std::set<int> left;
    {
        std::lock_guard lock(mutex_);
        left = children_;
    }
    for (const int pid : left)
        Terminate(pid);
}

LaunchResult ProcessRunner::Start(const PlayerLaunch& launch) {
    if (launch.argv.empty() || launch.argv.front().empty())
        return {-1, "No player program is set."};
    SpawnSetup setup;
    if (const int rc = setup.Prepare(launch); rc != 0) return {-1, std::strerror(rc)};

    std::vector<char*> argv;
    argv.reserve(launch.argv.size() + 1);
    for (const std::string& word : launch.argv)
        argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);

    std::lock_guard lock(mutex_);
    pid_t pid = -1;
    const int rc =
        ::posix_spawnp(&pid, argv[0], setup.Actions(), setup.Attr(), argv.data(), environ);
    if (rc != 0) return {-1, launch.argv.front() + ": " + std::strerror(rc)};
    children_.insert(pid);
    return {pid, {}};
}

bool ProcessRunner::IsRunning(int pid) {
    std::lock_guard lock(mutex_);
    if (children_.count(pid) == 0) return false;
    if (WaitNoHang(pid) == 0) return true;
    children_.erase(pid); // collected, or already gone
    return false;
}

void ProcessRunner::Terminate(int pid) {
    std::lock_guard lock(mutex_);
    if (children_.count(pid) == 0) return;
    // The player leads its own group: end the group, then collect the player. Until it is
    // collected its id cannot be reused, so the group id still names it.
    ::kill(-pid, SIGKILL);
    ::kill(pid, SIGKILL);
    WaitBlocking(pid);
    children_.erase(pid);
}

} // namespace tav
