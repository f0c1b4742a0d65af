#include "settings/ProfileLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace tav {

namespace {

// Deleting a profile removes its lock file while holding the lock. A process that opened
// the file just before then locks a file no longer there, and tries the new one.
constexpr int kAttempts = 8;

int OpenLockFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
    // A directory the user may read but not write: a lock file already there still locks.
    if (fd < 0 && (errno == EACCES || errno == EROFS))
        return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    return fd;
}

bool SameFile(int fd, const std::string& path) {
    struct stat held {};
    struct stat named {};
    return ::fstat(fd, &held) == 0 && ::stat(path.c_str(), &named) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

} // namespace

ProfileLock::~ProfileLock() {
    Release();
}

ProfileLock::ProfileLock(ProfileLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), state_(std::exchange(other.state_, State::None)) {}

ProfileLock& ProfileLock::operator=(ProfileLock&& other) noexcept {
    if (this != &other) {
        Release();
        fd_ = std::exchange(other.fd_, -1);
        state_ = std::exchange(other.state_, State::None);
    }
    return *this;
}

void ProfileLock::Release() {
    if (fd_ >= 0) ::close(fd_); // closing the only descriptor drops the lock
    fd_ = -1;
    state_ = State::None;
}

ProfileLock ProfileLock::TryLock(const std::string& directory) {
    const std::string path = directory + "/" + std::string(kProfileLockFileName);
    ProfileLock lock;
    lock.state_ = State::NoLock;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const int fd = OpenLockFile(path);
        if (fd < 0) return lock;
        int locked = 0;
        do {
            locked = ::flock(fd, LOCK_EX | LOCK_NB);
        } while (locked != 0 && errno == EINTR);
        if (locked != 0) {
            if (errno == EWOULDBLOCK) lock.state_ = State::InUse;
            ::close(fd);
            return lock; // InUse, or NoLock where the file system has no locks
        }
        if (SameFile(fd, path)) {
            lock.fd_ = fd;
            lock.state_ = State::Held;
            return lock;
        }
        ::close(fd);
    }
    return lock;
}

} // namespace tav
