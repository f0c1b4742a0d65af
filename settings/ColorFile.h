#pragma once

#include "settings/StoredValues.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace tav {

// Bytes of "colors.dat": the 16 custom colours of the colour chooser, then the 16
// entries of the MUD colour table, each a four-byte little-endian colour value.
inline constexpr std::size_t kColorFileSize = 4 * (kCustomColorCount + kMudColorCount);

// The 128 bytes of the colour file for the stored tables.
std::string WriteColorBytes(const StoredValues& values);
// Takes the colour values from the file's bytes in their order. A short file fills
// only the values it holds completely; the rest keep theirs. Bytes past the 128th
// are ignored.
void ReadColorBytes(std::string_view bytes, StoredValues& values);

} // namespace tav
