#include "windows/GotoRoomDialog.h"

#include "map/MapRoom.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tav {

GotoRoomDialog::GotoRoomDialog(const RoomMap& map, QWidget* parent) : QDialog(parent), map_(map) {
    setWindowTitle(QStringLiteral("Go to room"));
    setAccessibleName(windowTitle());
    auto* form = new QFormLayout;
    search_ = new QLineEdit(this);
    form->addRow(QStringLiteral("Room &name or number:"), search_);
    search_->setAccessibleName(QStringLiteral("Room name or number:"));
    rooms_ = new QListWidget(this);
    rooms_->setAccessibleName(QStringLiteral("Rooms"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(rooms_);
    layout->addWidget(buttons);
    connect(search_, &QLineEdit::textChanged, this, &GotoRoomDialog::Search);
    connect(rooms_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    Search();
}

void GotoRoomDialog::Search() {
    rooms_->clear();
    const std::string text = search_->text().trimmed().toStdString();
    std::vector<RoomNumber> found;
    if (const auto number = ParseInteger(text); number && map_.Find(*number))
        found.push_back(*number);
    if (!text.empty())
        for (RoomNumber n : map_.FindByName(text, kMaxListed))
            if (found.empty() || n != found.front()) found.push_back(n);
    for (RoomNumber n : found) {
        const MapRoom* room = map_.Find(n);
        QString label = QString::fromStdString(room->name) + QStringLiteral(" (") +
                        QString::number(n) + QLatin1Char(')');
        if (!room->area.empty()) label += QStringLiteral(", ") + QString::fromStdString(room->area);
        auto* item = new QListWidgetItem(label, rooms_);
        item->setData(Qt::UserRole, QVariant::fromValue<qlonglong>(n));
    }
    if (rooms_->count() > 0) rooms_->setCurrentRow(0);
}

std::optional<RoomNumber> GotoRoomDialog::Chosen() const {
    const QListWidgetItem* item = rooms_->currentItem();
    if (!item) return std::nullopt;
    return item->data(Qt::UserRole).toLongLong();
}

} // namespace tav
