#include "algo/system/lua.hpp"

#include <cmath>
#include <cstdio>
#include <memory>
#include <utility>

#include "algo/file/logger.hpp"
#include "basic/assert.hpp"

namespace algo {

namespace {

std::unique_ptr<Lua> shared;
lua_Debug record{};

// Lua's messages are usually strings; anything else is named rather than printed as null.
std::string messageText(lua_State* L, int index) {
    std::size_t length = 0;
    const char* text = lua_isstring(L, index) ? lua_tolstring(L, index, &length) : nullptr;
    if (!text) return std::string("(error object is a ") + luaL_typename(L, index) + " value)";
    return std::string(text, length);
}

void writeLine(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fputc('\n', stderr);
}

// What Lua 5.0's lua_dostring did after a failed load or call: the message on top goes to
// _ALERT when that is a function, else to standard error; either way it leaves the stack.
void alert(lua_State* L) {
    if (!lua_checkstack(L, 2)) {  // no room to look the handler up
        writeLine(messageText(L, -1));
        lua_pop(L, 1);
        return;
    }
    lua_pushliteral(L, "_ALERT");
    lua_rawget(L, LUA_GLOBALSINDEX);  // raw: a guarded globals table must not raise here
    if (lua_isfunction(L, -1)) {
        lua_insert(L, -2);
        // Protected, so a failing handler cannot end the program; its own error is shown.
        if (lua_pcall(L, 1, 0, 0) != 0) {
            writeLine(messageText(L, -1));
            lua_pop(L, 1);
        }
        return;
    }
    writeLine(messageText(L, -2));
    lua_pop(L, 2);
}

void fillRecord(lua_State* L) {
    record = lua_Debug{};
    if (!L) return;
    lua_Debug ar{};
    for (int level = 0; lua_getstack(L, level, &ar); ++level) {
        lua_getinfo(L, "nSlu", &ar);
        if (level == 0) record = ar;
        if (ar.what && std::string_view(ar.what) != "C") {
            record = ar;
            break;
        }
    }
}

std::string text(const char* s) {
    return s ? s : "";
}

}  // namespace

LuaError::LuaError(const std::string& message, lua_State* state, std::string luaMessage)
    : basic::Error(message), luaMessage_(std::move(luaMessage)) {
    luaDump(state);
}

std::string LuaError::toString() const {
    return luaMessage_.empty() ? std::string(what())
                               : std::string(what()) + " / lua:" + luaMessage_;
}

Lua::~Lua() {
    if (luaState_) {
        lua_close(luaState_);
        luaState_ = nullptr;
    }
}

lua_State* Lua::state() const {
    BASIC_ASSERT(luaState_ != nullptr, "Lua: no state has been set");
    return luaState_;
}

int Lua::typeAt(int index) const {
    lua_State* L = state();
    // A negative index below the bottom or 0 would make Lua read outside its stack.
    if (index == 0 || (index < 0 && index > LUA_REGISTRYINDEX && -index > lua_gettop(L)))
        return LUA_TNONE;
    return lua_type(L, index);
}

void Lua::reserve() const {
    // Lua only promises a few free slots; beyond them a push would write past the stack.
    BASIC_ASSERT(lua_checkstack(state(), 1) != 0, "Lua: the stack cannot grow any further");
}

void Lua::run() {
    if (done_) return;
    lua_State* L = state();
    // The full length is loaded: a zero byte in the source is Lua's syntax error, not a
    // silent end of the chunk.
    int status = luaL_loadbuffer(L, source_.data(), source_.size(), source_.c_str());
    if (status == 0) status = lua_pcall(L, 0, LUA_MULTRET, 0);
    if (status != 0) {
        std::string message = messageText(L, -1);  // alert takes it off the stack
        alert(L);
        throw LuaError("パースエラー", L, std::move(message));
    }
    done_ = true;
}

void Lua::setSource(std::string source) {
    source_ = std::move(source);
    done_ = false;
}

void Lua::registerFunction(const std::string& name, lua_CFunction function) {
    BASIC_ASSERT(function != nullptr, "Lua: registerFunction of a null function (" + name + ")");
    lua_State* L = state();
    BASIC_ASSERT(lua_checkstack(L, 2) != 0, "Lua: the stack cannot grow any further");
    lua_pushlstring(L, name.data(), name.size());
    lua_pushcclosure(L, function, 0);
    lua_settable(L, LUA_GLOBALSINDEX);
}

bool Lua::toBool(int index) {
    BASIC_ASSERT(typeAt(index) == LUA_TBOOLEAN, "boolだと思ったのに");
    return lua_toboolean(luaState_, index) != 0;
}

double Lua::toDouble(int index) {
    BASIC_ASSERT(typeAt(index) != LUA_TNONE && lua_isnumber(luaState_, index),
                 "doubleではないようです");
    return lua_tonumber(luaState_, index);
}

std::int32_t Lua::toInt(int index) {
    double value = std::trunc(toDouble(index));
    // Outside this range (or NaN) the conversion has no defined result.
    BASIC_ASSERT(value >= -2147483648.0 && value <= 2147483647.0,
                 "Lua: number does not fit a 32-bit integer");
    return static_cast<std::int32_t>(value);
}

std::string_view Lua::toStr(int index) {
    BASIC_ASSERT(typeAt(index) != LUA_TNONE && lua_isstring(luaState_, index),
                 "文字列だと思いました");
    std::size_t length = 0;
    const char* bytes = lua_tolstring(luaState_, index, &length);
    return {bytes, length};
}

void* Lua::toPointer(int index) {
    BASIC_ASSERT(typeAt(index) == LUA_TLIGHTUSERDATA, "ポインタじゃない");
    return lua_touserdata(luaState_, index);
}

lua_CFunction Lua::toFunction(int index) {
    BASIC_ASSERT(typeAt(index) != LUA_TNONE && lua_iscfunction(luaState_, index),
                 "関数を受け取る予定でした");
    return lua_tocfunction(luaState_, index);
}

void Lua::pushNumber(double value) {
    reserve();
    lua_pushnumber(luaState_, value);
}

void Lua::pushReal(long double value) {
    pushNumber(static_cast<double>(value));
}
void Lua::pushFloat(float value) {
    pushNumber(static_cast<double>(value));
}
void Lua::pushInt(std::int32_t value) {
    pushNumber(static_cast<double>(value));
}
void Lua::pushUint(std::uint32_t value) {
    pushNumber(static_cast<double>(value));
}

void Lua::pushBool(bool value) {
    reserve();
    lua_pushboolean(luaState_, value ? 1 : 0);
}

void Lua::pushString(std::string_view text) {
    reserve();
    lua_pushlstring(luaState_, text.data(), text.size());
}

void Lua::pushNil() {
    reserve();
    lua_pushnil(luaState_);
}

void Lua::pushFunction(lua_CFunction function) {
    BASIC_ASSERT(function != nullptr, "Lua: pushFunction of a null function");
    reserve();
    lua_pushcclosure(luaState_, function, 0);
}

void Lua::pushPointer(void* pointer) {
    reserve();
    lua_pushlightuserdata(luaState_, pointer);
}

void Lua::pushObject(void* object) {
    pushPointer(object);
}

void Lua::pop(int n) {
    lua_State* L = state();
    BASIC_ASSERT(n >= 0 && n <= lua_gettop(L), "Lua: cannot pop " + std::to_string(n) + " of " +
                                                   std::to_string(lua_gettop(L)) + " values");
    lua_settop(L, -n - 1);
}

int Lua::getTop() {
    return lua_gettop(state());
}

std::string_view Lua::typeName(int index) {
    switch (typeAt(index)) {
        case LUA_TNIL:
            return "nil";
        case LUA_TBOOLEAN:
            return "boolean";
        case LUA_TLIGHTUSERDATA:
            return "lightuserdata";
        case LUA_TNUMBER:
            return "number";
        case LUA_TSTRING:
            return "string";
        case LUA_TTABLE:
            return "table";
        case LUA_TFUNCTION:
            return "function";
        case LUA_TUSERDATA:
            return "userdata";
        case LUA_TTHREAD:
            return "thread";
        default:
            break;
    }
    basic::assertFailed(
        __FILE__, __LINE__,
        "Lua: typeName of index " + std::to_string(index) + ", which holds no value");
}

void Lua::getTable(int index) {
    BASIC_ASSERT(typeAt(index) != LUA_TNONE && getTop() >= 1,
                 "Lua: getTable needs a table slot and a key, index " + std::to_string(index));
    lua_gettable(luaState_, index);
}

void Lua::setTable(int index) {
    BASIC_ASSERT(
        typeAt(index) != LUA_TNONE && getTop() >= 2,
        "Lua: setTable needs a table slot, a key and a value, index " + std::to_string(index));
    lua_settable(luaState_, index);
}

int luaDump(lua_State* state) {
    Lua& lua = sharedLua();
    lua.setState(state);
    // Borrowed only: the shared object must never close the state it was pointed at.
    struct Release {
        Lua& lua;
        ~Release() { lua.setState(nullptr); }
    } release{lua};

    log("Lua panic!");
    if (state && lua.getTop() > 0 && lua.typeName(-1) == "string")
        log(" -- errmsg = " + std::string(lua.toStr(-1)));
    fillRecord(state);
    log(" -- event = " + std::to_string(record.event));
    log(" -- name = " + text(record.name));
    log(" -- namewhat = " + text(record.namewhat));
    log(" -- what = " + text(record.what));
    log(" -- currentline = " + std::to_string(record.currentline));
    log(" -- nups = " + std::to_string(record.nups));
    log(" -- linedefined = " + std::to_string(record.linedefined));
    return 0;
}

Lua& sharedLua() {
    BASIC_ASSERT(shared != nullptr, "Lua: the module has not been started");
    return *shared;
}

const lua_Debug& debugRecord() {
    return record;
}

namespace lua {

void moduleStart() {
    shared = std::make_unique<Lua>();
    record = lua_Debug{};
}

void moduleEnd() {
    if (shared) shared->setState(nullptr);
    shared.reset();
}

}  // namespace lua
}  // namespace algo
