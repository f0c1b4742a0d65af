#include "client/ClientFiles.h"

#include "screen/TextDecoder.h"
#include "settings/AtomicFile.h"
#include "settings/TextMode.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace tav {

namespace {

// Whether a download may be stored at `path`: nothing is there yet, or a regular file that
// the download replaces. A symbolic link (never followed) or a directory refuses it, as
// an open for writing would.
bool MayReplace(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return errno == ENOENT;
    return S_ISREG(info.st_mode);
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
    // The name's Latin-1 characters in UTF-8, the way file choosers and listings decode
    // names, so an accented name lists and opens as itself.
    std::string path =
        Join(Join(absoluteRoot_, kTextDir), Latin1ToGameBytes(name, TextEncoding::Utf8));
    path += kIdExtension;
    return path;
}

std::uint64_t ClientFiles::TextFileBytes(std::string_view text) {
    return text.size() + static_cast<std::uint64_t>(std::count(text.begin(), text.end(), '\n'));
}

std::string ClientFiles::Resolve(const std::string& relative) const {
    return Join(root_, relative);
}

// Both downloads replace their file as one step, so a kill or a crash mid-write never
// leaves a cut file that would later count as cached.
bool ClientFiles::WriteText(std::string_view name, std::string_view text) const {
    if (!IsSafeName(name)) return false;
    const std::string path = Resolve(TextPath(name));
    if (!MayReplace(path)) return false;
    return ReplaceFileAtomically(path, ToTextMode(text)) != AtomicWriteResult::NotCreated;
}

ClientFiles::BinaryWrite ClientFiles::WriteBinary(std::string_view name,
                                                  std::span<const std::uint8_t> bytes) const {
    if (!IsSafeName(name)) return {};
    const std::string path = Resolve(BinaryPath(name));
    if (!MayReplace(path)) return {};
    const std::string_view content(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    switch (ReplaceFileAtomically(path, content)) {
    case AtomicWriteResult::NotCreated: return {};
    case AtomicWriteResult::NotWritten: return {true, false}; // the old file stays whole
    case AtomicWriteResult::Replaced:
    case AtomicWriteResult::NotSynced: return {true, true};
    }
    return {};
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
