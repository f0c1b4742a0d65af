#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tav {

// What of the matched line a highlight colours.
enum class HighlightScope : std::uint8_t {
    None,
    Match, // the cells the pattern's literals and variables covered
    Line,  // every non-empty cell of the line
};

// What a trigger does beyond sending its reaction. A default-made value does nothing
// more, so a trigger without any of these behaves as a plain pattern and reaction.
struct TriggerActions {
    // What a firing reads comes first, together, so that it takes few cache lines: with a
    // long list a trigger that fires has mostly left the caches since it last did.
    // A disabled trigger neither sends its reaction nor acts.
    bool enabled = true;
    HighlightScope highlight = HighlightScope::None;
    // The line leaves the main screen; with gagLog it is not logged either.
    bool gag = false;
    bool gagLog = false;
    // The line is copied to the channel window.
    bool toChannel = false;
    // Colours as 0x00BBGGRR; none leaves the line's own colour.
    std::optional<std::uint32_t> textColor;
    std::optional<std::uint32_t> backColor;
    // A WAV file played on a match; empty for none.
    std::string sound;
    // Triggers sharing a group are switched on and off together.
    std::string group;
    // Groups this trigger switches on and off each time it fires (before its reaction is
    // sent, so triggers later in the list see the change on the same line); empty for none.
    std::string groupOn;
    std::string groupOff;
    // Lines of this trigger's entry in the actions file that were not understood; they
    // are written back as they were read.
    std::vector<std::string> keptLines;

    bool IsDefault() const { return *this == TriggerActions{}; }
    // Whether the line itself is touched (coloured, gagged, played or copied).
    bool ActsOnLine() const {
        return highlight != HighlightScope::None || gag || !sound.empty() || toChannel;
    }
    bool operator==(const TriggerActions&) const = default;
};

// Bounds of what the actions file can fill.
inline constexpr std::size_t kMaxGroupChars = 64;
inline constexpr std::size_t kMaxSoundPathChars = 1024;
inline constexpr std::size_t kMaxKeptLineChars = 1024;
inline constexpr std::size_t kMaxKeptLines = 64;
// Bytes of the actions file read; the rest is left unread and reported.
inline constexpr std::size_t kMaxActionFileBytes = 8u << 20;

} // namespace tav
