#pragma once

#include <string>
#include <string_view>

namespace tav::tools {

// Escapes bytes for the tools' line-oriented output: printable ASCII stays, the
// backslash becomes "\\", NUL "\0", and every other byte "\xHH". With lineEnds, CR and
// LF are written "\r" and "\n".
std::string Escape(std::string_view bytes, bool lineEnds = false);

} // namespace tav::tools
