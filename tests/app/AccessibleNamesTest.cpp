// Every control a screen reader can land on in the program's dialogs has a name: its own
// words, its label's, or its group's.
#include "FrameTestSupport.h"

#include "app/AboutBox.h"
#include "app/CustomButtonDialog.h"
#include "settings/ColorDialog.h"
#include "settings/FKeyDialog.h"
#include "windows/TriggerDialogs.h"

#include <array>

namespace tav::test {
namespace {

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
        EXPECT_FALSE(
            QAccessible::queryAccessibleInterface(dialog.get())->text(QAccessible::Name).isEmpty())
            << what;
        EXPECT_EQ(UnnamedControls(*dialog), std::vector<std::string>{}) << what;
    }
}

} // namespace
} // namespace tav::test
