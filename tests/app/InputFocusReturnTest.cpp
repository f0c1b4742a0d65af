#include "app/InputFocusReturn.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <functional>

namespace tav {
namespace {

// A main window with a pane that can take the focus and the input line.
struct Frame {
    QWidget window;
    QPlainTextEdit* pane = new QPlainTextEdit(&window);
    QLineEdit* input = new QLineEdit(&window);
    InputFocusReturn keeper{window, *input};

    Frame() {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(pane);
        layout->addWidget(input);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
};

TEST(InputFocusReturn, ClosingAWindowOfTheFrameFocusesTheInputLine) {
    struct Case {
        const char* name;
        std::function<void(Frame&)> openAndClose;
        bool focusesInput;
    };
    const Case cases[] = {
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
    for (const Case& c : cases) {
        Frame f;
        f.pane->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return f.pane->hasFocus(); })) << c.name;
        c.openAndClose(f);
        f.window.activateWindow();
        QTest::qWait(50); // nothing to wait for when the focus rightly stays
        EXPECT_EQ(f.input->hasFocus(), c.focusesInput) << c.name;
        EXPECT_EQ(f.pane->hasFocus(), !c.focusesInput) << c.name;
    }
}

} // namespace
} // namespace tav
