#pragma once

#include "map/MapRoom.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tav {

struct AreaSummary {
    std::string name;
    std::size_t rooms = 0;
    bool operator==(const AreaSummary&) const = default;
};

// The rooms of one game's map in memory, by number, with an index of the places taken in
// each area. The automapper and the map file change it; the view and the path finder read
// it. Every change gives it a new Version(), one no other map in the process has had, so
// readers can tell when what they keep is old.
class RoomMap {
public:
    RoomMap() = default;
    explicit RoomMap(std::size_t capacity) : capacity_(capacity) {}

    const MapRoom* Find(RoomNumber number) const;
    // The room at `point` of `area`, if any.
    std::optional<RoomNumber> At(std::string_view area, const MapPoint& point) const;
    bool IsFree(std::string_view area, const MapPoint& point) const { return !At(area, point); }

    // Adds `room`, or replaces the room of its number. A place holds one room: when
    // another room holds `room.at`, `room` goes to the lowest free layer there. False (and
    // nothing changed) for a new room when the map holds `capacity` rooms, or when every
    // layer of the place is taken.
    bool Put(MapRoom room);
    // The lowest layer at which `point`'s x, y and z are free in `area` (`point.layer`
    // itself when it is free), or nothing when all are taken.
    std::optional<int> FreeLayer(std::string_view area, MapPoint point,
                                 std::optional<RoomNumber> except = std::nullopt) const;
    void Remove(RoomNumber number);
    void Clear();

    std::size_t Size() const { return rooms_.size(); }
    std::size_t Capacity() const { return capacity_; }
    std::uint64_t Version() const { return version_; }
    const std::unordered_map<RoomNumber, MapRoom>& Rooms() const { return rooms_; }
    // Every area with its number of rooms, sorted by name.
    std::vector<AreaSummary> Areas() const;
    // The rooms of `area`, in no particular order.
    std::vector<RoomNumber> RoomsIn(std::string_view area) const;
    // Rooms whose name holds `text` (without case for ASCII letters), by number, at most
    // `limit` of them.
    std::vector<RoomNumber> FindByName(std::string_view text, std::size_t limit) const;

    // Whether the game's y coordinates grow to the south; unknown until a move shows it.
    std::optional<bool> GameYSouth() const { return gameYSouth_; }
    void SetGameYSouth(std::optional<bool> south);
    void Reserve(std::size_t rooms) { rooms_.reserve(rooms); }

    bool operator==(const RoomMap& other) const {
        return rooms_ == other.rooms_ && gameYSouth_ == other.gameYSouth_;
    }

private:
    struct Area {
        std::unordered_map<std::uint64_t, RoomNumber> places; // by packed MapPoint
    };
    void Unplace(const MapRoom& room);

    std::unordered_map<RoomNumber, MapRoom> rooms_;
    std::map<std::string, Area, std::less<>> areas_;
    void Changed();

    std::size_t capacity_ = kMaxMapRooms;
    std::optional<bool> gameYSouth_;
    std::uint64_t version_ = 0;
};

} // namespace tav
