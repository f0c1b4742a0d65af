// The GMCP and MSDP readers take whatever a server sends: any bytes must give a clean
// result or nothing, never a crash, however deep or broken the JSON or MSDP tables are.
//
// Input: a byte choosing GMCP or MSDP, then the message.
#include "fuzz/FuzzSupport.h"
#include "net/GameData.h"

#include <cstdint>
#include <string_view>

namespace {

struct Check final : tav::GameDataSink {
    std::size_t limit = 0;
    void Vitals(const tav::GameVitals&) override {}
    void Room(const tav::GameRoom& room) override {
        FUZZ_CHECK(room.name.size() <= limit, "a room name from the message");
        FUZZ_CHECK(room.exits.size() <= limit, "exits from the message");
    }
    void ChannelText(const tav::GameChannelText& text) override {
        FUZZ_CHECK(!text.text.empty() && text.text.size() <= limit, "channel text from it");
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view message(reinterpret_cast<const char*>(data + 1), size - 1);
    Check check;
    check.limit = message.size() * 6; // JSON escapes grow at most six times (\uXXXX)
    tav::GameDataReader reader(check);
    if (data[0] & 1)
        reader.ReadMsdp(message);
    else
        reader.ReadGmcp(message);
    const std::string logged = tav::LoggedGameMessage("GMCP", message);
    FUZZ_CHECK(logged.size() <= tav::kMaxLoggedMessage + 3, "one bounded log line");
    return 0;
}
