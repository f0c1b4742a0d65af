#pragma once

#include "map/Automapper.h"
#include "map/MapStore.h"
#include "map/MapWalk.h"
#include "map/PathFinder.h"
#include "map/RoomReader.h"

#include <chrono>
#include <string>
#include <string_view>

namespace tav {

// What the mapper needs from the game session, which implements it.
class MapSession {
public:
    virtual ~MapSession() = default;
    // Sends one step of a walk to the game, as it stands. Commands sent this way are not
    // to be reported back through Mapper::CommandSent.
    virtual void SendMapCommand(std::string_view command) = 0;
    virtual void WalkEnded(WalkEnd end) = 0;
    // The map file could not be read or written: one line for the client log.
    virtual void MapProblem(std::string_view text) = 0;
};

// The automapper of one profile: fed the game's room data and the commands sent, it keeps
// the map in memory and in the profile's map file, and walks the player to a room.
//
// The session calls Gmcp and Msdp with every message, EndOfInput after each read from the
// connection, CommandSent with every command it sends, Connected at each new connection
// and Tick from a timer (about once a second). The view reads Map() and CurrentRoom().
class Mapper : private WalkSender {
public:
    using Clock = std::chrono::steady_clock;

    explicit Mapper(MapSession& session) : session_(session), automapper_(map_), walk_(*this) {}

    // Reads the map file at `path` (created when missing). When it cannot be read, the
    // session hears why, the map lives in memory only and the file stays as it was.
    bool Open(const std::string& path);
    // Reads the map file at `path` when there is one; otherwise it is made when the first
    // room is mapped (or a map imported), so a game that sends no rooms leaves no file.
    bool OpenWhenMapped(const std::string& path);
    void Close() {
        store_.Close();
        laterPath_.clear();
    }
    bool Saving() const { return store_.IsOpen(); }

    void Gmcp(std::string_view message);
    void Msdp(std::string_view payload);
    void EndOfInput();
    void CommandSent(std::string_view command);
    void Connected();
    void Tick(Clock::time_point now);

    enum class WalkStart {
        Started,
        AlreadyThere,
        NoCurrentRoom, // the game has not said where the player is
        UnknownRoom,   // no such room in the map
        NoPath         // no known exits lead there
    };
    WalkStart WalkTo(RoomNumber room);
    void StopWalk();
    bool Walking() const { return walk_.Walking(); }

    const RoomMap& Map() const { return map_; }
    std::optional<RoomNumber> CurrentRoom() const { return automapper_.Current(); }

    // A map file to share: export writes the whole map, import replaces it (and the
    // map file's content) with the file's. False when the file could not be written or
    // is not a map.
    bool ExportTo(const std::string& path) const;
    bool ImportFrom(const std::string& path);

private:
    void SendStep(std::string_view command) override;
    void Take(const RoomSighting& sighting);
    void Ended(std::optional<WalkEnd> end);
    void OpenPostponed();

    MapSession& session_;
    RoomMap map_;
    MapStore store_;
    Automapper automapper_;
    MsdpRoomReader msdp_;
    PathFinder paths_;
    MapWalk walk_;
    std::string laterPath_; // the map file to make once a room is mapped
};

} // namespace tav
