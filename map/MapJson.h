#pragma once

#include "map/RoomMap.h"

#include <optional>
#include <string>
#include <string_view>

namespace tav {

// A map file to share is at most this large; nesting deeper than kMaxMapJsonDepth is not
// read at all.
inline constexpr std::size_t kMaxMapFileBytes = 256u << 20;
inline constexpr int kMaxMapJsonDepth = 8;

// A map as JSON:
//   {"format": "tavclient-map", "version": 1, "game_y": "north" | "south" (when known),
//    "rooms": [{"num": 1, "name": "...", "area": "...", "environment": "...",
//               "x": 0, "y": 0, "z": 0, "layer": 0, "game_coordinates": false,
//               "exits": {"n": 2, "portal": null}}, ...]}
std::string MapToJson(const RoomMap& map);

struct MapImport {
    RoomMap map;
    std::size_t skipped = 0; // entries that were not rooms, or repeated a number
};
// The map in a JSON text, its texts cleaned and cut to their bounds and rooms that would
// share a place moved to a free layer; nothing when the text is not such a map, is
// larger than kMaxMapFileBytes or holds more rooms than `capacity`.
std::optional<MapImport> MapFromJson(std::string_view text, std::size_t capacity = kMaxMapRooms);

// The same with files: export writes a file the player chose (in place, see
// WriteUserFile); import reads at most kMaxMapFileBytes of one.
bool ExportMap(const RoomMap& map, const std::string& path);
std::optional<MapImport> ImportMap(const std::string& path, std::size_t capacity = kMaxMapRooms);

} // namespace tav
