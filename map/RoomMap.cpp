#include "map/RoomMap.h"

#include <algorithm>
#include <atomic>
#include <cctype>

namespace tav {

namespace {

// x and y take 21 bits each, z 12 and the layer 8: one 62-bit key per place.
std::uint64_t PlaceKey(const MapPoint& p) {
    const auto bits = [](int value, int width) {
        return static_cast<std::uint64_t>(static_cast<std::uint32_t>(value)) &
               ((std::uint64_t{1} << width) - 1);
    };
    return bits(p.x, 21) | bits(p.y, 21) << 21 | bits(p.z, 12) << 42 | bits(p.layer, 8) << 54;
}

char Folded(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

} // namespace

void RoomMap::Changed() {
    static std::atomic<std::uint64_t> versions{0};
    version_ = ++versions;
}

const MapRoom* RoomMap::Find(RoomNumber number) const {
    const auto found = rooms_.find(number);
    return found == rooms_.end() ? nullptr : &found->second;
}

std::optional<RoomNumber> RoomMap::At(std::string_view area, const MapPoint& point) const {
    const auto found = areas_.find(area);
    if (found == areas_.end() || !InBounds(point)) return std::nullopt;
    const auto place = found->second.places.find(PlaceKey(point));
    if (place == found->second.places.end()) return std::nullopt;
    return place->second;
}

void RoomMap::Unplace(const MapRoom& room) {
    const auto area = areas_.find(room.area);
    if (area == areas_.end()) return;
    const auto place = area->second.places.find(PlaceKey(room.at));
    if (place != area->second.places.end() && place->second == room.number)
        area->second.places.erase(place);
}

std::optional<int> RoomMap::FreeLayer(std::string_view area, MapPoint point,
                                      std::optional<RoomNumber> except) const {
    if (!InBounds(point)) return std::nullopt;
    const auto free = [&] {
        const std::optional<RoomNumber> there = At(area, point);
        return !there || there == except;
    };
    if (free()) return point.layer;
    for (point.layer = 0; point.layer <= kMaxLayer; ++point.layer)
        if (free()) return point.layer;
    return std::nullopt;
}

bool RoomMap::Put(MapRoom room) {
    const auto old = rooms_.find(room.number);
    if (old == rooms_.end() && rooms_.size() >= capacity_) return false;
    const std::optional<int> layer = FreeLayer(room.area, room.at, room.number);
    if (!layer) return false;
    room.at.layer = *layer;
    if (old != rooms_.end()) Unplace(old->second);
    auto area = areas_.find(room.area);
    if (area == areas_.end()) area = areas_.emplace(room.area, Area{}).first;
    area->second.places.insert_or_assign(PlaceKey(room.at), room.number);
    const RoomNumber number = room.number;
    rooms_.insert_or_assign(number, std::move(room));
    Changed();
    return true;
}

void RoomMap::Remove(RoomNumber number) {
    const auto found = rooms_.find(number);
    if (found == rooms_.end()) return;
    Unplace(found->second);
    rooms_.erase(found);
    Changed();
}

void RoomMap::SetGameYSouth(std::optional<bool> south) {
    gameYSouth_ = south;
    Changed();
}

void RoomMap::Clear() {
    rooms_.clear();
    areas_.clear();
    gameYSouth_.reset();
    Changed();
}

std::vector<AreaSummary> RoomMap::Areas() const {
    std::vector<AreaSummary> areas;
    for (const auto& [name, area] : areas_)
        if (!area.places.empty()) areas.push_back({name, area.places.size()});
    return areas;
}

std::vector<RoomNumber> RoomMap::RoomsIn(std::string_view area) const {
    std::vector<RoomNumber> numbers;
    const auto found = areas_.find(area);
    if (found == areas_.end()) return numbers;
    numbers.reserve(found->second.places.size());
    for (const auto& [place, number] : found->second.places)
        numbers.push_back(number);
    return numbers;
}

std::vector<RoomNumber> RoomMap::FindByName(std::string_view text, std::size_t limit) const {
    std::vector<RoomNumber> found;
    for (const auto& [number, room] : rooms_) {
        const auto at = std::search(room.name.begin(), room.name.end(), text.begin(), text.end(),
                                    [](char a, char b) { return Folded(a) == Folded(b); });
        if (at != room.name.end() || text.empty()) found.push_back(number);
    }
    std::sort(found.begin(), found.end());
    if (found.size() > limit) found.resize(limit);
    return found;
}

} // namespace tav
