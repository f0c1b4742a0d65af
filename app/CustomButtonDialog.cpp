#include "app/CustomButtonDialog.h"

#include "settings/CustomButtonFile.h"
#include "settings/Latin1Refusal.h"
#include "settings/Latin1Text.h"
#include "settings/ProfileText.h"
#include "term/qt/QtMessageBoxes.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tav {

namespace {

constexpr std::string_view kTitle = "TavTerm Custom Button Config";

// The command as the field shows it: each stored CR LF a line end of the field, so OK on
// an unchanged field stores the same command again.
QString CommandForField(const std::string& stored) {
    std::string text;
    for (char c : stored)
        if (c != '\r') text.push_back(c);
    return StoredToQString(text);
}

} // namespace

tcustombuttoncfg::tcustombuttoncfg(std::string& name, std::string& command, QWidget* parent)
    : QDialog(parent), name_(name), command_(command) {
    setWindowTitle(Latin1ToQString(kTitle));
    setAccessibleName(windowTitle());

    auto* nameLabel = new QLabel(QStringLiteral("Button name:"), this);
    nameEdit_ = new QLineEdit(StoredToQString(name), this);
    nameEdit_->setMaxLength(static_cast<int>(kMaxButtonName));
    nameLabel->setBuddy(nameEdit_);
    nameEdit_->setAccessibleName(nameLabel->text());
    // A line end in a name would shift every later line of the file.
    connect(nameEdit_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!text.contains(QLatin1Char('\r')) && !text.contains(QLatin1Char('\n'))) return;
        QString clean = text;
        clean.remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
        nameEdit_->setText(clean);
    });

    auto* commandLabel = new QLabel(QStringLiteral("Button command:"), this);
    commandEdit_ = new QPlainTextEdit(CommandForField(command), this);
    commandEdit_->setTabChangesFocus(true);
    commandLabel->setBuddy(commandEdit_);
    commandEdit_->setAccessibleName(commandLabel->text());

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Ok)->setAccessibleName(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancel"));
    buttons->button(QDialogButtonBox::Cancel)->setAccessibleName(QStringLiteral("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &tcustombuttoncfg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &tcustombuttoncfg::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(nameLabel);
    layout->addWidget(nameEdit_);
    layout->addWidget(commandLabel);
    layout->addWidget(commandEdit_);
    layout->addWidget(buttons);
    setMinimumSize(sizeHint());
}

void tcustombuttoncfg::accept() {
    const QString name = nameEdit_->text();
    const QString command = commandEdit_->toPlainText();
    if (!StorableText(name) || !StorableText(command)) {
        ExecPlainMessageBox(this, BoxIcon::Warning, "Error...",
                            OnlyLatin1Message("a custom button"));
        return;
    }
    const std::string stored = StoredButtonCommand(QStringToStored(command));
    if (const std::optional<std::string> problem = ButtonCommandProblem(stored)) {
        ExecPlainMessageBox(this, BoxIcon::Warning, "Error...", *problem);
        commandEdit_->setFocus();
        return;
    }
    name_ = CleanButtonName(QStringToStored(name));
    command_ = stored;
    QDialog::accept();
}

} // namespace tav
