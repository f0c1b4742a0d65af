#include "windows/ServerEditDialog.h"

#include "client/ServerEdit.h"
#include "screen/qt/ScreenFonts.h"
#include "settings/Latin1Text.h"
#include "term/qt/QtMessageBoxes.h"

#include <QFontDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QVBoxLayout>

namespace tav {

namespace {

// Room for the buttons and a few lines of text, so no part of the layout goes negative.
constexpr QSize kMinimumSize(260, 140);
constexpr QSize kDefaultSize(560, 380);

// The text as the user sees it, every character kept (toPlainText would turn each no-break
// space into a plain one), with one LF between lines.
QString EditedText(const QPlainTextEdit& edit) {
    QString text = edit.document()->toRawText();
    for (QChar& c : text)
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator) c = u'\n';
    return text;
}

} // namespace

tmarrowedit::tmarrowedit(std::string_view heading, std::string_view text, std::size_t byteLimit,
                         FontSpec& font, Rect& stored, QWidget* parent)
    : QDialog(parent), byteLimit_(byteLimit), font_(font), stored_(stored) {
    setWindowTitle(QStringLiteral("TavClient Edit Dialog"));
    setAccessibleName(windowTitle());
    setMinimumSize(kMinimumSize);
    setSizeGripEnabled(true);

    done_ = new QPushButton(QStringLiteral("Done"), this);
    done_->setAccessibleName(QStringLiteral("Done"));
    done_->setAutoDefault(false); // Return belongs to the text
    fontButton_ = new QPushButton(QStringLiteral("Font..."), this);
    fontButton_->setAccessibleName(QStringLiteral("Font..."));
    fontButton_->setAutoDefault(false);
    auto* heightCaption = new QLabel(QStringLiteral("Height:"), this);
    auto* widthCaption = new QLabel(QStringLiteral("Width:"), this);
    height_ = new QLabel(this);
    width_ = new QLabel(this);
    for (QLabel* label : {heightCaption, widthCaption, height_, width_})
        label->setTextFormat(Qt::PlainText);
    height_->setAlignment(Qt::AlignCenter);
    width_->setAlignment(Qt::AlignCenter);
    height_->setMinimumWidth(40);
    width_->setMinimumWidth(40);

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    heading_ = new QLineEdit(this);
    heading_->setReadOnly(true);
    heading_->setMaxLength(static_cast<int>(kEditHeadingBytes));
    heading_->setText(Latin1ToQString(heading));
    heading_->setCursorPosition(0);
    // The heading is the only words the dialog shows about its text: both go by them.
    heading_->setAccessibleName(heading_->text());
    text_ = new QPlainTextEdit(this);
    text_->setAccessibleName(heading_->text());
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text_->setPlainText(Latin1ToQString(text));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(done_);
    buttons->addWidget(fontButton_);
    buttons->addSpacing(12);
    buttons->addWidget(heightCaption);
    buttons->addWidget(height_);
    buttons->addWidget(widthCaption);
    buttons->addWidget(width_);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(3);
    layout->addLayout(buttons);
    layout->addWidget(line);
    layout->addWidget(heading_);
    layout->addWidget(text_, 1);

    connect(done_, &QPushButton::clicked, this, &QDialog::accept);
    connect(fontButton_, &QPushButton::clicked, this, &tmarrowedit::ChooseFont);
    ApplyFont();

    QRect rect = WindowPlacement::ToQRect(stored_);
    if (rect.width() <= 0 || rect.height() <= 0) {
        const QPoint origin =
            parent != nullptr ? parent->frameGeometry().topLeft() + QPoint(40, 40) : QPoint(40, 40);
        rect = QRect(origin, kDefaultSize);
    }
    placement_.Place(rect);
    text_->setFocus();
}

std::optional<std::string> tmarrowedit::Run() {
    if (exec() != QDialog::Accepted) return std::nullopt;
    return result_;
}

void tmarrowedit::done(int result) {
    if (result == QDialog::Accepted) {
        const QString text = EditedText(*text_);
        if (!IsLatin1(text)) {
            ExecPlainMessageBox(this, BoxIcon::Critical, "Error...",
                                "The text has characters the game cannot receive (outside "
                                "Latin-1). Replace them, then press Done again.");
            return;
        }
        std::string bytes = QStringToLatin1(text);
        const std::size_t size = ToGameLineEnds(bytes).size();
        if (size > byteLimit_) {
            ExecPlainMessageBox(
                this, BoxIcon::Critical, "Error...",
                "The text is " + std::to_string(size) + " bytes long; the game takes at most " +
                    std::to_string(byteLimit_) + ". Shorten it, then press Done again.");
            return;
        }
        result_ = std::move(bytes);
    }
    QDialog::done(result);
}

void tmarrowedit::ChooseFont() {
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, FontFromSpec(font_), this);
    if (!ok) return;
    font_ = SpecFromFont(chosen);
    ApplyFont();
}

void tmarrowedit::ApplyFont() {
    text_->setFont(FontFromSpec(font_));
    UpdateSizeTexts();
}

void tmarrowedit::UpdateSizeTexts() {
    const CellSize cell = CellSizeOf(text_->font());
    const QSize area = text_->viewport()->size();
    const QString lines = QString::number(area.height() / std::max(1, cell.height));
    const QString columns = QString::number(area.width() / std::max(1, cell.width));
    height_->setText(lines);
    width_->setText(columns);
    height_->setAccessibleName(QStringLiteral("Height: ") + lines);
    width_->setAccessibleName(QStringLiteral("Width: ") + columns);
}

void tmarrowedit::Record() {
    if (!isVisible()) return;
    if (const std::optional<Rect> outer = placement_.OuterRect()) stored_ = *outer;
}

void tmarrowedit::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    placement_.Follow();
    Record();
}

void tmarrowedit::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    placement_.Follow();
    UpdateSizeTexts();
    Record();
}

void tmarrowedit::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The text area has its real size only now.
    UpdateSizeTexts();
    raise();
    activateWindow();
    text_->setFocus();
}

} // namespace tav
