#include "tools/DumpFormat.h"

#include <cstdio>

namespace tav::tools {

std::string Escape(std::string_view bytes, bool lineEnds) {
    std::string out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b == '\\') {
            out += "\\\\";
        } else if (b == 0) {
            out += "\\0";
        } else if (lineEnds && b == '\r') {
            out += "\\r";
        } else if (lineEnds && b == '\n') {
            out += "\\n";
        } else if (b >= 0x20 && b < 0x7F) {
            out.push_back(ch);
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", b);
            out += hex;
        }
    }
    return out;
}

std::string CellColorWord(CellColor color) {
    if (color == 0) return "-";
    if (color == kCellDefaultText) return "t";
    if (color == kCellDefaultBack) return "b";
    char word[8];
    if (IsSystemCellColor(color))
        std::snprintf(word, sizeof word, "s%u", static_cast<unsigned>(color & 0xF));
    else
        std::snprintf(word, sizeof word, "#%02x%02x%02x", static_cast<unsigned>(color & 0xFF),
                      static_cast<unsigned>((color >> 8) & 0xFF),
                      static_cast<unsigned>((color >> 16) & 0xFF));
    return word;
}

} // namespace tav::tools
