#include "app/DataDirectory.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace tav {

namespace {

constexpr mode_t kParentMode = 0755;
constexpr mode_t kDataMode = 0700;

bool IsDirectory(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool MakeDirectory(const std::string& path, mode_t mode) {
    return ::mkdir(path.c_str(), mode) == 0 || (errno == EEXIST && IsDirectory(path));
}

} // namespace

std::string DataDirectory::Default() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg != nullptr && xdg[0] == '/') return std::string(xdg) + "/tavclient";
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') return std::string(home) + "/.local/share/tavclient";
    return {};
}

std::optional<std::string> DataDirectory::Enter(const std::string& dir) {
    if (dir.empty()) return "no data directory (set HOME or use --data-dir DIR)";
    // Make each missing parent, then the directory itself for the user alone.
    for (std::size_t slash = dir.find('/', 1); slash != std::string::npos;
         slash = dir.find('/', slash + 1)) {
        std::string parent = dir.substr(0, slash);
        if (!MakeDirectory(parent, kParentMode))
            return "cannot create " + parent + ": " + std::strerror(errno);
    }
    if (!MakeDirectory(dir, kDataMode)) return "cannot create " + dir + ": " + std::strerror(errno);
    if (::chdir(dir.c_str()) != 0) return "cannot enter " + dir + ": " + std::strerror(errno);
    return std::nullopt;
}

} // namespace tav
