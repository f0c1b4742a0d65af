#pragma once

// Before any Qt header: the session headers use names Qt defines as macros ("slots").
#include "term/TermSession.h"

#include "AppTestSupport.h"
#include "app/ClientHub.h"
#include "app/MainFrame.h"
#include "app/MenuCommands.h"
#include "app/StatusBar.h"
#include "client/MessageType.h"
#include "term/qt/InputLine.h"
#include "tests/client/ConnectionTestSupport.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/WidgetLookup.h"
#include "triggers/TriggerList.h"
#include "windows/ServerEditDialog.h"
#include "windows/TermWindow.h"

#include <QAccessible>
#include <QInputDialog>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace tav::test {

// The settings that log in as "hero" to the loopback at `port`.
inline void LogInAsHero(Settings& settings, int port) {
    CopyField(settings.user, "hero");
    CopyField(settings.passwd, "secret");
    CopyField(settings.addy, "127.0.0.1");
    CopyField(settings.port, std::to_string(port).c_str());
}

inline QStringList Rows(const QListWidget& list) {
    QStringList rows;
    for (int i = 0; i < list.count(); ++i)
        rows << list.item(i)->text();
    return rows;
}

// Waits for `peer` to be reached and `connected` to hold, then takes the login off the wire.
inline ::testing::AssertionResult LoggedIn(LoopbackServer& peer,
                                           const std::function<bool()>& connected) {
    if (!peer.Accept()) return ::testing::AssertionFailure() << "no connection arrived";
    if (!WaitFor(connected)) return ::testing::AssertionFailure() << "never connected";
    peer.Read();
    return ::testing::AssertionSuccess();
}

// Answers a text input dialog with `text` (a null one takes what it proposes), or cancels
// it; `seen` gets "title | label | proposed text".
inline ModalScript::Step AnswerInput(const QString& text, QString* seen = nullptr,
                                     bool accept = true) {
    return In<QInputDialog>([=](QInputDialog& dialog) {
        if (seen)
            *seen = dialog.windowTitle() + " | " + dialog.labelText() + " | " + dialog.textValue();
        if (!accept) return dialog.reject();
        if (!text.isNull()) dialog.setTextValue(text);
        dialog.accept();
    });
}

// Finds the edit dialog, records "heading | text" in `seen`, and lets `act` end it.
inline ModalScript::Step InEditor(std::function<void(tmarrowedit&)> act, QString* seen = nullptr) {
    return In<tmarrowedit>([act, seen](tmarrowedit& dialog) {
        if (seen) *seen = dialog.Heading().text() + " | " + dialog.Text().toPlainText();
        act(dialog);
    });
}
inline void TypeAndFinish(tmarrowedit& dialog, const QString& text) {
    dialog.Text().setPlainText(text);
    QTest::mouseClick(&dialog.DoneButton(), Qt::LeftButton);
}

// Every control a screen reader can land on under `window` that has no name: neither its
// own words, nor its label's, nor its group's. Each as the path of roles down to it.
inline std::vector<std::string> UnnamedControls(QWidget& window) {
    static const QSet<QAccessible::Role> kControls = {
        QAccessible::PushButton,   QAccessible::CheckBox, QAccessible::RadioButton,
        QAccessible::EditableText, QAccessible::ComboBox, QAccessible::List,
        QAccessible::Table,        QAccessible::Tree,     QAccessible::SpinBox,
        QAccessible::ProgressBar,  QAccessible::Terminal, QAccessible::MenuItem};
    std::vector<std::string> unnamed;
    const std::function<void(QAccessibleInterface*, const std::string&)> walk =
        [&](QAccessibleInterface* iface, const std::string& path) {
            if (!iface || iface->state().invisible) return;
            const std::string here = path + "/" + std::to_string(iface->role());
            if (kControls.contains(iface->role()) &&
                iface->text(QAccessible::Name).trimmed().isEmpty() &&
                iface->relations(QAccessible::Label).isEmpty())
                unnamed.push_back(here);
            for (int i = 0; i < iface->childCount(); ++i)
                walk(iface->child(i), here);
        };
    walk(QAccessible::queryAccessibleInterface(&window), "");
    return unnamed;
}

// The main frame over a scratch data directory.
class FrameTest : public ::testing::Test {
protected:
    // The frame goes first, before the peers of a fixture built on this one.
    void TearDown() override { frame.reset(); }
    // Lists the profiles (CR LF lines) and makes "hero" and "alt" directories.
    void ListProfiles(const QByteArray& list = "hero\r\n") {
        ASSERT_TRUE(WriteBytes(data.Path("profiles.cfg"), list));
        for (const char* dir : {"profiles/hero", "profiles/alt"})
            QDir(data.Path()).mkpath(dir);
    }
    // "hero" listed and configured, the frame built and started on it.
    void StartConfigured(const ProfileSettings& profile = {}) {
        ListProfiles();
        ASSERT_TRUE(WriteConfiguredProfile(data.Path(), "hero", profile));
        MakeFrame();
        ASSERT_TRUE(frame->Start());
    }
    void MakeFrame() {
        frame = std::make_unique<TSDIDecFrame>(settings, stored, triggers);
        frame->show();
    }
    // Connects the Term port from the menu to `peer`, as "hero", and empties the wire.
    ::testing::AssertionResult ConnectTerm(LoopbackServer& peer) {
        return Connect(kCmTermConnect, peer.Port(), peer,
                       [&] { return frame->Term().Session().Connected(); });
    }
    // The same for the Client port (the Term port's next one).
    ::testing::AssertionResult ConnectClient(LoopbackServer& peer) {
        return Connect(kCmClientConnect, peer.Port() - 1, peer,
                       [&] { return frame->Client().Connection().IsConnected(); });
    }
    ::testing::AssertionResult Connect(int command, int port, LoopbackServer& peer,
                                       const std::function<bool()>& connected) {
        LogInAsHero(settings, port);
        frame->OnCommand(command);
        return LoggedIn(peer, connected);
    }
    std::string ScreenText() { return frame->Term().MainScreen().GetAllText(); }
    // Types a line into the input line and presses Enter.
    void Type(const QString& line) {
        tinedit& input = frame->Term().InputLine();
        input.setText(line);
        QTest::keyClick(&input, Qt::Key_Return);
    }

    ScratchDataDir data;
    Settings settings{};
    StoredValues stored = StoredValues::Defaults();
    TriggerList triggers;
    ModalScript script;
    std::unique_ptr<TSDIDecFrame> frame;
};

inline std::string Frame(IncomingType type, std::string_view text1 = {},
                         std::string_view text2 = {}, std::string_view data = {}) {
    return ServerFrame(static_cast<std::int32_t>(type), text1, text2, data);
}

// The Client connection as the desktop holds it, logged in as "hero" to a game on the
// loopback, with the terminal window it feeds.
class HubTest : public ::testing::Test {
protected:
    HubTest() {
        LogInAsHero(settings, server.Port() - 1);
        for (const char* dir : {"binary", "text", "profiles/hero", "profiles/other"})
            QDir(data.Path()).mkpath(dir);
        term.ProfileName() = "hero";
    }

    ::testing::AssertionResult Connect() {
        hub.Connection().Connect();
        return LoggedIn(server, [&] { return hub.Connection().IsConnected(); });
    }
    bool Logged(const std::string& line) {
        return WaitFor([&] { return hub.Log().Text().find(line + "\r\n") != std::string::npos; });
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

} // namespace tav::test
