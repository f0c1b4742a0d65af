#include "client/ClientFiles.h"

#include "settings/TextMode.h"

#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace tav {

namespace {

constexpr mode_t kFileMode = 0644;

// Opens for writing, replacing the file; never follows a symbolic link at the name.
int OpenForWrite(const std::string& path) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, kFileMode);
}

std::size_t WriteFully(int fd, const std::uint8_t* bytes, std::size_t size) {
    std::size_t written = 0;
    while (written < size) {
        const ssize_t n = ::write(fd, bytes + written, size - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        written += static_cast<std::size_t>(n);
    }
    return written;
}

std::string Join(std::string_view dir, std::string_view name) {
    std::string path(dir);
    path += '/';
    path += name;
    return path;
}

} // namespace

ClientFiles::ClientFiles(std::string root) : root_(std::move(root)) {
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(root_, error);
    absoluteRoot_ = absolute.lexically_normal().string();
    while (absoluteRoot_.size() > 1 && absoluteRoot_.back() == '/')
        absoluteRoot_.pop_back();
}

bool ClientFiles::IsSafeName(std::string_view name) {
    if (name.empty() || name.front() == '.') return false;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || byte < 0x20 || byte == 0x7f) return false;
    }
    return true;
}

std::string ClientFiles::TextPath(std::string_view name) {
    return Join(kTextDir, name);
}

std::string ClientFiles::BinaryPath(std::string_view name) {
    return Join(kBinaryDir, name);
}

std::string ClientFiles::IdPath(std::string_view name) const {
    std::string path = Join(Join(absoluteRoot_, kTextDir), name);
    path += kIdExtension;
    return path;
}

std::string ClientFiles::Resolve(const std::string& relative) const {
    return Join(root_, relative);
}

bool ClientFiles::WriteText(std::string_view name, std::string_view text) const {
    if (!IsSafeName(name)) return false;
    const int fd = OpenForWrite(Resolve(TextPath(name)));
    if (fd < 0) return false;
    const std::string bytes = ToTextMode(text);
    WriteFully(fd, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    ::close(fd);
    return true;
}

ClientFiles::BinaryWrite ClientFiles::WriteBinary(std::string_view name,
                                                  std::span<const std::uint8_t> bytes) const {
    if (!IsSafeName(name)) return {};
    const int fd = OpenForWrite(Resolve(BinaryPath(name)));
    if (fd < 0) return {};
    const std::size_t written = WriteFully(fd, bytes.data(), bytes.size());
    const bool closed = ::close(fd) == 0;
    return {true, written == bytes.size() && closed};
}

bool ClientFiles::IsCached(std::string_view name) const {
    if (!IsSafeName(name)) return false;
    const int fd = ::open(Resolve(BinaryPath(name)).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info {};
    const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    ::close(fd);
    return regular;
}

} // namespace tav
