#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tav {

// help.ndx: the server's help topics cached per profile, so the help index window has its
// list before the server is asked again. A text-mode file with one topic per line
// ("topic\n" written as "topic\r\n"), in the order the window's list keeps them.
//
// The list keeps its topics sorted (SortHelpTopics): by their bytes with the ASCII
// letters folded to lower case, topics equal that way in plain byte order. The file is
// written in that order and read back unchanged.

inline constexpr std::string_view kHelpIndexFileName = "help.ndx";

// "<dataRoot>/profiles/<profile>/help.ndx".
std::string HelpIndexPath(std::string_view dataRoot, std::string_view profile);

// The topics of the file's bytes: whole lines, each without its line end (LF or CR LF),
// cut at a NUL byte; empty lines and lines holding another CR left out.
std::vector<std::string> ParseHelpIndex(std::string_view bytes);
// The file's bytes for the topics: each whole topic and CR LF, in the order given. Empty
// topics and topics holding a CR or an LF (which would not come back as one line) are
// left out.
std::string FormatHelpIndex(const std::vector<std::string>& topics);

// Sorts topics into the list's order (see above).
void SortHelpTopics(std::vector<std::string>& topics);

// Reads the file; false (and topics untouched) when it cannot be opened.
bool LoadHelpIndex(const std::string& path, std::vector<std::string>& topics);
// Replaces the file atomically with the topics. Nothing is written for a list without a
// topic that can be written (the file keeps what it had); false when the write failed.
bool SaveHelpIndex(const std::string& path, const std::vector<std::string>& topics);

} // namespace tav
