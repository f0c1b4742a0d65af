#pragma once

#include "screen/BlockScan.h"
#include "screen/FullColourSgr.h"
#include "screen/ScreenBuffer.h"
#include "screen/ScreenParser.h"
#include "screen/ScreenView.h"
#include "settings/ProfileOptions.h"
#include "settings/Settings.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

// Bounds on what the byte stream can make the screen hold (the parser has its own).
// Output held by Scroll Lock beyond this many bytes is dropped.
inline constexpr std::size_t kMaxHeldBytes = 1 << 20;
// Completed lines nobody took: beyond this many the oldest goes. (An owner that takes
// lines takes them after every AddText; this bounds a screen whose owner forgot to.)
inline constexpr std::size_t kMaxQueuedLines = 1 << 20;
inline constexpr int kMaxScreenLines = 100'000;

// What starts a URL the screen marks in a completed line.
inline constexpr std::string_view kUrlPrefixes[] = {"https://", "http://", "ftp://", "mailto:"};

// A completed line as the screen hands it over: its characters up to the first empty
// cell and, when the screen keeps them, the attribute of each and their explicit colours.
struct TakenLine {
    std::string text;
    std::vector<Attr> attrs; // empty unless keepLineAttributes was set
    // Empty unless keepLineAttributes was set and the line has explicit colours.
    std::vector<CellColor> textColors;
    std::vector<CellColor> backColors;
    // Names the buffer line for the completed-line operations below; never 0.
    std::uint64_t serial = 0;
    // The screen's completion tag when the line was completed (SetCompletionTag): the
    // owner's to tell lines apart by what it was doing when they came.
    int tag = 0;
    // The buffer column of text[0] (past a prompt that was handed over before).
    int column = 0;
    // When text is UTF-8, or some cells gave no byte: the buffer column of each of its
    // bytes. Empty otherwise, where byte i lies in column `column + i`.
    std::vector<std::uint8_t> byteColumns;

    // The buffer columns [first, last) the bytes [from, to) of text lie in.
    std::pair<std::size_t, std::size_t> Columns(std::size_t from, std::size_t to) const;
};

// Scroll bar requests the view forwards to the model.
enum class ScrollRequest {
    LineUp,
    LineDown,
    PageUp,
    PageDown,
    ThumbTrack,
    ThumbPosition,
    Top,
    EndScroll,
    Bottom
};

// The character-cell terminal: a scrollback buffer of 132-column lines with colour
// attributes, fed raw bytes from the game (ANSI colour and cursor sequences, telnet
// groups) through AddText. Its ScreenParser splits the bytes into text and controls; the
// screen acts on them (cursor, rendition, wrap, erase, line completion) in its buffer.
// Completed lines are queued for the owner (TakeLine) so it can run triggers and logs
// over plain text. The model never paints; it reports changes through its ScreenView and
// the view reads cells with Line().
class TMudScreen : private ParserEvents {
public:
    explicit TMudScreen(const Settings& settings, ScreenView* view = nullptr);

    void SetView(ScreenView* view) { view_ = view ? view : &nullView_; }

    // --- feeding ----------------------------------------------------------------------
    ScreenResult AddText(const char* bytes, std::size_t count);
    ScreenResult AddText(std::string_view bytes) { return AddText(bytes.data(), bytes.size()); }
    ScreenResult AddString(const char* text);
    // Feeds bytes whose text shows plain in the explicit colour `text`, whatever rendition
    // the bytes before left on; that rendition is back for the bytes after. While held, the
    // bytes wait like any others and show in the colours of their time.
    ScreenResult AddTextInColor(std::string_view bytes, CellColor text);
    ScreenResult ProcessText();
    // The oldest completed line still queued; a line stays queued until it is taken.
    std::optional<std::string> TakeLine();
    // The text since the last line end is a prompt (the server ended it with GA or EOR):
    // it is queued as a completed line at once, and the line's end later queues only
    // what was added after it (typically the echo of a command).
    void EndPrompt();
    std::optional<TakenLine> TakeLineWithAttributes();

    // --- cursor and erasing -----------------------------------------------------------
    void GotoXY(int row, int col);
    void MoveCursor(int dy, int dx);
    void EraseLine(int row);
    void ClearScreen();
    void ResetScreen(int lines);

    // --- geometry, in rows and columns (the view maps its pixels to them) -------------
    // Recomputes rows, columns, top line and cursor for a window of that many whole cells;
    // at least one row and one column are kept.
    void SetSize(int rows, int cols);
    int Lines() const { return buffer_.Lines(); }
    // Lines dropped from the buffer's top (or cleared with it) since the screen was made.
    std::int64_t LinesDropped() const { return buffer_.Dropped(); }
    int Rows() const { return rows_; }
    int Columns() const { return cols_; }
    // The cells of every buffer line: kBufferColumns, or up to kMaxBufferColumns for a
    // screen as wide as its window. The visible columns never exceed them.
    int BufferColumns() const { return buffer_.Columns(); }
    // Makes every buffer line `columns` wide, keeping the text (a narrower line loses the
    // cells past its end); the cursor and the visible columns stay inside.
    void SetBufferColumns(int columns);
    int Top() const { return top_; }
    int SavedTop() const { return savedTop_; }
    // The scroll range is 0..ScrollMax(): while the buffer fills it reaches the last top
    // line the screen has shown, then the last one it can show.
    int ScrollMax() const { return scrollMax_; }

    // Cursor: screen position (row, column) and buffer position (line, column).
    int CursorRow() const { return row_; }
    int CursorCol() const { return col_; }
    int BufferLine() const { return bufLine_; }
    int BufferCol() const { return bufCol_; }
    // The row of the view that shows the cursor's line: its screen row while the view is
    // live, moved down by how far the view is scrolled back; nothing when that line is
    // out of view.
    std::optional<int> CursorViewRow() const;

    const ScreenLine& Line(int n) const { return buffer_[n]; }
    Attr CurrentAttr() const { return attr_; }
    std::size_t PendingBytes() const { return parser_.PendingBytes(); }

    // --- modes ------------------------------------------------------------------------
    bool autowrap = true;
    bool appendcr = true;
    bool smoothscroll = false;
    bool explicitmode = true;
    // Completed lines are queued for the owner. A screen whose owner never takes them (a
    // pane, a text window) turns this off and completes its lines without queueing them.
    bool queueLines = true;
    // Completed lines keep the attributes of their characters (for a log in colour).
    bool keepLineAttributes = false;
    // The tag given to the lines completed from now on (TakenLine::tag).
    void SetCompletionTag(int tag) { completionTag_ = tag; }
    bool Held() const { return hold_; }
    bool ScrolledBack() const { return scrolledBack_; }
    // Scroll Lock. Releasing interprets the held bytes with one space after them; an
    // owner that acts on results and completed lines releases with ReleaseHold instead.
    void ToggleHold();
    // Ends the hold without interpreting anything; true when bytes wait, and the owner
    // then feeds one space through its own receive path to interpret them.
    bool ReleaseHold();
    // WAV file played for BEL; empty for the system beep.
    std::string bellPath;
    // How bytes 0x80-0xFE become cells (7-bit drops them). The change applies to the
    // next bytes interpreted; an unfinished multibyte sequence left from the last ones is
    // given up and shows as '?'. In the encodings with Unicode cells the text handed out
    // (completed lines, selections, GetAllText) is UTF-8; otherwise it is the cells' bytes.
    void SetEncoding(TextEncoding encoding);
    TextEncoding Encoding() const { return parser_.Encoding(); }
    // Basic colour reads the eight text colours into attribute bits; full colour also
    // reads backgrounds, bright and extended colours and more styles into the cells'
    // explicit colours, and erases fill with the current background. A change starts
    // from plain text.
    void SetColourMode(ColourMode mode);
    ColourMode Colours() const { return colourMode_; }

    // --- text extraction --------------------------------------------------------------
    std::optional<std::string> GetSelectedText() const;
    std::string GetAllText() const;

    // --- scrolling back (view side) ---------------------------------------------------
    // Moves the top line by -dy when adjust is set, and the painted rows when movePixels is.
    void ScrollView(int dy, bool adjust, bool movePixels);
    void PageUp(bool now);
    void PageDown(bool now);
    void ScrollBar(ScrollRequest request, int position = 0);
    // Takes a copy of another screen's lines (same count, same line numbering) and shows
    // its live position; for a view that scrolls back over that screen's text.
    void CopyLinesFrom(const TMudScreen& other);

    // --- completed lines after the fact (TakenLine::serial) ---------------------------
    // Gives the cells of the completed line under text offsets from..to-1 these colours
    // (0 keeps a cell's own); false when the line has left the buffer.
    bool ColorCompletedLine(std::uint64_t serial, std::size_t from, std::size_t to, CellColor text,
                            CellColor back);
    // The same for every non-empty cell of the line, a prompt before the text included.
    bool ColorWholeCompletedLine(std::uint64_t serial, CellColor text, CellColor back);
    // Takes the completed line out of the buffer: the lines below move up and the
    // cursor's line goes with them; the view keeps showing the same text where it can,
    // and the selection keeps its text. A prompt still being written on the cursor's line
    // is taken out once its line is complete. False when the line has left the buffer.
    bool RemoveCompletedLine(std::uint64_t serial);

    // --- selection (view side) --------------------------------------------------------
    struct CellPos {
        int line;
        int col;
    };
    // The buffer cell shown at a row and column of the view (counted from its top line),
    // or nothing past the buffer's end.
    std::optional<CellPos> CellInView(int row, int col) const;
    // The whole URL through a cell carrying the URL bit; nothing when the marked run
    // does not start with one of kUrlPrefixes.
    std::optional<std::string> UrlAt(CellPos cell) const;
    void BeginSelection(CellPos cell);
    void ExtendSelection(CellPos cell);
    void EndSelection() { selecting_ = false; }
    void SelectAll();
    void ClearSelection();
    bool Selecting() const { return selecting_; }
    bool HasSelection() const { return hasSelection_; }
    CellPos SelectionAnchor() const { return anchor_; }
    CellPos SelectionEnd() const { return end_; }

private:
    // --- what the parser found (ParserEvents) ------------------------------------------
    void OnText(const unsigned char* run, std::size_t n, std::size_t readable) override {
        PutCells(run, n, readable);
    }
    void OnLineEnd(unsigned char b) override;
    void OnNarrow(const char32_t* run, std::size_t n) override { PutCells(run, n, n); }
    void OnWide(char32_t c) override { PutWide(c); }
    void OnMark(char32_t c) override { AttachMark(c); }
    void OnBell() override;
    void OnTab() override;
    void OnEscape(unsigned char final) override;
    void OnControlSequence(const ControlSequence& sequence) override {
        // Colour changes outnumber every other sequence in coloured text: they go straight
        // to the rendition.
        if (sequence.final != 'm')
            OtherControlSequence(sequence);
        else if (colourMode_ == ColourMode::Full)
            ApplyFullColourSequence(sequence, rendition_, attr_, pen_);
        else
            SelectGraphicRendition(sequence.values, sequence.count);
    }
    // The sequences that move the cursor and erase.
    void OtherControlSequence(const ControlSequence& sequence);

    // Writes one-cell characters (bytes or Unicode characters); `readable` units (at least
    // n) may be read at run.
    template <typename Unit> void PutCells(const Unit* run, std::size_t n, std::size_t readable);
    // Writes a word of n < 16 bytes at bufCol_, where the line's text ends, with sixteen
    // bytes readable at run and sixteen cells left in the line.
    void PutWord(const unsigned char* run, std::size_t n, ScreenLine& line);
    // The view's updates after a pass of the parser.
    ScreenResult EndPass(ScreenResult result);
    void PutWide(char32_t c);
    void AttachMark(char32_t mark);
    // Moves the cursor to screen column `col` after a write, wrapping at the edge.
    void AdvanceAfterWrite(long long col);
    int NewLine();
    void MarkUrls(int length);
    std::optional<int> FindCompletedLine(std::uint64_t serial) const;
    // Whether the cursor's line still begins with the prompt handed over from it; a line
    // whose prompt was overwritten or erased is handed over whole when it ends.
    bool PromptKept() const;
    void RemoveLine(int n);
    void InvalidateBufferLine(int n);
    // Queues the text of cells from..to-1 of a line as a completed line.
    void QueueLine(const ScreenLine& line, int from, int to);
    // The text (and attributes, when kept) of cells from..to-1, read back from the cells.
    void ReadLineCells(TakenLine& taken, const ScreenLine& line, int from, int to) const;
    // The cursor's line was just opened empty: its text is followed from here.
    void StartLineText() {
        lineTextBytes_ = 0;
        lineTextCells_ = 0;
        lineTextColumnsKept_ = false;
        lineTextLine_ = bufLine_;
        lineTextKnown_ = true;
    }
    // Cells are being written from bufCol_ on, a character each: the line's text follows
    // them when they continue it, and is no longer known when they do not. Bytes are
    // ASCII on a Unicode screen.
    void FollowLineText(const unsigned char* run, std::size_t n) {
        if (!LineTextKnown() || bufCol_ != lineTextCells_) {
            lineTextKnown_ = false;
            return;
        }
        // Mostly a word between colour changes: too short to be worth a call to memcpy.
        const auto copy = [n](void* to, const void* from) {
            if (n < kScanBlock)
                CopyShort(to, from, n);
            else
                std::memcpy(to, from, n);
        };
        copy(lineText_.data() + lineTextBytes_, run);
        if (lineTextColumnsKept_)
            copy(lineTextColumns_.data() + lineTextBytes_, kColumnNumbers.data() + bufCol_);
        lineTextBytes_ += n;
        lineTextCells_ += static_cast<int>(n);
    }
    void FollowLineText(const char32_t* run, std::size_t n);
    // A wide character is being written at bufCol_, or a mark joined to the character
    // before it: the line's text follows them too.
    void FollowWide(char32_t c);
    void FollowMark(char32_t mark, int column);
    // From here on lineTextColumns_ holds the column of each byte of the text.
    void KeepLineTextColumns() {
        if (lineTextColumnsKept_) return;
        // Every byte so far was a column of its own.
        std::memcpy(lineTextColumns_.data(), kColumnNumbers.data(), lineTextBytes_);
        lineTextColumnsKept_ = true;
    }
    // Whether lineText_ is the text of the cursor's line.
    bool LineTextKnown() const { return lineTextKnown_ && lineTextLine_ == bufLine_; }
    void SelectGraphicRendition(const int* values, int count);
    // Blanks cells from..to-1 of a line with the current attribute (and background).
    void BlankCells(ScreenLine& line, int from, int to);
    void EraseToEndOfLine();
    void EraseToEndOfScreen();
    void EraseFromStartOfLine();
    void EraseFromStartOfScreen();
    void ClearSelectedBits();
    // T limited to 0..L - R; every top line the screen keeps passes through it.
    int LimitTop(long long top) const;
    bool InBuffer(CellPos cell) const;

    const Settings& settings_;
    ScreenView nullView_;
    ScreenView* view_;

    ScreenBuffer buffer_;
    int rows_ = 24;
    int cols_ = 80;
    // The columns the window has room for; cols_ is as many of them as the buffer holds.
    int wantedCols_ = 80;
    int top_ = 0;
    int savedTop_ = 0;
    // The buffer line a prompt was queued from, how many cells of it and their text;
    // -1 when none.
    int promptLine_ = -1;
    int promptLength_ = 0;
    std::string promptText_;
    // The prompt line is to be taken out when it completes.
    bool removePrompt_ = false;
    // The serial of the last completed line.
    std::uint64_t lastSerial_ = 0;
    // No line below this one has been written since the buffer was reset.
    int deepest_ = 0;
    // Where FindCompletedLine last found a line: the next lookup is mostly for the same
    // line (one trigger after another) or the line after it. Only a hint, checked.
    mutable int foundLine_ = 0;
    mutable std::uint64_t foundSerial_ = 0;
    int scrollMax_ = 0;

    Attr attr_ = attr::kNormal;
    CellPen pen_; // explicit colours given to the cells written next
    ColourMode colourMode_ = ColourMode::Basic;
    Rendition rendition_; // full colour: what the graphic rendition sequences chose
    int row_ = 0;
    int col_ = 0;
    int bufLine_ = 0;
    int bufCol_ = 0;

    // The text of the cursor's line while that line holds only characters written one
    // after another from its first column since it was opened empty (the usual game
    // line): its completion takes this text instead of reading the cells back. Any other
    // change of cells ends this until the next line opens. On a Unicode screen the text
    // is UTF-8, and once a character took more than one byte, lineTextColumns_ holds the
    // column of each byte (until then byte i lies in column i). A character takes a
    // column and at most four bytes, and a mark is followed only while the text keeps
    // within four bytes a column, so the text always fits.
    static constexpr std::size_t kLineTextRoom = static_cast<std::size_t>(kMaxBufferColumns) * 4;
    // 0, 1, 2, ...: the columns of a run of bytes one a column are a stretch of these.
    static constexpr auto kColumnNumbers = [] {
        std::array<std::uint8_t, kMaxBufferColumns + kScanBlock> numbers{};
        for (std::size_t k = 0; k < numbers.size(); ++k)
            numbers[k] = static_cast<std::uint8_t>(k);
        return numbers;
    }();
    // Each with room for a word's sixteen-byte copy at its end.
    std::array<char, kLineTextRoom + kScanBlock> lineText_;
    std::array<std::uint8_t, kLineTextRoom + kScanBlock> lineTextColumns_;
    std::size_t lineTextBytes_ = 0;
    int lineTextCells_ = 0; // the columns the text covers
    bool lineTextColumnsKept_ = false;
    int lineTextLine_ = 0;
    bool lineTextKnown_ = false;

    ScreenParser parser_;
    std::deque<TakenLine> lineQueue_;
    int passScrolls_ = 0;
    int completionTag_ = 0;

    bool hold_ = false;
    bool scrolledBack_ = false;
    bool unicode_ = false; // HasUnicodeCells of the parser's encoding
    bool selecting_ = false;
    bool hasSelection_ = false;
    CellPos anchor_{0, 0};
    CellPos end_{0, 0};
};

} // namespace tav
