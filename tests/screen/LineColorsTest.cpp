// A line's colours kept as pair numbers: long random runs of colouring, recolouring,
// clearing and copying read back as a plain array of colours would.
#include "screen/LineColors.h"
#include "screen/ScreenBuffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace tav {
namespace {

using Pair = LineColors::Pair;

// The same line as one pair per cell.
struct Model {
    std::vector<Pair> cells;
    explicit Model(int columns) : cells(static_cast<std::size_t>(columns)) {}
    void Set(int from, int to, Pair pair) {
        for (int k = from; k < to; ++k)
            cells[static_cast<std::size_t>(k)] = pair;
    }
    void Recolour(int from, int to, Pair pair) {
        for (int k = from; k < to; ++k) {
            Pair& cell = cells[static_cast<std::size_t>(k)];
            if (pair.text != 0) cell.text = pair.text;
            if (pair.back != 0) cell.back = pair.back;
        }
    }
};

void ExpectSame(const LineColors& colors, const Model& model, const std::string& step) {
    ASSERT_EQ(colors.Columns(), static_cast<int>(model.cells.size())) << step;
    ASSERT_LE(colors.Used(), colors.Columns()) << step;
    for (int k = 0; k < colors.Columns(); ++k) {
        const Pair& cell = model.cells[static_cast<std::size_t>(k)];
        ASSERT_EQ(colors.Text(k), cell.text) << step << ", column " << k;
        ASSERT_EQ(colors.Back(k), cell.back) << step << ", column " << k;
        if (k >= colors.Used()) {
            ASSERT_EQ(cell, Pair{}) << step << ", past the used columns";
        }
    }
}

// Each round works one line hard: a few colours or a rainbow of new ones (which fills the
// pairs and makes them compacted again and again), runs that recolour across several
// pairs, plain text over coloured, clearing for reuse, and copies into lines narrower and
// wider, the copies then worked on in turn.
TEST(LineColors, RandomWorkReadsBackAsAColourPerCell) {
    std::mt19937 rng(7);
    const auto below = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    for (int round = 0; round < 300; ++round) {
        const int widths[] = {1, 3, 17, 80, kBufferColumns, kMaxBufferColumns};
        int columns = widths[below(6)];
        const bool rainbow = round % 3 == 0;
        CellColor next = 1;
        const auto colour = [&]() -> CellColor {
            if (below(4) == 0) return 0;
            if (rainbow) return ExplicitCellColor(next++);
            return below(2) ? SystemCellColor(below(16)) : ExplicitCellColor(below(3));
        };
        std::unique_ptr<LineColors> colors = LineColors::Make(columns);
        Model model(columns);
        for (int step = 0; step < 400; ++step) {
            const int from = below(columns + 1);
            const int to = std::min(columns, from + below(rainbow ? 3 : 12));
            const Pair pair{colour(), colour()};
            std::string what;
            switch (below(20)) {
            case 0:
                colors->Cleared();
                model = Model(columns);
                what = "cleared";
                break;
            case 1: {
                const int wider = widths[below(6)];
                std::unique_ptr<LineColors> copy = LineColors::Make(wider);
                copy->Set(0, wider, ExplicitCellColor(99), 0); // all of it overwritten
                copy->CopyFrom(*colors);
                Model copied(wider);
                for (int k = 0; k < std::min(wider, columns); ++k)
                    copied.cells[static_cast<std::size_t>(k)] =
                        model.cells[static_cast<std::size_t>(k)];
                colors = std::move(copy);
                model = copied;
                columns = wider;
                what = "copied to " + std::to_string(wider) + " columns";
                break;
            }
            case 2:
                colors = colors->Clone();
                what = "cloned";
                break;
            default:
                if (below(3) == 0) {
                    colors->Recolour(from, to, pair.text, pair.back);
                    model.Recolour(from, to, pair);
                    what = "recoloured";
                } else {
                    colors->Set(from, to, pair.text, pair.back);
                    model.Set(from, to, pair);
                    what = "set";
                }
                what += " " + std::to_string(from) + ".." + std::to_string(to);
                break;
            }
            ExpectSame(*colors, model,
                       "round " + std::to_string(round) + ", step " + std::to_string(step) + ": " +
                           what);
            if (testing::Test::HasFatalFailure()) return;
        }
    }
}

// Every cell recoloured to a pair of its own on a full-width line, again and again: the
// pairs are compacted while a recolouring is under way, and the cells it has already
// given their new pair keep it.
TEST(LineColors, RecolouringACrowdedLineKeepsEveryCellsPair) {
    const int columns = kMaxBufferColumns;
    std::unique_ptr<LineColors> colors = LineColors::Make(columns);
    Model model(columns);
    for (int k = 0; k < columns; ++k) {
        colors->Set(k, k + 1, ExplicitCellColor(static_cast<std::uint32_t>(k)), 0);
        model.Set(k, k + 1, {ExplicitCellColor(static_cast<std::uint32_t>(k)), 0});
    }
    for (int pass = 1; pass <= 4; ++pass) {
        const CellColor back = SystemCellColor(pass);
        colors->Recolour(pass, columns, 0, back);
        model.Recolour(pass, columns, {0, back});
        ExpectSame(*colors, model, "pass " + std::to_string(pass));
    }
}

} // namespace
} // namespace tav
