// A shared map file is anything someone made: reading it takes what is sound within the
// bounds or refuses it whole. What is taken is a sound map (MapChecks.h) that exports and
// reads back the same, and, kept in a map file, opens the same.
#include "fuzz/MapChecks.h"
#include "map/MapJson.h"
#include "map/MapStore.h"

#include <cstdint>
#include <filesystem>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto imported = tav::MapFromJson(text);
    if (!imported) return 0;
    tav::fuzz::CheckMap(imported->map);
    const auto again = tav::MapFromJson(tav::MapToJson(imported->map));
    FUZZ_CHECK(again && again->map == imported->map && again->skipped == 0,
               "an exported map reads back the same");
    if (imported->map.Size() > 200) return 0; // the file round trip on small maps only
    const auto path = tav::fuzz::ScratchDir("map-import", {}) / "map.db";
    std::filesystem::remove(path);
    {
        tav::RoomMap empty;
        tav::MapStore store;
        FUZZ_CHECK(store.Open(path.string(), empty) && store.WriteAll(imported->map),
                   "a map file takes the map");
    }
    tav::RoomMap opened;
    tav::MapStore store;
    FUZZ_CHECK(store.Open(path.string(), opened) && opened == imported->map,
               "the map file opens the same map");
    return 0;
}
