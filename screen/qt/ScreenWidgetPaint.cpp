// The screen's painting: cell backgrounds, glyph runs batched by colour, slant and font,
// underlines, the marks of found text and the logo of an empty screen.
#include "screen/qt/ScreenWidget.h"

#include "screen/CellColors.h"
#include "screen/qt/ScreenFonts.h"
#include "settings/QtColor.h"

#include <QApplication>
#include <QGlyphRun>
#include <QLinearGradient>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>

#include <algorithm>

namespace tav {

namespace {

// How far italic glyphs lean: the shift per pixel above the baseline.
constexpr qreal kItalicSlant = 0.2;

} // namespace

void ScreenWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QColor background = ToQColor(background_);
    for (const QRect& r : event->region())
        painter.fillRect(r, background);

    const QRect client = ClientRect();
    if (flashing_) {
        painter.fillRect(client, ToQColor(kAlertColor));
        return;
    }
    const bool logo = logoPending_;
    if (logo) {
        logoPending_ = false;
        DrawLogo(painter);
    }
    // Scrolled sideways, the cells are painted where they lie in the row, moved left.
    const int shift = Shift();
    if (shift != 0) {
        painter.save();
        painter.setClipRect(client);
        painter.translate(-shift, 0);
    }
    PaintCells(painter, (event->rect() & client).translated(shift, 0), logo);
    if (shift != 0) painter.restore();

    if (cursorPhase_) {
        drawnCursor_ = CursorRect();
        painter.fillRect(drawnCursor_, ToQColor(textColor_));
    }
    if (hasFocus()) {
        for (const QRect& edge : FocusFrame())
            painter.fillRect(edge, palette().color(QPalette::Highlight));
    }
    if (held_) {
        painter.setPen(ToQColor(kAlertColor));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(client.adjusted(0, 0, -1, -1));
    }
}

void ScreenWidget::PaintCells(QPainter& painter, const QRect& area, bool opaqueCells) {
    if (area.isEmpty()) return;
    const int cw = cellWidth_;
    const int ch = cellHeight_;
    const int firstCol = std::max(0, area.left() / cw);
    const int firstRow = std::max(0, area.top() / ch);
    const int lastCol =
        std::min(area.right() / cw + 1,
                 std::min(firstColumn_ + screen_.Columns(), screen_.BufferColumns()) - 1);
    const int lastRow = std::min(area.bottom() / ch + 1, screen_.Rows() - 1);
    const int top = screen_.Top();
    paintPalette_ = Palette();

    for (int row = firstRow; row <= lastRow; ++row) {
        const ScreenLine& line = screen_.Line(top + row);
        if (screen_.explicitmode) {
            DrawCells(painter, line, row, firstCol, lastCol, opaqueCells);
            continue;
        }
        // Run mode: a row shows its first text only; the first empty cell after it ends
        // the row. The text is found from column 0, so a repaint of part of the row shows
        // exactly what a repaint of the whole row shows.
        const Cell* begin = line.ch;
        const Cell* end = line.ch + line.width;
        const Cell* first = std::find_if(begin, end, [](Cell c) { return c != 0; });
        if (first == end) continue;
        const Cell* stop = std::find(first, end, Cell{0});
        const int from = std::max(firstCol, static_cast<int>(first - begin));
        const int to = std::min(lastCol, static_cast<int>(stop - begin) - 1);
        if (from <= to) DrawCells(painter, line, row, from, to, opaqueCells);
    }
    DrawFoundText(painter, firstRow, lastRow, firstCol, lastCol);
    DrawBatches(painter);
}

void ScreenWidget::SetFoundText(std::vector<SearchMatch> matches,
                                std::optional<SearchMatch> current) {
    found_ = std::move(matches);
    currentFound_ = current;
    update();
}

// Over the cell backgrounds and under the glyphs, which DrawBatches draws next.
void ScreenWidget::DrawFoundText(QPainter& painter, int firstRow, int lastRow, int firstCol,
                                 int lastCol) const {
    if (found_.empty()) return;
    const int cw = cellWidth_;
    const int ch = cellHeight_;
    const std::int64_t firstLine = screen_.LinesDropped() + screen_.Top() + firstRow;
    const std::int64_t lastLine = firstLine + (lastRow - firstRow);
    auto it =
        std::lower_bound(found_.begin(), found_.end(), firstLine,
                         [](const SearchMatch& m, std::int64_t line) { return m.line < line; });
    for (; it != found_.end() && it->line <= lastLine; ++it) {
        const int from = std::max(it->col, firstCol);
        const int to = std::min(it->col + it->length - 1, lastCol);
        if (from > to) continue;
        const bool current = currentFound_ && *currentFound_ == *it;
        const int row = static_cast<int>(it->line - firstLine) + firstRow;
        painter.fillRect(from * cw, row * ch, (to - from + 1) * cw, ch,
                         ToQColor(current ? kCurrentFoundBackground : kFoundBackground));
    }
}

// Gathers the non-empty cells of columns from..to of one row: every glyph sits at the left
// edge of its own column. Backgrounds are filled at once; glyphs and underlines are drawn
// over all of them by DrawBatches.
void ScreenWidget::DrawCells(QPainter& painter, const ScreenLine& line, int row, int from, int to,
                             bool opaqueCells) {
    const int cw = cellWidth_;
    const int ch = cellHeight_;
    const int y = row * ch;
    const qreal baseline = y + ascent_;
    const ScreenPalette& palette = paintPalette_;

    // Cell backgrounds of neighbouring runs are merged into one fill.
    int fillFrom = 0;
    int fillTo = 0;
    ColorRef fillColor = 0;
    auto flushFill = [&] {
        if (fillTo > fillFrom)
            painter.fillRect(fillFrom, y, fillTo - fillFrom, ch, ToQColor(fillColor));
        fillFrom = fillTo = 0;
    };
    auto fill = [&](int left, int width, ColorRef color) {
        if (fillTo != left || color != fillColor) {
            flushFill();
            fillFrom = left;
            fillColor = color;
        }
        fillTo = left + width;
    };

    // A wide character whose right half starts the range is drawn whole.
    int col = from > 0 && line.ch[from] == kWideTail ? from - 1 : from;
    while (col <= to) {
        if (line.ch[col] == 0) {
            // An empty cell shows nothing but a background erased in colour.
            if (const CellColor back = line.BackColor(col))
                fill(col * cw, cw, ExplicitColor(back, false, false, palette));
            ++col;
            continue;
        }
        const Attr a = line.attr[col];
        const CellColor explicitText = line.TextColor(col);
        const CellColor explicitBack = line.BackColor(col);
        const CellLook look = LookOfCell(a, explicitText, explicitBack, palette);
        const bool selected = (a & attr::kSelected) != 0;
        const ColorRef text = selected ? kSelectedText : look.text;
        const QRgb rgb = ToQColor(text).rgb();
        // The slant turns about each row's baseline.
        const qreal slant = look.italic ? kItalicSlant * baseline : 0;
        // The run's batch in the screen's font, found once; kept by number, as a fallback
        // glyph may add a batch and move them all.
        std::size_t plain = batches_.size() + 1;
        const int start = col;
        for (; col <= to && line.ch[col] != 0 && line.attr[col] == a &&
               line.TextColor(col) == explicitText && line.BackColor(col) == explicitBack;
             ++col) {
            const Cell c = line.ch[col];
            if (c < 256 && !line.marks) {
                if (plain >= usedBatches_)
                    plain = static_cast<std::size_t>(&BatchFor(rgb, look.italic) - batches_.data());
                GlyphBatch& batch = batches_[plain];
                batch.glyphs.append(glyphs_.Lookup(c).index);
                batch.positions.append(QPointF(col * cw + slant, baseline));
            } else if (c != kWideTail) {
                AddCellGlyphs(line, col, baseline, rgb, look.italic, slant);
            }
        }
        if (col <= line.width - 1 && col > start && line.ch[col] == kWideTail &&
            line.ch[col - 1] != kWideTail)
            ++col; // the right half of the last character drawn belongs to its run
        const int left = start * cw;
        const int width = (col - start) * cw;
        if (selected || opaqueCells || look.hasBack)
            fill(left, width, selected ? kSelectedBackground : look.back);
        if (look.underline)
            underlines_.push_back(
                {QRect(left, y + ascent_ + underlineOffset_, width, underlineWidth_), text});
        if (look.strike)
            underlines_.push_back(
                {QRect(left, y + ascent_ - strikeOffset_, width, underlineWidth_), text});
    }
    flushFill();
}

void ScreenWidget::AddCellGlyphs(const ScreenLine& line, int col, qreal baseline, QRgb color,
                                 bool italic, qreal slant) {
    PlacedGlyph placed[1 + kMaxCellMarks];
    const int count = glyphs_.PlaceCell(line, col, cellWidth_, placed);
    for (int k = 0; k < count; ++k) {
        GlyphBatch& batch = BatchFor(color, italic, placed[k].glyph.font);
        batch.glyphs.append(placed[k].glyph.index);
        batch.positions.append(QPointF(placed[k].x + slant, baseline));
    }
}

ScreenWidget::GlyphBatch& ScreenWidget::BatchFor(QRgb color, bool italic, int font) {
    for (std::size_t k = 0; k < usedBatches_; ++k)
        if (batches_[k].color == color && batches_[k].italic == italic && batches_[k].font == font)
            return batches_[k];
    if (usedBatches_ == batches_.size()) batches_.emplace_back();
    GlyphBatch& batch = batches_[usedBatches_++];
    batch.color = color;
    batch.italic = italic;
    batch.font = font;
    batch.glyphs.clear();
    batch.positions.clear();
    return batch;
}

void ScreenWidget::DrawBatches(QPainter& painter) {
    for (std::size_t k = 0; k < usedBatches_; ++k) {
        const GlyphBatch& batch = batches_[k];
        QGlyphRun run;
        run.setRawFont(glyphs_.Font(batch.font));
        run.setGlyphIndexes(batch.glyphs);
        run.setPositions(batch.positions);
        painter.setPen(QColor::fromRgb(batch.color));
        if (batch.italic) {
            // Slanted glyphs of the cell font, whatever faces the font has: every font
            // keeps its cell width and its glyph table.
            painter.save();
            painter.setTransform(QTransform(1, 0, -kItalicSlant, 1, 0, 0), true);
            painter.drawGlyphRun(QPointF(0, 0), run);
            painter.restore();
        } else {
            painter.drawGlyphRun(QPointF(0, 0), run);
        }
    }
    usedBatches_ = 0;
    for (const Underline& line : underlines_)
        painter.fillRect(line.rect, ToQColor(line.color));
    underlines_.clear();
}

void ScreenWidget::DrawLogo(QPainter& painter) const {
    const QRect client = ClientRect();
    const QRect box((client.width() - kLogoWidth) / 2, (client.height() - kLogoHeight) / 2,
                    kLogoWidth, kLogoHeight);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(box.topLeft(), box.bottomLeft());
    sky.setColorAt(0, QColor(20, 40, 90));
    sky.setColorAt(1, QColor(5, 10, 30));
    painter.setPen(QPen(QColor(90, 140, 220), 2));
    painter.setBrush(sky);
    painter.drawRoundedRect(QRectF(box).adjusted(1, 1, -1, -1), 10, 10);

    // A tower on a hill under a moon.
    QPainterPath hill;
    hill.moveTo(box.left() + 4, box.bottom() - 4);
    hill.quadTo(box.center().x(), box.bottom() - 34, box.right() - 4, box.bottom() - 4);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(30, 70, 50));
    painter.drawPath(hill);
    painter.setBrush(QColor(150, 150, 170));
    const int towerX = box.left() + 26;
    painter.drawRect(towerX, box.bottom() - 46, 12, 30);
    for (int k = 0; k < 3; ++k)
        painter.drawRect(towerX - 1 + k * 5, box.bottom() - 50, 3, 5);
    painter.setBrush(QColor(240, 230, 160));
    painter.drawEllipse(QPointF(box.right() - 24, box.top() + 20), 9, 9);

    QFont title = QApplication::font();
    title.setPixelSize(24);
    title.setBold(true);
    painter.setFont(title);
    painter.setPen(QColor(230, 230, 240));
    painter.drawText(box.adjusted(40, 8, -20, -30), Qt::AlignCenter, QStringLiteral("Tav"));
    title.setPixelSize(11);
    title.setBold(false);
    painter.setFont(title);
    painter.setPen(QColor(180, 200, 230));
    painter.drawText(box.adjusted(40, 40, -10, -10), Qt::AlignCenter, QStringLiteral("MUD client"));
    painter.restore();
}

} // namespace tav
