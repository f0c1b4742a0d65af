#pragma once

#include "settings/StoredValues.h"

#include <array>
#include <cstdint>
#include <optional>

namespace tav {

// The map grid the Client connection sends: 22 x 22 flag words, indexed [x][y].
inline constexpr int kMapCells = 22;
using MapGrid = std::array<std::array<std::int32_t, kMapCells>, kMapCells>;

// The two views of the map window: all cells small, or the middle cells large.
struct MapZoom {
    int offset; // first cell shown along each axis
    int size;   // cell side in pixels
    friend bool operator==(const MapZoom&, const MapZoom&) = default;
};
inline constexpr MapZoom kMapFullView{0, 4};
inline constexpr MapZoom kMapZoomedView{6, 8};

// The other view: a click on the map toggles between them.
MapZoom ToggleZoom(MapZoom zoom);

// The colour of a map cell: the first of the known flag bits that is set decides; a cell
// of 0, or with none of those bits, is not drawn.
std::optional<ColorRef> MapCellColor(std::int32_t flags);

// The square a cell occupies in the map window under a view: left, top and side.
struct MapCellSquare {
    int x;
    int y;
    int side;
};
// Nothing for a cell outside the view.
std::optional<MapCellSquare> MapCellPlace(MapZoom zoom, int i, int j);

} // namespace tav
