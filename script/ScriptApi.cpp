// The `tav` table: what scripts call.
#include "script/ScriptApi.h"

#include "script/ScriptPaths.h"
#include "settings/StoredValues.h"

#include <lua.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace tav {

ScriptEngine& EngineOf(lua_State* L) {
    return *static_cast<ScriptEngine*>(LuaState::Owner(L));
}

namespace {

// Runs `work` (C++ that may throw, but calls nothing in Lua that raises); false when it
// threw, with the engine's error set.
template <typename Work> bool Guarded(std::string& error, Work&& work) {
    try {
        return work();
    } catch (...) {
        error = "out of memory";
        return false;
    }
}

// Calls the host; what it throws stays out of Lua.
template <typename Call> void ToHost(Call&& call) {
    try {
        call();
    } catch (...) {
    }
}

// Where a script function was made, for messages ("init.lua:12").
struct Site {
    char source[LUA_IDSIZE] = {};
    int line = -1;
};

Site SiteOf(lua_State* L, int index) {
    Site site;
    if (lua_type(L, index) != LUA_TFUNCTION) return site;
    lua_Debug ar;
    lua_pushvalue(L, index);
    if (lua_getinfo(L, ">S", &ar) != 0 && ar.linedefined > 0) {
        std::snprintf(site.source, sizeof site.source, "%s", ar.short_src);
        site.line = ar.linedefined;
    }
    return site;
}

// How messages name a handler: trigger "pattern" (init.lua:12).
std::string Label(std::string_view kind, std::string_view text, const Site& site) {
    constexpr std::size_t kShown = 60;
    std::string label(kind);
    if (!text.empty() || kind == "trigger" || kind == "alias") {
        label += " \"";
        for (const char c : text.substr(0, kShown))
            label += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '.' : c;
        label += text.size() > kShown ? "...\"" : "\"";
    }
    if (site.line > 0)
        label += " (" + std::string(site.source) + ":" + std::to_string(site.line) + ")";
    return label;
}

// Keeps the function at `index` as handler `id`'s.
void KeepFunction(lua_State* L, int index, int id) {
    lua_rawgetp(L, LUA_REGISTRYINDEX, &kHandlersKey);
    lua_pushvalue(L, index);
    lua_rawseti(L, -2, id);
    lua_pop(L, 1);
}

bool OptionalFunction(lua_State* L, int index) {
    if (lua_isnoneornil(L, index)) return false;
    luaL_checktype(L, index, LUA_TFUNCTION);
    return true;
}

// The options table at `index`, if any: a field's value is pushed and stays on the stack
// (texts read from it stay valid while it is there).
int OptionField(lua_State* L, int index, const char* name) {
    if (lua_isnoneornil(L, index)) {
        lua_pushnil(L);
        return LUA_TNIL;
    }
    luaL_checktype(L, index, LUA_TTABLE);
    return lua_getfield(L, index, name);
}

bool OptionFlag(lua_State* L, int index, const char* name) {
    OptionField(L, index, name);
    const bool on = lua_toboolean(L, -1) != 0;
    lua_pop(L, 1);
    return on;
}

// A group name from the options; stays on the stack.
std::string_view OptionGroup(lua_State* L, int index) {
    if (OptionField(L, index, "group") == LUA_TNIL) return {};
    std::size_t length = 0;
    const char* group = luaL_checklstring(L, -1, &length);
    return {group, length};
}

std::optional<std::uint32_t> HighlightColour(lua_State* L, int table, const char* name) {
    if (lua_getfield(L, table, name) == LUA_TNIL) {
        lua_pop(L, 1);
        return std::nullopt;
    }
    std::size_t length = 0;
    const char* text = lua_tolstring(L, -1, &length);
    const auto colour = text != nullptr ? ParseColorText({text, length}) : std::nullopt;
    if (!colour) luaL_error(L, "highlight.%s must be a colour \"#RRGGBB\"", name);
    lua_pop(L, 1);
    return colour;
}

std::optional<ScriptHighlight> OptionHighlight(lua_State* L, int index) {
    const int type = OptionField(L, index, "highlight");
    if (type == LUA_TNIL || (type == LUA_TBOOLEAN && !lua_toboolean(L, -1))) {
        lua_pop(L, 1);
        return std::nullopt;
    }
    if (type != LUA_TTABLE) luaL_error(L, "highlight must be a table {fg=..., bg=..., line=...}");
    ScriptHighlight highlight;
    const int table = lua_gettop(L);
    highlight.textColor = HighlightColour(L, table, "fg");
    highlight.backColor = HighlightColour(L, table, "bg");
    lua_getfield(L, table, "line");
    if (lua_toboolean(L, -1)) highlight.scope = HighlightScope::Line;
    lua_pop(L, 2);
    return highlight;
}

enum class Kind { Trigger, Alias, Timer, Event };

// A group name from the options, checked against its bound.
std::string_view CheckedGroup(lua_State* L, int index) {
    const std::string_view group = OptionGroup(L, index);
    if (group.size() > ScriptEngine::kMaxGroupBytes)
        luaL_error(L, "a group name has at most %d bytes",
                   static_cast<int>(ScriptEngine::kMaxGroupBytes));
    return group;
}

} // namespace

void ScriptApi::CheckRoom(lua_State* L, ScriptEngine& engine, std::size_t patternBytes,
                          bool regex) {
    const std::size_t handlers = engine.triggers_.size() + engine.aliases_.size() +
                                 engine.timers_.size() + engine.events_.size();
    if (handlers >= ScriptEngine::kMaxHandlers)
        luaL_error(L, "the scripts have made %d handlers, the most there may be",
                   static_cast<int>(ScriptEngine::kMaxHandlers));
    if (regex && engine.regexHandlers_ >= ScriptEngine::kMaxRegexHandlers)
        luaL_error(L, "the scripts have made %d regular expressions, the most there may be",
                   static_cast<int>(ScriptEngine::kMaxRegexHandlers));
    if (patternBytes > ScriptEngine::kMaxPatternBytes)
        luaL_error(L, "a pattern has at most %d bytes",
                   static_cast<int>(ScriptEngine::kMaxPatternBytes));
}

int ScriptApi::Send(lua_State* L) {
    ScriptEngine& engine = EngineOf(L);
    std::size_t length = 0;
    const char* text = luaL_checklstring(L, 1, &length);
    std::string_view rest(text, length);
    do {
        const std::size_t end = std::min(rest.find('\n'), rest.size());
        std::string_view line = rest.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        ToHost([&] { engine.host_.SendCommand(line); });
        rest.remove_prefix(std::min(end + 1, rest.size()));
    } while (!rest.empty());
    return 0;
}

int ScriptApi::Echo(lua_State* L) {
    ScriptEngine& engine = EngineOf(L);
    std::size_t length = 0;
    const char* text = luaL_checklstring(L, 1, &length);
    ToHost([&] { engine.host_.Echo(std::string_view(text, length)); });
    return 0;
}

int ScriptApi::Print(lua_State* L) {
    ScriptEngine& engine = EngineOf(L);
    const int count = lua_gettop(L);
    luaL_Buffer buffer;
    luaL_buffinit(L, &buffer);
    for (int i = 1; i <= count; ++i) {
        if (i > 1) luaL_addchar(&buffer, '\t');
        luaL_tolstring(L, i, nullptr);
        luaL_addvalue(&buffer);
    }
    luaL_pushresult(&buffer);
    std::size_t length = 0;
    const char* text = lua_tolstring(L, -1, &length);
    ToHost([&] { engine.host_.ConsolePrint(std::string_view(text, length)); });
    return 0;
}

int ScriptApi::Made(lua_State* L, ScriptEngine& engine, int id, bool added) {
    if (!added) {
        DropFunction(L, id);
        return luaL_error(L, "%s", engine.error_.c_str());
    }
    lua_pushinteger(L, id);
    return 1;
}

int ScriptApi::Trigger(lua_State* L) {
    ScriptEngine& engine = EngineOf(L);
    std::size_t length = 0;
    const char* pattern = luaL_checklstring(L, 1, &length);
    const bool hasFunction = OptionalFunction(L, 2);
    const bool regex = OptionFlag(L, 3, "regex");
    const bool once = OptionFlag(L, 3, "once");
    const bool gag = OptionFlag(L, 3, "gag");
    const bool gagLog = OptionFlag(L, 3, "gag_log");
    const std::optional<ScriptHighlight> highlight = OptionHighlight(L, 3);
    const std::string_view group = CheckedGroup(L, 3);
    CheckRoom(L, engine, length, regex);
    const int id = engine.nextId_++;
    if (hasFunction) KeepFunction(L, 2, id);
    const Site site = SiteOf(L, 2);
    const bool added = Guarded(engine.error_, [&] {
        std::string error;
        if (!engine.triggerSet_.Add(id, std::string_view(pattern, length), regex, error)) {
            engine.error_ = "tav.trigger: " + error;
            return false;
        }
        ScriptEngine::TriggerInfo info;
        info.id = id;
        info.label = Label("trigger", std::string_view(pattern, length), site);
        info.hasFunction = hasFunction;
        info.once = once;
        info.gag = gag || gagLog;
        info.gagLog = gagLog;
        info.highlight = highlight;
        info.group = group;
        try {
            engine.triggers_.emplace(id, std::move(info));
        } catch (...) {
            engine.triggerSet_.Remove(id);
            throw;
        }
        engine.regexHandlers_ += regex ? 1 : 0;
        return true;
    });
    return Made(L, engine, id, added);
}

int ScriptApi::Alias(lua_State* L) {
    ScriptEngine& engine = EngineOf(L);
    std::size_t length = 0;
    const char* pattern = luaL_checklstring(L, 1, &length);
    luaL_checktype(L, 2, LUA_TFUNCTION);
    const bool regex = OptionFlag(L, 3, "regex");
    const std::string_view group = CheckedGroup(L, 3);
    CheckRoom(L, engine, length, regex);
    if (!regex && (length == 0 || std::memchr(pattern, ' ', length) != nullptr))
        return luaL_error(L, "tav.alias: a plain alias is one word");
    const int id = engine.nextId_++;
    KeepFunction(L, 2, id);
    const Site site = SiteOf(L, 2);
    const bool added = Guarded(engine.error_, [&] {
        ScriptEngine::AliasInfo info;
        info.id = id;
        info.label = Label("alias", std::string_view(pattern, length), site);
        info.isRegex = regex;
        info.group = group;
        if (regex) {
            std::string error;
            info.regex = RegexPattern::Compile(std::string_view(pattern, length), error);
            if (!info.regex.Valid()) {
                engine.error_ = "tav.alias: " + error;
                return false;
            }
        } else {
            info.pattern.assign(pattern, length);
        }
        engine.aliases_.push_back(std::move(info));
        engine.regexHandlers_ += regex ? 1 : 0;
        return true;
    });
    return Made(L, engine, id, added);
}

int ScriptApi::Timer(lua_State* L) {
    ScriptEngine& engine = EngineOf(L);
    const double seconds = luaL_checknumber(L, 1);
    luaL_checktype(L, 2, LUA_TFUNCTION);
    const bool every = OptionFlag(L, 3, "every");
    if (!(seconds >= 0 && seconds <= ScriptEngine::kMaxTimerSeconds))
        return luaL_error(L, "tav.timer: seconds must be from 0 to %d",
                          static_cast<int>(ScriptEngine::kMaxTimerSeconds));
    // Even "at once" waits a little, so that a timer that makes itself again cannot keep
    // the program busy.
    const auto ms = std::max(ScriptEngine::kMinTimerMs,
                             static_cast<std::int64_t>(std::llround(seconds * 1000)));
    CheckRoom(L, engine, 0, false);
    const int id = engine.nextId_++;
    KeepFunction(L, 2, id);
    const Site site = SiteOf(L, 2);
    const bool added = Guarded(engine.error_, [&] {
        ScriptEngine::TimerInfo info;
        info.id = id;
        info.label = Label("timer", {}, site);
        info.dueMs = engine.clock_.NowMs() + ms;
        info.everyMs = every ? ms : 0;
        engine.timers_.emplace(id, std::move(info));
        return true;
    });
    return Made(L, engine, id, added);
}

int ScriptApi::On(lua_State* L) {
    static const char* const kEvents[] = {"connect", "disconnect", "line", "prompt",
                                          "gmcp",    "msdp",       nullptr};
    ScriptEngine& engine = EngineOf(L);
    const int event = luaL_checkoption(L, 1, nullptr, kEvents);
    luaL_checktype(L, 2, LUA_TFUNCTION);
    CheckRoom(L, engine, 0, false);
    const int id = engine.nextId_++;
    KeepFunction(L, 2, id);
    const Site site = SiteOf(L, 2);
    const bool added = Guarded(engine.error_, [&] {
        ScriptEngine::EventInfo info;
        info.id = id;
        info.label = Label(std::string(kEvents[event]) + " handler", {}, site);
        info.event = static_cast<ScriptEngine::Event>(event);
        engine.events_.push_back(std::move(info));
        return true;
    });
    return Made(L, engine, id, added);
}

int ScriptApi::Unmake(lua_State* L, int kind) {
    ScriptEngine& engine = EngineOf(L);
    const lua_Integer wanted = luaL_checkinteger(L, 1);
    const int id = wanted > 0 && wanted < engine.nextId_ ? static_cast<int>(wanted) : 0;
    const auto hasId = [id](const auto& handler) { return handler.id == id; };
    bool mine = false;
    switch (static_cast<Kind>(kind)) {
    case Kind::Trigger: mine = engine.triggers_.count(id) != 0; break;
    case Kind::Timer: mine = engine.timers_.count(id) != 0; break;
    case Kind::Alias:
        mine = std::any_of(engine.aliases_.begin(), engine.aliases_.end(), hasId);
        break;
    case Kind::Event:
        mine = std::any_of(engine.events_.begin(), engine.events_.end(), hasId);
        break;
    }
    if (mine) engine.RemoveHandler(id, L);
    lua_pushboolean(L, mine ? 1 : 0);
    return 1;
}

int ScriptApi::Untrigger(lua_State* L) {
    return Unmake(L, static_cast<int>(Kind::Trigger));
}
int ScriptApi::Unalias(lua_State* L) {
    return Unmake(L, static_cast<int>(Kind::Alias));
}
int ScriptApi::Untimer(lua_State* L) {
    return Unmake(L, static_cast<int>(Kind::Timer));
}
int ScriptApi::Off(lua_State* L) {
    return Unmake(L, static_cast<int>(Kind::Event));
}

int ScriptApi::Group(lua_State* L) {
    ScriptEngine& engine = EngineOf(L);
    std::size_t length = 0;
    const char* name = luaL_checklstring(L, 1, &length);
    const bool enabled = lua_toboolean(L, 2) != 0;
    const std::string_view group(name, length);
    lua_Integer count = 0;
    for (auto& [id, info] : engine.triggers_) {
        if (info.group != group) continue;
        engine.triggerSet_.SetEnabled(id, enabled);
        ++count;
    }
    for (ScriptEngine::AliasInfo& alias : engine.aliases_) {
        if (alias.group != group) continue;
        alias.enabled = enabled;
        ++count;
    }
    lua_pushinteger(L, count);
    return 1;
}

int ScriptApi::SendGmcp(lua_State* L) {
    constexpr std::size_t kMaxPackage = 256;
    constexpr std::size_t kMaxMessage = 64 * 1024;
    ScriptEngine& engine = EngineOf(L);
    std::size_t length = 0;
    const char* package = luaL_checklstring(L, 1, &length);
    for (std::size_t i = 0; i < length; ++i) {
        if (static_cast<unsigned char>(package[i]) <= ' ' || package[i] == 0x7F)
            return luaL_error(L,
                              "tav.send_gmcp: a package name has no spaces or control characters");
    }
    if (length == 0 || length > kMaxPackage)
        return luaL_error(L, "tav.send_gmcp: a package name of 1 to %d bytes",
                          static_cast<int>(kMaxPackage));
    const bool hasValue = !lua_isnoneornil(L, 2);
    const bool made = Guarded(engine.error_, [&] {
        engine.scratch_.clear();
        if (!hasValue) return true;
        Json value;
        std::string leftOut;
        if (!ToJson(L, 2, ScriptEngine::kMaxGmcpDepth, value, engine.error_, leftOut)) return false;
        if (!leftOut.empty()) {
            engine.error_ = "JSON cannot hold a " + leftOut;
            return false;
        }
        engine.scratch_ = value.dump(-1, ' ', false, Json::error_handler_t::replace);
        if (engine.scratch_.size() > kMaxMessage) {
            engine.error_ = "the message is longer than 64 KiB";
            return false;
        }
        return true;
    });
    if (!made) return luaL_error(L, "tav.send_gmcp: %s", engine.error_.c_str());
    ToHost([&] { engine.host_.SendGmcp(std::string_view(package, length), engine.scratch_); });
    return 0;
}

int ScriptApi::Gauge(lua_State* L) {
    static const char* const kGauges[] = {"hit", "mana", "move", nullptr};
    ScriptEngine& engine = EngineOf(L);
    const int gauge = luaL_checkoption(L, 1, nullptr, kGauges);
    auto whole = [](double number) {
        constexpr double kLimit = 2147483647.0;
        return std::isnan(number)
                   ? 0L
                   : static_cast<long>(std::clamp(std::floor(number), -kLimit, kLimit));
    };
    const long value = whole(luaL_checknumber(L, 2));
    const long max = whole(luaL_checknumber(L, 3));
    ToHost([&] { engine.host_.SetGauge(static_cast<ScriptGauge>(gauge), value, max); });
    return 0;
}

int ScriptApi::Pane(lua_State* L) {
    static const char* const kPanes[] = {"description", "exits", "contents", nullptr};
    ScriptEngine& engine = EngineOf(L);
    const int pane = luaL_checkoption(L, 1, nullptr, kPanes);
    std::size_t length = 0;
    const char* text = luaL_checklstring(L, 2, &length);
    ToHost([&] {
        engine.host_.WritePane(static_cast<ScriptPane>(pane), std::string_view(text, length));
    });
    return 0;
}

int ScriptApi::Play(lua_State* L) {
    ScriptEngine& engine = EngineOf(L);
    std::size_t length = 0;
    const char* file = luaL_checklstring(L, 1, &length);
    const bool found = Guarded(engine.error_, [&] {
        std::optional<std::string> path =
            FileInside(engine.profileDir_, std::string_view(file, length), engine.error_);
        if (!path) return false;
        engine.scratch_ = std::move(*path);
        return true;
    });
    if (!found) return luaL_error(L, "tav.play: %s: %s", file, engine.error_.c_str());
    ToHost([&] { engine.host_.PlaySound(engine.scratch_); });
    return 0;
}

} // namespace tav
