#pragma once

#include "commands/Alias.h"
#include "settings/ProfileFileNames.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

// aliases.cfg in the profile directory: a text-mode file of lines "name=body". Blank
// lines and lines beginning with '#' are notes; any other line that is not an alias
// within the bounds below (or names an alias a second time, or comes after
// kMaxAliases) is not understood: it is kept in its place when the file is written
// again and counted when it is read.
inline constexpr std::size_t kMaxAliasName = 32;
inline constexpr std::size_t kMaxAliasBody = 1000;
inline constexpr std::size_t kMaxAliases = 1000;

// "<dataRoot>/profiles/<profile>/aliases.cfg".
std::string AliasFilePath(std::string_view dataRoot, std::string_view profile);

// Why `name` cannot name an alias, or nothing when it can: it must be one word (no
// spaces, '=' or control characters) of at most kMaxAliasName characters.
std::optional<std::string> AliasNameProblem(std::string_view name);
// Why `body` cannot be an alias's body: no line breaks, at most kMaxAliasBody characters.
std::optional<std::string> AliasBodyProblem(std::string_view body);

struct AliasFileContents {
    std::vector<Alias> aliases; // in file order
    std::size_t notUnderstood = 0;
};
// The aliases of a file's text (CR LF already turned into "\n").
AliasFileContents ParseAliasText(std::string_view text);
// The file's new text: every line of `existing` stays in its place except the aliases'
// lines, which carry the new bodies (a deleted alias's line goes); new aliases are added
// at the end. An empty `existing` starts with a note on the form.
std::string WriteAliasText(const std::vector<Alias>& aliases, std::string_view existing);

// A missing file gives no aliases.
AliasFileContents LoadAliasFile(const std::string& path);
// Replaces the file atomically (keeping its notes and lines not understood); false when
// it could not be written.
bool SaveAliasFile(const std::string& path, const std::vector<Alias>& aliases);

} // namespace tav
