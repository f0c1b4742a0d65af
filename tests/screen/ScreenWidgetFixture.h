#pragma once

#include "screen/MudScreen.h"
#include "screen/qt/ScreenFonts.h"
#include "screen/qt/ScreenWidget.h"

#include <QColor>
#include <QImage>
#include <QPaintEvent>
#include <QRect>
#include <QScrollBar>

#include <array>
#include <memory>
#include <string_view>
#include <vector>

namespace tav::test {

// The widget's size in cells, unless a test asks for another.
inline constexpr int kCols = 24;
inline constexpr int kRows = 6;

// A colour of the screen's tables as Qt draws it.
inline QColor Q(ColorRef c) {
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

// Counts paints and the rows asked to be repainted.
class CountingScreen : public ScreenWidget {
public:
    using ScreenWidget::ScreenWidget;
    int paints = 0;
    std::vector<int> invalidRows; // -1: the whole screen

    void InvalidateRow(int row) override {
        invalidRows.push_back(row);
        ScreenWidget::InvalidateRow(row);
    }
    void InvalidateScreen() override {
        invalidRows.push_back(-1);
        ScreenWidget::InvalidateScreen();
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        ++paints;
        ScreenWidget::paintEvent(event);
    }
};

// A screen model shown in a counting widget of kCols x kRows cells in a large font.
struct WidgetScreen {
    Settings settings{};
    std::array<ColorRef, kMudColorCount> table{};
    TMudScreen model{settings};
    std::unique_ptr<CountingScreen> widget;
    int cw = 0;
    int ch = 0;

    explicit WidgetScreen(int lines = 100, int rows = kRows, int cols = kCols) {
        ScreenWidget::SetLogoPending(false);
        for (std::size_t i = 0; i < table.size(); ++i)
            table[i] = MakeColor(static_cast<int>(10 * i), 100, 200);
        model.ResetScreen(lines);
        widget = std::make_unique<CountingScreen>(model, settings, table.data());
        FontSpec font{};
        CopyField(font.face, "fixedsys");
        font.height = -32; // large glyphs have stems of fully covered pixels
        widget->SetScreenFont(font);
        cw = widget->CellWidth();
        ch = widget->CellHeight();
        const int bar = widget->findChild<QScrollBar*>()->sizeHint().width();
        widget->SetScreenRect(QRect(0, 0, cols * cw + 4 + bar, rows * ch), true);
    }
    void Feed(std::string_view bytes) {
        model.AddText(bytes);
        while (model.TakeLine()) {
        }
    }
    QImage Grab() { return widget->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    QRect Cell(int row, int col) const { return QRect(col * cw, row * ch, cw, ch); }
};

} // namespace tav::test
