// The desktop program against real peers from the system: a TinyMUX game behind a relay
// that records what was negotiated, reached in clear text and through stunnel with
// certificates made here, whose trust the player decides.
#include "FrameTestSupport.h"

#include "MuxProcess.h"
#include "app/ConnectionIndicator.h"
#include "settings/ProfileOptions.h"

namespace tav::test {
namespace {

bool Has(const QByteArray& bytes, std::string_view part) {
    return bytes.contains(QByteArray(part.data(), static_cast<qsizetype>(part.size())));
}

class TinyMuxEndToEnd : public FrameTest {
protected:
    void SetUp() override {
        for (const QString& program : {"openssl", "stunnel4", "python3"})
            if (Program(program).isEmpty())
                GTEST_SKIP() << program.toStdString() << " is not installed";
        if (!TinyMux::Installed()) GTEST_SKIP() << "tinymux is not installed";
        peers = data.Path("peers");
        ASSERT_TRUE(QDir().mkpath(peers));
        ASSERT_TRUE(mux.Start(peers)) << "TinyMUX never listened";
        first = MakeCertificate(peers, "first");
        ASSERT_FALSE(first.isEmpty());
        ASSERT_TRUE(relay.Start(peers, mux.Port()));
        ASSERT_TRUE(stunnel.Start(peers, relay.Port(), "first")) << stunnel.Log().toStdString();

        ProfileSettings profile;
        CopyField(profile.settings.addy, "127.0.0.1");
        CopyField(profile.settings.port, std::to_string(relay.Port()).c_str());
        StartConfigured(profile);
    }

    TermSession& session() { return frame->Term().Session(); }
    std::string_view Recent() { return session().RecentText(); }
    // How often the lines received so far hold `part`.
    int Seen(std::string_view part) {
        return static_cast<int>(QByteArrayView(Recent()).count(part));
    }
    // Waits until the lines received so far hold `part` `times` times.
    bool WaitForText(std::string_view part, int times = 1) {
        return WaitFor([&] { return Seen(part) >= times; });
    }
    int Logins() { return mux.Log().count("Connected to Wizard(#1)"); }
    // Connects from the menu; true once connected, false once the attempt has ended without.
    bool ConnectTerm() {
        const int ended = Seen("Connect()\r\n");
        frame->OnCommand(kCmTermConnect);
        EXPECT_TRUE(
            WaitFor([&] { return session().Connected() || Seen("Connect()\r\n") > ended; }));
        return session().Connected();
    }
    // Logs in once TinyMUX has had the client's answers: it asks for the terminal type and
    // the character set only after its welcome, takes what is typed before them as coming
    // from an unknown terminal, and sends Latin-1 until the character set is agreed.
    void LogIn() {
        ASSERT_TRUE(WaitForText("Welcome to TinyMUX", ++welcomes)) << Recent();
        ASSERT_TRUE(WaitFor([&] {
            return relay.FromClient().count("\xFF\xFA\x2A\x02UTF-8\xFF\xF0") >= welcomes;
        })) << "CHARSET ACCEPTED UTF-8 never sent";
        const int before = Logins();
        Type("connect wizard potrzebie");
        ASSERT_TRUE(WaitFor([&] { return Logins() > before; })) << mux.Log().toStdString();
    }
    QByteArray TrustedFile() {
        return ReadAll(data.Path("profiles/hero/trusted-certificates.cfg"));
    }

    QString peers, first;
    TinyMux mux;
    Stunnel stunnel;
    RecordingRelay relay;
    int welcomes = 0;
};

// A UTF-8 profile in full colour, in clear text through the relay, then through stunnel.
TEST_F(TinyMuxEndToEnd, NegotiatesOptionsShowsUnicodeInColourThenConnectsSecurelyIfTrusted) {
    ProfileOptions options = frame->Term().Options();
    options.encoding = TextEncoding::Utf8;
    options.colours = ColourMode::Full;
    ASSERT_TRUE(frame->Term().SetOptions(options));
    ASSERT_TRUE(ConnectTerm());
    ASSERT_NO_FATAL_FAILURE(LogIn());
    // TinyMUX gets the screen's size and the client's name.
    Type("think W=[width(me)] T=[terminfo(me)]");
    const std::string columns = std::to_string(frame->Term().MainScreen().Columns());
    ASSERT_NE(columns, "78");
    ASSERT_TRUE(WaitForText("W=" + columns + " T=")) << Recent();
    EXPECT_TRUE(WaitForText("T=TAVCLIENT")) << Recent();
    EXPECT_TRUE(Has(relay.FromClient(), {"\xFF\xFA\x18\x00TAVCLIENT\xFF\xF0", 15}))
        << "TTYPE IS TAVCLIENT";

    // Characters beyond Latin-1 fill one cell each, a CJK one two cells, and the xterm
    // colour TinyMUX picks for an RGB colour colours its word. Without both flags it sends
    // no colour, then only the eight basic ones.
    Type("@set me=ANSI");
    Type("@set me=COLOR256");
    Type("think X=[chr(233)] [chr(8364)] [chr(20013)][chr(25991)] [ansi(<#FF8040>,orange)].");
    ASSERT_TRUE(WaitForText("orange.\r\n")) << Recent();
    EXPECT_TRUE(Has(relay.FromGame(), "\xE4\xB8\xAD\xE6\x96\x87 \x1B[38;5;209morange\x1B[0m."));
    const TMudScreen& screen = frame->Term().MainScreen();
    int n = screen.BufferLine();
    while (n > 0 && std::u32string_view(screen.Line(n).ch, 2) != U"X=")
        --n;
    const ScreenLine& line = screen.Line(n);
    EXPECT_EQ(std::u32string(line.ch, 18), std::u32string(U"X=\u00E9 \u20AC \u4E2D") + kWideTail +
                                               U'\u6587' + kWideTail + U" orange.")
        << Recent();
    const CellColor orange = ExplicitCellColor(0x5F87FF); // xterm 209: (255, 135, 95)
    for (const int column : {10, 11, 16, 17})
        EXPECT_EQ(line.TextColor(column), column == 10 || column == 17 ? 0 : orange) << column;
    EXPECT_FALSE(session().Secure());
    frame->OnCommand(kCmTermDisconnect);
    ASSERT_TRUE(WaitFor([&] { return !session().Connected(); }));

    // Secure, through stunnel, as the More options dialog leaves the profile.
    options.tls = true;
    options.tlsPort = stunnel.Port();
    ASSERT_TRUE(frame->Term().SetOptions(options));
    const QString where = QStringLiteral("127.0.0.1:%1").arg(stunnel.Port());

    // Not trusted: no connection and nothing stored.
    QString asked;
    script.Then(AnswerBox(&asked, QMessageBox::No));
    EXPECT_FALSE(ConnectTerm());
    EXPECT_TRUE(script.Done());
    EXPECT_TRUE(asked.startsWith("Unverified certificate | The certificate of " + where))
        << asked.toStdString();
    EXPECT_TRUE(asked.contains(first)) << asked.toStdString();
    EXPECT_TRUE(WaitForText("The server's certificate was not accepted.\r\n")) << Recent();
    EXPECT_TRUE(TrustedFile().isEmpty());
    EXPECT_EQ(frame->Status().TermIndicator().Image(), 0);

    // Trusted: a secure connection, the fingerprint kept, and the game behind it.
    script.Then(AnswerBox(nullptr, QMessageBox::Yes));
    ASSERT_TRUE(ConnectTerm()) << Recent();
    EXPECT_TRUE(script.Done());
    EXPECT_TRUE(session().Secure());
    EXPECT_EQ(frame->Status().TermIndicator().Image(), 2);
    EXPECT_EQ(TrustedFile(), (where + " " + first + "\n").toLatin1());
    ASSERT_NO_FATAL_FAILURE(LogIn());
    Type("think S=[terminfo(me)]");
    EXPECT_TRUE(WaitForText("S=TAVCLIENT")) << Recent();
    // The game hangs up: the secure connection ends quietly, the program goes on.
    Type("QUIT");
    ASSERT_TRUE(WaitFor([&] { return !session().Connected(); }));
    EXPECT_EQ(frame->Status().TermIndicator().Image(), 0);

    // The game behind stunnel is down: stunnel resets the connection it has just accepted
    // (the certificate, trusted now, asks nothing), and the program outlives the reset.
    relay.Stop();
    const int closes = Seen("TavTerm disconnecting...");
    frame->OnCommand(kCmTermConnect);
    ASSERT_TRUE(WaitForText("TavTerm disconnecting...", closes + 1)) << Recent();
    EXPECT_FALSE(session().Connected());
    EXPECT_EQ(frame->Status().TermIndicator().Image(), 0);

    // Another certificate on the same port: both fingerprints and where they are kept, No
    // the default; the player trusts the new one. (The game behind is still down, so the
    // connection is made and then reset at once.)
    const QString second = MakeCertificate(peers, "second");
    ASSERT_FALSE(second.isEmpty());
    ASSERT_TRUE(stunnel.Restart("second")) << stunnel.Log().toStdString();
    QString changed, preset;
    script.Then(In<QMessageBox>([&](QMessageBox& box) {
        changed = box.windowTitle() + " | " + box.text();
        preset = box.defaultButton()->text();
        ButtonText(&box, "Trust the new certificate")->click();
    }));
    const int secured = Seen("Secure connection (");
    frame->OnCommand(kCmTermConnect);
    EXPECT_TRUE(WaitForText("Secure connection (", secured + 1)) << Recent();
    EXPECT_TRUE(script.Done());
    EXPECT_TRUE(changed.startsWith("Certificate changed | The certificate of " + where))
        << changed.toStdString();
    EXPECT_TRUE(changed.contains("Trusted: " + first + "\nNow:     " + second))
        << changed.toStdString();
    EXPECT_TRUE(changed.contains(data.Path("profiles/hero/trusted-certificates.cfg")))
        << changed.toStdString();
    EXPECT_EQ(preset, "No");
    EXPECT_EQ(TrustedFile(), (where + " " + second + "\n").toLatin1());
}

} // namespace
} // namespace tav::test
