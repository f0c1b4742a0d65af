#include "settings/HelpIndexFile.h"

#include "settings/AtomicFile.h"
#include "settings/TextMode.h"

#include <algorithm>

namespace tav {

namespace {

bool Writable(std::string_view topic) {
    return !topic.empty() && topic.find_first_of("\r\n") == std::string_view::npos &&
           topic.find('\0') == std::string_view::npos;
}

char Folded(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Compares as unsigned bytes, so Latin-1 letters sort after ASCII ones.
bool FoldedLess(const std::string& a, const std::string& b) {
    const auto less = [](char x, char y) {
        return static_cast<unsigned char>(Folded(x)) < static_cast<unsigned char>(Folded(y));
    };
    if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), less)) return true;
    if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), less)) return false;
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    });
}

} // namespace

std::string HelpIndexPath(std::string_view dataRoot, std::string_view profile) {
    std::string path(dataRoot);
    path.append("/profiles/").append(profile).append("/").append(kHelpIndexFileName);
    return path;
}

std::vector<std::string> ParseHelpIndex(std::string_view bytes) {
    const std::string text = FromTextMode(bytes);
    std::vector<std::string> topics;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string_view line(text.data() + at, end - at);
        at = end + 1;
        // A CR before the LF of a CR CR LF ending is line end too.
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        line = line.substr(0, line.find('\0'));
        // A topic holding a CR could not be written back as one line: left out, as a
        // save leaves it out.
        if (!line.empty() && line.find('\r') == std::string_view::npos) topics.emplace_back(line);
    }
    return topics;
}

std::string FormatHelpIndex(const std::vector<std::string>& topics) {
    std::string bytes;
    for (const std::string& topic : topics) {
        if (!Writable(topic)) continue;
        bytes.append(topic).append("\r\n");
    }
    return bytes;
}

void SortHelpTopics(std::vector<std::string>& topics) {
    std::stable_sort(topics.begin(), topics.end(), FoldedLess);
}

bool LoadHelpIndex(const std::string& path, std::vector<std::string>& topics) {
    const std::optional<std::string> bytes = ReadFileBytes(path);
    if (!bytes) return false;
    topics = ParseHelpIndex(*bytes);
    return true;
}

bool SaveHelpIndex(const std::string& path, const std::vector<std::string>& topics) {
    const std::string bytes = FormatHelpIndex(topics);
    if (bytes.empty()) return true;
    return WriteFileAtomically(path, bytes);
}

} // namespace tav
