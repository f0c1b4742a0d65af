#include "settings/TextMode.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace tav {

std::string ToTextMode(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char ch : text) {
        if (ch == '\n') out.push_back('\r');
        out.push_back(ch);
    }
    return out;
}

std::string FromTextMode(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
        out.push_back(bytes[i]);
    }
    return out;
}

std::string WithoutLineBreaks(std::string_view text) {
    std::string kept;
    kept.reserve(text.size());
    for (char ch : text)
        if (ch != '\r' && ch != '\n') kept.push_back(ch);
    return kept;
}

std::optional<std::string> ReadFileBytes(const std::string& path) {
    // Close-on-exec: a program started from another thread meanwhile must not keep it.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return std::nullopt;
    std::string bytes;
    char block[16384];
    for (;;) {
        const ssize_t n = ::read(fd, block, sizeof block);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        bytes.append(block, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return bytes;
}

std::optional<std::string> ReadTextFile(const std::string& path) {
    auto bytes = ReadFileBytes(path);
    if (!bytes) return std::nullopt;
    return FromTextMode(*bytes);
}

bool WriteTextFile(const std::string& path, std::string_view text, FileAccess access) {
    return WriteFileAtomically(path, ToTextMode(text), access);
}

} // namespace tav
