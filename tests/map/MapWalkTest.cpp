// Shortest paths, walks through the mapper as the session drives them, and the layout the
// map view draws from.
#include "MapTestSupport.h"
#include "map/MapLayout.h"

#include <gtest/gtest.h>

namespace tav {
void PrintTo(const LaidOutRoom& r, std::ostream* os) {
    *os << "#" << r.number << "@" << r.x << "," << r.y << " marks " << int(r.marks);
}
void PrintTo(const ExitLine& l, std::ostream* os) {
    *os << l.x1 << "," << l.y1 << "-" << l.x2 << "," << l.y2 << (l.oneWay ? " one-way" : "")
        << (l.stub ? " stub" : "");
}
void PrintTo(const PathStep& s, std::ostream* os) {
    *os << s.command << ">" << s.to;
}
} // namespace tav

namespace tav::test {
namespace {

using Steps = std::vector<PathStep>;
using enum Mapper::WalkStart;

// 6 Island, alone in its area and with no way out; then 1 Square, 2 North above it, 4
// Corner east of 2, 5 Tower up from 4 with a portal to 6, and 3 East below 4, where the
// player ends.
struct MapWalkTest : ::testing::Test {
    RecordingMapSession session;
    Mapper mapper{session};
    void SetUp() override {
        const std::string corner = RoomInfo(4, "Corner", R"("w":2,"s":3,"u":5)");
        for (const std::string& room : {RoomInfo(6, "Island", "", R"(,"area":"Sea")"),
                                        RoomInfo(1, "Square", R"("n":2,"e":3,"ne":4)"),
                                        RoomInfo(2, "North", R"("s":1,"e":4)"), corner,
                                        RoomInfo(5, "Tower", R"("d":4,"portal":6)"), corner,
                                        RoomInfo(3, "East", R"("w":1,"n":4,"e":7)")})
            mapper.Gmcp(room);
    }
};

TEST_F(MapWalkTest, ShortestPathsTakeKnownExitsOnlyAndFollowChanges) {
    PathFinder paths;
    const RoomMap& map = mapper.Map();
    const std::tuple<RoomNumber, RoomNumber, std::optional<Steps>> cases[] = {
        {1, 4, Steps{{"ne", 4}}},
        {3, 6, Steps{{"n", 4}, {"u", 5}, {"portal", 6}}},
        {2, 3, Steps{{"e", 4}, {"s", 3}}},
        {6, 1, std::nullopt}, // one-way
        {3, 7, std::nullopt}, // never seen
        {1, 1, Steps{}},
    };
    for (const auto& [from, to, expected] : cases)
        EXPECT_EQ(paths.Find(map, from, to), expected) << from << " to " << to;
    mapper.Gmcp(RoomInfo(6, "Island", R"("swim":3)", R"(,"area":"Sea")"));
    EXPECT_EQ(paths.Find(map, 6, 1), (Steps{{"swim", 3}, {"w", 1}}));
    // Rooms to go to by name.
    EXPECT_EQ(map.FindByName("OR", 9), (std::vector<RoomNumber>{2, 4}));
    EXPECT_EQ(map.FindByName("", 3), (std::vector<RoomNumber>{1, 2, 3}));
}

TEST_F(MapWalkTest, AWalkSendsAStepPerConfirmedRoomAndStopsWhenItMust) {
    RecordingMapSession other;
    EXPECT_EQ(Mapper(other).WalkTo(1), NoCurrentRoom);
    EXPECT_EQ(mapper.WalkTo(99), UnknownRoom);
    EXPECT_EQ(mapper.WalkTo(3), AlreadyThere);

    ASSERT_EQ(mapper.WalkTo(5), Started);
    mapper.Gmcp(RoomInfo(3, "East", R"("w":1,"n":4,"e":7)")); // the game repeats itself
    mapper.Gmcp(RoomInfo(4, "Corner", R"("w":2,"s":3,"u":5)"));
    mapper.Gmcp(RoomInfo(5, "Tower", R"("d":4,"portal":6)"));
    EXPECT_EQ(session.sent, (std::vector<std::string>{"n", "u"}));
    EXPECT_EQ(session.ends, std::vector{WalkEnd::Arrived});

    ASSERT_EQ(mapper.WalkTo(1), Started); // d, s, w
    mapper.Gmcp(RoomInfo(4, "Corner", R"("w":2,"s":3,"u":5)"));
    mapper.Gmcp(RoomInfo(2, "North", R"("s":1,"e":4)")); // not where "s" leads
    mapper.Gmcp(RoomInfo(1, "Square", R"("n":2,"e":3,"ne":4)"));
    EXPECT_EQ(session.sent, (std::vector<std::string>{"n", "u", "d", "s"}));

    ASSERT_EQ(mapper.WalkTo(4), Started);
    mapper.StopWalk();
    ASSERT_EQ(mapper.WalkTo(4), Started);
    mapper.CommandSent("say hi"); // not a move: the walk goes on
    EXPECT_TRUE(mapper.Walking());
    mapper.CommandSent("north"); // the player takes over
    EXPECT_FALSE(mapper.Walking());
    ASSERT_EQ(mapper.WalkTo(4), Started);
    mapper.Tick(Mapper::Clock::now() + MapWalk::kStepAnswerTime / 2);
    EXPECT_TRUE(mapper.Walking());
    mapper.Tick(Mapper::Clock::now() + MapWalk::kStepAnswerTime * 2);
    EXPECT_FALSE(mapper.Walking());
    EXPECT_EQ(session.ends, (std::vector{WalkEnd::Arrived, WalkEnd::Unexpected, WalkEnd::Stopped,
                                         WalkEnd::Stopped, WalkEnd::NoAnswer}));
    mapper.Gmcp(RoomInfo(6, "Island", "", R"(,"area":"Sea")"));
    EXPECT_EQ(mapper.WalkTo(1), NoPath);
}

TEST_F(MapWalkTest, TheLayoutOfALevelAndWhatAFrameShows) {
    MapLayout layout;
    const RoomMap& map = mapper.Map();
    EXPECT_EQ(map.Areas(), (std::vector<AreaSummary>{{"", 5}, {"Sea", 1}}));
    EXPECT_EQ(LevelsOf(map, ""), (std::vector<MapLevel>{{0, 0}, {1, 0}}));
    const LevelView all = layout.Visible(map, "", {0, 0}, {-9, -9, 9, 9});
    EXPECT_EQ(all.rooms, (std::vector<LaidOutRoom>{
                             {2, 0, 1, 0}, {4, 1, 1, kMarkUp}, {1, 0, 0, 0}, {3, 1, 0, 0}}));
    EXPECT_EQ(all.lines, (std::vector<ExitLine>{{0, 0, 1, 0},
                                                {0, 0, 0, 1},
                                                {0, 0, 1, 1, true},
                                                {0, 1, 1, 1},
                                                {1, 0, 1.5, 0, false, true},
                                                {1, 0, 1, 1}}));
    const LevelView frame = layout.Visible(map, "", {0, 0}, {0.9, -1, 2, 0.5});
    EXPECT_EQ(frame.rooms, (std::vector<LaidOutRoom>{{3, 1, 0, 0}}));
    EXPECT_EQ(frame.lines,
              (std::vector<ExitLine>{
                  {0, 0, 1, 0}, {0, 0, 1, 1, true}, {1, 0, 1.5, 0, false, true}, {1, 0, 1, 1}}));
    // A frame's edges hold what stands on them, rooms and the lines that reach them.
    const LevelView point = layout.Visible(map, "", {0, 0}, {1, 0, 1, 0});
    EXPECT_EQ(point.rooms, (std::vector<LaidOutRoom>{{3, 1, 0, 0}}));
    EXPECT_EQ(point.lines, frame.lines);
    const LevelView tower = layout.Visible(map, "", {1, 0}, {-9, -9, 9, 9});
    EXPECT_EQ(tower.rooms, (std::vector<LaidOutRoom>{{5, 1, 1, kMarkDown | kMarkOther}}));
    EXPECT_EQ(tower.lines, std::vector<ExitLine>{});
}

} // namespace
} // namespace tav::test
