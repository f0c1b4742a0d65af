#pragma once

#include "fuzz/FuzzSupport.h"
#include "map/RoomMap.h"
#include "settings/Utf8Text.h"

#include <algorithm>

namespace tav::fuzz {

// What every map holds, however it was made: clean bounded texts, sorted unique exits
// within their count, and each room in bounds at a place the index gives to it alone.
inline void CheckMap(const RoomMap& map) {
    const auto text = [](const std::string& s, std::size_t bound) {
        return s.size() <= bound && IsUtf8(s) &&
               std::none_of(s.begin(), s.end(), [](char c) { return c >= 0 && c < 0x20; });
    };
    for (const auto& [number, room] : map.Rooms()) {
        FUZZ_CHECK(room.number == number, "a room under its own number");
        FUZZ_CHECK(text(room.name, kMaxRoomNameBytes) && text(room.area, kMaxAreaNameBytes) &&
                       text(room.environment, kMaxEnvironmentBytes),
                   "clean bounded texts");
        FUZZ_CHECK(room.exits.size() <= kMaxRoomExits, "exits within their count");
        for (std::size_t i = 0; i < room.exits.size(); ++i) {
            const std::string& name = room.exits[i].name;
            FUZZ_CHECK(!name.empty() && text(name, kMaxExitNameBytes), "a clean exit name");
            FUZZ_CHECK(i == 0 || room.exits[i - 1].name < name, "exits sorted, names unique");
        }
        FUZZ_CHECK(InBounds(room.at), "a place in bounds");
        FUZZ_CHECK(map.At(room.area, room.at) == number, "the place is the room's alone");
    }
}

} // namespace tav::fuzz
