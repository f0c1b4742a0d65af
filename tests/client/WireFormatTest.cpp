#include "ConnectionTestSupport.h"

#include "client/ClientMessage.h"
#include "client/ClientSender.h"
#include "client/MessageType.h"
#include "client/OutgoingMessage.h"

#include <functional>

namespace tav::test {
namespace {

void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// The frame as the wire layout describes it, built byte by byte.
Bytes ExpectedFrame(std::int32_t type, std::string_view text1, std::string_view text2,
                    const Bytes& data) {
    Bytes b(276 + data.size(), 0);
    Put32(b, 0, static_cast<std::uint32_t>(272 + data.size()));
    Put32(b, 4, static_cast<std::uint32_t>(type));
    Put32(b, 8, 3);
    std::copy(text1.begin(), text1.end(), b.begin() + 12);
    std::copy(text2.begin(), text2.end(), b.begin() + 140);
    Put32(b, 268, static_cast<std::uint32_t>(data.size()));
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
    SetText(field, k200);
    EXPECT_EQ(TextOf(field), k127);
    EXPECT_EQ(field[127], '\0');
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

} // namespace
} // namespace tav::test
