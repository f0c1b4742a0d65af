// Changes to lines the screen has completed and handed over already: the colours and
// removals that trigger actions make once a line has been matched.
#include "term/MudScreen.h"

#include <algorithm>
#include <cstring>

namespace tav {

std::optional<int> TMudScreen::FindCompletedLine(std::uint64_t serial) const {
    if (serial == 0) return std::nullopt;
    // Completed lines lie at or above the deepest line written, mostly just above the
    // cursor, so the search from there ends after a few lines.
    for (int n = std::min(deepest_, buffer_.Lines() - 1); n >= 0; --n)
        if (buffer_[n].serial == serial) return n;
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
    to = std::min<std::size_t>(to, kBufferColumns);
    for (auto col = static_cast<int>(from); col < static_cast<int>(to); ++col)
        line.SetColors(col, col + 1, text != 0 ? text : line.TextColor(col),
                       back != 0 ? back : line.BackColor(col));
    InvalidateBufferLine(*n);
    return true;
}

bool TMudScreen::ColorWholeCompletedLine(std::uint64_t serial, CellColor text, CellColor back) {
    const std::optional<int> n = FindCompletedLine(serial);
    if (!n) return false;
    const ScreenLine& line = buffer_[*n];
    const char* nul = static_cast<const char*>(std::memchr(line.ch, 0, kBufferColumns));
    const std::size_t length = nul ? static_cast<std::size_t>(nul - line.ch) : kBufferColumns;
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
    int& liveTop = scrolledBack_ ? savedTop_ : top_;
    const int last = std::min(
        buffer_.Lines() - 1, std::max({deepest_, bufLine_, liveTop + rows_ - 1, top_ + rows_ - 1}));
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
    view_->SetScrollPos(top_);
    view_->InvalidateScreen();
    view_->UpdateView();
}

} // namespace tav
