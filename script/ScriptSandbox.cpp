#include "script/ScriptSandbox.h"

#include "script/ScriptPaths.h"

#include <lua.hpp>

#include <cstdio>

namespace tav {

namespace {

bool ReadInto(ScriptFolder& folder, const std::optional<std::string>& file,
              std::string_view relative) {
    if (!file) return false;
    std::optional<std::string> text = ReadBoundedFile(*file, kMaxScriptFileBytes);
    if (!text) {
        folder.problem = "cannot read " + std::string(relative) + " (or it is larger than " +
                         std::to_string(kMaxScriptFileBytes >> 20) + " MiB)";
        return false;
    }
    folder.text = std::move(*text);
    folder.chunkName = "@" + std::string(relative);
    return true;
}

// package.searchers' own entry: a module of the scripts folder, loaded as text.
int SearchScripts(lua_State* L) {
    std::size_t length = 0;
    const char* name = luaL_checklstring(L, 1, &length);
    auto& folder = *static_cast<ScriptFolder*>(lua_touserdata(L, lua_upvalueindex(1)));
    if (!folder.Find(std::string_view(name, length))) {
        lua_pushfstring(L, "no module '%s' in the scripts folder: %s", name,
                        folder.problem.c_str());
        return 1;
    }
    // Copied before anything can run: a finalizer may require another module while this
    // one loads, and that fills the folder's buffers anew.
    char chunkName[512];
    std::snprintf(chunkName, sizeof chunkName, "%s", folder.chunkName.c_str());
    lua_pushlstring(L, folder.text.data(), folder.text.size());
    folder.text.clear();
    std::size_t size = 0;
    const char* text = lua_tolstring(L, -1, &size);
    if (luaL_loadbufferx(L, text, size, chunkName, "t") != LUA_OK) return lua_error(L);
    lua_pushstring(L, chunkName + 1);
    return 2;
}

// load(chunk [, chunkname [, mode [, env]]]), always in text mode: a binary chunk could
// break the state's memory.
int LoadText(lua_State* L) {
    const int args = lua_gettop(L);
    lua_settop(L, 4);
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_pushvalue(L, 1);
    lua_pushvalue(L, 2);
    lua_pushliteral(L, "t");
    int passed = 3;
    if (args >= 4) {
        lua_pushvalue(L, 4); // an explicit nil environment differs from none
        ++passed;
    }
    lua_call(L, passed, LUA_MULTRET);
    return lua_gettop(L) - 4;
}

void Require(lua_State* L, const char* name, lua_CFunction open) {
    luaL_requiref(L, name, open, 1);
    lua_pop(L, 1);
}

void Remove(lua_State* L, int table, const char* field) {
    lua_pushnil(L);
    lua_setfield(L, table, field);
}

} // namespace

bool ScriptFolder::Find(std::string_view name) noexcept {
    try {
        std::string relative;
        const std::optional<std::string> file = ModuleFile(path, name, relative, problem);
        return ReadInto(*this, file, relative);
    } catch (...) {
        problem = "out of memory";
        return false;
    }
}

bool ScriptFolder::Read(std::string_view relative) noexcept {
    try {
        return ReadInto(*this, FileInside(path, relative, problem), relative);
    } catch (...) {
        problem = "out of memory";
        return false;
    }
}

int OpenSandbox(lua_State* L) {
    void* folder = lua_touserdata(L, 1);
    Require(L, LUA_GNAME, luaopen_base);
    Require(L, LUA_LOADLIBNAME, luaopen_package);
    Require(L, LUA_COLIBNAME, luaopen_coroutine);
    Require(L, LUA_TABLIBNAME, luaopen_table);
    Require(L, LUA_STRLIBNAME, luaopen_string);
    Require(L, LUA_MATHLIBNAME, luaopen_math);
    Require(L, LUA_UTF8LIBNAME, luaopen_utf8);

    lua_pushglobaltable(L);
    const int globals = lua_gettop(L);
    Remove(L, globals, "dofile");
    Remove(L, globals, "loadfile");
    lua_getfield(L, globals, "load");
    lua_pushcclosure(L, &LoadText, 1);
    lua_setfield(L, globals, "load");

    lua_getfield(L, globals, LUA_STRLIBNAME);
    Remove(L, lua_gettop(L), "dump");
    lua_pop(L, 1);

    // os: the clock and the date, nothing that reaches the system. Made here rather than
    // required, so no full os library is ever registered for `require "os"` to find.
    lua_pushcfunction(L, luaopen_os);
    lua_call(L, 0, 1);
    const int fullOs = lua_gettop(L);
    lua_createtable(L, 0, 3);
    for (const char* kept : {"time", "clock", "date"}) {
        lua_getfield(L, fullOs, kept);
        lua_setfield(L, -2, kept);
    }
    lua_pushvalue(L, -1);
    lua_setfield(L, globals, LUA_OSLIBNAME);
    luaL_getsubtable(L, LUA_REGISTRYINDEX, LUA_LOADED_TABLE);
    lua_pushvalue(L, -2);
    lua_setfield(L, -2, LUA_OSLIBNAME);
    lua_pop(L, 3);

    lua_getfield(L, globals, LUA_LOADLIBNAME);
    const int package = lua_gettop(L);
    Remove(L, package, "loadlib");
    Remove(L, package, "searchpath");
    lua_pushliteral(L, "");
    lua_setfield(L, package, "path");
    lua_pushliteral(L, "");
    lua_setfield(L, package, "cpath");
    lua_createtable(L, 2, 0);
    lua_getfield(L, package, "searchers");
    lua_rawgeti(L, -1, 1); // package.preload
    lua_rawseti(L, -3, 1);
    lua_pop(L, 1);
    lua_pushlightuserdata(L, folder);
    lua_pushcclosure(L, &SearchScripts, 1);
    lua_rawseti(L, -2, 2);
    lua_setfield(L, package, "searchers");
    lua_settop(L, globals - 1);
    return 0;
}

} // namespace tav
