// The room data games send (GMCP Room.Info, MSDP's ROOM table and ROOM_* variables) read
// into sightings, in the shapes real games use and with every bound crossed.
#include "MapTestSupport.h"

#include <gtest/gtest.h>

namespace tav::test {
namespace {

using Exits = std::vector<RoomExit>;

TEST(RoomData, GmcpRoomInfoInTheShapesGamesSend) {
    const std::string longName(kMaxRoomNameBytes, 'e');
    std::string manyExits, manyNames;
    Exits keptExits, keptNames;
    for (int i = 0; i < 40; ++i) {
        manyExits += std::string(i ? "," : "") + "\"X" + std::to_string(100 + i) + "\":1";
        manyNames += std::string(i ? "," : "") + "\"X" + std::to_string(139 - i) + "\"";
        if (i < int(kMaxRoomExits)) keptExits.push_back({"x" + std::to_string(100 + i), 1});
        // Names come last first: the first sent are kept, not the first by name.
        if (i < int(kMaxRoomExits))
            keptNames.insert(keptNames.begin(), {"x" + std::to_string(139 - i), {}});
    }
    const std::pair<std::string, std::optional<RoomSighting>> cases[] = {
        // Aardwolf: zone, terrain and a coord object without z.
        {R"(room.info {"num":32418,"name":"Aylor","zone":"aylor","terrain":"city","exits":{"n":32419,"s":32417},"coord":{"id":0,"x":30,"y":19,"cont":0}})",
         RoomSighting{32418, true, "Aylor", "aylor", "city", Exits{{"n", 32419}, {"s", 32417}},
                      MapPoint{30, 19, 0}}},
        // IRE: "area,x,y,z" and exits in any case, a target as a string.
        {R"(Room.Info {"num":1234,"name":"A path","area":"Forest","environment":"Forest","coords":"45,5,-3,1","exits":{"N":1235,"sE":"1236"}})",
         RoomSighting{1234, true, "A path", "Forest", "Forest", Exits{{"n", 1235}, {"se", 1236}},
                      MapPoint{5, -3, 1}}},
        // Names only, a list of objects, an array of coordinates, a string number.
        {R"(Room.Info {"vnum":"77","name":"Hall","exits":["Up","down","Zed"],"coordinates":[1,2,3]})",
         RoomSighting{.number = 77,
                      .name = "Hall",
                      .exits = Exits{{"down", {}}, {"up", {}}, {"zed", {}}},
                      .coordinates = MapPoint{1, 2, 3}}},
        // Numbers in text may have spaces around them, and a sign.
        {R"(Room.Info {"num":" 88 ","coords":"9, +4 , -2 ,0","exits":{"n":" 89"}})",
         RoomSighting{88, true, {}, {}, {}, Exits{{"n", 89}}, MapPoint{4, -2, 0}}},
        {R"(Room.Info {"num":5,"exits":[{"dir":"west","to":4},{"name":"Portal","num":{}},{"to":3}]})",
         RoomSighting{5, true, {}, {}, {}, Exits{{"portal", {}}, {"west", 4}}, {}}},
        // Control characters out, Latin-1 as UTF-8, long texts and exit lists cut.
        {"Room.Info {\"num\":1,\"name\":\"\\u001b[1m Hall \\u0007\",\"area\":\"" + longName +
             "\",\"exits\":{" + manyExits + "}}",
         RoomSighting{1, true, "[1m Hall", std::string(kMaxAreaNameBytes, 'e'), {}, keptExits, {}}},
        {"Room.Info {\"num\":1,\"exits\":[" + manyNames + "]}",
         RoomSighting{1, true, {}, {}, {}, keptNames, {}}},
        {R"(Room.Info {"num":2,"terrain":")" + std::string(60, 'v') + R"(","exits":{")" +
             std::string(40, 'W') + R"(":3},"coords":[1,2,5000]})",
         RoomSighting{.number = 2,
                      .environment = std::string(kMaxEnvironmentBytes, 'v'),
                      .exits = Exits{{std::string(kMaxExitNameBytes, 'w'), 3}}}},
        // Coordinates on their bounds are taken.
        {R"(Room.Info {"num":3,"coordinates":[-1048575,1048575,-2047]})",
         RoomSighting{
             3, true, {}, {}, {}, {}, MapPoint{-kMaxCoordinate, kMaxCoordinate, -kMaxLevel}}},
        // Not taken: a fraction, text after digits, coordinates out of range or half given.
        {R"(Room.Info {"num":1.5,"name":"x","coord":{"x":1}})",
         RoomSighting{{}, true, "x", {}, {}, {}, {}}},
        {R"(Room.Info {"num":"12a","coords":"1,2000000,0"})", RoomSighting{}},
        {R"(Room.Info {"num":18446744073709551615,"coords":[1,2,3,4,5]})", RoomSighting{}},
        {R"(Room.Infos {"num":1})", std::nullopt},
        {R"(Room.Info {"num":1)", std::nullopt},
        {R"(Room.Info [1])", std::nullopt},
    };
    for (const auto& [message, expected] : cases) {
        EXPECT_EQ(ReadRoomInfo(message), expected) << message;
    }
}

// \1 VAR \2 VAL \3 table open \4 table close
TEST(RoomData, MsdpRoomTableAndVariablesGatheredOverABatch) {
    MsdpRoomReader reader;
    const auto read = [&](std::string_view payload) { return reader.Read(payload); };
    EXPECT_EQ(read("\1ROOM\2\3\1VNUM\2"
                   "6008\1NAME\2The Inn\1AREA\2Midgaard\1TERRAIN\2Inside\1COORDS\2\3\1X\2"
                   "1\1Y\2"
                   "2\1Z\2"
                   "0\4\1EXITS\2\3\1n\2"
                   "6011\4\4"),
              (RoomSighting{6008, true, "The Inn", "Midgaard", "Inside", Exits{{"n", 6011}},
                            MapPoint{1, 2, 0}}));
    EXPECT_EQ(reader.EndOfBatch(), std::nullopt);
    // The variables before ROOM_VNUM are its room's; Latin-1 text becomes UTF-8.
    EXPECT_EQ(read("\1ROOM_NAME\2Caf\xe9"), std::nullopt);
    EXPECT_EQ(read("\1ROOM_EXITS\2\3\1s\2"
                   "5\4\1AREA_NAME\2Town"),
              std::nullopt);
    EXPECT_EQ(read("\1ROOM_VNUM\2"
                   "7"),
              (RoomSighting{7, true, "Caf\xc3\xa9", "Town", {}, Exits{{"s", 5}}, {}}));
    EXPECT_EQ(reader.EndOfBatch(), std::nullopt);
    // A game that sends ROOM_VNUM first: the rest of the batch updates that room.
    EXPECT_EQ(read("\1ROOM_VNUM\2"
                   "8"),
              RoomSighting{8});
    EXPECT_EQ(read("\1ROOM_NAME\2Yard\1ROOM_TERRAIN\2Field"), std::nullopt);
    EXPECT_EQ(reader.EndOfBatch(), (RoomSighting{8, true, "Yard", {}, "Field", {}, {}}));
    // Any one of the fields is an update of that room.
    const std::pair<std::string_view, RoomSighting> alone[] = {
        {"\1ROOM_NAME\2Yard", RoomSighting{8, true, "Yard", {}, {}, {}, {}}},
        {"\1AREA_NAME\2Town", RoomSighting{8, true, {}, "Town", {}, {}, {}}},
        {"\1ROOM_TERRAIN\2Field", RoomSighting{8, true, {}, {}, "Field", {}, {}}},
        {"\1ROOM_EXITS\2\3\1w\2"
         "4\4",
         RoomSighting{8, true, {}, {}, {}, Exits{{"w", 4}}, {}}},
        {"\1ROOM_COORDS\2\3\1X\2"
         "1\1Y\2"
         "2\1Z\2"
         "3\4",
         RoomSighting{8, true, {}, {}, {}, {}, MapPoint{1, 2, 3}}},
    };
    for (const auto& [payload, expected] : alone) {
        EXPECT_EQ(read("\1ROOM_VNUM\2"
                       "8"),
                  RoomSighting{8});
        EXPECT_EQ(read(payload), std::nullopt);
        EXPECT_EQ(reader.EndOfBatch(), expected) << payload;
    }
    // A batch without ROOM_VNUM may belong to a room still to come: exits of the
    // current room only, and nothing at all without exits.
    EXPECT_EQ(read("\1ROOM_EXITS\2\3\1e\2"
                   "9\4\1ROOM_NAME\2Other"),
              std::nullopt);
    EXPECT_EQ(reader.EndOfBatch(), (RoomSighting{8, false, {}, {}, {}, Exits{{"e", 9}}, {}}));
    EXPECT_EQ(read("\1ROOM_NAME\2Other"), std::nullopt);
    EXPECT_EQ(reader.EndOfBatch(), std::nullopt);
}

} // namespace
} // namespace tav::test
