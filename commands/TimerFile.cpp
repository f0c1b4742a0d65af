#include "commands/TimerFile.h"

#include "settings/TextMode.h"

#include <charconv>
#include <filesystem>
#include <system_error>

namespace tav {

namespace {

constexpr std::string_view kTimerKey = "timer=";

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

std::string_view NextField(std::string_view& rest, bool& found) {
    const std::size_t bar = rest.find('|');
    found = bar != std::string_view::npos;
    const std::string_view field = rest.substr(0, bar);
    rest = found ? rest.substr(bar + 1) : std::string_view();
    return field;
}

} // namespace

std::string TimerProblem(const CommandTimer& timer) {
    if (timer.name.empty()) return "The timer has no name.";
    if (timer.name.size() > kMaxTimerName) return "The timer's name is too long.";
    if (timer.name.find('|') != std::string::npos) return "A timer's name cannot hold '|'.";
    if (timer.seconds < kMinTimerSeconds || timer.seconds > kMaxTimerSeconds)
        return "A timer runs every 1 to 86400 seconds.";
    if (timer.command.size() > kMaxTimerCommand) return "The timer's command is too long.";
    if (HasLineBreak(timer.name) || HasLineBreak(timer.command))
        return "A timer's fields are one line each.";
    return {};
}

std::string TimerLine(const CommandTimer& timer) {
    return std::string(kTimerKey) + timer.name + '|' + std::to_string(timer.seconds) + '|' +
           (timer.enabled ? "on" : "off") + '|' + timer.command;
}

bool ParseTimerLine(std::string_view line, CommandTimer& timer) {
    if (line.size() > kMaxTimerLine || !line.starts_with(kTimerKey)) return false;
    std::string_view rest = line.substr(kTimerKey.size());
    bool found = false;
    CommandTimer parsed;
    parsed.name = NextField(rest, found);
    if (!found) return false;
    const std::string_view seconds = NextField(rest, found);
    if (!found) return false;
    const auto [end, error] =
        std::from_chars(seconds.data(), seconds.data() + seconds.size(), parsed.seconds);
    if (error != std::errc() || end != seconds.data() + seconds.size()) return false;
    const std::string_view state = NextField(rest, found);
    if (!found || (state != "on" && state != "off")) return false;
    parsed.enabled = state == "on";
    parsed.command = rest;
    if (!TimerProblem(parsed).empty()) return false;
    timer = std::move(parsed);
    return true;
}

TimerFileRead ReadTimerText(std::string_view text) {
    TimerFileRead read;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        CommandTimer timer;
        if (read.timers.size() < kMaxTimers && ParseTimerLine(line, timer)) {
            read.timers.push_back(std::move(timer));
            continue;
        }
        read.kept.emplace_back(line);
        if (line.starts_with(kTimerKey) || line.size() > kMaxTimerLine)
            read.bad.emplace_back(line.substr(0, kMaxTimerLine));
    }
    return read;
}

std::string WriteTimerText(const std::vector<CommandTimer>& timers,
                           const std::vector<std::string>& kept) {
    // Timers first: a timer line kept because the file held too many must stay behind
    // the timers taken, or the next read would take it instead of one of them.
    std::string text;
    for (const CommandTimer& timer : timers)
        text += TimerLine(timer) + '\n';
    for (const std::string& line : kept)
        text += line + '\n';
    return text;
}

std::string TimerFilePath(std::string_view root, std::string_view profile) {
    return std::string(root) + "/profiles/" + std::string(profile) + "/" +
           std::string(kTimerFileName);
}

TimerFileRead LoadTimerFile(const std::string& path) {
    const std::optional<std::string> text = ReadTextFile(path);
    return text ? ReadTimerText(*text) : TimerFileRead{};
}

bool SaveTimerFile(const std::string& path, const std::vector<CommandTimer>& timers,
                   const std::vector<std::string>& kept) {
    if (timers.empty() && kept.empty()) {
        std::error_code error;
        std::filesystem::remove(path, error);
        return !error;
    }
    return WriteTextFile(path, WriteTimerText(timers, kept));
}

std::string TimerCommandString(std::string_view command) {
    std::string text(command);
    if (!text.empty() && text.back() != ';') text += ';';
    return text;
}

} // namespace tav
