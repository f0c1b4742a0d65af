// The map file: real SQLite files in temporary directories, a writer killed mid-write, and
// maps shared as JSON files.
#include "MapTestSupport.h"
#include "map/MapJson.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

namespace tav::test {
namespace {

namespace fs = std::filesystem;

std::string Bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A walk east along rooms numbered from `first`, each with exits both ways.
void WalkEast(Mapper& mapper, RoomNumber first, RoomNumber last,
              const std::function<void(RoomNumber)>& walked = {}) {
    for (RoomNumber n = first; n <= last; ++n) {
        mapper.CommandSent("e");
        mapper.Gmcp(RoomInfo(n, "Room " + std::to_string(n),
                             "\"w\":" + std::to_string(n - 1) + ",\"e\":" + std::to_string(n + 1),
                             ",\"area\":\"Road\""));
        if (walked) walked(n);
    }
}

TEST(MapFile, AWalkFillsTheFileAndARestartReadsTheSameMap) {
    const TempDir temp({"profiles/hero"});
    const std::string path = MapFilePath((temp.path / "profiles/hero").string());
    RecordingMapSession session;
    RoomMap walked;
    {
        Mapper mapper(session);
        ASSERT_TRUE(mapper.Open(path));
        WalkEast(mapper, 1, 3);
        mapper.CommandSent("n"); // no such exit: the move failed, then the game moved us
        mapper.Gmcp(RoomInfo(2, "Temple", "\"s\":3", R"(,"area":"Road","coord":[9,9,0])"));
        mapper.Msdp("\1ROOM_VNUM\2"
                    "2\1ROOM_TERRAIN\2Holy");
        walked = mapper.Map();
    }
    EXPECT_EQ(MapLines(walked), (std::vector<std::string>{"1 Room 1 in Road @0,0,0 e>? w>0",
                                                          "2 Temple in Road @9,9,0g s>3",
                                                          "3 Room 3 in Road @2,0,0 e>4 w>?"}));
    EXPECT_EQ(walked.Find(2)->environment, "Holy");
    Mapper restarted(session);
    ASSERT_TRUE(restarted.Open(path));
    EXPECT_EQ(restarted.Map(), walked);
    EXPECT_EQ(session.problems, std::vector<std::string>{});
}

TEST(MapFile, AFileThatHoldsNoMapOfOursIsLeftAsItWas) {
    const TempDir temp;
    const auto sqlite = [&](const fs::path& path, const char* sql) {
        sqlite3* db = nullptr;
        sqlite3_open(path.c_str(), &db);
        sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
        sqlite3_close(db);
    };
    std::ofstream(temp.path / "garbage.db") << std::string(5000, 'x');
    sqlite(temp.path / "other.db", "CREATE TABLE notes(text)");
    {
        RoomMap map;
        MapStore newer;
        ASSERT_TRUE(newer.Open((temp.path / "newer.db").string(), map));
    }
    sqlite(temp.path / "newer.db", "PRAGMA user_version = 2");
    for (const char* name : {"garbage.db", "other.db", "newer.db"}) {
        const fs::path path = temp.path / name;
        const std::string before = Bytes(path);
        RecordingMapSession session;
        Mapper mapper(session);
        EXPECT_FALSE(mapper.Open(path.string())) << name;
        WalkEast(mapper, 1, 2); // the map lives on in memory
        EXPECT_EQ(mapper.Map().Size(), 2u);
        EXPECT_EQ(session.problems.size(), 1u) << name;
        EXPECT_EQ(Bytes(path), before) << name;
    }
    // A store whose file never opened says so to every write.
    MapStore unopened;
    const RoomNumber numbers[] = {1};
    EXPECT_FALSE(unopened.Write(RoomMap{}, numbers));
    EXPECT_FALSE(unopened.WriteAll(RoomMap{}));
}

// A map file damaged past its first page cannot be read whole: it is refused and left as it
// was, never taken for a smaller map that later writes would build on.
TEST(MapFile, AMapFileDamagedInsideIsRefusedAndLeftAsItWas) {
    const TempDir temp;
    const std::string path = MapFilePath(temp.path.string());
    {
        RecordingMapSession session;
        Mapper mapper(session);
        ASSERT_TRUE(mapper.Open(path));
        WalkEast(mapper, 1, 200);
    }
    std::string damaged = Bytes(path);
    constexpr std::size_t kPage = 4096; // the first page holds the schema
    ASSERT_GT(damaged.size(), 3 * kPage);
    std::fill(damaged.begin() + kPage, damaged.end(), '\xA5');
    std::ofstream(path, std::ios::binary | std::ios::trunc) << damaged;
    ASSERT_EQ(Bytes(path), damaged);

    RecordingMapSession session;
    Mapper mapper(session);
    EXPECT_FALSE(mapper.Open(path));
    EXPECT_EQ(mapper.Map().Size(), 0u);
    WalkEast(mapper, 1, 2);
    EXPECT_EQ(session.problems.size(), 1u);
    EXPECT_EQ(Bytes(path), damaged);
}

// A child walks and writes on and is killed at a random moment, again and again on one
// file: each time the file opens whole, with every room the child had finished and at
// most the one it was adding.
TEST(MapFile, AKilledWriterLosesAtMostTheRoomBeingAdded) {
    const TempDir temp;
    const std::string path = MapFilePath(temp.path.string());
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    RoomNumber have = 0;
    for (int round = 0; round < 12; ++round) {
        int progress[2];
        ASSERT_EQ(::pipe(progress), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(progress[0]);
            RecordingMapSession session;
            Mapper mapper(session);
            if (!mapper.Open(path)) ::_exit(1);
            WalkEast(mapper, have + 1, have + 100'000, [&](RoomNumber n) {
                if (::write(progress[1], &n, sizeof n) != sizeof n) ::_exit(2);
            });
            ::_exit(0);
        }
        ::close(progress[1]);
        const int wanted = std::uniform_int_distribution<int>(1, 150)(random);
        RoomNumber reported = have;
        for (int i = 0; i<wanted&& ::read(progress[0], &reported, sizeof reported)> 0; ++i) {
        }
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the child ended by itself: " << status;
        while (::read(progress[0], &reported, sizeof reported) > 0) {
        }
        ::close(progress[0]);

        RoomMap map;
        MapStore store;
        ASSERT_TRUE(store.Open(path, map)) << store.Error();
        ASSERT_TRUE(map.Size() == std::size_t(reported) || map.Size() == std::size_t(reported) + 1)
            << map.Size() << " rooms after " << reported << " were reported, round " << round;
        for (RoomNumber n = 1; n <= RoomNumber(map.Size()); ++n) {
            const MapRoom* room = map.Find(n);
            ASSERT_TRUE(room) << n;
            ASSERT_EQ(room->name, "Room " + std::to_string(n));
            ASSERT_EQ(room->exits, (std::vector<RoomExit>{{"e", n + 1}, {"w", n - 1}})) << n;
        }
        have = RoomNumber(map.Size());
    }
    RecordProperty("rooms_written", int(have));
}

TEST(MapFile, AMapSharedAsJsonReadsBackWholeAndWithinItsBounds) {
    const TempDir temp;
    RecordingMapSession session;
    Mapper mapper(session);
    ASSERT_TRUE(mapper.Open(MapFilePath(temp.path.string())));
    mapper.Gmcp(RoomInfo(7, "Caf\xc3\xa9 \\\"Z\\\"", "\"n\":8,\"portal\":null",
                         R"(,"area":"Town","terrain":"inn","coord":{"x":1,"y":2,"z":-1})"));
    mapper.Gmcp(RoomInfo(8, "Roof", "\"s\":7", R"(,"area":"Town","coord":{"x":1,"y":2,"z":-1})"));
    const std::string file = (temp.path / "shared.json").string();
    ASSERT_TRUE(mapper.ExportTo(file));
    EXPECT_EQ(Bytes(file).substr(0, 48),
              "{\"format\":\"tavclient-map\",\"version\":1,\"rooms\":[\n");
    const auto imported = ImportMap(file);
    ASSERT_TRUE(imported);
    EXPECT_EQ(imported->map, mapper.Map());
    EXPECT_EQ(imported->skipped, 0u);

    // Importing replaces the map and its file.
    std::ofstream(file) << R"({"format":"tavclient-map","rooms":[{"num":1,"name":"Only"}]})";
    ASSERT_TRUE(mapper.ImportFrom(file));
    Mapper restarted(session);
    ASSERT_TRUE(restarted.Open(MapFilePath(temp.path.string())));
    EXPECT_EQ(MapLines(restarted.Map()), std::vector<std::string>{"1 Only @0,0,0"});

    // The game's y direction, once decided, travels with the map; anything else leaves it
    // undecided.
    for (const bool south : {true, false}) {
        RoomMap oriented;
        oriented.SetGameYSouth(south);
        const auto back = MapFromJson(MapToJson(oriented));
        ASSERT_TRUE(back);
        EXPECT_EQ(back->map.GameYSouth(), std::optional<bool>(south));
    }
    for (const std::string y : {R"("east")", R"("SOUTH")", "1"}) {
        const auto odd =
            MapFromJson(R"({"format":"tavclient-map","game_y":)" + y + R"(,"rooms":[]})");
        ASSERT_TRUE(odd) << y;
        EXPECT_FALSE(odd->map.GameYSouth().has_value()) << y;
    }

    // What is taken, what is skipped, and what is refused whole.
    const std::string head = R"({"format":"tavclient-map","rooms":[)";
    const std::string taken = head + R"({"num":1,"name":")" + std::string(300, 'n') +
                              R"(","x":5,"exits":{"N":2,"s":"x"}},{"num":2,"x":5},{"num":1},
        {"name":"no number"},[1],7]})";
    const auto read = MapFromJson(taken);
    ASSERT_TRUE(read);
    EXPECT_EQ(MapLines(read->map),
              (std::vector<std::string>{
                  "1 " + std::string(kMaxRoomNameBytes, 'n') + " @5,0,0 n>2 s>?", "2  @5,0,0/1"}));
    EXPECT_EQ(read->skipped, 4u);
    // A room on the coordinates' bound stays there and is found there.
    const auto edge = MapFromJson(head + R"({"num":1,"x":1048575,"y":-1048575}]})");
    ASSERT_TRUE(edge);
    EXPECT_EQ(edge->map.At("", MapPoint{kMaxCoordinate, -kMaxCoordinate, 0, 0}), RoomNumber{1});
    EXPECT_FALSE(MapFromJson(head + R"({"num":1},{"num":2},{"num":3}]})", 2));
    EXPECT_FALSE(MapFromJson(head + R"({"num":1,"a":[[[[[[[[1]]]]]]]]}]})"));
    EXPECT_FALSE(MapFromJson(R"({"format":"other","rooms":[]})"));
    EXPECT_FALSE(MapFromJson(R"({"format":"tavclient-map","rooms":{}})"));
    const std::string large = (temp.path / "large.json").string();
    std::ofstream(large) << "{";
    fs::resize_file(large, kMaxMapFileBytes + 1); // sparse: costs nothing
    EXPECT_FALSE(ImportMap(large));
}

} // namespace
} // namespace tav::test
