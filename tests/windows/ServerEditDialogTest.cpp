// The edit dialog as the user meets it.
#include "windows/ServerEditDialog.h"

#include "client/ServerEdit.h"
#include "tests/app/AppTestSupport.h"
#include "tests/support/WidgetLookup.h"

#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>

namespace tav::test {
namespace {

struct EditDialog {
    FontSpec font{"fixedsys", 10, 5};
    Rect stored;
    tmarrowedit dialog;
    explicit EditDialog(std::string_view text, std::size_t limit = 100, Rect place = {},
                        QWidget* owner = nullptr, std::string_view heading = "Heading")
        : stored(place), dialog(heading, text, limit, font, stored, owner) {}
};

// Runs the dialog while `act` drives it; the answer and every box on the way.
struct Outcome {
    std::optional<std::string> text;
    QStringList boxes;
};
Outcome RunWith(tmarrowedit& dialog, const std::function<void(tmarrowedit&, Outcome&)>& act) {
    Outcome outcome;
    QTimer::singleShot(0, &dialog, [&] { act(dialog, outcome); });
    outcome.text = dialog.Run();
    return outcome;
}

// Clicks "Done", answering the refusal box if one comes.
void PressDone(tmarrowedit& dialog, Outcome& outcome) {
    QTimer::singleShot(50, [&outcome] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            outcome.boxes << box->windowTitle() + " | " + box->text();
            box->accept();
        }
    });
    QTest::mouseClick(&dialog.DoneButton(), Qt::LeftButton);
}

TEST(ServerEditDialog, DoneGivesTheTextBackAndRefusesWhatCannotBeSentWhole) {
    // What is typed, the limit, what Done gives back (nothing: refused, then closed) and the
    // box that says why.
    using Row = std::tuple<const char*, QString, std::size_t, std::optional<std::string>, QString>;
    const Row rows[] = {
        {"latin-1 text", QString::fromUtf8("line one\nna\u00efve"), 100,
         std::string("line one\nna\xefve"), ""},
        {"empty text", "", 100, std::string(), ""},
        {"exactly the limit once CR LF", "abc\nde", 7, std::string("abc\nde"), ""},
        {"one byte over once CR LF", "abc\ndef", 7, std::nullopt,
         "Error... | The text is 8 bytes long; the game takes at most 7. Shorten it, then press "
         "Done again."},
        {"outside latin-1", QString::fromUtf8("snow \u2603"), 100, std::nullopt,
         "Error... | The text has characters the game cannot receive (outside Latin-1). Replace "
         "them, then press Done again."},
    };
    for (const auto& [name, typed, limit, expected, box] : rows) {
        SCOPED_TRACE(name);
        EditDialog edit("", limit);
        const Outcome outcome = RunWith(edit.dialog, [&](tmarrowedit& d, Outcome& o) {
            d.Text().setPlainText(typed);
            PressDone(d, o);
            // A refused text keeps the dialog open with the text as typed.
            QTimer::singleShot(200, &d, [&d, &typed] {
                if (!d.isVisible()) return;
                EXPECT_EQ(d.Text().toPlainText(), typed);
                d.reject();
            });
        });
        EXPECT_EQ(outcome.text, expected);
        EXPECT_EQ(outcome.boxes.join(""), box);
    }
}

// Untouched, the dialog gives back exactly what it was shown, every byte from 1 to 255
// (a no-break space too); a change keeps every character left alone. What goes on the
// wire then is ServerEditFlowTest's.
TEST(ServerEditDialog, DoneGivesBackEveryByteTheUserDidNotChange) {
    std::string every; // a NUL would end the text
    for (int byte = 1; byte < 256; ++byte)
        every += static_cast<char>(byte);
    const std::string shown = ToEditorLineEnds(every);
    for (const std::string typed : {"", "!"}) {
        SCOPED_TRACE(typed);
        EditDialog edit(shown, 1000);
        const Outcome outcome = RunWith(edit.dialog, [&typed](tmarrowedit& d, Outcome& o) {
            d.Text().moveCursor(QTextCursor::End);
            QTest::keyClicks(&d.Text(), QString::fromStdString(typed));
            PressDone(d, o);
        });
        EXPECT_EQ(outcome.text, shown + typed);
    }
}

// Shown as plain text, named by the heading, placed at the stored rectangle, which follows
// moves and sizes; a chosen font replaces the stored one and the size texts.
TEST(ServerEditDialog, ShowsItsTextsWhereStoredAndFollowsTheUser) {
    QMainWindow owner;
    EditDialog edit("caf\xe9 au lait\nsecond line", 100, {100, 80, 600, 480}, &owner,
                    "Your description");
    tmarrowedit& dialog = edit.dialog;
    EXPECT_EQ(dialog.windowTitle(), "TavClient Edit Dialog");
    EXPECT_EQ(dialog.accessibleName(), "TavClient Edit Dialog");
    EXPECT_EQ(dialog.Heading().text(), "Your description");
    EXPECT_EQ(dialog.Text().toPlainText(), QString::fromUtf8("café au lait\nsecond line"));
    EXPECT_EQ(dialog.Text().accessibleName(), "Your description");
    EXPECT_TRUE(dialog.HeightText().accessibleName().startsWith("Height: "));
    EXPECT_TRUE(dialog.WidthText().accessibleName().startsWith("Width: "));
    for (QLabel* label : dialog.findChildren<QLabel*>())
        EXPECT_EQ(label->textFormat(), Qt::PlainText);

    const Rect& stored = edit.stored;
    EXPECT_EQ(dialog.geometry(), QRect(100, 80, 500, 400));
    dialog.show();
    const QString linesBefore = dialog.HeightText().text();
    ModalScript script;
    script.Then(ChooseFont(40));
    QTimer::singleShot(0, [&] { dialog.FontButton().click(); });
    ASSERT_TRUE(WaitFor([&] { return script.Done() && edit.font.height == -40; }));
    EXPECT_EQ(dialog.Text().font().pixelSize(), 40);
    EXPECT_LT(dialog.HeightText().text().toInt(), linesBefore.toInt());

    dialog.move(130, 90);
    EXPECT_EQ(stored, (Rect{130, 90, 630, 490}));
    dialog.resize(400, 300);
    EXPECT_EQ(stored.Width(), dialog.frameGeometry().width());
}

} // namespace
} // namespace tav::test
