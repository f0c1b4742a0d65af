#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tav {

// Bytes of one script file read.
inline constexpr std::size_t kMaxScriptFileBytes = std::size_t{16} << 20;

// The file a script names inside `folder`: `relative` is plain names joined by '/' (no
// "..", "." or empty name, nothing absolute, no NUL), and the file it names, its links
// followed, is a regular file inside `folder`. Nothing otherwise, with the reason in
// `problem`.
std::optional<std::string> FileInside(const std::string& folder, std::string_view relative,
                                      std::string& problem);

// The file `require(name)` loads from the scripts folder: the dots of `name` as folders,
// then ".lua" ("lib.heal" is lib/heal.lua), else that folder's init.lua. A name is
// letters, digits, '_' and '-' in parts between single dots. `relative` gets the file's
// path inside the folder, as named.
std::optional<std::string> ModuleFile(const std::string& folder, std::string_view name,
                                      std::string& relative, std::string& problem);

// A whole file of at most `maxBytes` bytes; nothing when it cannot be read or is larger.
std::optional<std::string> ReadBoundedFile(const std::string& path, std::size_t maxBytes);

} // namespace tav
