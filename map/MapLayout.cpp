#include "map/MapLayout.h"

#include <algorithm>
#include <set>

namespace tav {

namespace {

std::uint8_t MarkOf(Direction direction) {
    switch (direction) {
    case Direction::Up: return kMarkUp;
    case Direction::Down: return kMarkDown;
    case Direction::In: return kMarkIn;
    case Direction::Out: return kMarkOut;
    case Direction::Other: return kMarkOther;
    default: return 0;
    }
}

bool Meets(const ExitLine& line, const GridRect& rect) {
    return std::max(line.x1, line.x2) >= rect.left && std::min(line.x1, line.x2) <= rect.right &&
           std::max(line.y1, line.y2) >= rect.bottom && std::min(line.y1, line.y2) <= rect.top;
}

} // namespace

std::vector<MapLevel> LevelsOf(const RoomMap& map, std::string_view area) {
    std::set<std::pair<int, int>> levels;
    for (RoomNumber number : map.RoomsIn(area)) {
        const MapPoint& at = map.Find(number)->at;
        levels.emplace(at.z, at.layer);
    }
    std::vector<MapLevel> list;
    for (const auto& [z, layer] : levels)
        list.push_back({z, layer});
    return list;
}

void MapLayout::Build(const RoomMap& map, std::string_view area, MapLevel level) {
    version_ = map.Version();
    area_ = area;
    level_ = level;
    all_ = {};
    const auto onLevel = [&](const MapRoom* room) {
        return room && room->area == area && room->at.z == level.z && room->at.layer == level.layer;
    };
    std::vector<RoomNumber> numbers = map.RoomsIn(area);
    std::sort(numbers.begin(), numbers.end()); // the same lines in the same order every time
    for (RoomNumber number : numbers) {
        const MapRoom* room = map.Find(number);
        if (!onLevel(room)) continue;
        LaidOutRoom laid{number, room->at.x, room->at.y, 0};
        for (const RoomExit& exit : room->exits) {
            const Direction direction = DirectionOf(exit.name);
            const GridStep step = StepOf(direction);
            laid.marks |= MarkOf(direction);
            if (step.dz != 0 || (step.dx == 0 && step.dy == 0)) continue;
            const MapRoom* target = exit.to ? map.Find(*exit.to) : nullptr;
            ExitLine line{double(room->at.x), double(room->at.y), 0, 0, false, false};
            if (!onLevel(target)) {
                line.x2 = room->at.x + step.dx * 0.5;
                line.y2 = room->at.y + step.dy * 0.5;
                line.stub = true;
                all_.lines.push_back(line);
                continue;
            }
            // Only an exit drawn as a line can carry the way back.
            const bool back =
                std::any_of(target->exits.begin(), target->exits.end(), [&](const RoomExit& e) {
                    const GridStep s = StepOf(DirectionOf(e.name));
                    return e.to == number && s.dz == 0 && (s.dx || s.dy);
                });
            // A two-way pair is drawn once, by its lower-numbered room.
            if (back && target->number < number) continue;
            line.x2 = target->at.x;
            line.y2 = target->at.y;
            line.oneWay = !back;
            all_.lines.push_back(line);
        }
        all_.rooms.push_back(laid);
    }
    std::sort(all_.rooms.begin(), all_.rooms.end(), [](const LaidOutRoom& a, const LaidOutRoom& b) {
        return a.y != b.y ? a.y > b.y : a.x < b.x; // rows from the north down
    });
}

LevelView MapLayout::Visible(const RoomMap& map, std::string_view area, MapLevel level,
                             const GridRect& rect) {
    if (version_ != map.Version() || area_ != area || !(level_ == level)) Build(map, area, level);
    LevelView view;
    for (const LaidOutRoom& room : all_.rooms)
        if (room.x >= rect.left && room.x <= rect.right && room.y >= rect.bottom &&
            room.y <= rect.top)
            view.rooms.push_back(room);
    for (const ExitLine& line : all_.lines)
        if (Meets(line, rect)) view.lines.push_back(line);
    return view;
}

} // namespace tav
