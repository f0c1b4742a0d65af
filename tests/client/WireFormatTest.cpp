#include "ClientTestSupport.h"

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
    const char* name;
    std::function<std::ptrdiff_t(ClientSender&)> send;
    std::int32_t type;
    std::string text1, text2;
    Bytes data;
    std::string debugLine; // written with cdmdebug on; empty for none
};

const std::string k200(200, 'x');
const std::string k127(127, 'x');

std::vector<SendCase> SendCases() {
    using S = ClientSender&;
    return {
        {"login",
         [](S s) { return s.SendLoginRequest("bob", "secret"); },
         1,
         "bob",
         "secret",
         {},
         "MSGSEND: login_request"},
        {"login long",
         [](S s) { return s.SendLoginRequest(k200, k200); },
         1,
         k127,
         k127,
         {},
         "MSGSEND: login_request"},
        {"soundnogo",
         [](S s) { return s.SendSoundNogo("rain.wav"); },
         2,
         "rain.wav",
         "",
         {},
         "MSGSEND: soundnogo rain.wav"},
        {"soundgo",
         [](S s) { return s.SendSoundGo("x.mid"); },
         3,
         "x.mid",
         "",
         {},
         "MSGSEND: soundgo x.mid"},
        {"ping", [](S s) { return s.SendPing(); }, 4, "", "", {}, "MSGSEND: ping"},
        {"edit_reply",
         [](S s) { return s.SendEditReply("ab\r\nc"); },
         8,
         "",
         "",
         {'a', 'b', '\r', '\n', 'c', 0},
         ""},
        {"edit_reply empty", [](S s) { return s.SendEditReply(""); }, 8, "", "", {0}, ""},
        {"command",
         [](S s) { return s.SendCommand("look"); },
         9,
         "look",
         "",
         {},
         "MSGSEND: command look"},
        {"command long",
         [](S s) { return s.SendCommand(k200); },
         9,
         k127,
         "",
         {},
         "MSGSEND: command " + k127},
        {"helpindex", [](S s) { return s.SendHelpIndexRequest(); }, 10, "", "", {}, ""},
        {"helpfile", [](S s) { return s.SendHelpFileRequest("magic"); }, 11, "magic", "", {}, ""},
        {"bindex", [](S s) { return s.SendBindexRequest(); }, 12, "", "", {}, ""},
        {"msgindex", [](S s) { return s.SendMsgIndexRequest(-7); }, 13, "-7", "", {}, ""},
        {"msg_request", [](S s) { return s.SendMsgRequest(3, 0); }, 14, "3 0", "", {}, ""},
        {"msg_delete", [](S s) { return s.SendMsgDelete(12, 45); }, 15, "12 45", "", {}, ""},
        {"msg_post", [](S s) { return s.SendMsgPost(2, "Re: hi"); }, 16, "2", "Re: hi", {}, ""},
        {"msg_post long", [](S s) { return s.SendMsgPost(2, k200); }, 16, "2", k127, {}, ""},
    };
}

TEST(ClientSenderTest, WritesExactFramesOnARealSocket) {
    for (bool debug : {false, true}) {
        for (const SendCase& c : SendCases()) {
            SCOPED_TRACE(std::string(c.name) + (debug ? " debug" : ""));
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

TEST(ClientSenderTest, FrameSizesOfMessagesWithAndWithoutData) {
    EXPECT_EQ(EncodeFrame(BuildPing()).size(), 276u);
    const Bytes empty = EncodeFrame(BuildEditReply(""));
    ASSERT_EQ(empty.size(), 277u);
    EXPECT_EQ(LoadLe32(empty.data()), 273u);
}

TEST(ClientSenderTest, PingSendsNothingWhileNotConnected) {
    ScriptedSocket socket;
    WireRig rig(socket, true);
    rig.link.connected = false;
    ClientSender sender(rig.wire, rig.link, rig.log, rig.settings);
    EXPECT_EQ(sender.SendPing(), 0);
    EXPECT_TRUE(socket.sent.empty());
    EXPECT_TRUE(rig.log.lines.empty());
}

TEST(ClientSenderTest, PeerGoneWhileSending) {
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

TEST(MessageTypeTest, CatalogueNamesKnownCodesOnly) {
    const std::vector<std::pair<std::int32_t, std::string_view>> known = {
        {50, "text_file"},      {51, "sound_file"},   {53, "text_mesg"},
        {54, "sound_query"},    {57, "edit_request"}, {58, "datetime"},
        {59, "who_list"},       {60, "channel_txt"},  {61, "eq_list"},
        {62, "inv_list"},       {63, "pingresponse"}, {64, "helpindex_reply"},
        {65, "helpfile_reply"}, {66, "hitmanamove"},  {67, "levelreport"},
        {68, "idinfo"},         {69, "bindex_reply"}, {70, "msgindex_reply"},
        {71, "msg_reply"},      {72, "msgbox"},       {73, "brdupdate"},
        {74, "desctext"},       {75, "exittext"},     {76, "contenttext"},
        {77, "mapinfo"},        {998, "soundstop"},   {999, "disconnect"}};
    for (const auto& [code, name] : known) {
        ASSERT_TRUE(ToIncomingType(code).has_value()) << code;
        EXPECT_EQ(static_cast<std::int32_t>(*ToIncomingType(code)), code);
        EXPECT_EQ(IncomingTypeName(code), name);
    }
    for (std::int32_t code : {-1, 0, 1, 4, 49, 52, 55, 56, 78, 500, 997, 1000, 1 << 30}) {
        EXPECT_FALSE(ToIncomingType(code).has_value()) << code;
        EXPECT_EQ(ReceiveDebugLine(code), "MSGRECV: <unknown type>");
    }
    EXPECT_EQ(ReceiveDebugLine(59), "MSGRECV: who_list");
    EXPECT_EQ(TypeName(OutgoingType::msgindex_request), "msgindex_request");
}

TEST(ClientMessageTest, DataTextEndsAtNulOrBlockEnd) {
    MessageHeader h;
    h.type = 59;
    EXPECT_EQ(ClientMessage(h, Bytes{'a', 'b', 0, 'c'}).DataText(), "ab");
    EXPECT_EQ(ClientMessage(h, Bytes{'a', 'b'}).DataText(), "ab");
    const ClientMessage none(h, Bytes{});
    EXPECT_FALSE(none.HasData());
    EXPECT_TRUE(none.Data().empty());
}

} // namespace
} // namespace tav::test
