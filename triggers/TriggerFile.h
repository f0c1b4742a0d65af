#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tav {

class TriggerList;

// The per-profile trigger file "trigs.ndx", a text-mode file of records in list order.
// Each record is a pattern line, zero or more reaction lines and a line beginning with
// '#'. On disk the pattern and '#' lines end in CR LF and each reaction line in CR CR LF,
// since the reaction already holds its CR LF line ends when it is written in text mode.

// One record as read from the file: the pattern and the reaction with its lines each
// ending in CR LF.
struct TriggerRecord {
    std::string pattern;
    std::string reaction;
    bool operator==(const TriggerRecord&) const = default;
};

// Parses the file's text (line ends already turned from CR LF into LF). Lines are read
// whole, however long; a record without its '#' line at the end is dropped.
std::vector<TriggerRecord> ParseTriggerFile(std::string_view text);

// The file's text for `list` before the text-mode translation: "%s\n%s#\n" per trigger.
std::string FormatTriggerFile(const TriggerList& list);

} // namespace tav
