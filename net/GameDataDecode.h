#pragma once

#include <nlohmann/json.hpp>

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tav {

// The decoding behind GameDataReader, for readers of other packages and variables (the
// map's room reader): a GMCP body or an MSDP payload as one JSON value. Only files that
// read such values include this header; GameData.h stays free of the JSON library.

// `text` as JSON, or a discarded value when it is malformed or nests deeper than
// `maxDepth` (measured before parsing, so a deep document costs nothing). `callback`, when
// given, sees each value as it is parsed and may leave it out (nlohmann's parser callback).
nlohmann::json ParseBoundedJson(std::string_view text, int maxDepth,
                                const nlohmann::json::parser_callback_t& callback = nullptr);

// "Package.Name {json}": the package in lower case and the body as JSON (discarded when
// it is not JSON or nests deeper than GameDataReader::kMaxDepth).
struct GmcpMessage {
    std::string package;
    nlohmann::json body;
};
GmcpMessage DecodeGmcp(std::string_view message);

// The variables of an MSDP payload, in the order sent, with their values: text, a table
// as an object, an array as an array, several values of one variable as an array. Values
// nest at most `maxDepth` deep: a deeper one is null and ends the payload. Names (table
// keys too) are kept as sent or lowered.
enum class MsdpNames { AsSent, Lower };
std::vector<std::pair<std::string, nlohmann::json>> ParseMsdp(std::string_view payload,
                                                              int maxDepth, MsdpNames names);

// An MSDP payload's variables as one JSON object, names in lower case (a later variable of
// a name replaces an earlier one), nested at most GameDataReader::kMaxDepth deep.
nlohmann::json DecodeMsdp(std::string_view payload);

// The value of the first of `keys` (lower case) that `object` has, keys compared without
// case; null when it has none of them or is not an object.
const nlohmann::json* JsonField(const nlohmann::json& object,
                                std::initializer_list<std::string_view> keys);

} // namespace tav
