#pragma once

#include "screen/MudScreen.h"

#include <atomic>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

// The text of a screen as a screen reader reads it: every buffer line up to its last
// filled cell (empty cells before that read as spaces), the lines joined with '\n'.
// Offsets count cells, one character each, from the start of buffer line 0, so a
// column of a line is its offset within the line. The text is the cells' bytes in the
// 8-bit encodings; with Unicode cells it is UTF-8 in which every cell is one UTF-16 unit:
// a character with its marks composed where Unicode has one character for them, the
// right half of a wide character a word joiner (or the second unit of a character
// beyond the BMP), anything else that needs two units U+FFFD.
//
// The map keeps where each line starts and recomputes that only after Invalidate (the
// screen changed) or when the line count changed, so a query on a long scrollback costs
// a binary search and the lines it returns, never a copy of the whole buffer.
// Invalidate may be called from any thread; the queries run on the thread that owns the
// screen.
class ScreenTextMap {
public:
    explicit ScreenTextMap(const TMudScreen& screen) : screen_(screen) {}

    struct Position {
        int line = 0;
        int col = 0;
        friend bool operator==(const Position&, const Position&) = default;
    };

    void Invalidate() { stale_.store(true, std::memory_order_relaxed); }

    // All characters, line ends included.
    int CharacterCount();
    int LineCount() const { return screen_.Lines(); }
    // Where a line starts and how many characters it has (without its '\n').
    int LineStart(int line);
    int LineLength(int line);

    // The line and column of an offset, clamped to 0..CharacterCount(); the '\n' after a
    // line is the column just past its last character.
    Position PositionAt(int offset);
    // The offset of a line and column; the column is clamped to the line's length and
    // the line to the buffer.
    int OffsetAt(int line, int col);

    // The characters from start up to end (exclusive), both clamped.
    std::string Text(int start, int end);
    std::string LineText(int line) const;

    // The number of cells up to and including the last filled one.
    static int FilledLength(const ScreenLine& line);

private:
    std::u16string LineUnits(int line) const;
    std::string FromUnits(std::u16string_view units) const;
    void Refresh();
    int ClampLine(int line) const;

    const TMudScreen& screen_;
    // starts_[n]: offset of line n; one entry more holds CharacterCount() + 1.
    std::vector<int> starts_;
    std::atomic<bool> stale_{true};
};

} // namespace tav
