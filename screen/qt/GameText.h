#pragma once

#include "settings/ProfileOptions.h"

#include <QString>

#include <string>
#include <string_view>

namespace tav {

// The one conversion from text the user typed, pasted or chose to the bytes sent to the
// game: UTF-8 for Utf8; otherwise Latin-1, with '?' for a character outside it.
std::string QStringToGameBytes(const QString& text, TextEncoding encoding);

// The way back, for bytes that conversion made (the input history).
QString GameBytesToQString(std::string_view bytes, TextEncoding encoding);

// Text a screen hands out (its lines, selections, URLs) as a QString, and text to look for
// among its cells: UTF-8 for the encodings with Unicode cells, Latin-1 otherwise.
QString ScreenTextToQString(std::string_view text, TextEncoding encoding);
std::string QStringToScreenText(const QString& text, TextEncoding encoding);

} // namespace tav
