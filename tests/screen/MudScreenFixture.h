#pragma once

#include "screen/MudScreen.h"
#include "tests/support/ScreenCells.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace tav::test {

// A view that records what the screen reports.
struct RecordingView : ScreenView {
    std::vector<std::string> bells;
    int visualBells = 0;
    std::vector<int> scrolls;
    std::vector<bool> holdFrames;
    std::vector<int> rows; // InvalidateRow
    int scrollPos = -1;
    void Bell(const std::string& path) override { bells.push_back(path); }
    void VisualBell() override { ++visualBells; }
    void ScrollPixels(int dy) override { scrolls.push_back(dy); }
    void FrameHold(bool held) override { holdFrames.push_back(held); }
    void InvalidateRow(int row) override { rows.push_back(row); }
    const TMudScreen* screen = nullptr;
    void Scrolled() override { scrollPos = screen->Top(); }
};

// A screen of default settings over a recording view, and readings of its buffer.
struct MudScreenFixture {
    Settings settings{};
    RecordingView view;
    TMudScreen screen{settings, &view};
    MudScreenFixture() { view.screen = &screen; }

    ScreenResult Feed(std::string_view bytes) { return screen.AddText(bytes); }
    std::vector<std::string> Lines() {
        std::vector<std::string> out;
        while (auto line = screen.TakeLine())
            out.push_back(*line);
        return out;
    }
    // Buffer line n up to its first empty cell.
    std::string Text(int n) const { return CellBytes(screen.Line(n), TextLength(screen.Line(n))); }
    // The first `count` cells of buffer line n, '.' for an empty one.
    std::string Cells(int n, int count) const {
        std::string cells = CellBytes(screen.Line(n), count);
        std::replace(cells.begin(), cells.end(), '\0', '.');
        return cells;
    }
    Attr AttrAt(int n, int col) const { return screen.Line(n).attr[col]; }
    void Resize(int rows, int cols) { screen.SetSize(rows, cols); }
};

} // namespace tav::test
