// Scrolling back through the buffer and selecting text: the parts of TMudScreen that
// the view drives from the scroll bar, the paging keys and the mouse.
#include "screen/MudScreen.h"

#include <algorithm>
#include <iterator>

namespace tav {

void TMudScreen::ScrollView(int dy, bool adjust, bool movePixels) {
    if (adjust) {
        top_ = LimitTop(static_cast<long long>(top_) - dy);
        view_->Scrolled();
    }
    if (movePixels) view_->ScrollPixels(dy);
}

std::optional<int> TMudScreen::CursorViewRow() const {
    const int liveTop = scrolledBack_ ? savedTop_ : top_;
    const int row = row_ + liveTop - top_;
    if (row < 0 || row >= rows_) return std::nullopt;
    return row;
}

void TMudScreen::PageUp(bool now) {
    if (!scrolledBack_) savedTop_ = top_;
    if (top_ > 0) ScrollView(rows_, true, true);
    if (now) {
        view_->UpdateView();
        view_->Scrolled();
    }
    scrolledBack_ = true;
}

void TMudScreen::PageDown(bool now) {
    if (!scrolledBack_) return;
    if (buffer_.Lines() - rows_ > top_) ScrollView(-rows_, true, true);
    if (top_ >= savedTop_) {
        if (top_ != savedTop_) {
            top_ = savedTop_;
            view_->InvalidateScreen();
        }
        scrolledBack_ = false;
    }
    if (now) {
        view_->UpdateView();
        view_->Scrolled();
    }
}

void TMudScreen::ScrollBar(ScrollRequest request, int position) {
    if (!scrolledBack_) savedTop_ = top_;
    switch (request) {
    case ScrollRequest::LineUp:
        if (top_ > 0) ScrollView(1, true, true);
        break;
    case ScrollRequest::LineDown:
        if (scrolledBack_) ScrollView(-1, true, true);
        break;
    case ScrollRequest::PageUp: PageUp(false); break;
    case ScrollRequest::PageDown: PageDown(false); break;
    case ScrollRequest::ThumbTrack: {
        const int target = LimitTop(position);
        if (top_ != target) ScrollView(top_ - target, true, true);
        break;
    }
    case ScrollRequest::ThumbPosition:
    case ScrollRequest::Top:
    case ScrollRequest::EndScroll: return;
    case ScrollRequest::Bottom:
        // Back to the live position. Leaving T where it was would keep showing old lines
        // while new ones are written below the visible rows. (Not scrolled back, the
        // saved top is T itself.)
        if (top_ != savedTop_) {
            top_ = savedTop_;
            view_->InvalidateScreen();
            view_->UpdateView();
            view_->Scrolled();
        }
        scrolledBack_ = false;
        return;
    }
    if (top_ >= savedTop_) {
        if (top_ != savedTop_) {
            top_ = savedTop_;
            view_->InvalidateScreen();
        }
        scrolledBack_ = false;
    } else {
        scrolledBack_ = true;
    }
    view_->UpdateView();
    view_->Scrolled();
}

bool TMudScreen::InBuffer(CellPos cell) const {
    return cell.line >= 0 && cell.line < buffer_.Lines() && cell.col >= 0 &&
           cell.col < buffer_.Columns();
}

std::optional<TMudScreen::CellPos> TMudScreen::CellInView(int row, int col) const {
    if (row < 0 || col < 0 || row >= buffer_.Lines() - top_ || col >= buffer_.Columns())
        return std::nullopt;
    return CellPos{row + top_, col};
}

std::optional<std::string> TMudScreen::UrlAt(CellPos cell) const {
    if (!InBuffer(cell)) return std::nullopt;
    const ScreenLine& line = buffer_[cell.line];
    if (!(line.attr[cell.col] & attr::kUrl)) return std::nullopt;
    int first = cell.col;
    while (first > 0 && (line.attr[first - 1] & attr::kUrl))
        --first;
    std::string url;
    for (int k = first; k < buffer_.Columns() && (line.attr[k] & attr::kUrl); ++k)
        AppendCellText(url, line, k, k + 1, unicode_);
    const auto starts = [&url](std::string_view prefix) { return url.starts_with(prefix); };
    if (std::none_of(std::begin(kUrlPrefixes), std::end(kUrlPrefixes), starts)) return std::nullopt;
    return url;
}

void TMudScreen::BeginSelection(CellPos cell) {
    if (!InBuffer(cell)) return;
    if (hasSelection_) ClearSelection();
    anchor_ = end_ = cell;
    selecting_ = true;
}

void TMudScreen::ClearSelectedBits() {
    for (int n = 0; n < buffer_.Lines(); ++n)
        for (Attr& a : buffer_[n].Attrs())
            a &= ~attr::kSelected;
}

void TMudScreen::ExtendSelection(CellPos cell) {
    if (!selecting_ || !InBuffer(cell) || (cell.line == end_.line && cell.col == end_.col)) return;
    hasSelection_ = true;
    ClearSelectedBits();

    auto mark = [this](int line, int from, int to) { // columns from..to inclusive
        // A wide character is selected whole, whichever half the range ends in.
        ScreenLine& cells = buffer_[line];
        if (from > 0 && cells.ch[from] == kWideTail) --from;
        if (to + 1 < buffer_.Columns() && cells.ch[to + 1] == kWideTail) ++to;
        cells.MarkWritten(to + 1);
        for (int k = from; k <= to; ++k)
            cells.attr[k] |= attr::kSelected;
    };
    if (cell.line == anchor_.line) {
        mark(cell.line, std::min(anchor_.col, cell.col), std::max(anchor_.col, cell.col));
    } else if (cell.line > anchor_.line) {
        cell.line = std::min(cell.line, bufLine_); // nothing below the output line
        if (cell.line == anchor_.line) {
            mark(cell.line, std::min(anchor_.col, cell.col), std::max(anchor_.col, cell.col));
        } else {
            mark(anchor_.line, anchor_.col, buffer_.Columns() - 1);
            for (int n = anchor_.line + 1; n < cell.line; ++n)
                mark(n, 0, buffer_.Columns() - 1);
            mark(cell.line, 0, cell.col);
        }
    } else {
        mark(cell.line, cell.col, buffer_.Columns() - 1);
        for (int n = cell.line + 1; n < anchor_.line; ++n)
            mark(n, 0, buffer_.Columns() - 1);
        mark(anchor_.line, 0, anchor_.col);
    }

    const int first = std::max(std::min(end_.line, cell.line) - top_, 0);
    const int last = std::min(std::max(end_.line, cell.line) - top_, rows_ - 1);
    for (int k = first; k <= last; ++k)
        view_->InvalidateRow(k);
    end_ = cell;
}

void TMudScreen::SelectAll() {
    selecting_ = false;
    hasSelection_ = true;
    anchor_ = {0, 0};
    end_ = {bufLine_, bufCol_};
    for (int n = 0; n <= bufLine_; ++n) {
        buffer_[n].MarkWritten(buffer_.Columns());
        for (Attr& a : buffer_[n].Attrs())
            a |= attr::kSelected;
    }
    view_->InvalidateScreen();
}

void TMudScreen::ClearSelection() {
    selecting_ = false;
    hasSelection_ = false;
    for (int k = 0; k < rows_; ++k) {
        ScreenLine& line = buffer_[top_ + k];
        bool had = false;
        for (Attr& a : line.Attrs()) {
            had = had || (a & attr::kSelected);
            a &= ~attr::kSelected;
        }
        if (had) view_->InvalidateRow(k);
    }
    ClearSelectedBits();
}

void TMudScreen::CopyLinesFrom(const TMudScreen& other) {
    buffer_ = other.buffer_;
    // Lines completed here from now on are numbered past the copied ones: a serial names
    // one line of the buffer.
    lastSerial_ = std::max(lastSerial_, other.lastSerial_);
    cols_ = std::min(wantedCols_, buffer_.Columns()); // the copy may be narrower
    lineTextKnown_ = false;
    selecting_ = hasSelection_ = false;
    rows_ = std::min(rows_, buffer_.Lines());
    bufLine_ = other.bufLine_;
    bufCol_ = other.bufCol_;
    deepest_ = buffer_.Lines() - 1;
    top_ = savedTop_ = LimitTop(bufLine_ - rows_ + 1);
    row_ = bufLine_ - top_;
    col_ = std::min(bufCol_, cols_ - 1);
    scrolledBack_ = false;
    scrollMax_ = buffer_.Lines() - rows_;
    view_->Scrolled();
    view_->InvalidateScreen();
    view_->UpdateView();
}

} // namespace tav
