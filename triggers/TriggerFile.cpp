#include "triggers/TriggerFile.h"

#include "triggers/TriggerList.h"

namespace tav {

namespace {

// Takes the next line off `text`: the LF and a CR directly before it are removed; a last
// line without a line end is taken whole. False at the end of the text.
bool NextLine(std::string_view& text, std::string_view& line) {
    if (text.empty()) return false;
    const std::size_t lf = text.find('\n');
    if (lf == std::string_view::npos) {
        line = text;
        text = {};
        return true;
    }
    line = text.substr(0, lf);
    text.remove_prefix(lf + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return true;
}

} // namespace

std::vector<TriggerRecord> ParseTriggerFile(std::string_view text) {
    std::vector<TriggerRecord> records;
    std::string_view line;
    while (NextLine(text, line)) {
        // The pattern line is never taken for a terminator: a pattern may begin with '#'.
        TriggerRecord record{std::string(line), {}};
        bool complete = false;
        while (NextLine(text, line)) {
            if (!line.empty() && line.front() == '#') {
                complete = true;
                break;
            }
            record.reaction.append(line).append("\r\n");
        }
        if (complete) records.push_back(std::move(record));
    }
    return records;
}

std::string FormatTriggerFile(const TriggerList& list) {
    std::string text;
    for (std::size_t i = 0; i < list.Count(); ++i) {
        const TTrigger& trigger = list.At(i);
        text.append(trigger.pattern()).append("\n").append(trigger.reaction()).append("#\n");
    }
    return text;
}

} // namespace tav
