// The Term connection's telnet layer against a real loopback peer.

#include "map/MapStore.h"
#include "net/TelnetCodes.h"
#include "term/SessionMapper.h"
#include "tests/map/MapTestSupport.h"
#include "tests/support/TelnetBytes.h"
#include "tests/support/TlsPeer.h"
#include "tests/term/SessionHarness.h"

#include <fstream>

using namespace tav;
using namespace tav::test;
using namespace std::chrono_literals;

namespace {

struct GameDataRecorder final : GameDataSink {
    std::vector<GameVitals> vitals;
    void Vitals(const GameVitals& v) override { vitals.push_back(v); }
    void Room(const GameRoom&) override {}
    void ChannelText(const GameChannelText&) override {}
};

struct TermTelnet : ::testing::Test, SessionHarness {
    GameDataRecorder data;

    ~TermTelnet() override { session.reset(); } // before the data it records into
};

using namespace telnet;
const std::string kOffers = Iac({kWill, kEcho}) + Iac({kDo, kWindowSize}) +
                            Iac({kDo, kTerminalType}) + Iac({kWill, kGmcp}) +
                            Iac({kWill, kCompress2}) + "Hello\r\n";
const std::string kUtf8Offer =
    Iac({kWill, kCharset}) + Iac({kSb, kCharset, kCharsetRequest}) + ";UTF-8" + Iac({kSe});

} // namespace

TEST_F(TermTelnet, NegotiatedSessionFromOffersToCompressionToADamagedStream) {
    TermServices services = Recorded();
    services.gameData = &data;
    Open(services);
    session->SetNegotiation(true);
    session->SetGaPrompts(true); // the prompt below is logged at its GA
    Connect();

    server.Send(kOffers + kUtf8Offer);
    const std::string answers = ReadUntil("UTF-8" + Iac({kSe}));
    const std::string naws = Iac({kSb, kWindowSize}) + std::string(1, '\0') +
                             char(screen.Columns()) + std::string(1, '\0') + char(screen.Rows()) +
                             Iac({kSe});
    const std::string expected =
        Iac({kWill, kWindowSize}) + naws + Iac({kWill, kTerminalType}) + Iac({kDo, kGmcp});
    EXPECT_EQ(answers.substr(0, expected.size()), expected);
    EXPECT_TRUE(Shown("Hello"));
    EXPECT_EQ(rec.masks, std::vector<bool>{true}); // WILL ECHO still masks the input

    server.Send(Iac({kSb, kGmcp}) + "Char.Vitals {\"hp\":7,\"maxhp\":9}" + Iac({kSe}) + "HP 7> " +
                Iac({kGa}));
    ASSERT_TRUE(loop.RunUntil([&] { return !data.vitals.empty(); }, 5s));
    ASSERT_TRUE(loop.RunUntil([&] { return rec.logFile.size() >= 2; }, 5s));
    EXPECT_EQ(rec.logFile.back(), "HP 7> \n");
    EXPECT_EQ(data.vitals[0].hp, 7);
    EXPECT_EQ(rec.log.back(), "GMCP Char.Vitals {\"hp\":7,\"maxhp\":9}");

    // MCCP: compressed text, then the stream's end and plain text in the same read.
    server.Send(Iac({kSb, kCompress2}) + Iac({kSe}) + Compressed("inside\r\n") + "after\r\n");
    ASSERT_TRUE(loop.RunUntil([&] { return Shown("after"); }, 5s));
    EXPECT_TRUE(Shown("HP 7> \r\ninside\r\nafter")); // the prompt a line of its own
    EXPECT_EQ(rec.logFile[rec.logFile.size() - 2], "inside\n");

    // Releasing the hold inside a half received GMCP message leaves the message whole.
    session->ToggleHold();
    Receive("held line\r\n" + Iac({kSb, kGmcp}) + "Char.Vit");
    EXPECT_FALSE(Shown("held line"));
    session->ToggleHold();
    EXPECT_TRUE(Shown("held line"));
    server.Send("als {\"hp\":3}" + Iac({kSe}));
    ASSERT_TRUE(loop.RunUntil([&] { return data.vitals.size() == 2; }, 5s));
    EXPECT_EQ(data.vitals[1].hp, 3);

    // A damaged compressed stream ends the connection with a message, not garbage.
    server.Send(Iac({kSb, kCompress2}) + Iac({kSe}) + "this is not zlib data at all");
    ASSERT_TRUE(loop.RunUntil([&] { return !session->Connected(); }, 5s));
    EXPECT_TRUE(Shown("(MCCP) is damaged"));
    EXPECT_FALSE(Shown("zlib data"));
    EXPECT_EQ(session->Encoding(), TextEncoding::SevenBit) << "the agreement ends with it";

    // An encoding the player chose during an agreement outlives it.
    Connect();
    server.Send(kUtf8Offer);
    ASSERT_TRUE(loop.RunUntil([&] { return session->Encoding() == TextEncoding::Utf8; }, 5s));
    session->SetEncoding(TextEncoding::Latin1); // More options... while connected
    server.CloseClient();
    ASSERT_TRUE(loop.RunUntil([&] { return !session->Connected(); }, 5s));
    EXPECT_EQ(session->Encoding(), TextEncoding::Latin1);
}

// A compressed flood the server ends by closing: every line is shown and logged, in order,
// before the connection is lost; none stays behind on the inflating thread.
TEST_F(TermTelnet, ACompressedFloodIsHandedOverWholeBeforeTheConnectionEnds) {
    Open(Recorded());
    session->SetNegotiation(true);
    Connect();
    server.Send(Iac({kWill, kCompress2}));
    ReadUntil(Iac({kDo, kCompress2}));
    std::string flood;
    std::vector<std::string> logged;
    for (int i = 0; i < 3000; ++i) {
        flood += "line " + std::to_string(i) + " of the flood\r\n";
        logged.push_back("line " + std::to_string(i) + " of the flood\n");
    }
    // Whole blocks of the session's reads, so that the close is read in the same wake as
    // the last of the text: short lines of dots fill the last block.
    std::string sent = Iac({kSb, kCompress2}) + Iac({kSe}) + Compressed(flood);
    std::size_t room = kReceiveBlock - sent.size() % kReceiveBlock;
    if (room < 3) room += kReceiveBlock;
    while (room > 0) {
        std::size_t dots = std::min<std::size_t>(room - 2, 60);
        const std::size_t after = room - 2 - dots;
        if (after == 1 || after == 2) dots -= 3; // the next line needs a dot and its end
        sent += std::string(dots, '.') + "\r\n";
        logged.push_back(std::string(dots, '.') + "\n");
        room -= dots + 2;
    }
    logged.push_back("TavTerm disconnecting...\n");
    rec.logFile.clear();
    server.Send(sent);
    server.CloseClient();
    ASSERT_TRUE(loop.RunUntil([&] { return !session->Connected(); }, 5s));
    EXPECT_EQ(rec.logFile, logged);
    const std::string all = screen.GetAllText();
    EXPECT_LT(all.find("line 2999 of the flood"), all.find("TavTerm disconnecting..."));
}

TEST_F(TermTelnet, WithoutNegotiationTheServerHearsNothingBack) {
    Open(Recorded());
    Connect();
    server.Send(kOffers + Iac({kSb, kTerminalType, kTerminalTypeSend}) + Iac({kSe}) + "done\r\n");
    ASSERT_TRUE(loop.RunUntil([&] { return Shown("done"); }, 5s));
    loop.RunFor(100ms);
    EXPECT_EQ(server.Read(100ms), "");
    EXPECT_EQ(rec.masks, std::vector<bool>{true});
}

// The terminal type a game asks for cycles through the client's name, its type and the
// MTTS bits, which follow the encoding and colours chosen for the connection.
TEST_F(TermTelnet, TheTerminalTypeTellsTheEncodingAndColoursOfTheConnection) {
    Open(Recorded());
    session->SetNegotiation(true);
    const std::string send = Iac({kSb, kTerminalType, kTerminalTypeSend}) + Iac({kSe});
    const auto is = [](std::string_view name) {
        return Iac({kSb, kTerminalType, kTerminalTypeIs}) + std::string(name) + Iac({kSe});
    };
    const auto answers = [&](std::string_view type, std::string_view mtts) {
        Connect();
        server.Send(Iac({kDo, kTerminalType}) + send + send + send);
        const std::string expected = is("TAVCLIENT") + is(type) + is(mtts);
        const std::string got = ReadUntil(expected);
        session->TermDisconnect();
        return got.find(expected) != std::string::npos;
    };
    EXPECT_TRUE(answers("ANSI", "MTTS 1"));
    session->SetEncoding(TextEncoding::Latin1);
    EXPECT_TRUE(answers("ANSI", "MTTS 1"));
    session->SetEncoding(TextEncoding::Utf8);
    EXPECT_TRUE(answers("ANSI", "MTTS 5"));
    session->SetColourMode(ColourMode::Full);
    EXPECT_TRUE(answers("XTERM-256COLOR", "MTTS 269"));
    // What the sockets layer offers is said before the first connect only.
    EXPECT_EQ(TimesShown("POSIX sockets (TCP/IPv4)\r\n"), 1u);
    EXPECT_EQ(TimesShown(" max sockets available.\r\nRunning.\r\n"), 1u);
}

// A read cut by GA or EOR loses no line. A prompt is a line when its line ends, or (chosen)
// at its GA, and then the line's rest follows alone (also after a gag above it), or whole
// once the prompt was overwritten.
TEST_F(TermTelnet, EveryLineOfAReadCutByGaOrEorIsProcessedOnce) {
    Open(Recorded());
    session->SetNegotiation(true);
    triggers.AddTrigger("Line1", "seen");
    TriggerActions gag;
    gag.gag = true;
    triggers.SetActions(triggers.AddTrigger("spam", ""), gag);
    Connect();
    rec.logFile.clear();
    server.Send("Line1\r\nLine2\r\nHP:25> " + Iac({kGa}) + "\r\nNext\r\n> " + Iac({kEor}));
    EXPECT_EQ(ReadUntil("seen\r\n"), "seen\r\n");
    Type("look");
    session->SetGaPrompts(true);
    server.Send("spam\r\nHP> " + Iac({kGa}));
    EXPECT_TRUE(loop.RunUntil([&] { return rec.logFile.back() == "HP> \n"; }, 5s));
    Type("kill");
    const std::string back = "\x1b[" + std::to_string(screen.CursorRow()) + ";4H";
    server.Send("HP> " + Iac({kGa}) + back + "flee\r\nHP> " + Iac({kEor}) + "\x1b[4DRoom\r\n");
    loop.RunUntil([&] { return rec.logFile.back() == "Room\n"; }, 5s);
    EXPECT_EQ(rec.logFile, (std::vector<std::string>{"Line1\n", "Line2\n", "HP:25> \n", "Next\n",
                                                     "> look\n", "spam\n", "HP> \n", "kill\n",
                                                     "HP> \n", "flee\n", "HP> \n", "Room\n"}));
}

// The automapper fed by a real peer: nothing written before a room, the game's MSSP kept,
// and a room number the game reuses with another name taken as a new room, in memory and
// in the file alike.
TEST_F(TermTelnet, TheMapFileFollowsTheGameAndARoomNumberReusedStaysOneRoom) {
    const TempDir temp({"profiles/hero"});
    const std::string dir = (temp.path / "profiles/hero").string();
    Open(Recorded());
    session->SetNegotiation(true);
    SessionMapper automap(*session, loop);
    session->SetFollower(&automap);
    automap.SetProfile(dir);
    Connect();
    const auto gmcp = [](const std::string& message) {
        return Iac({kSb, kGmcp}) + message + Iac({kSe});
    };
    server.Send(Iac({kWill, kGmcp}) + Iac({kWill, kMssp}) + Iac({kSb, kMssp}) +
                "\1NAME\2Test MUD\1PLAYERS\0023" + Iac({kSe}) + gmcp("Char.Vitals {\"hp\":7}") +
                "Hello\r\n");
    ASSERT_TRUE(loop.RunUntil([&] { return Shown("Hello"); }, 5s));
    EXPECT_EQ(session->GameInformation(),
              (std::vector<MsspVariable>{{"NAME", "Test MUD"}, {"PLAYERS", "3"}}));
    EXPECT_FALSE(std::filesystem::exists(MapFilePath(dir)));

    const auto here = [&] { return automap.Map()->CurrentRoom(); };
    const auto step = [&](const std::string& move, const std::string& room, RoomNumber number) {
        if (!move.empty()) Type(move);
        server.Send(gmcp(room));
        return loop.RunUntil([&] { return here() == number; }, 5s);
    };
    // Before there is a map, "#goto" is the game's, as typed.
    server.Read();
    Type("#goto 1");
    EXPECT_EQ(server.Read(), "#goto 1\n");
    ASSERT_TRUE(step("", RoomInfo(1, "Square", "\"n\":null,\"w\":null"), 1));
    ASSERT_TRUE(step("n", RoomInfo(2, "Road", "\"s\":1"), 2));
    ASSERT_TRUE(step("s", RoomInfo(1, "Square", "\"n\":null,\"w\":null"), 1));
    // The game renumbered: 2 is now the temple west of the square.
    ASSERT_TRUE(step("w", RoomInfo(2, "Temple", "\"e\":1"), 2));
    const RoomMap map = automap.Map()->Map();
    EXPECT_EQ(MapLines(map),
              (std::vector<std::string>{"1 Square @0,0,0 n>? w>2", "2 Temple @-1,0,0 e>1"}));

    // A walk back: each step goes out with the read that showed the last step's room, not
    // on a later tick.
    ASSERT_TRUE(step("e", RoomInfo(1, "Square", R"("n":null,"w":2)"), 1));
    ASSERT_TRUE(step("n", RoomInfo(3, "Road", R"("s":1)"), 3));
    server.Read();
    Type("#goto 2");
    EXPECT_EQ(server.Read(), "s\n");
    server.Send(gmcp(RoomInfo(1, "Square", R"("n":3,"w":2)")));
    ASSERT_TRUE(loop.RunUntil([&] { return here() == 1; }, 5s));
    EXPECT_EQ(server.Read(), "w\n");
    server.Send(gmcp(RoomInfo(2, "Temple", R"("e":1)")));
    ASSERT_TRUE(loop.RunUntil([&] { return Shown("Walk ended: you have arrived."); }, 5s));

    const RoomMap walked = automap.Map()->Map();
    // The map shared as JSON comes back whole through the session's import, which tells
    // the view; a file that holds no map is refused, and the view hears nothing.
    const std::string shared = (temp.path / "shared.json").string();
    ASSERT_TRUE(automap.ExportTo(shared));
    int changes = 0;
    automap.SetChangeListener([&] { ++changes; });
    EXPECT_TRUE(automap.ImportFrom(shared));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(automap.Map()->Map(), walked);
    std::ofstream(temp.path / "other.json") << "{\"rooms\": 7}";
    EXPECT_FALSE(automap.ImportFrom((temp.path / "other.json").string()));
    EXPECT_FALSE(automap.ImportFrom((temp.path / "missing.json").string()));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(automap.Map()->Map(), walked);
    automap.SetChangeListener({});
    session.reset();
    automap.SetProfile("");
    RoomMap stored;
    MapStore store;
    ASSERT_TRUE(store.Open(MapFilePath(dir), stored)) << store.Error();
    EXPECT_EQ(stored, walked);
}

namespace {

// Secure connections against real peers: the loopback server, which never answers a
// handshake, and openssl's own server with a self-signed certificate.
struct TermTls : ::testing::Test, SessionHarness {
    TempDir temp;
    // Relative, as the profile directory usually is.
    std::string trustFile = std::filesystem::relative(temp.path / "trusted.cfg").string();
    void SetUp() override { Open(Recorded()); }
    void Secure(int port) { session->SetTls({true, port, trustFile}); }
    // Connects and waits until the attempt has ended; whether it connected.
    bool Connects() {
        session->TermConnect();
        return loop.RunUntil([&] { return !session->Connecting(); }, 10s) && session->Connected();
    }
};

// A server that accepts and then keeps the handshake waiting: the wait shows, and the
// user's Disconnect stops it at once, so no question and no login follow, and Connect
// works again.
TEST_F(TermTls, DisconnectStopsAConnectWhoseHandshakeStalls) {
    settings.autoterm = 1;
    CopyField(settings.user, "bob");
    Secure(server.Port());
    session->AutoConnect();
    ASSERT_TRUE(server.Accept());
    ASSERT_TRUE(loop.RunUntil([&] { return !rec.messages.empty(); }, 5s));
    EXPECT_EQ(rec.messages, std::vector<std::string>{"TavTerm: still connecting to 127.0.0.1 " +
                                                     std::to_string(server.Port()) +
                                                     "... (Disconnect stops it)"});
    Type("_disconnect");
    EXPECT_FALSE(session->Connecting());
    EXPECT_TRUE(Shown("TavTerm connect cancelled.\r\n"));
    EXPECT_EQ(rec.messages.back(), "TavTerm: not connected.");
    EXPECT_TRUE(server.ClientClosed());
    EXPECT_EQ(session->TermConnect(), 0);
    EXPECT_TRUE(server.Accept());
    session->TermDisconnect();
    EXPECT_TRUE(rec.asked.empty());
}

// The question open when the profile closes opens and trusts nothing, even answered Yes;
// a changed certificate is refused by default or trusted anew; the status text follows
// the connection through its end, a refused connect and a plain connection; a session
// that cannot ask refuses.
TEST_F(TermTls, CertificateQuestionsAndTheStatusTextFollowTheConnection) {
    const TlsPeer peer(temp.path);
    if (!peer.Ready()) GTEST_SKIP() << "openssl cannot serve TLS here";
    Secure(peer.Port());
    rec.answers = {"Yes"};
    rec.whileAsking = [&] { session->CancelConnect(); };
    EXPECT_FALSE(Connects());
    ASSERT_EQ(std::tuple(rec.asked.size(), std::filesystem::exists(trustFile), rec.termStates),
              std::tuple(1u, false, std::vector<bool>{}));
    // The question says why: the peer's certificate signs itself.
    EXPECT_NE(rec.asked[0].find("could not be verified: self"), std::string::npos) << rec.asked[0];
    rec.whileAsking = nullptr;

    const std::string where = "127.0.0.1:" + std::to_string(peer.Port());
    ASSERT_TRUE(WriteTextFile(trustFile, where + " AB:CD\n"));
    const std::string trusted = Contents(trustFile);
    EXPECT_FALSE(Connects()); // No is the default
    ASSERT_EQ(rec.asked.size(), 2u);
    EXPECT_EQ(rec.defaults, (std::vector<std::string>{"No", "No"}));
    const std::string changed = rec.asked.back();
    const std::size_t now = changed.find("\nNow:     ") + 10;
    const std::string fingerprint = changed.substr(now, changed.find('\n', now) - now);
    EXPECT_EQ(changed.substr(0, now + fingerprint.size()),
              "Certificate changed The certificate of " + where +
                  " has changed since you trusted it.\n\nTrusted: AB:CD\nNow:     " + fingerprint);
    EXPECT_NE(changed.find("kept in " + (temp.path / "trusted.cfg").string() + "."),
              std::string::npos);
    EXPECT_EQ(Contents(trustFile), trusted);
    rec.answers = {"Trust the new certificate"};
    ASSERT_TRUE(Connects());
    EXPECT_EQ(Contents(trustFile), where + " " + fingerprint + "\n");
    EXPECT_EQ(rec.messages.back().rfind("TavTerm: Secure connection (TLSv1.", 0), 0u);

    session->TermDisconnect();
    EXPECT_EQ(rec.messages.back(), "TavTerm: not connected.");
    const ClosedPort closed;
    Secure(closed.Port());
    rec.messages.clear();
    EXPECT_FALSE(Connects());
    session->SetTls({});
    Connect();
    EXPECT_EQ(rec.messages,
              (std::vector<std::string>{"TavTerm: not connected.", "TavTerm: connected."}));

    // With nobody to ask, a certificate not yet trusted is refused.
    session.reset();
    TermServices unattended = Recorded();
    unattended.boxes = nullptr;
    Open(unattended);
    session->SetTls({true, peer.Port(), (temp.path / "unattended.cfg").string()});
    EXPECT_FALSE(Connects());
}

// More text at once than one wake reads, in records the reads end inside: what the channel
// has decrypted already is read on the loop's next turn, all of it, before the server's
// close after its last line.
// A certificate an authority the system trusts signed for the address connects without a
// question, and the trust file stays as it was.
TEST_F(TermTls, ACertificateTheSystemTrustsConnectsWithoutAQuestion) {
    const TlsPeer peer(temp.path, {}, TlsPeer::Certificate::SignedByAuthority);
    if (!peer.Ready()) GTEST_SKIP() << "openssl cannot serve TLS here";
    // The system's trusted authorities, for this test the peer's own (read at each connect).
    ASSERT_EQ(::setenv("SSL_CERT_FILE", peer.AuthorityFile().c_str(), 1), 0);
    Secure(peer.Port());
    const bool connected = Connects();
    ::unsetenv("SSL_CERT_FILE");
    EXPECT_TRUE(connected);
    EXPECT_EQ(std::pair(rec.asked.size(), std::filesystem::exists(trustFile)),
              std::pair(std::size_t{0}, false));
}

TEST_F(TermTls, TextBeyondOneWakeIsReadOnTheNextTurnsUpToTheServersClose) {
    std::string text;
    for (int n = 0; text.size() < 8 * kReceiveBlocksPerWake * kReceiveBlock; ++n)
        text += "line " + std::to_string(n) + "\r\n";
    const TlsPeer peer(temp.path, text);
    if (!peer.Ready()) GTEST_SKIP() << "openssl cannot serve TLS here";
    Secure(peer.Port());
    rec.answers = {"Yes"};
    ASSERT_TRUE(Connects());
    EXPECT_TRUE(loop.RunUntil([&] { return !session->Connected(); }, 10s));
    const std::string last = text.substr(text.rfind("line ", text.size() - 3));
    EXPECT_TRUE(Shown(last + "TavTerm disconnecting...\r\n"));
}

} // namespace
