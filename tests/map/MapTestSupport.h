#pragma once

#include "map/RoomMap.h"
#include "map/RoomReader.h"

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

namespace tav {

inline std::string Described(const std::vector<RoomExit>& exits) {
    std::string text;
    for (const RoomExit& e : exits)
        text += " " + e.name + ">" + (e.to ? std::to_string(*e.to) : "?");
    return text;
}
inline std::string Described(const MapPoint& p) {
    return std::to_string(p.x) + "," + std::to_string(p.y) + "," + std::to_string(p.z) +
           (p.layer ? "/" + std::to_string(p.layer) : "");
}
inline void PrintTo(const RoomExit& e, std::ostream* os) {
    *os << Described({e});
}
inline void PrintTo(const RoomSighting& s, std::ostream* os) {
    *os << "{#" << (s.number ? std::to_string(*s.number) : "?") << (s.numberSent ? "" : " guessed")
        << " name=" << s.name.value_or("-") << " area=" << s.area.value_or("-")
        << " env=" << s.environment.value_or("-")
        << " exits=" << (s.exits ? Described(*s.exits) : "-")
        << " at=" << (s.coordinates ? Described(*s.coordinates) : "-") << "}";
}

} // namespace tav

namespace tav::test {

// The map as one line a room, by number: "2 Road @0,1,0 n>3 s>?" (the area after "in",
// "g" for game coordinates).
inline std::vector<std::string> MapLines(const RoomMap& map) {
    std::vector<std::pair<RoomNumber, std::string>> rooms;
    for (const auto& [number, r] : map.Rooms())
        rooms.emplace_back(number, std::to_string(number) + " " + r.name +
                                       (r.area.empty() ? "" : " in " + r.area) + " @" +
                                       Described(r.at) + (r.gameCoordinates ? "g" : "") +
                                       Described(r.exits));
    std::sort(rooms.begin(), rooms.end());
    std::vector<std::string> lines;
    for (auto& [number, line] : rooms)
        lines.push_back(std::move(line));
    return lines;
}

// A GMCP Room.Info message; `more` is added inside the object (",\"area\":\"x\"").
inline std::string RoomInfo(RoomNumber number, const std::string& name, const std::string& exits,
                            const std::string& more = "") {
    return "Room.Info {\"num\":" + std::to_string(number) + ",\"name\":\"" + name +
           "\",\"exits\":{" + exits + "}" + more + "}";
}

} // namespace tav::test

#include "map/Mapper.h"

namespace tav::test {

// Keeps what the mapper asked of the session.
struct RecordingMapSession final : MapSession {
    std::vector<std::string> sent;
    std::vector<WalkEnd> ends;
    std::vector<std::string> problems;
    void SendMapCommand(std::string_view command) override { sent.emplace_back(command); }
    void WalkEnded(WalkEnd end) override { ends.push_back(end); }
    void MapProblem(std::string_view text) override { problems.emplace_back(text); }
};

} // namespace tav::test
