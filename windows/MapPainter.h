#pragma once

#include "map/MapLayout.h"

#include <QPointF>
#include <QSize>

#include <optional>
#include <string>
#include <string_view>

class QPainter;

namespace tav {

// Where the view looks: the grid point at the widget's centre and the size of one grid
// step in pixels.
struct MapViewport {
    double centreX = 0, centreY = 0;
    double cell = 16;
    QSize size;
    QPointF ToPixels(double x, double y) const;
    // The grid point under a pixel.
    QPointF ToGrid(QPointF pixel) const;
};

// Draws one level of one area of the automapper's map: exits as lines (a one-way exit with
// an arrow head at its end, an exit to elsewhere as a short stub), rooms as squares, up and
// down as triangles, in and out as a dot, named exits as a ring, the player's room filled
// in yellow, the area's name at the top left. Keeps the layout between frames.
class MapPainter {
public:
    static constexpr double kMinCell = 4, kMaxCell = 64;

    void Paint(QPainter& painter, const RoomMap& map, std::string_view area, MapLevel level,
               const MapViewport& view, std::optional<RoomNumber> here);
    // The room drawn under `pixel` by the last Paint, if any.
    std::optional<RoomNumber> RoomAt(QPointF pixel) const;

private:
    MapLayout layout_;
    LevelView shown_;
    MapViewport shownView_;
};

// The title the view shows for an area and level: "Town", "Town, level -1".
std::string LevelTitle(std::string_view area, MapLevel level);

} // namespace tav
