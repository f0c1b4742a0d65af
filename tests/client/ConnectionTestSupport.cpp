#include "tests/client/ConnectionTestSupport.h"

#include <random>
#include <unistd.h>

namespace tav::test {

std::string ServerFrame(std::int32_t type, std::string_view text1, std::string_view text2,
                        std::string_view data, std::optional<std::int32_t> dataLen) {
    MessageHeader header;
    header.type = type;
    header.aux = 7;
    SetText(header.text1, text1);
    SetText(header.text2, text2);
    header.data_len = dataLen.value_or(static_cast<std::int32_t>(data.size()));
    std::string frame(kLengthBytes + kHeaderBytes, '\0');
    auto* bytes = reinterpret_cast<std::uint8_t*>(frame.data());
    StoreLe32(bytes, static_cast<std::uint32_t>(kHeaderBytes + data.size()));
    EncodeHeader(header, std::span<std::uint8_t, kHeaderBytes>(bytes + kLengthBytes, kHeaderBytes));
    frame += data;
    return frame;
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

TempDir::TempDir() {
    std::random_device random;
    path = std::filesystem::temp_directory_path() /
           ("tav-client-" + std::to_string(::getpid()) + "-" + std::to_string(random()));
    std::filesystem::create_directories(path / "text");
    std::filesystem::create_directories(path / "binary");
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

ConnectionRig::ConnectionRig(bool debug) {
    CopyField(settings.user, "hero");
    CopyField(settings.passwd, "secret");
    CopyField(settings.addy, "127.0.0.1");
    CopyField(settings.port, std::to_string(server.Port() - 1).c_str());
    settings.cdmdebug = debug ? 1 : 0;
    connection =
        std::make_unique<ClientConnection>(settings,
                                           ClientServices{loop, windows, sound, status, log, boxes,
                                                          address, clock, pendingEdit, pingStamp},
                                           dir.path.string());
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
