#include "settings/CustomButtonFile.h"

#include "settings/AtomicFile.h"
#include "settings/TextMode.h"

#include <algorithm>
#include <cstdio>

namespace tav {

namespace {

std::string WithoutCr(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\r') out.push_back(c);
    return out;
}

// Splits text-mode text into lines without their line ends (LF, and a CR directly before
// it); a last line without an LF is a line too.
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        at = end + 1;
    }
    return lines;
}

} // namespace

std::string CustomButtonPath(std::string_view dataRoot, std::string_view profile) {
    std::string path(dataRoot);
    path.append("/profiles/").append(profile).append("/").append(kCustomButtonFileName);
    return path;
}

std::vector<CustomButtonRecord> ParseCustomButtons(std::string_view bytes) {
    const std::string text = FromTextMode(bytes);
    const std::vector<std::string_view> lines = Lines(text);
    std::vector<CustomButtonRecord> records;
    std::size_t i = 0;
    while (i < lines.size()) {
        CustomButtonRecord record;
        record.name = CleanButtonName(lines[i++]);
        bool full = false; // a line did not fit: the rest of the command is left out
        bool ended = false;
        for (; i < lines.size(); ++i) {
            if (!lines[i].empty() && lines[i].front() == '#') {
                ended = true;
                ++i;
                break;
            }
            const std::string line = WithoutCr(lines[i]) + "\r\n";
            if (full || record.command.size() + line.size() > kMaxButtonCommand) {
                full = true;
                continue;
            }
            record.command += line;
        }
        if (ended) records.push_back(std::move(record));
    }
    return records;
}

std::string FormatCustomButtons(const std::vector<CustomButtonRecord>& records) {
    std::string text;
    for (const CustomButtonRecord& record : records)
        text.append(record.name).append("\n").append(record.command).append("#\n");
    return ToTextMode(text);
}

std::optional<std::vector<CustomButtonRecord>> LoadCustomButtons(const std::string& path) {
    const std::optional<std::string> bytes = ReadFileBytes(path);
    if (!bytes) return std::nullopt;
    return ParseCustomButtons(*bytes);
}

bool SaveCustomButtons(const std::string& path, const std::vector<CustomButtonRecord>& records) {
    if (records.empty()) return RemoveFileIfPresent(path);
    return WriteFileAtomically(path, FormatCustomButtons(records));
}

std::string CleanButtonName(std::string_view typed) {
    std::string name;
    for (char c : typed) {
        if (c == '\r' || c == '\n') continue;
        if (name.size() == kMaxButtonName) break;
        name.push_back(c);
    }
    return name;
}

std::string StoredButtonCommand(std::string_view typed) {
    if (typed.empty()) return {};
    const std::string text = WithoutCr(typed);
    std::string stored;
    for (char c : text) {
        if (c == '\n') stored.push_back('\r');
        stored.push_back(c);
    }
    if (text.back() != '\n') stored.append("\r\n");
    return stored;
}

std::optional<std::string> ButtonCommandProblem(std::string_view stored) {
    for (std::string_view line : Lines(stored))
        if (!line.empty() && line.front() == '#') return "A command line cannot begin with '#'.";
    if (stored.size() > kMaxButtonCommand)
        return "The command is too long: at most 255 characters, counting two for each line "
               "end.";
    return std::nullopt;
}

int NextCustomButtonId(const std::vector<int>& ids) {
    if (ids.empty()) return kFirstCustomButtonId;
    return *std::max_element(ids.begin(), ids.end()) + 1;
}

} // namespace tav
