// What the program's dialogs and message boxes show: every control a screen reader can
// land on has a name (its own words, its label's, or its group's), and text from the
// server or from files arrives as written, never read as markup (the server's own message
// box and the game time and date are the Client hub test's).
// Before any Qt header: the session headers use names Qt defines as macros ("slots").
#include "FrameTestSupport.h"

#include "app/AboutBox.h"
#include "app/CustomButtonDialog.h"
#include "settings/ColorDialog.h"
#include "settings/FKeyDialog.h"
#include "settings/ProfileDialogs.h"
#include "settings/ProfileStore.h"
#include "term/QtMessageBoxes.h"
#include "windows/TimersDialog.h"
#include "windows/TriggerDialogs.h"
#include "windows/VariablesWindow.h"

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
    Rect rect{};
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
        {"timer list",
         [] { return std::make_unique<TimersDialog>(std::vector<CommandTimer>{{}}); }},
        {"timer editor", [] { return std::make_unique<TimerEditDialog>(CommandTimer{}); }},
        {"variables", [&] { return std::make_unique<VariablesWindow>(triggers, rect, nullptr); }},
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

constexpr std::string_view kMarkup = "Delete <b>x</b><img src=/etc/hostname>?";

using UntrustedTextTest = FrameTest;

TEST_F(UntrustedTextTest, MessageBoxesShowMarkupLiterally) {
    MakeFrame();
    ProfileStore store;
    tprofdlg profiles(store, frame->Profile(), frame.get());

    struct Row {
        const char* title;
        std::function<void()> show;
        QMessageBox::StandardButton button = QMessageBox::Ok;
    };
    const Row rows[] = {
        {"Error...", [] { QtMessageBoxes(nullptr).ShowMessage(kMarkup, "Error..."); }},
        {"Warning...", [] { QtMessageBoxes(nullptr).AskYesNo(kMarkup, "Warning..."); },
         QMessageBox::No},
        {"Warning...", [&] { profiles.AskYesNo(kMarkup, "Warning..."); }, QMessageBox::No},
        {"Error...", [&] { profiles.ShowError(kMarkup, "Error..."); }},
    };
    for (const Row& row : rows) {
        QString said;
        Qt::TextFormat format = Qt::AutoText;
        script.Then(AnswerBox(&said, row.button, &format));
        row.show();
        EXPECT_TRUE(script.Done());
        EXPECT_EQ(said, row.title + QStringLiteral(" | ") + QString::fromLatin1(kMarkup));
        EXPECT_EQ(format, Qt::PlainText);
    }
}

} // namespace
} // namespace tav::test
