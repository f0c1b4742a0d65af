#include "tests/client/ConnectionTestSupport.h"

#include "client/OutgoingMessage.h"

namespace tav::test {

std::string ServerFrame(std::int32_t type, std::string_view text1, std::string_view text2,
                        std::string_view data) {
    OutgoingMessage message; // the server's frames are laid out as the client's
    message.header.type = type;
    message.header.aux = 7;
    SetText(message.header.text1, text1);
    SetText(message.header.text2, text2);
    message.data.assign(data.begin(), data.end());
    const Bytes frame = EncodeFrame(message);
    return {frame.begin(), frame.end()};
}

std::vector<ClientMessage> ParseFrames(const std::string& bytes) {
    std::vector<ClientMessage> out;
    std::size_t at = 0;
    while (at + kLengthBytes <= bytes.size()) {
        const std::uint32_t length =
            LoadLe32(reinterpret_cast<const std::uint8_t*>(bytes.data() + at));
        if (at + kLengthBytes + length > bytes.size()) break;
        const auto* body = reinterpret_cast<const std::uint8_t*>(bytes.data() + at + kLengthBytes);
        if (auto message = ClientMessage::FromBody({body, body + length}))
            out.push_back(std::move(*message));
        at += kLengthBytes + length;
    }
    return out;
}

ConnectionRig::ConnectionRig(bool debug) {
    CopyField(settings.user, "hero");
    CopyField(settings.passwd, "secret");
    CopyField(settings.addy, "127.0.0.1");
    CopyField(settings.port, std::to_string(server.Port() - 1).c_str());
    settings.cdmdebug = debug ? 1 : 0;
    Rebuild(sound, pingStamp);
}

void ConnectionRig::Rebuild(ClientSound& through, const std::atomic<std::int32_t>& stamp,
                            std::uint64_t limit) {
    connection = std::make_unique<ClientConnection>(settings,
                                                    ClientServices{loop, windows, through, status,
                                                                   log, boxes, address, clock,
                                                                   pendingEdit, stamp},
                                                    dir.path.string(), limit);
}

::testing::AssertionResult ConnectionRig::ConnectAndLogin() {
    connection->Connect();
    if (!server.Accept()) return ::testing::AssertionFailure() << "no connection arrived";
    if (!Pump([&] { return connection->IsConnected(); }))
        return ::testing::AssertionFailure() << "never connected";
    const auto frames = ReadFrames();
    if (frames.size() != 1 || frames[0].Type() != 1 || frames[0].Header().aux != kClientAux ||
        frames[0].Text1() != settings.user || frames[0].Text2() != settings.passwd)
        return ::testing::AssertionFailure() << "no login frame with the user and password";
    return ::testing::AssertionSuccess();
}

} // namespace tav::test
