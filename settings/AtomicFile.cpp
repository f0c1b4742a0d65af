#include "settings/AtomicFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <climits>
#include <csignal>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tav {

namespace {

constexpr std::string_view kTemporaryInfix = ".tmp-";

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// Creates a temporary file beside `path` that nobody else has; the mode goes through
// the umask like any other new file. -1 when none can be made.
int CreateTemporary(const std::string& path, mode_t mode, std::string& temporary) {
    static std::atomic<unsigned> counter{0};
    constexpr int kAttempts = 100;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        // A name left over by a process that died mid-save only costs one more attempt.
        temporary = path + std::string(kTemporaryInfix) + std::to_string(::getpid()) + "-" +
                    std::to_string(counter.fetch_add(1));
        const int fd =
            ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// Makes a rename in the directory durable. File systems that cannot sync a directory
// say so with EINVAL; there is nothing more to do on those.
bool SyncDirectory(const std::string& directory) {
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
    ::close(fd);
    return synced;
}

} // namespace

AtomicWriteResult ReplaceFileAtomically(const std::string& path, std::string_view bytes,
                                        FileAccess access) {
    const mode_t mode = access == FileAccess::OwnerOnly ? 0600 : 0666;
    std::string temporary;
    const int fd = CreateTemporary(path, mode, temporary);
    if (fd < 0) return AtomicWriteResult::NotCreated;
    bool ok = WriteAllBytes(fd, bytes) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok || std::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return AtomicWriteResult::NotWritten;
    }
    return SyncDirectory(DirectoryOf(path)) ? AtomicWriteResult::Replaced
                                            : AtomicWriteResult::NotSynced;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes, FileAccess access) {
    return ReplaceFileAtomically(path, bytes, access) == AtomicWriteResult::Replaced;
}

bool RemoveFileIfPresent(const std::string& path) {
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

bool WriteAllBytes(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool IsTemporaryFileOf(std::string_view name, std::string_view target) {
    if (name.size() <= target.size() || name.substr(0, target.size()) != target) return false;
    name.remove_prefix(target.size());
    if (name.substr(0, kTemporaryInfix.size()) != kTemporaryInfix) return false;
    name.remove_prefix(kTemporaryInfix.size());
    // Two decimal numbers joined by '-'.
    const std::size_t dash = name.find('-');
    if (dash == std::string_view::npos) return false;
    const auto digits = [](std::string_view part) {
        return !part.empty() &&
               std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    return digits(name.substr(0, dash)) && digits(name.substr(dash + 1));
}

void RemoveDeadTemporaries(const std::string& directory) {
    DIR* entries = ::opendir(directory.c_str());
    if (entries == nullptr) return;
    std::vector<std::string> dead;
    while (const dirent* entry = ::readdir(entries)) {
        const std::string_view name = entry->d_name;
        const std::size_t infix = name.rfind(kTemporaryInfix);
        if (infix == 0 || infix == std::string_view::npos ||
            !IsTemporaryFileOf(name, name.substr(0, infix)))
            continue;
        const std::string_view digits = name.substr(infix + kTemporaryInfix.size());
        long long pid = 0;
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), pid);
        // kill() with signal 0 only asks whether the process is there. EPERM: it is, as
        // another user's; a number no process can have is left alone too.
        if (error != std::errc() || *end != '-' || pid <= 0 || pid > INT_MAX) continue;
        if (::kill(static_cast<pid_t>(pid), 0) == -1 && errno == ESRCH) dead.emplace_back(name);
    }
    ::closedir(entries);
    for (const std::string& name : dead) {
        const std::string path = directory + "/" + name;
        struct stat info {};
        if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) ::unlink(path.c_str());
    }
}

} // namespace tav
