#include "windows/ScriptConsole.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace tav {

ScriptConsole::ScriptConsole(Rect& stored, std::function<void(const std::string&)> run,
                             QWidget* owner)
    : ToolWindow(QStringLiteral("TavClient Script console"), stored, owner), run_(std::move(run)) {
    output_ = new QPlainTextEdit(this);
    output_->setReadOnly(true);
    output_->setAccessibleName(QStringLiteral("Script output"));
    output_->setMaximumBlockCount(kMaxBlocks);
    output_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    input_ = new QLineEdit(this);
    QPushButton* close = MakeToolButton(QStringLiteral("Close"), this);
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    connect(input_, &QLineEdit::returnPressed, this, &ScriptConsole::RunTyped);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Lua:"), input_); // the label names the field
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(output_);
    layout->addLayout(form);
    layout->addWidget(close, 0, Qt::AlignRight);
    setFocusProxy(input_);
}

void ScriptConsole::Append(std::string_view text) {
    if (text.size() > kMaxTextBytes) text = text.substr(0, kMaxTextBytes);
    // Plain text only: whatever a script prints is never read as markup.
    QScrollBar* bar = output_->verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    output_->appendPlainText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    if (atEnd) bar->setValue(bar->maximum());
}

void ScriptConsole::RunTyped() {
    const QString code = input_->text();
    if (code.trimmed().isEmpty()) return;
    input_->clear();
    Append("> " + code.toStdString());
    if (run_) run_(code.toUtf8().toStdString());
}

} // namespace tav
