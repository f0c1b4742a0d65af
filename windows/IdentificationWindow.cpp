#include "windows/IdentificationWindow.h"

#include "screen/qt/ScreenFonts.h"
#include "settings/Latin1Text.h"
#include "settings/TextMode.h"
#include "term/qt/QtMessageBoxes.h"
#include "windows/ToolChoosers.h"

#include <QDir>
#include <QFile>
#include <QFontDialog>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>
#include <string>

namespace tav {

namespace {

constexpr int kMargin = 5;
constexpr int kGap = 4;

QPushButton* MakeButton(const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setAccessibleName(text);
    button->resize(button->sizeHint());
    return button;
}

// Line ends as the text box wants them: CR LF, LF CR and a lone CR or LF become one LF.
QString DisplayText(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n') {
            text.push_back(c);
            continue;
        }
        text.push_back('\n');
        const char pair = c == '\r' ? '\n' : '\r';
        if (i + 1 < bytes.size() && bytes[i + 1] == pair) ++i;
    }
    return Latin1ToQString(text);
}

} // namespace

iddlg::iddlg(Rect& stored, FontSpec& font, QWidget* owner)
    : ToolWindow("TavClient IdDlg", stored, owner), font_(font) {
    auto* open = MakeButton("Open...", this);
    auto* fontButton = MakeButton("Font...", this);
    close_ = MakeButton("Close", this);
    open->move(kMargin, kGap);
    fontButton->move(open->geometry().right() + 1 + kGap, kGap);
    close_->move(fontButton->geometry().right() + 1 + 4 * kGap, kGap);

    frame_ = new QFrame(this);
    frame_->setFrameShape(QFrame::HLine);
    frame_->setGeometry(2, open->geometry().bottom() + 1 + kGap, 10, 1);

    // Server text: never read as markup.
    name_ = new QLabel(this);
    name_->setTextFormat(Qt::PlainText);
    name_->move(kMargin, frame_->y() + kGap);
    name_->resize(10, name_->sizeHint().height());

    text_ = new QPlainTextEdit(this);
    text_->setReadOnly(true);
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text_->move(kMargin, name_->geometry().bottom() + 1 + kGap);
    name_->setBuddy(text_);
    SetName({});

    setMinimumSize(close_->geometry().right() + 1 + kMargin, text_->y() + 60);
    resize(std::max(420, minimumWidth()), 320);

    connect(close_, &QPushButton::clicked, this, &iddlg::hide);
    connect(fontButton, &QPushButton::clicked, this, &iddlg::ChooseFont);
    connect(open, &QPushButton::clicked, this, &iddlg::ChooseFileAndOpen);
}

void iddlg::SetUp() {
    if (font_.face[0] != '\0') text_->setFont(FontFromSpec(font_));
    PlaceStored(false);
    Layout();
}

void iddlg::Layout() {
    const int w = width();
    const int h = height();
    text_->setGeometry(text_->x(), text_->y(), std::max(0, w - kMargin - text_->x()),
                       std::max(0, h - kMargin - text_->y()));
    frame_->setGeometry(frame_->x(), frame_->y(), std::max(0, w - 2 - frame_->x()), 1);
    close_->move(w - kMargin - close_->width(), close_->y());
    name_->resize(std::max(0, w - kMargin - name_->x()), name_->height());
}

void iddlg::resizeEvent(QResizeEvent* event) {
    ToolWindow::resizeEvent(event);
    Layout();
}

void iddlg::SetName(const QString& name) {
    name_->setText(name);
    // The text is named by the label above it; before the first description by the
    // window's caption.
    text_->setAccessibleName(name.isEmpty() ? windowTitle() : name);
}

void iddlg::ShowDescription(std::string_view name, std::string_view path, std::string_view text) {
    SetName(Latin1ToQString(name));
    fileName_ = QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
    text_->setPlainText(DisplayText(text));
}

bool iddlg::OpenFile(const QString& path) {
    const std::optional<std::string> bytes = ReadFileBytes(path.toLocal8Bit().toStdString());
    if (!bytes) {
        ExecPlainMessageBox(this, BoxIcon::Critical, "Error...",
                            "Unable to open file for reading.");
        return false;
    }
    fileName_ = path;
    SetName(path);
    text_->setPlainText(DisplayText(*bytes));
    return true;
}

void iddlg::ChooseFileAndOpen() {
    // The kept descriptions are under "text" of the working directory, when it is there.
    const QDir here = QDir::current();
    const QString start = here.exists("text") ? here.filePath("text") : here.path();
    const QString path = ChooseFileToOpen(this, "Id files (*.id)", start);
    if (!path.isEmpty()) OpenFile(path);
}

void iddlg::ChooseFont() {
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, FontFromSpec(font_), this);
    if (!ok) return;
    font_ = SpecFromFont(chosen);
    text_->setFont(FontFromSpec(font_));
}

} // namespace tav
