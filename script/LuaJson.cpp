#include "script/LuaJson.h"

#include <lua.hpp>

#include <cinttypes>
#include <cstdio>
#include <limits>

namespace tav {

std::optional<Json> ParseJson(std::string_view text, int maxDepth) {
    bool tooDeep = false;
    Json value = Json::parse(
        text,
        [&](int depth, Json::parse_event_t, Json&) {
            if (depth > maxDepth) tooDeep = true;
            return !tooDeep;
        },
        /*allow_exceptions=*/false);
    if (tooDeep || value.is_discarded()) return std::nullopt;
    return value;
}

void PushJson(lua_State* L, const Json& value) {
    luaL_checkstack(L, 3, "JSON nests too deep");
    switch (value.type()) {
    case Json::value_t::boolean: lua_pushboolean(L, value.get<bool>() ? 1 : 0); return;
    case Json::value_t::number_integer:
        lua_pushinteger(L, static_cast<lua_Integer>(value.get<std::int64_t>()));
        return;
    case Json::value_t::number_unsigned: {
        const auto number = value.get<std::uint64_t>();
        if (number <= static_cast<std::uint64_t>(std::numeric_limits<lua_Integer>::max()))
            lua_pushinteger(L, static_cast<lua_Integer>(number));
        else
            lua_pushnumber(L, static_cast<lua_Number>(number));
        return;
    }
    case Json::value_t::number_float: lua_pushnumber(L, value.get<double>()); return;
    case Json::value_t::string: {
        const auto& text = value.get_ref<const Json::string_t&>();
        lua_pushlstring(L, text.data(), text.size());
        return;
    }
    case Json::value_t::array: {
        lua_createtable(L, static_cast<int>(std::min<std::size_t>(value.size(), 1u << 20)), 0);
        lua_Integer at = 0;
        for (auto item = value.cbegin(); item != value.cend(); ++item) {
            ++at;
            if (item->is_null()) continue;
            PushJson(L, *item);
            lua_rawseti(L, -2, at);
        }
        return;
    }
    case Json::value_t::object: {
        lua_createtable(L, 0, static_cast<int>(std::min<std::size_t>(value.size(), 1u << 20)));
        for (auto item = value.cbegin(); item != value.cend(); ++item) {
            if (item->is_null()) continue;
            const auto& key = item.key();
            lua_pushlstring(L, key.data(), key.size());
            PushJson(L, *item);
            lua_rawset(L, -3);
        }
        return;
    }
    default: lua_pushnil(L); return;
    }
}

namespace {

struct ToJsonWalk {
    lua_State* L;
    int maxDepth;
    std::string& problem;
    std::string& leftOut;

    // The text a non-string key is written as; empty for a key JSON cannot name.
    static std::string KeyText(lua_State* L, int index) {
        char text[64];
        switch (lua_type(L, index)) {
        case LUA_TSTRING: {
            std::size_t length = 0;
            const char* key = lua_tolstring(L, index, &length);
            return std::string(key, length);
        }
        case LUA_TNUMBER:
            if (lua_isinteger(L, index))
                std::snprintf(text, sizeof text, "%" PRId64,
                              static_cast<std::int64_t>(lua_tointeger(L, index)));
            else
                std::snprintf(text, sizeof text, "%.17g", lua_tonumber(L, index));
            return text;
        case LUA_TBOOLEAN: return lua_toboolean(L, index) ? "true" : "false";
        default: return {};
        }
    }

    void LeaveOut(const char* what) {
        if (leftOut.empty()) leftOut = what;
    }

    bool Value(int index, int depth, Json& out) {
        switch (lua_type(L, index)) {
        case LUA_TNIL: out = nullptr; return true;
        case LUA_TBOOLEAN: out = lua_toboolean(L, index) != 0; return true;
        case LUA_TNUMBER:
            if (lua_isinteger(L, index))
                out = static_cast<std::int64_t>(lua_tointeger(L, index));
            else
                out = lua_tonumber(L, index);
            return true;
        case LUA_TSTRING: {
            std::size_t length = 0;
            const char* text = lua_tolstring(L, index, &length);
            out = std::string(text, length);
            return true;
        }
        case LUA_TTABLE: return Table(lua_absindex(L, index), depth + 1, out);
        default:
            LeaveOut(lua_typename(L, lua_type(L, index)));
            out = nullptr;
            return true;
        }
    }

    bool Table(int index, int depth, Json& out) {
        if (depth > maxDepth || !lua_checkstack(L, 4)) {
            problem = "tables nest deeper than " + std::to_string(maxDepth) +
                      " levels (or a table holds itself)";
            return false;
        }
        // A sequence: every key a whole number from 1 to the number of keys.
        lua_Integer count = 0, largest = 0;
        bool sequence = true;
        lua_pushnil(L);
        while (lua_next(L, index) != 0) {
            ++count;
            if (lua_type(L, -2) == LUA_TNUMBER && lua_isinteger(L, -2) && lua_tointeger(L, -2) >= 1)
                largest = std::max(largest, lua_tointeger(L, -2));
            else
                sequence = false;
            lua_pop(L, 1);
        }
        sequence = sequence && count > 0 && largest == count;
        out = sequence ? Json::array() : Json::object();
        if (sequence) out.get_ref<Json::array_t&>().resize(static_cast<std::size_t>(count));
        lua_pushnil(L);
        while (lua_next(L, index) != 0) {
            Json item;
            bool ok = true;
            if (sequence) {
                ok = Value(-1, depth, item);
                out[static_cast<std::size_t>(lua_tointeger(L, -2) - 1)] = std::move(item);
            } else if (std::string key = KeyText(L, -2); !key.empty() || lua_isstring(L, -2)) {
                ok = Value(-1, depth, item);
                if (!item.is_null()) out[key] = std::move(item);
            } else {
                LeaveOut("a key that is not text, a number or a boolean");
            }
            lua_pop(L, 1);
            if (!ok) {
                lua_pop(L, 1);
                return false;
            }
        }
        return true;
    }
};

} // namespace

bool ToJson(lua_State* L, int index, int maxDepth, Json& out, std::string& problem,
            std::string& leftOut) {
    const int top = lua_gettop(L);
    bool ok = false;
    try {
        ok = ToJsonWalk{L, maxDepth, problem, leftOut}.Value(lua_absindex(L, index), 0, out);
    } catch (...) {
        problem = "out of memory";
        ok = false;
    }
    lua_settop(L, top);
    return ok;
}

} // namespace tav
