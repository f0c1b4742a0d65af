#include "term/QtMessageBoxes.h"

#include <QMessageBox>

namespace tav {

namespace {

QString Latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

void QtMessageBoxes::ShowMessage(std::string_view text, std::string_view title) {
    QMessageBox box(title == "Error..." ? QMessageBox::Critical : QMessageBox::Warning,
                    Latin1(title), Latin1(text), QMessageBox::Ok, owner_);
    box.exec();
}

} // namespace tav
