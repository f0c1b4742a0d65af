#include "net/GameData.h"
#include "net/GameDataDecode.h"
#include "net/MsspReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tav;

namespace {

struct Collected final : GameDataSink {
    std::vector<GameVitals> vitals;
    std::vector<GameRoom> rooms;
    std::vector<GameChannelText> channel;
    void Vitals(const GameVitals& v) override { vitals.push_back(v); }
    void Room(const GameRoom& r) override { rooms.push_back(r); }
    void ChannelText(const GameChannelText& t) override { channel.push_back(t); }
};

using Json = nlohmann::json;
using Variables = std::vector<std::pair<std::string, Json>>;

} // namespace

TEST(GameDataReader, GmcpVitalsInTheSpellingsGamesUse) {
    const std::pair<const char*, GameVitals> cases[] = {
        {R"(Char.Vitals {"hp":50,"maxhp":"120","mp":7,"maxmp":9,"mv":3,"maxmv":4})",
         {50, 120, 7, 9, 3, 4}},
        {R"(char.vitals {"hp":"10","mana":"20","moves":30})", {10, {}, 20, {}, 30, {}}},
        {R"(char.maxstats {"maxhp":100,"maxmana":200,"maxmoves":300})",
         {{}, 100, {}, 200, {}, 300}},
        {R"(Char.Vitals {"HP":1.9,"ep":5,"maxep":6})", {1, {}, {}, {}, 5, 6}},
        // Beyond what a gauge holds: cut to the int range, never converted out of range.
        {R"(Char.Vitals {"hp":1e300,"mp":-1e300,"mv":"99999999999","maxhp":18446744073709551615})",
         {2147483647, 2147483647, -2147483647, {}, 2147483647, {}}},
    };
    for (const auto& [message, expected] : cases) {
        Collected sink;
        GameDataReader(sink).ReadGmcp(message);
        EXPECT_EQ(sink.vitals, std::vector{expected}) << message;
    }
}

// Both formats into one sink: what GMCP ignores leaves no vitals beside MSDP's.
TEST(GameDataReader, RoomsChannelsAndMsdpTablesAndWhatIsIgnored) {
    Collected sink;
    GameDataReader reader(sink);
    reader.ReadGmcp(R"(Room.Info {"num":1,"name":"Market","exits":{"n":2,"se":3}})");
    reader.ReadGmcp(R"(room.info {"name":"Hall","exits":["up","down"]})");
    reader.ReadGmcp(R"(Comm.Channel.Text {"channel":"ooc","talker":"Bob","text":"hi all"})");
    reader.ReadGmcp(R"(comm.channel {"chan":"gossip","player":"Al","msg":"yo"})");
    // Ignored: other packages, broken JSON, non-objects, no text, nesting past the bound.
    for (std::string ignored :
         {R"(Char.Skills {"hp":1})", R"(Char.Vitals {"hp":)", R"(Char.Vitals [1,2])",
          R"(Char.Vitals)", "", R"(Comm.Channel.Text {"channel":"x"})"})
        reader.ReadGmcp(ignored);
    reader.ReadGmcp("Char.Vitals {\"a\":" + std::string(100'000, '[') + "}");
    // \1 VAR \2 VAL \3 table open \4 table close \5 array open \6 array close
    reader.ReadMsdp("\1HEALTH\2"
                    "40\1HEALTH_MAX\2"
                    "50\1MANA\2x\1MOVEMENT\2"
                    "7");
    reader.ReadMsdp("\1ROOM\2\3\1NAME\2Gate\1EXITS\2\3\1n\2"
                    "1\1w\2"
                    "2\4\4");
    reader.ReadMsdp("\1ROOM_NAME\2Yard\1ROOM_EXITS\2\5\2e\2s\6");
    reader.ReadMsdp("\1ROOM_NAME\2Loft"); // either variable alone is a room
    reader.ReadMsdp("\1ROOM_EXITS\2\5\2d\6");
    reader.ReadMsdp(std::string(5000, '\3') + "\1\2\5\5\6"); // deep and broken: no crash
    // Tables nested through their variables' values, as deep as a subnegotiation holds,
    // end at the bound.
    std::string nested;
    for (int k = 0; k < 16'000; ++k)
        nested += "\1a\2\3";
    const nlohmann::json decoded = DecodeMsdp(nested);
    int depth = 0;
    for (const nlohmann::json* at = &decoded; at->is_object() && at->contains("a");
         at = &at->at("a"))
        ++depth;
    EXPECT_EQ(depth, GameDataReader::kMaxDepth + 1);
    EXPECT_EQ(sink.rooms, (std::vector<GameRoom>{{"Market", {"n", "se"}},
                                                 {"Hall", {"up", "down"}},
                                                 {"Gate", {"n", "w"}},
                                                 {"Yard", {"e", "s"}},
                                                 {"Loft", {}},
                                                 {"", {"d"}}}));
    EXPECT_EQ(sink.channel,
              (std::vector<GameChannelText>{{"ooc", "Bob", "hi all"}, {"gossip", "Al", "yo"}}));
    EXPECT_EQ(sink.vitals, (std::vector<GameVitals>{{40, 50, {}, {}, 7, {}}}));
}

// The depth bound counts brackets that nest: a document exactly as deep as the bound is
// read and one level more is not, brackets closed give their level back, and brackets
// inside strings, escaped quotes and all, are text.
TEST(GameDataReader, JsonIsBoundedByHowDeepItNests) {
    const auto nested = [](int depth, const std::string& inside) {
        return std::string(static_cast<std::size_t>(depth), '[') + inside +
               std::string(static_cast<std::size_t>(depth), ']');
    };
    EXPECT_EQ(ParseBoundedJson(nested(4, "1"), 4), nlohmann::json::parse(nested(4, "1")));
    EXPECT_TRUE(ParseBoundedJson(nested(5, "1"), 4).is_discarded());
    EXPECT_FALSE(ParseBoundedJson(
                     "[" + nested(3, "1") + "," + nested(3, "2") + "," + nested(3, "3") + "]", 4)
                     .is_discarded());
    const std::string text = R"({"say":"[[[{{ \"]]]\" [[[[","list":[[1],[2]]})";
    EXPECT_EQ(ParseBoundedJson(text, 3), nlohmann::json::parse(text));
    EXPECT_TRUE(ParseBoundedJson(text, 2).is_discarded());
    // Past the bound a GMCP message is not read.
    Collected sink;
    GameDataReader reader(sink);
    const std::string deep = nested(GameDataReader::kMaxDepth - 1, "0");
    reader.ReadGmcp(R"(Comm.Channel.Text {"text":"x","deep":)" + deep + "}");
    reader.ReadGmcp(R"(Comm.Channel.Text {"text":"y","deep":[)" + deep + "]}");
    EXPECT_EQ(sink.channel, (std::vector<GameChannelText>{{"", "", "x"}}));
}

TEST(GameDataReader, LoggedMessagesAreOneBoundedLine) {
    EXPECT_EQ(LoggedGameMessage("GMCP", "Room.Info {}"), "GMCP Room.Info {}");
    EXPECT_EQ(LoggedGameMessage("MSDP", "\1HP\2"
                                        "5\r\n"),
              "MSDP  HP 5..");
    // MSDP's framing bytes (1 to 6) read as spaces, other controls as dots.
    EXPECT_EQ(LoggedGameMessage("MSDP", "\1L\2\5\2a\6\7"), "MSDP  L   a .");
    EXPECT_EQ(LoggedGameMessage("GMCP", std::string(5000, 'a')),
              "GMCP " + std::string(kMaxLoggedMessage - 5, 'a') + "...");
}

// \1 MSSP_VAR \2 MSSP_VAL
TEST(MsspReader, VariablesInOrderCleanAndWithinTheirBounds) {
    std::string flood = "junk\2before\1NAME\2Tav\1PLAYERS\2"
                        "5\1CODEBASE\2Diku\2\2Merc\1\2nameless\1name\2Tav \x1b[1mWorld\1"
                        "LANGUAGE\2Fran\xe7"
                        "ais\1" +
                        std::string(100, 'N') + "\2" + std::string(600, 'v') + "\1MANY";
    for (int i = 0; i < 300; ++i)
        flood += "\2ab";
    for (int i = 0; i < 200; ++i)
        flood += "\1V" + std::to_string(i) + "\2x";
    std::string many; // values joined, cut at the bound, the space there trimmed
    while (many.size() < kMaxMsspValueBytes)
        many += "ab, ";
    many.resize(kMaxMsspValueBytes - 1);
    const std::vector<MsspVariable> read = ReadMssp(flood);
    ASSERT_EQ(read.size(), kMaxMsspVariables);
    EXPECT_EQ(std::vector(read.begin(), read.begin() + 6),
              (std::vector<MsspVariable>{
                  {"name", "Tav [1mWorld"},
                  {"PLAYERS", "5"},
                  {"CODEBASE", "Diku, Merc"},
                  {"LANGUAGE", "Fran\xc3\xa7"
                               "ais"},
                  {std::string(kMaxMsspNameBytes, 'N'), std::string(kMaxMsspValueBytes, 'v')},
                  {"MANY", many}}));
    EXPECT_EQ(read.back().name, "V" + std::to_string(kMaxMsspVariables - 7));
    EXPECT_EQ(MsspValue(read, "Players"), "5");
    EXPECT_EQ(MsspValue(read, "uptime"), "");
}

// MSDP variables with text, tables, arrays and repeated values, read from what games
// send, malformed framing included, within the nesting bound, with names as sent (for the
// scripts) or lowered (for the game data readers).
// \1 VAR \2 VAL \3 table open \4 table close \5 array open \6 array close
TEST(MsdpValues, TablesArraysAndRepeatedValuesNestAsSent) {
    const std::pair<std::string_view, Variables> cases[] = {
        {"\1HEALTH\2"
         "10\1MANA\2",
         {{"HEALTH", "10"}, {"MANA", ""}}},
        {"\1A\2x\2y", {{"A", Json::array({"x", "y"})}}}, // a value given twice
        {"\1ROOM\2\3\1NAME\2Inn\1EXITS\2\3\1n\2"
         "1\4\4",
         {{"ROOM", {{"NAME", "Inn"}, {"EXITS", {{"n", "1"}}}}}}},
        {"\1L\2\5\2a\2\6", {{"L", Json::array({"a", ""})}}},
        {"\1L\2\5\6\1B\2b", {{"L", Json::array()}, {"B", "b"}}},
        // Tables and arrays inside an array, with or without VAL before them.
        {"\1L\2\5\3\1a\2"
         "1\4\2\3\1a\2"
         "2\4\6",
         {{"L", Json::array({{{"a", "1"}}, {{"a", "2"}}})}}},
        {"\1L\2\5\5\2x\6\6", {{"L", Json::array({Json::array({"x"})})}}},
        // Stray bytes before a variable and framing bytes inside an array are skipped; a
        // variable without a value is null; an unclosed table ends with the payload.
        {"\2\4junk\1A\2"
         "1",
         {{"A", "1"}}},
        {"\1L\2\5\4x\6", {{"L", Json::array({"x"})}}},
        {"\1A\1B\2"
         "2",
         {{"A", nullptr}, {"B", "2"}}},
        {"\1T\2\3\1a\2"
         "1",
         {{"T", {{"a", "1"}}}}},
    };
    for (const auto& [payload, expected] : cases)
        EXPECT_EQ(ParseMsdp(payload, 8, MsdpNames::AsSent), expected)
            << Json(std::string(payload)).dump();
}

// Lowered names are lowered inside tables too, values never; one object holds the last
// variable of each name.
TEST(MsdpValues, LoweredNamesAndOneObjectOfThem) {
    const std::string_view payload = "\1Room\2\3\1NaMe\2Inn\4\1hp\2"
                                     "1\1HP\2Two";
    EXPECT_EQ(ParseMsdp(payload, 8, MsdpNames::Lower),
              (Variables{{"room", {{"name", "Inn"}}}, {"hp", "1"}, {"hp", "Two"}}));
    EXPECT_EQ(DecodeMsdp(payload), (Json{{"room", {{"name", "Inn"}}}, {"hp", "Two"}}));
}

// Values nested past the bound are null, and the rest of the payload is dropped.
TEST(MsdpValues, NestingStopsAtItsBound) {
    const std::string_view payload = "\1D\2\5\2\5\2\5\2x\6\6\6\1E\2e";
    EXPECT_EQ(ParseMsdp(payload, 4, MsdpNames::AsSent),
              (Variables{{"D", Json::array({Json::array({Json::array({"x"})})})}, {"E", "e"}}));
    EXPECT_EQ(ParseMsdp(payload, 3, MsdpNames::AsSent),
              (Variables{{"D", Json::array({Json::array({Json::array({nullptr})})})}}));
    const std::string deep = "\1D\2" + std::string(100000, '\5');
    EXPECT_EQ(ParseMsdp(deep, 8, MsdpNames::Lower).size(), 1u);
}
