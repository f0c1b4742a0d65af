#include "FrameTestSupport.h"

#include "app/MainMenu.h"
#include "settings/ConfigDialog.h"
#include "settings/QuickConnectDialog.h"

#include <QSpinBox>

namespace tav::test {
namespace {

// Fills the game dialog by its fields' names and presses Connect.
ModalScript::Step FillGame(const QString& name, int port, const QString& character = {}) {
    return In<QuickConnectDialog>([=](QuickConnectDialog& dialog) {
        for (const auto& [field, text] :
             {std::pair{"Game name", name}, std::pair{"Host", QStringLiteral("127.0.0.1")},
              std::pair{"Character (optional)", character}}) {
            Named<QLineEdit>(&dialog, field)->clear();
            QTest::keyClicks(Named<QLineEdit>(&dialog, field), text);
        }
        Named<QSpinBox>(&dialog, "Port")->setValue(port);
        Named<QAbstractButton>(&dialog, "Connect")->click();
    });
}

// From the menu to a real peer: the new profile's files, the connection at once, a
// configuration OK without edits, and a name already taken refused without a change.
TEST_F(FrameTest, ConnectToAGameMakesAProfileThatConnectsAndConfigTakesAsItIs) {
    StartConfigured();
    LoopbackServer peer;
    script.Then(FillGame("Other World", peer.Port()));
    frame->Menu().Action(kCmQuickConnect)->trigger();
    ASSERT_TRUE(LoggedIn(peer, [&] { return frame->Term().Session().Connected(); }));
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(frame->windowTitle(), "TavClient - Other World");
    EXPECT_TRUE(FileBytes(data.Path("profiles.cfg")).endsWith("hero\r\nOther World\r\n"));
    EXPECT_EQ(FileBytes(data.Path("profiles/Other World/options.cfg")),
              "encoding=utf8\nautoreconnect=0\ncolours=full\ntabcomplete=1\ngaprompts=1\n"
              "othergame=1\n");
    const QByteArray saved = FileBytes(data.Path("profiles/Other World/tav.cfg"));
    for (const QByteArray& line :
         QList<QByteArray>{"addy:127.0.0.1\r\n", "port:" + QByteArray::number(peer.Port()) + "\r\n",
                           "user:\r\n", "10000 100 0 0 1\r\n"})
        EXPECT_TRUE(saved.contains(line)) << line.toStdString();
    EXPECT_TRUE(frame->Term().MainScreen().autowrap);

    script.Then(
        In<tmarrowcfg>([](tmarrowcfg& dialog) { Named<QAbstractButton>(&dialog, "OK")->click(); }));
    frame->OnCommand(kCmConfig);
    EXPECT_TRUE(script.Done());
    EXPECT_NE(frame->Client().Log().Text().find("Configuration saved."), std::string::npos);

    QString said;
    script.Then(FillGame("hero", peer.Port()));
    script.Then(AnswerBox(&said));
    script.Then(In<QuickConnectDialog>([](QuickConnectDialog& dialog) { dialog.reject(); }));
    frame->OnCommand(kCmQuickConnect);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(said, "Error... | A profile named hero exists already: give the game another name.");
    EXPECT_EQ(frame->windowTitle(), "TavClient - Other World");
    EXPECT_TRUE(frame->Term().Session().Connected());
}

} // namespace
} // namespace tav::test
