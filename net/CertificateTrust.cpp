#include "net/CertificateTrust.h"

#include "settings/AtomicFile.h"
#include "settings/LineScanner.h"
#include "settings/ProfileFileNames.h"
#include "settings/TextMode.h"

#include <filesystem>

namespace tav {

namespace {

std::string Key(std::string_view host, int port) {
    return std::string(host) + ":" + std::to_string(port);
}

// The line's host:port and fingerprint; nothing for a line that is not one.
std::optional<std::pair<std::string_view, std::string_view>> Split(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::size_t space = line.find(' ');
    if (space == std::string_view::npos || space == 0 || space + 1 == line.size())
        return std::nullopt;
    return std::make_pair(line.substr(0, space), line.substr(space + 1));
}

} // namespace

std::optional<std::string> CertificateTrust::Trusted(std::string_view host, int port) const {
    const std::optional<std::string> text = ReadTextFile(path_);
    if (!text) return std::nullopt;
    const std::string key = Key(host, port);
    LineScanner lines(*text);
    while (const auto line = lines.NextLine())
        if (const auto pair = Split(*line); pair && pair->first == key)
            return std::string(pair->second);
    return std::nullopt;
}

bool CertificateTrust::Trust(std::string_view host, int port, std::string_view fingerprint) const {
    const std::string key = Key(host, port);
    std::string text;
    const std::string existing = ReadTextFile(path_).value_or(""); // the scanner's text
    LineScanner lines(existing);
    while (const auto line = lines.NextLine()) {
        const auto pair = Split(*line);
        if (pair && pair->first == key) continue; // replaced below
        text += *line;
        text += '\n';
    }
    text += key + " " + std::string(fingerprint) + "\n";
    return WriteFileAtomically(path_, text);
}

std::string CertificateTrust::ShownPath() const {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path_, error);
    return error ? path_ : absolute.lexically_normal().string();
}

std::string CertificateTrustPath(std::string_view root, std::string_view profile) {
    return std::string(root) + "/profiles/" + std::string(profile) + "/" +
           std::string(kTrustFileName);
}

} // namespace tav
