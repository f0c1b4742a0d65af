#include "windows/TriggerDialogs.h"

#include "settings/Latin1Refusal.h"
#include "settings/Latin1Text.h"
#include "settings/OneLineValidator.h"
#include "settings/ProfileText.h"
#include "term/qt/QtMessageBoxes.h"
#include "triggers/TriggerEditRules.h"
#include "triggers/TriggerLimits.h"
#include "triggers/TriggerList.h"
#include "windows/TriggerActionsBox.h"

#include <QContextMenuEvent>
#include <QCursor>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tav {

namespace {

constexpr int kTriggerRole = Qt::UserRole;

// The reaction as the editor shows it: LF line ends.
QString ReactionForEditor(const std::string& reaction) {
    std::string text;
    text.reserve(reaction.size());
    for (char c : reaction)
        if (c != '\r') text.push_back(c);
    return StoredToQString(text);
}

// The editor's text as the list keeps it: CR LF line ends.
std::string ReactionFromEditor(const QString& text) {
    std::string reaction;
    for (char c : QStringToStored(text)) {
        if (c == '\r') continue;
        if (c == '\n') reaction.push_back('\r');
        reaction.push_back(c);
    }
    return reaction;
}

} // namespace

// --- TMenuListBox -----------------------------------------------------------------------

TMenuListBox::TMenuListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setContextMenuPolicy(Qt::DefaultContextMenu);
}

void TMenuListBox::contextMenuEvent(QContextMenuEvent* event) {
    // A mouse's menu event comes through the viewport, in its coordinates.
    if (event->reason() == QContextMenuEvent::Mouse)
        if (QListWidgetItem* item = itemAt(event->pos())) setCurrentItem(item);
    QMenu menu(this);
    const struct {
        const char* text;
        const char* hint;
        int id;
    } kItems[] = {{"&Edit", "Edit the selected trigger", ttrigdlg::kCmEdit},
                  {"&New", "Create a new trigger", ttrigdlg::kCmNew},
                  {nullptr, nullptr, 0},
                  {"&Delete", "Delete the selected trigger", ttrigdlg::kCmDelete}};
    for (const auto& entry : kItems) {
        if (entry.text == nullptr) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(QString::fromLatin1(entry.text));
        action->setStatusTip(QString::fromLatin1(entry.hint));
        action->setData(entry.id);
    }
    if (QAction* chosen = menu.exec(event->globalPos())) emit command(chosen->data().toInt());
}

// --- ttrigedit --------------------------------------------------------------------------

ttrigedit::ttrigedit(TriggerTexts& buffer, QWidget* parent)
    : QDialog(parent), buffer_(buffer), pattern_(new QLineEdit(this)),
      reaction_(new QPlainTextEdit(this)), actions_(new TriggerActionsBox(this)) {
    setWindowTitle(QStringLiteral("TavClient TrigEdit"));
    setAccessibleName(windowTitle());

    auto* patternLabel = new QLabel(QStringLiteral("Trigger:"), this);
    patternLabel->setTextFormat(Qt::PlainText);
    patternLabel->setBuddy(pattern_);
    pattern_->setMaxLength(static_cast<int>(kMaxPatternChars));
    pattern_->setValidator(new OneLineValidator(pattern_));
    pattern_->setAccessibleName(QStringLiteral("Trigger:"));
    // How a pattern matches, where the player writes one.
    auto* patternHint = new QLabel(
        QStringLiteral("Found anywhere in a line, as written (letter case counts); %0 to %9 "
                       "stand for any text, which the reaction repeats as %0 to %9. Example: "
                       "%1 tells you '%2'"),
        this);
    patternHint->setTextFormat(Qt::PlainText);
    patternHint->setWordWrap(true);
    pattern_->setAccessibleDescription(patternHint->text());

    auto* reactionLabel = new QLabel(QStringLiteral("Reaction:"), this);
    reactionLabel->setTextFormat(Qt::PlainText);
    reactionLabel->setBuddy(reaction_);
    reaction_->setAccessibleName(QStringLiteral("Reaction:"));
    reaction_->setLineWrapMode(QPlainTextEdit::NoWrap);
    reaction_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    reaction_->setTabChangesFocus(true);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    QPushButton* remove =
        buttons->addButton(QStringLiteral("Delete"), QDialogButtonBox::DestructiveRole);
    // Enter belongs to the reaction field; OK is clicked, not defaulted.
    ok->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(remove, &QPushButton::clicked, this, [this] { done(kDeleteResult); });
    for (QAbstractButton* button : buttons->buttons())
        if (auto* push = qobject_cast<QPushButton*>(button)) push->setAutoDefault(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(patternLabel);
    layout->addWidget(pattern_);
    layout->addWidget(patternHint);
    layout->addWidget(reactionLabel);
    layout->addWidget(reaction_, 1);
    layout->addWidget(actions_);
    layout->addWidget(buttons);
    resize(400, 480);
}

int ttrigedit::Run() {
    pattern_->setText(StoredToQString(buffer_.pattern));
    reaction_->setPlainText(ReactionForEditor(buffer_.reaction));
    actions_->Show(buffer_.actions);
    pattern_->setFocus();
    return exec();
}

void ttrigedit::done(int result) {
    if (result == Accepted) {
        QWidget* const fields[] = {pattern_, reaction_};
        if (RefuseUnstorable(this, fields, "a trigger")) return;
        const std::string reaction = ReactionFromEditor(reaction_->toPlainText());
        if (const auto problem = CheckTriggerReaction(reaction)) {
            ExecPlainMessageBox(this, BoxIcon::Warning, problem->title, problem->text);
            reaction_->setFocus();
            return;
        }
        const std::optional<TriggerActions> actions = actions_->Read();
        if (!actions) return;
        buffer_.pattern = QStringToStored(pattern_->text());
        buffer_.reaction = reaction;
        buffer_.actions = *actions;
        buffer_.switchGroup = actions_->SwitchWholeGroup();
    }
    QDialog::done(result);
}

// --- ttrigdlg ---------------------------------------------------------------------------

ttrigdlg::ttrigdlg(TriggerList& triggers, std::function<std::string()> profileName, QWidget* owner)
    : QWidget(owner, Qt::Window), triggers_(triggers), profileName_(std::move(profileName)),
      list_(new TMenuListBox(this)), edit_(new ttrigedit(buffer_, this)) {
    setWindowTitle(QStringLiteral("TavClient TrigList"));
    setAccessibleName(windowTitle());
    list_->setAccessibleName(QStringLiteral("Triggers"));

    auto* close = new QPushButton(QStringLiteral("Close"), this);
    auto* create = new QPushButton(QStringLiteral("New..."), this);
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    connect(create, &QPushButton::clicked, this, &ttrigdlg::NewTrigger);
    connect(list_, &QListWidget::itemDoubleClicked, this, &ttrigdlg::EditSelectedTrigger);
    connect(list_, &TMenuListBox::command, this, &ttrigdlg::OnCommand);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(close);
    buttons->addStretch(1);
    buttons->addWidget(create);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);

    resize(360, 195);
    // First shown centred on the mouse pointer; later where the user left it.
    move(QCursor::pos() - QPoint(width() / 2, height() / 2));
    Refill();
}

void ttrigdlg::ToggleTriggerWindow() {
    if (isVisible() && !isMinimized()) {
        hide();
        return;
    }
    showNormal();
    raise();
    activateWindow();
}

void ttrigdlg::Refill() {
    list_->clear();
    for (std::size_t pos = 0; pos < triggers_.Count(); ++pos) {
        const TTrigger& trigger = triggers_.At(pos);
        auto* item = new QListWidgetItem(StoredToQString(trigger.pattern()), list_);
        item->setData(kTriggerRole, QVariant::fromValue(reinterpret_cast<quintptr>(&trigger)));
    }
}

std::optional<std::size_t> ttrigdlg::SelectedPosition() const {
    const QListWidgetItem* item = list_->currentItem();
    if (item == nullptr || !item->isSelected()) return std::nullopt;
    const auto tied = item->data(kTriggerRole).value<quintptr>();
    for (std::size_t pos = 0; pos < triggers_.Count(); ++pos) {
        const TTrigger& trigger = triggers_.At(pos);
        if (reinterpret_cast<quintptr>(&trigger) == tied &&
            StoredToQString(trigger.pattern()) == item->text())
            return pos;
    }
    return std::nullopt;
}

void ttrigdlg::OnCommand(int id) {
    switch (id) {
    case kCmEdit: EditSelectedTrigger(); break;
    case kCmNew: NewTrigger(); break;
    case kCmDelete: DeleteSelectedTrigger(); break;
    default: break;
    }
}

void ttrigdlg::NewTrigger() {
    buffer_ = {};
    if (edit_->Run() != QDialog::Accepted) return;
    SaveAndRefill(StoreActions(triggers_.AddTrigger(buffer_.pattern, buffer_.reaction)));
}

void ttrigdlg::EditSelectedTrigger() {
    const std::optional<std::size_t> pos = SelectedPosition();
    if (!pos) return;
    const TTrigger& trigger = triggers_.At(*pos);
    buffer_ = {trigger.pattern(), trigger.reaction(), trigger.Actions()};
    const int result = edit_->Run();
    // The modal run lets other events through: find the trigger again before changing it.
    const std::optional<std::size_t> still = SelectedPosition();
    if (!still) return;
    if (result == QDialog::Accepted)
        SaveAndRefill(
            StoreActions(triggers_.ReplaceTrigger(*still, buffer_.pattern, buffer_.reaction)));
    else if (result == ttrigedit::kDeleteResult && triggers_.DeleteTrigger(*still))
        SaveAndRefill(std::nullopt);
}

void ttrigdlg::DeleteSelectedTrigger() {
    if (!SelectedPosition()) return;
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm delete"),
                    QStringLiteral("Delete trigger?"), QMessageBox::Yes | QMessageBox::No, this);
    box.setTextFormat(Qt::PlainText);
    if (box.exec() != QMessageBox::Yes) return;
    const std::optional<std::size_t> pos = SelectedPosition();
    if (pos && triggers_.DeleteTrigger(*pos)) SaveAndRefill(std::nullopt);
}

std::optional<std::size_t> ttrigdlg::StoreActions(std::optional<std::size_t> pos) {
    if (!pos) return pos;
    triggers_.SetActions(*pos, buffer_.actions);
    if (buffer_.switchGroup)
        triggers_.SetGroupEnabled(buffer_.actions.group, buffer_.actions.enabled);
    return pos;
}

void ttrigdlg::SaveAndRefill(std::optional<std::size_t> select) {
    Refill();
    if (select && *select < static_cast<std::size_t>(list_->count()))
        list_->setCurrentRow(static_cast<int>(*select));
    const std::string profile = profileName_ ? profileName_() : std::string();
    if (profile.empty()) return;
    if (!triggers_.SaveTriggers(profile))
        ExecPlainMessageBox(this, BoxIcon::Critical, "TavClient TrigList",
                            "The triggers could not be saved to " +
                                triggers_.TriggerFilePath(profile) +
                                ". They are kept until the program ends; the next change "
                                "or the exit tries again.");
}

void ttrigdlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        hide();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace tav
