// Text from the server or from files reaches message boxes: it must arrive as written,
// never read as markup (the server's own message box and the game time and date are the
// Client hub test's).
// Before any Qt header: the session headers use names Qt defines as macros ("slots").
#include "FrameTestSupport.h"

#include "settings/ProfileDialogs.h"
#include "settings/ProfileStore.h"
#include "term/QtMessageBoxes.h"

namespace tav::test {
namespace {

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
        {"Warning...", [] { QtMessageBoxes(nullptr).ShowMessage(kMarkup, "Warning..."); }},
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
