#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tav {

// Bounds on what one MSSP subnegotiation may fill.
inline constexpr std::size_t kMaxMsspVariables = 128;
inline constexpr std::size_t kMaxMsspNameBytes = 64;
inline constexpr std::size_t kMaxMsspValueBytes = 512;

// One variable of MSSP (the server status a game sends as MSSP_VAR name MSSP_VAL value),
// as clean text. A variable sent with several values has them joined with ", ".
struct MsspVariable {
    std::string name;
    std::string value;
    bool operator==(const MsspVariable&) const = default;
};

// What a game says about itself: its name, players, uptime and the rest, in the order
// it sent them. A name sent again replaces the earlier value in its place; names without
// text, bytes before the first MSSP_VAR and variables past kMaxMsspVariables are left
// out; names and values are cut to their bounds.
std::vector<MsspVariable> ReadMssp(std::string_view payload);

// The value of `name` (compared without case), or an empty text.
std::string MsspValue(const std::vector<MsspVariable>& variables, std::string_view name);

} // namespace tav
