#include "screen/MudScreen.h"

#include "screen/BlockScan.h"
#include "screen/LegacyCodec.h"
#include "screen/TextDecoder.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <utility>

namespace tav {

namespace {

// What one value of a select-graphic-rendition list does to the attribute on a screen in
// basic colour: the bits it keeps and the bits it sets. Values from kBasicSgrValues on do
// nothing.
struct BasicSgrStep {
    Attr keep = ~Attr{0};
    Attr set = 0;
};
constexpr unsigned kBasicSgrValues = 38;
constexpr auto kBasicSgrSteps = [] {
    constexpr Attr kColourMask = 0x1E1; // normal, the three colour bits and gray
    std::array<BasicSgrStep, kBasicSgrValues + 1> steps{};
    steps[0] = {0, 0}; // everything goes (what it leaves depends on the list)
    steps[1].set = attr::kBold;
    steps[4].set = attr::kUnderline;
    steps[5].set = attr::kBlink;
    steps[7].set = attr::kReverse;
    for (unsigned colour = 1; colour <= 6; ++colour) // 31 red .. 36 cyan
        steps[30 + colour] = {~kColourMask, colour << 5};
    steps[37] = {~attr::kGray, 0xE0}; // white keeps the normal bit
    return steps;
}();

bool IsUrlSpace(Cell ch) {
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
}

} // namespace

TMudScreen::TMudScreen(const Settings& settings, ScreenView* view)
    : settings_(settings), view_(view ? view : &nullView_), buffer_(100) {
    StartLineText();
}

// --- feeding --------------------------------------------------------------------------

ScreenResult TMudScreen::AddText(const char* bytes, std::size_t count) {
    if (hold_) {
        // Held output is bounded: what does not fit is dropped rather than kept forever.
        parser_.Append(bytes, count, kMaxHeldBytes);
        view_->FrameHold(true);
        return ScreenResult::Held;
    }
    passScrolls_ = 0;
    return EndPass(parser_.Feed(bytes, count, *this));
}

ScreenResult TMudScreen::AddTextInColor(std::string_view bytes, CellColor text) {
    if (hold_) return AddText(bytes);
    const Attr attr = std::exchange(attr_, attr::kNormal);
    const CellPen pen = std::exchange(pen_, CellPen{text, 0});
    const Rendition rendition = std::exchange(rendition_, Rendition{});
    const ScreenResult result = AddText(bytes);
    attr_ = attr;
    pen_ = pen;
    rendition_ = rendition;
    return result;
}

ScreenResult TMudScreen::AddString(const char* text) {
    return AddText(text, text ? std::strlen(text) : 0);
}

std::optional<std::string> TMudScreen::TakeLine() {
    if (lineQueue_.empty()) return std::nullopt;
    std::string line = std::move(lineQueue_.front().text);
    lineQueue_.pop_front();
    return line;
}

std::optional<TakenLine> TMudScreen::TakeLineWithAttributes() {
    if (lineQueue_.empty()) return std::nullopt;
    TakenLine line = std::move(lineQueue_.front());
    lineQueue_.pop_front();
    return line;
}

ScreenResult TMudScreen::ProcessText() {
    passScrolls_ = 0;
    return EndPass(parser_.Parse(*this));
}

ScreenResult TMudScreen::EndPass(ScreenResult result) {
    view_->InvalidateRow(row_);
    if (!smoothscroll && passScrolls_ > 0 && row_ >= rows_ - 1)
        ScrollView(-passScrolls_, false, true);
    view_->UpdateView();
    return result;
}

void TMudScreen::OnLineEnd(unsigned char b) {
    if (b == '\r') {
        if (!appendcr) col_ = bufCol_ = 0;
    } else {
        passScrolls_ += NewLine();
        if (appendcr) col_ = bufCol_ = 0;
    }
}

template <typename Unit>
void TMudScreen::PutCells(const Unit* run, std::size_t n, std::size_t readable) {
    if constexpr (std::is_same_v<Unit, unsigned char>) {
        // Mostly a word between colour changes, short of the wrap and written where the
        // line's text ends.
        if (n < kScanBlock && readable >= kScanBlock && col_ + static_cast<int>(n) < cols_ - 1) {
            ScreenLine& line = buffer_[bufLine_];
            const int to = bufCol_ + static_cast<int>(n);
            if (line.written <= to && bufCol_ + static_cast<int>(kScanBlock) <= line.width) {
                deepest_ = std::max(deepest_, bufLine_);
                line.PrepareWrite(bufCol_, to);
                PutWord(run, n, line);
                col_ += static_cast<int>(n);
                return;
            }
        }
    }
    std::size_t k = 0;
    while (k < n) {
        // Store as many characters as fit before the wrap.
        std::size_t chunk = n - k;
        if (autowrap)
            chunk = std::min<std::size_t>(chunk,
                                          static_cast<std::size_t>(std::max(1, cols_ - 1 - col_)));

        ScreenLine& line = buffer_[bufLine_];
        deepest_ = std::max(deepest_, bufLine_);
        const auto fit = static_cast<std::size_t>(line.width - bufCol_);
        line.PrepareWrite(bufCol_, bufCol_ + static_cast<int>(std::min(chunk, fit)));
        if (chunk < fit) {
            FollowLineText(run + k, chunk);
            if (chunk < kScanBlock) {
                // A word between colour changes: one short walk writes both.
                Cell* const cells = line.ch + bufCol_;
                Attr* const attrs = line.attr + bufCol_;
                const Attr a = attr_; // the stores below could alias it
                if constexpr (std::is_same_v<Unit, unsigned char>) {
                    WriteShortRun(run + k, chunk, cells, attrs, a);
                } else {
                    for (std::size_t j = 0; j < chunk; ++j) {
                        cells[j] = run[k + j];
                        attrs[j] = a;
                    }
                }
            } else {
                WidenCopy(run + k, chunk, line.ch + bufCol_);
                BlockFill(line.attr + bufCol_, chunk, attr_);
            }
            line.SetColors(bufCol_, bufCol_ + static_cast<int>(chunk), pen_.text, pen_.back);
            bufCol_ += static_cast<int>(chunk);
        } else {
            // Everything past the last column lands in it; the last character wins.
            lineTextKnown_ = false;
            WidenCopy(run + k, fit - 1, line.ch + bufCol_);
            BlockFill(line.attr + bufCol_, fit, attr_);
            line.SetColors(bufCol_, line.width, pen_.text, pen_.back);
            line.ch[line.width - 1] = run[k + chunk - 1];
            bufCol_ = line.width - 1;
        }
        const long long col = static_cast<long long>(col_) + static_cast<long long>(chunk);
        k += chunk;
        if (col < cols_ - 1)
            col_ = static_cast<int>(col); // short of the wrap column, as mostly
        else
            AdvanceAfterWrite(col);
    }
}

void TMudScreen::AdvanceAfterWrite(long long col) {
    if (col >= cols_ - 1) {
        if (autowrap) {
            passScrolls_ += NewLine();
            col_ = bufCol_ = 0;
        } else {
            col_ = static_cast<int>(std::min<long long>(col, buffer_.Columns() - 1));
        }
    } else {
        col_ = static_cast<int>(col);
    }
}

void TMudScreen::PutWide(char32_t c) {
    // A wide character never splits at the right edge: with autowrap it goes to the next
    // line when its right half would reach the wrap column; without, or in the last
    // buffer column, it takes the two cells that end there.
    if (autowrap && col_ > 0 && col_ + 2 > cols_ - 1) {
        passScrolls_ += NewLine();
        col_ = bufCol_ = 0;
    }
    const int at = std::min(bufCol_, buffer_.Columns() - 2);
    if (at == bufCol_)
        FollowWide(c);
    else
        lineTextKnown_ = false; // it takes the cell before
    ScreenLine& line = buffer_[bufLine_];
    line.PrepareWrite(at, at + 2);
    line.ch[at] = c;
    line.ch[at + 1] = kWideTail;
    line.attr[at] = line.attr[at + 1] = attr_;
    line.SetColors(at, at + 2, pen_.text, pen_.back);
    bufCol_ = std::min(at + 2, buffer_.Columns() - 1);
    AdvanceAfterWrite(static_cast<long long>(col_) + 2);
}

void TMudScreen::AttachMark(char32_t mark) {
    // The mark joins the character just written on this line; with none there it is
    // dropped, as are marks beyond what a cell keeps.
    if (bufCol_ == 0) return;
    ScreenLine& line = buffer_[bufLine_];
    int k = bufCol_ - 1;
    if (line.ch[k] == 0) return;
    if (line.ch[k] == kWideTail && k > 0) --k;
    if (line.AddMark(k, mark)) FollowMark(mark, k);
}

int TMudScreen::NewLine() {
    if (scrolledBack_) {
        top_ = savedTop_;
        view_->InvalidateScreen();
        view_->UpdateView();
        view_->Scrolled();
        scrolledBack_ = false;
    }
    view_->InvalidateRow(row_);

    const ScreenLine& line = buffer_[bufLine_];
    int length = 0;
    bool colon = false;
    if (LineTextKnown()) {
        length = lineTextCells_;
        colon = std::memchr(lineText_.data(), ':', lineTextBytes_) != nullptr;
    } else {
        // One scan finds where the text ends, or the first colon, which every URL has; a
        // line without one needs no look for URLs.
        const auto stop = static_cast<int>(
            FindFirst(line.ch, buffer_.Columns(), [](Cell c) { return c == 0 || c == ':'; }));
        colon = stop < buffer_.Columns() && line.ch[stop] == ':';
        length = colon ? TextLength(line) : stop;
    }
    if (settings_.urlaware && colon) MarkUrls(length);
    // The prompt at the start of this line was handed over already.
    const bool promptKept = PromptKept();
    const bool removeNow = removePrompt_ && promptKept;
    const int from = promptKept ? std::min(promptLength_, length) : 0;
    if (from < length)
        QueueLine(line, from, length);
    else if (!promptKept)
        QueueLine(line, 0, 0);
    promptLine_ = -1;
    removePrompt_ = false;
    if (removeNow) {
        // A gagged prompt's line goes now that it is complete: the cursor stays on the
        // buffer line, which the line below has moved into.
        RemoveLine(bufLine_);
        return 0;
    }

    if (bufLine_ >= buffer_.Lines() - 1) {
        buffer_.Advance(attr_);
        buffer_.PrefetchOldest();
        bufLine_ = buffer_.Lines() - 1;
        StartLineText();
    } else {
        ++bufLine_;
        const ScreenLine& next = buffer_[bufLine_];
        const auto width = static_cast<std::size_t>(next.width);
        if (FindFirst(next.ch, width, [](Cell c) { return c != 0; }) == width)
            StartLineText();
        else
            lineTextKnown_ = false;
    }

    if (row_ >= rows_ - 1) {
        scrollMax_ = top_;
        top_ = std::min(top_ + 1, buffer_.Lines() - rows_);
        view_->Scrolled();
        if (smoothscroll) ScrollView(-1, false, true);
        row_ = rows_ - 1;
        return 1;
    }
    ++row_;
    view_->UpdateView();
    return 0;
}

void TMudScreen::MarkUrls(int length) {
    // Every prefix has its one ':' where the scheme ends, so a single walk over the colons
    // finds them all; each line pays for one scan however many prefixes there are. The
    // walk reads the cells themselves: a character beyond ASCII matches no prefix and is
    // no space, so it is part of a URL.
    ScreenLine& line = buffer_[bufLine_];
    const Cell* const cells = line.ch;
    const auto end = static_cast<std::size_t>(length);
    auto isColon = [](Cell c) { return c == ':'; };
    for (std::size_t colon = FindFirst(cells, end, isColon); colon < end;
         colon += 1 + FindFirst(cells + colon + 1, end - colon - 1, isColon)) {
        for (std::string_view prefix : kUrlPrefixes) {
            const std::size_t scheme = prefix.find(':');
            if (colon < scheme || colon - scheme + prefix.size() > end ||
                !std::equal(
                    prefix.begin(), prefix.end(), cells + (colon - scheme),
                    [](char p, Cell c) { return Cell{static_cast<unsigned char>(p)} == c; }))
                continue;
            std::size_t k = colon - scheme;
            while (k < end && !IsUrlSpace(cells[k]))
                line.attr[k++] |= attr::kUrl;
            line.MarkWritten(static_cast<int>(k));
            break;
        }
    }
}

// --- controls and escapes -------------------------------------------------------------

void TMudScreen::OnBell() {
    view_->Bell(bellPath);
    if (settings_.visualbell) {
        view_->VisualBell();
        view_->InvalidateScreen();
    }
}

void TMudScreen::OnTab() {
    col_ = std::min((col_ / 8) * 8 + 8, buffer_.Columns() - 1);
    const int newCol = std::min((bufCol_ / 8) * 8 + 8, buffer_.Columns() - 1);
    lineTextKnown_ = false;
    ScreenLine& line = buffer_[bufLine_];
    line.PrepareWrite(bufCol_, newCol);
    for (int k = bufCol_; k < newCol; ++k) {
        line.ch[k] = ' ';
        line.attr[k] = attr_;
    }
    line.SetColors(bufCol_, newCol, pen_.text, pen_.back);
    bufCol_ = newCol;
}

void TMudScreen::OnEscape(unsigned char final) {
    switch (final) {
    case 'A':
        if (row_ > 0) --row_;
        break;
    case 'B':
        if (row_ < rows_ - 1) ++row_;
        break;
    case 'C':
        if (col_ < cols_ - 1) ++col_;
        break;
    case 'D':
        if (col_ > 0) --col_;
        break;
    case 'H': GotoXY(0, 0); break;
    case 'J': EraseToEndOfScreen(); break;
    case 'K': EraseToEndOfLine(); break;
    default: break;
    }
}

void TMudScreen::OtherControlSequence(const ControlSequence& sequence) {
    const int* values = sequence.values;
    const int count = sequence.count;
    const int p0 = values[0];
    const int p1 = count > 1 ? values[1] : 0;
    switch (sequence.final) {
    case 'A': MoveCursor(-p0, 0); break;
    case 'B': MoveCursor(p0, 0); break;
    case 'C': MoveCursor(0, p0); break;
    case 'D': MoveCursor(0, -p0); break;
    case 'H':
    case 'f':
        if (count == 1)
            GotoXY(std::max(p0, 0), 0);
        else if (count == 2)
            GotoXY(std::max(p0, 0), std::max(p1, 0));
        break;
    case 'J':
        if (p0 == 1)
            EraseFromStartOfScreen();
        else
            ClearScreen();
        break;
    case 'K':
        if (p0 == 1)
            EraseFromStartOfLine();
        else
            EraseLine(row_);
        break;
    default: break;
    }
}

void TMudScreen::SelectGraphicRendition(const int* values, int count) {
    // Looked up rather than switched on: the values of colour sequences follow no pattern
    // a branch could learn. 0 alone is plain text; 0 among other values leaves gray.
    const Attr reset = count == 1 ? attr::kNormal : attr::kGray;
    Attr a = attr_;
    for (int k = 0; k < count; ++k) {
        const auto value = static_cast<unsigned>(values[k]);
        const BasicSgrStep step = kBasicSgrSteps[std::min<unsigned>(value, kBasicSgrValues)];
        a = (a & step.keep) | step.set | (value == 0 ? reset : 0);
    }
    attr_ = a;
}

// --- cursor and erasing ---------------------------------------------------------------

void TMudScreen::GotoXY(int row, int col) {
    row_ = std::clamp(row, 0, rows_ - 1);
    col_ = std::clamp(col, 0, cols_ - 1);
    bufLine_ = top_ + row_;
    bufCol_ = col_;
}

void TMudScreen::MoveCursor(int dy, int dx) {
    auto add = [](int a, int b, int hi) {
        return static_cast<int>(std::clamp<long long>(static_cast<long long>(a) + b, 0, hi));
    };
    row_ = add(row_, dy, rows_ - 1);
    col_ = add(col_, dx, cols_ - 1);
    bufLine_ = add(bufLine_, dy, buffer_.Lines() - 1);
    bufCol_ = add(bufCol_, dx, buffer_.Columns() - 1);
}

void TMudScreen::BlankCells(ScreenLine& line, int from, int to) {
    lineTextKnown_ = false;
    if (from == 0 && to == buffer_.Columns())
        line.Blank(attr_);
    else
        line.Blank(from, to, attr_);
    // Full colour erases in the current background.
    if (rendition_.back) line.SetColors(from, to, 0, rendition_.back);
}

void TMudScreen::EraseLine(int row) {
    if (row < 0 || row >= rows_) return; // only rows on the screen
    BlankCells(buffer_[top_ + row], 0, buffer_.Columns());
    view_->InvalidateRow(row);
}

void TMudScreen::EraseToEndOfLine() {
    BlankCells(buffer_[top_ + row_], col_, buffer_.Columns());
    view_->InvalidateRow(row_);
}

void TMudScreen::EraseToEndOfScreen() {
    EraseToEndOfLine();
    for (int k = row_ + 1; k < rows_; ++k)
        EraseLine(k);
}

void TMudScreen::EraseFromStartOfLine() {
    BlankCells(buffer_[top_ + row_], 0, std::min(col_ + 1, buffer_.Columns()));
    view_->InvalidateRow(row_);
}

void TMudScreen::EraseFromStartOfScreen() {
    EraseFromStartOfLine();
    for (int k = 0; k < row_; ++k)
        EraseLine(k);
}

void TMudScreen::ClearScreen() {
    for (int k = 0; k < rows_; ++k)
        EraseLine(k);
    GotoXY(0, 0);
}

void TMudScreen::ResetScreen(int lines) {
    ClearScreen();
    buffer_.Reset(std::clamp(lines, 1, kMaxScreenLines));
    rows_ = std::min(rows_, buffer_.Lines());
    top_ = savedTop_ = 0;
    row_ = col_ = bufLine_ = bufCol_ = deepest_ = 0;
    StartLineText();
    promptLine_ = -1;
    removePrompt_ = false;
    // The selection's cells are gone; its ends stay, but inside the smaller buffer.
    anchor_.line = std::min(anchor_.line, buffer_.Lines() - 1);
    end_.line = std::min(end_.line, buffer_.Lines() - 1);
    parser_.Clear();
    scrollMax_ = buffer_.Lines() - rows_;
    view_->Scrolled();
    view_->InvalidateScreen();
}

// --- geometry -------------------------------------------------------------------------

int TMudScreen::LimitTop(long long top) const {
    return static_cast<int>(std::clamp<long long>(top, 0, buffer_.Lines() - rows_));
}

void TMudScreen::SetSize(int rows, int cols) {
    // A window smaller than one cell (a minimised one) still keeps one row and one
    // column, so every position stays inside the buffer.
    wantedCols_ = std::max(cols, 1);
    cols_ = std::clamp(cols, 1, buffer_.Columns());
    rows_ = std::clamp(rows, 1, buffer_.Lines());
    top_ = LimitTop(bufLine_ - rows_ + 1);
    row_ = bufLine_ - top_;
    col_ = std::min(col_, cols_ - 1);
    // The new top line is the live position for the new height. A top saved before the
    // resize may lie beyond the new last top line; the next line end would copy it back
    // and place the cursor past the buffer.
    savedTop_ = top_;
    scrolledBack_ = false;
    scrollMax_ = buffer_.Lines() - rows_;
    view_->Scrolled();
}

void TMudScreen::SetBufferColumns(int columns) {
    columns = std::clamp(columns, 1, kMaxBufferColumns);
    if (columns == buffer_.Columns()) return;
    buffer_.SetColumns(columns);
    lineTextKnown_ = false;
    cols_ = std::min(wantedCols_, columns);
    col_ = std::min(col_, cols_ - 1);
    bufCol_ = std::min(bufCol_, columns - 1);
    anchor_.col = std::min(anchor_.col, columns - 1);
    end_.col = std::min(end_.col, columns - 1);
    view_->Scrolled();
    view_->InvalidateScreen();
}

// --- hold and text extraction ---------------------------------------------------------

void TMudScreen::SetEncoding(TextEncoding encoding) {
    parser_.SetEncoding(encoding, hold_);
    unicode_ = HasUnicodeCells(encoding);
    // Bytes of one encoding are not the text of the same cells in another.
    lineTextKnown_ = false;
}

void TMudScreen::SetColourMode(ColourMode mode) {
    if (mode == colourMode_) return;
    colourMode_ = mode;
    parser_.SetFullColour(mode == ColourMode::Full);
    rendition_ = Rendition{};
    attr_ = attr::kNormal;
    pen_ = CellPen{};
}

void TMudScreen::ToggleHold() {
    if (!hold_) {
        hold_ = true;
        return;
    }
    if (ReleaseHold()) AddText(" ", 1);
}

bool TMudScreen::ReleaseHold() {
    if (!hold_) return false;
    hold_ = false;
    view_->FrameHold(false);
    return parser_.PendingBytes() > 0;
}

std::optional<std::string> TMudScreen::GetSelectedText() const {
    if (!hasSelection_) return std::nullopt;
    const int last = buffer_.Lines() - 1;
    const int from = std::clamp(std::min(anchor_.line, end_.line), 0, last);
    const int to = std::clamp(std::max(anchor_.line, end_.line), 0, last);
    std::string text;
    for (int n = from; n <= to; ++n) {
        const ScreenLine& line = buffer_[n];
        for (int k = 0; k < buffer_.Columns(); ++k)
            if (line.attr[k] & attr::kSelected) AppendCellText(text, line, k, k + 1, unicode_);
        if (n < to) text += "\r\n";
    }
    return text;
}

std::string TMudScreen::GetAllText() const {
    std::string text;
    for (int n = 0; n < buffer_.Lines(); ++n) {
        AppendCellText(text, buffer_[n], 0, buffer_.Columns(), unicode_);
        if (n + 1 < buffer_.Lines()) text += "\r\n";
    }
    return text;
}

} // namespace tav
