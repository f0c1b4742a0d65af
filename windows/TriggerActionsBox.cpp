#include "windows/TriggerActionsBox.h"

#include "settings/Latin1Text.h"
#include "term/qt/QtMessageBoxes.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

namespace tav {

namespace {

const QString kColorHint = QStringLiteral("#RRGGBB, or empty to keep the line's own colour");

QLineEdit* ColorField(QWidget* parent, const QString& name) {
    auto* field = new QLineEdit(parent);
    field->setAccessibleName(name);
    field->setPlaceholderText(QStringLiteral("#RRGGBB"));
    field->setToolTip(kColorHint);
    field->setMaxLength(7);
    field->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("#?[0-9A-Fa-f]{0,6}")), field));
    return field;
}

QString ColorText(const std::optional<std::uint32_t>& bgr) {
    if (!bgr) return {};
    const std::uint32_t rgb = ((*bgr & 0xFF) << 16) | (*bgr & 0xFF00) | ((*bgr >> 16) & 0xFF);
    return QStringLiteral("#%1").arg(rgb, 6, 16, QLatin1Char('0')).toUpper();
}

// Nothing for an empty field; false in `ok` for a colour that is not complete.
std::optional<std::uint32_t> ColorValue(const QLineEdit* field, bool& ok) {
    QString text = field->text().trimmed();
    if (text.isEmpty()) return std::nullopt;
    if (text.startsWith(QLatin1Char('#'))) text.remove(0, 1);
    bool parsed = false;
    const std::uint32_t rgb = text.toUInt(&parsed, 16);
    if (!parsed || text.size() != 6) {
        ok = false;
        return std::nullopt;
    }
    return ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
}

// A "Choose..." button that sets `field` to the colour picked in a colour dialog.
QPushButton* ColorButton(QWidget* parent, QLineEdit* field, const QString& what) {
    auto* button = new QPushButton(QStringLiteral("Choose..."), parent);
    button->setAccessibleName(QStringLiteral("Choose: ") + what);
    QObject::connect(button, &QPushButton::clicked, field, [field, what] {
        bool ok = true;
        const std::optional<std::uint32_t> bgr = ColorValue(field, ok);
        QColorDialog dialog(field->window());
        dialog.setWindowTitle(what);
        if (bgr)
            dialog.setCurrentColor(QColor(*bgr & 0xFF, (*bgr >> 8) & 0xFF, (*bgr >> 16) & 0xFF));
        if (dialog.exec() != QDialog::Accepted) return;
        const QColor chosen = dialog.selectedColor();
        field->setText(ColorText(static_cast<std::uint32_t>(chosen.red()) |
                                 (static_cast<std::uint32_t>(chosen.green()) << 8) |
                                 (static_cast<std::uint32_t>(chosen.blue()) << 16)));
    });
    return button;
}

QCheckBox* Check(QWidget* parent, const QString& text) {
    auto* box = new QCheckBox(text, parent);
    box->setAccessibleName(QString(text).remove(QLatin1Char('&')));
    return box;
}

// A label for `field` whose words are also the field's accessible name.
QLabel* Label(QWidget* parent, const QString& text, QWidget* field) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setBuddy(field);
    field->setAccessibleName(QString(text).remove(QLatin1Char('&')));
    return label;
}

} // namespace

TriggerActionsBox::TriggerActionsBox(QWidget* parent)
    : QGroupBox(QStringLiteral("Actions"), parent), enabled_(Check(this, "&Enabled")),
      group_(new QLineEdit(this)), wholeGroup_(Check(this, "Switch the &whole group")),
      groupOn_(new QLineEdit(this)), groupOff_(new QLineEdit(this)),
      highlight_(new QComboBox(this)), textColor_(ColorField(this, "Text colour:")),
      backColor_(ColorField(this, "Background:")),
      gag_(Check(this, "Ga&g (remove from the screen)")),
      gagLog_(Check(this, "Also from the &log")), sound_(new QLineEdit(this)),
      channel_(Check(this, "Copy to the &channel window")) {
    setAccessibleName(title());
    const QString groupHelp =
        QStringLiteral("Triggers sharing a group are switched on and off together: here with "
                       "\"Switch the whole group\", or by a trigger that switches the group "
                       "when it fires.");
    group_->setToolTip(groupHelp);
    wholeGroup_->setToolTip(groupHelp);
    groupOn_->setToolTip(
        QStringLiteral("Each time this trigger fires, the triggers of this group are enabled"));
    groupOff_->setToolTip(
        QStringLiteral("Each time this trigger fires, the triggers of this group are disabled"));
    for (QLineEdit* name : {group_, groupOn_, groupOff_})
        name->setMaxLength(static_cast<int>(kMaxGroupChars));
    enabled_->setToolTip(QStringLiteral("A disabled trigger neither sends nor acts."));
    for (const char* scope : {"None", "Matched text", "Whole line"})
        highlight_->addItem(QString::fromLatin1(scope));
    gagLog_->setEnabled(false);
    connect(gag_, &QCheckBox::toggled, gagLog_, &QWidget::setEnabled);
    sound_->setMaxLength(static_cast<int>(kMaxSoundPathChars));
    sound_->setToolTip(QStringLiteral("A WAV file played when the trigger fires"));
    auto* browse = new QPushButton(QStringLiteral("&Browse..."), this);
    browse->setAccessibleName(QStringLiteral("Browse..."));
    connect(browse, &QPushButton::clicked, this, &TriggerActionsBox::ChooseSound);

    auto* groupRow = new QHBoxLayout;
    groupRow->addWidget(group_, 1);
    groupRow->addWidget(wholeGroup_);
    auto* colors = new QHBoxLayout;
    colors->addWidget(textColor_);
    colors->addWidget(ColorButton(this, textColor_, QStringLiteral("Text colour")));
    colors->addWidget(Label(this, QStringLiteral("Background:"), backColor_));
    colors->addWidget(backColor_);
    colors->addWidget(ColorButton(this, backColor_, QStringLiteral("Background")));
    auto* gagRow = new QHBoxLayout;
    gagRow->addWidget(gag_);
    gagRow->addWidget(gagLog_);
    auto* soundRow = new QHBoxLayout;
    soundRow->addWidget(sound_, 1);
    soundRow->addWidget(browse);

    auto* form = new QFormLayout(this);
    form->addRow(enabled_);
    form->addRow(Label(this, QStringLiteral("Gro&up:"), group_), groupRow);
    form->addRow(Label(this, QStringLiteral("E&nable group when fired:"), groupOn_), groupOn_);
    form->addRow(Label(this, QStringLiteral("&Disable group when fired:"), groupOff_), groupOff_);
    form->addRow(Label(this, QStringLiteral("&Highlight:"), highlight_), highlight_);
    form->addRow(Label(this, QStringLiteral("Text colour:"), textColor_), colors);
    form->addRow(gagRow);
    form->addRow(Label(this, QStringLiteral("&Sound:"), sound_), soundRow);
    form->addRow(channel_);
}

void TriggerActionsBox::Show(const TriggerActions& actions) {
    shown_ = actions;
    enabled_->setChecked(actions.enabled);
    group_->setText(Latin1ToQString(actions.group));
    wholeGroup_->setChecked(false);
    groupOn_->setText(Latin1ToQString(actions.groupOn));
    groupOff_->setText(Latin1ToQString(actions.groupOff));
    highlight_->setCurrentIndex(static_cast<int>(actions.highlight));
    textColor_->setText(ColorText(actions.textColor));
    backColor_->setText(ColorText(actions.backColor));
    gag_->setChecked(actions.gag);
    gagLog_->setChecked(actions.gagLog);
    gagLog_->setEnabled(actions.gag);
    sound_->setText(QString::fromLocal8Bit(actions.sound.c_str()));
    channel_->setChecked(actions.toChannel);
}

std::optional<TriggerActions> TriggerActionsBox::Read() {
    TriggerActions actions = shown_; // lines of the file it does not know stay
    bool ok = true;
    actions.enabled = enabled_->isChecked();
    actions.group = QStringToLatin1(group_->text().trimmed());
    actions.groupOn = QStringToLatin1(groupOn_->text().trimmed());
    actions.groupOff = QStringToLatin1(groupOff_->text().trimmed());
    actions.highlight = static_cast<HighlightScope>(highlight_->currentIndex());
    actions.textColor = ColorValue(textColor_, ok);
    actions.backColor = ColorValue(backColor_, ok);
    actions.gag = gag_->isChecked();
    actions.gagLog = actions.gag && gagLog_->isChecked();
    actions.sound = sound_->text().trimmed().toLocal8Bit().toStdString();
    actions.toChannel = channel_->isChecked();
    if (!ok) {
        ExecPlainMessageBox(window(), BoxIcon::Warning, "Warning...",
                            "A colour is written as # and six hex digits, such as #FF8000.");
        return std::nullopt;
    }
    return actions;
}

bool TriggerActionsBox::SwitchWholeGroup() const {
    return wholeGroup_->isChecked() && !group_->text().trimmed().isEmpty();
}

void TriggerActionsBox::ChooseSound() {
    const QString file = QFileDialog::getOpenFileName(this, QStringLiteral("Sound"), sound_->text(),
                                                      QStringLiteral("WAV files (*.wav)"));
    if (!file.isEmpty()) sound_->setText(file);
}

} // namespace tav
