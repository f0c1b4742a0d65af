// The automapper at the sizes of the biggest games: adding 100,000 rooms as the player
// walks (GMCP reading, placing and one transaction a room into map.db), opening a map of
// 50,000 rooms (goal: under 200 ms), a shortest path across 50,000 rooms (goal: under
// 10 ms) and the work of one frame of the map view over an area of 2,000 rooms (at 60
// frames a second a frame has 16.7 ms). Prints its figures; medians where it repeats.

#include "map/MapLayout.h"
#include "map/MapStore.h"
#include "map/Mapper.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

template <class Work> double MedianMs(int runs, Work&& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        work();
        times.push_back(MillisecondsSince(start));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

struct NoSession final : tav::MapSession {
    void SendMapCommand(std::string_view) override {}
    void WalkEnded(tav::WalkEnd) override {}
    void MapProblem(std::string_view text) override {
        std::printf("map problem: %.*s\n", int(text.size()), text.data());
    }
};

// A grid world `width` rooms wide, numbered row by row from 1, every room joined to its
// four neighbours both ways; an area is a block of 50 x 40 rooms (2,000).
struct Grid {
    int width, height;
    tav::RoomNumber Number(int x, int y) const { return tav::RoomNumber(y) * width + x + 1; }
    std::string Area(int x, int y) const {
        return "Area " + std::to_string(x / 50) + "-" + std::to_string(y / 40);
    }
    std::string Exits(int x, int y) const {
        std::string exits;
        const auto add = [&](const char* name, int tx, int ty) {
            if (tx < 0 || ty < 0 || tx >= width || ty >= height) return;
            exits += std::string(exits.empty() ? "" : ",") + "\"" + name +
                     "\":" + std::to_string(Number(tx, ty));
        };
        add("n", x, y + 1);
        add("s", x, y - 1);
        add("e", x + 1, y);
        add("w", x - 1, y);
        return exits;
    }
    tav::RoomMap Map() const {
        tav::RoomMap map;
        map.Reserve(std::size_t(width) * height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                tav::MapRoom room;
                room.number = Number(x, y);
                room.name = "A long road through the plains " + std::to_string(room.number);
                room.area = Area(x, y);
                room.environment = "field";
                room.at = {x % 50, y % 40, 0, 0};
                if (y + 1 < height) room.exits.push_back({"n", Number(x, y + 1)});
                if (y > 0) room.exits.push_back({"s", Number(x, y - 1)});
                if (x + 1 < width) room.exits.push_back({"e", Number(x + 1, y)});
                if (x > 0) room.exits.push_back({"w", Number(x - 1, y)});
                tav::NormaliseExits(room.exits);
                map.Put(std::move(room));
            }
        return map;
    }
};

// Walks a 400 x 250 grid in rows, east then back west, as the game reports each room.
void AddRooms(const fs::path& dir) {
    const Grid grid{400, 250};
    NoSession session;
    tav::Mapper mapper(session);
    mapper.Open(tav::MapFilePath(dir.string()));
    const auto start = Clock::now();
    for (int y = 0; y < grid.height; ++y)
        for (int i = 0; i < grid.width; ++i) {
            const int x = y % 2 ? grid.width - 1 - i : i;
            mapper.CommandSent(i == 0 ? "n" : (y % 2 ? "w" : "e"));
            mapper.Gmcp("Room.Info {\"num\":" + std::to_string(grid.Number(x, y)) +
                        ",\"name\":\"A long road through the plains\",\"area\":\"" +
                        grid.Area(x, y) + "\",\"environment\":\"field\",\"exits\":{" +
                        grid.Exits(x, y) + "}}");
        }
    const double ms = MillisecondsSince(start);
    std::printf("adding 100,000 rooms:      %8.0f ms (%.1f us a room, %zu rooms, %.1f MB file)\n",
                ms, ms * 1000 / 100'000, mapper.Map().Size(),
                double(fs::file_size(tav::MapFilePath(dir.string()))) / 1e6);
}

void OpenMap(const fs::path& dir) {
    const std::string path = (dir / "big.db").string();
    {
        tav::RoomMap map;
        tav::MapStore store;
        store.Open(path, map);
        store.WriteAll(Grid{250, 200}.Map());
    }
    std::size_t rooms = 0;
    const double ms = MedianMs(5, [&] {
        tav::RoomMap map;
        tav::MapStore store;
        store.Open(path, map);
        rooms = map.Size();
    });
    std::printf("opening a map:             %8.1f ms (%zu rooms; goal under 200 ms)\n", ms, rooms);
}

void ShortestPath() {
    const Grid grid{250, 200};
    const tav::RoomMap map = grid.Map();
    tav::PathFinder paths;
    std::size_t steps = 0;
    const auto start = Clock::now();
    paths.Find(map, grid.Number(0, 0), grid.Number(1, 0));
    const double build = MillisecondsSince(start);
    const double ms = MedianMs(
        21, [&] { steps = paths.Find(map, grid.Number(0, 0), grid.Number(249, 199))->size(); });
    std::printf("shortest path:             %8.2f ms (%zu steps across %zu rooms; goal under 10 "
                "ms; the graph built once in %.1f ms)\n",
                ms, steps, map.Size(), build);
}

void Frame() {
    const tav::RoomMap map = Grid{50, 40}.Map();
    const std::string area = Grid{50, 40}.Area(0, 0);
    tav::MapLayout layout;
    std::size_t rooms = 0, lines = 0;
    const tav::GridRect everything{-1, -1, 50, 40};
    const double fresh = MedianMs(21, [&] {
        tav::MapLayout once;
        rooms = once.Visible(map, area, {0, 0}, everything).rooms.size();
    });
    const double frame = MedianMs(201, [&] {
        const tav::LevelView view = layout.Visible(map, area, {0, 0}, everything);
        rooms = view.rooms.size();
        lines = view.lines.size();
    });
    std::printf("a frame of the map view:   %8.3f ms (%zu rooms and %zu lines in view; laid out "
                "afresh after a change: %.3f ms; a frame at 60 a second has 16.7 ms)\n",
                frame, rooms, lines, fresh);
}

} // namespace

int main() {
    std::string pattern = (fs::temp_directory_path() / "tav-map-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) return 1;
    const fs::path dir = pattern;
    AddRooms(dir);
    OpenMap(dir);
    ShortestPath();
    Frame();
    fs::remove_all(dir);
    return 0;
}
