#include "settings/TextMode.h"

#include <fstream>
#include <iterator>

namespace tav {

std::string ToTextMode(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char ch : text) {
        if (ch == '\n') out.push_back('\r');
        out.push_back(ch);
    }
    return out;
}

std::string FromTextMode(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
        out.push_back(bytes[i]);
    }
    return out;
}

std::optional<std::string> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return bytes;
}

std::optional<std::string> ReadTextFile(const std::string& path) {
    auto bytes = ReadFileBytes(path);
    if (!bytes) return std::nullopt;
    return FromTextMode(*bytes);
}

bool WriteTextFile(const std::string& path, std::string_view text, FileAccess access) {
    return WriteFileAtomically(path, ToTextMode(text), access);
}

} // namespace tav
