#pragma once

#include "screen/ScreenBuffer.h"

#include <QFont>
#include <QRawFont>

#include <array>
#include <cstddef>
#include <unordered_map>
#include <vector>

namespace tav {

// Where a character's glyph comes from: the screen's own font (font 0) or one of the
// fallback fonts the system offers for characters it lacks.
struct CellGlyph {
    int font = 0;
    quint32 index = 0;
};

// A glyph and the left edge it is drawn at.
struct PlacedGlyph {
    CellGlyph glyph;
    qreal x = 0;
};

// Finds the glyph of each character a screen shows. The first 256 characters come from
// the screen's font alone, looked up once per font; any other character is looked up
// when first drawn, in that font and then through the system's font fallback, and kept
// in a bounded cache.
class GlyphCache {
public:
    static constexpr std::size_t kMaxCachedGlyphs = 4096;
    static constexpr std::size_t kMaxFonts = 16;

    void SetFont(const QFont& font);
    const QRawFont& Font(int n) const { return fonts_[static_cast<std::size_t>(n)]; }
    const QRawFont& Primary() const { return fonts_.front(); }

    CellGlyph Lookup(char32_t c) {
        if (c < 256) return {0, latin_[c]};
        const auto found = cache_.find(c);
        return found != cache_.end() ? found->second : Find(c);
    }
    // The width the glyph takes when drawn.
    qreal Advance(const CellGlyph& glyph) const;
    // The glyphs of a cell's character and its marks (1 + kMaxCellMarks at most) for cells
    // `cellWidth` pixels wide; returns how many. A character the screen's font has sits at
    // the cell's left edge; one from a fallback font, or two cells wide, is centred on its
    // cells. Marks that compose with nothing go after the character's advance, where
    // fonts draw them.
    int PlaceCell(const ScreenLine& line, int col, int cellWidth, PlacedGlyph* out);

private:
    CellGlyph Find(char32_t c);
    int FontNumber(const QRawFont& font);

    QFont font_;
    std::vector<QRawFont> fonts_{QRawFont()};
    std::array<quint32, 256> latin_{};
    std::unordered_map<char32_t, CellGlyph> cache_;
};

} // namespace tav
