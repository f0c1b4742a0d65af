// The help index and boards windows as the desktop holds them: driven by their controls
// against a game on the loopback, each request checked on the wire and each reply in the
// window it belongs to.
// Before any Qt header: the session headers use names Qt defines as macros ("slots").
#include "app/ClientHub.h"

#include "AppTestSupport.h"
#include "app/StatusBar.h"
#include "client/MessageType.h"
#include "tests/client/ConnectionTestSupport.h"
#include "triggers/TriggerList.h"
#include "windows/HelpIndexWindow.h"
#include "windows/TermWindow.h"

#include <QListWidget>
#include <QPushButton>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <fstream>

namespace tav::test {
namespace {

std::string Frame(IncomingType type, std::string_view text1 = {}, std::string_view text2 = {},
                  std::string_view data = {}) {
    return ServerFrame(static_cast<std::int32_t>(type), text1, text2, data);
}

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

std::vector<std::string> Items(const QListWidget& list) {
    std::vector<std::string> items;
    for (int i = 0; i < list.count(); ++i)
        items.push_back(list.item(i)->text().toStdString());
    return items;
}

template <typename T> T* Control(QWidget& window, const QString& name) {
    for (T* child : window.findChildren<T*>())
        if (child->accessibleName() == name) return child;
    return nullptr;
}

class ToolWindowsHubTest : public ::testing::Test {
protected:
    ToolWindowsHubTest() {
        CopyField(settings.user, "hero");
        CopyField(settings.passwd, "secret");
        CopyField(settings.addy, "127.0.0.1");
        CopyField(settings.port, std::to_string(server.Port() - 1).c_str());
        for (const char* dir : {"binary", "text", "profiles/hero", "profiles/other"})
            QDir(data.Path()).mkpath(dir);
        term.ProfileName() = "hero";
    }

    ::testing::AssertionResult Connect() {
        hub.Connection().Connect();
        if (!server.Accept()) return ::testing::AssertionFailure() << "no connection arrived";
        if (!WaitFor([&] { return hub.Connection().IsConnected(); }))
            return ::testing::AssertionFailure() << "never connected";
        server.Read();
        return ::testing::AssertionSuccess();
    }
    // The frames sent since the last call, as "type text1|text2".
    std::vector<std::string> Sent() {
        std::vector<std::string> lines;
        for (const ClientMessage& m : ParseFrames(server.Read(std::chrono::milliseconds(150))))
            lines.push_back(std::to_string(m.Type()) + " " + std::string(m.Text1()) + "|" +
                            std::string(m.Text2()));
        return lines;
    }
    static std::string FileBytes(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
    }
    static void WriteFile(const QString& path, const std::string& bytes) {
        std::ofstream(path.toStdString(), std::ios::binary) << bytes;
    }

    ScratchDataDir data;
    LoopbackServer server;
    Settings settings{};
    StoredValues stored = StoredValues::Defaults();
    TriggerList triggers;
    StatusBar status;
    tmudterm term{settings, stored, triggers, status};
    ClientHub hub{settings, term, status, &term};
    ModalScript script;
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
         [&] { Control<QPushButton>(help, "Download new index")->click(); },
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
        if (!step.ndx.empty()) EXPECT_EQ(FileBytes(data.Path("profiles/hero/help.ndx")), step.ndx);
    }

    server.Send(Frame(IncomingType::helpfile_reply, {}, {}, "Alpha: the first letter."));
    EXPECT_TRUE(WaitFor([&] {
        return help.Screen().GetAllText().find("Alpha: the first letter.") != std::string::npos;
    }));
    EXPECT_EQ(list.accessibleName(), "Help Index");
    EXPECT_EQ(help.accessibleName(), "TavClient HelpIndex");
    for (const char* name : {"Close", "Font..."})
        EXPECT_NE(Control<QPushButton>(help, name), nullptr) << name;
    Control<QPushButton>(help, "Close")->click();
    EXPECT_FALSE(help.isVisible());
}

} // namespace
} // namespace tav::test
