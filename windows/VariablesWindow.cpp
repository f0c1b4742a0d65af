#include "windows/VariablesWindow.h"

#include "settings/ProfileText.h"
#include "triggers/TriggerList.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace tav {

VariablesWindow::VariablesWindow(TriggerList& triggers, Rect& stored, QWidget* owner)
    : ToolWindow(QStringLiteral("TavClient Variables"), stored, owner), triggers_(triggers) {
    text_ = new QPlainTextEdit(this);
    text_->setReadOnly(true);
    text_->setAccessibleName(QStringLiteral("Variables"));
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    QPushButton* close = MakeToolButton(QStringLiteral("Close"), this);
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addWidget(close, 0, Qt::AlignRight);
    triggers_.SetFiredListener([this] { RefreshSoon(); });
    Refresh();
}

VariablesWindow::~VariablesWindow() {
    triggers_.SetFiredListener({});
}

void VariablesWindow::SetAliasArguments(std::string_view alias,
                                        const std::vector<std::string>& arguments) {
    alias_ = AliasCall{std::string(alias), arguments};
    RefreshSoon();
}

void VariablesWindow::showEvent(QShowEvent* event) {
    ToolWindow::showEvent(event);
    Refresh();
}

void VariablesWindow::RefreshSoon() {
    if (refreshPending_ || !isVisible()) return;
    refreshPending_ = true;
    QTimer::singleShot(0, this, [this] {
        refreshPending_ = false;
        Refresh();
    });
}

void VariablesWindow::Refresh() {
    // Game text (UTF-8 in a UTF-8 profile): shown as it is, never read as markup.
    text_->setPlainText(
        StoredToQString(VariablesText(triggers_.LastFired(), triggers_.Vars(), alias_)));
}

} // namespace tav
