#pragma once

#include <string>
#include <string_view>

struct lua_State;

namespace tav {

// The scripts folder as `require` sees it, and what its searcher found last (kept here: a
// C function of the state may not own them).
struct ScriptFolder {
    std::string path;
    std::string text;      // the module's source
    std::string chunkName; // "@lib/heal.lua": how errors and tracebacks name it
    std::string problem;   // why nothing was found

    // Finds and reads the module `name` (ModuleFile); false, with `problem`, when there
    // is none. Never throws.
    bool Find(std::string_view name) noexcept;
    // Reads the file `relative` of the folder itself; false when it is missing.
    bool Read(std::string_view relative) noexcept;
};

// Opens what scripts may use into the state: the base library without dofile and
// loadfile and with `load` taking text only; string (without dump), table, math, utf8,
// coroutine; os with time, clock and date alone; and `require`, which finds Lua modules
// in the scripts folder only (package.loadlib, package.searchpath and the C searchers
// are gone). No io, no debug. A LuaState::Call body; its context is the ScriptFolder,
// which must outlive the state.
int OpenSandbox(lua_State* L);

} // namespace tav
