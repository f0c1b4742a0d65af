#pragma once

#include "script/LuaJson.h"
#include "script/ScriptEngine.h"

struct lua_State;

namespace tav {

// Keys of what the engine keeps in the state's registry: the handlers' functions by id,
// the tav table and tav.gmcp (kept there too, so a script that replaces the field does not
// lose the game's data for the others).
inline constexpr char kHandlersKey = 'h';
inline constexpr char kTavKey = 't';
inline constexpr char kGmcpKey = 'g';

// The engine a state belongs to.
ScriptEngine& EngineOf(lua_State* L);

// What a protected call into the state is handed (as its light userdata context).
struct ScriptEngine::Invocation {
    enum class Kind : std::uint8_t { Trigger, Alias, NoArguments, Text, Data };
    Kind kind = Kind::NoArguments;
    int id = 0;
    std::string_view text; // the line, the prompt, the GMCP package or MSDP variable
    // Trigger and regex alias: where the expression's groups are, and its named groups
    // (null for a plain pattern). Both are the engine's own copies: a finalizer that runs
    // while the call is set up may make or drop triggers and move theirs.
    const RegexPattern::Span* groups = nullptr;
    std::size_t groupCount = 0;
    const std::vector<std::pair<std::string, int>>* names = nullptr;
    MatchSpan span;              // a plain trigger's match
    std::size_t aliasWords = 0;  // a plain alias: the bytes of its name
    const Json* value = nullptr; // Data: the value after the text; null for nil
};

// A chunk of source run as a script (init.lua, a console line).
struct ScriptChunk {
    std::string_view text;
    const char* chunkName = "";
};

// tav.vars read out of the state, for saving.
struct ScriptVarsOut {
    Json value;
    bool isTable = false;
    bool converted = false;
    std::string problem;
    std::string leftOut;
};

// The `tav` table and the bodies of the engine's protected calls (ScriptApi.cpp and
// ScriptCalls.cpp). The functions a script calls check their arguments, raise errors in
// Lua's way and reach the engine and its host; they keep the rule of LuaState.
struct ScriptApi {
    // Bodies for LuaState::Call.
    static int Install(lua_State* L);     // context: the engine; makes `tav` and `print`
    static int CallHandler(lua_State* L); // context: an Invocation
    static int RunChunk(lua_State* L);    // context: a ScriptChunk
    static int Console(lua_State* L);     // context: a ScriptChunk
    static int SetVars(lua_State* L);     // context: a Json, or null for an empty table
    static int GetVars(lua_State* L);     // context: a ScriptVarsOut
    static int StoreGmcp(lua_State* L);   // context: an Invocation (package and value)

    // Forgets the function kept for handler `id` (allocates nothing: safe outside calls).
    static void DropFunction(lua_State* L, int id);
    // Ends a call that made handler `id`: its id back to the script, or, when it was not
    // added, the engine's error raised and the kept function forgotten.
    static int Made(lua_State* L, ScriptEngine& engine, int id, bool added);

    // The tav table's functions, and print.
    static int Send(lua_State* L);
    static int Echo(lua_State* L);
    static int Trigger(lua_State* L);
    static int Untrigger(lua_State* L);
    static int Alias(lua_State* L);
    static int Unalias(lua_State* L);
    static int Timer(lua_State* L);
    static int Untimer(lua_State* L);
    static int On(lua_State* L);
    static int Off(lua_State* L);
    static int Group(lua_State* L);
    static int SendGmcp(lua_State* L);
    static int Gauge(lua_State* L);
    static int Pane(lua_State* L);
    static int Play(lua_State* L);
    static int Print(lua_State* L);
    // Raises an error when the scripts may make no more handlers (of this kind).
    static void CheckRoom(lua_State* L, ScriptEngine& engine, std::size_t patternBytes, bool regex);
    // untrigger, unalias, untimer and off: drops a handler of that kind.
    static int Unmake(lua_State* L, int kind);
};

} // namespace tav
