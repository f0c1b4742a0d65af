#pragma once

#include "map/RoomMap.h"
#include "map/RoomReader.h"

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

// What one sighting did to the map.
struct MapChange {
    enum class Kind {
        None,    // no number: nothing mapped
        Entered, // the player moved into the room (new or known)
        Updated, // the player's room was reported again, maybe with new details
        Reused,  // the number now names another room: the old room was dropped first
        Refused  // a new room, but the map is full
    } kind = Kind::None;
    std::optional<RoomNumber> room;  // where the player is now
    std::optional<std::string> move; // the exit of the previous room that led here
    std::vector<RoomNumber> changed; // the rooms to write, without repeats
    bool orientationDecided = false; // the map's GameYSouth() was settled by this sighting
};

// Builds the map from the rooms the player enters.
//
// A room is kept under the game's number with its name, area, environment and exits. The
// exit taken is the previous room's exit the game says leads here, or else the oldest move
// sent since the previous room (MoveSent); that exit learns its target when it had none,
// and a target known to lead elsewhere is never overwritten. A move the previous room has
// no exit for becomes an exit only in a room whose exits the game does not list (where it
// lists them, the move failed and something else brought the player). Nothing is assumed
// about the way back: a one-way exit stays one-way until a move or the game shows a return.
//
// A new room takes the game's coordinates when it sends them. Otherwise it goes one step
// from the previous room in the direction of the move, stretched up to kMaxStretch steps
// past rooms in the way, then onto the lowest free layer of that place. Without a compass
// move (in, out, "portal", or no known move at all) it goes beside a room of its area one
// of its exits is known to lead to, else on the nearest free place around the previous
// room, else (no previous room in its area) near the area's middle.
// The first move between two rooms with game coordinates that shows y growing to the
// south turns every game y the other way, once.
//
// Reused numbers: a known number reported with another name is taken as a different room
// (the game has renumbered). The old room is dropped whole, every exit that led to it
// forgets its target, and the new room is placed afresh; so no exit ever leads to a room
// it was not seen to lead to. A room whose name was unknown just takes the name.
class Automapper {
public:
    static constexpr int kMaxStretch = 3;
    static constexpr std::size_t kMaxPendingMoves = 20;

    explicit Automapper(RoomMap& map) : map_(map) {}

    // A command that went to the game: remembered as a move when it names a compass
    // direction, up, down, in or out, or an exit of the current room.
    void MoveSent(std::string_view command);
    MapChange Sighted(const RoomSighting& sighting);

    std::optional<RoomNumber> Current() const { return current_; }
    // The next room seen is not a move from the current one (a new connection).
    void ForgetCurrent();

private:
    std::optional<std::string> TakeMove(RoomNumber from, RoomNumber to,
                                        std::vector<RoomNumber>& changed);
    MapPoint Place(const MapRoom* from, const std::optional<std::string>& move,
                   const MapRoom& room) const;
    std::optional<MapPoint> NearestFree(const std::string& area, const MapPoint& around,
                                        int radius) const;
    void DecideOrientation(const MapRoom* from, const std::optional<std::string>& move,
                           const MapRoom& room, const MapPoint& game, MapChange& change);
    void Forget(RoomNumber number, std::vector<RoomNumber>& changed);

    RoomMap& map_;
    std::optional<RoomNumber> current_;
    std::deque<std::string> pendingMoves_;
};

} // namespace tav
