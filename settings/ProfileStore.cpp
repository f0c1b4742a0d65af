#include "settings/ProfileStore.h"

#include "settings/AtomicFile.h"
#include "settings/TextMode.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tav {

namespace {

constexpr mode_t kDirectoryMode = 0755;

// True when the directory exists afterwards.
bool MakeDirectory(const std::string& path) {
    if (::mkdir(path.c_str(), kDirectoryMode) == 0) return true;
    struct stat info {};
    return errno == EEXIST && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

char LowerAscii(char ch) {
    return (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch - 'A' + 'a') : ch;
}

// Splits the list's text into lines; a last line without its line feed still counts.
std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        if (end == std::string_view::npos) {
            lines.push_back(text);
            break;
        }
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end + 1);
    }
    return lines;
}

} // namespace

ProfileNameProblem CheckProfileName(std::string_view name) {
    if (name.empty()) return ProfileNameProblem::Empty;
    if (name == "." || name == "..") return ProfileNameProblem::DotOrDotDot;
    for (char ch : name) {
        auto byte = static_cast<unsigned char>(ch);
        if (byte < 0x20 || byte == 0x7F) return ProfileNameProblem::ControlCharacter;
    }
    if (name.find('/') != std::string_view::npos) return ProfileNameProblem::Slash;
    return ProfileNameProblem::None;
}

bool ProfileNameLess(std::string_view a, std::string_view b) {
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        char x = LowerAscii(a[i]);
        char y = LowerAscii(b[i]);
        if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
}

ProfileStore::ProfileStore(std::string root) : root_(std::move(root)) {}

std::string ProfileStore::ListPath() const {
    return root_ + "/profiles.cfg";
}

std::string ProfileStore::ProfilesDir() const {
    return root_ + "/profiles";
}

std::string ProfileStore::ProfileDir(std::string_view name) const {
    return ProfilesDir() + "/" + std::string(name);
}

bool ProfileStore::ListExists() const {
    return ::access(ListPath().c_str(), F_OK) == 0;
}

std::optional<ProfileStore::ListRead> ProfileStore::ReadList() const {
    auto text = ReadTextFile(ListPath());
    if (!text) return std::nullopt;
    ListRead read;
    const std::vector<std::string_view> lines = SplitLines(*text);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string_view line = lines[i];
        if (line.empty()) {
            // The list ends here; what follows is not shown but stays in the file.
            read.hidden.insert(read.hidden.end(), lines.begin() + static_cast<std::ptrdiff_t>(i),
                               lines.end());
            break;
        }
        if (line.size() > kMaxProfileListLine ||
            CheckProfileName(line) != ProfileNameProblem::None) {
            read.refused = true;
            read.hidden.emplace_back(line);
            continue;
        }
        read.names.emplace_back(line);
    }
    return read;
}

bool ProfileStore::ProfileExists(std::string_view name) const {
    auto text = ReadTextFile(ListPath());
    if (!text) return false;
    auto lines = SplitLines(*text);
    return std::find(lines.begin(), lines.end(), name) != lines.end();
}

ProfileStore::CreateResult ProfileStore::CreateProfile(std::string_view name) const {
    if (CheckProfileName(name) != ProfileNameProblem::None) return CreateResult::Failed;
    if (ProfileExists(name)) return CreateResult::Existing;

    std::string entry = ToTextMode(std::string(name) + "\n");
    if (auto bytes = ReadFileBytes(ListPath())) {
        // A hand-edited list may lack its last line end; keep the names apart.
        if (!bytes->empty() && bytes->back() != '\n') *bytes += "\r\n";
        if (!WriteFileAtomically(ListPath(), *bytes + entry)) return CreateResult::Failed;
        return MakeDirectory(ProfileDir(name)) ? CreateResult::Created : CreateResult::Failed;
    }
    if (!WriteFileAtomically(ListPath(), entry)) return CreateResult::Failed;
    MakeDirectory(ProfilesDir());
    MakeDirectory(root_ + "/binary");
    MakeDirectory(root_ + "/text");
    // On the first start the profile is taken even without its directory: the list already
    // names it, and the first save into it reports its own failure.
    MakeDirectory(ProfileDir(name));
    return CreateResult::Created;
}

ProfileLock ProfileStore::LockProfile(std::string_view name) const {
    if (CheckProfileName(name) != ProfileNameProblem::None) return {};
    ProfileLock lock = ProfileLock::TryLock(ProfileDir(name));
    if (!lock.InUse()) RemoveDeadTemporaries(ProfileDir(name));
    return lock;
}

void ProfileStore::DeleteProfileFiles(std::string_view name) const {
    if (CheckProfileName(name) != ProfileNameProblem::None) return;
    std::string dir = ProfileDir(name);
    const auto each = [](auto&& fn) {
        for (std::string_view file : kStoredProfileFiles)
            fn(file);
        for (std::string_view file : kOwnProfileFiles)
            fn(file);
    };
    each([&](std::string_view file) { ::unlink((dir + "/" + std::string(file)).c_str()); });
    // A save killed mid-way leaves its temporary file, which would keep the directory.
    if (DIR* entries = ::opendir(dir.c_str())) {
        std::vector<std::string> leftovers;
        while (const dirent* entry = ::readdir(entries)) {
            const std::string_view entryName = entry->d_name;
            each([&](std::string_view file) {
                if (IsTemporaryFileOf(entryName, file)) leftovers.emplace_back(entryName);
            });
        }
        ::closedir(entries);
        for (const std::string& leftover : leftovers)
            ::unlink((dir + "/" + leftover).c_str());
    }
    ::unlink((dir + "/" + std::string(kProfileLockFileName)).c_str());
    ::rmdir(dir.c_str());
}

bool ProfileStore::RewriteList(const std::vector<std::string>& names,
                               const std::vector<std::string>& hidden) const {
    std::string text;
    for (const std::string& name : names) {
        if (!SelectableProfileName(name)) continue;
        text.append(name).append("\n");
    }
    for (const std::string& line : hidden)
        text.append(line).append("\n");
    if (names.empty() && hidden.empty()) return RemoveFileIfPresent(ListPath());
    return WriteTextFile(ListPath(), text);
}

} // namespace tav
