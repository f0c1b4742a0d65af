// MSDP variables with text, tables, arrays and repeated values, read from what games
// send, malformed framing included, within the nesting bound, with names as sent (for the
// scripts) or lowered (for the game data readers).
#include "net/GameDataDecode.h"

#include <gtest/gtest.h>

namespace tav {
namespace {

using Json = nlohmann::json;
using Variables = std::vector<std::pair<std::string, Json>>;

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

} // namespace
} // namespace tav
