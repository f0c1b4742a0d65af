#pragma once

#include "settings/ProfileOptions.h"
#include "settings/Utf8Text.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace tav {

// The one-byte cell that shows a character: itself for ASCII and the printable Latin-1
// range (U+00A0-U+00FF), '?' for anything else (the C1 controls, characters outside
// Latin-1).
char CellCharacter(char32_t codePoint);

// How a character takes its place among the cells of a Unicode screen.
enum class CellFit {
    Narrow,    // one cell
    Wide,      // two cells (East Asian wide, most emoji)
    Mark,      // a combining mark: joins the character before it
    Invisible, // zero width and no mark (joiners, other format characters): dropped
};
CellFit FitOf(char32_t codePoint);

// The lower case of a character, for searches that ignore case.
char32_t LowerCase(char32_t codePoint);

// The one character a base and its combining marks (up to `count`, ending early at a 0)
// compose to; the base itself when Unicode has no such character.
char32_t ComposedWithMarks(char32_t base, const char32_t* marks, int count);

// Appends the game's bytes for one character: UTF-8 for Utf8, GB18030 or Big5 for those
// ('?' for a character they lack), otherwise the Latin-1 byte ('?' for a character
// outside Latin-1).
void AppendEncoded(std::string& out, char32_t codePoint, TextEncoding encoding);

// The game's bytes for text the program holds (settings, triggers, the screen's text):
// in the encodings with Unicode cells that text is UTF-8 (or, written before, Latin-1
// bytes that are not valid UTF-8) and is encoded for the game; otherwise it is Latin-1
// and goes unchanged.
std::string Latin1ToGameBytes(std::string_view latin1, TextEncoding encoding);

} // namespace tav
