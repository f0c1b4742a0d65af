#include "windows/MapPainter.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace tav {

namespace {

const QColor kRoomColour(200, 200, 200);
const QColor kHereColour(255, 220, 0);
const QColor kLineColour(140, 140, 140);
const QColor kMarkColour(0, 160, 255);

} // namespace

QPointF MapViewport::ToPixels(double x, double y) const {
    return {size.width() / 2.0 + (x - centreX) * cell, size.height() / 2.0 - (y - centreY) * cell};
}

QPointF MapViewport::ToGrid(QPointF pixel) const {
    return {centreX + (pixel.x() - size.width() / 2.0) / cell,
            centreY - (pixel.y() - size.height() / 2.0) / cell};
}

std::string LevelTitle(std::string_view area, MapLevel level) {
    std::string title = area.empty() ? std::string("(no area)") : std::string(area);
    if (level.z != 0) title += ", level " + std::to_string(level.z);
    if (level.layer != 0) title += ", layer " + std::to_string(level.layer);
    return title;
}

void MapPainter::Paint(QPainter& painter, const RoomMap& map, std::string_view area, MapLevel level,
                       const MapViewport& view, std::optional<RoomNumber> here) {
    const double halfW = view.size.width() / 2.0 / view.cell + 1;
    const double halfH = view.size.height() / 2.0 / view.cell + 1;
    const GridRect rect{view.centreX - halfW, view.centreY - halfH, view.centreX + halfW,
                        view.centreY + halfH};
    shown_ = layout_.Visible(map, area, level, rect);
    shownView_ = view;

    painter.setRenderHint(QPainter::Antialiasing, view.cell >= 8);
    painter.setPen(QPen(kLineColour, std::max(1.0, view.cell / 12)));
    painter.setBrush(Qt::NoBrush);
    const double head = view.cell * 0.2;
    for (const ExitLine& line : shown_.lines) {
        const QPointF from = view.ToPixels(line.x1, line.y1);
        const QPointF to = view.ToPixels(line.x2, line.y2);
        painter.drawLine(from, to);
        if (!line.oneWay) continue;
        // The arrow head sits where the exit ends, short of the target's square.
        const QPointF along = to - from;
        const double length = std::hypot(along.x(), along.y());
        if (length < 1) continue;
        const QPointF unit = along / length;
        const QPointF tip = to - unit * (view.cell * 0.3);
        const QPointF side(-unit.y(), unit.x());
        painter.drawLine(tip, tip - unit * head + side * head * 0.6);
        painter.drawLine(tip, tip - unit * head - side * head * 0.6);
    }

    const double side = std::max(2.0, view.cell * 0.6);
    for (const LaidOutRoom& room : shown_.rooms) {
        const QPointF centre = view.ToPixels(room.x, room.y);
        const QRectF square(centre.x() - side / 2, centre.y() - side / 2, side, side);
        painter.setPen(Qt::NoPen);
        painter.setBrush(here == room.number ? kHereColour : kRoomColour);
        painter.drawRect(square);
        if (room.marks == 0 || view.cell < 8) continue;
        painter.setBrush(kMarkColour);
        const double m = side / 3;
        if (room.marks & kMarkUp)
            painter.drawPolygon(QPolygonF({QPointF(centre.x(), square.top() + 1),
                                           QPointF(centre.x() - m / 2, square.top() + m),
                                           QPointF(centre.x() + m / 2, square.top() + m)}));
        if (room.marks & kMarkDown)
            painter.drawPolygon(QPolygonF({QPointF(centre.x(), square.bottom() - 1),
                                           QPointF(centre.x() - m / 2, square.bottom() - m),
                                           QPointF(centre.x() + m / 2, square.bottom() - m)}));
        if (room.marks & (kMarkIn | kMarkOut)) painter.drawEllipse(centre, m / 3, m / 3);
        if (room.marks & kMarkOther) {
            painter.setPen(QPen(kMarkColour, 1));
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(centre, m, m);
        }
    }

    painter.setPen(Qt::white);
    painter.drawText(QPointF(3, painter.fontMetrics().ascent() + 2),
                     QString::fromStdString(LevelTitle(area, level)));
}

std::optional<RoomNumber> MapPainter::RoomAt(QPointF pixel) const {
    const QPointF grid = shownView_.ToGrid(pixel);
    for (const LaidOutRoom& room : shown_.rooms)
        if (std::abs(grid.x() - room.x) <= 0.35 && std::abs(grid.y() - room.y) <= 0.35)
            return room.number;
    return std::nullopt;
}

} // namespace tav
