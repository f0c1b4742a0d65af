#include "map/RoomReader.h"

#include "net/GameDataDecode.h"
#include "settings/Utf8Text.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <utility>

namespace tav {

namespace {

using Json = nlohmann::json;

std::optional<long long> Integer(const Json& value) {
    if (value.is_number_integer() && !value.is_number_unsigned()) return value.get<long long>();
    if (value.is_number_unsigned()) {
        const auto number = value.get<unsigned long long>();
        if (number <= static_cast<unsigned long long>(INT64_MAX))
            return static_cast<long long>(number);
        return std::nullopt;
    }
    if (value.is_number_float()) {
        const double number = value.get<double>();
        if (std::isfinite(number) && number == std::trunc(number) && std::fabs(number) < 9e15)
            return static_cast<long long>(number);
        return std::nullopt;
    }
    if (value.is_string()) return ParseInteger(value.get_ref<const std::string&>());
    return std::nullopt;
}

std::optional<std::string> Text(const Json* value, std::size_t maxBytes) {
    if (!value) return std::nullopt;
    if (value->is_string()) return PlainUtf8Line(value->get_ref<const std::string&>(), maxBytes);
    if (value->is_number()) return PlainUtf8Line(value->dump(), maxBytes);
    return std::nullopt;
}

std::optional<RoomNumber> Number(const Json* value) {
    if (!value) return std::nullopt;
    return Integer(*value);
}

// An exit's target: a number, or an object naming it.
std::optional<RoomNumber> Target(const Json& value) {
    if (value.is_object()) return Number(JsonField(value, {"num", "vnum", "to", "id", "room"}));
    return Integer(value);
}

std::optional<std::vector<RoomExit>> Exits(const Json* value) {
    if (!value) return std::nullopt;
    std::vector<RoomExit> exits;
    const auto add = [&](std::string_view name, std::optional<RoomNumber> to) {
        std::string clean = ExitName(name);
        if (!clean.empty()) exits.push_back({std::move(clean), to});
    };
    if (value->is_object()) {
        for (const auto& [name, target] : value->items()) {
            if (exits.size() >= kMaxRoomExits) break;
            add(name, Target(target));
        }
    } else if (value->is_array()) {
        for (const Json& exit : *value) {
            if (exits.size() >= kMaxRoomExits) break;
            if (exit.is_string()) {
                add(exit.get_ref<const std::string&>(), std::nullopt);
            } else if (const Json* name = JsonField(exit, {"dir", "direction", "name", "exit"});
                       name && name->is_string()) {
                add(name->get_ref<const std::string&>(), Target(exit));
            }
        }
    } else {
        return std::nullopt;
    }
    NormaliseExits(exits);
    return exits;
}

// Three numbers x, y, z (z 0 when only two came; IRE's four are area, x, y, z).
std::optional<MapPoint> PointOf(const std::vector<long long>& numbers) {
    std::size_t first = numbers.size() == 4 ? 1 : 0;
    if (numbers.size() < 2 || numbers.size() > 4) return std::nullopt;
    const long long z = numbers.size() - first > 2 ? numbers[first + 2] : 0;
    if (std::llabs(numbers[first]) > kMaxCoordinate ||
        std::llabs(numbers[first + 1]) > kMaxCoordinate || std::llabs(z) > kMaxLevel)
        return std::nullopt;
    return MapPoint{static_cast<int>(numbers[first]), static_cast<int>(numbers[first + 1]),
                    static_cast<int>(z), 0};
}

std::optional<MapPoint> Coordinates(const Json* value) {
    if (!value) return std::nullopt;
    std::vector<long long> numbers;
    if (value->is_object()) {
        const Json* x = JsonField(*value, {"x"});
        const Json* y = JsonField(*value, {"y"});
        const Json* z = JsonField(*value, {"z"});
        for (const Json* part : {x, y, z}) {
            if (!part) break;
            const auto number = Integer(*part);
            if (!number) return std::nullopt;
            numbers.push_back(*number);
        }
        if (numbers.size() < 2) return std::nullopt;
        if (numbers.size() == 2) numbers.push_back(0);
    } else if (value->is_array()) {
        for (const Json& part : *value) {
            const auto number = numbers.size() < 4 ? Integer(part) : std::nullopt;
            if (!number) return std::nullopt;
            numbers.push_back(*number);
        }
    } else if (value->is_string()) {
        std::string_view text = value->get_ref<const std::string&>();
        while (numbers.size() < 5) {
            const std::size_t comma = text.find(',');
            const auto number = ParseInteger(text.substr(0, comma));
            if (!number) return std::nullopt;
            numbers.push_back(*number);
            if (comma == std::string_view::npos) break;
            text.remove_prefix(comma + 1);
        }
    }
    return PointOf(numbers);
}

RoomSighting FromObject(const Json& room) {
    RoomSighting seen;
    seen.number = Number(JsonField(room, {"num", "vnum", "id", "number"}));
    seen.name = Text(JsonField(room, {"name"}), kMaxRoomNameBytes);
    seen.area = Text(JsonField(room, {"area", "zone", "area_name", "areaname"}), kMaxAreaNameBytes);
    seen.environment =
        Text(JsonField(room, {"environment", "terrain", "sector", "env"}), kMaxEnvironmentBytes);
    seen.exits = Exits(JsonField(room, {"exits"}));
    seen.coordinates = Coordinates(JsonField(room, {"coord", "coords", "coordinates"}));
    return seen;
}

// Fills the fields `from` has into `into`.
void Merge(RoomSighting& into, const RoomSighting& from) {
    if (from.name) into.name = from.name;
    if (from.area) into.area = from.area;
    if (from.environment) into.environment = from.environment;
    if (from.exits) into.exits = from.exits;
    if (from.coordinates) into.coordinates = from.coordinates;
}

bool AnyField(const RoomSighting& s) {
    return s.name || s.area || s.environment || s.exits || s.coordinates;
}

} // namespace

std::optional<RoomSighting> ReadRoomInfo(std::string_view gmcpMessage) {
    const GmcpMessage message = DecodeGmcp(gmcpMessage);
    if (message.package != "room.info" || !message.body.is_object()) return std::nullopt;
    return FromObject(message.body);
}

std::optional<RoomSighting> MsdpRoomReader::Read(std::string_view payload) {
    const Json variables = DecodeMsdp(payload);
    if (const Json* room = JsonField(variables, {"room"}); room && room->is_object()) {
        RoomSighting seen = FromObject(*room);
        if (seen.number) current_ = seen.number;
        return seen;
    }
    RoomSighting fields;
    fields.name = Text(JsonField(variables, {"room_name"}), kMaxRoomNameBytes);
    fields.area = Text(JsonField(variables, {"room_area", "area_name"}), kMaxAreaNameBytes);
    fields.environment =
        Text(JsonField(variables, {"room_terrain", "room_environment"}), kMaxEnvironmentBytes);
    fields.exits = Exits(JsonField(variables, {"room_exits"}));
    fields.coordinates = Coordinates(JsonField(variables, {"room_coords"}));
    const std::optional<RoomNumber> number = Number(JsonField(variables, {"room_vnum"}));
    if (!number) {
        Merge(gathered_, fields);
        anyGathered_ = anyGathered_ || AnyField(fields);
        return std::nullopt;
    }
    RoomSighting seen = std::move(gathered_);
    Merge(seen, fields);
    seen.number = number;
    gathered_ = {};
    anyGathered_ = false;
    batchRoom_ = current_ = number;
    return seen;
}

std::optional<RoomSighting> MsdpRoomReader::EndOfBatch() {
    RoomSighting seen = std::move(gathered_);
    const bool any = anyGathered_;
    gathered_ = {};
    anyGathered_ = false;
    const std::optional<RoomNumber> batchRoom = std::exchange(batchRoom_, std::nullopt);
    if (!any) return std::nullopt;
    if (batchRoom) {
        seen.number = batchRoom;
        return seen;
    }
    if (!current_ || !seen.exits) return std::nullopt;
    RoomSighting exitsOnly;
    exitsOnly.number = current_;
    exitsOnly.numberSent = false;
    exitsOnly.exits = std::move(seen.exits);
    return exitsOnly;
}

} // namespace tav
