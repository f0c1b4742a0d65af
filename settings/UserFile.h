#pragma once

#include <string>
#include <string_view>

namespace tav {

// Files the user picks in a chooser (a saved selection or window, a log) are written
// into, not replaced: the file keeps its mode, owner and hard links, a symbolic link
// stays a link and its target gets the text, and a file the user may write is written
// even where the folder takes no new files. The program's own files are replaced
// atomically instead (ReplaceFileAtomically).

// Opens `path` for writing in place, emptied, or creates it (0666 before the umask).
// The descriptor is close-on-exec. A FIFO nobody reads is refused rather than waited
// for. -1 when it cannot be opened.
int OpenUserFileForWriting(const std::string& path);

enum class UserFileResult {
    Written,   // every byte is in the file
    NotOpened, // the file could not be opened: it is unchanged
    NotWritten // a write, sync or close failed: the file may hold part of the text
};

// Writes `bytes` into the file at `path` in place, every write, the sync and the close
// checked.
UserFileResult WriteUserFile(const std::string& path, std::string_view bytes);

} // namespace tav
