#include "triggers/TriggerActionFile.h"

#include "settings/StoredValues.h"
#include "triggers/TriggerLimits.h"
#include "triggers/TriggerList.h"

#include <charconv>
#include <map>
#include <optional>

namespace tav {

namespace {

constexpr std::string_view kEntry = "[trigger]";
constexpr std::size_t kMaxLeadingLines = 256;
constexpr std::size_t kMaxProblems = 20;
constexpr std::size_t kShownLineChars = 60;

std::optional<bool> ParseYesNo(std::string_view value) {
    if (value == "yes" || value == "1") return true;
    if (value == "no" || value == "0") return false;
    return std::nullopt;
}

std::optional<std::size_t> ParseOccurrence(std::string_view value) {
    std::size_t n = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), n);
    if (error != std::errc() || end != value.data() + value.size() || n == 0) return std::nullopt;
    return n;
}

// Sets the field `key` names from `value`; false when the key is known but the value is
// not one it takes. Unknown keys are kept by the caller without complaint.
enum class KeyResult { Set, BadValue, Unknown };

KeyResult SetField(TriggerActionRecord& record, std::string_view key, std::string_view value,
                   bool& hasPattern) {
    TriggerActions& a = record.actions;
    auto flag = [&](bool& field) {
        const auto on = ParseYesNo(value);
        if (!on) return KeyResult::BadValue;
        field = *on;
        return KeyResult::Set;
    };
    auto color = [&](std::optional<std::uint32_t>& field) {
        const auto bgr = ParseColorText(value);
        if (!bgr) return KeyResult::BadValue;
        field = bgr;
        return KeyResult::Set;
    };
    if (key == "pattern") {
        if (value.size() > kMaxPatternChars) return KeyResult::BadValue;
        record.pattern = value;
        hasPattern = true;
        return KeyResult::Set;
    }
    if (key == "occurrence") {
        const auto n = ParseOccurrence(value);
        if (!n) return KeyResult::BadValue;
        record.occurrence = *n;
        return KeyResult::Set;
    }
    if (key == "enabled") return flag(a.enabled);
    auto groupName = [&](std::string& field) {
        if (value.size() > kMaxGroupChars) return KeyResult::BadValue;
        field = value;
        return KeyResult::Set;
    };
    if (key == "group") return groupName(a.group);
    if (key == "group-on") return groupName(a.groupOn);
    if (key == "group-off") return groupName(a.groupOff);
    if (key == "highlight") {
        if (value == "match")
            a.highlight = HighlightScope::Match;
        else if (value == "line")
            a.highlight = HighlightScope::Line;
        else if (value == "none")
            a.highlight = HighlightScope::None;
        else
            return KeyResult::BadValue;
        return KeyResult::Set;
    }
    if (key == "text") return color(a.textColor);
    if (key == "back") return color(a.backColor);
    if (key == "gag") return flag(a.gag);
    if (key == "gag-log") return flag(a.gagLog);
    if (key == "sound") {
        if (value.size() > kMaxSoundPathChars) return KeyResult::BadValue;
        a.sound = value;
        return KeyResult::Set;
    }
    if (key == "channel") return flag(a.toChannel);
    return KeyResult::Unknown;
}

class Parser {
public:
    TriggerActionFile file;

    void Line(std::size_t number, std::string_view line) {
        // Every CR at the end goes: one written back would come back as a line end.
        while (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty()) return;
        // Kept lines are kept whole or not at all: a cut one could read differently.
        const bool keepable = line.size() <= kMaxKeptLineChars;
        if (line == kEntry) {
            EndRecord();
            current_ = TriggerActionRecord{};
            hasPattern_ = false;
            startLine_ = number;
            return;
        }
        if (!current_) {
            if (!keepable)
                Problem(number, line, "is too long; left out");
            else if (file.leading.size() < kMaxLeadingLines)
                file.leading.emplace_back(line);
            return;
        }
        const std::size_t eq = line.find('=');
        KeyResult result = KeyResult::BadValue;
        if (eq != std::string_view::npos)
            result = SetField(*current_, line.substr(0, eq), line.substr(eq + 1), hasPattern_);
        if (result == KeyResult::Set) return;
        if (!keepable) {
            Problem(number, line, "is too long; left out");
            return;
        }
        if (result == KeyResult::BadValue)
            Problem(number, line, "is not understood; kept as it is");
        std::vector<std::string>& kept = current_->actions.keptLines;
        if (kept.size() < kMaxKeptLines) kept.emplace_back(line);
    }

    void EndRecord() {
        if (!current_) return;
        if (hasPattern_)
            file.records.push_back(std::move(*current_));
        else
            Problem(startLine_, kEntry, "has no pattern; left out");
        current_.reset();
    }

    void Problem(std::size_t number, std::string_view line, std::string_view what) {
        if (file.problems.size() >= kMaxProblems) return;
        std::string shown(line.substr(0, kShownLineChars));
        if (line.size() > kShownLineChars) shown += "...";
        file.problems.push_back("trigs.act line " + std::to_string(number) + ": \"" + shown +
                                "\" " + std::string(what) + ".");
    }

private:
    std::optional<TriggerActionRecord> current_;
    bool hasPattern_ = false;
    std::size_t startLine_ = 0;
};

void AppendLine(std::string& out, std::string_view key, std::string_view value) {
    out.append(key).append("=").append(value).append("\n");
}

} // namespace

TriggerActionFile ParseTriggerActionFile(std::string_view text) {
    Parser parser;
    if (text.size() > kMaxActionFileBytes) {
        text = text.substr(0, kMaxActionFileBytes);
        parser.file.problems.push_back("trigs.act is too long; only its first " +
                                       std::to_string(kMaxActionFileBytes) + " bytes are read.");
    }
    std::size_t number = 0;
    while (!text.empty()) {
        const std::size_t lf = text.find('\n');
        parser.Line(++number, text.substr(0, lf));
        text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);
    }
    parser.EndRecord();
    return std::move(parser.file);
}

std::vector<TriggerActionRecord> TriggerActionRecords(const TriggerList& list) {
    std::vector<TriggerActionRecord> records;
    std::map<std::string_view, std::size_t> seen;
    for (std::size_t pos = 0; pos < list.Count(); ++pos) {
        const TTrigger& trigger = list.At(pos);
        const std::size_t occurrence = ++seen[trigger.pattern()];
        if (!trigger.Actions().IsDefault())
            records.push_back({trigger.pattern(), occurrence, trigger.Actions()});
    }
    return records;
}

std::string FormatTriggerActionFile(const TriggerList& list,
                                    const std::vector<std::string>& leading) {
    std::string out;
    const std::vector<TriggerActionRecord> records = TriggerActionRecords(list);
    for (const TriggerActionRecord& record : records) {
        const TriggerActions& a = record.actions;
        out.append(kEntry).append("\n");
        AppendLine(out, "pattern", record.pattern);
        if (record.occurrence > 1) AppendLine(out, "occurrence", std::to_string(record.occurrence));
        if (!a.enabled) AppendLine(out, "enabled", "no");
        if (!a.group.empty()) AppendLine(out, "group", a.group);
        if (!a.groupOn.empty()) AppendLine(out, "group-on", a.groupOn);
        if (!a.groupOff.empty()) AppendLine(out, "group-off", a.groupOff);
        if (a.highlight != HighlightScope::None)
            AppendLine(out, "highlight", a.highlight == HighlightScope::Match ? "match" : "line");
        if (a.textColor) AppendLine(out, "text", ColorText(*a.textColor));
        if (a.backColor) AppendLine(out, "back", ColorText(*a.backColor));
        if (a.gag) AppendLine(out, "gag", "yes");
        if (a.gagLog) AppendLine(out, "gag-log", "yes");
        if (!a.sound.empty()) AppendLine(out, "sound", a.sound);
        if (a.toChannel) AppendLine(out, "channel", "yes");
        for (const std::string& line : a.keptLines)
            out.append(line).append("\n");
    }
    if (records.empty() && leading.empty()) return {};
    std::string head;
    for (const std::string& line : leading)
        head.append(line).append("\n");
    return head + out;
}

std::size_t AttachTriggerActions(TriggerList& list,
                                 const std::vector<TriggerActionRecord>& records) {
    std::map<std::string_view, std::vector<std::size_t>> byPattern;
    for (std::size_t pos = 0; pos < list.Count(); ++pos)
        byPattern[list.At(pos).pattern()].push_back(pos);
    std::size_t attached = 0;
    for (const TriggerActionRecord& record : records) {
        const auto found = byPattern.find(record.pattern);
        if (found == byPattern.end() || record.occurrence > found->second.size()) continue;
        list.SetActions(found->second[record.occurrence - 1], record.actions);
        ++attached;
    }
    return attached;
}

} // namespace tav
