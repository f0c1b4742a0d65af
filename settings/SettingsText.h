#pragma once

#include "settings/Settings.h"
#include "settings/SettingsHost.h"
#include "settings/StoredValues.h"

#include <string>
#include <string_view>

namespace tav {

// The written password when the user chose not to save it.
inline constexpr std::string_view kPasswordNotSaved = "NotSaved";

// The contents of "tav.cfg" as lines ending in "\n" (the caller stores them in text
// mode): 57 items in a fixed order, text values as they are, except that a value is
// written only up to a line feed it may hold, so it can never shift the lines after it.
std::string WriteSettingsText(const Settings& settings, const StoredValues& values);

// Reads the contents of "tav.cfg" (line feeds only) into the record and the stored
// values, item by item in the written order, and tells `host` about every font and
// screen colour that changes. Every item takes its own line (a font two), so a damaged
// line never shifts the ones after it:
// - a text line takes the rest of the line after the key, cut to the field's size; a
//   key that does not match is matched up to its first differing character and the
//   line from there is the value;
// - a number line takes the numbers it holds into its flags in order (16 bits each);
//   flags whose numbers are missing or unreadable keep their values;
// - a position or colour line whose key does not match, or which holds fewer numbers
//   than it needs, keeps its values; colour channels take their low 8 bits;
// - a font item replaces the font only when its face name is not empty; a missing
//   height or width keeps the font's current one.
// Items past the end of the text keep their values.
void ReadSettingsText(std::string_view text, Settings& settings, StoredValues& values,
                      SettingsHost& host);

} // namespace tav
