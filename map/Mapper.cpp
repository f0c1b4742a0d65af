#include "map/Mapper.h"

#include "map/MapJson.h"

#include <filesystem>
#include <utility>

namespace tav {

bool Mapper::Open(const std::string& path) {
    laterPath_.clear();
    automapper_.ForgetCurrent();
    if (store_.Open(path, map_)) return true;
    session_.MapProblem("Map: " + store_.Error() + "; the map is not saved");
    return false;
}

bool Mapper::OpenWhenMapped(const std::string& path) {
    std::error_code error;
    if (std::filesystem::exists(path, error)) return Open(path);
    store_.Close();
    map_.Clear();
    automapper_.ForgetCurrent();
    laterPath_ = path;
    return true;
}

void Mapper::OpenPostponed() {
    if (laterPath_.empty()) return;
    // The map is still empty (nothing was mapped yet), so opening loses nothing.
    Open(std::exchange(laterPath_, {}));
}

void Mapper::Take(const RoomSighting& sighting) {
    if (sighting.number) OpenPostponed();
    const MapChange change = automapper_.Sighted(sighting);
    if (change.kind == MapChange::Kind::None) return;
    if (change.kind == MapChange::Kind::Refused)
        session_.MapProblem("Map: the map is full; room " + std::to_string(*change.room) +
                            " is not added");
    if (store_.IsOpen() && !change.changed.empty() && !store_.Write(map_, change.changed)) {
        session_.MapProblem("Map: " + store_.Error() + "; the map is not saved from now on");
        store_.Close();
    }
    Ended(walk_.RoomSeen(*change.room, Clock::now()));
}

void Mapper::Gmcp(std::string_view message) {
    if (const auto sighting = ReadRoomInfo(message)) Take(*sighting);
}

void Mapper::Msdp(std::string_view payload) {
    if (const auto sighting = msdp_.Read(payload)) Take(*sighting);
}

void Mapper::EndOfInput() {
    if (const auto sighting = msdp_.EndOfBatch()) Take(*sighting);
}

void Mapper::CommandSent(std::string_view command) {
    automapper_.MoveSent(command);
    // A move of the player's own takes over from the walk.
    if (walk_.Walking() && DirectionOf(ExitName(command)) != Direction::Other) Ended(walk_.Stop());
}

void Mapper::Connected() {
    automapper_.ForgetCurrent();
    Ended(walk_.Stop());
}

void Mapper::Tick(Clock::time_point now) {
    Ended(walk_.Poll(now));
}

Mapper::WalkStart Mapper::WalkTo(RoomNumber room) {
    const std::optional<RoomNumber> here = automapper_.Current();
    if (!here) return WalkStart::NoCurrentRoom;
    if (!map_.Find(room)) return WalkStart::UnknownRoom;
    if (*here == room) return WalkStart::AlreadyThere;
    auto steps = paths_.Find(map_, *here, room);
    if (!steps) return WalkStart::NoPath;
    Ended(walk_.Stop());
    walk_.Start(*here, std::move(*steps), Clock::now());
    return WalkStart::Started;
}

void Mapper::StopWalk() {
    Ended(walk_.Stop());
}

void Mapper::SendStep(std::string_view command) {
    automapper_.MoveSent(command);
    session_.SendMapCommand(command);
}

void Mapper::Ended(std::optional<WalkEnd> end) {
    if (end) session_.WalkEnded(*end);
}

bool Mapper::ExportTo(const std::string& path) const {
    return ExportMap(map_, path);
}

bool Mapper::ImportFrom(const std::string& path) {
    std::optional<MapImport> imported = ImportMap(path);
    if (!imported) return false;
    OpenPostponed();
    Ended(walk_.Stop());
    map_ = std::move(imported->map);
    automapper_.ForgetCurrent();
    if (store_.IsOpen() && !store_.WriteAll(map_)) {
        session_.MapProblem("Map: " + store_.Error() + "; the map is not saved from now on");
        store_.Close();
    }
    return true;
}

} // namespace tav
