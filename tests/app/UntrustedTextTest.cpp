// Text from the server or from files reaches message boxes: it must arrive as written,
// never read as markup (the server's own message box and the game time and date are the
// Client hub test's).
// Before any Qt header: the session headers use names Qt defines as macros ("slots").
#include "FrameTestSupport.h"

#include "settings/ProfileDialogs.h"
#include "settings/ProfileStore.h"
#include "term/QtMessageBoxes.h"

#include <QAbstractButton>

namespace tav::test {
namespace {

constexpr std::string_view kMarkup = "Delete <b>x</b><img src=/etc/hostname>?";

using UntrustedTextTest = FrameTest;

TEST_F(UntrustedTextTest, MessageBoxesShowMarkupLiterally) {
    MakeFrame();
    ProfileStore store;
    tprofdlg profiles(store, frame->Profile(), frame.get());

    struct Row {
        const char* where;
        std::function<void()> show;
    };
    const Row rows[] = {
        {"shared error box", [] { QtMessageBoxes(nullptr).ShowMessage(kMarkup, "Error..."); }},
        {"shared warning box", [] { QtMessageBoxes(nullptr).ShowMessage(kMarkup, "Warning..."); }},
        {"profile question", [&] { profiles.AskYesNo(kMarkup, "Warning..."); }},
        {"profile error", [&] { profiles.ShowError(kMarkup, "Error..."); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.where);
        QString text;
        Qt::TextFormat format = Qt::AutoText;
        script.Then([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr) << w->metaObject()->className();
            text = box->text();
            format = box->textFormat();
            box->buttons().first()->click();
        });
        row.show();
        EXPECT_TRUE(script.Done());
        EXPECT_EQ(text, QString::fromLatin1(kMarkup));
        EXPECT_EQ(format, Qt::PlainText);
    }
}

} // namespace
} // namespace tav::test
