#include "app/InputFocusReturn.h"
#include "app/MainMenu.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace tav {
namespace {

// A main window with the program's menu, a pane that can take the focus and the input line.
struct Frame {
    QMainWindow window;
    QWidget* central = new QWidget(&window);
    QPlainTextEdit* pane = new QPlainTextEdit(central);
    QLineEdit* input = new QLineEdit(central);
    MainMenu menu{*window.menuBar(), window};
    InputFocusReturn keeper{window, *input};

    Frame() {
        auto* layout = new QVBoxLayout(central);
        layout->addWidget(pane);
        layout->addWidget(input);
        window.setCentralWidget(central);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
};

TEST(InputFocusReturn, ClosingAWindowOfTheFrameFocusesTheInputLine) {
    const std::tuple<const char*, std::function<void(Frame&)>, bool> cases[] = {
        {"a modal dialog",
         [](Frame& f) {
             QDialog dialog(&f.window);
             QTimer::singleShot(0, &dialog, &QDialog::reject);
             dialog.exec();
         },
         true},
        {"a tool window",
         [](Frame& f) {
             QWidget tool(&f.window, Qt::Tool);
             tool.show();
             tool.hide();
         },
         true},
        {"a window of another owner",
         [](Frame&) {
             QDialog other;
             other.show();
             other.hide();
         },
         false},
        {"a context menu",
         [](Frame& f) {
             QMenu menu(&f.window);
             menu.addAction("x");
             menu.popup(QPoint(10, 10));
             menu.hide();
         },
         false},
    };
    for (const auto& [name, openAndClose, focusesInput] : cases) {
        Frame f;
        f.pane->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return f.pane->hasFocus(); })) << name;
        openAndClose(f);
        f.window.activateWindow();
        QTest::qWait(50); // nothing to wait for when the focus rightly stays
        EXPECT_EQ(f.input->hasFocus(), focusesInput) << name;
        EXPECT_EQ(f.pane->hasFocus(), !focusesInput) << name;
    }
}

// Escape twice after opening a menu gives the keyboard back to the input line, also when
// nothing had it before (the menu's own window had taken it): the next word typed goes
// there, not to the menu bar's mnemonics, which would open a menu or run a command.
TEST(InputFocusReturn, EscapeFromAMenuGivesTheKeyboardBackToTheInputLine) {
    auto altO = [](QMenuBar& bar) { QTest::keyClick(bar.window(), Qt::Key_O, Qt::AltModifier); };
    auto click = [](QMenuBar& bar) {
        QTest::mouseClick(&bar, Qt::LeftButton, {}, bar.actionGeometry(bar.actions()[0]).center());
    };
    const std::tuple<const char*, bool, std::function<void(QMenuBar&)>> cases[] = {
        {"Alt+O from the input line", true, altO},
        {"Alt+O with no focus widget", false, altO},
        {"a click with no focus widget", false, click},
    };
    // Keys go where the keyboard is: the open menu, else the focus widget.
    auto keyboard = [] {
        QWidget* target = QApplication::activePopupWidget();
        return target != nullptr ? target : QApplication::focusWidget();
    };
    for (const auto& [name, inputHadFocus, open] : cases) {
        Frame f;
        QLineEdit* input = f.input;
        input->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return input->hasFocus(); })) << name;
        if (!inputHadFocus) input->clearFocus();

        open(*f.window.menuBar());
        ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; }))
            << name;
        QCoreApplication::processEvents(); // the platform's news of the menu's window
        QTest::keyClick(keyboard(), Qt::Key_Escape);
        ASSERT_TRUE(QTest::qWaitFor([&] { return keyboard() != nullptr; })) << name;
        QTest::keyClick(keyboard(), Qt::Key_Escape);
        EXPECT_TRUE(QTest::qWaitFor([&] { return input->hasFocus(); })) << name;
        for (char letter : std::string("look")) {
            ASSERT_NE(keyboard(), nullptr) << name;
            QTest::keyClick(keyboard(), letter);
            QCoreApplication::processEvents();
        }
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << name;
        EXPECT_EQ(input->text(), "look") << name;
        if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
    }
}

} // namespace
} // namespace tav
