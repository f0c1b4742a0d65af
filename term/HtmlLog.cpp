#include "term/HtmlLog.h"

#include "settings/AtomicFile.h"
#include "settings/UserFile.h"
#include "term/TerminalLog.h"

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace tav {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD"; // U+FFFD in UTF-8
constexpr std::string_view kPageEnd = "</pre>\n</body>\n</html>\n";

void AppendEscaped(std::string& out, char ch, bool utf8Text) {
    const auto byte = static_cast<unsigned char>(ch);
    switch (ch) {
    case '&': out += "&amp;"; return;
    case '<': out += "&lt;"; return;
    case '>': out += "&gt;"; return;
    case '"': out += "&quot;"; return;
    case '\'': out += "&#39;"; return;
    default: break;
    }
    if ((byte >= 0x20 && byte < 0x7F) || (utf8Text && byte >= 0x80)) {
        out += ch;
    } else if (byte >= 0xA0) { // Latin-1 letters and signs: two bytes of UTF-8
        out += static_cast<char>(0xC0 | (byte >> 6));
        out += static_cast<char>(0x80 | (byte & 0x3F));
    } else { // control characters have no glyph on the screen either
        out += kReplacement;
    }
}

struct RunStyle {
    ColorRef text;
    ColorRef background;
    bool bold;
    bool underline;
    bool italic = false;
    bool strike = false;
    friend bool operator==(const RunStyle&, const RunStyle&) = default;
};

} // namespace

std::string CssColor(ColorRef color) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", static_cast<unsigned>(color & 0xFF),
                  static_cast<unsigned>((color >> 8) & 0xFF),
                  static_cast<unsigned>((color >> 16) & 0xFF));
    return text;
}

std::string HtmlLogHead(ColorRef text, ColorRef background) {
    return "<!DOCTYPE html>\n"
           "<html lang=\"en\">\n"
           "<head>\n"
           "<meta charset=\"utf-8\">\n"
           "<title>TavClient log</title>\n"
           "<style>\n"
           "body{margin:0;background:" +
           CssColor(background) + ";color:" + CssColor(text) +
           "}\n"
           "pre{margin:8px;font-family:\"DejaVu Sans Mono\",monospace;white-space:pre-wrap}\n"
           "</style>\n"
           "</head>\n"
           "<body>\n"
           "<pre>\n";
}

std::string HtmlLogLine(std::string_view text, std::span<const Attr> attrs,
                        const ScreenPalette& palette, ColorRef pageText, ColorRef pageBackground,
                        bool utf8Text) {
    return HtmlLogLineOfCells(text, LineLook{attrs, {}, {}}, palette, pageText, pageBackground,
                              utf8Text);
}

std::string HtmlLogLineOfCells(std::string_view text, const LineLook& look,
                               const ScreenPalette& palette, ColorRef pageText,
                               ColorRef pageBackground, bool utf8Text) {
    const RunStyle page{pageText, pageBackground, false, false};
    auto styleAt = [&](std::size_t k) {
        const Attr a = k < look.attrs.size() ? look.attrs[k] : attr::kNormal;
        const CellColor textColor = k < look.textColors.size() ? look.textColors[k] : 0;
        const CellColor backColor = k < look.backColors.size() ? look.backColors[k] : 0;
        const CellLook cell = LookOfCell(a, textColor, backColor, palette);
        return RunStyle{cell.text,      cell.back,   (a & attr::kBold) != 0,
                        cell.underline, cell.italic, cell.strike};
    };
    std::string out;
    out.reserve(text.size() * 2 + 64);
    std::size_t k = 0;
    while (k < text.size()) {
        const RunStyle style = styleAt(k);
        const bool span = !(style == page);
        if (span) {
            out += "<span style=\"color:";
            out += CssColor(style.text);
            if (style.background != pageBackground)
                out += ";background:" + CssColor(style.background);
            if (style.bold) out += ";font-weight:bold";
            if (style.italic) out += ";font-style:italic";
            if (style.underline || style.strike) {
                out += ";text-decoration:";
                if (style.underline)
                    out += style.strike ? "underline line-through" : "underline";
                else
                    out += "line-through";
            }
            out += "\">";
        }
        for (; k < text.size() && styleAt(k) == style; ++k)
            AppendEscaped(out, text[k], utf8Text);
        if (span) out += "</span>";
    }
    out += '\n';
    return out;
}

std::string HtmlLogPathBeside(std::string_view textPath) {
    std::string path(textPath);
    const std::size_t slash = path.rfind('/');
    const std::size_t name = slash == std::string::npos ? 0 : slash + 1;
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    // "name.txt" becomes "name.html"; ".txt" alone is a name, not an extension.
    if (path.size() >= name + 5) {
        std::string ext = path.substr(path.size() - 4);
        for (char& c : ext)
            c = lower(c);
        if (ext == ".txt") path.resize(path.size() - 4);
    }
    return path + ".html";
}

HtmlLog::HtmlLog(MessageBoxes& boxes, PaletteSource palette)
    : boxes_(boxes), palette_(std::move(palette)) {}

HtmlLog::~HtmlLog() {
    if (fd_ >= 0) ::close(fd_);
}

bool HtmlLog::Begin(const std::string& path) {
    if (fd_ >= 0) End();
    fd_ = OpenUserFileForWriting(path);
    if (fd_ < 0) {
        boxes_.ShowMessage(kUnableToOpen, kErrorTitle);
        return false;
    }
    const ScreenPalette palette = palette_ ? palette_() : ScreenPalette{};
    pageText_ = palette.text;
    pageBackground_ = palette.background;
    if (WriteAllBytes(fd_, HtmlLogHead(pageText_, pageBackground_))) return true;
    ::close(fd_);
    fd_ = -1;
    boxes_.ShowMessage(kUnableToOpen, kErrorTitle);
    return false;
}

void HtmlLog::End() {
    if (fd_ < 0) return;
    if (!WriteOrFail(kPageEnd)) return;
    const int fd = fd_;
    fd_ = -1;
    // A full disk may show only now, when the file system writes back on close.
    if (::close(fd) != 0 && errno != EINTR) boxes_.ShowMessage(kHtmlLogWriteFailed, kErrorTitle);
}

void HtmlLog::WriteCells(std::string_view text, const LineLook& look) {
    if (fd_ < 0) return;
    const ScreenPalette palette = palette_ ? palette_() : ScreenPalette{};
    WriteOrFail(HtmlLogLineOfCells(text, look, palette, pageText_, pageBackground_, utf8Text_));
}

bool HtmlLog::WriteOrFail(std::string_view bytes) {
    if (WriteAllBytes(fd_, bytes)) return true;
    ::close(fd_);
    fd_ = -1;
    boxes_.ShowMessage(kHtmlLogWriteFailed, kErrorTitle);
    return false;
}

} // namespace tav
