#include "net/GameData.h"

#include "net/GameDataDecode.h"
#include "net/TelnetCodes.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace tav {

namespace {

using Json = nlohmann::json;

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

// How deep brackets nest, strings skipped; stops counting once past `limit`.
int NestingDepth(std::string_view json, int limit) {
    int depth = 0, deepest = 0;
    bool inString = false, escaped = false;
    for (char c : json) {
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            deepest = std::max(deepest, ++depth);
            if (deepest > limit) break;
        } else if (c == '}' || c == ']') {
            --depth;
        }
    }
    return deepest;
}

std::optional<long> Number(const Json& value) {
    // Gauges hold ints: anything larger is cut to the int range before it is converted.
    constexpr double kLimit = 2147483647.0;
    if (value.is_number_unsigned())
        return static_cast<long>(std::min<std::uint64_t>(value.get<std::uint64_t>(), INT_MAX));
    if (value.is_number_integer()) return std::clamp<long>(value.get<long>(), INT_MIN, INT_MAX);
    if (value.is_number_float()) {
        const double number = value.get<double>();
        if (std::isnan(number)) return std::nullopt;
        return static_cast<long>(std::clamp(number, -kLimit, kLimit));
    }
    if (value.is_string()) {
        const std::string& text = value.get_ref<const std::string&>();
        char* end = nullptr;
        const long number = std::strtol(text.c_str(), &end, 10);
        if (!text.empty() && end && *end == '\0') return std::clamp<long>(number, INT_MIN, INT_MAX);
    }
    return std::nullopt;
}

std::string Text(const Json& value) {
    if (value.is_string()) return value.get<std::string>();
    if (value.is_number()) return value.dump();
    return {};
}

// The names games use for each gauge, lower case.
struct VitalName {
    std::string_view name;
    std::optional<long> GameVitals::*field;
};
constexpr VitalName kVitalNames[] = {
    {"hp", &GameVitals::hp},
    {"health", &GameVitals::hp},
    {"maxhp", &GameVitals::maxHp},
    {"maxhealth", &GameVitals::maxHp},
    {"health_max", &GameVitals::maxHp},
    {"mp", &GameVitals::mana},
    {"mana", &GameVitals::mana},
    {"sp", &GameVitals::mana},
    {"maxmp", &GameVitals::maxMana},
    {"maxmana", &GameVitals::maxMana},
    {"mana_max", &GameVitals::maxMana},
    {"maxsp", &GameVitals::maxMana},
    {"mv", &GameVitals::moves},
    {"moves", &GameVitals::moves},
    {"movement", &GameVitals::moves},
    {"ep", &GameVitals::moves},
    {"maxmv", &GameVitals::maxMoves},
    {"maxmoves", &GameVitals::maxMoves},
    {"movement_max", &GameVitals::maxMoves},
    {"maxep", &GameVitals::maxMoves},
};

// Fills `vitals` from an object's known keys; true when any was there.
bool ReadVitals(const Json& object, GameVitals& vitals) {
    bool any = false;
    for (const auto& [key, value] : object.items()) {
        const std::string name = Lower(key);
        for (const VitalName& vital : kVitalNames) {
            if (vital.name != name) continue;
            if (const auto number = Number(value)) {
                vitals.*vital.field = number;
                any = true;
            }
        }
    }
    return any;
}

std::vector<std::string> Exits(const Json& exits) {
    std::vector<std::string> names;
    if (exits.is_object()) {
        for (const auto& [key, value] : exits.items())
            names.push_back(key);
    } else if (exits.is_array()) {
        for (const Json& exit : exits)
            if (exit.is_string()) names.push_back(exit.get<std::string>());
    }
    return names;
}

void ReadRoom(const Json& object, GameDataSink& sink) {
    GameRoom room;
    if (const Json* name = JsonField(object, {"name"})) room.name = Text(*name);
    if (const Json* exits = JsonField(object, {"exits"})) room.exits = Exits(*exits);
    sink.Room(room);
}

// --- MSDP ------------------------------------------------------------------------------

bool IsMsdpByte(unsigned char c) {
    return c >= telnet::kMsdpVar && c <= telnet::kMsdpArrayClose;
}

std::string MsdpText(std::string_view& in) {
    std::size_t end = 0;
    while (end < in.size() && !IsMsdpByte(static_cast<unsigned char>(in[end])))
        ++end;
    std::string text(in.substr(0, end));
    in.remove_prefix(end);
    return text;
}

bool Next(std::string_view in, unsigned char byte) {
    return !in.empty() && static_cast<unsigned char>(in[0]) == byte;
}

Json MsdpValue(std::string_view& in, int depth, int maxDepth, MsdpNames names);

// VAR name VAL value [VAL value ...] pairs until `close` or the end, each handed to `add`;
// several values make an array.
template <typename Add>
void MsdpPairs(std::string_view& in, int depth, int maxDepth, MsdpNames names, int close,
               Add&& add) {
    while (!in.empty() && static_cast<unsigned char>(in[0]) != close) {
        if (!Next(in, telnet::kMsdpVar)) {
            in.remove_prefix(1); // stray byte
            continue;
        }
        in.remove_prefix(1);
        std::string name = MsdpText(in);
        if (names == MsdpNames::Lower) name = Lower(name);
        Json value;
        int values = 0;
        while (Next(in, telnet::kMsdpVal)) {
            in.remove_prefix(1);
            Json item = MsdpValue(in, depth + 1, maxDepth, names);
            if (++values == 1) {
                value = std::move(item);
            } else {
                if (values == 2) value = Json::array({std::move(value)});
                value.push_back(std::move(item));
            }
        }
        add(std::move(name), std::move(value));
    }
    if (!in.empty()) in.remove_prefix(1); // the closing byte
}

Json MsdpValue(std::string_view& in, int depth, int maxDepth, MsdpNames names) {
    if (depth > maxDepth) {
        in = {};
        return nullptr;
    }
    if (Next(in, telnet::kMsdpTableOpen)) {
        in.remove_prefix(1);
        Json table = Json::object();
        MsdpPairs(in, depth, maxDepth, names, telnet::kMsdpTableClose,
                  [&table](std::string name, Json value) { table[name] = std::move(value); });
        return table;
    }
    if (Next(in, telnet::kMsdpArrayOpen)) {
        in.remove_prefix(1);
        Json array = Json::array();
        while (!in.empty() && !Next(in, telnet::kMsdpArrayClose)) {
            if (Next(in, telnet::kMsdpVal))
                in.remove_prefix(1);
            else if (!Next(in, telnet::kMsdpTableOpen) && !Next(in, telnet::kMsdpArrayOpen) &&
                     IsMsdpByte(static_cast<unsigned char>(in[0])))
                in.remove_prefix(1); // stray framing byte
            array.push_back(MsdpValue(in, depth + 1, maxDepth, names));
        }
        if (!in.empty()) in.remove_prefix(1);
        return array;
    }
    return MsdpText(in);
}

} // namespace

Json ParseBoundedJson(std::string_view text, int maxDepth,
                      const Json::parser_callback_t& callback) {
    if (NestingDepth(text, maxDepth) > maxDepth) return Json(Json::value_t::discarded);
    return Json::parse(text, callback, /*allow_exceptions=*/false);
}

GmcpMessage DecodeGmcp(std::string_view message) {
    const std::size_t space = message.find(' ');
    const std::string_view body =
        space == std::string_view::npos ? std::string_view() : message.substr(space + 1);
    return {Lower(message.substr(0, space)), ParseBoundedJson(body, GameDataReader::kMaxDepth)};
}

std::vector<std::pair<std::string, Json>> ParseMsdp(std::string_view payload, int maxDepth,
                                                    MsdpNames names) {
    std::vector<std::pair<std::string, Json>> variables;
    MsdpPairs(payload, 0, maxDepth, names, -1, [&variables](std::string name, Json value) {
        variables.emplace_back(std::move(name), std::move(value));
    });
    return variables;
}

Json DecodeMsdp(std::string_view payload) {
    Json object = Json::object();
    for (auto& [name, value] : ParseMsdp(payload, GameDataReader::kMaxDepth, MsdpNames::Lower))
        object[name] = std::move(value);
    return object;
}

const Json* JsonField(const Json& object, std::initializer_list<std::string_view> keys) {
    if (!object.is_object()) return nullptr;
    for (const auto& [key, value] : object.items()) {
        const std::string name = Lower(key);
        for (std::string_view wanted : keys)
            if (name == wanted) return &value;
    }
    return nullptr;
}

void GameDataReader::ReadGmcp(std::string_view message) {
    const auto [package, json] = DecodeGmcp(message);
    if (!json.is_object()) return;
    if (package == "char.vitals" || package == "char.maxstats" || package == "char.status") {
        GameVitals vitals;
        if (ReadVitals(json, vitals)) sink_.Vitals(vitals);
    } else if (package == "room.info") {
        ReadRoom(json, sink_);
    } else if (package == "comm.channel.text" || package == "comm.channel") {
        GameChannelText text;
        if (const Json* channel = JsonField(json, {"channel", "chan"}))
            text.channel = Text(*channel);
        if (const Json* talker = JsonField(json, {"talker", "player"})) text.talker = Text(*talker);
        if (const Json* said = JsonField(json, {"text", "msg", "message"})) text.text = Text(*said);
        if (!text.text.empty()) sink_.ChannelText(text);
    }
}

void GameDataReader::ReadMsdp(std::string_view payload) {
    const Json variables = DecodeMsdp(payload);
    GameVitals vitals;
    if (ReadVitals(variables, vitals)) sink_.Vitals(vitals);
    if (const Json* room = JsonField(variables, {"room"}); room && room->is_object()) {
        ReadRoom(*room, sink_);
    } else if (JsonField(variables, {"room_name"}) || JsonField(variables, {"room_exits"})) {
        GameRoom found;
        if (const Json* name = JsonField(variables, {"room_name"})) found.name = Text(*name);
        if (const Json* exits = JsonField(variables, {"room_exits"})) found.exits = Exits(*exits);
        sink_.Room(found);
    }
}

std::string LoggedGameMessage(std::string_view protocol, std::string_view message) {
    std::string line(protocol);
    line += ' ';
    const std::size_t room = kMaxLoggedMessage - std::min(kMaxLoggedMessage, line.size());
    for (char c : message.substr(0, room)) {
        const auto byte = static_cast<unsigned char>(c);
        line.push_back(byte < 0x20 || byte == 0x7F ? (byte >= 1 && byte <= 6 ? ' ' : '.') : c);
    }
    if (message.size() > room) line += "...";
    return line;
}

} // namespace tav
