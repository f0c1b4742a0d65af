#include "commands/AliasFile.h"

#include "settings/LineScanner.h"
#include "settings/TextMode.h"

#include <algorithm>

namespace tav {

namespace {

constexpr std::string_view kHeader =
    "# Aliases: name=body. %1..%9 in the body are the words typed after the name, %* all\n"
    "# of them; the command separator of More options splits a body into commands.\n";

std::string_view TrimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool IsNote(std::string_view line) {
    const std::string_view kept = TrimBlanks(line);
    return kept.empty() || kept.front() == '#';
}

// The alias a line holds, when it is one within the bounds.
std::optional<Alias> AliasOfLine(std::string_view line) {
    if (IsNote(line)) return std::nullopt;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    Alias alias{std::string(TrimBlanks(line.substr(0, eq))), std::string(line.substr(eq + 1))};
    alias.body.erase(0, alias.body.find_first_not_of(" \t") == std::string::npos
                            ? alias.body.size()
                            : alias.body.find_first_not_of(" \t"));
    if (AliasNameProblem(alias.name) || AliasBodyProblem(alias.body)) return std::nullopt;
    return alias;
}

std::string AliasLine(const Alias& alias) {
    return alias.name + "=" + alias.body + "\n";
}

} // namespace

std::string AliasFilePath(std::string_view dataRoot, std::string_view profile) {
    return std::string(dataRoot) + "/profiles/" + std::string(profile) + "/" +
           std::string(kAliasFileName);
}

std::optional<std::string> AliasNameProblem(std::string_view name) {
    if (name.empty()) return "An alias needs a name.";
    if (name.size() > kMaxAliasName)
        return "An alias name has at most " + std::to_string(kMaxAliasName) + " characters.";
    const bool plain = std::all_of(name.begin(), name.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte > ' ' && byte != 0x7F && c != '=';
    });
    if (!plain) return "An alias name is one word, without spaces or '='.";
    return std::nullopt;
}

std::optional<std::string> AliasBodyProblem(std::string_view body) {
    if (body.find_first_of("\r\n") != std::string_view::npos) return "An alias body is one line.";
    if (body.size() > kMaxAliasBody)
        return "An alias body has at most " + std::to_string(kMaxAliasBody) + " characters.";
    return std::nullopt;
}

namespace {

// Reads a file's lines in order, telling which ones are aliases that count.
class AliasLines {
public:
    explicit AliasLines(std::string_view text) : lines_(text) {}
    struct Line {
        std::string_view text;
        std::optional<Alias> alias; // set when the line is an alias that counts
    };
    std::optional<Line> Next() {
        const auto line = lines_.NextLine();
        if (!line) return std::nullopt;
        std::optional<Alias> alias = AliasOfLine(*line);
        if (alias && (names_.size() >= kMaxAliases ||
                      std::find(names_.begin(), names_.end(), alias->name) != names_.end()))
            alias.reset();
        if (alias) names_.push_back(alias->name);
        return Line{*line, std::move(alias)};
    }

private:
    LineScanner lines_;
    std::vector<std::string> names_;
};

} // namespace

AliasFileContents ParseAliasText(std::string_view text) {
    AliasFileContents contents;
    AliasLines lines(text);
    while (auto line = lines.Next()) {
        if (line->alias)
            contents.aliases.push_back(std::move(*line->alias));
        else if (!IsNote(line->text))
            ++contents.notUnderstood;
    }
    return contents;
}

std::string WriteAliasText(const std::vector<Alias>& aliases, std::string_view existing) {
    std::vector<bool> written(aliases.size(), false);
    std::string text = existing.empty() ? std::string(kHeader) : std::string();
    AliasLines lines(existing);
    while (const auto line = lines.Next()) {
        if (!line->alias) { // a note or a line not understood
            text += line->text;
            text += '\n';
            continue;
        }
        const auto found = std::find_if(aliases.begin(), aliases.end(), [&](const Alias& a) {
            return a.name == line->alias->name;
        });
        if (found == aliases.end()) continue; // deleted
        text += AliasLine(*found);
        written[static_cast<std::size_t>(found - aliases.begin())] = true;
    }
    for (std::size_t k = 0; k < aliases.size(); ++k)
        if (!written[k]) text += AliasLine(aliases[k]);
    return text;
}

AliasFileContents LoadAliasFile(const std::string& path) {
    const std::optional<std::string> text = ReadTextFile(path);
    return text ? ParseAliasText(*text) : AliasFileContents{};
}

bool SaveAliasFile(const std::string& path, const std::vector<Alias>& aliases) {
    const std::optional<std::string> existing = ReadTextFile(path);
    return WriteTextFile(path, WriteAliasText(aliases, existing.value_or("")));
}

} // namespace tav
