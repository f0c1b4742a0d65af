#include "map/MapRoom.h"

#include "settings/Utf8Text.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>

namespace tav {

namespace {

struct DirectionName {
    std::string_view shortName, longName;
    Direction direction;
    GridStep step;
};
constexpr DirectionName kDirections[] = {
    {"n", "north", Direction::North, {0, 1, 0}},
    {"ne", "northeast", Direction::NorthEast, {1, 1, 0}},
    {"e", "east", Direction::East, {1, 0, 0}},
    {"se", "southeast", Direction::SouthEast, {1, -1, 0}},
    {"s", "south", Direction::South, {0, -1, 0}},
    {"sw", "southwest", Direction::SouthWest, {-1, -1, 0}},
    {"w", "west", Direction::West, {-1, 0, 0}},
    {"nw", "northwest", Direction::NorthWest, {-1, 1, 0}},
    {"u", "up", Direction::Up, {0, 0, 1}},
    {"d", "down", Direction::Down, {0, 0, -1}},
    {"in", "in", Direction::In, {}},
    {"out", "out", Direction::Out, {}},
};

} // namespace

Direction DirectionOf(std::string_view exitName) {
    std::string lower(exitName.substr(0, 16));
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (exitName.size() > lower.size()) return Direction::Other;
    for (const DirectionName& d : kDirections)
        if (lower == d.shortName || lower == d.longName) return d.direction;
    return Direction::Other;
}

std::string_view ShortName(Direction direction) {
    for (const DirectionName& d : kDirections)
        if (d.direction == direction) return d.shortName;
    return {};
}

GridStep StepOf(Direction direction) {
    for (const DirectionName& d : kDirections)
        if (d.direction == direction) return d.step;
    return {};
}

bool InBounds(const MapPoint& p) {
    return std::abs(p.x) <= kMaxCoordinate && std::abs(p.y) <= kMaxCoordinate &&
           std::abs(p.z) <= kMaxLevel && p.layer >= 0 && p.layer <= kMaxLayer;
}

const RoomExit* MapRoom::FindExit(std::string_view exitName) const {
    const auto found = std::lower_bound(
        exits.begin(), exits.end(), exitName,
        [](const RoomExit& exit, std::string_view wanted) { return exit.name < wanted; });
    return found != exits.end() && found->name == exitName ? &*found : nullptr;
}

std::string ExitName(std::string_view name) {
    std::string clean = PlainUtf8Line(name, kMaxExitNameBytes);
    for (char& c : clean)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return clean;
}

std::optional<long long> ParseInteger(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

void NormaliseExits(std::vector<RoomExit>& exits) {
    // Stable, so the first of two exits of one name is the one kept.
    std::stable_sort(exits.begin(), exits.end(),
                     [](const RoomExit& a, const RoomExit& b) { return a.name < b.name; });
    exits.erase(std::unique(exits.begin(), exits.end(),
                            [](const RoomExit& a, const RoomExit& b) { return a.name == b.name; }),
                exits.end());
    if (exits.size() > kMaxRoomExits) exits.resize(kMaxRoomExits);
}

} // namespace tav
