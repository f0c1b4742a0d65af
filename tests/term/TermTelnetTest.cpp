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
    std::vector<GameRoom> rooms;
    void Vitals(const GameVitals& v) override { vitals.push_back(v); }
    void Room(const GameRoom& r) override { rooms.push_back(r); }
    void ChannelText(const GameChannelText&) override {}
};

// Connects a session that negotiates, with its game data recorded.
void ConnectNegotiating(SessionHarness& h, GameDataRecorder& data) {
    TermServices services = h.Recorded();
    services.gameData = &data;
    h.Open(services);
    h.session->SetNegotiation(true);
    h.Connect();
}

using namespace telnet;
const std::string kOffers = Iac({kWill, kEcho}) + Iac({kDo, kWindowSize}) +
                            Iac({kDo, kTerminalType}) + Iac({kWill, kGmcp}) +
                            Iac({kWill, kCompress2}) + "Hello\r\n";
const std::string kUtf8Offer =
    Iac({kWill, kCharset}) + Iac({kSb, kCharset, kCharsetRequest}) + ";UTF-8" + Iac({kSe});

} // namespace

TEST(TermTelnet, NegotiatedSessionFromOffersToCompressionToADamagedStream) {
    SessionHarness h;
    PollEventLoop& poll = h.loop;
    GameDataRecorder data;
    ConnectNegotiating(h, data);

    h.server.Send(kOffers + kUtf8Offer);
    const std::string answers = h.ReadUntil("UTF-8" + Iac({kSe}));
    const std::string naws = Iac({kSb, kWindowSize}) + std::string(1, '\0') +
                             char(h.screen.Columns()) + std::string(1, '\0') +
                             char(h.screen.Rows()) + Iac({kSe});
    const std::string expected =
        Iac({kWill, kWindowSize}) + naws + Iac({kWill, kTerminalType}) + Iac({kDo, kGmcp});
    EXPECT_EQ(answers.substr(0, expected.size()), expected);
    EXPECT_TRUE(h.Shown("Hello"));
    EXPECT_EQ(h.rec.masks, std::vector<bool>{true}); // WILL ECHO still masks the input

    // A prompt ended by GA is a line for the log at once; the echo after it is not
    // logged a second time with it.
    h.server.Send(Iac({kSb, kGmcp}) + "Char.Vitals {\"hp\":7,\"maxhp\":9}" + Iac({kSe}) + "HP 7> " +
                  Iac({kGa}));
    ASSERT_TRUE(poll.RunUntil([&] { return !data.vitals.empty(); }, 5s));
    ASSERT_TRUE(poll.RunUntil([&] { return h.rec.logFile.size() >= 2; }, 5s));
    EXPECT_EQ(h.rec.logFile.back(), "HP 7> \n");
    EXPECT_EQ(data.vitals[0].hp, 7);
    EXPECT_EQ(h.rec.log.back(), "GMCP Char.Vitals {\"hp\":7,\"maxhp\":9}");

    // MCCP: compressed text, then the stream's end and plain text in the same read.
    h.server.Send(Iac({kSb, kCompress2}) + Iac({kSe}) + Compressed("inside\r\n") + "after\r\n");
    ASSERT_TRUE(poll.RunUntil([&] { return h.Shown("after"); }, 5s));
    EXPECT_TRUE(h.Shown("HP 7> \r\ninside\r\nafter")); // the prompt a line of its own
    EXPECT_EQ(h.rec.logFile[h.rec.logFile.size() - 2], "inside\n");

    // Releasing the hold inside a half received GMCP message leaves the message whole.
    h.session->ToggleHold();
    h.server.Send("held line\r\n" + Iac({kSb, kGmcp}) + "Char.Vit");
    h.Pump();
    EXPECT_FALSE(h.Shown("held line"));
    h.session->ToggleHold();
    EXPECT_TRUE(h.Shown("held line"));
    h.server.Send("als {\"hp\":3}" + Iac({kSe}));
    ASSERT_TRUE(poll.RunUntil([&] { return data.vitals.size() == 2; }, 5s));
    EXPECT_EQ(data.vitals[1].hp, 3);

    // A damaged compressed stream ends the connection with a message, not garbage.
    h.server.Send(Iac({kSb, kCompress2}) + Iac({kSe}) + "this is not zlib data at all");
    ASSERT_TRUE(poll.RunUntil([&] { return !h.session->Connected(); }, 5s));
    EXPECT_TRUE(h.Shown("(MCCP) is damaged"));
    EXPECT_FALSE(h.Shown("zlib data"));
    EXPECT_EQ(h.session->Encoding(), TextEncoding::SevenBit) << "the agreement ends with it";

    // An encoding the player chose during an agreement outlives it.
    h.Connect();
    h.server.Send(kUtf8Offer);
    ASSERT_TRUE(poll.RunUntil([&] { return h.session->Encoding() == TextEncoding::Utf8; }, 5s));
    h.session->SetEncoding(TextEncoding::Latin1); // More options... while connected
    h.server.CloseClient();
    ASSERT_TRUE(poll.RunUntil([&] { return !h.session->Connected(); }, 5s));
    EXPECT_EQ(h.session->Encoding(), TextEncoding::Latin1);
}

TEST(TermTelnet, WithoutNegotiationTheServerHearsNothingBack) {
    SessionHarness h;
    PollEventLoop& poll = h.loop;
    h.Open(h.Recorded());
    h.Connect();
    h.server.Send(kOffers + Iac({kSb, kTerminalType, kTerminalTypeSend}) + Iac({kSe}) + "done\r\n");
    ASSERT_TRUE(poll.RunUntil([&] { return h.Shown("done"); }, 5s));
    poll.RunFor(100ms);
    EXPECT_EQ(h.server.Read(100ms), "");
    EXPECT_EQ(h.rec.masks, std::vector<bool>{true});
}
