#include "map/PathFinder.h"

#include <algorithm>
#include <limits>

namespace tav {

namespace {

constexpr std::uint32_t kUnseen = std::numeric_limits<std::uint32_t>::max();

} // namespace

void PathFinder::Build(const RoomMap& map) {
    numbers_.clear();
    numbers_.reserve(map.Size());
    for (const auto& [number, room] : map.Rooms())
        numbers_.push_back(number);
    std::sort(numbers_.begin(), numbers_.end());
    const auto indexOf = [&](RoomNumber number) -> std::uint32_t {
        const auto found = std::lower_bound(numbers_.begin(), numbers_.end(), number);
        return found != numbers_.end() && *found == number
                   ? static_cast<std::uint32_t>(found - numbers_.begin())
                   : kUnseen;
    };
    firstEdge_.assign(numbers_.size() + 1, 0);
    edgeTarget_.clear();
    edgeName_.clear();
    for (std::size_t i = 0; i < numbers_.size(); ++i) {
        firstEdge_[i] = static_cast<std::uint32_t>(edgeTarget_.size());
        for (const RoomExit& exit : map.Find(numbers_[i])->exits) {
            if (!exit.to) continue;
            const std::uint32_t target = indexOf(*exit.to);
            if (target == kUnseen) continue;
            edgeTarget_.push_back(target);
            edgeName_.push_back(exit.name);
        }
    }
    firstEdge_[numbers_.size()] = static_cast<std::uint32_t>(edgeTarget_.size());
    builtVersion_ = map.Version();
}

std::optional<std::vector<PathStep>> PathFinder::Find(const RoomMap& map, RoomNumber from,
                                                      RoomNumber to) {
    if (builtVersion_ != map.Version()) Build(map);
    const auto indexOf = [&](RoomNumber number) -> std::uint32_t {
        const auto found = std::lower_bound(numbers_.begin(), numbers_.end(), number);
        return found != numbers_.end() && *found == number
                   ? static_cast<std::uint32_t>(found - numbers_.begin())
                   : kUnseen;
    };
    const std::uint32_t start = indexOf(from), goal = indexOf(to);
    if (start == kUnseen || goal == kUnseen) return std::nullopt;
    if (start == goal) return std::vector<PathStep>{};

    cameFrom_.assign(numbers_.size(), kUnseen);
    cameBy_.resize(numbers_.size());
    std::vector<std::uint32_t> frontier{start}, next;
    cameFrom_[start] = start;
    while (!frontier.empty() && cameFrom_[goal] == kUnseen) {
        next.clear();
        for (std::uint32_t room : frontier)
            for (std::uint32_t edge = firstEdge_[room]; edge < firstEdge_[room + 1]; ++edge) {
                const std::uint32_t target = edgeTarget_[edge];
                if (cameFrom_[target] != kUnseen) continue;
                cameFrom_[target] = room;
                cameBy_[target] = edge;
                next.push_back(target);
            }
        frontier.swap(next);
    }
    if (cameFrom_[goal] == kUnseen) return std::nullopt;
    std::vector<PathStep> steps;
    for (std::uint32_t at = goal; at != start; at = cameFrom_[at])
        steps.push_back({edgeName_[cameBy_[at]], numbers_[at]});
    std::reverse(steps.begin(), steps.end());
    return steps;
}

} // namespace tav
