#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tav {

// A typed "#goto NUMBER" (the word in any case, spaces around the number): walk to that
// room of the map. `room` is empty when what follows the word is not a number.
struct GotoCommand {
    std::optional<std::int64_t> room;
    bool operator==(const GotoCommand&) const = default;
};
// Nothing for a line that is not a #goto.
std::optional<GotoCommand> ReadGotoCommand(std::string_view line);

} // namespace tav
