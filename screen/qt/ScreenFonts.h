#pragma once

#include "settings/StoredValues.h"

#include <QFont>

namespace tav {

// Height used when a stored font gives none (0).
inline constexpr int kDefaultFontCellHeight = 15;
// Stored heights beyond this many pixels (either sign) are cut to it.
inline constexpr int kMaxFontPixels = 400;

// The Qt font for a font as the settings file stores it. The old Windows bitmap faces do
// not exist here: "fixedsys" (and the other Windows terminal faces, when missing) become
// the system monospace font ("fixedsys" never below its 15-pixel lines), "Small Fonts" and
// "MS Sans Serif" the default sans font; other face names are kept. A positive height is the height
// of a text line (ascent plus descent), a negative one the character height; both in pixels. The
// stored width is not used: the face's own proportions decide. The FontSpec itself is never
// changed.
QFont FontFromSpec(const FontSpec& stored);

// Whole-pixel cell size of a font: its average character width and its line height, each
// rounded up. For a monospace font the width is that of every glyph; a proportional font
// gets narrower cells than its widest letters, so the screen holds as many columns as the
// font's average text needs.
struct CellSize {
    int width;
    int height;
};
CellSize CellSizeOf(const QFont& font);

// The stored form of a font the user chose: its family as the face name (cut to fit), the
// character height as a negative pixel height and the average character width, so that
// FontFromSpec gives the same face and size back.
FontSpec SpecFromFont(const QFont& font);

// True when two stored fonts have the same face name, height and width: a window lays
// itself out again only when a chosen font differs from the one it had.
bool SameFontSpec(const FontSpec& a, const FontSpec& b);

} // namespace tav
