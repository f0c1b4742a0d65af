#include "term/qt/QtMessageBoxes.h"
#include "settings/Latin1Text.h"

#include <QMessageBox>
#include <QPushButton>

#include <algorithm>
#include <vector>

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

std::size_t QtMessageBoxes::Ask(std::string_view text, std::string_view title,
                                std::span<const std::string_view> buttons,
                                std::size_t defaultButton) {
    QMessageBox box(QMessageBox::Question, Latin1ToQString(title), Latin1ToQString(text),
                    QMessageBox::NoButton, owner_);
    box.setTextFormat(Qt::PlainText);
    std::vector<QPushButton*> pushed;
    for (std::string_view button : buttons)
        pushed.push_back(box.addButton(Latin1ToQString(button), QMessageBox::ActionRole));
    if (defaultButton < pushed.size()) {
        box.setDefaultButton(pushed[defaultButton]);
        box.setEscapeButton(pushed[defaultButton]);
    }
    box.exec();
    const auto chosen = std::find(pushed.begin(), pushed.end(), box.clickedButton());
    return chosen == pushed.end() ? defaultButton
                                  : static_cast<std::size_t>(chosen - pushed.begin());
}

void QtMessageBoxes::ShowMessage(std::string_view text, std::string_view title) {
    ExecPlainMessageBox(owner_, title == "Error..." ? BoxIcon::Critical : BoxIcon::Warning, title,
                        text);
}

} // namespace tav
