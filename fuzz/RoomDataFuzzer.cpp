// The automapper takes whatever a server sends: room data in GMCP and MSDP, MSSP, and the
// player's commands between them, in any order. The map must stay sound throughout (see
// MapChecks.h), a walk must follow known exits, and MSSP must stay within its bounds.
//
// Input: pieces separated by 0xFF, each opened by a byte choosing what it is: 0 GMCP,
// 1 MSDP, 2 MSDP then the end of a read, 3 a command sent, 4 MSSP, 5 a walk to the room
// numbered by the rest, 6 a stop.
#include "fuzz/MapChecks.h"
#include "map/Mapper.h"
#include "net/MsspReader.h"

#include <cstdint>
#include <string_view>

namespace {

struct Session final : tav::MapSession {
    void SendMapCommand(std::string_view command) override {
        FUZZ_CHECK(!command.empty() && command.size() <= tav::kMaxExitNameBytes, "a step");
    }
    void WalkEnded(tav::WalkEnd) override {}
    void MapProblem(std::string_view) override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    Session session;
    tav::Mapper mapper(session);
    tav::PathFinder paths;
    while (!input.empty()) {
        const std::size_t end = input.find('\xff');
        std::string_view piece = input.substr(0, end);
        input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
        if (piece.empty()) continue;
        const char kind = piece[0];
        piece.remove_prefix(1);
        switch (kind % 7) {
        case 0: mapper.Gmcp(piece); break;
        case 1: mapper.Msdp(piece); break;
        case 2:
            mapper.Msdp(piece);
            mapper.EndOfInput();
            break;
        case 3: mapper.CommandSent(piece); break;
        case 4: {
            const auto mssp = tav::ReadMssp(piece);
            FUZZ_CHECK(mssp.size() <= tav::kMaxMsspVariables, "MSSP variables within bounds");
            for (const tav::MsspVariable& v : mssp)
                FUZZ_CHECK(!v.name.empty() && v.name.size() <= tav::kMaxMsspNameBytes &&
                               v.value.size() <= tav::kMaxMsspValueBytes && tav::IsUtf8(v.name) &&
                               tav::IsUtf8(v.value),
                           "MSSP names and values clean and bounded");
            break;
        }
        case 5: {
            const tav::RoomNumber target = static_cast<unsigned char>(piece.empty() ? 0 : piece[0]);
            mapper.WalkTo(target);
            const auto here = mapper.CurrentRoom();
            if (!here) break;
            const auto steps = paths.Find(mapper.Map(), *here, target);
            tav::RoomNumber at = *here;
            for (const tav::PathStep& step : steps.value_or(std::vector<tav::PathStep>{})) {
                const tav::MapRoom* room = mapper.Map().Find(at);
                const tav::RoomExit* exit = room ? room->FindExit(step.command) : nullptr;
                FUZZ_CHECK(exit && exit->to == step.to, "a path follows known exits");
                at = step.to;
            }
            FUZZ_CHECK(!steps || at == target, "a path ends where it was to go");
            break;
        }
        default: mapper.StopWalk(); break;
        }
        if (const auto here = mapper.CurrentRoom())
            FUZZ_CHECK(mapper.Map().Find(*here), "the player's room is in the map");
    }
    tav::fuzz::CheckMap(mapper.Map());
    return 0;
}
