// The automapper fed sightings as a session would: moves sent, rooms reported, and the map
// it builds compared whole, one line a room.
#include "map/Automapper.h"
#include "MapTestSupport.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace tav::test {
namespace {

using Exits = std::vector<RoomExit>;
using Lines = std::vector<std::string>;

struct AutomapperTest : ::testing::Test {
    RoomMap map;
    Automapper mapper{map};
    MapChange See(RoomNumber number, const char* name, Exits exits, const char* area = nullptr,
                  std::optional<MapPoint> at = {}) {
        RoomSighting seen{number, true, name, {}, {}, std::move(exits), at};
        if (area) seen.area = area;
        return mapper.Sighted(seen);
    }
    MapChange Walk(const char* move, RoomNumber number, const char* name, Exits exits = {},
                   const char* area = nullptr, std::optional<MapPoint> at = {}) {
        mapper.MoveSent(move);
        return See(number, name, std::move(exits), area, at);
    }
};

TEST_F(AutomapperTest, MovesPlaceRoomsStretchPastOthersAndKeepOneWayExits) {
    See(1, "Square", {{"n", {}}, {"e", {}}, {"in", {}}}, "Town");
    const MapChange north = Walk("north", 2, "Road", {{"s", {}}, {"e", {}}});
    EXPECT_EQ(north.move, "n");
    EXPECT_EQ(north.changed, (std::vector<RoomNumber>{1, 2}));
    Walk("e", 3, "Corner"); // the game lists no exits here: the move makes one
    Walk("s", 4, "Alley");
    Walk("w", 5, "Well");    // the square holds the place: one step further
    Walk("foo", 6, "Inn");   // not a move: 6 is reached by no exit, in an area of its own
    Walk("in", 7, "Cellar"); // no compass direction: the nearest free place
    See(8, "Yard", {{"w", 4}}, "Town"); // no move, but its exit leads to a known room
    See(9, "Barn", {{"w", 4}}, "Town"); // that place is taken: the nearest free one to 8
    EXPECT_EQ(MapLines(map),
              (Lines{"1 Square in Town @0,0,0 e>? in>? n>2",
                     "2 Road in Town @0,1,0 e>3 s>?", // one-way until walked
                     "3 Corner in Town @1,1,0 s>4", "4 Alley in Town @1,0,0 w>5",
                     "5 Well in Town @-1,0,0", "6 Inn @0,0,0 in>7", "7 Cellar @-1,1,0",
                     "8 Yard in Town @2,0,0 w>4", "9 Barn in Town @2,1,0 w>4"}));
}

// A move stretches past rooms in its way by up to three steps; past that the room takes
// the first step, on a layer of its own.
TEST_F(AutomapperTest, AMoveStretchesAtMostThreeStepsPastTheRoomsInItsWay) {
    See(1, "Gate", {});
    for (const auto& [move, number] : std::vector<std::pair<const char*, RoomNumber>>{
             {"e", 2}, {"e", 3}, {"w", 2}, {"w", 1}, {"e", 4}, {"w", 1}, {"e", 5}})
        Walk(move, number, "Road");
    const Lines lines = MapLines(map);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[3], "4 Road @3,0,0 w>1");
    EXPECT_EQ(lines[4], "5 Road @1,0,0/1");
}

// The diagonal and vertical moves step one place each way.
TEST_F(AutomapperTest, DiagonalAndVerticalMovesStepOnePlace) {
    See(1, "Hub", {});
    const std::tuple<const char*, const char*, RoomNumber> trips[] = {
        {"nw", "se", 2}, {"ne", "sw", 3},   {"sw", "ne", 4},
        {"se", "nw", 5}, {"up", "down", 6}, {"down", "up", 7}};
    for (const auto& [out, back, number] : trips) {
        Walk(out, number, "Room");
        Walk(back, 1, "Hub");
    }
    // (The hub, seen again with no exits each time, keeps none.)
    EXPECT_EQ(MapLines(map), (Lines{"1 Hub @0,0,0", "2 Room @-1,1,0 se>1", "3 Room @1,1,0 sw>1",
                                    "4 Room @-1,-1,0 ne>1", "5 Room @1,-1,0 nw>1",
                                    "6 Room @0,0,1 d>1", "7 Room @0,0,-1 u>1"}));
}

// With no compass move, the nearest free place is sought ring by ring around the room left,
// each ring from its top row down and each row from the west.
TEST_F(AutomapperTest, TheNearestFreePlaceIsSoughtRowByRowRoundTheRoomLeft) {
    See(1, "Inn", {});
    const std::tuple<const char*, RoomNumber, const char*> moves[] = {
        {"n", 2, "Attic"}, {"w", 3, "Loft"}, {"e", 2, "Attic"},  {"e", 4, "Shed"},
        {"w", 2, "Attic"}, {"s", 1, "Inn"},  {"in", 5, "Cellar"}};
    for (const auto& [move, number, name] : moves)
        Walk(move, number, name);
    // (Each room seen again lists no exits, so only the last move out of it stays.)
    EXPECT_EQ(MapLines(map), (Lines{"1 Inn @0,0,0 in>5", "2 Attic @0,1,0 s>1", "3 Loft @-1,1,0 e>2",
                                    "4 Shed @1,1,0 w>2", "5 Cellar @-1,0,0"}));
}

// A move by a name of the game's own is mapped only where the room lists an exit of that
// name; with the places around the room taken, the new room goes as far out as three rings.
TEST_F(AutomapperTest, NamedExitsAreFollowedWhereListedAndPlacedUpToThreeRingsOut) {
    for (int x = -2; x <= 2; ++x)
        for (int y = -2; y <= 2; ++y)
            if (x != 0 || y != 0)
                See(100 + 10 * (x + 2) + y + 2, "Cell", {}, "Keep", MapPoint{x, y, 0});
    See(1, "Hall", {{"portal", {}}}, "Keep", MapPoint{0, 0, 0});
    const MapChange portal = Walk("portal", 2, "Vault", {{"back", {}}}, "Keep");
    EXPECT_EQ(portal.move, "portal");
    EXPECT_EQ(Walk("jump", 3, "Pit", {}, "Keep").move, std::nullopt); // Vault lists no jump
    const Lines lines = MapLines(map);
    EXPECT_EQ(lines.front(), "1 Hall in Keep @0,0,0g portal>2");
    EXPECT_EQ(lines[1], "2 Vault in Keep @-3,3,0 back>?");
}

TEST_F(AutomapperTest, GameCoordinatesTurnToTheNorthAndCrowdedPlacesGetLayers) {
    See(20, "Gate", {{"n", {}}}, "Keep", MapPoint{5, 5, 0});
    // y grows to the south in this game: every game y turns, once.
    EXPECT_TRUE(Walk("n", 21, "Hall", {}, "Keep", MapPoint{5, 4, 0}).orientationDecided);
    EXPECT_FALSE(Walk("n", 22, "Stairs", {}, "Keep", MapPoint{5, 3, 0}).orientationDecided);
    See(23, "Cellar", {}, "Keep", MapPoint{5, 4, 0}); // the game's own overlap
    See(25, "Moat", {}, "Keep", MapPoint{5, 6, 0});
    Walk("n", 26, "Tower", {}, "Keep"); // three rooms in the way: a layer of its own
    EXPECT_EQ(map.GameYSouth(), true);
    EXPECT_EQ(MapLines(map),
              (Lines{"20 Gate in Keep @5,-5,0g n>21", "21 Hall in Keep @5,-4,0g n>22",
                     "22 Stairs in Keep @5,-3,0g", "23 Cellar in Keep @5,-4,0/1g",
                     "25 Moat in Keep @5,-6,0g n>26", "26 Tower in Keep @5,-5,0/1"}));
}

TEST_F(AutomapperTest, ReusedNumbersFailedMovesGuessedUpdatesAndAFullMap) {
    See(1, "Square", {{"n", {}}, {"e", {}}});
    Walk("n", 2, "Road", {{"s", {}}, {"n", {}}});
    Walk("n", 3, "Gate", {{"s", 2}, {"e", {}}});
    // Room 2 is another room now: the old one goes, with every exit that led to it.
    MapChange reused = Walk("e", 2, "Temple", {{"w", {}}, {"n", {}}});
    std::sort(reused.changed.begin(), reused.changed.end());
    EXPECT_EQ(reused.kind, MapChange::Kind::Reused);
    EXPECT_EQ(reused.changed, (std::vector<RoomNumber>{1, 2, 3}));
    EXPECT_EQ(map.At("", {0, 1, 0}), std::nullopt);
    // A move that failed, then the room reported again: the move is not kept for later.
    mapper.MoveSent("w");
    EXPECT_EQ(See(2, "Temple", {{"w", {}}, {"n", {}}}).kind, MapChange::Kind::Updated);
    EXPECT_EQ(Walk("n", 4, "Garden", {{"s", {}}}).move, "n");
    // A move the room lists no exit for failed: what came next was not reached by it.
    EXPECT_EQ(Walk("e", 5, "Pond").move, std::nullopt);
    See(4, "Garden", {{"s", {}}});
    // Variables that came alone: the current room's exits only.
    EXPECT_EQ(mapper.Sighted({4, false, "Other", {}, {}, Exits{{"s", 2}}, {}}).kind,
              MapChange::Kind::Updated);
    EXPECT_EQ(mapper.Sighted({1, false, {}, {}, {}, Exits{}, {}}).kind, MapChange::Kind::None);
    EXPECT_EQ(MapLines(map),
              (Lines{"1 Square @0,0,0 e>? n>?", "2 Temple @1,2,0 n>4 w>?", "3 Gate @0,2,0 e>2 s>?",
                     "4 Garden @1,3,0 s>2", "5 Pond @0,4,0"}));

    RoomMap small(2);
    Automapper full(small);
    for (RoomNumber number : {1, 2})
        full.Sighted({number});
    EXPECT_EQ(full.Sighted({3}).kind, MapChange::Kind::Refused);
    EXPECT_EQ(small.Size(), 2u);
    RoomMap crowded; // every layer of one place taken
    for (RoomNumber number = 0; number <= kMaxLayer; ++number)
        ASSERT_TRUE(crowded.Put({.number = number}));
    EXPECT_FALSE(crowded.Put({.number = 999}));
}

} // namespace
} // namespace tav::test
