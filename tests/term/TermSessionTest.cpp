#include "term/TermSession.h"
#include "settings/ConfigValidation.h"
#include "tests/term/SessionHarness.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace tav {
namespace {

using namespace std::chrono_literals;

struct SessionFixture : ::testing::Test, test::SessionHarness {
    void SetUp() override { Open(Recorded()); }
};

// A port the configuration dialog takes is one the connection opens: OK never keeps a
// port that Connect then calls invalid.
TEST_F(SessionFixture, AddressAndPortAreValidatedAsTheConfigurationValidatesThem) {
    CopyField(settings.user, "bob");
    CopyField(settings.passwd, "pw");
    settings.midiinternal = 1;
    CopyField(settings.modplayer, "modplay");
    CopyField(settings.mp3player, "mp3play");
    CopyField(settings.scrolllines, "500");
    CopyField(settings.inputlines, "100");
    // The box is empty for a valid address and port.
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"", "4000", "Error... You must enter the IP address to connect to."},
        {"host", "", "Error... You must enter the port to connect to."},
        {"host", "0", "Warning... Invalid port."},
        {"host", "1", ""},
        {"host", "31999", ""},
        {"host", "32000", "Warning... Invalid port."},
        {"host", "abc", "Warning... Invalid port."},
        {"host", "99999999999999", "Warning... Invalid port."},
    };
    for (const auto& [addy, port, box] : cases) {
        rec.shown.clear();
        CopyField(settings.addy, addy);
        CopyField(settings.port, port);
        EXPECT_EQ(session->ValidateAddress(), !*box) << port;
        EXPECT_EQ(rec.shown, *box ? std::vector<std::string>{box} : std::vector<std::string>{});
        if (!*addy || !*port) continue; // the configuration has its own messages for these
        EXPECT_EQ(ValidateConfig(settings).error.value_or(""), *box ? "Invalid port." : "") << port;
    }
}

TEST_F(SessionFixture, ConnectsByNameSendsSplitsCommandsAndMasksPasswords) {
    CopyField(settings.addy, "localhost");
    Connect();
    EXPECT_TRUE(Shown("Connecting to localhost " + std::to_string(server.Port()) + " ...\r\n"));
    EXPECT_EQ(rec.termStates, std::vector<bool>{true});

    Type("look");
    EXPECT_EQ(server.Read(), "look\n");
    EXPECT_TRUE(Shown("look\r\n"));
    EXPECT_EQ(session->History().Slot(session->History().Slots() - 1), "look");
    rec.typed = std::nullopt; // an empty Enter sends a bare line feed
    session->SubmitInput();
    EXPECT_EQ(server.Read(), "\n");

    // Only ';'-ended segments are sent, and only non-empty ones echoed.
    const std::pair<const char*, const char*> commands[] = {
        {"who", ""}, {"who;", "who\n"}, {";;", "\n\n"}, {";1;who;", "\n1\nwho\n"}, {"", ""},
    };
    for (const auto& [string, sent] : commands) {
        session->SendCommandString(string);
        EXPECT_EQ(server.Read(100ms), sent) << string;
    }
    session->SendCommandString("x;;");
    EXPECT_TRUE(Shown("x\r\n"));
    EXPECT_EQ(server.Read(100ms), "x\n\n");

    // The server's echo request masks the input and keeps the password out of history.
    Receive("Password: \xff\xfb\x01");
    EXPECT_EQ(rec.masks, std::vector<bool>{true});
    EXPECT_FALSE(session->InputVisible());
    // Text without an echo command, in a read of its own, leaves the input masked.
    server.Send("(letters only)\r\nPassword: ");
    ASSERT_TRUE(loop.RunUntil([&] { return Shown("(letters only)\r\n"); }, 5s));
    EXPECT_EQ(rec.masks, std::vector<bool>{true});
    EXPECT_FALSE(session->InputVisible());
    const int historyIndex = session->History().Index();
    Type("secret");
    EXPECT_EQ(server.Read(), "secret\n");
    EXPECT_FALSE(Shown("secret"));
    for (int k = 0; k < session->History().Slots(); ++k)
        EXPECT_NE(session->History().Slot(k), "secret");
    EXPECT_EQ(session->History().Index(), historyIndex);
    Receive("\xff\xfc\x01Welcome!\r\n");
    EXPECT_EQ(rec.masks, (std::vector<bool>{true, false}));
    EXPECT_TRUE(session->InputVisible());
    settings.neverhidepw = 1;
    Receive("\xff\xfb\x01");
    EXPECT_EQ(rec.masks.size(), 2u);
    EXPECT_TRUE(session->InputVisible());

    // The connect was quick: once a slow one would have been shown, nothing says it waits.
    bool waited = false;
    loop.SingleShot(kStalledConnectMs, [&] { waited = true; });
    ASSERT_TRUE(loop.RunUntil([&] { return waited; }, 5s));
    for (const std::string& message : rec.messages)
        EXPECT_EQ(message.find("still connecting"), std::string::npos) << message;
}

TEST_F(SessionFixture, SpecialWordsAreNeverSentAndAfterThePeerLeavesNothingIs) {
    Connect();
    Type("_Connect"); // case matters: this is an ordinary '_' word, shown but not sent
    Type("_disconnect");
    EXPECT_FALSE(session->Connected());
    EXPECT_TRUE(Shown("TavTerm disconnecting...\r\n"));
    EXPECT_EQ(server.Read(100ms), "");
    EXPECT_NE(screen.GetAllText().find("_Connect"), std::string::npos);
    for (int k = 0; k < session->History().Slots(); ++k)
        EXPECT_EQ(session->History().Slot(k), "");
    server.CloseClient();

    Type("_connect");
    ASSERT_TRUE(loop.RunUntil([&] { return session->Connected(); }, 5s));
    ASSERT_TRUE(server.Accept());
    server.CloseClient();
    ASSERT_TRUE(loop.RunUntil([&] { return !session->Connected(); }, 5s));
    EXPECT_EQ(TimesShown("TavTerm disconnecting...\r\n"), 2u);
    EXPECT_EQ(rec.termStates, (std::vector<bool>{true, false, true, false}));

    // A server that resets the connection: the next send fails and says why.
    Type("_connect");
    ASSERT_TRUE(loop.RunUntil([&] { return session->Connected(); }, 5s));
    ASSERT_TRUE(server.Accept());
    server.ResetClient();
    Type("look");
    ASSERT_TRUE(loop.RunUntil([&] { return !session->Connected(); }, 5s));
    Pump();
    // The first send after the reset reads it; a later one would find the pipe broken.
    EXPECT_TRUE(Shown("Send()\r\nConnection reset by peer\r\nTavTerm disconnecting...\r\n") ||
                Shown("Send()\r\nBroken pipe\r\nTavTerm disconnecting...\r\n"));

    Type("north"); // still enters the history
    EXPECT_TRUE(Shown("Not connected...\r\n"));
    EXPECT_EQ(session->History().Slot(session->History().Slots() - 1), "north");
    session->SendFunctionKey(3);
    session->SendKeypadWord('8');
    EXPECT_EQ(TimesShown("Not connected"), 3u);
}

// A name that does not resolve fails through the callback, never blocking the loop (a
// refused port is RefusedTriesBackOffAndStopAfterTen's).
TEST_F(SessionFixture, ConnectFailureIsReportedWithoutBlocking) {
    int result = 0;
    CopyField(settings.addy, "no-such-host.invalid");
    EXPECT_EQ(session->TermConnect([&](int r) { result = r; }), 0);
    ASSERT_TRUE(loop.RunUntil([&] { return result != 0; }, 10s));
    EXPECT_EQ(result, -1);
    EXPECT_FALSE(session->Connected());
}

// The login goes out at once, its commands and the countdown to the Client after a pause
// that belongs to its connection.
TEST_F(SessionFixture, AutoConnectLogsInThenCountsDownToTheClientAfterItsOwnPause) {
    settings.autoterm = settings.autoclient = settings.waitclient = 1;
    CopyField(settings.waitsecs, "120");
    auto autoConnect = [&](const char* user, const char* logincom) {
        CopyField(settings.user, user);
        CopyField(settings.passwd, "pw");
        CopyField(settings.logincom, logincom);
        session->AutoConnect();
        ASSERT_TRUE(loop.RunUntil([&] { return session->Connected(); }, 5s));
        ASSERT_TRUE(server.Accept());
    };

    // Disconnected within the pause: no login commands ("Not connected..."), no countdown.
    autoConnect("bob", ";1;who;");
    EXPECT_EQ(server.Read(), "bob\npw\n");
    EXPECT_FALSE(Shown("bob")); // no echo of the login
    session->TermDisconnect();
    loop.RunFor(1500ms); // past the end of the pause
    EXPECT_EQ(TimesShown("Not connected"), 0u);
    EXPECT_TRUE(rec.log.empty());
    EXPECT_FALSE(loop.TimerActive(kCountdownTimer));

    // A profile switch within the pause: only the new connection's pause sends its
    // commands and starts the countdown, once.
    autoConnect("bob", "old;");
    session->TermDisconnect();
    autoConnect("ann", ";1;who;");
    ASSERT_TRUE(loop.RunUntil([&] { return !rec.log.empty(); }, 3s));
    EXPECT_EQ(rec.log, std::vector<std::string>{"Attempting client connect in 60 secs..."});
    EXPECT_TRUE(loop.TimerActive(kCountdownTimer));
    for (int k = 0; k < 59; ++k)
        session->OnTimer(kCountdownTimer);
    EXPECT_EQ(rec.log.back(), "Attempting client connect in 1 secs...");
    EXPECT_EQ(rec.clientConnects, 0);
    session->OnTimer(kCountdownTimer);
    EXPECT_EQ(rec.log.back(), "Attempting client autoconnect...");
    EXPECT_EQ(rec.clientConnects, 1);
    EXPECT_FALSE(loop.TimerActive(kCountdownTimer));

    loop.RunFor(1200ms); // past the end of the old connection's pause too
    EXPECT_EQ(server.Read(), "ann\npw\n\n1\nwho\n");
    EXPECT_EQ(rec.log.size(), 61u);

    // A connect login is one line. It follows the game's first line, after the answers to
    // the negotiation before it (the window size); where no line comes, a pause.
    session->TermDisconnect();
    session->SetNegotiation(true);
    session->SetConnectLogin(true);
    autoConnect("ann", "");
    server.Send("\xFF\xFD\x1FWelc"); // DO NAWS
    std::string sent;
    ASSERT_TRUE(loop.RunUntil([&] { return !(sent += server.Read(10ms)).empty(); }, 3s));
    server.Send("ome\r\n");
    ASSERT_TRUE(loop.RunUntil([&] { return (sent += server.Read(10ms)).ends_with('\n'); }, 3s));
    EXPECT_EQ(sent, std::string("\xFF\xFB\x1F\xFF\xFA\x1F\x00\x50\x00\x18\xFF\xF0", 12) +
                        "connect ann pw\n");
    session->TermDisconnect();
    autoConnect("bob", "");
    sent.clear();
    ASSERT_TRUE(loop.RunUntil([&] { return (sent += server.Read(10ms)).ends_with('\n'); }, 4s));
    EXPECT_EQ(sent, "connect bob pw\n");
}

TEST_F(SessionFixture, ClientAutoConnectWithoutTermIsCancelledOrImmediate) {
    settings.autoclient = settings.waitclient = 1;
    session->AutoConnect();
    EXPECT_EQ(rec.log, std::vector<std::string>{"Cancelling client autoconnect..."});
    EXPECT_EQ(rec.clientConnects, 0);

    settings.waitclient = 0;
    session->AutoConnect();
    EXPECT_EQ(rec.clientConnects, 1);

    // A failing Term autoconnect cancels the waiting Client autoconnect.
    rec.log.clear();
    settings.autoterm = settings.waitclient = 1;
    CopyField(settings.port, "0");
    session->AutoConnect();
    EXPECT_TRUE(Shown("TavTerm autoconnection failure...\r\n"));
    EXPECT_EQ(rec.log, std::vector<std::string>{"Cancelling client autoconnect..."});
}

TEST_F(SessionFixture, TimersPingOnlyAConnectedClientAndBlinkTheChosenCursor) {
    session->OnTimer(kPingTimer);
    EXPECT_EQ(rec.latency, std::vector<std::string>{"- - -"});
    rec.clientConnected = true;
    session->OnTimer(kPingTimer);
    session->OnTimer(kSoundPollTimer);
    EXPECT_EQ(std::pair(rec.pings, rec.soundPolls), std::pair(1, 1));

    session->OnTimer(kCursorBlinkTimer); // no cursor chosen: nothing blinks
    settings.cursorblock = 1;
    session->OnTimer(kCursorBlinkTimer);
    settings.cursorline = 1;
    session->OnTimer(kCursorBlinkTimer);
    EXPECT_EQ(rec.blinks, (std::vector{CursorStyle::Block, CursorStyle::Line}));
}

// The recent text holds exactly the newest characters and, once full, stays close to full.
TEST_F(SessionFixture, RecentTextKeepsTheNewestCharacters) {
    std::string all;
    for (int n = 0; n < 300; ++n) {
        const std::string piece = std::to_string(n) + std::string(n % 7 * 50, 'c' + n % 5);
        session->AppendRecent(piece);
        all += piece;
        const std::string_view recent = session->RecentText();
        EXPECT_EQ(recent, std::string_view(all).substr(all.size() - recent.size())) << n;
        if (all.size() > 16383) {
            EXPECT_GT(recent.size(), 16000u) << n;
            EXPECT_LT(recent.size(), 16383u) << n;
        }
    }
}

TEST_F(SessionFixture, BurstFollowedByCloseArrivesWholeBeforeTheDisconnect) {
    Connect();
    std::string burst;
    for (int n = 0; n < 20000; ++n) // several reads' worth
        burst += "line " + std::to_string(n) + "\r\n";
    std::thread sender([&] {
        server.Send(burst);
        server.CloseClient();
    });
    ASSERT_TRUE(loop.RunUntil([&] { return !session->Connected(); }, 10s));
    sender.join();
    const std::string_view tail = "line 19998\r\nline 19999\r\nTavTerm disconnecting...\r\n";
    EXPECT_THAT(std::string(session->RecentText()), testing::EndsWith(tail));
    EXPECT_EQ(rec.termStates, (std::vector<bool>{true, false}));
}

// A server that stops reading: a send never waits for it, what waits goes out in order
// once it reads again, and a send past the bound ends the connection as a lost one, here
// from inside the telnet layer's answer to what arrives.
TEST_F(SessionFixture, SendsNeverWaitForTheServerAndOneThatFailsEndsTheConnection) {
    std::vector<bool> listened;
    session->SetConnectionListener([&](bool open) { listened.push_back(open); });
    session->SetNegotiation(true);
    Connect();
    const std::string block(1 << 20, 'x');
    EXPECT_EQ(session->TermSend(block, false, true), static_cast<int>(block.size()));
    EXPECT_GT(session->PendingSendBytes(), 0u);
    server.Send("still here\r\n");
    ASSERT_TRUE(loop.RunUntil([&] { return Shown("still here"); }, 5s));
    Type("look");
    EXPECT_EQ(ReadUntil("look\n"), block + "look\n");
    EXPECT_EQ(session->PendingSendBytes(), 0u);

    while (session->PendingSendBytes() == 0) // until the socket takes no more
        session->TermSend(std::string(1 << 16, 'y'), false, true);
    session->TermSend(std::string(kMaxPendingSendBytes - session->PendingSendBytes(), 'z'), false,
                      true);
    server.Send(std::string("\xFF\xFD\x1F") + "after\r\n"); // IAC DO NAWS: no room to answer
    ASSERT_TRUE(loop.RunUntil([&] { return !session->Connected(); }, 5s));
    Pump();
    EXPECT_TRUE(Shown("Send()\r\nThe server is not reading: more than 4194304 bytes wait to be "
                      "sent.\r\nTavTerm disconnecting...\r\n"));
    EXPECT_EQ(TimesShown("TavTerm disconnecting"), 1u);
    EXPECT_EQ(rec.termStates, (std::vector<bool>{true, false}));
    EXPECT_EQ(listened, (std::vector<bool>{true, false}));
    EXPECT_EQ(session->PendingSendBytes(), 0u);
    EXPECT_TRUE(server.ClientClosed());
}

// Every way of sending encodes its Latin-1 text and doubles each 0xFF byte exactly once,
// so that "\xFF\xF4" (y-diaeresis, o-circumflex) is never read as IAC IP.
TEST_F(SessionFixture, EverythingSentFollowsTheEncodingAndDoublesTheCommandByteOnce) {
    const std::string latin1 = "\xFF\xF4";
    settings.autoterm = 1;
    CopyField(settings.user, latin1.c_str());
    CopyField(settings.passwd, "p\xFF");
    CopyField(settings.logincom, (latin1 + ";").c_str());
    triggers.AddTrigger("caf\xE9", latin1);
    triggers.AddTrigger("caf\xC3\xA9", latin1); // the same word in a UTF-8 profile's file
    session->FunctionKeys()[0] = latin1 + ";";
    session->FunctionKeys()[kFunctionKeys - 1] = "last;"; // F12, the last key
    session->SetEncoding(TextEncoding::Latin1);
    session->AutoConnect();
    ASSERT_TRUE(loop.RunUntil([&] { return session->Connected(); }, 5s));
    ASSERT_TRUE(server.Accept());
    // The login commands follow a pause of a second; a loaded machine may take longer.
    const std::string login = "\xFF\xFF\xF4\np\xFF\xFF\n\xFF\xFF\xF4\n";
    EXPECT_EQ(ReadUntil(login), login);

    const std::tuple<TextEncoding, const char*, const char*, std::string> cases[] = {
        // 7-bit drops the high byte, so the trigger does not match.
        {TextEncoding::SevenBit, "The caf\xE9 is open.\r\n", "The caf is open.\r\n",
         "\xFF\xFF\xF4"},
        {TextEncoding::Latin1, "The caf\xE9 is open.\r\n", "The caf\xE9 is open.\r\n",
         "\xFF\xFF\xF4"},
        {TextEncoding::Gb18030, "The caf\xA8\xA6 is open.\r\n", "The caf\xC3\xA9 is open.\r\n",
         "\x81\x30\x8B\x37\x81\x30\x8B\x30"},
        {TextEncoding::Utf8, "The caf\xC3\xA9 is open.\r\n", "The caf\xC3\xA9 is open.\r\n",
         "\xC3\xBF\xC3\xB4"}, // no 0xFF byte to double
    };
    for (const auto& [encoding, received, shown, wire] : cases) {
        session->SetEncoding(encoding);
        Type(session->GameBytes(latin1)); // the input line
        session->SendFunctionKey(1);      // a function key
        Receive(received);                // a trigger's reaction
        EXPECT_TRUE(Shown(shown)) << shown;
        session->SendText(session->GameBytes(latin1));             // a paste
        session->TermSend(session->GameBytes(latin1), true, true); // a button, multi-line send
        const std::string reaction = encoding == TextEncoding::SevenBit ? "" : wire + "\r\n";
        EXPECT_EQ(server.Read(), wire + "\n" + wire + "\n" + reaction + wire + wire)
            << static_cast<int>(encoding);
    }
    // A typed line is already in the game's bytes; its echo decodes the same way.
    Type("say \xE2\x86\x92 \xC3\xA9");
    EXPECT_EQ(server.Read(), "say \xE2\x86\x92 \xC3\xA9\n");
    EXPECT_TRUE(Shown("say \xE2\x86\x92 \xC3\xA9\r\n"));
    session->SendFunctionKey(kFunctionKeys);
    EXPECT_EQ(server.Read(), "last\n");
}

// With an echo colour the command's echo shows plain in it, after a prompt in the game's
// colour, and the game's colour goes on after it; without one the echo is as it always was.
TEST_F(SessionFixture, TheEchoColourTakesOnlyTheEchoedCommandsCells) {
    Connect();
    using Cells = std::vector<std::tuple<Cell, Attr, CellColor, CellColor>>;
    const auto run = [&](std::optional<ColorRef> colour) { // "> go" and the line after it
        session->SetEchoColour(colour);
        Receive("\x1B[1;31;44m> ");
        Type("go");
        Receive("\x1B[1mok\r\n");
        Cells cells;
        for (int above : {2, 1}) {
            const ScreenLine& line = screen.Line(screen.BufferLine() - above);
            for (int k = 0; k < TextLength(line); ++k)
                cells.emplace_back(line.ch[k], line.attr[k], line.TextColor(k), line.BackColor(k));
        }
        return cells;
    };
    for (ColourMode mode : {ColourMode::Basic, ColourMode::Full}) {
        session->SetColourMode(mode);
        Cells expected = run(std::nullopt);
        ASSERT_EQ(expected.size(), 6u);
        for (std::size_t k : {2, 3})
            expected[k] = {std::get<Cell>(expected[k]), attr::kNormal, ExplicitCellColor(0x3366CC),
                           0};
        EXPECT_EQ(run(0x3366CC), expected) << static_cast<int>(mode);
    }
}

// A reaction sent while disconnected prints "Not connected...", which must not set off
// triggers again and again.
TEST_F(SessionFixture, EveryLineOfABatchReachesTriggersLogAndRecentTextOnceInOrder) {
    triggers.AddTrigger("first", "a");
    triggers.AddTrigger("second", "b");
    triggers.AddTrigger("Not connected", "again"); // must not fire on its siblings' output

    // Disconnected, each reaction prints "Not connected..." in the middle of the batch.
    session->PrintLocal("first line\r\nsecond line\r\n");
    const std::string shown =
        "first line\r\nsecond line\r\nNot connected...\r\nNot connected...\r\n";
    EXPECT_EQ(session->RecentText(), shown);
    EXPECT_EQ(rec.logFile, (std::vector<std::string>{"first line\n", "second line\n",
                                                     "Not connected...\n", "Not connected...\n"}));
    EXPECT_EQ(screen.GetAllText().substr(0, shown.size()), shown);

    // Connected, the same batch sends both reactions in order.
    Connect();
    rec.logFile.clear();
    Receive("first line\r\nsecond line\r\n");
    EXPECT_EQ(server.Read(), "a\r\nb\r\n");
    EXPECT_EQ(rec.logFile, (std::vector<std::string>{"first line\n", "second line\n"}));
}

TEST_F(SessionFixture, HeldOutputIsHandledOnReleaseLikeOutputNeverHeld) {
    triggers.AddTrigger("dragon", "flee");
    Connect();
    session->ToggleHold();
    Receive("A dragon appears!\r\nPassword: \xff\xfb\x01");
    EXPECT_TRUE(screen.Held());
    EXPECT_FALSE(Shown("dragon"));
    EXPECT_TRUE(rec.masks.empty());
    EXPECT_EQ(server.Read(50ms), "");

    session->ToggleHold();
    EXPECT_FALSE(screen.Held());
    EXPECT_EQ(server.Read(), "flee\r\n");
    EXPECT_EQ(rec.logFile.back(), "A dragon appears!\n");
    EXPECT_EQ(rec.masks, std::vector<bool>{true}); // the echo request inside the held text

    Receive("\xff\xfc\x01Welcome\r\n"); // the next pass neither drops nor repeats
    EXPECT_EQ(TimesShown("A dragon appears!\r\n"), 1u);
    EXPECT_TRUE(Shown("Welcome\r\n"));

    session->ToggleHold(); // a release with nothing held interprets nothing
    session->ToggleHold();
    EXPECT_EQ(screen.GetAllText().find("Welcome\r\n "), std::string::npos);
}

} // namespace
} // namespace tav
