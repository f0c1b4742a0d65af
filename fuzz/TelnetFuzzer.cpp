// The telnet layer must not care where the socket cut the stream: fed whole and fed in
// pieces, it hands the screen the same text, the server the same answers and the session
// the same events, compressed (MCCP) or not, and it never holds more than its bounds.
//
// Input: the stream, then (from the end) a mode byte and the seed of the cuts. With the
// mode's low bit set, the second half of the stream is sent compressed after an MCCP
// start, as a real server would, so the inflater and what follows the compressed stream
// are reached. With bit 8 set, the pieces are inflated on the inflate thread.
#include "fuzz/FuzzSupport.h"
#include "net/GameData.h"
#include "net/TelnetCodes.h"
#include "net/TelnetProtocol.h"
#include "tests/support/TelnetBytes.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

namespace {

struct NoGameData final : tav::GameDataSink {
    void Vitals(const tav::GameVitals&) override {}
    void Room(const tav::GameRoom&) override {}
    void ChannelText(const tav::GameChannelText&) override {}
};

struct Record final : tav::TelnetEvents {
    std::string screen, sent;
    std::vector<std::string> events;
    NoGameData data;
    tav::GameDataReader reader{data};
    void ScreenBytes(std::string_view b) override {
        FUZZ_CHECK(!b.empty(), "no empty text");
        screen += b;
    }
    void SendBytes(std::string_view b) override { sent += b; }
    void PromptEnd() override { events.push_back("prompt@" + std::to_string(screen.size())); }
    void Utf8Agreed() override { events.push_back("utf8@" + std::to_string(screen.size())); }
    void Gmcp(std::string_view m) override {
        FUZZ_CHECK(m.size() <= tav::TelnetProtocol::kMaxSubnegotiation, "bounded GMCP");
        reader.ReadGmcp(m);
        events.push_back("gmcp:" + std::string(m));
    }
    void Msdp(std::string_view m) override {
        FUZZ_CHECK(m.size() <= tav::TelnetProtocol::kMaxSubnegotiation, "bounded MSDP");
        reader.ReadMsdp(m);
        events.push_back("msdp:" + std::string(m));
    }
    void Failed(std::string_view) override { events.push_back("failed"); }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tav::telnet;
    FuzzedDataProvider provider(data, size);
    const std::uint8_t mode = provider.ConsumeIntegral<std::uint8_t>();
    std::uint32_t cuts = provider.ConsumeIntegral<std::uint32_t>() | 1;
    std::string stream = provider.ConsumeRemainingBytesAsString();
    if (stream.size() > 3 * tav::TelnetProtocol::kMaxSubnegotiation) return 0;
    if (mode & 1) {
        const std::string plain = stream.substr(0, stream.size() / 2);
        const std::string packed = stream.substr(stream.size() / 2);
        stream =
            plain + "\xFF\xFB\x56\xFF\xFA\x56\xFF\xF0" + tav::test::Compressed(packed, mode & 2);
        if (mode & 2) stream += "after the stream";
    }

    tav::TelnetIdentity identity;
    identity.acceptUtf8 = mode & 4;
    Record whole;
    tav::TelnetProtocol reference(identity, whole);
    reference.SetWindowSize(80, 24);
    reference.Receive(stream);

    Record pieces;
    tav::TelnetProtocol protocol(identity, pieces);
    protocol.SetWindowSize(80, 24);
    protocol.SetInflateThread(mode & 8);
    for (std::size_t at = 0; at < stream.size();) {
        cuts = cuts * 1103515245u + 12345u;
        const std::size_t length = 1 + (cuts >> 16) % 300;
        protocol.Receive(std::string_view(stream).substr(at, length));
        at += length;
    }
    protocol.Flush();
    FUZZ_CHECK(pieces.screen == whole.screen, "same text for the screen");
    FUZZ_CHECK(pieces.sent == whole.sent, "same answers");
    FUZZ_CHECK(pieces.events == whole.events, "same events in the same order");
    FUZZ_CHECK(protocol.HasFailed() == reference.HasFailed(), "same failure");
    return 0;
}
