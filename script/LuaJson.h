#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <string_view>

struct lua_State;

namespace tav {

using Json = nlohmann::json;

// JSON text as a value; nothing when it is not JSON or nests deeper than `maxDepth`.
std::optional<Json> ParseJson(std::string_view text, int maxDepth);

// Pushes `value` onto the stack as Lua values: objects as tables by key, arrays as
// sequences from 1, numbers as integers where they are whole and fit, and null as nil
// (a key with null is absent, an array element null a hole). Allocates, so only inside a
// protected call; `value` must be owned outside it.
void PushJson(lua_State* L, const Json& value);

// The Lua value at `index` as JSON: a table whose keys are exactly 1 to n is an array, any
// other table an object (number and boolean keys written as text). Functions and the
// other values JSON cannot hold are left out, the first of them named in `leftOut`.
// False, with the reason in `problem`, when tables nest deeper than `maxDepth` (a table
// that holds itself does). Makes no Lua call that can raise, so it may run outside a
// protected call; restores the stack.
bool ToJson(lua_State* L, int index, int maxDepth, Json& out, std::string& problem,
            std::string& leftOut);

} // namespace tav
