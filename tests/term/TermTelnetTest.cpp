// The Term connection's telnet layer against a real loopback peer.

#include "net/TelnetCodes.h"
#include "tests/support/TelnetBytes.h"
#include "tests/term/SessionHarness.h"

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
    server.Send("held line\r\n" + Iac({kSb, kGmcp}) + "Char.Vit");
    Pump();
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

TEST_F(TermTelnet, WithoutNegotiationTheServerHearsNothingBack) {
    Open(Recorded());
    Connect();
    server.Send(kOffers + Iac({kSb, kTerminalType, kTerminalTypeSend}) + Iac({kSe}) + "done\r\n");
    ASSERT_TRUE(loop.RunUntil([&] { return Shown("done"); }, 5s));
    loop.RunFor(100ms);
    EXPECT_EQ(server.Read(100ms), "");
    EXPECT_EQ(rec.masks, std::vector<bool>{true});
}

// A read cut by GA or EOR loses no line. A prompt is a line when its line ends, or (chosen)
// at its GA, and then the line's rest follows alone, or whole once the prompt was overwritten.
TEST_F(TermTelnet, EveryLineOfAReadCutByGaOrEorIsProcessedOnce) {
    Open(Recorded());
    session->SetNegotiation(true);
    triggers.AddTrigger("Line1", "seen");
    Connect();
    rec.logFile.clear();
    server.Send("Line1\r\nLine2\r\nHP:25> " + Iac({kGa}) + "\r\nNext\r\n> " + Iac({kEor}));
    EXPECT_EQ(ReadUntil("seen\r\n"), "seen\r\n");
    Type("look");
    session->SetGaPrompts(true);
    server.Send("HP> " + Iac({kGa}));
    EXPECT_TRUE(loop.RunUntil([&] { return rec.logFile.back() == "HP> \n"; }, 5s));
    Type("kill");
    const std::string back = "\x1b[" + std::to_string(screen.CursorRow()) + ";4H";
    server.Send("HP> " + Iac({kGa}) + back + "flee\r\nHP> " + Iac({kEor}) + "\x1b[4DRoom\r\n");
    loop.RunUntil([&] { return rec.logFile.back() == "Room\n"; }, 5s);
    EXPECT_EQ(rec.logFile, (std::vector<std::string>{"Line1\n", "Line2\n", "HP:25> \n", "Next\n",
                                                     "> look\n", "HP> \n", "kill\n", "HP> \n",
                                                     "flee\n", "HP> \n", "Room\n"}));
}
