// The trigger window and editor: every change lands byte for byte in a real trigs.ndx.
#include "windows/TriggerDialogs.h"

#include "tests/app/AppTestSupport.h"
#include "tests/support/WidgetLookup.h"
#include "triggers/TriggerList.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QMenu>
#include <QPlainTextEdit>

#include <filesystem>

namespace tav::test {
namespace {

// Types into the edit dialog and clicks one of its buttons.
ModalScript::Step Fill(const QString& pattern, const QString& reaction, const QString& button,
                       QString* shownPattern = nullptr) {
    return [=](QWidget* modal) {
        ASSERT_EQ(modal->windowTitle(), "TavClient TrigEdit");
        auto* patternField = Named<QLineEdit>(modal, "Trigger:");
        auto* reactionField = Named<QPlainTextEdit>(modal, "Reaction:");
        ASSERT_TRUE(patternField && reactionField);
        if (shownPattern) *shownPattern = patternField->text();
        if (!pattern.isNull()) patternField->setText(pattern);
        if (!reaction.isNull()) reactionField->setPlainText(reaction);
        ButtonText(modal, button)->click();
    };
}

class TriggerDialogs : public ::testing::Test {
protected:
    TriggerDialogs() {
        std::filesystem::create_directories(Root() / "hero");
        std::filesystem::create_directories(Root() / "model");
        window.show();
    }
    std::filesystem::path Root() const { return dir.path().toStdString(); }
    std::string File(const char* profile = "hero") const {
        return FileBytes(dir.filePath(QString(profile) + "/trigs.ndx")).toStdString();
    }
    // What the list in memory saves to (the file's layout is TriggerFileTest's).
    std::string ModelFile() const {
        triggers.SaveTriggers("model");
        return File("model");
    }
    QStringList Lines() {
        QStringList lines;
        for (int row = 0; row < window.ListBox().count(); ++row)
            lines << window.ListBox().item(row)->text();
        return lines;
    }
    void Select(int row) { window.ListBox().setCurrentRow(row); }
    // Runs `action`, answering the dialogs it brings up with `steps` in turn.
    void Run(std::initializer_list<ModalScript::Step> steps, const std::function<void()>& action) {
        ModalScript script;
        for (const ModalScript::Step& step : steps)
            script.Then(step);
        action();
        EXPECT_TRUE(WaitFor([&] { return script.Done(); }));
    }

    QTemporaryDir dir;
    TriggerList triggers{dir.path().toStdString()};
    std::string profile = "hero";
    ttrigdlg window{triggers, [this] { return profile; }, nullptr};
};

// Every change is in the file at once; the list's order is TriggerListTest's.
TEST_F(TriggerDialogs, ChangesThroughTheDialogsAreSavedAtOnce) {
    enum class Act { New, Edit, EditDelete, PopupNo, PopupYes };
    const auto change = [&](const char* what, Act act, int row, const QString& pattern,
                            const QString& reaction, const QStringList& lines) {
        SCOPED_TRACE(what);
        QString question;
        if (row >= 0) Select(row);
        const bool popup = act == Act::PopupNo || act == Act::PopupYes;
        const ModalScript::Step answer =
            popup ? AnswerBox(&question, act == Act::PopupYes ? QMessageBox::Yes : QMessageBox::No)
                  : Fill(pattern, reaction, act == Act::EditDelete ? "Delete" : "OK");
        Run({answer}, [&] {
            if (act == Act::New) window.NewTrigger();
            if (act == Act::Edit || act == Act::EditDelete) window.EditSelectedTrigger();
            if (popup) window.DeleteSelectedTrigger();
        });
        if (popup) EXPECT_EQ(question, "Confirm delete | Delete trigger?");
        EXPECT_EQ(Lines(), lines);
        EXPECT_EQ(File(), ModelFile());
        EXPECT_EQ(triggers.Count(), static_cast<std::size_t>(lines.size()));
    };
    change("new", Act::New, -1, "orc", "kill orc", {"orc"});
    EXPECT_EQ(File(), "orc\r\nkill orc\r\r\n#\r\n") << "without a final Enter: CR LF";
    change("new lines take the list's order", Act::New, -1, "Apple", "eat\nsmile\n",
           {"Apple", "orc"});
    change("an empty reaction is kept", Act::New, -1, "bell", "", {"Apple", "bell", "orc"});
    change("a changed pattern moves its line", Act::Edit, 0, "zebra", QString(),
           {"bell", "orc", "zebra"});
    EXPECT_EQ(triggers.At(2).reaction(), "eat\r\nsmile\r\n");
    change("the popup asks first; No keeps it", Act::PopupNo, 1, {}, {}, {"bell", "orc", "zebra"});
    change("Yes deletes the selected line's trigger", Act::PopupYes, 1, {}, {}, {"bell", "zebra"});
    change("Delete in the editor deletes at once", Act::EditDelete, 1, {}, {}, {"bell"});
    change("the last trigger gone, so is the file", Act::EditDelete, 0, {}, {}, {});
    EXPECT_EQ(File(), "<missing>");
}

// The editor's Actions section (found by its controls' names): what is chosen is saved to
// trigs.act beside an unchanged trigs.ndx, the whole group switched, and shown again.
// (What the groups switched when it fires do is TermSessionActions'.)
TEST_F(TriggerDialogs, TheActionsSectionIsSavedBesideTheTriggerFile) {
    triggers.SetActions(triggers.AddTrigger("bash", ""), {.group = "fight"});
    window.Refill();
    const auto fill = [](QWidget* modal) {
        auto* box = Named<QGroupBox>(modal, "Actions");
        ASSERT_NE(box, nullptr);
        Named<QLineEdit>(modal, "Trigger:")->setText("orc");
        Named<QLineEdit>(box, "Group:")->setText("fight");
        Named<QComboBox>(box, "Highlight:")->setCurrentIndex(2);
        Named<QPushButton>(box, "Choose: Text colour")->click(); // the next step picks
        Named<QCheckBox>(box, "Gag (remove from the screen)")->setChecked(true);
        Named<QCheckBox>(box, "Also from the log")->setChecked(true);
        Named<QCheckBox>(box, "Enabled")->setChecked(false);
        Named<QCheckBox>(box, "Switch the whole group")->setChecked(true);
        Named<QLineEdit>(box, "Enable group when fired:")->setText(" calm ");
        Named<QLineEdit>(box, "Disable group when fired:")->setText("fight");
        ButtonText(modal, "OK")->click();
    };
    const auto pick = In<QColorDialog>([](QColorDialog& chooser) {
        chooser.setCurrentColor(QColor(0xFF, 0x80, 0x00));
        chooser.accept();
    });
    Run({fill, pick}, [&] { window.NewTrigger(); });
    EXPECT_EQ(File(), "bash\r\n#\r\norc\r\n#\r\n");
    EXPECT_EQ(FileBytes(dir.filePath("hero/trigs.act")).toStdString(),
              "[trigger]\r\npattern=bash\r\nenabled=no\r\ngroup=fight\r\n"
              "[trigger]\r\npattern=orc\r\nenabled=no\r\ngroup=fight\r\ngroup-on=calm\r\n"
              "group-off=fight\r\nhighlight=line\r\ntext=#FF8000\r\ngag=yes\r\ngag-log=yes\r\n");

    Select(1);
    QStringList shown;
    const auto look = [&](QWidget* modal) {
        for (const char* name : {"Text colour:", "Enable group when fired:"})
            shown << Named<QLineEdit>(modal, name)->text();
        shown << Named<QLineEdit>(modal, "Trigger:")->accessibleDescription().right(17);
        ButtonText(modal, "Cancel")->click();
    };
    Run({look}, [&] { window.EditSelectedTrigger(); });
    EXPECT_EQ(shown, (QStringList{"#FF8000", "calm", "%1 tells you '%2'"}));
}

// Which reactions the file cannot hold is TriggerEditRules'; a refused one keeps the editor
// open with the typed text.
TEST_F(TriggerDialogs, CancelDeleteRefusalAndLineBreaksInANewTrigger) {
    triggers.AddTrigger("orc", "kill orc");
    window.Refill();
    for (const char* button : {"Cancel", "Delete"}) {
        SCOPED_TRACE(button);
        Run({Fill("troll", "flee", button)}, [&] { window.NewTrigger(); });
        EXPECT_EQ(Lines(), QStringList{"orc"});
        EXPECT_EQ(File(), "<missing>") << "nothing was saved";
    }
    const QString reaction = "say hi\n#quit\n";
    QString message;
    const auto stillTyped = [&](QWidget* modal) {
        EXPECT_EQ(Named<QPlainTextEdit>(modal, "Reaction:")->toPlainText(), reaction);
        ButtonText(modal, "Cancel")->click();
    };
    Run({Fill("troll", reaction, "OK"), AnswerBox(&message), stillTyped},
        [&] { window.NewTrigger(); });
    EXPECT_TRUE(message.contains("cannot begin with '#'")) << message.toStdString();
    EXPECT_EQ(triggers.Count(), 1u);

    // Line breaks never reach the pattern.
    const auto breaks = [](QWidget* modal) {
        auto* pattern = Named<QLineEdit>(modal, "Trigger:");
        pattern->setText("a\nb");
        EXPECT_EQ(pattern->text(), "ab");
        ButtonText(modal, "OK")->click();
    };
    Run({breaks}, [&] { window.NewTrigger(); });
    EXPECT_EQ(File(), "ab\r\n#\r\norc\r\nkill orc\r\r\n#\r\n");
}

TEST_F(TriggerDialogs, FailedSavesAndRemovalsAreReportedAndTheListFollowsMemory) {
    profile = "lost"; // its directory is a file: nothing can be written below it
    std::ofstream(Root() / "lost") << "x";
    QString message;
    Run({Fill("orc", "kill orc", "OK"), AnswerBox(&message)}, [&] { window.NewTrigger(); });
    EXPECT_TRUE(message.contains("could not be saved")) << message.toStdString();

    ButtonText(&window, "Close")->click();
    EXPECT_FALSE(window.isVisible()) << "Close only hides";
    window.ToggleTriggerWindow(); // shown again: no reload over the unsaved trigger
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(Lines(), QStringList{"orc"});
    EXPECT_EQ(triggers.Count(), 1u);

    // The last trigger deleted, its file must go too, or the trigger comes back at the next
    // load: a file that stays is said, for root as well (a directory that is not empty).
    profile = "hero";
    std::filesystem::create_directories(Root() / "hero" / "trigs.ndx" / "kept");
    Select(0);
    message.clear();
    Run({AnswerBox(nullptr, QMessageBox::Yes), AnswerBox(&message)},
        [&] { window.DeleteSelectedTrigger(); });
    EXPECT_TRUE(message.contains("could not be saved")) << message.toStdString();
    EXPECT_EQ(Lines(), QStringList{});
    EXPECT_EQ(triggers.Count(), 0u);
}

// The popup acts on the line right-clicked; a line whose trigger has gone acts on none.
TEST_F(TriggerDialogs, ThePopupActsOnTheLineRightClickedAndAStaleLineOnNone) {
    for (const char* pattern : {"b", "A", "a"})
        triggers.AddTrigger(pattern, "x");
    window.Refill();
    ASSERT_EQ(Lines(), (QStringList{"A", "a", "b"})) << "the list's own order, not a sort";
    QStringList menuTexts;
    QTimer::singleShot(100, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        for (QAction* action : menu->actions())
            menuTexts << action->text();
        menu->setActiveAction(menu->actions().at(0)); // "&Edit"
        QTest::keyClick(menu, Qt::Key_Return);
    });
    QString shown;
    QListWidget& list = window.ListBox();
    const QPoint at = list.visualItemRect(list.item(1)).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, list.viewport()->mapToGlobal(at));
    Run({Fill({}, {}, "Cancel", &shown)},
        [&] { QCoreApplication::sendEvent(list.viewport(), &event); });
    EXPECT_EQ(menuTexts, (QStringList{"&Edit", "&New", "", "&Delete"}));
    EXPECT_EQ(shown, "a");

    // Changed behind the window's back: the line's trigger is gone, another one is there.
    Select(0);
    triggers.ClearTriggers();
    triggers.AddTrigger("troll", "flee");
    bool opened = false;
    ModalScript stale;
    stale.Then([&](QWidget* modal) {
        opened = true;
        modal->close();
    });
    window.EditSelectedTrigger();
    window.DeleteSelectedTrigger();
    EXPECT_FALSE(opened) << "a modal run would have blocked until answered";
    EXPECT_EQ(triggers.Count(), 1u);
    EXPECT_EQ(triggers.At(0).pattern(), "troll");
}

} // namespace
} // namespace tav::test
