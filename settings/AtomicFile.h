#pragma once

#include <string>
#include <string_view>

namespace tav {

// Who may read a file the program writes.
enum class FileAccess {
    Shared,   // as the umask allows (0666 before it)
    OwnerOnly // the user alone (0600): files holding a password
};

// Replaces the file at `path` with `bytes` as one step: the bytes go to a new temporary
// file in the same directory, which is synced, renamed over `path`, and then the
// directory is synced too. Whenever the program dies (or the machine stops), `path` holds
// either its old content or the new one, never an empty or cut file. False when any step
// failed; the temporary file is then removed and the old file is untouched (unless only
// the final directory sync failed, in which case the new content is in place but may not
// survive a power loss). Every file the program saves goes through here.
bool WriteFileAtomically(const std::string& path, std::string_view bytes,
                         FileAccess access = FileAccess::Shared);

} // namespace tav
