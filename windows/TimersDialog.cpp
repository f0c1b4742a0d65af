#include "windows/TimersDialog.h"

#include "settings/Latin1Text.h"
#include "term/qt/QtMessageBoxes.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace tav {

namespace {

QString Words(const QString& text) {
    return QString(text).remove(QLatin1Char('&')).remove(QLatin1Char(':'));
}

QPushButton* NamedButton(const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setAccessibleName(Words(text));
    return button;
}

// The label of a field, its buddy, and the field named by its words.
QLabel* LabelFor(const QString& text, QWidget* field, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(field);
    field->setAccessibleName(Words(text));
    return label;
}

QString ListText(const CommandTimer& timer) {
    return Latin1ToQString(timer.name) +
           QStringLiteral(" (every %1 s%2): ")
               .arg(timer.seconds)
               .arg(timer.enabled ? "" : ", off") +
           Latin1ToQString(timer.command);
}

} // namespace

TimerEditDialog::TimerEditDialog(const CommandTimer& timer, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("TavClient Timer"));
    setAccessibleName(windowTitle());
    name_ = new QLineEdit(Latin1ToQString(timer.name), this);
    name_->setMaxLength(static_cast<int>(kMaxTimerName));
    seconds_ = new QSpinBox(this);
    seconds_->setRange(kMinTimerSeconds, kMaxTimerSeconds);
    seconds_->setValue(std::clamp(timer.seconds, kMinTimerSeconds, kMaxTimerSeconds));
    enabled_ = new QCheckBox(QStringLiteral("&Enabled"), this);
    enabled_->setAccessibleName(QStringLiteral("Enabled"));
    enabled_->setChecked(timer.enabled);
    command_ = new QLineEdit(Latin1ToQString(timer.command), this);
    command_->setMaxLength(static_cast<int>(kMaxTimerCommand));

    auto* form = new QFormLayout;
    form->addRow(LabelFor(QStringLiteral("&Name:"), name_, this), name_);
    form->addRow(LabelFor(QStringLiteral("Every (&seconds):"), seconds_, this), seconds_);
    form->addRow(enabled_);
    form->addRow(LabelFor(QStringLiteral("&Command:"), command_, this), command_);
    auto* hint = new QLabel(QStringLiteral("Use semicolon (;) between commands."), this);
    hint->setTextFormat(Qt::PlainText);
    form->addRow(hint);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    for (QAbstractButton* button : buttons->buttons())
        button->setAccessibleName(Words(button->text()));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

CommandTimer TimerEditDialog::Timer() const {
    return {QStringToLatin1(name_->text()), seconds_->value(), enabled_->isChecked(),
            QStringToLatin1(command_->text())};
}

void TimerEditDialog::done(int result) {
    if (result == Accepted) {
        const std::string problem = IsLatin1(name_->text()) && IsLatin1(command_->text())
                                        ? TimerProblem(Timer())
                                        : "Only Latin-1 characters can be kept.";
        if (!problem.empty()) {
            QtMessageBoxes(this).ShowMessage(problem, "Error...");
            return;
        }
    }
    QDialog::done(result);
}

TimersDialog::TimersDialog(std::vector<CommandTimer> timers, QWidget* parent)
    : QDialog(parent), timers_(std::move(timers)) {
    setWindowTitle(QStringLiteral("TavClient Timers"));
    setAccessibleName(windowTitle());
    list_ = new QListWidget(this);
    list_->setAccessibleName(QStringLiteral("Timers"));
    auto* listLabel = new QLabel(QStringLiteral("&Timers:"), this);
    listLabel->setBuddy(list_);
    auto* add = NamedButton(QStringLiteral("&New..."), this);
    auto* edit = NamedButton(QStringLiteral("&Edit..."), this);
    auto* remove = NamedButton(QStringLiteral("&Delete"), this);
    connect(add, &QPushButton::clicked, this, &TimersDialog::NewTimer);
    connect(edit, &QPushButton::clicked, this, &TimersDialog::EditTimer);
    connect(remove, &QPushButton::clicked, this, &TimersDialog::DeleteTimer);
    connect(list_, &QListWidget::itemActivated, this, &TimersDialog::EditTimer);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    for (QAbstractButton* button : buttons->buttons())
        button->setAccessibleName(Words(button->text()));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* side = new QVBoxLayout;
    for (QPushButton* button : {add, edit, remove}) {
        button->setAutoDefault(false);
        side->addWidget(button);
    }
    side->addStretch();
    auto* row = new QHBoxLayout;
    row->addWidget(list_, 1);
    row->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(listLabel);
    layout->addLayout(row);
    layout->addWidget(buttons);
    Refill(0);
}

void TimersDialog::Refill(int current) {
    list_->clear();
    for (const CommandTimer& timer : timers_)
        list_->addItem(ListText(timer));
    if (list_->count() > 0) list_->setCurrentRow(std::clamp(current, 0, list_->count() - 1));
}

bool TimersDialog::NameTaken(const std::string& name, int except) const {
    for (std::size_t i = 0; i < timers_.size(); ++i)
        if (static_cast<int>(i) != except && timers_[i].name == name) return true;
    return false;
}

void TimersDialog::NewTimer() {
    if (timers_.size() >= kMaxTimers) {
        QtMessageBoxes(this).ShowMessage("A profile holds at most 100 timers.", "Error...");
        return;
    }
    CommandTimer timer;
    timer.name = "timer" + std::to_string(timers_.size() + 1);
    TimerEditDialog dialog(timer, this);
    if (dialog.exec() != Accepted) return;
    timer = dialog.Timer();
    if (NameTaken(timer.name, -1)) {
        QtMessageBoxes(this).ShowMessage("A timer of that name exists already.", "Error...");
        return;
    }
    timers_.push_back(timer);
    Refill(static_cast<int>(timers_.size()) - 1);
}

void TimersDialog::EditTimer() {
    const int row = list_->currentRow();
    if (row < 0 || row >= static_cast<int>(timers_.size())) return;
    TimerEditDialog dialog(timers_[static_cast<std::size_t>(row)], this);
    if (dialog.exec() != Accepted) return;
    const CommandTimer timer = dialog.Timer();
    if (NameTaken(timer.name, row)) {
        QtMessageBoxes(this).ShowMessage("A timer of that name exists already.", "Error...");
        return;
    }
    timers_[static_cast<std::size_t>(row)] = timer;
    Refill(row);
}

void TimersDialog::DeleteTimer() {
    const int row = list_->currentRow();
    if (row < 0 || row >= static_cast<int>(timers_.size())) return;
    timers_.erase(timers_.begin() + row);
    Refill(row);
}

} // namespace tav
