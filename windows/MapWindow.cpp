#include "windows/MapWindow.h"

#include "term/SessionMapper.h"
#include "windows/GotoRoomDialog.h"

#include <QContextMenuEvent>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace tav {

namespace {

constexpr int kDragSlop = 3; // pixels a press may move and still be a click
constexpr double kZoomStep = 1.25;

// A box about a file the player chose: its name is shown as text, never as markup.
QMessageBox::StandardButton Box(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                const QString& text, QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, title, text, buttons, parent);
    box.setTextFormat(Qt::PlainText);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace

MapWindow::MapWindow(QWidget* parent) : QWidget(parent) {
    setWindowTitle("TavClient MapWin");
    view_.size = size();
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void MapWindow::SetMap(const MapGrid& grid) {
    grid_ = std::make_unique<MapGrid>(grid);
    Describe();
    update();
}

void MapWindow::SetAutomap(SessionMapper* mapper) {
    // The large window hears of changes through this one.
    if (!opener_ && mapper_ && mapper_ != mapper) mapper_->SetChangeListener({});
    if (!opener_ && mapper) mapper->SetChangeListener([this] { AutomapChanged(); });
    mapper_ = mapper;
    if (large_) large_->SetAutomap(mapper);
    following_ = true;
    AutomapChanged();
}

void MapWindow::SetClientConnected(bool connected) {
    clientConnected_ = connected;
    AutomapChanged();
}

bool MapWindow::ShowsAutomap() const {
    if (clientConnected_ && grid_) return false;
    return mapper_ && mapper_->Map() && mapper_->Map()->Map().Size() > 0;
}

void MapWindow::AutomapChanged() {
    if (large_) large_->AutomapChanged();
    Follow();
    Describe();
    update();
}

void MapWindow::ShowArea(const std::string& area) {
    following_ = false;
    area_ = area;
    level_ = {};
    view_.centreX = view_.centreY = 0;
    // The middle of the area's rooms, on the lowest level that has rooms at its ground.
    if (const Mapper* mapper = mapper_ ? mapper_->Map() : nullptr) {
        const std::vector<MapLevel> levels = LevelsOf(mapper->Map(), area);
        auto ground = std::find(levels.begin(), levels.end(), MapLevel{});
        if (ground == levels.end() && !levels.empty()) ground = levels.begin();
        if (ground != levels.end()) level_ = *ground;
        long long sx = 0, sy = 0, n = 0;
        for (RoomNumber number : mapper->Map().RoomsIn(area)) {
            const MapPoint& at = mapper->Map().Find(number)->at;
            if (at.z != level_.z || at.layer != level_.layer) continue;
            sx += at.x;
            sy += at.y;
            ++n;
        }
        if (n > 0) {
            view_.centreX = double(sx) / double(n);
            view_.centreY = double(sy) / double(n);
        }
    }
    Describe();
    update();
}

void MapWindow::FollowPlayer() {
    following_ = true;
    AutomapChanged();
}

void MapWindow::Follow() {
    if (mapper_ && mapper_->MapSerial() != mapSerial_) {
        // Another profile's map: start again around its player.
        mapSerial_ = mapper_->MapSerial();
        following_ = true;
        area_.clear();
    }
    if (!following_ || !mapper_ || !mapper_->Map()) return;
    const Mapper& mapper = *mapper_->Map();
    const std::optional<RoomNumber> here = mapper.CurrentRoom();
    const MapRoom* room = here ? mapper.Map().Find(*here) : nullptr;
    if (!room) {
        // Nowhere known yet: the first area, around its middle, unless the area shown is
        // still on this map (another profile's is not).
        if (mapper.Map().Size() == 0) {
            area_.clear();
        } else if (area_.empty() || mapper.Map().RoomsIn(area_).empty()) {
            const auto areas = mapper.Map().Areas();
            if (!areas.empty()) {
                ShowArea(areas.front().name);
                following_ = true;
            }
        }
        return;
    }
    area_ = room->area;
    level_ = {room->at.z, room->at.layer};
    view_.centreX = room->at.x;
    view_.centreY = room->at.y;
}

void MapWindow::Describe() {
    if (!ShowsAutomap()) {
        setAccessibleDescription(QString());
        return;
    }
    const Mapper& mapper = *mapper_->Map();
    const std::optional<RoomNumber> here = mapper.CurrentRoom();
    const MapRoom* room = here ? mapper.Map().Find(*here) : nullptr;
    QString text;
    if (!room) {
        text = QStringLiteral("Map of %1 rooms; where you are is not known yet.")
                   .arg(mapper.Map().Size());
    } else {
        text = QStringLiteral("Room %1, %2, in %3.")
                   .arg(*here)
                   .arg(QString::fromStdString(room->name),
                        room->area.empty() ? QStringLiteral("no area")
                                           : QString::fromStdString(room->area));
        QStringList exits;
        for (const RoomExit& exit : room->exits)
            exits << QString::fromStdString(exit.name);
        text += exits.isEmpty() ? QStringLiteral(" No exits.")
                                : QStringLiteral(" Exits: ") + exits.join(QStringLiteral(", ")) +
                                      QLatin1Char('.');
    }
    setAccessibleDescription(text);
}

void MapWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (!ShowsAutomap()) return PaintGrid(painter);
    const Mapper& mapper = *mapper_->Map();
    painter_.Paint(painter, mapper.Map(), area_, level_, view_, mapper.CurrentRoom());
}

void MapWindow::resizeEvent(QResizeEvent* e) {
    view_.size = size();
    QWidget::resizeEvent(e);
}

void MapWindow::PaintGrid(QPainter& painter) {
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
    if (ShowsAutomap()) {
        dragFrom_ = e->position().toPoint();
        return;
    }
    zoom_ = ToggleZoom(zoom_);
    update();
}

void MapWindow::mouseMoveEvent(QMouseEvent* e) {
    if (!dragFrom_ || !ShowsAutomap()) return QWidget::mouseMoveEvent(e);
    const QPoint delta = e->position().toPoint() - *dragFrom_;
    if (following_ && delta.manhattanLength() < kDragSlop) return;
    following_ = false;
    view_.centreX -= delta.x() / view_.cell;
    view_.centreY += delta.y() / view_.cell;
    dragFrom_ = e->position().toPoint();
    update();
}

void MapWindow::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) dragFrom_.reset();
    QWidget::mouseReleaseEvent(e);
}

void MapWindow::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !ShowsAutomap()) return QWidget::mouseDoubleClickEvent(e);
    if (const auto room = RoomAt(e->position().toPoint())) mapper_->WalkTo(*room);
}

void MapWindow::wheelEvent(QWheelEvent* e) {
    if (!ShowsAutomap()) return QWidget::wheelEvent(e);
    const int steps = e->angleDelta().y() / 120;
    if (steps == 0) return;
    view_.cell = std::clamp(view_.cell * std::pow(kZoomStep, steps), MapPainter::kMinCell,
                            MapPainter::kMaxCell);
    update();
}

bool MapWindow::TakeWalkKey(const QKeyEvent& key) {
    if (key.key() != Qt::Key_Escape || !mapper_ || !mapper_->Walking()) return false;
    mapper_->StopWalk();
    return true;
}

void MapWindow::keyPressEvent(QKeyEvent* e) {
    if (!TakeWalkKey(*e)) QWidget::keyPressEvent(e);
}

QMenu* MapWindow::MakeMenu() {
    auto* menu = new QMenu(this);
    menu->setAccessibleName(QStringLiteral("Map"));
    const Mapper* mapper = mapper_ ? mapper_->Map() : nullptr;
    QMenu* areas = menu->addMenu(QStringLiteral("&Areas"));
    areas->setAccessibleName(QStringLiteral("Areas"));
    if (mapper) {
        for (const AreaSummary& area : mapper->Map().Areas()) {
            QString label =
                area.name.empty() ? QStringLiteral("(no area)") : QString::fromStdString(area.name);
            label.replace(QLatin1Char('&'), QStringLiteral("&&"));
            QAction* action = areas->addAction(label + QStringLiteral(" (%1)").arg(area.rooms));
            action->setCheckable(true);
            action->setChecked(area.name == area_);
            connect(action, &QAction::triggered, this,
                    [this, name = area.name] { ShowArea(name); });
        }
    }
    areas->setEnabled(!areas->isEmpty());
    if (!opener_)
        menu->addAction(QStringLiteral("Open in a &window"), this, [this] {
            MapWindow& large = LargeMap();
            large.show();
            large.raise();
            large.activateWindow();
        });
    QAction* follow =
        menu->addAction(QStringLiteral("&Follow my room"), this, &MapWindow::FollowPlayer);
    follow->setCheckable(true);
    follow->setChecked(following_);
    menu->addSeparator();
    menu->addAction(QStringLiteral("&Go to room..."), this, &MapWindow::RunGotoDialog)
        ->setEnabled(mapper && mapper->Map().Size() > 0);
    menu->addAction(QStringLiteral("&Stop walking"), this, [this] { mapper_->StopWalk(); })
        ->setEnabled(mapper_ && mapper_->Walking());
    menu->addSeparator();
    menu->addAction(QStringLiteral("&Export map..."), this, &MapWindow::RunExport)
        ->setEnabled(mapper && mapper->Map().Size() > 0);
    menu->addAction(QStringLiteral("&Import map..."), this, &MapWindow::RunImport)
        ->setEnabled(mapper != nullptr);
    return menu;
}

MapWindow& MapWindow::LargeMap() {
    if (!large_) {
        large_ = new MapWindow(this);
        large_->opener_ = this;
        large_->setWindowFlag(Qt::Window);
        large_->setWindowTitle(QStringLiteral("TavClient Map"));
        large_->setAccessibleName(QStringLiteral("Map"));
        large_->setFocusPolicy(Qt::StrongFocus);
        large_->resize(480, 400);
        large_->SetAutomap(mapper_);
    }
    return *large_;
}

void MapWindow::contextMenuEvent(QContextMenuEvent* e) {
    if (!mapper_ || !mapper_->Map() || (clientConnected_ && grid_)) return;
    QMenu* menu = MakeMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(e->globalPos());
}

void MapWindow::RunGotoDialog() {
    if (!mapper_ || !mapper_->Map()) return;
    GotoRoomDialog dialog(mapper_->Map()->Map(), this);
    if (dialog.exec() != QDialog::Accepted) return;
    // The dialog's own event loop may have changed the map; the walk checks the room.
    if (const auto room = dialog.Chosen(); room && mapper_) mapper_->WalkTo(*room);
}

void MapWindow::RunExport() {
    if (!mapper_ || !mapper_->Map()) return;
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Export map"), QString(),
                                                      QStringLiteral("Maps (*.json)"));
    if (path.isEmpty()) return;
    if (!mapper_->ExportTo(path.toStdString()))
        Box(this, QMessageBox::Warning, QStringLiteral("Error..."),
            QStringLiteral("Unable to write %1.").arg(path), QMessageBox::Ok);
}

void MapWindow::RunImport() {
    if (!mapper_ || !mapper_->Map()) return;
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Import map"), QString(),
                                                      QStringLiteral("Maps (*.json)"));
    if (path.isEmpty()) return;
    const QString question =
        QStringLiteral("The map of this profile is replaced by the one in %1. Go on?").arg(path);
    if (mapper_->Map()->Map().Size() > 0 &&
        Box(this, QMessageBox::Question, QStringLiteral("Import map"), question,
            QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    if (!mapper_->ImportFrom(path.toStdString()))
        Box(this, QMessageBox::Warning, QStringLiteral("Error..."),
            QStringLiteral("%1 is not a map that can be read.").arg(path), QMessageBox::Ok);
}

} // namespace tav
