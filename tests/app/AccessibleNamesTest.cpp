// Every control a screen reader can land on in the program's dialogs has a name: its own
// words, its label's, or its group's.
#include "app/AboutBox.h"
#include "app/CustomButtonDialog.h"
#include "settings/ColorDialog.h"
#include "settings/FKeyDialog.h"
#include "triggers/TriggerList.h"
#include "windows/TriggerDialogs.h"

#include <QAccessible>
#include <QDialog>
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tav {
namespace {

bool Interactive(QAccessible::Role role) {
    switch (role) {
    case QAccessible::PushButton:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::EditableText:
    case QAccessible::ComboBox:
    case QAccessible::List:
    case QAccessible::Table:
    case QAccessible::Tree:
    case QAccessible::SpinBox:
    case QAccessible::Terminal:
    case QAccessible::MenuItem: return true;
    default: return false;
    }
}

bool Labelled(QAccessibleInterface* iface) {
    return !iface->relations(QAccessible::Label).isEmpty();
}

// The path of each unnamed interactive object under iface.
void CollectUnnamed(QAccessibleInterface* iface, const std::string& path,
                    std::vector<std::string>& unnamed) {
    if (!iface || iface->state().invisible) return;
    const std::string here = path + "/" + std::to_string(iface->role());
    if (Interactive(iface->role()) && iface->text(QAccessible::Name).trimmed().isEmpty() &&
        !Labelled(iface))
        unnamed.push_back(here);
    for (int i = 0; i < iface->childCount(); ++i)
        CollectUnnamed(iface->child(i), here, unnamed);
}

TEST(AccessibleNames, EveryControlOfEveryDialogIsNamed) {
    StoredValues stored{};
    std::array<ColorRef, kMudColorCount> mud{};
    std::array<ColorRef, kCustomColorCount> custom{};
    std::string name = "north";
    std::string command = "n";
    TriggerTexts texts{"* arrives", "wave"};
    TriggerList triggers;
    const std::vector<std::pair<const char*, std::function<std::unique_ptr<QWidget>()>>> dialogs = {
        {"about", [] { return std::make_unique<taboutdlg>(); }},
        {"function keys", [&] { return std::make_unique<fkeydlg>(stored, nullptr); }},
        {"colours", [&] { return std::make_unique<mcolordlg>(mud, custom, nullptr); }},
        {"custom button",
         [&] { return std::make_unique<tcustombuttoncfg>(name, command, nullptr); }},
        {"trigger editor", [&] { return std::make_unique<ttrigedit>(texts, nullptr); }},
        {"trigger list",
         [&] {
             return std::make_unique<ttrigdlg>(
                 triggers, [] { return std::string("hero"); }, nullptr);
         }},
    };
    for (const auto& [what, make] : dialogs) {
        std::unique_ptr<QWidget> dialog = make();
        dialog->show();
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(dialog.get());
        ASSERT_NE(iface, nullptr) << what;
        EXPECT_FALSE(iface->text(QAccessible::Name).isEmpty()) << what;
        std::vector<std::string> unnamed;
        CollectUnnamed(iface, "", unnamed);
        EXPECT_EQ(unnamed, std::vector<std::string>{}) << what;
    }
}

} // namespace
} // namespace tav
