#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

// A room's number as the game gives it.
using RoomNumber = std::int64_t;

// Bounds on what a game, or a map file, may put into the map. Longer texts are cut (at a
// character boundary), exits past the count are left out, coordinates outside the range
// are not taken, and a map holds at most kMaxMapRooms rooms.
inline constexpr std::size_t kMaxRoomNameBytes = 200;
inline constexpr std::size_t kMaxAreaNameBytes = 100;
inline constexpr std::size_t kMaxEnvironmentBytes = 50;
inline constexpr std::size_t kMaxExitNameBytes = 30;
inline constexpr std::size_t kMaxRoomExits = 24;
inline constexpr std::size_t kMaxMapRooms = 1'000'000;
inline constexpr int kMaxCoordinate = (1 << 20) - 1; // x and y, either way
inline constexpr int kMaxLevel = (1 << 11) - 1;      // z, either way
inline constexpr int kMaxLayer = 255;

// Where an exit leads on the grid. In, Out and Other (a named exit such as "portal") have
// no place of their own.
enum class Direction : std::uint8_t {
    North,
    NorthEast,
    East,
    SouthEast,
    South,
    SouthWest,
    West,
    NorthWest,
    Up,
    Down,
    In,
    Out,
    Other
};
// "n", "North", "northeast", "u", "in"... (any case); Other for anything else.
Direction DirectionOf(std::string_view exitName);
// The short name a move in `direction` is sent as ("n", "ne", "u", "in"); empty for Other.
std::string_view ShortName(Direction direction);

struct GridStep {
    int dx = 0, dy = 0, dz = 0; // east, north and up are positive
};
GridStep StepOf(Direction direction);

// A room's place: x grows to the east, y to the north, z upwards. Rooms that would
// overlap another room's place are put on a layer of their own (1 and up) at the same x,
// y and z.
struct MapPoint {
    int x = 0, y = 0, z = 0;
    int layer = 0;
    bool operator==(const MapPoint&) const = default;
};
bool InBounds(const MapPoint& point);

struct RoomExit {
    std::string name;             // as the game names it: the command that takes it
    std::optional<RoomNumber> to; // unknown until the game says or a move shows it
    bool operator==(const RoomExit&) const = default;
};

struct MapRoom {
    RoomNumber number = 0;
    std::string name;
    std::string area;
    std::string environment; // terrain, sector: what the game calls the kind of place
    MapPoint at;
    bool gameCoordinates = false; // `at` came from the game rather than from the moves
    std::vector<RoomExit> exits;  // sorted by name, names unique

    const RoomExit* FindExit(std::string_view exitName) const;
    bool operator==(const MapRoom&) const = default;
};

// An exit's name from the game or a file: clean text of at most kMaxExitNameBytes, ASCII
// letters in lower case.
std::string ExitName(std::string_view name);
// A decimal integer, with an optional sign and spaces around it; nothing for anything
// else or a value beyond 64 bits.
std::optional<long long> ParseInteger(std::string_view text);

// Sorts `exits` by name, drops later ones of a name already there and those past
// kMaxRoomExits.
void NormaliseExits(std::vector<RoomExit>& exits);

} // namespace tav
