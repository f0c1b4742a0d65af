#include "script/LuaState.h"

#include <lua.hpp>

#include <cstdio>
#include <cstdlib>

namespace tav {

namespace {

// Instructions between two looks at the clock while a script runs.
constexpr int kHookEvery = 1000;

// The message handler of every call: the message and the traceback from where it was
// raised.
int Traceback(lua_State* L) {
    const char* message = nullptr;
    if (lua_type(L, 1) == LUA_TSTRING) {
        message = lua_tostring(L, 1);
    } else if (luaL_callmeta(L, 1, "__tostring") && lua_type(L, -1) == LUA_TSTRING) {
        message = lua_tostring(L, -1);
    } else {
        message = lua_pushfstring(L, "(error object is a %s value)", luaL_typename(L, 1));
    }
    luaL_traceback(L, L, message, 1);
    return 1;
}

int Panic(lua_State* L) {
    // Only an error raised outside every protected call lands here, which the rule of
    // LuaState forbids; there is no way back into the program from it.
    const char* message = lua_type(L, -1) == LUA_TSTRING ? lua_tostring(L, -1) : "?";
    std::fprintf(stderr, "Lua error outside a protected call: %s\n", message);
    std::abort();
}

} // namespace

LuaState::LuaState(ScriptLimits limits, void* owner) : limits_(limits), owner_(owner) {}

LuaState::~LuaState() {
    if (L_ == nullptr) return;
    // Finalizers of the scripts run now; they get one call's time.
    deadline_ = std::chrono::steady_clock::now() + limits_.callBudget;
    budget_ = limits_.callBudget;
    ++depth_;
    lua_close(L_);
}

bool LuaState::Create() {
    L_ = lua_newstate(&Allocate, this);
    if (L_ == nullptr) return false;
    *static_cast<LuaState**>(lua_getextraspace(L_)) = this;
    lua_atpanic(L_, &Panic);
    lua_sethook(L_, &Hook, LUA_MASKCOUNT, kHookEvery);
    return true;
}

LuaState& LuaState::Of(lua_State* L) {
    // Every thread of a state starts with a copy of the main thread's extra space.
    return **static_cast<LuaState**>(lua_getextraspace(L));
}

void* LuaState::Allocate(void* self, void* block, std::size_t oldSize, std::size_t newSize) {
    auto& state = *static_cast<LuaState*>(self);
    if (block == nullptr) oldSize = 0; // then it names the kind of object instead
    if (newSize == 0) {
        std::free(block);
        state.used_ -= oldSize;
        return nullptr;
    }
    if (newSize > oldSize && newSize - oldSize > state.limits_.memoryBytes - state.used_)
        return nullptr;
    void* moved = std::realloc(block, newSize);
    if (moved == nullptr)
        return newSize <= oldSize ? block : nullptr; // Lua never sees a shrink fail
    state.used_ = state.used_ - oldSize + newSize;
    return moved;
}

bool LuaState::PastDeadline() const {
    return std::chrono::steady_clock::now() > deadline_;
}

void LuaState::Hook(lua_State* L, lua_Debug* /*ar*/) {
    LuaState& state = Of(L);
    if (!state.PastDeadline()) {
        if (lua_gethookcount(L) != kHookEvery) lua_sethook(L, &Hook, LUA_MASKCOUNT, kHookEvery);
        return;
    }
    state.stopped_ = true;
    // From now on every instruction raises again, so a script that catches the error
    // (pcall, a coroutine, load's reader, a finalizer) is stopped at its next step.
    lua_sethook(L, &Hook, LUA_MASKCOUNT, 1);
    luaL_where(L, 0);
    lua_pushfstring(L, "script stopped: it ran longer than %d ms",
                    static_cast<int>(state.budget_.count()));
    lua_concat(L, 2);
    lua_error(L);
}

LuaOutcome LuaState::Call(Body body, void* context, std::chrono::milliseconds budget,
                          std::string& error) {
    error.clear();
    if (L_ == nullptr) {
        error = "the script state could not be made (no memory)";
        return LuaOutcome::Error;
    }
    if (depth_ == 0) {
        deadline_ = std::chrono::steady_clock::now() + budget;
        budget_ = budget;
        stopped_ = false;
        lua_sethook(L_, &Hook, LUA_MASKCOUNT, kHookEvery);
    }
    const int top = lua_gettop(L_);
    // Light C functions and a light userdata: pushing them allocates nothing.
    lua_pushcfunction(L_, &Traceback);
    lua_pushcfunction(L_, body);
    lua_pushlightuserdata(L_, context);
    ++depth_;
    const int status = lua_pcall(L_, 1, 0, top + 1);
    --depth_;
    LuaOutcome outcome = LuaOutcome::Ok;
    if (status != LUA_OK) {
        std::size_t length = 0;
        const char* text =
            lua_type(L_, -1) == LUA_TSTRING ? lua_tolstring(L_, -1, &length) : nullptr;
        try {
            if (text != nullptr)
                error.assign(text, length);
            else
                error = "(an error without a message)";
        } catch (...) {
            error.clear();
        }
        if (status == LUA_ERRMEM)
            outcome = LuaOutcome::OutOfMemory;
        else
            outcome = stopped_ ? LuaOutcome::Stopped : LuaOutcome::Error;
    }
    lua_settop(L_, top);
    return outcome;
}

} // namespace tav
