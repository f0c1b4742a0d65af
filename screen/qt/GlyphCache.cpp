#include "screen/qt/GlyphCache.h"

#include "screen/TextDecoder.h"

#include <QGlyphRun>
#include <QTextLayout>

namespace tav {

void GlyphCache::SetFont(const QFont& font) {
    font_ = font;
    fonts_.assign(1, QRawFont::fromFont(font));
    cache_.clear();
    QString all(256, QChar(' '));
    for (int b = 0; b < 256; ++b)
        all[b] = QChar::fromLatin1(static_cast<char>(b));
    const QList<quint32> indexes = Primary().glyphIndexesForString(all);
    latin_.fill(0);
    for (int b = 0; b < 256 && b < indexes.size(); ++b)
        latin_[static_cast<std::size_t>(b)] = indexes[b];
}

qreal GlyphCache::Advance(const CellGlyph& glyph) const {
    const QList<QPointF> advances = Font(glyph.font).advancesForGlyphIndexes({glyph.index});
    return advances.isEmpty() ? 0 : advances.front().x();
}

int GlyphCache::PlaceCell(const ScreenLine& line, int col, int cellWidth, PlacedGlyph* out) {
    const int cells = col + 1 < line.width && line.ch[col + 1] == kWideTail ? 2 : 1;
    const Cell* marks = line.MarksOf(col);
    // A character and marks that Unicode composes into one character draw as that one.
    const Cell shown = ComposedWithMarks(line.ch[col], marks, kMaxCellMarks);
    const CellGlyph glyph = Lookup(shown);
    qreal x = col * cellWidth;
    if (glyph.font != 0 || cells == 2) x += (cells * cellWidth - Advance(glyph)) / 2;
    out[0] = {glyph, x};
    int count = 1;
    if (shown != line.ch[col] || !marks) return count;
    const qreal after = x + Advance(glyph);
    for (int m = 0; m < kMaxCellMarks && marks[m] != 0; ++m)
        out[count++] = {Lookup(marks[m]), after};
    return count;
}

int GlyphCache::FontNumber(const QRawFont& font) {
    for (std::size_t n = 0; n < fonts_.size(); ++n)
        if (fonts_[n] == font) return static_cast<int>(n);
    if (fonts_.size() >= kMaxFonts) return -1;
    fonts_.push_back(font);
    return static_cast<int>(fonts_.size()) - 1;
}

CellGlyph GlyphCache::Find(char32_t c) {
    if (cache_.size() >= kMaxCachedGlyphs) cache_.clear();
    const QString text = QString::fromUcs4(&c, 1);
    CellGlyph glyph;
    if (Primary().supportsCharacter(c)) {
        const QList<quint32> indexes = Primary().glyphIndexesForString(text);
        if (!indexes.isEmpty()) glyph.index = indexes.front();
    } else {
        // The font lacks it: lay it out the way any Qt text is laid out, which takes the
        // glyph from a font that has it.
        QTextLayout layout(text, font_);
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        for (const QGlyphRun& run : layout.glyphRuns()) {
            const QList<quint32> indexes = run.glyphIndexes();
            if (indexes.isEmpty() || indexes.front() == 0) continue;
            const int font = FontNumber(run.rawFont());
            if (font < 0) break;
            glyph = {font, indexes.front()};
            break;
        }
    }
    cache_.emplace(c, glyph);
    return glyph;
}

} // namespace tav
