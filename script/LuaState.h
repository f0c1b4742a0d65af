#pragma once

#include <chrono>
#include <cstddef>
#include <string>

struct lua_State;
struct lua_Debug;

namespace tav {

// What one profile's scripts may use.
struct ScriptLimits {
    // Memory of the Lua state; an allocation beyond it fails as "not enough memory".
    std::size_t memoryBytes = std::size_t{256} << 20;
    // Time one call into a script (a trigger's function, a timer, a console line) may run.
    std::chrono::milliseconds callBudget{100};
    // Time init.lua may run, the modules it requires included.
    std::chrono::milliseconds startBudget{1000};
};

// How a protected call into the state ended.
enum class LuaOutcome {
    Ok,
    Error,      // the script raised an error
    Stopped,    // it ran past its time budget
    OutOfMemory // it reached the memory limit
};

// One sandboxed Lua state with a memory limit and a time budget per call: our small layer
// over the Lua C API. Lua raises errors with longjmp, which skips C++ destructors, so the
// code that calls into it keeps to one rule: every call that may raise (anything that
// allocates, calls a function or a metamethod) runs inside Call, and a C function of ours
// holds no object with a destructor while it makes such a call; what it computes in C++
// goes to buffers its owner keeps.
class LuaState {
public:
    using Body = int (*)(lua_State*);

    // `owner` is handed back by Owner() to the C functions the state calls.
    LuaState(ScriptLimits limits, void* owner);
    ~LuaState();
    LuaState(const LuaState&) = delete;
    LuaState& operator=(const LuaState&) = delete;

    // Makes the state; false when there is no memory for it.
    bool Create();
    lua_State* L() const { return L_; }
    const ScriptLimits& Limits() const { return limits_; }

    // Runs `body` protected, with `context` as a light userdata at stack index 1, stopped
    // once it runs longer than `budget`. On failure `error` holds the message with its
    // script and line and the traceback. The stack is as before afterwards.
    LuaOutcome Call(Body body, void* context, std::chrono::milliseconds budget, std::string& error);
    bool Calling() const { return depth_ > 0; }

    std::size_t MemoryUsed() const { return used_; }

    // The state and owner of a lua_State made by a LuaState (coroutines included).
    static LuaState& Of(lua_State* L);
    static void* Owner(lua_State* L) { return Of(L).owner_; }

private:
    static void* Allocate(void* self, void* block, std::size_t oldSize, std::size_t newSize);
    static void Hook(lua_State* L, lua_Debug* ar);
    bool PastDeadline() const;

    ScriptLimits limits_;
    void* owner_;
    lua_State* L_ = nullptr;
    std::size_t used_ = 0;
    int depth_ = 0;
    bool stopped_ = false;
    std::chrono::steady_clock::time_point deadline_{};
    std::chrono::milliseconds budget_{0};
};

} // namespace tav
