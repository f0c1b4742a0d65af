// The frame's edit commands with real connections on the loopback: the server's edit
// request answered on the wire however the dialog ends, and the multi-line send.
// Before any Qt header: the session headers use names Qt defines as macros ("slots").
#include "FrameTestSupport.h"

#include "client/ServerEdit.h"
#include "settings/Latin1Text.h"

namespace tav::test {
namespace {

using namespace std::chrono_literals;

class FrameEditTest : public FrameTest {
protected:
    void SetUp() override { StartConfigured(); }
    // The data of the next edit_reply the peer receives, its NUL included.
    std::string NextEditReply() {
        std::string bytes;
        std::vector<ClientMessage> frames;
        WaitFor([&] {
            bytes += clientPeer.Read(50ms);
            frames = ParseFrames(bytes);
            return !frames.empty();
        });
        if (frames.size() != 1 || frames[0].Type() != 8) return "<no single edit_reply>";
        return std::string(frames[0].Data().begin(), frames[0].Data().end());
    }

    LoopbackServer clientPeer;
    LoopbackServer termPeer;
};

// How each ending of the dialog is answered is the edit flow's and the dialog's tests'
// business; here the frame's part: the keyboard back in the input line, or with "minimize
// on edit" the frame minimised after the reply.
TEST_F(FrameEditTest, AfterTheReplyTheInputLineHasTheKeyboardOrTheFrameIsMinimised) {
    ASSERT_TRUE(ConnectClient(clientPeer));
    for (const bool minimize : {false, true}) {
        SCOPED_TRACE(minimize);
        settings.minimizeonedit = minimize ? 1 : 0;
        QString seen;
        script.Then(InEditor([](tmarrowedit& d) { TypeAndFinish(d, "A short\ndwarf."); }, &seen));
        clientPeer.Send(
            Frame(IncomingType::edit_request, "Your\r\ndescription", "", "A tall\r\nelf."));
        EXPECT_EQ(NextEditReply(), std::string("A short\r\ndwarf.") + '\0');
        EXPECT_EQ(seen, "Your  description | A tall\nelf.");
        EXPECT_TRUE(WaitFor([&] { return !frame->Client().Edits().Busy(); }));
        if (minimize) {
            EXPECT_TRUE(WaitFor([&] { return frame->isMinimized(); }));
        } else {
            EXPECT_TRUE(WaitFor([&] { return frame->Term().InputLine().hasFocus(); }));
            EXPECT_FALSE(frame->isMinimized());
        }
    }
}

// Without a connection the multi-line send says so; connected, it sends the text with its
// own line ends and echoes it.
TEST_F(FrameEditTest, MultiLineSendSendsTheTextWithItsOwnLineEndsAndEchoesIt) {
    QPushButton& mlSend = frame->Term().MlSendButton();
    mlSend.click();
    EXPECT_NE(ScreenText().find("Not connected..."), std::string::npos);

    ASSERT_TRUE(ConnectTerm(termPeer));
    // Longer than the 1021 bytes an old send path cut at: it still arrives whole.
    QString lines;
    for (int i = 0; i < 60; ++i)
        lines += QStringLiteral("say line %1 of a long speech\n").arg(i, 2, 10, QChar('0'));
    lines += QStringLiteral("smile");
    std::string expected = ToGameLineEnds(QStringToLatin1(lines));
    ASSERT_GT(expected.size(), 1021u);

    QString seen;
    script.Then(InEditor([&lines](tmarrowedit& d) { TypeAndFinish(d, lines); }, &seen));
    mlSend.click();
    EXPECT_EQ(seen, QString::fromLatin1(kMultiLinePrompt.data(), kMultiLinePrompt.size()) + " | ");
    std::string received;
    EXPECT_TRUE(WaitFor([&] {
        received += termPeer.Read(50ms);
        return received.size() >= expected.size();
    }));
    EXPECT_EQ(received, expected);
    EXPECT_NE(ScreenText().find("say line 59 of a long speech"), std::string::npos) << "echoed";
    EXPECT_TRUE(WaitFor([&] { return frame->Term().InputLine().hasFocus(); }));

    // Closed without "Done", or done empty: nothing is sent.
    script.Then(InEditor([](tmarrowedit& d) { d.reject(); }));
    mlSend.click();
    script.Then(InEditor([](tmarrowedit& d) { TypeAndFinish(d, ""); }));
    mlSend.click();
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(termPeer.Read(200ms), "");

    // Each dialog holds its own text: an edit request that comes while the multi-line send is
    // open is answered from its own text, and the multi-line text is still there afterwards.
    ASSERT_TRUE(ConnectClient(clientPeer));
    QString second;
    script.Then(InEditor([this](tmarrowedit& d) {
        d.Text().setPlainText("typed for the game");
        clientPeer.Send(Frame(IncomingType::edit_request, "Server", "", "server text"));
    }));
    script.Then(InEditor([](tmarrowedit& d) { QTest::mouseClick(&d.DoneButton(), Qt::LeftButton); },
                         &second));
    script.Then(InEditor([](tmarrowedit& d) {
        EXPECT_EQ(d.Text().toPlainText(), "typed for the game");
        QTest::mouseClick(&d.DoneButton(), Qt::LeftButton);
    }));
    QTimer::singleShot(0, [this] { frame->Term().MlSendButton().click(); });
    EXPECT_EQ(NextEditReply(), std::string("server text") + '\0');
    EXPECT_EQ(second, "Server | server text");
    received.clear();
    EXPECT_TRUE(WaitFor([&] {
        received += termPeer.Read(50ms);
        return received == "typed for the game";
    })) << received;
    EXPECT_TRUE(WaitFor([&] { return script.Done(); }));
}

} // namespace
} // namespace tav::test
