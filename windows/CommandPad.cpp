#include "windows/CommandPad.h"

#include "client/ClientRequests.h"
#include "client/MessageHeader.h"
#include "settings/Latin1Text.h"
#include "term/qt/QtMessageBoxes.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <string>

namespace tav {

namespace {

// What the field takes at most (a command longer than a message holds is refused).
constexpr int kFieldChars = 249;
// Accessible name of the centre button, which has no label: it sends an empty line.
constexpr const char* kCentreName = "Return";

// Where each button of kPadButtons sits: compass and up/down on the left, the game
// commands in two columns on the right.
struct Cell {
    int row;
    int column;
};
constexpr Cell kCells[] = {
    {0, 0}, {0, 1}, {0, 2}, {1, 0}, {1, 1}, {1, 2}, {2, 0}, {2, 1}, {2, 2}, {0, 3},
    {2, 3}, {0, 5}, {0, 6}, {1, 5}, {1, 6}, {2, 5}, {2, 6}, {3, 5}, {3, 6}, {3, 3},
};

} // namespace

const PadButton kPadButtons[20] = {
    {"NW", "nwest"},     {"N", "north"},     {"NE", "neast"},    {"W", "west"},
    {"", "\n"},          {"E", "east"},      {"SW", "swest"},    {"S", "south"},
    {"SE", "seast"},     {"U", "up"},        {"D", "down"},      {"Scan", "scan"},
    {"Who", "who"},      {"Where", "where"}, {"Score", "score"}, {"Inventory", "inv"},
    {"Equipment", "eq"}, {"Look", "look"},   {"Exits", "exits"}, {"Clear", "Clear"},
};

tmudcon::tmudcon(ClientRequests& requests, Rect& stored, QWidget* owner)
    : ToolWindow("TavClient MUDCom", stored, owner), requests_(requests) {
    auto* close = new QPushButton("Close", this);
    close->setAccessibleName("Close");
    close->setAutoDefault(false);

    auto* buttons = new QGroupBox(this);
    auto* grid = new QGridLayout(buttons);
    grid->setColumnMinimumWidth(4, 8);
    for (std::size_t i = 0; i < std::size(kPadButtons); ++i) {
        const PadButton& pad = kPadButtons[i];
        auto* button = new QPushButton(pad.label, buttons);
        button->setAccessibleName(pad.label[0] != '\0' ? pad.label : kCentreName);
        button->setAutoDefault(false);
        grid->addWidget(button, kCells[i].row, kCells[i].column);
        const std::string_view word = pad.word;
        connect(button, &QPushButton::clicked, this, [this, word] { requests_.SendCommand(word); });
    }

    auto* direct = new QGroupBox(this);
    auto* label = new QLabel("Direct Command...", direct);
    field_ = new QLineEdit(direct);
    field_->setMaxLength(kFieldChars);
    label->setBuddy(field_);
    field_->setAccessibleName(label->text());
    send_ = new QPushButton("Send", direct);
    send_->setAccessibleName("Send");
    send_->setDefault(true);
    clearOnSend_ = new QCheckBox("Clear on Send", direct);
    clearOnSend_->setAccessibleName("Clear on Send");
    auto* directLayout = new QGridLayout(direct);
    directLayout->addWidget(label, 0, 0, 1, 2);
    directLayout->addWidget(field_, 1, 0);
    directLayout->addWidget(send_, 1, 1);
    directLayout->addWidget(clearOnSend_, 2, 0, 1, 2);

    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(close);
    top->addStretch();
    layout->addLayout(top);
    layout->addWidget(buttons);
    layout->addWidget(direct);
    setMinimumSize(layout->minimumSize());

    connect(close, &QPushButton::clicked, this, &tmudcon::hide);
    connect(send_, &QPushButton::clicked, this, &tmudcon::SendField);
    connect(field_, &QLineEdit::returnPressed, this, &tmudcon::SendField);
}

void tmudcon::SendField() {
    const QString text = field_->text();
    if (!IsLatin1(text)) {
        Refuse("The command has characters the game cannot take; nothing was sent.");
        return;
    }
    const std::string bytes = QStringToLatin1(text);
    if (bytes.size() > kMaxTextChars) {
        Refuse("The command is longer than 127 characters; nothing was sent.");
        return;
    }
    if (!bytes.empty()) requests_.SendCommand(bytes);
    if (clearOnSend_->isChecked()) field_->clear();
}

void tmudcon::Refuse(std::string_view why) {
    ExecPlainMessageBox(this, BoxIcon::Warning, "Warning...", why);
    field_->setFocus();
}

} // namespace tav
