#include "commands/SettingsExport.h"

#include "commands/AliasFile.h"
#include "settings/Utf8Text.h"
#include "triggers/TriggerLimits.h"

#include <algorithm>

namespace tav {

namespace {

constexpr std::string_view kCrLf = "\r\n";

enum class Section { None, Triggers, Timers, Aliases, Buttons, FunctionKeys };

// The file's text for a stored text: the stored bytes themselves in a profile that keeps
// UTF-8 (unless they were written as Latin-1 before), else Latin-1 turned into UTF-8.
std::string Utf8(std::string_view stored, bool storedUtf8) {
    return storedUtf8 && IsUtf8(stored) ? std::string(stored) : Latin1ToUtf8(stored);
}

// The lines of stored text (each ending in CR LF), without their line ends.
std::vector<std::string_view> StoredLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find(kCrLf);
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + kCrLf.size());
    }
    return lines;
}

std::optional<std::string> AliasProblem(const AliasEntry& alias) {
    // The rules of aliases.cfg, in the report's words.
    if (alias.name.empty() || alias.name.size() > kMaxAliasName)
        return "an alias name is one word of 1 to " + std::to_string(kMaxAliasName) + " characters";
    if (AliasNameProblem(alias.name)) return "an alias name is one word";
    if (alias.body.size() > kMaxAliasBody)
        return "an alias is at most " + std::to_string(kMaxAliasBody) + " characters";
    if (AliasBodyProblem(alias.body)) return "an alias is one line";
    return std::nullopt;
}

// Reads the file line by line, building entries; every refusal names its line.
class ImportReader {
public:
    explicit ImportReader(bool storedUtf8) : storedUtf8_(storedUtf8) {
        result_.bundle.utf8 = storedUtf8;
    }

    SettingsImport Read(std::string_view text) {
        if (text.size() > kMaxImportBytes) {
            result_.refused.push_back("the file is larger than 4 MiB: nothing was read");
            return std::move(result_);
        }
        while (!text.empty()) {
            const std::size_t end = text.find('\n');
            std::string_view line = text.substr(0, end);
            text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
            ++number_;
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            Take(line);
        }
        Finish();
        return std::move(result_);
    }

private:
    void Refuse(std::size_t line, const std::string& why) {
        result_.refused.push_back("line " + std::to_string(line) + ": " + why);
    }

    void Take(std::string_view raw) {
        if (raw.size() > kMaxImportLine) return Refuse(number_, "longer than 4096 bytes");
        // A profile that keeps UTF-8 stores the text as it is; the others hold Latin-1.
        const std::optional<std::string> decoded =
            storedUtf8_ ? (IsUtf8(raw) ? std::optional<std::string>(raw) : std::nullopt)
                        : Utf8ToLatin1(raw);
        if (!decoded)
            return Refuse(number_,
                          storedUtf8_ ? "not UTF-8 text" : "not UTF-8 text of Latin-1 characters");
        const std::string_view line = *decoded;
        // A carriage return inside a line could not come back from a file intact.
        if (line.find_first_of(std::string_view("\r\0", 2)) != std::string_view::npos)
            return Refuse(number_, "a line holds a carriage return or a NUL");
        if (line.starts_with('[')) return StartSection(line);
        const std::size_t equals = line.find('=');
        const std::string_view key = line.substr(0, equals);
        const std::string_view value =
            equals == std::string_view::npos ? std::string_view() : line.substr(equals + 1);
        // Lines that continue an entry.
        if (equals != std::string_view::npos && pending_ && key == pendingKey_)
            return Continue(value);
        Finish();
        if (line.empty() || line.starts_with('#')) return;
        if (entries_ >= kMaxImportEntries) return Refuse(number_, "too many entries");
        if (equals == std::string_view::npos) return Refuse(number_, "not understood");
        ++entries_;
        switch (section_) {
        case Section::Triggers:
            if (key != "trigger") return Refuse(number_, "not understood");
            Begin("reaction", value);
            // Refused whole at its end, so that its reaction lines go with it.
            if (value.size() > kMaxPatternChars)
                pendingBad_ = "a pattern is at most 255 characters";
            return;
        case Section::Buttons:
            if (key != "button") return Refuse(number_, "not understood");
            Begin("command", value);
            if (value.size() > kMaxButtonName)
                pendingBad_ = "a button name is at most 31 characters";
            return;
        case Section::Timers: {
            CommandTimer timer;
            if (!ParseTimerLine(line, timer))
                return Refuse(number_, "not a timer of 1 to 86400 seconds with a short command");
            result_.bundle.timers.push_back(std::move(timer));
            return;
        }
        case Section::Aliases: {
            AliasEntry alias{std::string(key), std::string(value)};
            if (auto problem = AliasProblem(alias)) return Refuse(number_, *problem);
            result_.bundle.aliases->push_back(std::move(alias));
            return;
        }
        case Section::FunctionKeys: {
            int key_number = 0;
            for (int k = 1; k <= static_cast<int>(kFunctionKeyCount); ++k)
                if (key == "F" + std::to_string(k)) key_number = k;
            if (key_number == 0) return Refuse(number_, "not a function key F1 to F12");
            if (value.size() >= kFunctionKeySize)
                return Refuse(number_, "a function key holds at most 255 characters");
            result_.bundle.functionKeys[static_cast<std::size_t>(key_number - 1)] = value;
            return;
        }
        case Section::None: return Refuse(number_, "outside a section");
        }
    }

    void StartSection(std::string_view line) {
        Finish();
        static constexpr std::pair<std::string_view, Section> kSections[] = {
            {"[triggers]", Section::Triggers},
            {"[timers]", Section::Timers},
            {"[aliases]", Section::Aliases},
            {"[buttons]", Section::Buttons},
            {"[function keys]", Section::FunctionKeys}};
        for (const auto& [name, section] : kSections) {
            if (line != name) continue;
            section_ = section;
            if (section == Section::Aliases && !result_.bundle.aliases)
                result_.bundle.aliases.emplace();
            return;
        }
        section_ = Section::None;
        Refuse(number_, "an unknown section: its lines are not read");
    }

    void Begin(std::string_view continuation, std::string_view head) {
        pending_ = true;
        pendingKey_ = continuation;
        pendingHead_ = head;
        pendingBody_.clear();
        pendingLine_ = number_;
        pendingBad_.clear();
    }

    void Continue(std::string_view value) {
        if (!pendingBad_.empty()) return;
        if (!value.empty() && value.front() == '#')
            pendingBad_ = "a line beginning with '#' cannot be kept";
        pendingBody_ += value;
        pendingBody_ += kCrLf;
    }

    // Ends the entry being read, taking it or refusing it whole.
    void Finish() {
        if (!pending_) return;
        pending_ = false;
        const bool trigger = pendingKey_ == "reaction";
        const std::size_t limit = trigger ? kMaxReactionChars : kMaxButtonCommand;
        if (pendingBad_.empty() && pendingBody_.size() > limit)
            pendingBad_ = trigger ? "the reaction is longer than 255 characters"
                                  : "the command is longer than 255 characters";
        if (!pendingBad_.empty()) return Refuse(pendingLine_, pendingBad_);
        if (trigger)
            result_.bundle.triggers.push_back({pendingHead_, pendingBody_});
        else
            result_.bundle.buttons.push_back({pendingHead_, pendingBody_});
    }

    SettingsImport result_;
    Section section_ = Section::None;
    bool storedUtf8_;
    std::size_t number_ = 0;
    std::size_t entries_ = 0;
    bool pending_ = false;
    std::string pendingKey_;
    std::string pendingHead_;
    std::string pendingBody_;
    std::size_t pendingLine_ = 0;
    std::string pendingBad_;
};

template <typename Entry, typename Name>
void MergeList(std::vector<Entry>& into, const std::vector<Entry>& from, Name name,
               std::string_view what, std::vector<std::string>& report, bool utf8,
               std::size_t limit = kMaxImportEntries) {
    for (const Entry& entry : from) {
        auto same = std::find_if(into.begin(), into.end(),
                                 [&](const Entry& e) { return name(e) == name(entry); });
        const std::string shown = Utf8(name(entry), utf8);
        if (same == into.end() && into.size() >= limit) {
            report.push_back(std::string(what) + " refused: " + shown + " (at most " +
                             std::to_string(limit) + ")");
        } else if (same == into.end()) {
            into.push_back(entry);
            report.push_back(std::string(what) + " added: " + shown);
        } else {
            *same = entry;
            report.push_back(std::string(what) + " replaced: " + shown);
        }
    }
}

} // namespace

std::string FormatSettingsExport(const SettingsBundle& bundle) {
    std::string text = "# TavClient settings\n\n[triggers]\n";
    for (const TriggerRecord& trigger : bundle.triggers) {
        text += "trigger=" + Utf8(trigger.pattern, bundle.utf8) + "\n";
        for (std::string_view line : StoredLines(trigger.reaction))
            text += "reaction=" + Utf8(line, bundle.utf8) + "\n";
    }
    text += "\n[timers]\n";
    for (const CommandTimer& timer : bundle.timers)
        text += Utf8(TimerLine(timer), bundle.utf8) + "\n";
    if (bundle.aliases) {
        text += "\n[aliases]\n";
        for (const AliasEntry& alias : *bundle.aliases)
            text += Utf8(alias.name, bundle.utf8) + "=" + Utf8(alias.body, bundle.utf8) + "\n";
    }
    text += "\n[buttons]\n";
    for (const CustomButtonRecord& button : bundle.buttons) {
        text += "button=" + Utf8(button.name, bundle.utf8) + "\n";
        for (std::string_view line : StoredLines(button.command))
            text += "command=" + Utf8(line, bundle.utf8) + "\n";
    }
    text += "\n[function keys]\n";
    for (std::size_t k = 0; k < kFunctionKeyCount; ++k)
        if (!bundle.functionKeys[k].empty())
            text += "F" + std::to_string(k + 1) + "=" + Utf8(bundle.functionKeys[k], bundle.utf8) +
                    "\n";
    return text;
}

SettingsImport ParseSettingsImport(std::string_view utf8, bool storedUtf8) {
    return ImportReader(storedUtf8).Read(utf8);
}

std::vector<std::string> MergeSettings(SettingsBundle& into, const SettingsBundle& from) {
    std::vector<std::string> report;
    MergeList(
        into.triggers, from.triggers, [](const TriggerRecord& t) { return t.pattern; }, "Trigger",
        report, into.utf8);
    MergeList(
        into.timers, from.timers, [](const CommandTimer& t) { return t.name; }, "Timer", report,
        into.utf8, kMaxTimers);
    if (from.aliases) {
        if (!into.aliases) into.aliases.emplace();
        MergeList(
            *into.aliases, *from.aliases, [](const AliasEntry& a) { return a.name; }, "Alias",
            report, into.utf8, kMaxAliases);
    }
    MergeList(
        into.buttons, from.buttons, [](const CustomButtonRecord& b) { return b.name; }, "Button",
        report, into.utf8);
    for (std::size_t k = 0; k < kFunctionKeyCount; ++k) {
        if (from.functionKeys[k].empty()) continue;
        const std::string key = "F" + std::to_string(k + 1);
        report.push_back("Function key " + key +
                         (into.functionKeys[k].empty() ? " added" : " replaced"));
        into.functionKeys[k] = from.functionKeys[k];
    }
    return report;
}

} // namespace tav
