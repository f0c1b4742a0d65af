#include "windows/FindBar.h"

#include "screen/qt/GameText.h"

#include <QAccessible>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cstring>

namespace tav {

FindBar::FindBar(const TMudScreen& screen, QWidget* parent) : QWidget(parent), screen_(screen) {
    setAccessibleName("Find in the game text");
    field_ = new QLineEdit(this);
    field_->setAccessibleName("Find");
    field_->setMaxLength(kBufferColumns);
    matchCase_ = new QCheckBox("Match case", this);
    wholeWords_ = new QCheckBox("Whole words", this);
    position_ = new QLabel(this);
    position_->setTextFormat(Qt::PlainText);
    position_->setAccessibleName("Matches");
    previous_ = new QPushButton("Previous", this);
    next_ = new QPushButton("Next", this);
    matchCase_->setAccessibleName("Match case");
    wholeWords_->setAccessibleName("Whole words");
    previous_->setAccessibleName("Previous match");
    next_->setAccessibleName("Next match");

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(2, 2, 2, 2);
    row->addWidget(field_, 1);
    row->addWidget(matchCase_);
    row->addWidget(wholeWords_);
    row->addWidget(position_);
    row->addWidget(previous_);
    row->addWidget(next_);
    for (QWidget* child : {static_cast<QWidget*>(field_), static_cast<QWidget*>(matchCase_),
                           static_cast<QWidget*>(wholeWords_), static_cast<QWidget*>(previous_),
                           static_cast<QWidget*>(next_)})
        child->installEventFilter(this);

    connect(field_, &QLineEdit::textEdited, this, &FindBar::Search);
    connect(matchCase_, &QCheckBox::toggled, this, &FindBar::Search);
    connect(wholeWords_, &QCheckBox::toggled, this, &FindBar::Search);
    connect(next_, &QPushButton::clicked, this, [this] { Step(true); });
    connect(previous_, &QPushButton::clicked, this, [this] { Step(false); });
    hide();
}

void FindBar::Open() {
    show();
    field_->setFocus();
    field_->selectAll();
    Search();
}

void FindBar::Close() {
    hide();
    result_ = {};
    current_.reset();
    emit foundChanged();
    emit closed();
}

std::optional<SearchMatch> FindBar::Current() const {
    if (!current_) return std::nullopt;
    return result_.matches[*current_];
}

void FindBar::Search() {
    // In the 8-bit encodings the cells hold Latin-1; a character outside it matches nothing.
    const std::string text = QStringToScreenText(field_->text(), screen_.Encoding());
    result_ = SearchScreen(screen_, text, {matchCase_->isChecked(), wholeWords_->isChecked()});
    std::optional<std::size_t> index;
    if (!result_.matches.empty()) {
        index = 0;
        if (anchor_) {
            // The first match at or after the anchor, or the first of all.
            const SearchMatch before{anchor_->line, anchor_->col - 1, 0};
            index = StepMatch(result_.matches, before, true);
        }
    }
    SetCurrent(index);
}

void FindBar::Step(bool forward) {
    const std::optional<SearchMatch> from = Current();
    Search();
    if (result_.matches.empty()) return;
    SetCurrent(from ? StepMatch(result_.matches, *from, forward)
                    : std::optional<std::size_t>(forward ? 0 : result_.matches.size() - 1));
}

void FindBar::SetCurrent(std::optional<std::size_t> index) {
    current_ = index;
    QString position;
    QString spoken;
    if (index) {
        const SearchMatch& match = result_.matches[*index];
        anchor_ = match;
        position = result_.truncated
                       ? QString("match %1 of %2+ matches").arg(*index + 1).arg(kMaxSearchMatches)
                       : QString("match %1 of %2").arg(*index + 1).arg(Matches().size());
        const std::optional<int> line = BufferLineOf(screen_, match);
        std::string text;
        if (line)
            AppendCellText(text, screen_.Line(*line), 0, TextLength(screen_.Line(*line)),
                           HasUnicodeCells(screen_.Encoding()));
        spoken = position + ": " + ScreenTextToQString(text, screen_.Encoding());
    } else if (!field_->text().isEmpty()) {
        position = spoken = "No matches";
    }
    position_->setText(position);
    // Screen readers hear the new place and the line it is on, once per change.
    if (spoken.isEmpty()) spoken = "Matches";
    if (position_->accessibleName() != spoken) {
        position_->setAccessibleName(spoken);
        QAccessibleEvent event(position_, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
    emit foundChanged();
}

bool FindBar::TakeKey(const QKeyEvent& key) {
    if (isHidden()) return false;
    const bool shift = (key.modifiers() & Qt::ShiftModifier) != 0;
    switch (key.key()) {
    case Qt::Key_F3: Step(!shift); return true;
    case Qt::Key_Escape: Close(); return true;
    default: return false;
    }
}

bool FindBar::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::ShortcutOverride || type == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool ours =
            key->key() == Qt::Key_F3 || key->key() == Qt::Key_Escape ||
            (watched == field_ && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter));
        if (ours && type == QEvent::ShortcutOverride) {
            // Ahead of any shortcut of the window.
            event->accept();
            return true;
        }
        if (ours) {
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
                Step((key->modifiers() & Qt::ShiftModifier) == 0);
            else
                TakeKey(*key);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tav
