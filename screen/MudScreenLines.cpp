// Lines the screen completes: handed over with their attributes and colours, then
// changed afterwards by the colours and removals trigger actions make once a line has
// been matched.
#include "screen/MudScreen.h"

#include "screen/BlockScan.h"
#include "settings/Utf8Text.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tav {

std::pair<std::size_t, std::size_t> TakenLine::Columns(std::size_t from, std::size_t to) const {
    const auto base = static_cast<std::size_t>(column);
    if (byteColumns.empty()) return {base + from, base + to};
    if (from >= to || from >= byteColumns.size()) return {0, 0};
    to = std::min(to, byteColumns.size());
    // The last byte's character ends one column on (a wide one's right half is added by
    // the colouring itself).
    return {byteColumns[from], std::size_t{byteColumns[to - 1]} + 1};
}

void TMudScreen::ReadLineCells(TakenLine& taken, const ScreenLine& line, int from, int to) const {
    std::vector<Attr>* const attrs = keepLineAttributes ? &taken.attrs : nullptr;
    // A line of plain ASCII is a byte a cell in every encoding: it takes the quick way.
    const auto count = static_cast<std::size_t>(to - from);
    const bool utf8 = unicode_ && (line.marks || FindFirst(line.ch + from, count, [](Cell c) {
                                                     return c >= 0x80 || c == 0;
                                                 }) != count);
    // A UTF-8 line's text finds its own room once its length is known.
    if (!utf8) taken.text.reserve(count);
    AppendCellText(taken.text, line, from, to, utf8, attrs, utf8 ? &taken.byteColumns : nullptr);
    if (!utf8 && taken.text.size() != count) {
        // Right halves left by a screen that held Unicode give no byte: the bytes need
        // their columns after all.
        taken.text.clear();
        taken.attrs.clear();
        AppendCellText(taken.text, line, from, to, false, attrs, &taken.byteColumns);
    }
}

void TMudScreen::FollowLineText(const char32_t* run, std::size_t n) {
    if (!unicode_ || !LineTextKnown() || bufCol_ != lineTextCells_) {
        lineTextKnown_ = false;
        return;
    }
    for (std::size_t k = 0; k < n; ++k) {
        const char32_t c = run[k];
        const auto column = static_cast<std::uint8_t>(lineTextCells_);
        if (c < 0x80) {
            lineText_[lineTextBytes_] = static_cast<char>(c);
            if (lineTextColumnsKept_) lineTextColumns_[lineTextBytes_] = column;
            ++lineTextBytes_;
        } else {
            KeepLineTextColumns();
            if (c < 0x800) {
                // Two bytes, written here rather than through the general encoder.
                lineText_[lineTextBytes_] = static_cast<char>(0xC0 | (c >> 6));
                lineText_[lineTextBytes_ + 1] = static_cast<char>(0x80 | (c & 0x3F));
                lineTextColumns_[lineTextBytes_] = column;
                lineTextColumns_[lineTextBytes_ + 1] = column;
                lineTextBytes_ += 2;
            } else {
                const std::size_t length = EncodeUtf8(c, lineText_.data() + lineTextBytes_);
                std::fill_n(lineTextColumns_.begin() + lineTextBytes_, length, column);
                lineTextBytes_ += length;
            }
        }
        ++lineTextCells_;
    }
}

void TMudScreen::FollowWide(char32_t c) {
    if (!LineTextKnown() || bufCol_ != lineTextCells_) {
        lineTextKnown_ = false;
        return;
    }
    KeepLineTextColumns();
    const std::size_t length = EncodeUtf8(c, lineText_.data() + lineTextBytes_);
    std::fill_n(lineTextColumns_.begin() + lineTextBytes_, length,
                static_cast<std::uint8_t>(lineTextCells_));
    lineTextBytes_ += length;
    lineTextCells_ += 2; // the right half has no text of its own
}

void TMudScreen::FollowMark(char32_t mark, int column) {
    char bytes[4];
    const std::size_t length = EncodeUtf8(mark, bytes);
    // The mark's bytes follow its character's, which end the text.
    if (!LineTextKnown() || bufCol_ != lineTextCells_ ||
        lineTextBytes_ + length > 4 * static_cast<std::size_t>(lineTextCells_)) {
        lineTextKnown_ = false;
        return;
    }
    KeepLineTextColumns();
    std::memcpy(lineText_.data() + lineTextBytes_, bytes, length);
    std::fill_n(lineTextColumns_.begin() + lineTextBytes_, length,
                static_cast<std::uint8_t>(column));
    lineTextBytes_ += length;
}

void TMudScreen::PutWord(const unsigned char* run, std::size_t n, ScreenLine& line) {
    if (LineTextKnown() && bufCol_ == lineTextCells_) {
        std::memcpy(lineText_.data() + lineTextBytes_, run, kScanBlock);
        if (lineTextColumnsKept_)
            std::memcpy(lineTextColumns_.data() + lineTextBytes_, kColumnNumbers.data() + bufCol_,
                        kScanBlock);
        lineTextBytes_ += n;
        lineTextCells_ += static_cast<int>(n);
    } else {
        lineTextKnown_ = false;
    }
    WriteSixteenCells(run, n, line.ch + bufCol_, line.attr + bufCol_, attr_, line.blankAttr);
    line.SetWordColors(bufCol_, static_cast<int>(n), pen_.text, pen_.back);
    bufCol_ += static_cast<int>(n);
}

void TMudScreen::QueueLine(const ScreenLine& line, int from, int to) {
    if (!queueLines) return;
    TakenLine taken;
    std::vector<Attr>* const attrs = keepLineAttributes ? &taken.attrs : nullptr;
    if (&line == &buffer_[bufLine_] && LineTextKnown() && from <= to && to <= lineTextCells_) {
        // The cells hold these characters one each, and nothing else up to the end.
        if (!lineTextColumnsKept_) {
            taken.text.assign(lineText_.data() + from, static_cast<std::size_t>(to - from));
            if (attrs) attrs->assign(line.attr + from, line.attr + to);
        } else {
            // Columns grow with the bytes: those of from..to-1 lie between these two.
            const auto* const columns = lineTextColumns_.data();
            const auto* const last = columns + lineTextBytes_;
            // A whole line, the usual case, needs no search.
            const std::size_t begin =
                from == 0
                    ? 0
                    : static_cast<std::size_t>(std::lower_bound(columns, last, from) - columns);
            const std::size_t end =
                to == lineTextCells_
                    ? lineTextBytes_
                    : static_cast<std::size_t>(std::lower_bound(columns, last, to) - columns);
            taken.text.assign(lineText_.data() + begin, end - begin);
            // A byte a column: all of them ASCII, which needs no columns; but a line with
            // marks hands its columns over, as its cells read back do.
            if (end - begin != static_cast<std::size_t>(to - from) || line.marks)
                taken.byteColumns.assign(columns + begin, columns + end);
            if (attrs && taken.byteColumns.empty()) {
                attrs->assign(line.attr + from, line.attr + to);
            } else if (attrs) {
                attrs->reserve(taken.byteColumns.size());
                for (const std::uint8_t column : taken.byteColumns)
                    attrs->push_back(line.attr[column]);
            }
        }
#if !defined(NDEBUG) || defined(TAV_FUZZING)
        // What the cells read back give, to the byte: checked in the debug and fuzzing
        // builds, where a difference stops the program.
        TakenLine check;
        ReadLineCells(check, line, from, to);
        if (check.text != taken.text || check.attrs != taken.attrs ||
            check.byteColumns != taken.byteColumns) {
            std::fprintf(stderr, "TMudScreen: followed text \"%s\" differs from its cells\n",
                         taken.text.c_str());
            std::abort();
        }
#endif
    } else {
        ReadLineCells(taken, line, from, to);
    }
    if (keepLineAttributes && line.colors) {
        // One colour per byte of the text, as the attributes are.
        const LineColors& colors = *line.colors;
        const auto keep = [&](int col) {
            taken.textColors.push_back(colors.Text(col));
            taken.backColors.push_back(colors.Back(col));
        };
        if (taken.byteColumns.empty()) {
            taken.textColors.reserve(static_cast<std::size_t>(to - from));
            taken.backColors.reserve(static_cast<std::size_t>(to - from));
            for (int col = from; col < to; ++col)
                keep(col);
        } else {
            taken.textColors.reserve(taken.byteColumns.size());
            taken.backColors.reserve(taken.byteColumns.size());
            for (const std::uint8_t col : taken.byteColumns)
                keep(col);
        }
    }
    buffer_[bufLine_].serial = ++lastSerial_;
    taken.serial = lastSerial_;
    taken.column = from;
    taken.tag = completionTag_;
    if (lineQueue_.size() >= kMaxQueuedLines) lineQueue_.pop_front();
    lineQueue_.push_back(std::move(taken));
}

void TMudScreen::EndPrompt() {
    const ScreenLine& line = buffer_[bufLine_];
    const int length = TextLength(line);
    const int from = PromptKept() ? promptLength_ : 0;
    if (from >= length) return;
    QueueLine(line, from, length);
    promptLine_ = bufLine_;
    promptLength_ = length;
    promptText_.clear();
    AppendCellText(promptText_, line, 0, length, unicode_);
}

bool TMudScreen::PromptKept() const {
    if (promptLine_ != bufLine_) return false;
    const ScreenLine& line = buffer_[bufLine_];
    // A narrower buffer cut the prompt off: its line no longer holds it.
    if (promptLength_ > line.width) return false;
    std::string text;
    AppendCellText(text, line, 0, promptLength_, unicode_);
    return text == promptText_;
}

std::optional<int> TMudScreen::FindCompletedLine(std::uint64_t serial) const {
    if (serial == 0) return std::nullopt;
    // Serials are unique in the buffer, so a line that holds this one is the line. The
    // line found last, or the one as far below it as the serial is past its serial, is
    // tried first.
    const int deepest = std::min(deepest_, buffer_.Lines() - 1);
    if (foundSerial_ != 0 && foundLine_ <= deepest && serial >= foundSerial_ &&
        serial - foundSerial_ <= static_cast<std::uint64_t>(deepest - foundLine_)) {
        const int guess = foundLine_ + static_cast<int>(serial - foundSerial_);
        if (buffer_[guess].serial == serial) {
            foundSerial_ = serial;
            foundLine_ = guess;
            return guess;
        }
    }
    // Completed lines lie at or above the deepest line written, mostly just above the
    // cursor, so the search from there ends after a few lines.
    for (int n = deepest; n >= 0; --n) {
        if (buffer_[n].serial == serial) {
            foundSerial_ = serial;
            foundLine_ = n;
            return n;
        }
    }
    return std::nullopt;
}

void TMudScreen::InvalidateBufferLine(int n) {
    if (n >= top_ && n < top_ + rows_) view_->InvalidateRow(n - top_);
}

bool TMudScreen::ColorCompletedLine(std::uint64_t serial, std::size_t from, std::size_t to,
                                    CellColor text, CellColor back) {
    const std::optional<int> n = FindCompletedLine(serial);
    if (!n) return false;
    ScreenLine& line = buffer_[*n];
    const auto width = static_cast<std::size_t>(line.width);
    to = std::min(to, width);
    // A wide character is coloured whole.
    while (to > from && to < width && line.ch[to] == kWideTail)
        ++to;
    if (from >= to || (text == 0 && back == 0)) return true;
    // Each colour given replaces the cells' own; the other stays as it was.
    line.Colors().Recolour(static_cast<int>(from), static_cast<int>(to), text, back);
    InvalidateBufferLine(*n);
    return true;
}

bool TMudScreen::ColorWholeCompletedLine(std::uint64_t serial, CellColor text, CellColor back) {
    const std::optional<int> n = FindCompletedLine(serial);
    if (!n) return false;
    const auto length = static_cast<std::size_t>(TextLength(buffer_[*n]));
    return ColorCompletedLine(serial, 0, length, text, back);
}

bool TMudScreen::RemoveCompletedLine(std::uint64_t serial) {
    const std::optional<int> n = FindCompletedLine(serial);
    if (!n) return false;
    if (*n == bufLine_ && promptLine_ == bufLine_) {
        removePrompt_ = true; // the rest of the prompt's line is still to come
        return true;
    }
    RemoveLine(*n);
    return true;
}

void TMudScreen::RemoveLine(int n) {
    // Lines below n move up, the cursor's among them: what its line holds is read back.
    lineTextKnown_ = false;
    int& liveTop = scrolledBack_ ? savedTop_ : top_;
    // Lines move up as far as the text and the live screen reach; a view scrolled back
    // lies above the live screen.
    const int last =
        std::min(buffer_.Lines() - 1, std::max({deepest_, bufLine_, liveTop + rows_ - 1}));
    buffer_.Remove(n, last, attr_);

    // The cursor's line moves up with the text below the removed line. The live view
    // keeps the cursor on its row by showing one more line from above; only a view
    // without lines above moves the cursor up a row.
    if (n < bufLine_) {
        --bufLine_;
        if (liveTop > 0)
            --liveTop;
        else
            row_ = std::max(row_ - 1, 0);
    }
    // A view scrolled back keeps its text in place: above the removed line nothing moves.
    if (scrolledBack_ && n < top_) --top_;
    for (CellPos* end : {&anchor_, &end_})
        if (end->line > n) --end->line;
    if (promptLine_ > n) {
        --promptLine_;
    } else if (promptLine_ == n) {
        promptLine_ = -1;
        removePrompt_ = false;
    }
    view_->Scrolled();
    view_->InvalidateScreen();
    view_->UpdateView();
}

} // namespace tav
