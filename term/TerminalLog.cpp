#include "term/TerminalLog.h"

#include "settings/AtomicFile.h"
#include "settings/TextMode.h"
#include "settings/UserFile.h"

#include <cerrno>
#include <unistd.h>

namespace tav {

TerminalLog::~TerminalLog() {
    if (fd_ >= 0) ::close(fd_);
}

bool TerminalLog::CheckNotLogging() {
    if (!IsOpen()) return true;
    boxes_.ShowMessage(kAlreadyLogging, kErrorTitle);
    return false;
}

bool TerminalLog::Begin(const std::string& path) {
    if (!CheckNotLogging()) return false;
    fd_ = OpenUserFileForWriting(path);
    if (fd_ < 0) {
        boxes_.ShowMessage(kUnableToOpen, kErrorTitle);
        return false;
    }
    return true;
}

void TerminalLog::End() {
    if (fd_ < 0) return;
    const int fd = fd_;
    fd_ = -1;
    // A full disk may show only now, when the file system writes back on close.
    if (::close(fd) != 0 && errno != EINTR) boxes_.ShowMessage(kLogWriteFailed, kErrorTitle);
}

void TerminalLog::Write(std::string_view text) {
    if (fd_ < 0) return;
    if (!WriteAllBytes(fd_, ToTextMode(text))) Fail();
}

void TerminalLog::Fail() {
    ::close(fd_);
    fd_ = -1;
    boxes_.ShowMessage(kLogWriteFailed, kErrorTitle);
}

bool SaveTextAs(MessageBoxes& boxes, const std::string& path, std::string_view text) {
    if (WriteUserFile(path, ToTextMode(FromTextMode(text))) == UserFileResult::Written) return true;
    boxes.ShowMessage(kUnableToOpen, kErrorTitle);
    return false;
}

} // namespace tav
