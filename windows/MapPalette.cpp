#include "windows/MapPalette.h"

namespace tav {

namespace {

struct MapBit {
    std::uint32_t bit;
    ColorRef color;
};

// Tested in this order: 0x1000 comes before 0x10.
constexpr MapBit kMapBits[] = {
    {0x1, MakeColor(255, 255, 255)},    {0x2, MakeColor(0, 0, 100)},
    {0x4, MakeColor(0, 0, 255)},        {0x8, MakeColor(192, 192, 192)},
    {0x1000, MakeColor(128, 128, 128)}, {0x10, MakeColor(255, 255, 0)},
    {0x20, MakeColor(0, 255, 0)},       {0x40, MakeColor(0, 255, 0)},
    {0x80, MakeColor(130, 95, 0)},      {0x100, MakeColor(0, 255, 255)},
};

} // namespace

MapZoom ToggleZoom(MapZoom zoom) {
    return zoom == kMapFullView ? kMapZoomedView : kMapFullView;
}

std::optional<ColorRef> MapCellColor(std::int32_t flags) {
    const auto bits = static_cast<std::uint32_t>(flags);
    for (const MapBit& entry : kMapBits)
        if (bits & entry.bit) return entry.color;
    return std::nullopt;
}

std::optional<MapCellSquare> MapCellPlace(MapZoom zoom, int i, int j) {
    const int last = kMapCells - 1 - zoom.offset;
    if (i < zoom.offset || j < zoom.offset || i > last || j > last) return std::nullopt;
    return MapCellSquare{(i - zoom.offset) * zoom.size, (j - zoom.offset) * zoom.size, zoom.size};
}

} // namespace tav
