#include "settings/UserFile.h"

#include "settings/AtomicFile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace tav {

int OpenUserFileForWriting(const std::string& path) {
    // Non-blocking only for the open: a FIFO without a reader fails at once (ENXIO)
    // instead of stopping the program until someone reads it.
    const int fd = ::open(path.c_str(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
    if (fd < 0) return -1;
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

UserFileResult WriteUserFile(const std::string& path, std::string_view bytes) {
    const int fd = OpenUserFileForWriting(path);
    if (fd < 0) return UserFileResult::NotOpened;
    // Devices and pipes cannot be synced (EINVAL); what they were given is all there is.
    bool ok = WriteAllBytes(fd, bytes) && (::fsync(fd) == 0 || errno == EINVAL);
    ok = ::close(fd) == 0 && ok;
    return ok ? UserFileResult::Written : UserFileResult::NotWritten;
}

} // namespace tav
