#pragma once

#include "map/RoomMap.h"

#include <QDialog>

#include <optional>

class QLineEdit;
class QListWidget;

namespace tav {

// "Go to room": a name (or number) to search the map for and the rooms that match; OK
// gives the room chosen.
class GotoRoomDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr std::size_t kMaxListed = 200;

    GotoRoomDialog(const RoomMap& map, QWidget* parent = nullptr);
    std::optional<RoomNumber> Chosen() const;

private:
    void Search();

    const RoomMap& map_;
    QLineEdit* search_ = nullptr;
    QListWidget* rooms_ = nullptr;
};

} // namespace tav
