#pragma once

#include "windows/MapPalette.h"

#include <QWidget>

#include <memory>

namespace tav {

// The small map beside the terminal: 22 x 22 cells coloured by their flags on black. A
// left click toggles between the whole grid at 4 pixels a cell and the middle 10 x 10
// cells at 8 pixels. Shows nothing but black until the first map arrives.
class MapWindow : public QWidget {
    Q_OBJECT
public:
    explicit MapWindow(QWidget* parent = nullptr);

    // Takes a new grid, [x][y], and repaints.
    void SetMap(const MapGrid& grid);
    bool HasMap() const { return grid_ != nullptr; }
    MapZoom Zoom() const { return zoom_; }

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    std::unique_ptr<MapGrid> grid_;
    MapZoom zoom_ = kMapFullView;
};

} // namespace tav
