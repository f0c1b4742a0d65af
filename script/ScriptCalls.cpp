// The bodies of the engine's protected calls into the state.
#include "script/ScriptApi.h"

#include <lua.hpp>

#include <algorithm>
#include <limits>

namespace tav {

namespace {

// Pushes `m`, what a trigger or alias matched: an expression's whole match at 0, its groups
// from 1 and the named ones by name (a group that took no part is absent); a plain
// trigger's text at 0; a plain alias's whole line at 0, the words after its name from 1
// and all of them as `args`.
void PushMatch(lua_State* L, const ScriptEngine::Invocation& call) {
    const std::string_view line = call.text;
    if (call.names != nullptr) {
        const auto& names = *call.names;
        lua_createtable(L, static_cast<int>(call.groupCount), static_cast<int>(names.size()));
        for (std::size_t i = 0; i < call.groupCount; ++i) {
            const RegexPattern::Span span = call.groups[i];
            if (span.begin == std::string_view::npos) continue;
            lua_pushlstring(L, line.data() + span.begin, span.end - span.begin);
            lua_rawseti(L, -2, static_cast<lua_Integer>(i));
        }
        for (const auto& [name, number] : names) {
            const auto group = static_cast<std::size_t>(number);
            if (group >= call.groupCount || call.groups[group].begin == std::string_view::npos)
                continue;
            lua_pushlstring(L, name.data(), name.size());
            lua_rawgeti(L, -2, number);
            lua_rawset(L, -3);
        }
        return;
    }
    lua_createtable(L, 4, 1);
    if (call.kind == ScriptEngine::Invocation::Kind::Trigger) {
        lua_pushlstring(L, line.data() + call.span.begin, call.span.end - call.span.begin);
        lua_rawseti(L, -2, 0);
        return;
    }
    lua_pushlstring(L, line.data(), line.size());
    lua_rawseti(L, -2, 0);
    std::string_view rest = line.substr(std::min(call.aliasWords, line.size()));
    if (!rest.empty()) rest.remove_prefix(1); // the space after the name
    lua_pushlstring(L, rest.data(), rest.size());
    lua_setfield(L, -2, "args");
    lua_Integer word = 0;
    while (!rest.empty()) {
        const std::size_t start = rest.find_first_not_of(' ');
        if (start == std::string_view::npos) break;
        rest.remove_prefix(start);
        const std::size_t end = std::min(rest.find(' '), rest.size());
        lua_pushlstring(L, rest.data(), end);
        lua_rawseti(L, -2, ++word);
        rest.remove_prefix(end);
    }
}

// How many arguments the function on top of the stack can see: its parameters, or any
// number for a vararg or C function.
int ParametersSeen(lua_State* L) {
    lua_Debug info;
    lua_pushvalue(L, -1);
    lua_getinfo(L, ">u", &info);
    return info.isvararg != 0 ? std::numeric_limits<int>::max() : info.nparams;
}

} // namespace

int ScriptApi::Install(lua_State* L) {
    static const luaL_Reg kFunctions[] = {
        {"send", &Send},   {"echo", &Echo},       {"trigger", &Trigger}, {"untrigger", &Untrigger},
        {"alias", &Alias}, {"unalias", &Unalias}, {"timer", &Timer},     {"untimer", &Untimer},
        {"on", &On},       {"off", &Off},         {"group", &Group},     {"send_gmcp", &SendGmcp},
        {"gauge", &Gauge}, {"pane", &Pane},       {"play", &Play},       {nullptr, nullptr},
    };
    lua_newtable(L);
    lua_rawsetp(L, LUA_REGISTRYINDEX, &kHandlersKey);
    lua_createtable(L, 0, static_cast<int>(std::size(kFunctions)) + 2);
    luaL_setfuncs(L, kFunctions, 0);
    lua_newtable(L);
    lua_pushvalue(L, -1);
    lua_rawsetp(L, LUA_REGISTRYINDEX, &kGmcpKey);
    lua_setfield(L, -2, "gmcp");
    lua_newtable(L);
    lua_setfield(L, -2, "vars");
    lua_pushvalue(L, -1);
    lua_rawsetp(L, LUA_REGISTRYINDEX, &kTavKey);
    lua_setglobal(L, "tav");
    lua_pushcfunction(L, &Print);
    lua_setglobal(L, "print");
    return 0;
}

void ScriptApi::DropFunction(lua_State* L, int id) {
    // Setting a key to nil never allocates.
    lua_rawgetp(L, LUA_REGISTRYINDEX, &kHandlersKey);
    if (lua_type(L, -1) == LUA_TTABLE) {
        lua_pushnil(L);
        lua_rawseti(L, -2, id);
    }
    lua_pop(L, 1);
}

int ScriptApi::CallHandler(lua_State* L) {
    const auto& call = *static_cast<const ScriptEngine::Invocation*>(lua_touserdata(L, 1));
    lua_rawgetp(L, LUA_REGISTRYINDEX, &kHandlersKey);
    if (lua_rawgeti(L, -1, call.id) != LUA_TFUNCTION) return 0;
    // Arguments the function has no parameter for would be dropped by the call: they are
    // not made at all, so that a handler that ignores the match costs no table.
    const int seen = ParametersSeen(L);
    int arguments = 0;
    using Kind = ScriptEngine::Invocation::Kind;
    switch (call.kind) {
    case Kind::Trigger:
    case Kind::Alias:
        arguments = std::min(seen, 2);
        if (arguments >= 1) lua_pushlstring(L, call.text.data(), call.text.size());
        if (arguments >= 2) PushMatch(L, call);
        break;
    case Kind::Text:
        arguments = std::min(seen, 1);
        if (arguments >= 1) lua_pushlstring(L, call.text.data(), call.text.size());
        break;
    case Kind::Data:
        arguments = std::min(seen, 2);
        if (arguments >= 1) lua_pushlstring(L, call.text.data(), call.text.size());
        if (arguments < 2) break;
        if (call.value != nullptr)
            PushJson(L, *call.value);
        else
            lua_pushnil(L);
        break;
    case Kind::NoArguments: break;
    }
    lua_call(L, arguments, 0);
    return 0;
}

int ScriptApi::RunChunk(lua_State* L) {
    const auto& chunk = *static_cast<const ScriptChunk*>(lua_touserdata(L, 1));
    if (luaL_loadbufferx(L, chunk.text.data(), chunk.text.size(), chunk.chunkName, "t") != LUA_OK)
        return lua_error(L);
    lua_call(L, 0, 0);
    return 0;
}

int ScriptApi::Console(lua_State* L) {
    const auto& chunk = *static_cast<const ScriptChunk*>(lua_touserdata(L, 1));
    // An expression first, so that "tav.gmcp.Char.Vitals.hp" prints its value.
    lua_pushliteral(L, "return ");
    lua_pushlstring(L, chunk.text.data(), chunk.text.size());
    lua_concat(L, 2);
    std::size_t length = 0;
    const char* expression = lua_tolstring(L, -1, &length);
    if (luaL_loadbufferx(L, expression, length, chunk.chunkName, "t") != LUA_OK) {
        lua_pop(L, 2);
        if (luaL_loadbufferx(L, chunk.text.data(), chunk.text.size(), chunk.chunkName, "t") !=
            LUA_OK)
            return lua_error(L);
    } else {
        lua_remove(L, -2);
    }
    const int base = lua_gettop(L) - 1;
    lua_call(L, 0, LUA_MULTRET);
    const int results = lua_gettop(L) - base;
    if (results == 0) return 0;
    luaL_Buffer buffer;
    luaL_buffinit(L, &buffer);
    for (int i = 1; i <= results; ++i) {
        if (i > 1) luaL_addchar(&buffer, '\t');
        luaL_tolstring(L, base + i, nullptr);
        luaL_addvalue(&buffer);
    }
    luaL_pushresult(&buffer);
    std::size_t size = 0;
    const char* text = lua_tolstring(L, -1, &size);
    ScriptEngine& engine = EngineOf(L);
    try {
        engine.host_.ConsolePrint(std::string_view(text, size));
    } catch (...) {
    }
    return 0;
}

int ScriptApi::SetVars(lua_State* L) {
    const auto* value = static_cast<const Json*>(lua_touserdata(L, 1));
    lua_rawgetp(L, LUA_REGISTRYINDEX, &kTavKey);
    if (value != nullptr && (value->is_object() || value->is_array()))
        PushJson(L, *value);
    else
        lua_newtable(L);
    lua_setfield(L, -2, "vars");
    return 0;
}

int ScriptApi::GetVars(lua_State* L) {
    auto& out = *static_cast<ScriptVarsOut*>(lua_touserdata(L, 1));
    lua_rawgetp(L, LUA_REGISTRYINDEX, &kTavKey);
    lua_getfield(L, -1, "vars");
    out.isTable = lua_type(L, -1) == LUA_TTABLE;
    // ToJson makes no call that can raise, so its C++ objects are safe here.
    if (out.isTable)
        out.converted =
            ToJson(L, -1, ScriptEngine::kMaxVarsDepth, out.value, out.problem, out.leftOut);
    return 0;
}

int ScriptApi::StoreGmcp(lua_State* L) {
    const auto& call = *static_cast<const ScriptEngine::Invocation*>(lua_touserdata(L, 1));
    lua_rawgetp(L, LUA_REGISTRYINDEX, &kGmcpKey);
    std::string_view path = call.text;
    for (;;) {
        const std::size_t dot = path.find('.');
        const std::string_view name = path.substr(0, dot);
        const bool last = dot == std::string_view::npos ||
                          path.find_first_not_of('.', dot) == std::string_view::npos;
        if (!name.empty() && last) {
            lua_pushlstring(L, name.data(), name.size());
            if (call.value != nullptr)
                PushJson(L, *call.value);
            else
                lua_pushnil(L);
            lua_rawset(L, -3);
            return 0;
        }
        if (!name.empty()) {
            // A package below another: a table in its place, whatever the place held.
            lua_pushlstring(L, name.data(), name.size());
            if (lua_rawget(L, -2) != LUA_TTABLE) {
                lua_pop(L, 1);
                lua_newtable(L);
                lua_pushlstring(L, name.data(), name.size());
                lua_pushvalue(L, -2);
                lua_rawset(L, -4);
            }
            lua_remove(L, -2);
        }
        if (last) return 0;
        path.remove_prefix(dot + 1);
    }
}

} // namespace tav
