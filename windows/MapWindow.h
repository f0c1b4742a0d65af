#pragma once

#include "windows/MapPainter.h"
#include "windows/MapPalette.h"

#include <QPoint>
#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class QKeyEvent;
class QMenu;

namespace tav {

class SessionMapper;

// The small map beside the terminal: 22 x 22 cells coloured by their flags on black. A
// left click toggles between the whole grid at 4 pixels a cell and the middle 10 x 10
// cells at 8 pixels. Shows nothing but black until the first map arrives.
//
// While no Client connection feeds it a grid, it shows the automapper's map once that
// holds a room: the area around the player (or the area chosen from the context menu),
// the wheel zooms, a drag pans, a double-click walks to a room and Escape stops the walk.
// Its accessible description says the current room, its area and its exits.
class MapWindow : public QWidget {
    Q_OBJECT
public:
    explicit MapWindow(QWidget* parent = nullptr);

    // Takes a new grid, [x][y], and repaints.
    void SetMap(const MapGrid& grid);
    bool HasMap() const { return grid_ != nullptr; }
    MapZoom Zoom() const { return zoom_; }

    // The automapper to show, null for none; it tells the window of each change.
    void SetAutomap(SessionMapper* mapper);
    void AutomapChanged();
    // A connected Client connection's grid wins over the automapper's map.
    void SetClientConnected(bool connected);
    bool ShowsAutomap() const;
    // The area and level shown, and the pixels of one grid step.
    const std::string& ShownArea() const { return area_; }
    MapLevel ShownLevel() const { return level_; }
    const MapViewport& View() const { return view_; }
    // Shows `area` (the view stops following the player until FollowPlayer).
    void ShowArea(const std::string& area);
    void FollowPlayer();
    // The room drawn at a pixel of the window, as last painted.
    std::optional<RoomNumber> RoomAt(QPoint pixel) const { return painter_.RoomAt(pixel); }
    // "Go to room...": a dialog with a name search; walks to the room chosen.
    void RunGotoDialog();
    void RunExport();
    void RunImport();
    // Escape, which the input line leaves alone, stops a walk there too: true when it did.
    bool TakeWalkKey(const QKeyEvent& key);
    // The context menu of the automapper's map.
    QMenu* MakeMenu();
    // The same map in a window of its own, larger and resizable ("TavClient Map"), made
    // the first time; the context menu's "Open in a window" shows it.
    MapWindow& LargeMap();

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    void PaintGrid(QPainter& painter);
    // Puts the view on the player's room when following, and renews the description.
    void Follow();
    void Describe();

    std::unique_ptr<MapGrid> grid_;
    MapZoom zoom_ = kMapFullView;

    SessionMapper* mapper_ = nullptr;
    bool clientConnected_ = false;
    bool following_ = true;
    std::uint64_t mapSerial_ = 0; // of the map the view was set up for
    std::string area_;
    MapLevel level_;
    MapViewport view_;
    MapPainter painter_;
    std::optional<QPoint> dragFrom_;
    QPointer<MapWindow> large_;
    MapWindow* opener_ = nullptr; // the map window this one is the large window of
};

} // namespace tav
