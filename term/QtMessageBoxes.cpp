#include "term/QtMessageBoxes.h"
#include "settings/Latin1Text.h"

#include <QMessageBox>

namespace tav {

namespace {

QMessageBox::Icon QtIcon(BoxIcon icon) {
    switch (icon) {
    case BoxIcon::Information: return QMessageBox::Information;
    case BoxIcon::Warning: return QMessageBox::Warning;
    case BoxIcon::Critical: return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

} // namespace

void ExecPlainMessageBox(QWidget* owner, BoxIcon icon, std::string_view title,
                         std::string_view text) {
    QMessageBox box(QtIcon(icon), Latin1ToQString(title), Latin1ToQString(text), QMessageBox::Ok,
                    owner);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool QtMessageBoxes::AskYesNo(std::string_view text, std::string_view title) {
    QMessageBox box(QMessageBox::Question, Latin1ToQString(title), Latin1ToQString(text),
                    QMessageBox::Yes | QMessageBox::No, owner_);
    box.setDefaultButton(QMessageBox::No);
    box.setTextFormat(Qt::PlainText);
    return box.exec() == QMessageBox::Yes;
}

void QtMessageBoxes::ShowMessage(std::string_view text, std::string_view title) {
    ExecPlainMessageBox(owner_, title == "Error..." ? BoxIcon::Critical : BoxIcon::Warning, title,
                        text);
}

} // namespace tav
