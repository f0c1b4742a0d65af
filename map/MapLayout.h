#pragma once

#include "map/RoomMap.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

// Marks for exits that have no line on the grid.
enum MapMark : std::uint8_t {
    kMarkUp = 1,
    kMarkDown = 2,
    kMarkIn = 4,
    kMarkOut = 8,
    kMarkOther = 16, // a named exit ("portal")
};

// A room as the view draws it: its place in grid units (x east, y north).
struct LaidOutRoom {
    RoomNumber number = 0;
    int x = 0, y = 0;
    std::uint8_t marks = 0;
    bool operator==(const LaidOutRoom&) const = default;
};

// An exit as a line in grid units: from a room's centre to its target's, or half a step
// towards where it leads when the target is elsewhere (another level, layer or area) or
// unknown. A pair of exits leading to each other is one line; a line with no exit back is
// one-way, drawn from `x1, y1` to `x2, y2`.
struct ExitLine {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    bool oneWay = false;
    bool stub = false;
    bool operator==(const ExitLine&) const = default;
};

struct GridRect {
    double left = 0, bottom = 0, right = 0, top = 0;
};

struct MapLevel {
    int z = 0;
    int layer = 0;
    bool operator==(const MapLevel&) const = default;
};
// The levels (z and layer) `area` has rooms on, lowest first.
std::vector<MapLevel> LevelsOf(const RoomMap& map, std::string_view area);

struct LevelView {
    std::vector<LaidOutRoom> rooms;
    std::vector<ExitLine> lines;
};

// One level of one area laid out for drawing. The layout is kept until the map changes or
// another level is asked for, so a frame only picks what lies in its rectangle.
class MapLayout {
public:
    LevelView Visible(const RoomMap& map, std::string_view area, MapLevel level,
                      const GridRect& rect);

private:
    void Build(const RoomMap& map, std::string_view area, MapLevel level);

    std::optional<std::uint64_t> version_;
    std::string area_;
    MapLevel level_;
    LevelView all_;
};

} // namespace tav
