#include "net/TelnetProtocol.h"
#include "net/TelnetCodes.h"
#include "tests/support/TelnetBytes.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace tav;
using tav::test::Compressed;
using tav::test::Iac;
using namespace tav::telnet;

namespace {

// A protocol, and everything it hands on, in order, as readable events.
struct Recorder final : TelnetEvents {
    explicit Recorder(const TelnetIdentity& identity = {}) : protocol(identity, *this) {}
    std::string screen, sent;
    std::vector<std::string> events;
    void ScreenBytes(std::string_view b) override {
        screen += b;
        events.push_back("text:" + std::string(b));
    }
    void SendBytes(std::string_view b) override { sent += b; }
    void PromptEnd() override { events.push_back("prompt"); }
    void Utf8Agreed() override { events.push_back("utf8"); }
    void Gmcp(std::string_view m) override { events.push_back("gmcp:" + std::string(m)); }
    void Msdp(std::string_view m) override { events.push_back("msdp:" + std::string(m)); }
    void Failed(std::string_view r) override { events.push_back("failed:" + std::string(r)); }
    TelnetProtocol protocol; // last: made after, and gone before, what it hands on to
};

const std::string kMccpStart = Iac({kSb, kCompress2}) + Iac({kSe});

} // namespace

TEST(TelnetProtocol, AnswersEachOfferOnceAndNeverTheEchoOffers) {
    const std::pair<std::string, std::string> cases[] = {
        // received, reply
        {Iac({kWill, kEcho}), ""}, // masks the input; never answered
        {Iac({kDo, kEcho}), ""},   //
        {Iac({kWill, kSuppressGoAhead}), Iac({kDo, kSuppressGoAhead})},
        {Iac({kWill, kEndOfRecord}), Iac({kDo, kEndOfRecord})},
        {Iac({kWill, kCompress2}), Iac({kDo, kCompress2})},
        {Iac({kDo, kTerminalType}), Iac({kWill, kTerminalType})},
        {Iac({kDo, kCharset}), Iac({kWill, kCharset})},
        {Iac({kWill, 99}), Iac({kDont, 99})}, // unknown: refused
        {Iac({kDo, 99}), Iac({kWont, 99})},
        {Iac({kWont, 99}), ""}, // already off: nothing to confirm
        {Iac({kWill, kEndOfRecord}) + Iac({kWill, kEndOfRecord}), Iac({kDo, kEndOfRecord})},
        {Iac({kWill, kEndOfRecord}) + Iac({kWont, kEndOfRecord}),
         Iac({kDo, kEndOfRecord}) + Iac({kDont, kEndOfRecord})},
        {Iac({kDo, kWindowSize}), Iac({kWill, kWindowSize})}, // no size known yet: no NAWS
    };
    for (const auto& [received, reply] : cases) {
        Recorder out;
        out.protocol.Receive(received);
        EXPECT_EQ(out.sent, reply) << testing::PrintToString(received);
    }
    Recorder out;
    out.protocol.Receive("a" + Iac({kWill, kEcho}) + "b" + Iac({kIac}) + "c" + Iac({kWont, kEcho}));
    EXPECT_EQ(out.screen,
              "a" + Iac({kWill, kEcho}) + "b" + Iac({kIac}) + "c" + Iac({kWont, kEcho}));
}

// Where the socket cuts the stream is telnet_fuzzer's check (seeds "offers" and
// "offers-compressed").
TEST(TelnetProtocol, CommandsAndSubnegotiationsLeaveOnlyTheText) {
    Recorder whole;
    whole.protocol.Receive("Hello" + Iac({kWill, kGmcp}) + "\r\n" + Iac({kSb, kGmcp}) +
                           "Char.Vitals {\"hp\":1}" + Iac({kSe}) + Iac({kDo, kTerminalType}) +
                           Iac({kSb, kTerminalType, 1}) + Iac({kSe}) + "x" + Iac({kIac}) + "y" +
                           Iac({kGa}) + "prompt" + Iac({kSb, 200}) + "ab" + Iac({kIac}) +
                           Iac({kSe}) + "end");
    EXPECT_EQ(whole.screen, "Hello\r\nx\xFF\xFFypromptend");
}

TEST(TelnetProtocol, TerminalTypeCyclesThroughNameTypeAndMtts) {
    TelnetIdentity identity;
    identity.mttsBits = kMttsAnsi | kMttsUtf8;
    Recorder out(identity);
    const std::string send = Iac({kSb, kTerminalType, kTerminalTypeSend}) + Iac({kSe});
    out.protocol.Receive(send); // asked before it was agreed: no answer
    EXPECT_EQ(out.sent, "");
    out.protocol.Receive(Iac({kDo, kTerminalType}));
    out.sent.clear();
    for (int k = 0; k < 4; ++k)
        out.protocol.Receive(send);
    auto is = [](std::string_view name) {
        return Iac({kSb, kTerminalType, kTerminalTypeIs}) + std::string(name) + Iac({kSe});
    };
    EXPECT_EQ(out.sent, is("TAVCLIENT") + is("ANSI") + is("MTTS 5") + is("MTTS 5"));
}

TEST(TelnetProtocol, WindowSizeIsSentWhenAgreedAndOnlyWhenItChanges) {
    Recorder out;
    out.protocol.SetWindowSize(80, 24); // not agreed yet: nothing
    EXPECT_EQ(out.sent, "");
    out.protocol.Receive(Iac({kDo, kWindowSize}));
    out.protocol.SetWindowSize(80, 24);
    out.protocol.SetWindowSize(300, 255); // 255 goes out doubled
    out.protocol.Receive(Iac({kDont, kWindowSize}) + Iac({kDo, kWindowSize})); // told again
    const std::string naws = Iac({kSb, kWindowSize});
    const std::string big = naws + std::string("\x01,\0\xFF\xFF", 5) + Iac({kSe});
    EXPECT_EQ(out.sent, Iac({kWill, kWindowSize}) + naws + std::string("\0P\0\x18", 4) +
                            Iac({kSe}) + big + Iac({kWont, kWindowSize}) +
                            Iac({kWill, kWindowSize}) + big);
}

TEST(TelnetProtocol, CharsetSwitchesToUtf8OnlyWhenTheProfileAllowsIt) {
    const std::string request =
        Iac({kSb, kCharset, kCharsetRequest}) + ";ISO-8859-1;utf-8" + Iac({kSe});
    for (bool allow : {false, true}) {
        TelnetIdentity identity;
        identity.acceptUtf8 = allow;
        Recorder out(identity);
        out.protocol.Receive(Iac({kWill, kCharset}) + "before" + request + "after");
        const std::string answer = allow ? std::string(1, char(kCharsetAccepted)) + "UTF-8"
                                         : std::string(1, char(kCharsetRejected));
        EXPECT_EQ(out.sent, Iac({kDo, kCharset}) + Iac({kSb, kCharset}) + answer + Iac({kSe}));
        EXPECT_EQ(out.events, (allow ? std::vector<std::string>{"text:before", "utf8", "text:after"}
                                     : std::vector<std::string>{"text:beforeafter"}));
    }
    // A request that is only the translation-table mark, cut short: refused.
    TelnetIdentity identity;
    identity.acceptUtf8 = true;
    Recorder out(identity);
    out.protocol.Receive(Iac({kWill, kCharset}) + Iac({kSb, kCharset, kCharsetRequest}) +
                         "[TTABLE]" + Iac({kSe}));
    EXPECT_EQ(out.sent.substr(3), Iac({kSb, kCharset, kCharsetRejected}) + Iac({kSe}));
    // A request before either side agreed to CHARSET is not answered, nor an empty
    // subnegotiation after.
    Recorder early(identity);
    early.protocol.Receive(Iac({kSb, kCharset, kCharsetRequest}) + ";UTF-8" + Iac({kSe}));
    EXPECT_EQ(early.sent, "");
    early.protocol.Receive(Iac({kWill, kCharset}) + Iac({kSb, kCharset}) + Iac({kSe}) + "x");
    EXPECT_EQ(early.sent, Iac({kDo, kCharset}));
}

TEST(TelnetProtocol, PromptsAndGmcpArriveInStreamOrder) {
    Recorder out;
    out.protocol.Receive(Iac({kWill, kEndOfRecord}) + Iac({kWill, kGmcp}) + "HP 10> " +
                         Iac({kEor}) + Iac({kSb, kGmcp}) + "Room.Info {}" + Iac({kSe}) + "next" +
                         Iac({kGa}));
    EXPECT_EQ(out.events, (std::vector<std::string>{"text:HP 10> ", "prompt", "gmcp:Room.Info {}",
                                                    "text:next", "prompt"}));
    EXPECT_NE(out.sent.find("Core.Hello {\"client\":\"TavClient\""), std::string::npos);
    EXPECT_NE(out.sent.find("Core.Supports.Set"), std::string::npos);
}

TEST(TelnetProtocol, SubnegotiationsAreBounded) {
    Recorder out;
    out.protocol.Receive(Iac({kWill, kGmcp}));
    out.protocol.Receive(Iac({kSb, kGmcp}));
    out.protocol.Receive(std::string(TelnetProtocol::kMaxSubnegotiation + 10, 'x'));
    out.protocol.Receive("y" + Iac({kIac}) + "z" + Iac({kSe}) + "shown");
    for (const std::string& event : out.events)
        EXPECT_NE(event.substr(0, 5), "gmcp:");
    EXPECT_EQ(out.screen, "shown"); // nothing of the abandoned rest
}

TEST(TelnetProtocol, CompressedTextIsInflatedUntilItsStreamEndsInTheSameRead) {
    const std::string inside = "compressed line\r\n" + Iac({kIac}) + Iac({kWill, kEcho});
    const std::string stream =
        Iac({kWill, kCompress2}) + "plain " + kMccpStart + Compressed(inside) + "plain again";
    Recorder whole;
    whole.protocol.Receive(stream);
    EXPECT_EQ(whole.screen,
              "plain compressed line\r\n" + Iac({kIac}) + Iac({kWill, kEcho}) + "plain again");
    EXPECT_FALSE(whole.protocol.Compressing());
}

// Inflated on the inflate thread, a connection's streams hand over what inflating each
// read in place does, however the reads are cut: streams that end inside a read, a stream
// that starts again right after one ended, prompts and GMCP inside, a stream whose reads
// each stay inside the inflater's bound though together they would not, a stream long
// enough that the reads wait for the thread's queue to drain, and a damaged one.
TEST(TelnetProtocol, TheInflateThreadHandsOverWhatInflatingInPlaceDoes) {
    std::string story;
    for (int i = 0; i < 4000; ++i)
        story += "The goblin " + std::to_string(i) + " hits you.\r\n";
    const std::string gmcp = Iac({kSb, kGmcp}) + "Char.Vitals {\"hp\":5}" + Iac({kSe});
    const std::string zeros(12 * 1024 * 1024, '\0'); // 1 KiB reads inflate to 1 MiB each
    // The last stream is left open.
    const std::string stream = Iac({kWill, kCompress2}) + Iac({kWill, kGmcp}) + "plain " +
                               kMccpStart + Compressed(story + "HP> " + Iac({kGa}) + gmcp) +
                               "between " + gmcp + kMccpStart + Compressed(story, false);
    const std::string restarted =
        kMccpStart + Compressed("first") + kMccpStart + Compressed(story) + "after both";
    const std::string exploding = Iac({kWill, kCompress2}) + kMccpStart + Compressed(zeros) + "end";
    // Letters at random compress to over half a megabyte: more blocks than the queue holds.
    std::minstd_rand random(7);
    std::string noise;
    for (int i = 0; i < 1024 * 1024; ++i)
        noise += i % 80 == 79 ? '\n' : static_cast<char>(' ' + random() % 95);
    const std::string longStream =
        Iac({kWill, kCompress2}) + kMccpStart + Compressed(noise) + "end";
    std::string damaged = Iac({kWill, kCompress2}) + kMccpStart + Compressed(story);
    damaged[damaged.size() / 2] ^= 0x55;
    const std::string streams[] = {stream, Iac({kWill, kCompress2}) + restarted, exploding,
                                   longStream, damaged};
    for (const std::string& wire : streams) {
        for (const std::size_t cut : {std::size_t{1}, std::size_t{700}, std::size_t{1024},
                                      std::size_t{9000}, wire.size()}) {
            Recorder inPlace, threaded;
            threaded.protocol.SetInflateThread(true);
            // The threaded reads first, back to back, so that they outrun the thread.
            for (std::size_t at = 0; at < wire.size(); at += cut)
                threaded.protocol.Receive(std::string_view(wire).substr(at, cut));
            threaded.protocol.Flush();
            for (std::size_t at = 0; at < wire.size(); at += cut)
                inPlace.protocol.Receive(std::string_view(wire).substr(at, cut));
            EXPECT_EQ(threaded.screen, inPlace.screen) << cut;
            EXPECT_EQ(threaded.sent, inPlace.sent);
            // Text comes in other pieces; everything else in the same order, a prompt after
            // the same text.
            const auto others = [](const Recorder& r) {
                std::vector<std::string> list;
                std::size_t text = 0;
                for (const std::string& event : r.events) {
                    if (event.starts_with("text:"))
                        text += event.size() - 5;
                    else
                        list.push_back(event == "prompt" ? "prompt@" + std::to_string(text)
                                                         : event);
                }
                return list;
            };
            EXPECT_EQ(others(threaded), others(inPlace)) << cut;
            EXPECT_EQ(threaded.protocol.HasFailed(), inPlace.protocol.HasFailed());
            EXPECT_EQ(threaded.protocol.Compressing(), inPlace.protocol.Compressing());
            EXPECT_FALSE(threaded.protocol.Inflating());
        }
    }
}

TEST(TelnetProtocol, DamagedOrExplodingCompressionFailsWithoutShowingGarbage) {
    std::string bomb = Compressed(std::string(Inflater::kMaxOutputPerInput + 1, 'a'));
    const std::string streams[] = {"garbage that is not zlib", bomb};
    for (const std::string& compressed : streams) {
        Recorder out;
        out.protocol.Receive(Iac({kWill, kCompress2}) + "before" + kMccpStart + compressed);
        out.protocol.Receive("after the failure");
        ASSERT_TRUE(out.protocol.HasFailed());
        EXPECT_EQ(out.events.front(), "text:before");
        EXPECT_EQ(out.events.back().substr(0, 7), "failed:");
        EXPECT_EQ(out.screen.find("after"), std::string::npos);
        EXPECT_LE(out.screen.size(), 6 + Inflater::kMaxOutputPerInput);
    }
    // A compression start the server never agreed to is ignored.
    Recorder out;
    out.protocol.Receive(kMccpStart + "plain");
    EXPECT_EQ(out.screen, "plain");
}
