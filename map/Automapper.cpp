#include "map/Automapper.h"

#include <algorithm>
#include <cstdlib>

namespace tav {

namespace {

void AddOnce(std::vector<RoomNumber>& numbers, RoomNumber number) {
    if (std::find(numbers.begin(), numbers.end(), number) == numbers.end())
        numbers.push_back(number);
}

// The exit of `room` a move sent as `move` takes: the one of that name, or of that compass
// direction under another spelling ("north" for "n").
RoomExit* ExitFor(MapRoom& room, std::string_view move) {
    const Direction direction = DirectionOf(move);
    for (RoomExit& exit : room.exits)
        if (exit.name == move ||
            (direction != Direction::Other && DirectionOf(exit.name) == direction))
            return &exit;
    return nullptr;
}

// The game's new list of exits, keeping the targets learned for names it sends without.
std::vector<RoomExit> MergedExits(const std::vector<RoomExit>& known, std::vector<RoomExit> sent) {
    for (RoomExit& exit : sent) {
        if (exit.to) continue;
        const auto old = std::find_if(known.begin(), known.end(),
                                      [&](const RoomExit& e) { return e.name == exit.name; });
        if (old != known.end()) exit.to = old->to;
    }
    NormaliseExits(sent);
    return sent;
}

MapPoint Plus(MapPoint point, const GridStep& step, int times) {
    point.x += step.dx * times;
    point.y += step.dy * times;
    point.z += step.dz * times;
    return point;
}

} // namespace

void Automapper::MoveSent(std::string_view command) {
    const std::string move = ExitName(command);
    const Direction direction = DirectionOf(move);
    const MapRoom* here = current_ ? map_.Find(*current_) : nullptr;
    if (direction == Direction::Other && !(here && here->FindExit(move))) return;
    if (pendingMoves_.size() >= kMaxPendingMoves) pendingMoves_.pop_front();
    pendingMoves_.push_back(direction == Direction::Other ? move
                                                          : std::string(ShortName(direction)));
}

void Automapper::ForgetCurrent() {
    current_.reset();
    pendingMoves_.clear();
}

std::optional<std::string> Automapper::TakeMove(RoomNumber from, RoomNumber to,
                                                std::vector<RoomNumber>& changed) {
    const MapRoom* known = map_.Find(from);
    std::optional<std::string> pending;
    if (!pendingMoves_.empty()) {
        pending = std::move(pendingMoves_.front());
        pendingMoves_.pop_front();
    }
    if (!known) return std::nullopt;
    for (const RoomExit& exit : known->exits)
        if (exit.to == to) return exit.name;
    if (!pending) return std::nullopt;
    MapRoom room = *known;
    RoomExit* exit = ExitFor(room, *pending);
    if (exit && exit->to) return std::nullopt; // it leads elsewhere: this was not that move
    if (exit) {
        exit->to = to;
    } else {
        // A game that lists exits lists this one unless the move failed; only where it
        // lists none does the move add the exit.
        if (!room.exits.empty()) return std::nullopt;
        room.exits.push_back({*pending, to});
    }
    const std::string name = exit ? exit->name : *pending;
    map_.Put(std::move(room));
    AddOnce(changed, from);
    return name;
}

std::optional<MapPoint> Automapper::NearestFree(const std::string& area, const MapPoint& around,
                                                int radius) const {
    for (int r = 1; r <= radius; ++r)
        for (int dy = r; dy >= -r; --dy)
            for (int dx = -r; dx <= r; ++dx) {
                if (std::max(std::abs(dx), std::abs(dy)) != r) continue; // the ring only
                const MapPoint p{around.x + dx, around.y + dy, around.z, around.layer};
                if (InBounds(p) && map_.IsFree(area, p)) return p;
            }
    return std::nullopt;
}

MapPoint Automapper::Place(const MapRoom* from, const std::optional<std::string>& move,
                           const MapRoom& room) const {
    const std::string& area = room.area;
    const bool sameArea = from && from->area == area;
    const GridStep step = StepOf(move && sameArea ? DirectionOf(*move) : Direction::Other);
    if (step.dx || step.dy || step.dz) {
        for (int k = 1; k <= kMaxStretch; ++k) {
            const MapPoint p = Plus(from->at, step, k);
            if (InBounds(p) && map_.IsFree(area, p)) return p;
        }
        const MapPoint next = Plus(from->at, step, 1);
        return InBounds(next) ? next : from->at; // the map puts it on a free layer
    }
    // Beside a room of its area that one of its exits is known to lead to.
    for (const RoomExit& exit : room.exits) {
        const MapRoom* target = exit.to ? map_.Find(*exit.to) : nullptr;
        const GridStep toward = StepOf(DirectionOf(exit.name));
        if (!target || target->area != area || !(toward.dx || toward.dy || toward.dz)) continue;
        const MapPoint p = Plus(target->at, toward, -1);
        if (InBounds(p) && map_.IsFree(area, p)) return p;
    }
    if (sameArea) return NearestFree(area, from->at, 3).value_or(from->at);
    const MapPoint middle{};
    if (map_.IsFree(area, middle)) return middle;
    return NearestFree(area, middle, 10).value_or(middle);
}

void Automapper::DecideOrientation(const MapRoom* from, const std::optional<std::string>& move,
                                   const MapRoom& room, const MapPoint& game, MapChange& change) {
    if (map_.GameYSouth() || !from || !move || !from->gameCoordinates || from->area != room.area ||
        from->at.z != game.z)
        return;
    const int expected = StepOf(DirectionOf(*move)).dy;
    const int seen = game.y - from->at.y; // both still as the game sent them
    if (expected == 0 || seen == 0) return;
    const bool south = (expected > 0) != (seen > 0);
    map_.SetGameYSouth(south);
    change.orientationDecided = true;
    if (!south) return;
    // Every game y turns over at once: all out of the index first, so none is pushed onto
    // another layer by a room that has not turned yet.
    std::vector<MapRoom> turned;
    for (const auto& [number, known] : map_.Rooms())
        if (known.gameCoordinates) turned.push_back(known);
    for (const MapRoom& r : turned)
        map_.Remove(r.number);
    for (MapRoom& r : turned) {
        r.at.y = -r.at.y;
        r.at.layer = 0;
        AddOnce(change.changed, r.number);
        map_.Put(std::move(r));
    }
}

void Automapper::Forget(RoomNumber number, std::vector<RoomNumber>& changed) {
    std::vector<RoomNumber> leading;
    for (const auto& [from, room] : map_.Rooms())
        for (const RoomExit& exit : room.exits)
            if (exit.to == number && from != number) leading.push_back(from);
    for (RoomNumber from : leading) {
        MapRoom room = *map_.Find(from);
        for (RoomExit& exit : room.exits)
            if (exit.to == number) exit.to.reset();
        map_.Put(std::move(room));
        AddOnce(changed, from);
    }
    map_.Remove(number);
}

MapChange Automapper::Sighted(const RoomSighting& seen) {
    MapChange change;
    if (!seen.number) return change;
    const RoomNumber number = *seen.number;
    if (!seen.numberSent) {
        // Trusted with its exits only, and only for the room the player is in.
        const MapRoom* known = map_.Find(number);
        if (current_ != number || !known || !seen.exits) return change;
        MapRoom room = *known;
        room.exits = MergedExits(room.exits, *seen.exits);
        map_.Put(std::move(room));
        change.kind = MapChange::Kind::Updated;
        change.room = number;
        change.changed.push_back(number);
        return change;
    }

    const std::optional<RoomNumber> previous = current_;
    change.kind = previous == number ? MapChange::Kind::Updated : MapChange::Kind::Entered;
    const MapRoom* known = map_.Find(number);
    if (known && seen.name && !known->name.empty() && *seen.name != known->name) {
        Forget(number, change.changed);
        known = nullptr;
        change.kind = MapChange::Kind::Reused;
    }
    if (previous && *previous != number)
        change.move = TakeMove(*previous, number, change.changed);
    else
        pendingMoves_.clear(); // reported again: what was sent since moved nobody
    const MapRoom* from = previous ? map_.Find(*previous) : nullptr;
    if (from && *previous == number) from = nullptr;

    MapRoom room;
    if (known)
        room = *known;
    else
        room.number = number;
    if (seen.name) room.name = *seen.name;
    if (seen.area)
        room.area = *seen.area;
    else if (!known && from && change.move)
        room.area = from->area;
    if (seen.environment) room.environment = *seen.environment;
    if (seen.exits) room.exits = MergedExits(room.exits, *seen.exits);
    if (seen.coordinates) {
        MapPoint game = *seen.coordinates;
        DecideOrientation(from, change.move, room, game, change);
        from = previous ? map_.Find(*previous) : nullptr; // the turn may have moved it
        if (map_.GameYSouth().value_or(false)) game.y = -game.y;
        const MapPoint& at = room.at;
        if (!known || !room.gameCoordinates || at.x != game.x || at.y != game.y || at.z != game.z) {
            room.at = game;
            room.gameCoordinates = true;
        }
    } else if (!known) {
        room.at = Place(from, change.move, room);
    }
    current_ = number;
    change.room = number;
    if (!map_.Put(std::move(room))) {
        change.kind = MapChange::Kind::Refused;
        return change;
    }
    AddOnce(change.changed, number);
    return change;
}

} // namespace tav
