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
constexpr std::string_view kOption = "--data-dir";

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

DataDirectory::Options DataDirectory::Parse(const std::vector<std::string>& args) {
    Options options;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == kOption) {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                options.error = "--data-dir needs a directory";
                return options;
            }
            options.dataDir = args[++i];
        } else if (arg.starts_with(std::string(kOption) + "=")) {
            std::string dir = arg.substr(kOption.size() + 1);
            if (dir.empty()) {
                options.error = "--data-dir needs a directory";
                return options;
            }
            options.dataDir = dir;
        }
    }
    return options;
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
