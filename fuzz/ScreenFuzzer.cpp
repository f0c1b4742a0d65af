// The terminal screen driven by a script of operations (ScreenOps.h). After each one the
// cursor, top line and screen lie inside the buffer and every row the view is told to paint
// can be read; every eighth one and at the end, no cell holds a colour the view cannot
// paint, half a wide character or the leftover of an overwritten URL. Completed lines may
// be gagged or coloured afterwards, as trigger actions do. In this build the screen itself
// checks that each completed line's text, attributes and columns are what its cells give.
#include "fuzz/FuzzSupport.h"
#include "fuzz/ScreenOps.h"
#include "screen/MudScreen.h"
#include "settings/Settings.h"

#include <array>

namespace {

using tav::fuzz::ScreenOp;

class Script {
public:
    Script(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool AtEnd() const { return pos_ >= size_; }
    std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    int Word() {
        const int high = Byte();
        return (high << 8) | Byte();
    }
    std::string_view Take(std::size_t n) {
        const std::string_view bytes(reinterpret_cast<const char*>(data_) + pos_, size_ - pos_);
        pos_ += std::min(n, bytes.size());
        return bytes.substr(0, n);
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

FUZZ_UNTRACED void CheckInside(const tav::TMudScreen& screen) {
    const int lines = screen.Lines();
    FUZZ_CHECK(lines >= 1, "the buffer keeps a line");
    FUZZ_CHECK(screen.Rows() >= 1 && screen.Rows() <= lines, "rows within the buffer");
    FUZZ_CHECK(screen.Columns() >= 1 && screen.Columns() <= screen.BufferColumns(),
               "columns within a buffer line");
    FUZZ_CHECK(screen.Top() >= 0 && screen.Top() <= lines - screen.Rows(),
               "the screen lies inside the buffer");
}

// Reads every row it is told about from the buffer at top + row, as the widget does.
class PaintingView final : public tav::ScreenView {
public:
    const tav::TMudScreen* screen = nullptr;

    void InvalidateRow(int row) override {
        CheckInside(*screen);
        FUZZ_CHECK(row >= 0 && row < screen->Rows(), "an invalidated row is on the screen");
        Read(row);
    }
    void UpdateView() override {
        CheckInside(*screen);
        for (int row = 0; row < screen->Rows(); ++row)
            Read(row);
    }
    void Scrolled() override {
        FUZZ_CHECK(screen->Top() >= 0 && screen->Top() + screen->Rows() <= screen->Lines(),
                   "the top line leaves a whole screen in the buffer");
    }

private:
    // The ends of the row; every cell's colours are checked by CheckColours.
    FUZZ_UNTRACED void Read(int row) {
        const tav::ScreenLine& line = screen->Line(screen->Top() + row);
        FUZZ_CHECK(line.width == screen->BufferColumns(), "every line as wide as the buffer");
        checksum_ += line.ch[0] + line.attr[line.width - 1] + line.TextColor(0) +
                     line.BackColor(line.width - 1);
    }
    unsigned checksum_ = 0;
};

// Every colour on the screen is one the widget can paint.
FUZZ_UNTRACED void CheckColours(const tav::TMudScreen& screen) {
    for (int row = 0; row < screen.Rows(); ++row) {
        const tav::ScreenLine& line = screen.Line(screen.Top() + row);
        for (int col = 0; col < line.width; ++col)
            for (const tav::CellColor color : {line.TextColor(col), line.BackColor(col)})
                FUZZ_CHECK(color == 0 || color == tav::kCellDefaultText ||
                               color == tav::kCellDefaultBack ||
                               (color >> 24) == (tav::kCellColorSet >> 24) ||
                               (color >> 4) == (tav::kCellColorSystem >> 4),
                           "an explicit colour is one the screen can paint");
    }
}

// Every right half of a wide character has its left half beside it.
FUZZ_UNTRACED void CheckWideHalves(const tav::TMudScreen& screen) {
    for (int n = 0; n < screen.Lines(); ++n) {
        const tav::ScreenLine& line = screen.Line(n);
        for (int k = 0; k < line.width; ++k)
            if (line.ch[k] == tav::kWideTail)
                FUZZ_CHECK(k > 0 && line.ch[k - 1] != 0 && line.ch[k - 1] != tav::kWideTail,
                           "a wide character is never split");
    }
}

FUZZ_UNTRACED void CheckCursor(const tav::TMudScreen& screen) {
    CheckInside(screen);
    FUZZ_CHECK(screen.CursorRow() >= 0 && screen.CursorRow() < screen.Rows(),
               "cursor row on the screen");
    FUZZ_CHECK(screen.CursorCol() >= 0 && screen.CursorCol() < screen.BufferColumns(),
               "cursor column inside a buffer line");
    FUZZ_CHECK(screen.BufferLine() >= 0 && screen.BufferLine() < screen.Lines(),
               "output line inside the buffer");
    FUZZ_CHECK(screen.BufferCol() >= 0 && screen.BufferCol() < screen.BufferColumns(),
               "output column inside a buffer line");
}

// Every run of URL cells starts with a URL prefix, so a partly overwritten one is dead.
FUZZ_UNTRACED void CheckUrls(const tav::TMudScreen& screen) {
    for (int row = 0; row < screen.Rows(); ++row) {
        const tav::ScreenLine& line = screen.Line(screen.Top() + row);
        for (int col = 0; col < line.width; ++col) {
            const bool starts = (line.attr[col] & tav::attr::kUrl) != 0 &&
                                (col == 0 || (line.attr[col - 1] & tav::attr::kUrl) == 0);
            if (!starts) continue;
            FUZZ_CHECK(screen.UrlAt({screen.Top() + row, col}).has_value(),
                       "a marked run starts with a URL prefix");
        }
    }
}

void CheckCells(const tav::TMudScreen& screen) {
    CheckColours(screen);
    CheckUrls(screen);
    CheckWideHalves(screen);
}

constexpr int kCellSweepEvery = 8;

void Select(tav::TMudScreen& screen, Script& script) {
    const int kind = script.Byte() % 6;
    const int col = script.Byte() * 4 / 7;
    const int row = script.Byte() * 8 / 15;
    const auto cell = screen.CellInView(row, col);
    switch (kind) {
    case 0:
        if (cell) screen.BeginSelection(*cell);
        break;
    case 1:
        if (cell) screen.ExtendSelection(*cell);
        break;
    case 2: screen.EndSelection(); break;
    case 3: screen.SelectAll(); break;
    case 4: screen.ClearSelection(); break;
    default:
        (void)screen.GetSelectedText();
        if (cell) (void)screen.UrlAt(*cell);
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tav::Settings settings{};
    PaintingView view;
    tav::TMudScreen screen(settings, &view);
    view.screen = &screen;
    screen.SetSize(24, 80);

    Script script(data, size);
    // The serials of the last lines taken, as the session keeps them for trigger actions.
    std::array<std::uint64_t, tav::fuzz::kRecentTakenLines> taken{};
    std::size_t takenCount = 0;
    int steps = 0;
    while (!script.AtEnd()) {
        switch (static_cast<ScreenOp>(script.Byte() % tav::fuzz::kScreenOpCount)) {
        case ScreenOp::Feed: {
            screen.AddText(script.Take(script.Byte()));
            while (auto line = screen.TakeLineWithAttributes()) {
                FUZZ_CHECK(line->serial != 0, "a taken line has a serial");
                taken[takenCount++ % taken.size()] = line->serial;
            }
            break;
        }
        case ScreenOp::Resize: {
            const int rows = script.Byte();
            const int cols = script.Byte();
            screen.SetSize(rows, cols);
            break;
        }
        case ScreenOp::ScrollBar: {
            const auto request = static_cast<tav::ScrollRequest>(script.Byte() % 9);
            screen.ScrollBar(request, static_cast<std::int16_t>(script.Word()));
            break;
        }
        case ScreenOp::PageUp: screen.PageUp((script.Byte() & 1) != 0); break;
        case ScreenOp::PageDown: screen.PageDown((script.Byte() & 1) != 0); break;
        case ScreenOp::Hold: screen.ToggleHold(); break;
        case ScreenOp::Reset:
            screen.ResetScreen(1 + script.Word() % tav::fuzz::kMaxResetLines);
            break;
        case ScreenOp::Modes: {
            const std::uint8_t bits = script.Byte();
            screen.autowrap = (bits & 1) != 0;
            screen.appendcr = (bits & 2) != 0;
            screen.smoothscroll = (bits & 4) != 0;
            settings.urlaware = (bits & 8) != 0 ? 1 : 0;
            settings.visualbell = (bits & 16) != 0 ? 1 : 0;
            screen.SetColourMode((bits & 32) != 0 ? tav::ColourMode::Full : tav::ColourMode::Basic);
            screen.SetEncoding(static_cast<tav::TextEncoding>(script.Byte() % 5));
            screen.SetBufferColumns((bits & 64) != 0 ? tav::kWideBufferColumns
                                                     : tav::kBufferColumns);
            screen.keepLineAttributes = (bits & 128) != 0;
            break;
        }
        case ScreenOp::Select: Select(screen, script); break;
        case ScreenOp::Prompt:
            screen.EndPrompt();
            while (auto line = screen.TakeLineWithAttributes())
                taken[takenCount++ % taken.size()] = line->serial;
            break;
        case ScreenOp::Line: {
            const std::uint8_t which = script.Byte();
            const std::uint64_t serial = taken[which % taken.size()];
            if ((which & 8) != 0)
                screen.ColorWholeCompletedLine(serial, tav::ExplicitCellColor(which), 0);
            else
                screen.RemoveCompletedLine(serial);
            break;
        }
        }
        CheckCursor(screen);
        // The cells every few steps and at the end: a broken pair or a dead URL mark stays
        // until its line is written again, and reading every cell after every step took most
        // of a run.
        if (++steps % kCellSweepEvery == 0) CheckCells(screen);
    }
    CheckCells(screen);
    return 0;
}
