#include "windows/MapWindow.h"

#include <QMouseEvent>
#include <QPainter>

namespace tav {

MapWindow::MapWindow(QWidget* parent) : QWidget(parent) {
    setWindowTitle("TavClient MapWin");
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void MapWindow::SetMap(const MapGrid& grid) {
    grid_ = std::make_unique<MapGrid>(grid);
    update();
}

void MapWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (!grid_) return;
    for (int i = 0; i < kMapCells; ++i) {
        for (int j = 0; j < kMapCells; ++j) {
            const std::int32_t flags =
                (*grid_)[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
            if (flags == 0) continue;
            const auto place = MapCellPlace(zoom_, i, j);
            const auto color = MapCellColor(flags);
            if (!place || !color) continue;
            painter.fillRect(QRect(place->x, place->y, place->side, place->side),
                             QColor(RedOf(*color), GreenOf(*color), BlueOf(*color)));
        }
    }
}

void MapWindow::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return QWidget::mousePressEvent(e);
    zoom_ = ToggleZoom(zoom_);
    update();
}

} // namespace tav
