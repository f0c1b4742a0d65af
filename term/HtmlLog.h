#pragma once

#include "screen/CellColors.h"
#include "term/TermServices.h"

#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace tav {

inline constexpr std::string_view kHtmlLogWriteFailed =
    "Unable to write to the HTML log file; it has stopped.";

// The colour log kept beside the terminal log: an HTML page with one line of text per
// completed terminal line, in the colours the screen shows (the palette is asked for at
// every line, so a colour changed meanwhile shows from then on) and bold in bold. The
// page head is written when the log begins and every line as it comes, each in one write
// with nothing buffered by us: a program killed at any moment leaves a page a browser
// shows whole (HTML needs none of the closing tags End writes). Server text is escaped,
// never markup. A write that fails closes the log and says so once.
class HtmlLog {
public:
    using PaletteSource = std::function<ScreenPalette()>;

    HtmlLog(MessageBoxes& boxes, PaletteSource palette);
    // Closes the file as a killed program would: without the closing tags.
    ~HtmlLog();
    HtmlLog(const HtmlLog&) = delete;
    HtmlLog& operator=(const HtmlLog&) = delete;

    // Opens `path` and empties it, writing into the file itself (see UserFile.h), and
    // writes the page head. False, with
    // "Unable to open file for writing.", when it cannot be opened or written.
    bool Begin(const std::string& path);
    // Whether the lines written are UTF-8 (from a screen with Unicode cells) rather than
    // Latin-1 bytes.
    void SetUtf8Text(bool utf8) { utf8Text_ = utf8; }
    // Writes the closing tags and closes the log, if one is open.
    void End();
    bool IsOpen() const { return fd_ >= 0; }
    // One completed line: its characters and the attribute of each (missing attributes
    // count as plain text).
    void WriteLine(std::string_view text, std::span<const Attr> attrs) {
        WriteCells(text, LineLook{attrs, {}, {}});
    }
    // The same with the characters' explicit colours, when they have any.
    void WriteCells(std::string_view text, const LineLook& look);

private:
    bool WriteOrFail(std::string_view bytes);

    MessageBoxes& boxes_;
    PaletteSource palette_;
    int fd_ = -1;
    ColorRef pageText_ = 0;
    ColorRef pageBackground_ = 0;
    bool utf8Text_ = false;
};

// "#rrggbb" of a 0x00BBGGRR colour.
std::string CssColor(ColorRef color);
// The page head: document type, character set, title and the page colours, up to and
// including the opening of the preformatted text.
std::string HtmlLogHead(ColorRef text, ColorRef background);
// One line of the page: runs of equal style merged into one span each; text in the page's
// own colours needs none. Characters are Latin-1; the page is UTF-8.
// With utf8Text the bytes from 0x80 on are UTF-8 and go into the page as they are.
std::string HtmlLogLine(std::string_view text, std::span<const Attr> attrs,
                        const ScreenPalette& palette, ColorRef pageText, ColorRef pageBackground,
                        bool utf8Text = false);
// The same with explicit colours (and, on a palette in full colour, the styles the screen
// draws then: underline, italic, strike-through).
std::string HtmlLogLineOfCells(std::string_view text, const LineLook& look,
                               const ScreenPalette& palette, ColorRef pageText,
                               ColorRef pageBackground, bool utf8Text = false);
// The HTML file kept beside a text log: ".txt" replaced by ".html", else ".html" added.
std::string HtmlLogPathBeside(std::string_view textPath);

} // namespace tav
