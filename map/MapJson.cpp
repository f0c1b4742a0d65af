#include "map/MapJson.h"

#include "net/GameDataDecode.h"
#include "settings/UserFile.h"
#include "settings/Utf8Text.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tav {

namespace {

using Json = nlohmann::json;
constexpr std::string_view kFormatName = "tavclient-map";
constexpr int kVersion = 1;

std::string TextOf(const Json& object, std::string_view key, std::size_t maxBytes) {
    const Json* value = JsonField(object, {key});
    return value && value->is_string()
               ? PlainUtf8Line(value->get_ref<const std::string&>(), maxBytes)
               : std::string();
}

std::optional<long long> IntegerOf(const Json* value) {
    if (!value || !value->is_number_integer()) return std::nullopt;
    if (value->is_number_unsigned() &&
        value->get<unsigned long long>() > static_cast<unsigned long long>(INT64_MAX))
        return std::nullopt;
    return value->get<long long>();
}

int CoordinateOf(const Json& object, std::string_view key, int limit) {
    const auto value = IntegerOf(JsonField(object, {key}));
    return value ? static_cast<int>(std::clamp<long long>(*value, -limit, limit)) : 0;
}

std::optional<MapRoom> RoomOf(const Json& entry) {
    const auto number = IntegerOf(JsonField(entry, {"num"}));
    if (!entry.is_object() || !number) return std::nullopt;
    MapRoom room;
    room.number = *number;
    room.name = TextOf(entry, "name", kMaxRoomNameBytes);
    room.area = TextOf(entry, "area", kMaxAreaNameBytes);
    room.environment = TextOf(entry, "environment", kMaxEnvironmentBytes);
    room.at = {CoordinateOf(entry, "x", kMaxCoordinate), CoordinateOf(entry, "y", kMaxCoordinate),
               CoordinateOf(entry, "z", kMaxLevel), CoordinateOf(entry, "layer", kMaxLayer)};
    room.at.layer = std::max(room.at.layer, 0);
    const Json* game = JsonField(entry, {"game_coordinates"});
    room.gameCoordinates = game && game->is_boolean() && game->get<bool>();
    if (const Json* exits = JsonField(entry, {"exits"}); exits && exits->is_object())
        for (const auto& [name, target] : exits->items()) {
            if (room.exits.size() >= kMaxRoomExits) break;
            RoomExit exit{ExitName(name), IntegerOf(&target)};
            if (!exit.name.empty()) room.exits.push_back(std::move(exit));
        }
    NormaliseExits(room.exits);
    return room;
}

} // namespace

std::string MapToJson(const RoomMap& map) {
    std::vector<const MapRoom*> rooms;
    rooms.reserve(map.Size());
    for (const auto& [number, room] : map.Rooms())
        rooms.push_back(&room);
    std::sort(rooms.begin(), rooms.end(),
              [](const MapRoom* a, const MapRoom* b) { return a->number < b->number; });
    // One room a line, so a shared map reads and compares well as text.
    std::string text =
        "{\"format\":\"" + std::string(kFormatName) + "\",\"version\":" + std::to_string(kVersion);
    if (const auto south = map.GameYSouth())
        text += std::string(",\"game_y\":") + (*south ? "\"south\"" : "\"north\"");
    text += ",\"rooms\":[";
    for (const MapRoom* room : rooms) {
        Json exits = Json::object();
        for (const RoomExit& exit : room->exits)
            exits[exit.name] = exit.to ? Json(*exit.to) : Json(nullptr);
        const Json entry = {{"num", room->number},
                            {"name", room->name},
                            {"area", room->area},
                            {"environment", room->environment},
                            {"x", room->at.x},
                            {"y", room->at.y},
                            {"z", room->at.z},
                            {"layer", room->at.layer},
                            {"game_coordinates", room->gameCoordinates},
                            {"exits", std::move(exits)}};
        text += room == rooms.front() ? "\n" : ",\n";
        text += entry.dump(-1, ' ', false, Json::error_handler_t::replace);
    }
    text += "\n]}\n";
    return text;
}

std::optional<MapImport> MapFromJson(std::string_view text, std::size_t capacity) {
    if (text.size() > kMaxMapFileBytes) return std::nullopt;
    // Each room is taken as soon as it is parsed and then left out of the document, so a
    // large map never stands in memory twice.
    MapImport imported{RoomMap(capacity), 0};
    std::string topKey;
    bool inRooms = false, roomList = false, tooMany = false;
    const auto take = [&](int depth, Json::parse_event_t event, Json& parsed) {
        using Event = Json::parse_event_t;
        if (depth == 1 && event == Event::key)
            topKey = parsed.is_string() ? parsed.get<std::string>() : "";
        if (depth == 1 && event == Event::array_start && topKey == "rooms")
            inRooms = roomList = true;
        if (depth == 1 && event == Event::array_end) inRooms = false;
        if (!inRooms || depth != 2 || event == Event::object_start || event == Event::array_start)
            return true;
        if (event == Event::key) return true;
        std::optional<MapRoom> room = RoomOf(parsed);
        if (imported.map.Size() >= capacity && room && !imported.map.Find(room->number))
            tooMany = true;
        else if (!room || imported.map.Find(room->number) || !imported.map.Put(std::move(*room)))
            ++imported.skipped;
        return false;
    };
    const Json file = ParseBoundedJson(text, kMaxMapJsonDepth, take);
    const Json* format = JsonField(file, {"format"});
    if (!format || *format != kFormatName || !roomList || tooMany) return std::nullopt;
    if (const Json* y = JsonField(file, {"game_y"}); y && (*y == "south" || *y == "north"))
        imported.map.SetGameYSouth(*y == "south");
    return imported;
}

bool ExportMap(const RoomMap& map, const std::string& path) {
    return WriteUserFile(path, MapToJson(map)) == UserFileResult::Written;
}

std::optional<MapImport> ImportMap(const std::string& path, std::size_t capacity) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return std::nullopt;
    struct stat about {};
    if (::fstat(fd, &about) != 0 || static_cast<std::uintmax_t>(about.st_size) > kMaxMapFileBytes) {
        ::close(fd);
        return std::nullopt;
    }
    std::string bytes;
    char block[65536];
    for (;;) {
        const ssize_t n = ::read(fd, block, sizeof block);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0 || bytes.size() + static_cast<std::size_t>(n) > kMaxMapFileBytes) {
            ::close(fd);
            if (n == 0) break;
            return std::nullopt; // a read failed, or the file is too large to be a map
        }
        bytes.append(block, static_cast<std::size_t>(n));
    }
    return MapFromJson(bytes, capacity);
}

} // namespace tav
