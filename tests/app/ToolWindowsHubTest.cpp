// The help index and boards windows as the desktop holds them: driven by their controls
// against a game on the loopback, each request checked on the wire and each reply in the
// window it belongs to.
// Before any Qt header: the session headers use names Qt defines as macros ("slots").
#include "HubTestSupport.h"

#include "term/ScreenFonts.h"
#include "term/ScreenWidget.h"
#include "windows/BoardsWindow.h"
#include "windows/Divider.h"
#include "windows/HelpIndexWindow.h"
#include "windows/MessageListBox.h"

#include <QFontDatabase>
#include <QFontDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>

#include <fstream>

namespace tav::test {
namespace {

// Fixed-size NUL-padded records, as the index replies carry them.
std::string Records(std::size_t size, const std::vector<std::string>& texts) {
    std::string data;
    for (const std::string& text : texts) {
        std::string record = text.substr(0, size);
        record.resize(size, '\0');
        data += record;
    }
    return data;
}

// Board index entries: the number (32 bits, little-endian) and the title.
std::string BoardRecords(const std::vector<std::pair<std::int32_t, std::string>>& boards) {
    std::string data;
    for (const auto& [number, title] : boards) {
        for (int shift = 0; shift < 32; shift += 8)
            data += static_cast<char>((static_cast<std::uint32_t>(number) >> shift) & 0xFF);
        data += Records(kBoardTitleBytes, {title});
    }
    return data;
}

std::vector<std::string> Items(const QListWidget& list) {
    std::vector<std::string> items;
    for (const QString& row : Rows(list))
        items.push_back(row.toStdString());
    return items;
}

class ToolWindowsHubTest : public HubTest {
protected:
    // The frames sent since the last call, as "type text1|text2".
    std::vector<std::string> Sent() {
        std::vector<std::string> lines;
        for (const ClientMessage& m : ParseFrames(server.Read(std::chrono::milliseconds(150))))
            lines.push_back(std::to_string(m.Type()) + " " + std::string(m.Text1()) + "|" +
                            std::string(m.Text2()));
        return lines;
    }
    static void WriteFile(const QString& path, const std::string& bytes) {
        std::ofstream(path.toStdString(), std::ios::binary) << bytes;
    }
};

using Lines = std::vector<std::string>;

TEST_F(ToolWindowsHubTest, HelpIndexWindowRequestsTopicsAndCachesTheIndex) {
    WriteFile(data.Path("profiles/hero/help.ndx"), "weapons\r\narmor\r\n");
    WriteFile(data.Path("profiles/other/help.ndx"), "other\r\n");
    ASSERT_TRUE(Connect());
    tidxdlg& help = hub.HelpWindow();
    QListWidget& list = help.TopicList();
    help.Toggle();
    const std::string topic64(64, 'q');

    struct Step {
        const char* what;
        std::function<void()> act;
        Lines sent;           // frames on the wire afterwards
        Lines items;          // the topic list afterwards
        std::string ndx = {}; // help.ndx of "hero" afterwards, when given
    };
    const Step steps[] = {
        {"filling from help.ndx sends nothing",
         [&] { hub.RestoreToolWindows(); },
         {},
         {"armor", "weapons"}},
        {"Download new index",
         [&] { Named<QPushButton>(help, "Download new index")->click(); },
         {"10 |"},
         {"armor", "weapons"}},
        {"a received index is sorted, saved and requests nothing",
         [&] {
             server.Send(Frame(IncomingType::helpindex_reply, "16 5", {},
                               Records(16, {"zeta", "Alpha", "<b>x</b>", "", "lost"})));
             WaitFor([&] { return list.count() == 3; });
         },
         {},
         {"<b>x</b>", "Alpha", "zeta"},
         "<b>x</b>\r\nAlpha\r\nzeta\r\n"},
        {"selecting a topic",
         [&] { list.setCurrentRow(1); },
         {"11 Alpha|"},
         {"<b>x</b>", "Alpha", "zeta"}},
        {"a double click asks again",
         [&] {
             const QPoint at = list.visualItemRect(list.item(1)).center();
             // The view takes a double click only over the item the button went down on.
             QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
             QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
         },
         {"11 Alpha|"},
         {"<b>x</b>", "Alpha", "zeta"}},
        {"the arrow keys ask for every topic passed",
         [&] {
             list.setFocus();
             QTest::keyClick(&list, Qt::Key_Down);
             QTest::keyClick(&list, Qt::Key_Up);
         },
         {"11 zeta|", "11 Alpha|"},
         {"<b>x</b>", "Alpha", "zeta"}},
        {"a 64-byte topic is not asked for",
         [&] {
             server.Send(Frame(IncomingType::helpindex_reply, "80 1", {}, Records(80, {topic64})));
             WaitFor([&] { return list.count() == 1; });
             list.setCurrentRow(0);
         },
         {},
         {topic64},
         topic64 + "\r\n"},
        {"an empty index empties the list and keeps the file",
         [&] {
             server.Send(Frame(IncomingType::helpindex_reply, "16 0"));
             WaitFor([&] { return list.count() == 0; });
         },
         {},
         {},
         topic64 + "\r\n"},
        {"a profile switch loads that profile's index",
         [&] {
             term.ProfileName() = "other";
             hub.RestoreToolWindows();
         },
         {},
         {"other"}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        EXPECT_EQ(Sent(), step.sent);
        EXPECT_EQ(Items(list), step.items);
        if (!step.ndx.empty())
            EXPECT_EQ(FileBytes(data.Path("profiles/hero/help.ndx")).toStdString(), step.ndx);
    }

    server.Send(Frame(IncomingType::helpfile_reply, {}, {}, "Alpha: the first letter."));
    EXPECT_TRUE(WaitFor([&] {
        return help.Screen().GetAllText().find("Alpha: the first letter.") != std::string::npos;
    }));
    EXPECT_EQ(list.accessibleName(), "Help Index");
    EXPECT_EQ(help.accessibleName(), "TavClient HelpIndex");
    for (const char* name : {"Close", "Font..."})
        EXPECT_NE(Named<QPushButton>(help, name), nullptr) << name;
    Named<QPushButton>(help, "Close")->click();
    EXPECT_FALSE(help.isVisible());
}

// Chooses a context-menu item of a list as the user does.
void Choose(TMsgListBox& list, const QString& item) {
    for (QAction* action : list.ContextMenu().actions())
        if (action->text() == item) return action->trigger();
    ADD_FAILURE() << "no menu item " << item.toStdString();
}

TEST_F(ToolWindowsHubTest, BoardsWindowReadsPostsRepliesAndDeletesOnTheCurrentBoard) {
    settings.boardnotify = 1;
    ASSERT_TRUE(Connect());
    brddlg& window = hub.BoardsWindow();
    TMsgListBox& boards = window.BoardList();
    TMsgListBox& messages = window.MessageList();
    window.Toggle();
    const std::string long200(200, 'x');
    std::string dialog; // what the last modal showed: title, label or text, field

    // Answers the next heading dialog with `heading` (or the last dialog box with OK).
    const auto answerHeading = [&](const std::string& heading) {
        script.Then([&, heading](QWidget* w) {
            auto* input = qobject_cast<QInputDialog*>(w);
            ASSERT_NE(input, nullptr) << w->metaObject()->className();
            auto* edit = input->findChild<QLineEdit*>();
            dialog = input->windowTitle().toStdString() + " / " + input->labelText().toStdString() +
                     " / " + edit->text().toStdString() + " / " + std::to_string(edit->maxLength());
            edit->setText(QString::fromStdString(heading));
            input->accept();
        });
    };
    const auto answerBox = [&] {
        script.Then([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr) << w->metaObject()->className();
            dialog = box->windowTitle().toStdString() + " / " + box->text().toStdString() + " / " +
                     std::to_string(box->textFormat());
            box->button(QMessageBox::Ok)->click();
        });
    };
    const auto receive = [&](std::string frame, std::function<bool()> shown) {
        server.Send(frame);
        EXPECT_TRUE(WaitFor(shown));
    };
    const auto sizeIs = [](QListWidget& list, int n) {
        return [&list, n] { return list.count() == n; };
    };

    struct Step {
        const char* what;
        std::function<void()> act;
        Lines sent;
        Lines boardItems;
        Lines messageItems;
        std::string dialog = {};
    };
    const Lines titles = {"General", "<b>Trade</b>", "Quests"};
    const Step steps[] = {
        {"Update Board Index",
         [&] { Named<QPushButton>(window, "Update Board Index")->click(); },
         {"12 |"},
         {},
         {}},
        {"a board index fills the list and requests nothing",
         [&] {
             receive(Frame(IncomingType::bindex_reply, "3", {},
                           BoardRecords({{5, titles[0]}, {7, titles[1]}, {9, titles[2]}})),
                     sizeIs(boards, 3));
         },
         {},
         titles,
         {}},
        {"selecting a board", [&] { boards.setCurrentRow(0); }, {"13 5|"}, titles, {}},
        {"the arrow keys ask for every board passed",
         [&] {
             boards.setFocus();
             QTest::keyClick(&boards, Qt::Key_Down);
         },
         {"13 7|"},
         titles,
         {}},
        {"board 7's index",
         [&] {
             receive(Frame(IncomingType::msgindex_reply, "2", {},
                           Records(kMessageEntryBytes, {"1 Bob :: Hello", "2 Ann : nothing"})),
                     sizeIs(messages, 2));
         },
         {},
         titles,
         {"1 Bob :: Hello", "2 Ann : nothing"}},
        {"reading reads on board 7, the current one",
         [&] { messages.setCurrentRow(1); },
         {"14 7 1|"},
         titles,
         {"1 Bob :: Hello", "2 Ann : nothing"}},
        {"deleting deletes there and asks again",
         [&] { Choose(messages, "&Delete"); },
         {"15 7 1|", "13 7|"},
         titles,
         {"1 Bob :: Hello", "2 Ann : nothing"}},
        {"board 7's index again",
         [&] {
             receive(Frame(IncomingType::msgindex_reply, "1", {},
                           Records(kMessageEntryBytes, {"1 Cid :: Wares"})),
                     sizeIs(messages, 1));
         },
         {},
         titles,
         {"1 Cid :: Wares"}},
        {"the message's text",
         [&] {
             messages.setCurrentRow(0);
             receive(Frame(IncomingType::msg_reply, {}, {}, "Fine <i>wares</i> for sale."), [&] {
                 return window.Screen().GetAllText().find("Fine <i>wares</i> for sale.") !=
                        std::string::npos;
             });
         },
         {"14 7 0|"},
         titles,
         {"1 Cid :: Wares"}},
        {"a reply proposes re: and takes at most 127 bytes",
         [&] {
             answerHeading(long200);
             Choose(messages, "Re&ply");
         },
         {"16 7|" + long200.substr(0, 127)},
         titles,
         {"1 Cid :: Wares"},
         "Post reply / Enter the message heading: / re:  Wares / 127"},
        {"a post selects the board again and asks for a heading",
         [&] {
             answerHeading("Buying swords");
             Choose(boards, "&Post");
         },
         {"13 7|", "16 7|Buying swords"},
         titles,
         {},
         "Post message / Enter the message heading: / <no heading> / 127"},
        {"a cancelled post sends only the selection's request",
         [&] {
             script.Then([](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
             Choose(boards, "&Post");
         },
         {"13 7|"},
         titles,
         {}},
        {"an update of another board notifies",
         [&] {
             answerBox();
             server.Send(Frame(IncomingType::brdupdate, "2"));
             EXPECT_TRUE(WaitFor([&] { return script.Done(); }));
         },
         {},
         titles,
         {},
         "Notification... / Board content update: Quests / 0"},
        {"a board number out of range shows nothing",
         [&] {
             for (const char* number : {"3", "-1", "99999"})
                 server.Send(Frame(IncomingType::brdupdate, number));
             server.Send(Frame(IncomingType::msgindex_reply, "1", {},
                               Records(kMessageEntryBytes, {"after the updates"})));
             EXPECT_TRUE(WaitFor(sizeIs(messages, 1)));
             messages.clear();
         },
         {},
         titles,
         {}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        dialog.clear();
        step.act();
        EXPECT_TRUE(script.Done());
        EXPECT_EQ(Sent(), step.sent);
        EXPECT_EQ(Items(boards), step.boardItems);
        EXPECT_EQ(Items(messages), step.messageItems);
        EXPECT_EQ(dialog, step.dialog);
    }
    EXPECT_TRUE(hub.Connection().IsConnected());

    // A new board index starts over: no messages, no text.
    receive(Frame(IncomingType::bindex_reply, "1", {}, BoardRecords({{1, "News"}})),
            sizeIs(boards, 1));
    EXPECT_EQ(window.Screen().GetAllText().find("wares"), std::string::npos);
    EXPECT_EQ(Sent(), Lines{});

    EXPECT_EQ(window.accessibleName(), "TavClient BoardWin");
    for (QWidget* list : {static_cast<QWidget*>(&boards), static_cast<QWidget*>(&messages)})
        EXPECT_FALSE(list->accessibleName().isEmpty());
    for (const char* name : {"Close", "Font...", "Update Board Index"})
        EXPECT_NE(Named<QPushButton>(window, name), nullptr) << name;
}

// Answers the next heading dialog with `heading`, after running `meanwhile` while it is open.
void AnswerHeading(ModalScript& script, const std::string& heading,
                   std::function<void()> meanwhile = {}) {
    script.Then([heading, meanwhile](QWidget* w) {
        auto* input = qobject_cast<QInputDialog*>(w);
        ASSERT_NE(input, nullptr) << w->metaObject()->className();
        if (meanwhile) meanwhile();
        input->findChild<QLineEdit*>()->setText(QString::fromStdString(heading));
        input->accept();
    });
}

// A request the server answers with a text instead of an index (the demo world's "No such
// board.") must not shift where later choices go: each goes to the board chosen.
TEST_F(ToolWindowsHubTest, ABoardAnsweredWithATextLeavesLaterChoicesOnTheChosenBoard) {
    ASSERT_TRUE(Connect());
    brddlg& window = hub.BoardsWindow();
    TMsgListBox& boards = window.BoardList();
    TMsgListBox& messages = window.MessageList();
    window.Toggle();
    server.Send(Frame(IncomingType::bindex_reply, "3", {},
                      BoardRecords({{0, "Announcements"}, {2, "Trade"}, {7, "Gone"}})));
    ASSERT_TRUE(WaitFor([&] { return boards.count() == 3; }));

    boards.setCurrentRow(2);
    EXPECT_EQ(Sent(), Lines{"13 7|"});
    server.Send(Frame(IncomingType::text_mesg, "No such board."));
    ASSERT_TRUE(
        WaitFor([&] { return hub.Log().Text().find("No such board.") != std::string::npos; }));

    boards.setCurrentRow(1);
    EXPECT_EQ(Sent(), Lines{"13 2|"});
    server.Send(Frame(IncomingType::msgindex_reply, "2", {},
                      Records(kMessageEntryBytes,
                              {" 1 Grimble   ::Bandages wanted", " 2 Hero      ::Selling rope"})));
    ASSERT_TRUE(WaitFor([&] { return messages.count() == 2; }));

    messages.setCurrentRow(1);
    AnswerHeading(script, "re: Selling rope");
    Choose(messages, "Re&ply");
    Choose(messages, "&Delete");
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(Sent(), (Lines{"14 2 1|", "16 2|re: Selling rope", "15 2 1|", "13 2|"}));
}

// A heading goes to the board it was asked for, whatever board index arrives while the
// dialog is open; a heading that cannot go out is said so.
TEST_F(ToolWindowsHubTest, AHeadingGoesToTheBoardItWasAskedForOrSaysWhyNot) {
    ASSERT_TRUE(Connect());
    brddlg& window = hub.BoardsWindow();
    TMsgListBox& boards = window.BoardList();
    TMsgListBox& messages = window.MessageList();
    window.Toggle();
    const auto boardIndex = [&](const std::vector<std::pair<std::int32_t, std::string>>& list) {
        server.Send(
            Frame(IncomingType::bindex_reply, std::to_string(list.size()), {}, BoardRecords(list)));
        EXPECT_TRUE(WaitFor([&] {
            return boards.count() == static_cast<int>(list.size()) &&
                   boards.item(0)->text().toStdString() == list.front().second;
        }));
    };
    const auto readTrade = [&] {
        boards.setCurrentRow(1);
        server.Send(Frame(IncomingType::msgindex_reply, "1", {},
                          Records(kMessageEntryBytes, {"1 Cid :: Wares"})));
        EXPECT_TRUE(WaitFor([&] { return messages.count() == 1; }));
        messages.setCurrentRow(0);
        EXPECT_EQ(Sent(), (Lines{"13 7|", "14 7 0|"}));
    };
    boardIndex({{5, "General"}, {7, "Trade"}});
    readTrade();

    AnswerHeading(script, "re: Wares", [&] { boardIndex({{1, "News"}}); });
    Choose(messages, "Re&ply");
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(Sent(), Lines{"16 7|re: Wares"});

    boards.setCurrentRow(0);
    AnswerHeading(script, "Hello", [&] { boardIndex({{5, "General"}, {7, "Trade"}}); });
    Choose(boards, "&Post");
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(Sent(), (Lines{"13 1|", "13 1|", "16 1|Hello"}));

    readTrade();
    std::string box;
    AnswerHeading(script, "re: Wares", [&] {
        hub.Connection().Disconnect();
        EXPECT_TRUE(WaitFor([&] { return !hub.Connection().IsConnected(); }));
    });
    script.Then([&](QWidget* w) {
        auto* shown = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(shown, nullptr) << w->metaObject()->className();
        box = shown->windowTitle().toStdString() + " / " + shown->text().toStdString();
        shown->button(QMessageBox::Ok)->click();
    });
    Choose(messages, "Re&ply");
    EXPECT_TRUE(WaitFor([&] { return script.Done(); }));
    EXPECT_EQ(box, "Error... / Not connected... the message was not posted.");
}

// Moves the keyboard focus with Tab, as the user does, until it is in `target`.
::testing::AssertionResult TabInto(QWidget& window, QWidget& target) {
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window)) return ::testing::AssertionFailure() << "inactive";
    for (int presses = 0; presses < 20 && QApplication::focusWidget() != &target; ++presses) {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus != nullptr ? focus : &window, Qt::Key_Tab);
    }
    if (QApplication::focusWidget() == &target) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "Tab never reached " << target.accessibleName().toStdString();
}

// Focus coming to a list by Tab asks the server for nothing; the user's choice (Enter, a
// click) asks once.
TEST_F(ToolWindowsHubTest, TabbingIntoAListAsksForNothingUntilTheUserChooses) {
    WriteFile(data.Path("profiles/hero/help.ndx"), "armor\r\nweapons\r\n");
    ASSERT_TRUE(Connect());
    hub.RestoreToolWindows();
    tidxdlg& help = hub.HelpWindow();
    help.Toggle();
    ASSERT_TRUE(TabInto(help, help.TopicList()));
    EXPECT_EQ(Sent(), Lines{});
    QTest::keyClick(&help.TopicList(), Qt::Key_Return);
    EXPECT_EQ(Sent(), Lines{"11 armor|"});
    help.hide();

    brddlg& window = hub.BoardsWindow();
    TMsgListBox& boards = window.BoardList();
    TMsgListBox& messages = window.MessageList();
    window.Toggle();
    server.Send(
        Frame(IncomingType::bindex_reply, "2", {}, BoardRecords({{5, "General"}, {7, "Trade"}})));
    ASSERT_TRUE(WaitFor([&] { return boards.count() == 2; }));
    ASSERT_TRUE(TabInto(window, boards));
    EXPECT_EQ(Sent(), Lines{});
    QTest::keyClick(&boards, Qt::Key_Enter);
    EXPECT_EQ(Sent(), Lines{"13 5|"});

    server.Send(Frame(IncomingType::msgindex_reply, "2", {},
                      Records(kMessageEntryBytes, {"1 Bob :: Hello", "2 Ann :: Bye"})));
    ASSERT_TRUE(WaitFor([&] { return messages.count() == 2; }));
    ASSERT_TRUE(TabInto(window, messages));
    EXPECT_EQ(Sent(), Lines{});
    QTest::mouseClick(messages.viewport(), Qt::LeftButton, {},
                      messages.visualItemRect(messages.item(1)).center());
    EXPECT_EQ(Sent(), Lines{"14 5 1|"});
}

// An index far longer than any game's fills its list only up to the limit, and the client
// log says so; a help.ndx that long is cut the same way.
TEST_F(ToolWindowsHubTest, IndexesLongerThanTheLimitFillTheirListsOnlyUpToIt) {
    const std::size_t over = kMaxIndexEntries + 5;
    std::vector<std::string> names;
    std::string helpFile;
    for (std::size_t i = 0; i < over; ++i) {
        names.push_back(std::to_string(i));
        helpFile += "topic " + names.back() + "\r\n";
    }
    WriteFile(data.Path("profiles/hero/help.ndx"), helpFile);
    ASSERT_TRUE(Connect());
    hub.RestoreToolWindows();
    const int limit = static_cast<int>(kMaxIndexEntries);
    EXPECT_EQ(hub.HelpWindow().TopicList().count(), limit);

    std::vector<std::pair<std::int32_t, std::string>> boards;
    for (std::size_t i = 0; i < over; ++i)
        boards.emplace_back(static_cast<std::int32_t>(i), names[i]);
    struct Row {
        std::string frame;
        QListWidget& list;
        std::string logLine;
    };
    const std::string count = std::to_string(over);
    const Row rows[] = {
        {Frame(IncomingType::helpindex_reply, "8 " + count, {}, Records(8, names)),
         hub.HelpWindow().TopicList(), "Help index cut to its first 10000 entries."},
        {Frame(IncomingType::bindex_reply, count, {}, BoardRecords(boards)),
         hub.BoardsWindow().BoardList(), "Board index cut to its first 10000 entries."},
        {Frame(IncomingType::msgindex_reply, count, {}, Records(kMessageEntryBytes, names)),
         hub.BoardsWindow().MessageList(), "Message index cut to its first 10000 entries."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.logLine);
        row.list.clear();
        server.Send(row.frame);
        EXPECT_TRUE(WaitFor([&] { return row.list.count() >= limit; }));
        EXPECT_EQ(row.list.count(), limit);
        EXPECT_NE(hub.Log().Text().find(row.logLine), std::string::npos);
    }
}

// Dragged anywhere, a divider stays where it can be grabbed again; at its smallest a
// window still gives every part a size.
TEST_F(ToolWindowsHubTest, DividersStayInsideTheirWindows) {
    hub.RestoreToolWindows();
    for (ToolWindow* window : {static_cast<ToolWindow*>(&hub.BoardsWindow()),
                               static_cast<ToolWindow*>(&hub.HelpWindow())}) {
        SCOPED_TRACE(window->windowTitle().toStdString());
        window->Toggle();
        window->resize(600, 480);
        for (Divider* divider : window->findChildren<Divider*>()) {
            SCOPED_TRACE(divider->windowTitle().toStdString());
            for (int far : {5000, -5000}) {
                const QPoint grab(2, 2);
                const QPoint drop = divider->Horizontal() ? QPoint(2, far) : QPoint(far, 2);
                QTest::mousePress(divider, Qt::LeftButton, {}, grab);
                QTest::mouseRelease(divider, Qt::LeftButton, {}, drop);
                EXPECT_TRUE(window->rect().contains(divider->geometry()))
                    << divider->geometry().y() << " " << divider->geometry().x();
            }
        }
        window->resize(window->minimumSize());
        window->resize(1, 1); // the minimum size holds
        for (QWidget* part : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (part->isWindow() || !part->isVisible()) continue;
            EXPECT_GE(part->width(), 0) << part->metaObject()->className();
            EXPECT_TRUE(window->rect().contains(part->geometry()))
                << part->metaObject()->className() << " " << part->accessibleName().toStdString();
        }
        window->hide();
    }
}

TEST_F(ToolWindowsHubTest, FontChosenForTheTextIsKeptInTheStoredValues) {
    hub.RestoreToolWindows();
    struct Row {
        ToolWindow& window;
        ScreenWidget& text;
        FontSpec& stored;
    };
    const Row rows[] = {{hub.BoardsWindow(), hub.BoardsWindow().TextWidget(), stored.brdfont},
                        {hub.HelpWindow(), hub.HelpWindow().TextWidget(), stored.helpfont}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.window.windowTitle().toStdString());
        row.window.Toggle();
        script.Then([](QWidget* w) {
            auto* dialog = qobject_cast<QFontDialog*>(w);
            ASSERT_NE(dialog, nullptr) << w->metaObject()->className();
            QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
            font.setPixelSize(17);
            dialog->setCurrentFont(font);
            dialog->accept();
        });
        Named<QPushButton>(row.window, "Font...")->click();
        EXPECT_TRUE(script.Done());
        EXPECT_EQ(row.stored.height, -17);
        EXPECT_TRUE(SameFontSpec(row.text.ScreenFont(), row.stored));
        row.window.hide();
    }
}

} // namespace
} // namespace tav::test
