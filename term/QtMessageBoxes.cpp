#include "term/QtMessageBoxes.h"

#include <QMessageBox>

namespace tav {

namespace {

QString Latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

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
    QMessageBox box(QtIcon(icon), Latin1(title), Latin1(text), QMessageBox::Ok, owner);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void QtMessageBoxes::ShowMessage(std::string_view text, std::string_view title) {
    ExecPlainMessageBox(owner_, title == "Error..." ? BoxIcon::Critical : BoxIcon::Warning, title,
                        text);
}

} // namespace tav
