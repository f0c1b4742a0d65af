#pragma once

#include "map/MapRoom.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

// What the game said about the room the player stands in. A field the game did not send
// is empty; texts are clean and within their bounds, at most kMaxRoomExits exits.
struct RoomSighting {
    std::optional<RoomNumber> number;
    // False when the number was not sent with the data but taken to be the current room's
    // (MSDP variables that came alone): such a sighting is trusted with its exits only.
    bool numberSent = true;
    std::optional<std::string> name, area, environment;
    std::optional<std::vector<RoomExit>> exits; // normalised (see NormaliseExits)
    std::optional<MapPoint> coordinates;        // the game's x, y and z, layer 0
    bool operator==(const RoomSighting&) const = default;
};

// A GMCP "Room.Info" message as games send it: "num" (or "vnum", "id"), "name", "area"
// (or "zone"), "environment" (or "terrain", "sector"), "exits" as {"n": 123, ...}, a list
// of names or a list of {"dir", "to"} objects, and "coord" or "coords" as {"x","y","z"},
// [x, y, z], "x,y,z" or IRE's "area,x,y,z". Nothing for other packages or a body that is
// not a JSON object.
std::optional<RoomSighting> ReadRoomInfo(std::string_view gmcpMessage);

// The room MSDP tells of: the ROOM table (VNUM, NAME, AREA, TERRAIN, COORDS, EXITS) at
// once, or the variables ROOM_VNUM, ROOM_NAME, ROOM_AREA (or AREA_NAME), ROOM_TERRAIN,
// ROOM_COORDS and ROOM_EXITS, which games send in payloads of their own. Those are
// gathered over one batch, the payloads of one read from the connection: a ROOM_VNUM
// makes a sighting of what came before it; what comes after it in the batch is an update
// of that room at the batch's end; variables in a batch without ROOM_VNUM update the
// current room's exits only (they may belong to a room whose number is still to come).
class MsdpRoomReader {
public:
    std::optional<RoomSighting> Read(std::string_view payload);
    std::optional<RoomSighting> EndOfBatch();

private:
    RoomSighting gathered_;
    bool anyGathered_ = false;
    std::optional<RoomNumber> batchRoom_, current_;
};

} // namespace tav
