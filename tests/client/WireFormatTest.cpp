// The wire's formats: the exact bytes of every frame the client sends, the header's text
// fields, and the decoders of the payloads the server sends.
#include "ConnectionTestSupport.h"

#include "client/ClientSender.h"
#include "client/MessageType.h"

#include <cstring>
#include <memory>

namespace tav::test {
namespace {

// The frame as the wire layout describes it, built byte by byte.
Bytes ExpectedFrame(std::int32_t type, std::string_view text1, std::string_view text2,
                    const Bytes& data) {
    Bytes b(276 + data.size(), 0);
    StoreLe32(&b[0], static_cast<std::uint32_t>(272 + data.size()));
    StoreLe32(&b[4], static_cast<std::uint32_t>(type));
    StoreLe32(&b[8], 3);
    std::copy(text1.begin(), text1.end(), b.begin() + 12);
    std::copy(text2.begin(), text2.end(), b.begin() + 140);
    StoreLe32(&b[268], static_cast<std::uint32_t>(data.size()));
    std::copy(data.begin(), data.end(), b.begin() + 276);
    return b;
}

struct SendCase {
    std::int32_t type;
    std::string text1, text2;
    Bytes data;
    std::string debugLine; // written with cdmdebug on; empty for none
    std::function<std::ptrdiff_t(ClientSender&)> send;
};

const std::string k200(200, 'x');
const std::string k127(127, 'x');

std::vector<SendCase> SendCases() {
    using S = ClientSender&;
    Bytes edit(9000, 'e'); // larger than a receive chunk
    edit.push_back(0);
    const auto login = [](S s) { return s.SendLoginRequest("bob", "pw"); };
    const auto longLogin = [](S s) { return s.SendLoginRequest(k200, k200); };
    const auto editReply = [](S s) { return s.SendEditReply("ab\r\nc"); };
    return {
        {1, "bob", "pw", {}, "MSGSEND: login_request", login},
        {1, k127, k127, {}, "MSGSEND: login_request", longLogin},
        {2, "a", "", {}, "MSGSEND: soundnogo a", [](S s) { return s.SendSoundNogo("a"); }},
        {3, "x.mid", "", {}, "MSGSEND: soundgo x.mid", [](S s) { return s.SendSoundGo("x.mid"); }},
        {4, "", "", {}, "MSGSEND: ping", [](S s) { return s.SendPing(); }},
        {8, "", "", {'a', 'b', '\r', '\n', 'c', 0}, "", editReply},
        {8, "", "", {0}, "", [](S s) { return s.SendEditReply(""); }},
        {8, "", "", edit, "", [](S s) { return s.SendEditReply(std::string(9000, 'e')); }},
        {9, "look", "", {}, "MSGSEND: command look", [](S s) { return s.SendCommand("look"); }},
        {9, k127, "", {}, "MSGSEND: command " + k127, [](S s) { return s.SendCommand(k200); }},
        {10, "", "", {}, "", [](S s) { return s.SendHelpIndexRequest(); }},
        {11, "magic", "", {}, "", [](S s) { return s.SendHelpFileRequest("magic"); }},
        {12, "", "", {}, "", [](S s) { return s.SendBindexRequest(); }},
        {13, "-7", "", {}, "", [](S s) { return s.SendMsgIndexRequest(-7); }},
        {14, "3 0", "", {}, "", [](S s) { return s.SendMsgRequest(3, 0); }},
        {15, "12 45", "", {}, "", [](S s) { return s.SendMsgDelete(12, 45); }},
        {16, "2", "Re: hi", {}, "", [](S s) { return s.SendMsgPost(2, "Re: hi"); }},
    };
}

TEST(ClientSenderTest, WritesExactFramesOnARealSocket) {
    for (bool debug : {false, true}) {
        const std::vector<SendCase> cases = SendCases();
        for (std::size_t i = 0; i < cases.size(); ++i) {
            const SendCase& c = cases[i];
            SCOPED_TRACE(::testing::Message() << "case " << i << (debug ? " debug" : ""));
            SocketPair pair;
            PosixSocket socket(pair.fds[0]);
            WireRig rig(socket, debug);
            ClientSender sender(rig.wire, rig.link, rig.log, rig.settings);

            const Bytes expected = ExpectedFrame(c.type, c.text1, c.text2, c.data);
            EXPECT_EQ(c.send(sender), static_cast<std::ptrdiff_t>(expected.size()));
            EXPECT_EQ(ReadExactly(pair.fds[1], expected.size()), expected);
            std::vector<std::string> lines;
            if (debug && !c.debugLine.empty()) lines.push_back(c.debugLine);
            EXPECT_EQ(rig.log.lines, lines);
        }
    }
}

TEST(ClientSenderTest, PingSendsNothingWhileNotConnectedAndAGonePeerDisconnects) {
    ScriptedSocket scripted;
    WireRig idle(scripted, true);
    idle.link.connected = false;
    ClientSender quiet(idle.wire, idle.link, idle.log, idle.settings);
    EXPECT_EQ(quiet.SendPing(), 0);
    EXPECT_TRUE(scripted.sent.empty());
    EXPECT_TRUE(idle.log.lines.empty());

    SocketPair pair;
    pair.Close(1);
    PosixSocket socket(pair.fds[0]);
    WireRig rig(socket);
    ClientSender sender(rig.wire, rig.link, rig.log, rig.settings);
    EXPECT_EQ(sender.SendCommand("look"), -1);
    EXPECT_EQ(rig.log.lines, std::vector<std::string>{"Connection closed by server...."});
    EXPECT_EQ(rig.link.disconnects, 1);
}

TEST(MessageHeaderTest, TextFieldsKeepTheirNulAndCutUnterminatedText) {
    TextField field;
    field.fill('y'); // no NUL anywhere, as a hostile server may send
    EXPECT_EQ(TextOf(field), std::string(127, 'y'));
    SetText(field, std::string_view("a\0b", 3));
    EXPECT_EQ(TextOf(field), "a");
}

// The codes in the catalogue's gaps and beyond its ends are no message (the connection
// test shows the known ones handled).
TEST(MessageTypeTest, CodesOutsideTheCatalogueAreUnknown) {
    for (std::int32_t code : {-1, 49, 52, 55, 56, 78, 997, 1000, 1 << 30}) {
        EXPECT_FALSE(ToIncomingType(code).has_value()) << code;
        EXPECT_EQ(ReceiveDebugLine(code), "MSGRECV: <unknown type>");
    }
}

TEST(MessageDecoderTest, NumbersReadLikeTheServersFormats) {
    const std::vector<std::pair<std::string_view, HitManaMove>> hmm = {
        {"10/20 30/40 50/60", {10, 20, 30, 40, 50, 60}},
        {"  -5/+7\t1/2   3/4 trailing", {-5, 7, 1, 2, 3, 4}},
        {"10/20 30", {10, 20, 30, 0, 0, 0}},
        {"10 /20 30/40 50/60", {10, 0, 0, 0, 0, 0}}, // '/' must follow at once
        {"99999999999/-99999999999 1/1 1/1", {2147483647, -2147483647 - 1, 1, 1, 1, 1}},
        {"", {}},
        {"hp", {}},
    };
    for (const auto& [text, expected] : hmm)
        EXPECT_EQ(ParseHitManaMove(text), expected) << text;
    // A text that ends where its memory ends is not read past (the sanitizer pass sees it).
    const auto exact = std::make_unique<char[]>(8);
    std::memcpy(exact.get(), "10/20 30", 8);
    EXPECT_EQ(ParseHitManaMove({exact.get(), 8}), (HitManaMove{10, 20, 30, 0, 0, 0}));

    EXPECT_EQ((std::vector{ParseNumber(" 42abc"), ParseNumber("-"), ParseNumber("")}),
              (std::vector{42, 0, 0}));
    EXPECT_EQ(ParseNumberPair("64 12"), (std::array<int, 2>{64, 12}));
    EXPECT_EQ(ParseNumberPair("64"), (std::array<int, 2>{64, 0}));
    // A number missing ends the scan, as sscanf's does: nothing after it is read.
    EXPECT_EQ(ParseHitManaMove("/20 30/40 50/60"), (HitManaMove{0, 0, 0, 0, 0, 0}));
}

TEST(MessageDecoderTest, MapFillsGroupsInOrderAndZeroesWhatIsMissing) {
    Bytes data(kMapBytes + 8);
    for (std::size_t i = 0; i < data.size() / 4; ++i)
        StoreLe32(&data[i * 4], static_cast<std::uint32_t>(static_cast<int>(i) - 242));
    const MapGrid grid = DecodeMap(data);
    EXPECT_EQ(std::tuple(grid[0][0], grid[0][21], grid[1][0], grid[21][21]),
              std::tuple(-242, -221, -220, 241));
    const MapGrid partial = DecodeMap(std::span(data).first(23 * 4 + 3));
    EXPECT_EQ(std::tuple(partial[1][0], partial[1][1], partial[21][21]), std::tuple(-220, 0, 0));
}

Bytes Entries(std::size_t size, const std::vector<std::string>& texts) {
    const std::string records = Records(size, texts);
    return {records.begin(), records.end()};
}

// Each index takes only whole entries, at most its count of them; a message line's
// heading is what follows its first "::".
TEST(MessageDecoderTest, IndexesTakeOnlyWholeEntries) {
    const std::string records = BoardRecords({{7, "General"}, {-3, std::string(140, 'T')}});
    const Bytes data(records.begin(), records.end()); // the second title without a NUL
    const std::vector<BoardEntry> both = {{7, "General"}, {-3, std::string(139, 'T')}};

    EXPECT_EQ(DecodeBoardIndex(2, data), both);
    EXPECT_EQ(DecodeBoardIndex(5, data), both);
    EXPECT_EQ(DecodeBoardIndex(1, data).size(), 1u);
    EXPECT_TRUE(DecodeBoardIndex(-1, data).empty());
    EXPECT_EQ(DecodeBoardIndex(2, std::span(data).first(200)).size(), 1u);

    const Bytes messages = Entries(kMessageEntryBytes, {"1 bob :: Hello", "2 ann::Re: x::y", "3"});
    const std::vector<std::string> lines = {"1 bob :: Hello", "2 ann::Re: x::y", "3"};
    EXPECT_EQ(DecodeMessageIndex(3, messages), lines);
    EXPECT_EQ(DecodeMessageIndex(9, std::span(messages).first(300)).size(), 2u);
    EXPECT_EQ(
        (std::vector{MessageHeading(lines[0]), MessageHeading(lines[1]), MessageHeading(lines[2])}),
        (std::vector<std::string_view>{" Hello", "Re: x::y", ""}));

    const Bytes help = Entries(16, {"armor", "bash", "", "cast"}); // stops at the empty entry
    EXPECT_EQ(DecodeHelpIndex(16, 4, help), (std::vector<std::string>{"armor", "bash"}));
    EXPECT_EQ(DecodeHelpIndex(16, 1, help), (std::vector<std::string>{"armor"}));
    EXPECT_EQ(DecodeHelpIndex(16, 100, std::span(help).first(20)),
              (std::vector<std::string>{"armor"}));
    EXPECT_TRUE(DecodeHelpIndex(0, 4, help).empty());
    EXPECT_TRUE(DecodeHelpIndex(-16, 4, help).empty());
}

// An index reply keeps at most kMaxIndexEntries entries and says whether it cut any.
TEST(MessageDecoderTest, IndexesKeepAtMostTheirLimitAndSaySo) {
    for (const std::size_t n : {kMaxIndexEntries, kMaxIndexEntries + 1}) {
        const int count = static_cast<int>(n);
        const bool over = n > kMaxIndexEntries;
        bool boardsCut = !over, messagesCut = !over, helpCut = !over;
        EXPECT_EQ(DecodeBoardIndex(count, Bytes(n * kBoardEntryBytes, 'b'), &boardsCut).size(),
                  kMaxIndexEntries);
        EXPECT_EQ(
            DecodeMessageIndex(count, Bytes(n * kMessageEntryBytes, 'm'), &messagesCut).size(),
            kMaxIndexEntries);
        EXPECT_EQ(DecodeHelpIndex(2, count, Bytes(n * 2, 'h'), &helpCut).size(), kMaxIndexEntries);
        EXPECT_EQ(std::vector<bool>({boardsCut, messagesCut, helpCut}), std::vector<bool>(3, over));
    }
}

} // namespace
} // namespace tav::test
