#include "windows/GameInfoDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tav {

std::string GameInfoHeadline(const std::vector<MsspVariable>& variables) {
    const std::string name = MsspValue(variables, "NAME");
    std::string players = MsspValue(variables, "PLAYERS");
    if (!players.empty()) players += players == "1" ? " player" : " players";
    if (!name.empty() && !players.empty()) return name + ": " + players;
    if (!name.empty() || !players.empty()) return name + players;
    return variables.empty() ? "The game has sent no information about itself (MSSP)."
                             : "The game did not say its name.";
}

GameInfoDialog::GameInfoDialog(const std::vector<MsspVariable>& variables, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Game information"));
    setAccessibleName(windowTitle());
    auto* layout = new QVBoxLayout(this);
    // Server text: plain, never markup.
    auto* headline = new QLabel(QString::fromStdString(GameInfoHeadline(variables)), this);
    headline->setTextFormat(Qt::PlainText);
    headline->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    headline->setAccessibleName(QStringLiteral("Game"));
    layout->addWidget(headline);
    if (!variables.empty()) {
        auto* list = new QTreeWidget(this);
        list->setAccessibleName(QStringLiteral("What the game sent"));
        list->setColumnCount(2);
        list->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Value")});
        list->setRootIsDecorated(false);
        for (const MsspVariable& variable : variables)
            new QTreeWidgetItem(list, {QString::fromStdString(variable.name),
                                       QString::fromStdString(variable.value)});
        list->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
        layout->addWidget(list);
        resize(480, 360);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

} // namespace tav
