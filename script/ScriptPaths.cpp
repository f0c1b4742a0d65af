#include "script/ScriptPaths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <memory>

namespace tav {

namespace {

std::optional<std::string> RealPath(const std::string& path) {
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr),
                                                           &std::free);
    if (!real) return std::nullopt;
    return std::string(real.get());
}

bool ModuleNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-';
}

} // namespace

std::optional<std::string> FileInside(const std::string& folder, std::string_view relative,
                                      std::string& problem) {
    if (relative.empty() || relative.front() == '/' ||
        relative.find('\0') != std::string_view::npos) {
        problem = "not a path inside the folder";
        return std::nullopt;
    }
    for (std::size_t at = 0; at <= relative.size();) {
        const std::size_t end = std::min(relative.find('/', at), relative.size());
        const std::string_view name = relative.substr(at, end - at);
        if (name.empty() || name == "." || name == "..") {
            problem = "not a path inside the folder";
            return std::nullopt;
        }
        at = end + 1;
    }
    const std::optional<std::string> base = RealPath(folder);
    const std::optional<std::string> file = RealPath(folder + "/" + std::string(relative));
    if (!base || !file) {
        problem = "no such file";
        return std::nullopt;
    }
    // A link may point anywhere: what counts is where the file really is.
    if (file->size() <= base->size() || file->compare(0, base->size(), *base) != 0 ||
        (*file)[base->size()] != '/') {
        problem = "the file lies outside the folder";
        return std::nullopt;
    }
    struct stat info {};
    if (::stat(file->c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        problem = "not a file";
        return std::nullopt;
    }
    return file;
}

std::optional<std::string> ModuleFile(const std::string& folder, std::string_view name,
                                      std::string& relative, std::string& problem) {
    relative.clear();
    bool partStart = true;
    for (const char c : name) {
        if (c == '.' && !partStart) {
            relative += '/';
            partStart = true;
        } else if (ModuleNameChar(c)) {
            relative += c;
            partStart = false;
        } else {
            partStart = true;
            relative.clear();
            break;
        }
    }
    if (relative.empty() || partStart) {
        problem = "not a module name (letters, digits, '_' and '-' between single dots)";
        return std::nullopt;
    }
    const std::string base = relative;
    std::string firstProblem;
    relative = base + ".lua";
    if (auto file = FileInside(folder, relative, firstProblem)) return file;
    relative = base + "/init.lua";
    if (auto file = FileInside(folder, relative, problem)) return file;
    problem = "no file " + base + ".lua: " + firstProblem;
    return std::nullopt;
}

std::optional<std::string> ReadBoundedFile(const std::string& path, std::size_t maxBytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::string bytes;
    char buffer[65536];
    bool ok = true;
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        if (got == 0) break;
        if (bytes.size() + static_cast<std::size_t>(got) > maxBytes) {
            ok = false;
            break;
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    if (!ok) return std::nullopt;
    return bytes;
}

} // namespace tav
