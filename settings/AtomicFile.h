#pragma once

#include <string>
#include <string_view>

namespace tav {

// Who may read a file the program writes.
enum class FileAccess {
    Shared,   // as the umask allows (0666 before it)
    OwnerOnly // the user alone (0600): files holding a password
};

// How a replacement went.
enum class AtomicWriteResult {
    Replaced,   // the new content is in place, and synced
    NotCreated, // no temporary file could be made (no directory, no permission): no change
    NotWritten, // writing, syncing or renaming failed: the old file is untouched
    NotSynced   // the new content is in place, but the directory could not be synced
};

// Replaces the file at `path` with `bytes` as one step: the bytes go to a new temporary
// file in the same directory, which is synced, renamed over `path`, and then the
// directory is synced too. Whenever the program dies (or the machine stops), `path` holds
// either its old content or the new one, never an empty or cut file. On NotCreated and
// NotWritten the temporary file is removed again; on NotSynced the new content may not
// survive a power loss. A symbolic link at `path` is replaced, never followed. Every file
// the program saves goes through here.
AtomicWriteResult ReplaceFileAtomically(const std::string& path, std::string_view bytes,
                                        FileAccess access = FileAccess::Shared);

// ReplaceFileAtomically, true only when the new content is in place and synced.
bool WriteFileAtomically(const std::string& path, std::string_view bytes,
                         FileAccess access = FileAccess::Shared);

// Removes the file at `path`; true when it is gone, removed now or not there at all. A
// file that stays would bring back what its removal was to drop.
bool RemoveFileIfPresent(const std::string& path);

// Writes all of `bytes` to `fd`, going on after interrupted and partial writes; false
// when a write fails or writes nothing.
bool WriteAllBytes(int fd, std::string_view bytes);

// Whether `name` is a temporary file that replacing the file `target` (both bare names in
// one directory) makes: "<target>.tmp-<process id>-<number>". A save killed mid-way
// leaves one behind.
bool IsTemporaryFileOf(std::string_view name, std::string_view target);

// Removes from `directory` the temporary files (as above, for any target) of processes that
// no longer run, which saves killed mid-way left. Those of a running process, and every
// other name, stay.
void RemoveDeadTemporaries(const std::string& directory);

} // namespace tav
