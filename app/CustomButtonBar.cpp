#include "app/CustomButtonBar.h"

#include "app/CustomButtonDialog.h"
#include "settings/Latin1Text.h"
#include "settings/LocalPrinter.h"
#include "settings/ProfileText.h"
#include "term/qt/QtMessageBoxes.h"

#include <QInputDialog>
#include <QLineEdit>
#include <QMouseEvent>
#include <QToolButton>
#include <QWidgetAction>

#include <algorithm>

namespace tav {

namespace {

constexpr std::string_view kError = "Error...";

} // namespace

TCustomButton::TCustomButton(int id, CustomButtonRecord record, QWidget* parent)
    : QPushButton(parent), id_(id), record_(std::move(record)) {
    setDefault(true);
    // A click must leave the keyboard focus in the input line.
    setFocusPolicy(Qt::TabFocus);
    QFont small = font();
    small.setPixelSize(12);
    small.setStyleHint(QFont::SansSerif);
    setFont(small);
    setMinimumSize(50, 15);
    UpdateLabel();
    // Activation without the mouse (keyboard, screen reader): the press never came.
    connect(this, &QPushButton::clicked, this, [this] {
        if (!sentOnPress_) emit sendRequested(this);
    });
}

void TCustomButton::UpdateLabel() {
    QString name = StoredToQString(record_.name);
    setAccessibleName(name);
    setText(name.replace(QLatin1Char('&'), QStringLiteral("&&")));
}

void TCustomButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        sentOnPress_ = true;
        emit sendRequested(this);
    } else if (event->button() == Qt::RightButton) {
        emit editRequested(this);
    }
    QPushButton::mousePressEvent(event);
}

void TCustomButton::mouseReleaseEvent(QMouseEvent* event) {
    QPushButton::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton) sentOnPress_ = false;
}

CustomButtonBar::CustomButtonBar(Sender send, PathOfProfile path, QWidget* parent)
    : QToolBar(QStringLiteral("TavClient CustomBar"), parent), send_(std::move(send)),
      path_(std::move(path)) {
    setObjectName(QStringLiteral("CustomBar"));
    setAccessibleName(windowTitle());
    // The button that shows the buttons a narrow window cannot hold has no text of its own.
    if (auto* more = findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button")))
        more->setAccessibleName(QStringLiteral("More buttons"));
    QFont gadgets = font();
    gadgets.setPointSize(10);
    setFont(gadgets);
    // The bar's shown flag is the frame's, through the View menu.
    toggleViewAction()->setVisible(false);
}

TCustomButton* CustomButtonBar::MakeButton(int id, CustomButtonRecord record) {
    auto* button = new TCustomButton(id, std::move(record), this);
    connect(button, &TCustomButton::sendRequested, this,
            [this](TCustomButton* b) { send_(b->Record().command); });
    connect(button, &TCustomButton::editRequested, this,
            [this](TCustomButton* b) { EditButton(*b); });
    return button;
}

void CustomButtonBar::Load(LocalPrinter& printer) {
    printer.PrintLocal("Loading CustomBar...\r\n");
    // A widget's action deletes the widget with it.
    for (QAction* action : actions())
        delete action;
    buttons_.clear();
    const std::optional<std::vector<CustomButtonRecord>> records = LoadCustomButtons(path_());
    if (!records) {
        printer.PrintLocal("Unable to open CustomBar index.\r\n");
        return;
    }
    int id = kFirstCustomButtonId;
    for (const CustomButtonRecord& record : *records)
        buttons_.insert(buttons_.begin(), MakeButton(id++, record));
    for (TCustomButton* button : buttons_)
        addWidget(button);
}

void CustomButtonBar::AddButton() {
    std::vector<int> ids;
    for (const TCustomButton* button : buttons_)
        ids.push_back(button->Id());
    const int id = NextCustomButtonId(ids);
    std::string name = "name";
    std::string command = "command\r\n";
    tcustombuttoncfg dialog(name, command, parentWidget());
    if (dialog.exec() != QDialog::Accepted) return;

    const bool wasEmpty = buttons_.empty();
    TCustomButton* button = MakeButton(id, {name, command});
    buttons_.insert(buttons_.begin(), button);
    addWidget(button);
    Save();
    // A bar hidden by its toggle shows again when it gets its first button; its shown
    // flag stays as it was.
    if (wasEmpty) show();
}

void CustomButtonBar::EditButton(TCustomButton& button) {
    CustomButtonRecord edited = button.Record();
    tcustombuttoncfg dialog(edited.name, edited.command, &button);
    if (dialog.exec() != QDialog::Accepted) return;
    button.Record() = edited;
    button.UpdateLabel();
    Save();
}

void CustomButtonBar::RemoveButton() {
    QInputDialog dialog(parentWidget());
    dialog.setWindowTitle(QStringLiteral("Remove custom button"));
    dialog.setAccessibleName(dialog.windowTitle());
    dialog.setLabelText(QStringLiteral("Enter the button name to remove:"));
    dialog.setTextValue(QString());
    if (auto* edit = dialog.findChild<QLineEdit*>()) {
        edit->setMaxLength(static_cast<int>(kMaxButtonName));
        edit->setAccessibleName(dialog.labelText());
    }
    if (dialog.exec() != QDialog::Accepted) return;
    const std::string name = QStringToStored(dialog.textValue());

    const auto found = std::find_if(buttons_.begin(), buttons_.end(),
                                    [&](TCustomButton* b) { return b->Record().name == name; });
    if (found == buttons_.end()) {
        ExecPlainMessageBox(parentWidget(), BoxIcon::Critical, kError,
                            "Unable to find a matching button!");
        return;
    }
    TCustomButton* button = *found;
    QAction* gadget = nullptr;
    for (QAction* action : actions())
        if (widgetForAction(action) == button) gadget = action;
    if (gadget == nullptr) {
        ExecPlainMessageBox(parentWidget(), BoxIcon::Critical, kError,
                            "Unable to find a matching gadget!");
        return;
    }
    buttons_.erase(found);
    delete gadget; // and the button with it
    Save();
}

void CustomButtonBar::Save() {
    std::vector<CustomButtonRecord> records;
    for (const TCustomButton* button : buttons_)
        records.push_back(button->Record());
    if (!SaveCustomButtons(path_(), records))
        ExecPlainMessageBox(parentWidget(), BoxIcon::Critical, kError,
                            "Unable to open CustomBar index.");
}

} // namespace tav
