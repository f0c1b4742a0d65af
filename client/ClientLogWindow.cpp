#include "client/ClientLogWindow.h"
#include "settings/Latin1Text.h"

#include "client/ClientLog.h"

#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QVBoxLayout>

namespace tav {

namespace {

// Shown until the first line is written.
constexpr const char* kInitialText = "TavClient client log...";

} // namespace

TmarrowDlgClient::TmarrowDlgClient(ClientLog& log, QWidget* parent)
    : QDialog(parent, Qt::Tool), log_(log) {
    setWindowTitle(QStringLiteral("TavClientDlg"));
    setModal(false);

    text_ = new QPlainTextEdit(this);
    text_->setReadOnly(true);
    text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text_->setPlainText(QString::fromLatin1(kInitialText));
    text_->setAccessibleName(QStringLiteral("Client log"));

    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::HLine);
    frame->setFrameShadow(QFrame::Sunken);
    auto* label = new QLabel(QString(), this);
    label->setTextFormat(Qt::PlainText);
    close_ = new QPushButton(QStringLiteral("Close..."), this);
    connect(close_, &QPushButton::clicked, this, &TmarrowDlgClient::Toggle);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(label, 1);
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_, 1);
    layout->addWidget(frame);
    layout->addLayout(buttons);
    resize(420, 260);

    // Lines arrive from both threads; one queued repaint covers every line before it.
    log_.SetObserver([this] {
        if (refreshQueued_.exchange(true)) return;
        calls_.Post([this] { Refresh(); });
    });
    if (!log_.Text().empty()) Refresh();
}

TmarrowDlgClient::~TmarrowDlgClient() {
    log_.SetObserver({});
}

void TmarrowDlgClient::Refresh() {
    refreshQueued_ = false;
    const std::string text = log_.Text();
    if (text.empty()) return;
    QString shown = Latin1ToQString(text);
    text_->setPlainText(shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    text_->moveCursor(QTextCursor::End);
    text_->verticalScrollBar()->setValue(text_->verticalScrollBar()->maximum());
}

QString TmarrowDlgClient::ShownText() const {
    return text_->toPlainText();
}

void TmarrowDlgClient::Toggle() {
    if (isVisible()) {
        hide();
    } else {
        showNormal();
    }
}

void TmarrowDlgClient::closeEvent(QCloseEvent* event) {
    event->ignore();
    hide();
}

void TmarrowDlgClient::reject() {
    hide();
}

} // namespace tav
