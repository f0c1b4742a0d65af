#pragma once

#include "screen/ScreenBuffer.h"

#include <string>
#include <string_view>

namespace tav::tools {

// Escapes bytes for the tools' line-oriented output: printable ASCII stays, the
// backslash becomes "\\", NUL "\0", and every other byte "\xHH". With lineEnds, CR and
// LF are written "\r" and "\n".
std::string Escape(std::string_view bytes, bool lineEnds = false);

// An explicit cell colour: "-" for none, "sN" for system colour N (0..15), "t" and "b" for
// the screen's text and background colours (reverse video), "#rrggbb" for the others.
std::string CellColorWord(CellColor color);

} // namespace tav::tools
