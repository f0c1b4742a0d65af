#pragma once

#include "map/RoomMap.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tav {

struct PathStep {
    std::string command; // the exit's name, sent as it is
    RoomNumber to = 0;   // the room it leads to
    bool operator==(const PathStep&) const = default;
};

// Shortest paths (fewest steps) over the exits whose targets are known. Keeps the map's
// exits as a compact graph, rebuilt when the map's version has moved on, so a search
// costs one breadth-first pass over arrays.
class PathFinder {
public:
    // The steps from `from` to `to`: empty when they are the same room, nothing when
    // either is not in the map or no known exits join them.
    std::optional<std::vector<PathStep>> Find(const RoomMap& map, RoomNumber from, RoomNumber to);

private:
    void Build(const RoomMap& map);

    std::optional<std::uint64_t> builtVersion_;
    std::vector<RoomNumber> numbers_;              // index -> number, sorted
    std::vector<std::uint32_t> firstEdge_;         // index -> its edges' start
    std::vector<std::uint32_t> edgeTarget_;        // edge -> index of the target
    std::vector<std::string> edgeName_;            // edge -> the exit's name
    std::vector<std::uint32_t> cameFrom_, cameBy_; // search scratch, kept for reuse
};

} // namespace tav
