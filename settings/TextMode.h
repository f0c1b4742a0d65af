#pragma once

#include "settings/AtomicFile.h"

#include <optional>
#include <string>
#include <string_view>

namespace tav {

// The files of a profile are "text mode" files: a "\n" written is stored as CR LF and
// CR LF read back becomes "\n", so files stay interchangeable with the ones the game's
// players already have. These helpers do that translation on whole files.

// Converts every "\n" to "\r\n".
std::string ToTextMode(std::string_view text);
// Converts every "\r\n" to "\n"; a lone CR stays.
std::string FromTextMode(std::string_view bytes);

// `text` without any CR or LF: a one-line field holds one line of a file, where a line
// break would shift every line after it.
std::string WithoutLineBreaks(std::string_view text);

// Reads a whole file; nothing when it cannot be opened.
std::optional<std::string> ReadFileBytes(const std::string& path);
// Reads a whole text-mode file with CR LF turned into "\n".
std::optional<std::string> ReadTextFile(const std::string& path);

// Writes a whole text-mode file (ToTextMode of `text`) with WriteFileAtomically.
bool WriteTextFile(const std::string& path, std::string_view text,
                   FileAccess access = FileAccess::Shared);

} // namespace tav
