#pragma once

#include "settings/ProfileFileNames.h"
#include "settings/ProfileLock.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

// Longest profile name the create dialog accepts.
inline constexpr std::size_t kMaxProfileName = 63;
// Longest line of the profile list a read takes as one name (a line read of 79 characters).
inline constexpr std::size_t kMaxProfileListLine = 79;

// Why a profile name cannot be used as one directory below "profiles".
enum class ProfileNameProblem {
    None,
    Empty,
    DotOrDotDot,     // exactly "." or "..": not a directory of its own
    Slash,           // '/' would reach another directory
    ControlCharacter // below 0x20 or DEL
};

// Names come from the user and from a hand-editable file. Only what is unsafe as one
// directory name is refused; names such as "Mr..T", ".alt" or long ones are fine.
ProfileNameProblem CheckProfileName(std::string_view name);

// The order the profile selection shows: letters compared without case, then by bytes.
bool ProfileNameLess(std::string_view a, std::string_view b);
// A name of one character counts as empty: it can be neither selected nor deleted.
inline bool SelectableProfileName(std::string_view name) {
    return name.size() > 1;
}

// The profile list "profiles.cfg" and the profile directories "profiles/<name>" below a root
// directory (the working directory, ".", in the program; a scratch directory in tests).
// The list is a text-mode file with one name per line, in the order the profiles were added.
class ProfileStore {
public:
    enum class CreateResult {
        Created,  // listed and its directory made
        Existing, // already listed: simply taken
        Failed    // no directory for it (the name may already be listed)
    };

    // The list as the selection shows it: the names up to the end of the file or an empty
    // line, without those refused (a line that is not a safe name, or longer than a list
    // line can be). Every line not shown is kept in `hidden`, in file order, so that a
    // rewrite never loses it; `refused` tells that at least one line was refused.
    struct ListRead {
        std::vector<std::string> names;
        std::vector<std::string> hidden;
        bool refused = false;
    };

    explicit ProfileStore(std::string root = ".");

    std::string ListPath() const;                        // "<root>/profiles.cfg"
    std::string ProfilesDir() const;                     // "<root>/profiles"
    std::string ProfileDir(std::string_view name) const; // "<root>/profiles/<name>"

    bool ListExists() const;
    // Reads the list (see ListRead); nothing when the list file cannot be read.
    std::optional<ListRead> ReadList() const;
    // Whether `name` is a line of the list (exact comparison).
    bool ProfileExists(std::string_view name) const;

    // Lists a new profile and makes its directory. Without a list yet, the list is created
    // and "profiles", "binary" and "text" are made as well; on that first start a
    // directory that cannot be made is not reported (saving into it will be). The name
    // must pass CheckProfileName.
    CreateResult CreateProfile(std::string_view name) const;

    // Tries to keep the profile for this process (ProfileLock). Unless another process
    // has it, the temporary files that saves of processes no longer running left in its
    // directory are removed. An unsafe name is not tried (State::None).
    ProfileLock LockProfile(std::string_view name) const;

    // Deletes the profile's files, the temporary files that killed saves of them left and
    // its lock file, and removes its directory; failures are silent (other files keep the
    // directory). The caller holds the lock, unless the profile is its own loaded one.
    void DeleteProfileFiles(std::string_view name) const;
    // Writes the list anew: `names` in their order, leaving out one-character names, then
    // the `hidden` lines of the read it came from. With nothing to write, the list file is
    // deleted. False when the file cannot be written.
    bool RewriteList(const std::vector<std::string>& names,
                     const std::vector<std::string>& hidden = {}) const;

private:
    std::string root_;
};

} // namespace tav
